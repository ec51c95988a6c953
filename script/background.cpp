// Background work and the progress protocol (contract in background.h).
#include "script/background.h"

#include <optional>

#include "vars/integer_text.h"

namespace vantrell {
namespace {

std::atomic<bool> cancelRequested{false};
std::atomic<bool> workInProgress{false};

class WorkInProgressScope {
 public:
  WorkInProgressScope() { workInProgress.store(true); }
  ~WorkInProgressScope() { workInProgress.store(false); }
  WorkInProgressScope(const WorkInProgressScope&) = delete;
  WorkInProgressScope& operator=(const WorkInProgressScope&) = delete;
};

std::function<void()>& ProgressRefreshSlot() {
  static std::function<void()> refresh;
  return refresh;
}

// The last figures of a finished worker, shown before the wait ends.
void ShowLastProgress() {
  if (ProgressRefreshSlot()) ProgressRefreshSlot()();
}

}  // namespace

bool CancelRequested() {
  return cancelRequested.load();
}
void SetCancelRequested(bool requested) {
  cancelRequested.store(requested);
}
void SetProgressRefresh(std::function<void()> refresh) {
  ProgressRefreshSlot() = std::move(refresh);
}

bool WorkInProgress() {
  return workInProgress.load();
}

void ReportProgress(std::string_view text, int64_t minimum, int64_t maximum, int64_t position,
                    TVariableManager& vars) {
  std::string ownText(text);
  if (text == "$VELD$") {
    ownText = vars.GetVariable("VELD_thProgressText");
    position = StrToInt64Strict(vars.GetVariable("VELD_thProgress"));
    maximum = StrToInt64Strict(vars.GetVariable("VELD_thMax"));
    minimum = StrToInt64Strict(vars.GetVariable("VELD_thMin"));
  }
  if (position != -1) {
    vars.PutVariable("VELD_thMax", std::to_string(maximum));
    vars.PutVariable("VELD_thMin", std::to_string(minimum));
    vars.PutVariable("VELD_thProgress", std::to_string(position));
  }
  if (text != "$IGNORE$") vars.PutVariable("VELD_thProgressText", ownText);
}

Worker::~Worker() {
  Join();
}

void Worker::Start(WaitHost* wake) {
  finished_.store(false);
  terminate_.store(false);
  thread_ = std::thread([this, wake] {
    body_(*this);
    finished_.store(true, std::memory_order_release);
    if (wake != nullptr) wake->WakeMainThread();
  });
}

void Worker::Join() {
  if (thread_.joinable()) thread_.join();
}

void WaitStep(WaitHost& host, bool silent, Worker* worker) {
  if (!silent) {
    host.ProcessOneMessage();
  } else if (worker != nullptr) {
    worker->Join();
  }
}

void Worker::End(WaitHost& host) {
  if (Finished()) return;
  host.EndThread(thread_);
  finished_.store(true, std::memory_order_release);
}

bool RunWithCancel(Worker& worker, WaitHost& host, bool silent,
                   std::chrono::milliseconds watchdog) {
  using Clock = std::chrono::steady_clock;
  WorkInProgressScope scope;
  worker.Start(&host);
  std::optional<Clock::time_point> asked;
  bool ended = false;
  while (!worker.Finished()) {
    if (CancelRequested() && !asked) {
      worker.RequestTerminate();
      asked = Clock::now();
    }
    if (asked && watchdog > watchdog.zero() && Clock::now() - *asked >= watchdog) {
      worker.End(host);
      ended = true;
      break;
    }
    WaitStep(host, silent, &worker);
  }
  worker.Join();
  ShowLastProgress();
  return !ended;
}

void RunWithScriptProgress(Worker& worker, WaitHost& host, bool silent, TVariableManager& vars) {
  WorkInProgressScope scope;
  worker.Start(&host);
  do {
    ReportProgress(vars.GetVariable("PROGRESSTEXT"), 0, 100,
                   StrToInt64Def(vars.GetVariable("PROGRESS"), 0), vars);
    WaitStep(host, silent, &worker);
  } while (!worker.Finished());
  worker.Join();
  ShowLastProgress();
}

}  // namespace vantrell
