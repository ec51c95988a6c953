// Dialog rules (contract in dialog_rules.h).
#include "dialogs/dialog_rules.h"

namespace vantrell {
namespace {

constexpr size_t kSkippedPrefix = 4;
constexpr std::string_view kNotEqual = " <> ";
constexpr std::string_view kEqual = " = ";
constexpr std::string_view kThen = ")  THEN  ";
constexpr std::string_view kAssign = " := ";

// Cuts text up to the marker and moves past it; false when the marker is missing.
bool CutAt(std::string_view& rest, std::string_view marker, std::string& piece) {
  const size_t at = rest.find(marker);
  if (at == std::string_view::npos) return false;
  piece.assign(rest.substr(0, at));
  rest.remove_prefix(at + marker.size());
  return true;
}

}  // namespace

std::optional<DialogRule> ParseDialogRule(std::string_view line) {
  if (line.size() <= kSkippedPrefix) return std::nullopt;
  DialogRule rule;
  rule.notEqual = line.find(kNotEqual) != std::string_view::npos;
  std::string_view rest = line.substr(kSkippedPrefix);
  if (!CutAt(rest, ".", rule.control) ||
      !CutAt(rest, rule.notEqual ? kNotEqual : kEqual, rule.property) ||
      !CutAt(rest, kThen, rule.compared) || !CutAt(rest, ".", rule.targetControl) ||
      !CutAt(rest, kAssign, rule.targetProperty) || !CutAt(rest, ";", rule.newValue)) {
    return std::nullopt;
  }
  return rule;
}

std::string ResolveRuleValue(const std::string& value, const DialogProperties& dialog) {
  const size_t dot = value.find('.');
  if (dot == std::string::npos) return value;
  std::optional<std::string> text = dialog.Property(value.substr(0, dot), value.substr(dot + 1));
  return text ? *text : value;
}

void EvaluateDialogRules(const std::vector<std::string>& lines, DialogProperties& dialog) {
  for (const std::string& line : lines) {
    const std::optional<DialogRule> rule = ParseDialogRule(line);
    if (!rule) continue;
    const std::string compared = ResolveRuleValue(rule->compared, dialog);
    const std::string current = dialog.Property(rule->control, rule->property).value_or("");
    if ((compared == current) == rule->notEqual) continue;
    dialog.SetProperty(rule->targetControl, rule->targetProperty,
                       ResolveRuleValue(rule->newValue, dialog));
  }
}

}  // namespace vantrell
