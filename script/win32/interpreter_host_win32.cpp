// Windows side of the interpreter host (contract in interpreter_host_win32.h).
#include "script/win32/interpreter_host_win32.h"

#include <windows.h>

#include <pthread.h>

#include "lang/win32/reading_order_win32.h"

namespace vantrell {

void Win32AnsiUpper(char* text, size_t length) {
  if (length > 0) CharUpperBuffA(text, static_cast<DWORD>(length));
}

Win32InterpreterHost::Win32InterpreterHost() : mainThreadId_(GetCurrentThreadId()) {}

// Waits a little at most, so that the wait loops also see time pass (a
// watchdog's delay) while no message comes.
void Win32InterpreterHost::ProcessOneMessage() {
  constexpr DWORD kLongestWaitMs = 250;
  MSG msg;
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    MsgWaitForMultipleObjectsEx(0, nullptr, kLongestWaitMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return;
  }
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
}

void Win32InterpreterHost::WakeMainThread() {
  PostThreadMessageA(mainThreadId_, WM_NULL, 0, 0);
}

// The thread is killed where it stands; it runs no more of its code.
void Win32InterpreterHost::EndThread(std::thread& thread) {
  if (!thread.joinable()) return;
  auto* handle = static_cast<HANDLE>(pthread_gethandle(thread.native_handle()));
  if (handle != nullptr) TerminateThread(handle, 1);
}

void Win32InterpreterHost::ProcessMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void Win32InterpreterHost::ShowScriptError(const std::string& caption, const std::string& text) {
  MessageBoxA(nullptr, text.c_str(), caption.c_str(),
              MessageBoxReadingOrder(MB_OK | MB_ICONERROR | MB_SETFOREGROUND));
}

std::string Win32InterpreterHost::ShortDate() {
  char buffer[128] = {};
  int n =
      GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, buffer, sizeof(buffer));
  return n > 0 ? std::string(buffer) : std::string();
}

std::string Win32InterpreterHost::LongTime() {
  char buffer[128] = {};
  int n = GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, buffer, sizeof(buffer));
  return n > 0 ? std::string(buffer) : std::string();
}

void Win32InterpreterHost::TerminateProcess(int code) {
  ExitProcess(static_cast<UINT>(code));
}

}  // namespace vantrell
