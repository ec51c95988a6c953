// The narrow view of the target machine that the system query statements ask:
// version, hardware, user, folders, files, processes and services. The Windows
// side asks the real system; native tests use a twin.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/registry.h"

namespace vantrell {

struct OsVersionInfo {
  bool ntFamily = true;
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build =
      0;  // the full build value (on the 9x family it carries the version in its high half)
  std::string servicePackText;
  uint32_t servicePackMajor = 0;
  bool server = false;  // a product type other than workstation
};

struct FileVersionNumbers {
  uint16_t major = 0, minor = 0, build = 0, revision = 0;
};

struct ScreenInfo {
  int width = 0, height = 0, bitsPerPixel = 0;
  int logicalDpi = -1;  // -1 when unavailable
};

struct DiskSpaceInfo {
  uint64_t freeForCaller = 0;
  uint64_t total = 0;
};

// Held for the duration of one statement; undoes what it switched on release.
class QueryScope {
 public:
  virtual ~QueryScope() = default;
};

class SystemQueries {
 public:
  virtual ~SystemQueries() = default;

  // Switches file-system redirection off while the returned scope lives (a
  // no-op where the target platform or the process does not call for it).
  virtual std::unique_ptr<QueryScope> NativeFileSystem() = 0;
  // Registry reads: the view follows the target platform. nullopt on any failure.
  virtual std::optional<std::string> ReadString(RegistryRoot root, const std::string& key,
                                                const std::string& value) = 0;
  virtual std::optional<uint32_t> ReadDword(RegistryRoot root, const std::string& key,
                                            const std::string& value) = 0;

  virtual OsVersionInfo OsVersion() = 0;
  virtual bool IsGroupMember(uint32_t rid) = 0;
  virtual uint64_t PhysicalMemoryBytes() = 0;
  virtual ScreenInfo Screen() = 0;
  // The language of the first translation entry of the file's version resource.
  virtual std::optional<uint16_t> FileLanguage(const std::string& path) = 0;
  virtual std::string LanguageName(uint16_t language) = 0;
  virtual std::string IisAnonymousUser() = 0;
  virtual std::string UserName() = 0;
  virtual std::string ComputerName() = 0;
  virtual std::string UserDomain() = 0;
  virtual bool IsWow64() = 0;
  virtual std::string NativeArchitecture() = 0;  // "X86", "IA64", "AMD64" or "UNKNOWN"
  virtual bool TabletPc() = 0;
  virtual bool MediaCenter() = 0;
  virtual bool VmwareGuest() = 0;
  virtual bool VirtualPcGuest() = 0;
  virtual bool Elevated() = 0;

  // Folders without any trailing-backslash rule; empty when unknown.
  virtual std::string ShellFolder(int id) = 0;
  virtual std::string SystemFolder() = 0;
  virtual std::string Wow64SystemFolder() = 0;
  virtual std::string WindowsFolder() = 0;
  virtual std::string FirstCdromDrive() = 0;  // "D:\" or empty
  virtual std::string ExpandEnvironment(const std::string& text) = 0;

  virtual bool FileExists(const std::string& path) = 0;
  virtual bool FolderExists(const std::string& path) = 0;
  // nullopt when the file has no version information or cannot be read.
  virtual std::optional<FileVersionNumbers> FileVersion(const std::string& path) = 0;
  virtual std::optional<DiskSpaceInfo> DiskSpace(const std::string& path) = 0;
  // Executable file names (possibly with folders) of the running processes.
  virtual std::vector<std::string> ProcessNames() = 0;
  // The service's current state code 1 to 7, or 0 when it cannot be asked.
  virtual uint32_t ServiceState(const std::string& service, const std::string& computer) = 0;
};

}  // namespace vantrell
