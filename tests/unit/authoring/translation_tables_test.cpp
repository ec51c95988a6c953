// The project's translations: the texts a fixture project (two languages, a
// form, a partly translated German table) offers, the support files built
// from them as the engine's lookups read them, the warnings for what is
// untranslated, and the tables restored from the support files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "authoring/assemble.h"
#include "authoring/readable_format.h"
#include "authoring/setup_folder.h"
#include "authoring/translation_tables.h"
#include "common/line_reader.h"
#include "dialogs/form_text.h"
#include "lang/translations.h"

namespace vantrell::authoring {
namespace {

namespace fs = std::filesystem;

const fs::path kFixture =
    fs::path(VANTRELL_SOURCE_DIR) / "tests/unit/authoring/fixtures/translated";
constexpr const char* kComponent = "{0A0B0C0D-0000-4000-8000-000000000001}";
constexpr const char* kFarewell = "{0A0B0C0D-0000-4000-8000-000000000002}";

class TranslationTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    project = LoadProject(kFixture / "project.vproj");
    script = CompileProject(project).script;
    forms.emplace_back("Page", ParseFormText(ReadBinaryFile(kFixture / "forms/Page.txt")));
    texts = ExtractTexts(project, script, forms);
    given["German"] = ReadTable(ReadBinaryFile(kFixture / "translations/German.txt"), "German.txt");
    build = BuildTranslations(project, texts, given,
                              [this](const Warning& w) { warnings.push_back(w.message); });
  }
  // The engine's view of the built files for one language.
  TranslationFiles Files(const std::string& language) {
    TranslationFiles f;
    f.map = SplitLines(build.supportFiles.at("translations.Map"));
    f.translated = SplitLines(build.supportFiles.at("translations." + language));
    f.original = SplitLines(build.supportFiles.at("translations.Original"));
    f.matrix = SplitLines(build.supportFiles.at("Translated.mtx"));
    return f;
  }

  Project project;
  CarriedScript script;
  std::vector<std::pair<std::string, FormComponent>> forms;
  std::vector<TranslatableText> texts;
  std::map<std::string, TranslationTable> given;
  TranslationBuild build;
  std::vector<std::string> warnings;
};

TEST_F(TranslationTablesTest, EveryTranslatableTextInScriptAndFormOrder) {
  std::vector<std::string> found;
  for (const TranslatableText& t : texts)
    found.push_back(t.owner + "|" + t.item + "|" + t.original);
  EXPECT_EQ(found, (std::vector<std::string>{
                       "CODEGEAR$GREETING$CODEGEAR|1|Hello",
                       std::string(kComponent) + "|1|Application",
                       std::string(kComponent) + "|2|The application",
                       std::string(kFarewell) + "|1|Goodbye",
                       "Page.dfm|Page.dfm|Page caption",
                       "Page.dfm|Heading|Welcome",
                       "Page.dfm|Next|&Next >",
                   }));
}

TEST_F(TranslationTablesTest, TheEngineFindsTheTranslationsItIsBuiltFor) {
  ASSERT_EQ(build.supportFiles.size(), 5u);  // matrix, map, originals, two languages
  TranslationState state;
  state.Refresh("German", [this](const std::string& language) { return Files(language); });
  struct Case {
    std::string text, key;
    int slot;
    std::string expected;
  };
  for (const Case& c : {
           Case{"Hello", "CODEGEAR$GREETING$CODEGEAR", 1, "Hallo"},
           Case{"Application", kComponent, 1, "Anwendung"},
           // Untranslated: shipped as the original.
           Case{"The application", kComponent, 2, "The application"},
           // The table translated an older text: the original again.
           Case{"Goodbye", kFarewell, 1, "Goodbye"},
       }) {
    EXPECT_EQ(state.Translate(c.text, c.key, c.slot, LocalizationMode::kNormal, {}), c.expected)
        << c.key << " " << c.slot;
  }
  const TranslationFiles german = Files("German");
  EXPECT_EQ(DialogTranslation(german, "Page.dfm", "Heading"), "Willkommen");
  EXPECT_EQ(DialogTranslation(german, "page.DFM", "Page.dfm"), "Seitentitel");
  EXPECT_EQ(DialogTranslation(german, "Page.dfm", "Next"), "&Next >");
  EXPECT_EQ(DialogTranslation(Files("English"), "Page.dfm", "Heading"), "Welcome");
}

TEST_F(TranslationTablesTest, UntranslatedTextsAreWarnedForOtherLanguagesOnly) {
  ASSERT_EQ(warnings.size(), 3u);
  EXPECT_NE(warnings[0].find("German: untranslated"), std::string::npos);
  EXPECT_NE(warnings[0].find("The application"), std::string::npos);
  EXPECT_NE(warnings[1].find("Goodbye"), std::string::npos);
  EXPECT_NE(warnings[2].find("&Next >"), std::string::npos);
}

TEST_F(TranslationTablesTest, RefreshedTablesKeepTranslationsAndListEveryText) {
  const TranslationTable german = ReadTable(build.tables.at("German"), "German.txt");
  ASSERT_EQ(german.size(), texts.size());
  EXPECT_EQ(german[0].second, "Hallo");
  EXPECT_EQ(german[2].second, "");  // untranslated stays empty in the table
  EXPECT_EQ(german[3].first.original, "Goodbye");
  EXPECT_EQ(german[3].second, "");
  EXPECT_NE(build.tables.at("German").find("# "), std::string::npos);  // where each text is
}

TEST_F(TranslationTablesTest, DumpRestoresTheTablesFromTheSupportFiles) {
  const fs::path folder =
      fs::temp_directory_path() / ("vantrell-tables-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  for (const auto& [name, bytes] : build.supportFiles) {
    std::ofstream(folder / name, std::ios::binary) << bytes;
  }
  std::ofstream(folder / "readme.txt") << "kept";
  const std::map<std::string, std::string> tables = RestoreTables(folder, "Translated");
  ASSERT_EQ(tables.size(), 2u);
  const TranslationTable german = ReadTable(tables.at("German"), "German.txt");
  const TranslationTable built = ReadTable(build.tables.at("German"), "German.txt");
  ASSERT_EQ(german.size(), built.size());
  for (size_t i = 0; i < german.size(); ++i) {
    EXPECT_EQ(german[i].first.owner, built[i].first.owner);
    EXPECT_EQ(german[i].first.item, built[i].first.item);
    EXPECT_EQ(german[i].first.original, built[i].first.original);
    // Shipped as its original, an untranslated text is untranslated again.
    EXPECT_EQ(german[i].second, built[i].second);
  }
  // Only the translation files are taken away.
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(folder)) left.push_back(entry.path().filename());
  EXPECT_EQ(left, std::vector<std::string>{"readme.txt"});
  fs::remove_all(folder);
}

TEST(TranslationTable, MalformedTablesNameTheirLine) {
  for (const char* text : {"@ key\n= a\n> b\n", "@ key | 1\n> b\n", "@ key | 1\n= a\n"}) {
    try {
      ReadTable(text, "German.txt");
      ADD_FAILURE() << text;
    } catch (const ProjectError& e) {
      EXPECT_EQ(e.Where().file, "German.txt");
      EXPECT_GT(e.Where().line, 0);
    }
  }
  EXPECT_EQ(SplitLanguages(" English ,German,, French"),
            (std::vector<std::string>{"English", "German", "French"}));
}

}  // namespace
}  // namespace vantrell::authoring
