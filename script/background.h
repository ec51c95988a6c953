// Long work on one worker thread while the main thread waits: the progress
// variables that workers publish into, the cancel-requested and
// work-in-progress flags, ReportProgress, the wait step and the two wait
// loops. Workers never touch windows; they store their results, set their
// finished flag and wake the main thread, in that order.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string_view>
#include <thread>

#include "vars/variable_manager.h"

namespace vantrell {

// The main thread's side of waiting, provided by the platform.
class WaitHost {
 public:
  virtual ~WaitHost() = default;
  // Processes one window message of the main thread, waiting for one when
  // none is pending; the wait may end without one after a short while.
  virtual void ProcessOneMessage() = 0;
  // Wakes a main thread that waits for a message (any thread may call it).
  virtual void WakeMainThread() = 0;
  // Ends a worker's thread that did not stop when asked: the watchdog's last
  // resort. Without one the thread is left to end on its own.
  virtual void EndThread(std::thread& /*thread*/) {}
};

// How long a worker may go on after a cancel before its watchdog ends it.
inline constexpr std::chrono::milliseconds kWatchdogDelay{15000};

// Engine-wide flags.
bool CancelRequested();
void SetCancelRequested(bool requested);
bool WorkInProgress();
// Shows the workers' progress on the dialog on screen; the wait loops call
// it once a worker has finished, so that the last figures are seen. Set by
// the dialog side; none by default.
void SetProgressRefresh(std::function<void()> refresh);

// Publishes progress: "$VELD$" takes text and numbers from the progress
// variables, "$IGNORE$" leaves the text, position -1 leaves the numbers.
void ReportProgress(std::string_view text, int64_t minimum, int64_t maximum, int64_t position,
                    TVariableManager& vars = Variables());

// One job on its own thread. The body runs once; it polls TerminateRequested()
// at its safe points and stores its results in its own fields before returning.
class Worker {
 public:
  using Body = std::function<void(Worker&)>;
  explicit Worker(Body body) : body_(std::move(body)) {}
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;
  ~Worker();

  void Start(WaitHost* wake);
  void Join();
  bool Finished() const { return finished_.load(std::memory_order_acquire); }
  bool TerminateRequested() const { return terminate_.load(std::memory_order_acquire); }
  void RequestTerminate() { terminate_.store(true, std::memory_order_release); }
  // The watchdog: ends the thread through the host and counts the work as finished.
  void End(WaitHost& host);

 private:
  Body body_;
  std::thread thread_;
  std::atomic<bool> finished_{false};
  std::atomic<bool> terminate_{false};
};

// One step of a wait loop on the main thread: a window message when windows
// are shown, otherwise block until the worker (when given) has ended.
void WaitStep(WaitHost& host, bool silent, Worker* worker);

// Runs the worker and waits; a confirmed cancel asks it to terminate. With a
// watchdog, a worker still running that long after the request is ended and
// the result is false.
bool RunWithCancel(Worker& worker, WaitHost& host, bool silent,
                   std::chrono::milliseconds watchdog = std::chrono::milliseconds::zero());

// Runs the worker and waits, publishing PROGRESSTEXT and PROGRESS meanwhile.
void RunWithScriptProgress(Worker& worker, WaitHost& host, bool silent,
                           TVariableManager& vars = Variables());

}  // namespace vantrell
