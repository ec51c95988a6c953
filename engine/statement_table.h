// The one statement table of the engine: every built-in statement with the
// module whose code serves it, and the registration of every handler for a
// run, each bound to the system services it uses.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_system.h"
#include "common/registration_store.h"
#include "dialogs/dialog_statements.h"
#include "dialogs/notification_tray.h"
#include "engine/run_session.h"
#include "media/archive_files.h"
#include "msi/apply_changes.h"
#include "msi/remove_assemblies.h"
#include "script/statements.h"
#include "system/file_statement_platform.h"
#include "system/program_runner.h"
#include "system/reboot_statements.h"
#include "system/registry_access.h"
#include "system/security_platform.h"
#include "system/system_queries.h"
#include "system/task_scheduler.h"
#include "system/web_server_platform.h"
#include "text/text_system.h"

namespace vantrell {

struct StatementModule {
  std::string_view command;
  // The source module that serves it (folder/file without extension); empty
  // for a statement that does nothing yet.
  std::string_view module;
};

// Every built-in command name in the order of the command list, with its module.
const std::vector<StatementModule>& StatementModules();

struct StatementServices {
  ArchiveLibrary& archives;
  FileSystem& files;
  TextSystem& text;
  SystemQueries& queries;
  RegistryAccess& registry;
  ProgramRunner& programs;
  FileStatementPlatform& filePlatform;
  RegistrationStore& registration;
  SystemRestart& restart;
  InstallerRunServices installer;
  // The package's assemblies and the engine's cache tool; the programs run
  // through `programs`.
  std::function<std::vector<CacheAssembly>(const std::string& packagePath)> packageAssemblies;
  std::function<std::string(const std::string& folder)> writeCacheTool;
  // Accounts, access control lists and shares; without it the share and
  // access-control statements are not served.
  SecurityPlatform* security = nullptr;
  // The platform's task scheduler; without it the scheduled-task statements
  // are not served.
  TaskSchedulerPlatform* tasks = nullptr;
  // The web server's objects and wrapper library; without it the web server
  // statements are not served.
  WebServerPlatform* webServer = nullptr;
  // The dialogs' windows; none: dialogs are performed without windows.
  DialogWindows* dialogs = nullptr;
  // Message boxes, balloons and the notification icon; without it those
  // statements are not served.
  NotificationTray* tray = nullptr;
};

// The handlers of one run. The program that started a self-extracting
// wrapper, when there is one, is the resume command's program.
StatementTable BuildStatementTable(StatementServices& services,
                                   const std::string& selfExtractorPath);

}  // namespace vantrell
