// The interpreter's entry: runs the setup script once start-up has prepared
// the support folder, and answers the run's exit code.
#pragma once

#include <string>

#include "script/script_reader.h"
#include "system/file_system.h"

namespace vantrell {

struct RunScriptContext {
  const SetupScript& script;
  std::string installerDatabasePath;  // support folder + base name + ".msi"
  std::string exeFolder;
  FileSystem& files;
};

// Returns the exit code the script left (0 unless a statement set one).
int RunScript(const RunScriptContext& context);

}  // namespace vantrell
