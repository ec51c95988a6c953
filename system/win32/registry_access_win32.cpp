// The registry statements' access to the real registry (contract in
// registry_access_win32.h). The extended key deletion is looked up at run
// time, as systems before 64-bit Windows lack it.
#include "system/win32/registry_access_win32.h"

#include <windows.h>

#include "common/win32/fs_redirection.h"
#include "common/win32/registry_key.h"

namespace vantrell {
namespace {

constexpr REGSAM kReadAccess = 0x20019;       // KEY_READ
constexpr REGSAM kReadWriteAccess = 0x2001F;  // KEY_READ | KEY_WRITE

using RegDeleteKeyExFn = LONG(WINAPI*)(HKEY, LPCSTR, REGSAM, DWORD);

RegDeleteKeyExFn ExtendedKeyDeletion() {
  static const RegDeleteKeyExFn function = [] {
    HMODULE advapi = GetModuleHandleW(L"advapi32.dll");
    FARPROC found = advapi == nullptr ? nullptr : GetProcAddress(advapi, "RegDeleteKeyExA");
    return reinterpret_cast<RegDeleteKeyExFn>(reinterpret_cast<void*>(found));
  }();
  return function;
}

}  // namespace

bool Win32RegistryAccess::Is64BitWindows() {
  return RunningUnderWow64();
}

RegistryData Win32RegistryAccess::ReadValue(RegistryRoot hive, RegistryView view,
                                            const std::string& key, const std::string& value) {
  RegistryData data;
  RegistryKey opened = RegistryKey::Open(hive, view, key, kReadAccess);
  if (!opened.Valid()) return data;  // kNoKey
  // The value may grow between the size query and the read: ask again then.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD type = 0;
    DWORD size = 0;
    LONG status = RegQueryValueExA(opened.Get(), value.c_str(), nullptr, &type, nullptr, &size);
    if (status == ERROR_FILE_NOT_FOUND) {
      data.status = RegistryData::Status::kNoValue;
      return data;
    }
    if (status != ERROR_SUCCESS) break;
    std::string bytes(size, '\0');
    status = RegQueryValueExA(opened.Get(), value.c_str(), nullptr, &type,
                              size == 0 ? nullptr : reinterpret_cast<BYTE*>(bytes.data()), &size);
    if (status == ERROR_MORE_DATA) continue;
    if (status == ERROR_FILE_NOT_FOUND) {
      data.status = RegistryData::Status::kNoValue;
      return data;
    }
    if (status != ERROR_SUCCESS) break;
    bytes.resize(size);
    data.status = RegistryData::Status::kValue;
    data.type = type;
    data.bytes = std::move(bytes);
    return data;
  }
  data.status = RegistryData::Status::kReadError;
  return data;
}

std::optional<std::vector<std::string>> Win32RegistryAccess::SubKeys(RegistryRoot hive,
                                                                     RegistryView view,
                                                                     const std::string& key) {
  RegistryKey opened = RegistryKey::Open(hive, view, key, kReadAccess);
  if (!opened.Valid()) return std::nullopt;
  std::vector<std::string> names;
  char name[256];  // key names are at most 255 characters
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof(name);
    LONG status =
        RegEnumKeyExA(opened.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS) break;  // what was listed so far is still worth deleting
    names.emplace_back(name, length);
  }
  return names;
}

bool Win32RegistryAccess::DeleteValue(RegistryRoot hive, RegistryView view, const std::string& key,
                                      const std::string& value) {
  RegistryKey opened = RegistryKey::Open(hive, view, key, kReadWriteAccess);
  if (!opened.Valid()) return false;
  return RegDeleteValueA(opened.Get(), value.c_str()) == ERROR_SUCCESS;
}

bool Win32RegistryAccess::DeleteKey(RegistryRoot hive, RegistryView view, const std::string& parent,
                                    const std::string& name) {
  if (name.empty()) return false;  // would name the parent itself
  RegistryKey opened = RegistryKey::Open(hive, view, parent, kReadWriteAccess);
  if (!opened.Valid()) return false;
  // The plain deletion works in the view the process sees by default; the
  // extended one names the view explicitly, where the system offers it.
  RegDeleteKeyExFn extended = view == RegistryView::kDefault ? nullptr : ExtendedKeyDeletion();
  LONG status = extended != nullptr
                    ? extended(opened.Get(), name.c_str(), static_cast<REGSAM>(view), 0)
                    : RegDeleteKeyA(opened.Get(), name.c_str());
  return status == ERROR_SUCCESS;
}

}  // namespace vantrell
