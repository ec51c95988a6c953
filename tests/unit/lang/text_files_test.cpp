// The per-language engine text files (lang/texts) and the lang.loc built from
// them: line layout, English equal to the defaults, blanks, hot keys and empty
// slots as in English, and the selection of a block by the user's language.
#include <gtest/gtest.h>
#include <iconv.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "lang/engine_texts.h"

namespace vantrell {
namespace {

struct Entry {
  std::string file;
  std::string display;
  std::string codePage;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1) {
    parts.push_back(text.substr(start, end - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

// The file's lines; empty when it is not 115 LF-terminated lines.
std::vector<std::string> Lines(const std::string& file) {
  const std::string text = ReadFile(std::string(VANTRELL_TEXTS_DIR) + "/" + file);
  if (text.empty() || text.back() != '\n') return {};
  std::vector<std::string> lines = Split(text.substr(0, text.size() - 1), '\n');
  if (lines.size() != kEngineTextSlots) return {};
  return lines;
}

std::vector<Entry> Entries() {
  std::vector<Entry> entries;
  for (const std::string& item : Split(VANTRELL_TEXT_ENTRIES, '^')) {
    std::vector<std::string> fields = Split(item, '|');
    if (fields.size() == 3) entries.push_back({fields[0], fields[1], fields[2]});
  }
  return entries;
}

std::string ToCodePage(const std::string& utf8, const std::string& codePage) {
  iconv_t cd = iconv_open(codePage.c_str(), "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return "<no converter for " + codePage + ">";
  std::string in = utf8;
  std::string out(in.size() * 4 + 4, '\0');
  char* inPtr = in.data();
  size_t inLeft = in.size();
  char* outPtr = out.data();
  size_t outLeft = out.size();
  const size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (rc == static_cast<size_t>(-1)) return "<not convertible>";
  out.resize(out.size() - outLeft);
  return out;
}

bool Reserved(int slot) {
  return slot >= 91 && slot <= 111;
}

int Ampersands(const std::string& text) {
  int n = 0;
  for (char c : text) n += c == '&' ? 1 : 0;
  return n;
}

// The character after "&" (one UTF-8 sequence), ASCII letters folded.
std::string HotKey(const std::string& text) {
  size_t at = text.find('&');
  if (at == std::string::npos || at + 1 >= text.size()) return {};
  size_t end = at + 2;
  while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
  std::string key = text.substr(at + 1, end - at - 1);
  if (key.size() == 1 && key[0] >= 'A' && key[0] <= 'Z') key[0] = static_cast<char>(key[0] + 32);
  return key;
}

class TextFiles : public ::testing::Test {
 protected:
  void TearDown() override { ResetEngineTexts(); }
};

TEST_F(TextFiles, EveryFileIsListedAndEveryEntryHasAFile) {
  std::set<std::string> listed;
  for (const Entry& e : Entries()) listed.insert(e.file);
  std::set<std::string> present;
  for (const auto& f : std::filesystem::directory_iterator(VANTRELL_TEXTS_DIR)) {
    if (f.path().extension() == ".txt") present.insert(f.path().filename().string());
  }
  EXPECT_EQ(listed, present);
  ASSERT_FALSE(Entries().empty());
  EXPECT_EQ(Entries().back().display, "English");
}

TEST_F(TextFiles, EnglishIsTheDefaults) {
  ResetEngineTexts();
  const std::vector<std::string> english = Lines("English.txt");
  ASSERT_EQ(english.size(), static_cast<size_t>(kEngineTextSlots));
  for (int slot = 1; slot <= kEngineTextSlots; ++slot) {
    EXPECT_EQ(english[slot - 1], EngineText(slot)) << "slot " << slot;
  }
}

TEST_F(TextFiles, TranslationsKeepWhatTheEngineReliesOn) {
  const std::vector<std::string> english = Lines("English.txt");
  ASSERT_EQ(english.size(), static_cast<size_t>(kEngineTextSlots));
  const std::vector<std::vector<int>> hotKeyGroups = {{28, 29, 41, 42}, {31, 32}, {35, 36},
                                                      {38, 39},         {51, 52}, {113, 114, 115}};
  for (const Entry& e : Entries()) {
    SCOPED_TRACE(e.file);
    const std::vector<std::string> lines = Lines(e.file);
    ASSERT_EQ(lines.size(), static_cast<size_t>(kEngineTextSlots)) << "115 lines, LF ends";
    EXPECT_NE(lines[0].rfind("\xEF\xBB\xBF", 0), 0u) << "no byte order mark";
    for (int slot = 1; slot <= kEngineTextSlots; ++slot) {
      const std::string& en = english[slot - 1];
      const std::string& text = lines[slot - 1];
      SCOPED_TRACE("slot " + std::to_string(slot));
      EXPECT_EQ(en.empty(), text.empty());
      EXPECT_EQ(text.find('\r'), std::string::npos);
      EXPECT_EQ(Ampersands(text), Ampersands(en));
      if (en.empty() || text.empty()) continue;
      EXPECT_EQ(en.front() == ' ', text.front() == ' ') << "leading blank";
      EXPECT_EQ(en.back() == ' ', text.back() == ' ') << "trailing blank";
      if (en.front() == '%') {
        EXPECT_EQ(text.front(), '%');
      }
      if (en.find("Vantrell") != std::string::npos) {
        EXPECT_NE(text.find("Vantrell"), std::string::npos);
      }
      EXPECT_NE(ToCodePage(text, e.codePage), "<not convertible>");
    }
    for (const std::vector<int>& group : hotKeyGroups) {
      std::set<std::string> keys;
      for (int slot : group) keys.insert(HotKey(lines[slot - 1]));
      EXPECT_EQ(keys.size(), group.size()) << "hot keys unique from slot " << group.front();
    }
  }
}

class BuiltFile : public TextFiles {
 protected:
  void SetUp() override { loc_ = ReadFile(VANTRELL_LANG_LOC); }

  // Expects the current texts to be those of file converted to codePage.
  void ExpectTextsOf(const std::string& file, const std::string& codePage) {
    const std::vector<std::string> lines = Lines(file);
    ASSERT_EQ(lines.size(), static_cast<size_t>(kEngineTextSlots));
    for (int slot = 1; slot <= kEngineTextSlots; ++slot) {
      if (Reserved(slot)) continue;
      EXPECT_EQ(EngineText(slot), ToCodePage(lines[slot - 1], codePage))
          << file << " slot " << slot;
    }
  }

  std::string loc_;
};

TEST_F(BuiltFile, LayoutIsBaseBlockThenNamedBlocksWithCrLf) {
  ASSERT_FALSE(loc_.empty());
  ASSERT_EQ(loc_.substr(loc_.size() - 2), "\r\n");
  std::vector<std::string> lines = Split(loc_.substr(0, loc_.size() - 1), '\n');
  for (std::string& line : lines) {
    ASSERT_FALSE(line.empty() || line.back() != '\r') << "CR LF ends";
    line.pop_back();
  }
  const std::vector<Entry> entries = Entries();
  ASSERT_EQ(lines.size(), kEngineTextSlots + entries.size() * (kEngineTextSlots + 1));
  for (size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(lines[kEngineTextSlots + i * (kEngineTextSlots + 1)], entries[i].display);
  }
}

TEST_F(BuiltFile, EachLanguageGetsItsOwnBlockInItsCodePage) {
  for (const Entry& e : Entries()) {
    ResetEngineTexts();
    LoadEngineTexts(loc_, e.display);
    ExpectTextsOf(e.file, e.codePage);
  }
}

TEST_F(BuiltFile, GermanUserGetsGermanSourcesNotFound) {
  LoadEngineTexts(loc_, "german");
  EXPECT_EQ(EngineText(18),
            "Zum Abschlie\xDF"
            "en des Vorgangs werden die urspr\xFC"
            "nglichen Setup-Quellen ben\xF6tigt, Quellen nicht gefunden");
}

TEST_F(BuiltFile, UserWithoutABlockEndsWithEnglish) {
  for (const char* language : {"Korean", "Thai", ""}) {
    ResetEngineTexts();
    LoadEngineTexts(loc_, language);
    ExpectTextsOf("English.txt", "CP1252");
  }
}

}  // namespace
}  // namespace vantrell
