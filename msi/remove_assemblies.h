// "Remove Assemblies": removes the .NET assemblies that the package installs
// into the global assembly cache, with the engine's own assembly cache tool
// written into the support folder, and once more with the 1.1 framework's
// tool when the last removal failed. Nothing here stops the script.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "script/statements.h"

namespace vantrell {

struct CacheAssembly {
  std::string name;
  std::string version;
};

struct AssemblyRemovalServices {
  // The package's MsiAssembly components with their MsiAssemblyName "Name"
  // and "Version" values; empty when the package cannot be read.
  std::function<std::vector<CacheAssembly>(const std::string& packagePath)> packageAssemblies;
  // Writes the engine's tool and its configuration file into the folder,
  // overwriting earlier copies; the tool's path.
  std::function<std::string(const std::string& folder)> writeCacheTool;
  // Runs a program hidden in a folder and waits for it: its exit code, or
  // nullopt when it did not start.
  std::function<std::optional<uint32_t>(const std::string& program, const std::string& parameters,
                                        const std::string& folder)>
      runHidden;
  std::function<std::string()> windowsFolder;
};

// The tool's parameters for one assembly: "/u NAME,Version=VERSION".
std::string CacheToolParameters(const CacheAssembly& assembly);

void ExecuteRemoveAssemblies(StatementContext& statement, const AssemblyRemovalServices& services,
                             const std::string& packagePath);

// Registers the statement on the package of the current run.
void RegisterRemoveAssemblies(StatementTable& table, AssemblyRemovalServices services);

}  // namespace vantrell
