// Edit masks: the fields and places read from mask texts, the text shown for
// values kept with and without literals, the value saved from shown texts
// (and read back to them), typing, deleting and erasing with the caret's
// moves, completeness, and masks that are empty, cut short or very long.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/edit_mask.h"

namespace vantrell {
namespace {

EditMask Mask(std::string_view text) {
  std::optional<EditMask> mask = ParseEditMask(text);
  if (!mask) ADD_FAILURE() << "no mask in '" << text << "'";
  return mask.value_or(EditMask{});
}

// The places in the mask's own letters: a literal quoted, an input place by
// the letter of its kind and requirement, '>' or '<' after it for a case.
std::string Places(const EditMask& mask) {
  std::string out;
  for (const MaskPlace& place : mask.places) {
    if (!out.empty()) out += ' ';
    switch (place.kind) {
      case MaskPlaceKind::kLiteral:
        out += std::string("'") + place.literal + "'";
        continue;
      case MaskPlaceKind::kLetter:
        out += place.required ? 'L' : 'l';
        break;
      case MaskPlaceKind::kLetterOrDigit:
        out += place.required ? 'A' : 'a';
        break;
      case MaskPlaceKind::kAnyCharacter:
        out += place.required ? 'C' : 'c';
        break;
      case MaskPlaceKind::kDigit:
        out += place.required ? '0' : '9';
        break;
      case MaskPlaceKind::kDigitOrSign:
        out += place.required ? '?' : '#';
        break;
    }
    if (place.letterCase == MaskCase::kUpper) out += '>';
    if (place.letterCase == MaskCase::kLower) out += '<';
  }
  return out;
}

struct ParseCase {
  std::string mask;
  std::string places;
  bool saveLiterals;
  char blank;
  bool valueAtEnd;
};

TEST(EditMask, ReadsPlacesAndFields) {
  const std::vector<ParseCase> cases = {
      {">LL-000;1;_", "L> L> '-' 0> 0> 0>", true, '_', false},
      {"(999) 000-0000;1;_", "'(' 9 9 9 ')' ' ' 0 0 0 '-' 0 0 0 0", true, '_', false},
      {"!99/99/00;1;_", "9 9 '/' 9 9 '/' 0 0", true, '_', true},
      {"\\A00;0;*", "'A' 0 0", false, '*', false},
      {"<ll>LL;1; ", "l< l< L> L>", true, ' ', false},
      {"LlAaCc09#", "L l A a C c 0 9 #", true, '_', false},
      {"<L<>L>L<>L", "L< L L> L", true, '_', false},
      {"a<>b_:/x", "a 'b' ' ' ':' '/' 'x'", true, '_', false},
      {"0!0", "0 0", true, '_', true},
      {"\\;0;0", "';' 0", false, '_', false},
      {"\\\\\\L\\>0", "'\\' 'L' '>' 0", true, '_', false},
      {"00\\", "0 0 '\\'", true, '_', false},
      {"00", "0 0", true, '_', false},
      {"00;0", "0 0", false, '_', false},
      {"00;01", "0 0", false, '_', false},
      {"00;;", "0 0", true, '_', false},
      {"00;;#", "0 0", true, '#', false},
      {"00;1;", "0 0", true, '_', false},
      {"00;x;*y;z", "0 0", true, '*', false},
      {"00;1;;", "0 0", true, ';', false},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.mask);
    const EditMask mask = Mask(c.mask);
    EXPECT_EQ(Places(mask), c.places);
    EXPECT_EQ(mask.saveLiterals, c.saveLiterals);
    EXPECT_EQ(mask.blank, c.blank);
    EXPECT_EQ(mask.valueAtEnd, c.valueAtEnd);
    EXPECT_EQ(MaskLength(mask), mask.places.size());
  }
}

TEST(EditMask, MasksWithoutPlacesAreNone) {
  for (const char* text : {"", ";", ";;;", ";1;_", "!", "<>", "!><", "><;0;*"}) {
    EXPECT_FALSE(ParseEditMask(text)) << text;
  }
}

TEST(EditMask, LengthCountsShownPlacesOnly) {
  EXPECT_EQ(MaskLength(Mask(">AAA-000;1;_")), 7U);
  EXPECT_EQ(MaskLength(Mask("!\\(999\\) 000;0;_")), 9U);
  EXPECT_EQ(MaskLength(Mask("<>LL<ll>")), 4U);
}

struct TextCase {
  std::string mask;
  std::string value;
  std::string text;
};

TEST(EditMask, ShowsValues) {
  const std::vector<TextCase> cases = {
      {">LL-000;1;_", "AB-123", "AB-123"},
      {">LL-000;1;_", "ab-123", "AB-123"},
      {">LL-000;1;_", "AB123", "AB-123"},  // kept without literals
      {">LL-000;1;_", "", "__-___"},
      {">LL-000;1;_", "A", "A_-___"},
      {">LL-000;1;_", "A -1", "A_-1__"},
      {">LL-000;1;_", "1B-12x", "_B-12_"},  // what does not fit stays blank
      {">LL-000;1;_", "AB-1234567", "AB-123"},
      {"(999) 000-0000;1;_", "(555) 123-4567", "(555) 123-4567"},
      {"(999) 000-0000;1;_", "5551234567", "(555) 123-4567"},
      {"(999) 000-0000;1;_", "(   ) 123-4567", "(___) 123-4567"},
      {"(999) 000-0000;0;_", "5551234567", "(555) 123-4567"},
      {"(999) 000-0000;0;_", "   1234567", "(___) 123-4567"},
      {"(999) 000-0000;0;_", "(555) 123-4567", "(_55) 5__-123_"},  // literals not expected
      {"!99/99/00;1;_", "12/31/99", "12/31/99"},
      {"!99/99/00;1;_", "/  /99", "__/__/99"},
      {"!99/99/00;1;_", "1/23", "__/_1/23"},
      {"!99/99/00;0;_", "123", "__/_1/23"},
      {"!99/99/00;0;_", "9123456", "12/34/56"},
      {"\\A00;0;*", "12", "A12"},
      {"\\A00;0;*", "1", "A1*"},
      {"\\A00;0;*", "", "A**"},
      {"\\A00;0;*", "A12", "A*1"},  // the literal is not part of the value
      {"\\A00;1;*", "A12", "A12"},
      {"\\A00;1;*", "1*", "A1*"},
      {"<ll>LL;1; ", "ABcd", "abCD"},
      {"<ll>LL;1; ", "a", "a   "},
      {"999;0;_", "7", "7__"},
      {"!999;0;_", "7", "__7"},
      {"#99;1;_", "-5", "-5_"},
      {"L;1;_", "\xE4", "\xE4"},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.mask + " <- '" + c.value + "'");
    EXPECT_EQ(MaskedText(Mask(c.mask), c.value), c.text);
  }
}

