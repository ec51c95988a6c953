// Finding the setup sources before an installer run: the setup source folder
// from the product's uninstall entry (or the "/p=" override), the test for
// the source marker file (a file named exactly like the product code) and,
// when a maintenance run lacks it, the search for the folder that holds it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/file_system.h"
#include "common/system_facts.h"
#include "vars/variable_manager.h"

namespace vantrell {

enum class SourceStatement { kApplyChanges, kApplyPatch };

// The folder browser of the search; the Windows side shows the system's one.
class SourceFolderBrowser {
 public:
  virtual ~SourceFolderBrowser() = default;
  // The chosen folder, or nullopt when the user cancelled.
  virtual std::optional<std::string> BrowseForFolder(const std::string& title) = 0;
};

struct SetupSourceQuery {
  std::string title;      // TITLE: the name of the uninstall entry
  bool allUsers = false;  // ALLUSERS by the truth rule
  bool windows9x = false;
  std::string sourcePathOverride;  // the "/p=" value; empty when none was given
};

// The folder (trailing backslash) of the executable that the uninstall entry
// names, or the override; empty when neither is known.
std::string SetupSourceFolder(SystemFacts& system, const SetupSourceQuery& query);

struct SourceCheck {
  SourceStatement statement = SourceStatement::kApplyChanges;
  bool install = false;  // parameter 3 of "Apply Changes"; not read for "Apply Patch"
  int64_t buildKind = 0;
  std::string productCode;
  bool maintenance = false;
  bool silent = false;
  std::string setupSourceFolder;  // in and out
  std::string dataFolder;         // in and out
};

// The marker test and, where the rules call for it, the search. False when the
// search was given up (the caller reports "sources not found"); browser may be
// null, which gives up like a silent run.
bool CheckSetupSources(FileSystem& files, SourceFolderBrowser* browser, SourceCheck& check);

// --- The run's own setup sources, kept for the rest of the run -------------

struct SetupSourceServices {
  FileSystem& files;
  SystemFacts& system;
  const TVariableManager& vars;            // TITLE, ALLUSERS, MAINTENANCE
  SourceFolderBrowser* browser = nullptr;  // none: no window, the search gives up
  bool silent = false;
  bool windows9x = false;
};

// Computes the run's setup source folder from the uninstall entry and the
// command line's override, keeps it and returns it.
std::string FindSetupSourceFolder(SetupSourceServices& services);

// Checks the run's kept folders and searches when needed; a found folder
// becomes the run's data folder. False: given up.
bool CheckRunSetupSources(SourceStatement statement, bool install, SetupSourceServices& services);

// Both of the above, in order.
bool FindSetupSources(SourceStatement statement, bool install, SetupSourceServices& services);

// The kept setup source folder (empty before the first computation).
const std::string& RunSetupSourceFolder();
void ResetRunSetupSourceFolder();

}  // namespace vantrell
