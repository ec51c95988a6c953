// Process facts and hardening through kernel32 (contract in process_env.h).
#include "engine/win32/process_env.h"

#include <windows.h>

#include "common/image_layout.h"
#include "common/win32/win32_file_system.h"
#include "lang/language_table.h"

namespace vantrell {
namespace {

constexpr DWORD kLoadLibrarySearchSystem32 = 0x00000800;

std::string ModulePath() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::string LocaleText(LCID lcid, LCTYPE type) {
  char buffer[128] = {};
  int n = GetLocaleInfoA(lcid, type, buffer, sizeof(buffer));
  return n > 0 ? std::string(buffer) : std::string();
}

std::string UserLanguageName() {
  unsigned lcid = 0;
  std::string hex = LocaleText(LOCALE_USER_DEFAULT, LOCALE_ILANGUAGE);
  if (!hex.empty()) lcid = static_cast<unsigned>(strtoul(hex.c_str(), nullptr, 16));
  return LcidToLanguage(lcid, [](unsigned id) { return LocaleText(id, LOCALE_SENGLANGUAGE); });
}

}  // namespace

void HardenLibrarySearch() {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  if (kernel == nullptr) return;
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (setDefault != nullptr) setDefault(kLoadLibrarySearchSystem32);
  SetDllDirectoryW(L"");
}

void PinToFirstProcessor() {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  if (kernel == nullptr) return;
  using SetAffinityFn = BOOL(WINAPI*)(HANDLE, DWORD_PTR);
  auto setAffinity = reinterpret_cast<SetAffinityFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetProcessAffinityMask")));
  if (setAffinity != nullptr) setAffinity(GetCurrentProcess(), 1);
}

StartupEnvironment ReadStartupEnvironment() {
  StartupEnvironment env;
  env.exePath = ModulePath();
  env.tempFolder = UserTempFolder();
  const char* commandLine = GetCommandLineA();
  env.commandLine = commandLine ? commandLine : "";
  // The first page of the running image holds its headers.
  const auto* base = reinterpret_cast<const char*>(GetModuleHandleW(nullptr));
  MEMORY_BASIC_INFORMATION info;
  if (base != nullptr && VirtualQuery(base, &info, sizeof(info)) != 0) {
    size_t mapped = info.RegionSize < 4096 ? info.RegionSize : 4096;
    env.imageEnd = ImageEndFromHeaders(std::string_view(base, mapped));
  }
  env.userLanguage = UserLanguageName();
  return env;
}

}  // namespace vantrell
