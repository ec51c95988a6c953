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
}

}  // namespace
}  // namespace vantrell::authoring
