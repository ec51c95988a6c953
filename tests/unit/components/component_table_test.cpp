// The component table: definitions, marks, sizes, the required space and FormatSize.
#include "components/component_table.h"

#include <gtest/gtest.h>

#include <limits>

#include "common/engine_error.h"
#include "lang/engine_texts.h"

namespace vantrell {
namespace {

class ComponentTableTest : public ::testing::Test {
 protected:
  TComponentTable table;
};

TEST_F(ComponentTableTest, RedefinitionKeepsAStoredSelectionAndTakesTheDescription) {
  table.DefineComponent("Main", "first", true);
  table.DefineComponent("MAIN", "second", false);
  EXPECT_EQ(table.ComponentState("main"), "TRUE");
  EXPECT_EQ(table.ComponentDescription("Main"), "second");
  EXPECT_EQ(table.Lists().names, std::vector<std::string>{"Main"});
  EXPECT_EQ(table.Lists().space, (std::vector<std::string>{"Main", "0"}));
}

TEST_F(ComponentTableTest, RedefinitionFillsAnEmptyLoadedState) {
  table.AppendLists(ComponentLists{{"Main"}, {}, {}, {}, {}, {}, {}}, true);
  EXPECT_EQ(table.ComponentState("Main"), "");
  table.DefineComponent("Main", "", true);
  EXPECT_EQ(table.ComponentState("Main"), "TRUE");
}

TEST_F(ComponentTableTest, DeleteHidesTheStateUntilRedefinition) {
  table.DefineComponent("Main", "", true);
  table.DeleteComponent("main");
  table.DeleteComponent("Main");
  EXPECT_EQ(table.Lists().deleted, std::vector<std::string>{"main"});
  EXPECT_FALSE(table.ComponentSelected("Main"));
  EXPECT_EQ(table.ComponentState("Main"), "TRUE");
  table.DefineComponent("Main", "", false);
  EXPECT_TRUE(table.ComponentSelected("Main"));
}

TEST_F(ComponentTableTest, RedefinitionUndeletesEveryEqualEntry) {
  table.DefineComponent("Main", "", true);
  table.ReplaceMarks({"Main", "MAIN"}, {}, {});
  table.DefineComponent("main", "", true);
  EXPECT_TRUE(table.Lists().deleted.empty());
}

TEST_F(ComponentTableTest, AbsentComponentsAreNeverMarkedOrSet) {
  table.SetComponentState("Ghost", true);
  table.DeleteComponent("Ghost");
  table.SetComponentChoice("Ghost", false);
  table.SetComponentVisibility("Ghost", false);
  table.SetComponentSpace("Ghost", 5);
  table.SetComponentStateAt(3, true);
  table.SetComponentStateAt(-1, true);
  EXPECT_EQ(table.ComponentIndex("Ghost"), -1);
  EXPECT_FALSE(table.ComponentSelected("Ghost"));
  ComponentLists lists = table.Lists();
  EXPECT_TRUE(lists.deleted.empty() && lists.hidden.empty() && lists.fixedChoice.empty() &&
              lists.space.empty());
}

TEST_F(ComponentTableTest, SelectionReadsStatesAsTruthValues) {
  const struct {
    const char* state;
    bool selected;
  } cases[] = {{"TRUE", true}, {"true", true}, {"-1", true},
               {"1", false},   {"", false},    {"FALSE", false}};
  for (const auto& c : cases) {
    TComponentTable t;
    t.AppendLists(ComponentLists{{"A"}, {c.state}, {}, {}, {}, {}, {}}, true);
    EXPECT_EQ(t.ComponentSelected("a"), c.selected) << c.state;
  }
}

TEST_F(ComponentTableTest, ChoiceAndVisibilityMarksReachDescendants) {
  for (const char* name : {"Main", "Main\\Help", "Main\\Help\\Deep", "Mainly", "Other"}) {
    table.DefineComponent(name, "", true);
  }
  table.SetComponentChoice("Main", false);
  table.SetComponentVisibility("main\\help", false);
  const struct {
    const char* name;
    bool locked;
    bool hidden;
  } cases[] = {{"Main", true, false},
               {"Main\\Help", true, true},
               {"Main\\Help\\Deep", true, true},
               {"Mainly", false, false},
               {"Other", false, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(table.ComponentChoiceLocked(c.name), c.locked) << c.name;
    EXPECT_EQ(table.ComponentHidden(c.name), c.hidden) << c.name;
  }
  table.SetComponentChoice("MAIN", true);
  table.SetComponentVisibility("Main\\Help", true);
  EXPECT_FALSE(table.ComponentChoiceLocked("Main\\Help\\Deep"));
  EXPECT_FALSE(table.ComponentHidden("Main\\Help\\Deep"));
}

TEST_F(ComponentTableTest, AncestorsAreFoundNearestFirst) {
  EXPECT_EQ(ComponentAncestors("A\\B\\C"), (std::vector<std::string>{"A\\B", "A"}));
  EXPECT_TRUE(ComponentAncestors("A").empty());
}

TEST_F(ComponentTableTest, SizesComeFromTheFirstPairOfTheName) {
  table.SetSpaceList({"VELD-PREDEF-COMPONENT", "100", "Main", "2000", "main", "7", "Tail"});
  table.DefineComponent("Main", "", true);
  table.DefineComponent("Tail", "", true);
  EXPECT_EQ(table.ComponentSize("MAIN"), 2000);
  EXPECT_EQ(table.ComponentSize("Tail"),
            0);  // the unpaired item was dropped; Define added ("Tail", "0")
  EXPECT_EQ(table.ComponentSize("Nothing"), 0);
  table.SetComponentSpace("main", 42);
  EXPECT_EQ(table.ComponentSize("Main"), 42);
  EXPECT_EQ(table.Lists().space[5], "7");
}

TEST_F(ComponentTableTest, ASizeItemEqualToANameIsNotTakenForIt) {
  table.SetSpaceList({"Main", "2010", "2010", "5"});
  table.DefineComponent("2010", "", true);
  EXPECT_EQ(table.ComponentSize("2010"), 5);
  table.SetComponentSpace("2010", 6);
  EXPECT_EQ(table.Lists().space, (std::vector<std::string>{"Main", "2010", "2010", "6"}));
}

TEST_F(ComponentTableTest, ABadSizeFailsWithTheIntegerError) {
  table.SetSpaceList({"Main", "12ab"});
  try {
    table.ComponentSize("Main");
    FAIL();
  } catch (const EngineError& e) {
    EXPECT_STREQ(e.what(), "'12ab' is not a valid integer value");
  }
}

TEST_F(ComponentTableTest, RequiredSpaceCountsSelectedUndeletedComponentsOnce) {
  table.SetSpaceList({"VELD-PREDEF-COMPONENT", "100", "A", "20", "B", "3", "Hidden", "4000"});
  ResetComponentsForRun(table);
  table.DefineComponent("A", "", true);
  table.DefineComponent("B", "", false);
  table.DefineComponent("Hidden", "", true);
  table.SetComponentVisibility("Hidden", false);
  // A file appended over the table repeats the predefined component.
  table.AppendLists(ComponentLists{{"VELD-PREDEF-COMPONENT"}, {"TRUE"}, {}, {}, {}, {}, {}}, false);
  EXPECT_EQ(table.RequiredSpace(), 4120);
  table.DeleteComponent("A");
  EXPECT_EQ(table.RequiredSpace(), 4100);
  table.SetInstalledSize(5000);
  EXPECT_EQ(table.RequiredSpace(), -900);
}

TEST_F(ComponentTableTest, RequiredSpaceStaysInRange) {
  table.SetSpaceList({"A", "9223372036854775807", "B", "9223372036854775807"});
  table.DefineComponent("A", "", true);
  table.DefineComponent("B", "", true);
  EXPECT_EQ(table.RequiredSpace(), std::numeric_limits<int64_t>::max());
  table.SetInstalledSize(std::numeric_limits<int64_t>::min());
  EXPECT_EQ(table.RequiredSpace(), std::numeric_limits<int64_t>::max());
}

TEST_F(ComponentTableTest, ClearKeepsTheSpaceList) {
  table.SetSpaceList({"A", "1"});
  table.DefineComponent("B", "", true);
  table.SetComponentVisibility("B", false);
  table.ClearComponents();
  ComponentLists lists = table.Lists();
  EXPECT_TRUE(lists.names.empty() && lists.states.empty() && lists.hidden.empty());
  EXPECT_EQ(lists.space, (std::vector<std::string>{"A", "1", "B", "0"}));
}

TEST_F(ComponentTableTest, AppendedListsStayParallelAndDropDamagedSizes) {
  table.AppendLists(ComponentLists{{"A", "B", "C"},
                                   {"TRUE", "FALSE", "TRUE", "TRUE"},
                                   {},
                                   {},
                                   {},
                                   {},
                                   {"A", "1", "B", "x", "C"}},
                    true);
  ComponentLists lists = table.Lists();
  EXPECT_EQ(lists.states, (std::vector<std::string>{"TRUE", "FALSE", "TRUE"}));
  EXPECT_EQ(lists.descriptions.size(), 3u);
  EXPECT_EQ(lists.space, (std::vector<std::string>{"A", "1"}));
}

TEST(FormatSize, UnitsGroupingAndSign) {
  ResetEngineTexts();
  const struct {
    int64_t bytes;
    const char* text;
  } cases[] = {
      {0, "0 bytes"},
      {999, "999 bytes"},
      {1000, "1,000 bytes"},
      {1048575, "1,048,575 bytes"},
      {1048576, "1,024 KB"},
      {1572864, "1,536 KB"},
      {1073741823, "1,048,575 KB"},
      {1073741824, "1,024 MB"},
      {5368709120, "5,120 MB"},
      {-5, "-5 bytes"},
      {-1234567, "-1,234,567 bytes"},
      {std::numeric_limits<int64_t>::min(), "-9,223,372,036,854,775,808 bytes"},
      {std::numeric_limits<int64_t>::max(), "8,796,093,022,207 MB"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatSize(c.bytes), c.text) << c.bytes;
}

}  // namespace
}  // namespace vantrell

namespace vantrell {
namespace {

TEST(FormatSize, UnitWordsAreTheEngineTexts) {
  std::string block;
  for (int slot = 1; slot <= kEngineTextSlots; ++slot) {
    block += slot == 6   ? "octets"
             : slot == 7 ? "Ko"
             : slot == 8 ? "Mo"
                         : "t" + std::to_string(slot);
    block += "\r\n";
  }
  LoadEngineTexts(block, "English");
  EXPECT_EQ(FormatSize(2 * 1048576), "2,048 Ko");
  EXPECT_EQ(FormatSize(12), "12 octets");
  EXPECT_EQ(FormatSize(int64_t{3} << 30), "3,072 Mo");
  ResetEngineTexts();
}

}  // namespace
}  // namespace vantrell
