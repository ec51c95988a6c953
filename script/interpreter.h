// The interpreter: runs the setup script statement by statement once start-up
// has prepared the support folder. Before each statement it refreshes engine
// values from variables, moves through the block structure ("If" / "Else If" /
// "Else" / "End", "Wizard Loop", "GoTo Label") and dispatches the statement by
// its exact command name, plug-in commands first. The first error a statement
// raises ends the run through one error path ("Runtime error in setup script:").
#pragma once

#include <string>
#include <vector>

#include "engine/command_line.h"
#include "script/compile_check.h"
#include "script/interpreter_host.h"
#include "script/script_reader.h"
#include "system/file_system.h"
#include "system/system_facts.h"
#include "vars/conditions.h"
#include "vars/variable_manager.h"

namespace vantrell {

struct RunScriptContext {
  const SetupScript& script;
  std::string installerDatabasePath;  // support folder + base name + ".msi"
  std::string exeFolder;
  FileSystem& files;
  const CommandLine* commandLine = nullptr;  // the engine's, when started from one
  std::string exePath;
  std::string tempFolder;
  std::string supportFolder;
  AnsiUpperCase ansiUpper = AsciiUpperCase;  // upper case of the system code page
  SystemFacts* system = nullptr;          // none: no administrator, folders or registry
  InstallerQueries* installer = nullptr;  // none: nothing installed
};

// Returns the exit code the script left (0 unless a statement set one).
int RunScript(const RunScriptContext& context, InterpreterHost& host, TVariableManager& vars);

// The result of the last compilation check, for callers that show it.
const CompileResult& LastCompileResult();

// Marks a statement's entry of the install state list ("TRUE" once carried out).
void SetInstallState(size_t statementIndex, const std::string& state);

}  // namespace vantrell
