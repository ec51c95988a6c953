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

std::string DialogCaption(std::string caption) {
  static const std::string kSuffix = " - Vantrell Wizard";
  bool logo = false;
  {
    std::lock_guard lock(captionMutex);
    logo = captionLogo;
  }
  if (!logo) {
    if (caption.find(kSuffix) == std::string::npos) caption += kSuffix;
    return caption;
  }
  for (size_t at = caption.find(kSuffix); at != std::string::npos; at = caption.find(kSuffix)) {
    caption.erase(at, kSuffix.size());
  }
  return caption;
}

}  // namespace vantrell
