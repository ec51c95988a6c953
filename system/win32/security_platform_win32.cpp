// Accounts, DACLs and shares on Windows (contract in security_platform_win32.h).
#include "system/win32/security_platform_win32.h"

#include <windows.h>

#include <aclapi.h>
#include <lm.h>
#include <winspool.h>

#include <vector>

#include "common/win32/fs_redirection.h"
#include "common/win32/handle.h"
#include "common/win32/system_library.h"
#include "common/win32/win32_file_system.h"

namespace vantrell {
namespace {

constexpr DWORD kAllSharePermissions = 0xFF;
constexpr DWORD kUnlimitedUsers = 0xFFFFFFFF;

using GetNamedSecurityInfoWFn = DWORD(WINAPI*)(LPCWSTR, SE_OBJECT_TYPE, SECURITY_INFORMATION, PSID*,
                                               PSID*, PACL*, PACL*, PSECURITY_DESCRIPTOR*);
using SetNamedSecurityInfoWFn = DWORD(WINAPI*)(LPWSTR, SE_OBJECT_TYPE, SECURITY_INFORMATION, PSID,
                                               PSID, PACL, PACL);

template <typename Fn>
Fn Advapi32Function(const char* name) {
  HMODULE advapi = GetModuleHandleW(L"advapi32.dll");
  if (advapi == nullptr) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(advapi, name)));
}

class ViewScope final : public SecurityPlatform::Scope {
  FsRedirectionOff off_;
};

// A server name for the share calls: nullptr for the local computer.
class ServerName {
 public:
  explicit ServerName(const std::string& computer) : name_(AnsiToWide(computer)) {}
  LPWSTR Get() { return name_.empty() ? nullptr : name_.data(); }

 private:
  std::wstring name_;
};

std::string SidBytes(PSID sid) {
  if (sid == nullptr || !IsValidSid(sid)) return {};
  return std::string(static_cast<const char*>(sid), GetLengthSid(sid));
}

// The share and printer functions, from their system libraries on first use;
// a missing one answers ERROR_PROC_NOT_FOUND.
template <typename Fn>
Fn NetApi(const char* name) {
  return SystemFunction<Fn>(L"netapi32.dll", name);
}

template <typename Fn>
Fn Spooler(const char* name) {
  return SystemFunction<Fn>(L"winspool.drv", name);
}

NET_API_STATUS FreeNetBuffer(LPVOID buffer) {
  static const auto free = NetApi<decltype(&NetApiBufferFree)>("NetApiBufferFree");
  return free != nullptr ? free(buffer) : ERROR_PROC_NOT_FOUND;
}

NET_API_STATUS AddShare(LPWSTR server, LPBYTE info, LPDWORD badParameter) {
  static const auto add = NetApi<decltype(&NetShareAdd)>("NetShareAdd");
  return add != nullptr ? add(server, 2, info, badParameter) : ERROR_PROC_NOT_FOUND;
}

NET_API_STATUS ShareInfo(LPWSTR server, LPWSTR name, LPBYTE* buffer) {
  static const auto get = NetApi<decltype(&NetShareGetInfo)>("NetShareGetInfo");
  return get != nullptr ? get(server, name, 2, buffer) : ERROR_PROC_NOT_FOUND;
}

NET_API_STATUS SetShareInfo(LPWSTR name, LPBYTE info, LPDWORD badParameter) {
  static const auto set = NetApi<decltype(&NetShareSetInfo)>("NetShareSetInfo");
  return set != nullptr ? set(nullptr, name, 2, info, badParameter) : ERROR_PROC_NOT_FOUND;
}

NET_API_STATUS RemoveShare(LPWSTR server, LPWSTR name) {
  static const auto remove = NetApi<decltype(&NetShareDel)>("NetShareDel");
  return remove != nullptr ? remove(server, name, 0) : ERROR_PROC_NOT_FOUND;
}

class NetBuffer {
 public:
  NetBuffer() = default;
  NetBuffer(const NetBuffer&) = delete;
  NetBuffer& operator=(const NetBuffer&) = delete;
  ~NetBuffer() {
    if (buffer_ != nullptr) FreeNetBuffer(buffer_);
  }
  LPBYTE* Out() { return &buffer_; }
  template <typename T>
  T* As() {
    return reinterpret_cast<T*>(buffer_);
  }

 private:
  LPBYTE buffer_ = nullptr;
};

