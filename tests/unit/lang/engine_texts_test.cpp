// Engine text slots: defaults, and loading blocks for the user's language.
#include <gtest/gtest.h>

#include "lang/caption.h"
#include "lang/engine_texts.h"
#include "lang/language_table.h"

namespace vantrell {
namespace {

std::string Block(const std::string& prefix) {
  std::string b;
  for (int slot = 1; slot <= kEngineTextSlots; ++slot) b += prefix + std::to_string(slot) + "\r\n";
  return b;
}

class EngineTexts : public ::testing::Test {
 protected:
  void TearDown() override { ResetEngineTexts(); }
};

TEST_F(EngineTexts, Defaults) {
  EXPECT_EQ(EngineText(kTextResourceNotFound), "Setup resource not found");
  EXPECT_EQ(EngineText(kTextRuntimeErrorInInstall), "Runtime error in install: ");
  EXPECT_EQ(EngineText(kTextWizardCaption), "Vantrell Wizard");
  EXPECT_EQ(EngineText(115), "Entire feature will be &unavailable");
  EXPECT_EQ(EngineText(0), "");
  EXPECT_EQ(EngineText(116), "");
}

TEST_F(EngineTexts, LoadsTheBlockOfTheUserLanguage) {
  const std::string file = Block("en") + "German\r\n" + Block("de") + "French\r\n" + Block("fr");
  struct Case {
    const char* language;
    const char* slot2;
  } cases[] = {{"German", "de2"}, {"FRENCH", "fr2"}, {"Dutch", "fr2"}, {"", "fr2"}};
  for (const Case& c : cases) {
    ResetEngineTexts();
    LoadEngineTexts(file, c.language);
    EXPECT_EQ(EngineText(2), c.slot2) << c.language;
  }
  // Reserved slots keep their defaults.
  EXPECT_EQ(EngineText(95), "");
  EXPECT_EQ(EngineText(112), "fr112");
}

TEST_F(EngineTexts, CaptionSuffixFollowsTheWizardsName) {
  std::string block = Block("de");
  block.replace(block.find("de23\r\n"), 6, "Vantrell-Assistent\r\n");
  LoadEngineTexts(block, "German");
  SetCaptionTitle("Beispiel");
  EXPECT_EQ(WizardCaption(), "Beispiel - Vantrell-Assistent");
  EXPECT_EQ(DialogCaption("Seite"), "Seite - Vantrell-Assistent");
  EXPECT_EQ(DialogCaption("Seite - Vantrell-Assistent"), "Seite - Vantrell-Assistent");
  SetCaptionLogo(true);
  EXPECT_EQ(DialogCaption("Seite - Vantrell-Assistent"), "Seite");
  SetCaptionLogo(false);
  SetCaptionTitle("");
}

TEST_F(EngineTexts, ShortFileKeepsWhatItHas) {
  LoadEngineTexts("one\r\ntwo\r\n", "English");
  EXPECT_EQ(EngineText(1), "one");
  EXPECT_EQ(EngineText(2), "two");
  EXPECT_EQ(EngineText(3), "");
}

TEST(LanguageTable, Lookups) {
  EXPECT_EQ(LanguageToLcid("german"), "1031");
  EXPECT_EQ(LanguageToLcid("Klingon"), "1033");
  EXPECT_EQ(LcidToLanguage(1036), "French");
  EXPECT_EQ(LcidToLanguage(2057, [](unsigned) { return std::string("English"); }), "English");
  EXPECT_EQ(LcidToLanguage(3079, [](unsigned) { return std::string("German"); }), "German");
  EXPECT_EQ(LcidToLanguage(1099, [](unsigned) { return std::string("Kannada"); }), "");
  EXPECT_EQ(LcidToLanguage(1099), "");
}

TEST(LanguageTable, RightToLeftLanguages) {
  struct Case {
    const char* name;
    bool rightToLeft;
  };
  for (const Case& c :
       {Case{"Arabic", true}, Case{"HEBREW", true}, Case{"hebrew", true}, Case{"English", false},
        Case{"Persian", false}, Case{"", false}, Case{"Hebrew (Israel)", false}}) {
    EXPECT_EQ(IsRightToLeftLanguage(c.name), c.rightToLeft) << c.name;
  }
  // Every right-to-left language is a row of the table.
  EXPECT_EQ(LanguageToLcid("Arabic"), "1025");
  EXPECT_EQ(LanguageToLcid("Hebrew"), "1037");
}

}  // namespace
}  // namespace vantrell
