// Edit masks (grammar and contract in edit_mask.h).
#include "dialogs/edit_mask.h"

#include <algorithm>

#include "common/ascii.h"

namespace vantrell {
namespace {

constexpr char kFieldSeparator = ';';
constexpr char kEscape = '\\';

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsLetter(char c) {
  const char lower = AsciiLower(c);
  return (lower >= 'a' && lower <= 'z') || static_cast<unsigned char>(c) >= 0x80;
}

bool Fits(MaskPlaceKind kind, char c) {
  switch (kind) {
    case MaskPlaceKind::kLetter:
      return IsLetter(c);
    case MaskPlaceKind::kLetterOrDigit:
      return IsLetter(c) || IsDigit(c);
    case MaskPlaceKind::kAnyCharacter:
      return static_cast<unsigned char>(c) >= 0x20 && c != 0x7F;
    case MaskPlaceKind::kDigit:
      return IsDigit(c);
    case MaskPlaceKind::kDigitOrSign:
      return IsDigit(c) || c == '+' || c == '-';
    case MaskPlaceKind::kLiteral:
      break;
  }
  return false;
}

// What an input place shows for a character: the character case converted,
// or the blank when it does not fill the place.
char Shown(const EditMask& mask, const MaskPlace& place, char c) {
  if (c == mask.blank || !Fits(place.kind, c)) return mask.blank;
  if (place.letterCase == MaskCase::kUpper) return AsciiUpper(c);
  if (place.letterCase == MaskCase::kLower) return AsciiLower(c);
  return c;
}

bool IsInput(const MaskPlace& place) {
  return place.kind != MaskPlaceKind::kLiteral;
}

// The text read place by place, fitted to the mask.
std::string Fitted(const EditMask& mask, std::string_view text) {
  std::string shown(mask.places.size(), mask.blank);
  for (size_t i = 0; i < mask.places.size(); ++i) {
    const MaskPlace& place = mask.places[i];
    if (!IsInput(place)) {
      shown[i] = place.literal;
    } else if (i < text.size()) {
      shown[i] = Shown(mask, place, text[i]);
    }
  }
  return shown;
}

// The first input place at or after `from`, or the number of places.
size_t NextInput(const EditMask& mask, size_t from) {
  while (from < mask.places.size() && !IsInput(mask.places[from])) ++from;
  return from;
}

MaskPlace Input(MaskPlaceKind kind, bool required, MaskCase letterCase) {
  return MaskPlace{kind, required, 0, letterCase};
}

MaskPlace Literal(char c) {
  return MaskPlace{MaskPlaceKind::kLiteral, false, c, MaskCase::kKeep};
}

}  // namespace

std::optional<EditMask> ParseEditMask(std::string_view editMask) {
  EditMask mask;
  MaskCase letterCase = MaskCase::kKeep;
  size_t i = 0;
  for (; i < editMask.size() && editMask[i] != kFieldSeparator; ++i) {
    const char c = editMask[i];
    switch (c) {
      case '!':
        mask.valueAtEnd = true;
        break;
      case '>':
        letterCase = MaskCase::kUpper;
        break;
      case '<':
        if (i + 1 < editMask.size() && editMask[i + 1] == '>') {
          ++i;
          letterCase = MaskCase::kKeep;
        } else {
          letterCase = MaskCase::kLower;
        }
        break;
      case kEscape:
        if (i + 1 < editMask.size()) ++i;  // at the end it stands for itself
        mask.places.push_back(Literal(editMask[i]));
        break;
      case 'L':
      case 'l':
        mask.places.push_back(Input(MaskPlaceKind::kLetter, c == 'L', letterCase));
        break;
      case 'A':
      case 'a':
        mask.places.push_back(Input(MaskPlaceKind::kLetterOrDigit, c == 'A', letterCase));
        break;
      case 'C':
      case 'c':
        mask.places.push_back(Input(MaskPlaceKind::kAnyCharacter, c == 'C', letterCase));
        break;
      case '0':
      case '9':
        mask.places.push_back(Input(MaskPlaceKind::kDigit, c == '0', letterCase));
        break;
      case '#':
        mask.places.push_back(Input(MaskPlaceKind::kDigitOrSign, false, letterCase));
        break;
      case '_':
        mask.places.push_back(Literal(' '));
        break;
      default:
        mask.places.push_back(Literal(c));
        break;
    }
  }
  if (mask.places.empty()) return std::nullopt;

  // SAVE and BLANK: the fields after the mask, each up to the next separator.
  std::string_view rest = i < editMask.size() ? editMask.substr(i + 1) : std::string_view();
  const size_t saveEnd = rest.find(kFieldSeparator);
  if (!rest.empty() && rest[0] == '0') mask.saveLiterals = false;
  if (saveEnd != std::string_view::npos && saveEnd + 1 < rest.size()) {
    mask.blank = rest[saveEnd + 1];
  }
  return mask;
}

size_t MaskLength(const EditMask& mask) {
  return mask.places.size();
}

std::string MaskedText(const EditMask& mask, std::string_view value) {
  const size_t count = mask.places.size();
  std::string shown(count, mask.blank);
  size_t used = 0;  // value characters taken
  for (size_t k = 0; k < count; ++k) {
    const size_t i = mask.valueAtEnd ? count - 1 - k : k;
    const MaskPlace& place = mask.places[i];
    const bool more = used < value.size();
    const char c = more ? value[mask.valueAtEnd ? value.size() - 1 - used : used] : '\0';
    if (!IsInput(place)) {
      shown[i] = place.literal;
      if (mask.saveLiterals && more && c == place.literal) ++used;
    } else if (more) {
      ++used;
      if (c != ' ') shown[i] = Shown(mask, place, c);
    }
  }
  return shown;
}

std::string MaskedValue(const EditMask& mask, std::string_view text) {
  const std::string shown = Fitted(mask, text);
  std::string value;
  bool filled = false;
  for (size_t i = 0; i < shown.size(); ++i) {
    const MaskPlace& place = mask.places[i];
    if (!IsInput(place)) {
      if (mask.saveLiterals) value += place.literal;
    } else if (shown[i] == mask.blank) {
      value += ' ';
    } else {
      value += shown[i];
      filled = true;
    }
  }
  if (!filled) return {};
  if (mask.valueAtEnd) {
    value.erase(0, value.find_first_not_of(' '));
  } else {
    value.erase(value.find_last_not_of(' ') + 1);
  }
  return value;
}

bool MaskComplete(const EditMask& mask, std::string_view text) {
  const std::string shown = Fitted(mask, text);
  for (size_t i = 0; i < shown.size(); ++i) {
    if (mask.places[i].required && shown[i] == mask.blank) return false;
  }
  return true;
}

std::optional<MaskEditResult> TypeMaskCharacter(const EditMask& mask, std::string_view text,
                                                size_t caret, char typed) {
  MaskEditResult result{Fitted(mask, text), std::min(caret, mask.places.size())};
  const size_t at = NextInput(mask, result.caret);
  // A literal typed over the literals before the input place steps past it.
  for (size_t i = result.caret; i < at; ++i) {
    if (mask.places[i].literal == typed) {
      result.caret = NextInput(mask, i + 1);
      return result;
    }
  }
  if (at == mask.places.size()) return std::nullopt;
  const MaskPlace& place = mask.places[at];
  const bool clears =
      typed == mask.blank || (typed == ' ' && place.kind != MaskPlaceKind::kAnyCharacter);
  if (clears) {
    if (place.required) return std::nullopt;
    result.text[at] = mask.blank;
  } else {
    if (!Fits(place.kind, typed)) return std::nullopt;
    result.text[at] = Shown(mask, place, typed);
  }
  result.caret = NextInput(mask, at + 1);
  return result;
}

std::optional<MaskEditResult> DeleteMaskCharacter(const EditMask& mask, std::string_view text,
                                                  size_t caret) {
  MaskEditResult result{Fitted(mask, text), std::min(caret, mask.places.size())};
  const size_t at = NextInput(mask, result.caret);
  if (at == mask.places.size()) return std::nullopt;
  result.text[at] = mask.blank;
  return result;
}

std::optional<MaskEditResult> BackspaceMaskCharacter(const EditMask& mask, std::string_view text,
                                                     size_t caret) {
  MaskEditResult result{Fitted(mask, text), std::min(caret, mask.places.size())};
  size_t at = result.caret;
  while (at > 0 && !IsInput(mask.places[at - 1])) --at;
  if (at == 0) return std::nullopt;
  result.caret = at - 1;
  result.text[result.caret] = mask.blank;
  return result;
}

MaskEditResult EraseMaskSelection(const EditMask& mask, std::string_view text, size_t begin,
                                  size_t end) {
  MaskEditResult result{Fitted(mask, text), 0};
  begin = std::min(begin, mask.places.size());
  end = std::min(end, mask.places.size());
  if (end < begin) std::swap(begin, end);
  for (size_t i = begin; i < end; ++i) {
    if (IsInput(mask.places[i])) result.text[i] = mask.blank;
  }
  result.caret = begin;
  return result;
}

}  // namespace vantrell
