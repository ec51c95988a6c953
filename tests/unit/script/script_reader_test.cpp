// Reading the carried script: list order, the whole-line dollar markers,
// parameter and header lookups, build-variable tokens, and damaged input.
#include <gtest/gtest.h>

#include "common/engine_error.h"
#include "script/script_reader.h"

namespace vantrell {
namespace {

std::string Crlf(std::initializer_list<const char*> lines) {
  std::string s;
  for (const char* line : lines) s += std::string(line) + "\r\n";
  return s;
}

const char* kId0 = "{EAB25353-C1D7-48FC-8064-E89DEA7BA9D4}";
const char* kId1 = "{7483D4EF-42D2-4140-A58B-EF8ABECE925C}";
const char* kId2 = "{11111111-2222-3333-4444-555555555555}";

std::string FullScript() {
  return Crlf({"Comment",
               "Install Files",
               "End",
               "$",  // commands
               kId0,
               kId1,
               kId2,
               "$",  // identifiers
               kId1,
               "files param 1",
               "$DOLLAR$",
               "x $DOLLAR$ y",
               kId0,  // pool (blocks out of order)
               "the comment",
               "$wild_dollar$",
               "$",
               "",
               "C",
               "",
               "$",  // markers
               "{PRODUCT}",
               "My Title",  // product code, title
               "Windows Installer",
               "$",  // plug-ins
               "Pub",
               "Contact",
               "http://help",
               "http://upd",
               "Comments",
               "1.2.3",
               "offline",
               "secret",
               "$",  // media passwords
               "",
               "OFFLINE\\",
               "",
               "$",  // media folders
               "  2 trailing",
               "VELD-PREDEF-COMPONENT",
               "100",
               "$",  // build kind, sizes
               "{REVISION}",
               "OFFLINE",
               "1A\\f.txt",
               "OFFLINE\\21F1A76D\\1A\\",
               "$",
               "TRUE",
               "English",
               "21F1A76D",
               "1",
               "$",  // headers
               "TITLE",
               "Build Title",
               "LOOP",
               "#LOOP#$",
               "$"});  // build variables
}

TEST(ScriptReader, ReadsEveryItemInLayoutOrder) {
  SetupScript s = ReadScript(FullScript());
  EXPECT_EQ(s.commands, (std::vector<std::string>{"Comment", "Install Files", "End"}));
  EXPECT_EQ(s.identifiers.size(), 3u);
  EXPECT_EQ(s.markers, (std::vector<std::string>{"", "C", ""}));
  EXPECT_EQ(s.productCode, "{PRODUCT}");
  EXPECT_EQ(s.projectTitle, "My Title");
  EXPECT_EQ(s.pluginCommands, (std::vector<std::string>{"Windows Installer"}));
  EXPECT_EQ(s.registration.publisher, "Pub");
  EXPECT_EQ(s.registration.version, "1.2.3");
  EXPECT_EQ(s.mediaPasswords.size(), 2u);
  EXPECT_EQ(s.mediaFolders, (std::vector<std::string>{"", "OFFLINE\\", ""}));
  EXPECT_EQ(s.buildKind, 2);
  EXPECT_EQ(s.componentSizes.size(), 2u);
  EXPECT_EQ(s.revisionCode, "{REVISION}");
  EXPECT_EQ(s.offlineFiles.size(), 3u);
  EXPECT_TRUE(s.languageSelection);
  EXPECT_EQ(s.defaultLanguage, "English");
  EXPECT_EQ(s.statementHeaders.size(), 2u);
  EXPECT_EQ(s.buildVariables.size(), 4u);
  ASSERT_EQ(s.pools.size(), 1u);
}

TEST(ScriptReader, ParameterLinesByIdentifier) {
  SetupScript s = ReadScript(FullScript());
  struct Case {
    const char* id;
    int n;
    const char* want;
  } cases[] = {
      {kId0, 1, "the comment"},
      {kId1, 1, "files param 1"},
      {kId1, 2, "$"},             // whole-line marker becomes "$"
      {kId1, 3, "x $DOLLAR$ y"},  // inside a longer line it stays
      {kId0, 2, "$"},             // the marker in any letter case
      {kId2, 1, ""},              // no block: empty
      {"{eab25353-c1d7-48fc-8064-e89dea7ba9d4}", 1, "the comment"},  // identifier case ignored
      {kId0, 3, ""},                                                 // beyond the pool's end
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParameterLine(s.pools, c.id, c.n), c.want) << c.id << " line " << c.n;
  }
}

TEST(ScriptReader, FirstPoolHoldingTheIdentifierWins) {
  std::vector<ParameterPool> pools;
  pools.emplace_back(std::vector<std::string>{"{A}", "from first"});
  pools.emplace_back(std::vector<std::string>{"{A}", "from second", "{B}", "only second"});
  EXPECT_EQ(ParameterLine(pools, "{A}", 1), "from first");
  EXPECT_EQ(ParameterLine(pools, "{B}", 1), "only second");
  // A pool that holds the identifier ends the search even when the line is missing.
  EXPECT_EQ(ParameterLine(pools, "{A}", 5), "");
}

TEST(ScriptReader, StatementHeaders) {
  SetupScript s = ReadScript(FullScript());
  EXPECT_EQ(StatementHeader(s, 1), "21F1A76D");
  EXPECT_EQ(StatementHeader(s, 2, /*scanning=*/true), "");
  try {
    StatementHeader(s, 2);
    FAIL() << "no error";
  } catch (const EngineError& e) {
    EXPECT_STREQ(e.what(), "Unable to obtain command headers. Please rebuild your project.");
  }
}

TEST(ScriptReader, LanguageSelectionFlagIsExact) {
  for (const char* flag : {"TRUE", "true", "True", "", "TRUE "}) {
    std::string text = Crlf({"$", "$", "$", "$", "",  "", "$", "",   "",        "",  "", "",
                             "",  "$", "$", "1", "$", "", "$", flag, "English", "$", "$"});
    EXPECT_EQ(ReadScript(text).languageSelection, std::string(flag) == "TRUE") << flag;
  }
}

TEST(ScriptReader, BuildVariables) {
  SetupScript s = ReadScript(FullScript());
  struct Case {
    const char* in;
    const char* want;
  } cases[] = {
      {"no tokens", "no tokens"},
      {"#TITLE#", "Build Title"},
      {"[#title#]", "[Build Title]"},
      {"#UNKNOWN# stays", "#UNKNOWN# stays"},
      {"#TITLE##TITLE#", "Build TitleBuild Title"},
  };
  for (const Case& c : cases) EXPECT_EQ(ExpandBuildVariables(s, c.in), c.want) << c.in;
  // A value that doubles its own token stops growing at a bounded size.
  SetupScript doubling = s;
  doubling.buildVariables = {"D", "#D##D#$"};
  EXPECT_LE(ExpandBuildVariables(doubling, "#D#").size(), size_t{256} << 10);
  // A value that re-creates its own token stops after a bounded number of rounds.
  std::string looped = ExpandBuildVariables(s, "#LOOP#");
  EXPECT_LT(looped.size(), 64u);
  EXPECT_EQ(looped.rfind("#LOOP#", 0), 0u);
}

TEST(ScriptReader, EndOfDataEndsTheCurrentListAndLeavesTheRestEmpty) {
  SetupScript s = ReadScript(Crlf({"Comment", "If", "$", kId0}));
  EXPECT_EQ(s.commands.size(), 2u);
  EXPECT_EQ(s.identifiers, (std::vector<std::string>{kId0}));
  EXPECT_TRUE(s.markers.empty());
  EXPECT_TRUE(s.productCode.empty());
  EXPECT_TRUE(s.buildVariables.empty());
}

TEST(ScriptReader, LineEndsAndDamagedInput) {
  // Lone LF and CR end lines too; no final line end keeps the last line.
  SetupScript s = ReadScript(std::string("A\nB\rC\r\n$\nX"));
  EXPECT_EQ(s.commands, (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(s.identifiers, (std::vector<std::string>{"X"}));

  std::string garbage;
  for (int i = 0; i < 5000; ++i) garbage.push_back(static_cast<char>((i * 131) ^ (i >> 3)));
  SetupScript g = ReadScript(garbage);
  EXPECT_LE(g.commands.size(), garbage.size());

  std::string longLine(1 << 20, 'x');
  SetupScript l = ReadScript(longLine + "\r\n$\r\n");
  ASSERT_EQ(l.commands.size(), 1u);
  EXPECT_EQ(l.commands[0].size(), longLine.size());

  EXPECT_TRUE(ReadScript("").commands.empty());
}

TEST(ScriptReader, BuildKindReadsLeadingInteger) {
  struct Case {
    const char* line;
    int64_t want;
  } cases[] = {{"2", 2},
               {"  3 rest", 3},
               {"x", 0},
               {"-1", -1},
               {"99999999999999999999999", 999999999999999999}};
  for (const Case& c : cases) {
    std::string text =
        Crlf({"$", "$", "$", "$", "", "", "$", "", "", "", "", "", "", "$", "$", c.line});
    EXPECT_EQ(ReadScript(text).buildKind, c.want) << c.line;
  }
}

}  // namespace
}  // namespace vantrell
