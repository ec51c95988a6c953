// Language table rows and lookups (contract in language_table.h).
#include "lang/language_table.h"

#include <array>

#include "common/ascii.h"

namespace vantrell {
namespace {

struct Row {
  const char* name;
  const char* lcid;
  const char* display;
};

constexpr std::array<Row, 35> kRows = {{
    {"ARABIC", "1025", "Arabic"},
    {"CATALAN", "1027", "Catalan"},
    {"CHINESE (TAIWAN)", "1028", "Chinese (Taiwan)"},
    {"CHINESE (PRC)", "2052", "Chinese (PRC)"},
    {"CZECH", "1029", "Czech"},
    {"DANISH", "1030", "Danish"},
    {"GERMAN", "1031", "German"},
    {"GREEK", "1032", "Greek"},
    {"ENGLISH", "1033", "English"},
    {"SPANISH", "3082", "Spanish"},
    {"ESTONIAN", "1061", "Estonian"},
    {"FINNISH", "1035", "Finnish"},
    {"FRENCH", "1036", "French"},
    {"HEBREW", "1037", "Hebrew"},
    {"HUNGARIAN", "1038", "Hungarian"},
    {"ITALIAN", "1040", "Italian"},
    {"JAPANESE", "1041", "Japanese"},
    {"KOREAN", "1042", "Korean"},
    {"LITHUANIAN", "1063", "Lithuanian"},
    {"LATVIAN", "1062", "Latvian"},
    {"DUTCH", "1043", "Dutch"},
    {"NORWEGIAN", "1044", "Norwegian"},
    {"POLISH", "1045", "Polish"},
    {"PORTUGESE (BRAZIL)", "1046", "Portugese (Brazil)"},
    {"PORTUGESE (PORTUGAL)", "2070", "Portugese (Portugal)"},
    {"ROMANIAN", "1048", "Romanian"},
    {"RUSSIAN", "1049", "Russian"},
    {"CROATIAN", "1050", "Croatian"},
    {"SLOVAK", "1051", "Slovak"},
    {"SWEDISH", "1053", "Swedish"},
    {"THAI", "1054", "Thai"},
    {"TURKISH", "1055", "Turkish"},
    {"SLOVENIAN", "1060", "Slovenian"},
    {"VIETNAMESE", "1066", "Vietnamese"},
    {"BASQUE", "1069", "Basque"},
}};

}  // namespace

std::string LanguageToLcid(std::string_view name) {
  const std::string upper = AsciiUpper(name);
  for (const Row& row : kRows) {
    if (upper == row.name) return row.lcid;
  }
  return "1033";
}

std::string LcidToLanguage(unsigned lcid, const std::function<std::string(unsigned)>& englishName) {
  const std::string text = std::to_string(lcid);
  for (const Row& row : kRows) {
    if (text == row.lcid) return row.display;
  }
  if (!englishName) return {};
  const std::string name = englishName(lcid);
  if (name.empty()) return {};
  const std::string mapped = LanguageToLcid(name);
  if (mapped == "1033" && AsciiUpper(name) != "ENGLISH") return {};
  for (const Row& row : kRows) {
    if (mapped == row.lcid) return row.display;
  }
  return {};
}

bool IsRightToLeftLanguage(std::string_view name) {
  return EqualsIgnoreCase(name, "Arabic") || EqualsIgnoreCase(name, "Hebrew");
}

}  // namespace vantrell
