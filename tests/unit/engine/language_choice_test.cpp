// The start-up choice of the setup language through the whole run: the
// language dialog's twin sees the offered languages with the preselection,
// its answer becomes LANGUAGE, a cancel ends the run before any statement,
// and silent, maintenance and patch runs never ask.
#include <gtest/gtest.h>

#include <optional>

#include "common/ascii.h"
#include "engine/run_session.h"
#include "script/statements.h"
#include "twins/fake_system.h"
#include "twins/memory_file_system.h"
#include "twins/recording_host.h"
#include "twins/script_builder.h"

namespace vantrell {
namespace {

using testing::FakeSystem;
using testing::MemoryFileSystem;
using testing::RecordingHost;
using testing::ScriptBuilder;

constexpr const char* kSupport = "C:\\Temp\\zeb1\\";

class LanguageChoiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    files.AddFile(std::string(kSupport) + "setup.msi", "msi");
    files.AddFile(std::string(kSupport) + "Shop.mtx", "{00000000-0000-0000-0000-000000000000}\r\n");
    files.AddFile(std::string(kSupport) + "translations.Map", "statement\r\n");
    files.AddFile(std::string(kSupport) + "translations.Original", "Hello\r\n");
    files.AddFile(std::string(kSupport) + "translations.English", "Hello\r\n");
    files.AddFile(std::string(kSupport) + "translations.German", "Hallo\r\n");
    files.AddFile(std::string(kSupport) + "shared.translations.German", "");
    // The file system twin lists names in its own case: compared upper-cased.
    table.Register("Set Variable", [this](StatementContext& s) {
      ran.push_back(AsciiUpper(s.vars.GetVariable("LANGUAGE")));
    });
  }

  // Runs a one-statement script that asks for the language; the statement
  // records LANGUAGE as the first statement sees it.
  void Run(bool silent = false) {
    script = ScriptBuilder().Title("Shop").Add("Set Variable", {"GREETING", "Hello"}).Build();
    script.languageSelection = true;
    script.defaultLanguage = "English";
    commandLine.silent = silent;
    RunScriptContext context{script, std::string(kSupport) + "setup.msi", "D:\\Media\\", files};
    context.exePath = "D:\\Media\\setup.exe";
    context.supportFolder = kSupport;
    context.commandLine = &commandLine;
    context.statements = &table;
    context.system = &system;
    context.installer = &system;
    context.userLanguage = userLanguage;
    context.chooseLanguage = [this](const std::vector<std::string>& languages, size_t preselected) {
      offered.clear();
      for (const std::string& language : languages) offered.push_back(AsciiUpper(language));
      shownPreselected = preselected;
      ++shown;
      return answer(languages, preselected);
    };
    RunScript(context, host, Variables());
  }

  MemoryFileSystem files;
  FakeSystem system;
  StatementTable table;
  RecordingHost host;
  CommandLine commandLine;
  SetupScript script;
  std::string userLanguage;
  std::function<std::optional<size_t>(const std::vector<std::string>&, size_t)> answer =
      [](const std::vector<std::string>&, size_t preselected) { return preselected; };
  std::vector<std::string> ran;  // LANGUAGE as each statement saw it
  std::vector<std::string> offered;
  size_t shownPreselected = 99;
  int shown = 0;
};

TEST_F(LanguageChoiceTest, TheDialogPreselectsTheUsersLanguageOrTheDefault) {
  struct Case {
    const char* user;
    const char* preselected;
  };
  for (const Case& c : {Case{"German", "GERMAN"}, Case{"French", "ENGLISH"}, Case{"", "ENGLISH"}}) {
    SCOPED_TRACE(c.user);
    userLanguage = c.user;
    shown = 0;
    ran.clear();
    Run();
    ASSERT_EQ(shown, 1);
    EXPECT_EQ(offered, (std::vector<std::string>{"ENGLISH", "GERMAN"}));
    EXPECT_EQ(offered[shownPreselected], c.preselected);
    EXPECT_EQ(ran, std::vector<std::string>{c.preselected});
  }
}

TEST_F(LanguageChoiceTest, TheUsersAnswerBecomesTheLanguage) {
  userLanguage = "German";
  answer = [](const std::vector<std::string>& languages, size_t) {
    return std::optional<size_t>(languages.size() - 2);  // English
  };
  Run();
  EXPECT_EQ(ran, std::vector<std::string>{"ENGLISH"});
}

TEST_F(LanguageChoiceTest, CancelEndsTheRunBeforeAnyStatement) {
  answer = [](const std::vector<std::string>&, size_t) { return std::optional<size_t>(); };
  Run();
  EXPECT_EQ(shown, 1);
  EXPECT_TRUE(ran.empty());
}

TEST_F(LanguageChoiceTest, SilentRunsTakeThePreselectionWithoutTheDialog) {
  userLanguage = "German";
  Run(/*silent=*/true);
  EXPECT_EQ(shown, 0);
  EXPECT_EQ(ran, std::vector<std::string>{"GERMAN"});
}

TEST_F(LanguageChoiceTest, APatchRunNeverAsks) {
  files.AddFile("D:\\Media\\setup.msp", "patch");
  userLanguage = "German";
  Run();
  EXPECT_EQ(shown, 0);
  EXPECT_EQ(ran, std::vector<std::string>{"ENGLISH"});  // the default; no .lan file
}

}  // namespace
}  // namespace vantrell
