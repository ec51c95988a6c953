// The check run once before a script's first statement: balanced blocks,
// labels, variables read before any statement defines them, and a few rules
// per command. Phases, stopping at the first failure:
//   1 predefined names   2 block balance   3 labels   4 declared variables
//   5 statements in order (definitions, reads, per-command rules)
//   6 only dialogs inside wizard loops
// The result names the offending statement (or kUnbalancedBlocks) and a message.
#pragma once

#include <string>
#include <vector>

#include "script/script_reader.h"
#include "vars/variable_manager.h"

namespace vantrell {

struct CompileResult {
  static constexpr int kPassed = -1;
  static constexpr int kUnbalancedBlocks = 2147483644;

  int statement = kPassed;
  std::string message = "Script compiled successfully";
  std::vector<std::string> labels;         // upper-cased label names
  std::vector<std::string> installStates;  // "SKIP" or "FALSE" per statement

  bool Passed() const { return statement == kPassed; }
};

// Uses the store as its table of known names; the store holds the
// definitions afterwards and is cleared by the run before it starts.
CompileResult CompileScript(const SetupScript& script, TVariableManager& vars);

}  // namespace vantrell
