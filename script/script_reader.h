// The setup script carried behind the engine's image: its in-memory lists and
// the reader that fills them. Byte layout (8-bit text, CR LF lines, "$" alone
// on a line separates lists), consumed strictly in this order:
//    1 list  commands            13 line  version
//    2 list  identifiers         14 list  media passwords (pairs)
//    3 list  parameter pool      15 list  statement media folders
//    4 list  markers             16 line  build kind (integer)
//    5 line  product code        17 list  component sizes (pairs)
//    6 line  project title       18 line  revision code
//    7 list  plug-in commands    19 list  offline files (triples)
//    8 line  publisher           20 line  language selection flag
//    9 line  contact             21 line  default language
//   10 line  help link           22 list  statement headers (pairs)
//   11 line  update info URL     23 list  build variables (pairs)
//   12 line  comments
// End of data ends the current list and leaves every later item empty.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vantrell {

// One parameter pool with a case-insensitive index of its lines, so that
// parameter lookups by statement identifier are hashed.
class ParameterPool {
 public:
  explicit ParameterPool(std::vector<std::string> lines);

  // Line n places below the first line equal to identifier (ignoring ASCII
  // case), or nullptr when the identifier is absent or the pool ends first.
  const std::string* LineBelow(std::string_view identifier, int n) const;
  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  std::vector<std::string> lines_;
  std::unordered_map<std::string, size_t> firstIndex_;  // upper-cased line -> first position
};

struct RegistrationLines {
  std::string publisher;
  std::string contact;
  std::string helpLink;
  std::string updateInfoUrl;
  std::string comments;
  std::string version;
};

// Build kinds with a meaning of their own: a web-based build whose data comes
// in media blocks fetched into the engine cache, and a patch build that
// shares the installed product's cache folder.
inline constexpr int64_t kBuildKindMediaBlocks = 2;
inline constexpr int64_t kBuildKindPatch = 3;

struct SetupScript {
  std::vector<std::string> commands;
  std::vector<std::string> identifiers;
  std::vector<std::string> markers;
  std::vector<ParameterPool> pools;  // the main script contributes exactly one
  std::string productCode;
  std::string projectTitle;
  std::vector<std::string> pluginCommands;
  RegistrationLines registration;
  std::vector<std::string> mediaPasswords;
  std::vector<std::string> mediaFolders;
  int64_t buildKind = 0;  // kBuildKindMediaBlocks, kBuildKindPatch or another number
  std::vector<std::string> componentSizes;
  std::string revisionCode;
  std::vector<std::string> offlineFiles;
  bool languageSelection = false;
  std::string defaultLanguage;
  std::vector<std::string> statementHeaders;
  std::vector<std::string> buildVariables;

  size_t StatementCount() const { return commands.size(); }
};

// Parses the script bytes. Never fails: malformed input yields short or empty lists.
SetupScript ReadScript(std::string_view bytes);

// The n-th parameter line (n = 1 is the first) of the statement with this
// identifier, searched in each pool in turn; empty when no pool holds it.
std::string ParameterLine(const std::vector<ParameterPool>& pools, std::string_view identifier,
                          int n);

// The header recorded for a statement index. Outside the header-scanning
// phase a missing header raises ScriptError.
std::string StatementHeader(const SetupScript& script, size_t index, bool scanning = false);

// Replaces every "#NAME#" of the build variable list (ignoring case).
std::string ExpandBuildVariables(const SetupScript& script, std::string_view text);

}  // namespace vantrell
