// The 64-bit file-system bracket (contract in fs_redirection.h).
#include "common/win32/fs_redirection.h"

#include <windows.h>

#include "common/target_platform.h"

namespace vantrell {
namespace {

using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
using DisableRedirectionFn = BOOL(WINAPI*)(PVOID*);
using RevertRedirectionFn = BOOL(WINAPI*)(PVOID);

FARPROC Kernel32Function(const char* name) {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  return kernel == nullptr ? nullptr : GetProcAddress(kernel, name);
}

template <typename Fn>
Fn Lookup(const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(Kernel32Function(name)));
}

}  // namespace

bool RunningUnderWow64() {
  static const bool wow64 = [] {
    auto isWow64 = Lookup<IsWow64ProcessFn>("IsWow64Process");
    BOOL result = FALSE;
    return isWow64 != nullptr && isWow64(GetCurrentProcess(), &result) && result;
  }();
  return wow64;
}

FsRedirectionOff::FsRedirectionOff() {
  if (!RunningUnderWow64() || !TargetIs64Bit()) return;
  auto disable = Lookup<DisableRedirectionFn>("Wow64DisableWow64FsRedirection");
  if (disable != nullptr && disable(&oldValue_)) active_ = true;
}

FsRedirectionOff::~FsRedirectionOff() {
  if (!active_) return;
  auto revert = Lookup<RevertRedirectionFn>("Wow64RevertWow64FsRedirection");
  // Nothing is left to do when the revert fails: the thread keeps the view.
  if (revert != nullptr) revert(oldValue_);
}

}  // namespace vantrell
