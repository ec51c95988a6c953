// The system queries answered by the running Windows system: version
// information, tokens, the shell, version resources, volumes, the process
// list and the service control manager.
#pragma once

#include <mutex>

#include "system/system_queries.h"

namespace vantrell {

class Win32SystemQueries final : public SystemQueries {
 public:
  Win32SystemQueries();
  ~Win32SystemQueries() override;
  Win32SystemQueries(const Win32SystemQueries&) = delete;
  Win32SystemQueries& operator=(const Win32SystemQueries&) = delete;

  std::unique_ptr<QueryScope> NativeFileSystem() override;
  std::optional<std::string> ReadString(RegistryRoot root, const std::string& key,
                                        const std::string& value) override;
  std::optional<uint32_t> ReadDword(RegistryRoot root, const std::string& key,
                                    const std::string& value) override;
  OsVersionInfo OsVersion() override;
  bool IsGroupMember(uint32_t rid) override;
  uint64_t PhysicalMemoryBytes() override;
  ScreenInfo Screen() override;
  std::optional<uint16_t> FileLanguage(const std::string& path) override;
  std::string LanguageName(uint16_t language) override;
  std::string IisAnonymousUser() override;
  std::string UserName() override;
  std::string ComputerName() override;
  std::string UserDomain() override;
  bool IsWow64() override;
  std::string NativeArchitecture() override;
  bool TabletPc() override;
  bool MediaCenter() override;
  bool VmwareGuest() override;
  bool VirtualPcGuest() override;
  bool Elevated() override;
  std::string ShellFolder(int id) override;
  std::string SystemFolder() override;
  std::string Wow64SystemFolder() override;
  std::string WindowsFolder() override;
  std::string FirstCdromDrive() override;
  std::string ExpandEnvironment(const std::string& text) override;
  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  std::optional<FileVersionNumbers> FileVersion(const std::string& path) override;
  std::optional<DiskSpaceInfo> DiskSpace(const std::string& path) override;
  std::vector<std::string> ProcessNames() override;
  uint32_t ServiceState(const std::string& service, const std::string& computer) override;

 private:
  struct VersionLibrary;
  // version.dll is loaded from the system folder on first use and kept for the run.
  VersionLibrary* Versions();
  // The whole version resource of the file, or empty.
  std::string VersionResource(const std::string& path);

  std::mutex versionMutex_;
  VersionLibrary* versions_ = nullptr;
  bool versionsTried_ = false;
};

}  // namespace vantrell
