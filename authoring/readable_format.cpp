// Parser and writer of the readable project files (grammar in readable_format.h).
#include "authoring/readable_format.h"

#include <fstream>
#include <functional>
#include <sstream>

#include "authoring/command_reference.h"
#include "authoring/identifiers.h"

namespace vantrell::authoring {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Splits at LF; a CR before it belongs to a file edited on Windows and goes.
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

// A line as a message may quote it: short, and without control bytes.
std::string Shown(std::string_view line) {
  std::string out(line.substr(0, 60));
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < 0x20) c = '?';
  }
  return line.size() > 60 ? out + "..." : out;
}

bool NeedsQuotes(std::string_view value) {
  if (value.empty()) return false;
  if (IsBlank(value.front()) || IsBlank(value.back())) return true;
  return value.size() >= 2 && value.front() == '|' && value.back() == '|';
}

// Where one project key's values go, and how many values an entry has.
struct KeyRule {
  std::string_view key;
  int arity;
  bool repeated;
  std::function<std::string*(Project&)> single;             // one value, at most once
  std::function<std::vector<std::string>*(Project&)> list;  // values appended per entry
};

const std::vector<KeyRule>& KeyRules() {
  static const std::vector<KeyRule> rules = {
      {"title", 1, false, [](Project& p) { return &p.title; }, {}},
      {"product-code", 1, false, [](Project& p) { return &p.productCode; }, {}},
      {"revision-code", 1, false, [](Project& p) { return &p.revisionCode; }, {}},
      {"publisher", 1, false, [](Project& p) { return &p.publisher; }, {}},
      {"contact", 1, false, [](Project& p) { return &p.contact; }, {}},
      {"help-link", 1, false, [](Project& p) { return &p.helpLink; }, {}},
      {"update-url", 1, false, [](Project& p) { return &p.updateUrl; }, {}},
      {"comments", 1, false, [](Project& p) { return &p.comments; }, {}},
      {"version", 1, false, [](Project& p) { return &p.version; }, {}},
      {"build-kind", 1, false, [](Project& p) { return &p.buildKind; }, {}},
      {"language-selection", 1, false, [](Project& p) { return &p.languageSelection; }, {}},
      {"default-language", 1, false, [](Project& p) { return &p.defaultLanguage; }, {}},
      {"languages", 1, false, [](Project& p) { return &p.languages; }, {}},
      {"translations", 1, false, [](Project& p) { return &p.translations; }, {}},
      {"package", 1, false, [](Project& p) { return &p.package; }, {}},
      {"upgrade-code", 1, false, [](Project& p) { return &p.upgradeCode; }, {}},
      {"support", 1, false, [](Project& p) { return &p.support; }, {}},
      {"forms", 1, false, [](Project& p) { return &p.forms; }, {}},
      {"data", 1, false, [](Project& p) { return &p.data; }, {}},
      {"base-name", 1, false, [](Project& p) { return &p.baseName; }, {}},
      {"script", 1, true, {}, [](Project& p) { return &p.scripts; }},
      {"plugin", 1, true, {}, [](Project& p) { return &p.pluginCommands; }},
      {"input-variable", 1, true, {}, [](Project& p) { return &p.inputVariables; }},
      {"media-password", 2, true, {}, [](Project& p) { return &p.mediaPasswords; }},
      {"component-size", 2, true, {}, [](Project& p) { return &p.componentSizes; }},
      {"variable", 2, true, {}, [](Project& p) { return &p.buildVariables; }},
      {"offline-file", 3, true, {}, [](Project& p) { return &p.offlineFiles; }},
  };
  return rules;
}

const KeyRule* FindKey(std::string_view key) {
  for (const KeyRule& rule : KeyRules()) {
    if (rule.key == key) return &rule;
  }
  return nullptr;
}

bool IsKey(std::string_view key) {
  if (key.empty()) return false;
  for (char c : key) {
    bool ok =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
    if (!ok) return false;
  }
  return true;
}

// A UTF-8 byte order mark that an editor put in front of the text.
std::string_view WithoutBom(std::string_view text) {
  constexpr std::string_view kBom = "\xEF\xBB\xBF";
  if (text.substr(0, kBom.size()) == kBom) text.remove_prefix(kBom.size());
  return text;
}

