// Interpreter host twin: counts message pumps, records error boxes, gives a
// fixed date and a changing time, and turns process termination into an
// exception the test can catch.
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
  // No windows in tests: a wait step only yields; a wake-up is counted.
  void ProcessOneMessage() override { std::this_thread::yield(); }
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
