// The wizard caption that titles every engine message box: the title alone
// with the logo flag, the title + " - Vantrell Wizard" when a title is known,
// and the engine's own caption text otherwise.
#pragma once

#include <string>

namespace vantrell {

void SetCaptionTitle(std::string title);
void SetCaptionLogo(bool logo);
std::string WizardCaption();

}  // namespace vantrell
