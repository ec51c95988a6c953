// Engine cache upkeep and product registration (contract in registration.h).
#include "msi/registration.h"

#include <string_view>

#include "common/ascii.h"
#include "common/file_routines.h"
#include "common/paths.h"
#include "components/feature_selection_file.h"
#include "msi/property_list.h"
#include "script/run_identity.h"
#include "script/script_reader.h"

namespace vantrell {
namespace {

constexpr const char* kAdvertisedFolder = "__ad";
// Moving aside tries "~0", "~1", ...; a bound keeps a broken file system from looping.
constexpr int kMaxMovedAsideNames = 1000;

bool written = false;

bool SamePath(const std::string& a, const std::string& b) {
  std::string x = a;
  std::string y = b;
  for (char& c : x) c = c == '/' ? '\\' : c;
  for (char& c : y) c = c == '/' ? '\\' : c;
  return EqualsIgnoreCase(x, y);
}

// Copies one file into the cache; a source that is already the cached file
// (a run from the cache itself) must not be copied onto itself.
void CopyIntoCache(FileSystem& files, const std::string& source, const std::string& target) {
  if (source.empty() || SamePath(source, target)) return;
  files.SetNormalAttributes(target);
  files.CopyFileReplacing(source, target);
}

void WriteIntoCache(FileSystem& files, const std::string& target, std::string_view bytes) {
  files.SetNormalAttributes(target);
  files.WriteWholeFile(target, bytes);
}

RegistryRoot RegistrationRoot(const CachedSetup& setup, const PlatformFamily& platform) {
  return setup.allUsers || platform.windows9x ? RegistryRoot::kLocalMachine
                                              : RegistryRoot::kCurrentUser;
}

void WriteRegistration(const CachedSetup& setup, const std::string& cacheFolder,
                       RegistrationServices& services) {
  RegistrationStore& registry = services.registry;
  const RegistryRoot root = RegistrationRoot(setup, services.platform);
  const std::string exeName = FileNameOf(setup.exePath);
  if (services.platform.windows2000OrLater && !setup.productCode.empty()) {
    registry.WriteString(root, kUninstallKey + setup.productCode, "UninstallString",
                         cacheFolder + setup.baseName + ".exe");
  }
  // An empty title would put our values on the list of all uninstall entries.
  if (!setup.title.empty()) {
    const std::string key = kUninstallKey + setup.title;
    const RegistrationLines& lines = setup.registration;
    registry.WriteString(root, key, "DisplayIcon", cacheFolder + exeName);
    registry.WriteString(root, key, "DisplayName", setup.title);
    registry.WriteString(root, key, "UninstallString",
                         "\"" + cacheFolder + exeName + "\" REMOVE=TRUE MODIFY=FALSE");
    registry.WriteString(root, key, "ModifyPath", cacheFolder + exeName);
    registry.WriteString(root, key, "Publisher", lines.publisher);
    registry.WriteString(root, key, "Contact", lines.contact);
    registry.WriteString(root, key, "HelpLink", lines.helpLink);
    registry.WriteString(root, key, "URLUpdateInfo", lines.updateInfoUrl);
    registry.WriteString(root, key, "Comments", lines.comments);
    registry.WriteString(root, key, "InstallLocation", setup.installLocation);
  }
  if (!setup.productCode.empty()) {
    registry.WriteString(root, kEngineCacheRegistryKey + setup.productCode, "", cacheFolder);
  }
}

void DeleteRegistration(const CachedSetup& setup, RegistrationStore& registry) {
  for (RegistryRoot root : {RegistryRoot::kLocalMachine, RegistryRoot::kCurrentUser}) {
    // Empty names would address the parent keys that every product shares.
    if (!setup.title.empty()) registry.DeleteKey(root, kUninstallKey + setup.title);
    if (!setup.productCode.empty())
      registry.DeleteKey(root, kEngineCacheRegistryKey + setup.productCode);
  }
}

void WriteCache(const CachedSetup& setup, const std::string& cacheFolder,
                RegistrationServices& services, const TComponentTable& table,
                TVariableManager& vars) {
  FileSystem& files = services.files;
  files.MakeDirectories(cacheFolder);
  services.folders.SetCompression(cacheFolder, setup.compressCache);
  if (setup.buildKind == kBuildKindMediaBlocks && !setup.productCode.empty()) {
    WriteIntoCache(files, cacheFolder + setup.productCode, "");
  }
  const std::string base = cacheFolder + setup.baseName;
  CopyIntoCache(files, setup.exePath, cacheFolder + FileNameOf(setup.exePath));
  CopyIntoCache(files, setup.packagePath, base + ".msi");
  CopyIntoCache(files, setup.exeFolder + setup.baseName + ".res", base + ".res");
  CopyIntoCache(files, setup.exeFolder + "zeb.lib", cacheFolder + "zeb.lib");
  CopyIntoCache(files, setup.exeFolder + "setup.bmp", cacheFolder + "setup.bmp");

  files.SetNormalAttributes(base + ".dat");
  const std::string shortData =
      setup.dataFolder.empty() ? std::string() : services.folders.ShortPath(setup.dataFolder);
  SaveFeatureSelections(files, base + ".dat", /*forUser=*/false, /*full=*/true, shortData, table,
                        vars);
  WriteIntoCache(files, base + ".par", setup.propertyListText);
  if (!setup.language.empty()) {
    WriteIntoCache(files, base + ".lan", setup.language + "\r\n");
  } else {
    files.SetNormalAttributes(base + ".lan");
    files.RemoveFile(base + ".lan");
  }
}

// Deletes the cache folder; one still in use is moved aside and left to the
// next restart, so that a new cache of the same build can take its place.
void RemoveCache(const CachedSetup& setup, const std::string& cacheFolder,
                 RegistrationServices& services, CacheUpkeep& result) {
  FileSystem& files = services.files;
  if (setup.buildKind == kBuildKindMediaBlocks && !setup.productCode.empty()) {
    files.SetNormalAttributes(cacheFolder + setup.productCode);
    files.RemoveFile(cacheFolder + setup.productCode);
  }
  if (!files.DirectoryExists(cacheFolder)) return;
  EmptyFolder(files, cacheFolder, /*recurse=*/true);
  files.RemoveEmptyDirectory(cacheFolder);
  if (!files.DirectoryExists(cacheFolder)) return;

  for (int n = 0; n < kMaxMovedAsideNames; ++n) {
    const std::string aside = setup.cacheRoot + "~" + std::to_string(n);
    if (files.DirectoryExists(aside) || files.FileExists(aside)) continue;
    // A folder that cannot be moved stays where it is and is not scheduled:
    // a later cache of this build in the same place must survive the restart.
    if (!services.folders.MoveFolder(WithoutTrailingBackslashes(cacheFolder, 1), aside)) return;
    result.movedTo = aside;
    services.folders.DeleteAtRestart(aside + "\\" + FileNameOf(setup.exePath));
    services.folders.DeleteAtRestart(aside + "\\zeb.lib");
    services.folders.DeleteAtRestart(aside);
    return;
  }
}

}  // namespace

bool IsEngineCacheLocation(const std::string& root, const std::string& name) {
  if (name.empty() || name == "." || name == ".." ||
      name.find_first_of("\\/:*?\"<>|") != std::string::npos) {
    return false;
  }
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 0x20) return false;
  }
  if (root.empty() || root.back() != '\\') return false;
  const bool drive = root.size() >= 3 && AsciiLower(root[0]) >= 'a' && AsciiLower(root[0]) <= 'z' &&
                     root[1] == ':' && root[2] == '\\';
  const bool network = root.size() > 2 && root[0] == '\\' && root[1] == '\\' && root[2] != '\\';
  if (!drive && !network) return false;
  // No ".." steps: the folder must lie where the root says.
  return root.find("\\..\\") == std::string::npos;
}