class Printer {
 public:
  explicit Printer(const std::string& name) {
    static const auto open = Spooler<decltype(&OpenPrinterA)>("OpenPrinterA");
    PRINTER_DEFAULTSA defaults = {};
    defaults.DesiredAccess = PRINTER_ALL_ACCESS;
    std::string copy = name;
    if (open == nullptr) {
      error_ = ERROR_PROC_NOT_FOUND;
    } else if (!open(copy.data(), &handle_, &defaults)) {
      handle_ = nullptr;
      error_ = GetLastError();
    }
  }
  Printer(const Printer&) = delete;
  Printer& operator=(const Printer&) = delete;
  ~Printer() {
    // Only an opened printer is closed, so the library is there.
    static const auto close = Spooler<decltype(&ClosePrinter)>("ClosePrinter");
    if (handle_ != nullptr && close != nullptr) close(handle_);
  }

  // Reads the level-2 information, lets change() edit it and writes it back.
  template <typename Change>
  uint32_t Update(Change change) {
    static const auto get = Spooler<decltype(&GetPrinterA)>("GetPrinterA");
    static const auto set = Spooler<decltype(&SetPrinterA)>("SetPrinterA");
    if (handle_ == nullptr) return error_;
    if (get == nullptr || set == nullptr) return ERROR_PROC_NOT_FOUND;
    DWORD needed = 0;
    get(handle_, 2, nullptr, 0, &needed);
    if (needed == 0) return GetLastError();
    std::vector<BYTE> buffer(needed);
    if (!get(handle_, 2, buffer.data(), needed, &needed)) return GetLastError();
    auto* info = reinterpret_cast<PRINTER_INFO_2A*>(buffer.data());
    change(*info);
    info->pSecurityDescriptor = nullptr;
    if (!set(handle_, 2, buffer.data(), 0)) return GetLastError();
    return ERROR_SUCCESS;
  }

 private:
  HANDLE handle_ = nullptr;
  DWORD error_ = ERROR_SUCCESS;
};

}  // namespace

std::unique_ptr<SecurityPlatform::Scope> Win32SecurityPlatform::NativeFileView() {
  return std::make_unique<ViewScope>();
}

std::optional<std::string> Win32SecurityPlatform::ProcessUserSid() {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return std::nullopt;
  FileHandle token(raw);
  DWORD size = 0;
  GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
  if (size == 0) return std::nullopt;
  std::vector<BYTE> buffer(size);
  if (!GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size)) return std::nullopt;
  std::string sid = SidBytes(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid);
  if (sid.empty()) return std::nullopt;
  return sid;
}

std::optional<std::string> Win32SecurityPlatform::AccountSid(const std::string& name) {
  const std::wstring wide = AnsiToWide(name);
  DWORD sidSize = 0;
  DWORD domainSize = 0;
  SID_NAME_USE use = SidTypeUnknown;
  LookupAccountNameW(nullptr, wide.c_str(), nullptr, &sidSize, nullptr, &domainSize, &use);
  if (sidSize == 0) return std::nullopt;
  std::vector<BYTE> sid(sidSize);
  std::vector<wchar_t> domain(domainSize + 1);
  if (!LookupAccountNameW(nullptr, wide.c_str(), sid.data(), &sidSize, domain.data(), &domainSize,
                          &use)) {
    return std::nullopt;
  }
  std::string bytes = SidBytes(sid.data());
  if (bytes.empty()) return std::nullopt;
  return bytes;
}

DaclRead Win32SecurityPlatform::ReadDacl(SecuredObjectKind kind, const std::string& name) {
  auto get = Advapi32Function<GetNamedSecurityInfoWFn>("GetNamedSecurityInfoW");
  if (get == nullptr) return DaclRead{ERROR_CALL_NOT_IMPLEMENTED, {}};
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const std::wstring wide = AnsiToWide(name);
  const DWORD code = get(wide.c_str(), static_cast<SE_OBJECT_TYPE>(kind), DACL_SECURITY_INFORMATION,
                         nullptr, nullptr, &dacl, nullptr, &descriptor);
  if (code != ERROR_SUCCESS) return DaclRead{code, {}};
  DaclRead read;
  if (dacl != nullptr) read.acl = std::string(reinterpret_cast<const char*>(dacl), dacl->AclSize);
  if (descriptor != nullptr) LocalFree(descriptor);
  return read;
}

