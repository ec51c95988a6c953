// The Windows program runner against the real system under Wine: shell and
// process starts with their exit codes, the current directory, renames, the
// window walk and close request of "Terminate Program" on a window of this
// program, and the desktop-user and logon steps, whose answers are printed as
// information lines since they depend on the system. Usage:
//   run_check <scratch folder> <run_probe.exe>
#include <windows.h>

#include <cstdio>
#include <string>

#include "system/run_statements.h"
#include "system/win32/program_runner_win32.h"
#include "tests/win32/check.h"

using vantrell::wintest::Check;
using vantrell::wintest::CheckEqual;

namespace vantrell {
namespace {

std::string messagesSeen;

LRESULT CALLBACK CheckWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CANCELMODE) messagesSeen += "cancelmode ";
  if (message == WM_CLOSE) {
    messagesSeen += "close ";
    return 0;  // stays open: the caller counts the requests
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

std::string Outcome(const Launch& launch) {
  switch (launch.outcome) {
    case Launch::Outcome::kRan:
      return "ran " + std::to_string(launch.exitStatus);
    case Launch::Outcome::kFunctionMissing:
      return "function missing";
    case Launch::Outcome::kNotStarted:
      break;
  }
  return "not started (error " + std::to_string(GetLastError()) + ")";
}

std::string Level(const std::optional<uint32_t>& level) {
  if (!level) return "unknown";
  char text[16];
  std::snprintf(text, sizeof(text), "0x%04X", static_cast<unsigned>(*level));
  return text;
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

void CheckStarts(Win32ProgramRunner& runner, const std::string& scratch, const std::string& probe) {
  ShellRequest shell{probe, "--exit 3", ProgramFolder(probe), true, true};
  CheckEqual(Outcome(runner.ShellExecuteAndWait(shell)), "ran 3", "shell start, waited for");
  shell.parameters = "--sleep 3000";
  shell.wait = false;
  CheckEqual(Outcome(runner.ShellExecuteAndWait(shell)), "ran 259", "shell start, not waited for");
  shell.file = scratch + "\\missing.exe";
  Check(runner.ShellExecuteAndWait(shell).outcome == Launch::Outcome::kNotStarted,
        "shell start of a missing file");

  ProcessRequest process{RunAsCommandLine(probe, "--exit 6"), ShowMode::kHidden, "", true};
  CheckEqual(Outcome(runner.CreateProcessAndWait(process)), "ran 6", "process start");
  process.commandLine = RunAsCommandLine(scratch + "\\missing.exe", "");
  Check(runner.CreateProcessAndWait(process).outcome == Launch::Outcome::kNotStarted,
        "process start of a missing file");
}

void CheckFilesAndFolders(Win32ProgramRunner& runner, const std::string& scratch) {
  const std::string before = runner.CurrentDirectory();
  Check(runner.ChangeCurrentDirectory(scratch), "current directory changes");
  CheckEqual(runner.CurrentDirectory(), scratch, "current directory read back");
  Check(!runner.ChangeCurrentDirectory(scratch + "\\missing"), "a missing folder is refused");
  Check(runner.ChangeCurrentDirectory(before), "current directory restored");

  const std::string own = runner.OwnExecutablePath();
  Check(own.size() > 13 && own.substr(own.size() - 13) == "run_check.exe",
        "own executable: " + own);

  const std::string a = scratch + "\\rename-a.txt", b = scratch + "\\rename-b.txt";
  HANDLE file = CreateFileA(a.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  CloseHandle(file);
  Check(runner.RenameFile(a, b), "rename");
  file = CreateFileA(a.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  CloseHandle(file);
  Check(!runner.RenameFile(a, b), "rename onto an existing file fails");
}

void CheckWindows(Win32ProgramRunner& runner) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = CheckWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "VantrellRunCheck";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "VantrellRunCheck", "Run Check Window", WS_OVERLAPPEDWINDOW, 0,
                                0, 100, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
  Check(window != nullptr, "window created");
  const auto windows = runner.TopLevelWindows();
  const auto found = FindWindowToClose(windows, "Check Window", "RunCheck");
  Check(found && *found == reinterpret_cast<uintptr_t>(window), "the window walk finds the window");
  if (found) runner.PostCancelAndClose(*found);
  PumpMessages();
  CheckEqual(messagesSeen, "cancelmode close ", "cancel mode, then close");
  DestroyWindow(window);
}

// The answers Wine gives depend on its version and prefix: printed, not judged.
void ReportDesktopUser(Win32ProgramRunner& runner, const std::string& probe) {
  std::printf("  info Vista or later: %d, NT family: %d\n", runner.IsVistaOrLater(),
              runner.IsNtFamily());
  std::printf("  info engine integrity %s, desktop shell integrity %s\n",
              Level(runner.EngineIntegrityLevel()).c_str(),
              Level(runner.DesktopShellIntegrityLevel()).c_str());
  std::printf("  info debug privilege enabled: %d\n", runner.EnableDebugPrivilege());
  const ProcessRequest request{RunAsCommandLine(probe, "--exit 17"), ShowMode::kHidden, "", true};
  DesktopToken token = runner.DuplicateDesktopShellToken(DesktopUserRemovedPrivileges());
  std::printf("  info desktop shell token: step %d\n", static_cast<int>(token.step));
  if (token.token) {
    std::printf("  info start with that token: %s\n",
                Outcome(runner.CreateProcessWithToken(*token.token, request)).c_str());
  }
  std::printf("  info as the desktop user: exit code %d\n", StartAsDesktopUser(runner, request));
  const LogonCredentials credentials{"vantrelltest", "secret", ""};
  std::printf("  info start with a logon: %s\n",
              Outcome(runner.CreateProcessWithLogon(request, credentials)).c_str());
}

// The token steps for real: Wine has no desktop shell window of its own, so
// a probe window of the shell's class stands in for it.
void CheckDesktopShellToken(Win32ProgramRunner& runner, const std::string& scratch,
                            const std::string& probe) {
  HWND shell = FindWindowA("Progman", nullptr);
  const bool standIn = shell == nullptr;
  if (standIn) {
    const ProcessRequest start{
        RunAsCommandLine(probe, "--window \"Program Manager\" Progman \"" + scratch +
                                    "\\shell-closed.txt\" --linger 20000"),
        ShowMode::kNormal, "", false};
    Check(runner.CreateProcessAndWait(start).outcome == Launch::Outcome::kRan,
          "stand-in shell started");
    for (int i = 0; i < 100 && shell == nullptr; ++i) {
      Sleep(100);
      shell = FindWindowA("Progman", nullptr);
    }
  }
  Check(shell != nullptr, "a desktop shell window exists");
  std::printf("  info shell integrity now %s\n",
              Level(runner.DesktopShellIntegrityLevel()).c_str());
  DesktopToken token = runner.DuplicateDesktopShellToken(DesktopUserRemovedPrivileges());
  Check(token.step == DesktopToken::Step::kReady && token.token != nullptr,
        "the shell's token is duplicated");
  if (token.token) {
    const ProcessRequest request{RunAsCommandLine(probe, "--exit 17"), ShowMode::kHidden, "", true};
    const std::string outcome = Outcome(runner.CreateProcessWithToken(*token.token, request));
    Check(outcome == "ran 17" || outcome == "function missing", "start with the token: " + outcome);
  }
  if (standIn && shell != nullptr) runner.PostCancelAndClose(reinterpret_cast<uintptr_t>(shell));
}

}  // namespace
}  // namespace vantrell

int main(int argc, char** argv) {
  if (argc != 3) {
    std::printf("usage: run_check <scratch folder> <run_probe.exe>\n");
    return 100;
  }
  vantrell::Win32ProgramRunner runner;
  vantrell::CheckStarts(runner, argv[1], argv[2]);
  vantrell::CheckFilesAndFolders(runner, argv[1]);
  vantrell::CheckWindows(runner);
  vantrell::ReportDesktopUser(runner, argv[2]);
  vantrell::CheckDesktopShellToken(runner, argv[1], argv[2]);
  return vantrell::wintest::Failures();
}
