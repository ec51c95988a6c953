// session_keeper.exe READY-FILE: a program that refuses the end of the
// session, for tests/wine/t_reboot.sh. It writes READY-FILE once its window
// exists, answers every WM_QUERYENDSESSION with "no" (writing READY-FILE +
// ".asked"), and ends when READY-FILE + ".stop" appears (or after five
// minutes). While it runs, a restart request cannot end the test prefix's
// session, so Wine leaves the Run entries for the test to read.
#include <windows.h>

#include <string>

namespace {

std::string readyFile;

void Touch(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

constexpr UINT_PTR kPoll = 1;
constexpr UINT_PTR kGiveUp = 2;

LRESULT CALLBACK KeeperProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_QUERYENDSESSION:
      Touch(readyFile + ".asked");
      return FALSE;
    case WM_TIMER:
      if (wParam == kGiveUp ||
          GetFileAttributesA((readyFile + ".stop").c_str()) != INVALID_FILE_ATTRIBUTES) {
        PostQuitMessage(0);
      }
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
  SetTimer(window, kPoll, 200, nullptr);
  SetTimer(window, kGiveUp, 300000, nullptr);
  Touch(readyFile);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}
