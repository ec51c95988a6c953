// The folder controls' windows (folder_controls_win32.h). A window's state
// hangs on it as a window property and goes with the window; shell items are
// absolute item lists owned by that state, found again through the index
// kept as each node's or item's parameter.
#include "dialogs/win32/folder_controls_win32.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "common/ascii.h"
#include "common/paths.h"
#include "dialogs/win32/win32_text.h"

namespace vantrell {
namespace {

constexpr UINT_PTR kFolderId = 3;
constexpr wchar_t kStateProperty[] = L"VantrellFolderState";

enum class Kind { kFiles, kDirectories, kDrives, kFilters, kTree, kList, kCombo };

struct ItemListFree {
  void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};
using ItemList = std::unique_ptr<ITEMIDLIST, ItemListFree>;

struct FolderState {
  Kind kind = Kind::kFiles;
  std::wstring folder;          // what a list, directory list or combo shows
  std::wstring masks;           // a file list's "*.txt;*.doc"
  LRESULT levels = 0;           // the directory list's entries down to its folder
  std::vector<ItemList> items;  // behind the shell tree's nodes and list's items
};

LRESULT CALLBACK FolderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                            UINT_PTR /*id*/, DWORD_PTR data) {
  auto* state = reinterpret_cast<FolderState*>(data);
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, FolderProc, kFolderId);
    RemovePropW(window, kStateProperty);
    delete state;
  } else if (message == WM_GETDLGCODE && wParam == VK_RETURN &&
             (state->kind == Kind::kDirectories || state->kind == Kind::kList)) {
    // Enter opens the selected folder instead of pressing the default button.
    return DefSubclassProc(window, message, wParam, lParam) | DLGC_WANTALLKEYS;
  } else if (message == WM_KEYDOWN && wParam == VK_RETURN && state->kind == Kind::kDirectories) {
    SendMessageW(GetParent(window), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(window));
    return 0;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

FolderState* StateOf(HWND window) {
  return static_cast<FolderState*>(GetPropW(window, kStateProperty));
}

// "C:" for a drive's root, else the folder without its final "\".
std::wstring Bare(std::wstring path) {
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  return path;
}

// The root keeps its "\": "C:" becomes "C:\".
std::wstring Shown(const std::wstring& bare) {
  return bare.size() == 2 && bare[1] == L':' ? bare + L'\\' : bare;
}

std::wstring CurrentDirectory() {
  wchar_t buffer[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, buffer);
  return buffer;
}

std::wstring ListText(HWND window, LRESULT index, bool combo) {
  if (index < 0) return {};
  const LRESULT length =
      SendMessageW(window, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  std::wstring text(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
  SendMessageW(window, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(text.data()));
  text.resize(wcslen(text.c_str()));
  return text;
}

void AddString(HWND window, bool combo, const std::wstring& text) {
  SendMessageW(window, combo ? CB_ADDSTRING : LB_ADDSTRING, 0,
               reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring Trimmed(const std::wstring& text) {
  const size_t start = text.find_first_not_of(L' ');
  return start == std::wstring::npos ? std::wstring() : text.substr(start);
}

// Adds a folder's entries that match one of the patterns ("*.txt;*.doc"),
// folders or files, hidden and system ones left out, to a list box: each
// goes in its sorted place after the first entries.
void AddNames(HWND box, const std::wstring& folder, const std::wstring& patterns, bool folders,
              LRESULT first, size_t indent) {
  size_t start = 0;
  while (start < patterns.size()) {
    size_t end = patterns.find(L';', start);
    if (end == std::wstring::npos) end = patterns.size();
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = Bare(folder) + L'\\' + patterns.substr(start, end - start);
    start = end + 1;
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) continue;
    do {
      const DWORD a = found.dwFileAttributes;
      if (((a & FILE_ATTRIBUTE_DIRECTORY) != 0) != folders ||
          lstrcmpW(found.cFileName, L".") == 0 || lstrcmpW(found.cFileName, L"..") == 0 ||
          (a & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0) {
        continue;
      }
      const std::wstring text = std::wstring(indent, L' ') + found.cFileName;
      LRESULT low = first;
      LRESULT high = SendMessageW(box, LB_GETCOUNT, 0, 0);
      const LRESULT count = high;
      while (low < high) {
        const LRESULT middle = (low + high) / 2;
        if (lstrcmpiW(ListText(box, middle, false).c_str(), text.c_str()) < 0) {
          low = middle + 1;
        } else {
          high = middle;
        }
      }
      // A name two patterns match is there once.
      if (low < count && lstrcmpiW(ListText(box, low, false).c_str(), text.c_str()) == 0) continue;
      SendMessageW(box, LB_INSERTSTRING, static_cast<WPARAM>(low),
                   reinterpret_cast<LPARAM>(text.c_str()));
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
}

void FillFiles(HWND window, FolderState& s, const std::wstring& folder) {
  s.folder = Bare(folder);
  SendMessageW(window, LB_RESETCONTENT, 0, 0);
  AddNames(window, s.folder, s.masks, false, 0, 0);
}

// The classic directory list: the root and every folder down to the one
// shown, each indented below the one before, then its sub-folders.
void FillDirectories(HWND window, FolderState& s, const std::wstring& folder) {
  const std::wstring bare = Bare(folder);
  SendMessageW(window, LB_RESETCONTENT, 0, 0);
  s.levels = 0;
  size_t nameStart = 0;
  for (size_t i = 0; i <= bare.size(); ++i) {
    if (i < bare.size() && bare[i] != L'\\') continue;
    AddString(
        window, false,
        std::wstring(static_cast<size_t>(s.levels) * 2, L' ') +
            (s.levels == 0 ? Shown(bare.substr(0, i)) : bare.substr(nameStart, i - nameStart)));
    nameStart = i + 1;
    ++s.levels;
  }
  s.folder = Shown(bare);
  SendMessageW(window, LB_SETCURSEL, static_cast<WPARAM>(s.levels - 1), 0);
  AddNames(window, bare, L"*", true, s.levels, static_cast<size_t>(s.levels) * 2);
}

// The folder of a directory list's entry: one of the levels down to the
// folder shown, or one of its sub-folders.
std::wstring EntryPath(HWND box, const FolderState& s, LRESULT index) {
  const std::wstring bare = Bare(s.folder);
  if (index >= s.levels) return bare + L'\\' + Trimmed(ListText(box, index, false));
  size_t end = bare.find(L'\\');
  for (LRESULT i = 0; i < index && end != std::wstring::npos; ++i) end = bare.find(L'\\', end + 1);
  return Shown(bare.substr(0, end));
}

void FillDrives(HWND window, const FormControl& control) {
  const bool upper = control.Get("TextCase").value_or("") == "tcUpperCase";
  wchar_t drives[512] = {};
  GetLogicalDriveStringsW(511, drives);
  for (const wchar_t* root = drives; *root != L'\0'; root += wcslen(root) + 1) {
    std::wstring text{static_cast<wchar_t>(upper ? towupper(root[0]) : towlower(root[0])), L':'};
    // Only fixed drives are asked for their name: others may wait for a disc.
    wchar_t label[MAX_PATH] = {};
    if (GetDriveTypeW(root) == DRIVE_FIXED &&
        GetVolumeInformationW(root, label, MAX_PATH, nullptr, nullptr, nullptr, nullptr, 0) &&
        label[0] != L'\0') {
      text += std::wstring(L" [") + label + L']';
    }
    AddString(window, true, text);
  }
}

// The shell tree's and list's pictures: the shell's own image lists, which
// the controls share and never destroy.
HIMAGELIST SystemImages(bool large) {
  SHFILEINFOW info{};
  return reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(
      L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
      SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | (large ? SHGFI_LARGEICON : SHGFI_SMALLICON)));
}

SHFILEINFOW ItemInfo(const ITEMIDLIST* item, UINT flags) {
  SHFILEINFOW info{};
  SHGetFileInfoW(reinterpret_cast<LPCWSTR>(item), 0, &info, sizeof info,
                 SHGFI_PIDL | SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX | flags);
  return info;
}

std::string ItemPath(const ITEMIDLIST* item) {
  wchar_t path[MAX_PATH] = {};
  if (item == nullptr || !SHGetPathFromIDListW(item, path)) return {};
  return Narrow(path);
}

ItemList ParseItem(const std::string& path) {
  ITEMIDLIST* item = nullptr;
  const std::wstring wide = Widen(WithoutTrailingSeparators(path));
  if (FAILED(SHParseDisplayName(wide.c_str(), nullptr, &item, 0, nullptr))) return nullptr;
  return ItemList(item);
}

// The items in a shell folder (folders only, or everything).
std::vector<ItemList> ShellChildren(HWND owner, const ITEMIDLIST* parent, bool foldersOnly) {
  std::vector<ItemList> found;
  IShellFolder* desktop = nullptr;
  if (FAILED(SHGetDesktopFolder(&desktop))) return found;
  IShellFolder* folder = desktop;
  if (parent->mkid.cb != 0) {
    folder = nullptr;
    desktop->BindToObject(parent, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder));
    desktop->Release();
    if (folder == nullptr) return found;
  }
  IEnumIDList* list = nullptr;
  const SHCONTF flags = SHCONTF_FOLDERS | (foldersOnly ? 0 : SHCONTF_NONFOLDERS);
  if (folder->EnumObjects(owner, flags, &list) == S_OK && list != nullptr) {
    ITEMIDLIST* child = nullptr;
    while (list->Next(1, &child, nullptr) == S_OK) {
      SFGAOF attributes = SFGAO_STREAM;
      // Archives that the shell also shows as folders are no place to install to.
      const ITEMIDLIST* asConst = child;
      if (!foldersOnly || FAILED(folder->GetAttributesOf(1, &asConst, &attributes)) ||
          (attributes & SFGAO_STREAM) == 0) {
        found.emplace_back(ILCombine(parent, child));
      }
      CoTaskMemFree(child);
    }
    list->Release();
  }
  folder->Release();
  return found;
}

// Shell items in the shell's order, by their indices in the state.
int CALLBACK CompareItems(LPARAM a, LPARAM b, LPARAM data) {
  const auto* s = reinterpret_cast<const FolderState*>(data);
  IShellFolder* desktop = nullptr;
  if (FAILED(SHGetDesktopFolder(&desktop))) return 0;
  const HRESULT order = desktop->CompareIDs(0, s->items[static_cast<size_t>(a)].get(),
                                            s->items[static_cast<size_t>(b)].get());
  desktop->Release();
  return static_cast<short>(HRESULT_CODE(order));
}

LPARAM NodeParam(HWND tree, HTREEITEM node) {
  TVITEMW item{};
  item.mask = TVIF_PARAM;
  item.hItem = node;
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  return item.lParam;
}

const ITEMIDLIST* NodeItem(HWND tree, FolderState& s, HTREEITEM node) {
  if (node == nullptr) return nullptr;
  const auto index = static_cast<size_t>(NodeParam(tree, node));
  return index < s.items.size() ? s.items[index].get() : nullptr;
}

HTREEITEM TreeNext(HWND tree, HTREEITEM node, WPARAM which) {
  return reinterpret_cast<HTREEITEM>(
      SendMessageW(tree, TVM_GETNEXTITEM, which, reinterpret_cast<LPARAM>(node)));
}

HTREEITEM AddNode(HWND tree, FolderState& s, HTREEITEM parent, ItemList item) {
  SHFILEINFOW info = ItemInfo(item.get(), SHGFI_SMALLICON);
  TVINSERTSTRUCTW insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN;
  insert.item.pszText = info.szDisplayName;
  insert.item.iImage = insert.item.iSelectedImage = info.iIcon;
  insert.item.cChildren = 1;  // known once opened
  insert.item.lParam = static_cast<LPARAM>(s.items.size());
  s.items.push_back(std::move(item));
  return reinterpret_cast<HTREEITEM>(
      SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

// A node's sub-folders are read the first time it opens.
void OpenNode(HWND tree, FolderState& s, HTREEITEM node) {
  if (TreeNext(tree, node, TVGN_CHILD) != nullptr) return;
  const ITEMIDLIST* item = NodeItem(tree, s, node);
  if (item == nullptr) return;
  std::vector<ItemList> children = ShellChildren(tree, item, true);
  if (children.empty()) {
    TVITEMW none{};
    none.mask = TVIF_CHILDREN;
    none.hItem = node;
    SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&none));
  }
  for (ItemList& child : children) AddNode(tree, s, node, std::move(child));
  TVSORTCB sort{node, CompareItems, reinterpret_cast<LPARAM>(&s)};
  SendMessageW(tree, TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort));
}

void ShowInTree(HWND tree, FolderState& s, const std::string& path) {
  const ItemList target = ParseItem(path);
  if (!target) return;
  HTREEITEM node = TreeNext(tree, nullptr, TVGN_ROOT);
  while (node != nullptr) {
    if (ILIsEqual(NodeItem(tree, s, node), target.get())) {
      SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node));
      SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(node));
      return;
    }
    OpenNode(tree, s, node);
    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node));
    HTREEITEM child = TreeNext(tree, node, TVGN_CHILD);
    while (child != nullptr) {
      const ITEMIDLIST* item = NodeItem(tree, s, child);
      if (ILIsEqual(item, target.get()) || ILIsParent(item, target.get(), FALSE)) break;
      child = TreeNext(tree, child, TVGN_NEXT);
    }
    node = child;
  }
}

