// The edit mask of a mask edit control ("MASK;SAVE;BLANK"): its places, the
// text the control shows for a value, the typing and erasing the window does
// on that text, and the value saved back from it. Text is bytes of the system
// code page, one character each; a caret is an index into the shown text.
//
// MASK runs to the first ';' that no '\' escapes:
//   !      the value is aligned to the end of the places (a flag, anywhere)
//   >  <   letters typed after it become upper / lower case; "<>" ends either
//   \x     x is a literal; a '\' at the very end is a literal '\'
//   L l    letter, required / optional      A a   letter or digit
//   C c    any character                    0 9   digit
//   #      digit, '+' or '-', optional      _     a literal space
//   any other character is a literal of itself (':' and '/' too).
// SAVE: a '0' first leaves the literals out of the value; anything else, or no
// field, keeps them. BLANK: its first character shows the places not filled yet;
// '_' when the field is missing or empty. Further fields are ignored.
//
// The value: one character per saved place (every place with SAVE on, the
// input places only with it off), a space for a place not filled, the spaces
// at the end cut off (at the start with '!'); a text with no place filled
// saves "". The text of a value fills the places in the same order (from the
// end with '!'), so a value reads back to the text it came from. With SAVE on,
// a value character that is not its literal place's literal goes to the next
// input place, so values kept without literals read as well.
//
// A place shows its blank character until filled, and a space or the blank
// character never fills one: typing either clears an optional place and
// moves on, and a required place refuses it. C and c take a typed space as a
// character, which saves as a space and so reads back as a place not filled.
// Letters are the ASCII letters and every byte from 0x80 up (which of those
// are letters only the system's code page knows); case conversion changes
// ASCII letters only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrell {

enum class MaskPlaceKind : uint8_t {
  kLiteral,
  kLetter,         // L l
  kLetterOrDigit,  // A a
  kAnyCharacter,   // C c
  kDigit,          // 0 9
  kDigitOrSign,    // #
};

enum class MaskCase : uint8_t { kKeep, kUpper, kLower };

struct MaskPlace {
  MaskPlaceKind kind = MaskPlaceKind::kLiteral;
  bool required = false;
  char literal = 0;  // the character a literal place shows
  MaskCase letterCase = MaskCase::kKeep;
  bool operator==(const MaskPlace&) const = default;
};

struct EditMask {
  std::vector<MaskPlace> places;  // one per character of the shown text
  bool saveLiterals = true;
  char blank = '_';
  bool valueAtEnd = false;  // '!'
  bool operator==(const EditMask&) const = default;
};

// The text shown and the caret after an edit.
struct MaskEditResult {
  std::string text;
  size_t caret = 0;
  bool operator==(const MaskEditResult&) const = default;
};

// nullopt when the MASK field has no place (an empty mask, ";;;", "!<>").
std::optional<EditMask> ParseEditMask(std::string_view editMask);

// The number of places: the length of the text the control shows.
size_t MaskLength(const EditMask& mask);

// The text shown for a value: its characters in the input places (and over
// the literals, with SAVE on), literals in between, blanks where nothing is.
std::string MaskedText(const EditMask& mask, std::string_view value);

// The value to save from a shown text.
std::string MaskedValue(const EditMask& mask, std::string_view text);

// Every required place of the shown text is filled.
bool MaskComplete(const EditMask& mask, std::string_view text);

// The edits below take the text as the window shows it; a text that does not
// fit the mask is read place by place (missing or unfitting characters as
// blanks, literals as the mask has them) and returned fitted.

// A character typed at the caret: it goes to the first input place at or
// after the caret, case converted, and the caret moves to the next input
// place (or the end). Typing a literal's own character at that literal moves
// the caret past it. nullopt when the character does not fit or no input
// place is left.
std::optional<MaskEditResult> TypeMaskCharacter(const EditMask& mask, std::string_view text,
                                                size_t caret, char typed);

// The Delete key: the first input place at or after the caret shows its blank
// again; the caret stays. nullopt when no input place is left.
std::optional<MaskEditResult> DeleteMaskCharacter(const EditMask& mask, std::string_view text,
                                                  size_t caret);

// The Backspace key: the last input place before the caret shows its blank
// again and the caret moves onto it. nullopt when no input place is before.
std::optional<MaskEditResult> BackspaceMaskCharacter(const EditMask& mask, std::string_view text,
                                                     size_t caret);

// A selection erased (Delete or Backspace over it, or cut): its input places
// show their blanks and the caret goes to its start.
MaskEditResult EraseMaskSelection(const EditMask& mask, std::string_view text, size_t begin,
                                  size_t end);

}  // namespace vantrell
