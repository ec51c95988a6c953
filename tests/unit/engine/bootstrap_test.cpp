// The bootstrap against system twins: first runs by users and administrators,
// maintenance runs, upgrades, cached instances, engine cache registrations,
// installer failures, resume entries and statement headers.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/bootstrap.h"
#include "msi/property_list.h"
#include "msi/registration.h"
#include "script/run_identity.h"
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

constexpr const char* kProduct = "{11111111-2222-3333-4444-555555555555}";
constexpr const char* kRevision = "{66666666-7777-8888-9999-000000000000}";

class BootstrapTest : public ::testing::Test {
 protected:
  void Start() { Start(ScriptBuilder().Title("Shop").Add("Comment").Build()); }
  void Start(SetupScript run) {
    script = std::move(run);
    RunScriptContext context{script, "C:\\Temp\\zeb1\\setup.msi", "D:\\Media\\", files};
    context.exePath = "D:\\Media\\setup.exe";
    context.system = &system;
    context.installer = &system;
    vars.ClearVariables();
    DefineRunVariables(context, vars);
    RunBootstrap(context, vars);
    DefineInitialisationVariables(context, vars, host);
  }
  std::string Var(const char* name) { return vars.GetVariable(name); }

  MemoryFileSystem files;
  FakeSystem system;
  RecordingHost host;
  TVariableManager vars;
  SetupScript script;
};

TEST_F(BootstrapTest, FirstRunByAUser) {
  Start();
  EXPECT_EQ(Var("ALLUSERS"), "FALSE");
  EXPECT_EQ(Var("TARGETDIR"), "C:\\Users\\ann\\Shop\\");
  EXPECT_EQ(Var("ENGINECACHE"), std::string("C:\\Users\\ann\\AppData\\Local\\") + kRevision + "\\");
  EXPECT_EQ(Var("UNINSTALLLINK"), Var("ENGINECACHE") + "setup.exe");
  EXPECT_EQ(Var("MAINTENANCE"), "FALSE");
  EXPECT_EQ(Var("NEEDSUPGRADE"), "FALSE");
  EXPECT_EQ(Var("NEWINSTANCE"), "FALSE");
  EXPECT_EQ(Var("PRODUCTCODE"), kProduct);
  EXPECT_EQ(Var("DATADIR"), "D:\\Media\\data\\");
  EXPECT_EQ(Var("STARTMENU"), "Shop");
  EXPECT_EQ(Var("EXEDIR"), "D:\\Media\\");
  EXPECT_EQ(Var("NEWLINE"), "\r\n");
}

TEST_F(BootstrapTest, FirstRunByAnAdministrator) {
  system.administrator = true;
  Start();
  EXPECT_EQ(Var("ALLUSERS"), "TRUE");
  EXPECT_EQ(Var("TARGETDIR"), "C:\\Program Files\\Shop\\");
  EXPECT_EQ(Var("ENGINECACHE"), std::string("C:\\ProgramData\\") + kRevision + "\\");
}

TEST_F(BootstrapTest, RunKinds) {
  struct Case {
    const char* name;
    const char* packageCode;  // nullptr: not installed
    bool instanceFile;
    bool installerMissing;
    const char* maintenance;
    const char* upgrade;
    const char* newInstance;
  } cases[] = {
      {"first installation", nullptr, false, false, "FALSE", "FALSE", "FALSE"},
      {"maintenance from the media", kRevision, false, false, "TRUE", "FALSE", "TRUE"},
      {"maintenance from the cache", kRevision, true, false, "TRUE", "FALSE", "FALSE"},
      {"upgrade", "{AAAAAAAA-7777-8888-9999-000000000000}", false, false, "FALSE", "TRUE", "TRUE"},
      {"installer library missing", kRevision, false, true, "FALSE", "FALSE", "FALSE"},
  };
  for (const Case& c : cases) {
    SetUp();
    files = MemoryFileSystem();
    system = FakeSystem();
    if (c.packageCode) system.installed[kProduct] = c.packageCode;
    system.installerMissing = c.installerMissing;
    if (c.instanceFile) {
      files.AddFile("D:\\Media\\instance.dat",
                    std::string(kProduct) + "\r\n" + kRevision + "\r\nShop\r\n");
    }
    Start();
    EXPECT_EQ(Var("MAINTENANCE"), c.maintenance) << c.name;
    EXPECT_EQ(Var("NEEDSUPGRADE"), c.upgrade) << c.name;
    EXPECT_EQ(Var("NEWINSTANCE"), c.newInstance) << c.name;
  }
}

