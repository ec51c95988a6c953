// The Win32 test robot of the end-to-end tests: runs programs (full exit code, windows
// shown) and finds, reads, clicks, closes and photographs windows. Prints UTF-8 `key=value`
// lines; exits 0, else 1 (failure), 2 (usage) or 3 (timeout) with a reason on stderr.
#include <windows.h>
// shellapi.h needs the types windows.h declares.
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <cwctype>

#include <cstdio>
#include <cwchar>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "capture.h"
#include "robot_io.h"
#include "run_command.h"
#include "window_query.h"

namespace vantrell::robot {
namespace {

constexpr DWORD kDefaultWaitMs = 30000;
constexpr DWORD kDefaultGoneMs = 10000;
constexpr DWORD kPollMs = 50;

constexpr char kUsage[] =
    "usage: robot run [--timeout MS] [--log FILE] [--cwd DIR] [--raw LINE] [-- EXE [ARGS...]]\n"
    "       robot wait|dump|close|shot|click [--timeout MS] SELECTOR...\n"
    "         SELECTOR: --title T | --title-contains T | --class C | --with-control C\n"
    "                   | --pid N | --hwnd H\n"
    "         click: --button TEXT [--no-wait]    close: [--no-wait]\n"
    "         shot: --out FILE.bmp [--screen]\n"
    "       robot browse-to SELECTOR --path FOLDER\n"
    "       robot type SELECTOR --index N --text T    robot scroll SELECTOR --index N\n"
    "       robot key SELECTOR --keys K[,K...]        robot focus SELECTOR\n"
    "       robot syscommand SELECTOR --id N       robot click-at SELECTOR --x X --y Y\n"
    "       robot pick SELECTOR --control CLASS [--index N] --item TEXT [--double]\n"
    "       robot progress SELECTOR --until BUTTON-TEXT [--shots PREFIX]\n"
    "       robot tray-click [--pid N]            robot tray [--pid N]\n"
    "       robot list\n";

[[noreturn]] void Usage(const std::string& why) {
  throw RobotError(why, 2);
}

// Options of one command: `--name value` pairs, flags, and what follows `--`.
class Options {
 public:
  Options(const std::vector<std::wstring>& args, const std::vector<std::wstring>& flags) {
    for (size_t i = 0; i < args.size(); ++i) {
      const std::wstring& arg = args[i];
      if (arg == L"--") {
        rest_.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
        break;
      }
      if (arg.rfind(L"--", 0) != 0) Usage("unexpected argument " + ToUtf8(arg));
      std::wstring name = arg.substr(2);
      bool isFlag = false;
      for (const std::wstring& flag : flags) isFlag = isFlag || flag == name;
      if (isFlag) {
        values_[name] = L"1";
      } else if (i + 1 < args.size()) {
        values_[name] = args[++i];
      } else {
        Usage("option " + ToUtf8(arg) + " needs a value");
      }
    }
  }

  bool Has(const std::wstring& name) const { return values_.count(name) != 0; }
  std::wstring Get(const std::wstring& name) const {
    auto found = values_.find(name);
    return found == values_.end() ? std::wstring() : found->second;
  }
  unsigned long Number(const std::wstring& name, unsigned long fallback) const {
    if (!Has(name)) return fallback;
    std::wstring text = Get(name);
    wchar_t* end = nullptr;
    unsigned long value = std::wcstoul(text.c_str(), &end, 0);
    if (text.empty() || *end != L'\0') Usage("option --" + ToUtf8(name) + " needs a number");
    return value;
  }
  const std::vector<std::wstring>& Rest() const { return rest_; }

  void AllowOnly(const std::vector<std::wstring>& names) const {
    for (const auto& [name, value] : values_) {
      bool known = false;
      for (const std::wstring& allowed : names) known = known || allowed == name;
      if (!known) Usage("unknown option --" + ToUtf8(name));
    }
  }

