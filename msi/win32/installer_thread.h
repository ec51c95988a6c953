// The installer run on Windows: RunInstaller starts the installer thread
// (TMSIThread) and waits for it while the interface stays alive; the thread
// cleans stale temporary packages, prepares the folders, writes the property
// transfer file, composes the property command line and calls Windows
// Installer with the engine's message handler, retrying while another
// installation runs. Results come back through the request's error text and
// the runner's result code.
#pragma once

#include <functional>
#include <memory>

#include "common/file_system.h"
#include "common/registration_store.h"
#include "common/system_facts.h"
#include "msi/apply_changes.h"
#include "script/background.h"

namespace vantrell {

class Win32InstallerRunner final : public InstallerRunner {
 public:
  // packageEdits runs on the installer thread before the installer call.
  Win32InstallerRunner(WaitHost& host, bool silent, TVariableManager& vars,
                       std::function<void(const InstallerRequest&)> packageEdits = {})
      : host_(host), silent_(silent), vars_(vars), packageEdits_(std::move(packageEdits)) {}

  int RunInstaller(const InstallerRequest& request, std::string& errorText) override;

 private:
  WaitHost& host_;
  bool silent_;
  TVariableManager& vars_;
  std::function<void(const InstallerRequest&)> packageEdits_;
};

// The setup source search and the upkeep after success on the real system.
ApplyChangesHooks InstallerHooks(FileSystem& files, SystemFacts& system,
                                 RegistrationStore& registry, CacheFolderSystem& folders);

// Runners on the real installer; packageEdits makes the queued package edits.
std::function<std::unique_ptr<InstallerRunner>(StatementContext&, bool)> Win32InstallerRunners(
    std::function<void(const InstallerRequest&)> packageEdits);

}  // namespace vantrell
