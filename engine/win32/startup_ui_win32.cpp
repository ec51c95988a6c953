// Start-up message boxes through user32.
#include "engine/win32/startup_ui_win32.h"

#include <windows.h>

namespace vantrell {

void Win32StartupUi::ShowPreparing(const std::string&) {}

void Win32StartupUi::SetPreparingProgress(int, int, int) {}

void Win32StartupUi::StepPreparing() {}

void Win32StartupUi::HidePreparing() {
  preparingWindow_ = nullptr;
}

void Win32StartupUi::ShowError(const std::string& title, const std::string& text,
                               bool ownedByPreparing) {
  HWND owner = ownedByPreparing ? static_cast<HWND>(preparingWindow_) : nullptr;
  MessageBoxA(owner, text.c_str(), title.c_str(), MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

}  // namespace vantrell
