// The command reference against the engine's statement table, its own
// well-formedness, the close names offered for slips, and COMMANDS.md.
#include "authoring/command_reference.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "engine/statement_table.h"

namespace vantrell::authoring {
namespace {

std::string SourceText(const std::string& relative) {
  std::ifstream in(std::string(VANTRELL_SOURCE_DIR) + "/" + relative, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(CommandReferenceTest, NamesEveryStatementOfTheEngineAndNothingElse) {
  std::set<std::string> engine{"Label"};  // served by the label table, not a handler
  for (const StatementModule& m : StatementModules()) engine.insert(std::string(m.command));
  std::set<std::string> reference;
  for (const CommandInfo& c : CommandReference()) reference.insert(c.name);
  EXPECT_EQ(reference, engine);
  EXPECT_EQ(CommandReference().size(), engine.size());
}

TEST(CommandReferenceTest, ParametersAreNamedUniquelyAndCodesListed) {
  for (const CommandInfo& c : CommandReference()) {
    EXPECT_EQ(FindCommand(c.name), &c) << c.name;
    EXPECT_FALSE(c.summary.empty()) << c.name;
    std::set<std::string> names;
    for (const ParamInfo& p : c.params) {
      EXPECT_TRUE(names.insert(p.name).second) << c.name << ": " << p.name;
      EXPECT_FALSE(p.meaning.empty()) << c.name << ": " << p.name;
      EXPECT_EQ(p.name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789-"),
                std::string::npos)
          << c.name << ": " << p.name;
      EXPECT_EQ(p.kind == ParamKind::kCode, !p.codes.empty()) << c.name << ": " << p.name;
      EXPECT_EQ(p.kind == ParamKind::kVariable, p.use != VariableUse::kNone)
          << c.name << ": " << p.name;
      std::set<std::string> values;
      for (const CodeInfo& code : p.codes)
        EXPECT_TRUE(values.insert(code.value).second) << c.name << ": " << code.value;
    }
  }
  EXPECT_EQ(FindCommand("if"), nullptr);
}

TEST(CommandReferenceTest, LinesPastTheDescribedOnesHavePlaceholderNames) {
  struct Case {
    const char* command;
    const char* name;
    int index;
  } cases[] = {
      {"Create ODBC DSN", "line-1", 0},
      {"Create ODBC DSN", "line-12", 11},
      {"Create ODBC DSN", "line-999", 998},
      {"Comment", "line-2", 1},
      // Four lines are described: a placeholder starts at the fifth.
      {"Install ODBC Driver", "line-5", 4},
      {"Install ODBC Driver", "line-4", -1},
      {"Install ODBC Driver", "target-folder", 3},
      // No further lines allowed, no placeholders.
      {"Set Variable", "line-3", -1},
      {"Create ODBC DSN", "line-0", -1},
      {"Create ODBC DSN", "line-01", -1},
      {"Create ODBC DSN", "line-1000", -1},
      {"Create ODBC DSN", "line-", -1},
      {"Create ODBC DSN", "line-1x", -1},
      {"Create ODBC DSN", "Line-1", -1},
  };
  for (const Case& c : cases) {
    const CommandInfo* command = FindCommand(c.command);
    ASSERT_NE(command, nullptr) << c.command;
    EXPECT_EQ(FindParameter(*command, c.name), c.index) << c.command << ": " << c.name;
  }
  for (const CommandInfo& c : CommandReference()) {
    const size_t lines = c.params.size() + 3;
    for (size_t i = 0; i < lines; ++i) {
      const std::string name = ParameterNameAt(c, i);
      if (i >= c.params.size() && !c.moreLines) {
        EXPECT_EQ(name, "") << c.name << " line " << i + 1;
        continue;
      }
      EXPECT_EQ(FindParameter(c, name), static_cast<int>(i)) << c.name << ": " << name;
    }
    // A described name that looked like a placeholder would shadow a line.
    for (const ParamInfo& p : c.params) EXPECT_NE(p.name.rfind("line-", 0), 0u) << c.name;
  }
}

TEST(CommandReferenceTest, SlipsFindTheIntendedCommand) {
  struct Case {
    const char* written;
    std::vector<std::string> offered;
  } cases[] = {
      {"Instal Files", {"Install Files"}},
      {"Write registry", {"Write Registry"}},
      {"messagebox", {"MessageBox"}},
      {"Message Box", {"MessageBox"}},
      {"Get Folder Locaton", {"Get Folder Location"}},
      {"Frobnicate", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(SimilarCommands(c.written), c.offered) << c.written;
}

TEST(CommandsDocumentTest, CheckedInFileIsWhatTheToolWrites) {
  const std::string doc = SourceText("authoring/COMMANDS.md");
  EXPECT_EQ(doc, CommandReferenceMarkdown())
      << "authoring/COMMANDS.md is stale: cmake --build --preset native --target commands-doc";
  for (const StatementModule& m : StatementModules())
    EXPECT_NE(doc.find("\n## " + std::string(m.command) + "\n"), std::string::npos) << m.command;
  // Every command that takes lines names them in its table, placeholders included.
  for (const CommandInfo& c : CommandReference()) {
    const size_t at = doc.find("\n## " + c.name + "\n");
    ASSERT_NE(at, std::string::npos) << c.name;
    const std::string section = doc.substr(at, doc.find("\n## ", at + 1) - at);
    const bool lines = !c.params.empty() || c.moreLines;
    EXPECT_EQ(section.find("| Line | Name |") != std::string::npos, lines) << c.name;
    for (size_t i = 0; lines && i <= c.params.size(); ++i) {
      const std::string name = ParameterNameAt(c, i);
      if (name.empty()) continue;
      EXPECT_NE(section.find("`" + name + "`"), std::string::npos) << c.name;
    }
  }
}

}  // namespace
}  // namespace vantrell::authoring
