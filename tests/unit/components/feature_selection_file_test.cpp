// The feature selection file: its layout written and read back, the three
// load modes, the partial save, and damaged or truncated files.
#include "components/feature_selection_file.h"

#include <gtest/gtest.h>

#include "common/target_platform.h"
#include "twins/memory_file_system.h"

namespace vantrell {
namespace {

using testing::MemoryFileSystem;

std::string Lines(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) text += std::string(line) + "\r\n";
  return text;
}

// A file as a maintenance run finds it, written by hand.
const std::string kInstalled = Lines({
    "VELD-PREDEF-COMPONENT",
    "Main",
    "Main\\Help",
    "Tools",
    "$",
    "TRUE",
    "TRUE",
    "FALSE",
    "TRUE",
    "$",
    "Tools",
    "$",
    "Main\\Help",
    "$",
    "Main",
    "$",
    "VELD-PREDEF-COMPONENT",
    "1000",
    "Main",
    "2048",
    "Main\\Help",
    "300",
    "Tools",
    "4096",
    "$",
    "C:\\Program Files\\Product\\",
    "TRUE",
    "Product",
    "",
    "COLOR",
    "blue",
    "NOTES",
    "line one$NEWLINE$line two",
    "VELD64WOW",
    "x64",
    "OVERRIDECACHE",
    "D:\\Cache\\",
});
const std::string kPath = "C:\\Cache\\{REV}\\setup.dat";

class FeatureSelectionFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetTargetPlatform("Win32");
    files.AddFolder("C:\\Cache\\{REV}");
  }
  void TearDown() override { SetTargetPlatform("Win32"); }

  std::string Saved() const {
    const auto* file = files.Find(kPath);
    return file ? file->bytes : std::string("<none>");
  }

  MemoryFileSystem files;
  TComponentTable table;
  TVariableManager vars;
};

TEST_F(FeatureSelectionFileTest, HandWrittenFileLoadsAndIsWrittenBackByteForByte) {
  files.AddFile(kPath, kInstalled);
  FeatureSelectionLoad load =
      LoadFeatureSelections(files, kPath, FeatureSelectionMode::kAppend, table, vars);
  EXPECT_TRUE(load.loaded);
  // Selected and undeleted: the predefined component and Main (Tools is deleted).
  EXPECT_EQ(load.selectedSize, 3048);
  EXPECT_EQ(vars.GetVariable("TARGETDIR"), "C:\\Program Files\\Product\\");
  EXPECT_EQ(vars.GetVariable("ALLUSERS"), "TRUE");
  EXPECT_EQ(vars.GetVariable("STARTMENU"), "Product");
  EXPECT_EQ(vars.GetVariable("NOTES"), "line one$NEWLINE$line two");
  EXPECT_EQ(vars.GetVariable("OVERRIDECACHE"), "D:\\Cache\\");
  EXPECT_EQ(vars.PersistentVariables(), (std::vector<std::string>{"COLOR", "NOTES"}));
  EXPECT_EQ(TargetPlatform(), "x64");
  EXPECT_EQ(table.ComponentSize("tools"), 4096);

  ASSERT_TRUE(SaveFeatureSelections(files, kPath, true, true, "", table, vars));
  EXPECT_EQ(Saved(), kInstalled);
  EXPECT_FALSE(files.FileExists(kPath + ".dat"));
}

