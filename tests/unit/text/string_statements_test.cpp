// "Set Variable", "Parse String", "Replace String", "Convert Case",
// "Convert Path", "Extract Path" and "Mathematics" run as the interpreter
// runs them, with the twin's Latin-1 letter case and file names.
#include <gtest/gtest.h>

#include "common/engine_error.h"
#include "common/target_platform.h"
#include "text/text_statement_test.h"

namespace vantrell {
namespace {

using testing::TextStatementTest;

class SetVariableTest : public TextStatementTest {};

TEST_F(SetVariableTest, NameFormsAndKeepMarker) {
  struct Case {
    std::string line1, line2, name, value;
    std::vector<std::string> kept;
  };
  const std::vector<Case> cases = {
      {"RESULT$VELD$VELD$TRUE", "x", "RESULT", "x", {"RESULT"}},
      {"RESULT$VELD$VELD$true", "x", "RESULT", "x", {}},
      {"$RESULT$", "y", "RESULT", "y", {}},
      {"$R$$VELD$VELD$TRUE", "z", "R", "z", {"R"}},
      {"Mixed", "$A$-b", "MIXED", "1-b", {}},
      {"X$VELD$VELD$", "w", "X", "w", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line1);
    vars.ClearVariables();
    vars.ClearPersistentVariables();
    vars.PutVariable("A", "1");
    Run("Set Variable", {c.line1, c.line2});
    EXPECT_EQ(Get(c.name), c.value);
    EXPECT_EQ(vars.PersistentVariables(), c.kept);
  }
}

TEST_F(SetVariableTest, KeptOnceIgnoringCase) {
  Run("Set Variable", {"Keep$VELD$VELD$TRUE", "1"});
  Run("Set Variable", {"KEEP$VELD$VELD$TRUE", "2"});
  EXPECT_EQ(vars.PersistentVariables().size(), 1u);
  EXPECT_EQ(Get("keep"), "2");
}

TEST_F(SetVariableTest, ProgressRefreshesTheDisplay) {
  std::vector<std::pair<std::string, int32_t>> shown;
  options.refreshProgress = [&shown](const std::string& text, int32_t position) {
    shown.emplace_back(text, position);
  };
  Register();
  vars.PutVariable("PROGRESS", "0");
  Run("Set Variable", {"PROGRESSTEXT", "Copying"});
  Run("Set Variable", {"$progress$", "40"});
  Run("Set Variable", {"OTHER", "5"});
  const std::vector<std::pair<std::string, int32_t>> want = {{"Copying", 0}, {"Copying", 40}};
  EXPECT_EQ(shown, want);
}

TEST_F(SetVariableTest, NonIntegerProgressFailsAfterAssigning) {
  EXPECT_THROW(Run("Set Variable", {"PROGRESS", "half"}), EngineError);
  EXPECT_EQ(Get("PROGRESS"), "half");
  EXPECT_THROW(Run("Set Variable", {"ProgressText", "t"}), EngineError);
  EXPECT_EQ(Get("PROGRESSTEXT"), "t");
}

TEST_F(SetVariableTest, TranslationIsExpanded) {
  options.translate = [](const std::string& identifier, int slot,
                         const std::string& text) -> std::optional<std::string> {
    if (slot != 1 || identifier != testing::ScriptBuilder::Identifier(0)) return std::nullopt;
    return "T:" + text + ":$A$";
  };
  Register();
  vars.PutVariable("A", "1");
  Run("Set Variable", {"V", "v$A$"});
  EXPECT_EQ(Get("V"), "T:v1:1");
}

class ParseStringTest : public TextStatementTest {};

TEST_F(ParseStringTest, Modes) {
  struct Case {
    std::string source, delimiter, mode, trim, ignore, first, second;
  };
  const std::vector<Case> cases = {
      {"a,b,c", ",", "0", "", "", "a", "b,c"},
      {"a,b,c", ",", "1", "", "", "a,b", "c"},
      {"a,b,c", ";", "0", "", "", "a,b,c", ""},
      {"a,b,c", ";", "1", "", "", "", "a,b,c"},
      {"a,,b", ",,", "0", "", "", "a", "b"},
      {"abc", "", "0", "", "", "abc", ""},
      {"abc", "", "1", "", "", "", "abc"},
      {"abcdef", "2", "2", "", "", "ab", "cdef"},
      {"abcdef", "2", "3", "", "", "abcd", "ef"},
      {"abcdef", "0", "2", "", "", "", "abcdef"},
      {"abcdef", "6", "3", "", "", "", "abcdef"},
      {"abcdef", "0", "3", "", "", "abcdef", ""},
      {"abcdef", "x", "2", "", "", "", ""},
      {"abcdef", "x", "3", "", "", "", ""},
      {"abcdef", "10", "2", "", "", "abcdef", ""},
      {"abcdef", "-2", "2", "", "", "", "abcdef"},
      {"abcdef", "10", "3", "", "", "", "abcdef"},
      {"abcdef", "2", "7", "", "", "", ""},
      {"aBc", "b", "0", "", "TRUE", "a", "c"},
      {"aBc", "b", "0", "", "", "aBc", ""},
      {"x\xC9y\xC9z", "\xE9", "1", "", "-1", "x\xC9y", "z"},
      {"C:\\\\dir", "\\", "0", "", "", "C:", "dir"},
      {" a , b\t", ",", "0", "TRUE", "", "a", "b"},
      {" a , b\t", ",", "0", "FALSE", "", " a ", " b\t"},
      {"$S$", ",", "0", "", "", "p", "q"},
      {"", ",", "0", "", "", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source + " / " + c.delimiter + " / " + c.mode);
    vars.ClearVariables();
    vars.PutVariable("S", "p,q");
    Run("Parse String", {c.source, c.delimiter, "First", "$Second", c.mode, c.trim, c.ignore});
    EXPECT_EQ(Get("FIRST"), c.first);
    EXPECT_EQ(Get("$SECOND"), c.second);
  }
}

TEST_F(ParseStringTest, ResultsUnderUpperCaseNames) {
  vars.ClearVariables();
  Run("Parse String", {"a,b", ",", "left", "", "0", "", ""});
  std::vector<std::string> list;
  vars.ListVariables(list);
  EXPECT_EQ(list, (std::vector<std::string>{"LEFT", "a"}));
}

TEST_F(ParseStringTest, BadModeFailsAfterDeclaring) {
  EXPECT_THROW(Run("Parse String", {"a,b", ",", "L", "R", "zero", "", ""}), EngineError);
  EXPECT_TRUE(vars.VariableExists("L"));
  EXPECT_TRUE(vars.VariableExists("R"));
  EXPECT_EQ(Get("L"), "");
}

class ReplaceStringTest : public TextStatementTest {};

TEST_F(ReplaceStringTest, Replacements) {
  struct Case {
    std::string value, find, replacement, ignore, all, want;
  };
  const std::vector<Case> cases = {
      {"aaa", "a", "b", "", "", "baa"},
      {"aaa", "a", "b", "", "TRUE", "bbb"},
      {"aaa", "A", "b", "TRUE", "TRUE", "bbb"},
      {"aaa", "A", "b", "", "TRUE", "aaa"},
      {"AbcABC", "abc", "x", "TRUE", "TRUE", "xx"},
      {"Hello hello", "HELLO", "x", "TRUE", "", "x hello"},
      {"abab", "ab", "ba", "", "TRUE", "baba"},
      {"aa", "a", "aa", "", "TRUE", "aaaa"},
      {"", "a", "b", "", "TRUE", ""},
      {"ab", "abc", "x", "", "TRUE", "ab"},
      {"ab", "", "x", "", "TRUE", "ab"},
      {"$A$a", "a", "b", "", "", "$A$b"},
      {"x$NEWLINE$y", "$NEWLINE$", "-", "", "", "x-y"},
      {"x-y", "-", "$NEWLINE$", "", "", "x$NEWLINE$y"},
      {"\xE9t\xC9", "\xC9", "E", "TRUE", "TRUE", "EtE"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value + " / " + c.find);
    vars.PutVariable("A", "zzz");
    vars.PutVariable("V", c.value);
    Run("Replace String", {"$V$", c.find, c.replacement, c.ignore, c.all});
    EXPECT_EQ(Get("V"), c.want);
  }
}

TEST_F(ReplaceStringTest, GrowthStopsAtTheLimit) {
  options.maxReplaceBytes = 10;
  Register();
  vars.PutVariable("V", "aaaa");
  Run("Replace String", {"V", "a", "xxx", "", "TRUE"});
  EXPECT_EQ(Get("V"), "xxxxxxxxxa");
}

class ConvertCaseTest : public TextStatementTest {};

TEST_F(ConvertCaseTest, CodePageCaseOfThePathExpandedValue) {
  struct Case {
    std::string value, upper, want;
  };
  const std::vector<Case> cases = {
      {"a\\\\b", "TRUE", "A\\B"},
      {"\xC0"
       "Bc",
       "",
       "\xE0"
       "bc"},
      {"x$W$", "-1", "XQ"},
      {"\\\\srv\\\\d", "FALSE", "\\\\srv\\d"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    vars.PutVariable("W", "q");
    vars.PutVariable("V", c.value);
    Run("Convert Case", {"V", c.upper});
    EXPECT_EQ(Get("V"), c.want);
  }
}

class ExtractPathTest : public TextStatementTest {};

TEST_F(ExtractPathTest, Selectors) {
  const std::string path = "C:\\dir\\sub\\file.tar.gz";
  struct Case {
    std::string value, selector, want;
  };
  const std::vector<Case> cases = {
      {path, "0", "file.tar.gz"},
      {path, "1", "file.tar"},
      {path, "2", "gz"},
      {path, "3", "C:\\dir\\sub\\"},
      {path, "4", "C:\\dir\\"},
      {path, "5", "C:\\"},
      {path, "6", path},
      {path, "7", path},
      {path, "-1", path},
      {"a.gz.gz", "1", "a.gz"},
      {"file", "1", "file"},
      {"file", "2", ""},
      {"file", "3", ""},
      {"file", "4", "\\"},
      {"C:", "3", "C:\\"},
      {"C:\\", "4", "C:\\"},
      {"C:file.txt", "0", "file.txt"},
      {"\\\\srv\\share\\d\\f.txt", "5", "\\\\srv\\share\\"},
      {"\\\\srv\\share", "5", "\\\\srv\\share\\"},
      {"\\\\srv\\\\x", "6", "\\srv\\x"},
      {"rel\\x", "5", "\\"},
      {"d.x\\file", "2", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value + " / " + c.selector);
    vars.PutVariable("P", c.value);
    Run("Extract Path", {"P", c.selector});
    EXPECT_EQ(Get("P"), c.want);
  }
}

TEST_F(ExtractPathTest, BadSelectorFailsAndKeepsTheValue) {
  vars.PutVariable("P", "C:\\a\\b");
  EXPECT_THROW(Run("Extract Path", {"P", "file"}), EngineError);
  EXPECT_EQ(Get("P"), "C:\\a\\b");
}

class MathematicsTest : public TextStatementTest {};

TEST_F(MathematicsTest, Operations) {
  struct Case {
    std::string a, b, op, want;
  };
  const std::string min = "-9223372036854775808";
  const std::vector<Case> cases = {
      {"7", "2", "3", "3"},
      {"-7", "2", "3", "-3"},
      {"-7", "2", "4", "-1"},
      {"7", "-2", "4", "1"},
      {"1", "0", "3", ""},
      {"1", "0", "4", ""},
      {"65", "", "12", "A"},
      {"A", "", "11", "65"},
      {"\xE9t", "", "11", "233"},
      {"", "", "11", ""},
      {"-1", "", "12", "\xFF"},
      {"256", "", "12", std::string(1, '\0')},
      {"2", "3", "0", "5"},
      {"2", "3", "1", "-1"},
      {"-4", "3", "2", "-12"},
      {"9223372036854775807", "1", "0", min},
      {min, "1", "1", "9223372036854775807"},
      {"4294967296", "4294967296", "2", "0"},
      {min, "-1", "3", min},
      {min, "-1", "4", "0"},
      {"12", "10", "5", "8"},
      {"12", "10", "6", "14"},
      {"12", "10", "7", "6"},
      {"1", "63", "8", min},
      {"-1", "60", "9", "15"},
      {"1", "64", "8", ""},
      {"1", "-1", "9", ""},
      {"0", "", "10", "-1"},
      {"1", "junk", "10", "-2"},
      {"$10", "0x10", "0", "32"},
      {" 5", "+5", "0", "10"},
      {"x", "1", "0", ""},
      {"1", "x", "0", ""},
      {"1", "", "0", ""},
      {"1", "1", "x", ""},
      {"1", "1", "16", ""},
      {"1", "1", "-1", ""},
      {"9223372036854775808", "1", "0", ""},
      {"$X$", "$X$", "2", "25"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.a + " " + c.op + " " + c.b);
    vars.PutVariable("X", "5");
    Run("Mathematics", {c.a, c.b, c.op, "R"});
    EXPECT_EQ(Get("R"), c.want);
  }
}

TEST_F(MathematicsTest, OperatorLineIsNotExpanded) {
  vars.PutVariable("OP", "0");
  Run("Mathematics", {"1", "2", "$OP$", "R"});
  EXPECT_EQ(Get("R"), "");
  EXPECT_TRUE(vars.VariableExists("R"));
}

TEST_F(MathematicsTest, NumberGenerator) {
  struct Step {
    std::string a, b, op, want;
  };
  const std::vector<std::vector<Step>> sequences = {
      {{"3", "1", "13", "4"},
       {"1", "", "14", "1"},
       {"100", "", "15", "4"},
       {"100", "", "15", "13"},
       {"100", "", "15", "40"},
       {"100", "", "15", "21"}},
      // a zero divisor gives no result but still moves the seed
      {{"3", "1", "13", "4"}, {"1", "", "14", "1"}, {"0", "", "15", ""}, {"100", "", "15", "13"}},
      // remainders keep the sign of the next value
      {{"-1", "0", "13", "-1"}, {"5", "", "14", "5"}, {"3", "", "15", "-2"}, {"3", "", "15", "2"}},
      // 32-bit wrapping of the state
      {{"2147483648", "0", "13", "2147483648"},
       {"4294967297", "", "14", "1"},
       {"10", "", "15", "-8"},
       {"10", "", "15", "0"}},
  };
  for (size_t i = 0; i < sequences.size(); ++i) {
    SCOPED_TRACE(i);
    Register();  // a fresh generator
    for (const auto& step : sequences[i]) {
      Run("Mathematics", {step.a, step.b, step.op, "R"});
      EXPECT_EQ(Get("R"), step.want) << step.op << " " << step.a;
    }
  }
}

TEST_F(MathematicsTest, EmptyResultVariableIsFine) {
  vars.ClearVariables();
  Run("Mathematics", {"1", "2", "0", ""});
  std::vector<std::string> list;
  vars.ListVariables(list);
  EXPECT_TRUE(list.empty());
}

class ConvertPathTest : public TextStatementTest {
 protected:
  void SetUp() override {
    TextStatementTest::SetUp();
    system.AddFile("C:\\Program Files\\My App\\App.EXE", "x");
    system.AddFile("Notes.TXT", "relative");
    system.SetShortName("c:\\program files", "C:\\PROGRA~1");
  }
};

TEST_F(ConvertPathTest, LongForm) {
  struct Case {
    std::string value, want;
  };
  const std::vector<Case> cases = {
      {"c:\\program files\\my app\\app.exe", "c:\\Program Files\\My App\\App.EXE"},
      {"\"c:\\program files\\\"", "c:\\Program Files"},
      {"c:\\\\program files\\\\my app", "c:\\Program Files\\My App"},
      {"c:\\program files\\nothere.txt", "c:\\program files\\nothere.txt"},
      {"c:\\nothere\\my app", "c:\\nothere\\my app"},
      {"c:\\program files\\*", "c:\\program files\\*"},
      {"C:\\", "C:"},
      {"C:", "C:"},
      {"notes.txt", "Notes.TXT"},
      {"\\\\srv\\share\\x", "\\\\srv\\share\\x"},
      {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    vars.PutVariable("P", c.value);
    Run("Convert Path", {"P", "FALSE"});
    EXPECT_EQ(Get("P"), c.want);
  }
}

TEST_F(ConvertPathTest, DeepAndOverlongPathsComeBackUnchanged) {
  std::string deep;
  for (int i = 0; i < 2000; ++i) deep += "a\\";
  deep += "f";
  const std::string overlong = std::string(40000, 'x') + "\\y";
  for (const std::string& path : {deep, overlong}) {
    vars.PutVariable("P", path);
    Run("Convert Path", {"P", ""});
    EXPECT_EQ(Get("P"), path);
  }
}

TEST_F(ConvertPathTest, ShortForm) {
  vars.PutVariable("P", "c:\\program files");
  Run("Convert Path", {"P", "TRUE"});
  EXPECT_EQ(Get("P"), "C:\\PROGRA~1");
  vars.PutVariable("P", "c:\\none");
  Run("Convert Path", {"P", "TRUE"});
  EXPECT_EQ(Get("P"), "");
}

TEST(TargetPlatformTest, DefaultAndSet) {
  EXPECT_EQ(TargetPlatform(), "Win32");
  EXPECT_FALSE(TargetIs64Bit());
  for (const char* platform : {"x64", "ia64", "win32"}) {
    SetTargetPlatform(platform);
    EXPECT_EQ(TargetPlatform(), platform);
    EXPECT_TRUE(TargetIs64Bit());
  }
  SetTargetPlatform(kPlatformWin32);
  EXPECT_FALSE(TargetIs64Bit());
}

}  // namespace
}  // namespace vantrell
