// An in-memory target machine for the system query statements: every answer
// is a field the test sets, and each native file-system scope is counted.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "system/system_queries.h"

namespace vantrell::testing {

class FakeQueries final : public SystemQueries {
 public:
  class Scope final : public QueryScope {
   public:
    explicit Scope(FakeQueries& owner) : owner_(owner) {
      ++owner_.openScopes;
      ++owner_.scopesTaken;
    }
    ~Scope() override { --owner_.openScopes; }

   private:
    FakeQueries& owner_;
  };

  std::unique_ptr<QueryScope> NativeFileSystem() override { return std::make_unique<Scope>(*this); }
  std::optional<std::string> ReadString(RegistryRoot root, const std::string& key,
                                        const std::string& value) override {
    auto it = strings.find(
        {root == RegistryRoot::kLocalMachine ? "HKLM\\" + key : "HKCU\\" + key, value});
    if (it == strings.end()) return std::nullopt;
    return it->second;
  }
  std::optional<uint32_t> ReadDword(RegistryRoot root, const std::string& key,
                                    const std::string& value) override {
    auto it =
        dwords.find({root == RegistryRoot::kLocalMachine ? "HKLM\\" + key : "HKCU\\" + key, value});
    if (it == dwords.end()) return std::nullopt;
    return it->second;
  }
  OsVersionInfo OsVersion() override { return os; }
  bool IsGroupMember(uint32_t rid) override {
    for (uint32_t g : groups) {
      if (g == rid) return true;
    }
    return false;
  }
  uint64_t PhysicalMemoryBytes() override { return memory; }
  ScreenInfo Screen() override { return screen; }
  std::optional<uint16_t> FileLanguage(const std::string& path) override {
    auto it = languages.find(path);
    if (it == languages.end()) return std::nullopt;
    return it->second;
  }
  std::string LanguageName(uint16_t language) override {
    return language == 0x409 ? "English (United States)" : "?";
  }
  std::string IisAnonymousUser() override { return iisUser; }
  std::string UserName() override { return "alice"; }
  std::string ComputerName() override { return "HOST"; }
  std::string UserDomain() override { return "WORKGROUP"; }
  bool IsWow64() override { return wow64; }
  std::string NativeArchitecture() override { return "AMD64"; }
  bool TabletPc() override { return false; }
  bool MediaCenter() override { return true; }
  bool VmwareGuest() override { return vmware; }
  bool VirtualPcGuest() override { return virtualPc; }
  bool Elevated() override { return true; }
  std::string ShellFolder(int id) override {
    auto it = shell.find(id);
    return it == shell.end() ? std::string() : it->second;
  }
  std::string SystemFolder() override { return "C:\\windows\\system32"; }
  std::string Wow64SystemFolder() override { return wow64Folder; }
  std::string WindowsFolder() override { return "C:\\windows"; }
  std::string FirstCdromDrive() override { return cdrom; }
  std::string ExpandEnvironment(const std::string& text) override {
    std::string out = text;
    size_t at = out.find("%SystemDrive%");
    if (at != std::string::npos) out.replace(at, 13, "C:");
    return out;
  }
  bool FileExists(const std::string& path) override { return files.count(path) != 0; }
  bool FolderExists(const std::string& path) override { return folders.count(path) != 0; }
  std::optional<FileVersionNumbers> FileVersion(const std::string& path) override {
    auto it = files.find(path);
    if (it == files.end() || !it->second.first) return std::nullopt;
    return it->second.second;
  }
  std::optional<DiskSpaceInfo> DiskSpace(const std::string& path) override {
    if (path.rfind("C:\\", 0) != 0) return std::nullopt;
    return DiskSpaceInfo{5000000000ull, 8000000000ull};
  }
  std::vector<std::string> ProcessNames() override { return processes; }
  uint32_t ServiceState(const std::string& service, const std::string& computer) override {
    auto it = services.find(computer + "|" + service);
    return it == services.end() ? 0 : it->second;
  }

  int openScopes = 0;
  int scopesTaken = 0;
  OsVersionInfo os{true, 5, 1, 2600, "Service Pack 3", 3, false};
  std::vector<uint32_t> groups{0x220};
  uint64_t memory = 512ull << 20;
  ScreenInfo screen{1024, 768, 32, 96};
  std::map<std::string, uint16_t> languages;
  std::map<std::pair<std::string, std::string>, std::string> strings;
  std::map<std::pair<std::string, std::string>, uint32_t> dwords;
  std::map<int, std::string> shell;
  std::map<std::string, std::pair<bool, FileVersionNumbers>> files;  // has version info, version
  std::map<std::string, int> folders;
  std::vector<std::string> processes;
  std::map<std::string, uint32_t> services;
  std::string iisUser, wow64Folder, cdrom;
  bool wow64 = false, vmware = false, virtualPc = false;
};

}  // namespace vantrell::testing
