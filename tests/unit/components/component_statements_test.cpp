// The component statements run from a script, through the statement table,
// against the engine's component table, with files and translation twins.
#include "components/component_statements.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "common/engine_error.h"
#include "common/target_platform.h"
#include "components/component_table.h"
#include "components/feature_selection_file.h"
#include "twins/memory_file_system.h"
#include "twins/statement_test.h"

namespace vantrell {
namespace {

using testing::MemoryFileSystem;
using testing::ScriptBuilder;

class ComponentStatementsTest : public testing::StatementTest {
 protected:
  void SetUp() override {
    Components().ClearComponents();
    Components().SetSpaceList({"VELD-PREDEF-COMPONENT", "1000", "Main", "2048", "Tools", "4096"});
    Components().SetInstalledSize(0);
    ResetComponentsForRun(Components());
    SetTargetPlatform("Win32");
    files.AddFolder("C:\\Out");
    RegisterComponentStatements(table, ComponentServices{files, nullptr, nullptr});
  }
  // The component table and the target platform belong to the process.
  void TearDown() override {
    Components().ClearComponents();
    Components().SetSpaceList({});
    SetTargetPlatform("Win32");
  }

  MemoryFileSystem files;
};

TEST_F(ComponentStatementsTest, StatesAreSetAndReadByExpandedName) {
  vars.PutVariable("PART", "Main");
  Run(ScriptBuilder()
          .Add("Define Component", {"$PART$", "FALSE", "The $PART$ files"})
          .Add("Define Component", {"Tools", "true", ""})
          .Add("Set Component State", {"MAIN", "-1"})
          .Add("Get Component State", {"$PART$", "mainState"})
          .Add("Get Component State", {"Tools", "$TOOLS$"})
          .Add("Get Component State", {"Ghost", "GHOST"})
          .Add("Get Component State", {"Main", ""}));
  EXPECT_EQ(vars.GetVariable("MAINSTATE"), "TRUE");
  EXPECT_EQ(Components().ComponentDescription("Main"), "The Main files");
  EXPECT_EQ(vars.GetVariable("$TOOLS$"), "TRUE");
  EXPECT_EQ(vars.GetVariable("GHOST"), "FALSE");
}

TEST_F(ComponentStatementsTest, DefinitionDoesNotOverrideAnExistingSelection) {
  Run(ScriptBuilder()
          .Add("Define Component", {"Main", "TRUE", ""})
          .Add("Define Component", {"Main", "FALSE", "again"})
          .Add("Get Component State", {"Main", "S"}));
  EXPECT_EQ(vars.GetVariable("S"), "TRUE");
}

TEST_F(ComponentStatementsTest, DeletionHidesTheStateUntilRedefinition) {
  Run(ScriptBuilder()
          .Add("Define Component", {"Main", "TRUE", ""})
          .Add("Delete Component", {"Main"})
          .Add("Get Component State", {"Main", "DELETED"})
          .Add("Get Component Space", {"", "WITHOUT"})
          .Add("Define Component", {"Main", "FALSE", ""})
          .Add("Get Component State", {"Main", "BACK"})
          .Add("Get Component Space", {"", "WITH"}));
  EXPECT_EQ(vars.GetVariable("DELETED"), "FALSE");
  EXPECT_EQ(vars.GetVariable("WITHOUT"), "1000");
  EXPECT_EQ(vars.GetVariable("BACK"), "TRUE");
  EXPECT_EQ(vars.GetVariable("WITH"), "3048");
}

TEST_F(ComponentStatementsTest, SpaceIsSetAndReadPerComponentAndInTotal) {
  vars.PutVariable("BIG", "0x10");
  Run(ScriptBuilder()
          .Add("Define Component", {"Main", "TRUE", ""})
          .Add("Define Component", {"Extra", "TRUE", ""})
          .Add("Set Component Space", {"extra", "$BIG$"})
          .Add("Set Component Space", {"Main", "12 KB"})
          .Add("Set Component Space", {"Ghost", "5"})
          .Add("Get Component Space", {"EXTRA", "E"})
          .Add("Get Component Space", {"Main", "M"})
          .Add("Get Component Space", {"Ghost", "G"})
          .Add("Get Component Space", {"", "TOTAL"}));
  EXPECT_EQ(vars.GetVariable("E"), "16");
  EXPECT_EQ(vars.GetVariable("M"), "2048");
  EXPECT_EQ(vars.GetVariable("G"), "0");
  EXPECT_EQ(vars.GetVariable("TOTAL"), "3064");
}

TEST_F(ComponentStatementsTest, TotalInAMaintenanceRunMayBeNegative) {
  Components().SetInstalledSize(10000);
  Run(ScriptBuilder().Add("Get Component Space", {"", "TOTAL"}));
  EXPECT_EQ(vars.GetVariable("TOTAL"), "-9000");
}

TEST_F(ComponentStatementsTest, ChoiceAndVisibilityMarksComeAndGo) {
  Run(ScriptBuilder()
          .Add("Define Component", {"Main", "TRUE", ""})
          .Add("Define Component", {"Main\\Help", "TRUE", ""})
          .Add("Set Component Choice", {"Main", "FALSE"})
          .Add("Set Component Choice", {"Main", "FALSE"})
          .Add("Set Component Visibility", {"Main\\Help", "no"})
          .Add("Set Component Visibility", {"Ghost", "FALSE"})
          .Add("Set Component State", {"Main\\Help", "FALSE"}));
  ComponentLists lists = Components().Lists();
  EXPECT_EQ(lists.fixedChoice, std::vector<std::string>{"Main"});
  EXPECT_EQ(lists.hidden, std::vector<std::string>{"Main\\Help"});
  EXPECT_EQ(Components().ComponentState("Main\\Help"),
            "FALSE");  // locked ones are set all the same
  Run(ScriptBuilder()
          .Add("Set Component Choice", {"MAIN", "TRUE"})
          .Add("Set Component Visibility", {"main\\help", "TRUE"}));
  lists = Components().Lists();
  EXPECT_TRUE(lists.fixedChoice.empty());
  EXPECT_TRUE(lists.hidden.empty());
}

TEST_F(ComponentStatementsTest, SaveAndLoadRestoreTheSelection) {
  vars.PutVariable("OUT", "C:\\Out\\");
  vars.PutVariable("TARGETDIR", "C:\\Product\\");
  vars.PutVariable("ALLUSERS", "TRUE");
  vars.PutVariable("STARTMENU", "Product");
  vars.PutVariable("COLOR", "blue");
  vars.AddPersistentVariable("COLOR");
  SetTargetPlatform("x64");
  Run(ScriptBuilder()
          .Add("Define Component", {"Main", "TRUE", ""})
          .Add("Define Component", {"Tools", "FALSE", ""})
          .Add("Set Component Choice", {"Tools", "FALSE"})
          .Add("Save Feature Selections", {"$OUT$\\sel.dat"})
          .Add("Set Component State", {"Main", "FALSE"})
          .Add("Set Component State", {"Tools", "TRUE"})
          .Add("Set Component Choice", {"Tools", "TRUE"}));
  ASSERT_TRUE(files.FileExists("C:\\Out\\sel.dat"));
  vars.PutVariable("COLOR", "red");
  vars.PutVariable("TARGETDIR", "elsewhere");
  SetTargetPlatform("Win32");
  Run(ScriptBuilder()
          .Add("Load Feature Selections", {"$OUT$sel.dat"})
          .Add("Load Feature Selections", {"C:\\Out\\missing.dat"})
          .Add("Get Component State", {"Main", "MAIN"})
          .Add("Get Component State", {"Tools", "TOOLS"}));
  EXPECT_EQ(vars.GetVariable("MAIN"), "TRUE");
  EXPECT_EQ(vars.GetVariable("TOOLS"), "FALSE");
  EXPECT_EQ(vars.GetVariable("COLOR"), "blue");
  EXPECT_EQ(vars.GetVariable("TARGETDIR"), "C:\\Product\\");
  EXPECT_EQ(Components().Lists().fixedChoice, std::vector<std::string>{"Tools"});
  EXPECT_EQ(TargetPlatform(), "x64");
}

TEST_F(ComponentStatementsTest, FileStatementsRunInTheNativeFileView) {
  int views = 0;
  RegisterComponentStatements(
      table, ComponentServices{files, nullptr, [&](const std::function<void()>& work) {
                                 ++views;
                                 work();
                               }});
  Run(ScriptBuilder()
          .Add("Save Feature Selections", {"C:\\Out\\a.dat"})
          .Add("Load Feature Selections", {"C:\\Out\\a.dat"}));
  EXPECT_EQ(views, 2);
}

TEST_F(ComponentStatementsTest, SaveIntoAMissingFolderIsAnError) {
  try {
    Run(ScriptBuilder().Add("Save Feature Selections", {"C:\\Nowhere\\a.dat"}));
    ADD_FAILURE();
  } catch (const EngineError& e) {
    EXPECT_STREQ(e.what(), "Cannot create file \"C:\\Nowhere\\a.dat\"");
  }
}

TEST_F(ComponentStatementsTest, NamesAndDescriptionsAreTranslatedWhileALanguageIsCurrent) {
  std::map<std::pair<std::string, int>, std::string> translations = {
      {{ScriptBuilder::Identifier(0), 1}, "Haupt$SUFFIX$"},
      {{ScriptBuilder::Identifier(0), 2}, "Hauptdateien"},
      {{ScriptBuilder::Identifier(1), 1}, "Hauptx"},
      {{ScriptBuilder::Identifier(2), 1}, "Hauptx"},
      {{ScriptBuilder::Identifier(3), 1}, "Hauptx"},
      {{ScriptBuilder::Identifier(3), 2}, "Hauptdateien"},
  };
  std::vector<std::string> asked;
  RegisterComponentStatements(
      table, ComponentServices{files,
                               [&](const std::string& text, const std::string& key,
                                   int slot) -> std::optional<std::string> {
                                 asked.push_back(text + "@" + std::to_string(slot));
                                 auto it = translations.find({key, slot});
                                 return it == translations.end() ? text : it->second;
                               },
                               nullptr});
  vars.PutVariable("SUFFIX", "x");
  Run(ScriptBuilder()
          .Add("Define Component", {"Main", "TRUE", "Main files"})
          .Add("Get Component State", {"Main", "STATE"})
          .Add("Get Component Space", {"Main", "SPACE"})
          .Add("Define Component", {"Main", "TRUE", "Main files"}));
  EXPECT_EQ(Components().ComponentDescription("Hauptx"), "Hauptdateien");
  EXPECT_FALSE(Components().ComponentExists("Main"));
  EXPECT_EQ(vars.GetVariable("STATE"), "TRUE");
  EXPECT_EQ(vars.GetVariable("SPACE"), "2048");
  EXPECT_EQ(asked.front(), "Main@1");
  // The repeated definition adds no second pair for the translated name.
  ComponentLists lists = Components().Lists();
  EXPECT_EQ(std::count(lists.space.begin(), lists.space.end(), "Hauptx"), 1);
}

}  // namespace
}  // namespace vantrell
