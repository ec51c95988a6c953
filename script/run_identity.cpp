// The run's identity and engine cache locations (contract in run_identity.h).
#include "script/run_identity.h"

#include <mutex>

#include "common/ascii.h"
#include "common/paths.h"

namespace vantrell {
namespace {

// The registered cache folder of one identity, read before every statement
// otherwise (two registry lookups each time).
struct RegistrationCache {
  bool valid = false;
  std::string productCode;
  std::string revisionCode;
  std::optional<std::string> root;
};

std::mutex registrationMutex;
RegistrationCache registrationCache;

std::optional<std::string> RegisteredRoot(SystemFacts& system, const RunIdentity& run) {
  {
    std::lock_guard lock(registrationMutex);
    if (registrationCache.valid && registrationCache.productCode == run.productCode &&
        registrationCache.revisionCode == run.revisionCode) {
      return registrationCache.root;
    }
  }
  std::optional<std::string> root;
  for (RegistryRoot hive : {RegistryRoot::kLocalMachine, RegistryRoot::kCurrentUser}) {
    auto registered =
        system.ReadRegistryString(hive, kEngineCacheRegistryKey + run.productCode, "");
    if (!registered || registered->empty()) continue;
    // A registration for another build of the product is not ours.
    if (LastFolderName(*registered) == run.revisionCode) root = ParentFolder(*registered);
    break;
  }
  std::lock_guard lock(registrationMutex);
  registrationCache = RegistrationCache{true, run.productCode, run.revisionCode, root};
  return root;
}

}  // namespace

void ForgetEngineCacheRegistration() {
  std::lock_guard lock(registrationMutex);
  registrationCache.valid = false;
}

RunIdentity& CurrentRun() {
  static RunIdentity run;
  return run;
}

std::string EngineCacheRoot(bool allUsers, SystemFacts& system, const TVariableManager& vars) {
  std::string overridden = vars.GetVariable("OVERRIDECACHE");
  if (!overridden.empty()) return WithTrailingBackslash(overridden);
  if (auto registered = RegisteredRoot(system, CurrentRun())) return *registered;
  std::string folder =
      system.Folder(allUsers ? SpecialFolder::kCommonAppData : SpecialFolder::kLocalAppData);
  if (folder.empty() && !allUsers) folder = system.Folder(SpecialFolder::kAppData);
  if (folder.empty())
    folder = ParentFolder(system.Folder(SpecialFolder::kDesktop)) + "Application Data\\";
  return folder;
}

std::string EngineCacheFolder(bool allUsers, SystemFacts& system, const TVariableManager& vars) {
  const RunIdentity& run = CurrentRun();
  const std::string& name = run.buildKind == 3 ? run.installedCacheName : run.revisionCode;
  return EngineCacheRoot(allUsers, system, vars) + name + "\\";
}

bool StoredChoice(SystemFacts& system, FileSystem& files, const TVariableManager& vars) {
  return !files.FileExists(EngineCacheFolder(false, system, vars) + CurrentRun().baseName + ".dat");
}

std::string UninstallTarget(const std::string& uninstallString) {
  size_t open = uninstallString.find('"');
  if (open == std::string::npos) return uninstallString;
  std::string rest = uninstallString.substr(0, open) + uninstallString.substr(open + 1);
  size_t close = rest.find('"');
  return close == std::string::npos ? rest : rest.substr(0, close);
}

}  // namespace vantrell