TEST(EditMask, SavesValues) {
  const std::vector<TextCase> cases = {
      {">LL-000;1;_", "AB-123", "AB-123"},
      {">LL-000;1;_", "__-___", ""},
      {">LL-000;1;_", "A_-___", "A -"},
      {">LL-000;1;_", "A_-1__", "A -1"},
      {">LL-000;1;_", "ab-123", "AB-123"},      // shown text typed by another hand
      {">LL-000;1;_", "ABx123", "AB-123"},      // a literal overwritten
      {">LL-000;1;_", "AB", "AB-"},             // cut short
      {">LL-000;1;_", "AB-1234567", "AB-123"},  // too long
      {">LL-000;1;_", "A?-1?3", "A -1 3"},      // unfitting characters
      {"(999) 000-0000;1;_", "(___) ___-____", ""},
      {"(999) 000-0000;1;_", "(555) 123-4567", "(555) 123-4567"},
      {"(999) 000-0000;1;_", "(___) 123-4567", "(   ) 123-4567"},
      {"(999) 000-0000;0;_", "(555) 123-4567", "5551234567"},
      {"(999) 000-0000;0;_", "(___) 123-4567", "   1234567"},
      {"(999) 000-0000;0;_", "(555) 12_-____", "55512"},
      {"!99/99/00;1;_", "12/31/99", "12/31/99"},
      {"!99/99/00;1;_", "__/__/99", "/  /99"},
      {"!99/99/00;1;_", "__/_1/23", "/ 1/23"},
      {"!99/99/00;0;_", "__/_1/23", "123"},
      {"!99/99/00;0;_", "12/3_/__", "123   "},
      {"\\A00;0;*", "A12", "12"},
      {"\\A00;0;*", "A1*", "1"},
      {"\\A00;0;*", "A*2", " 2"},
      {"\\A00;0;*", "A**", ""},
      {"<ll>LL;1; ", "abCD", "abCD"},
      {"<ll>LL;1; ", "a   ", "a"},
      {"<ll>LL;1; ", "  CD", "  CD"},
      {"CCC;0;_", "a b", "a b"},
      {"000 ;1;_", "123 ", "123"},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.mask + " -> '" + c.value + "'");
    EXPECT_EQ(MaskedValue(Mask(c.mask), c.value), c.text);
  }
}

