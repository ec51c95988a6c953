// session_keeper.exe READY-FILE: a program that refuses the end of the
// session, for tests/wine/t_reboot.sh. It writes READY-FILE once its window
// exists, answers the first WM_QUERYENDSESSION with "no", writes
// READY-FILE + ".asked" and ends with the WM_ENDSESSION that follows (or
// after two minutes). Wine then cancels the session end it was asked for, so
// the Run entries are left for the test to read.
#include <windows.h>

#include <string>

namespace {

std::string readyFile;

void Touch(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

LRESULT CALLBACK KeeperProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_QUERYENDSESSION:
      Touch(readyFile + ".asked");
      return FALSE;
    case WM_ENDSESSION:
    case WM_TIMER:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  readyFile = commandLine;
  if (readyFile.empty()) return 2;
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = KeeperProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "VantrellSessionKeeper";
  if (RegisterClassA(&windowClass) == 0) return 3;
  HWND window = CreateWindowExA(0, windowClass.lpszClassName, "Session keeper", WS_OVERLAPPED, 0, 0,
                                10, 10, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 4;
  SetTimer(window, 1, 120000, nullptr);
  Touch(readyFile);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}