void FillList(HWND list, FolderState& s, ItemList folder) {
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  s.items = ShellChildren(list, folder.get(), false);
  s.folder = Widen(ItemPath(folder.get()));
  for (size_t i = 0; i < s.items.size(); ++i) {
    SHFILEINFOW info = ItemInfo(s.items[i].get(), SHGFI_LARGEICON);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = static_cast<int>(i);
    item.pszText = info.szDisplayName;
    item.iImage = info.iIcon;
    item.lParam = static_cast<LPARAM>(i);
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
  SendMessageW(list, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&s),
               reinterpret_cast<LPARAM>(CompareItems));
  s.items.push_back(std::move(folder));  // last: the folder itself
}

const ITEMIDLIST* SelectedListItem(HWND list, const FolderState& s) {
  // Sorted, an item's place is no longer its index in the state.
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem =
      static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (item.iItem < 0 || !SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) {
    return nullptr;
  }
  const auto index = static_cast<size_t>(item.lParam);
  return index + 1 < s.items.size() ? s.items[index].get() : nullptr;
}

// The shell combo: every drive, and below the drive shown the folders
// that lead to the one shown.
void FillCombo(HWND combo, FolderState& s, const std::wstring& folder) {
  const std::wstring bare = Bare(folder);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  wchar_t drives[512] = {};
  GetLogicalDriveStringsW(511, drives);
  LRESULT selected = -1;
  for (const wchar_t* root = drives; *root != L'\0'; root += wcslen(root) + 1) {
    AddString(combo, true, root);
    if (bare.size() < 2 || towupper(bare[0]) != towupper(root[0])) continue;
    for (size_t i = 3; i <= bare.size(); ++i) {
      if (i == bare.size() || bare[i] == L'\\') AddString(combo, true, bare.substr(0, i));
    }
    selected = SendMessageW(combo, CB_GETCOUNT, 0, 0) - 1;
  }
  s.folder = Shown(bare);
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void ShowDrive(HWND combo, wchar_t letter) {
  const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const std::wstring text = ListText(combo, i, true);
    if (!text.empty() && towupper(text[0]) == towupper(letter)) {
      SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
      return;
    }
  }
}