TEST_F(FeatureSelectionFileTest, FullSaveThenMergeRestoresStatesMarksVariablesAndPlatform) {
  ResetComponentsForRun(table);
  table.DefineComponent("Main", "Main files", true);
  table.DefineComponent("Main\\Help", "", false);
  table.DefineComponent("Tools", "", true);
  table.SetComponentChoice("Main", false);
  table.SetComponentVisibility("Main\\Help", false);
  table.DeleteComponent("Tools");
  table.SetComponentSpace("Main", 77);
  vars.PutVariable("TARGETDIR", "C:\\App\\");
  vars.PutVariable("ALLUSERS", "FALSE");
  vars.PutVariable("STARTMENU", "App");
  vars.PutVariable("KEPT", "a\r\nb");
  vars.PutVariable("OVERRIDECACHE", "");
  vars.AddPersistentVariable("KEPT");
  SetTargetPlatform("ia64");
  ASSERT_TRUE(SaveFeatureSelections(files, kPath, false, true, "C:\\DATA~1\\", table, vars));
  EXPECT_NE(Saved().find("\r\nC:\\DATA~1\\\r\nKEPT\r\na$NEWLINE$b\r\n"), std::string::npos);

  // A new run: the same components defined with other choices, no marks.
  TComponentTable later;
  TVariableManager laterVars;
  ResetComponentsForRun(later);
  later.DefineComponent("Main", "", false);
  later.DefineComponent("Main\\Help", "", true);
  later.DefineComponent("Tools", "", true);
  later.DefineComponent("New", "", true);
  SetTargetPlatform("Win32");
  FeatureSelectionLoad load =
      LoadFeatureSelections(files, kPath, FeatureSelectionMode::kMerge, later, laterVars);
  ASSERT_TRUE(load.loaded);
  ComponentLists lists = later.Lists();
  EXPECT_EQ(lists.states, (std::vector<std::string>{"TRUE", "TRUE", "FALSE", "TRUE", "TRUE"}));
  EXPECT_EQ(lists.fixedChoice, std::vector<std::string>{"Main"});
  EXPECT_EQ(lists.hidden, std::vector<std::string>{"Main\\Help"});
  EXPECT_EQ(lists.deleted, std::vector<std::string>{"Tools"});
  EXPECT_EQ(later.ComponentSize("Main"), 0);  // sizes are not merged
  EXPECT_EQ(laterVars.GetVariable("TARGETDIR"), "C:\\App\\");
  EXPECT_EQ(laterVars.GetVariable("ALLUSERS"), "FALSE");
  EXPECT_EQ(laterVars.GetVariable("KEPT"), "a$NEWLINE$b");
  EXPECT_TRUE(laterVars.VariableExists("OVERRIDECACHE"));
  EXPECT_EQ(laterVars.PersistentVariables(), std::vector<std::string>{"KEPT"});
  EXPECT_EQ(TargetPlatform(), "ia64");
}

TEST_F(FeatureSelectionFileTest, AppendWithoutSizesDropsListSix) {
  files.AddFile(kPath, kInstalled);
  table.SetSpaceList({"VELD-PREDEF-COMPONENT", "5"});
  FeatureSelectionLoad load =
      LoadFeatureSelections(files, kPath, FeatureSelectionMode::kAppendWithoutSizes, table, vars);
  EXPECT_EQ(table.Lists().space, (std::vector<std::string>{"VELD-PREDEF-COMPONENT", "5"}));
  EXPECT_EQ(table.Lists().names.size(), 4u);
  EXPECT_EQ(load.selectedSize, 5);  // the script's sizes are the table's sizes
}

TEST_F(FeatureSelectionFileTest, ScriptSizesWinOverAppendedOnes) {
  files.AddFile(kPath, kInstalled);
  table.SetSpaceList({"Main", "10"});
  LoadFeatureSelections(files, kPath, FeatureSelectionMode::kAppend, table, vars);
  EXPECT_EQ(table.ComponentSize("Main"), 10);
  EXPECT_EQ(table.ComponentSize("VELD-PREDEF-COMPONENT"), 1000);
}

TEST_F(FeatureSelectionFileTest, MissingFileLoadsNothingAndPartialSaveWritesNothing) {
  vars.PutVariable("TARGETDIR", "keep");
  EXPECT_FALSE(
      LoadFeatureSelections(files, kPath, FeatureSelectionMode::kMerge, table, vars).loaded);
  EXPECT_EQ(vars.GetVariable("TARGETDIR"), "keep");
  EXPECT_FALSE(SaveFeatureSelections(files, kPath, true, false, "", table, vars));
  EXPECT_FALSE(files.FileExists(kPath));
}

