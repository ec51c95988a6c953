// The run a statement belongs to, for tests that call handlers directly: no
// wizard loop, a settable silent flag, and counts of what the statement asked.
#pragma once

#include "script/statements.h"

namespace vantrell::testing {

class StubRun : public RunControl {
 public:
  explicit StubRun(bool silentRun = false) : silent(silentRun) {}

  void EndRun() override { ++ends; }
  void SetExitCode(int code) override { exitCode = code; }
  bool InWizardLoop() const override { return false; }
  void SetWizardStep(int) override {}
  bool Silent() const override { return silent; }
  void Rebootstrap() override { ++rebootstraps; }

  bool silent;
  int ends = 0;
  int exitCode = 0;
  int rebootstraps = 0;
};

}  // namespace vantrell::testing