 private:
  std::map<std::wstring, std::wstring> values_;
  std::vector<std::wstring> rest_;
};

const std::vector<std::wstring> kSelectorOptions = {
    L"title", L"title-contains", L"class", L"with-control", L"pid", L"hwnd", L"timeout"};

std::vector<std::wstring> With(std::vector<std::wstring> names,
                               const std::vector<std::wstring>& more) {
  names.insert(names.end(), more.begin(), more.end());
  return names;
}

WindowSelector SelectorFrom(const Options& options) {
  WindowSelector selector;
  selector.title = options.Get(L"title");
  selector.titleContains = options.Get(L"title-contains");
  selector.className = options.Get(L"class");
  selector.withControl = options.Get(L"with-control");
  selector.pid = options.Number(L"pid", 0);
  // A window handle given on the command line is a number by nature.
  selector.hwnd = reinterpret_cast<HWND>(  // NOLINT(performance-no-int-to-ptr)
      static_cast<ULONG_PTR>(options.Number(L"hwnd", 0)));
  if (selector.Empty()) Usage("no window selector (--title, --title-contains, --class, ...)");
  return selector;
}

std::string Describe(const WindowSelector& selector) {
  std::wstring text;
  if (!selector.title.empty()) text += L" title \"" + selector.title + L"\"";
  if (!selector.titleContains.empty())
    text += L" title containing \"" + selector.titleContains + L"\"";
  if (!selector.className.empty()) text += L" class " + selector.className;
  if (!selector.withControl.empty()) text += L" with a " + selector.withControl;
  if (selector.pid != 0) text += L" pid " + std::to_wstring(selector.pid);
  if (selector.hwnd != nullptr) text += L" hwnd " + FromUtf8(FormatHwnd(selector.hwnd));
  return ToUtf8(text);
}

HWND AwaitWindow(const Options& options, DWORD defaultMs) {
  WindowSelector selector = SelectorFrom(options);
  DWORD timeoutMs = options.Number(L"timeout", defaultMs);
  DWORD start = GetTickCount();
  for (;;) {
    if (HWND window = FindWindowBy(selector)) return window;
    if (GetTickCount() - start >= timeoutMs) {
      throw RobotError("timeout: no visible window with" + Describe(selector) + " after " +
                           std::to_string(timeoutMs) + " ms",
                       3);
    }
    Sleep(kPollMs);
  }
}

// Waits for the window to be destroyed or hidden.
bool AwaitGone(HWND window, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (IsWindow(window) && IsWindowVisible(window)) {
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(kPollMs);
  }
  return true;
}

std::string RectText(const RECT& rect) {
  return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
         std::to_string(rect.right) + "," + std::to_string(rect.bottom);
}

void PrintIdentity(HWND window, Output& out) {
  out.Line("hwnd", FormatHwnd(window));
  out.Line("title", WindowText(window));
  out.Line("class", ClassOf(window));
}

int CommandRun(const std::vector<std::wstring>& args, Output& out) {
  Options options(args, {});
  options.AllowOnly({L"timeout", L"log", L"raw", L"cwd"});
  RunRequest request;
  request.timeoutMs = options.Number(L"timeout", request.timeoutMs);
  request.rawCommandLine = options.Get(L"raw");
  request.workingDirectory = options.Get(L"cwd");
  if (!options.Rest().empty()) {
    request.program = options.Rest().front();
    request.args.assign(options.Rest().begin() + 1, options.Rest().end());
  }
  if (request.program.empty() && request.rawCommandLine.empty()) Usage("run: nothing to start");
  if (!request.rawCommandLine.empty() && !request.args.empty()) {
    Usage("run: --raw takes the whole command line; give no arguments after the program");
  }
  if (options.Has(L"log")) out.OpenLog(options.Get(L"log"));
  RunAndWatch(request, out);
  return 0;
}

// The edit controls of a window (edits and rich edits), visible ones in Z order.
std::vector<HWND> Edits(HWND window) {
  std::vector<HWND> edits;
  for (HWND child : Children(window)) {
    if (IsWindowVisible(child) && (IsClass(child, L"Edit") || IsClass(child, L"RICHEDIT50W"))) {
      edits.push_back(child);
    }
  }
  return edits;
}

HWND EditAt(HWND window, const Options& options) {
  const std::vector<HWND> edits = Edits(window);
  const DWORD index = options.Number(L"index", 0);
  if (index >= edits.size()) {
    throw RobotError("no edit " + std::to_string(index) + " (the window has " +
                     std::to_string(edits.size()) + ")");
  }
  return edits[index];
}

// Memory in another process, for messages that pass pointers.
class RemoteBuffer {
 public:
  RemoteBuffer(DWORD pid, size_t bytes) : bytes_(bytes) {
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_ == nullptr) throw RobotError(Win32Failure("OpenProcess"));
    remote_ = VirtualAllocEx(process_, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE);
    if (remote_ == nullptr) {
      CloseHandle(process_);
      throw RobotError(Win32Failure("VirtualAllocEx"));
    }
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  ~RemoteBuffer() {
    VirtualFreeEx(process_, remote_, 0, MEM_RELEASE);
    CloseHandle(process_);
  }
  char* Address() const { return static_cast<char*>(remote_); }
  void Write(size_t offset, const void* data, size_t size) const {
    WriteProcessMemory(process_, Address() + offset, data, size, nullptr);
  }
  void Read(size_t offset, void* data, size_t size) const {
    ReadProcessMemory(process_, Address() + offset, data, size, nullptr);
  }