// A command line without its trailing "# comment": a "#" after a blank ends
// the name, unless the name is quoted between bars.
std::string_view CommandText(std::string_view trimmed) {
  if (trimmed.front() == '|') {
    size_t close = trimmed.find('|', 1);
    if (close != std::string_view::npos) {
      std::string_view rest = Trim(trimmed.substr(close + 1));
      if (rest.empty() || rest.front() == '#') return trimmed.substr(0, close + 1);
    }
    return trimmed;
  }
  for (size_t i = 1; i < trimmed.size(); ++i) {
    if (trimmed[i] == '#' && IsBlank(trimmed[i - 1])) return Trim(trimmed.substr(0, i));
  }
  return trimmed;
}

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
}

// The "name" of a "> name: value" line when the statement's command has a
// parameter of that name; empty for a positional line. A value between bars
// is always positional.
std::string_view ParameterName(const Statement& s, std::string_view written) {
  if (written.size() >= 2 && written.front() == '|' && written.back() == '|') return {};
  size_t end = 0;
  while (end < written.size() && IsNameChar(written[end])) ++end;
  if (end == 0 || end >= written.size() || written[end] != ':') return {};
  const CommandInfo* command = FindCommand(s.command);
  std::string_view name = written.substr(0, end);
  return command && FindParameter(*command, name) >= 0 ? name : std::string_view();
}

std::string ReadFile(const std::filesystem::path& path, const SourceRef& from) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ProjectError(from, "cannot read file: " + path.string());
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void AddEntryLine(std::string& out, std::string_view key, const std::vector<std::string>& values,
                  size_t from, int arity) {
  out.append(key).append(" =").append(FormatValue(values[from])).append("\n");
  for (int k = 1; k < arity; ++k)
    out.append("  >").append(FormatValue(values[from + k])).append("\n");
}

}  // namespace

ProjectError::ProjectError(SourceRef where, const std::string& message)
    : std::runtime_error(where.file + (where.line > 0 ? ":" + std::to_string(where.line) : "") +
                         ": " + message),
      where_(std::move(where)),
      message_(message) {}

std::string ParseValue(std::string_view afterMarker) {
  std::string_view v = Trim(afterMarker);
  if (v.size() >= 2 && v.front() == '|' && v.back() == '|') v = v.substr(1, v.size() - 2);
  return std::string(v);
}

std::string FormatValue(std::string_view value) {
  if (value.empty()) return {};
  if (NeedsQuotes(value)) return " |" + std::string(value) + "|";
  return " " + std::string(value);
}

Project ParseProjectText(std::string_view text, const std::string& name) {
  Project p;
  p.file = {name, 0};
  std::vector<std::string_view> seen;
  const KeyRule* open = nullptr;  // the entry that parts still belong to
  int openLine = 0;
  std::vector<std::string> values;

  auto closeEntry = [&]() {
    if (!open) return;
    if (static_cast<int>(values.size()) != open->arity) {
      throw ProjectError({name, openLine},
                         "\"" + std::string(open->key) + "\" takes " + std::to_string(open->arity) +
                             " values (one after \"=\", the rest on \">\" lines), found " +
                             std::to_string(values.size()));
    }
    if (open->key == "script") p.scriptRefs.push_back({name, openLine});
    if (open->single) {
      *open->single(p) = values[0];
    } else {
      auto* list = open->list(p);
      list->insert(list->end(), values.begin(), values.end());
    }
    open = nullptr;
    values.clear();
  };

  std::vector<std::string_view> lines = Lines(text);
  for (size_t i = 0; i < lines.size(); ++i) {
    int lineNo = static_cast<int>(i) + 1;
    std::string_view line = lines[i];
    std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == '#') continue;
    if (trimmed.front() == '>') {
      if (!open) throw ProjectError({name, lineNo}, "a \">\" line must follow an entry");
      if (static_cast<int>(values.size()) >= open->arity) {
        throw ProjectError({name, lineNo},
                           "too many values for \"" + std::string(open->key) + "\"");
      }
      values.push_back(ParseValue(trimmed.substr(1)));
      continue;
    }
    closeEntry();
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
      throw ProjectError({name, lineNo}, "expected \"key = value\", found: " + Shown(trimmed));
    }
    std::string_view key = Trim(line.substr(0, eq));
    if (!IsKey(key)) throw ProjectError({name, lineNo}, "malformed key: " + std::string(key));
    const KeyRule* rule = FindKey(key);
    if (!rule) throw ProjectError({name, lineNo}, "unknown project key: " + std::string(key));
    if (!rule->repeated) {
      for (std::string_view k : seen) {
        if (k == rule->key)
          throw ProjectError({name, lineNo}, "\"" + std::string(key) + "\" is given twice");
      }
      seen.push_back(rule->key);
    }
    if (!rule->repeated) p.keyRefs[std::string(rule->key)] = {name, lineNo};
    open = rule;
    openLine = lineNo;
    values.push_back(ParseValue(line.substr(eq + 1)));
  }
  closeEntry();
  return p;
}

