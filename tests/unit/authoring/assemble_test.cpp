// From readable project to carried script and back: identifiers and headers,
// the whole-line dollar, the build-time check's report and the dump round trip.
#include "authoring/assemble.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "authoring/identifiers.h"
#include "authoring/readable_format.h"
#include "authoring/script_check.h"

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

TEST(IdentifierTest, DerivedValuesHaveTheirForms) {
  std::string id = DerivedIdentifier("{P}", "main.vscript", "If", 0);
  EXPECT_TRUE(IsBracedGuid(id)) << id;
  EXPECT_EQ(id[15], '5');
  EXPECT_EQ(id, DerivedIdentifier("{p}", "main.vscript", "If", 0));
  EXPECT_NE(id, DerivedIdentifier("{P}", "main.vscript", "If", 1));
  EXPECT_NE(id, DerivedIdentifier("{P}", "other.vscript", "If", 0));
  EXPECT_NE(id, DerivedIdentifier("{P}", "main.vscript", "If", 0, 1));
  for (uint32_t salt = 0; salt < 200; ++salt) {
    std::string header = DerivedHeader(id, salt);
    EXPECT_TRUE(IsHeaderText(header)) << header;
  }
  EXPECT_FALSE(IsHeaderText("0A"));
  EXPECT_FALSE(IsHeaderText("1a"));
  EXPECT_FALSE(IsHeaderText("123456789"));
  EXPECT_TRUE(IsHeaderText("81E9F83"));
}

TEST(AssembleTest, IdentifiersAreStableAndOnlyShiftForTheSameCommand) {
  const std::string script = "Comment\n  > a\nIf\n  > TITLE\n  > 0\n  > x\n  > TRUE\nEnd\n";
  CarriedScript first = CompileProject(Make(script)).script;
  CarriedScript again = CompileProject(Make(script)).script;
  EXPECT_EQ(first.identifiers, again.identifiers);
  // A new statement of another command leaves the others' identifiers alone.
  CarriedScript edited = CompileProject(Make("Set 64 Bit Mode\n  > TRUE\n" + script)).script;
  EXPECT_EQ(std::vector<std::string>(edited.identifiers.begin() + 1, edited.identifiers.end()),
            first.identifiers);
}

TEST(AssembleTest, FixedIdentifiersAndHeadersAreKept) {
  CarriedScript c =
      CompileProject(Make("Comment\n  @id {0A0B0C0D-0000-4000-8000-000000000001}\n  > a\n"
                          "Create Folder\n  @header 21F1A76D\n  > $TARGETDIR$\\x\n"
                          "Create Folder\n  > $TARGETDIR$\\y\n"))
          .script;
  EXPECT_EQ(c.identifiers[0], "{0A0B0C0D-0000-4000-8000-000000000001}");
  ASSERT_EQ(c.statementHeaders.size(), 4u);
  EXPECT_EQ(c.statementHeaders[0], "21F1A76D");
  EXPECT_EQ(c.statementHeaders[1], "1");
  EXPECT_TRUE(IsHeaderText(c.statementHeaders[2]));
  EXPECT_EQ(c.statementHeaders[2], DerivedHeader(c.identifiers[2]));
  EXPECT_EQ(c.statementHeaders[3], "2");
}

TEST(AssembleTest, HeadersOnlyForInstallTypeStatements) {
  CarriedScript c = CompileProject(Make("Comment\n  > a\n"
                                        "Write Registry\n  > HKLM\n"
                                        "Install Files\n  > a\n  > b\n  > $TARGETDIR$\n"
                                        "Evaluate Expression\n  > \"a\" = \"a\"\n  > X\n"))
                        .script;
  ASSERT_EQ(c.statementHeaders.size(), 4u);
  EXPECT_EQ(c.statementHeaders[1], "1");
  EXPECT_EQ(c.statementHeaders[3], "2");
}