 private:
  size_t bytes_;
  HANDLE process_ = nullptr;
  void* remote_ = nullptr;
};

// A list view's items: item=TEXT, and item_checked=TEXT for those with a check mark.
void PrintListItems(HWND list, Output& out) {
  const auto count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  if (count <= 0) return;
  constexpr size_t kTextChars = 260;
  RemoteBuffer buffer(ProcessOf(list), sizeof(LVITEMW) + kTextChars * sizeof(wchar_t));
  for (int i = 0; i < count; ++i) {
    LVITEMW item{};
    item.iSubItem = 0;
    item.cchTextMax = kTextChars;
    item.pszText = reinterpret_cast<wchar_t*>(buffer.Address() + sizeof(LVITEMW));
    buffer.Write(0, &item, sizeof item);
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(i),
                 reinterpret_cast<LPARAM>(buffer.Address()));
    wchar_t text[kTextChars] = {};
    buffer.Read(sizeof(LVITEMW), text, sizeof text - sizeof(wchar_t));
    out.Line("item", text);
    const auto state = static_cast<UINT>(
        SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(i), LVIS_STATEIMAGEMASK));
    if (((state & LVIS_STATEIMAGEMASK) >> 12) == 2) out.Line("item_checked", text);
  }
}

// The text of a tree view's node, read through the other process's memory.
std::wstring TreeText(HWND tree, HTREEITEM node) {
  constexpr size_t kTextChars = 260;
  RemoteBuffer buffer(ProcessOf(tree), sizeof(TVITEMW) + kTextChars * sizeof(wchar_t));
  TVITEMW item{};
  item.mask = TVIF_TEXT;
  item.hItem = node;
  item.cchTextMax = kTextChars;
  item.pszText = reinterpret_cast<wchar_t*>(buffer.Address() + sizeof(TVITEMW));
  buffer.Write(0, &item, sizeof item);
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(buffer.Address()));
  wchar_t text[kTextChars] = {};
  buffer.Read(sizeof(TVITEMW), text, sizeof text - sizeof(wchar_t));
  return text;
}

HTREEITEM TreeNext(HWND tree, HTREEITEM node, WPARAM which) {
  return reinterpret_cast<HTREEITEM>(
      SendMessageW(tree, TVM_GETNEXTITEM, which, reinterpret_cast<LPARAM>(node)));
}