void ShowIn(HWND window, FolderState& s, const std::string& path) {
  const std::wstring wide = Widen(path);
  switch (s.kind) {
    case Kind::kFiles: {
      const DWORD attributes = GetFileAttributesW(wide.c_str());
      const bool file =
          attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
      FillFiles(window, s, file ? Widen(FolderPart(path)) : wide);
      if (file) {
        const std::wstring name = Widen(FilePart(path));
        const LRESULT index = SendMessageW(window, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                           reinterpret_cast<LPARAM>(name.c_str()));
        SendMessageW(window, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
      }
      break;
    }
    case Kind::kDirectories:
      FillDirectories(window, s, wide);
      break;
    case Kind::kDrives:
      if (!wide.empty()) ShowDrive(window, wide[0]);
      break;
    case Kind::kTree:
      ShowInTree(window, s, path);
      break;
    case Kind::kList:
      if (ItemList folder = ParseItem(path)) FillList(window, s, std::move(folder));
      break;
    case Kind::kCombo:
      FillCombo(window, s, wide);
      break;
    case Kind::kFilters:
      break;
  }
}

}  // namespace

bool IsFolderClass(const FormControl& c) {
  const std::string_view name = c.Descriptor().name;
  for (std::string_view folderClass :
       {"TFileListBox", "TDirectoryListBox", "TDriveComboBox", "TFilterComboBox", "TPTShellTree",
        "TPTShellList", "TPTShellCombo"}) {
    if (EqualsIgnoreCase(name, folderClass)) return true;
  }
  return false;
}

