// A Windows program that starts and ends at once: the baseline against which
// tools/startup_bench.sh sets the engine's time to its first page. With the
// argument "window" it first shows and paints a plain window, which tells
// what Wine's first window costs any program.
#include <windows.h>

#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  if (std::strstr(commandLine, "window") != nullptr) {
    HWND window = CreateWindowExW(0, L"STATIC", L"Do nothing", WS_OVERLAPPEDWINDOW, 100, 100, 300,
                                  200, nullptr, nullptr, nullptr, nullptr);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    DestroyWindow(window);
  }
  return 0;
}
