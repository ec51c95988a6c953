// The .NET Framework tool statements against the runner twin: the split
// line, the display-name paths in the assembly cache, and for each
// statement the tool runs made (file, parameters, folder, hidden, waited
// with messages, inside the file view) with the 2.0 tool's exit codes that
// do and do not lead to the 1.1 tool.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "system/assembly_tool_statements.h"
#include "twins/memory_file_system.h"
#include "twins/program_runner_twin.h"
#include "twins/statement_test.h"

namespace vantrell {
namespace {

using testing::FakeProgramRunner;
using testing::MemoryFileSystem;
using Outcome = Launch::Outcome;

constexpr const char* kNew = "C:\\Windows\\Microsoft.NET\\Framework\\v2.0.50727\\";
constexpr const char* kOld = "C:\\Windows\\Microsoft.NET\\Framework\\v1.1.4322\\";

TEST(AssemblyTools, SplitLine) {
  struct Case {
    const char* line;
    const char* assembly;
    bool flag;
  } cases[] = {
      {"C:\\a.dll", "C:\\a.dll", true},      {"C:\\a.dll|", "C:\\a.dll", true},
      {"C:\\a.dll|TRUE", "C:\\a.dll", true}, {"C:\\a.dll|FALSE", "C:\\a.dll", false},
      {"C:\\a.dll|-1", "C:\\a.dll", true},   {"C:\\a.dll|no", "C:\\a.dll", false},
      {"a|FALSE|TRUE", "a", false},          {"", "", true},
  };
  for (const Case& c : cases) {
    const auto [assembly, flag] = SplitAssemblyLine(c.line);
    EXPECT_EQ(assembly, c.assembly) << c.line;
    EXPECT_EQ(flag, c.flag) << c.line;
  }
}

TEST(AssemblyTools, CachePaths) {
  const std::pair<const char*, const char*> cases[] = {
      {"Shop.Core, Version=1.2.0.0, Culture=neutral, PublicKeyToken=0123456789abcdef",
       "Shop.Core\\1.2.0.0__0123456789abcdef\\Shop.Core.dll"},
      {"Shop.Core,Version=1.2.0.0,PublicKeyToken=0123456789abcdef,Culture=neutral",
       "Shop.Core\\1.2.0.0__0123456789abcdef,Culture=neutral\\Shop.Core.dll"},
      {"Shop.Core,PublicKeyToken=ab,Version=3.0.0.0",
       "Shop.Core\\3.0.0.0__ab,Version=3.0.0.0\\Shop.Core.dll"},
      {"Shop.Core", "Shop.Core\\__\\Shop.Core.dll"},
  };
  for (const auto& [name, want] : cases) EXPECT_EQ(CacheRelativePath(name), want) << name;
  EXPECT_EQ(CacheCandidates("C:\\Windows", "A,Version=1,PublicKeyToken=t"),
            (std::vector<std::string>{"C:\\Windows\\assembly\\GAC_MSIL\\A\\1__t\\A.dll",
                                      "C:\\Windows\\assembly\\GAC_32\\A\\1__t\\A.dll",
                                      "C:\\Windows\\assembly\\GAC_64\\A\\1__t\\A.dll",
                                      "C:\\Windows\\assembly\\GAC\\A\\1__t\\A.dll"}));
}

class AssemblyToolTest : public testing::StatementTest {
 protected:
  void SetUp() override {
    RegisterAssemblyToolStatements(
        table, AssemblyToolServices{runner, files, [] { return std::string("C:\\Windows"); }});
    vars.AssignVariable("APP", "C:\\Program Files\\Shop", "Test");
  }
  // "file|parameters|folder" of every tool run.
  std::vector<std::string> Runs() const {
    std::vector<std::string> runs;
    for (const auto& start : runner.starts)
      runs.push_back(start.shell.file + "|" + start.shell.parameters + "|" + start.shell.folder);
    return runs;
  }
  void FirstToolAnswers(const std::string& tool, Launch launch) {
    runner.shellLaunchByFile[std::string(kNew) + tool] = launch;
  }

