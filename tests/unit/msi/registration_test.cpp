// The engine cache upkeep and the product registration after installs,
// advertisements and removals, against file, registry and folder twins:
// file contents and order, registry values and roots, cleanup, moving a
// folder in use aside, and the refusals that keep deletion inside the cache.
#include <gtest/gtest.h>

#include <algorithm>

#include "components/feature_selection_file.h"
#include "msi/property_list.h"
#include "msi/registration.h"
#include "msi/setup_sources.h"
#include "script/run_identity.h"
#include "twins/fake_system.h"
#include "twins/registration_twins.h"

namespace vantrell {
namespace {

using testing::FakeSystem;
using testing::InUseFileSystem;
using testing::RecordingFolders;
using testing::RecordingRegistry;
using testing::RegistryWrite;

constexpr const char* kProduct = "{11111111-2222-3333-4444-555555555555}";
constexpr const char* kRevision = "{66666666-7777-8888-9999-000000000000}";
const std::string kRoot = "C:\\ProgramData\\";
const std::string kCache = kRoot + kRevision + "\\";
const std::string kUninstall = std::string(kUninstallKey) + "Shop";
const std::string kProductEntry = std::string(kUninstallKey) + kProduct;
const std::string kIdent = std::string(kEngineCacheRegistryKey) + kProduct;

class RegistrationTest : public ::testing::Test {
 protected:
  RegistrationTest()
      : folders(files), services{files, system, registry, folders, PlatformFamily{}} {
    for (const char* name : {"setup.exe", "setup.msi", "setup.res", "zeb.lib", "setup.bmp"}) {
      files.memory.AddFile(std::string("D:\\Media\\") + name, std::string("bytes of ") + name);
    }
    setup.productCode = kProduct;
    setup.revisionCode = kRevision;
    setup.title = "Shop";
    setup.exePath = "D:\\Media\\setup.exe";
    setup.exeFolder = "D:\\Media\\";
    setup.baseName = "setup";
    setup.packagePath = "D:\\Media\\setup.msi";
    setup.allUsers = true;
    setup.compressCache = true;
    setup.cacheRoot = kRoot;
    setup.installLocation = "C:\\Program Files\\Shop\\";
    setup.registration = {"Corvatis Ltd",   "ann@example.com", "http://help",
                          "http://updates", "A shop",          "1.0"};
    setup.language = "English";
    setup.dataFolder = "D:\\Media\\data\\";
    setup.propertyListText = "A1F\r\nFALSE\r\n";
    vars.PutVariable("TARGETDIR", "C:\\Program Files\\Shop\\");
  }

  CacheUpkeep Run(CacheOperation operation) {
    return UpdateCachedSetup(operation, setup, services, table, vars);
  }
  std::string Bytes(const std::string& path) {
    const auto* file = files.memory.Find(path);
    return file ? file->bytes : "<missing>";
  }
  std::vector<std::string> WrittenValues() {
    std::vector<std::string> out;
    for (const RegistryWrite& w : registry.writes) {
      out.push_back(std::string(w.root == RegistryRoot::kLocalMachine ? "LM " : "CU ") + w.key +
                    " [" + w.value + "] = " + w.data);
    }
    return out;
  }

