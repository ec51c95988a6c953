// The readable format's parser: values, project keys, statement blocks and
// the errors with their line numbers; and the writer's texts read back.
#include "authoring/readable_format.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace vantrell::authoring {
namespace {

TEST(ReadableValueTest, PlainAndQuotedForms) {
  struct Case {
    const char* written;
    const char* value;
  } cases[] = {
      {"", ""},
      {" ", ""},
      {" text", "text"},
      {"  text  \t", "text"},
      {" |  a b  |", "  a b  "},
      {" ||", ""},
      {" |x", "|x"},
      {" x|", "x|"},
      {" ||x||", "|x|"},
      {" $", "$"},
      {" $NAME$", "$NAME$"},
      {" a = b", "a = b"},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseValue(c.written), c.value) << "[" << c.written << "]";
}

TEST(ReadableValueTest, FormatReadsBack) {
  for (std::string v : {"", "x", " lead", "trail ", "\tboth ", "|bars|", "|", "$", "a|b", "| x"}) {
    EXPECT_EQ(ParseValue(FormatValue(v)), v) << "[" << v << "]";
  }
}

TEST(ProjectParserTest, ReadsKeysListsAndParts) {
  Project p = ParseProjectText(
      "# comment\n"
      "title = My App\r\n"
      "product-code={A}\n"
      "plugin = File Dialog\n"
      "plugin = Call DLL Function\n"
      "component-size = Main\n"
      "  > 1024\n"
      "variable = GREETING\n"
      "  > |  hi  |\n"
      "offline-file = OFFLINE\n"
      "  > 1\\a.txt\n"
      "  > OFFLINE\\1A\\1\\\n"
      "script = a.vscript\n"
      "script = b.vscript\n",
      "p.vproj");
  EXPECT_EQ(p.title, "My App");
  EXPECT_EQ(p.productCode, "{A}");
  EXPECT_EQ(p.pluginCommands, (std::vector<std::string>{"File Dialog", "Call DLL Function"}));
  EXPECT_EQ(p.componentSizes, (std::vector<std::string>{"Main", "1024"}));
  EXPECT_EQ(p.buildVariables, (std::vector<std::string>{"GREETING", "  hi  "}));
  EXPECT_EQ(p.offlineFiles, (std::vector<std::string>{"OFFLINE", "1\\a.txt", "OFFLINE\\1A\\1\\"}));
  EXPECT_EQ(p.scripts, (std::vector<std::string>{"a.vscript", "b.vscript"}));
  ASSERT_EQ(p.scriptRefs.size(), 2u);
  EXPECT_EQ(p.scriptRefs[1].line, 14);
  EXPECT_EQ(p.baseName, "setup");
  EXPECT_EQ(p.buildKind, "1");
}

TEST(ProjectParserTest, ErrorsNameTheLine) {
  struct Case {
    const char* text;
    int line;
    const char* message;
  } cases[] = {
      {"title = a\ncolour = red\n", 2, "unknown project key: colour"},
      {"title = a\n\ntitle = b\n", 3, "\"title\" is given twice"},
      {"# c\njust words\n", 2, "expected \"key = value\", found: just words"},
      {"  > orphan\n", 1, "a \">\" line must follow an entry"},
      {"variable = X\ntitle = t\n", 1,
       "\"variable\" takes 2 values (one after \"=\", the rest on \">\" lines), found 1"},
      {"title = t\n  > extra\n", 2, "too many values for \"title\""},
      {"bad key = x\n", 1, "malformed key: bad key"},
  };
  for (const Case& c : cases) {
    try {
      ParseProjectText(c.text, "p.vproj");
      ADD_FAILURE() << "no error for: " << c.text;
    } catch (const ProjectError& e) {
      EXPECT_EQ(e.Where().line, c.line) << c.text;
      EXPECT_EQ(e.Message(), c.message) << c.text;
      EXPECT_EQ(std::string(e.what()), "p.vproj:" + std::to_string(c.line) + ": " + c.message);
    }
  }
}

TEST(ScriptParserTest, ReadsBlocksAttributesAndComments) {
  std::vector<Statement> s;
  ParseScriptText(
      "# leading comment\n"
      "Comment\n"
      "  > first\n"
      "  # a comment inside a block is not a parameter\n"
      "  > $\n"
      "\n"
      "Terminate with Exit Code   \n"
      "  @off\n"
      "  @id {0A}\n"
      "  @header 1F\n"
      "  @media OFFLINE\\\n"
      "  >  |  3 |\n"
      "End\n"
      "||x|\n"
      "Display Dialog\n"
      "  > Welcome\n"
      "  >\n",
      "m.vscript", "m.vscript", s);
  ASSERT_EQ(s.size(), 5u);
  EXPECT_EQ(s[0].command, "Comment");
  EXPECT_EQ(s[0].parameters, (std::vector<std::string>{"first", "$"}));
  EXPECT_EQ(s[0].where.line, 2);
  EXPECT_EQ(s[1].command, "Terminate with Exit Code");
  EXPECT_EQ(s[1].marker, "C");
  EXPECT_EQ(s[1].identifier, "{0A}");
  EXPECT_EQ(s[1].header, "1F");
  EXPECT_EQ(s[1].media, "OFFLINE\\");
  EXPECT_EQ(s[1].parameters, (std::vector<std::string>{"  3 "}));
  EXPECT_TRUE(s[2].parameters.empty());
  EXPECT_EQ(s[3].command, "|x");
  EXPECT_EQ(s[4].parameters, (std::vector<std::string>{"Welcome", ""}));
  EXPECT_EQ(s[4].where.line, 15);
}

TEST(ScriptParserTest, ErrorsNameTheLine) {
  struct Case {
    const char* text;
    int line;
    const char* message;
  } cases[] = {
      {"# c\n  > value\n", 2, "a parameter line must follow a command line"},
      {"@off\n", 1, "an attribute line must follow a command line"},
      {"Comment\n  @colour red\n", 2, "unknown attribute: @colour"},
      {"Comment\n  @off yes\n", 2, "@off takes no value"},
      {"If\n|broken\n", 2, "malformed command name: a quoted name ends with \"|\""},
      {"Create Folder\n  @package-digest 0123456789abcdef\n", 2,
       "@package-digest takes 16 upper-case hex digits"},
      {"Create Folder\n  @package-digest 0123456789ABCDE\n", 2,
       "@package-digest takes 16 upper-case hex digits"},
  };
  for (const Case& c : cases) {
    std::vector<Statement> s;
    try {
      ParseScriptText(c.text, "m.vscript", "m.vscript", s);
      ADD_FAILURE() << "no error for: " << c.text;
    } catch (const ProjectError& e) {
      EXPECT_EQ(e.Where().file, "m.vscript");
      EXPECT_EQ(e.Where().line, c.line) << c.text;
      EXPECT_EQ(e.Message(), c.message) << c.text;
    }
  }
}

TEST(ScriptParserTest, WrittenScriptReadsBack) {
  std::vector<Statement> in(3);
  in[0].command = "Comment";
  in[0].parameters = {" lead", "$", "", "|bars|", "$NAME$"};
  in[1].command = " odd name";
  in[1].marker = "X";
  in[2].command = "End";
  in[2].marker = "C";
  in[2].identifier = "{0A}";
  in[2].header = "21F1A76D";
  in[2].packageDigest = "0123456789ABCDEF";
  std::vector<Statement> out;
  ParseScriptText(FormatScriptText(in), "m", "m", out);
  ASSERT_EQ(out.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(out[i].command, in[i].command);
    EXPECT_EQ(out[i].parameters, in[i].parameters);
    EXPECT_EQ(out[i].marker, in[i].marker);
    EXPECT_EQ(out[i].identifier, in[i].identifier);
    EXPECT_EQ(out[i].header, in[i].header);
    EXPECT_EQ(out[i].packageDigest, in[i].packageDigest);
  }
}

TEST(LoadProjectTest, MissingFilesAreNamed) {
  namespace fs = std::filesystem;
  fs::path dir =
      fs::temp_directory_path() /
      ("author_load_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  fs::create_directories(dir);
  {
    std::ofstream(dir / "p.vproj") << "title = t\n\nscript = main.vscript\nscript = gone.vscript\n";
    std::ofstream(dir / "main.vscript") << "Comment\n  > hi\n";
  }
  try {
    LoadProject(dir / "p.vproj");
    ADD_FAILURE() << "no error";
  } catch (const ProjectError& e) {
    EXPECT_EQ(e.Where().file, (dir / "p.vproj").string());
    EXPECT_EQ(e.Where().line, 4);
    EXPECT_EQ(e.Message(), "script file not found: " + (dir / "gone.vscript").string());
  }
  try {
    LoadProject(dir / "none.vproj");
    ADD_FAILURE() << "no error";
  } catch (const ProjectError& e) {
    EXPECT_EQ(e.Message(), "project file not found");
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace vantrell::authoring
