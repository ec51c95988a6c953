// Programs, tokens and windows on Windows (contract in program_runner_win32.h).
#include "system/win32/program_runner_win32.h"

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

#include "common/win32/fs_redirection.h"
#include "common/win32/handle.h"
#include "common/win32/process_affinity.h"
#include "common/win32/win32_file_system.h"

namespace vantrell {
namespace {

constexpr DWORD kWaitStepMs = 1000;
// Bounds the window walk should the window list change under it forever.
constexpr int kMaxWindows = 100000;

using CreateProcessWithLogonWFn = BOOL(WINAPI*)(LPCWSTR, LPCWSTR, LPCWSTR, DWORD, LPCWSTR, LPWSTR,
                                                DWORD, LPVOID, LPCWSTR, LPSTARTUPINFOW,
                                                LPPROCESS_INFORMATION);
using CreateProcessWithTokenWFn = BOOL(WINAPI*)(HANDLE, DWORD, LPCWSTR, LPWSTR, DWORD, LPVOID,
                                                LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION);

template <typename Fn>
Fn Advapi32Function(const char* name) {
  HMODULE advapi = GetModuleHandleW(L"advapi32.dll");
  if (advapi == nullptr)
    advapi = LoadLibraryW(L"advapi32.dll");  // stays loaded: the engine imports it
  if (advapi == nullptr) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(advapi, name)));
}

class RedirectionScope final : public RunScope {
  FsRedirectionOff off_;
};

class Win32ProcessToken final : public ProcessToken {
 public:
  explicit Win32ProcessToken(HANDLE token) : token_(token) {}
  HANDLE Get() const { return token_.Get(); }

 private:
  FileHandle token_;
};

// COM for the calling thread while the shell works: it may hand the file to
// shell extensions.
class ComScope {
 public:
  ComScope()
      : initialized_(
            SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  ~ComScope() {
    if (initialized_) CoUninitialize();
  }

 private:
  bool initialized_;
};

WORD ShowCommand(ShowMode mode) {
  switch (mode) {
    case ShowMode::kHidden:
      return SW_HIDE;
    case ShowMode::kMaximized:
      return SW_SHOWMAXIMIZED;
    case ShowMode::kMinimized:
      return SW_SHOWMINIMIZED;
    case ShowMode::kMinimizedNoActivate:
      return SW_SHOWMINNOACTIVE;
    case ShowMode::kNormal:
      break;
  }
  return SW_SHOWNORMAL;
}

// Handles every window message waiting for the calling thread.
void ProcessPendingMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// Waits for the process when asked, in one-second steps, and reads its status.
Launch Finish(HANDLE process, bool wait, bool processMessages = false) {
  Launch launch;
  launch.outcome = Launch::Outcome::kRan;
  if (wait && processMessages) {
    // Wakes for each message too, so that the windows stay responsive.
    while (true) {
      ProcessPendingMessages();
      const DWORD woke = MsgWaitForMultipleObjects(1, &process, FALSE, kWaitStepMs, QS_ALLINPUT);
      if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED) break;
    }
  } else if (wait) {
    while (WaitForSingleObject(process, kWaitStepMs) == WAIT_TIMEOUT) {
    }
  }
  DWORD status = 0;
  if (GetExitCodeProcess(process, &status)) launch.exitStatus = status;
  return launch;
}

Launch Finish(PROCESS_INFORMATION& info, bool wait) {
  FileHandle thread(info.hThread);
  FileHandle process(info.hProcess);
  return Finish(process.Get(), wait);
}

Launch NotStarted() {
  return Launch{Launch::Outcome::kNotStarted, 0};
}
Launch FunctionMissing() {
  return Launch{Launch::Outcome::kFunctionMissing, 0};
}

// The wide-character functions take a wide environment block.
struct WideStart {
  explicit WideStart(const ProcessRequest& request)
      : commandLine(AnsiToWide(request.commandLine)), environment(AnsiToWide(request.environment)) {
    commandLine.push_back(L'\0');
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = ShowCommand(request.show);
  }
  LPVOID Environment() { return environment.empty() ? nullptr : environment.data(); }
  DWORD Flags() const {
    return CREATE_NEW_CONSOLE | CREATE_SUSPENDED |
           (environment.empty() ? 0 : CREATE_UNICODE_ENVIRONMENT);
  }

  std::wstring commandLine;
  std::wstring environment;
  STARTUPINFOW startup = {};
  PROCESS_INFORMATION info = {};
};

