// The dialog queries: the component tree, the check list and its check marks,
// the tree menu's cascade, and the disk space figures.
#include "components/component_display.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace vantrell {
namespace {

// The tree as "text[image:data](children)" for compact comparison.
std::string Describe(const std::vector<ComponentTreeNode>& level) {
  std::string out;
  for (const ComponentTreeNode& node : level) {
    if (!out.empty()) out += ' ';
    out += node.text + "[" + std::to_string(node.image) + ":" + std::to_string(node.data) + "]";
    if (!node.children.empty()) out += "(" + Describe(node.children) + ")";
  }
  return out;
}

std::string Describe(const std::vector<ComponentListItem>& list) {
  std::string out;
  for (const ComponentListItem& item : list)
    out += (out.empty() ? "" : " ") + item.text + (item.checked ? "+" : "-");
  return out;
}

class ComponentDisplayTest : public ::testing::Test {
 protected:
  void Define(std::initializer_list<std::pair<const char*, bool>> components) {
    ResetComponentsForRun(table);
    for (const auto& [name, selected] : components) table.DefineComponent(name, "", selected);
  }
  TComponentTable table;
};

TEST_F(ComponentDisplayTest, TreeBuildsPathLevelsAndSkipsWhatIsNotShown) {
  const struct {
    const char* what;
    std::vector<std::pair<const char*, bool>> components;
    std::vector<std::string> hidden;
    std::vector<std::string> deleted;
    const char* tree;
  } cases[] = {
      {"flat", {{"Main", true}, {"Extra", false}}, {}, {}, "Main[1:2] Extra[0:3]"},
      {"child defined before its parent", {{"A\\B", true}, {"A", false}}, {}, {}, "A[0:3](B[1:2])"},
      {"levels match ignoring case",
       {{"Main", true}, {"MAIN\\Help", false}, {"main\\help\\Deep", true}},
       {},
       {},
       "Main[1:2](Help[0:3](Deep[1:4]))"},
      {"hidden parent hides its subtree",
       {{"Main", true}, {"Main\\Help", true}, {"Other", true}},
       {"Main"},
       {},
       "Other[1:4]"},
      {"hidden child leaves the parent",
       {{"Main", true}, {"Main\\Help", true}},
       {"main\\help"},
       {},
       "Main[1:2]"},
      {"deleted component", {{"Main", true}, {"Gone", true}}, {}, {"Gone"}, "Main[1:2]"},
      {"deleted parent keeps an intermediate level",
       {{"Main", true}, {"Main\\Help", true}},
       {},
       {"Main"},
       "Main[0:0](Help[1:3])"},
  };
  for (const auto& c : cases) {
    ResetComponentsForRun(table);
    for (const auto& [name, selected] : c.components) table.DefineComponent(name, "", selected);
    table.ReplaceMarks(c.deleted, c.hidden, {});
    std::vector<ComponentTreeNode> roots{{"stale", 1, 1, {}}};
    FillComponentTree(table, roots);
    EXPECT_EQ(Describe(roots), c.tree) << c.what;
  }
}

TEST_F(ComponentDisplayTest, TreeImageNeedsTheExactStateText) {
  table.AppendLists(ComponentLists{{"A", "B"}, {"TRUE", "true"}, {}, {}, {}, {}, {}}, false);
  std::vector<ComponentTreeNode> roots;
  FillComponentTree(table, roots);
  EXPECT_EQ(Describe(roots), "A[1:1] B[0:2]");
}

TEST_F(ComponentDisplayTest, ListShowsVisibleTopLevelComponents) {
  Define(
      {{"Main", true}, {"Main\\Help", true}, {"Tools", false}, {"Gone", true}, {"Secret", true}});
  table.DeleteComponent("Gone");
  table.SetComponentVisibility("SECRET", false);
  std::vector<ComponentListItem> list{{"stale", true}};
  FillComponentList(table, list);
  EXPECT_EQ(Describe(list), "Main+ Tools-");
}

TEST_F(ComponentDisplayTest, ListChecksReachSubcomponentsAndNamesWithTheSamePrefix) {
  // Items are applied in list order: "ToolsExtra" comes first, so the later
  // "Tools" item changes its state while its own mark stays as it was.
  Define({{"ToolsExtra", false}, {"Tools", false}, {"Tools\\Sub", false}, {"Other", true}});
  std::vector<ComponentListItem> list;
  FillComponentList(table, list);
  ASSERT_EQ(Describe(list), "ToolsExtra- Tools- Other+");
  list[1].checked = true;
  ApplyListChecks(table, list);
  EXPECT_EQ(Describe(list), "ToolsExtra- Tools+ Other+");
  for (const char* name : {"Tools", "Tools\\Sub", "ToolsExtra", "Other"}) {
    EXPECT_EQ(table.ComponentState(name), "TRUE") << name;
  }
}

TEST_F(ComponentDisplayTest, LockedComponentKeepsItsStateAndItsItemReverts) {
  Define({{"Main", true}, {"Main\\Help", true}, {"Tools", true}});
  table.SetComponentChoice("Main", false);
  std::vector<ComponentListItem> list;
  FillComponentList(table, list);
  list[0].checked = false;
  list[1].checked = false;
  ApplyListChecks(table, list);
  EXPECT_EQ(Describe(list), "Main+ Tools-");
  EXPECT_EQ(table.ComponentState("Main"), "TRUE");
  EXPECT_EQ(table.ComponentState("Main\\Help"), "TRUE");
  EXPECT_EQ(table.ComponentState("Tools"), "FALSE");
}

TEST_F(ComponentDisplayTest, ItemMarkFollowsTheLastMatchingComponent) {
  // "Tools\Sub" is locked and comes last: the item ends up showing its state.
  Define({{"Tools", false}, {"Tools\\Sub", false}});
  table.SetComponentChoice("Tools\\Sub", false);
  std::vector<ComponentListItem> list{{"tools", true}};
  ApplyListChecks(table, list);
  EXPECT_EQ(table.ComponentState("Tools"), "TRUE");
  EXPECT_FALSE(list[0].checked);
}

TEST_F(ComponentDisplayTest, CascadeSetsUnlockedDescendants) {
  Define({{"Main", false},
          {"Main\\A", false},
          {"Main\\A\\Deep", false},
          {"Main\\Locked", false},
          {"Main\\Locked\\Below", false},
          {"Main\\Gap\\Leaf", false}});
  table.SetComponentChoice("Main\\Locked", false);
  std::vector<ComponentTreeNode> roots;
  FillComponentTree(table, roots);
  SetComponentStateCascade(table, roots[0], true, true);
  EXPECT_EQ(Describe(roots),
            "Main[1:2](A[1:3](Deep[1:4]) Locked[0:5](Below[0:6]) Gap[0:0](Leaf[1:7]))");
  EXPECT_EQ(table.ComponentState("Main\\Locked\\Below"), "FALSE");
  EXPECT_EQ(table.ComponentState("Main\\Gap\\Leaf"), "TRUE");

  SetComponentStateCascade(table, roots[0], false, false);
  EXPECT_EQ(table.ComponentState("Main"), "FALSE");
  EXPECT_EQ(table.ComponentState("Main\\A"), "TRUE");
  EXPECT_EQ(roots[0].image, 0);
}

TEST_F(ComponentDisplayTest, SpaceFiguresFollowTargetdir) {
  TVariableManager vars;
  table.SetSpaceList({"VELD-PREDEF-COMPONENT", "1000"});
  Define({});
  std::string asked;
  FreeSpaceQuery query = [&](const std::string& folder) -> std::optional<int64_t> {
    asked = folder;
    if (folder.rfind("Q:", 0) == 0) return std::nullopt;
    return 50000;
  };
  EXPECT_EQ(AvailableSpace(vars, query), -1);  // TARGETDIR absent
  vars.PutVariable("TARGETDIR", "");
  EXPECT_EQ(AvailableSpace(vars, query), -1);
  vars.PutVariable("ROOT", "C:\\Apps");
  vars.PutVariable("TARGETDIR", "$ROOT$\\Product\\");
  EXPECT_EQ(AvailableSpace(vars, query), 50000);
  EXPECT_EQ(asked, "C:\\Apps\\Product\\");
  EXPECT_EQ(RemainingSpace(table, vars, query), 49000);
  EXPECT_EQ(AvailableSpace(vars, nullptr), -1);
  vars.PutVariable("TARGETDIR", "Q:\\");
  EXPECT_EQ(RemainingSpace(table, vars, query), -1001);
}

}  // namespace
}  // namespace vantrell

namespace vantrell {
namespace {

// The dialogs' timer and worker threads read the table while the script changes it.
TEST(ComponentTableThreads, ReadersSeeAConsistentTableWhileItGrows) {
  TComponentTable table;
  table.SetSpaceList({"VELD-PREDEF-COMPONENT", "1"});
  ResetComponentsForRun(table);
  std::atomic<bool> done{false};
  std::thread reader([&] {
    std::vector<ComponentTreeNode> roots;
    while (!done) {
      FillComponentTree(table, roots);
      EXPECT_GE(table.RequiredSpace(), 1);
    }
  });
  for (int i = 0; i < 2000; ++i) {
    table.DefineComponent("Part" + std::to_string(i % 50) + "\\" + std::to_string(i), "",
                          i % 2 == 0);
    table.SetComponentSpace("Part0\\0", i);
  }
  done = true;
  reader.join();
  EXPECT_EQ(table.RequiredSpace(), 1 + 1999);
}

}  // namespace
}  // namespace vantrell
