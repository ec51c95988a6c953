// The feature selection file: the component selection, the target folder and
// the kept variables of a run, saved for later runs and scripts. Text in the
// system code page, CR LF after every line, one item per line; "$" alone on a
// line ends a list. In order:
//    1 list  component names            7 line  TARGETDIR
//    2 list  states (parallel to 1)     8 line  ALLUSERS
//    3 list  deleted names              9 line  STARTMENU
//    4 list  hidden names              10 line  short data folder, or empty (never read)
//    5 list  fixed-choice names        11 pairs kept variable name, value ("$NEWLINE$" for breaks)
//    6 list  name, size, name, size    12 pair  "VELD64WOW", target platform
//                                      13 pair  "OVERRIDECACHE", its value
// A line break inside any item is written as "$NEWLINE$" so that every item
// stays one line; an item that is exactly "$" cannot be written and is left out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_system.h"
#include "components/component_table.h"
#include "vars/variable_manager.h"

namespace vantrell {

enum class FeatureSelectionMode {
  kAppend,              // lists 1-6 appended to the table
  kAppendWithoutSizes,  // lists 1-5 appended, list 6 dropped
  kMerge,               // states of known components set, marks replaced, sizes dropped
};

// The origin of every assignment a load makes.
inline constexpr std::string_view kLoadComponentsOrigin = "LoadComponents";
// Files above this size are not read: the engine writes small ones.
inline constexpr uint64_t kMaxFeatureSelectionFileBytes = uint64_t{64} << 20;

// What a file holds, as read; lines absent from a short file stay absent.
struct FeatureSelectionContent {
  ComponentLists lists;                           // descriptions are not stored
  std::vector<std::optional<std::string>> items;  // items 7 to 10, present ones only
  std::vector<std::string> tail;                  // the lines of items 11 to 13 (name, value, ...)
};

FeatureSelectionContent ParseFeatureSelections(std::string_view bytes);

// The whole text of a full save.
std::string FormatFeatureSelections(const TComponentTable& table, const TVariableManager& vars,
                                    const std::string& dataFolderLine);

// Full: writes every item (line 10 empty when forUser, else dataFolderShort).
// Partial: only over an existing, whole file, whose items 1 to 10 are kept
// and whose variables and platform are written anew. The text is written to
// path + ".dat" first and then replaces the file. False when nothing changed.
bool SaveFeatureSelections(FileSystem& files, const std::string& path, bool forUser, bool full,
                           const std::string& dataFolderShort, const TComponentTable& table,
                           TVariableManager& vars);

struct FeatureSelectionLoad {
  bool loaded = false;  // the file was there and read
  // Sizes (as the table knows them) of the file's selected, undeleted
  // components, each name once: what the bootstrap adds to the installed size.
  int64_t selectedSize = 0;
};

// A missing, unreadable or oversized file loads nothing.
FeatureSelectionLoad LoadFeatureSelections(FileSystem& files, const std::string& path,
                                           FeatureSelectionMode mode, TComponentTable& table,
                                           TVariableManager& vars);

}  // namespace vantrell