std::optional<uint32_t> TokenIntegrity(HANDLE token) {
  DWORD size = 0;
  GetTokenInformation(token, TokenIntegrityLevel, nullptr, 0, &size);
  if (size == 0) return std::nullopt;
  std::vector<BYTE> buffer(size);
  if (!GetTokenInformation(token, TokenIntegrityLevel, buffer.data(), size, &size))
    return std::nullopt;
  const auto* label = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer.data());
  PSID sid = label->Label.Sid;
  if (sid == nullptr || !IsValidSid(sid)) return std::nullopt;
  const UCHAR count = *GetSidSubAuthorityCount(sid);
  if (count == 0) return std::nullopt;
  return *GetSidSubAuthority(sid, count - 1u);
}

std::optional<uint32_t> ProcessIntegrity(HANDLE process) {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &raw)) return std::nullopt;
  FileHandle token(raw);
  return TokenIntegrity(token.Get());
}

// The process behind the desktop shell's "Progman" window; 0 when there is none.
DWORD DesktopShellProcessId() {
  HWND shell = FindWindowA("Progman", nullptr);
  if (shell == nullptr) return 0;
  DWORD pid = 0;
  GetWindowThreadProcessId(shell, &pid);
  return pid;
}

bool SetPrivilege(HANDLE token, const std::string& name, DWORD attributes) {
  TOKEN_PRIVILEGES privileges = {};
  if (!LookupPrivilegeValueA(nullptr, name.c_str(), &privileges.Privileges[0].Luid)) return false;
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = attributes;
  if (!AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr)) return false;
  return GetLastError() == ERROR_SUCCESS;  // not ERROR_NOT_ALL_ASSIGNED
}

}  // namespace

std::unique_ptr<RunScope> Win32ProgramRunner::NativeFileSystem() {
  return std::make_unique<RedirectionScope>();
}

bool Win32ProgramRunner::IsNtFamily() {
  return (GetVersion() & 0x80000000u) == 0;
}

bool Win32ProgramRunner::IsVistaOrLater() {
  return IsNtFamily() && LOBYTE(LOWORD(GetVersion())) >= 6;
}

Launch Win32ProgramRunner::ShellExecuteAndWait(const ShellRequest& request) {
  ComScope com;
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof(info);
  // No-async: this thread ends soon after the call.
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.lpVerb = "open";
  info.lpFile = request.file.c_str();
  info.lpParameters = request.parameters.empty() ? nullptr : request.parameters.c_str();
  info.lpDirectory = request.folder.empty() ? nullptr : request.folder.c_str();
  info.nShow = request.hidden ? SW_HIDE : SW_SHOWNORMAL;
  if (!ShellExecuteExA(&info)) {
    info.lpVerb = nullptr;  // the file type's default verb
    info.hProcess = nullptr;
    if (!ShellExecuteExA(&info)) return NotStarted();
  }
  // A document handed to a program that was running already comes without a process.
  if (info.hProcess == nullptr) return Launch{Launch::Outcome::kRan, 0};
  FileHandle process(info.hProcess);
  GiveAllProcessors(process.Get());
  return Finish(process.Get(), request.wait, request.processMessages);
}

Launch Win32ProgramRunner::CreateProcessAndWait(const ProcessRequest& request) {
  std::string commandLine = request.commandLine;
  commandLine.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = ShowCommand(request.show);
  PROCESS_INFORMATION info = {};
  LPVOID environment =
      request.environment.empty() ? nullptr : const_cast<char*>(request.environment.data());
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                      CREATE_NEW_CONSOLE | CREATE_SUSPENDED, environment, nullptr, &startup,
                      &info)) {
    return NotStarted();
  }
  ResumeOnAllProcessors(info);
  return Finish(info, request.wait);
}

Launch Win32ProgramRunner::CreateProcessWithLogon(const ProcessRequest& request,
                                                  const LogonCredentials& credentials) {
  auto create = Advapi32Function<CreateProcessWithLogonWFn>("CreateProcessWithLogonW");
  if (create == nullptr) return FunctionMissing();
  WideStart start(request);
  const std::wstring user = AnsiToWide(credentials.user);
  const std::wstring domain = AnsiToWide(credentials.domain);
  std::wstring password = AnsiToWide(credentials.password);
  const BOOL created =
      create(user.c_str(), domain.empty() ? nullptr : domain.c_str(), password.c_str(),
             LOGON_WITH_PROFILE, nullptr, start.commandLine.data(), start.Flags(),
             start.Environment(), nullptr, &start.startup, &start.info);
  SecureZeroMemory(password.data(), password.size() * sizeof(wchar_t));
  if (!created) return NotStarted();
  ResumeOnAllProcessors(start.info);
  return Finish(start.info, request.wait);
}