TEST(EditMask, SavedValuesShowTheirTextAgain) {
  const std::vector<TextCase> cases = {
      {">LL-000;1;_", "", "__-___"},
      {">LL-000;1;_", "", "A_-1_3"},
      {">LL-000;1;_", "", "_B-__3"},
      {"(999) 000-0000;1;_", "", "(_5_) 1_3-__67"},
      {"(999) 000-0000;0;_", "", "(_5_) 1_3-__67"},
      {"!99/99/00;1;_", "", "_2/__/9_"},
      {"!99/99/00;0;_", "", "_2/__/9_"},
      {"!99/99/00;0;_", "", "12/3_/__"},
      {"\\A00;0;*", "", "A*2"},
      {"<ll>LL;1; ", "", " b C"},
      {"CC-CC;0;_", "", "a---b"},
      {"CC-CC;1;_", "", "---_-"},
      {"_00_;1;_", "", " 1_ "},
  };
  for (const TextCase& c : cases) {
    const EditMask mask = Mask(c.mask);
    const std::string value = MaskedValue(mask, c.text);
    EXPECT_EQ(MaskedText(mask, value), c.text) << c.mask << " '" << c.text << "' '" << value << "'";
  }
}

struct TypeCase {
  std::string mask;
  std::string text;
  size_t caret;
  char typed;
  std::optional<MaskEditResult> want;  // nullopt: refused
};

TEST(EditMask, Typing) {
  const std::vector<TypeCase> cases = {
      {">LL-000;1;_", "__-___", 0, 'a', MaskEditResult{"A_-___", 1}},
      {">LL-000;1;_", "A_-___", 1, 'b', MaskEditResult{"AB-___", 3}},  // over the literal
      {">LL-000;1;_", "AB-___", 0, 'z', MaskEditResult{"ZB-___", 1}},  // overwrites
      {">LL-000;1;_", "AB-___", 2, '1', MaskEditResult{"AB-1__", 4}},
      {">LL-000;1;_", "AB-___", 2, '-', MaskEditResult{"AB-___", 3}},
      {">LL-000;1;_", "AB-12_", 5, '3', MaskEditResult{"AB-123", 6}},
      {">LL-000;1;_", "", 0, 'q', MaskEditResult{"Q_-___", 1}},
      {">LL-000;1;_", "__-___", 0, '1', std::nullopt},
      {">LL-000;1;_", "__-___", 0, ' ', std::nullopt},
      {">LL-000;1;_", "__-___", 0, '_', std::nullopt},
      {">LL-000;1;_", "AB-___", 3, 'x', std::nullopt},
      {">LL-000;1;_", "AB-123", 6, '4', std::nullopt},
      {">LL-000;1;_", "AB-123", 99, '4', std::nullopt},
      {"(999) 000-0000;1;_", "(___) ___-____", 0, '5', MaskEditResult{"(5__) ___-____", 2}},
      {"(999) 000-0000;1;_", "(55_) ___-____", 3, '5', MaskEditResult{"(555) ___-____", 6}},
      {"(999) 000-0000;1;_", "(5__) ___-____", 1, ' ', MaskEditResult{"(___) ___-____", 2}},
      {"(999) 000-0000;1;_", "(555) ___-____", 4, ' ', MaskEditResult{"(555) ___-____", 6}},
      {"(999) 000-0000;1;_", "(555) ___-____", 4, ')', MaskEditResult{"(555) ___-____", 6}},
      {"(999) 000-0000;1;_", "(555) ___-____", 6, ' ', std::nullopt},
      {"(999) 000-0000;1;_", "(555) ___-____", 6, 'x', std::nullopt},
      {"!99/99/00;1;_", "__/__/__", 0, '1', MaskEditResult{"1_/__/__", 1}},
      {"!99/99/00;1;_", "12/__/__", 2, '3', MaskEditResult{"12/3_/__", 4}},
      {"#99;1;_", "___", 0, '-', MaskEditResult{"-__", 1}},
      {"#99;1;_", "___", 0, '+', MaskEditResult{"+__", 1}},
      {"#99;1;_", "___", 1, '+', std::nullopt},
      {"#99;1;_", "___", 0, 'x', std::nullopt},
      {"\\A00;0;*", "A**", 0, 'A', MaskEditResult{"A**", 1}},
      {"\\A00;0;*", "A**", 0, '7', MaskEditResult{"A7*", 2}},
      {"\\A00;0;*", "A7*", 2, '8', MaskEditResult{"A78", 3}},
      {"\\A00;0;*", "A**", 1, '*', std::nullopt},
      {"<ll>LL;1; ", "    ", 0, 'Q', MaskEditResult{"q   ", 1}},
      {"<ll>LL;1; ", "qq  ", 2, 'x', MaskEditResult{"qqX ", 3}},
      {"<ll>LL;1; ", "q   ", 0, ' ', MaskEditResult{"    ", 1}},
      {"<ll>LL;1; ", "    ", 2, ' ', std::nullopt},
      {"<ll>LL;1; ", "    ", 2, '5', std::nullopt},
      {"<>Ll;1;_", "__", 0, 'x', MaskEditResult{"x_", 1}},
      {"L;1;_", "_", 0, '\xE4', MaskEditResult{"\xE4", 1}},
      {"aA;1;_", "__", 0, '9', MaskEditResult{"9_", 1}},
      {"aA;1;_", "__", 1, '!', std::nullopt},
      {"CC;1;_", "__", 0, ' ', MaskEditResult{" _", 1}},
      {"CC;1;_", "__", 0, '\t', std::nullopt},
      {"cc;1;_", "x_", 0, '_', MaskEditResult{"__", 1}},
  };
  for (const TypeCase& c : cases) {
    SCOPED_TRACE(c.mask + " '" + c.text + "' at " + std::to_string(c.caret) + " typed '" + c.typed +
                 "'");
    EXPECT_EQ(TypeMaskCharacter(Mask(c.mask), c.text, c.caret, c.typed), c.want);
  }
}

