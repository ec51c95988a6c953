// "If" conditions for every code, versions, the expression language and its
// syntax test, the "Evaluate Expression" statement and strict integers.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "common/engine_error.h"
#include "vars/conditions.h"

namespace vantrell {
namespace {

struct ConditionCase {
  const char* what;
  std::optional<std::string> x;  // value of X; nullopt: X is absent
  const char* line1;
  const char* code;
  const char* line3;
  const char* line4;
  bool holds;
};

void CheckConditions(const std::vector<ConditionCase>& cases, AnsiUpperCase upper) {
  for (const ConditionCase& c : cases) {
    TVariableManager store;
    store.PutVariable("Y", "7");
    store.PutVariable("TARGETDIR", "C:\\App");
    if (c.x) store.PutVariable("X", *c.x);
    ConditionLines lines{c.line1, c.code, c.line3, c.line4};
    EXPECT_EQ(ConditionHolds(lines, store, upper), c.holds) << c.what;
  }
}

TEST(Conditions, EveryCode) {
  CheckConditions(
      {
          {"0 integers", "05", "X", "0", "5", "TRUE", true},
          {"0 text", "5a", "X", "0", "5", "TRUE", false},
          {"0 reference form", "05", "$X$", "0", "5", "TRUE", true},
          {"0 hex and blanks", "$10", "X", "0", " +16", "TRUE", true},
          {"0 case matters", "abc", "X", "0", "ABC", "TRUE", false},
          {"0 absent is empty", std::nullopt, "X", "0", "", "TRUE", true},
          {"0 value expanded again", "$Y$", "X", "0", "7", "TRUE", true},
          {"0 line 3 expanded", "7", "X", "0", "$Y$", "TRUE", true},
          {"0 beyond 32 bits is text", "4294967301", "X", "0", "5", "TRUE", false},
          {"1 contains", "hello", "X", "1", "ell", "TRUE", true},
          {"1 case-sensitive", "hello", "X", "1", "ELL", "TRUE", false},
          {"1 empty never occurs", "hello", "X", "1", "", "TRUE", false},
          {"1 empty negated", "hello", "X", "1", "", "FALSE", true},
          {"1 integers test equality", "12", "X", "1", "1", "TRUE", false},
          {"1 integers equal", "12", "X", "1", "$C", "TRUE", true},
          {"2 integers", "10", "X", "2", "9", "TRUE", true},
          {"2 text", "10", "X", "2", "9x", "TRUE", false},
          {"2 text, 9 after 1", "9", "X", "2", "10a", "TRUE", true},
          {"2 signed", "-1", "X", "2", "-2", "TRUE", true},
          {"2 prefix orders first", "abc", "X", "2", "ab", "TRUE", true},
          {"2 bytes unsigned", "\xE9", "X", "2", "z", "TRUE", true},
          {"2 equal is not greater", "b", "X", "2", "b", "TRUE", false},
          {"3 contains ignoring case", "Hello", "X", "3", "ELL", "TRUE", true},
          {"3 empty never occurs", "Hello", "X", "3", "", "TRUE", false},
          {"3 integers", "0x0A", "X", "3", "10", "TRUE", true},
          {"4 ignoring case", "abc", "X", "4", "ABC", "TRUE", true},
          {"4 length matters", "abc", "X", "4", "ABCD", "TRUE", false},
          {"4 accents are not folded", "\xE9", "X", "4", "\xC9", "TRUE", false},
          {"5 present", "", "X", "5", "", "TRUE", true},
          {"5 absent", std::nullopt, "X", "5", "", "TRUE", false},
          {"5 absent negated", std::nullopt, "X", "5", "", "FALSE", true},
          {"5 name taken literally", "1", "TARGETDIR", "5", "", "TRUE", true},
          {"5 reference marks are part of the name", "1", "$TARGETDIR$", "5", "", "TRUE", false},
          {"6 version greater", "2.0.1", "X", "6", "2.0", "TRUE", true},
          {"6 version equal", "2.0", "X", "6", "2.0.0.0", "TRUE", false},
          {"6 fields compare as numbers", "1.10", "X", "6", "1.9", "TRUE", true},
      },
      AsciiUpperCase);
}

TEST(Conditions, ExpectedOutcomeAndBadCodes) {
  CheckConditions(
      {
          {"-1 is true", "a", "X", "0", "a", "-1", true},
          {"true in any case", "a", "X", "0", "a", "tRuE", true},
          {"1 is false", "a", "X", "0", "a", "1", false},
          {"empty is false", "a", "X", "0", "b", "", true},
          {"code 7", "a", "X", "7", "a", "TRUE", false},
          {"code 7 negated", "a", "X", "7", "a", "FALSE", true},
          {"code empty", "a", "X", "", "a", "TRUE", false},
          {"code 05", "a", "X", "05", "a", "TRUE", false},
          {"code with blank", "a", "X", " 0", "a", "TRUE", false},
      },
      AsciiUpperCase);
}

TEST(Conditions, CodeThreeUsesTheInjectedUpperCase) {
  // A Latin-1 style mapping: accented small letters have capitals 32 below.
  AnsiUpperCase latin1 = [](char* text, size_t length) {
    for (size_t i = 0; i < length; ++i) {
      auto c = static_cast<unsigned char>(text[i]);
      if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) {
        text[i] = static_cast<char>(c - 32);
      }
    }
  };
  std::vector<ConditionCase> cases = {
      {"accented", "caf\xE9", "X", "3", "CAF\xC9", "TRUE", true},
      {"plain", "cafe", "X", "3", "AFE", "TRUE", true},
  };
  CheckConditions(cases, latin1);
  cases[0].holds = false;  // the portable default folds a to z only
  CheckConditions(cases, AsciiUpperCase);
}

TEST(Versions, Compare) {
  struct Case {
    const char* a;
    const char* b;
    bool greater;
  } cases[] = {
      {"2.0.1", "2.0", true},
      {"2.0", "2.0.0.0", false},
      {"2.0.0.0", "2.0", false},
      {"10.0", "9.9.9.9", true},
      {"9.9.9.9", "10.0", false},
      {"1.2.3.4.5", "1.2.3.4", false},
      {"1.2.3.4.5", "1.2.3.3", true},
      {"1.2.3.5", "1.2.3.4.9", true},
      {"", "0", false},
      {"1", "", true},
      {"1.2.x", "1.2", false},
      {"1.2.x", "1.1.9", true},
      {"1.x.3", "1.0.2", true},  // a bad field before the last counts as 0
      {"1.-1", "1.0", false},
      {"01.2", "1.2", false},
      {"1..2", "1.0.1", true},
      {"1.2.", "1.2", false},
      {"3", "2.99", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CompareVersions(c.a, c.b), c.greater) << c.a << " > " << c.b;
}

TEST(Expressions, Evaluate) {
  struct Case {
    std::string text;
    const char* result;
  } cases[] = {
      {R"("a" = "a")", "TRUE"},
      {R"("a" = "A")", "FALSE"},
      {R"("10" < "9")", "TRUE"},
      {R"("a"="a" and "b"="c")", "FALSE"},
      {R"("a"="b" or "c"="c" and "d"="e")", "FALSE"},
      {R"("a"="b" or ("c"="c" and "d"="d"))", "TRUE"},
      {R"("a" = "a" AND "b" = "b")", "ERROR"},
      {R"("a" = "a" xor "b" = "b")", "ERROR"},
      {R"("a" == "a")", "ERROR"},
      {R"("a" = "a"))", "ERROR"},
      {R"(("a" = "a")", "ERROR"},
      {"", "ERROR"},
      {R"("a")", "ERROR"},
      {R"("a"="a" and)", "ERROR"},
      {R"("""" = """")", "TRUE"},
      {R"("a" <> "b")", "TRUE"},
      {R"("a" <= "a")", "TRUE"},
      {R"("b" >= "a")", "TRUE"},
      {R"("b" > "a")", "TRUE"},
      {R"("ab" < "a")", "FALSE"},
      {"\"\xE9\" > \"z\"", "TRUE"},  // bytes compare unsigned
      {R"("" = "")", "TRUE"},
      {R"(  "a"="a"  )", "TRUE"},
      {R"("a"="a"and "b"="b")", "TRUE"},  // a connective may follow a string directly
      {R"("a"="a" and"b"="b")", "TRUE"},
      {R"("a" = "a" and("b"="b"))", "ERROR"},  // "and(" is one word
      {R"("a"="a" or "b"="c" and "c"="c")", "TRUE"},
      {R"(("a"="b") or ("b"="b"))", "TRUE"},
      {R"((("a"="a")))", "TRUE"},
      {"()", "ERROR"},
      {R"("a"="a" "b"="b")", "ERROR"},  // no connective
      {"\"a\"\t=\t\"a\"", "ERROR"},     // only code 32 is a blank
      {R"("unterminated = "x)", "ERROR"},
      {R"("a" = "a" )(")", "ERROR"},
      {R"("a" = b)", "ERROR"},
      {R"(("a"="a") and ("b"="b")))", "ERROR"},
      {R"(("a"="a" and ("b"="b"))", "ERROR"},
  };
  for (const Case& c : cases) EXPECT_EQ(EvaluateExpression(c.text), c.result) << c.text;
}

TEST(Expressions, DeepNestingNeedsNoCallStack) {
  const size_t depth = 200000;
  std::string text = std::string(depth, '(') + "\"a\"=\"a\"" + std::string(depth, ')');
  EXPECT_EQ(EvaluateExpression(text), "TRUE");
  EXPECT_EQ(EvaluateExpression(std::string(depth, '(')), "ERROR");
}

TEST(Expressions, SyntaxOk) {
  struct Case {
    const char* text;
    bool ok;
  } cases[] = {
      {R"($A$ <> "" and ($B$ = "x" or $C$ > "5"))", true},
      {R"($A$ = 1)", false},
      {R"($A$ = "TRUE")", true},
      {R"($A$)", false},
      {"", false},
      {R"($A$ = $B$ or)", false},
      {R"("$" = "x")", false},  // the "$" becomes a quote and breaks the string
  };
  for (const Case& c : cases) EXPECT_EQ(ExpressionSyntaxOk(c.text), c.ok) << c.text;
}

TEST(Expressions, Statement) {
  struct Case {
    const char* what;
    std::optional<std::string> a;
    const char* result;
  } cases[] = {
      {"holds", "1", "TRUE"},
      {"fails", "2", "FALSE"},
      {"absent variable", std::nullopt, "ERROR"},
      {"value with a quote", "1\"", "ERROR"},
  };
  for (const Case& c : cases) {
    TVariableManager store;
    if (c.a) store.PutVariable("A", *c.a);
    RunEvaluateExpression(R"($A$ = "1")", "res", store);
    std::vector<std::string> list;
    store.ListVariables(list);
    EXPECT_NE(std::find(list.begin(), list.end(), "RES"), list.end()) << c.what;
    EXPECT_EQ(store.GetVariable("RES"), c.result) << c.what;
  }
}

TEST(Expressions, StatementKeepsACommandLineResultInSilentRuns) {
  TVariableManager store;
  store.SetSilent(true);
  store.SetOverrideList({"RES", "fixed"});
  store.PutVariable("RES", "fixed");
  RunEvaluateExpression(R"("a" = "a")", "RES", store);
  EXPECT_EQ(store.GetVariable("RES"), "fixed");
}

TEST(IntegerText, ThirtyTwoBits) {
  struct Case {
    const char* text;
    std::optional<int32_t> value;
  } cases[] = {
      {"0", 0},
      {"42", 42},
      {"  42", 42},
      {"-7", -7},
      {"+7", 7},
      {" -5", -5},
      {"05", 5},
      {"$1F", 31},
      {"x1f", 31},
      {"X1F", 31},
      {"0x1F", 31},
      {"0X1f", 31},
      {"-$10", -16},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"$FFFFFFFF", -1},  // a hexadecimal bit pattern
      {"$7FFFFFFF", INT32_MAX},
      {"2147483648", std::nullopt},
      {"-2147483649", std::nullopt},
      {"$100000000", std::nullopt},
      {"", std::nullopt},
      {" ", std::nullopt},
      {"-", std::nullopt},
      {"$", std::nullopt},
      {"0x", std::nullopt},
      {"1 ", std::nullopt},
      {"1a", std::nullopt},
      {"- 5", std::nullopt},
      {"1.0", std::nullopt},
      {"\t1", std::nullopt},
      {"$-5", std::nullopt},
      {"0x-5", std::nullopt},
      {"++1", std::nullopt},
  };
  for (const Case& c : cases) {
    int32_t value = 12345;
    bool ok = TryStrToInt(c.text, value);
    EXPECT_EQ(ok, c.value.has_value()) << "'" << c.text << "'";
    if (ok && c.value) {
      EXPECT_EQ(value, *c.value) << c.text;
    }
    EXPECT_EQ(StrToIntDef(c.text, -99), c.value.value_or(-99)) << c.text;
  }
}

TEST(IntegerText, SixtyFourBits) {
  struct Case {
    const char* text;
    std::optional<int64_t> value;
  } cases[] = {
      {"9223372036854775807", INT64_MAX},
      {"-9223372036854775808", INT64_MIN},
      {"9223372036854775808", std::nullopt},
      {"4294967296", 4294967296LL},
      {"$FFFFFFFFFFFFFFFF", -1},
      {"0x10000000000000000", std::nullopt},
      {"abc", std::nullopt},
  };
  for (const Case& c : cases) {
    int64_t value = 0;
    bool ok = TryStrToInt64(c.text, value);
    EXPECT_EQ(ok, c.value.has_value()) << c.text;
    if (ok && c.value) {
      EXPECT_EQ(value, *c.value) << c.text;
    }
  }
}

TEST(IntegerText, StrictConversionRaises) {
  EXPECT_EQ(StrToIntStrict(" $FF"), 255);
  EXPECT_EQ(StrToInt64Strict("-12"), -12);
  for (const char* bad : {"abc", "", "1 "}) {
    try {
      StrToIntStrict(bad);
      ADD_FAILURE() << bad;
    } catch (const EngineError& e) {
      EXPECT_EQ(std::string(e.what()), "'" + std::string(bad) + "' is not a valid integer value");
    }
  }
  EXPECT_THROW(StrToInt64Strict("x"), EngineError);
}

}  // namespace
}  // namespace vantrell