TEST_F(FeatureSelectionFileTest, PartialSaveKeepsItemsOneToTenAndRewritesTheRest) {
  files.AddFile(kPath, kInstalled);
  table.DefineComponent("Other", "", true);  // the table is not written by a partial save
  vars.PutVariable("COLOR", "red");
  vars.PutVariable("SIZE", "XL");
  vars.PutVariable("OVERRIDECACHE", "E:\\");
  vars.AddPersistentVariable("SIZE");
  vars.AddPersistentVariable("COLOR");
  SetTargetPlatform("Win32");
  ASSERT_TRUE(SaveFeatureSelections(files, kPath, true, false, "", table, vars));
  const std::string head = kInstalled.substr(0, kInstalled.find("COLOR\r\n"));
  EXPECT_EQ(Saved(), head + Lines({"SIZE", "XL", "COLOR", "red", "VELD64WOW", "Win32",
                                   "OVERRIDECACHE", "E:\\"}));
  EXPECT_FALSE(files.FileExists(kPath + ".dat"));
}

TEST_F(FeatureSelectionFileTest, PartialSaveLeavesADamagedFileAlone) {
  const std::string damaged = Lines({"Main", "$", "TRUE", "$"});
  files.AddFile(kPath, damaged);
  vars.AddPersistentVariable("X");
  EXPECT_FALSE(SaveFeatureSelections(files, kPath, true, false, "", table, vars));
  EXPECT_EQ(Saved(), damaged);
}

TEST_F(FeatureSelectionFileTest, FailedWriteKeepsTheOldFile) {
  files.AddFile(kPath, kInstalled, /*readOnly=*/true);
  EXPECT_FALSE(SaveFeatureSelections(files, kPath, true, true, "", table, vars));
  EXPECT_EQ(Saved(), kInstalled);
  EXPECT_FALSE(files.FileExists(kPath + ".dat"));
  EXPECT_FALSE(
      SaveFeatureSelections(files, "C:\\NoSuchFolder\\x.dat", true, true, "", table, vars));
}

TEST_F(FeatureSelectionFileTest, ItemsThatWouldBreakTheLayoutStayOnOneLine) {
  table.DefineComponent("Two\r\nLines", "", true);
  table.DefineComponent("$", "", true);
  table.DefineComponent("Last", "", false);
  vars.PutVariable("TARGETDIR", "C:\\a\nb\\");
  vars.PutVariable("VELD64WOW", "bad");
  vars.PutVariable("K", "x\ry");
  vars.AddPersistentVariable("veld64wow");
  vars.AddPersistentVariable("K");
  ASSERT_TRUE(SaveFeatureSelections(files, kPath, true, true, "", table, vars));

  TComponentTable back;
  TVariableManager backVars;
  LoadFeatureSelections(files, kPath, FeatureSelectionMode::kAppend, back, backVars);
  ComponentLists lists = back.Lists();
  EXPECT_EQ(lists.names, (std::vector<std::string>{"Two$NEWLINE$Lines", "Last"}));
  EXPECT_EQ(lists.states, (std::vector<std::string>{"TRUE", "FALSE"}));
  EXPECT_EQ(backVars.GetVariable("TARGETDIR"), "C:\\a$NEWLINE$b\\");
  EXPECT_EQ(backVars.GetVariable("K"), "x$NEWLINE$y");
  EXPECT_EQ(backVars.PersistentVariables(), std::vector<std::string>{"K"});
  EXPECT_EQ(TargetPlatform(), "Win32");
}

