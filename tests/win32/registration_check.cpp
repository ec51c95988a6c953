// The product registration against the real registry and file system under
// Wine: install, advertise and remove write and delete the cache folder and
// the entries (read back with RegQueryValueEx); a cache whose engine is in use
// is moved aside and scheduled for deletion at restart. Usage:
//   registration_check <scratch folder>          the whole cycle
//   registration_check <scratch folder> leave    installs a per-user entry and leaves it
//   registration_check <scratch folder> remove   removes that entry again
#include <windows.h>

#include <string>
#include <vector>

#include "common/win32/system_facts_win32.h"
#include "common/win32/win32_file_system.h"
#include "msi/registration.h"
#include "msi/win32/registration_store_win32.h"
#include "script/run_identity.h"
#include "tests/win32/check.h"

using vantrell::wintest::Check;
using vantrell::wintest::CheckEqual;

namespace vantrell {
namespace {

constexpr const char* kProduct = "{5C1E2A3B-4D5F-4A6B-8C7D-9E0F1A2B3C4D}";
constexpr const char* kRevision = "{7D8E9FA0-B1C2-4D3E-8F4A-5B6C7D8E9FA0}";
constexpr const char* kTitle = "Vantrell Registration Check";

std::string Uninstall() {
  return std::string(kUninstallKey) + kTitle;
}
std::string Ident() {
  return std::string(kEngineCacheRegistryKey) + kProduct;
}

HKEY Root(bool machine) {
  return machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

bool KeyExists(bool machine, const std::string& key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(Root(machine), key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
    return false;
  RegCloseKey(opened);
  return true;
}

// The value as RegQueryValueEx gives it, "<absent>" when missing, "<type n>" when not a string.
std::string Value(bool machine, const std::string& key, const char* name) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(Root(machine), key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
    return "<absent>";
  char data[2048] = {};
  DWORD size = sizeof(data) - 1;
  DWORD type = 0;
  LONG status =
      RegQueryValueExA(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(opened);
  if (status != ERROR_SUCCESS) return "<absent>";
  if (type != REG_SZ) return "<type " + std::to_string(type) + ">";
  return data;
}

std::vector<std::string> PendingDeletions() {
  std::vector<std::string> paths;
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0,
                    KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) {
    return paths;
  }
  DWORD size = 0;
  DWORD type = 0;
  if (RegQueryValueExA(opened, "PendingFileRenameOperations", nullptr, &type, nullptr, &size) ==
      ERROR_SUCCESS) {
    std::vector<char> data(size + 2, '\0');
    if (RegQueryValueExA(opened, "PendingFileRenameOperations", nullptr, &type,
                         reinterpret_cast<BYTE*>(data.data()), &size) == ERROR_SUCCESS) {
      // Pairs of source and (here empty) target, each ending with a zero.
      for (size_t at = 0; at < size && data[at] != '\0';) {
        std::string source = data.data() + at;
        at += source.size() + 1;
        std::string target = data.data() + at;
        at += target.size() + 1;
        if (target.empty()) paths.push_back(source);
      }
    }
  }
  RegCloseKey(opened);
  return paths;
}

bool Pending(const std::vector<std::string>& pending, const std::string& path) {
  for (const std::string& entry : pending) {
    // The system stores NT paths ("\??\C:\..."); compare the tail ignoring case.
    if (entry.size() >= path.size() &&
        lstrcmpiA(entry.c_str() + entry.size() - path.size(), path.c_str()) == 0) {
      return true;
    }
  }
  return false;
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadAll(const std::string& path) {
  std::string bytes;
  Win32FileSystem files;
  files.ReadWholeFile(path, bytes);
  return bytes;
}

struct Fixture {
  Win32FileSystem files;
  Win32SystemFacts system;
  Win32RegistrationStore registry;
  Win32CacheFolderSystem folders;
  RegistrationServices services{files, system, registry, folders, CurrentPlatformFamily()};
  TComponentTable table;
  TVariableManager vars;
  CachedSetup setup;

  explicit Fixture(const std::string& scratch, bool allUsers) {
    const std::string media = scratch + "media\\";
    files.MakeDirectories(media);
    for (const char* name : {"setup.exe", "setup.msi", "setup.res", "zeb.lib", "setup.bmp"}) {
      files.WriteWholeFile(media + name, std::string("bytes of ") + name);
    }
    setup.productCode = kProduct;
    setup.revisionCode = kRevision;
    setup.title = kTitle;
    setup.exePath = media + "setup.exe";
    setup.exeFolder = media;
    setup.baseName = "setup";
    setup.packagePath = media + "setup.msi";
    setup.allUsers = allUsers;
    setup.compressCache = true;
    setup.cacheRoot = scratch + "cache root\\";
    setup.installLocation = "C:\\Program Files\\Check\\";
    setup.registration = {"Corvatis",
                          "ann@example.com",
                          "http://help.example",
                          "http://update.example",
                          "Comments here",
                          "1.0"};
    setup.language = "English";
    setup.dataFolder = media;
    setup.propertyListText = "A1F\r\nTRUE\r\n";
    vars.PutVariable("TARGETDIR", setup.installLocation);
  }
  std::string Cache() const { return setup.cacheRoot + kRevision + "\\"; }
  CacheUpkeep Run(CacheOperation operation) {
    return UpdateCachedSetup(operation, setup, services, table, vars);
  }
};

void CheckEntries(Fixture& f, bool machine, const std::string& label) {
  const std::string exe = f.Cache() + "setup.exe";
  const std::string key = Uninstall();
  CheckEqual(Value(machine, key, "DisplayIcon"), exe, label + "DisplayIcon");
  CheckEqual(Value(machine, key, "DisplayName"), kTitle, label + "DisplayName");
  CheckEqual(Value(machine, key, "UninstallString"), "\"" + exe + "\" REMOVE=TRUE MODIFY=FALSE",
             label + "UninstallString");
  CheckEqual(Value(machine, key, "ModifyPath"), exe, label + "ModifyPath");
  CheckEqual(Value(machine, key, "Publisher"), "Corvatis", label + "Publisher");
  CheckEqual(Value(machine, key, "Contact"), "ann@example.com", label + "Contact");
  CheckEqual(Value(machine, key, "HelpLink"), "http://help.example", label + "HelpLink");
  CheckEqual(Value(machine, key, "URLUpdateInfo"), "http://update.example",
             label + "URLUpdateInfo");
  CheckEqual(Value(machine, key, "Comments"), "Comments here", label + "Comments");
  CheckEqual(Value(machine, key, "InstallLocation"), "C:\\Program Files\\Check\\",
             label + "InstallLocation");
  CheckEqual(Value(machine, std::string(kUninstallKey) + kProduct, "UninstallString"), exe,
             label + "the installer's entry names the cached engine");
  CheckEqual(Value(machine, Ident(), nullptr), f.Cache(), label + "engine cache registration");
  Check(!KeyExists(!machine, Uninstall()), label + "nothing under the other root");
}

void CheckCacheFiles(Fixture& f, const std::string& label) {
  const std::string cache = f.Cache();
  for (const char* name : {"setup.exe", "setup.msi", "setup.res", "zeb.lib", "setup.bmp"}) {
    CheckEqual(ReadAll(cache + name), std::string("bytes of ") + name, label + name);
  }
  Check(Exists(cache + "setup.dat"), label + "setup.dat");
  Check(!Exists(cache + "setup.dat.dat"), label + "no setup.dat.dat left");
  CheckEqual(ReadAll(cache + "setup.par"), "A1F\r\nTRUE\r\n", label + "setup.par");
  CheckEqual(ReadAll(cache + "setup.lan"), "English\r\n", label + "setup.lan");
  CheckEqual(ReadAll(cache + "instance.dat"),
             std::string(kProduct) + "\r\n" + kRevision + "\r\n" + kTitle + "\r\n",
             label + "instance.dat");
}

void CheckGone(Fixture& f, const std::string& label) {
  for (bool machine : {true, false}) {
    Check(!KeyExists(machine, Uninstall()),
          label + (machine ? "LM" : "CU") + " uninstall entry gone");
    Check(!KeyExists(machine, Ident()),
          label + (machine ? "LM" : "CU") + " cache registration gone");
  }
  Check(!Exists(f.Cache()), label + "cache folder gone");
}

void Cycle(const std::string& scratch) {
  {
    Fixture f(scratch, /*allUsers=*/true);
    std::printf("-- all users: install, advertise, install, remove\n");
    CacheUpkeep installed = f.Run(CacheOperation::kInstall);
    Check(installed.written && !installed.refused, "install wrote the cache");
    CheckCacheFiles(f, "cache: ");
    CheckEntries(f, /*machine=*/true, "LM: ");
    f.Run(CacheOperation::kAdvertise);
    Check(Exists(f.Cache() + "__ad"), "advertise leaves __ad");
    f.Run(CacheOperation::kInstall);
    Check(!Exists(f.Cache() + "__ad"), "install removes the empty __ad");
    CacheUpkeep removed = f.Run(CacheOperation::kRemove);
    Check(removed.removed && removed.movedTo.empty(), "remove completes without moving");
    CheckGone(f, "after remove: ");
    Check(Exists(f.setup.cacheRoot), "the cache root stays");
  }
  {
    Fixture f(scratch, /*allUsers=*/false);
    std::printf("-- per user: remove while the cached engine is in use\n");
    f.Run(CacheOperation::kInstall);
    CheckEntries(f, /*machine=*/false, "CU: ");
    CreateDirectoryA((f.setup.cacheRoot + "~0").c_str(), nullptr);
    HANDLE held = CreateFileA((f.Cache() + "setup.exe").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    Check(held != INVALID_HANDLE_VALUE, "the cached engine is held open");
    CacheUpkeep removed = f.Run(CacheOperation::kRemove);
    CheckEqual(removed.movedTo, f.setup.cacheRoot + "~1", "moved aside to the first free name");
    CheckGone(f, "after remove in use: ");
    Check(Exists(f.setup.cacheRoot + "~1\\setup.exe"), "the engine in use moved with its folder");
    Check(!Exists(f.setup.cacheRoot + "~1\\setup.msi"), "the rest was deleted at once");
    Check(Exists(f.setup.cacheRoot + "~0"), "the taken name is left alone");
    const std::vector<std::string> pending = PendingDeletions();
    Check(Pending(pending, f.setup.cacheRoot + "~1\\setup.exe"),
          "engine scheduled for deletion at restart");
    Check(Pending(pending, f.setup.cacheRoot + "~1\\zeb.lib"),
          "zeb.lib scheduled for deletion at restart");
    Check(Pending(pending, f.setup.cacheRoot + "~1"), "folder scheduled for deletion at restart");
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  }
  {
    Fixture f(scratch, /*allUsers=*/true);
    std::printf("-- a revision code that is a path is refused\n");
    CreateDirectoryA((f.setup.cacheRoot + "keep").c_str(), nullptr);
    Win32FileSystem files;
    files.WriteWholeFile(f.setup.cacheRoot + "keep\\precious.txt", "x");
    f.setup.revisionCode = "..\\cache root\\keep";
    CacheUpkeep removed = f.Run(CacheOperation::kRemove);
    Check(removed.refused, "refused");
    Check(Exists(f.setup.cacheRoot + "keep\\precious.txt"), "nothing outside the cache deleted");
  }
}

}  // namespace
}  // namespace vantrell

int main(int argc, char** argv) {
  using namespace vantrell;
  if (argc < 2) {
    std::printf("usage: registration_check <scratch folder> [leave|remove]\n");
    return 100;
  }
  const std::string scratch = WithTrailingBackslash(argv[1]);
  const std::string mode = argc > 2 ? argv[2] : "";
  if (mode == "leave") {
    Fixture f(scratch, /*allUsers=*/false);
    Check(f.Run(CacheOperation::kInstall).written, "per-user registration left in place");
  } else if (mode == "remove") {
    Fixture f(scratch, /*allUsers=*/false);
    Check(f.Run(CacheOperation::kRemove).removed, "per-user registration removed");
    CheckGone(f, "");
  } else {
    Cycle(scratch);
  }
  return wintest::Failures();
}
