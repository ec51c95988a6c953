// Readable project <-> carried script, and the build-time compilation check.
#include "authoring/assemble.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>

#include "authoring/identifiers.h"
#include "authoring/script_check.h"
#include "common/ascii.h"
#include "script/compile_check.h"
#include "script/script_reader.h"
#include "vars/variable_manager.h"

namespace vantrell::authoring {
namespace {

constexpr std::string_view kWholeLineDollar = "$DOLLAR$";

bool IsDecimal(std::string_view t) {
  if (t.empty()) return false;
  size_t i = (t[0] == '-' || t[0] == '+') ? 1 : 0;
  if (i == t.size()) return false;
  for (; i < t.size(); ++i) {
    if (t[i] < '0' || t[i] > '9') return false;
  }
  return true;
}

// A statement index as the header list writes it: plain decimal digits.
std::optional<size_t> ParseIndex(std::string_view t) {
  if (t.empty() || t.size() > 9) return std::nullopt;
  size_t value = 0;
  for (char c : t) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<size_t>(c - '0');
  }
  return value;
}

bool IsOpener(const std::string& command) {
  return command == "If" || command == "Wizard Loop";
}

// The statement to blame for unbalanced blocks: the first surplus "End", else
// the innermost opener left open.
const Statement& UnbalancedAt(const std::vector<Statement>& statements) {
  std::vector<size_t> open;
  for (size_t i = 0; i < statements.size(); ++i) {
    const Statement& s = statements[i];
    if (s.marker == "C") continue;
    if (IsOpener(s.command)) open.push_back(i);
    if (s.command == "End") {
      if (open.empty()) return s;
      open.pop_back();
    }
  }
  return open.empty() ? statements.back() : statements[open.back()];
}

}  // namespace

CarriedScript AssembleScript(const Project& p, const std::vector<bool>& installType) {
  auto keyAt = [&](const std::string& key) {
    auto it = p.keyRefs.find(key);
    return it != p.keyRefs.end() ? it->second : p.file;
  };
  if (!IsBracedGuid(p.productCode))
    throw ProjectError(keyAt("product-code"),
                       "product-code must be a GUID in braces, found: \"" + p.productCode + "\"");
  if (!IsBracedGuid(p.revisionCode))
    throw ProjectError(keyAt("revision-code"),
                       "revision-code must be a GUID in braces, found: \"" + p.revisionCode + "\"");
  if (!IsDecimal(p.buildKind))
    throw ProjectError(keyAt("build-kind"),
                       "build-kind must be a decimal number, found: \"" + p.buildKind + "\"");

  CarriedScript c;
  const size_t n = p.statements.size();
  // Fixed identifiers first, so derived ones can step around them.
  std::map<std::string, const Statement*> taken;
  for (const Statement& s : p.statements) {
    if (s.identifier.empty()) continue;
    if (!IsBracedGuid(s.identifier))
      throw ProjectError(s.where, "@id must be a GUID in braces, found: \"" + s.identifier + "\"");
    auto [it, added] = taken.emplace(AsciiUpper(s.identifier), &s);
    if (!added) {
      throw ProjectError(s.where, "identifier " + s.identifier + " is already used at " +
                                      it->second->where.file + ":" +
                                      std::to_string(it->second->where.line));
    }
  }
  std::map<std::pair<std::string, std::string>, uint32_t> occurrences;
  for (const Statement& s : p.statements) {
    uint32_t occurrence = occurrences[{s.scriptKey, s.command}]++;
    std::string id = s.identifier;
    for (uint32_t salt = 0; id.empty(); ++salt) {
      std::string candidate =
          DerivedIdentifier(p.productCode, s.scriptKey, s.command, occurrence, salt);
      if (taken.emplace(candidate, &s).second) id = candidate;
    }
    c.commands.push_back(s.command);
    c.identifiers.push_back(id);
    c.markers.push_back(s.marker);
    c.mediaFolders.push_back(s.media);
    if (!s.parameters.empty()) {
      c.pool.push_back(id);
      for (const std::string& value : s.parameters)
        c.pool.emplace_back(value == "$" ? kWholeLineDollar : value);
    }
  }

  std::map<std::string, const Statement*> headers;
  for (const Statement& s : p.statements) {
    if (s.header.empty()) continue;
    if (!IsHeaderText(s.header)) {
      throw ProjectError(
          s.where, "@header must be 1 to 8 upper-case hex digits without leading zeros, found: \"" +
                       s.header + "\"");
    }
    auto [it, added] = headers.emplace(s.header, &s);
    if (!added) {
      throw ProjectError(s.where, "header " + s.header + " is already used at " +
                                      it->second->where.file + ":" +
                                      std::to_string(it->second->where.line));
    }
  }
  for (size_t i = 0; i < n; ++i) {
    const Statement& s = p.statements[i];
    std::string header = s.header;
    bool wanted = !header.empty() || (i < installType.size() && installType[i]);
    for (uint32_t salt = 0; wanted && header.empty(); ++salt) {
      std::string candidate = DerivedHeader(c.identifiers[i], salt);
      if (headers.emplace(candidate, &s).second) header = candidate;
    }
    if (!wanted) continue;
    c.statementHeaders.push_back(header);
    c.statementHeaders.push_back(std::to_string(i));
  }

  c.productCode = p.productCode;
  c.title = p.title;
  c.pluginCommands = p.pluginCommands;
  c.registration = {p.publisher, p.contact, p.helpLink, p.updateUrl, p.comments, p.version};
  c.mediaPasswords = p.mediaPasswords;
  c.buildKind = p.buildKind;
  c.componentSizes = p.componentSizes;
  c.revisionCode = p.revisionCode;
  c.offlineFiles = p.offlineFiles;
  c.languageSelection = p.languageSelection;
  c.defaultLanguage = p.defaultLanguage;
  c.buildVariables = p.buildVariables;
  try {
    (void)WriteCarriedScript(c);
  } catch (const std::invalid_argument& e) {
    throw ProjectError(p.file, e.what());
  }
  return c;
}

