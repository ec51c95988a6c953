// The system queries on Windows. Functions newer than the oldest supported
// systems (and version.dll as a whole) are looked up at run time, so the
// engine starts everywhere; each failed call gives the neutral answer.
#include "system/win32/system_queries_win32.h"

#include <windows.h>

#include <shlobj.h>
#include <tlhelp32.h>

#include <cstring>
#include <vector>

#include "common/target_platform.h"
#include "common/win32/fs_redirection.h"
#include "common/win32/handle.h"
#include "common/win32/process_token.h"
#include "common/win32/registry_key.h"
#include "common/win32/system_library.h"

namespace vantrell {
namespace {

// Longer paths are refused before any call, so no file function sees them.
constexpr size_t kMaxPath = MAX_PATH - 1;

template <typename Fn>
Fn ProcIn(const wchar_t* module, const char* name) {
  HMODULE handle = GetModuleHandleW(module);
  return handle == nullptr
             ? nullptr
             : reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(handle, name)));
}

class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  ~ScreenDc() {
    if (dc_ != nullptr) ReleaseDC(nullptr, dc_);
  }
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// Keeps critical-error message boxes ("no disk in drive") away during one call.
class QuietErrors {
 public:
  QuietErrors() : old_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
  QuietErrors(const QuietErrors&) = delete;
  QuietErrors& operator=(const QuietErrors&) = delete;
  ~QuietErrors() { SetErrorMode(old_); }

 private:
  UINT old_;
};

class RedirectionScope final : public QueryScope {
  FsRedirectionOff off_;
};

// The key as the registry wants it: without trailing separators.
std::string KeyName(const std::string& key) {
  std::string out = key;
  while (!out.empty() && out.back() == '\\') out.pop_back();
  return out;
}

REGSAM StatementView() {
  if (!RunningUnderWow64()) return 0;
  return TargetIs64Bit() ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
}

// The raw value and its type, or false.
bool ReadValue(RegistryRoot root, const std::string& key, const std::string& value, DWORD& type,
               std::vector<BYTE>& data) {
  const RegistryKey handle =
      RegistryKey::Open(RootKey(root), KeyName(key), KEY_READ | StatementView());
  if (!handle.Valid()) return false;
  DWORD size = 0;
  if (RegQueryValueExA(handle.Get(), value.c_str(), nullptr, &type, nullptr, &size) !=
      ERROR_SUCCESS)
    return false;
  data.assign(size + 2, 0);  // room for a terminator the stored data may lack
  if (RegQueryValueExA(handle.Get(), value.c_str(), nullptr, &type, data.data(), &size) !=
      ERROR_SUCCESS)
    return false;
  data.resize(size);
  return true;
}

bool TooLongOrEmpty(const std::string& path) {
  return path.empty() || path.size() > kMaxPath;
}

// A reserved device name ("CON", "nul.txt", "C:\x\COM1"): the system opens the
// device whatever the folder or extension, so such a path is never a file.
bool NamesDosDevice(const std::string& path) {
  size_t slash = path.find_last_of("\\/:");
  std::string base = path.substr(slash == std::string::npos ? 0 : slash + 1);
  base = base.substr(0, base.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (char& c : base) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" || base == "CONIN$" ||
      base == "CONOUT$") {
    return true;
  }
  return base.size() == 4 && (base.rfind("COM", 0) == 0 || base.rfind("LPT", 0) == 0) &&
         base[3] >= '1' && base[3] <= '9';
}

// Device paths ("\\.\NUL", "\\?\...") and over-long names never reach the file functions.
bool Unusable(const std::string& path) {
  return TooLongOrEmpty(path) || path.rfind("\\\\.\\", 0) == 0 || path.rfind("\\\\?\\", 0) == 0 ||
         NamesDosDevice(path);
}

std::string SystemDirectory() {
  char path[MAX_PATH + 1] = {};
  UINT n = GetSystemDirectoryA(path, MAX_PATH);
  return n == 0 || n > MAX_PATH ? std::string() : std::string(path, n);
}

}  // namespace

struct Win32SystemQueries::VersionLibrary {
  using SizeFn = DWORD(WINAPI*)(LPCSTR, LPDWORD);
  using InfoFn = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
  using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);
  explicit VersionLibrary(HMODULE h) : module(h) {}
  ModuleHandle module;
  SizeFn size = nullptr;
  InfoFn info = nullptr;
  QueryFn query = nullptr;
};

