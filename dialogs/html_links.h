// What the HTML viewer of a dialog does with a clicked link and with a page's
// meta refresh. The decisions are here; the viewer carries them out through
// HtmlLinkActions (the shell, sounds, programs) and its own page loading.
//
// A link target T:
//   - a file: T has no ":", or its first ":" is its first or second
//     character (a drive), or T holds "FILE:" in any case. T is cut at its
//     first blank, else at its first "?"; what follows is the argument text.
//     The file part becomes a full path (HtmlFilePath); ".WAV" (any case) is
//     played, ".EXE" run with the argument text, anything else is the
//     viewer's to show.
//   - "MAILTO:" or "HTTP:" anywhere in T (any case): the shell opens T.
//   - "HTTPS:" or "FTP:" at its start (any case): the shell opens T too, as
//     the viewer loads no pages from the web.
//   - anything else: the viewer follows it (an anchor in the page ...).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vantrell {

// "%" and two hexadecimal digits into their byte; other "%" stay.
std::string PercentDecoded(std::string_view text);

// A file link's target as a path: percent escapes decoded, a leading
// "file:///", "file://" or "file:" (any case) removed, "|" a drive's ":",
// "/" a "\", a "#" part dropped; a relative path taken from base (a folder
// ending in "\").
std::string HtmlFilePath(std::string_view target, std::string_view base);

enum class HtmlLinkKind {
  kPlaySound,   // path: the sound file
  kRunProgram,  // path and arguments
  kShell,       // path: the target as given, for the shell's default handler
  kShowFile,    // path: a page or other file the viewer shows
  kFollow,      // path: the target as given (an anchor "#name" in the page ...)
};

struct HtmlLinkDecision {
  HtmlLinkKind kind = HtmlLinkKind::kFollow;
  std::string path;
  std::string arguments;
  bool operator==(const HtmlLinkDecision&) const = default;
};

// The decision for a link target clicked in a page of the folder base.
HtmlLinkDecision DecideHtmlLink(std::string_view target, std::string_view base);

// The system calls behind a decision.
class HtmlLinkActions {
 public:
  virtual ~HtmlLinkActions() = default;
  virtual void PlaySoundFile(const std::string& path) = 0;  // asynchronously
  // In a normal window; the command line is the program and the arguments
  // after one blank.
  virtual void RunProgram(const std::string& path, const std::string& arguments) = 0;
  virtual void OpenWithShell(const std::string& target) = 0;  // the default handler
};

// Carries out the actions of the first three kinds; true when it did
// (kShowFile and kFollow are the viewer's).
bool PerformHtmlLink(const HtmlLinkDecision& decision, HtmlLinkActions& actions);

struct HtmlRefreshPlan {
  std::string target;  // the page to load
  int delayMs = 0;
  bool operator==(const HtmlRefreshPlan&) const = default;
};

// The refresh a page asks for after `seconds` to `url`, for the dialog's
// support folder (ending in "\"): percent escapes decoded; when the url has
// a "/", a leading "file:///" or "file://" (any case) removed, "|" turned
// into ":" and "/" into "\"; the target is the support folder followed by
// that, or the path itself when it is a full one (a drive or "\\"). Nothing
// when the target file does not exist.
std::optional<HtmlRefreshPlan> PlanHtmlRefresh(
    int seconds, std::string_view url, std::string_view supportFolder,
    const std::function<bool(const std::string&)>& fileExists);

}  // namespace vantrell
