// The project's translations (contract in translation_tables.h).
#include "authoring/translation_tables.h"

#include <fstream>
#include <set>
#include <sstream>

#include "common/ascii.h"
#include "common/line_reader.h"
#include "lang/translations.h"

namespace vantrell::authoring {
namespace fs = std::filesystem;
namespace {

constexpr const char* kStatementOwner = "statement";
constexpr const char* kLocalizationOwner = "localization";

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  return out;
}

// A string property's bytes; empty for other kinds.
std::string FormValueText(const FormValue& value) {
  switch (value.type) {
    case FormValueType::kString:
    case FormValueType::kLongString:
    case FormValueType::kUtf8String:
      return value.bytes;
    default:
      return {};
  }
}

// A form's single-line texts, depth first in file order: its caption, then
// each control's Caption or Text.
void FormTexts(const std::string& file, const FormComponent& component, bool root,
               std::vector<TranslatableText>& out) {
  for (const FormProperty& property : component.properties) {
    if (property.name != "Caption" && property.name != "Text") continue;
    const std::string text = FormValueText(property.value);
    if (text.empty() || text.find_first_of("\r\n") != std::string::npos) continue;
    TranslatableText t;
    t.owner = file;
    t.item = root ? file : component.name;
    t.original = text;
    t.where = file + " " + (root ? std::string("(form)") : component.name);
    t.dialog = true;
    out.push_back(std::move(t));
    break;
  }
  for (const FormComponent& child : component.children) FormTexts(file, child, false, out);
}

bool IsFormFile(const std::string& name) {
  return name.size() >= 4 &&
         EqualsIgnoreCase(std::string_view(name).substr(name.size() - 4), ".dfm");
}

std::string Trim(std::string_view text) {
  size_t begin = text.find_first_not_of(" \t");
  size_t end = text.find_last_not_of(" \t\r");
  return begin == std::string_view::npos ? std::string()
                                         : std::string(text.substr(begin, end - begin + 1));
}

std::string TableKey(const TranslatableText& t) {
  return AsciiUpper(t.owner) + "\n" + AsciiUpper(t.item);
}

}  // namespace

const std::vector<int>* TranslatedLines(const std::string& command) {
  static const std::map<std::string, std::vector<int>> kLines = {
      {"If", {1, 3}},
      {"Else If", {1, 3}},
      {"Set Variable", {2}},
      {"Localization Variable", {2}},
      {"Define Component", {1, 3}},
      {"Set Component State", {1}},
      {"Get Component State", {1}},
      {"Set Component Space", {1}},
      {"Get Component Space", {1}},
      {"Set Component Choice", {1}},
      {"Set Component Visibility", {1}},
      {"Delete Component", {1}},
      {"MessageBox", {1, 2}},
      {"MessageBalloon", {1, 2}},
      {"Create File Type", {1, 3}},
      {"Advertised File Type", {1, 3}},
      {"Create Shortcut", {2, 4}},
      {"Advertised Shortcut", {2, 4}},
      {"Control Service", {1}},
      {"Install Service", {4, 5, 6, 9, 10}},
      {"Create Share", {2, 3}},
      {"Delete Share", {1}},
      {"Set Access Control", {1, 6}},
      {"Create IIS Site", {1}},
      {"Create Virtual Folder", {1, 12, 13}},
      {"Get IIS Site Index", {1}},
      {"Schedule Task", {1}},
      {"Delete Scheduled Task", {1}},
  };
  auto found = kLines.find(command);
  return found == kLines.end() ? nullptr : &found->second;
}