// The text of a list or combo box's item (the system carries these
// messages' text across processes).
std::wstring BoxText(HWND box, LRESULT index, bool combo) {
  if (index < 0) return {};
  const LRESULT length =
      SendMessageW(box, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length < 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(box, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return text;
}

// An item's text as the robot compares it: leading blanks (indentation) left out.
std::wstring Trimmed(std::wstring text) {
  text.erase(0, text.find_first_not_of(L' '));
  return text;
}

// The selected entry of each list box, combo box and tree view.
void PrintSelections(HWND child, Output& out) {
  if (IsClass(child, L"ListBox")) {
    out.Line("list_selected",
             Trimmed(BoxText(child, SendMessageW(child, LB_GETCURSEL, 0, 0), false)));
  } else if (IsClass(child, L"ComboBox")) {
    out.Line("combo_selected", BoxText(child, SendMessageW(child, CB_GETCURSEL, 0, 0), true));
  } else if (IsClass(child, WC_TREEVIEWW)) {
    HTREEITEM node = TreeNext(child, nullptr, TVGN_CARET);
    out.Line("tree_selected", node != nullptr ? TreeText(child, node) : std::wstring());
  }
}

int CommandWait(const std::vector<std::wstring>& args, Output& out) {
  Options options(args, {});
  options.AllowOnly(kSelectorOptions);
  HWND window = AwaitWindow(options, kDefaultWaitMs);
  PrintIdentity(window, out);
  out.Line("pid", std::to_string(ProcessOf(window)));
  return 0;
}

// A progress bar as position/minimum/maximum; the limits come back as the
// message's result (a range structure would not cross the process border).
std::wstring ProgressText(HWND bar) {
  return std::to_wstring(SendMessageW(bar, PBM_GETPOS, 0, 0)) + L"/" +
         std::to_wstring(SendMessageW(bar, PBM_GETRANGE, TRUE, 0)) + L"/" +
         std::to_wstring(SendMessageW(bar, PBM_GETRANGE, FALSE, 0));
}

int CommandDump(const std::vector<std::wstring>& args, Output& out) {
  Options options(args, {});
  options.AllowOnly(kSelectorOptions);
  HWND window = AwaitWindow(options, kDefaultWaitMs);
  PrintIdentity(window, out);
  out.Line("owner", FormatHwnd(GetWindow(window, GW_OWNER)));
  out.Line("pid", std::to_string(ProcessOf(window)));
  for (HWND child : Children(window)) {
    if (!IsWindowVisible(child)) continue;
    if (IsTextStatic(child)) out.Line("static", WindowText(child));
    const bool edit = IsClass(child, L"Edit") || IsClass(child, L"RICHEDIT50W");
    if (edit) out.Line("edit", WindowText(child));
    // The engine's painted controls (labels, frames) carry their text as window
    // text, as windows of other classes may.
    if (!edit && !IsClass(child, L"Static") && !IsButton(child) && !IsClass(child, L"ComboBox")) {
      std::wstring text = WindowText(child);
      const bool painted = IsClass(child, L"VantrellPaintedControl");
      if (!text.empty()) out.Line(painted ? "label" : "text", text);
    }
    if (IsClass(child, L"SysListView32")) PrintListItems(child, out);
    PrintSelections(child, out);
    if (IsClass(child, PROGRESS_CLASSW)) {
      // position/minimum/maximum, and whether the bar moves on its own
      out.Line("progress", ProgressText(child));
      out.Line("marquee", (GetWindowLongW(child, GWL_STYLE) & PBS_MARQUEE) != 0 ? L"1" : L"0");
    }
    if (!IsButton(child)) continue;
    std::wstring text = StripAccelerators(WindowText(child));
    if ((GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX) {
      out.Line("group", text);
      continue;
    }
    out.Line("button", text);
    if (!IsWindowEnabled(child)) out.Line("disabled", text);
    DWORD_PTR state = 0;
    if (SendMessageTimeoutW(child, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &state) &&
        state == BST_CHECKED) {
      out.Line("checked", text);
    }
  }
  HWND defaultButton = DefaultButton(window);
  out.Line("default",
           defaultButton ? StripAccelerators(WindowText(defaultButton)) : std::wstring());
  std::string iconMethod;
  out.Line("icon", IconKind(window, &iconMethod));
  out.Line("icon_match", iconMethod);
  RECT rect{};
  if (!GetWindowRect(window, &rect)) throw RobotError(Win32Failure("GetWindowRect"));
  out.Line("rect", RectText(rect));
  out.Line("visible", IsWindowVisible(window) ? "1" : "0");
  return 0;
}

int CommandClick(const std::vector<std::wstring>& args, Output& out) {
  Options options(args, {L"no-wait"});
  options.AllowOnly(With(kSelectorOptions, {L"button", L"no-wait"}));
  if (!options.Has(L"button")) Usage("click: --button TEXT is required");
  HWND window = AwaitWindow(options, kDefaultWaitMs);
  HWND button = FindButton(window, options.Get(L"button"));
  if (button == nullptr) {
    throw RobotError("click: no button \"" + ToUtf8(options.Get(L"button")) + "\" in window " +
                     ToUtf8(WindowText(window)));
  }
  if (!IsWindowEnabled(button)) {
    throw RobotError("click: button \"" + ToUtf8(options.Get(L"button")) + "\" is disabled");
  }
  // Read before clicking: the click may close the window and its button at once.
  const auto label = StripAccelerators(WindowText(button));
  // The button's own window procedure raises BN_CLICKED, as a real click does.
  if (!PostMessageW(button, BM_CLICK, 0, 0)) throw RobotError(Win32Failure("PostMessageW"));
  out.Line("clicked", label);
  if (options.Has(L"no-wait")) return 0;
  DWORD timeoutMs = options.Number(L"timeout", kDefaultGoneMs);
  if (!AwaitGone(window, timeoutMs)) {
    throw RobotError("click: window still there after " + std::to_string(timeoutMs) + " ms", 3);
  }
  out.Line("gone", "1");
  return 0;
}

int CommandClose(const std::vector<std::wstring>& args, Output& out) {
  Options options(args, {L"no-wait"});
  options.AllowOnly(With(kSelectorOptions, {L"no-wait"}));
  HWND window = AwaitWindow(options, kDefaultWaitMs);
  if (!PostMessageW(window, WM_CLOSE, 0, 0)) throw RobotError(Win32Failure("PostMessageW"));
  out.Line("closed", FormatHwnd(window));
  if (options.Has(L"no-wait")) return 0;
  DWORD timeoutMs = options.Number(L"timeout", kDefaultGoneMs);
  if (!AwaitGone(window, timeoutMs)) {
    throw RobotError("close: window still there after " + std::to_string(timeoutMs) + " ms", 3);
  }
  out.Line("gone", "1");
  return 0;
}

int CommandShot(const std::vector<std::wstring>& args, Output& out) {
  Options options(args, {L"screen"});
  if (!options.Has(L"out")) Usage("shot: --out FILE.bmp is required");
  RECT rect{};
  if (options.Has(L"screen")) {
    options.AllowOnly({L"screen", L"out"});
    rect = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
    rect.right = rect.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    rect.bottom = rect.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
  } else {
    options.AllowOnly(With(kSelectorOptions, {L"out"}));
    HWND window = AwaitWindow(options, kDefaultWaitMs);
    SetForegroundWindow(window);
    BringWindowToTop(window);
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(200);  // lets the window's thread repaint before the screen is read
    if (!GetWindowRect(window, &rect)) throw RobotError(Win32Failure("GetWindowRect"));
    out.Line("hwnd", FormatHwnd(window));
  }
  WriteBmp(CaptureScreen(rect), options.Get(L"out"));
  out.Line("rect", RectText(rect));
  out.Line("out", ToWindowsPath(options.Get(L"out")));
  return 0;
}

// Selects a folder in a shell folder browser, so that its OK button returns
// it: the path is written into the browser's process for BFFM_SETSELECTIONW.
int CommandBrowseTo(const std::vector<std::wstring>& args, Output& out) {
  Options options(args, {});
  options.AllowOnly(With(kSelectorOptions, {L"path"}));
  const std::wstring path = options.Get(L"path");
  if (path.empty()) Usage("browse-to: --path is needed");
  HWND window = AwaitWindow(options, kDefaultWaitMs);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, ProcessOf(window));
  if (process == nullptr) throw RobotError("browse-to: cannot open the browser's process", 1);
  const size_t bytes = (path.size() + 1) * sizeof(wchar_t);
  void* remote = VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE);
  const bool written =
      remote != nullptr && WriteProcessMemory(process, remote, path.c_str(), bytes, nullptr);
  if (written) SendMessageW(window, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(remote));
  if (remote != nullptr) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  if (!written) throw RobotError("browse-to: cannot write into the browser's process", 1);
  out.Line("selected", path);
  return 0;
}

// Types into an edit as a user does: everything selected, then one character at a time.
int CommandType(const std::vector<std::wstring>& args, Output& out) {
  Options options(args, {});
  options.AllowOnly(With(kSelectorOptions, {L"index", L"text"}));
  HWND window = AwaitWindow(options, kDefaultWaitMs);
  HWND edit = EditAt(window, options);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  SendMessageW(edit, WM_CLEAR, 0, 0);
  for (wchar_t c : options.Get(L"text")) SendMessageW(edit, WM_CHAR, c, 0);
  out.Line("typed", WindowText(edit));
  return 0;
}

// Scrolls an edit to its end, as dragging its scroll bar down does.
int CommandScroll(const std::vector<std::wstring>& args, Output& out) {
  Options options(args, {});
  options.AllowOnly(With(kSelectorOptions, {L"index"}));
  HWND window = AwaitWindow(options, kDefaultWaitMs);
  HWND edit = EditAt(window, options);
  SendMessageW(edit, WM_VSCROLL, SB_BOTTOM, 0);
  out.Line("scrolled", FormatHwnd(edit));
  return 0;
}

WORD KeyCode(std::wstring name) {
  for (wchar_t& c : name) c = static_cast<wchar_t>(towupper(c));
  static const std::map<std::wstring, WORD> kNames = {
      {L"TAB", VK_TAB},     {L"RETURN", VK_RETURN}, {L"ENTER", VK_RETURN}, {L"ESCAPE", VK_ESCAPE},
      {L"SPACE", VK_SPACE}, {L"HOME", VK_HOME},     {L"END", VK_END},      {L"UP", VK_UP},
      {L"DOWN", VK_DOWN},   {L"LEFT", VK_LEFT},     {L"RIGHT", VK_RIGHT},  {L"NEXT", VK_NEXT},
      {L"PRIOR", VK_PRIOR}, {L"APPS", VK_APPS}};
  if (auto found = kNames.find(name); found != kNames.end()) return found->second;
  if (name.size() == 1 &&
      ((name[0] >= L'A' && name[0] <= L'Z') || (name[0] >= L'0' && name[0] <= L'9'))) {
    return name[0];
  }
  Usage("key: unknown key " + ToUtf8(name));
}

void SendKey(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof input);
}

