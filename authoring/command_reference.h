// The command reference: every command the engine knows, each parameter line
// with its name, kind and meaning, and the allowed codes where a line takes a
// code. The build's checks, the named-parameter form of the script files and
// COMMANDS.md (`vantrell-author commands`) are all made from this one table.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantrell::authoring {

enum class ParamKind { kText, kVariable, kTruth, kCode, kNumber, kPath, kGuid };

// What a variable-name line does with its variable.
enum class VariableUse { kNone, kReads, kWrites };

struct CodeInfo {
  std::string value;
  std::string meaning;
};

struct ParamInfo {
  std::string name;  // lower case words joined by "-": the `> name: value` form
  ParamKind kind = ParamKind::kText;
  std::string meaning;
  std::vector<CodeInfo> codes;           // kCode: the values the engine acts on
  bool optional = false;                 // may be empty
  bool literal = false;                  // read as written: no $NAME$ expansion
  VariableUse use = VariableUse::kNone;  // kVariable only

  ParamInfo Optional() const;
  ParamInfo Literal() const;
};

struct CommandInfo {
  std::string name;
  std::string summary;
  std::vector<ParamInfo> params;
  // Lines after the listed ones are allowed: free text ("Comment"), or lines
  // of a package statement that the engine does not read.
  bool moreLines = false;
  bool installType = false;  // switches its part of the package on
};

// Every built-in command in name order, and "Label".
const std::vector<CommandInfo>& CommandReference();
const CommandInfo* FindCommand(std::string_view name);  // exact, letter case included
// The parameter with this name, or -1. A command that allows more lines than
// it describes also takes the placeholder "line-N" (N > the described lines,
// at most kMaxPlaceholderLine) for its N-th line.
int FindParameter(const CommandInfo& command, std::string_view name);
// The name of the line at `index` (0-based): the described name, else the
// placeholder "line-N" where further lines are allowed; empty otherwise.
std::string ParameterNameAt(const CommandInfo& command, size_t index);
constexpr size_t kMaxPlaceholderLine = 999;

std::string_view KindName(ParamKind kind);

// The candidates close to a name, best first: those that differ only in
// letter case or blanks, else those a few edits away (at most three).
std::vector<std::string> SimilarNames(std::string_view name,
                                      const std::vector<std::string>& candidates);
// SimilarNames among the commands of the reference.
std::vector<std::string> SimilarCommands(std::string_view name);

// The reference as a Markdown document (authoring/COMMANDS.md).
std::string CommandReferenceMarkdown();

}  // namespace vantrell::authoring