std::vector<TranslatableText> ExtractTexts(
    const Project& project, const CarriedScript& script,
    const std::vector<std::pair<std::string, FormComponent>>& forms) {
  std::vector<TranslatableText> out;
  for (size_t i = 0; i < project.statements.size() && i < script.identifiers.size(); ++i) {
    const Statement& s = project.statements[i];
    const std::vector<int>* lines = TranslatedLines(s.command);
    if (lines == nullptr || s.marker == "C") continue;
    const bool variable = s.command == "Localization Variable";
    std::string owner = script.identifiers[i];
    if (variable) {
      std::string name = s.parameters.empty() ? std::string() : s.parameters[0];
      if (name.size() >= 2 && name.front() == '$' && name.back() == '$')
        name = name.substr(1, name.size() - 2);
      owner = LocalizationVariableKey(name);
    }
    for (size_t slot = 0; slot < lines->size(); ++slot) {
      const size_t line = static_cast<size_t>((*lines)[slot]);
      TranslatableText t;
      t.owner = owner;
      t.item = std::to_string(slot + 1);
      t.original = line <= s.parameters.size() ? s.parameters[line - 1] : std::string();
      t.where = (s.scriptKey.empty() ? s.where.file : s.scriptKey) + ":" +
                std::to_string(s.where.line) + " " + s.command;
      out.push_back(std::move(t));
    }
  }
  for (const auto& [name, root] : forms) FormTexts(name + ".dfm", root, true, out);
  return out;
}

std::string WriteTable(const std::string& language, const TranslationTable& table) {
  std::string out = "# Translations into " + language +
                    " (see authoring/FORMAT.md): each entry names its statement or dialog\n"
                    "# and its slot or control, then \"= original\" and \"> translation\".\n";
  for (const auto& [text, translation] : table) {
    out += "\n@ " + text.owner + " | " + text.item + "\n";
    if (!text.where.empty()) out += "# " + text.where + "\n";
    out += "= " + text.original + "\n> " + translation + "\n";
  }
  return out;
}

TranslationTable ReadTable(const std::string& text, const std::string& fileName) {
  TranslationTable table;
  std::istringstream in(text);
  std::string line;
  int number = 0;
  enum { kEntry, kOriginal, kTranslation } expect = kEntry;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (expect == kEntry && (Trim(line).empty() || line[0] == '#')) continue;
    if (expect != kEntry && line.starts_with("# ")) {
      table.back().first.where = line.substr(2);
      continue;
    }
    auto fail = [&](const std::string& what) { throw ProjectError({fileName, number}, what); };
    if (expect == kEntry) {
      if (!line.starts_with("@ ")) fail("expected an entry \"@ OWNER | ITEM\"");
      const size_t bar = line.rfind(" | ");
      if (bar == std::string::npos || bar < 2)
        fail("an entry names its owner and item: \"@ OWNER | ITEM\"");
      TranslatableText t;
      t.owner = line.substr(2, bar - 2);
      t.item = line.substr(bar + 3);
      t.dialog = IsFormFile(t.owner);
      table.emplace_back(std::move(t), std::string());
      expect = kOriginal;
    } else if (expect == kOriginal) {
      if (!line.starts_with("=")) fail("expected the original text \"= TEXT\"");
      table.back().first.original = line.size() > 1 ? line.substr(line[1] == ' ' ? 2 : 1) : "";
      expect = kTranslation;
    } else {
      if (!line.starts_with(">")) fail("expected the translation \"> TEXT\"");
      table.back().second = line.size() > 1 ? line.substr(line[1] == ' ' ? 2 : 1) : "";
      expect = kEntry;
    }
  }
  if (expect != kEntry) throw ProjectError({fileName, number}, "the last entry is incomplete");
  return table;
}

std::vector<std::string> SplitLanguages(const std::string& list) {
  std::vector<std::string> out;
  std::stringstream in(list);
  std::string part;
  while (std::getline(in, part, ',')) {
    part = Trim(part);
    if (!part.empty()) out.push_back(part);
  }
  return out;
}