// Presses keys in the window, which is brought to the front first: names
// such as TAB, RETURN, ESCAPE, SPACE, DOWN, END, a letter or digit, each
// with ALT+, CTRL+ or SHIFT+ before it as needed.
int CommandKey(const std::vector<std::wstring>& args, Output& out) {
  Options options(args, {});
  options.AllowOnly(With(kSelectorOptions, {L"keys"}));
  HWND window = AwaitWindow(options, kDefaultWaitMs);
  SetForegroundWindow(window);
  Sleep(100);
  std::wstring keys = options.Get(L"keys");
  size_t start = 0;
  while (start <= keys.size()) {
    size_t comma = keys.find(L',', start);
    if (comma == std::wstring::npos) comma = keys.size();
    std::wstring chord = keys.substr(start, comma - start);
    start = comma + 1;
    if (chord.empty()) continue;
    std::vector<WORD> held;
    size_t plus;
    while ((plus = chord.find(L'+')) != std::wstring::npos && plus + 1 < chord.size()) {
      std::wstring modifier = chord.substr(0, plus);
      for (wchar_t& c : modifier) c = static_cast<wchar_t>(towupper(c));
      if (modifier == L"ALT")
        held.push_back(VK_MENU);
      else if (modifier == L"CTRL")
        held.push_back(VK_CONTROL);
      else if (modifier == L"SHIFT")
        held.push_back(VK_SHIFT);
      else
        Usage("key: unknown modifier " + ToUtf8(modifier));
      chord = chord.substr(plus + 1);
    }
    const WORD key = KeyCode(chord);
    for (WORD modifier : held) SendKey(modifier, false);
    SendKey(key, false);
    SendKey(key, true);
    for (auto it = held.rbegin(); it != held.rend(); ++it) SendKey(*it, true);
    Sleep(150);
  }
  out.Line("keys", keys);
  return 0;
}