TEST(EditMask, TypingThroughFillsTheMask) {
  const EditMask mask = Mask("(999) 000-0000;0;_");
  MaskEditResult state{MaskedText(mask, ""), 0};
  for (char c : std::string("5551234567")) {
    std::optional<MaskEditResult> next = TypeMaskCharacter(mask, state.text, state.caret, c);
    ASSERT_TRUE(next) << c;
    state = *next;
  }
  EXPECT_EQ(state, (MaskEditResult{"(555) 123-4567", 14}));
  EXPECT_TRUE(MaskComplete(mask, state.text));
  EXPECT_EQ(MaskedValue(mask, state.text), "5551234567");
}

struct EraseCase {
  std::string mask;
  std::string text;
  size_t caret;
  std::optional<MaskEditResult> want;  // nullopt: nothing to erase
};

TEST(EditMask, Backspace) {
  const std::vector<EraseCase> cases = {
      {">LL-000;1;_", "AB-123", 6, MaskEditResult{"AB-12_", 5}},
      {">LL-000;1;_", "AB-123", 3, MaskEditResult{"A_-123", 1}},
      {">LL-000;1;_", "AB-123", 99, MaskEditResult{"AB-12_", 5}},
      {">LL-000;1;_", "AB-123", 0, std::nullopt},
      {"(999) 000-0000;1;_", "(555) 123-4567", 1, std::nullopt},
      {"(999) 000-0000;1;_", "(555) 123-4567", 6, MaskEditResult{"(55_) 123-4567", 3}},
      {"\\A00;0;*", "A12", 2, MaskEditResult{"A*2", 1}},
      {"<ll>LL;1; ", "abCD", 2, MaskEditResult{"a CD", 1}},
  };
  for (const EraseCase& c : cases) {
    SCOPED_TRACE(c.mask + " '" + c.text + "' at " + std::to_string(c.caret));
    EXPECT_EQ(BackspaceMaskCharacter(Mask(c.mask), c.text, c.caret), c.want);
  }
}

TEST(EditMask, Delete) {
  const std::vector<EraseCase> cases = {
      {">LL-000;1;_", "AB-123", 0, MaskEditResult{"_B-123", 0}},
      {">LL-000;1;_", "AB-123", 2, MaskEditResult{"AB-_23", 2}},
      {">LL-000;1;_", "AB-123", 6, std::nullopt},
      {">LL-000;1;_", "AB-123", 99, std::nullopt},
      {"(999) 000-0000;1;_", "(555) 123-4567", 4, MaskEditResult{"(555) _23-4567", 4}},
      {"\\A00;0;*", "A12", 0, MaskEditResult{"A*2", 0}},
  };
  for (const EraseCase& c : cases) {
    SCOPED_TRACE(c.mask + " '" + c.text + "' at " + std::to_string(c.caret));
    EXPECT_EQ(DeleteMaskCharacter(Mask(c.mask), c.text, c.caret), c.want);
  }
}

