// "Apply Changes" and "Apply Patch" through their registered handlers, with a
// runner twin that records the request and answers with a scripted result,
// and hook twins for the setup sources and the upkeep after success: the
// operation each pair of flags selects, the source check's install flag, the
// result texts and variables, the upkeep only after success, and the busy
// retry of an installer call.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "lang/translations.h"

#include "msi/apply_changes.h"
#include "msi/install_result.h"
#include "msi/install_statements.h"
#include "msi/property_list.h"
#include "script/run_identity.h"
#include "twins/statement_test.h"

namespace vantrell {
namespace {

using testing::StatementRunner;

class RunnerTwin final : public InstallerRunner {
 public:
  int RunInstaller(const InstallerRequest& request, std::string& errorText) override {
    requests.push_back(request);
    errorText = answerText;
    return answer;
  }
  int answer = kInstallComplete;
  std::string answerText;
  std::vector<InstallerRequest> requests;
};

class NoQueries final : public InstallerQueries {
 public:
  int QueryProductState(const std::string&) override { return -1; }
  std::optional<std::string> ProductInfo(const std::string&, const std::string&) override {
    return std::nullopt;
  }
};

struct HookLog {
  bool sourcesFound = true;
  std::vector<bool> checks;  // the install flag of each source check
  int patchChecks = 0;
  std::vector<std::string> localized;  // the packages given their translated texts
  std::vector<InstallerRequest> upkeep;
};

struct FlowCase {
  const char* name;
  const char* install;  // parameter 3
  const char* remove;   // parameter 4
  bool sourcesFound;
  int answer;
  const char* answerText;
  // expected
  bool ran;
  bool requestInstall;
  bool requestAdvertise;
  bool checkedAsInstall;
  const char* result;
  const char* lastError;  // nullptr: untouched
  bool upkeep;
  const char* rebootComputer;
};

const FlowCase kFlows[] = {
    {"Install", "TRUE", "FALSE", true, kInstallComplete, "", true, true, false, true, "COMPLETE",
     nullptr, true, "FALSE"},
    {"InstallFlagMinusOne", "-1", "", true, kInstallComplete, "", true, true, false, true,
     "COMPLETE", nullptr, true, "FALSE"},
    {"Remove", "FALSE", "TRUE", true, kInstallComplete, "", true, false, false, false, "COMPLETE",
     nullptr, true, "FALSE"},
    {"InstallWinsOverRemove", "TRUE", "TRUE", true, kInstallComplete, "", true, true, false, true,
     "COMPLETE", nullptr, true, "FALSE"},
    // An advertisement installs nothing from the sources: no search for them.
    {"Advertise", "FALSE", "FALSE", true, kInstallComplete, "", true, true, true, false, "COMPLETE",
     nullptr, true, "FALSE"},
    {"SourcesNotFound", "TRUE", "FALSE", false, kInstallComplete, "", false, false, false, true,
     "CANCEL", "Original setup sources required to complete operation, sources not found", false,
     "FALSE"},
    {"Error", "TRUE", "FALSE", true, kInstallError, "Fatal error during installation", true, true,
     false, true, "ERROR", "Fatal error during installation", false, "FALSE"},
    {"Cancelled", "TRUE", "FALSE", true, kInstallCancel, "", true, true, false, true, "CANCEL",
     nullptr, false, "FALSE"},
    {"RebootNeeded", "TRUE", "FALSE", true, kInstallReboot, "", true, true, false, true, "REBOOT",
     nullptr, true, "TRUE"},
    {"RemoveNeedsReboot", "FALSE", "TRUE", true, kInstallReboot, "", true, false, false, false,
     "REBOOT", nullptr, true, "TRUE"},
};

class InstallerRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetInstallRecording();
    Properties().Clear();
    CurrentRun() = RunIdentity{};
    CurrentRun().productCode = "{11111111-2222-3333-4444-555555555555}";
    CurrentRun().installerDatabasePath = "C:\\Support\\setup.msi";
    CurrentRun().dataFolder = "C:\\Setup\\data";
  }
  void TearDown() override {
    ResetInstallRecording();
    Properties().Clear();
    CurrentRun() = RunIdentity{};
  }

  // The statement table of one run with the twins behind it.
  void Register(StatementRunner& statements, RunnerTwin& runner, HookLog& log) {
    InstallerRunServices services{{}, {}, queries_};
    services.hooks.setupSourceFolder = [](StatementContext&) {
      return std::string("C:\\Cache\\{R}\\");
    };
    services.hooks.checkSources = [&log](StatementContext&, bool install) {
      log.checks.push_back(install);
      return log.sourcesFound;
    };
    services.hooks.checkPatchSources = [&log](StatementContext&) {
      ++log.patchChecks;
      return log.sourcesFound;
    };
    services.hooks.localizeTexts = [&log](const std::string& package) {
      log.localized.push_back(package);
    };
    services.hooks.afterSuccess = [&log](StatementContext&, const InstallerRequest& request) {
      log.upkeep.push_back(request);
    };
    services.runner = [&runner](StatementContext&, bool) {
      // The statement owns its runner; this one forwards to the test's twin.
      struct Forward final : InstallerRunner {
        explicit Forward(RunnerTwin& twin) : twin_(twin) {}
        int RunInstaller(const InstallerRequest& r, std::string& e) override {
          return twin_.RunInstaller(r, e);
        }
        RunnerTwin& twin_;
      };
      return std::make_unique<Forward>(runner);
    };
    RegisterInstallerRunStatements(statements.table, services);
  }

