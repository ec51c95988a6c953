// Strict reading of integers from script text. Grammar (nothing else may
// surround it):  blank* [sign] ( digit+ | ("$" | "x" | "X" | "0x" | "0X") hexdigit+ )
// where blank is code 32 and sign is "+" or "-". Decimal values must fit the
// signed range; hexadecimal ones the unsigned range of the same width and are
// taken as its bit pattern ("$FFFFFFFF" is -1 as a 32-bit value).
#pragma once

#include <cstdint>
#include <string_view>

namespace vantrell {

bool TryStrToInt(std::string_view text, int32_t& value);
bool TryStrToInt64(std::string_view text, int64_t& value);

// Raise EngineError("'text' is not a valid integer value") for a bad number.
int32_t StrToIntStrict(std::string_view text);
int64_t StrToInt64Strict(std::string_view text);

// The fallback for a bad number.
int32_t StrToIntDef(std::string_view text, int32_t fallback);
int64_t StrToInt64Def(std::string_view text, int64_t fallback);

}  // namespace vantrell