Win32SystemQueries::Win32SystemQueries() = default;
Win32SystemQueries::~Win32SystemQueries() {
  delete versions_;
}

Win32SystemQueries::VersionLibrary* Win32SystemQueries::Versions() {
  std::lock_guard<std::mutex> lock(versionMutex_);
  if (versionsTried_) return versions_;
  versionsTried_ = true;
  HMODULE h = LoadSystemLibrary(L"version.dll");
  if (h == nullptr) return nullptr;
  auto* library = new VersionLibrary(h);
  library->size = reinterpret_cast<VersionLibrary::SizeFn>(
      reinterpret_cast<void*>(GetProcAddress(h, "GetFileVersionInfoSizeA")));
  library->info = reinterpret_cast<VersionLibrary::InfoFn>(
      reinterpret_cast<void*>(GetProcAddress(h, "GetFileVersionInfoA")));
  library->query = reinterpret_cast<VersionLibrary::QueryFn>(
      reinterpret_cast<void*>(GetProcAddress(h, "VerQueryValueA")));
  if (library->size == nullptr || library->info == nullptr || library->query == nullptr) {
    delete library;
    return nullptr;
  }
  versions_ = library;
  return versions_;
}

std::string Win32SystemQueries::VersionResource(const std::string& path) {
  // Only plain files are handed to the version functions: no devices, folders or over-long names.
  if (Unusable(path)) return {};
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)))
    return {};
  VersionLibrary* library = Versions();
  if (library == nullptr) return {};
  QuietErrors quiet;
  DWORD ignored = 0;
  DWORD size = library->size(path.c_str(), &ignored);
  if (size == 0) return {};
  std::string buffer(size, '\0');
  if (!library->info(path.c_str(), 0, size, buffer.data())) return {};
  return buffer;
}

std::unique_ptr<QueryScope> Win32SystemQueries::NativeFileSystem() {
  return std::make_unique<RedirectionScope>();
}

std::optional<std::string> Win32SystemQueries::ReadString(RegistryRoot root, const std::string& key,
                                                          const std::string& value) {
  DWORD type = 0;
  std::vector<BYTE> data;
  if (!ReadValue(root, key, value, type, data) || (type != REG_SZ && type != REG_EXPAND_SZ))
    return std::nullopt;
  std::string text(reinterpret_cast<const char*>(data.data()), data.size());
  size_t end = text.find('\0');
  if (end != std::string::npos) text.erase(end);
  return text;
}

std::optional<uint32_t> Win32SystemQueries::ReadDword(RegistryRoot root, const std::string& key,
                                                      const std::string& value) {
  DWORD type = 0;
  std::vector<BYTE> data;
  if (!ReadValue(root, key, value, type, data) || type != REG_DWORD || data.size() < sizeof(DWORD))
    return std::nullopt;
  DWORD number = 0;
  memcpy(&number, data.data(), sizeof(number));
  return number;
}

OsVersionInfo Win32SystemQueries::OsVersion() {
  OsVersionInfo out;
  // RtlGetVersion reports the real version whatever the compatibility manifest says.
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOEXW*);
  auto rtlGetVersion = ProcIn<RtlGetVersionFn>(L"ntdll.dll", "RtlGetVersion");
  OSVERSIONINFOEXW w = {};
  w.dwOSVersionInfoSize = sizeof(w);
  if (rtlGetVersion != nullptr && rtlGetVersion(&w) == 0) {
    out.ntFamily = w.dwPlatformId == VER_PLATFORM_WIN32_NT;
    out.major = w.dwMajorVersion;
    out.minor = w.dwMinorVersion;
    out.build = w.dwBuildNumber;
    out.servicePackMajor = w.wServicePackMajor;
    out.server = w.wProductType != VER_NT_WORKSTATION;
    char text[256] = {};
    if (WideCharToMultiByte(CP_ACP, 0, w.szCSDVersion, -1, text, sizeof(text), nullptr, nullptr) >
        0) {
      out.servicePackText = text;
    }
    return out;
  }
  OSVERSIONINFOEXA a = {};
  a.dwOSVersionInfoSize = sizeof(a);
  bool extended = GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&a)) != FALSE;
  if (!extended) {
    a.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&a))) return out;
  }
  out.ntFamily = a.dwPlatformId == VER_PLATFORM_WIN32_NT;
  out.major = a.dwMajorVersion;
  out.minor = a.dwMinorVersion;
  out.build = a.dwBuildNumber;
  out.servicePackText = a.szCSDVersion;
  if (extended) {
    out.servicePackMajor = a.wServicePackMajor;
    out.server = a.wProductType != VER_NT_WORKSTATION;
  }
  return out;
}

