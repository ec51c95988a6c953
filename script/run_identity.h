// The run's identity and its engine cache: product and revision codes and the
// title (from the script, or from instance.dat beside a cached engine), the
// default target folder, the data folders, the per-product engine cache
// folder under its root, and the installed size of a maintenance run.
#pragma once

#include <cstdint>
#include <string>

#include "common/file_system.h"
#include "common/system_facts.h"
#include "vars/variable_manager.h"

namespace vantrell {

struct RunIdentity {
  std::string productCode;
  std::string revisionCode;
  std::string title;
  std::string exePath;
  std::string exeFolder;
  std::string baseName;  // the engine's file name without extension
  int64_t buildKind = 0;
  std::string defaultTargetFolder;
  std::string dataFolder;
  std::string sourceDataFolder;    // build kind 2: the media's data folder
  std::string installedCacheName;  // build kind 3: the installed product's cache folder name
  uint64_t installedSize = 0;
  bool engineCacheRemoved = false;
  std::string installerDatabasePath;  // support folder + base name + ".msi"
  std::string sourcePathOverride;     // the command line's "/p=" folder
  bool selectionsLoaded = false;      // a maintenance run's saved selection is in the table
};

RunIdentity& CurrentRun();

constexpr const char* kEngineCacheRegistryKey = "SOFTWARE\\Corvatis\\Vantrell\\Ident.Cache\\";
constexpr const char* kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// The folder under which per-product engine caches live, with a trailing backslash.
std::string EngineCacheRoot(bool allUsers, SystemFacts& system, const TVariableManager& vars);

// The engine-cache registration is read once per identity; whoever writes or
// deletes it (the registration after Apply Changes) makes the next lookup read again.
void ForgetEngineCacheRegistration();

// EngineCacheRoot + the revision code (or, for a patch build, the installed cache name) + "\".
std::string EngineCacheFolder(bool allUsers, SystemFacts& system, const TVariableManager& vars);

// The all-users choice of the saved state: false when the per-user cache holds base name + ".dat".
bool StoredChoice(SystemFacts& system, FileSystem& files, const TVariableManager& vars);

// The file named by an UninstallString: the text between its first quote and
// the next one, or the whole text without quotes.
std::string UninstallTarget(const std::string& uninstallString);

}  // namespace vantrell
