// Folder selection through SHBrowseForFolder (see folder_browser.h).
#include "system/win32/folder_browser.h"

#include <shlobj.h>

namespace vantrell {
namespace {

int CALLBACK SelectStart(HWND dialog, UINT message, LPARAM, LPARAM start) {
  if (message == BFFM_INITIALIZED && start != 0) {
    SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, start);
  }
  return 0;
}

}  // namespace

std::optional<std::string> BrowseForFolder(HWND owner, const std::string& start) {
  // The newer style hosts shell views, which need OLE on this thread.
  const HRESULT ole = OleInitialize(nullptr);
  char display[MAX_PATH] = {};
  BROWSEINFOA info{};
  info.hwndOwner = owner;
  info.pszDisplayName = display;
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  const DWORD attributes = start.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(start.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    info.lpfn = SelectStart;
    info.lParam = reinterpret_cast<LPARAM>(start.c_str());
  }
  std::optional<std::string> chosen;
  if (LPITEMIDLIST list = SHBrowseForFolderA(&info)) {
    char path[MAX_PATH] = {};
    if (SHGetPathFromIDListA(list, path) && path[0] != '\0') chosen = path;
    CoTaskMemFree(list);
  }
  if (SUCCEEDED(ole)) OleUninitialize();
  return chosen;
}

}  // namespace vantrell