bool Win32SystemQueries::IsGroupMember(uint32_t rid) {
  if (!OsVersion().ntFamily) return rid == 0x220;
  FileHandle token(OpenQueryToken());
  if (!token.Valid()) return false;
  std::vector<BYTE> buffer = TokenInformation(token.Get(), TokenGroups);
  if (buffer.empty()) return false;
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID group = nullptr;
  if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, rid, 0, 0, 0, 0, 0, 0, &group))
    return false;
  // Every entry counts, whatever its attributes: deny-only and disabled groups too.
  const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
  bool member = false;
  for (DWORD i = 0; i < groups->GroupCount && !member; ++i)
    member = EqualSid(groups->Groups[i].Sid, group) != FALSE;
  FreeSid(group);
  return member;
}

uint64_t Win32SystemQueries::PhysicalMemoryBytes() {
  MEMORYSTATUSEX status = {};
  status.dwLength = sizeof(status);
  if (GlobalMemoryStatusEx(&status)) return status.ullTotalPhys;
  MEMORYSTATUS old = {};
  old.dwLength = sizeof(old);
  GlobalMemoryStatus(&old);
  return old.dwTotalPhys;
}

ScreenInfo Win32SystemQueries::Screen() {
  ScreenInfo out;
  out.width = GetSystemMetrics(SM_CXSCREEN);
  out.height = GetSystemMetrics(SM_CYSCREEN);
  ScreenDc dc;
  if (dc.Get() != nullptr) {
    out.bitsPerPixel = GetDeviceCaps(dc.Get(), BITSPIXEL) * GetDeviceCaps(dc.Get(), PLANES);
    out.logicalDpi = GetDeviceCaps(dc.Get(), LOGPIXELSX);
  }
  if (out.logicalDpi <= 0) out.logicalDpi = -1;
  return out;
}

std::optional<uint16_t> Win32SystemQueries::FileLanguage(const std::string& path) {
  std::string resource = VersionResource(path);
  VersionLibrary* library = resource.empty() ? nullptr : Versions();
  if (library == nullptr) return std::nullopt;
  void* data = nullptr;
  UINT size = 0;
  if (!library->query(resource.data(), "\\VarFileInfo\\Translation", &data, &size) ||
      data == nullptr || size < 4) {
    return std::nullopt;
  }
  WORD language = 0;
  memcpy(&language, data, sizeof(language));
  return language;
}

std::string Win32SystemQueries::LanguageName(uint16_t language) {
  char name[256] = {};
  int n = GetLocaleInfoA(MAKELCID(language, SORT_DEFAULT), LOCALE_SLANGUAGE, name, sizeof(name));
  return n > 0 ? std::string(name) : std::string();
}

std::string Win32SystemQueries::IisAnonymousUser() {
  // Asking the web server's metabase belongs to the web server statements; without them there is no
  // answer.
  return {};
}

std::string Win32SystemQueries::UserName() {
  char name[257] = {};
  DWORD size = sizeof(name);
  return GetUserNameA(name, &size) ? std::string(name) : std::string();
}

std::string Win32SystemQueries::ComputerName() {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof(name);
  return GetComputerNameA(name, &size) ? std::string(name, size) : std::string();
}

std::string Win32SystemQueries::UserDomain() {
  std::optional<AccountName> account = ProcessUserAccount();
  return account ? account->domain : std::string();
}

bool Win32SystemQueries::IsWow64() {
  return RunningUnderWow64();
}

std::string Win32SystemQueries::NativeArchitecture() {
  using NativeInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
  auto native = ProcIn<NativeInfoFn>(L"kernel32.dll", "GetNativeSystemInfo");
  if (native == nullptr) return "X86";
  SYSTEM_INFO info = {};
  native(&info);
  switch (info.wProcessorArchitecture) {
    case PROCESSOR_ARCHITECTURE_INTEL:
      return "X86";
    case PROCESSOR_ARCHITECTURE_IA64:
      return "IA64";
    case PROCESSOR_ARCHITECTURE_AMD64:
      return "AMD64";
    default:
      return "UNKNOWN";
  }
}