void AttachFolderControl(HWND window, const FormControl& control) {
  static constexpr std::pair<std::string_view, Kind> kKinds[] = {
      {"TFileListBox", Kind::kFiles},    {"TDirectoryListBox", Kind::kDirectories},
      {"TDriveComboBox", Kind::kDrives}, {"TFilterComboBox", Kind::kFilters},
      {"TPTShellTree", Kind::kTree},     {"TPTShellList", Kind::kList},
      {"TPTShellCombo", Kind::kCombo}};
  auto state = std::make_unique<FolderState>();
  for (const auto& [name, kind] : kKinds) {
    if (EqualsIgnoreCase(control.Descriptor().name, name)) state->kind = kind;
  }
  FolderState& s = *state;
  if (!SetPropW(window, kStateProperty, state.get())) return;
  if (!SetWindowSubclass(window, FolderProc, kFolderId, reinterpret_cast<DWORD_PTR>(state.get()))) {
    RemovePropW(window, kStateProperty);
    return;
  }
  state.release();  // the window's now: freed when it goes
  static const bool comStarted = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  (void)comStarted;
  switch (s.kind) {
    case Kind::kFiles:
      s.masks = Widen(control.Get("Mask").value_or("*.*"));
      FillFiles(window, s, CurrentDirectory());
      break;
    case Kind::kDirectories:
      FillDirectories(window, s, CurrentDirectory());
      break;
    case Kind::kDrives:
      FillDrives(window, control);
      ShowDrive(window, CurrentDirectory()[0]);
      break;
    case Kind::kFilters: {
      // "Text files (*.txt)|*.txt|All files (*.*)|*.*": the names come first in each pair.
      const std::wstring filter = Widen(control.Get("Filter").value_or(""));
      size_t start = 0;
      for (bool name = true; start <= filter.size(); name = !name) {
        size_t end = filter.find(L'|', start);
        if (end == std::wstring::npos) end = filter.size();
        if (name && end > start) AddString(window, true, filter.substr(start, end - start));
        start = end + 1;
      }
      SendMessageW(window, CB_SETCURSEL, 0, 0);
      break;
    }
    case Kind::kTree: {
      SetWindowLongPtrW(
          window, GWL_STYLE,
          GetWindowLongPtrW(window, GWL_STYLE) | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT);
      SendMessageW(window, TVM_SETIMAGELIST, TVSIL_NORMAL,
                   reinterpret_cast<LPARAM>(SystemImages(false)));
      ITEMIDLIST* desktop = nullptr;
      if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktop))) break;
      HTREEITEM root = AddNode(window, s, TVI_ROOT, ItemList(desktop));
      OpenNode(window, s, root);
      SendMessageW(window, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
      break;
    }
    case Kind::kList:
      SetWindowLongPtrW(
          window, GWL_STYLE,
          GetWindowLongPtrW(window, GWL_STYLE) | LVS_SHAREIMAGELISTS | LVS_SHOWSELALWAYS);
      SendMessageW(window, LVM_SETIMAGELIST, LVSIL_NORMAL,
                   reinterpret_cast<LPARAM>(SystemImages(true)));
      SendMessageW(window, LVM_SETIMAGELIST, LVSIL_SMALL,
                   reinterpret_cast<LPARAM>(SystemImages(false)));
      ShowIn(window, s, Narrow(CurrentDirectory()));
      break;
    case Kind::kCombo:
      FillCombo(window, s, CurrentDirectory());
      break;
  }
}

