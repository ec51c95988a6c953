// The translation lookup with its three modes, the language refresh and the
// start-up offer of languages, on small aligned lists.
#include <gtest/gtest.h>

#include "lang/translations.h"

namespace vantrell {
namespace {

constexpr const char* kIf = "{00000000-0000-0000-0000-000000000007}";

TranslationFiles GermanFiles() {
  TranslationFiles files;
  files.matrix = {kIf, "", "CODEGEAR$GREETING$CODEGEAR", kIf};
  files.original = {"NAME", "Hello", "Welcome", "ignored"};
  files.translated = {"NAME", "Hallo #PRODUCT#", "Willkommen", "ignored"};
  files.map = {"", "", "", ""};
  return files;
}

std::string ExpandBuild(std::string_view text) {
  std::string out(text);
  const size_t at = out.find("#PRODUCT#");
  if (at != std::string::npos) out.replace(at, 9, "Shop");
  return out;
}

struct LookupCase {
  const char* name;
  std::string text;
  std::string key;
  int slot;
  LocalizationMode mode;
  std::string want;
};

TEST(Translate, ModesSlotsAndMisses) {
  TranslationState state;
  state.Refresh("German", [](const std::string&) { return GermanFiles(); });
  const LookupCase cases[] = {
      {"SecondSlotExpandsBuildVariables", "Hello", kIf, 2, LocalizationMode::kNormal, "Hallo Shop"},
      {"KeyIgnoresCase", "Hello", "{00000000-0000-0000-0000-000000000007}", 2,
       LocalizationMode::kNormal, "Hallo Shop"},
      {"FirstMatrixLineWins", "x", kIf, 1, LocalizationMode::kNormal, "NAME"},
      {"UnknownKeyKeepsText", "Hello", "{NOT-A-KEY}", 1, LocalizationMode::kNormal, "Hello"},
      {"SlotPastTheListKeepsText", "Hello", "CODEGEAR$GREETING$CODEGEAR", 3,
       LocalizationMode::kNormal, "Hello"},
      {"VariablesOnlySkipsStatements", "Hello", kIf, 2, LocalizationMode::kVariablesOnly, "Hello"},
      {"VariablesOnlyTranslatesVariables", "Welcome", "CODEGEAR$GREETING$CODEGEAR", 1,
       LocalizationMode::kVariablesOnly, "Willkommen"},
      {"NewOnlyTranslatesTheAuthoredText", "Hello", kIf, 2, LocalizationMode::kNewOnly,
       "Hallo Shop"},
      {"NewOnlyKeepsAnExpandedText", "Hello Anna", kIf, 2, LocalizationMode::kNewOnly,
       "Hello Anna"},
  };
  for (const LookupCase& c : cases) {
    EXPECT_EQ(state.Translate(c.text, c.key, c.slot, c.mode, ExpandBuild), c.want) << c.name;
  }
}

TEST(Translate, ModeNamesIgnoreCase) {
  EXPECT_EQ(ParseLocalizationMode("varsonly"), LocalizationMode::kVariablesOnly);
  EXPECT_EQ(ParseLocalizationMode("NewOnly"), LocalizationMode::kNewOnly);
  EXPECT_EQ(ParseLocalizationMode("#LOCMODE#"), LocalizationMode::kNormal);
  EXPECT_EQ(LocalizationVariableKey("GREETING"), "CODEGEAR$GREETING$CODEGEAR");
}

TEST(RefreshTranslations, LoadsOnChangeKeepsListsWhenTurnedOff) {
  TranslationState state;
  std::vector<std::string> loads;
  auto load = [&](const std::string& language) {
    loads.push_back(language);
    TranslationFiles files = GermanFiles();
    files.translated[1] = language == "German" ? "Hallo" : "Hello";
    return files;
  };
  EXPECT_TRUE(state.Refresh("German", load));
  EXPECT_FALSE(state.Refresh("German", load));  // loaded already
  EXPECT_FALSE(state.Refresh("", load));        // off, lists kept
  EXPECT_FALSE(state.Active());
  EXPECT_EQ(state.Translate("Hello", kIf, 2, LocalizationMode::kNormal, {}), "Hallo");
  EXPECT_FALSE(state.Refresh("German", load));  // back on without a reload
  EXPECT_TRUE(state.Refresh("English", load));
  EXPECT_EQ(state.Translate("Hello", kIf, 2, LocalizationMode::kNormal, {}), "Hello");
  EXPECT_EQ(loads, (std::vector<std::string>{"German", "English"}));
  state.Reset();
  EXPECT_TRUE(state.Refresh("English", load));  // the sentinel matches no language
}

TEST(DialogTranslation, FirstLineOfTheDialogAndControl) {
  TranslationFiles files;
  files.map = {"{A1B2}", "License.dfm", "license.dfm", "Welcome.dfm", "License.dfm"};
  files.matrix = {"Accept", "Next", "ACCEPT", "Accept", "Accept"};
  files.translated = {"statement text", "&Weiter >", "Ich &stimme zu", "welcome", "second"};
  EXPECT_EQ(DialogTranslation(files, "LICENSE.DFM", "accept"), "Ich &stimme zu");
  EXPECT_EQ(DialogTranslation(files, "License.dfm", "Next"), "&Weiter >");
  EXPECT_EQ(DialogTranslation(files, "License.dfm", "Cancel"), std::nullopt);
  files.translated.resize(2);  // lists of unequal length: only the common lines count
  EXPECT_EQ(DialogTranslation(files, "license.dfm", "Accept"), std::nullopt);
}

TEST(OfferedLanguages, FromTheSupportFolder) {
  const std::string support = "C:\\Temp\\{S}\\";
  const std::vector<std::string> files = {
      support + "translations.Map",      support + "translations.English",
      support + "TRANSLATIONS.ORIGINAL", support + "shared.translations.German",
      support + "translations.German",   support + "setup.mtx"};
  bool defaultOffered = false;
  EXPECT_EQ(OfferedLanguages(files, support, "english", defaultOffered),
            (std::vector<std::string>{"English", "German"}));
  EXPECT_TRUE(defaultOffered);
  EXPECT_TRUE(OfferedLanguages({support + "translations.Map", support + "translations.Original"},
                               support, "English", defaultOffered)
                  .empty());
  EXPECT_FALSE(defaultOffered);
}

TEST(PreselectLanguage, UserLanguageThenDefaultThenFirst) {
  const std::vector<std::string> offered = {"English", "German"};
  EXPECT_EQ(PreselectLanguage(offered, "English", "German"), 1u);
  EXPECT_EQ(PreselectLanguage(offered, "English", "French"), 0u);
  EXPECT_EQ(PreselectLanguage(offered, "german", "French"), 1u);
  EXPECT_EQ(PreselectLanguage(offered, "Dutch", ""), 0u);
}

}  // namespace
}  // namespace vantrell