uint32_t Win32SecurityPlatform::WriteDacl(SecuredObjectKind kind, const std::string& name,
                                          const std::optional<std::string>& acl) {
  auto set = Advapi32Function<SetNamedSecurityInfoWFn>("SetNamedSecurityInfoW");
  if (set == nullptr) return ERROR_CALL_NOT_IMPLEMENTED;
  // The list is copied to a buffer aligned for the platform's ACL header.
  std::vector<DWORD> buffer;
  PACL list = nullptr;
  if (acl) {
    buffer.resize((acl->size() + sizeof(DWORD) - 1) / sizeof(DWORD) + 1);
    memcpy(buffer.data(), acl->data(), acl->size());
    list = reinterpret_cast<PACL>(buffer.data());
  }
  std::wstring wide = AnsiToWide(name);
  return set(wide.data(), static_cast<SE_OBJECT_TYPE>(kind), DACL_SECURITY_INFORMATION, nullptr,
             nullptr, list, nullptr);
}

uint32_t Win32SecurityPlatform::AddDiskShare(const DiskShare& share) {
  ServerName server(share.computer);
  std::wstring name = AnsiToWide(share.name);
  std::wstring remark = AnsiToWide(share.remark);
  std::wstring path = AnsiToWide(share.path);
  SHARE_INFO_2 info = {};
  info.shi2_netname = name.data();
  info.shi2_type = STYPE_DISKTREE;
  info.shi2_remark = remark.data();
  info.shi2_permissions = kAllSharePermissions;
  info.shi2_max_uses = kUnlimitedUsers;
  info.shi2_path = path.data();
  info.shi2_passwd = nullptr;
  DWORD badParameter = 0;
  return AddShare(server.Get(), reinterpret_cast<LPBYTE>(&info), &badParameter);
}

uint32_t Win32SecurityPlatform::SharePrinter(const std::string& printer,
                                             const std::string& shareName,
                                             const std::string& remark) {
  std::string shared = shareName;
  const uint32_t code = Printer(printer).Update([&shared](PRINTER_INFO_2A& info) {
    info.pShareName = shared.data();
    info.Attributes |= PRINTER_ATTRIBUTE_SHARED;
  });
  if (code != ERROR_SUCCESS) return code;
  std::wstring name = AnsiToWide(shareName);
  NetBuffer buffer;
  const DWORD found = ShareInfo(nullptr, name.data(), buffer.Out());
  if (found != NERR_Success) return found;
  SHARE_INFO_2 info = *buffer.As<SHARE_INFO_2>();
  std::wstring wideRemark = AnsiToWide(remark);
  wchar_t noPassword[1] = {L'\0'};
  info.shi2_remark = wideRemark.data();
  info.shi2_permissions = kAllSharePermissions;
  info.shi2_passwd = noPassword;
  info.shi2_max_uses = kUnlimitedUsers;
  DWORD badParameter = 0;
  return SetShareInfo(name.data(), reinterpret_cast<LPBYTE>(&info), &badParameter);
}

uint32_t Win32SecurityPlatform::UnsharePrinter(const std::string& printer) {
  return Printer(printer).Update([](PRINTER_INFO_2A& info) {
    info.Attributes &= ~static_cast<DWORD>(PRINTER_ATTRIBUTE_SHARED);
  });
}

ShareLookup Win32SecurityPlatform::FindShare(const std::string& computer, const std::string& name) {
  ServerName server(computer);
  std::wstring wide = AnsiToWide(name);
  NetBuffer buffer;
  const DWORD code = ShareInfo(server.Get(), wide.data(), buffer.Out());
  if (code != NERR_Success) return ShareLookup{code, 0, {}};
  const SHARE_INFO_2& info = *buffer.As<SHARE_INFO_2>();
  return ShareLookup{kSecurityOk, info.shi2_type & ~static_cast<DWORD>(STYPE_SPECIAL),
                     WideToAnsi(info.shi2_path)};
}

uint32_t Win32SecurityPlatform::DeleteShare(const std::string& computer, const std::string& name) {
  ServerName server(computer);
  std::wstring wide = AnsiToWide(name);
  return RemoveShare(server.Get(), wide.data());
}

std::string Win32SecurityPlatform::LocalComputerName() {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof(name);
  if (!GetComputerNameA(name, &size)) return {};
  return std::string(name, size);
}

bool Win32SecurityPlatform::Touch(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace vantrell
