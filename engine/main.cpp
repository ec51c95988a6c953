// The engine's entry point: harden the process, gather its facts, run the
// start-up sequence and end with its exit code.
#include <windows.h>

#include "engine/startup.h"
#include "engine/win32/process_env.h"
#include "engine/win32/startup_ui_win32.h"
#include "media/win32/zeb_library.h"
#include "msi/win32/installer_thread.h"
#include "msi/win32/package_editor.h"
#include "msi/win32/registration_store_win32.h"
#include "script/builtin_statements.h"
#include "script/win32/interpreter_host_win32.h"
#include "system/file_statements.h"
#include "system/query_statements.h"
#include "system/reboot_statements.h"
#include "system/registry_statements.h"
#include "system/run_statements.h"
#include "system/win32/file_statement_platform_win32.h"
#include "system/win32/program_runner_win32.h"
#include "system/win32/registry_access_win32.h"
#include "system/win32/system_facts_win32.h"
#include "system/win32/system_queries_win32.h"
#include "system/win32/system_restart_win32.h"
#include "system/win32/win32_file_system.h"
#include "vars/variable_manager.h"
#include "vars/win32/text_system_win32.h"

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
  vantrell::StatementServices statementServices{archives, files, textSystem};
  vantrell::RegisterBuiltInStatements(statementServices);
  vantrell::Win32SystemQueries systemQueries;
  vantrell::RegisterQueryStatements(systemQueries);
  vantrell::Win32RegistryAccess registryAccess;
  vantrell::RegisterRegistryStatements(registryAccess);
  vantrell::Win32ProgramRunner programRunner;
  vantrell::RegisterRunStatements(programRunner, files);
  vantrell::Win32RegistrationStore registry;
  vantrell::Win32CacheFolderSystem cacheFolders;
  vantrell::Win32FileStatementPlatform filePlatform;
  vantrell::FileStatementServices fileServices{files, filePlatform};
  vantrell::RegisterFileStatements(fileServices);
  vantrell::Win32SystemRestart systemRestart;
  vantrell::RebootServices rebootServices{registry, systemRestart, {}};
  vantrell::RegisterRebootStatements(rebootServices);
  vantrell::RegisterApplyChanges(vantrell::InstallerHooks(files, system, registry, cacheFolders),
                                 [](const vantrell::InstallerRequest& request) {
                                   vantrell::ApplyQueuedPackageEdits(
                                       request.packagePath, request.operation == vantrell::InstallerOperation::kPatch);
                                 });

  vantrell::StartupServices services{files, archives, ui, trace};
  services.runScript = [&](const vantrell::RunScriptContext& context) {
    vantrell::RunScriptContext onWindows = context;
    onWindows.ansiUpper = vantrell::Win32AnsiUpper;
    onWindows.system = &system;
    onWindows.installer = &installer;
    rebootServices.selfExtractorPath = context.commandLine ? context.commandLine->sfxPath : std::string();
    return vantrell::RunScript(onWindows, host, vantrell::Variables());
  };
  int code = vantrell::RunStartup(vantrell::ReadStartupEnvironment(), services);
  vantrell::InstallTraceLog(nullptr);
  ExitProcess(static_cast<UINT>(code));
}
