// Start-up's windows on the real desktop: error message boxes now; the splash
// and preparing windows are drawn by the dialog layer once it exists, and
// until then these calls keep their place in the sequence without a window.
#pragma once

#include "engine/startup_ui.h"

namespace vantrell {

class Win32StartupUi final : public StartupUi {
 public:
  void ShowPreparing(const std::string& exeFolder) override;
  void SetPreparingProgress(int minimum, int maximum, int position) override;
  void StepPreparing() override;
  void HidePreparing() override;
  void ShowError(const std::string& title, const std::string& text, bool ownedByPreparing) override;

 private:
  void* preparingWindow_ = nullptr;  // HWND of the preparing window when shown
};

}  // namespace vantrell
