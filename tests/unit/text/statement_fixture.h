// Runs one registered text statement at a time, the way the interpreter
// does: a one-statement script, the test's own store, a recording host and
// a run that is not silent (so the wait loops pump instead of joining).
#pragma once

#include <gtest/gtest.h>

#include "script/statements.h"
#include "text/text_statements.h"
#include "twins/memory_text_system.h"
#include "twins/recording_host.h"
#include "twins/script_builder.h"
#include "twins/stub_run.h"

namespace vantrell::testing {

using FixedRun = testing::StubRun;

// Counts the wait steps of the main thread, so a test can tell that the
// wait loop has looked at the cancel flag.
class CountingHost final : public InterpreterHost {
 public:
  std::atomic<int> steps{0};
  void ProcessMessages() override {}
  void ProcessOneMessage() override {
    ++steps;
    std::this_thread::yield();
  }
  void WakeMainThread() override {}
  void ShowScriptError(const std::string&, const std::string&) override {}
  std::string ShortDate() override { return "10.12.2026"; }
  std::string LongTime() override { return "12:00:00"; }
  [[noreturn]] void TerminateProcess(int code) override { throw ProcessTerminated{code}; }
};

class StatementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vars.PutVariable("NEWLINE", "\r\n");  // predefined in every run
    Register();
  }
  void TearDown() override { SetCancelRequested(false); }

  void Register() { RegisterTextStatements(table, system, options); }

  // Runs command with its parameter lines 1..n.
  void Run(const std::string& command, std::vector<std::string> parameters) {
    SetupScript script = ScriptBuilder().Add(command, std::move(parameters)).Build();
    const std::string identifier = ScriptBuilder::Identifier(0);
    StatementContext context{0, command, identifier, script, vars, host, run};
    const StatementHandler* handler = table.Find(command);
    ASSERT_NE(handler, nullptr) << command;
    (*handler)(context);
  }

  std::string Get(const std::string& name) const { return vars.GetVariable(name); }

  StatementTable table;
  MemoryTextSystem system;
  TextStatementOptions options;
  TVariableManager vars;
  CountingHost host;
  FixedRun run;
};

}  // namespace vantrell::testing
