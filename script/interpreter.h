// The interpreter: runs the setup script statement by statement once start-up
// has prepared the support folder. Before each statement it refreshes engine
// values from variables, moves through the block structure ("If" / "Else If" /
// "Else" / "End", "Wizard Loop", "GoTo Label") and dispatches the statement by
// its exact command name, plug-in commands first. The first error a statement
// raises ends the run through one error path ("Runtime error in setup script:").
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "script/compile_check.h"
#include "script/interpreter_host.h"
#include "script/script_reader.h"
#include "script/statements.h"
#include "vars/conditions.h"
#include "vars/variable_manager.h"

namespace vantrell {

// What the run session does around the statement loop; the interpreter knows
// the engine only through these calls.
class RunHooks {
 public:
  virtual ~RunHooks() = default;
  // A run started silent shows nothing from its first step on, before the
  // script's SILENT is read.
  virtual bool SilentAtStart() = 0;
  // After the compilation check emptied the store: the progress and pre-set variables.
  virtual void DefineRunVariables(TVariableManager& vars) = 0;
  // Recognises maintenance runs; again whenever the run's identity changes.
  virtual void Bootstrap(TVariableManager& vars) = 0;
  // Neither installer package nor patch: the run ends before its first statement.
  virtual bool PackagePresent() = 0;
  // Everything between the run's start and its first statement; false when
  // the run ends there (the language selection was cancelled).
  virtual bool DefineInitialisationVariables(TVariableManager& vars, InterpreterHost& host) = 0;
  // Engine values refreshed before every statement, after the script's own.
  virtual void Refresh(TVariableManager& vars) = 0;
};

// Runs the script to its end and returns the exit code the script left (0
// unless a statement set one). The compilation check ends the process with
// exit code 314 when it fails.
int InterpretScript(const SetupScript& script, const StatementTable& statements, RunHooks& hooks,
                    InterpreterHost& host, TVariableManager& vars, AnsiUpperCase ansiUpper);

// The result of the last compilation check, for callers that show it.
const CompileResult& LastCompileResult();

// Marks a statement's entry of the install state list ("TRUE" once carried out).
void SetInstallState(size_t statementIndex, const std::string& state);

}  // namespace vantrell