// Clicks at a point of the window's client area: the deepest child window
// there gets the left button's press and release, as a mouse click gives them.
int CommandClickAt(const std::vector<std::wstring>& args, Output& out) {
  Options options(args, {});
  options.AllowOnly(With(kSelectorOptions, {L"x", L"y"}));
  HWND window = AwaitWindow(options, kDefaultWaitMs);
  POINT at{static_cast<LONG>(options.Number(L"x", 0)), static_cast<LONG>(options.Number(L"y", 0))};
  HWND target = window;
  for (;;) {
    HWND child = ChildWindowFromPointEx(target, at, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
    if (child == nullptr || child == target) break;
    MapWindowPoints(target, child, &at, 1);
    target = child;
  }
  const LPARAM where = MAKELPARAM(at.x, at.y);
  PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, where);
  PostMessageW(target, WM_LBUTTONUP, 0, where);
  out.Line("clicked_at", FormatHwnd(target) + " class=" + ToUtf8(ClassOf(target)));
  return 0;
}

// Selects an item of the window's Nth visible list box, combo box, tree
// view or list view (--control CLASS) by its text, and the control's parent
// hears of it as of a user's choice: a list or combo box's selection
// notification (and a list box's double click with --double), a tree view's
// or list view's own change notification. Tree items are given as the path
// of node texts from the root, separated by "|"; nodes on the way open.
int CommandPick(const std::vector<std::wstring>& args, Output& out) {
  Options options(args, {L"double"});
  options.AllowOnly(With(kSelectorOptions, {L"control", L"index", L"item", L"double"}));
  HWND window = AwaitWindow(options, kDefaultWaitMs);
  const std::wstring className = options.Get(L"control");
  std::vector<HWND> controls;
  for (HWND child : Children(window)) {
    if (IsWindowVisible(child) && IsClass(child, className)) controls.push_back(child);
  }
  const DWORD index = options.Number(L"index", 0);
  if (index >= controls.size()) {
    throw RobotError("no " + ToUtf8(className) + " " + std::to_string(index) + " (the window has " +
                     std::to_string(controls.size()) + ")");
  }
  HWND control = controls[index];
  const std::wstring wanted = options.Get(L"item");
  const bool isList = IsClass(control, L"ListBox");
  auto notifyParent = [&](WORD code) {
    SendMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
                 reinterpret_cast<LPARAM>(control));
  };
  if (isList || IsClass(control, L"ComboBox")) {
    const LRESULT count = SendMessageW(control, isList ? LB_GETCOUNT : CB_GETCOUNT, 0, 0);
    LRESULT found = -1;
    for (LRESULT i = 0; i < count && found < 0; ++i) {
      if (lstrcmpiW(Trimmed(BoxText(control, i, !isList)).c_str(), wanted.c_str()) == 0) found = i;
    }
    if (found < 0) throw RobotError("no item " + ToUtf8(wanted));
    SendMessageW(control, isList ? LB_SETCURSEL : CB_SETCURSEL, static_cast<WPARAM>(found), 0);
    notifyParent(isList ? LBN_SELCHANGE : CBN_SELCHANGE);
    if (isList && options.Has(L"double")) notifyParent(LBN_DBLCLK);
  } else if (IsClass(control, WC_TREEVIEWW)) {
    HTREEITEM node = TreeNext(control, nullptr, TVGN_ROOT);
    size_t start = 0;
    for (;;) {
      size_t end = wanted.find(L'|', start);
      const std::wstring level =
          wanted.substr(start, end == std::wstring::npos ? end : end - start);
      while (node != nullptr &&
             lstrcmpiW(Trimmed(TreeText(control, node)).c_str(), level.c_str()) != 0) {
        node = TreeNext(control, node, TVGN_NEXT);
      }
      if (node == nullptr) throw RobotError("no node " + ToUtf8(level));
      if (end == std::wstring::npos) break;
      SendMessageW(control, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node));
      node = TreeNext(control, node, TVGN_CHILD);
      start = end + 1;
    }
    SendMessageW(control, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node));
    SendMessageW(control, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(node));
  } else if (IsClass(control, L"SysListView32")) {
    constexpr size_t kTextChars = 260;
    RemoteBuffer buffer(ProcessOf(control), sizeof(LVITEMW) + kTextChars * sizeof(wchar_t));
    const auto count = static_cast<int>(SendMessageW(control, LVM_GETITEMCOUNT, 0, 0));
    int found = -1;
    for (int i = 0; i < count && found < 0; ++i) {
      LVITEMW item{};
      item.cchTextMax = kTextChars;
      item.pszText = reinterpret_cast<wchar_t*>(buffer.Address() + sizeof(LVITEMW));
      buffer.Write(0, &item, sizeof item);
      SendMessageW(control, LVM_GETITEMTEXTW, static_cast<WPARAM>(i),
                   reinterpret_cast<LPARAM>(buffer.Address()));
      wchar_t text[kTextChars] = {};
      buffer.Read(sizeof(LVITEMW), text, sizeof text - sizeof(wchar_t));
      if (lstrcmpiW(text, wanted.c_str()) == 0) found = i;
    }
    if (found < 0) throw RobotError("no item " + ToUtf8(wanted));
    LVITEMW state{};
    state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
    buffer.Write(0, &state, sizeof state);
    SendMessageW(control, LVM_SETITEMSTATE, static_cast<WPARAM>(found),
                 reinterpret_cast<LPARAM>(buffer.Address()));
  } else {
    Usage("pick: --control names no list box, combo box, tree view or list view");
  }
  out.Line("picked", wanted);
  return 0;
}

