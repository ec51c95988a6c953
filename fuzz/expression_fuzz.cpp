// Fuzzes the variable store and the conditions: expressions, expansion with
// self-referring values, comma text and "If" conditions must not crash, hang
// or grow without bound, and export(import(x)) must import to the same store.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "vars/conditions.h"
#include "vars/integer_text.h"
#include "vars/variable_manager.h"

namespace {

using vantrell::TVariableManager;

std::vector<std::pair<std::string, std::string>> Sorted(const TVariableManager& store) {
  std::vector<std::string> list;
  store.ListVariables(list);
  std::vector<std::pair<std::string, std::string>> pairs;
  for (size_t i = 0; i + 1 < list.size(); i += 2) pairs.emplace_back(list[i], list[i + 1]);
  std::sort(pairs.begin(), pairs.end());
  return pairs;
}

// Bounds small enough for many runs a second; the logic is the one of the defaults.
void Limit(TVariableManager& store) {
  store.SetExpansionLimits(10000, 1 << 20);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);

  std::string result = vantrell::EvaluateExpression(text);
  if (result != "TRUE" && result != "FALSE" && result != "ERROR") abort();
  vantrell::ExpressionSyntaxOk(text);

  TVariableManager fixed;
  Limit(fixed);
  const std::pair<const char*, const char*> kVars[] = {
      {"A", "$A$"},       {"B", "$C$$C$"}, {"C", "x$B$"}, {"D", "1"},         {"E", "\"q"},
      {"F", "$D$$D$$D$"}, {"G", "$"},      {"H", "$H"},   {"T", "C:\\App\\"},
  };
  for (const auto& [name, value] : kVars) fixed.PutVariable(name, value);
  fixed.ExpandVariables(text);
  std::string quoted = fixed.ExpandVariablesQuoted(text);
  vantrell::EvaluateExpression(quoted);
  fixed.ExpandPath(text);
  fixed.GetExpandedVariable(text, true);
  TVariableManager::StripReference(text);
  TVariableManager::EncodeNewlines(TVariableManager::DecodeNewlines(text));

  // The input as comma text: a store of the fuzzer's own variables.
  TVariableManager imported;
  Limit(imported);
  imported.ImportVariables(text);
  std::string exported = imported.ExportVariables();
  TVariableManager again;
  again.ImportVariables(exported);
  if (Sorted(imported) != Sorted(again)) abort();
  std::vector<std::string> names;
  imported.ListVariables(names);
  for (size_t i = 0; i < names.size() && i < 16; i += 2) {
    imported.ExpandVariables("<$" + names[i] + "$>");
  }
  imported.ExpandVariables(text);

  // Four lines of an "If".
  std::vector<std::string> lines(4);
  size_t line = 0;
  for (char c : text) {
    if (c == '\n' && line < 3) {
      ++line;
    } else {
      lines[line] += c;
    }
  }
  vantrell::ConditionHolds({lines[0], lines[1], lines[2], lines[3]}, imported);
  vantrell::ConditionHolds({lines[0], lines[1], lines[2], lines[3]}, fixed);
  vantrell::CompareVersions(lines[0], lines[1]);
  int64_t wide = 0;
  vantrell::TryStrToInt64(text, wide);
  return 0;
}
