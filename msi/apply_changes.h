// "Apply Changes": hands everything the script recorded to Windows Installer
// in one run on the installer thread and reports "ERROR", "CANCEL",
// "COMPLETE" or "REBOOT" in its result variable. The run itself goes through
// an InstallerRunner (the Windows side runs the installer thread); what comes
// before and after the run (setup sources, the engine cache and the product's
// registration) through ApplyChangesHooks.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "common/system_facts.h"
#include "msi/property_command_line.h"
#include "script/statements.h"

namespace vantrell {

struct InstallerRequest {
  InstallerOperation operation = InstallerOperation::kPackage;
  std::string packagePath;
  std::string progressDialogFile;
  std::string variablesText;     // the store's comma text
  std::string propertyListText;  // the property list's comma text
  std::string productCode;
  bool install = false;  // also set when advertising
  bool advertise = false;
  std::string dataFolder;
  std::string setupSourceFolder;
  std::string targetFolder;
};

// Runs one installer operation to its end: -1 error, 0 cancelled, 1 complete,
// 2 complete with a restart needed; errorText receives the error's text.
class InstallerRunner {
 public:
  virtual ~InstallerRunner() = default;
  virtual int RunInstaller(const InstallerRequest& request, std::string& errorText) = 0;
};

struct ApplyChangesHooks {
  // The setup source folder, with a trailing backslash (empty: none known).
  std::function<std::string(StatementContext& statement)> setupSourceFolder;
  // False when the sources are needed and cannot be found.
  std::function<bool(StatementContext& statement, bool install)> checkSources;
  // The same for "Apply Patch", which needs its sources whenever the marker is missing.
  std::function<bool(StatementContext& statement)> checkPatchSources;
  // Writes the run's translated shortcut and file-type texts into the package.
  std::function<void(const std::string& packagePath)> localizeTexts;
  // The upkeep after a successful run (engine cache and registration).
  std::function<void(StatementContext& statement, const InstallerRequest& request)> afterSuccess;
};

// "Apply Patch": the patch beside the package, applied through the same runner.
void ExecuteApplyPatch(StatementContext& statement, InstallerRunner& runner,
                       const ApplyChangesHooks& hooks, const std::string& packagePath,
                       const std::string& dataFolder);

// "Is MSI Setup Installed": "TRUE" when the installer reports the product installed.
void ExecuteIsMsiSetupInstalled(StatementContext& statement, InstallerQueries& installer);

void ExecuteApplyChanges(StatementContext& statement, InstallerRunner& runner,
                         const ApplyChangesHooks& hooks, const std::string& packagePath,
                         const std::string& dataFolder);

struct InstallerRunServices {
  ApplyChangesHooks hooks;
  // The runner of one statement; packageEdits: the queued package edits are
  // made on the installer thread before the installer runs.
  std::function<std::unique_ptr<InstallerRunner>(StatementContext& statement, bool packageEdits)>
      runner;
  InstallerQueries& installed;
};

// Registers "Apply Changes", "Apply Patch" and "Is MSI Setup Installed" on the
// package and data folder of the current run.
void RegisterInstallerRunStatements(StatementTable& table, InstallerRunServices services);

}  // namespace vantrell
