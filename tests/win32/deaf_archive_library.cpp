// A stand-in for zeb.lib whose archive named "deaf.7z" lists one file and
// whose extraction of it never listens: it sleeps for a minute, deaf to its
// progress callback's request to stop, so that only the engine's watchdog
// ends it. Every other call goes to
// the real library, "zeb-real.lib" beside this one (the engine's start-up
// extracts its support files through it). tests/wine/t_watchdog.sh.
#include <windows.h>

#include <cstring>
#include <string>

#include "media/zeb/include/zeb.h"

namespace {

HMODULE RealLibrary() {
  static HMODULE real = [] {
    HMODULE self = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&RealLibrary), &self);
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
    std::wstring folder(path, length);
    folder.erase(folder.find_last_of(L'\\') + 1);
    return LoadLibraryExW((folder + L"zeb-real.lib").c_str(), nullptr,
                          LOAD_WITH_ALTERED_SEARCH_PATH);
  }();
  return real;
}

template <typename Fn>
Fn Real(const char* name) {
  HMODULE real = RealLibrary();
  return real == nullptr
             ? nullptr
             : reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(real, name)));
}

bool IsDeaf(const char* archivePath) {
  const char* name = std::strrchr(archivePath, '\\');
  return name != nullptr && _stricmp(name + 1, "deaf.7z") == 0;
}

// The listing of deaf.7z: one file.
ZebListEntry deafEntry = [] {
  ZebListEntry entry{};
  entry.name = "deaf.dat";
  entry.size = 1200;
  return entry;
}();
constexpr uintptr_t kDeafListing = 0xDEAF;

}  // namespace

extern "C" {

__declspec(dllexport) int32_t ZEB_CALL
    ExtractArchive(const char* archivePath, int32_t one, const char* destFolder,
                   const ZebFileSelection* selection, uint32_t option, const char* password,
                   ZebPasswordCallback passwordCb, ZebProgressCallback progressCb,
                   ZebNotifyCallback notifyCb, ZebQuestionCallback questionCb) {
  if (archivePath != nullptr && IsDeaf(archivePath)) {
    for (int i = 0; i < 1200; ++i) {
      if (progressCb != nullptr) progressCb("deaf.dat", static_cast<uint64_t>(i), 1200);
      Sleep(50);
    }
    return 0;
  }
  static const auto real = Real<decltype(&ExtractArchive)>("ExtractArchive");
  return real == nullptr ? 0
                         : real(archivePath, one, destFolder, selection, option, password,
                                passwordCb, progressCb, notifyCb, questionCb);
}

__declspec(dllexport) uintptr_t ZEB_CALL
    OpenListArchive(const char* archivePath, int32_t zero, ZebPasswordCallback passwordCb,
                    int32_t a, int32_t b, int32_t c, const char* password, ZebListEntry** entries,
                    int32_t* count) {
  if (archivePath != nullptr && IsDeaf(archivePath) && entries != nullptr && count != nullptr) {
    *entries = &deafEntry;
    *count = 1;
    return kDeafListing;
  }
  static const auto real = Real<decltype(&OpenListArchive)>("OpenListArchive");
  return real == nullptr ? 0
                         : real(archivePath, zero, passwordCb, a, b, c, password, entries, count);
}

__declspec(dllexport) int32_t ZEB_CALL CloseListArchive(uintptr_t handle) {
  if (handle == kDeafListing) return 1;
  static const auto real = Real<decltype(&CloseListArchive)>("CloseListArchive");
  return real == nullptr ? 0 : real(handle);
}

__declspec(dllexport) int32_t ZEB_CALL GetLastArchiveError(int32_t zero) {
  static const auto real = Real<decltype(&GetLastArchiveError)>("GetLastArchiveError");
  return real == nullptr ? kZebErrorBadArgument : real(zero);
}

}  // extern "C"
