// System facts through the token, the shell's folder lookup and the registry
// (contract in system_facts_win32.h).
#include "common/win32/system_facts_win32.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "common/win32/handle.h"
#include "common/win32/registry_key.h"
#include "common/win32/win32_file_system.h"

namespace vantrell {
namespace {

int ShellFolderId(SpecialFolder folder) {
  switch (folder) {
    case SpecialFolder::kProgramFiles:
      return CSIDL_PROGRAM_FILES;
    case SpecialFolder::kPersonal:
      return CSIDL_PERSONAL;
    case SpecialFolder::kCommonAppData:
      return CSIDL_COMMON_APPDATA;
    case SpecialFolder::kLocalAppData:
      return CSIDL_LOCAL_APPDATA;
    case SpecialFolder::kAppData:
      return CSIDL_APPDATA;
    case SpecialFolder::kDesktop:
      return CSIDL_DESKTOPDIRECTORY;
  }
  return CSIDL_DESKTOPDIRECTORY;
}

}  // namespace

bool Win32SystemFacts::IsAdministrator() {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr;
  if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0,
                                0, 0, 0, 0, &administrators)) {
    return false;
  }
  // Membership in the effective token: a filtered (not elevated) token has the
  // group only for deny and does not count.
  BOOL member = FALSE;
  if (!CheckTokenMembership(nullptr, administrators, &member)) member = FALSE;
  FreeSid(administrators);
  return member != FALSE;
}

std::string Win32SystemFacts::Folder(SpecialFolder folder) {
  std::lock_guard lock(foldersMutex_);
  if (auto known = folders_.find(folder); known != folders_.end()) return known->second;
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, ShellFolderId(folder), nullptr, SHGFP_TYPE_CURRENT, path)))
    return {};
  std::string result = path;
  if (!result.empty() && result.back() != '\\') result.push_back('\\');
  folders_[folder] = result;
  return result;
}

std::optional<std::string> Win32SystemFacts::ReadRegistryString(RegistryRoot root,
                                                                const std::string& key,
                                                                const std::string& value) {
  RegistryKey opened = RegistryKey::Open(RootKey(root), key, KEY_QUERY_VALUE);
  if (opened.Get() == nullptr) return std::nullopt;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(opened.Get(), value.empty() ? nullptr : value.c_str(), nullptr, &type,
                       nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return std::nullopt;
  }
  std::vector<char> data(size + 2, '\0');
  DWORD got = size;
  if (RegQueryValueExA(opened.Get(), value.empty() ? nullptr : value.c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(data.data()), &got) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::string(data.data());
}

void Win32SystemFacts::DeleteRegistryValue(RegistryRoot root, const std::string& key,
                                           const std::string& value) {
  RegistryKey opened = RegistryKey::Open(RootKey(root), key, KEY_SET_VALUE);
  if (opened.Get() != nullptr) RegDeleteValueA(opened.Get(), value.c_str());
}

void Win32SystemFacts::HideAndCompressFolder(const std::string& folder, bool compressed) {
  DWORD attributes = GetFileAttributesA(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesA(folder.c_str(), attributes | FILE_ATTRIBUTE_HIDDEN);
  SetFolderCompression(folder, compressed);
}

}  // namespace vantrell