CompiledScript CompileProject(const Project& written) {
  // Lines written by name go to their positions first (a no-op once checked).
  Project p = written;
  std::vector<Diagnostic> ignored;
  for (Statement& s : p.statements) ResolveParameterNames(s, ignored);
  CompiledScript out;
  CarriedScript unchecked = AssembleScript(p, {});
  SetupScript script = ReadScript(WriteCarriedScript(unchecked));
  TVariableManager vars;
  CompileResult result = CompileScript(script, vars);
  if (!result.Passed()) {
    // One line per message: the engine's texts may hold a carriage return.
    std::string message = result.message;
    std::replace(message.begin(), message.end(), '\r', ' ');
    if (result.statement == CompileResult::kUnbalancedBlocks && !p.statements.empty()) {
      throw ProjectError(UnbalancedAt(p.statements).where, message);
    }
    size_t index = static_cast<size_t>(result.statement);
    throw ProjectError(index < p.statements.size() ? p.statements[index].where : p.file, message);
  }
  std::vector<bool> installType(p.statements.size(), false);
  for (size_t i = 0; i < result.installStates.size() && i < installType.size(); ++i) {
    installType[i] = result.installStates[i] == "FALSE";
  }
  out.script = AssembleScript(p, installType);
  return out;
}

DumpedProject ProjectFromCarried(const CarriedScript& c, const std::string& baseName,
                                 const std::string& scriptKey) {
  DumpedProject d;
  Project& p = d.project;
  p.title = c.title;
  p.productCode = c.productCode;
  p.revisionCode = c.revisionCode;
  p.publisher = c.registration[0];
  p.contact = c.registration[1];
  p.helpLink = c.registration[2];
  p.updateUrl = c.registration[3];
  p.comments = c.registration[4];
  p.version = c.registration[5];
  p.buildKind = c.buildKind;
  p.languageSelection = c.languageSelection;
  p.defaultLanguage = c.defaultLanguage;
  p.pluginCommands = c.pluginCommands;
  p.mediaPasswords = c.mediaPasswords;
  p.componentSizes = c.componentSizes;
  p.offlineFiles = c.offlineFiles;
  p.buildVariables = c.buildVariables;
  p.baseName = baseName;
  p.scripts = {scriptKey};

  const size_t n = c.commands.size();
  p.statements.resize(n);
  std::map<std::string, size_t> byIdentifier;
  for (size_t i = 0; i < n; ++i) {
    Statement& s = p.statements[i];
    s.command = c.commands[i];
    s.identifier = i < c.identifiers.size() ? c.identifiers[i] : "";
    s.marker = i < c.markers.size() ? c.markers[i] : "";
    s.media = i < c.mediaFolders.size() ? c.mediaFolders[i] : "";
    s.scriptKey = scriptKey;
    byIdentifier.emplace(AsciiUpper(s.identifier), i);
  }
  // A pool line equal to a statement's identifier starts its block, as the
  // engine's first-match lookup sees it; later lines are its parameters.
  std::set<size_t> started;
  Statement* current = nullptr;
  for (const std::string& line : c.pool) {
    auto it = byIdentifier.find(AsciiUpper(line));
    if (it != byIdentifier.end() && started.insert(it->second).second) {
      current = &p.statements[it->second];
      continue;
    }
    if (!current) {
      d.exact = false;  // lines before any identifier cannot be shown
      continue;
    }
    current->parameters.push_back(line == kWholeLineDollar ? "$" : line);
  }
  for (size_t i = 0; i + 1 < c.statementHeaders.size(); i += 2) {
    std::optional<size_t> index = ParseIndex(c.statementHeaders[i + 1]);
    if (!index || *index >= n) {
      d.exact = false;
      continue;
    }
    p.statements[*index].header = c.statementHeaders[i];
  }
  try {
    std::vector<bool> none;
    d.exact = d.exact && WriteCarriedScript(AssembleScript(p, none)) == WriteCarriedScript(c);
  } catch (const ProjectError&) {
    d.exact = false;
  }
  return d;
}

}  // namespace vantrell::authoring
