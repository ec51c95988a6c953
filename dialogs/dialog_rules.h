// The rules file of a dialog: one rule per line, "IF (Control.Property =
// value)  THEN  Target.Property := value;" in the layout the authoring tool
// writes (its first four characters are skipped), evaluated in file order
// after a dialog is prepared and after every control event.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrell {

struct DialogRule {
  std::string control;
  std::string property;
  bool notEqual = false;  // the operator is " <> "
  std::string compared;
  std::string targetControl;
  std::string targetProperty;
  std::string newValue;
};

// The pieces of one rule line; nullopt when a piece's end marker is missing.
std::optional<DialogRule> ParseDialogRule(std::string_view line);

// The controls' published properties as text, names compared ignoring case.
class DialogProperties {
 public:
  virtual ~DialogProperties() = default;
  // nullopt when the control or its property does not exist.
  virtual std::optional<std::string> Property(const std::string& control,
                                              const std::string& property) const = 0;
  // Does nothing for an unknown control or property.
  virtual void SetProperty(const std::string& control, const std::string& property,
                           const std::string& value) = 0;
};

// A value of a rule: "Control.Property" naming a property of the dialog
// reads that property's text; anything else (readme.txt) stands as it is.
std::string ResolveRuleValue(const std::string& value, const DialogProperties& dialog);

// Runs every rule of the lines in order; a rule that cannot be read is left out.
void EvaluateDialogRules(const std::vector<std::string>& lines, DialogProperties& dialog);

}  // namespace vantrell