TranslationBuild BuildTranslations(const Project& project,
                                   const std::vector<TranslatableText>& texts,
                                   const std::map<std::string, TranslationTable>& given,
                                   const std::function<void(const Warning&)>& warn) {
  TranslationBuild build;
  const std::vector<std::string> languages = SplitLanguages(project.languages);
  if (languages.empty()) return build;
  std::vector<std::string> matrix, map, original;
  for (const TranslatableText& t : texts) {
    matrix.push_back(t.dialog ? t.item : t.owner);  // a statement's further slots repeat its key
    map.push_back(t.dialog
                      ? t.owner
                      : (t.owner.starts_with("CODEGEAR$") ? kLocalizationOwner : kStatementOwner));
    original.push_back(t.original);
  }
  build.supportFiles[project.title + ".mtx"] = JoinLines(matrix);
  build.supportFiles["translations.Map"] = JoinLines(map);
  build.supportFiles["translations.Original"] = JoinLines(original);
  for (const std::string& language : languages) {
    std::map<std::string, const std::pair<TranslatableText, std::string>*> known;
    if (auto table = given.find(language); table != given.end()) {
      for (const auto& entry : table->second) known.emplace(TableKey(entry.first), &entry);
    }
    const bool isDefault = EqualsIgnoreCase(language, project.defaultLanguage);
    TranslationTable refreshed;
    std::vector<std::string> translated;
    for (const TranslatableText& t : texts) {
      std::string translation;
      auto found = known.find(TableKey(t));
      if (found != known.end() && found->second->first.original == t.original)
        translation = found->second->second;
      refreshed.emplace_back(t, translation);
      if (translation.empty() && !t.original.empty() && !isDefault) {
        if (warn) warn({project.file, language + ": untranslated: " + t.where + ": " + t.original});
      }
      translated.push_back(translation.empty() ? t.original : translation);
    }
    build.supportFiles["translations." + language] = JoinLines(translated);
    build.tables[language] = WriteTable(language, refreshed);
  }
  return build;
}

std::map<std::string, std::string> RestoreTables(const fs::path& folder, const std::string& title) {
  std::map<std::string, std::string> tables;
  auto read = [](const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return SplitLines(bytes.str());
  };
  std::error_code ec;
  const fs::path matrixFile = folder / (title + ".mtx");
  if (!fs::is_regular_file(folder / "translations.Map", ec) || !fs::is_regular_file(matrixFile, ec))
    return tables;
  const std::vector<std::string> matrix = read(matrixFile);
  const std::vector<std::string> map = read(folder / "translations.Map");
  const std::vector<std::string> original = read(folder / "translations.Original");
  std::vector<TranslatableText> texts;
  for (size_t i = 0; i < matrix.size(); ++i) {
    TranslatableText t;
    t.dialog = i < map.size() && IsFormFile(map[i]);
    t.owner = t.dialog ? map[i] : matrix[i];
    if (t.dialog) {
      t.item = matrix[i];
    } else {
      int slot = 1;
      for (size_t j = i; j > 0 && !texts[j - 1].dialog && texts[j - 1].owner == t.owner; --j)
        ++slot;
      t.item = std::to_string(slot);
    }
    t.original = i < original.size() ? original[i] : std::string();
    texts.push_back(std::move(t));
  }
  std::vector<fs::path> generated = {matrixFile, folder / "translations.Map",
                                     folder / "translations.Original"};
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    const std::string name = entry.path().filename().string();
    if (!name.starts_with("translations.") || name == "translations.Map" ||
        name == "translations.Original")
      continue;
    const std::string language = name.substr(std::string("translations.").size());
    const std::vector<std::string> translated = read(entry.path());
    TranslationTable table;
    // A text shipped as written was untranslated (or needs no translation).
    for (size_t i = 0; i < texts.size(); ++i) {
      const bool given = i < translated.size() && translated[i] != texts[i].original;
      table.emplace_back(texts[i], given ? translated[i] : std::string());
    }
    tables[language] = WriteTable(language, table);
    generated.push_back(entry.path());
  }
  for (const fs::path& path : generated) fs::remove(path, ec);
  return tables;
}

}  // namespace vantrell::authoring
