// "Reboot Computer" and "Reboot and Resume" against a registry twin and a
// restart twin (no test can restart anything): the resume entry's root, name
// and command, its order before the restart, failures, and the round trip
// with the bootstrap that deletes the entry at the next start.
#include <gtest/gtest.h>

#include <map>

#include "common/engine_error.h"
#include "engine/bootstrap.h"
#include "script/run_identity.h"
#include "system/reboot_statements.h"
#include "twins/fake_system.h"
#include "twins/memory_file_system.h"
#include "twins/recording_host.h"
#include "twins/script_builder.h"
#include "twins/stub_run.h"

namespace vantrell {
namespace {

using testing::FakeSystem;
using testing::MemoryFileSystem;
using testing::RecordingHost;
using testing::ScriptBuilder;
using testing::StubRun;

constexpr const char* kProduct = "{11111111-2222-3333-4444-555555555555}";  // ScriptBuilder's

// What happened, in order, across the registry and the restart.
using Events = std::vector<std::string>;

class EntryStore final : public RegistrationStore {
 public:
  explicit EntryStore(Events& events) : events_(events) {}
  bool WriteString(RegistryRoot root, const std::string& key, const std::string& value,
                   const std::string& data) override {
    events_.push_back("write");
    if (fail) return false;
    entries[FakeSystem::Key(root, key, value)] = data;
    return true;
  }
  bool DeleteKey(RegistryRoot, const std::string&) override { return false; }

  bool fail = false;
  std::map<std::string, std::string> entries;  // FakeSystem's key form -> data

 private:
  Events& events_;
};

class RestartTwin final : public SystemRestart {
 public:
  explicit RestartTwin(Events& events) : events_(events) {}
  bool RequestRestart() override {
    events_.push_back("restart");
    return granted;
  }
  bool granted = true;

