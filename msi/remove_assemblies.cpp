// "Remove Assemblies" (contract in remove_assemblies.h).
#include "msi/remove_assemblies.h"

#include <utility>

#include "common/paths.h"
#include "script/run_identity.h"

namespace vantrell {
namespace {

constexpr const char* kFrameworkOneOneTool = "Microsoft.NET\\Framework\\v1.1.4322\\gacutil.exe";

// One pass over the assemblies: true when the last run ended with 0.
bool RemoveWith(const std::string& tool, const std::vector<CacheAssembly>& assemblies,
                const AssemblyRemovalServices& services) {
  std::optional<uint32_t> last = 0;
  const std::string folder = FolderPart(tool);
  for (const CacheAssembly& assembly : assemblies) {
    last = services.runHidden(tool, CacheToolParameters(assembly), folder);
  }
  return last && *last == 0;
}

}  // namespace

std::string CacheToolParameters(const CacheAssembly& assembly) {
  return "/u " + assembly.name + ",Version=" + assembly.version;
}

void ExecuteRemoveAssemblies(StatementContext& statement, const AssemblyRemovalServices& services,
                             const std::string& packagePath) {
  // A run without the package side (no installer library) has nothing to remove.
  if (!services.packageAssemblies || !services.writeCacheTool || !services.runHidden) return;
  const std::vector<CacheAssembly> assemblies = services.packageAssemblies(packagePath);
  const std::string tool =
      services.writeCacheTool(WithTrailingBackslash(statement.vars.GetVariable("SUPPORTDIR")));
  if (RemoveWith(tool, assemblies, services)) return;
  RemoveWith(WithTrailingBackslash(services.windowsFolder()) + kFrameworkOneOneTool, assemblies,
             services);
}

void RegisterRemoveAssemblies(StatementTable& table, AssemblyRemovalServices services) {
  table.Register("Remove Assemblies",
                 [services = std::move(services)](StatementContext& statement) {
                   ExecuteRemoveAssemblies(statement, services, CurrentRun().installerDatabasePath);
                 });
}

}  // namespace vantrell
