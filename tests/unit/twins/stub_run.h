// The run a statement belongs to, for tests that call handlers directly: no
// wizard loop, a settable silent flag, and counts of what the statement asked.
#pragma once

#include <functional>
#include <vector>

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
  void AddExitCleanup(std::function<void()> cleanup) override {
    cleanups.push_back(std::move(cleanup));
  }

  // What the interpreter does when the run ends.
  void RunExitCleanup() {
    auto pending = std::move(cleanups);
    cleanups.clear();
    for (auto& cleanup : pending) cleanup();
  }

  bool silent;
  int ends = 0;
  int exitCode = 0;
  int rebootstraps = 0;
  std::vector<std::function<void()>> cleanups;
};

}  // namespace vantrell::testing
