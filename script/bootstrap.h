// The variables a run starts with: progress variables and the pre-set
// target values before the bootstrap, the product codes of the bootstrap, the
// initialisation variables before the first statement, and the command-line
// assignments that win over them. Also the exit cleanup hooks of a run.
#pragma once

#include <functional>

#include "script/interpreter.h"

namespace vantrell {

// Progress variables, TARGETDIR, STARTMENU and ALLUSERS.
void DefineRunVariables(const RunScriptContext& context, TVariableManager& vars);

// PRODUCTCODE and REVISIONCODE.
void RunBootstrap(const RunScriptContext& context, TVariableManager& vars);

// The initialisation variables, then the command-line assignments.
void DefineInitialisationVariables(const RunScriptContext& context, TVariableManager& vars,
                                   InterpreterHost& host);

// Work to do when a run ends (close files a statement left open, hide windows).
void AddExitCleanup(std::function<void()> cleanup);
void RunExitCleanup();

}  // namespace vantrell