TEST(EditMask, ErasingASelection) {
  const EditMask mask = Mask(">LL-000;1;_");
  EXPECT_EQ(EraseMaskSelection(mask, "AB-123", 1, 4), (MaskEditResult{"A_-_23", 1}));
  EXPECT_EQ(EraseMaskSelection(mask, "AB-123", 4, 1), (MaskEditResult{"A_-_23", 1}));
  EXPECT_EQ(EraseMaskSelection(mask, "AB-123", 0, 99), (MaskEditResult{"__-___", 0}));
  EXPECT_EQ(EraseMaskSelection(mask, "AB-123", 3, 3), (MaskEditResult{"AB-123", 3}));
}

struct CompleteCase {
  std::string mask;
  std::string text;
  bool complete;
};

TEST(EditMask, Completeness) {
  const std::vector<CompleteCase> cases = {
      {">LL-000;1;_", "AB-123", true},
      {">LL-000;1;_", "AB-12_", false},
      {">LL-000;1;_", "_B-123", false},
      {">LL-000;1;_", "AB-12", false},
      {">LL-000;1;_", "1B-123", false},  // a digit does not fill a letter place
      {">LL-000;1;_", "", false},
      {"(999) 000-0000;1;_", "(___) 123-4567", true},
      {"(999) 000-0000;1;_", "(555) 123-456_", false},
      {"!99/99/00;1;_", "__/__/00", true},
      {"!99/99/00;1;_", "__/__/0_", false},
      {"\\A00;0;*", "A12", true},
      {"\\A00;0;*", "A1*", false},
      {"<ll>LL;1; ", "  AB", true},
      {"<ll>LL;1; ", "abA ", false},
      {"999;1;_", "", true},
      {"CC;1;_", "  ", true},
      {"CC;1; ", "  ", false},
  };
  for (const CompleteCase& c : cases) {
    EXPECT_EQ(MaskComplete(Mask(c.mask), c.text), c.complete) << c.mask << " '" << c.text << "'";
  }
}

TEST(EditMask, BadMasksStayWhole) {
  const EditMask backslash = Mask("00\\");
  EXPECT_EQ(MaskedText(backslash, "12"), "12\\");
  EXPECT_EQ(MaskedValue(backslash, "12\\"), "12\\");
  EXPECT_EQ(TypeMaskCharacter(backslash, "12\\", 2, '3'), std::nullopt);

  const std::string longMask(200000, '0');
  const EditMask digits = Mask(longMask + ";0;_");
  EXPECT_EQ(MaskLength(digits), longMask.size());
  const std::string value(longMask.size() + 5, '7');
  const std::string text = MaskedText(digits, value);
  EXPECT_EQ(text, std::string(longMask.size(), '7'));
  EXPECT_TRUE(MaskComplete(digits, text));
  EXPECT_EQ(BackspaceMaskCharacter(digits, text, text.size())->caret, text.size() - 1);

  const EditMask escapes = Mask(std::string(100001, '\\'));
  EXPECT_EQ(MaskLength(escapes), 50001U);
  EXPECT_EQ(MaskedValue(escapes, ""), "");

  const EditMask flags = Mask(std::string(100000, '<') + "L;0;_");
  EXPECT_EQ(Places(flags), "L<");

  // Every mask of two bytes from a small alphabet shows, saves and edits.
  const std::string alphabet = "!<>\\;_LlAaCc09#01 x";
  for (char a : alphabet) {
    for (char b : alphabet) {
      const std::string text2{a, b};
      const std::optional<EditMask> mask = ParseEditMask(text2);
      if (!mask) continue;
      const std::string shown = MaskedText(*mask, "a1");
      EXPECT_EQ(shown.size(), MaskLength(*mask)) << text2;
      EXPECT_EQ(MaskedText(*mask, MaskedValue(*mask, shown)), shown) << text2;
      for (size_t caret = 0; caret <= shown.size() + 1; ++caret) {
        if (auto typed = TypeMaskCharacter(*mask, shown, caret, 'b')) {
          EXPECT_EQ(typed->text.size(), shown.size()) << text2;
          EXPECT_LE(typed->caret, shown.size()) << text2;
        }
      }
    }
  }
}

}  // namespace
}  // namespace vantrell