void ParseScriptText(std::string_view text, const std::string& name, const std::string& scriptKey,
                     std::vector<Statement>& statements) {
  Statement* current = nullptr;
  std::vector<std::string_view> lines = Lines(WithoutBom(text));
  for (size_t i = 0; i < lines.size(); ++i) {
    int lineNo = static_cast<int>(i) + 1;
    std::string_view line = lines[i];
    std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == '#') continue;
    if (trimmed.front() == '>' || trimmed.front() == '@') {
      if (!current) {
        throw ProjectError({name, lineNo},
                           std::string(trimmed.front() == '>' ? "a parameter" : "an attribute") +
                               " line must follow a command line");
      }
      if (trimmed.front() == '>') {
        std::string_view written = Trim(trimmed.substr(1));
        std::string_view paramName = ParameterName(*current, written);
        current->parameters.push_back(
            ParseValue(paramName.empty() ? written : written.substr(paramName.size() + 1)));
        current->parameterNames.emplace_back(paramName);
        current->parameterLines.push_back(lineNo);
        continue;
      }
      std::string_view rest = trimmed.substr(1);
      size_t end = 0;
      while (end < rest.size() && !IsBlank(rest[end])) ++end;
      std::string_view word = rest.substr(0, end);
      std::string value = ParseValue(rest.substr(end));
      if (word == "off") {
        if (!value.empty()) throw ProjectError({name, lineNo}, "@off takes no value");
        current->marker = "C";
      } else if (word == "marker") {
        current->marker = value;
      } else if (word == "id") {
        current->identifier = value;
      } else if (word == "header") {
        current->header = value;
      } else if (word == "media") {
        current->media = value;
      } else if (word == "component") {
        current->component = value;
      } else if (word == "package-digest") {
        if (!IsLinesDigest(value))
          throw ProjectError({name, lineNo}, "@package-digest takes 16 upper-case hex digits");
        current->packageDigest = value;
      } else {
        throw ProjectError({name, lineNo}, "unknown attribute: @" + std::string(word));
      }
      continue;
    }
    std::string command(CommandText(trimmed));
    if (command.size() >= 2 && command.front() == '|' && command.back() == '|') {
      command = command.substr(1, command.size() - 2);
    } else if (command.front() == '|') {
      throw ProjectError({name, lineNo}, "malformed command name: a quoted name ends with \"|\"");
    }
    if (command.empty()) throw ProjectError({name, lineNo}, "a command line names no command");
    statements.push_back(Statement{});
    current = &statements.back();
    current->command = std::move(command);
    current->scriptKey = scriptKey;
    current->where = {name, lineNo};
  }
}

