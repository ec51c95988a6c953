// Fuzzes the edit mask: the input is "MASK;SAVE;BLANK", a NUL, a value, a NUL
// and pairs of edit bytes. Any mask parses without a crash or a hang, the
// shown text always has one character per place and the caret stays in it,
// and a shown text whose places hold no typed space saves a value that shows
// it again. Seed: edit_mask_fuzz CORPUS fuzz/seeds/edit_mask
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "dialogs/edit_mask.h"

namespace {

constexpr size_t kMostEdits = 4096;

std::string_view Cut(std::string_view& rest) {
  const size_t end = rest.find('\0');
  const std::string_view piece = rest.substr(0, end);
  rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
  return piece;
}

void Check(const vantrell::EditMask& mask, const std::string& text, size_t caret) {
  if (text.size() != vantrell::MaskLength(mask) || caret > text.size()) std::abort();
  bool complete = true;
  bool spaced = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const vantrell::MaskPlace& place = mask.places[i];
    if (place.kind == vantrell::MaskPlaceKind::kLiteral) {
      if (text[i] != place.literal) std::abort();
      continue;
    }
    if (place.required && text[i] == mask.blank) complete = false;
    if (text[i] == ' ' && mask.blank != ' ') spaced = true;
  }
  if (vantrell::MaskComplete(mask, text) != complete) std::abort();
  if (!spaced && vantrell::MaskedText(mask, vantrell::MaskedValue(mask, text)) != text) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  const std::string_view maskText = Cut(rest);
  const std::string_view value = Cut(rest);
  const std::optional<vantrell::EditMask> mask = vantrell::ParseEditMask(maskText);
  if (!mask) return 0;
  std::string text = vantrell::MaskedText(*mask, value);
  size_t caret = 0;
  Check(*mask, text, caret);
  for (size_t edit = 0; edit < kMostEdits && rest.size() >= 2; ++edit, rest.remove_prefix(2)) {
    const char arg = rest[1];
    std::optional<vantrell::MaskEditResult> next;
    switch (static_cast<uint8_t>(rest[0]) % 5) {
      case 0:
        next = vantrell::TypeMaskCharacter(*mask, text, caret, arg);
        break;
      case 1:
        next = vantrell::DeleteMaskCharacter(*mask, text, caret);
        break;
      case 2:
        next = vantrell::BackspaceMaskCharacter(*mask, text, caret);
        break;
      case 3:
        next = vantrell::EraseMaskSelection(*mask, text, caret, static_cast<uint8_t>(arg));
        break;
      default:
        caret = static_cast<uint8_t>(arg) % (text.size() + 2);  // may lie past the end
        continue;
    }
    if (next) {
      text = next->text;
      caret = next->caret;
      Check(*mask, text, caret);
    }
  }
  return 0;
}
