// "Remove Assemblies" with twins for the package, the tool and the runs: the
// tool goes into the support folder, one run per assembly in its folder, and
// the 1.1 framework's tool repeats the pass when the last run failed.
#include <gtest/gtest.h>

#include "msi/remove_assemblies.h"
#include "script/run_identity.h"
#include "twins/statement_test.h"

namespace vantrell {
namespace {

struct ToolRun {
  std::string program, parameters, folder;
  bool operator==(const ToolRun&) const = default;
};

struct RemovalCase {
  const char* name;
  std::vector<CacheAssembly> assemblies;
  std::vector<std::optional<uint32_t>> exits;  // answer per run, in order; the last repeats
  std::vector<ToolRun> want;
};

const char* kTool = "C:\\Temp\\{S}\\gacutil.exe";
const char* kOld = "C:\\Windows\\Microsoft.NET\\Framework\\v1.1.4322\\gacutil.exe";
const char* kOldFolder = "C:\\Windows\\Microsoft.NET\\Framework\\v1.1.4322\\";
const CacheAssembly kShop{"Shop.Core", "1.2.0.0"};
const CacheAssembly kData{"Shop.Data", "1.2.0.0"};

TEST(RemoveAssemblies, PassesAndFallBack) {
  const RemovalCase cases[] = {
      {"NothingToRemove", {}, {}, {}},
      {"EachAssemblyOnce",
       {kShop, kData},
       {0u},
       {{kTool, "/u Shop.Core,Version=1.2.0.0", "C:\\Temp\\{S}\\"},
        {kTool, "/u Shop.Data,Version=1.2.0.0", "C:\\Temp\\{S}\\"}}},
      // Only the last run's code counts: a first failure alone does not repeat.
      {"FirstFailsLastSucceeds",
       {kShop, kData},
       {1u, 0u},
       {{kTool, "/u Shop.Core,Version=1.2.0.0", "C:\\Temp\\{S}\\"},
        {kTool, "/u Shop.Data,Version=1.2.0.0", "C:\\Temp\\{S}\\"}}},
      {"LastFailsRepeatsWithTheOldTool",
       {kShop, kData},
       {0u, 5u, 0u},
       {{kTool, "/u Shop.Core,Version=1.2.0.0", "C:\\Temp\\{S}\\"},
        {kTool, "/u Shop.Data,Version=1.2.0.0", "C:\\Temp\\{S}\\"},
        {kOld, "/u Shop.Core,Version=1.2.0.0", kOldFolder},
        {kOld, "/u Shop.Data,Version=1.2.0.0", kOldFolder}}},
      {"ToolDidNotStart",
       {kShop},
       {std::nullopt, 1u},
       {{kTool, "/u Shop.Core,Version=1.2.0.0", "C:\\Temp\\{S}\\"},
        {kOld, "/u Shop.Core,Version=1.2.0.0", kOldFolder}}},
  };
  for (const RemovalCase& c : cases) {
    std::vector<ToolRun> runs;
    std::vector<std::string> toolFolders;
    std::vector<std::string> packages;
    AssemblyRemovalServices services;
    services.packageAssemblies = [&](const std::string& package) {
      packages.push_back(package);
      return c.assemblies;
    };
    services.writeCacheTool = [&](const std::string& folder) {
      toolFolders.push_back(folder);
      return folder + "gacutil.exe";
    };
    services.runHidden = [&](const std::string& program, const std::string& parameters,
                             const std::string& folder) -> std::optional<uint32_t> {
      runs.push_back({program, parameters, folder});
      return c.exits[std::min(runs.size(), c.exits.size()) - 1];
    };
    services.windowsFolder = [] { return std::string("C:\\Windows"); };
    CurrentRun() = RunIdentity{};
    CurrentRun().installerDatabasePath = "C:\\Temp\\{S}\\setup.msi";
    testing::StatementRunner statements(/*silent=*/true);
    statements.vars.PutVariable("SUPPORTDIR", "C:\\Temp\\{S}");
    RegisterRemoveAssemblies(statements.table, services);
    statements.Run("Remove Assemblies");
    EXPECT_EQ(packages, std::vector<std::string>{"C:\\Temp\\{S}\\setup.msi"}) << c.name;
    // The tool is written each time, also when there is nothing to remove.
    EXPECT_EQ(toolFolders, std::vector<std::string>{"C:\\Temp\\{S}\\"}) << c.name;
    EXPECT_EQ(runs, c.want) << c.name;
  }
  CurrentRun() = RunIdentity{};
}

}  // namespace
}  // namespace vantrell
