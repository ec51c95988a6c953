// Wizard caption state (contract in caption.h).
#include "lang/caption.h"

#include <mutex>

#include "lang/engine_texts.h"

namespace vantrell {
namespace {
std::mutex captionMutex;
std::string captionTitle;
bool captionLogo = false;

// " - " and the wizard's name, which the engine texts translate.
std::string CaptionSuffix() {
  return " - " + EngineText(kTextWizardCaption);
}
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
  if (!captionTitle.empty()) return captionTitle + CaptionSuffix();
  return EngineText(kTextWizardCaption);
}

std::string DialogCaption(std::string caption) {
  const std::string suffix = CaptionSuffix();
  bool logo = false;
  {
    std::lock_guard lock(captionMutex);
    logo = captionLogo;
  }
  if (!logo) {
    if (caption.find(suffix) == std::string::npos) caption += suffix;
    return caption;
  }
  for (size_t at = caption.find(suffix); at != std::string::npos; at = caption.find(suffix)) {
    caption.erase(at, suffix.size());
  }
  return caption;
}

}  // namespace vantrell
