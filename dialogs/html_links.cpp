// Link and meta refresh decisions of the HTML viewer (see html_links.h).
#include "dialogs/html_links.h"

#include <algorithm>
#include <utility>

#include "common/ascii.h"

namespace vantrell {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ContainsIgnoringCase(std::string_view text, std::string_view part) {
  return AsciiUpper(text).find(part) != std::string::npos;
}

bool StartsIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && AsciiUpper(text.substr(0, prefix.size())) == prefix;
}

// A drive ("C:") or a network path ("\\server").
bool IsFullPath(std::string_view path) {
  return (path.size() >= 2 && path[1] == ':') || path.starts_with("\\\\");
}

std::string SlashesToBackslashes(std::string text) {
  std::replace(text.begin(), text.end(), '|', ':');
  std::replace(text.begin(), text.end(), '/', '\\');
  return text;
}

std::string_view WithoutFileScheme(std::string_view text) {
  for (const std::string_view scheme : {"FILE:///", "FILE://", "FILE:"}) {
    if (StartsIgnoringCase(text, scheme)) return text.substr(scheme.size());
  }
  return text;
}

std::string UpperExtension(std::string_view path) {
  const size_t dot = path.find_last_of(".\\");
  if (dot == std::string_view::npos || path[dot] != '.') return {};
  return AsciiUpper(path.substr(dot));
}

}  // namespace

std::string PercentDecoded(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
        HexDigit(text[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string HtmlFilePath(std::string_view target, std::string_view base) {
  std::string path = PercentDecoded(target);
  path = SlashesToBackslashes(std::string(WithoutFileScheme(path)));
  if (const size_t hash = path.find('#'); hash != std::string::npos) path.resize(hash);
  if (IsFullPath(path)) return path;
  if (path.starts_with("\\")) {
    // From the root of the base's drive.
    return std::string(base.substr(0, std::min<size_t>(2, base.size()))) + path;
  }
  return std::string(base) + path;
}

HtmlLinkDecision DecideHtmlLink(std::string_view target, std::string_view base) {
  const size_t colon = target.find(':');
  if (target.starts_with("#")) return {HtmlLinkKind::kFollow, std::string(target), {}};
  if (colon == std::string_view::npos || colon < 2 || ContainsIgnoringCase(target, "FILE:")) {
    size_t cut = target.find(' ');
    if (cut == std::string_view::npos) cut = target.find('?');
    std::string_view file = target.substr(0, cut);
    std::string arguments =
        cut == std::string_view::npos ? std::string() : std::string(target.substr(cut + 1));
    std::string path = HtmlFilePath(file, base);
    const std::string extension = UpperExtension(path);
    if (extension == ".WAV") return {HtmlLinkKind::kPlaySound, std::move(path), {}};
    if (extension == ".EXE") {
      return {HtmlLinkKind::kRunProgram, std::move(path), std::move(arguments)};
    }
    return {HtmlLinkKind::kShowFile, std::move(path), {}};
  }
  if (ContainsIgnoringCase(target, "MAILTO:") || ContainsIgnoringCase(target, "HTTP:") ||
      StartsIgnoringCase(target, "HTTPS:") || StartsIgnoringCase(target, "FTP:")) {
    return {HtmlLinkKind::kShell, std::string(target), {}};
  }
  return {HtmlLinkKind::kFollow, std::string(target), {}};
}

bool PerformHtmlLink(const HtmlLinkDecision& decision, HtmlLinkActions& actions) {
  switch (decision.kind) {
    case HtmlLinkKind::kPlaySound:
      actions.PlaySoundFile(decision.path);
      return true;
    case HtmlLinkKind::kRunProgram:
      actions.RunProgram(decision.path, decision.arguments);
      return true;
    case HtmlLinkKind::kShell:
      actions.OpenWithShell(decision.path);
      return true;
    case HtmlLinkKind::kShowFile:
    case HtmlLinkKind::kFollow:
      break;
  }
  return false;
}

std::optional<HtmlRefreshPlan> PlanHtmlRefresh(
    int seconds, std::string_view url, std::string_view supportFolder,
    const std::function<bool(const std::string&)>& fileExists) {
  std::string text = PercentDecoded(url);
  if (text.find('/') != std::string::npos) {
    for (const std::string_view scheme : {"FILE:///", "FILE://"}) {
      if (StartsIgnoringCase(text, scheme)) {
        text.erase(0, scheme.size());
        break;
      }
    }
    text = SlashesToBackslashes(std::move(text));
  }
  std::string target = IsFullPath(text) ? text : std::string(supportFolder) + text;
  if (text.empty() || !fileExists(target)) return std::nullopt;
  constexpr int kLongestSeconds = 24 * 60 * 60;
  return HtmlRefreshPlan{std::move(target), std::clamp(seconds, 0, kLongestSeconds) * 1000};
}

}  // namespace vantrell
