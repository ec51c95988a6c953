// The project's translations: every text the engine translates (statement
// slots and the dialogs' control texts), the readable table of one language
// per file, and the support files the engine reads (the matrix TITLE.mtx,
// "translations.Map", "translations.Original" and "translations." + language,
// all aligned line by line). A table, in the project's translations folder as
// LANGUAGE.txt:
//   table  := { comment | entry }
//   entry  := "@ " owner " | " item LF [ "# " where LF ] "= " original LF "> " translation LF
// owner is the statement's key (its identifier, or "CODEGEAR$" + variable +
// "$CODEGEAR" for "Localization Variable") or the dialog's form file
// (NAME.dfm); item the slot number or the control's name (the form's own
// caption: the form file name). An empty translation is untranslated.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "authoring/assemble.h"
#include "authoring/carried_script.h"
#include "authoring/project.h"
#include "dialogs/form_stream.h"

namespace vantrell::authoring {

struct TranslatableText {
  std::string owner;
  std::string item;
  std::string original;
  std::string where;  // "main.vscript:12 Set Variable", "Welcome.txt Heading"; may be empty
  bool dialog = false;
};

// The parameter lines a command translates, by slot (slot 1 first).
const std::vector<int>* TranslatedLines(const std::string& command);

// Every translatable text of the script (statements in carried order, the
// identifiers from the carried script) and of the forms (file name without
// ".dfm", tree), in that order.
std::vector<TranslatableText> ExtractTexts(
    const Project& project, const CarriedScript& script,
    const std::vector<std::pair<std::string, FormComponent>>& forms);

using TranslationTable = std::vector<std::pair<TranslatableText, std::string>>;

std::string WriteTable(const std::string& language, const TranslationTable& table);
// Throws ProjectError (with the line) for a malformed table.
TranslationTable ReadTable(const std::string& text, const std::string& fileName);

// "English, German" into its names.
std::vector<std::string> SplitLanguages(const std::string& list);

struct TranslationBuild {
  std::map<std::string, std::string> supportFiles;  // file name -> bytes
  std::map<std::string, std::string> tables;        // language -> table text
};

// The support files and the refreshed tables for the project's languages:
// each text takes the translation its language's table gives for the same
// owner, item and original; the default language takes the original when its
// table has none; any other untranslated text is reported through warn and
// shipped as its original.
TranslationBuild BuildTranslations(const Project& project,
                                   const std::vector<TranslatableText>& texts,
                                   const std::map<std::string, TranslationTable>& given,
                                   const std::function<void(const Warning&)>& warn);

// The tables again from a setup's support files (in folder, with the matrix
// named by the title): language -> table text; a text shipped as written is
// untranslated again. The translation files are removed from the folder.
// Empty when the folder holds no translations.
std::map<std::string, std::string> RestoreTables(const std::filesystem::path& folder,
                                                 const std::string& title);

}  // namespace vantrell::authoring
