// The statement loop against a recording host: block movement, wizard loops,
// labels, termination, the error path, dispatch rules and refresh steps.
// "Set Variable" is replaced by a probe that records which statements ran.
#include <gtest/gtest.h>

#include <deque>

#include "common/engine_error.h"
#include "common/trace_log.h"
#include "engine/run_session.h"
#include "script/run_identity.h"
#include "script/statements.h"
#include "twins/memory_file_system.h"
#include "twins/recording_host.h"
#include "twins/script_builder.h"

namespace vantrell {
namespace {

using testing::MemoryFileSystem;
using testing::ProcessTerminated;
using testing::RecordingHost;
using testing::ScriptBuilder;

testing::Latin1Codec codec;

class InterpreterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    files.AddFile("C:\\Temp\\zeb1\\setup.msi", "msi");
    table.Register("Set Variable", [this](StatementContext& s) {
      ran.push_back(s.Parameter(1));
      if (!s.Parameter(2).empty()) s.vars.AssignVariable(s.Parameter(1), s.Expanded(2), s.Origin());
    });
    table.Register("Display Dialog", [this](StatementContext& s) {
      ran.push_back(s.Parameter(1));
      int step = 1;
      if (!outcomes.empty()) {
        step = outcomes.front();
        outcomes.pop_front();
      }
      if (s.run.InWizardLoop()) s.run.SetWizardStep(step);
    });
    table.Register("Hide Dialog", [](StatementContext&) { throw std::runtime_error("boom"); });
  }

  int Run(const ScriptBuilder& builder, bool silent = false) {
    script = builder.Build();
    commandLine.silent = silent;
    RunScriptContext context{script, "C:\\Temp\\zeb1\\setup.msi", "C:\\Setup\\", files};
    context.commandLine = &commandLine;
    context.statements = &table;
    context.system = system;
    return RunScript(context, host, Variables());
  }

  static std::vector<std::string> If(const char* var, const char* code, const char* value,
                                     const char* expected = "TRUE") {
    return {var, code, value, expected};
  }
  static std::vector<std::string> Mark(const char* name) { return {name, ""}; }
  // Statements read their parameters by position, so each carries its full set.
  static std::vector<std::string> Dialog(const char* name) {
    return {name, "", "TRUE", "", "TRUE", "FALSE"};
  }

  MemoryFileSystem files;
  SystemFacts* system = nullptr;
  StatementTable table;
  RecordingHost host;
  CommandLine commandLine;
  SetupScript script;
  std::vector<std::string> ran;
  std::deque<int> outcomes;
};

