// The statement table (contract in statement_table.h). To find a statement's
// code, look it up in StatementModules(): the module named there registers
// its handler in BuildStatementTable.
#include "engine/statement_table.h"

#include "components/component_statements.h"
#include "dialogs/dialog_statements.h"
#include "dialogs/message_statements.h"
#include "lang/translations.h"
#include "media/extract_statement.h"
#include "msi/install_statements.h"
#include "msi/transform_instance.h"
#include "script/interpreter.h"
#include "script/run_identity.h"
#include "system/assembly_tool_statements.h"
#include "system/file_statements.h"
#include "system/query_statements.h"
#include "system/registry_statements.h"
#include "system/run_statements.h"
#include "system/share_statements.h"
#include "system/task_statements.h"
#include "system/web_server_statements.h"
#include "text/text_statements.h"
#include "vars/conditions.h"

namespace vantrell {

const std::vector<StatementModule>& StatementModules() {
  static const std::vector<StatementModule> modules = {
      {"Advertised File Type", "msi/install_statements"},
      {"Advertised Shortcut", "msi/install_statements"},
      {"Apply Changes", "msi/apply_changes"},
      {"Apply Patch", "msi/apply_changes"},
      {"Check Disk Space", "system/query_statements"},
      {"Check File Version", "system/query_statements"},
      {"Check Process", "system/query_statements"},
      {"Check Registry", "system/registry_statements"},
      {"Check Service", "system/query_statements"},
      {"Comment", "script/interpreter"},
      {"Control IIS Site", "system/web_server_statements"},
      {"Control Service", "msi/install_statements"},
      {"Convert Case", "text/text_statements"},
      {"Convert Path", "text/text_statements"},
      {"Copy/Move Local Files", "msi/install_statements"},
      {"Create File Type", "msi/install_statements"},
      {"Create Folder", "msi/install_statements"},
      {"Create IIS Site", "system/web_server_statements"},
      {"Create ODBC DSN", "msi/install_statements"},
      {"Create Share", "system/share_statements"},
      {"Create Shortcut", "msi/install_statements"},
      {"Create Virtual Folder", "system/web_server_statements"},
      {"Define Component", "components/component_statements"},
      {"Delete Component", "components/component_statements"},
      {"Delete Files", "msi/install_statements"},
      {"Delete Files Recursive", "system/file_statements"},
      {"Delete IIS Site", "system/web_server_statements"},
      {"Delete Registry", "system/registry_statements"},
      {"Delete Scheduled Task", "system/task_statements"},
      {"Delete Share", "system/share_statements"},
      {"Delete Virtual Folder", "system/web_server_statements"},
      {"Display Dialog", "dialogs/dialog_statements"},
      {"Does File/Folder Exist", "system/query_statements"},
      {"Edit INI File", "msi/install_statements"},
      {"Else", "script/interpreter"},
      {"Else If", "script/interpreter"},
      {"End", "script/interpreter"},
      {"Evaluate Expression", "vars/conditions"},
      {"Extract 7Zip Archive", "media/extract_statement"},
      {"Extract Path", "text/text_statements"},
      {"Find All Files", "text/text_statements"},
      {"Generate Native Images", "system/assembly_tool_statements"},
      {"Get Component Space", "components/component_statements"},
      {"Get Component State", "components/component_statements"},
      {"Get Environment", "text/text_statements"},
      {"Get File Version", "system/query_statements"},
      {"Get Folder Location", "system/query_statements"},
      {"Get IIS Property", "system/web_server_statements"},
      {"Get IIS Site Index", "system/web_server_statements"},
      {"Get IIS Site List", "system/web_server_statements"},
      {"Get INI File Settings", "text/text_statements"},
      {"Get OS or SP Level", "system/query_statements"},
      {"Get System Settings", "system/query_statements"},
      {"Get Temporary File", "text/text_statements"},
      {"GoTo Label", "script/interpreter"},
      {"Hide Dialog", "dialogs/dialog_statements"},
      {"If", "script/interpreter"},
      {"Ignore", "script/interpreter"},
      {"IIS Anonymous User", "system/web_server_statements"},
      {"Install Assembly", "msi/install_statements"},
      {"Install Files", "msi/install_statements"},
      {"Install ODBC Driver", "msi/install_statements"},
      {"Install Service", "msi/install_statements"},
      {"Is MSI Setup Installed", "msi/apply_changes"},
      {"Load Feature Selections", "components/component_statements"},
      {"Localization Variable", "text/text_statements"},
      {"Mathematics", "text/text_statements"},
      {"MessageBalloon", "dialogs/message_statements"},
      {"MessageBox", "dialogs/message_statements"},
      {"Parse String", "text/text_statements"},
      {"Read from Text File", "text/text_statements"},
      {"Read Registry", "system/registry_statements"},
      {"Reboot and Resume", "system/reboot_statements"},
      {"Reboot Computer", "system/reboot_statements"},
      {"Register Assembly", "system/assembly_tool_statements"},
      {"Register Library", "system/file_statements"},
      {"Remove Assemblies", "msi/remove_assemblies"},
      {"Replace String", "text/text_statements"},
      {"Run .NET Installer Class", "system/assembly_tool_statements"},
      {"Run Light Mode Setup", "system/run_statements"},
      {"Run Program", "system/run_statements"},
      {"Run Program As", "system/run_statements"},
      {"Save Feature Selections", "components/component_statements"},
      {"Schedule Task", "system/task_statements"},
      {"Set 64 Bit Mode", "msi/install_statements"},
      {"Set Access Control", "system/share_statements"},
      {"Set Component Choice", "components/component_statements"},
      {"Set Component Space", "components/component_statements"},
      {"Set Component State", "components/component_statements"},
      {"Set Component Visibility", "components/component_statements"},
      {"Set Environment", "msi/install_statements"},
      {"Set IIS Property", "system/web_server_statements"},
      {"Set Variable", "text/text_statements"},
      {"System Tray", "dialogs/message_statements"},
      {"Terminate Install", "script/interpreter"},
      {"Terminate Program", "system/run_statements"},
      {"Terminate with Exit Code", "script/interpreter"},
      {"Transform Instance", "msi/transform_instance"},
      {"Web Media Block", ""},
      {"Wizard Loop", "script/interpreter"},
      {"Write Registry", "msi/install_statements"},
      {"Write to Text File", "text/text_statements"},
  };
  return modules;
}

StatementTable BuildStatementTable(StatementServices& services,
                                   const std::string& selfExtractorPath) {
  StatementTable table;
  FileSystem& files = services.files;
  TextSystem& text = services.text;

  // Statement texts go through the run's translations while a language is current.
  auto translated = [](const std::string& original, const std::string& key,
                       int slot) -> std::optional<std::string> {
    if (!Translations().Active()) return std::nullopt;
    return Translations().Lookup(original, key, slot);
  };

  table.SetModule("text/text_statements");
  TextStatementOptions textOptions;
  textOptions.translate = [translated](const std::string& identifier, int slot,
                                       const std::string& original) {
    return translated(original, identifier, slot);
  };
  // The script's own progress shows at once on the dialog on screen.
  textOptions.refreshProgress = [dialogs = services.dialogs](const std::string& progressText,
                                                             int32_t position) {
    RefreshProgress(progressText, false, 0, 100, position, Variables(), dialogs);
  };
  RegisterTextStatements(table, text, textOptions);

  table.SetModule("vars/conditions");
  table.Register("Evaluate Expression", [](StatementContext& s) {
    RunEvaluateExpression(s.Parameter(1), s.Parameter(2), s.vars);
  });

  table.SetModule("components/component_statements");
  RegisterComponentStatements(
      table, ComponentServices{files, translated, [&text](const std::function<void()>& work) {
                                 auto view = text.NativeFileView();
                                 work();
                               }});

  table.SetModule("dialogs/dialog_statements");
  table.Register("Display Dialog",
                 [dialogs = services.dialogs](StatementContext& s) { DisplayDialog(s, dialogs); });
  table.Register("Hide Dialog",
                 [dialogs = services.dialogs](StatementContext& s) { HideDialog(s, dialogs); });
  if (services.tray != nullptr) {
    table.SetModule("dialogs/message_statements");
    RegisterMessageStatements(table, MessageServices{*services.tray, translated});
  }

  table.SetModule("media/extract_statement");
  RegisterArchiveStatements(table, services.archives, files,
                            [&platform = services.filePlatform]() -> std::shared_ptr<void> {
                              return platform.NativeFileView();
                            });

  table.SetModule("msi/install_statements");
  InstallStatementServices install;
  install.translate = translated;
  install.markInstalled = [](size_t index) { SetInstallState(index, "TRUE"); };
  RegisterInstallStatements(table, install);

  table.SetModule("msi/apply_changes");
  RegisterInstallerRunStatements(table, services.installer);

  table.SetModule("msi/remove_assemblies");
  AssemblyRemovalServices assemblies;
  assemblies.packageAssemblies = services.packageAssemblies;
  assemblies.writeCacheTool = services.writeCacheTool;
  assemblies.runHidden = [&programs = services.programs](
                             const std::string& program, const std::string& parameters,
                             const std::string& folder) -> std::optional<uint32_t> {
    ShellRequest request{program, parameters, folder, /*hidden=*/true, /*wait=*/true};
    const Launch launch = programs.ShellExecuteAndWait(request);
    if (launch.outcome != Launch::Outcome::kRan) return std::nullopt;
    return launch.exitStatus;
  };
  assemblies.windowsFolder = [&queries = services.queries] { return queries.WindowsFolder(); };
  RegisterRemoveAssemblies(table, assemblies);

  table.SetModule("msi/transform_instance");
  table.Register("Transform Instance", [&files](StatementContext& s) {
    const std::string& msi = CurrentRun().installerDatabasePath;
    const size_t dot = msi.find_last_of(".\\");
    const bool patch = !msi.empty() && dot != std::string::npos && msi[dot] == '.' &&
                       files.FileExists(msi.substr(0, dot) + ".msp");
    ExecuteTransformInstance(s, patch, [&s] { s.run.Rebootstrap(); });
  });

  // One web server state for the run: the host and the wrapper library written.
  std::shared_ptr<WebServer> webServer;
  AnonymousUserQuery anonymousUser;
  if (services.webServer != nullptr) {
    webServer = std::make_shared<WebServer>(WebServerServices{
        *services.webServer, services.registry, services.programs, files,
        [&queries = services.queries] { return queries.WindowsFolder(); }, translated});
    anonymousUser = [webServer](StatementContext& s) { return webServer->AnonymousUserName(s); };
  }
  table.SetModule("system/query_statements");
  RegisterQueryStatements(table, services.queries, anonymousUser);
  table.SetModule("system/registry_statements");
  RegisterRegistryStatements(table, services.registry);
  table.SetModule("system/run_statements");
  RegisterRunStatements(table, services.programs, files);
  table.SetModule("system/file_statements");
  FileStatementServices fileServices{files, services.filePlatform};
  RegisterFileStatements(table, fileServices);
  table.SetModule("system/assembly_tool_statements");
  RegisterAssemblyToolStatements(
      table, AssemblyToolServices{services.programs, files, [&queries = services.queries] {
                                    return queries.WindowsFolder();
                                  }});
  table.SetModule("system/reboot_statements");
  RebootServices reboot{services.registration, services.restart, selfExtractorPath};
  RegisterRebootStatements(table, reboot);
  if (webServer) {
    table.SetModule("system/web_server_statements");
    RegisterWebServerStatements(table, webServer);
  }
  if (services.security != nullptr) {
    table.SetModule("system/share_statements");
    RegisterShareStatements(table, ShareServices{*services.security, {}});
  }
  if (services.tasks != nullptr) {
    table.SetModule("system/task_statements");
    RegisterTaskStatements(table, TaskServices{*services.tasks, translated});
  }
  return table;
}

}  // namespace vantrell
