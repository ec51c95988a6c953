// The author's checks of a project's statements against the command
// reference: every command known, every parameter line present, every code,
// number, GUID and truth value well formed, every $NAME$ reference and
// component name defined somewhere in the script. Unlike the engine's own
// check, which stops at the first failure, these report every finding, each
// at the line of the parameter it concerns.
#pragma once

#include <string>
#include <vector>

#include "authoring/project.h"

namespace vantrell::authoring {

struct Diagnostic {
  SourceRef where;
  std::string message;
  bool error = true;  // false: a warning, for what may be intended
};

// Moves the lines written as "> name: value" to their positions; a name given
// twice is reported. Parameters a named statement leaves out are empty.
// Afterwards the statement holds positional lines only.
void ResolveParameterNames(Statement& statement, std::vector<Diagnostic>& out);

// Resolves every statement's names, then checks them. Findings are in
// statement order.
std::vector<Diagnostic> CheckStatements(Project& project);

// The variables the statements use that neither the script nor the engine
// defines, in order of first use: what a dump declares as input variables.
std::vector<std::string> UndefinedVariables(Project& project);

// The project settings that must hold before anything is built: the codes
// are braced GUIDs (written back upper-cased), build-kind is a number.
std::vector<Diagnostic> CheckSettings(Project& project);

}  // namespace vantrell::authoring
