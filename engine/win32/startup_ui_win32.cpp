// Start-up's windows and message boxes through the dialog layer and user32.
#include "engine/win32/startup_ui_win32.h"

#include <windows.h>

#include "dialogs/win32/startup_windows_win32.h"

namespace vantrell {

Win32StartupUi::Win32StartupUi() = default;

Win32StartupUi::~Win32StartupUi() = default;

void Win32StartupUi::ShowPreparing(const std::string& exeFolder) {
  windows_ = std::make_unique<StartupWindows>(exeFolder);
}

void Win32StartupUi::SetPreparingProgress(int minimum, int maximum, int position) {
  if (windows_) windows_->SetProgress(minimum, maximum, position);
}

void Win32StartupUi::StepPreparing() {
  if (windows_) windows_->Step();
}

void Win32StartupUi::HidePreparing() {
  windows_.reset();
}

void Win32StartupUi::ShowError(const std::string& title, const std::string& text,
                               bool ownedByPreparing) {
  HWND owner = ownedByPreparing && windows_ ? windows_->Preparing() : nullptr;
  MessageBoxA(owner, text.c_str(), title.c_str(), MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

}  // namespace vantrell
