// The Windows side of "Remove Assemblies": the package's assembly rows read
// through the installer library, and the engine's assembly cache tool
// written from the engine's resources.
#pragma once

#include <string>
#include <vector>

#include "msi/remove_assemblies.h"

namespace vantrell {

// Resource names of the tool and its configuration file (raw data).
inline constexpr const char* kCacheToolResource = "GACUTIL";
inline constexpr const char* kCacheToolConfigResource = "GACUTILCONFIG";

std::vector<CacheAssembly> ReadPackageAssemblies(const std::string& packagePath);

// Writes "gacutil.exe" and "gacutil.exe.config" into folder; the tool's path.
std::string WriteAssemblyCacheTool(const std::string& folder);

}  // namespace vantrell
