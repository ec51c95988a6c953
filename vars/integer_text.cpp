// Strict integer reading shared by the conditions and the statements that take
// numeric parameters.
#include "vars/integer_text.h"

#include <string>

#include "common/engine_error.h"

namespace vantrell {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads the magnitude and sign; `bits` is 32 or 64.
bool Parse(std::string_view text, int bits, int64_t& value) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  bool hex = false;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i == text.size()) return false;
  const uint64_t unsignedMax = bits == 32 ? 0xFFFFFFFFull : ~0ull;
  const uint64_t signedMax = unsignedMax >> 1;
  // Decimal allows one more below zero than above.
  const uint64_t limit = hex ? unsignedMax : signedMax + (negative ? 1 : 0);
  const unsigned base = hex ? 16 : 10;
  uint64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    int d = hex ? HexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
    if (d < 0) return false;
    if (magnitude > (limit - static_cast<unsigned>(d)) / base) return false;
    magnitude = magnitude * base + static_cast<unsigned>(d);
  }
  // Two's complement of the width: hex patterns above the signed range wrap.
  uint64_t pattern = negative ? (0 - magnitude) : magnitude;
  if (bits == 32) {
    value = static_cast<int32_t>(static_cast<uint32_t>(pattern));
  } else {
    value = static_cast<int64_t>(pattern);
  }
  return true;
}

[[noreturn]] void Bad(std::string_view text) {
  throw EngineError("'" + std::string(text) + "' is not a valid integer value");
}

}  // namespace

bool TryStrToInt(std::string_view text, int32_t& value) {
  int64_t wide = 0;
  if (!Parse(text, 32, wide)) return false;
  value = static_cast<int32_t>(wide);
  return true;
}

bool TryStrToInt64(std::string_view text, int64_t& value) {
  return Parse(text, 64, value);
}

int32_t StrToIntStrict(std::string_view text) {
  int32_t value = 0;
  if (!TryStrToInt(text, value)) Bad(text);
  return value;
}

int64_t StrToInt64Strict(std::string_view text) {
  int64_t value = 0;
  if (!TryStrToInt64(text, value)) Bad(text);
  return value;
}

int32_t StrToIntDef(std::string_view text, int32_t fallback) {
  int32_t value = 0;
  return TryStrToInt(text, value) ? value : fallback;
}

int64_t StrToInt64Def(std::string_view text, int64_t fallback) {
  int64_t value = 0;
  return TryStrToInt64(text, value) ? value : fallback;
}

}  // namespace vantrell
