// Translations and the language offer (contract in translations.h).
#include "lang/translations.h"

#include <algorithm>

#include "common/ascii.h"

namespace vantrell {

LocalizationMode ParseLocalizationMode(std::string_view text) {
  if (EqualsIgnoreCase(text, "VARSONLY")) return LocalizationMode::kVariablesOnly;
  if (EqualsIgnoreCase(text, "NEWONLY")) return LocalizationMode::kNewOnly;
  return LocalizationMode::kNormal;
}

std::string LocalizationVariableKey(std::string_view name) {
  return "CODEGEAR$" + std::string(name) + "$CODEGEAR";
}

void TranslationState::Reset() {
  expandBuild_ = nullptr;
  current_.clear();
  loaded_ = kNoLanguageLoaded;
  files_ = {};
  firstLine_.clear();
}

bool TranslationState::Refresh(
    const std::string& language,
    const std::function<TranslationFiles(const std::string& language)>& load) {
  current_ = language;
  if (language.empty() || language == loaded_) return false;
  loaded_ = language;
  files_ = load(language);
  firstLine_.clear();
  for (size_t i = 0; i < files_.matrix.size(); ++i) {
    firstLine_.emplace(AsciiUpper(files_.matrix[i]), i);  // the first line of a key wins
  }
  return true;
}

std::string TranslationState::Translate(
    const std::string& text, std::string_view key, int slot, LocalizationMode mode,
    const std::function<std::string(std::string_view)>& expandBuild) const {
  if (mode == LocalizationMode::kVariablesOnly &&
      (key.find("CODEGEAR$") == std::string_view::npos ||
       key.find("$CODEGEAR") == std::string_view::npos)) {
    return text;
  }
  if (slot < 1) return text;
  const auto found = firstLine_.find(AsciiUpper(key));
  if (found == firstLine_.end()) return text;
  const size_t line = found->second + static_cast<size_t>(slot) - 1;
  if (mode == LocalizationMode::kNewOnly &&
      (line >= files_.original.size() || text != files_.original[line])) {
    return text;
  }
  if (line >= files_.translated.size()) return text;
  return expandBuild ? expandBuild(files_.translated[line]) : files_.translated[line];
}

std::string TranslationState::Lookup(const std::string& text, std::string_view key,
                                     int slot) const {
  if (!Active()) return text;
  const LocalizationMode mode =
      expandBuild_ ? ParseLocalizationMode(expandBuild_("#LOCMODE#")) : LocalizationMode::kNormal;
  return Translate(text, key, slot, mode, expandBuild_);
}

TranslationState& Translations() {
  static TranslationState state;
  return state;
}

std::optional<std::string> DialogTranslation(const TranslationFiles& files, std::string_view dialog,
                                             std::string_view control) {
  const size_t lines = std::min({files.map.size(), files.matrix.size(), files.translated.size()});
  for (size_t i = 0; i < lines; ++i) {
    if (EqualsIgnoreCase(files.map[i], dialog) && EqualsIgnoreCase(files.matrix[i], control)) {
      return files.translated[i];
    }
  }
  return std::nullopt;
}

std::vector<std::string> OfferedLanguages(const std::vector<std::string>& paths,
                                          const std::string& supportFolder,
                                          const std::string& defaultLanguage,
                                          bool& defaultOffered) {
  defaultOffered = false;
  const std::string prefix = supportFolder + "translations.";
  std::vector<std::string> languages;
  for (const std::string& path : paths) {
    if (path.size() <= prefix.size() || !EqualsIgnoreCase(path.substr(0, prefix.size()), prefix))
      continue;
    if (EqualsIgnoreCase(path, prefix + "Map") || EqualsIgnoreCase(path, prefix + "Original"))
      continue;
    if (path.find("shared") != std::string::npos) continue;
    if (EqualsIgnoreCase(path, prefix + defaultLanguage)) defaultOffered = true;
    languages.push_back(path.substr(prefix.size()));
  }
  return languages;
}

size_t PreselectLanguage(const std::vector<std::string>& languages,
                         const std::string& defaultLanguage, const std::string& userLanguage) {
  size_t fallback = 0;
  bool defaultSeen = false;
  for (size_t i = 0; i < languages.size(); ++i) {
    if (!defaultSeen && EqualsIgnoreCase(languages[i], defaultLanguage)) {
      fallback = i;
      defaultSeen = true;
    }
    if (!userLanguage.empty() && EqualsIgnoreCase(languages[i], userLanguage)) return i;
  }
  return fallback;
}

}  // namespace vantrell