bool Win32SystemQueries::TabletPc() {
  return GetSystemMetrics(SM_TABLETPC) != 0;
}
bool Win32SystemQueries::MediaCenter() {
  return GetSystemMetrics(SM_MEDIACENTER) != 0;
}

#if defined(__i386__)
namespace {

// The guest probes run instructions that fault outside their virtual machine.
// A vectored handler, active only while this thread probes, steps over the
// faulting probe instruction (recognised by its bytes) and notes the fault.
thread_local bool tProbing = false;
thread_local bool tFaulted = false;

LONG CALLBACK ProbeFaultHandler(EXCEPTION_POINTERS* info) {
  if (!tProbing || info == nullptr || info->ContextRecord == nullptr)
    return EXCEPTION_CONTINUE_SEARCH;
  const auto* at = reinterpret_cast<const unsigned char*>(info->ContextRecord->Eip);
  size_t length = 0;
  if (at[0] == 0xED) length = 1;  // in eax, dx
  if (at[0] == 0x0F && at[1] == 0x3F && at[2] == 0x07 && at[3] == 0x0B)
    length = 4;  // the Virtual PC call
  if (length == 0) return EXCEPTION_CONTINUE_SEARCH;
  tFaulted = true;
  info->ContextRecord->Eip += static_cast<DWORD>(length);
  return EXCEPTION_CONTINUE_EXECUTION;
}

// Runs the probe with the handler installed; false when it faulted or no guard is possible.
template <typename Probe>
bool RunGuarded(Probe probe) {
  using AddFn = PVOID(WINAPI*)(ULONG, PVECTORED_EXCEPTION_HANDLER);
  using RemoveFn = ULONG(WINAPI*)(PVOID);
  auto add = ProcIn<AddFn>(L"kernel32.dll", "AddVectoredExceptionHandler");
  auto remove = ProcIn<RemoveFn>(L"kernel32.dll", "RemoveVectoredExceptionHandler");
  if (add == nullptr || remove == nullptr) return false;
  PVOID handler = add(1, ProbeFaultHandler);
  if (handler == nullptr) return false;
  tProbing = true;
  tFaulted = false;
  probe();
  tProbing = false;
  remove(handler);
  return !tFaulted;
}

}  // namespace

bool Win32SystemQueries::VmwareGuest() {
  uint32_t reply = 0;
  bool ran = RunGuarded([&reply] {
    uint32_t a = 0x564D5868, b = 0, c = 10, d = 0x5658;
    asm volatile("in %%dx, %%eax" : "+a"(a), "+b"(b), "+c"(c), "+d"(d) : : "memory");
    reply = b;
  });
  return ran && reply == 0x564D5868;
}

bool Win32SystemQueries::VirtualPcGuest() {
  return RunGuarded([] {
    uint32_t b = 0;
    asm volatile(".byte 0x0F, 0x3F, 0x07, 0x0B" : "+b"(b) : : "eax", "ecx", "edx", "memory");
  });
}
#else
// Without the 32-bit probe instructions no guest is reported.
bool Win32SystemQueries::VmwareGuest() {
  return false;
}
bool Win32SystemQueries::VirtualPcGuest() {
  return false;
}
#endif

bool Win32SystemQueries::Elevated() {
  FileHandle token(OpenQueryToken());
  if (!token.Valid()) return false;
  TOKEN_ELEVATION elevation = {};
  DWORD size = 0;
  if (!GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof(elevation), &size))
    return false;
  return elevation.TokenIsElevated != 0;
}