TEST_F(InterpreterTest, Branches) {
  struct Case {
    const char* name;
    ScriptBuilder script;
    std::vector<std::string> want;
  };
  const std::vector<Case> cases = {
      {"false if without else continues after its End, nested blocks counted",
       ScriptBuilder()
           .Add("If", If("TITLE", "0", "nope"))
           .Add("Set Variable", Mark("a"))
           .Add("If", If("TITLE", "0", "Test Product"))
           .Add("Set Variable", Mark("b"))
           .Add("End")
           .Off("End")
           .Add("End")
           .Add("Set Variable", Mark("after")),
       {"after"}},
      {"true if skips its else branch",
       ScriptBuilder()
           .Add("If", If("TITLE", "0", "Test Product"))
           .Add("Set Variable", Mark("then"))
           .Add("Else")
           .Add("Set Variable", Mark("else"))
           .Add("End")
           .Add("Set Variable", Mark("after")),
       {"then", "after"}},
      {"only the true else-if branch runs",
       ScriptBuilder()
           .Add("If", If("TITLE", "0", "x"))
           .Add("Set Variable", Mark("if"))
           .Add("Else If", If("TITLE", "4", "TEST PRODUCT"))
           .Add("Set Variable", Mark("elseif"))
           .Add("Else If", If("TITLE", "4", "TEST PRODUCT"))
           .Add("Set Variable", Mark("elseif2"))
           .Add("Else")
           .Add("Set Variable", Mark("else"))
           .Add("End")
           .Add("Set Variable", Mark("after")),
       {"elseif", "after"}},
      {"negated condition and else branch",
       ScriptBuilder()
           .Add("If", If("TITLE", "0", "Test Product", "FALSE"))
           .Add("Set Variable", Mark("if"))
           .Add("Else")
           .Add("Set Variable", Mark("else"))
           .Add("End"),
       {"else"}},
      {"an else-if after a nested false block still sees its own branch ran",
       ScriptBuilder()
           .Add("If", If("TITLE", "0", "Test Product"))
           .Add("If", If("TITLE", "0", "x"))
           .Add("Set Variable", Mark("inner"))
           .Add("End")
           .Add("Set Variable", Mark("outer"))
           .Add("Else If", If("TITLE", "0", "Test Product"))
           .Add("Set Variable", Mark("wrong"))
           .Add("End")
           .Add("Set Variable", Mark("after")),
       {"outer", "after"}},
      {"switched-off statements never run or count",
       ScriptBuilder()
           .Off("If", If("TITLE", "0", "x"))
           .Off("Set Variable", Mark("off"))
           .Add("Set Variable", Mark("on"))
           .Add("Ignore")
           .Add("Set Variable", Mark("last")),
       {"on", "last"}},
      {"every statement switched off",
       ScriptBuilder().Off("Set Variable", Mark("x")).Off("Set Variable", Mark("y")),
       {}},
      {"goto into a block clears it; a later End does nothing",
       ScriptBuilder()
           .Add("GoTo Label", {"there"})
           .Add("Set Variable", Mark("skipped"))
           .Add("Label", {"THERE"})
           .Add("Set Variable", Mark("at label"))
           .Add("If", If("TITLE", "0", "Test Product"))
           .Add("Set Variable", Mark("in if"))
           .Add("End")
           .Add("Set Variable", Mark("after")),
       {"at label", "in if", "after"}},
      {"terminate install ends the loop",
       ScriptBuilder()
           .Add("Set Variable", Mark("one"))
           .Add("Terminate Install")
           .Add("Set Variable", Mark("two")),
       {"one"}},
      {"built-in names are case-sensitive; plug-in names are not and come first",
       ScriptBuilder()
           .Plugin("SET VARIABLE")
           .Add("set variable", Mark("lower"))
           .Add("Set Variable", Mark("plugin"))
           .Add("Code Folding Region")
           .Add("Unknown Thing"),
       {}},
  };
  for (const Case& c : cases) {
    ran.clear();
    EXPECT_EQ(Run(c.script), 0) << c.name;
    EXPECT_EQ(ran, c.want) << c.name;
    EXPECT_TRUE(host.errors.empty())
        << c.name << ": " << (host.errors.empty() ? "" : host.errors[0]);
  }
}

TEST_F(InterpreterTest, WizardLoops) {
  auto wizard = [] {
    return ScriptBuilder()
        .Add("Wizard Loop")
        .Add("Display Dialog", Dialog("A"))
        .Add("Display Dialog", Dialog("B"))
        .Add("Comment")
        .Off("Display Dialog", Dialog("off"))
        .Add("Display Dialog", Dialog("C"))
        .Add("End")
        .Add("Set Variable", Mark("after"));
  };
  struct Case {
    const char* name;
    std::deque<int> outcomes;
    std::vector<std::string> want;
  } cases[] = {
      {"next, next, back, next, next", {1, 1, -1, 1, 1}, {"A", "B", "C", "B", "C", "after"}},
      {"back on the first dialog leaves", {-1}, {"A", "after"}},
      {"cancel leaves at once", {1, 0}, {"A", "B", "after"}},
  };
  for (const Case& c : cases) {
    ran.clear();
    outcomes = c.outcomes;
    EXPECT_EQ(Run(wizard()), 0) << c.name;
    EXPECT_EQ(ran, c.want) << c.name;
  }
}

TEST_F(InterpreterTest, ExitCodes) {
  Variables().ClearVariables();
  struct Case {
    const char* parameter;
    int want;
  } cases[] = {{"7", 7}, {"$CODE$", 42}, {"not a number", 0}, {"", 0}, {"-3", -3}};
  for (const Case& c : cases) {
    ScriptBuilder b;
    b.Add("Set Variable", {"CODE", "42"})
        .Add("Terminate with Exit Code", {c.parameter})
        .Add("Set Variable", Mark("no"));
    ran.clear();
    EXPECT_EQ(Run(b), c.want) << c.parameter;
    EXPECT_EQ(ran, std::vector<std::string>{"CODE"});
  }
}

// A system whose registry fails while the run is initialised.
class FailingRegistry final : public SystemFacts {
 public:
  bool IsAdministrator() override { return false; }
  std::string Folder(SpecialFolder) override { return {}; }
  std::optional<std::string> ReadRegistryString(RegistryRoot, const std::string&,
                                                const std::string& value) override {
    if (value == "RegisteredOwner") throw EngineError("registry unreadable");
    return std::nullopt;
  }
  void DeleteRegistryValue(RegistryRoot, const std::string&, const std::string&) override {}
  void HideAndCompressFolder(const std::string&, bool) override {}
};

