// The folders an installer run hands to Windows Installer and the property
// command line it passes: short (8.3) folder forms through an injected path
// service, the source list, the media path, and the `NAME=value ` items.
// Pure text work; the platform side supplies the short-path and folder calls.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "vars/variable_manager.h"

namespace vantrell {

enum class InstallerOperation { kPackage, kPatch };

// The file-system questions the path preparation asks.
struct InstallerPathService {
  // The short form of an existing path, or nothing when the system has none.
  std::function<std::optional<std::string>(std::string_view path)> shortPath;
  std::function<bool(std::string_view folder)> folderExists;
  // Failures are ignored by the caller; the folder is simply tested again.
  std::function<void(std::string_view folder)> createFolder;
};

struct InstallerPaths {
  std::string packageFolder;      // folder of the package, trailing backslash
  std::string dataFolder;         // trailing backslash
  std::string setupSourceFolder;  // trailing backslash
  std::string mediaPath;          // data folder without its last component and drive
  bool packageQuote = false;      // package folder may hold a blank
  bool sourceQuote = false;       // data or setup source folder may hold a blank
};

// `C:\Setups\Product\data\` gives `\Setups\Product\`; a UNC drive part
// ("\\server\share") is dropped like a drive letter.
std::string MediaPathOfDataFolder(std::string_view dataFolder);

// Replaces the folders by their short forms where the system has one and sets
// the quote flags: package folder always; for a patch the setup source folder
// when it exists, for a package the data folder is created when missing; then
// the data folder when it exists. Computes the media path last.
InstallerPaths PrepareInstallerPaths(InstallerOperation operation, std::string_view packagePath,
                                     std::string_view dataFolder,
                                     std::string_view setupSourceFolder,
                                     const InstallerPathService& service);

// True when a command-line value must be put between double quotes whatever
// the quote flags say: empty, or holding a blank, a tab or a double quote.
bool CommandLineValueNeedsQuotes(std::string_view value);

// `"value"` with inner double quotes doubled.
std::string QuoteCommandLineValue(std::string_view value);

// Data folder + ";" + package folder, quoted when either quote flag is set
// (or when the text itself needs quotes).
std::string ComposeSourceList(const InstallerPaths& paths);

// The store's values that the command line depends on, read exactly as stored.
struct CommandLineVariables {
  std::string allUsers;               // `ALLUSERS`
  std::string disableRollback;        // `VELD_DISABLE_ROLLBACK`
  std::string disableRestartManager;  // `VELD_DISABLE_VISTA_RESTART_MANAGER`
};
CommandLineVariables ReadCommandLineVariables(const TVariableManager& vars);

struct CommandLineRequest {
  InstallerOperation operation = InstallerOperation::kPackage;
  bool install = false;    // install flag (also set when advertising)
  bool advertise = false;  // neither install nor remove was asked
  bool productInstalled = false;
  bool cacheHasAdvertisedFolder = false;  // the engine cache folder holds `__ad`
  bool windows9x = false;                 // Windows 95 family
  std::string targetFolder;
  InstallerPaths paths;
  CommandLineVariables variables;
};

// Which installer call the command line goes to.
enum class InstallerCall {
  kApplyPatch,           // source list additions, then MsiApplyPatchA
  kInstallProduct,       // MsiInstallProductA with busy retry
  kRemoveThroughPackage  // Windows 95 family: package handle, properties, "INSTALL"
};

struct PropertyCommandLine {
  InstallerCall call = InstallerCall::kInstallProduct;
  std::string text;  // `NAME=value ` items; empty for kRemoveThroughPackage
};

PropertyCommandLine ComposePropertyCommandLine(const CommandLineRequest& request);

// The properties set through the package handle for a removal on the Windows
// 95 family, in call order. Values are plain property values (never quoted:
// quotes would become part of the folder).
std::vector<std::pair<std::string, std::string>> PackageRemovalProperties(
    const CommandLineRequest& request);

}  // namespace vantrell