 private:
  Events& events_;
};

TEST(ResumeEntry, NameAndCommand) {
  EXPECT_EQ(ResumeValueName(kProduct), "11111111");
  EXPECT_EQ(ResumeValueName("{ABC}"), "");
  EXPECT_EQ(ResumeValueName(""), "");

  struct Case {
    const char* wrapper;
    const char* exe;
    const char* arguments;
    const char* command;
  } cases[] = {
      {"", "C:\\Temp\\zeb1\\setup.exe", "", "C:\\Temp\\zeb1\\setup.exe"},
      {"", "C:\\Temp\\zeb1\\setup.exe", "/s NAME=x", "C:\\Temp\\zeb1\\setup.exe /s NAME=x"},
      {"c:\\downloads\\product.exe", "C:\\Temp\\zeb1\\setup.exe", "/m=c:\\downloads\\product.exe",
       "c:\\downloads\\product.exe /m=c:\\downloads\\product.exe"},
      {"", "C:\\Program Files\\Shop\\setup.exe", "", "\"C:\\Program Files\\Shop\\setup.exe\""},
      {"c:\\my downloads\\product.exe", "C:\\Temp\\setup.exe", "/s",
       "\"c:\\my downloads\\product.exe\" /s"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ResumeCommand(c.wrapper, c.exe, c.arguments), c.command) << c.command;
}

class RebootStatementTest : public ::testing::Test {
 protected:
  StatementTable table;
  void SetUp() override {
    RegisterRebootStatements(table, services);
    CurrentRun().productCode = kProduct;
    CurrentRun().exePath = "C:\\Temp\\zeb1\\setup.exe";
    vars.PutVariable("CMDLINE", "/s ROOM=12");
    vars.PutVariable("ALLUSERS", "FALSE");
  }
  void Run(const std::string& command) {
    SetupScript script = ScriptBuilder().Add(command).Build();
    const std::string identifier = ScriptBuilder::Identifier(0);
    StatementContext s{0, command, identifier, script, vars, host, run};
    const StatementHandler* handler = table.Find(command);
    ASSERT_NE(handler, nullptr);
    (*handler)(s);
  }

  Events events;
  EntryStore store{events};
  RestartTwin restart{events};
  RebootServices services{store, restart, {}};
  TVariableManager vars;
  RecordingHost host;
  StubRun run;
};

TEST_F(RebootStatementTest, ResumeEntryGoesWhereAllUsersSays) {
  struct Case {
    const char* allUsers;
    RegistryRoot root;
  } cases[] = {
      {"TRUE", RegistryRoot::kLocalMachine}, {"true", RegistryRoot::kLocalMachine},
      {"-1", RegistryRoot::kLocalMachine},   {"FALSE", RegistryRoot::kCurrentUser},
      {"", RegistryRoot::kCurrentUser},      {"1", RegistryRoot::kCurrentUser},
  };
  for (const Case& c : cases) {
    store.entries.clear();
    vars.PutVariable("ALLUSERS", c.allUsers);
    Run("Reboot and Resume");
    EXPECT_EQ(store.entries,
              (std::map<std::string, std::string>{{FakeSystem::Key(c.root, kResumeKey, "11111111"),
                                                   "C:\\Temp\\zeb1\\setup.exe /s ROOM=12"}}))
        << c.allUsers;
  }
}

TEST_F(RebootStatementTest, ResumeCommandNamesTheWrapperAndTheCurrentArguments) {
  services.selfExtractorPath = "c:\\downloads\\product.exe";
  RegisterRebootStatements(table, services);
  vars.PutVariable("CMDLINE", "");
  Run("Reboot and Resume");
  EXPECT_EQ(store.entries.begin()->second, "c:\\downloads\\product.exe");
}

TEST_F(RebootStatementTest, EachRestartsOnceAndEndsTheRun) {
  struct Case {
    const char* command;
    bool granted;
    Events events;
  } cases[] = {
      {"Reboot Computer", true, {"restart"}},
      {"Reboot Computer", false, {"restart"}},
      {"Reboot and Resume", true, {"write", "restart"}},
      {"Reboot and Resume", false, {"write", "restart"}},
  };
  for (const Case& c : cases) {
    events.clear();
    run.ends = 0;
    restart.granted = c.granted;
    Run(c.command);
    EXPECT_EQ(events, c.events) << c.command;
    EXPECT_EQ(run.ends, 1) << c.command;
  }
}

TEST_F(RebootStatementTest, AnUnwritableEntryIsAnErrorAndNothingRestarts) {
  store.fail = true;
  vars.PutVariable("ALLUSERS", "TRUE");
  try {
    Run("Reboot and Resume");
    ADD_FAILURE() << "no error raised";
  } catch (const EngineError& error) {
    EXPECT_NE(std::string(error.what())
                  .find("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"),
              std::string::npos)
        << error.what();
  }
  EXPECT_EQ(events, Events{"write"});
  EXPECT_EQ(run.ends, 0);

  // Without a product code there is no name to write under.
  store.fail = false;
  CurrentRun().productCode.clear();
  EXPECT_THROW(Run("Reboot and Resume"), EngineError);
  EXPECT_TRUE(store.entries.empty());
}

// The next start of a setup with the same product code deletes exactly the entry written.
TEST_F(RebootStatementTest, NextStartDeletesTheEntryWritten) {
  for (const char* allUsers : {"TRUE", "FALSE"}) {
    SetupScript script = ScriptBuilder().Add("Comment").Build();
    MemoryFileSystem files;
    FakeSystem system;
    RunScriptContext context{script, "C:\\Temp\\zeb1\\setup.msi", "D:\\Media\\", files};
    context.exePath = "D:\\Media\\setup.exe";
    context.system = &system;
    context.installer = &system;
    DefineRunVariables(context, vars);
    RunBootstrap(context, vars);
    DefineInitialisationVariables(context, vars, host);

    store.entries.clear();
    vars.PutVariable("ALLUSERS", allUsers);
    Run("Reboot and Resume");
    ASSERT_EQ(store.entries.size(), 1u);
    std::string written = store.entries.begin()->first;

    DefineInitialisationVariables(context, vars, host);
    bool deleted = false;
    for (std::string key : system.deleted) {
      // Both spellings of the key name the same key.
      const size_t cut = key.find("\\|");
      if (cut != std::string::npos) key.erase(cut, 1);
      deleted = deleted || key == written;
    }
    EXPECT_TRUE(deleted) << written;
  }
}

}  // namespace
}  // namespace vantrell
