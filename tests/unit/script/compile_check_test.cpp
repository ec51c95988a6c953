// The compilation check: one case per rule, with the statement it names.
#include <gtest/gtest.h>

#include "script/compile_check.h"
#include "twins/script_builder.h"

namespace vantrell {
namespace {

using testing::ScriptBuilder;

std::vector<std::string> If(const char* var, const char* value = "x") {
  return {var, "0", value, "TRUE"};
}

// Statements read their parameters by position, so each carries its full set.
std::vector<std::string> Dialog(const char* name, const char* result = "", const char* skip = "") {
  return {name, result, "TRUE", skip, "TRUE", "FALSE"};
}

struct Case {
  const char* name;
  ScriptBuilder script;
  int statement;
  std::string message;
};

TEST(CompileCheck, Rules) {
  const int kPass = CompileResult::kPassed;
  const int kBlocks = CompileResult::kUnbalancedBlocks;
  const std::string kOk = "Script compiled successfully";
  const std::string kWizard = "Statements other than DISPLAY DIALOG not allowed inside WIZARD LOOP";
  const std::vector<Case> cases = {
      {"empty script", ScriptBuilder(), kPass, kOk},
      {"only End switched off", ScriptBuilder().Add("If", If("TITLE")).Off("End"), kBlocks,
       "Insufficient END statements"},
      {"too many ends", ScriptBuilder().Add("End"), kBlocks, "Too many END statements"},
      {"label inside if", ScriptBuilder().Add("If", If("TITLE")).Add("Label", {"x"}).Add("End"), 1,
       "LABEL statements cannot be nested inside loops/conditionals"},
      {"label inside switched-off if",
       ScriptBuilder().Off("If", If("TITLE")).Add("Label", {"x"}).Off("End"), kPass, kOk},
      {"label redefined in another case",
       ScriptBuilder().Add("Label", {"Here"}).Add("Label", {"HERE"}), 1, "LABEL re-defined: HERE"},
      {"goto a switched-off label", ScriptBuilder().Add("GoTo Label", {"x"}).Off("Label", {"X"}),
       kPass, kOk},
      {"goto nowhere", ScriptBuilder().Add("GoTo Label", {"Nowhere"}), 0,
       "LABEL undefined: Nowhere"},
      {"if before the variable is set",
       ScriptBuilder().Add("If", If("LATER")).Add("End").Add("Set Variable", {"LATER", "1"}), 0,
       "Variable not defined: LATER"},
      {"if before a declared variable",
       ScriptBuilder()
           .Add("If", If("$LATER$"))
           .Add("End")
           .Add("Set Variable", {"LATER$VELD$VELD$TRUE", "1"}),
       kPass, kOk},
      {"run-only predefined names are unknown",
       ScriptBuilder().Add("If", If("$VELD_DISABLE_ROLLBACK$")).Add("End"), 0,
       "Variable not defined: $VELD_DISABLE_ROLLBACK$"},
      {"gpo path is unknown", ScriptBuilder().Add("If", If("GPOPATH")).Add("End"), 0,
       "Variable not defined: GPOPATH"},
      {"comparison value naming an unknown variable wins",
       ScriptBuilder().Add("If", If("NOPE", "$ALSO$")).Add("End"), 0,
       "Variable not defined: $ALSO$"},
      {"literal comparison value", ScriptBuilder().Add("If", If("TITLE", "a $ b")).Add("End"),
       kPass, kOk},
      {"if without variable", ScriptBuilder().Add("If", If("")).Add("End"), 0, "Variable required"},
      {"output variables are defined in order",
       ScriptBuilder()
           .Add("Get Folder Location", {"FOLDER"})
           .Add("Read from Text File", {"f", "LINE", "EOF"})
           .Add("If", If("FOLDER", "$EOF$"))
           .Add("End"),
       kPass, kOk},
      {"optional output not set",
       ScriptBuilder().Add("Run Program", {"a", "b", "c", "d", ""}).Add("If", If("X")).Add("End"),
       1, "Variable not defined: X"},
      {"convert path of unknown variable", ScriptBuilder().Add("Convert Path", {"$NOPE$"}), 0,
       "Variable not defined: $NOPE$"},
      {"evaluate expression defines its result",
       ScriptBuilder()
           .Add("Evaluate Expression", {"\"a\" = \"b\"", "R"})
           .Add("If", If("R"))
           .Add("End"),
       kPass, kOk},
      {"evaluate expression syntax", ScriptBuilder().Add("Evaluate Expression", {"\"a\" = ", "R"}),
       0,
       "Syntax error in expression. Please review the help topic \"Evaluate Expression\" for the "
       "correct syntax."},
      {"dialog without name", ScriptBuilder().Add("Display Dialog", Dialog("")), 0,
       "Dialog name not specified"},
      {"dialog skip variable unknown",
       ScriptBuilder().Add("Display Dialog", Dialog("d", "W", "SKIP")), 0,
       "Variable not defined: SKIP"},
      {"delete files without a mode",
       ScriptBuilder().Add("Delete Files", {"a", "b", "FALSE", "no"}), 0,
       "At least one delete mode must be selected"},
      {"install files without target", ScriptBuilder().Add("Install Files", {"a", "b", ""}), 0,
       "A target folder must be specified for files that are being installed.\rThe value "
       "$TARGETDIR$ "
       "represents the destination folder chosen by the user."},
      {"find all files without variable",
       ScriptBuilder().Add("Find All Files", {"a", "b", "c", ""}), 0, "Variable required"},
      {"web media block name after the last backslash is clean",
       ScriptBuilder().Add("Web Media Block", {"dir\\c:block", "http://x"}), kPass, kOk},
      {"web media block name with slash",
       ScriptBuilder().Add("Web Media Block", {"a/b", "http://x"}), 0,
       "Web Media Block name must be a legal file name"},
      {"web media block without url", ScriptBuilder().Add("Web Media Block", {"a/b", ""}), 0,
       "Web Media Block must have at least one download URL"},
      {"statement inside wizard loop",
       ScriptBuilder()
           .Add("Wizard Loop")
           .Add("Display Dialog", Dialog("d"))
           .Add("Comment")
           .Add("Set Variable", {"A", "1"})
           .Add("End"),
       3, kWizard},
      {"switched-off and ignored statements inside wizard loop",
       ScriptBuilder()
           .Add("Wizard Loop")
           .Add("Display Dialog", Dialog("d"))
           .Off("Set Variable", {"A"})
           .Add("Ignore")
           .Add("End"),
       kPass, kOk},
  };
  for (const Case& c : cases) {
    TVariableManager vars;
    CompileResult result = CompileScript(c.script.Build(), vars);
    EXPECT_EQ(result.statement, c.statement) << c.name;
    EXPECT_EQ(result.message, c.message) << c.name;
  }
}

TEST(CompileCheck, InstallStatesAndLabels) {
  ScriptBuilder b;
  b.Add("Install Files", {"a", "b", "$TARGETDIR$"})
      .Add("Write Registry")
      .Off("Create Folder")
      .Add("Comment")
      .Add("Label", {"End Of It"});
  TVariableManager vars;
  CompileResult result = CompileScript(b.Build(), vars);
  ASSERT_TRUE(result.Passed()) << result.message;
  EXPECT_EQ(result.installStates,
            (std::vector<std::string>{"FALSE", "FALSE", "SKIP", "SKIP", "SKIP"}));
  EXPECT_EQ(result.labels, std::vector<std::string>{"END OF IT"});
  EXPECT_TRUE(vars.VariableExists("MSIFILE"));
  EXPECT_FALSE(vars.VariableExists("GPOPATH"));
}

}  // namespace
}  // namespace vantrell