// Sends a system-menu command to the window, as choosing the menu item does.
int CommandSysCommand(const std::vector<std::wstring>& args, Output& out) {
  Options options(args, {});
  options.AllowOnly(With(kSelectorOptions, {L"id"}));
  HWND window = AwaitWindow(options, kDefaultWaitMs);
  const unsigned long id = options.Number(L"id", 0);
  if (!PostMessageW(window, WM_SYSCOMMAND, id, 0)) throw RobotError(Win32Failure("PostMessageW"));
  out.Line("syscommand", std::to_string(id));
  return 0;
}

// The engine's tray form: a hidden window of the class "TImageListPool"
// (of the process --pid, when given), which owns the notification icon.
HWND AwaitTrayForm(const Options& options) {
  const DWORD pid = options.Number(L"pid", 0);
  const DWORD timeoutMs = options.Number(L"timeout", kDefaultWaitMs);
  const DWORD start = GetTickCount();
  for (;;) {
    HWND found = nullptr;
    while ((found = FindWindowExW(nullptr, found, L"TImageListPool", nullptr)) != nullptr) {
      if (pid == 0 || ProcessOf(found) == pid) return found;
    }
    if (GetTickCount() - start >= timeoutMs) {
      throw RobotError("timeout: no tray form after " + std::to_string(timeoutMs) + " ms", 3);
    }
    Sleep(kPollMs);
  }
}

// Clicks the notification icon through its window messages: the tray form
// gets the icon's callback message (registered as "VantrellTrayIcon") for
// icon 1 with a left-button release, as the shell sends it for a click.
int CommandTrayClick(const std::vector<std::wstring>& args, Output& out) {
  Options options(args, {});
  options.AllowOnly({L"pid", L"timeout"});
  HWND form = AwaitTrayForm(options);
  const UINT callback = RegisterWindowMessageW(L"VantrellTrayIcon");
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(form, callback, 1, WM_LBUTTONUP, SMTO_ABORTIFHUNG, 5000, &result)) {
    throw RobotError(Win32Failure("SendMessageTimeoutW"));
  }
  out.Line("tray_clicked", FormatHwnd(form));
  return 0;
}

// Whether the engine's notification icon (icon 1 of the tray form) is in the
// shell's notification area: a modification that changes nothing succeeds
// only for an icon the shell holds.
int CommandTray(const std::vector<std::wstring>& args, Output& out) {
  Options options(args, {});
  options.AllowOnly({L"pid", L"timeout"});
  HWND form = AwaitTrayForm(options);
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = form;
  data.uID = 1;
  out.Line("tray_form", FormatHwnd(form));
  out.Line("icon", Shell_NotifyIconW(NIM_MODIFY, &data) ? "1" : "0");
  return 0;
}

// The control that has the keyboard focus in the window's thread.
int CommandFocus(const std::vector<std::wstring>& args, Output& out) {
  Options options(args, {});
  options.AllowOnly(kSelectorOptions);
  HWND window = AwaitWindow(options, kDefaultWaitMs);
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) {
    throw RobotError(Win32Failure("GetGUIThreadInfo"));
  }
  out.Line("focus_hwnd", FormatHwnd(info.hwndFocus));
  out.Line("focus_class", info.hwndFocus != nullptr ? ClassOf(info.hwndFocus) : std::wstring());
  out.Line("focus_text", info.hwndFocus != nullptr ? StripAccelerators(WindowText(info.hwndFocus))
                                                   : std::wstring());
  return 0;
}

