// The hash table under the store: hash values, growth and threshold rounding,
// chain order, the iteration guard, case rules and change notifications.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/engine_error.h"
#include "vars/string_hash_table.h"

namespace vantrell {
namespace {

std::vector<std::string> KeysInOrder(const TStringHashTable& table) {
  std::vector<std::string> keys;
  THashEnumerator entries(table);
  while (entries.Next()) keys.push_back(entries.Key());
  return keys;
}

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EngineError& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(HashTable, HashValues) {
  struct Case {
    std::string key;
    uint32_t sensitive;
    uint32_t insensitive;
  } cases[] = {
      {"", 0, 0},
      {"a", 0x61, 0x61},
      {"ab", 0xC42, 0xC42},
      {"AB", 0x862, 0xC42},  // only the insensitive hash folds A to Z
      {"\xC9", 0xC9, 0xC9},  // bytes above 127 are used unchanged
      {"TARGETDIR", 0x0A7B4F6E, 0x486BEA46},
      {"VELD_thProgress", 0xBB3A6581, 0xAB3A6CC3},  // long enough for bits to wrap round
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TCustomStringHashTable::HashKey(c.key, true), c.sensitive) << c.key;
    EXPECT_EQ(TCustomStringHashTable::HashKey(c.key, false), c.insensitive) << c.key;
  }
}

TEST(HashTable, GrowsFromNothingTo32Then64Buckets) {
  TStringHashTable table(false, 0, 2.0);
  EXPECT_EQ(table.BucketCount(), 0u);
  EXPECT_EQ(table.GrowThreshold(), 0u);
  struct Step {
    int entriesAfter;
    uint32_t buckets;
    uint32_t threshold;
  } steps[] = {{1, 32, 64}, {64, 32, 64}, {65, 64, 128}, {128, 64, 128}, {129, 128, 256}};
  int inserted = 0;
  for (const Step& step : steps) {
    for (; inserted < step.entriesAfter; ++inserted) table.Put("V" + std::to_string(inserted), "x");
    EXPECT_EQ(table.Count(), static_cast<uint64_t>(step.entriesAfter));
    EXPECT_EQ(table.BucketCount(), step.buckets) << step.entriesAfter;
    EXPECT_EQ(table.GrowThreshold(), step.threshold) << step.entriesAfter;
  }
  for (int i = 0; i < inserted; ++i) EXPECT_NE(table.Get("v" + std::to_string(i)), nullptr);
}

TEST(HashTable, ReplacingAtTheThresholdGrowsToo) {
  TStringHashTable table(false, 0, 2.0);
  for (int i = 0; i < 64; ++i) table.Put("V" + std::to_string(i), "x");
  ASSERT_EQ(table.BucketCount(), 32u);
  table.Put("V0", "y");
  EXPECT_EQ(table.BucketCount(), 64u);
  EXPECT_EQ(table.Count(), 64u);
  EXPECT_EQ(*table.Get("V0"), "y");
}

TEST(HashTable, ThresholdRoundsToNearestTiesToEven) {
  struct Case {
    uint32_t capacity;
    double loadFactor;
    uint32_t threshold;
  } cases[] = {
      {0, 2.0, 0}, {1, 2.5, 2}, {3, 2.5, 8}, {1, 0.5, 0},  {3, 0.5, 2},
      {5, 0.5, 2}, {7, 0.5, 4}, {1, 0.1, 0}, {5, 7.0, 35}, {32, 0.75, 24},
  };
  for (const Case& c : cases) {
    TStringHashTable table(false, c.capacity, c.loadFactor);
    EXPECT_EQ(table.GrowThreshold(), c.threshold) << c.capacity << " x " << c.loadFactor;
    EXPECT_EQ(table.BucketCount(), c.capacity);
  }
}

TEST(HashTable, LoadFactorOutOfRange) {
  for (double bad : {0.0, 0.09, 7.01, -1.0, std::nan("")}) {
    EXPECT_EQ(ErrorOf([&] { TStringHashTable table(false, 0, bad); }), "Argument out of range")
        << bad;
  }
  for (double good : {0.1, 7.0}) {
    EXPECT_EQ(ErrorOf([&] { TStringHashTable table(false, 0, good); }), "(no error)") << good;
  }
}

TEST(HashTable, ChainOrderAndRechainingOnGrowth) {
  // Case-sensitive, so one-byte keys hash to their byte: 0x01, '!', 'A' and
  // 'a' share bucket 1 of 32; '!' and 'a' move to bucket 33 of 64.
  TStringHashTable table(true, 0, 0.125);  // threshold 4 at 32 buckets
  for (const char* key : {"\x01", "!", "A", "a"}) table.Put(key, "v");
  EXPECT_EQ(KeysInOrder(table), (std::vector<std::string>{"a", "A", "!", "\x01"}));
  table.Put("@", "v");  // 0x40: bucket 0, visited first
  EXPECT_EQ(table.BucketCount(), 64u);
  // Moved head first, each to the head of its new chain.
  EXPECT_EQ(KeysInOrder(table), (std::vector<std::string>{"@", "\x01", "A", "!", "a"}));
}

TEST(HashTable, IterationGuard) {
  TStringHashTable table(false, 0, 2.0);
  table.Put("A", "1");
  const std::string kMessage = "Can not modify a collection while iterating";
  {
    THashEnumerator outer(table);
    EXPECT_TRUE(table.Iterating());
    EXPECT_EQ(ErrorOf([&] { table.Put("B", "2"); }), kMessage);
    EXPECT_EQ(ErrorOf([&] { table.Put("A", "replaced"); }), kMessage);
    EXPECT_EQ(ErrorOf([&] { table.Clear(); }), kMessage);
    { THashEnumerator inner(table); }
    // The inner enumerator is gone, the outer one still guards.
    EXPECT_EQ(ErrorOf([&] { table.Put("B", "2"); }), kMessage);
    ASSERT_NE(table.Get("A"), nullptr);  // reading is allowed
    EXPECT_EQ(*table.Get("A"), "1");
  }
  EXPECT_FALSE(table.Iterating());
  table.Put("B", "2");
  EXPECT_EQ(table.Count(), 2u);
}

TEST(HashTable, EnumeratorOverEmptyTables) {
  TStringHashTable never(false, 0, 2.0);
  TStringHashTable presized(false, 16, 1.0);
  for (TStringHashTable* table : {&never, &presized}) {
    THashEnumerator entries(*table);
    EXPECT_FALSE(entries.Next());
    EXPECT_FALSE(entries.Next());
  }
}

TEST(HashTable, FixedTables) {
  TStringHashTable empty(false, 0, 2.0);
  empty.SetFixed(true);
  EXPECT_EQ(ErrorOf([&] { empty.Put("A", "1"); }), "Hash table is fixed with size 0");

  TStringHashTable small(false, 4, 1.0);
  small.SetFixed(true);
  for (int i = 0; i < 40; ++i) small.Put("K" + std::to_string(i), std::to_string(i));
  EXPECT_EQ(small.BucketCount(), 4u);
  for (int i = 0; i < 40; ++i) EXPECT_EQ(*small.Get("k" + std::to_string(i)), std::to_string(i));
}

TEST(HashTable, ClearReturnsToInitialCapacity) {
  for (uint32_t capacity : {0u, 8u}) {
    TStringHashTable table(false, capacity, 2.0);
    for (int i = 0; i < 100; ++i) table.Put("V" + std::to_string(i), "x");
    table.Clear();
    EXPECT_EQ(table.Count(), 0u);
    EXPECT_EQ(table.BucketCount(), capacity);
    EXPECT_EQ(table.GrowThreshold(), capacity * 2);
    EXPECT_EQ(table.Get("V1"), nullptr);
    table.Put("W", "y");
    EXPECT_EQ(table.BucketCount(), capacity == 0 ? 32u : capacity);
  }
}

TEST(HashTable, CaseRules) {
  struct Case {
    bool caseSensitive;
    const char* first;
    const char* second;
    bool same;
  } cases[] = {
      {false, "TargetDir", "TARGETDIR", true},
      {false, "a_b-1", "A_B-1", true},
      {false, "\xC9T\xC9", "\xE9T\xE9", false},  // accented letters keep their case
      {false, "AB", "AB ", false},
      {false, "[", "{", false},  // 0x5B and 0x7B differ by 32 but are not letters
      {true, "a", "A", false},
      {true, "same", "same", true},
  };
  for (const Case& c : cases) {
    TStringHashTable table(c.caseSensitive, 0, 2.0);
    table.Put(c.first, "1");
    table.Put(c.second, "2");
    EXPECT_EQ(table.Count(), c.same ? 1u : 2u) << c.first << " / " << c.second;
    EXPECT_EQ(*table.Get(c.first), c.same ? "2" : "1") << c.first;
    // The stored key keeps the form of the write that created it.
    EXPECT_EQ(KeysInOrder(table).size(), c.same ? 1u : 2u);
    if (c.same) {
      EXPECT_EQ(KeysInOrder(table)[0], c.first);
    }
  }
}

class RecordingTable : public TStringHashTable {
 public:
  RecordingTable() : TStringHashTable(false, 0, 2.0) {}
  std::vector<std::string> log;

 protected:
  void Changed(Change change, const Node& node) override {
    static const char* const kNames[] = {"added", "removed", "replacing", "replaced"};
    log.push_back(std::string(kNames[static_cast<int>(change)]) + " " + node.key + "=" +
                  node.value);
  }
};

TEST(HashTable, ChangeNotifications) {
  RecordingTable table;
  table.Put("A", "1");
  table.Put("a", "2");
  table.Clear();
  EXPECT_EQ(table.log, (std::vector<std::string>{"added A=1", "replacing A=1", "replaced A=2",
                                                 "removed A=2"}));
}

TEST(HashTable, CopyInto) {
  TStringHashTable source(false, 0, 2.0);
  TStringHashTable target(true, 0, 2.0);
  source.Put("A", "1");
  source.Put("B", "2");
  target.Put("C", "3");
  source.CopyInto(target);
  EXPECT_EQ(target.Count(), 3u);
  EXPECT_EQ(*target.Get("B"), "2");
  EXPECT_FALSE(source.Iterating());
}

}  // namespace
}  // namespace vantrell
