// "$NAME$" expansion: scanning rules, quoted and path forms, and the bounds
// that keep self-referring values finite.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "vars/variable_manager.h"

namespace vantrell {
namespace {

using Vars = std::vector<std::pair<std::string, std::string>>;

void Fill(TVariableManager& store, const Vars& vars) {
  for (const auto& [name, value] : vars) store.PutVariable(name, value);
}

const Vars kCommon = {
    {"A", "x$B$y"},  {"B", "1"},      {"TARGETDIR", "C:\\App\\"},
    {"EMPTY", ""},   {"SPLIT", "$B"},  // forms a reference with the text that follows it
    {"DOLLAR", "$"}, {"REF", "$B$"},
};

TEST(Expansion, Plain) {
  struct Case {
    const char* text;
    const char* want;
  } cases[] = {
      {"no references at all", "no references at all"},
      {"", ""},
      {"[$A$]", "[x1y]"},
      {"$UNKNOWN$ and $TARGETDIR$", "$UNKNOWN$ and C:\\App\\"},
      {"5$ and $TARGETDIR$", "5$ and C:\\App\\"},  // "$ and $" is tried as a name
      {"a$b", "a$b"},
      {"$$", "$$"},
      {"$", "$"},
      {"$$B$", "$1"},
      {"$B$$B$", "11"},
      {"$b$", "1"},
      {"<$EMPTY$>", "<>"},
      {"$SPLIT$$", "1"},
      {"$DOLLAR$B$", "1"},  // the inserted "$" opens the next reference
      {"$REF$REF$", "1REF$"},
      {"$B", "$B"},
      {"$NEWLINE$", "$NEWLINE$"},  // only a variable makes it a line break
  };
  TVariableManager store;
  Fill(store, kCommon);
  for (const Case& c : cases) EXPECT_EQ(store.ExpandVariables(c.text), c.want) << c.text;
}

TEST(Expansion, Quoted) {
  struct Case {
    const char* text;
    const char* want;
  } cases[] = {
      {"$B$ = \"1\"", "\"1\" = \"1\""},
      {"$NOPE$ = \"1\"", "$NOPE$ = \"1\""},  // absent stays unquoted
      {"$EMPTY$", "\"\""},
      {"$Q$", "\"a\"b\""},     // quotes inside are not doubled
      {"$REF$", "\"\"1\"\""},  // the inserted value is scanned again, quoted again
  };
  TVariableManager store;
  Fill(store, kCommon);
  store.PutVariable("Q", "a\"b");
  for (const Case& c : cases) EXPECT_EQ(store.ExpandVariablesQuoted(c.text), c.want) << c.text;
}

TEST(Expansion, Path) {
  struct Case {
    const char* targetdir;
    const char* text;
    const char* want;
  } cases[] = {
      {"C:\\App\\", "$TARGETDIR$\\bin", "C:\\App\\bin"},
      {"C:\\App", "$TARGETDIR$\\bin", "C:\\App\\bin"},
      {"\\\\srv\\share\\", "$TARGETDIR$\\bin", "\\\\srv\\share\\bin"},
      {"", "a\\\\\\b", "a\\\\b"},    // three become two
      {"", "a\\\\\\\\b", "a\\\\b"},  // four become two
      {"", "\\\\\\x", "\\\\\\x"},    // leading pair kept, then one more
      {"", "\\x\\\\", "\\x\\"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    TVariableManager store;
    store.PutVariable("TARGETDIR", c.targetdir);
    EXPECT_EQ(store.ExpandPath(c.text), c.want) << c.text;
  }
}

TEST(Expansion, SelfReferenceIsLeftAsWritten) {
  struct Case {
    const char* what;
    Vars vars;
    const char* text;
    const char* want;
  } cases[] = {
      {"direct", {{"A", "$A$"}}, "<$A$>", "<$A$>"},
      {"growing", {{"A", "$A$$A$"}}, "$A$", "$A$$A$"},
      {"wrapped", {{"A", "x$A$y"}}, "$A$", "x$A$y"},
      {"through another", {{"A", "$B$"}, {"B", "$A$"}}, "$A$ $B$", "$A$ $B$"},
      {"growing through another", {{"A", "$B$$B$"}, {"B", "-$A$"}}, "$A$", "-$A$-$A$"},
      {"case of the name", {{"A", "$a$"}}, "$A$", "$a$"},
      // Not a cycle: the reference ends outside the value, and the text runs out.
      {"straddling", {{"A", "$A"}}, "$A$$", "$A"},
      {"last reference of a value", {{"A", "x$B$"}, {"B", "y$A$"}}, "$A$", "xy$A$"},
      {"through a value that ends", {{"A", "$B$$B$"}, {"C", "$A$"}, {"B", "$C$"}}, "$A$", "$A$$A$"},
      {"same name side by side", {{"A", "1"}, {"B", "$A$$A$"}}, "$B$$B$", "1111"},
  };
  for (const Case& c : cases) {
    TVariableManager store;
    Fill(store, c.vars);
    EXPECT_EQ(store.ExpandVariables(c.text), c.want) << c.what;
  }
}

TEST(Expansion, LimitsLeaveTheRestAsWritten) {
  struct Case {
    size_t maxReplacements;
    size_t maxLength;
    const char* text;
    const char* want;
  } cases[] = {
      {2, 1000, "$B$$B$$B$", "12341234$B$"}, {0, 1000, "x$B$", "x$B$"},
      {100, 6, "$B$$B$", "$B$$B$"},          {100, 7, "$B$$B$", "1234$B$"},
      {100, 8, "$B$$B$", "12341234"},
  };
  for (const Case& c : cases) {
    TVariableManager store;
    store.PutVariable("B", "1234");
    store.SetExpansionLimits(c.maxReplacements, c.maxLength);
    EXPECT_EQ(store.ExpandVariables(c.text), c.want) << c.text;
  }
}

TEST(Expansion, DoublingChainStopsAtTheDefaultLengthBound) {
  // No cycle, but each level doubles: 2^20 copies of a 1 MiB value if nothing stopped it.
  TVariableManager store;
  store.PutVariable("V0", std::string(1 << 20, 'x'));
  for (int i = 1; i <= 20; ++i) {
    std::string inner = "$V" + std::to_string(i - 1) + "$";
    store.PutVariable("V" + std::to_string(i), inner + inner);
  }
  std::string out = store.ExpandVariables("$V20$");
  EXPECT_LE(out.size(), TVariableManager::kDefaultMaxExpandedLength);
  EXPECT_GE(out.size(), TVariableManager::kDefaultMaxExpandedLength / 2);
  EXPECT_EQ(out.find_first_not_of('x'), out.find("$V"));  // whole values, then references
}

}  // namespace
}  // namespace vantrell