// Follows a progress page: every 10 ms the selected window's first progress
// bar is read; each new position/minimum/maximum is printed (and the window
// photographed as PREFIX-N.bmp with --shots) until a selected window shows a
// button with the --until text, whose window ends the output.
int CommandProgress(const std::vector<std::wstring>& args, Output& out) {
  Options options(args, {});
  options.AllowOnly(With(kSelectorOptions, {L"until", L"shots"}));
  if (!options.Has(L"until")) Usage("progress: --until BUTTON-TEXT is required");
  const WindowSelector selector = SelectorFrom(options);
  const std::wstring until = options.Get(L"until");
  const std::wstring shots = options.Get(L"shots");
  const DWORD timeoutMs = options.Number(L"timeout", 300000);
  const DWORD start = GetTickCount();
  std::wstring last;
  int count = 0;
  while (GetTickCount() - start < timeoutMs) {
    HWND window = FindWindowBy(selector);
    for (HWND child : window != nullptr ? Children(window) : std::vector<HWND>()) {
      if (!IsWindowVisible(child)) continue;
      if (IsButton(child) && StripAccelerators(WindowText(child)) == until) {
        out.Line("until", FormatHwnd(window));
        out.Line("at", std::to_string(GetTickCount() - start));
        return 0;
      }
    }
    for (HWND child : window != nullptr ? Children(window) : std::vector<HWND>()) {
      if (!IsWindowVisible(child) || !IsClass(child, PROGRESS_CLASSW)) continue;
      const std::wstring now = ProgressText(child);
      if (now != last) {
        last = now;
        out.Line("progress", now);
        out.Line("at", std::to_string(GetTickCount() - start));
        RECT rect{};
        if (!shots.empty() && GetWindowRect(window, &rect)) {
          // A picture taken while the next page replaced this one is left out.
          auto picture = CaptureScreen(rect);
          if (FindWindowBy(selector) == window) {
            WriteBmp(picture, shots + L"-" + std::to_wstring(++count) + L".bmp");
          }
        }
      }
      break;
    }
    Sleep(10);
  }
  throw RobotError(
      "timeout: no button \"" + ToUtf8(until) + "\" after " + std::to_string(timeoutMs) + " ms", 3);
}

int CommandList(const std::vector<std::wstring>& args, Output& out) {
  if (!args.empty()) Usage("list takes no arguments");
  for (HWND window : VisibleTopLevelWindows()) {
    out.Line("window", FromUtf8(FormatHwnd(window)) + L" pid=" +
                           std::to_wstring(ProcessOf(window)) + L" class=" + ClassOf(window) +
                           L" title=" + WindowText(window));
  }
  return 0;
}

int Main(const std::vector<std::wstring>& argv) {
  using Command = std::function<int(const std::vector<std::wstring>&, Output&)>;
  const std::map<std::wstring, Command> kCommands = {
      {L"run", CommandRun},
      {L"wait", CommandWait},
      {L"dump", CommandDump},
      {L"click", CommandClick},
      {L"close", CommandClose},
      {L"shot", CommandShot},
      {L"list", CommandList},
      {L"browse-to", CommandBrowseTo},
      {L"type", CommandType},
      {L"scroll", CommandScroll},
      {L"key", CommandKey},
      {L"focus", CommandFocus},
      {L"syscommand", CommandSysCommand},
      {L"click-at", CommandClickAt},
      {L"pick", CommandPick},
      {L"progress", CommandProgress},
      {L"tray-click", CommandTrayClick},
      {L"tray", CommandTray},
  };
  if (argv.size() < 2) Usage("no command");
  auto found = kCommands.find(argv[1]);
  if (found == kCommands.end()) Usage("unknown command " + ToUtf8(argv[1]));
  Output out;
  return found->second(std::vector<std::wstring>(argv.begin() + 2, argv.end()), out);
}

void ReportFailure(const std::string& message, bool usage) {
  std::string line = "robot: " + message + "\n";
  if (usage) line += kUsage;
  DWORD written = 0;
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (err != nullptr && err != INVALID_HANDLE_VALUE) {
    WriteFile(err, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }
}

}  // namespace
}  // namespace vantrell::robot

int main() {
  using vantrell::robot::RobotError;
  int argc = 0;
  LPWSTR* raw = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (raw == nullptr) {
    vantrell::robot::ReportFailure("CommandLineToArgvW failed", false);
    return 1;
  }
  std::vector<std::wstring> argv(raw, raw + argc);
  LocalFree(raw);
  try {
    return vantrell::robot::Main(argv);
  } catch (const RobotError& error) {
    vantrell::robot::ReportFailure(error.what(), error.ExitCode() == 2);
    return error.ExitCode();
  } catch (const std::exception& error) {
    vantrell::robot::ReportFailure(error.what(), false);
    return 1;
  }
}
