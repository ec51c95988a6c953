// The engine's own texts: 115 numbered slots with English defaults, replaced
// from an engine text file ("lang.loc", "shared.translations." + language).
// File layout: one block of 115 lines (slots 1..115; 91..111 are read and
// dropped), then any number of (language display name line, 115-line block)
// entries. Loading stops after the block named like the user's interface
// language; without a match the last block read stays in effect.
#pragma once

#include <string>
#include <string_view>

namespace vantrell {

constexpr int kEngineTextSlots = 115;

enum EngineTextSlot : int {
  kTextResourceNotFound = 2,
  kTextResourceDecompression = 3,
  kTextDatabaseNotFound = 4,
  kTextRuntimeErrorInInstall = 5,
  kTextRuntimeErrorInScript = 20,
  kTextPercentComplete = 21,
  kTextWizardCaption = 23,
  kTextPreparing = 24,
};

// The current text of a slot (1..115); empty for a slot outside the table.
std::string EngineText(int slot);

void ResetEngineTexts();

// Loads the file's blocks as described above. userLanguage is the display
// name of the user's interface language (compared ignoring ASCII case).
void LoadEngineTexts(std::string_view fileBytes, std::string_view userLanguage);

}  // namespace vantrell