TEST_F(FeatureSelectionFileTest, ShortAndDamagedFilesLoadWhatTheyHold) {
  const struct {
    const char* what;
    std::string bytes;
    std::vector<std::string> names;
    std::vector<std::string> states;
    std::vector<std::string> space;
    const char* targetDir;
    const char* platform;
    std::vector<std::string> kept;
  } cases[] = {
      {"empty file", "", {}, {}, {}, "keep", "Win32", {}},
      {"names without an end", Lines({"A", "B"}), {"A", "B"}, {"", ""}, {}, "keep", "Win32", {}},
      {"fewer states than names",
       Lines({"A", "B", "$", "TRUE", "$"}),
       {"A", "B"},
       {"TRUE", ""},
       {},
       "keep",
       "Win32",
       {}},
      {"more states than names",
       Lines({"A", "$", "TRUE", "FALSE", "TRUE", "$"}),
       {"A"},
       {"TRUE"},
       {},
       "keep",
       "Win32",
       {}},
      {"damaged sizes",
       Lines({"A", "$", "TRUE", "$", "$", "$", "$", "A", "1x", "B", "2", "C", "$"}),
       {"A"},
       {"TRUE"},
       {"B", "2"},
       "keep",
       "Win32",
       {}},
      {"stops inside items 7 to 10",
       Lines({"$", "$", "$", "$", "$", "$", "D:\\"}),
       {},
       {},
       {},
       "D:\\",
       "Win32",
       {}},
      {"no line end at the end",
       "$\r\n$\r\n$\r\n$\r\n$\r\n$\r\nT\r\n\r\n\r\n\r\nK\r\nv",
       {},
       {},
       {},
       "T",
       "Win32",
       {"K"}},
      {"unpaired last name",
       Lines({"$", "$", "$", "$", "$", "$", "T", "", "", "", "K", "v", "L"}),
       {},
       {},
       {},
       "T",
       "Win32",
       {"K"}},
      {"marker without the cache pair",
       Lines({"$", "$", "$", "$", "$", "$", "T", "", "", "", "VELD64WOW", "x64"}),
       {},
       {},
       {},
       "T",
       "x64",
       {}},
      {"pairs after the cache pair are kept again",
       Lines({"$", "$", "$", "$", "$", "$", "T", "", "", "", "VELD64WOW", "x64", "OVERRIDECACHE",
              "", "Z", "1"}),
       {},
       {},
       {},
       "T",
       "x64",
       {"Z"}},
      {"LF line ends", "A\n$\nTRUE\n$\n$\n$\n$\n$\nLF\n", {"A"}, {"TRUE"}, {}, "LF", "Win32", {}},
  };
  for (const auto& c : cases) {
    SetTargetPlatform("Win32");
    MemoryFileSystem fs;
    fs.AddFile(kPath, c.bytes);
    TComponentTable t;
    TVariableManager v;
    v.PutVariable("TARGETDIR", "keep");
    EXPECT_TRUE(LoadFeatureSelections(fs, kPath, FeatureSelectionMode::kAppend, t, v).loaded)
        << c.what;
    ComponentLists lists = t.Lists();
    EXPECT_EQ(lists.names, c.names) << c.what;
    EXPECT_EQ(lists.states, c.states) << c.what;
    EXPECT_EQ(lists.space, c.space) << c.what;
    EXPECT_EQ(v.GetVariable("TARGETDIR"), c.targetDir) << c.what;
    EXPECT_EQ(TargetPlatform(), c.platform) << c.what;
    EXPECT_EQ(v.PersistentVariables(), c.kept) << c.what;
  }
}

TEST_F(FeatureSelectionFileTest, EveryTruncationOfAFileLoadsInEveryMode) {
  for (size_t cut = 0; cut <= kInstalled.size(); ++cut) {
    for (FeatureSelectionMode mode :
         {FeatureSelectionMode::kAppend, FeatureSelectionMode::kAppendWithoutSizes,
          FeatureSelectionMode::kMerge}) {
      MemoryFileSystem fs;
      fs.AddFile(kPath, kInstalled.substr(0, cut));
      TComponentTable t;
      TVariableManager v;
      ResetComponentsForRun(t);
      t.DefineComponent("Main", "", false);
      LoadFeatureSelections(fs, kPath, mode, t, v);
      ComponentLists lists = t.Lists();
      ASSERT_EQ(lists.names.size(), lists.states.size()) << cut;
      ASSERT_EQ(lists.space.size() % 2, 0u) << cut;
      EXPECT_NO_THROW(t.RequiredSpace()) << cut;
    }
  }
}

TEST_F(FeatureSelectionFileTest, OversizedFileIsNotRead) {
  files.AddFile(kPath, std::string(kMaxFeatureSelectionFileBytes + 1, 'A'));
  EXPECT_FALSE(
      LoadFeatureSelections(files, kPath, FeatureSelectionMode::kAppend, table, vars).loaded);
  EXPECT_TRUE(table.Lists().names.empty());
}

TEST(ParseFeatureSelections, SplitsListsItemsAndTail) {
  FeatureSelectionContent content = ParseFeatureSelections(kInstalled);
  EXPECT_EQ(content.lists.deleted, std::vector<std::string>{"Tools"});
  EXPECT_EQ(content.lists.space.size(), 8u);
  ASSERT_EQ(content.items.size(), 4u);
  EXPECT_EQ(*content.items[3], "");
  EXPECT_EQ(content.tail.size(), 8u);
}

}  // namespace
}  // namespace vantrell