TEST_F(InterpreterTest, AnInitialisationErrorIsShownOnlyInAnInteractiveRun) {
  FailingRegistry failing;
  system = &failing;
  ScriptBuilder b;
  b.Add("Set Variable", Mark("never"));
  EXPECT_EQ(Run(b, /*silent=*/true), 0);
  EXPECT_TRUE(host.errors.empty());
  EXPECT_EQ(Run(b, /*silent=*/false), 0);
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_NE(host.errors[0].find("Line 0: registry unreadable"), std::string::npos)
      << host.errors[0];
  EXPECT_TRUE(ran.empty());
}

TEST_F(InterpreterTest, StatementsSeeTheRunsPackageAndSourceOverride) {
  commandLine.sourcePath = "E:\\Sources\\";
  std::string package;
  std::string sources;
  table.Register("Hide Dialog", [&](StatementContext&) {
    package = CurrentRun().installerDatabasePath;
    sources = CurrentRun().sourcePathOverride;
  });
  Run(ScriptBuilder().Add("Hide Dialog"));
  EXPECT_EQ(package, "C:\\Temp\\zeb1\\setup.msi");
  EXPECT_EQ(sources, "E:\\Sources\\");
}

TEST_F(InterpreterTest, ErrorPath) {
  ScriptBuilder b;
  for (int i = 0; i < 11; ++i) b.Add("Comment");
  b.Add("Hide Dialog").Add("Set Variable", Mark("never"));
  EXPECT_EQ(Run(b), 0);
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_EQ(host.errors[0],
            "Test Product - Vantrell Wizard|Runtime error in setup script:\r\rLine 12: boom");
  EXPECT_TRUE(ran.empty());

  host.errors.clear();
  EXPECT_EQ(Run(b, /*silent=*/true), 0);
  EXPECT_TRUE(host.errors.empty());

  // A skip that runs off the script is reported at the statement that started it.
  host.errors.clear();
  ScriptBuilder past;
  past.Add("End").Add("If", If("TITLE", "0", "x")).Add("Set Variable", Mark("never"));
  EXPECT_EQ(Run(past), 0);
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_NE(host.errors[0].find("\r\rLine 2: Unexpected end of script"), std::string::npos)
      << host.errors[0];
}

TEST_F(InterpreterTest, CompileFailureTerminatesWith314) {
  ScriptBuilder b;
  b.Add("If", If("TITLE", "0", "x")).Add("Set Variable", Mark("x"));
  try {
    Run(b);
    FAIL() << "no termination";
  } catch (const ProcessTerminated& t) {
    EXPECT_EQ(t.code, 314);
  }
  EXPECT_EQ(LastCompileResult().message, "Insufficient END statements");
  EXPECT_TRUE(ran.empty());
}

TEST_F(InterpreterTest, MessagesArePumpedEvery314Statements) {
  ScriptBuilder b;
  for (int i = 0; i < 700; ++i) b.Add("Comment");
  Run(b);
  EXPECT_EQ(host.pumps, 3);  // before statements 1, 315 and 629
}

TEST_F(InterpreterTest, RefreshStepsFollowVariables) {
  files.AddFolder("C:\\logs");
  TraceLog trace(files, codec);
  InstallTraceLog(&trace);
  ScriptBuilder b;
  b.Add("Set Variable", {"LOGGED", "C:\\logs\\run.log"})
      .Add("Set Variable", {"T1", "$TIME$"})
      .Add("Set Variable", {"T2", "$TIME$"});
  commandLine.logPath = "";
  Run(b);
  InstallTraceLog(nullptr);
  EXPECT_NE(Variables().GetVariable("T1"), Variables().GetVariable("T2"));
  EXPECT_EQ(Variables().GetVariable("DATE"), "10.12.2026");
  // The trace follows LOGGED from the statement after the one that set it.
  const auto* log = files.Find("C:\\logs\\run.log");
  ASSERT_NE(log, nullptr);
  EXPECT_EQ(log->bytes,
            testing::Utf16Bytes("    </veld>\r\n    <ExitScript>\r\n    </ExitScript>\r\n"));
}

TEST_F(InterpreterTest, CommandLineValuesWinInSilentRunsOnly) {
  commandLine.assignments = {{"TARGETDIR", "D:\\X"}};
  ScriptBuilder b;
  b.Add("Set Variable", {"TARGETDIR", "C:\\Other"});
  Run(b, /*silent=*/true);
  EXPECT_EQ(Variables().GetVariable("TARGETDIR"), "D:\\X");
  Run(b, /*silent=*/false);
  EXPECT_EQ(Variables().GetVariable("TARGETDIR"), "C:\\Other");
}

}  // namespace
}  // namespace vantrell
