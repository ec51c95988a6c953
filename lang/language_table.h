// The language table: language names, Windows language identifiers (LCIDs)
// and display names, with lookups both ways.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace vantrell {

// LCID text of the language named (ignoring case); "1033" when unknown.
std::string LanguageToLcid(std::string_view name);

// Display name for an LCID. An identifier outside the table is mapped through
// its English language name (asked of englishName), which must name a row.
std::string LcidToLanguage(unsigned lcid,
                           const std::function<std::string(unsigned)>& englishName = {});

// True for the languages written from right to left (Arabic, Hebrew), by
// display or table name, ignoring case: their windows are mirrored.
bool IsRightToLeftLanguage(std::string_view name);

}  // namespace vantrell