TEST(AssembleTest, AuthorMistakesInIdentifiersAndHeaders) {
  struct Case {
    const char* script;
    int line;
    const char* message;
  } cases[] = {
      {"Comment\n  @id {X}\n", 1, "@id must be a GUID in braces, found: \"{X}\""},
      {"Comment\n  @id {0A0B0C0D-0000-4000-8000-000000000001}\nEnd\n  @id "
       "{0a0b0c0d-0000-4000-8000-000000000001}\n",
       3, "identifier {0a0b0c0d-0000-4000-8000-000000000001} is already used at main.vscript:1"},
      {"Create Folder\n  @header 0A\n", 1,
       "@header must be 1 to 8 upper-case hex digits without leading zeros, found: \"0A\""},
      {"Create Folder\n  @header AB\nCreate Folder\n  @header AB\n", 3,
       "header AB is already used at main.vscript:1"},
  };
  for (const Case& c : cases) {
    try {
      CompileProject(Make(c.script));
      ADD_FAILURE() << "no error for: " << c.script;
    } catch (const ProjectError& e) {
      EXPECT_EQ(e.Where().line, c.line) << c.script;
      EXPECT_EQ(e.Message(), c.message) << c.script;
    }
  }
}

TEST(AssembleTest, WholeLineDollarIsCarriedAsDollarToken) {
  CarriedScript c = CompileProject(Make("Comment\n  > $\n  > $$\n  > a $ b\n")).script;
  ASSERT_EQ(c.pool.size(), 4u);
  EXPECT_EQ(c.pool[1], "$DOLLAR$");
  EXPECT_EQ(c.pool[2], "$$");
  EXPECT_EQ(c.pool[3], "a $ b");
}

TEST(AssembleTest, StatementsWithoutParametersHaveNoPoolEntry) {
  CarriedScript c =
      CompileProject(Make("Comment\n  > a\nIf\n  > TITLE\n  > 0\n  > x\n  > TRUE\nElse\nEnd\n"))
          .script;
  EXPECT_EQ(c.pool.size(), 2u + 5u);
  EXPECT_EQ(c.markers, (std::vector<std::string>{"", "", "", ""}));
  EXPECT_EQ(c.mediaFolders.size(), 4u);
}

TEST(CompileReportTest, FailuresNameTheStatementsFileAndLine) {
  struct Case {
    const char* script;
    int line;
    const char* message;
  } cases[] = {
      {"Comment\n  > a\n\nIf\n  > NOWHERE\n  > 0\n  > x\n  > TRUE\nEnd\n", 4,
       "Variable not defined: NOWHERE"},
      {"If\n  > TITLE\n  > 0\n  > $LATER$\n  > TRUE\nEnd\n", 1, "Variable not defined: $LATER$"},
      {"Comment\n  > a\nIf\n  > TITLE\n  > 0\n  > x\n  > TRUE\nIf\n  > TITLE\n  > 0\n  > y\n  > "
       "TRUE\nEnd\n",
       3, "Insufficient END statements"},  // the outer "If" is the one left open
      {"End\nComment\n  > a\n", 1, "Too many END statements"},
      {"GoTo Label\n  > nowhere\n", 1, "LABEL undefined: nowhere"},
      {"Display Dialog\n  >\n", 1, "Dialog name not specified"},
      {"Evaluate Expression\n  > (\"a\" =\n  > X\n", 1,
       "Syntax error in expression. Please review the help topic \"Evaluate Expression\" for the "
       "correct syntax."},
  };
  for (const Case& c : cases) {
    try {
      CompileProject(Make(c.script));
      ADD_FAILURE() << "no error for: " << c.script;
    } catch (const ProjectError& e) {
      EXPECT_EQ(e.Where().file, "main.vscript") << c.script;
      EXPECT_EQ(e.Where().line, c.line) << c.script;
      EXPECT_EQ(e.Message(), c.message) << c.script;
    }
  }
}

