// The .NET Framework tool statements (contract in assembly_tool_statements.h).
#include "system/assembly_tool_statements.h"

#include <utility>

#include "common/paths.h"
#include "system/run_statements.h"
#include "vars/variable_manager.h"

namespace vantrell {
namespace {

constexpr std::string_view kFramework20 = "Microsoft.NET\\Framework\\v2.0.50727\\";
constexpr std::string_view kFramework11 = "Microsoft.NET\\Framework\\v1.1.4322\\";
constexpr int32_t kToolNotStarted = -1;

std::string Quoted(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

// Runs a tool of the 2.0 framework and, when that does not give 0, the same
// tool of the 1.1 framework with its own parameters.
void RunWithFallback(AssemblyToolServices& services, std::string_view tool,
                     const std::string& parameters, const std::string& fallbackParameters,
                     const std::string& folder) {
  const std::string windows = WithTrailingBackslash(services.windowsFolder());
  const std::string first = windows + std::string(kFramework20) + std::string(tool);
  if (RunAndWait(services.runner, first, parameters, folder, false, true) == 0) return;
  const std::string fallback = windows + std::string(kFramework11) + std::string(tool);
  RunAndWait(services.runner, fallback, fallbackParameters, folder, false, true);
}

// The text after marker up to the next "," (or the end when toEnd).
std::string FieldAfter(std::string_view text, std::string_view marker, bool toEnd) {
  const size_t at = text.find(marker);
  if (at == std::string_view::npos) return {};
  const std::string_view rest = text.substr(at + marker.size());
  return std::string(toEnd ? rest : rest.substr(0, rest.find(',')));
}

}  // namespace

int32_t RunAndWait(ProgramRunner& runner, const std::string& file, const std::string& parameters,
                   const std::string& folder, bool show, bool wait) {
  ShellRequest request{file, parameters, folder, !show, wait};
  request.processMessages = true;
  const Launch launch = runner.ShellExecuteAndWait(request);
  if (launch.outcome != Launch::Outcome::kRan) return kToolNotStarted;
  return static_cast<int32_t>(launch.exitStatus);
}

std::pair<std::string, bool> SplitAssemblyLine(std::string_view line) {
  const size_t bar = line.find('|');
  if (bar == std::string_view::npos) return {std::string(line), true};
  const std::string_view flag = line.substr(bar + 1);
  return {std::string(line.substr(0, bar)), flag.empty() || TextToBool(flag)};
}

std::string CacheRelativePath(std::string_view displayName) {
  const std::string name(displayName.substr(0, displayName.find(',')));
  const std::string version = FieldAfter(displayName, "Version=", false);
  const std::string token = FieldAfter(displayName, "PublicKeyToken=", true);
  return name + "\\" + version + "__" + token + "\\" + name + ".dll";
}

std::vector<std::string> CacheCandidates(std::string_view windowsFolder,
                                         std::string_view displayName) {
  const std::string base = WithTrailingBackslash(std::string(windowsFolder)) + "assembly\\";
  const std::string relative = CacheRelativePath(displayName);
  std::vector<std::string> candidates;
  for (const char* cache : {"GAC_MSIL\\", "GAC_32\\", "GAC_64\\", "GAC\\"}) {
    std::string path = base;
    path += cache;
    path += relative;
    candidates.push_back(std::move(path));
  }
  return candidates;
}

void ExecuteGenerateNativeImages(StatementContext& s, AssemblyToolServices& services) {
  const auto view = services.runner.NativeFileSystem();
  const auto [assembly, install] = SplitAssemblyLine(s.Parameter(1));
  const std::string path = s.vars.ExpandVariables(assembly);
  RunWithFallback(services, "ngen.exe",
                  std::string(install ? "install" : "uninstall") + " " + Quoted(path),
                  std::string(install ? "" : "/delete") + " " + Quoted(path), ProgramFolder(path));
}

void ExecuteRunInstallerClass(StatementContext& s, AssemblyToolServices& services) {
  const auto view = services.runner.NativeFileSystem();
  const std::string path = s.Expanded(1);
  const bool install = TextToBool(s.vars.ExpandPath(s.Expanded(2)));
  // An install run passes a blank before the quoted path.
  const std::string parameters = std::string(install ? "" : "/u") + " " + Quoted(path);
  RunWithFallback(services, "installutil.exe", parameters, parameters, ProgramFolder(path));
}

void ExecuteRegisterAssembly(StatementContext& s, AssemblyToolServices& services) {
  const auto view = services.runner.NativeFileSystem();
  const auto [assembly, registering] = SplitAssemblyLine(s.Parameter(1));
  std::string path = s.vars.ExpandVariables(assembly);
  if (ProgramFolder(path).empty()) {
    // A display name: the first cache folder that holds it gives the file.
    for (const std::string& candidate : CacheCandidates(services.windowsFolder(), path)) {
      if (services.files.FileExists(candidate)) {
        path = candidate;
        break;
      }
    }
  }
  const std::string parameters =
      std::string(registering ? "/tlb" : "/tlb /unregister") + " " + Quoted(path);
  RunWithFallback(services, "regasm.exe", parameters, parameters, ProgramFolder(path));
}

void RegisterAssemblyToolStatements(StatementTable& table, AssemblyToolServices services) {
  table.Register("Generate Native Images", [services](StatementContext& s) mutable {
    ExecuteGenerateNativeImages(s, services);
  });
  table.Register("Run .NET Installer Class", [services](StatementContext& s) mutable {
    ExecuteRunInstallerClass(s, services);
  });
  table.Register("Register Assembly",
                 [services](StatementContext& s) mutable { ExecuteRegisterAssembly(s, services); });
}

}  // namespace vantrell
