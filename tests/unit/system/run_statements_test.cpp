// The program-running statements and "Terminate Program" against the runner
// twin: command lines, environment blocks and show modes; which way "Run
// Program As" starts a program and the exit code each way gives; the frame
// around every start (worker thread, current directory, redirection scopes,
// progress, result variable); the light-mode build and its restoring,
// including every way the build can fail; and the window rounds.
#include <gtest/gtest.h>

#include <cstring>

#include "common/engine_error.h"
#include "system/run_statements.h"
#include "twins/program_runner_twin.h"
#include "twins/statement_test.h"

namespace vantrell {
namespace {

using testing::FakeProgramRunner;
using testing::MemoryFileSystem;
using Outcome = Launch::Outcome;
using Step = DesktopToken::Step;

// ---- composition -------------------------------------------------------

TEST(RunComposition, CommandLineQuotesTheProgramOnly) {
  struct Case {
    const char* program;
    const char* parameters;
    const char* want;
  } cases[] = {
      {"C:\\Tools\\app.exe", "", "\"C:\\Tools\\app.exe\" "},
      {"C:\\Program Files\\app.exe", "/a \"two words\" -b",
       "\"C:\\Program Files\\app.exe\" /a \"two words\" -b"},
      {"", "x", "\"\" x"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RunAsCommandLine(c.program, c.parameters), c.want) << c.program;
}

TEST(RunComposition, EnvironmentBlockFromLines) {
  using namespace std::string_literals;
  struct Case {
    std::string lines;
    std::string want;
  } cases[] = {
      {"", ""},
      {"A=1", "A=1\0\0"s},
      {"A=1\r\nB=two words", "A=1\0B=two words\0\0"s},
      {"A=1\r\n", "A=1\0\0"s},              // a closing line break adds no entry
      {"A=1\r\n\r\nB=2", "A=1\0B=2\0\0"s},  // an empty line must not end the block early
      {"\r\n", ""},
      {"A=1\nB=2", "A=1\nB=2\0\0"s},  // only CR LF separates
  };
  for (const Case& c : cases) EXPECT_EQ(EnvironmentBlock(c.lines), c.want) << c.lines;
}

TEST(RunComposition, ShowModeCodes) {
  const std::pair<int32_t, ShowMode> cases[] = {
      {0, ShowMode::kNormal},
      {1, ShowMode::kHidden},
      {2, ShowMode::kMaximized},
      {3, ShowMode::kMinimized},
      {4, ShowMode::kMinimizedNoActivate},
      {5, ShowMode::kNormal},
      {-1, ShowMode::kNormal},
  };
  for (const auto& [code, mode] : cases) EXPECT_EQ(ShowModeOfCode(code), mode) << code;
}

TEST(RunComposition, ProgramFolder) {
  EXPECT_EQ(ProgramFolder("C:\\Tools\\app.exe"), "C:\\Tools\\");
  EXPECT_EQ(ProgramFolder("\\\\server\\share\\x.exe"), "\\\\server\\share\\");
  EXPECT_EQ(ProgramFolder("wordpad.exe"), "");
  EXPECT_EQ(ProgramFolder("http://example.org/page.htm"), "");
}

// ---- statements through their handlers -----------------------------------

class RunStatementTest : public testing::StatementTest {
 protected:
  RunStatementTest() { run.silent = true; }  // waits join the worker instead of pumping
  void SetUp() override { RegisterRunStatements(table, runner, files); }

  // "Run Program As" with the lines that matter here; the rest are plain defaults.
  void RunAs(const std::string& user, const std::string& show = "0", const std::string& folder = "",
             const std::string& environment = "") {
    Run("Run Program As", {"C:\\Tools\\app.exe", folder, "/x", show, user, "secret", "DOM", "RC",
                           "TRUE", environment});
  }
  const FakeProgramRunner::Start& OnlyStart() {
    EXPECT_EQ(runner.starts.size(), 1u);
    static const FakeProgramRunner::Start none;
    return runner.starts.empty() ? none : runner.starts.front();
  }

  MemoryFileSystem files;
  FakeProgramRunner runner{&files};
};

TEST_F(RunStatementTest, RunProgramPassesExpandedLinesToTheShell) {
  vars.PutVariable("APP", "C:\\Tools\\\\my app.exe");
  vars.PutVariable("ARGS", "one two");
  runner.enterableFolders.insert("C:\\Tools\\");
  Run("Run Program", {"$APP$", "TRUE", "$ARGS$ \"three four\"", "TRUE", "RC"});
  const auto& start = OnlyStart();
  EXPECT_EQ(start.kind, "shell");
  EXPECT_EQ(start.shell.file, "C:\\Tools\\my app.exe");  // path expansion collapses "\\"
  EXPECT_EQ(start.shell.parameters, "one two \"three four\"");
  EXPECT_EQ(start.shell.folder, "C:\\Tools\\");
  EXPECT_TRUE(start.shell.hidden);
  EXPECT_TRUE(start.shell.wait);

  Run("Run Program", {"wordpad.exe", "FALSE", "", "no", ""});
  ASSERT_EQ(runner.starts.size(), 2u);
  EXPECT_FALSE(runner.starts[1].shell.hidden);
  EXPECT_FALSE(runner.starts[1].shell.wait);
  EXPECT_EQ(runner.starts[1].shell.folder, "");
}

TEST_F(RunStatementTest, ExitCodesOfTheShell) {
  struct Case {
    Launch launch;
    const char* want;
  } cases[] = {
      {{Outcome::kRan, 0}, "0"},
      {{Outcome::kRan, 42}, "42"},
      {{Outcome::kRan, kStillActive}, "259"},
      {{Outcome::kRan, 0xC0000005u}, "-1073741819"},  // statuses are written as signed numbers
      {{Outcome::kNotStarted, 0}, "-1"},
  };
  for (const Case& c : cases) {
    runner.shellLaunch = c.launch;
    Run("Run Program", {"C:\\x.exe", "FALSE", "", "TRUE", "RC"});
    EXPECT_EQ(vars.GetVariable("RC"), c.want);
  }
}

TEST_F(RunStatementTest, TheStartRunsOnAWorkerInsideTheFrame) {
  runner.enterableFolders.insert({"C:\\Tools\\", "C:\\Data"});
  vars.PutVariable("PROGRESS", "40");
  vars.PutVariable("PROGRESSTEXT", "Running the tool");
  for (bool silent : {true, false}) {
    run.silent = silent;
    runner.starts.clear();
    Run("Run Program", {"C:\\Tools\\app.exe", "FALSE", "", "TRUE", ""});
    RunAs("", "0", "C:\\Data");
    ASSERT_EQ(runner.starts.size(), 2u);
    const auto& shell = runner.starts[0];
    const auto& process = runner.starts[1];
    for (const auto* start : {&shell, &process}) {
      EXPECT_NE(start->thread, std::this_thread::get_id());
      EXPECT_TRUE(start->workInProgress);
    }
    EXPECT_EQ(shell.directory, "C:\\Tools\\");
    EXPECT_EQ(process.directory, "C:\\Data");
    // The shell start keeps redirection where it is on its own thread (it
    // loads shell extensions); a process start switches it off there too.
    EXPECT_EQ(shell.openScopes, 1);
    EXPECT_EQ(process.openScopes, 2);
    EXPECT_EQ(runner.currentDirectory, "C:\\work");
    EXPECT_EQ(runner.openScopes.load(), 0);
    EXPECT_FALSE(WorkInProgress());
    EXPECT_EQ(vars.GetVariable("VELD_thProgress"), "40");
    EXPECT_EQ(vars.GetVariable("VELD_thProgressText"), "Running the tool");
  }
}

TEST_F(RunStatementTest, AFolderThatCannotBeEnteredIsIgnored) {
  Run("Run Program", {"D:\\Gone\\app.exe", "FALSE", "", "TRUE", ""});
  RunAs("", "0", "D:\\Gone");
  ASSERT_EQ(runner.starts.size(), 2u);
  EXPECT_EQ(runner.starts[0].directory, "C:\\work");
  EXPECT_EQ(runner.starts[1].directory, "C:\\work");
  EXPECT_EQ(runner.currentDirectory, "C:\\work");
}

TEST_F(RunStatementTest, ResultVariableForms) {
  runner.shellLaunch = {Outcome::kRan, 3};
  Run("Run Program", {"C:\\x.exe", "FALSE", "", "TRUE", "fresh"});
  EXPECT_EQ(vars.GetVariable("FRESH"), "3");
  EXPECT_TRUE(vars.VariableExists("FRESH"));
  Run("Run Program", {"C:\\x.exe", "FALSE", "", "TRUE", "$REF$"});
  EXPECT_EQ(vars.GetVariable("REF"), "3");
  // No result line: nothing is written, not even an empty name.
  vars.ClearVariables();
  Run("Run Program", {"C:\\x.exe", "FALSE", "", "TRUE", ""});
  std::vector<std::string> all;
  vars.ListVariables(all);
  for (size_t i = 0; i < all.size(); i += 2) EXPECT_EQ(all[i].rfind("VELD_th", 0), 0u) << all[i];
}

TEST_F(RunStatementTest, RunProgramAsComposesItsRequest) {
  vars.PutVariable("DIR", "C:\\Program Files\\\\Tool");
  vars.PutVariable("ENV", "PATH=C:\\bin$NEWLINE$MODE=test run");
  vars.PutVariable("NEWLINE", "\r\n");
  vars.PutVariable("SHOW", "2");
  Run("Run Program As",
      {"$DIR$\\tool.exe", "", "-v \"a b\"", "$SHOW$", "", "", "", "RC", "TRUE", "$ENV$"});
  const auto& start = OnlyStart();
  EXPECT_EQ(start.kind, "process");
  EXPECT_EQ(start.process.commandLine, "\"C:\\Program Files\\Tool\\tool.exe\" -v \"a b\"");
  EXPECT_EQ(start.process.show, ShowMode::kMaximized);
  EXPECT_TRUE(start.process.wait);
  EXPECT_EQ(start.process.environment, std::string("PATH=C:\\bin\0MODE=test run\0\0", 27));

  Run("Run Program As", {"C:\\a.exe", "", "", "4", "", "", "", "", "FALSE", ""});
  ASSERT_EQ(runner.starts.size(), 2u);
  EXPECT_FALSE(runner.starts[1].process.wait);
  EXPECT_EQ(runner.starts[1].process.environment, "");
  EXPECT_EQ(runner.starts[1].process.show, ShowMode::kMinimizedNoActivate);
}

TEST_F(RunStatementTest, ABadShowModeFailsBeforeAnythingStarts) {
  runner.enterableFolders.insert("C:\\Data");
  for (const char* show : {"", "normal", "1.5"}) {
    EXPECT_THROW(RunAs("", show, "C:\\Data"), EngineError) << show;
  }
  EXPECT_TRUE(runner.starts.empty());
  EXPECT_EQ(runner.currentDirectory, "C:\\work");
  EXPECT_EQ(runner.openScopes.load(), 0);
  EXPECT_FALSE(vars.VariableExists("RC"));
}

TEST_F(RunStatementTest, WhoStartsTheProgramAndTheExitCode) {
  constexpr const char* kUac = "$VELD_UAC$";
  struct Case {
    const char* name;
    const char* user;
    bool nt = true;
    bool vista = true;
    std::optional<uint32_t> engine = kHighIntegrity;
    std::optional<uint32_t> shell = kMediumIntegrity;
    bool privilege = true;
    Step step = Step::kReady;
    Outcome outcome = Outcome::kRan;  // of whichever start is made
    const char* kind;                 // the start made, or "" for none
    const char* code;
  } cases[] = {
      // clang-format off
      {.name = "current user",       .user = "", .kind = "process", .code = "7"},
      {.name = "current user fails", .user = "", .outcome = Outcome::kNotStarted, .kind = "process", .code = "-11"},
      {.name = "logon",              .user = "alice", .kind = "logon", .code = "7"},
      {.name = "logon fails",        .user = "alice", .outcome = Outcome::kNotStarted, .kind = "logon", .code = "-11"},
      {.name = "no logon function",  .user = "alice", .outcome = Outcome::kFunctionMissing, .kind = "logon", .code = "-11"},
      {.name = "no logon before NT", .user = "alice", .nt = false, .kind = "process", .code = "7"},
      {.name = "desktop user",       .user = kUac, .kind = "token", .code = "7"},
      {.name = "no token function",  .user = kUac, .outcome = Outcome::kFunctionMissing, .kind = "token", .code = "0"},
      {.name = "token start fails",  .user = kUac, .outcome = Outcome::kNotStarted, .kind = "token", .code = "-11"},
      {.name = "shell process shut", .user = kUac, .step = Step::kNoShellProcess, .kind = "", .code = "-7"},
      {.name = "shell token shut",   .user = kUac, .step = Step::kNoShellToken, .kind = "", .code = "-8"},
      {.name = "no duplicate",       .user = kUac, .step = Step::kNoDuplicate, .kind = "", .code = "-9"},
      {.name = "before Vista",       .user = kUac, .vista = false, .kind = "process", .code = "7"},
      {.name = "not elevated",       .user = kUac, .engine = kMediumIntegrity, .kind = "process", .code = "7"},
      {.name = "engine level unread",.user = kUac, .engine = std::nullopt, .kind = "process", .code = "7"},
      {.name = "system level",       .user = kUac, .engine = 0x4000u, .kind = "process", .code = "7"},
      {.name = "shell elevated",     .user = kUac, .shell = kHighIntegrity, .kind = "process", .code = "7"},
      {.name = "no shell",           .user = kUac, .shell = std::nullopt, .kind = "process", .code = "7"},
      {.name = "no privilege",       .user = kUac, .privilege = false, .kind = "process", .code = "7"},
      {.name = "fallback fails",     .user = kUac, .vista = false, .outcome = Outcome::kNotStarted, .kind = "process", .code = "-11"},
      // clang-format on
  };
  for (const Case& c : cases) {
    runner.starts.clear();
    runner.ntFamily = c.nt;
    runner.vista = c.vista;
    runner.engineIntegrity = c.engine;
    runner.shellIntegrity = c.shell;
    runner.debugPrivilege = c.privilege;
    runner.tokenStep = c.step;
    const Launch launch{c.outcome, 7};
    runner.processLaunch = runner.logonLaunch = runner.tokenLaunch = launch;
    RunAs(c.user);
    EXPECT_EQ(vars.GetVariable("RC"), c.code) << c.name;
    if (*c.kind == '\0') {
      EXPECT_TRUE(runner.starts.empty()) << c.name;
    } else {
      ASSERT_EQ(runner.starts.size(), 1u) << c.name;
      EXPECT_EQ(runner.starts[0].kind, c.kind) << c.name;
      EXPECT_EQ(runner.starts[0].process.commandLine, "\"C:\\Tools\\app.exe\" /x") << c.name;
    }
  }
}

TEST_F(RunStatementTest, LogonGetsTheExpandedCredentials) {
  vars.PutVariable("WHO", "bob");
  Run("Run Program As", {"C:\\a.exe", "", "", "0", "$WHO$", "pa$$word", "CORP", "RC", "TRUE", ""});
  const auto& start = OnlyStart();
  EXPECT_EQ(start.kind, "logon");
  EXPECT_EQ(start.credentials.user, "bob");
  EXPECT_EQ(start.credentials.password, "pa$$word");
  EXPECT_EQ(start.credentials.domain, "CORP");
}

TEST_F(RunStatementTest, DesktopUserStepsInOrder) {
  runner.engineIntegrity = kHighIntegrity;
  RunAs("$VELD_UAC$");
  const std::vector<std::string> all = {"vista", "engine", "shell", "privilege", "duplicate"};
  EXPECT_EQ(runner.asked, all);
  EXPECT_EQ(runner.removedPrivileges, DesktopUserRemovedPrivileges());
  EXPECT_EQ(runner.removedPrivileges.size(), 18u);

  // The privilege is not asked for when the levels already say no.
  runner.asked.clear();
  runner.engineIntegrity = kMediumIntegrity;
  RunAs("$VELD_UAC$");
  const std::vector<std::string> early = {"vista", "engine"};
  EXPECT_EQ(runner.asked, early);
}

// ---- "Run Light Mode Setup" ----------------------------------------------

void PutU32(std::string& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// An engine file whose one section ends at 0x600, with a script carried behind it.
std::string EngineFile() {
  std::string b(0x600, 'i');
  std::memset(b.data(), 0, 0x200);
  b[0] = 'M';
  b[1] = 'Z';
  PutU32(b, 0x3C, 0x80);
  std::memcpy(b.data() + 0x80, "PE\0\0", 4);
  b[0x80 + 6] = 1;        // one section
  b[0x80 + 20] = '\xE0';  // optional header size
  const size_t section = 0x80 + 24 + 0xE0;
  PutU32(b, section + 16, 0x400);  // raw size
  PutU32(b, section + 20, 0x200);  // raw offset
  return b + "OUTER SCRIPT";
}

class LightModeTest : public RunStatementTest {
 protected:
  void SetUp() override {
    RunStatementTest::SetUp();
    files.AddFile(kEngine, EngineFile());
    files.AddFile("C:\\engine\\zeb.lib", "LIBRARY");
    files.AddFile(kData, "LIGHT DATA");
    runner.enterableFolders.insert("C:\\light\\");
  }
  std::string Bytes(const std::string& path) {
    const auto* file = files.Find(path);
    return file ? file->bytes : "<absent>";
  }

  static constexpr const char* kEngine = "C:\\engine\\setup.exe";
  static constexpr const char* kData = "C:\\light\\light.exe";
};

TEST_F(LightModeTest, BuildsRunsAndRestores) {
  std::string during, kept, library;
  runner.duringStart = [&] {
    during = Bytes(kData);
    kept = Bytes("C:\\light\\light.exe.nox");
    library = Bytes("C:\\light\\zeb.lib");
  };
  runner.shellLaunch = {Outcome::kRan, 5};
  vars.PutVariable("DATAFILE", kData);
  Run("Run Light Mode Setup", {"$DATAFILE$", "LM", "/s x=1", "TRUE"});

  EXPECT_EQ(during, EngineFile().substr(0, 0x600) + "LIGHT DATA");
  EXPECT_EQ(kept, "LIGHT DATA");
  EXPECT_EQ(library, "LIBRARY");
  const auto& start = OnlyStart();
  EXPECT_EQ(start.shell.file, kData);
  EXPECT_EQ(start.shell.parameters, "/s x=1");
  EXPECT_EQ(start.shell.folder, "C:\\light\\");
  EXPECT_FALSE(start.shell.hidden);
  EXPECT_TRUE(start.shell.wait);
  EXPECT_EQ(start.directory, "C:\\light\\");
  EXPECT_EQ(start.openScopes, 1);

  EXPECT_EQ(vars.GetVariable("LM"), "5");
  EXPECT_EQ(Bytes(kData), "LIGHT DATA");
  for (const char* gone :
       {"C:\\light\\light.exe.nox", "C:\\light\\light.exe.to", "C:\\light\\zeb.lib"})
    EXPECT_FALSE(files.FileExists(gone)) << gone;
  EXPECT_EQ(Bytes("C:\\engine\\zeb.lib"), "LIBRARY");
  EXPECT_EQ(runner.currentDirectory, "C:\\work");
}

TEST_F(LightModeTest, AFailedStartStillRestores) {
  runner.shellLaunch = {Outcome::kNotStarted, 0};
  Run("Run Light Mode Setup", {kData, "LM", "", "TRUE"});
  EXPECT_EQ(vars.GetVariable("LM"), "-1");
  EXPECT_EQ(Bytes(kData), "LIGHT DATA");
  EXPECT_FALSE(files.FileExists("C:\\light\\light.exe.nox"));
  EXPECT_FALSE(files.FileExists("C:\\light\\zeb.lib"));
}

TEST_F(LightModeTest, AFailedBuildLeavesEverythingAsItWas) {
  struct Case {
    const char* name;
    std::function<void()> arrange;
  } cases[] = {
      {"no engine file", [this] { files.RemoveFile(kEngine); }},
      {"engine without headers", [this] { files.AddFile(kEngine, "MZ not really"); }},
      {"section beyond the file",
       [this] { files.AddFile(kEngine, EngineFile().substr(0, 0x500)); }},
      {"no data file", [this] { files.RemoveFile(kData); }},
      {"spare name taken", [this] { files.AddFile("C:\\light\\light.exe.nox", "OLD SPARE"); }},
      {"build file locked", [this] { files.AddFile("C:\\light\\light.exe.to", "LOCKED", true); }},
      {"data file cannot move",
       [this] { runner.failingRenames.insert(std::string(kData) + ">" + kData + ".nox"); }},
      {"built setup cannot move",
       [this] { runner.failingRenames.insert(std::string(kData) + ".to>" + kData); }},
  };
  for (const Case& c : cases) {
    SetUp();
    files.RemoveFile("C:\\light\\light.exe.nox");
    files.SetNormalAttributes("C:\\light\\light.exe.to");
    files.RemoveFile("C:\\light\\light.exe.to");
    runner.failingRenames.clear();
    runner.starts.clear();
    c.arrange();
    const std::string spare = Bytes("C:\\light\\light.exe.nox");
    const std::string build = Bytes("C:\\light\\light.exe.to");
    vars.ClearVariables();
    Run("Run Light Mode Setup", {kData, "LM", "", "TRUE"});
    EXPECT_EQ(vars.GetVariable("LM"), "-1") << c.name;
    EXPECT_TRUE(runner.starts.empty()) << c.name;
    if (std::string(c.name) != "no data file") {
      EXPECT_EQ(Bytes(kData), "LIGHT DATA") << c.name;
    }
    EXPECT_EQ(Bytes("C:\\light\\light.exe.nox"), spare) << c.name;
    EXPECT_EQ(Bytes("C:\\light\\light.exe.to"), build) << c.name;
    EXPECT_FALSE(files.FileExists("C:\\light\\zeb.lib")) << c.name;
  }
}

TEST_F(LightModeTest, TheEnginesOwnLibraryStaysInItsFolder) {
  const std::string beside = "C:\\Engine\\light.exe";  // the engine's folder, in other letters
  files.AddFile(beside, "LIGHT DATA");
  runner.enterableFolders.insert("C:\\Engine\\");
  Run("Run Light Mode Setup", {beside, "LM", "", "TRUE"});
  EXPECT_EQ(OnlyStart().kind, "shell");
  EXPECT_EQ(Bytes("C:\\engine\\zeb.lib"), "LIBRARY");
  EXPECT_EQ(Bytes(beside), "LIGHT DATA");
}

TEST_F(LightModeTest, ASetupNotWaitedForKeepsWhatItNeeds) {
  const std::string built = EngineFile().substr(0, 0x600) + "LIGHT DATA";
  runner.shellLaunch = {Outcome::kRan, kStillActive};
  Run("Run Light Mode Setup", {kData, "LM", "", "FALSE"});
  EXPECT_EQ(vars.GetVariable("LM"), "259");
  EXPECT_EQ(Bytes(kData), built);
  EXPECT_EQ(Bytes("C:\\light\\light.exe.nox"), "LIGHT DATA");
  EXPECT_EQ(Bytes("C:\\light\\zeb.lib"), "LIBRARY");

  // Not started: nothing runs that could need them.
  SetUp();
  files.RemoveFile("C:\\light\\light.exe.nox");
  files.RemoveFile("C:\\light\\zeb.lib");
  runner.shellLaunch = {Outcome::kNotStarted, 0};
  Run("Run Light Mode Setup", {kData, "LM", "", "FALSE"});
  EXPECT_EQ(vars.GetVariable("LM"), "-1");
  EXPECT_EQ(Bytes(kData), "LIGHT DATA");
  EXPECT_FALSE(files.FileExists("C:\\light\\zeb.lib"));
}

TEST_F(LightModeTest, ABuiltSetupThatCannotGoKeepsTheName) {
  // A running program's file cannot be deleted; the twin shows that as read-only.
  runner.duringStart = [&] { files.AddFile(kData, Bytes(kData), true); };
  Run("Run Light Mode Setup", {kData, "LM", "", "TRUE"});
  EXPECT_EQ(Bytes(kData), EngineFile().substr(0, 0x600) + "LIGHT DATA");
  EXPECT_EQ(Bytes("C:\\light\\light.exe.nox"), "LIGHT DATA");
  EXPECT_FALSE(files.FileExists("C:\\light\\zeb.lib"));
}

// ---- "Terminate Program" -------------------------------------------------

TEST(TerminateProgram, WhichWindowIsChosen) {
  const std::vector<TopLevelWindow> windows = {
      {1, "Shell_TrayWnd", ""},
      {2, "ProbeWindowClass", "Probe Main"},
      {3, "ProbeWindowClass", "Probe Second"},
      {4, "Other", "probe lower"},
  };
  struct Case {
    const char* title;
    const char* className;
    std::optional<uintptr_t> want;
  } cases[] = {
      {"", "ProbeWindow", 2},  // class substring
      {"Second", "", 3},       // title substring
      {"Second", "ProbeWindowClass", 3},
      {"Main", "Other", std::nullopt},  // both must match the same window
      {"probe", "", 4},                 // case matters
      {"", "probewindowclass", std::nullopt},
      {"", "", 1},  // everything matches; the statement never asks so
  };
  for (const Case& c : cases)
    EXPECT_EQ(FindWindowToClose(windows, c.title, c.className), c.want)
        << c.title << "|" << c.className;
}

TEST_F(RunStatementTest, TerminateProgramRounds) {
  runner.windows = {{7, "ProbeWindowClass", "A"}, {8, "ProbeWindowClass", "B"}, {9, "X", "C"}};
  // A window that stays is asked ten times.
  Run("Terminate Program", {"", "ProbeWindowClass"});
  EXPECT_EQ(runner.windowWalks, 10);
  EXPECT_EQ(runner.closed, std::vector<uintptr_t>(10, 7));

  // Windows that go at once: each round closes the next match.
  runner.closed.clear();
  runner.closeRemovesWindow = true;
  vars.PutVariable("CLS", "Probe");
  Run("Terminate Program", {"", "$CLS$"});
  EXPECT_EQ(runner.closed, (std::vector<uintptr_t>{7, 8}));
  ASSERT_EQ(runner.windows.size(), 1u);

  // Nothing named: nothing is even looked at.
  runner.windowWalks = 0;
  Run("Terminate Program", {"", ""});
  Run("Terminate Program", {});
  EXPECT_EQ(runner.windowWalks, 0);
  EXPECT_EQ(runner.windows.size(), 1u);
}

}  // namespace
}  // namespace vantrell
