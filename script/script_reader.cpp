// Reads the carried setup script into its lists (layout in script_reader.h)
// and answers the parameter, header and build-variable lookups on them.
#include "script/script_reader.h"

#include "common/ascii.h"
#include "common/engine_error.h"
#include "common/line_reader.h"

namespace vantrell {
namespace {

constexpr int kMaxBuildVariableRounds = 16;
// Past this size a result is not expanded further (a value that repeats its own
// token grows fast); build-time settings are short paths and names.
constexpr size_t kMaxBuildVariableText = size_t{64} << 10;

// Reads the layout's items: single lines, and lists up to the next separator
// (consumed); end of data ends the current list.
class LineCursor {
 public:
  explicit LineCursor(std::string_view bytes) : reader_(bytes) {}

  std::string Line() { return reader_.Next(); }

  std::vector<std::string> List() {
    std::vector<std::string> lines;
    while (!reader_.Exhausted()) {
      std::string line = reader_.Next();
      if (line == "$") break;
      lines.push_back(std::move(line));
    }
    return lines;
  }

 private:
  LineReader reader_;
};

int64_t LeadingInteger(std::string_view line) {
  size_t i = 0;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  bool negative = false;
  if (i < line.size() && (line[i] == '-' || line[i] == '+')) negative = line[i++] == '-';
  int64_t value = 0;
  for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
    if (value > (INT64_MAX - 9) / 10) break;  // absurd length: keep what fits
    value = value * 10 + (line[i] - '0');
  }
  return negative ? -value : value;
}

std::string ExpandBuildVariablesRound(const SetupScript& script, std::string_view text, int depth) {
  if (text.find('#') == std::string_view::npos) return std::string(text);
  std::string result(text);
  std::string lower = AsciiLower(result);  // searched with the fast exact find
  const auto& vars = script.buildVariables;
  for (size_t i = 0; i + 1 < vars.size(); i += 2) {
    if (vars[i].empty()) continue;  // "##" names nothing
    const std::string token = "#" + AsciiLower(vars[i]) + "#";
    if (lower.find(token) == std::string::npos) continue;
    if (result.size() > kMaxBuildVariableText) return result;
    result = ReplaceAllIgnoreCase(result, token, vars[i + 1]);
    lower = AsciiLower(result);
  }
  // A value may itself carry tokens; a self-referring value must not recurse forever.
  if (result != text && result.find('$') != std::string::npos && depth < kMaxBuildVariableRounds) {
    return ExpandBuildVariablesRound(script, result, depth + 1);
  }
  return result;
}

}  // namespace

ParameterPool::ParameterPool(std::vector<std::string> lines) : lines_(std::move(lines)) {
  firstIndex_.reserve(lines_.size());
  for (size_t i = 0; i < lines_.size(); ++i) firstIndex_.try_emplace(AsciiUpper(lines_[i]), i);
}

const std::string* ParameterPool::LineBelow(std::string_view identifier, int n) const {
  auto it = firstIndex_.find(AsciiUpper(identifier));
  if (it == firstIndex_.end() || n < 0) return nullptr;
  size_t target = it->second + static_cast<size_t>(n);
  return target < lines_.size() ? &lines_[target] : nullptr;
}

SetupScript ReadScript(std::string_view bytes) {
  LineCursor in(bytes);
  SetupScript s;
  s.commands = in.List();
  s.identifiers = in.List();
  std::vector<std::string> pool = in.List();
  for (std::string& line : pool) {
    if (EqualsIgnoreCase(line, "$WILD_DOLLAR$") || EqualsIgnoreCase(line, "$DOLLAR$")) line = "$";
  }
  s.pools.emplace_back(std::move(pool));
  s.markers = in.List();
  s.productCode = in.Line();
  s.projectTitle = in.Line();
  s.pluginCommands = in.List();
  s.registration.publisher = in.Line();
  s.registration.contact = in.Line();
  s.registration.helpLink = in.Line();
  s.registration.updateInfoUrl = in.Line();
  s.registration.comments = in.Line();
  s.registration.version = in.Line();
  s.mediaPasswords = in.List();
  s.mediaFolders = in.List();
  s.buildKind = LeadingInteger(in.Line());
  s.componentSizes = in.List();
  s.revisionCode = in.Line();
  s.offlineFiles = in.List();
  s.languageSelection = in.Line() == "TRUE";
  s.defaultLanguage = in.Line();
  s.statementHeaders = in.List();
  s.buildVariables = in.List();
  return s;
}

std::string ParameterLine(const std::vector<ParameterPool>& pools, std::string_view identifier,
                          int n) {
  for (const ParameterPool& pool : pools) {
    if (pool.LineBelow(identifier, 0) == nullptr) continue;
    const std::string* line = pool.LineBelow(identifier, n);
    return line ? *line : std::string();
  }
  return {};
}

std::string StatementHeader(const SetupScript& script, size_t index, bool scanning) {
  const std::string wanted = std::to_string(index);
  const auto& headers = script.statementHeaders;
  for (size_t i = 0; i < headers.size(); ++i) {
    if (headers[i] != wanted) continue;
    if (i > 0) return headers[i - 1];
    break;
  }
  if (!scanning)
    throw EngineError("Unable to obtain command headers. Please rebuild your project.");
  return {};
}

std::string ExpandBuildVariables(const SetupScript& script, std::string_view text) {
  return ExpandBuildVariablesRound(script, text, 0);
}

}  // namespace vantrell