  NoQueries queries_;
};

class ApplyChangesFlow : public InstallerRunTest, public ::testing::WithParamInterface<FlowCase> {};

TEST_P(ApplyChangesFlow, OperationResultAndUpkeep) {
  const FlowCase& c = GetParam();
  StatementRunner statements(/*silent=*/true);
  RunnerTwin runner;
  runner.answer = c.answer;
  runner.answerText = c.answerText;
  HookLog log;
  log.sourcesFound = c.sourcesFound;
  Register(statements, runner, log);
  statements.vars.PutVariable("TEMPDIR", "C:\\Temp\\");
  statements.vars.PutVariable("TARGETDIR", "C:\\Program Files\\\\Shop");
  statements.vars.PutVariable("REBOOTCOMPUTER", "FALSE");

  statements.Run("Apply Changes", {"progress", "RESULT", c.install, c.remove});

  ASSERT_EQ(log.checks.size(), 1u);
  EXPECT_EQ(log.checks[0], c.checkedAsInstall);
  EXPECT_EQ(statements.Get("RESULT"), c.result);
  if (c.lastError != nullptr) {
    EXPECT_EQ(statements.Get("LASTERROR"), c.lastError);
  }
  EXPECT_EQ(statements.Get("REBOOTCOMPUTER"), c.rebootComputer);
  ASSERT_EQ(runner.requests.size(), c.ran ? 1u : 0u);
  EXPECT_EQ(log.upkeep.size(), c.upkeep ? 1u : 0u);
  if (!c.ran) return;
  const InstallerRequest& request = runner.requests[0];
  EXPECT_EQ(request.operation, InstallerOperation::kPackage);
  EXPECT_EQ(request.install, c.requestInstall);
  EXPECT_EQ(request.advertise, c.requestAdvertise);
  EXPECT_EQ(request.packagePath, "C:\\Support\\setup.msi");
  EXPECT_EQ(request.progressDialogFile, "C:\\Support\\progress.dfm");
  EXPECT_EQ(request.dataFolder, "C:\\Setup\\data\\");
  EXPECT_EQ(request.setupSourceFolder, "C:\\Cache\\{R}\\");
  EXPECT_EQ(request.targetFolder, "C:\\Program Files\\Shop");
  EXPECT_EQ(request.productCode, "{11111111-2222-3333-4444-555555555555}");
  // The temporary folder reaches the package and the property list.
  const std::vector<std::string> lines = Properties().Lines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "MSINTEMP");
  EXPECT_EQ(lines.back(), "C:\\Temp\\");
  EXPECT_NE(request.propertyListText.find("MSINTEMP"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Cases, ApplyChangesFlow, ::testing::ValuesIn(kFlows),
                         [](const ::testing::TestParamInfo<FlowCase>& flow) {
                           return std::string(flow.param.name);
                         });

TEST_F(InstallerRunTest, SearchedSourcesBecomeTheRequestsDataFolder) {
  StatementRunner statements(/*silent=*/false);
  RunnerTwin runner;
  HookLog log;
  Register(statements, runner, log);
  statements.table.Register("Apply Changes", [&](StatementContext& statement) {
    ApplyChangesHooks hooks;
    hooks.checkSources = [](StatementContext&, bool) {
      CurrentRun().dataFolder = "F:\\Found\\data\\";
      return true;
    };
    ExecuteApplyChanges(statement, runner, hooks, "C:\\Support\\setup.msi", "C:\\Setup\\data\\");
  });
  statements.Run("Apply Changes", {"", "RESULT", "TRUE", "FALSE"});
  ASSERT_EQ(runner.requests.size(), 1u);
  EXPECT_EQ(runner.requests[0].dataFolder, "F:\\Found\\data\\");
}

TEST_F(InstallerRunTest, TheChosenLanguageReachesThePackage) {
  for (const char* language : {"German", ""}) {
    ResetInstallRecording();
    Translations().Reset();
    Translations().SetCurrent(language);
    StatementRunner statements(/*silent=*/true);
    RunnerTwin runner;
    HookLog log;
    Register(statements, runner, log);
    statements.Run("Apply Changes", {"", "RESULT", "TRUE", "FALSE"});
    std::vector<std::string> queued;
    for (const QueuedProperty& p : PropertyQueue()) queued.push_back(p.name + "=" + p.value);
    const bool sent =
        std::find(queued.begin(), queued.end(), "ProductLanguage=1031") != queued.end();
    EXPECT_EQ(sent, std::string(language) == "German") << language;
    EXPECT_EQ(log.localized.size(), sent ? 1u : 0u) << language;
  }
  Translations().Reset();
}

TEST_F(InstallerRunTest, PatchRunsBesideThePackageWithoutUpkeep) {
  StatementRunner statements(/*silent=*/true);
  RunnerTwin runner;
  runner.answer = kInstallReboot;
  HookLog log;
  Register(statements, runner, log);
  statements.Run("Apply Patch", {"PATCHED"});
  EXPECT_EQ(log.patchChecks, 1);
  EXPECT_TRUE(log.checks.empty());
  ASSERT_EQ(runner.requests.size(), 1u);
  const InstallerRequest& request = runner.requests[0];
  EXPECT_EQ(request.operation, InstallerOperation::kPatch);
  EXPECT_EQ(request.packagePath, "C:\\Support\\setup.msp");
  EXPECT_FALSE(request.install);
  EXPECT_FALSE(request.advertise);
  EXPECT_EQ(request.setupSourceFolder, "C:\\Setup\\data\\");
  EXPECT_EQ(request.setupSourceFolder, request.dataFolder);
  EXPECT_EQ(statements.Get("PATCHED"), "REBOOT");
  EXPECT_EQ(statements.Get("REBOOTCOMPUTER"), "TRUE");
  EXPECT_TRUE(log.upkeep.empty());
  // MSINTEMP is the web-based build's alone.
  EXPECT_TRUE(Properties().Lines().empty());
}

TEST_F(InstallerRunTest, PatchOfAWebBasedBuildRecordsTheTemporaryFolder) {
  CurrentRun().buildKind = kBuildKindMediaBlocks;
  StatementRunner statements(/*silent=*/true);
  RunnerTwin runner;
  HookLog log;
  Register(statements, runner, log);
  statements.vars.PutVariable("TEMPDIR", "C:\\Temp\\");
  statements.Run("Apply Patch", {"PATCHED"});
  EXPECT_EQ(Properties().Lines(), (std::vector<std::string>{"MSINTEMP", "C:\\Temp\\"}));
}

TEST_F(InstallerRunTest, PatchWithoutSourcesIsCancelledAndNotRun) {
  StatementRunner statements(/*silent=*/true);
  RunnerTwin runner;
  HookLog log;
  log.sourcesFound = false;
  Register(statements, runner, log);
  statements.Run("Apply Patch", {"PATCHED"});
  EXPECT_TRUE(runner.requests.empty());
  EXPECT_EQ(statements.Get("PATCHED"), "CANCEL");
}

// --- The busy retry of one installer call -----------------------------------

struct BusyCase {
  const char* name;
  std::vector<uint32_t> codes;  // what the installer answers, call by call
  int cancelAfterWaits;         // -1: never
  uint32_t want;
  size_t calls;
  std::vector<std::string> texts;
};

TEST(CallWhileBusy, RetriesUntilFreeOrCancelled) {
  const BusyCase cases[] = {
      {"FreeAtOnce", {kInstallerSuccess}, -1, kInstallerSuccess, 1, {}},
      {"BusyTwiceThenDone",
       {kInstallerBusy, kInstallerBusy, kInstallerRebootRequired},
       -1,
       kInstallerRebootRequired,
       3,
       {"Windows Installer.", "Windows Installer.."}},
      {"DotsWrapAfterThree",
       {kInstallerBusy, kInstallerBusy, kInstallerBusy, kInstallerBusy, kInstallerRebootInitiated},
       -1,
       kInstallerRebootInitiated,
       5,
       {"Windows Installer.", "Windows Installer..", "Windows Installer...", "Windows Installer."}},
      {"CancelWhileBusy",
       {kInstallerBusy, kInstallerBusy, kInstallerSuccess},
       1,
       kInstallerBusy,
       1,
       {"Windows Installer."}},
  };
  for (const BusyCase& c : cases) {
    size_t calls = 0;
    int waits = 0;
    std::vector<std::string> texts;
    BusyRetry retry;
    retry.call = [&] { return c.codes[std::min(calls++, c.codes.size() - 1)]; };
    retry.cancelled = [&] { return c.cancelAfterWaits >= 0 && waits >= c.cancelAfterWaits; };
    retry.showBusy = [&](const std::string& text) { texts.push_back(text); };
    retry.wait = [&](int milliseconds) {
      EXPECT_EQ(milliseconds, kBusyRetryMilliseconds);
      ++waits;
    };
    EXPECT_EQ(CallWhileBusy(retry), c.want) << c.name;
    EXPECT_EQ(calls, c.calls) << c.name;
    EXPECT_EQ(texts, c.texts) << c.name;
  }
}

// What the codes mean once the retries are over.
TEST(CallWhileBusy, FinalCodesClassify) {
  EXPECT_EQ(ClassifyInstallerResult(kInstallerRebootRequired),
            InstallerCallOutcome::kRebootRequired);
  EXPECT_EQ(ClassifyInstallerResult(kInstallerRebootInitiated),
            InstallerCallOutcome::kRebootRequired);
  EXPECT_EQ(ClassifyInstallerResult(kInstallerBusy), InstallerCallOutcome::kBusy);
  // A cancelled busy wait ends as a cancel, whatever the code says.
  EXPECT_EQ(RunnerResult("TRUE", true, false), kInstallCancel);
}

}  // namespace
}  // namespace vantrell
