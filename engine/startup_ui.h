// What start-up shows: the splash and preparing windows (hidden in silent and
// update runs) and its error message boxes. The Windows side draws them; a
// silent run and the native tests use implementations that show nothing.
#pragma once

#include <string>

namespace vantrell {

class StartupUi {
 public:
  virtual ~StartupUi() = default;
  // Creates and shows the splash (when the setup has a picture) and the preparing window.
  virtual void ShowPreparing(const std::string& exeFolder) = 0;
  virtual void SetPreparingProgress(int minimum, int maximum, int position) = 0;
  virtual void StepPreparing() = 0;
  virtual void HidePreparing() = 0;
  // An error box with the error icon; owned by the preparing window when asked and shown.
  virtual void ShowError(const std::string& title, const std::string& text,
                         bool ownedByPreparing) = 0;
};

}  // namespace vantrell