Project LoadProject(const std::filesystem::path& projectFile) {
  SourceRef at{projectFile.string(), 0};
  std::error_code ec;
  if (!std::filesystem::is_regular_file(projectFile, ec))
    throw ProjectError(at, "project file not found");
  Project p = ParseProjectText(WithoutBom(ReadFile(projectFile, at)), projectFile.string());
  p.folder = projectFile.parent_path();
  if (p.scripts.empty())
    throw ProjectError(at, "the project names no script file (\"script = FILE\")");
  for (size_t i = 0; i < p.scripts.size(); ++i) {
    const std::string& script = p.scripts[i];
    const SourceRef& named = p.scriptRefs[i];
    std::filesystem::path path = p.folder / script;
    if (!std::filesystem::is_regular_file(path, ec)) {
      throw ProjectError(named, "script file not found: " + path.string());
    }
    ParseScriptText(ReadFile(path, named), path.string(), script, p.statements);
  }
  return p;
}

std::string FormatProjectText(const Project& p) {
  std::string out;
  auto single = [&](std::string_view key, const std::string& value) {
    out.append(key).append(" =").append(FormatValue(value)).append("\n");
  };
  auto list = [&](std::string_view key, const std::vector<std::string>& values, int arity) {
    for (size_t i = 0; i + arity <= values.size(); i += arity)
      AddEntryLine(out, key, values, i, arity);
  };
  out += "# Setup project (see authoring/FORMAT.md)\n";
  single("title", p.title);
  single("product-code", p.productCode);
  single("revision-code", p.revisionCode);
  single("version", p.version);
  single("publisher", p.publisher);
  single("contact", p.contact);
  single("help-link", p.helpLink);
  single("update-url", p.updateUrl);
  single("comments", p.comments);
  single("build-kind", p.buildKind);
  single("language-selection", p.languageSelection);
  single("default-language", p.defaultLanguage);
  if (!p.languages.empty()) single("languages", p.languages);
  if (!p.translations.empty()) single("translations", p.translations);
  list("plugin", p.pluginCommands, 1);
  list("media-password", p.mediaPasswords, 2);
  list("component-size", p.componentSizes, 2);
  list("offline-file", p.offlineFiles, 3);
  list("variable", p.buildVariables, 2);
  list("input-variable", p.inputVariables, 1);
  out += "\n";
  if (!p.upgradeCode.empty()) single("upgrade-code", p.upgradeCode);
  if (!p.package.empty()) single("package", p.package);
  if (!p.support.empty()) single("support", p.support);
  if (!p.forms.empty()) single("forms", p.forms);
  if (!p.data.empty()) single("data", p.data);
  single("base-name", p.baseName);
  list("script", p.scripts, 1);
  return out;
}

std::string FormatScriptText(const std::vector<Statement>& statements) {
  std::string out;
  for (const Statement& s : statements) {
    if (!out.empty()) out += "\n";
    bool plain = !s.command.empty() && !IsBlank(s.command.front()) && !IsBlank(s.command.back()) &&
                 std::string_view("#>@|").find(s.command.front()) == std::string_view::npos;
    out += plain ? s.command : "|" + s.command + "|";
    out += "\n";
    if (s.marker == "C") {
      out += "  @off\n";
    } else if (!s.marker.empty()) {
      out += "  @marker" + FormatValue(s.marker) + "\n";
    }
    if (!s.identifier.empty()) out += "  @id" + FormatValue(s.identifier) + "\n";
    if (!s.header.empty()) out += "  @header" + FormatValue(s.header) + "\n";
    if (!s.media.empty()) out += "  @media" + FormatValue(s.media) + "\n";
    if (!s.component.empty()) out += "  @component" + FormatValue(s.component) + "\n";
    if (!s.packageDigest.empty()) out += "  @package-digest " + s.packageDigest + "\n";
    // Lines the command reference names (placeholders included) are written
    // with their names; any other line that would read as named is kept
    // positional between bars.
    const CommandInfo* command = FindCommand(s.command);
    for (size_t i = 0; i < s.parameters.size(); ++i) {
      const std::string& value = s.parameters[i];
      std::string name = command ? ParameterNameAt(*command, i) : "";
      if (!name.empty()) {
        out += "  > " + name + ":" + FormatValue(value) + "\n";
      } else if (!ParameterName(s, value).empty()) {
        out += "  > |" + value + "|\n";
      } else {
        out += "  >" + FormatValue(value) + "\n";
      }
    }
  }
  return out;
}

}  // namespace vantrell::authoring