std::string Win32SystemQueries::ShellFolder(int id) {
  char path[MAX_PATH + 1] = {};
  if (FAILED(SHGetFolderPathA(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return path;
}

std::string Win32SystemQueries::SystemFolder() {
  return SystemDirectory();
}

std::string Win32SystemQueries::Wow64SystemFolder() {
  using Wow64DirFn = UINT(WINAPI*)(LPSTR, UINT);
  auto wow64Dir = ProcIn<Wow64DirFn>(L"kernel32.dll", "GetSystemWow64DirectoryA");
  if (wow64Dir == nullptr) return {};
  char path[MAX_PATH + 1] = {};
  UINT n = wow64Dir(path, MAX_PATH);
  return n == 0 || n > MAX_PATH ? std::string() : std::string(path, n);
}

std::string Win32SystemQueries::WindowsFolder() {
  char path[MAX_PATH + 1] = {};
  UINT n = GetWindowsDirectoryA(path, MAX_PATH);
  return n == 0 || n > MAX_PATH ? std::string() : std::string(path, n);
}

std::string Win32SystemQueries::FirstCdromDrive() {
  DWORD drives = GetLogicalDrives();
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    if ((drives & (1u << (letter - 'A'))) == 0) continue;
    const std::string root = std::string(1, letter) + ":\\";
    if (GetDriveTypeA(root.c_str()) == DRIVE_CDROM) return root;
  }
  return {};
}

std::string Win32SystemQueries::ExpandEnvironment(const std::string& text) {
  DWORD size = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
  if (size == 0) return text;
  std::string out(size, '\0');
  DWORD n = ExpandEnvironmentStringsA(text.c_str(), out.data(), size);
  if (n == 0 || n > size) return text;
  out.resize(n - 1);
  return out;
}

bool Win32SystemQueries::FileExists(const std::string& path) {
  if (Unusable(path)) return false;
  QuietErrors quiet;
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

bool Win32SystemQueries::FolderExists(const std::string& path) {
  if (TooLongOrEmpty(path)) return false;
  QuietErrors quiet;
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::optional<FileVersionNumbers> Win32SystemQueries::FileVersion(const std::string& path) {
  std::string resource = VersionResource(path);
  VersionLibrary* library = resource.empty() ? nullptr : Versions();
  if (library == nullptr) return std::nullopt;
  void* data = nullptr;
  UINT size = 0;
  if (!library->query(resource.data(), "\\", &data, &size) || data == nullptr ||
      size < sizeof(VS_FIXEDFILEINFO)) {
    return std::nullopt;
  }
  VS_FIXEDFILEINFO fixed = {};
  memcpy(&fixed, data, sizeof(fixed));
  if (fixed.dwSignature != 0xFEEF04BD) return std::nullopt;
  return FileVersionNumbers{HIWORD(fixed.dwFileVersionMS), LOWORD(fixed.dwFileVersionMS),
                            HIWORD(fixed.dwFileVersionLS), LOWORD(fixed.dwFileVersionLS)};
}

std::optional<DiskSpaceInfo> Win32SystemQueries::DiskSpace(const std::string& path) {
  if (TooLongOrEmpty(path)) return std::nullopt;
  QuietErrors quiet;
  ULARGE_INTEGER freeForCaller = {};
  ULARGE_INTEGER total = {};
  ULARGE_INTEGER totalFree = {};
  if (!GetDiskFreeSpaceExA(path.c_str(), &freeForCaller, &total, &totalFree)) return std::nullopt;
  return DiskSpaceInfo{freeForCaller.QuadPart, total.QuadPart};
}

std::vector<std::string> Win32SystemQueries::ProcessNames() {
  std::vector<std::string> names;
  FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.Valid()) return names;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
       more = Process32NextW(snapshot.Get(), &entry)) {
    char name[MAX_PATH * 2] = {};
    // Names are compared in the ANSI code page like the script's own texts.
    if (WideCharToMultiByte(CP_ACP, 0, entry.szExeFile, -1, name, sizeof(name), nullptr, nullptr) >
        0) {
      names.emplace_back(name);
    }
    entry.dwSize = sizeof(entry);
  }
  return names;
}

uint32_t Win32SystemQueries::ServiceState(const std::string& service, const std::string& computer) {
  if (service.empty()) return 0;
  ServiceHandle manager(
      OpenSCManagerA(computer.empty() ? nullptr : computer.c_str(), nullptr, SC_MANAGER_CONNECT));
  if (manager.Get() == nullptr) return 0;
  ServiceHandle handle(OpenServiceA(manager.Get(), service.c_str(), SERVICE_QUERY_STATUS));
  if (handle.Get() == nullptr) return 0;
  SERVICE_STATUS status = {};
  if (!QueryServiceStatus(handle.Get(), &status)) return 0;
  return status.dwCurrentState <= 7 ? status.dwCurrentState : 0;
}

}  // namespace vantrell
