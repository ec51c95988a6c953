// The system restart (contract in system_restart_win32.h).
#include "system/win32/system_restart_win32.h"

#include <windows.h>

#include "common/win32/handle.h"

namespace vantrell {
namespace {

// The Windows 95 family has no tokens: every process may restart the system.
bool HasSecurity() {
  return (GetVersion() & 0x80000000u) == 0;
}

void EnableShutdownPrivilege() {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw)) return;
  FileHandle token(raw);
  TOKEN_PRIVILEGES privileges = {};
  if (!LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid))
    return;
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  // Not held at all: the restart request below is refused and the run ends anyway.
  AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr);
}

}  // namespace

bool Win32SystemRestart::RequestRestart() {
  if (HasSecurity()) EnableShutdownPrivilege();
  return ExitWindowsEx(EWX_REBOOT, SHTDN_REASON_MAJOR_APPLICATION |
                                       SHTDN_REASON_MINOR_INSTALLATION |
                                       SHTDN_REASON_FLAG_PLANNED) != 0;
}

}  // namespace vantrell
