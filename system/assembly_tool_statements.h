// "Generate Native Images", "Run .NET Installer Class" and "Register
// Assembly": the .NET Framework's command-line tools run hidden on an
// assembly already on the machine, each waited for; when the 2.0 framework's
// tool fails or cannot be started, the 1.1 framework's tool runs instead.
// Nothing is reported and nothing fails; the whole statement runs in the
// 64-bit file view of the target platform.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/file_system.h"
#include "script/statements.h"
#include "system/program_runner.h"

namespace vantrell {

struct AssemblyToolServices {
  ProgramRunner& runner;
  FileSystem& files;
  std::function<std::string()> windowsFolder;
};

// Asks the shell to open the file (verb "open", then the default verb) and
// waits for it while window messages are handled; the exit code, or -1 when
// it could not be started.
int32_t RunAndWait(ProgramRunner& runner, const std::string& file, const std::string& parameters,
                   const std::string& folder, bool show, bool wait);

// Line 1 of "Generate Native Images" and "Register Assembly": the assembly
// before the first "|" and the flag after it; an empty flag counts as true.
std::pair<std::string, bool> SplitAssemblyLine(std::string_view line);

// The cache-relative file of an assembly display name:
// name\version__token\name.dll, the culture not used.
std::string CacheRelativePath(std::string_view displayName);

// The paths the display name may have below the Windows folder's assembly
// cache, in the order they are tried.
std::vector<std::string> CacheCandidates(std::string_view windowsFolder,
                                         std::string_view displayName);

void ExecuteGenerateNativeImages(StatementContext& s, AssemblyToolServices& services);
void ExecuteRunInstallerClass(StatementContext& s, AssemblyToolServices& services);
void ExecuteRegisterAssembly(StatementContext& s, AssemblyToolServices& services);

// The services' references must outlive the registrations.
void RegisterAssemblyToolStatements(StatementTable& table, AssemblyToolServices services);

}  // namespace vantrell