  InUseFileSystem files;
  FakeSystem system;
  RecordingRegistry registry;
  RecordingFolders folders;
  RegistrationServices services;
  TComponentTable table;
  TVariableManager vars;
  CachedSetup setup;
};

TEST_F(RegistrationTest, InstallKeepsEveryFileOfTheCache) {
  CacheUpkeep result = Run(CacheOperation::kInstall);
  EXPECT_TRUE(result.written);
  EXPECT_FALSE(result.removed);
  EXPECT_EQ(result.cacheFolder, kCache);
  EXPECT_EQ(Bytes(kCache + "setup.exe"), "bytes of setup.exe");
  EXPECT_EQ(Bytes(kCache + "setup.msi"), "bytes of setup.msi");
  EXPECT_EQ(Bytes(kCache + "setup.res"), "bytes of setup.res");
  EXPECT_EQ(Bytes(kCache + "zeb.lib"), "bytes of zeb.lib");
  EXPECT_EQ(Bytes(kCache + "setup.bmp"), "bytes of setup.bmp");
  EXPECT_EQ(Bytes(kCache + "setup.par"), "A1F\r\nFALSE\r\n");
  EXPECT_EQ(Bytes(kCache + "setup.lan"), "English\r\n");
  EXPECT_EQ(Bytes(kCache + "instance.dat"),
            std::string(kProduct) + "\r\n" + kRevision + "\r\nShop\r\n");
  EXPECT_FALSE(files.FileExists(kCache + kProduct));
  EXPECT_FALSE(files.DirectoryExists(kCache + "__ad"));
  // The feature selection file is the full form with the short data folder.
  FeatureSelectionContent saved = ParseFeatureSelections(Bytes(kCache + "setup.dat"));
  ASSERT_EQ(saved.items.size(), 4u);
  EXPECT_EQ(saved.items[0].value_or("?"), "C:\\Program Files\\Shop\\");
  EXPECT_EQ(saved.items[3].value_or("?"), "SHORT:D:\\Media\\data\\");
  EXPECT_EQ(folders.compression, (std::vector<std::pair<std::string, bool>>{{kCache, true}}));
}

TEST_F(RegistrationTest, FilesAreWrittenInTableOrder) {
  setup.buildKind = 2;
  Run(CacheOperation::kInstall);
  std::vector<std::string> order;
  for (const std::string& entry : files.log) {
    std::string name = entry.substr(entry.find(' ') + 1);
    if (name.rfind(kCache, 0) != 0) continue;
    name = name.substr(kCache.size());
    if (name == "setup.dat.dat") name = "setup.dat";
    if (std::find(order.begin(), order.end(), name) == order.end()) order.push_back(name);
  }
  EXPECT_EQ(order, (std::vector<std::string>{kProduct, "setup.exe", "setup.msi", "setup.res",
                                             "zeb.lib", "setup.bmp", "setup.dat", "setup.par",
                                             "setup.lan", "instance.dat"}));
  EXPECT_EQ(Bytes(kCache + kProduct), "");
}

TEST_F(RegistrationTest, RegistryEntriesInTableOrder) {
  Run(CacheOperation::kInstall);
  const std::string exe = kCache + "setup.exe";
  EXPECT_EQ(
      WrittenValues(),
      (std::vector<std::string>{
          "LM " + kProductEntry + " [UninstallString] = " + exe,
          "LM " + kUninstall + " [DisplayIcon] = " + exe,
          "LM " + kUninstall + " [DisplayName] = Shop",
          "LM " + kUninstall + " [UninstallString] = \"" + exe + "\" REMOVE=TRUE MODIFY=FALSE",
          "LM " + kUninstall + " [ModifyPath] = " + exe,
          "LM " + kUninstall + " [Publisher] = Corvatis Ltd",
          "LM " + kUninstall + " [Contact] = ann@example.com",
          "LM " + kUninstall + " [HelpLink] = http://help",
          "LM " + kUninstall + " [URLUpdateInfo] = http://updates",
          "LM " + kUninstall + " [Comments] = A shop",
          "LM " + kUninstall + " [InstallLocation] = C:\\Program Files\\Shop\\",
          "LM " + kIdent + " [] = " + kCache,
      }));
  EXPECT_TRUE(registry.deletions.empty());
}

TEST_F(RegistrationTest, ProductEntryNamesThePackageBaseNameAsExecutable) {
  setup.exePath = "D:\\Media\\Setup Tool.EXE";
  setup.baseName = "Setup Tool";
  files.memory.AddFile(setup.exePath, "x");
  Run(CacheOperation::kInstall);
  EXPECT_EQ(registry.writes.at(0).data, kCache + "Setup Tool.exe");
  EXPECT_EQ(registry.writes.at(3).data,
            "\"" + kCache + "Setup Tool.EXE\" REMOVE=TRUE MODIFY=FALSE");
}

struct RootCase {
  const char* name;
  bool allUsers;
  bool windows9x;
  RegistryRoot expected;
};

class RegistrationRootTest : public RegistrationTest,
                             public ::testing::WithParamInterface<RootCase> {};

TEST_P(RegistrationRootTest, RootFollowsAllUsersAndFamily) {
  setup.allUsers = GetParam().allUsers;
  services.platform.windows9x = GetParam().windows9x;
  services.platform.windows2000OrLater = !GetParam().windows9x;
  Run(CacheOperation::kInstall);
  ASSERT_FALSE(registry.writes.empty());
  for (const RegistryWrite& w : registry.writes) EXPECT_EQ(w.root, GetParam().expected) << w.key;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RegistrationRootTest,
    ::testing::Values(RootCase{"AllUsers", true, false, RegistryRoot::kLocalMachine},
                      RootCase{"PerUser", false, false, RegistryRoot::kCurrentUser},
                      RootCase{"Windows9xPerUser", false, true, RegistryRoot::kLocalMachine}),
    [](const ::testing::TestParamInfo<RootCase>& caseInfo) {
      return std::string(caseInfo.param.name);
    });

TEST_F(RegistrationTest, BeforeWindows2000TheInstallersEntryIsLeftAlone) {
  services.platform.windows2000OrLater = false;
  Run(CacheOperation::kInstall);
  for (const RegistryWrite& w : registry.writes) EXPECT_NE(w.key, kProductEntry);
  EXPECT_EQ(registry.writes.size(), 11u);
}

TEST_F(RegistrationTest, EmptyTitleWritesNoValuesOnTheListOfAllEntries) {
  setup.title = "";
  Run(CacheOperation::kInstall);
  for (const RegistryWrite& w : registry.writes) EXPECT_NE(w.key, kUninstallKey);
  Run(CacheOperation::kRemove);
  for (const auto& [root, key] : registry.deletions) EXPECT_NE(key, kUninstallKey);
}

TEST_F(RegistrationTest, ReadOnlyCachedFilesAreReplaced) {
  files.memory.AddFile(kCache + "setup.exe", "old", /*readOnly=*/true);
  files.memory.AddFile(kCache + "instance.dat", "old", /*readOnly=*/true);
  Run(CacheOperation::kInstall);
  EXPECT_EQ(Bytes(kCache + "setup.exe"), "bytes of setup.exe");
  EXPECT_EQ(Bytes(kCache + "instance.dat").substr(0, 1), "{");
}

TEST_F(RegistrationTest, MissingSourcesAreSkippedSilently) {
  files.memory.SetNormalAttributes("D:\\Media\\setup.bmp");
  files.memory.RemoveFile("D:\\Media\\setup.bmp");
  CacheUpkeep result = Run(CacheOperation::kInstall);
  EXPECT_TRUE(result.written);
  EXPECT_FALSE(files.FileExists(kCache + "setup.bmp"));
  EXPECT_TRUE(files.FileExists(kCache + "instance.dat"));
}

TEST_F(RegistrationTest, RunFromTheCacheDoesNotCopyFilesOntoThemselves) {
  files.memory.AddFile(kCache + "setup.exe", "cached engine");
  files.memory.AddFile(kCache + "setup.msi", "cached package");
  setup.exePath = kCache + "setup.exe";
  setup.exeFolder = kCache;
  setup.packagePath = kCache + "setup.msi";
  Run(CacheOperation::kInstall);
  for (const std::string& entry : files.log) {
    EXPECT_NE(entry, "copy " + kCache + "setup.exe");
    EXPECT_NE(entry, "copy " + kCache + "setup.msi");
  }
  EXPECT_EQ(Bytes(kCache + "setup.exe"), "cached engine");
  EXPECT_EQ(Bytes(kCache + "setup.msi"), "cached package");
}

TEST_F(RegistrationTest, NoLanguageDeletesTheLanguageFile) {
  files.memory.AddFile(kCache + "setup.lan", "German\r\n", /*readOnly=*/true);
  setup.language = "";
  Run(CacheOperation::kInstall);
  EXPECT_FALSE(files.FileExists(kCache + "setup.lan"));
}

TEST_F(RegistrationTest, CompressionFollowsTheFlag) {
  setup.compressCache = false;
  Run(CacheOperation::kAdvertise);
  EXPECT_EQ(folders.compression,
            (std::vector<std::pair<std::string, bool>>{{kCache + "__ad", false}, {kCache, false}}));
}

TEST_F(RegistrationTest, AdvertisementLeavesTheMarkerFolderAndInstallRemovesIt) {
  Run(CacheOperation::kAdvertise);
  EXPECT_TRUE(files.DirectoryExists(kCache + "__ad"));
  EXPECT_EQ(registry.writes.size(), 12u);
  Run(CacheOperation::kInstall);
  EXPECT_FALSE(files.DirectoryExists(kCache + "__ad"));
}

TEST_F(RegistrationTest, MarkerFolderWithContentIsKept) {
  Run(CacheOperation::kAdvertise);
  files.memory.AddFile(kCache + "__ad\\note.txt", "x");
  Run(CacheOperation::kInstall);
  EXPECT_TRUE(files.DirectoryExists(kCache + "__ad"));
}

TEST_F(RegistrationTest, RemoveDeletesTheCacheAndBothRootsEntries) {
  setup.buildKind = 2;
  Run(CacheOperation::kInstall);
  files.memory.AddFile(kCache + "sub\\deep.txt", "x", /*readOnly=*/true);
  files.memory.AddFile(kRoot + "{OTHER}\\keep.txt", "x");
  CacheUpkeep result = Run(CacheOperation::kRemove);
  EXPECT_TRUE(result.removed);
  EXPECT_FALSE(files.DirectoryExists(kCache));
  EXPECT_TRUE(files.FileExists(kRoot + "{OTHER}\\keep.txt"));
  EXPECT_TRUE(files.DirectoryExists(kRoot));
  EXPECT_TRUE(folders.moves.empty());
  EXPECT_TRUE(folders.restartDeletions.empty());
  using Deletion = std::pair<RegistryRoot, std::string>;
  EXPECT_EQ(registry.deletions, (std::vector<Deletion>{{RegistryRoot::kLocalMachine, kUninstall},
                                                       {RegistryRoot::kLocalMachine, kIdent},
                                                       {RegistryRoot::kCurrentUser, kUninstall},
                                                       {RegistryRoot::kCurrentUser, kIdent}}));
}

TEST_F(RegistrationTest, RemoveOfAMissingCacheStillRemovesTheEntries) {
  CacheUpkeep result = Run(CacheOperation::kRemove);
  EXPECT_TRUE(result.removed);
  EXPECT_EQ(registry.deletions.size(), 4u);
  EXPECT_FALSE(files.DirectoryExists(kCache));
}

TEST_F(RegistrationTest, RunningCachedEngineIsMovedAsideAndScheduled) {
  Run(CacheOperation::kInstall);
  files.Hold(kCache + "setup.exe");
  files.memory.AddFolder(kRoot + "~0");
  CacheUpkeep result = Run(CacheOperation::kRemove);
  EXPECT_TRUE(result.removed);
  EXPECT_EQ(result.movedTo, kRoot + "~1");
  EXPECT_FALSE(files.DirectoryExists(kCache));
  EXPECT_TRUE(files.FileExists(kRoot + "~1\\setup.exe"));
  EXPECT_FALSE(files.FileExists(kRoot + "~1\\zeb.lib"));  // not in use: deleted at once
  EXPECT_EQ(folders.moves, (std::vector<std::string>{kRoot + kRevision + " -> " + kRoot + "~1"}));
  EXPECT_EQ(
      folders.restartDeletions,
      (std::vector<std::string>{kRoot + "~1\\setup.exe", kRoot + "~1\\zeb.lib", kRoot + "~1"}));
  EXPECT_EQ(registry.deletions.size(), 4u);
}

TEST_F(RegistrationTest, AFolderThatCannotBeMovedIsNotScheduled) {
  Run(CacheOperation::kInstall);
  files.Hold(kCache + "setup.exe");
  folders.moveFails = true;
  CacheUpkeep result = Run(CacheOperation::kRemove);
  EXPECT_TRUE(result.removed);
  EXPECT_EQ(result.movedTo, "");
  EXPECT_TRUE(files.FileExists(kCache + "setup.exe"));
  EXPECT_TRUE(folders.restartDeletions.empty());
}

struct RefusalCase {
  const char* name;
  std::string root;
  std::string revision;
};

class RegistrationRefusalTest : public RegistrationTest,
                                public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(RegistrationRefusalTest, NothingOutsideTheCacheIsTouched) {
  // Content that a wrong path would reach.
  files.memory.AddFile("C:\\ProgramData\\precious.txt", "keep");
  files.memory.AddFile("C:\\precious.txt", "keep");
  files.memory.AddFile("C:\\Windows\\system.ini", "keep");
  files.memory.AddFile("Cache\\{R}\\x.txt", "keep");
  setup.cacheRoot = GetParam().root;
  setup.revisionCode = GetParam().revision;
  CacheUpkeep install = Run(CacheOperation::kInstall);
  EXPECT_TRUE(install.refused);
  EXPECT_FALSE(install.written);
  EXPECT_TRUE(registry.writes.empty());
  const size_t filesBefore = files.memory.Files().size();
  CacheUpkeep remove = Run(CacheOperation::kRemove);
  EXPECT_TRUE(remove.refused);
  EXPECT_TRUE(remove.removed);
  EXPECT_EQ(files.memory.Files().size(), filesBefore);
  EXPECT_EQ(Bytes("C:\\ProgramData\\precious.txt"), "keep");
  EXPECT_EQ(Bytes("C:\\Windows\\system.ini"), "keep");
  EXPECT_TRUE(folders.moves.empty());
  EXPECT_TRUE(folders.restartDeletions.empty());
  EXPECT_EQ(registry.deletions.size(), 4u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RegistrationRefusalTest,
    ::testing::Values(RefusalCase{"EmptyRevision", "C:\\ProgramData\\", ""},
                      RefusalCase{"DotDotRevision", "C:\\ProgramData\\", ".."},
                      RefusalCase{"DotRevision", "C:\\ProgramData\\", "."},
                      RefusalCase{"RevisionWithPath", "C:\\ProgramData\\", "..\\Windows"},
                      RefusalCase{"RevisionWithDrive", "C:\\ProgramData\\", "C:"},
                      RefusalCase{"EmptyRoot", "", "{R}"},
                      RefusalCase{"RelativeRoot", "Cache\\", "{R}"},
                      RefusalCase{"RootWithoutBackslash", "C:\\ProgramData", "{R}"},
                      RefusalCase{"RootWithParentStep", "C:\\ProgramData\\..\\", "Windows"}),
    [](const ::testing::TestParamInfo<RefusalCase>& caseInfo) {
      return std::string(caseInfo.param.name);
    });

TEST(IsEngineCacheLocation, AcceptsDriveAndNetworkRoots) {
  EXPECT_TRUE(IsEngineCacheLocation("C:\\ProgramData\\", kRevision));
  EXPECT_TRUE(IsEngineCacheLocation("\\\\server\\share\\cache\\", "{R}"));
  EXPECT_FALSE(IsEngineCacheLocation("\\\\\\x\\", "{R}"));
  EXPECT_FALSE(IsEngineCacheLocation("C:\\ProgramData\\", "a*b"));
}

// --- The engine's run ------------------------------------------------------------

class UpkeepAfterSuccessTest : public RegistrationTest {
 protected:
  void SetUp() override {
    RunIdentity& run = CurrentRun();
    run = RunIdentity{};
    run.productCode = kProduct;
    run.revisionCode = kRevision;
    run.exePath = "D:\\Media\\setup.exe";
    run.exeFolder = "D:\\Media\\";
    run.baseName = "setup";
    run.dataFolder = "D:\\Media\\data\\";
    ResetEngineCacheWritten();
    Properties().Clear();
    Properties().Append("A1F", "TRUE");
    vars.PutVariable("TITLE", "Shop");
    vars.PutVariable("ALLUSERS", "FALSE");
    vars.PutVariable("VELD_COMPRESS_INSTALLER_CACHE", "-1");
    vars.PutVariable("TARGETDIR", "C:\\\\Users\\ann\\Shop\\");
    vars.PutVariable("LANGUAGE", "");
    script.registration = setup.registration;
  }
  void TearDown() override {
    CurrentRun() = RunIdentity{};
    Properties().Clear();
    ResetEngineCacheWritten();
  }
  SetupScript script;
};

TEST_F(UpkeepAfterSuccessTest, PerUserInstallGoesBelowLocalApplicationData) {
  const std::string cache = std::string("C:\\Users\\ann\\AppData\\Local\\") + kRevision + "\\";
  CacheUpkeep result = UpkeepAfterSuccess(CacheOperation::kInstall, script, vars, services);
  EXPECT_EQ(result.cacheFolder, cache);
  EXPECT_TRUE(EngineCacheWrittenThisRun());
  EXPECT_FALSE(CurrentRun().engineCacheRemoved);
  EXPECT_EQ(Bytes(cache + "setup.msi"), "bytes of setup.msi");
  EXPECT_EQ(Bytes(cache + "setup.par"), "A1F\r\nTRUE\r\n");
  EXPECT_EQ(folders.compression.at(0), std::make_pair(cache, true));
  ASSERT_FALSE(registry.writes.empty());
  EXPECT_EQ(registry.writes.front().root, RegistryRoot::kCurrentUser);
  EXPECT_EQ(registry.writes.at(10).data, "C:\\Users\\ann\\Shop\\");
  EXPECT_EQ(registry.writes.at(2).data, "Shop");
}

TEST_F(UpkeepAfterSuccessTest, TruthRuleChoosesTheMachineRoot) {
  vars.PutVariable("ALLUSERS", "true");
  UpkeepAfterSuccess(CacheOperation::kInstall, script, vars, services);
  EXPECT_EQ(registry.writes.front().root, RegistryRoot::kLocalMachine);
  EXPECT_EQ(registry.writes.back().data, kCache);
}

TEST_F(UpkeepAfterSuccessTest, RemoveSetsTheFlagAndALaterInstallClearsIt) {
  UpkeepAfterSuccess(CacheOperation::kInstall, script, vars, services);
  ResetEngineCacheWritten();
  UpkeepAfterSuccess(CacheOperation::kRemove, script, vars, services);
  EXPECT_TRUE(CurrentRun().engineCacheRemoved);
  EXPECT_FALSE(EngineCacheWrittenThisRun());
  UpkeepAfterSuccess(CacheOperation::kInstall, script, vars, services);
  EXPECT_FALSE(CurrentRun().engineCacheRemoved);
  EXPECT_TRUE(EngineCacheWrittenThisRun());
}

TEST_F(UpkeepAfterSuccessTest, EditedInstancePackageIsKeptUnderTheBaseName) {
  files.memory.AddFile("C:\\Temp\\zeb1\\instance2.msi", "edited package");
  UpkeepAfterSuccess(CacheOperation::kInstall, script, vars, services,
                     "C:\\Temp\\zeb1\\instance2.msi");
  EXPECT_EQ(Bytes(std::string("C:\\Users\\ann\\AppData\\Local\\") + kRevision + "\\setup.msi"),
            "edited package");
}

TEST_F(UpkeepAfterSuccessTest, UninstallEntryLeadsTheSourceSearchBackToTheCache) {
  vars.PutVariable("ALLUSERS", "TRUE");
  UpkeepAfterSuccess(CacheOperation::kInstall, script, vars, services);
  for (const RegistryWrite& w : registry.writes) {
    system.registry[FakeSystem::Key(w.root, w.key, w.value)] = w.data;
  }
  EXPECT_EQ(SetupSourceFolder(system, SetupSourceQuery{"Shop", true, false, ""}), kCache);
}

}  // namespace
}  // namespace vantrell
