// Folder selection through SHBrowseForFolder (see folder_browser.h).
#include "common/win32/folder_browser.h"

#include <shlobj.h>

namespace vantrell {
namespace {

struct StartSelection {
  const std::string* folder;
  int retries;
};

// Selects the start folder when the dialog opens. The tree may still settle
// on its root afterwards, so the first changes away from the start folder
// select it again (a few times at most, so the user stays free to move).
int CALLBACK SelectStart(HWND dialog, UINT message, LPARAM item, LPARAM data) {
  auto* start = reinterpret_cast<StartSelection*>(data);
  if (message == BFFM_INITIALIZED) {
    SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE,
                 reinterpret_cast<LPARAM>(start->folder->c_str()));
  } else if (message == BFFM_SELCHANGED && start->retries > 0) {
    char path[MAX_PATH] = {};
    SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(item), path);
    if (lstrcmpiA(path, start->folder->c_str()) == 0) {
      start->retries = 0;
    } else {
      --start->retries;
      SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE,
                   reinterpret_cast<LPARAM>(start->folder->c_str()));
    }
  }
  return 0;
}

}  // namespace

std::optional<std::string> BrowseForFolder(HWND owner, const std::string& start,
                                           const std::string& title) {
  // The newer style hosts shell views, which need OLE on this thread.
  const HRESULT ole = OleInitialize(nullptr);
  char display[MAX_PATH] = {};
  BROWSEINFOA info{};
  info.hwndOwner = owner;
  info.pszDisplayName = display;
  if (!title.empty()) info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  const DWORD attributes =
      start.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(start.c_str());
  StartSelection selection{&start, 2};
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    info.lpfn = SelectStart;
    info.lParam = reinterpret_cast<LPARAM>(&selection);
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
