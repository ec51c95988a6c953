// The run session: one run of the setup script with everything start-up
// prepared for it. It builds the run's statement table, runs the interpreter
// with the bootstrap and the engine-cache refresh as its hooks, and saves the
// engine cache afterwards, also when the run ends in an error.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/file_system.h"
#include "common/system_facts.h"
#include "engine/command_line.h"
#include "script/interpreter.h"

namespace vantrell {

// Shows the "Select Setup Language" dialog with the offered languages and
// one preselected; the chosen index, or nullopt when the user cancelled.
using LanguageChooser = std::function<std::optional<size_t>(
    const std::vector<std::string>& languages, size_t preselected)>;

struct RunScriptContext {
  const SetupScript& script;
  std::string installerDatabasePath;  // support folder + base name + ".msi"
  std::string exeFolder;
  FileSystem& files;
  const CommandLine* commandLine = nullptr;  // the engine's, when started from one
  std::string exePath;
  std::string tempFolder;
  std::string supportFolder;
  AnsiUpperCase ansiUpper = AsciiUpperCase;    // upper case of the system code page
  SystemFacts* system = nullptr;               // none: no administrator, folders or registry
  InstallerQueries* installer = nullptr;       // none: nothing installed
  const StatementTable* statements = nullptr;  // none: only the control-flow statements run
  std::string userLanguage;                    // display name of the user's interface language
  LanguageChooser chooseLanguage;              // none: the preselected language is taken
};

// Returns the exit code the script left (0 unless a statement set one).
int RunScript(const RunScriptContext& context, InterpreterHost& host, TVariableManager& vars);

}  // namespace vantrell
