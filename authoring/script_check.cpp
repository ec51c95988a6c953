// The author's statement checks (contract in script_check.h).
#include "authoring/script_check.h"

#include <algorithm>
#include <optional>
#include <set>

#include "authoring/command_reference.h"
#include "authoring/identifiers.h"
#include "common/ascii.h"
#include "script/compile_check.h"
#include "vars/variable_manager.h"

namespace vantrell::authoring {
namespace {

constexpr std::string_view kKeepMarker = "$VELD$VELD$";
constexpr std::string_view kPredefinedComponent = "VELD-PREDEF-COMPONENT";
// An editor's marker that scripts may carry; the engine passes over it.
constexpr std::string_view kFoldingMarker = "Code Folding Region";

// Names the run defines beyond those the engine's check knows: the run's
// own spellings of three settings, the group-policy path, the progress
// variables of background work, and the dollar spellings the reader turns
// into "$".
constexpr const char* kRunNames[] = {"VELD_COMPRESS_INSTALLER_CACHE",
                                     "VELD_DISABLE_ROLLBACK",
                                     "VELD_DISABLE_VISTA_RESTART_MANAGER",
                                     "GPOPATH",
                                     "VELD_thProgress",
                                     "VELD_thMin",
                                     "VELD_thMax",
                                     "VELD_thProgressText",
                                     "VELD_thCancelled",
                                     "VELD_thFinished",
                                     "DOLLAR",
                                     "WILD_DOLLAR"};

std::string Quoted(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

SourceRef ParameterWhere(const Statement& s, size_t index) {
  if (index < s.parameterLines.size() && s.parameterLines[index] > 0)
    return {s.where.file, s.parameterLines[index]};
  return s.where;
}

// "If" parameter 2 (comparison)
std::string ParameterTitle(const Statement& s, size_t index, const CommandInfo* command) {
  std::string title = Quoted(s.command) + " parameter " + std::to_string(index + 1);
  std::string name = command ? ParameterNameAt(*command, index) : "";
  if (!name.empty()) title += " (" + name + ")";
  return title;
}

bool IsNameStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsNamePart(char c) {
  return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// The $NAME$ references of a value, in order. A "$" that does not open a
// reference is plain text, as the engine leaves it.
std::vector<std::string> References(std::string_view value) {
  std::vector<std::string> names;
  size_t at = 0;
  while ((at = value.find('$', at)) != std::string_view::npos) {
    size_t close = value.find('$', at + 1);
    if (close == std::string_view::npos) break;
    std::string_view name = value.substr(at + 1, close - at - 1);
    bool isName = !name.empty() && IsNameStart(name.front());
    for (char c : name) isName = isName && IsNamePart(c);
    if (isName) {
      names.emplace_back(name);
      at = close + 1;
    } else {
      at = close;
    }
  }
  return names;
}

bool HasReference(std::string_view value) {
  return !References(value).empty();
}

// The engine's strict integer: blanks, a sign, decimal digits, or hex
// digits after "$", "x" or "0x".
bool IsStrictInteger(std::string_view t) {
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  if (!t.empty() && (t.front() == '-' || t.front() == '+')) t.remove_prefix(1);
  bool hex = false;
  if (t.substr(0, 2) == "0x" || t.substr(0, 2) == "0X") {
    t.remove_prefix(2);
    hex = true;
  } else if (!t.empty() && (t.front() == '$' || t.front() == 'x' || t.front() == 'X')) {
    t.remove_prefix(1);
    hex = true;
  }
  if (t.empty()) return false;
  for (char c : t) {
    bool digit = c >= '0' && c <= '9';
    bool hexLetter = (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (!digit && !(hex && hexLetter)) return false;
  }
  return true;
}

// NAME or $NAME$ as a variable-name line gives it; empty when malformed.
std::string VariableName(std::string_view value) {
  if (value.size() >= 2 && value.front() == '$' && value.back() == '$')
    value = value.substr(1, value.size() - 2);
  return value.find('$') == std::string_view::npos ? std::string(value) : std::string();
}

std::string CodeList(const ParamInfo& p) {
  const size_t n = p.codes.size();
  if (n > 16) return p.codes.front().value + " to " + p.codes.back().value + " (see COMMANDS.md)";
  std::string list;
  for (const CodeInfo& c : p.codes) {
    if (!list.empty()) list += "; ";
    list += c.value + ": " + c.meaning;
  }
  return list;
}

// What is wrong with a value of this kind, or nothing.
std::optional<std::string> ValueProblem(const ParamInfo& p, const std::string& value) {
  if (value.empty()) {
    if (p.optional) return std::nullopt;
    switch (p.kind) {
      case ParamKind::kCode:
        return "a code is required: " + CodeList(p);
      case ParamKind::kNumber:
        return std::string("a number is required");
      case ParamKind::kGuid:
        return std::string("a GUID in braces is required");
      case ParamKind::kVariable:
        return std::string("a variable name is required");
      default:
        return std::nullopt;
    }
  }
  const bool runTime = HasReference(value);
  switch (p.kind) {
    case ParamKind::kCode:
      for (const CodeInfo& c : p.codes) {
        if (c.value == value) return std::nullopt;
      }
      if (runTime) return std::nullopt;
      return "code " + Quoted(value) + " is not one of: " + CodeList(p);
    case ParamKind::kNumber:
      if (runTime || IsStrictInteger(value)) return std::nullopt;
      return Quoted(value) + " is not a number";
    case ParamKind::kGuid:
      if (runTime || IsBracedGuid(value)) return std::nullopt;
      return Quoted(value) + " is not a GUID in braces ({XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX})";
    case ParamKind::kTruth:
      if (runTime || EqualsIgnoreCase(value, "TRUE") || EqualsIgnoreCase(value, "FALSE") ||
          value == "-1")
        return std::nullopt;
      return Quoted(value) + " is not a truth value: write TRUE or FALSE (the engine reads " +
             Quoted(value) + " as FALSE)";
    case ParamKind::kVariable:
      if (value.find(kKeepMarker) != std::string::npos || !VariableName(value).empty())
        return std::nullopt;
      return Quoted(value) + " is not a variable name: write NAME or $NAME$";
    default:
      return std::nullopt;
  }
}

// Every variable a statement of the script writes, anywhere: the check does
// not follow the run's order (the engine's own check does).
std::set<std::string> WrittenVariables(const std::vector<Statement>& statements) {
  std::set<std::string> written;
  for (const Statement& s : statements) {
    const CommandInfo* command = FindCommand(s.command);
    if (!command) continue;
    for (size_t i = 0; i < s.parameters.size() && i < command->params.size(); ++i) {
      if (command->params[i].use != VariableUse::kWrites) continue;
      std::string value = s.parameters[i];
      size_t marker = value.find(kKeepMarker);
      if (marker != std::string::npos) value.resize(marker);
      std::string name = VariableName(value);
      if (!name.empty()) written.insert(AsciiUpper(name));
    }
  }
  return written;
}

class Checker {
 public:
  explicit Checker(Project& p) : project_(p) {
    SetupScript none;
    (void)CompileScript(none, predefined_);
    for (const char* name : kRunNames) predefined_.PutVariable(name, "");
    written_ = WrittenVariables(p.statements);
    for (const std::string& name : p.inputVariables) written_.insert(AsciiUpper(name));
    for (const Statement& s : p.statements) {
      if (s.command == "Define Component" && !s.parameters.empty())
        components_.insert(AsciiUpper(s.parameters[0]));
    }
  }

  std::vector<Diagnostic> Run() {
    for (const Statement& s : project_.statements) {
      if (s.marker == "C") continue;
      Check(s);
    }
    return std::move(out_);
  }

 private:
  void Error(SourceRef where, std::string message) {
    out_.push_back({std::move(where), std::move(message), true});
  }
  void Warn(SourceRef where, std::string message) {
    out_.push_back({std::move(where), std::move(message), false});
  }

  bool Known(const std::string& name) const {
    return predefined_.VariableExists(name) || written_.count(AsciiUpper(name)) > 0;
  }

  bool IsPlugin(const std::string& command) const {
    for (const std::string& name : project_.pluginCommands) {
      if (EqualsIgnoreCase(name, command)) return true;
    }
    return false;
  }

  void Check(const Statement& s) {
    if (IsPlugin(s.command)) return;  // plug-in statements: the plug-in reads its lines
    if (s.command == kFoldingMarker) return;
    const CommandInfo* command = FindCommand(s.command);
    if (!command) {
      std::string message = "unknown command " + Quoted(s.command);
      std::vector<std::string> similar = SimilarCommands(s.command);
      for (size_t i = 0; i < similar.size(); ++i)
        message += (i == 0 ? "; did you mean " : " or ") + Quoted(similar[i]);
      if (similar.empty()) message += " (the commands are listed in authoring/COMMANDS.md)";
      Error(s.where, message);
      return;
    }
    if (!s.component.empty()) {
      if (s.command != "Install Files") {
        Error(s.where, "@component applies to \"Install Files\" only");
      } else if (!components_.count(AsciiUpper(s.component)) &&
                 !EqualsIgnoreCase(s.component, kPredefinedComponent)) {
        Error(s.where, "@component: no \"Define Component\" defines the component " +
                           Quoted(s.component) + ComponentHint(s.component));
      }
    }
    const size_t want = command->params.size();
    const size_t have = s.parameters.size();
    if (have < want) {
      std::string missing;
      for (size_t i = have; i < want; ++i)
        missing +=
            (i == have ? "" : ", ") + std::to_string(i + 1) + " (" + command->params[i].name + ")";
      Error(s.where, Quoted(s.command) + " takes " + std::to_string(want) + " parameter line" +
                         (want == 1 ? "" : "s") + ", found " + std::to_string(have) + ": missing " +
                         missing +
                         (have == 0 ? ""
                                    : "; a line left out moves the later ones up, write an "
                                      "empty one as a bare \">\""));
    } else if (have > want && !command->moreLines) {
      Error(ParameterWhere(s, want),
            Quoted(s.command) +
                (want == 0 ? " takes no parameter lines"
                           : " takes " + std::to_string(want) + " parameter line" +
                                 (want == 1 ? "" : "s")) +
                ", found " + std::to_string(have));
    }
    for (size_t i = 0; i < have && i < want; ++i) CheckParameter(s, command, i);
  }

  void CheckParameter(const Statement& s, const CommandInfo* command, size_t i) {
    const ParamInfo& p = command->params[i];
    const std::string& value = s.parameters[i];
    const SourceRef where = ParameterWhere(s, i);
    const std::string title = ParameterTitle(s, i, command);
    if (std::optional<std::string> problem = ValueProblem(p, value)) {
      Error(where, title + ": " + *problem);
      return;
    }
    if (p.kind == ParamKind::kTruth && value.empty() && !p.optional)
      Warn(where, title + ": empty, which the engine reads as FALSE");
    if (p.use == VariableUse::kReads && !value.empty()) {
      // Code 5 of a condition asks whether the name exists: any name will do.
      bool existence = (s.command == "If" || s.command == "Else If") && s.parameters.size() > 1 &&
                       s.parameters[1] == "5";
      std::string name = VariableName(value);
      if (!existence && !name.empty() && !Known(name))
        Error(where, title + ": variable not defined: " + name + UndefinedHint());
    }
    if (!p.literal) {
      for (const std::string& name : References(value)) {
        if (Known(name)) continue;
        std::string message = title;
        message.append(": variable not defined: $")
            .append(name)
            .append("$")
            .append(UndefinedHint());
        Error(where, std::move(message));
      }
    }
    if (i == 0 && IsComponentQuery(s.command) && !value.empty() && !HasReference(value) &&
        !components_.count(AsciiUpper(value)) && !EqualsIgnoreCase(value, kPredefinedComponent)) {
      Error(where, title + ": no \"Define Component\" defines the component " + Quoted(value) +
                       ComponentHint(value));
    }
  }

  static bool IsComponentQuery(const std::string& command) {
    return command == "Get Component State" || command == "Set Component State" ||
           command == "Get Component Space" || command == "Set Component Space" ||
           command == "Set Component Choice" || command == "Set Component Visibility" ||
           command == "Delete Component";
  }

  static const char* UndefinedHint() {
    return " (no statement of the script sets it and the engine does not predefine it; a "
           "variable given on the command line or by a dialog is declared in the project file "
           "with \"input-variable = NAME\")";
  }

  std::string ComponentHint(const std::string& value) const {
    std::vector<std::string> defined;
    for (const Statement& s : project_.statements) {
      if (s.command == "Define Component" && !s.parameters.empty())
        defined.push_back(s.parameters[0]);
    }
    std::vector<std::string> similar = SimilarNames(value, defined);
    return similar.empty() ? "" : "; did you mean " + Quoted(similar.front()) + "?";
  }

  Project& project_;
  TVariableManager predefined_;
  std::set<std::string> written_;
  std::set<std::string> components_;
  std::vector<Diagnostic> out_;
};

}  // namespace

void ResolveParameterNames(Statement& s, std::vector<Diagnostic>& out) {
  bool named = false;
  for (const std::string& name : s.parameterNames) named = named || !name.empty();
  const CommandInfo* command = FindCommand(s.command);
  if (!named || !command) {
    s.parameterNames.clear();
    return;
  }
  std::vector<std::optional<std::string>> values(command->params.size());
  std::vector<int> lines(values.size(), 0);
  size_t next = 0;
  for (size_t i = 0; i < s.parameters.size(); ++i) {
    const std::string& name = i < s.parameterNames.size() ? s.parameterNames[i] : "";
    size_t slot = name.empty() ? next : static_cast<size_t>(FindParameter(*command, name));
    const int line = i < s.parameterLines.size() ? s.parameterLines[i] : s.where.line;
    if (slot >= values.size()) {
      values.resize(slot + 1);
      lines.resize(slot + 1, 0);
    }
    if (values[slot]) {
      out.push_back({{s.where.file, line},
                     Quoted(s.command) + " parameter " + std::to_string(slot + 1) + " (" +
                         ParameterNameAt(*command, slot) + ") is given twice, first at line " +
                         std::to_string(lines[slot]),
                     true});
    } else {
      values[slot] = s.parameters[i];
      lines[slot] = line;
    }
    next = slot + 1;
  }
  s.parameters.clear();
  s.parameterLines.clear();
  for (size_t i = 0; i < values.size(); ++i) {
    s.parameters.push_back(values[i].value_or(""));
    s.parameterLines.push_back(lines[i]);
  }
  s.parameterNames.clear();
}

std::vector<std::string> UndefinedVariables(Project& project) {
  std::vector<std::string> names;
  const std::string marker = "variable not defined: ";
  for (const Diagnostic& d : Checker(project).Run()) {
    size_t at = d.message.find(marker);
    if (at == std::string::npos) continue;
    std::string name = d.message.substr(at + marker.size());
    name = VariableName(name.substr(0, name.find(' ')));
    if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end())
      names.push_back(name);
  }
  return names;
}

std::vector<Diagnostic> CheckStatements(Project& project) {
  std::vector<Diagnostic> out;
  for (Statement& s : project.statements) ResolveParameterNames(s, out);
  std::vector<Diagnostic> found = Checker(project).Run();
  out.insert(out.end(), found.begin(), found.end());
  return out;
}

std::vector<Diagnostic> CheckSettings(Project& p) {
  std::vector<Diagnostic> out;
  auto where = [&](const char* key) {
    auto it = p.keyRefs.find(key);
    return it != p.keyRefs.end() ? it->second : p.file;
  };
  auto guid = [&](const char* key, std::string& value) {
    if (!IsBracedGuid(value)) {
      out.push_back(
          {where(key), std::string(key) + " must be a GUID in braces, found: " + Quoted(value)});
    } else {
      value = AsciiUpper(value);
    }
  };
  guid("product-code", p.productCode);
  guid("revision-code", p.revisionCode);
  if (!p.upgradeCode.empty()) guid("upgrade-code", p.upgradeCode);
  if (!IsStrictInteger(p.buildKind) ||
      p.buildKind.find_first_not_of("+-0123456789") != std::string::npos)
    out.push_back({where("build-kind"),
                   "build-kind must be a decimal number, found: " + Quoted(p.buildKind)});
  return out;
}

}  // namespace vantrell::authoring
