// Interpreter host twin: counts message pumps and wait steps, records error
// boxes, gives a fixed date and a changing time, and turns process
// termination into an exception the test can catch.
#pragma once

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "script/interpreter_host.h"

namespace vantrell::testing {

struct ProcessTerminated {
  int code;
};

class RecordingHost final : public InterpreterHost {
 public:
  int pumps = 0;
  int clock = 0;
  std::vector<std::string> errors;  // caption + "|" + text

  void ProcessMessages() override { ++pumps; }
  // No windows in tests: a wait step only yields; steps and wake-ups are
  // counted, so a test can tell that a wait loop has gone round.
  void ProcessOneMessage() override {
    ++steps;
    std::this_thread::yield();
  }
  std::atomic<int> steps{0};
  void WakeMainThread() override { ++wakeups; }
  std::atomic<int> wakeups{0};
  void ShowScriptError(const std::string& caption, const std::string& text) override {
    errors.push_back(caption + "|" + text);
  }
  std::string ShortDate() override { return "10.12.2026"; }
  std::string LongTime() override { return "12:00:" + std::to_string(clock++); }
  [[noreturn]] void TerminateProcess(int code) override { throw ProcessTerminated{code}; }
};

}  // namespace vantrell::testing