CacheUpkeep UpdateCachedSetup(CacheOperation operation, const CachedSetup& setup,
                              RegistrationServices& services, const TComponentTable& table,
                              TVariableManager& vars) {
  CacheUpkeep result;
  FileSystem& files = services.files;
  const bool remove = operation == CacheOperation::kRemove;
  result.refused = !IsEngineCacheLocation(setup.cacheRoot, setup.revisionCode);
  if (result.refused) {
    // Without a sound cache folder nothing is written or deleted on disk; a
    // removal still takes the product's entries away.
    if (remove) {
      DeleteRegistration(setup, services.registry);
      result.removed = true;
    }
    return result;
  }
  const std::string cacheFolder = setup.cacheRoot + setup.revisionCode + "\\";
  result.cacheFolder = cacheFolder;

  const std::string advertised = cacheFolder + kAdvertisedFolder;
  if (operation == CacheOperation::kAdvertise) {
    files.MakeDirectories(advertised);
    services.folders.SetCompression(advertised, setup.compressCache);
  } else if (files.DirectoryExists(advertised)) {
    files.RemoveEmptyDirectory(advertised);
  }

  if (remove) {
    RemoveCache(setup, cacheFolder, services, result);
    result.removed = true;
    DeleteRegistration(setup, services.registry);
    return result;
  }

  WriteCache(setup, cacheFolder, services, table, vars);
  result.written = true;
  WriteRegistration(setup, cacheFolder, services);
  WriteIntoCache(files, cacheFolder + "instance.dat",
                 setup.productCode + "\r\n" + setup.revisionCode + "\r\n" + setup.title + "\r\n");
  return result;
}

CacheUpkeep UpkeepAfterSuccess(CacheOperation operation, const SetupScript& script,
                               TVariableManager& vars, RegistrationServices& services,
                               const std::string& packagePath) {
  RunIdentity& run = CurrentRun();
  CachedSetup setup;
  setup.productCode = run.productCode;
  setup.revisionCode = run.revisionCode;
  setup.title = vars.GetVariable("TITLE");
  setup.exePath = run.exePath;
  setup.exeFolder = run.exeFolder;
  setup.baseName = run.baseName;
  setup.packagePath = packagePath.empty() ? run.exeFolder + run.baseName + ".msi" : packagePath;
  setup.buildKind = run.buildKind;
  setup.allUsers = TextToBool(vars.GetVariable("ALLUSERS"));
  setup.compressCache = TextToBool(vars.GetVariable("VELD_COMPRESS_INSTALLER_CACHE"));
  setup.cacheRoot = EngineCacheRoot(setup.allUsers, services.system, vars);
  setup.installLocation = vars.ExpandPath("$TARGETDIR$");
  setup.registration = script.registration;
  setup.language = vars.GetVariable("LANGUAGE");
  setup.dataFolder = run.dataFolder;
  setup.propertyListText = Properties().SaveText();

  CacheUpkeep result = UpdateCachedSetup(operation, setup, services, Components(), vars);
  if (result.written) {
    written = true;
    run.engineCacheRemoved = false;
  }
  if (result.removed) run.engineCacheRemoved = true;
  return result;
}

bool EngineCacheWrittenThisRun() {
  return written;
}

void MarkEngineCacheWritten() {
  written = true;
}

void ResetEngineCacheWritten() {
  written = false;
}

}  // namespace vantrell
