// The "Select Setup Language" dialog: the engine's own form (resource
// SELECTLANGUAGE, built from dialogs/forms/SelectLanguage.txt) with the
// language texts of the engine (caption, prompt, OK, Cancel), a drop-down list
// of the offered languages and the preselection. Shown modally at start-up.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace vantrell {

// The index chosen with OK (or Enter); nullopt for Cancel, Escape or closing
// the window. Mirrored when the preselected language is written right to left.
// Throws EngineError when the form resource is missing or unreadable.
std::optional<size_t> ShowLanguageDialog(const std::vector<std::string>& languages,
                                         size_t preselected);

}  // namespace vantrell