TEST_F(BootstrapTest, InstanceFileGivesTheIdentity) {
  files.AddFile("D:\\Media\\instance.dat",
                "{AAAAAAAA-0000-0000-0000-000000000001}\r\n{BBBB}\r\nSecond Shop\r\n");
  Start();
  EXPECT_EQ(Var("PRODUCTCODE"), "{AAAAAAAA-0000-0000-0000-000000000001}");
  EXPECT_EQ(Var("REVISIONCODE"), "{BBBB}");
  EXPECT_EQ(Var("TITLE"), "Second Shop");
  EXPECT_EQ(Var("TARGETDIR"), "C:\\Users\\ann\\Second Shop\\");
}

TEST_F(BootstrapTest, EngineCacheRegistration) {
  const std::string key = std::string(kEngineCacheRegistryKey) + kProduct;
  system.registry[FakeSystem::Key(RegistryRoot::kLocalMachine, key, "")] =
      std::string("E:\\Cache\\") + kRevision + "\\";
  Start();
  EXPECT_EQ(Var("ENGINECACHE"), std::string("E:\\Cache\\") + kRevision + "\\");

  SetUp();
  system.registry[FakeSystem::Key(RegistryRoot::kLocalMachine, key, "")] =
      "E:\\Cache\\{OTHER-REVISION}\\";
  Start();
  EXPECT_EQ(Var("ENGINECACHE"), std::string("C:\\Users\\ann\\AppData\\Local\\") + kRevision + "\\");
}

TEST_F(BootstrapTest, MaintenanceLoadsTheSavedProperties) {
  system.installed[kProduct] = kRevision;
  files.AddFile(std::string("C:\\ProgramData\\") + kRevision + "\\setup.par", "PA1_1\r\nvalue\r\n");
  Start();
  std::vector<std::string> lines = Properties().Lines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "PA1_1");
  EXPECT_EQ(lines[1], "value");
}

