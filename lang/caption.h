// The wizard caption that titles every engine message box: the title alone
// with the logo flag, the title + " - Vantrell Wizard" when a title is known,
// and the engine's own caption text otherwise. The suffix's name is the
// engine's caption text, so that it follows the engine texts' language.
#pragma once

#include <string>

namespace vantrell {

void SetCaptionTitle(std::string title);
void SetCaptionLogo(bool logo);
std::string WizardCaption();

// A dialog's caption with the caption suffix " - Vantrell Wizard": appended
// when missing, removed where it occurs while the logo flag is set.
std::string DialogCaption(std::string caption);

}  // namespace vantrell
