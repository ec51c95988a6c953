// Start-up's two windows, made from the engine's forms TSetupSplash and
// TSetupInit: the setup's own picture ("setup.bmp" beside the executable) as
// a splash, and the preparing window with its progress bar. No message loop
// runs while they show, so every change is painted at once.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace vantrell {

class Form;
class FormWindow;

class StartupWindows {
 public:
  // Creates both forms and shows the splash (when exeFolder holds a picture
  // that decodes) and then the preparing window, placed beside the splash or
  // centred. Throws EngineError when a form cannot be made.
  explicit StartupWindows(const std::string& exeFolder);
  StartupWindows(const StartupWindows&) = delete;
  StartupWindows& operator=(const StartupWindows&) = delete;
  // Hides and destroys the preparing window, then the splash.
  ~StartupWindows();

  HWND Preparing() const;
  void SetProgress(int minimum, int maximum, int position);
  void Step();

 private:
  void Repaint();

  std::unique_ptr<Form> splashForm_;
  std::unique_ptr<Form> preparingForm_;
  std::unique_ptr<FormWindow> splash_;
  std::unique_ptr<FormWindow> preparing_;
  bool splashShown_ = false;
};

}  // namespace vantrell
