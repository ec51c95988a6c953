// The script's translations: the current setup language, the translation
// lists of the loaded language (map, translated and authored texts, matrix
// of keys) and the lookup that statements pass their texts through, keyed by
// their statement identifier and a slot number. Also the start-up offer of
// languages from the support folder's "translations.*" files.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace vantrell {

// The build variable LOCMODE: "VARSONLY" translates only localization
// variables, "NEWONLY" leaves a text that no longer equals its authored form.
enum class LocalizationMode { kNormal, kVariablesOnly, kNewOnly };
LocalizationMode ParseLocalizationMode(std::string_view text);

// The key of a "Localization Variable".
std::string LocalizationVariableKey(std::string_view name);

// The four aligned lists of one language, one entry per line.
struct TranslationFiles {
  std::vector<std::string> map;
  std::vector<std::string> translated;
  std::vector<std::string> original;
  std::vector<std::string> matrix;
};

class TranslationState {
 public:
  // The language whose files are loaded before the first load: matches none.
  static constexpr const char* kNoLanguageLoaded = "ZILCH";

  void Reset();

  // Before every statement: the language is LANGUAGE's value. A language
  // other than the loaded one loads its files (through load) and returns
  // true; an empty language keeps the lists but turns translation off.
  bool Refresh(const std::string& language,
               const std::function<TranslationFiles(const std::string& language)>& load);

  // The run's build variables: LOCMODE and the translated texts go through them.
  void SetBuildExpansion(std::function<std::string(std::string_view)> expand) {
    expandBuild_ = std::move(expand);
  }
  // Translate with the run's mode and build variables; the text itself while
  // no language is current.
  std::string Lookup(const std::string& text, std::string_view key, int slot) const;

  const std::string& Current() const { return current_; }
  void SetCurrent(const std::string& language) { current_ = language; }
  bool Active() const { return !current_.empty(); }

  // The lookup: text itself unless the matrix knows the key and the mode
  // allows it; a translation found goes through expandBuild (the build
  // variables) before it is returned.
  std::string Translate(const std::string& text, std::string_view key, int slot,
                        LocalizationMode mode,
                        const std::function<std::string(std::string_view)>& expandBuild) const;

  // The owner line (translations.Map) of a matrix line, for dialog texts.
  const TranslationFiles& Files() const { return files_; }

 private:
  std::string current_;
  std::string loaded_ = kNoLanguageLoaded;
  TranslationFiles files_;
  // First matrix line of each key, upper-cased (ASCII): a lookup does not
  // grow with the matrix.
  std::unordered_map<std::string, size_t> firstLine_;
  std::function<std::string(std::string_view)> expandBuild_;
};

// The run's translation state.
TranslationState& Translations();

// A dialog control's text in the loaded language: the translated text of the
// first line whose map line is the dialog's file name and whose matrix line
// is the control's name (both compared ignoring ASCII case); nullopt when
// there is none.
std::optional<std::string> DialogTranslation(const TranslationFiles& files, std::string_view dialog,
                                             std::string_view control);

// The languages a support folder offers, from its file names (full paths) in
// listing order: "translations." + language, without the map, the authored
// texts and anything whose path contains "shared". defaultOffered is set when
// the project's default language is among them.
std::vector<std::string> OfferedLanguages(const std::vector<std::string>& paths,
                                          const std::string& supportFolder,
                                          const std::string& defaultLanguage, bool& defaultOffered);

// The index to preselect: the user's interface language when offered, else
// the default language, else the first.
size_t PreselectLanguage(const std::vector<std::string>& languages,
                         const std::string& defaultLanguage, const std::string& userLanguage);

}  // namespace vantrell