std::optional<uint32_t> Win32ProgramRunner::EngineIntegrityLevel() {
  return ProcessIntegrity(GetCurrentProcess());
}

std::optional<uint32_t> Win32ProgramRunner::DesktopShellIntegrityLevel() {
  const DWORD pid = DesktopShellProcessId();
  if (pid == 0) return std::nullopt;
  FileHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid));
  if (!process.Valid()) return std::nullopt;
  return ProcessIntegrity(process.Get());
}

bool Win32ProgramRunner::EnableDebugPrivilege() {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw))
    return false;
  FileHandle token(raw);
  return SetPrivilege(token.Get(), "SeDebugPrivilege", SE_PRIVILEGE_ENABLED);
}

DesktopToken Win32ProgramRunner::DuplicateDesktopShellToken(
    const std::vector<std::string>& removedPrivileges) {
  DesktopToken result;
  const DWORD pid = DesktopShellProcessId();
  FileHandle process(pid == 0 ? nullptr : OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid));
  if (!process.Valid()) {
    result.step = DesktopToken::Step::kNoShellProcess;
    return result;
  }
  HANDLE raw = nullptr;
  if (!OpenProcessToken(process.Get(), TOKEN_DUPLICATE | TOKEN_QUERY, &raw)) {
    result.step = DesktopToken::Step::kNoShellToken;
    return result;
  }
  FileHandle shellToken(raw);
  HANDLE duplicate = nullptr;
  if (!DuplicateTokenEx(shellToken.Get(), MAXIMUM_ALLOWED, nullptr, SecurityImpersonation,
                        TokenPrimary, &duplicate)) {
    result.step = DesktopToken::Step::kNoDuplicate;
    return result;
  }
  auto token = std::make_unique<Win32ProcessToken>(duplicate);
  // A privilege the token does not hold is simply not there to remove.
  for (const std::string& name : removedPrivileges)
    SetPrivilege(token->Get(), name, SE_PRIVILEGE_REMOVED);
  result.step = DesktopToken::Step::kReady;
  result.token = std::move(token);
  return result;
}

Launch Win32ProgramRunner::CreateProcessWithToken(const ProcessToken& token,
                                                  const ProcessRequest& request) {
  auto create = Advapi32Function<CreateProcessWithTokenWFn>("CreateProcessWithTokenW");
  if (create == nullptr) return FunctionMissing();
  const auto* own = dynamic_cast<const Win32ProcessToken*>(&token);
  if (own == nullptr) return NotStarted();
  WideStart start(request);
  if (!create(own->Get(), 0, nullptr, start.commandLine.data(), start.Flags(), start.Environment(),
              nullptr, &start.startup, &start.info)) {
    return NotStarted();
  }
  ResumeOnAllProcessors(start.info);
  return Finish(start.info, request.wait);
}

std::string Win32ProgramRunner::CurrentDirectory() {
  const DWORD size = GetCurrentDirectoryA(0, nullptr);
  if (size == 0) return {};
  std::string folder(size, '\0');
  const DWORD n = GetCurrentDirectoryA(size, folder.data());
  if (n == 0 || n >= size) return {};
  folder.resize(n);
  return folder;
}

bool Win32ProgramRunner::ChangeCurrentDirectory(const std::string& folder) {
  return SetCurrentDirectoryA(folder.c_str()) != FALSE;
}

std::string Win32ProgramRunner::OwnExecutablePath() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

bool Win32ProgramRunner::RenameFile(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), 0) != FALSE;
}

std::vector<TopLevelWindow> Win32ProgramRunner::TopLevelWindows() {
  std::vector<TopLevelWindow> windows;
  HWND window = GetWindow(GetDesktopWindow(), GW_CHILD);
  for (int n = 0; window != nullptr && n < kMaxWindows; ++n) {
    TopLevelWindow entry;
    entry.handle = reinterpret_cast<uintptr_t>(window);
    char className[256] = {};
    if (GetClassNameA(window, className, sizeof(className)) > 0) entry.className = className;
    const int length = GetWindowTextLengthA(window);
    if (length > 0) {
      std::string title(static_cast<size_t>(length) + 1, '\0');
      const int copied = GetWindowTextA(window, title.data(), length + 1);
      title.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
      entry.title = std::move(title);
    }
    windows.push_back(std::move(entry));
    window = GetWindow(window, GW_HWNDNEXT);
  }
  return windows;
}

void Win32ProgramRunner::PostCancelAndClose(uintptr_t window) {
  HWND target = reinterpret_cast<HWND>(window);
  PostMessageA(target, WM_CANCELMODE, 0, 0);
  PostMessageA(target, WM_CLOSE, 0, 0);
}

}  // namespace vantrell
