// Installer result codes, error texts, busy dots, the runner's result and the
// variables written for it.
#include <gtest/gtest.h>

#include "lang/engine_texts.h"
#include "msi/install_result.h"

namespace vantrell {
namespace {

TEST(InstallResult, CallOutcomes) {
  struct Row {
    uint32_t code;
    InstallerCallOutcome outcome;
  } rows[] = {
      {0, InstallerCallOutcome::kSuccess},           {3010, InstallerCallOutcome::kRebootRequired},
      {1641, InstallerCallOutcome::kRebootRequired}, {1618, InstallerCallOutcome::kBusy},
      {1603, InstallerCallOutcome::kError},          {1602, InstallerCallOutcome::kError},
      {0xFFFFFFFF, InstallerCallOutcome::kError}};
  for (const Row& row : rows) EXPECT_EQ(ClassifyInstallerResult(row.code), row.outcome) << row.code;
}

TEST(InstallResult, SystemMessageLosesTrailingBlanksControlsAndPeriods) {
  EXPECT_EQ(CleanSystemMessageText("Fatal error during installation.\r\n"),
            "Fatal error during installation");
  EXPECT_EQ(CleanSystemMessageText("A. B. . \t\r\n"), "A. B");
  EXPECT_EQ(CleanSystemMessageText("...\r\n"), "");
  EXPECT_EQ(CleanSystemMessageText(""), "");
}

TEST(InstallResult, ErrorTextCompletion) {
  ResetEngineTexts();
  struct Row {
    const char* text;
    const char* last;
    const char* want;
  } rows[] = {
      {"Access denied", "ignored", "Access denied"},
      {"", "Error 1722. A program failed", "Error 1722. A program failed"},
      {"", "The disk is full.", "The disk is full"},
      {"", "", "General setup failure"},
      {"One.", "", "One"},
      {"One. Two.", "", "One. Two."},
      {".", "", ""},
  };
  for (const Row& row : rows)
    EXPECT_EQ(CompleteErrorText(row.text, row.last), row.want) << row.text;
}

TEST(InstallResult, BusyDotsCycle) {
  std::string dots;
  const char* want[] = {".", "..", "...", ".", "..", "...", "."};
  for (const char* w : want) {
    dots = NextBusyDots(dots);
    EXPECT_EQ(dots, w);
    EXPECT_EQ(BusyProgressText(dots), std::string("Windows Installer") + w);
  }
}

TEST(InstallResult, RunnerResult) {
  struct Row {
    const char* cancelled;
    bool error, reboot;
    int result;
    const char* text;
  } rows[] = {
      {"TRUE", true, true, 0, "CANCEL"},     {"FALSE", true, true, -1, "ERROR"},
      {"FALSE", false, true, 2, "REBOOT"},   {"FALSE", false, false, 1, "COMPLETE"},
      {"true", false, false, 1, "COMPLETE"}, {"-1", true, false, -1, "ERROR"},
  };
  for (const Row& row : rows) {
    const int result = RunnerResult(row.cancelled, row.error, row.reboot);
    EXPECT_EQ(result, row.result) << row.cancelled << row.error << row.reboot;
    EXPECT_STREQ(InstallResultText(result), row.text);
  }
  EXPECT_STREQ(InstallResultText(7), "ERROR");
}

TEST(InstallResult, InstallAndRemoveFlags) {
  struct Row {
    const char* install;
    const char* remove;
    bool wantInstall, wantAdvertise;
  } rows[] = {
      {"TRUE", "FALSE", true, false},  {"TRUE", "TRUE", true, false},
      {"FALSE", "TRUE", false, false}, {"FALSE", "FALSE", true, true},
      {"-1", "", true, false},         {"", "true", false, false},
      {"yes", "1", true, true},
  };
  for (const Row& row : rows) {
    InstallFlags flags = ReadInstallFlags(row.install, row.remove);
    EXPECT_EQ(flags.install, row.wantInstall) << row.install << "|" << row.remove;
    EXPECT_EQ(flags.advertise, row.wantAdvertise) << row.install << "|" << row.remove;
  }
}

TEST(InstallResult, ResultVariableNames) {
  EXPECT_EQ(ResultVariableName("SUCCESS"), "SUCCESS");
  EXPECT_EQ(ResultVariableName("$SUCCESS$"), "SUCCESS");
  EXPECT_EQ(ResultVariableName(""), "");
}

TEST(InstallResult, VariablesWrittenPerResult) {
  ResetEngineTexts();
  struct Row {
    int result;
    const char* errorText;
    const char* text;
    const char* lastError;
    const char* reboot;
  } rows[] = {
      {-1, "Disk full", "ERROR", "Disk full", "untouched"},
      {0, "", "CANCEL", "old", "untouched"},
      {1, "", "COMPLETE", "old", "untouched"},
      {2, "", "REBOOT", "old", "TRUE"},
  };
  for (const Row& row : rows) {
    TVariableManager vars;
    vars.PutVariable("LASTERROR", "old");
    vars.PutVariable("REBOOTCOMPUTER", "untouched");
    WriteInstallResult(vars, "$Outcome$", row.result, row.errorText, "Apply Changes Action");
    EXPECT_TRUE(vars.VariableExists("OUTCOME"));
    EXPECT_EQ(vars.GetVariable("OUTCOME"), row.text);
    EXPECT_EQ(vars.GetVariable("LASTERROR"), row.lastError);
    EXPECT_EQ(vars.GetVariable("REBOOTCOMPUTER"), row.reboot);
  }
}

TEST(InstallResult, NoResultVariableForAnEmptyParameter) {
  TVariableManager vars;
  WriteInstallResult(vars, "", 1, "", "Apply Changes Action");
  std::vector<std::string> all;
  vars.ListVariables(all);
  EXPECT_TRUE(all.empty());
}

TEST(InstallResult, SilentRunKeepsCommandLineResultVariable) {
  // Writes go through the assignment rule: a command-line value wins in a silent run.
  TVariableManager vars;
  vars.SetSilent(true);
  vars.SetOverrideList({"SUCCESS", "preset"});
  vars.PutVariable("SUCCESS", "preset");
  WriteInstallResult(vars, "SUCCESS", 1, "", "Apply Changes Action");
  EXPECT_EQ(vars.GetVariable("SUCCESS"), "preset");
}

TEST(InstallResult, SourcesNotFound) {
  ResetEngineTexts();
  TVariableManager vars;
  WriteSourcesNotFound(vars, "SUCCESS", "Apply Changes Action");
  EXPECT_EQ(vars.GetVariable("LASTERROR"),
            "Original setup sources required to complete operation, sources not found");
  EXPECT_EQ(vars.GetVariable("SUCCESS"), "CANCEL");
}

}  // namespace
}  // namespace vantrell
