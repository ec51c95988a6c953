// Start-up's windows on the real desktop: the splash and preparing windows of
// the dialog layer, and the error message boxes (owned by the preparing
// window when asked and it shows).
#pragma once

#include <memory>

#include "engine/startup_ui.h"

namespace vantrell {

class StartupWindows;

class Win32StartupUi final : public StartupUi {
 public:
  Win32StartupUi();
  ~Win32StartupUi() override;
  void ShowPreparing(const std::string& exeFolder) override;
  void SetPreparingProgress(int minimum, int maximum, int position) override;
  void StepPreparing() override;
  void HidePreparing() override;
  void ShowError(const std::string& title, const std::string& text, bool ownedByPreparing) override;

 private:
  std::unique_ptr<StartupWindows> windows_;
};

}  // namespace vantrell
