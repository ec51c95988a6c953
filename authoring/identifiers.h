// Stable statement identifiers and statement headers. A generated identifier
// is a name-based GUID derived from the product code, the script file, the
// command name and how many statements of that name precede it in the file;
// a header is derived from its statement's identifier. Rebuilding an
// unchanged project gives the same values; editing one statement moves only
// the values of later statements with the same command name in that file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrell::authoring {

// "{XXXXXXXX-XXXX-5XXX-YXXX-XXXXXXXXXXXX}", upper-case; salt > 0 only to step
// around a collision.
std::string DerivedIdentifier(std::string_view productCode, std::string_view scriptKey,
                              std::string_view command, uint32_t occurrence, uint32_t salt = 0);

// 1 to 8 upper-case hex digits without leading zeros, never "0".
std::string DerivedHeader(std::string_view identifier, uint32_t salt = 0);

// 16 upper-case hex digits standing for a statement's parameter lines in
// order (positional values): what a kept package's rows were made from.
std::string LinesDigest(const std::vector<std::string>& lines);
bool IsLinesDigest(std::string_view text);

bool IsBracedGuid(std::string_view text);
bool IsHeaderText(std::string_view text);

}  // namespace vantrell::authoring
