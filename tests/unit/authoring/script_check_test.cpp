// The author's statement checks: every finding of a script in one run, each
// at the parameter's own line with the parameter's name; named parameter
// lines; the settings check. And the looser layout: indented lines, comments
// after a command, a byte order mark.
#include "authoring/script_check.h"

#include <gtest/gtest.h>

#include "authoring/assemble.h"
#include "authoring/carried_script.h"
#include "authoring/readable_format.h"

namespace vantrell::authoring {
namespace {

constexpr const char* kProject =
    "title = Test\n"
    "product-code = {2D5E8A41-6B3C-4F0E-9A17-C84B5D2E6F03}\n"
    "revision-code = {7F1A3C95-2E4D-4B68-8D0C-1A9E5F3B7C24}\n"
    "plugin = File Dialog\n"
    "script = main.vscript\n";

Project Make(const std::string& script) {
  Project p = ParseProjectText(kProject, "t.vproj");
  ParseScriptText(script, "main.vscript", "main.vscript", p.statements);
  return p;
}

// "line: message" for each finding, errors only unless warnings are asked for.
std::vector<std::string> Findings(const std::string& script, bool warnings = false) {
  Project p = Make(script);
  std::vector<std::string> out;
  for (const Diagnostic& d : CheckStatements(p)) {
    if (d.error || warnings)
      out.push_back(std::to_string(d.where.line) + ": " + (d.error ? "" : "warning: ") + d.message);
  }
  return out;
}

TEST(ScriptCheckTest, EachMistakeIsReportedAtItsParameter) {
  struct Case {
    const char* what;
    const char* script;
    std::vector<std::string> findings;
  } cases[] = {
      {"misspelled command",
       "Instal Files\n  > a\n  > FALSE\n  > $TARGETDIR$\n",
       {"1: unknown command \"Instal Files\"; did you mean \"Install Files\""}},
      {"letter case slip",
       "Set variable\n  > X\n  > 1\n",
       {"1: unknown command \"Set variable\"; did you mean \"Set Variable\""}},
      {"nothing close",
       "Frobnicate\n  > x\n",
       {"1: unknown command \"Frobnicate\" (the commands are listed in authoring/COMMANDS.md)"}},
      {"missing line",
       "Get Folder Location\n  > P\n  > 14\n",
       {"1: \"Get Folder Location\" takes 3 parameter lines, found 2: missing 3 (all-users); a "
        "line left out moves the later ones up, write an empty one as a bare \">\""}},
      {"surplus line",
       "Create Folder\n  > $TARGETDIR$\n  > x\n",
       {"3: \"Create Folder\" takes 1 parameter line, found 2"}},
      {"lines where none belong", "End\n  > x\n", {"2: \"End\" takes no parameter lines, found 1"}},
      {"comparison code",
       "If\n  > TITLE\n  > 77\n  > x\n  > TRUE\nEnd\n",
       {"3: \"If\" parameter 2 (comparison): code \"77\" is not one of: 0: equals (integers by "
        "value, texts byte by byte); 1: contains; 2: greater than; 3: contains, ignoring case; 4: "
        "equals, ignoring case; 5: is defined (the variable exists; the line is taken as a plain "
        "name); 6: version greater than"}},
      {"folder number",
       "Get Folder Location\n  > P\n  > 99\n  > TRUE\n",
       {"3: \"Get Folder Location\" parameter 2 (folder): code \"99\" is not one of: 0 to 27 (see "
        "COMMANDS.md)"}},
      {"message box icon",
       "MessageBox\n  > t\n  > x\n  > 7\n  > 1\n  >\n",
       {"4: \"MessageBox\" parameter 3 (icon): code \"7\" is not one of: 0: information; 1: "
        "question; 2: warning; 3: error"}},
      {"number",
       "Terminate with Exit Code\n  > two\n",
       {"2: \"Terminate with Exit Code\" parameter 1 (exit-code): \"two\" is not a number"}},
      {"GUID",
       "Is MSI Setup Installed\n  > {1234}\n  > R\n",
       {"2: \"Is MSI Setup Installed\" parameter 1 (product-code): \"{1234}\" is not a GUID in "
        "braces ({XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX})"}},
      {"truth value",
       "Set Component State\n  > VELD-PREDEF-COMPONENT\n  > 1\n",
       {"3: \"Set Component State\" parameter 2 (selected): \"1\" is not a truth value: write TRUE "
        "or FALSE (the engine reads \"1\" as FALSE)"}},
      {"undefined target",
       "Install Files\n  > a\n  > FALSE\n  > $INSTALLDIR$\\bin\n",
       {"4: \"Install Files\" parameter 3 (target-folder): variable not defined: $INSTALLDIR$ (no "
        "statement of the script sets it and the engine does not predefine it; a variable given "
        "on the command line or by a dialog is declared in the project file with "
        "\"input-variable = NAME\")"}},
      {"misspelled component",
       "Define Component\n  > Application\n  > TRUE\n  > d\n"
       "Get Component State\n  > Aplication\n  > R\n",
       {"6: \"Get Component State\" parameter 1 (name): no \"Define Component\" defines the "
        "component \"Aplication\"; did you mean \"Application\"?"}},
      {"component attribute",
       "Define Component\n  > Application\n  > TRUE\n  > d\n"
       "Install Files\n  @component Aplication\n  > a\n  > FALSE\n  > $TARGETDIR$\n"
       "Create Folder\n  @component Application\n  > $TARGETDIR$\n",
       {"5: @component: no \"Define Component\" defines the component \"Aplication\"; did you "
        "mean \"Application\"?",
        "10: @component applies to \"Install Files\" only"}},
      {"variable read in place",
       "Convert Case\n  > NOPE\n  > TRUE\n",
       {"2: \"Convert Case\" parameter 1 (variable): variable not defined: NOPE (no statement of "
        "the script sets it and the engine does not predefine it; a variable given on the command "
        "line or by a dialog is declared in the project file with \"input-variable = NAME\")"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Findings(c.script), c.findings) << c.what;
}

TEST(ScriptCheckTest, WhatTheScriptOrEngineDefinesPasses) {
  const char* scripts[] = {
      // Predefined names, and a variable set after its first use (a loop may run it first).
      "Install Files\n  > a\n  > FALSE\n  > $TARGETDIR$\\$LATER$\n"
      "Set Variable\n  > LATER\n  > x\n",
      // The keep marker, a reference as a code, a run-time hex number, "$" alone.
      "Set Variable\n  > CODE$VELD$VELD$TRUE\n  > 2\n"
      "MessageBox\n  > $TITLE$ costs $5\n  > $\n  > $CODE$\n  > 1\n  >\n"
      "Terminate with Exit Code\n  > $1F\n",
      // Code 5 asks whether any name exists; plug-ins and switched-off statements are theirs.
      "If\n  > ANYTHING\n  > 5\n  >\n  > TRUE\nEnd\nfile dialog\n  > x\nFrobnicate\n  @off\n"
      "Code Folding Region\n  > x\n",
      // Package statements may carry lines the engine does not read.
      "Install Files\n  > a\n  > FALSE\n  > $TARGETDIR$\n  > more\n",
      // Comments take any lines; the predefined component; lower-case truth values.
      "Comment\n  > a\n  > b\nGet Component State\n  > VELD-PREDEF-COMPONENT\n  >\n"
      "Set 64 Bit Mode\n  > true\n  > false\n  > -1\n",
  };
  for (const char* script : scripts)
    EXPECT_EQ(Findings(script), std::vector<std::string>{}) << script;
}

TEST(ScriptCheckTest, InputVariablesAreKnownAndADumpDeclaresThem) {
  const std::string script =
      "Create Folder\n  > $WORK$\\made\nIf\n  > MODE\n  > 0\n  > $WORK$\n  > TRUE\nEnd\n";
  Project p = Make(script);
  EXPECT_EQ(UndefinedVariables(p), (std::vector<std::string>{"WORK", "MODE"}));
  p.inputVariables = {"work", "MODE"};
  EXPECT_TRUE(CheckStatements(p).empty());
  Project again = ParseProjectText(FormatProjectText(p), "t.vproj");
  EXPECT_EQ(again.inputVariables, p.inputVariables);
}

TEST(ScriptCheckTest, EveryFindingOfAScriptInOneRun) {
  std::vector<std::string> found = Findings(
      "Instal Files\n  > a\n"
      "If\n  > TITLE\n  > 9\n  > $NOPE$\n  > yes\nEnd\n"
      "Get Folder Location\n  > P\n");
  ASSERT_EQ(found.size(), 5u);
  EXPECT_EQ(found[0].substr(0, 3), "1: ");
  EXPECT_EQ(found[1].substr(0, 42), "5: \"If\" parameter 2 (comparison): code \"9\"");
  EXPECT_EQ(found[2].substr(0, 50), "6: \"If\" parameter 3 (value): variable not defined:");
  EXPECT_EQ(found[3].substr(0, 37), "7: \"If\" parameter 4 (expected): \"yes\"");
  EXPECT_EQ(found[4].substr(0, 42), "9: \"Get Folder Location\" takes 3 parameter");
}

TEST(NamedParameterTest, NamedLinesBuildTheSameBytesAsPositionalOnes) {
  const std::string positional =
      "Write Registry\n  > 0\n  > 2\n  > Software\\A\n  > Dir\n  > $TARGETDIR$\n  > FALSE\n  >\n"
      "MessageBox\n  > Title\n  > kind: of text\n  > 0\n  > 1\n  >\n";
  const std::string named =
      "Write Registry\n  > key: Software\\A\n  > kind: 0\n  > root: 2\n  > value-name: Dir\n"
      "  > value: $TARGETDIR$\n  > keep: FALSE\n"
      "MessageBox\n  > title: Title\n  > text: kind: of text\n  > buttons: 1\n  > icon: 0\n";
  Project a = Make(positional);
  Project b = Make(named);
  EXPECT_TRUE(CheckStatements(b).empty());
  EXPECT_EQ(b.statements[0].parameters,
            (std::vector<std::string>{"0", "2", "Software\\A", "Dir", "$TARGETDIR$", "FALSE", ""}));
  EXPECT_EQ(b.statements[0].parameterLines, (std::vector<int>{3, 4, 2, 5, 6, 7, 0}));
  EXPECT_EQ(WriteCarriedScript(CompileProject(b).script),
            WriteCarriedScript(CompileProject(a).script));
}

TEST(NamedParameterTest, MistakesInNames) {
  struct Case {
    const char* script;
    std::vector<std::string> findings;
  } cases[] = {
      {"Create Folder\n  > folder: a\n  > folder: b\n",
       {"3: \"Create Folder\" parameter 1 (folder) is given twice, first at line 2"}},
      // A name the command does not have is a positional value.
      {"Create Folder\n  > title: a\n", {}},
      // After a named line, positional lines continue from it.
      {"Get Folder Location\n  > folder: 14\n  > TRUE\n  > result: P\n", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(Findings(c.script), c.findings) << c.script;
}

TEST(NamedParameterTest, DumpWritesNamesAndQuotesLookAlikes) {
  Project p = Make("Set Variable\n  > X\n  > value: 1\nComment\n  > text: here\n");
  ASSERT_TRUE(CheckStatements(p).empty());
  EXPECT_EQ(p.statements[0].parameters, (std::vector<std::string>{"X", "1"}));
  const std::string text = FormatScriptText(p.statements);
  EXPECT_NE(text.find("  > variable: X\n  > value: 1\n"), std::string::npos) << text;
  // Comment lines are not described: they take placeholder names.
  EXPECT_NE(text.find("  > line-1: text: here\n"), std::string::npos) << text;
  Project again = Make(text);
  ASSERT_TRUE(CheckStatements(again).empty());
  EXPECT_EQ(WriteCarriedScript(CompileProject(again).script),
            WriteCarriedScript(CompileProject(p).script));
}

TEST(NamedParameterTest, PlaceholderNamesFillUndescribedLines) {
  Project named = Make("Create ODBC DSN\n  > line-3: c\n  > line-1: a\n  > b\n");
  Project positional = Make("Create ODBC DSN\n  > a\n  > b\n  > c\n");
  ASSERT_TRUE(CheckStatements(named).empty());
  ASSERT_TRUE(CheckStatements(positional).empty());
  EXPECT_EQ(named.statements[0].parameters, (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(named.statements[0].parameterLines, (std::vector<int>{3, 4, 2}));
  EXPECT_EQ(WriteCarriedScript(CompileProject(named).script),
            WriteCarriedScript(CompileProject(positional).script));
  const std::string text = FormatScriptText(positional.statements);
  EXPECT_NE(text.find("  > line-1: a\n  > line-2: b\n  > line-3: c\n"), std::string::npos) << text;
  EXPECT_EQ(Findings("Create ODBC DSN\n  > line-2: a\n  > line-2: b\n"),
            (std::vector<std::string>{
                "3: \"Create ODBC DSN\" parameter 2 (line-2) is given twice, first at line 2"}));
}

TEST(ScriptLayoutTest, IndentationCommentsAndByteOrderMark) {
  Project p = Make(
      "\xEF\xBB\xBF"
      "Comment   # why\n  > a # kept\n"
      "  If # indented\n    > TITLE\n    > 0\n    > x\n    > TRUE\n"
      "  End\n"
      "|Odd # name| # note\n");
  ASSERT_EQ(p.statements.size(), 4u);
  EXPECT_EQ(p.statements[0].command, "Comment");
  EXPECT_EQ(p.statements[0].parameters, (std::vector<std::string>{"a # kept"}));
  EXPECT_EQ(p.statements[1].command, "If");
  EXPECT_EQ(p.statements[1].where.line, 3);
  EXPECT_EQ(p.statements[2].command, "End");
  EXPECT_EQ(p.statements[3].command, "Odd # name");
}

TEST(SettingsCheckTest, CodesAreGuidsUpperCasedAndMistakesHaveTheirLine) {
  Project p = ParseProjectText(
      "title = T\nproduct-code = {2d5e8a41-6b3c-4f0e-9a17-c84b5d2e6f03}\n"
      "revision-code = {7F1A3C95}\nbuild-kind = web\nscript = main.vscript\n",
      "t.vproj");
  std::vector<Diagnostic> found = CheckSettings(p);
  EXPECT_EQ(p.productCode, "{2D5E8A41-6B3C-4F0E-9A17-C84B5D2E6F03}");
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].where.line, 3);
  EXPECT_EQ(found[0].message, "revision-code must be a GUID in braces, found: \"{7F1A3C95}\"");
  EXPECT_EQ(found[1].where.line, 4);
  EXPECT_EQ(found[1].message, "build-kind must be a decimal number, found: \"web\"");
}

}  // namespace
}  // namespace vantrell::authoring
