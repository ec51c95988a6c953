// The statement table of a run: every built-in command name, and the handler
// that a subsystem registers for it. Names are matched exactly and
// case-sensitively; a built-in name without a handler does nothing when it
// runs. Each handler is registered under the module that serves it, so the
// table can say where any statement's code lives.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "script/interpreter_host.h"
#include "script/script_reader.h"
#include "vars/variable_manager.h"

namespace vantrell {

// What a statement may do to the run it belongs to.
class RunControl {
 public:
  virtual ~RunControl() = default;
  virtual void EndRun() = 0;  // as "Terminate Install": the loop ends normally
  virtual void SetExitCode(int code) = 0;
  virtual bool InWizardLoop() const = 0;
  // Inside a wizard loop: 0 cancel, +1 next, -1 back.
  virtual void SetWizardStep(int step) = 0;
  virtual bool Silent() const = 0;
  // Runs the bootstrap again (after the run's identity changed).
  virtual void Rebootstrap() {}
  // Work to do when the run ends, in any way (close files a statement left
  // open, hide windows).
  virtual void AddExitCleanup(std::function<void()> cleanup) = 0;
};

struct StatementContext {
  size_t index;
  const std::string& command;
  const std::string& identifier;
  const SetupScript& script;
  TVariableManager& vars;
  InterpreterHost& host;
  RunControl& run;

  std::string Parameter(int n) const { return ParameterLine(script.pools, identifier, n); }
  std::string Expanded(int n) const { return vars.ExpandVariables(Parameter(n)); }
  std::string Origin() const { return command + " Action"; }
};

using StatementHandler = std::function<void(StatementContext&)>;

const std::vector<std::string_view>& BuiltInCommandNames();
bool IsBuiltInCommand(std::string_view name);

class StatementTable {
 public:
  // The module that the following registrations belong to ("system/registry_statements").
  void SetModule(std::string_view module) { module_ = module; }

  // Registers the handler of a built-in command, replacing an earlier one; an
  // empty handler removes it. A name that is not built in is a programming error.
  void Register(std::string_view name, StatementHandler handler);

  // The registered handler, or nullptr.
  const StatementHandler* Find(std::string_view name) const;
  // The module that registered the command's handler; empty when none did.
  std::string ModuleOf(std::string_view name) const;

 private:
  struct Entry {
    StatementHandler handler;
    std::string module;
  };
  std::map<std::string, Entry, std::less<>> entries_;
  std::string module_;
};

}  // namespace vantrell
