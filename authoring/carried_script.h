// The carried setup script as raw lines, for writing it behind the engine and
// for taking it apart again without losing a byte. Layout (8-bit text, every
// line ends with CR LF, a line "$" alone ends a list), in this order:
//   list commands, list identifiers, list parameter pool, list markers,
//   line product code, line title, list plug-in commands, 6 lines registration
//   (publisher, contact, help link, update URL, comments, version),
//   list media passwords, list media folders, line build kind,
//   list component sizes, line revision code, list offline files,
//   line language selection flag, line default language,
//   list statement headers, list build variables.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrell::authoring {

// Every field holds the exact line text; nothing is interpreted here.
struct CarriedScript {
  std::vector<std::string> commands;
  std::vector<std::string> identifiers;
  std::vector<std::string> pool;
  std::vector<std::string> markers;
  std::string productCode;
  std::string title;
  std::vector<std::string> pluginCommands;
  std::array<std::string, 6> registration;
  std::vector<std::string> mediaPasswords;
  std::vector<std::string> mediaFolders;
  std::string buildKind;
  std::vector<std::string> componentSizes;
  std::string revisionCode;
  std::vector<std::string> offlineFiles;
  std::string languageSelection;
  std::string defaultLanguage;
  std::vector<std::string> statementHeaders;
  std::vector<std::string> buildVariables;

  bool operator==(const CarriedScript&) const = default;
};

// The bytes in the layout above. Throws std::invalid_argument naming the item
// when a line holds CR or LF, or when a list item is exactly "$" (it would end
// the list early).
std::string WriteCarriedScript(const CarriedScript& script);

// Takes bytes apart the way the engine reads them (lines end at CR LF, LF or
// CR; end of data ends the current list). consumed receives the number of
// bytes the layout used, so trailing bytes such as a signature can be told
// apart. nullopt when the data ends before the last list is complete.
std::optional<CarriedScript> SplitCarriedScript(std::string_view bytes, size_t* consumed = nullptr);

}  // namespace vantrell::authoring
