// The variable store: names and case, the override rule, result variables,
// value conventions, the comma text exchange and the shared lock.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "vars/variable_manager.h"

namespace vantrell {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs Listed(const TVariableManager& store) {
  std::vector<std::string> list;
  store.ListVariables(list);
  Pairs pairs;
  for (size_t i = 0; i + 1 < list.size(); i += 2) pairs.emplace_back(list[i], list[i + 1]);
  std::sort(pairs.begin(), pairs.end());
  return pairs;
}

TEST(VariableStore, EmptyNamesAndAbsentVariables) {
  TVariableManager store;
  store.PutVariable("", "x");
  store.AssignVariable("", "x", "Set Variable Action");
  EXPECT_TRUE(Listed(store).empty());
  EXPECT_EQ(store.GetVariable(""), "");
  EXPECT_FALSE(store.VariableExists(""));

  EXPECT_EQ(store.GetVariable("ABSENT"), "");
  EXPECT_FALSE(store.VariableExists("ABSENT"));
  store.PutVariable("EMPTY", "");
  EXPECT_EQ(store.GetVariable("EMPTY"), "");
  EXPECT_TRUE(store.VariableExists("EMPTY"));
}

TEST(VariableStore, NamesIgnoreOnlyAsciiCase) {
  TVariableManager store;
  store.PutVariable("TARGETDIR", "C:\\A");
  store.PutVariable("targetdir", "C:\\B");
  store.PutVariable("\xC9T\xC9", "upper");
  store.PutVariable("\xE9T\xE9", "lower");
  EXPECT_EQ(Listed(store),
            (Pairs{{"TARGETDIR", "C:\\B"}, {"\xC9T\xC9", "upper"}, {"\xE9T\xE9", "lower"}}));
  EXPECT_EQ(store.GetVariable("TargetDir"), "C:\\B");
}

TEST(VariableStore, TableGrowsWithTheVariables) {
  TVariableManager store;
  EXPECT_EQ(store.BucketCount(), 0u);
  for (int i = 0; i < 65; ++i) {
    store.PutVariable("V" + std::to_string(i), "x");
    EXPECT_EQ(store.BucketCount(), i < 64 ? 32u : 64u) << i;
  }
  store.ClearVariables();
  EXPECT_EQ(store.BucketCount(), 0u);
  EXPECT_FALSE(store.VariableExists("V0"));
}

TEST(VariableStore, OverrideRule) {
  struct Case {
    const char* what;
    bool silent;
    std::vector<std::string> overrides;
    const char* name;  // assigned "new" after it was set to "old"
    const char* origin;
    const char* want;
  } cases[] = {
      {"silent run keeps the command-line value",
       true,
       {"TARGETDIR", "D:\\X"},
       "TARGETDIR",
       "Set Variable Action",
       "old"},
      {"name compared ignoring case",
       true,
       {"TARGETDIR", "D:\\X"},
       "targetDir",
       "Set Variable Action",
       "old"},
      {"interactive run ignores the list",
       false,
       {"TARGETDIR", "D:\\X"},
       "TARGETDIR",
       "Set Variable Action",
       "new"},
      {"injection always stores",
       true,
       {"TARGETDIR", "D:\\X"},
       "TARGETDIR",
       "Inject Override Command Line",
       "new"},
      {"a value item does not protect", true, {"A", "B"}, "B", "Set Variable Action", "new"},
      {"value first, name later protects",
       true,
       {"B", "A", "A", "1"},
       "A",
       "Set Variable Action",
       "old"},
      {"only a value item", true, {"X", "A", "Y", "2"}, "A", "Set Variable Action", "new"},
      {"other names are free",
       true,
       {"TARGETDIR", "D:\\X"},
       "ALLUSERS",
       "Set Variable Action",
       "new"},
      {"unpaired last name still counts", true, {"A", "1", "B"}, "B", "Initialization", "old"},
  };
  for (const Case& c : cases) {
    TVariableManager store;
    store.SetSilent(c.silent);
    store.SetOverrideList(c.overrides);
    store.PutVariable(c.name, "old");
    store.AssignVariable(c.name, "new", c.origin);
    EXPECT_EQ(store.GetVariable(c.name), c.want) << c.what;
  }
}

TEST(VariableStore, OverrideRuleNeedsAnExistingVariable) {
  TVariableManager store;
  store.SetSilent(true);
  store.SetOverrideList({"NEW", "1"});
  store.AssignVariable("NEW", "created", "Set Variable Action");
  EXPECT_EQ(store.GetVariable("NEW"), "created");
}

TEST(VariableStore, DeclareResultVariable) {
  TVariableManager store;
  store.DeclareResultVariable("res", "Evaluate Expression Action");
  store.PutVariable("Kept", "value");
  store.DeclareResultVariable("KEPT", "Evaluate Expression Action");
  store.DeclareResultVariable("$X$", "Evaluate Expression Action");  // not stripped
  EXPECT_EQ(Listed(store), (Pairs{{"$X$", ""}, {"Kept", "value"}, {"RES", ""}}));
}

TEST(VariableStore, TruthValues) {
  struct Case {
    const char* text;
    bool value;
  } cases[] = {{"true", true}, {"TRUE", true}, {"True", true},   {"-1", true},   {"1", false},
               {"yes", false}, {"", false},    {" TRUE", false}, {"-1 ", false}, {"FALSE", false}};
  for (const Case& c : cases) EXPECT_EQ(TextToBool(c.text), c.value) << c.text;
  EXPECT_STREQ(BoolToText(true), "TRUE");
  EXPECT_STREQ(BoolToText(false), "FALSE");
}

TEST(VariableStore, StripReference) {
  struct Case {
    const char* text;
    const char* name;
  } cases[] = {{"$A$", "A"},  {"$TARGETDIR$", "TARGETDIR"},
               {"$A$B$", ""}, {"A", ""},
               {"$A", ""},    {"A$", ""},
               {"$", ""},     {"$$", ""},
               {"", ""},      {"$ a b $", " a b "}};
  for (const Case& c : cases) EXPECT_EQ(TVariableManager::StripReference(c.text), c.name) << c.text;
}

TEST(VariableStore, GetExpandedVariable) {
  TVariableManager store;
  store.PutVariable("A", "x$B$");
  store.PutVariable("B", "1");
  store.PutVariable("E", "");
  struct Case {
    const char* reference;
    bool markAbsent;
    const char* want;
  } cases[] = {{"A", false, "x1"},           {"$A$", false, "x1"},
               {"$a$", true, "x1"},          {"E", true, ""},
               {"NOPE", false, ""},          {"NOPE", true, "$VELDNX$"},
               {"$NOPE$", true, "$VELDNX$"}, {"$A", true, "$VELDNX$"}};
  for (const Case& c : cases) {
    EXPECT_EQ(store.GetExpandedVariable(c.reference, c.markAbsent), c.want) << c.reference;
  }
}

TEST(VariableStore, Newlines) {
  struct Case {
    const char* encoded;
    const char* decoded;
  } cases[] = {{"a$NEWLINE$b", "a\r\nb"},
               {"$newline$$NewLine$", "\r\n\r\n"},
               {"$NEWLINE", "$NEWLINE"},
               {"", ""}};
  for (const Case& c : cases) EXPECT_EQ(TVariableManager::DecodeNewlines(c.encoded), c.decoded);
  EXPECT_EQ(TVariableManager::EncodeNewlines("a\r\nb\n\rc\r\r\n"), "a$NEWLINE$b\n\rc\r$NEWLINE$");
}

TEST(VariableStore, PersistentVariablesHaveNoDuplicates) {
  TVariableManager store;
  store.AddPersistentVariable("RESULT");
  store.AddPersistentVariable("Result");
  store.AddPersistentVariable("OTHER");
  EXPECT_EQ(store.PersistentVariables(), (std::vector<std::string>{"RESULT", "OTHER"}));
  store.ClearPersistentVariables();
  EXPECT_TRUE(store.PersistentVariables().empty());
}

TEST(VariableStore, EngineStoreIsOne) {
  EXPECT_EQ(&Variables(), &Variables());
}

TEST(CommaText, ExportQuotesOnlyWhereNeeded) {
  struct Case {
    std::string value;
    std::string exported;
  } cases[] = {
      {"plain", "A,plain"},           {"", "A,"},
      {"x y", "A,\"x y\""},           {"q\"", "A,\"q\"\"\""},
      {"a,b", "A,\"a,b\""},           {"\x01", "A,\"\x01\""},
      {"\x1F", "A,\"\x1F\""},         {std::string("a\0b", 3), std::string("A,\"a\0b\"", 7)},
      {"\x7F\xE9$'", "A,\x7F\xE9$'"},
  };
  for (const Case& c : cases) {
    TVariableManager store;
    store.PutVariable("A", c.value);
    EXPECT_EQ(store.ExportVariables(), c.exported);
  }
}

TEST(CommaText, RoundTripOfAwkwardValues) {
  const Pairs values = {
      {"A", "x y"},
      {"B", ""},
      {"C", "q\""},
      {"D", "\"\""},
      {"E", "a,b,,"},
      {"F", " lead and trail "},
      {"G", "\t\r\n\x01\x1F"},
      {"H", std::string("nul\0inside", 10)},
      {"I", "\xE9\xFF\x7F"},
      {"J", "$NEWLINE$"},
      {"K", ","},
      {"NAME WITH SPACES", "v"},
      {"\"QUOTED\"", "v"},
      {"L", "'single'"},
  };
  TVariableManager source;
  for (const auto& [name, value] : values) source.PutVariable(name, value);
  TVariableManager target;
  target.PutVariable("STALE", "gone after import");
  target.ImportVariables(source.ExportVariables());
  Pairs want = values;
  std::sort(want.begin(), want.end());
  EXPECT_EQ(Listed(target), want);
}

TEST(CommaText, Import) {
  struct Case {
    std::string text;
    Pairs want;
  } cases[] = {
      {"A,1,B,2", {{"A", "1"}, {"B", "2"}}},
      {"  A ,\t1 \r\n", {{"A", "1"}}},
      {"A,\"x \"\"y\"\"\"", {{"A", "x \"y\""}}},
      {"A,", {{"A", ""}}},
      {"A", {}},                  // unpaired last item
      {"A,x y", {{"A", "x"}}},    // unquoted blank splits, "y" is unpaired
      {",x,B,2", {{"B", "2"}}},   // the empty name is dropped
      {"A,1,a,2", {{"A", "2"}}},  // one variable
      {"A,\"unterminated", {{"A", "unterminated"}}},
      {"A,\"\"", {{"A", ""}}},
      {"\"A\"B,1", {{"A", "B"}}},  // a quoted item ends at its quote
      {"A,,B,", {{"A", ""}, {"B", ""}}},
      {"", {}},
  };
  for (const Case& c : cases) {
    TVariableManager store;
    store.ImportVariables(c.text);
    Pairs want = c.want;
    std::sort(want.begin(), want.end());
    EXPECT_EQ(Listed(store), want) << c.text;
  }
}

TEST(VariableStoreThreads, ConcurrentPutGetExpandAndExport) {
  TVariableManager store;
  store.PutVariable("SHARED", "s");
  constexpr int kThreads = 4;
  constexpr int kRounds = 2000;
  std::atomic<bool> failed{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const std::string own = "T" + std::to_string(t);
      for (int i = 0; i < kRounds; ++i) {
        store.PutVariable(own + "_" + std::to_string(i % 100), std::to_string(i));
        store.PutVariable("SHARED", own);
        if (store.GetVariable(own + "_" + std::to_string(i % 100)) != std::to_string(i)) {
          failed = true;
        }
        if (store.ExpandVariables("[$SHARED$]").size() != 4) failed = true;
        store.AssignVariable("ASSIGNED", own, "Set Variable Action");
      }
    });
  }
  // Walks meet the writers: they must hold the lock, or a write would hit the guard.
  threads.emplace_back([&] {
    for (int i = 0; i < 200; ++i) {
      TVariableManager copy;
      copy.ImportVariables(store.ExportVariables());
      if (!copy.VariableExists("SHARED")) failed = true;
    }
  });
  for (std::thread& thread : threads) thread.join();
  EXPECT_FALSE(failed);
  EXPECT_EQ(Listed(store).size(), 2u + kThreads * 100u);
}

TEST(VariableStoreThreads, HeldLockGroupsOperations) {
  TVariableManager store;
  std::atomic<bool> written{false};
  std::thread writer;
  {
    auto hold = store.Hold();
    store.PutVariable("A", "1");  // re-entrant on the holding thread
    writer = std::thread([&] {
      store.PutVariable("A", "2");
      written = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(written);
    EXPECT_EQ(store.GetVariable("A"), "1");
  }
  writer.join();
  EXPECT_EQ(store.GetVariable("A"), "2");

  store.Lock();
  store.Lock();
  store.PutVariable("B", "1");
  store.Unlock();
  store.Unlock();
  EXPECT_EQ(store.GetVariable("B"), "1");
}

}  // namespace
}  // namespace vantrell
