// The setup source folder from the uninstall entry and the override, the
// marker test and the source search, with registry, file and browser twins.
#include <gtest/gtest.h>

#include "lang/engine_texts.h"
#include "msi/setup_sources.h"
#include "script/run_identity.h"
#include "twins/fake_system.h"
#include "twins/registration_twins.h"

namespace vantrell {
namespace {

using testing::FakeSystem;
using testing::MemoryFileSystem;
using testing::ScriptedBrowser;

constexpr const char* kProduct = "{11111111-2222-3333-4444-555555555555}";
const std::string kEntry = std::string(kUninstallKey) + "Shop";

struct FolderCase {
  const char* name;
  std::optional<std::string> uninstallString;  // stored under the root of the case
  bool storedUnderMachine;
  bool allUsers;
  bool windows9x;
  std::string title;
  std::string override;
  std::string expected;
};

class SetupSourceFolderTest : public ::testing::TestWithParam<FolderCase> {};

TEST_P(SetupSourceFolderTest, FolderFromEntryAndOverride) {
  const FolderCase& c = GetParam();
  FakeSystem system;
  if (c.uninstallString) {
    const RegistryRoot root =
        c.storedUnderMachine ? RegistryRoot::kLocalMachine : RegistryRoot::kCurrentUser;
    system.registry[FakeSystem::Key(root, kEntry, "UninstallString")] = *c.uninstallString;
  }
  SetupSourceQuery query{c.title, c.allUsers, c.windows9x, c.override};
  EXPECT_EQ(SetupSourceFolder(system, query), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SetupSourceFolderTest,
    ::testing::Values(FolderCase{"QuotedWithSwitches",
                                 "\"C:\\Cache\\{R}\\setup.exe\" REMOVE=TRUE MODIFY=FALSE", false,
                                 false, false, "Shop", "", "C:\\Cache\\{R}\\"},
                      FolderCase{"UnquotedTakenWhole", "C:\\Old Setup\\setup.exe", false, false,
                                 false, "Shop", "", "C:\\Old Setup\\"},
                      FolderCase{"NoFolderPart", "setup.exe", false, false, false, "Shop", "", ""},
                      FolderCase{"QuoteInTheMiddle", "C:\\A\"B\\x.exe\" tail", false, false, false,
                                 "Shop", "", "C:\\AB\\"},
                      FolderCase{"MissingEntry", std::nullopt, false, false, false, "Shop", "", ""},
                      FolderCase{"AllUsersReadsMachine", "\"C:\\M\\setup.exe\"", true, true, false,
                                 "Shop", "", "C:\\M\\"},
                      FolderCase{"AllUsersIgnoresUser", "\"C:\\U\\setup.exe\"", false, true, false,
                                 "Shop", "", ""},
                      FolderCase{"UserIgnoresMachine", "\"C:\\M\\setup.exe\"", true, false, false,
                                 "Shop", "", ""},
                      FolderCase{"Windows9xReadsMachine", "\"C:\\M\\setup.exe\"", true, false, true,
                                 "Shop", "", "C:\\M\\"},
                      FolderCase{"OverrideWins", "\"C:\\M\\setup.exe\"", false, false, false,
                                 "Shop", "d:\\media", "d:\\media\\"},
                      FolderCase{"OverrideKeepsBackslash", std::nullopt, false, false, false,
                                 "Shop", "d:\\media\\", "d:\\media\\"},
                      FolderCase{"EmptyTitleReadsNothing", "\"C:\\M\\setup.exe\"", false, false,
                                 false, "", "", ""}),
    [](const ::testing::TestParamInfo<FolderCase>& caseInfo) {
      return std::string(caseInfo.param.name);
    });

TEST(SetupSourceFolder, EmptyTitleDoesNotReadTheListOfAllEntries) {
  FakeSystem system;
  system.registry[FakeSystem::Key(RegistryRoot::kCurrentUser, kUninstallKey, "UninstallString")] =
      "\"C:\\Elsewhere\\x.exe\"";
  EXPECT_EQ(SetupSourceFolder(system, SetupSourceQuery{"", false, false, ""}), "");
}

// --- Marker test and search ---------------------------------------------------

struct CheckCase {
  const char* name;
  SourceStatement statement;
  bool install;
  int64_t buildKind;
  bool maintenance;
  bool silent;
  std::vector<std::string> markers;  // folders that hold the marker file
  std::vector<std::optional<std::string>> answers;
  bool expectedResult;
  size_t expectedBrowses;
  std::string expectedData;
  std::string expectedSource;
};

const std::string kData = "D:\\Media\\data\\";
const std::string kSource = "C:\\Cache\\{R}\\";

class CheckSetupSourcesTest : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckSetupSourcesTest, MarkerAndSearch) {
  const CheckCase& c = GetParam();
  MemoryFileSystem files;
  for (const std::string& folder : c.markers) files.AddFile(folder + kProduct, "");
  files.AddFolder("E:\\Wrong");
  ScriptedBrowser browser;
  browser.answers = c.answers;
  SourceCheck check;
  check.statement = c.statement;
  check.install = c.install;
  check.buildKind = c.buildKind;
  check.productCode = kProduct;
  check.maintenance = c.maintenance;
  check.silent = c.silent;
  check.setupSourceFolder = kSource;
  check.dataFolder = kData;
  EXPECT_EQ(CheckSetupSources(files, &browser, check), c.expectedResult);
  EXPECT_EQ(browser.titles.size(), c.expectedBrowses);
  for (const std::string& title : browser.titles) {
    EXPECT_EQ(title, "Please locate your original setup sources to continue operation");
  }
  EXPECT_EQ(check.dataFolder, c.expectedData);
  EXPECT_EQ(check.setupSourceFolder, c.expectedSource);
}

constexpr auto kChanges = SourceStatement::kApplyChanges;
constexpr auto kPatch = SourceStatement::kApplyPatch;

INSTANTIATE_TEST_SUITE_P(
    Cases, CheckSetupSourcesTest,
    ::testing::Values(
        CheckCase{
            "MarkerPresent", kChanges, true, 0, true, false, {kData}, {}, true, 0, kData, kSource},
        CheckCase{"FirstInstallRunsOnWithoutSearch",
                  kChanges,
                  true,
                  0,
                  false,
                  false,
                  {},
                  {},
                  true,
                  0,
                  kData,
                  kSource},
        CheckCase{"RemoveDoesNotSearch",
                  kChanges,
                  false,
                  0,
                  true,
                  false,
                  {},
                  {},
                  true,
                  0,
                  kData,
                  kSource},
        CheckCase{"SilentMaintenanceGivesUp",
                  kChanges,
                  true,
                  0,
                  true,
                  true,
                  {},
                  {},
                  false,
                  0,
                  kData,
                  kSource},
        CheckCase{"BuildKind2NeverSearches",
                  kChanges,
                  true,
                  2,
                  true,
                  false,
                  {},
                  {},
                  true,
                  0,
                  kData,
                  kSource},
        CheckCase{"SilentMaintenanceTakesTheSourceFolder",
                  kChanges,
                  true,
                  0,
                  true,
                  true,
                  {kSource + "data\\"},
                  {},
                  true,
                  0,
                  kSource + "data\\",
                  kSource},
        CheckCase{"SourceFolderBeforeAsking",
                  kChanges,
                  true,
                  0,
                  true,
                  false,
                  {kSource},
                  {},
                  true,
                  0,
                  kSource,
                  kSource},
        CheckCase{"CancelGivesUp",
                  kChanges,
                  true,
                  0,
                  true,
                  false,
                  {},
                  {std::nullopt},
                  false,
                  1,
                  kData,
                  kSource},
        CheckCase{"DataSubFolderAccepted",
                  kChanges,
                  true,
                  0,
                  true,
                  false,
                  {"F:\\Setup\\data\\"},
                  {std::string("F:\\Setup")},
                  true,
                  1,
                  "F:\\Setup\\data\\",
                  kSource},
        CheckCase{"WrongFolderAsksAgain",
                  kChanges,
                  true,
                  0,
                  true,
                  false,
                  {"F:\\Setup\\"},
                  {std::string("E:\\Wrong"), std::string("F:\\Setup\\")},
                  true,
                  2,
                  "F:\\Setup\\",
                  kSource},
        CheckCase{"MarkerBesideWinsOverDataSubFolder",
                  kChanges,
                  true,
                  0,
                  true,
                  false,
                  {"F:\\Setup\\", "F:\\Setup\\data\\"},
                  {std::string("F:\\Setup")},
                  true,
                  1,
                  "F:\\Setup\\",
                  kSource},
        CheckCase{"PatchSearchesInFirstInstall",
                  kPatch,
                  false,
                  0,
                  false,
                  false,
                  {},
                  {std::nullopt},
                  false,
                  1,
                  kData,
                  kSource},
        CheckCase{
            "PatchSilentGivesUp", kPatch, false, 0, false, true, {}, {}, false, 0, kData, kSource},
        CheckCase{"PatchOfBuildKind2DoesNotSearch",
                  kPatch,
                  false,
                  2,
                  false,
                  false,
                  {},
                  {},
                  true,
                  0,
                  kData,
                  kSource},
        CheckCase{"PatchBuildTakesDataFolderAsSource",
                  kPatch,
                  false,
                  3,
                  false,
                  false,
                  {kData},
                  {},
                  true,
                  0,
                  kData,
                  kData},
        CheckCase{"PatchBuildKeepsMarkedSource",
                  kPatch,
                  false,
                  3,
                  false,
                  false,
                  {kSource, kData},
                  {},
                  true,
                  0,
                  kData,
                  kSource},
        CheckCase{"PatchBuildWithoutMarkersGivesUpWhenSilent",
                  kPatch,
                  false,
                  3,
                  false,
                  true,
                  {},
                  {},
                  false,
                  0,
                  kData,
                  kSource}),
    [](const ::testing::TestParamInfo<CheckCase>& caseInfo) {
      return std::string(caseInfo.param.name);
    });

TEST(CheckSetupSources, WithoutABrowserTheSearchGivesUp) {
  MemoryFileSystem files;
  SourceCheck check;
  check.install = true;
  check.maintenance = true;
  check.productCode = kProduct;
  check.dataFolder = kData;
  EXPECT_FALSE(CheckSetupSources(files, nullptr, check));
}

TEST(CheckSetupSources, WithoutAProductCodeTheBareFolderIsNoMarker) {
  MemoryFileSystem files;
  files.AddFolder(kData);
  SourceCheck check;
  check.install = true;
  check.maintenance = true;
  check.silent = true;
  check.dataFolder = kData;
  EXPECT_FALSE(CheckSetupSources(files, nullptr, check));
}

// --- The run's kept folders ----------------------------------------------------

TEST(FindSetupSources, FoundFolderBecomesTheRunsDataFolder) {
  MemoryFileSystem files;
  files.AddFile("F:\\Setup\\data\\" + std::string(kProduct), "");
  FakeSystem system;
  system.registry[FakeSystem::Key(RegistryRoot::kLocalMachine, kEntry, "UninstallString")] =
      "\"C:\\ProgramData\\{R}\\setup.exe\" REMOVE=TRUE MODIFY=FALSE";
  TVariableManager vars;
  vars.PutVariable("TITLE", "Shop");
  vars.PutVariable("ALLUSERS", "TRUE");
  vars.PutVariable("MAINTENANCE", "TRUE");
  RunIdentity& run = CurrentRun();
  run = RunIdentity{};
  run.productCode = kProduct;
  run.dataFolder = "C:\\Gone\\data\\";
  ScriptedBrowser browser;
  browser.answers = {std::string("F:\\Setup")};
  SetupSourceServices services{files, system, vars, &browser, false, false};
  EXPECT_TRUE(FindSetupSources(SourceStatement::kApplyChanges, true, services));
  EXPECT_EQ(RunSetupSourceFolder(), "C:\\ProgramData\\{R}\\");
  EXPECT_EQ(run.dataFolder, "F:\\Setup\\data\\");
  ResetRunSetupSourceFolder();
  EXPECT_EQ(RunSetupSourceFolder(), "");
  run = RunIdentity{};
}

TEST(FindSetupSources, SilentMaintenanceFindsTheSourcesThroughTheOverride) {
  MemoryFileSystem files;
  files.AddFile("\\\\server\\setups\\shop\\data\\" + std::string(kProduct), "");
  FakeSystem system;
  TVariableManager vars;
  vars.PutVariable("TITLE", "Shop");
  vars.PutVariable("MAINTENANCE", "TRUE");
  RunIdentity& run = CurrentRun();
  run = RunIdentity{};
  run.productCode = kProduct;
  run.dataFolder = "C:\\Cache\\{R}\\data\\";
  run.sourcePathOverride = "\\\\server\\setups\\shop";
  SetupSourceServices services{files, system, vars, nullptr, true, false};
  EXPECT_TRUE(FindSetupSources(SourceStatement::kApplyChanges, true, services));
  EXPECT_EQ(run.dataFolder, "\\\\server\\setups\\shop\\data\\");
  run = RunIdentity{};
  ResetRunSetupSourceFolder();
}

TEST(FindSetupSources, SilentMaintenanceWithoutSourcesGivesUpAndKeepsTheDataFolder) {
  MemoryFileSystem files;
  FakeSystem system;
  TVariableManager vars;
  vars.PutVariable("TITLE", "Shop");
  vars.PutVariable("MAINTENANCE", "TRUE");
  RunIdentity& run = CurrentRun();
  run = RunIdentity{};
  run.productCode = kProduct;
  run.dataFolder = "C:\\Gone\\data\\";
  ScriptedBrowser browser;
  SetupSourceServices services{files, system, vars, &browser, true, false};
  EXPECT_FALSE(FindSetupSources(SourceStatement::kApplyChanges, true, services));
  EXPECT_TRUE(browser.titles.empty());
  EXPECT_EQ(run.dataFolder, "C:\\Gone\\data\\");
  EXPECT_EQ(EngineText(18),
            "Original setup sources required to complete operation, sources not found");
  run = RunIdentity{};
}

}  // namespace
}  // namespace vantrell
