// Runs statements the way the interpreter does: each statement of a script
// gets its own StatementContext over the script, the test's variable store,
// a recording host and a stub run, and goes to the handler its command has in
// the table. The table belongs to the runner, so registrations end with it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/statements.h"
#include "twins/recording_host.h"
#include "twins/script_builder.h"
#include "twins/stub_run.h"

namespace vantrell::testing {

// For a test that needs a fresh run per case, or a fixture with another base.
class StatementRunner {
 public:
  explicit StatementRunner(bool silent = false) : run(silent) {}

  // Command with its parameter lines 1..n, as a one-statement script.
  void Run(const std::string& command, std::vector<std::string> parameters = {}) {
    Run(ScriptBuilder().Add(command, std::move(parameters)));
  }
  void Run(const ScriptBuilder& builder) { Run(builder.Build()); }
  // Every statement in order; a command without a handler fails the test.
  void Run(const SetupScript& script) {
    for (size_t i = 0; i < script.StatementCount(); ++i) {
      const std::string& command = script.commands[i];
      const std::string& identifier = script.identifiers[i];
      StatementContext context{i, command, identifier, script, vars, host, run};
      const StatementHandler* handler = table.Find(command);
      ASSERT_NE(handler, nullptr) << command;
      (*handler)(context);
    }
  }

  std::string Get(const std::string& name) const { return vars.GetVariable(name); }

  StatementTable table;  // the fixture registers its subsystem's statements here
  TVariableManager vars;
  RecordingHost host;
  StubRun run;
};

// The fixture of a statement test: register in SetUp, then Run and check.
class StatementTest : public ::testing::Test, public StatementRunner {
 protected:
  using StatementRunner::Run;  // not the gtest base's own Run
};

}  // namespace vantrell::testing
