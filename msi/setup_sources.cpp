// Setup source folder, marker test and source search (contract in setup_sources.h).
#include "msi/setup_sources.h"

#include "lang/engine_texts.h"
#include "script/run_identity.h"
#include "script/script_reader.h"

namespace vantrell {
namespace {

constexpr int kTextLocateSources = 17;

std::string& KeptSourceFolder() {
  static std::string folder;
  return folder;
}

bool HoldsMarker(FileSystem& files, const std::string& folder, const std::string& productCode) {
  // Without a product code there is no marker name, and the bare folder must
  // not pass for one.
  if (productCode.empty() || folder.empty()) return false;
  return files.FileExists(WithTrailingBackslash(folder) + productCode);
}

// A folder holding the marker, itself or in its "data\\" sub-folder, becomes
// the data folder.
bool AcceptSourceFolder(FileSystem& files, const std::string& chosen, SourceCheck& check) {
  if (chosen.empty()) return false;
  const std::string folder = WithTrailingBackslash(chosen);
  for (const std::string& candidate : {folder, folder + "data\\"}) {
    if (HoldsMarker(files, candidate, check.productCode)) {
      check.dataFolder = candidate;
      return true;
    }
  }
  return false;
}

bool SearchAllowed(const SourceCheck& check) {
  if (check.buildKind == kBuildKindMediaBlocks) return false;
  if (check.statement == SourceStatement::kApplyPatch) return true;
  return check.maintenance && check.install;
}

}  // namespace

std::string SetupSourceFolder(SystemFacts& system, const SetupSourceQuery& query) {
  std::string folder;
  // An empty title would name the list of all uninstall entries, not ours.
  if (!query.title.empty()) {
    const RegistryRoot root = query.allUsers || query.windows9x ? RegistryRoot::kLocalMachine
                                                                : RegistryRoot::kCurrentUser;
    if (auto command =
            system.ReadRegistryString(root, kUninstallKey + query.title, "UninstallString")) {
      std::string target = UninstallTarget(*command);
      size_t slash = target.find_last_of('\\');
      if (slash != std::string::npos) folder = target.substr(0, slash + 1);
    }
  }
  if (!query.sourcePathOverride.empty()) folder = WithTrailingBackslash(query.sourcePathOverride);
  return folder;
}

bool CheckSetupSources(FileSystem& files, SourceFolderBrowser* browser, SourceCheck& check) {
  const bool patchBuild = check.buildKind == kBuildKindPatch;
  if (patchBuild && !HoldsMarker(files, check.setupSourceFolder, check.productCode) &&
      HoldsMarker(files, check.dataFolder, check.productCode)) {
    check.setupSourceFolder = check.dataFolder;
  }
  const bool missing = !HoldsMarker(files, patchBuild ? check.setupSourceFolder : check.dataFolder,
                                    check.productCode);
  if (!missing || !SearchAllowed(check)) return true;

  // The setup source folder is the first candidate: a "/p=" override names
  // the original setup folder, and a silent maintenance run has no other
  // way to be told where the sources are.
  if (AcceptSourceFolder(files, check.setupSourceFolder, check)) return true;
  while (true) {
    if (check.silent || browser == nullptr) return false;
    std::optional<std::string> chosen = browser->BrowseForFolder(EngineText(kTextLocateSources));
    if (!chosen) return false;
    if (AcceptSourceFolder(files, *chosen, check)) return true;
  }
}

std::string FindSetupSourceFolder(SetupSourceServices& services) {
  SetupSourceQuery query;
  query.title = services.vars.GetVariable("TITLE");
  query.allUsers = TextToBool(services.vars.GetVariable("ALLUSERS"));
  query.windows9x = services.windows9x;
  query.sourcePathOverride = CurrentRun().sourcePathOverride;
  KeptSourceFolder() = SetupSourceFolder(services.system, query);
  return KeptSourceFolder();
}

bool CheckRunSetupSources(SourceStatement statement, bool install, SetupSourceServices& services) {
  RunIdentity& run = CurrentRun();
  SourceCheck check;
  check.statement = statement;
  check.install = install;
  check.buildKind = run.buildKind;
  check.productCode = run.productCode;
  check.maintenance = TextToBool(services.vars.GetVariable("MAINTENANCE"));
  check.silent = services.silent;
  check.setupSourceFolder = KeptSourceFolder();
  check.dataFolder = run.dataFolder;
  const bool found = CheckSetupSources(services.files, services.browser, check);
  KeptSourceFolder() = check.setupSourceFolder;
  run.dataFolder = check.dataFolder;
  return found;
}

bool FindSetupSources(SourceStatement statement, bool install, SetupSourceServices& services) {
  FindSetupSourceFolder(services);
  return CheckRunSetupSources(statement, install, services);
}

const std::string& RunSetupSourceFolder() {
  return KeptSourceFolder();
}

void ResetRunSetupSourceFolder() {
  KeptSourceFolder().clear();
}

}  // namespace vantrell
