// The engine's one statement table: every built-in statement is listed once
// with its module, and the run's table registers each served statement from
// exactly the module the listing names, so the listing leads to the code.
#include <gtest/gtest.h>

#include <map>

#include "engine/statement_table.h"
#include "twins/fake_archive_library.h"
#include "twins/fake_queries.h"
#include "twins/file_twins.h"
#include "twins/memory_file_system.h"
#include "twins/memory_text_system.h"
#include "twins/notifications_twin.h"
#include "twins/program_runner_twin.h"
#include "twins/registration_twins.h"
#include "twins/registry_twin.h"
#include "twins/security_twin.h"
#include "twins/task_scheduler_twin.h"
#include "twins/web_server_twin.h"

namespace vantrell {
namespace {

using namespace testing;

class NoRestart final : public SystemRestart {
 public:
  bool RequestRestart() override { return false; }
};

class NoInstalledProducts final : public InstallerQueries {
 public:
  int QueryProductState(const std::string&) override { return -1; }
  std::optional<std::string> ProductInfo(const std::string&, const std::string&) override {
    return std::nullopt;
  }
};

// Statements the interpreter runs itself: they never reach the table.
bool ServedByTheLoop(std::string_view module) {
  return module == "script/interpreter";
}

TEST(StatementTable, ListsEveryBuiltInStatementOnce) {
  std::map<std::string_view, int> listed;
  for (const StatementModule& entry : StatementModules()) ++listed[entry.command];
  for (std::string_view name : BuiltInCommandNames()) EXPECT_EQ(listed[name], 1) << name;
  EXPECT_EQ(StatementModules().size(), BuiltInCommandNames().size());
}

TEST(StatementTable, EachHandlerComesFromTheListedModule) {
  MemoryFileSystem files;
  FakeArchiveLibrary archives(files);
  MemoryTextSystem text;
  FakeQueries queries;
  MemoryRegistry registry;
  FakeProgramRunner programs;
  RecordingPlatform filePlatform;
  RecordingRegistry registration;
  NoRestart restart;
  NoInstalledProducts installed;
  InstallerRunServices installer{{}, nullptr, installed};
  StatementServices services{archives, files,        text,         queries, registry,
                             programs, filePlatform, registration, restart, installer};
  SecurityTwin security;
  services.security = &security;
  TaskSchedulerTwin tasks;
  services.tasks = &tasks;
  WebServerTwin webServer;
  services.webServer = &webServer;
  NotificationsTwin notifications;
  NotificationTray tray(notifications);
  services.tray = &tray;
  const StatementTable table = BuildStatementTable(services, "");

  for (const StatementModule& entry : StatementModules()) {
    const std::string registeredBy = table.ModuleOf(entry.command);
    if (ServedByTheLoop(entry.module) || entry.module.empty()) {
      EXPECT_EQ(table.Find(entry.command), nullptr) << entry.command;
      continue;
    }
    EXPECT_NE(table.Find(entry.command), nullptr) << entry.command;
    EXPECT_EQ(registeredBy, entry.module) << entry.command;
  }
}

}  // namespace
}  // namespace vantrell