void ShowFolderIn(HWND window, const std::string& path) {
  if (FolderState* s = StateOf(window)) ShowIn(window, *s, path);
}

std::string FolderPathOf(HWND window) {
  FolderState* s = StateOf(window);
  if (s == nullptr) return {};
  switch (s->kind) {
    case Kind::kFiles: {
      const std::wstring name = ListText(window, SendMessageW(window, LB_GETCURSEL, 0, 0), false);
      return name.empty() ? std::string() : Narrow(Bare(s->folder) + L'\\' + name);
    }
    case Kind::kDrives: {
      const std::wstring text = ListText(window, SendMessageW(window, CB_GETCURSEL, 0, 0), true);
      return text.empty() ? std::string() : Narrow(text.substr(0, 1) + L":\\");
    }
    case Kind::kTree: {
      auto node = reinterpret_cast<HTREEITEM>(SendMessageW(window, TVM_GETNEXTITEM, TVGN_CARET, 0));
      return ItemPath(NodeItem(window, *s, node));
    }
    case Kind::kList:
      return ItemPath(SelectedListItem(window, *s));
    case Kind::kDirectories:
    case Kind::kCombo:
      return Narrow(s->folder);
    case Kind::kFilters:
      break;
  }
  return {};
}

bool FolderCommand(HWND window, UINT code) {
  FolderState* s = StateOf(window);
  if (s == nullptr) return false;
  switch (s->kind) {
    case Kind::kFiles:
      return code == LBN_SELCHANGE;
    case Kind::kDirectories: {
      // A folder opens with a double click (or Enter), as in every directory list.
      const LRESULT index = SendMessageW(window, LB_GETCURSEL, 0, 0);
      if (code != LBN_DBLCLK || index < 0 || index == s->levels - 1) return false;
      FillDirectories(window, *s, EntryPath(window, *s, index));
      return true;
    }
    case Kind::kDrives:
      return code == CBN_SELCHANGE;
    case Kind::kCombo:
      if (code != CBN_SELCHANGE) return false;
      s->folder = ListText(window, SendMessageW(window, CB_GETCURSEL, 0, 0), true);
      return true;
    default:
      return false;
  }
}

bool FolderNotify(HWND window, const NMHDR& header) {
  FolderState* s = StateOf(window);
  if (s == nullptr) return false;
  if (s->kind == Kind::kTree) {
    if (header.code == TVN_ITEMEXPANDINGW) {
      const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
      if (change.action == TVE_EXPAND) OpenNode(window, *s, change.itemNew.hItem);
      return false;
    }
    return header.code == TVN_SELCHANGEDW;
  }
  if (s->kind != Kind::kList) return false;
  if (header.code == LVN_ITEMACTIVATE) {
    // Opening a folder shows what it holds; files are only selected.
    const ITEMIDLIST* item = SelectedListItem(window, *s);
    if (item != nullptr && (ItemInfo(item, SHGFI_ATTRIBUTES).dwAttributes &
                            (SFGAO_FOLDER | SFGAO_STREAM)) == SFGAO_FOLDER) {
      FillList(window, *s, ItemList(ILClone(item)));
    }
    return false;
  }
  if (header.code != LVN_ITEMCHANGED) return false;
  const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
  return (change.uChanged & LVIF_STATE) != 0 && (change.uNewState & LVIS_SELECTED) != 0 &&
         (change.uOldState & LVIS_SELECTED) == 0;
}

}  // namespace vantrell