  MemoryFileSystem files;
  FakeProgramRunner runner;
};

TEST_F(AssemblyToolTest, EveryRunIsHiddenWaitedWithMessagesInTheFileView) {
  FirstToolAnswers("ngen.exe", {Outcome::kRan, 1});
  Run("Generate Native Images", {"$APP$\\Shop.dll"});
  ASSERT_EQ(runner.starts.size(), 2u);
  for (const auto& start : runner.starts) {
    EXPECT_TRUE(start.shell.hidden);
    EXPECT_TRUE(start.shell.wait);
    EXPECT_TRUE(start.shell.processMessages);
    EXPECT_EQ(start.openScopes, 1);
  }
  EXPECT_EQ(runner.openScopes, 0);
}

TEST_F(AssemblyToolTest, NativeImages) {
  struct Case {
    const char* line;
    Launch first;
    std::vector<std::string> runs;
  } cases[] = {
      {"$APP$\\Shop.dll",
       {Outcome::kRan, 0},
       {std::string(kNew) +
        "ngen.exe|install \"C:\\Program Files\\Shop\\Shop.dll\"|C:\\Program Files\\Shop\\"}},
      {"$APP$\\Shop.dll|FALSE",
       {Outcome::kRan, 1},
       {std::string(kNew) +
            "ngen.exe|uninstall \"C:\\Program Files\\Shop\\Shop.dll\"|C:\\Program Files\\Shop\\",
        std::string(kOld) +
            "ngen.exe|/delete \"C:\\Program Files\\Shop\\Shop.dll\"|C:\\Program Files\\Shop\\"}},
      {"$APP$\\Shop.dll|TRUE",
       {Outcome::kNotStarted, 0},
       {std::string(kNew) +
            "ngen.exe|install \"C:\\Program Files\\Shop\\Shop.dll\"|C:\\Program Files\\Shop\\",
        std::string(kOld) +
            "ngen.exe| \"C:\\Program Files\\Shop\\Shop.dll\"|C:\\Program Files\\Shop\\"}},
  };
  for (const Case& c : cases) {
    runner.starts.clear();
    FirstToolAnswers("ngen.exe", c.first);
    Run("Generate Native Images", {c.line});
    EXPECT_EQ(Runs(), c.runs) << c.line;
  }
}

TEST_F(AssemblyToolTest, InstallerClass) {
  struct Case {
    const char* flag;
    uint32_t firstExit;
    const char* parameters;
  } cases[] = {
      {"TRUE", 0, " \"C:\\Program Files\\Shop\\Shop.dll\""},
      {"", 0, "/u \"C:\\Program Files\\Shop\\Shop.dll\""},
      {"FALSE", 0, "/u \"C:\\Program Files\\Shop\\Shop.dll\""},
      {"TRUE", 5, " \"C:\\Program Files\\Shop\\Shop.dll\""},
  };
  for (const Case& c : cases) {
    runner.starts.clear();
    FirstToolAnswers("installutil.exe", {Outcome::kRan, c.firstExit});
    Run("Run .NET Installer Class", {"$APP$\\Shop.dll", c.flag});
    std::vector<std::string> want = {std::string(kNew) + "installutil.exe|" + c.parameters +
                                     "|C:\\Program Files\\Shop\\"};
    if (c.firstExit != 0)
      want.push_back(std::string(kOld) + "installutil.exe|" + c.parameters +
                     "|C:\\Program Files\\Shop\\");
    EXPECT_EQ(Runs(), want) << c.flag << c.firstExit;
  }
}

TEST_F(AssemblyToolTest, RegisterByPathAndByDisplayName) {
  const std::string gac32 = "C:\\Windows\\assembly\\GAC_32\\Shop\\1.0.0.0__ab12\\Shop.dll";
  const std::string gac = "C:\\Windows\\assembly\\GAC\\Shop\\1.0.0.0__ab12\\Shop.dll";
  files.AddFile(gac32, "");
  files.AddFile(gac, "");
  struct Case {
    const char* line;
    std::string parameters;
    std::string folder;
  } cases[] = {
      {"$APP$\\Shop.dll", "/tlb \"C:\\Program Files\\Shop\\Shop.dll\"",
       "C:\\Program Files\\Shop\\"},
      {"$APP$\\Shop.dll|FALSE", "/tlb /unregister \"C:\\Program Files\\Shop\\Shop.dll\"",
       "C:\\Program Files\\Shop\\"},
      // The first cache folder that holds it.
      {"Shop, Version=1.0.0.0, Culture=neutral, PublicKeyToken=ab12", "/tlb \"" + gac32 + "\"",
       "C:\\Windows\\assembly\\GAC_32\\Shop\\1.0.0.0__ab12\\"},
      // Fields after the token stay in it: no file, the name itself, no folder.
      {"Shop, Version=1.0.0.0, PublicKeyToken=ab12, processorArchitecture=x86",
       "/tlb \"Shop, Version=1.0.0.0, PublicKeyToken=ab12, processorArchitecture=x86\"", ""},
      {"Other, Version=1.0.0.0, PublicKeyToken=ab12|FALSE",
       "/tlb /unregister \"Other, Version=1.0.0.0, PublicKeyToken=ab12\"", ""},
  };
  for (const Case& c : cases) {
    runner.starts.clear();
    Run("Register Assembly", {c.line});
    EXPECT_EQ(Runs(), (std::vector<std::string>{std::string(kNew) + "regasm.exe|" + c.parameters +
                                                "|" + c.folder}))
        << c.line;
  }
}

TEST_F(AssemblyToolTest, RunAndWaitCodes) {
  const std::pair<Launch, int32_t> cases[] = {
      {{Outcome::kRan, 0}, 0},
      {{Outcome::kRan, 3}, 3},
      {{Outcome::kRan, 0xFFFFFFFF}, -1},
      {{Outcome::kNotStarted, 0}, -1},
  };
  for (const auto& [launch, want] : cases) {
    runner.shellLaunch = launch;
    EXPECT_EQ(RunAndWait(runner, "x.exe", "", "", true, false), want);
    EXPECT_FALSE(runner.starts.back().shell.hidden);
    EXPECT_FALSE(runner.starts.back().shell.wait);
  }
}

}  // namespace
}  // namespace vantrell
