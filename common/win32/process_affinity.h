// The engine runs pinned to its first processor; every program it starts
// gets all of the system's processors instead of inheriting that pin.
#pragma once

#include <windows.h>

namespace vantrell {

inline void GiveAllProcessors(HANDLE process) {
  DWORD_PTR own = 0;
  DWORD_PTR system = 0;
  if (GetProcessAffinityMask(GetCurrentProcess(), &own, &system) && system != 0) {
    SetProcessAffinityMask(process, system);
  }
}

// For a process created with CREATE_SUSPENDED: its first instruction already
// runs with the full mask.
inline void ResumeOnAllProcessors(const PROCESS_INFORMATION& info) {
  GiveAllProcessors(info.hProcess);
  ResumeThread(info.hThread);
}

}  // namespace vantrell
