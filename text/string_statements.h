// The computations behind the string and arithmetic statements, apart from
// the variable store: splitting a text, replacing in it, picking parts of a
// path, the long form of a path, and the integer operations with their number
// generator. Positions are counted from 1 where the statements count them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace vantrell {

// "Parse String": source and delimiter (or count) already expanded; lower is
// applied to both for the search when ignoreCase is set. Returns the first and
// the second part. A mode that is not "0" to "3" gives two empty parts.
std::pair<std::string, std::string> ParseText(const std::string& source,
                                              const std::string& delimiter, int32_t mode, bool trim,
                                              bool ignoreCase,
                                              const std::function<std::string(std::string)>& lower);

// "Replace String": the first or every occurrence of find, scanning left to
// right without re-scanning inserted text; with upper set, occurrences are
// found on the upper-case forms. Replacing stops before the result would
// grow past maxLength; the rest of the text then stays as it was.
std::string ReplaceText(const std::string& value, const std::string& find,
                        const std::string& replacement, bool all,
                        const std::function<std::string(std::string)>& upper, size_t maxLength);

// Everything up to and including the last "\" or ":".
std::string_view FolderPart(std::string_view path);

// "Extract Path" selectors "0" to "6"; any other selector returns path.
std::string ExtractPathPart(const std::string& path, int32_t selector);

// "Convert Path" to the long form. entryName looks a path up and answers the
// name of its entry as the file system spells it.
std::string LongPathForm(
    const std::string& path,
    const std::function<std::optional<std::string>(const std::string&)>& entryName);

// The operations of "Mathematics". The generator state lives as long as the
// object.
class Mathematics {
 public:
  // op is the operator line as written; a and b are the expanded operand lines.
  // Any failure gives the empty text.
  std::string Compute(std::string_view op, std::string_view a, std::string_view b);

 private:
  int32_t multiplier_ = 0;
  int32_t increment_ = 0;
  int32_t seed_ = 0;
};

// Removes characters of code 32 and below at both ends.
std::string TrimControl(std::string_view text);

}  // namespace vantrell