TEST_F(BootstrapTest, ResumeEntriesAreRemovedAndHeadersDeclared) {
  system.registry[FakeSystem::Key(RegistryRoot::kCurrentUser,
                                  "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\",
                                  "11111111")] = "x";
  Start();
  EXPECT_TRUE(system.deleted.count(
      FakeSystem::Key(RegistryRoot::kCurrentUser,
                      "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\", "11111111")));
  EXPECT_TRUE(system.deleted.count(
      FakeSystem::Key(RegistryRoot::kLocalMachine,
                      "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\", "11111111")));
}

TEST_F(BootstrapTest, HeadersAreDeclaredAsInstallerPropertiesOnly) {
  SetupScript withHeader =
      ScriptBuilder().Title("Shop").Add("Install Files").Add("Comment").Build();
  withHeader.statementHeaders = {"21F1A76D", "0"};
  Start(std::move(withHeader));
  // The part is off for the installer; no script variable of that name appears
  // to reach the installer a second time beside the statement's own "TRUE".
  const std::vector<std::string> lines = Properties().Lines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "A21F1A76D");
  EXPECT_EQ(lines[1], "FALSE");
  EXPECT_FALSE(vars.VariableExists("A21F1A76D"));
}

TEST(EngineCache, UninstallTarget) {
  struct Case {
    const char* in;
    const char* want;
  } cases[] = {
      {"\"C:\\Cache\\{R}\\setup.exe\" REMOVE=TRUE MODIFY=FALSE", "C:\\Cache\\{R}\\setup.exe"},
      {"C:\\Cache\\setup.exe", "C:\\Cache\\setup.exe"},
      {"\"unterminated", "unterminated"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(UninstallTarget(c.in), c.want) << c.in;
}

}  // namespace
}  // namespace vantrell

namespace vantrell {
namespace {

TEST_F(BootstrapTest, OverrideCacheRelocatesTheEngineCache) {
  Start();
  files.AddFolder("E:\\");
  RunScriptContext context{script, "C:\\Temp\\zeb1\\setup.msi", "D:\\Media\\", files};
  context.exePath = "D:\\Media\\setup.exe";
  context.system = &system;
  context.installer = &system;
  std::string last;

  vars.PutVariable("OVERRIDECACHE", "E:\\Deep\\Cache");
  RelocateEngineCache(context, vars, last);
  EXPECT_EQ(last, "E:\\Deep\\Cache\\");
  EXPECT_EQ(Var("OVERRIDECACHE"), "E:\\Deep\\Cache\\");
  EXPECT_EQ(Var("ENGINECACHE"), std::string("E:\\Deep\\Cache\\") + kRevision + "\\");
  EXPECT_FALSE(files.DirectoryExists("E:\\Deep"));  // made to prove the path, then removed

  vars.PutVariable("OVERRIDECACHE", "Q:\\No\\Drive");
  RelocateEngineCache(context, vars, last);
  EXPECT_EQ(Var("OVERRIDECACHE"), "");
  EXPECT_EQ(last, "");
}

}  // namespace
}  // namespace vantrell

namespace vantrell {
namespace {

TEST_F(BootstrapTest, KeptVariablesAreSavedAndLoadedByTheNextMaintenanceRun) {
  system.installed[kProduct] = kRevision;
  Start();
  RunScriptContext context{script, "C:\\Temp\\zeb1\\setup.msi", "D:\\Media\\", files};
  context.exePath = "D:\\Media\\setup.exe";
  context.system = &system;
  context.installer = &system;
  vars.AssignVariable("COLOR", "blue", "Set Variable Action");
  vars.AddPersistentVariable("COLOR");
  // A run that installed nothing writes no saved state of its own.
  ResetEngineCacheWritten();
  SaveEngineCache(context, vars);
  const std::string cacheFile = std::string("C:\\ProgramData\\") + kRevision + "\\setup.dat";
  EXPECT_FALSE(files.FileExists(cacheFile));
  MarkEngineCacheWritten();  // as Apply Changes does when it keeps the setup
  SaveEngineCache(context, vars);
  // No per-user saved state yet: the state goes to the all-users cache.
  const std::string cache = std::string("C:\\ProgramData\\") + kRevision + "\\";
  ASSERT_TRUE(files.FileExists(cache + "setup.dat"));
  EXPECT_TRUE(system.hidden.at(cache));  // compressed by default

  Start();  // the next run of the installed product
  EXPECT_EQ(Var("MAINTENANCE"), "TRUE");
  EXPECT_EQ(Var("COLOR"), "blue");

  // A later run that changes nothing refreshes the kept variables of the saved state.
  ResetEngineCacheWritten();
  vars.AssignVariable("COLOR", "green", "Set Variable Action");
  vars.AddPersistentVariable("COLOR");
  SaveEngineCache(context, vars);
  Start();
  EXPECT_EQ(Var("COLOR"), "green");
}

}  // namespace
}  // namespace vantrell

namespace vantrell {
namespace {

int Occurrences(const std::vector<std::string>& names, const std::string& name) {
  return static_cast<int>(std::count(names.begin(), names.end(), name));
}

TEST_F(BootstrapTest, ARelocatedMaintenanceRunLoadsTheSavedSelectionOnce) {
  system.installed[kProduct] = kRevision;
  Start();
  RunScriptContext context{script, "C:\\Temp\\zeb1\\setup.msi", "D:\\Media\\", files};
  context.exePath = "D:\\Media\\setup.exe";
  context.system = &system;
  context.installer = &system;
  // The installed product's saved state, in its cache and under the override root.
  Components().DefineComponent("Main", "", true);
  vars.AssignVariable("COLOR", "blue", "Set Variable Action");
  vars.AddPersistentVariable("COLOR");
  MarkEngineCacheWritten();
  SaveEngineCache(context, vars);
  std::string saved;
  ASSERT_TRUE(
      files.ReadWholeFile(std::string("C:\\ProgramData\\") + kRevision + "\\setup.dat", saved));
  files.AddFile(std::string("E:\\Cache\\") + kRevision + "\\setup.dat", saved);

  Start();
  ASSERT_EQ(Var("MAINTENANCE"), "TRUE");
  EXPECT_EQ(Occurrences(Components().Lists().names, "Main"), 1);
  std::string last;
  vars.PutVariable("OVERRIDECACHE", "E:\\Cache");
  RelocateEngineCache(context, vars, last);
  EXPECT_EQ(Var("ENGINECACHE"), std::string("E:\\Cache\\") + kRevision + "\\");
  EXPECT_EQ(Occurrences(Components().Lists().names, "Main"), 1);
}

}  // namespace
}  // namespace vantrell
