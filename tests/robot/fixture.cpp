// A small GUI program the robot's own test drives:
//   robot_fixture msgbox TITLE TEXT error|warning|info|question|none EXITCODE
//   robot_fixture owned OWNER-TITLE TITLE TEXT EXITCODE  (box owned by a plain window)
//   robot_fixture form TITLE  (wizard-like page; "Next >" relabels it, "Cancel" exits 2)
//   robot_fixture exit N      (no window; N is a full 32-bit code)
//   robot_fixture args        (writes raw=, argc=, argN= lines to %ROBOT_FIXTURE_OUT%)
#include <windows.h>
// shellapi.h needs the types windows.h declares.
#include <shellapi.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr UINT kBadUsage = 1000;

UINT ParseCode(const wchar_t* text) {
  wchar_t* end = nullptr;
  unsigned long value = std::wcstoul(text, &end, 0);
  return *text != L'\0' && *end == L'\0' ? static_cast<UINT>(value) : kBadUsage;
}

UINT IconStyle(const std::wstring& name) {
  if (name == L"error") return MB_ICONERROR;
  if (name == L"warning") return MB_ICONWARNING;
  if (name == L"info") return MB_ICONINFORMATION;
  if (name == L"question") return MB_ICONQUESTION;
  return 0;
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string out(static_cast<size_t>(size > 0 ? size : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

// "/unix/path" -> "Z:\unix\path" under Wine; other paths are used as they are.
std::wstring WindowsPath(const std::wstring& path) {
  if (path.empty() || path[0] != L'/') return path;
  using DosNameFn = WCHAR* (*)(const char*);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  auto toDos = kernel ? reinterpret_cast<DosNameFn>(reinterpret_cast<void*>(
                            GetProcAddress(kernel, "wine_get_dos_file_name")))
                      : nullptr;
  WCHAR* dos = toDos ? toDos(Utf8(path).c_str()) : nullptr;
  if (dos == nullptr) return path;
  std::wstring out(dos);
  HeapFree(GetProcessHeap(), 0, dos);
  return out;
}

UINT WriteArgs(const std::vector<std::wstring>& argv) {
  wchar_t target[MAX_PATH * 2];
  DWORD length = GetEnvironmentVariableW(L"ROBOT_FIXTURE_OUT", target, MAX_PATH * 2);
  if (length == 0 || length >= MAX_PATH * 2) return 2;
  std::string text = "raw=" + Utf8(GetCommandLineW()) + "\n";
  text += "argc=" + std::to_string(argv.size()) + "\n";
  for (size_t i = 0; i < argv.size(); ++i) {
    text += "arg" + std::to_string(i) + "=" + Utf8(argv[i]) + "\n";
  }
  std::wstring path = WindowsPath(target);
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 3;
  DWORD written = 0;
  BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == text.size() ? 0 : 4;
}

// Shows a plain top-level window and a message box it owns.
UINT OwnedBox(const std::vector<std::wstring>& argv) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
  windowClass.lpszClassName = L"RobotFixtureOwner";
  if (RegisterClassW(&windowClass) == 0) return 6;
  HWND owner = CreateWindowExW(0, windowClass.lpszClassName, argv[2].c_str(), WS_OVERLAPPEDWINDOW,
                               40, 40, 400, 300, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (owner == nullptr) return 7;
  ShowWindow(owner, SW_SHOW);
  UpdateWindow(owner);
  int pressed = MessageBoxW(owner, argv[4].c_str(), argv[3].c_str(), MB_OK | MB_ICONINFORMATION);
  DestroyWindow(owner);
  if (pressed == 0) return 5;
  return pressed == IDOK ? ParseCode(argv[5].c_str()) : 100 + static_cast<UINT>(pressed);
}

constexpr int kLabelId = 100;
constexpr int kNextId = 101;
constexpr int kCancelId = 102;

LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    if (LOWORD(wParam) == kNextId) SetDlgItemTextW(window, kLabelId, L"Page two");
    if (LOWORD(wParam) == kCancelId) DestroyWindow(window);
    return 0;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(2);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// The controls a setup page has: texts, an edit, a group, check boxes, push buttons.
UINT Form(const std::wstring& title) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = FormProc;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszClassName = L"RobotFixtureForm";
  if (RegisterClassW(&windowClass) == 0) return 6;
  HWND form = CreateWindowExW(0, windowClass.lpszClassName, title.c_str(),
                              WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 60, 60, 420, 260, nullptr,
                              nullptr, instance, nullptr);
  if (form == nullptr) return 7;
  struct Control {
    const wchar_t* className;
    const wchar_t* text;
    DWORD style;
    int id;
    RECT place;  // left, top, width, height
  };
  const Control kControls[] = {
      {L"Static", L"Page one", 0, kLabelId, {10, 10, 380, 20}},
      {L"Static", L"Hidden text", 0, 0, {10, 30, 380, 20}},
      {L"Edit", L"C:\\Program Files\\App", WS_BORDER | ES_AUTOHSCROLL, 0, {10, 35, 380, 22}},
      {L"Button", L"Options", BS_GROUPBOX, 0, {10, 65, 380, 80}},
      {L"Button", L"&Desktop icon", BS_AUTOCHECKBOX, 0, {20, 85, 200, 20}},
      {L"Button", L"Start menu", BS_AUTOCHECKBOX, 0, {20, 110, 200, 20}},
      {L"Button", L"< &Back", BS_PUSHBUTTON | WS_DISABLED, 0, {130, 190, 80, 25}},
      {L"Button", L"&Next >", BS_DEFPUSHBUTTON, kNextId, {215, 190, 80, 25}},
      {L"Button", L"Cancel", BS_PUSHBUTTON, kCancelId, {310, 190, 80, 25}},
  };
  for (const Control& control : kControls) {
    // A child window's id travels in the menu handle parameter.
    auto id = reinterpret_cast<HMENU>(  // NOLINT(performance-no-int-to-ptr)
        static_cast<INT_PTR>(control.id));
    HWND child =
        CreateWindowExW(0, control.className, control.text, WS_CHILD | WS_VISIBLE | control.style,
                        control.place.left, control.place.top, control.place.right,
                        control.place.bottom, form, id, instance, nullptr);
    if (child == nullptr) return 8;
    if (std::wstring(control.text) == L"Hidden text") ShowWindow(child, SW_HIDE);
    if (std::wstring(control.text) == L"&Desktop icon") {
      SendMessageW(child, BM_SETCHECK, BST_CHECKED, 0);
    }
  }
  ShowWindow(form, SW_SHOW);
  UpdateWindow(form);
  MSG message;
  BOOL got;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
    if (!IsDialogMessageW(form, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return got < 0 ? 9 : static_cast<UINT>(message.wParam);
}

UINT Run(const std::vector<std::wstring>& argv) {
  if (argv.size() < 2) return kBadUsage;
  const std::wstring& mode = argv[1];
  if (mode == L"exit" && argv.size() == 3) return ParseCode(argv[2].c_str());
  if (mode == L"args") return WriteArgs(argv);
  if (mode == L"form" && argv.size() == 3) return Form(argv[2]);
  if (mode == L"owned" && argv.size() == 6) return OwnedBox(argv);
  if (mode == L"msgbox" && argv.size() == 6) {
    int pressed =
        MessageBoxW(nullptr, argv[3].c_str(), argv[2].c_str(), MB_OK | IconStyle(argv[4]));
    if (pressed == 0) return 5;
    return pressed == IDOK ? ParseCode(argv[5].c_str()) : 100 + static_cast<UINT>(pressed);
  }
  return kBadUsage;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  int argc = 0;
  LPWSTR* raw = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (raw == nullptr) ExitProcess(kBadUsage);
  std::vector<std::wstring> argv(raw, raw + argc);
  LocalFree(raw);
  // ExitProcess keeps codes above 255 and above INT_MAX exactly.
  ExitProcess(Run(argv));
}
