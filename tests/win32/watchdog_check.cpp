// The background-work watchdog against the real threads under Wine: a worker
// that ignores the stop request is ended by the interpreter host (the thread
// is terminated where it stands) once the watchdog delay has passed, and the
// wait reports it; a worker that stops when asked is not ended. Neither wait
// has a window or timer of its own: the wait alone must notice the delay.
// The exit code is the number of failed checks.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <string>

#include "script/background.h"
#include "script/win32/interpreter_host_win32.h"
#include "tests/win32/check.h"

using vantrell::wintest::Check;
using vantrell::wintest::Failures;

namespace vantrell {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kDelay{1000};

long long MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

void StubbornWorker(Win32InterpreterHost& host) {
  std::atomic<bool> returned{false};
  Worker worker([&returned](Worker&) {
    for (int i = 0; i < 600; ++i) Sleep(50);  // 30 s, deaf to the request
    returned = true;
  });
  SetCancelRequested(true);
  const Clock::time_point start = Clock::now();
  const bool stopped = RunWithCancel(worker, host, false, kDelay);
  const long long elapsed = MillisecondsSince(start);
  SetCancelRequested(false);
  Check(!stopped, "a deaf worker: the wait reports that it was ended");
  Check(elapsed >= kDelay.count() && elapsed < 5000,
        "a deaf worker: ended after the delay (" + std::to_string(elapsed) + " ms)");
  Sleep(200);
  Check(!returned, "a deaf worker: its thread ran no further");
}

void ObedientWorker(Win32InterpreterHost& host) {
  Worker worker([](Worker& self) {
    while (!self.TerminateRequested()) Sleep(20);
  });
  SetCancelRequested(true);
  const Clock::time_point start = Clock::now();
  const bool stopped = RunWithCancel(worker, host, false, kDelay);
  const long long elapsed = MillisecondsSince(start);
  SetCancelRequested(false);
  Check(stopped, "an obedient worker: stopped by itself");
  Check(elapsed < kDelay.count(),
        "an obedient worker: stopped before the delay (" + std::to_string(elapsed) + " ms)");
}

}  // namespace
}  // namespace vantrell

int main() {
  vantrell::Win32InterpreterHost host;
  vantrell::StubbornWorker(host);
  vantrell::ObedientWorker(host);
  return Failures();
}
