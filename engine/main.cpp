// The engine's entry point: harden the process, gather its facts, run the
// start-up sequence and end with its exit code.
#include <windows.h>

#include "common/win32/system_facts_win32.h"
#include "common/win32/win32_file_system.h"
#include "dialogs/win32/dialog_windows_win32.h"
#include "dialogs/win32/language_dialog_win32.h"
#include "dialogs/win32/notifications_win32.h"
#include "engine/startup.h"
#include "engine/statement_table.h"
#include "engine/win32/process_env.h"
#include "engine/win32/startup_ui_win32.h"
#include "media/win32/zeb_library.h"
#include "msi/win32/assembly_removal_win32.h"
#include "msi/win32/installer_queries_win32.h"
#include "msi/win32/installer_thread.h"
#include "msi/win32/package_editor.h"
#include "msi/win32/registration_store_win32.h"
#include "script/win32/interpreter_host_win32.h"
#include "system/win32/file_statement_platform_win32.h"
#include "system/win32/program_runner_win32.h"
#include "system/win32/registry_access_win32.h"
#include "system/win32/security_platform_win32.h"
#include "system/win32/system_queries_win32.h"
#include "system/win32/system_restart_win32.h"
#include "system/win32/task_scheduler_win32.h"
#include "system/win32/web_server_win32.h"
#include "text/win32/text_system_win32.h"
#include "vars/variable_manager.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  vantrell::HardenLibrarySearch();
  vantrell::PinToFirstProcessor();

  vantrell::Win32FileSystem files;
  vantrell::Win32TextCodec codec;
  vantrell::ImportedArchiveLibrary archives;
  vantrell::Win32StartupUi ui;
  vantrell::TraceLog trace(files, codec);
  vantrell::InstallTraceLog(&trace);

  vantrell::Win32InterpreterHost host;
  vantrell::Win32SystemFacts system;
  vantrell::Win32InstallerQueries installer;
  vantrell::Win32TextSystem textSystem;
  vantrell::Win32SystemQueries systemQueries;
  vantrell::Win32RegistryAccess registryAccess;
  vantrell::Win32ProgramRunner programRunner;
  vantrell::Win32RegistrationStore registry;
  vantrell::Win32CacheFolderSystem cacheFolders;
  vantrell::Win32FileStatementPlatform filePlatform;
  vantrell::Win32SystemRestart systemRestart;
  vantrell::Win32SecurityPlatform security;
  vantrell::Win32TaskScheduler taskScheduler;
  vantrell::InstallerRunServices installerRuns{
      vantrell::InstallerHooks(files, system, registry, cacheFolders),
      vantrell::Win32InstallerRunners([](const vantrell::InstallerRequest& request) {
        vantrell::ApplyQueuedPackageEdits(
            request.packagePath, request.operation == vantrell::InstallerOperation::kPatch);
      }),
      installer};
  vantrell::StatementServices statementServices{archives,
                                                files,
                                                textSystem,
                                                systemQueries,
                                                registryAccess,
                                                programRunner,
                                                filePlatform,
                                                registry,
                                                systemRestart,
                                                installerRuns,
                                                vantrell::ReadPackageAssemblies,
                                                vantrell::WriteAssemblyCacheTool,
                                                &security};
  vantrell::Win32DialogWindows dialogWindows;
  statementServices.dialogs = &dialogWindows;
  // The hidden tray form with the notification icon, and the run's tray state.
  vantrell::Win32UserNotifications notifications;
  vantrell::NotificationTray tray(notifications);
  notifications.SetClickHandler([&tray] { tray.IconClicked(); });
  dialogWindows.SetTray(&tray);
  statementServices.tray = &tray;
  statementServices.tasks = &taskScheduler;
  vantrell::Win32WebServer webServer;
  statementServices.webServer = &webServer;

  vantrell::StartupServices services{files, archives, ui, trace};
  // The dialogs load hidden before the first statement; one that cannot be
  // loaded ends start-up.
  services.loadDialog = [&](const std::string& key, const std::string& formPath) {
    dialogWindows.Load(key, formPath);
  };
  services.runScript = [&](const vantrell::RunScriptContext& context) {
    const vantrell::StatementTable statements = vantrell::BuildStatementTable(
        statementServices, context.commandLine ? context.commandLine->sfxPath : std::string());
    vantrell::RunScriptContext onWindows = context;
    onWindows.ansiUpper = vantrell::Win32AnsiUpper;
    onWindows.system = &system;
    onWindows.installer = &installer;
    onWindows.statements = &statements;
    onWindows.chooseLanguage = vantrell::ShowLanguageDialog;
    return vantrell::RunScript(onWindows, host, vantrell::Variables());
  };
  int code = vantrell::RunStartup(vantrell::ReadStartupEnvironment(), services);
  vantrell::InstallTraceLog(nullptr);
  ExitProcess(static_cast<UINT>(code));
}
