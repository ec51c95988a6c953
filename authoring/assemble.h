// Turns a readable project into the carried script and back. Building runs
// the engine's compilation check and reports its failure at the statement's
// file and line; dump gives the readable form of any carried script.
#pragma once

#include <string>
#include <vector>

#include "authoring/carried_script.h"
#include "authoring/project.h"

namespace vantrell::authoring {

struct Warning {
  SourceRef where;
  std::string message;
};

// The carried lists with every identifier resolved (fixed, else derived) and
// headers for the statements marked in installType (fixed headers are kept
// for any statement). Throws ProjectError for a malformed or repeated
// identifier or header, a malformed setting, or a value that cannot be carried.
CarriedScript AssembleScript(const Project& project, const std::vector<bool>& installType);

struct CompiledScript {
  CarriedScript script;
};

// Assembles, runs the engine's compilation check on the carried bytes and
// gives the install-type statements their headers. A failing check throws
// ProjectError with the check's message (a carriage return in it becomes a
// blank). Lines written by name are put in their positions first.
CompiledScript CompileProject(const Project& project);

struct DumpedProject {
  Project project;    // statements carry every identifier and header fixed
  bool exact = true;  // false: building it again would not give the same bytes
};

// The readable form of a carried script; scriptKey names its one script file.
DumpedProject ProjectFromCarried(const CarriedScript& script, const std::string& baseName,
                                 const std::string& scriptKey);

}  // namespace vantrell::authoring
