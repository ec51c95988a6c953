// Engine cache locations (contract in engine_cache.h).
#include "script/engine_cache.h"

#include "common/ascii.h"

namespace vantrell {
namespace {

std::string LastFolderName(std::string path) {
  while (!path.empty() && path.back() == '\\') path.pop_back();
  size_t cut = path.find_last_of('\\');
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string ParentFolder(std::string path) {
  while (!path.empty() && path.back() == '\\') path.pop_back();
  size_t cut = path.find_last_of('\\');
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

}  // namespace

RunIdentity& CurrentRun() {
  static RunIdentity run;
  return run;
}

std::string EngineCacheRoot(bool allUsers, SystemFacts& system, const TVariableManager& vars) {
  std::string overridden = vars.GetVariable("OVERRIDECACHE");
  if (!overridden.empty()) return WithTrailingBackslash(overridden);
  const RunIdentity& run = CurrentRun();
  for (RegistryRoot root : {RegistryRoot::kLocalMachine, RegistryRoot::kCurrentUser}) {
    auto registered = system.ReadRegistryString(root, kEngineCacheRegistryKey + run.productCode, "");
    if (!registered || registered->empty()) continue;
    // A registration for another build of the product is not ours.
    if (LastFolderName(*registered) == run.revisionCode) return ParentFolder(*registered);
    break;
  }
  std::string folder = system.Folder(allUsers ? SpecialFolder::kCommonAppData : SpecialFolder::kLocalAppData);
  if (folder.empty() && !allUsers) folder = system.Folder(SpecialFolder::kAppData);
  if (folder.empty()) folder = ParentFolder(system.Folder(SpecialFolder::kDesktop)) + "Application Data\\";
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
