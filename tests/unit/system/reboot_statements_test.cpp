// "Reboot Computer" and "Reboot and Resume" against a registry twin and a
// restart twin (no test can restart anything): the resume entry's root, name
// and command, its order before the restart, and failures.
#include <gtest/gtest.h>

#include <map>

#include "common/engine_error.h"
#include "script/run_identity.h"
#include "system/reboot_statements.h"
#include "twins/fake_system.h"
#include "twins/reboot_twins.h"

namespace vantrell {
namespace {

using testing::Events;
using testing::FakeSystem;
using testing::kProduct;
using testing::RebootStatementTest;

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

}  // namespace
}  // namespace vantrell
