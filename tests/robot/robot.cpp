// The Win32 test robot of the end-to-end tests: runs programs (full exit code, windows
// shown) and finds, reads, clicks, closes and photographs windows. Prints UTF-8 `key=value`
// lines; exits 0, else 1 (failure), 2 (usage) or 3 (timeout) with a reason on stderr.
#include <windows.h>
// shellapi.h needs the types windows.h declares.
#include <shellapi.h>
#include <shlobj.h>

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
    "         SELECTOR: --title T | --title-contains T | --class C | --pid N | --hwnd H\n"
    "         click: --button TEXT [--no-wait]    close: [--no-wait]\n"
    "         shot: --out FILE.bmp [--screen]\n"
    "       robot browse-to SELECTOR --path FOLDER\n"
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

const std::vector<std::wstring> kSelectorOptions = {L"title", L"title-contains", L"class",
                                                    L"pid",   L"hwnd",           L"timeout"};

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

int CommandWait(const std::vector<std::wstring>& args, Output& out) {
  Options options(args, {});
  options.AllowOnly(kSelectorOptions);
  HWND window = AwaitWindow(options, kDefaultWaitMs);
  PrintIdentity(window, out);
  out.Line("pid", std::to_string(ProcessOf(window)));
  return 0;
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
    if (IsClass(child, L"Edit")) out.Line("edit", WindowText(child));
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
      {L"run", CommandRun},     {L"wait", CommandWait},          {L"dump", CommandDump},
      {L"click", CommandClick}, {L"close", CommandClose},        {L"shot", CommandShot},
      {L"list", CommandList},   {L"browse-to", CommandBrowseTo},
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
