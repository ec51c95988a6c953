// Dialog rules on a small dialog of named controls: parsing the rule layout,
// both operators, exact comparison, values read from controls, literal values
// with dots, and rules that name what the dialog does not have.
#include <gtest/gtest.h>

#include <map>

#include "common/ascii.h"
#include "dialogs/dialog_rules.h"

namespace vantrell {
namespace {

// Controls with properties, names ignoring case, as the form runtime keeps them.
class DialogTwin final : public DialogProperties {
 public:
  std::optional<std::string> Property(const std::string& control,
                                      const std::string& property) const override {
    auto found = values.find(AsciiUpper(control + "." + property));
    if (found == values.end()) return std::nullopt;
    return found->second;
  }
  void SetProperty(const std::string& control, const std::string& property,
                   const std::string& value) override {
    auto found = values.find(AsciiUpper(control + "." + property));
    if (found != values.end()) found->second = value;
  }
  std::map<std::string, std::string> values = {
      {"ACCEPT.CHECKED", "True"}, {"NEXT.ENABLED", "False"}, {"LICENSE.MAXLENGTH", "0"},
      {"LICENSE.TAG", "0"},       {"NOTE.CAPTION", ""},      {"EDIT1.TEXT", "C:\\Apps"},
  };
};

TEST(DialogRules, ParsesThePieces) {
  auto rule = ParseDialogRule("IF (Accept.Checked = True)  THEN  Next.Enabled := True;");
  ASSERT_TRUE(rule);
  EXPECT_EQ(rule->control, "Accept");
  EXPECT_EQ(rule->property, "Checked");
  EXPECT_FALSE(rule->notEqual);
  EXPECT_EQ(rule->compared, "True");
  EXPECT_EQ(rule->targetControl, "Next");
  EXPECT_EQ(rule->targetProperty, "Enabled");
  EXPECT_EQ(rule->newValue, "True");
  rule = ParseDialogRule("IF (License.MaxLength <> 0)  THEN  Note.Caption := readme.txt;");
  ASSERT_TRUE(rule);
  EXPECT_TRUE(rule->notEqual);
  EXPECT_EQ(rule->newValue, "readme.txt");
  for (const char* broken : {"", "IF (", "IF (Accept.Checked = True)  THEN  Next.Enabled := True",
                             "IF (Accept.Checked = True) THEN Next.Enabled := True;",
                             "IF (AcceptChecked True)  THEN  Next.Enabled := True;"}) {
    EXPECT_FALSE(ParseDialogRule(broken)) << broken;
  }
}

struct RuleCase {
  const char* name;
  std::string rule;
  std::string key;  // the property to look at afterwards
  std::string want;
};

TEST(DialogRules, Evaluation) {
  const RuleCase cases[] = {
      {"EqualFires", "IF (Accept.Checked = True)  THEN  Next.Enabled := True;", "NEXT.ENABLED",
       "True"},
      {"NamesIgnoreCase", "IF (ACCEPT.checked = True)  THEN  next.ENABLED := True;", "NEXT.ENABLED",
       "True"},
      {"ValuesCompareExactly", "IF (Accept.Checked = TRUE)  THEN  Next.Enabled := True;",
       "NEXT.ENABLED", "False"},
      {"NotEqualFires", "IF (License.MaxLength <> 5)  THEN  Next.Enabled := Accept.Checked;",
       "NEXT.ENABLED", "True"},
      {"NotEqualHolds", "IF (License.MaxLength <> 0)  THEN  Next.Enabled := True;", "NEXT.ENABLED",
       "False"},
      {"ComparedValueFromAControl",
       "IF (License.MaxLength = License.Tag)  THEN  Note.Caption := Edit1.Text;", "NOTE.CAPTION",
       "C:\\Apps"},
      {"DottedLiteralStands", "IF (Accept.Checked = True)  THEN  Note.Caption := readme.txt;",
       "NOTE.CAPTION", "readme.txt"},
      {"UnknownControlReadsEmpty", "IF (Missing.Checked = )  THEN  Note.Caption := empty;",
       "NOTE.CAPTION", "empty"},
      {"UnknownTargetDoesNothing", "IF (Accept.Checked = True)  THEN  Missing.Enabled := True;",
       "NEXT.ENABLED", "False"},
  };
  for (const RuleCase& c : cases) {
    DialogTwin dialog;
    EvaluateDialogRules({c.rule}, dialog);
    EXPECT_EQ(dialog.values[c.key], c.want) << c.name;
  }
}

TEST(DialogRules, RulesRunInOrderAndBrokenLinesAreSkipped) {
  DialogTwin dialog;
  EvaluateDialogRules({"IF (Accept.Checked = True)  THEN  Next.Enabled := True;", "garbage",
                       "IF (Next.Enabled = True)  THEN  Note.Caption := chained;"},
                      dialog);
  EXPECT_EQ(dialog.values["NOTE.CAPTION"], "chained");
}

}  // namespace
}  // namespace vantrell
