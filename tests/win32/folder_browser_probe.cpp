// Opens the folder selection dialog over an owner window and writes what it
// gave back, for tests/wine/t_files.sh to drive with the robot:
//   folder_browser_probe START OUT  ->  OUT holds "chosen=PATH" or "cancelled".
#include <windows.h>

#include <cstdio>
#include <string>

#include "common/win32/folder_browser.h"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  HWND owner =
      CreateWindowExA(0, "STATIC", "Folder Browser Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                      300, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  std::optional<std::string> chosen = vantrell::BrowseForFolder(owner, argv[1]);
  if (FILE* out = std::fopen(argv[2], "w")) {
    std::fprintf(out, "%s\n", chosen ? ("chosen=" + *chosen).c_str() : "cancelled");
    std::fclose(out);
  }
  DestroyWindow(owner);
  return chosen ? 0 : 1;
}
