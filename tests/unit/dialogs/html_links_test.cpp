// The HTML viewer's decisions: what a clicked link does (sounds, programs
// with their argument text, the shell, pages), the file paths of links and
// the meta refresh's target and delay, against a support folder C:\sup\.
#include "dialogs/html_links.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace vantrell {
namespace {

constexpr std::string_view kSupport = "C:\\sup\\";

TEST(HtmlLinks, PercentEscapesBecomeTheirBytes) {
  struct Case {
    std::string_view text;
    std::string expected;
  } cases[] = {
      {"a%20b", "a b"},
      {"%41%62%7e", "Ab~"},
      {"100%", "100%"},
      {"%4", "%4"},
      {"%zz%41", "%zzA"},
      {"%%41", "%A"},
      {"%e9t%C3%A9", "\xE9t\xC3\xA9"},
      {"%00x", std::string("\0x", 2)},
  };
  for (const Case& c : cases) EXPECT_EQ(PercentDecoded(c.text), c.expected) << c.text;
}

TEST(HtmlLinks, DecisionsByTarget) {
  using K = HtmlLinkKind;
  struct Case {
    std::string_view target;
    HtmlLinkDecision expected;
  } cases[] = {
      // Files: no colon, a drive, or "file:" anywhere.
      {"ding.wav", {K::kPlaySound, "C:\\sup\\ding.wav", ""}},
      {"sounds/Ding.WaV", {K::kPlaySound, "C:\\sup\\sounds\\Ding.WaV", ""}},
      {"probe.exe", {K::kRunProgram, "C:\\sup\\probe.exe", ""}},
      {"probe.exe /quiet now", {K::kRunProgram, "C:\\sup\\probe.exe", "/quiet now"}},
      {"probe.exe?a=1 b", {K::kShowFile, "C:\\sup\\probe.exe?a=1", ""}},
      {"probe.exe?a=1&b=2", {K::kRunProgram, "C:\\sup\\probe.exe", "a=1&b=2"}},
      {"my%20tool.EXE", {K::kRunProgram, "C:\\sup\\my tool.EXE", ""}},
      {"D:\\tools\\run.exe -x", {K::kRunProgram, "D:\\tools\\run.exe", "-x"}},
      {"\\\\server\\share\\s.wav", {K::kPlaySound, "\\\\server\\share\\s.wav", ""}},
      {"\\tools\\run.exe", {K::kRunProgram, "C:\\tools\\run.exe", ""}},
      {"file:///D|/media/intro.wav", {K::kPlaySound, "D:\\media\\intro.wav", ""}},
      {"FILE://D:/media/setup.exe /s", {K::kRunProgram, "D:\\media\\setup.exe", "/s"}},
      {"file:page2.htm", {K::kShowFile, "C:\\sup\\page2.htm", ""}},
      // The first ":" of the whole target decides, arguments included.
      {"probe.exe --out D:\\x.txt", {K::kFollow, "probe.exe --out D:\\x.txt", ""}},
      {"file:probe.exe --out D:\\x.txt", {K::kRunProgram, "C:\\sup\\probe.exe", "--out D:\\x.txt"}},
      {"page2.htm", {K::kShowFile, "C:\\sup\\page2.htm", ""}},
      {"page2.htm#part", {K::kShowFile, "C:\\sup\\page2.htm", ""}},
      {"readme.exe.txt", {K::kShowFile, "C:\\sup\\readme.exe.txt", ""}},
      {"dir.exe\\file", {K::kShowFile, "C:\\sup\\dir.exe\\file", ""}},
      {":odd.exe", {K::kRunProgram, "C:\\sup\\:odd.exe", ""}},
      // The shell's: mailto and http anywhere, https and ftp at the start.
      {"mailto:help@example.com", {K::kShell, "mailto:help@example.com", ""}},
      {"http://example.com/a b", {K::kShell, "http://example.com/a b", ""}},
      {"HTTP://EXAMPLE.COM", {K::kShell, "HTTP://EXAMPLE.COM", ""}},
      {"https://example.com", {K::kShell, "https://example.com", ""}},
      {"ftp://example.com/x.exe", {K::kShell, "ftp://example.com/x.exe", ""}},
      {"view-source:http://x", {K::kShell, "view-source:http://x", ""}},
      // "file:" wins over a web address that holds it.
      {"http://x/file:a.exe", {K::kRunProgram, "C:\\sup\\http:\\\\x\\file:a.exe", ""}},
      // The viewer's own.
      {"#top", {K::kFollow, "#top", ""}},
      {"javascript:void(0)", {K::kFollow, "javascript:void(0)", ""}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecideHtmlLink(c.target, kSupport), c.expected) << c.target;
  }
}

class RecordingActions final : public HtmlLinkActions {
 public:
  void PlaySoundFile(const std::string& path) override { calls.push_back("sound " + path); }
  void RunProgram(const std::string& path, const std::string& arguments) override {
    calls.push_back("run " + path + "|" + arguments);
  }
  void OpenWithShell(const std::string& target) override { calls.push_back("shell " + target); }
  std::vector<std::string> calls;
};

TEST(HtmlLinks, ActionsCarryOutTheHandledKindsOnly) {
  struct Case {
    std::string_view target;
    bool handled;
    std::vector<std::string> calls;
  } cases[] = {
      {"ding.wav", true, {"sound C:\\sup\\ding.wav"}},
      {"probe.exe one two", true, {"run C:\\sup\\probe.exe|one two"}},
      {"mailto:a@b.c", true, {"shell mailto:a@b.c"}},
      {"page2.htm", false, {}},
      {"#top", false, {}},
  };
  for (const Case& c : cases) {
    RecordingActions actions;
    EXPECT_EQ(PerformHtmlLink(DecideHtmlLink(c.target, kSupport), actions), c.handled) << c.target;
    EXPECT_EQ(actions.calls, c.calls) << c.target;
  }
}

TEST(HtmlLinks, RefreshTargetAndDelay) {
  const std::set<std::string> files = {"C:\\sup\\page2.htm", "C:\\sup\\sub dir\\p.htm",
                                       "D:\\pages\\p.htm", "C:\\sup\\sub\\p.htm"};
  auto exists = [&](const std::string& path) { return files.count(path) > 0; };
  struct Case {
    int seconds;
    std::string_view url;
    std::optional<HtmlRefreshPlan> expected;
  } cases[] = {
      {2, "page2.htm", HtmlRefreshPlan{"C:\\sup\\page2.htm", 2000}},
      {0, "page2.htm", HtmlRefreshPlan{"C:\\sup\\page2.htm", 0}},
      {-5, "page2.htm", HtmlRefreshPlan{"C:\\sup\\page2.htm", 0}},
      {1, "sub%20dir%5Cp.htm", HtmlRefreshPlan{"C:\\sup\\sub dir\\p.htm", 1000}},
      {1, "sub/p.htm", HtmlRefreshPlan{"C:\\sup\\sub\\p.htm", 1000}},
      {1, "file:///sub/p.htm", HtmlRefreshPlan{"C:\\sup\\sub\\p.htm", 1000}},
      {1, "FILE://sub/p.htm", HtmlRefreshPlan{"C:\\sup\\sub\\p.htm", 1000}},
      {3, "file:///D|/pages/p.htm", HtmlRefreshPlan{"D:\\pages\\p.htm", 3000}},
      {3, "D:\\pages\\p.htm", HtmlRefreshPlan{"D:\\pages\\p.htm", 3000}},
      // Without a "/" nothing is converted.
      {1, "file:page2.htm", std::nullopt},
      {1, "missing.htm", std::nullopt},
      {1, "", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PlanHtmlRefresh(c.seconds, c.url, kSupport, exists), c.expected) << c.url;
  }
}

}  // namespace
}  // namespace vantrell
