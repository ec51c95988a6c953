// Keeping and registering the setup after a successful installer run: the
// engine cache folder with the engine, package, support files and state, the
// product's uninstall entries and the engine-cache registration; after a
// removal, deleting both again. Only a folder named exactly like the revision
// code directly under an absolute cache root is ever written or deleted.
#pragma once

#include <cstdint>
#include <string>

#include "common/file_system.h"
#include "common/registration_store.h"
#include "common/system_facts.h"
#include "components/component_table.h"
#include "script/script_reader.h"
#include "vars/variable_manager.h"

namespace vantrell {

enum class CacheOperation { kInstall, kAdvertise, kRemove };

// Everything the upkeep needs to know about the run.
struct CachedSetup {
  std::string productCode;
  std::string revisionCode;
  std::string title;        // TITLE
  std::string exePath;      // the running engine
  std::string exeFolder;    // where the support archive, zeb.lib and setup.bmp lie
  std::string baseName;     // the engine's file name without extension
  std::string packagePath;  // the package to keep as base name + ".msi"
  int64_t buildKind = 0;
  bool allUsers = false;        // ALLUSERS by the truth rule
  bool compressCache = true;    // VELD_COMPRESS_INSTALLER_CACHE by the truth rule
  std::string cacheRoot;        // engine cache root for allUsers, trailing backslash
  std::string installLocation;  // TARGETDIR expanded as a path
  RegistrationLines registration;
  std::string language;          // the chosen language; empty when none
  std::string dataFolder;        // written in its short form into the ".dat" file
  std::string propertyListText;  // the ".par" file's text
};

struct CacheUpkeep {
  std::string cacheFolder;
  bool written = false;  // install or advertise wrote the cache
  bool removed = false;  // the removal counts as complete
  std::string movedTo;   // where a folder in use was moved, without trailing backslash
  bool refused = false;  // the cache path was not a valid engine cache: left alone
};

struct RegistrationServices {
  FileSystem& files;
  SystemFacts& system;  // registry reads (engine cache root)
  RegistrationStore& registry;
  CacheFolderSystem& folders;
  PlatformFamily platform;
};

// True when root is absolute ("X:\..." or "\\server\share\...") and name is a
// plain folder name: the pair can only mean a folder of the cache root.
bool IsEngineCacheLocation(const std::string& root, const std::string& name);

// The upkeep for an already gathered run; table and vars give the ".dat".
CacheUpkeep UpdateCachedSetup(CacheOperation operation, const CachedSetup& setup,
                              RegistrationServices& services, const TComponentTable& table,
                              TVariableManager& vars);

// The upkeep for the engine's run: gathers CachedSetup from the run identity,
// the variables and the script, runs it, and sets the engine-cache-removed and
// cache-written flags. packagePath empty: the package beside the executable.
CacheUpkeep UpkeepAfterSuccess(CacheOperation operation, const SetupScript& script,
                               TVariableManager& vars, RegistrationServices& services,
                               const std::string& packagePath = {});

// True once this run wrote the engine cache, so the end-of-run save is a full one.
bool EngineCacheWrittenThisRun();
void MarkEngineCacheWritten();
void ResetEngineCacheWritten();

}  // namespace vantrell
