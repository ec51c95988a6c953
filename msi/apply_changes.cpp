// "Apply Changes" on the interpreter thread (contract in apply_changes.h).
#include "msi/apply_changes.h"

#include "lang/language_table.h"
#include "lang/translations.h"
#include "msi/install_result.h"
#include "msi/install_statements.h"
#include "msi/property_list.h"
#include "script/run_identity.h"
#include "vars/comma_text.h"

namespace vantrell {

void ExecuteApplyChanges(StatementContext& statement, InstallerRunner& runner,
                         const ApplyChangesHooks& hooks, const std::string& packagePath,
                         const std::string& dataFolder) {
  TVariableManager& vars = statement.vars;
  const std::string origin = statement.Origin();
  const std::string resultParameter = statement.Parameter(2);
  const InstallFlags flags = ReadInstallFlags(statement.Parameter(3), statement.Parameter(4));

  InstallerRequest request;
  request.setupSourceFolder =
      hooks.setupSourceFolder ? hooks.setupSourceFolder(statement) : std::string();
  // The search follows parameter 3 itself: an advertisement (both flags
  // false) installs nothing from the sources.
  if (hooks.checkSources && !hooks.checkSources(statement, flags.install && !flags.advertise)) {
    WriteSourcesNotFound(vars, resultParameter, origin);
    return;
  }

  const std::string temp = vars.GetVariable("TEMPDIR");
  RecordProperty("MSINTEMP", temp);
  // The package learns the chosen setup language, and its shortcuts and file
  // types get their texts in that language.
  if (Translations().Active()) {
    QueueProperty("ProductLanguage", LanguageToLcid(Translations().Current()));
    if (hooks.localizeTexts) hooks.localizeTexts(packagePath);
  }

  request.operation = InstallerOperation::kPackage;
  request.packagePath = packagePath;
  // The dialogs lie beside the package, in the support folder.
  request.progressDialogFile =
      packagePath.substr(0, packagePath.find_last_of('\\') + 1) + statement.Parameter(1) + ".dfm";
  request.variablesText = vars.ExportVariables();
  request.propertyListText = WriteCommaText(Properties().Lines());
  request.productCode = CurrentRun().productCode;
  request.install = flags.install;
  request.advertise = flags.advertise;
  // A source search may have found the data somewhere else.
  request.dataFolder =
      WithTrailingBackslash(CurrentRun().dataFolder.empty() ? dataFolder : CurrentRun().dataFolder);
  request.targetFolder = vars.ExpandPath(vars.GetVariable("TARGETDIR"));

  std::string errorText;
  const int result = runner.RunInstaller(request, errorText);
  WriteInstallResult(vars, resultParameter, result, errorText, origin);
  if ((result == kInstallComplete || result == kInstallReboot) && hooks.afterSuccess) {
    hooks.afterSuccess(statement, request);
  }
}

}  // namespace vantrell

namespace vantrell {

void ExecuteApplyPatch(StatementContext& statement, InstallerRunner& runner,
                       const ApplyChangesHooks& hooks, const std::string& packagePath,
                       const std::string& dataFolder) {
  TVariableManager& vars = statement.vars;
  const std::string origin = statement.Origin();
  const std::string resultParameter = statement.Parameter(1);
  if (hooks.checkPatchSources && !hooks.checkPatchSources(statement)) {
    WriteSourcesNotFound(vars, resultParameter, origin);
    return;
  }
  // A web-based build runs the patch from the engine cache like its package.
  if (CurrentRun().buildKind == kBuildKindMediaBlocks)
    RecordProperty("MSINTEMP", vars.GetVariable("TEMPDIR"));
  InstallerRequest request;
  request.operation = InstallerOperation::kPatch;
  const size_t dot = packagePath.find_last_of(".\\");
  request.packagePath =
      (dot != std::string::npos && packagePath[dot] == '.' ? packagePath.substr(0, dot)
                                                           : packagePath) +
      ".msp";
  request.variablesText = vars.ExportVariables();
  request.propertyListText = WriteCommaText(Properties().Lines());
  request.productCode = CurrentRun().productCode;
  request.dataFolder =
      WithTrailingBackslash(CurrentRun().dataFolder.empty() ? dataFolder : CurrentRun().dataFolder);
  request.setupSourceFolder = request.dataFolder;
  request.targetFolder = vars.ExpandPath(vars.GetVariable("TARGETDIR"));
  std::string errorText;
  const int result = runner.RunInstaller(request, errorText);
  WriteInstallResult(vars, resultParameter, result, errorText, origin);
}

void ExecuteIsMsiSetupInstalled(StatementContext& statement, InstallerQueries& installer) {
  TVariableManager& vars = statement.vars;
  const std::string product = vars.ExpandPath(statement.Expanded(1));
  const std::string result = statement.Parameter(2);
  vars.DeclareResultVariable(result, statement.Origin());
  const bool installed = installer.QueryProductState(product) == 5;
  vars.AssignVariable(result, installed ? "TRUE" : "FALSE", "MsiQueryProductState");
}

void RegisterInstallerRunStatements(StatementTable& table, InstallerRunServices services) {
  table.Register("Apply Patch", [services](StatementContext& statement) {
    auto runner = services.runner(statement, /*packageEdits=*/false);
    ExecuteApplyPatch(statement, *runner, services.hooks, CurrentRun().installerDatabasePath,
                      CurrentRun().dataFolder);
  });
  table.Register("Is MSI Setup Installed", [services](StatementContext& statement) {
    ExecuteIsMsiSetupInstalled(statement, services.installed);
  });
  table.Register("Apply Changes", [services](StatementContext& statement) {
    auto runner = services.runner(statement, /*packageEdits=*/true);
    ExecuteApplyChanges(statement, *runner, services.hooks, CurrentRun().installerDatabasePath,
                        CurrentRun().dataFolder);
  });
}

}  // namespace vantrell
