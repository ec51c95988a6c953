// `robot run`; see run_command.h.
#include "run_command.h"

#include <tlhelp32.h>

#include <set>
#include <utility>

#include "window_query.h"

namespace vantrell::robot {
namespace {

constexpr DWORD kPollMs = 50;

std::wstring QuoteArgument(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  for (size_t i = 0;; ++i) {
    size_t backslashes = 0;
    while (i < arg.size() && arg[i] == L'\\') {
      ++i;
      ++backslashes;
    }
    if (i == arg.size()) {
      // Backslashes before the closing quote are doubled so the quote stays a delimiter.
      out.append(backslashes * 2, L'\\');
      break;
    }
    if (arg[i] == L'"') {
      out.append(backslashes * 2 + 1, L'\\');
    } else {
      out.append(backslashes, L'\\');
    }
    out += arg[i];
  }
  out += L'"';
  return out;
}

// The process and every process started below it, as far as the snapshot shows.
void AddDescendants(std::set<DWORD>& tree) {
  UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.Valid()) return;  // windows of the main process are still seen
  std::vector<std::pair<DWORD, DWORD>> parentOf;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
       more = Process32NextW(snapshot.Get(), &entry)) {
    parentOf.emplace_back(entry.th32ProcessID, entry.th32ParentProcessID);
  }
  for (bool grew = true; grew;) {
    grew = false;
    for (const auto& [pid, parent] : parentOf) {
      if (tree.count(parent) != 0 && tree.insert(pid).second) grew = true;
    }
  }
}

// Remembers each window of the tree once, and each new title it shows.
class WindowWatch {
 public:
  WindowWatch(DWORD rootPid, Output& out) : out_(out) { tree_.insert(rootPid); }

  void Poll() {
    AddDescendants(tree_);
    for (HWND window : VisibleTopLevelWindows()) {
      if (tree_.count(ProcessOf(window)) == 0) continue;
      std::wstring title = WindowText(window);
      // A window that went while its title was read (it reads as empty) was not seen.
      if (!IsWindow(window) || !IsWindowVisible(window)) continue;
      windows_.insert(window);
      if (seen_.emplace(window, title).second) out_.Line("window", title);
    }
  }

  void KillTree() {
    for (DWORD pid : tree_) {
      UniqueHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, pid));
      if (process.Valid()) TerminateProcess(process.Get(), 1);
    }
  }

  size_t Count() const { return windows_.size(); }

 private:
  Output& out_;
  std::set<DWORD> tree_;
  std::set<HWND> windows_;
  std::set<std::pair<HWND, std::wstring>> seen_;
};

}  // namespace

std::wstring BuildCommandLine(const std::wstring& program, const std::vector<std::wstring>& args) {
  // The program name is split on quotes only, without backslash escapes.
  std::wstring line = program.find_first_of(L" \t") == std::wstring::npos && !program.empty()
                          ? program
                          : L"\"" + program + L"\"";
  for (const std::wstring& arg : args) line += L" " + QuoteArgument(arg);
  return line;
}

void RunAndWatch(const RunRequest& request, Output& out) {
  std::wstring program = ToWindowsPath(request.program);
  std::wstring commandLine = request.rawCommandLine.empty()
                                 ? BuildCommandLine(program, request.args)
                                 : request.rawCommandLine;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  // Only a verbatim line gets the program as application name; otherwise the first
  // token names it, so a bare "cmd" is searched on PATH as the shell would.
  const wchar_t* applicationName =
      request.rawCommandLine.empty() || program.empty() ? nullptr : program.c_str();
  std::wstring directory = ToWindowsPath(request.workingDirectory);
  if (!CreateProcessW(applicationName, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
    throw RobotError(Win32Failure("CreateProcessW") + ": " + ToUtf8(commandLine));
  }
  UniqueHandle process(info.hProcess);
  UniqueHandle thread(info.hThread);
  out.Line("pid", std::to_string(info.dwProcessId));

  WindowWatch watch(info.dwProcessId, out);
  DWORD start = GetTickCount();
  for (;;) {
    watch.Poll();
    DWORD wait = WaitForSingleObject(process.Get(), kPollMs);
    if (wait == WAIT_OBJECT_0) break;
    if (wait != WAIT_TIMEOUT) throw RobotError(Win32Failure("WaitForSingleObject"));
    if (GetTickCount() - start >= request.timeoutMs) {
      watch.KillTree();
      out.Line("windows", std::to_string(watch.Count()));
      out.Line("timeout", std::to_string(request.timeoutMs));
      throw RobotError("timeout: process still running after " + std::to_string(request.timeoutMs) +
                           " ms, killed",
                       3);
    }
  }
  // Children may still show windows after the main process has gone; look once more.
  watch.Poll();
  DWORD exitCode = 0;
  if (!GetExitCodeProcess(process.Get(), &exitCode)) {
    throw RobotError(Win32Failure("GetExitCodeProcess"));
  }
  out.Line("windows", std::to_string(watch.Count()));
  out.Line("exit", std::to_string(exitCode));
}

}  // namespace vantrell::robot
