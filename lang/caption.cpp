// Wizard caption state (contract in caption.h).
#include "lang/caption.h"

#include <mutex>

#include "lang/engine_texts.h"

namespace vantrell {
namespace {
std::mutex captionMutex;
std::string captionTitle;
bool captionLogo = false;
}  // namespace

void SetCaptionTitle(std::string title) {
  std::lock_guard lock(captionMutex);
  captionTitle = std::move(title);
}

void SetCaptionLogo(bool logo) {
  std::lock_guard lock(captionMutex);
  captionLogo = logo;
}

std::string WizardCaption() {
  std::lock_guard lock(captionMutex);
  if (captionLogo) return captionTitle;
  if (!captionTitle.empty()) return captionTitle + " - Vantrell Wizard";
  return EngineText(kTextWizardCaption);
}

}  // namespace vantrell