TEST(DumpTest, DumpThenBuildGivesTheSameBytes) {
  const std::string script =
      "Comment\n  > $\n  > |  padded  |\n  > $NAME$ and $DOLLAR$\n"
      "Evaluate Expression\n  > \"a\" = \"a\"\n  > NAME\n"
      "If\n  > NAME\n  > 0\n  > TRUE\n  > TRUE\n"
      "Create Folder\n  @media OFFLINE\\\n  > $TARGETDIR$\\data\n"
      "Terminate with Exit Code\n  @off\n  > 3\n"
      "End\n";
  Project p = Make(script);
  p.componentSizes = {"VELD-PREDEF-COMPONENT", "0"};
  p.buildVariables = {"GREETING", "  hi  ", "EMPTY", ""};
  p.mediaPasswords = {"offline", "secret"};
  const std::string built = WriteCarriedScript(CompileProject(p).script);

  DumpedProject dumped = ProjectFromCarried(*SplitCarriedScript(built), "setup", "setup.vscript");
  EXPECT_TRUE(dumped.exact);
  // Through the texts a person reads, then parsed and built again.
  Project again = ParseProjectText(FormatProjectText(dumped.project), "setup.vproj");
  ParseScriptText(FormatScriptText(dumped.project.statements), "setup.vscript", "setup.vscript",
                  again.statements);
  EXPECT_EQ(WriteCarriedScript(CompileProject(again).script), built);
}

TEST(DumpTest, ForeignScriptsRoundTripOrSayTheyCannot) {
  CarriedScript foreign;
  foreign.commands = {"Comment", "Display Dialog", "Comment"};
  foreign.identifiers = {"{3F1B2C4D-5E6F-4A7B-8C9D-0E1F2A3B4C5D}",
                         "{4A2B3C4D-5E6F-4A7B-8C9D-0E1F2A3B4C5E}",
                         "{5B3C4D5E-6F7A-4B8C-9DAE-1F2A3B4C5D6E}"};
  foreign.pool = {foreign.identifiers[0], "one",     foreign.identifiers[1], "Welcome",
                  foreign.identifiers[2], "$dollar$"};
  foreign.markers = {"", "", ""};
  foreign.productCode = "{5B0C6D2E-7D3A-4E7B-9C1F-2A6E8D4F1B30}";
  foreign.revisionCode = "{6C4D5E6F-7A8B-4C9D-AEBF-2A3B4C5D6E7F}";
  foreign.mediaFolders = {"", "", ""};
  foreign.buildKind = "1";
  foreign.languageSelection = "FALSE";
  foreign.defaultLanguage = "English";
  DumpedProject d = ProjectFromCarried(foreign, "setup", "setup.vscript");
  EXPECT_TRUE(d.exact);
  EXPECT_EQ(d.project.statements[2].parameters, (std::vector<std::string>{"$dollar$"}));

  // Blocks out of statement order cannot be written back as they were.
  std::swap(foreign.pool[0], foreign.pool[4]);
  std::swap(foreign.pool[1], foreign.pool[5]);
  d = ProjectFromCarried(foreign, "setup", "setup.vscript");
  EXPECT_FALSE(d.exact);
  EXPECT_EQ(d.project.statements[0].parameters, (std::vector<std::string>{"one"}));
}

std::string SourceText(const std::string& relative) {
  std::ifstream in(std::string(VANTRELL_SOURCE_DIR) + "/" + relative, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(ExampleTest, ExampleProjectChecksCleanAndIsDocumentedWhole) {
  Project p = LoadProject(std::string(VANTRELL_SOURCE_DIR) + "/examples/author/example.vproj");
  std::vector<Diagnostic> found = CheckStatements(p);
  for (const Diagnostic& d : found) ADD_FAILURE() << d.where.line << ": " << d.message;
  CompiledScript c = CompileProject(p);
  auto fixed = std::find(c.script.identifiers.begin(), c.script.identifiers.end(),
                         "{0D6F2B8E-5A41-4C3D-9E7A-2B1C8F4D6A90}");
  EXPECT_NE(fixed, c.script.identifiers.end());
  const std::string doc = SourceText("authoring/FORMAT.md");
  for (const char* file : {"examples/author/example.vproj", "examples/author/main.vscript"}) {
    std::string text = SourceText(file);
    ASSERT_FALSE(text.empty()) << file;
    EXPECT_NE(doc.find("```\n" + text + "```"), std::string::npos)
        << file << " differs from FORMAT.md's copy";
  }
}

}  // namespace
}  // namespace vantrell::authoring
