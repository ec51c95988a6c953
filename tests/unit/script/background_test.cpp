// The progress protocol and the wait loops with real worker threads.
#include <gtest/gtest.h>

#include <chrono>

#include "script/background.h"
#include "twins/recording_host.h"

namespace vantrell {
namespace {

using testing::RecordingHost;

struct Progress {
  std::string text, min, max, pos;
};

Progress Read(const TVariableManager& vars) {
  return {vars.GetVariable("VELD_thProgressText"), vars.GetVariable("VELD_thMin"),
          vars.GetVariable("VELD_thMax"), vars.GetVariable("VELD_thProgress")};
}

TEST(ReportProgress, Forms) {
  TVariableManager vars;
  ReportProgress("copying", 0, 200, 50, vars);
  Progress p = Read(vars);
  EXPECT_EQ(p.text, "copying");
  EXPECT_EQ(p.max, "200");
  EXPECT_EQ(p.pos, "50");

  ReportProgress("$IGNORE$", 1, 10, 7, vars);  // numbers only
  p = Read(vars);
  EXPECT_EQ(p.text, "copying");
  EXPECT_EQ(p.min, "1");
  EXPECT_EQ(p.pos, "7");

  ReportProgress("next file", 0, 0, -1, vars);  // text only
  p = Read(vars);
  EXPECT_EQ(p.text, "next file");
  EXPECT_EQ(p.max, "10");

  ReportProgress("$VELD$", 0, 0, 0, vars);  // rewrites the variables with themselves
  p = Read(vars);
  EXPECT_EQ(p.text, "next file");
  EXPECT_EQ(p.min, "1");
  EXPECT_EQ(p.max, "10");
  EXPECT_EQ(p.pos, "7");

  vars.PutVariable("VELD_thProgress", "lots");
  EXPECT_THROW(ReportProgress("$VELD$", 0, 0, 0, vars), std::exception);
}

TEST(WaitLoops, CancelAsksTheWorkerToStop) {
  RecordingHost host;
  std::atomic<int> steps{0};
  Worker worker([&](Worker& self) {
    while (!self.TerminateRequested() && steps < 1'000'000) {
      if (++steps == 1000) SetCancelRequested(true);  // as a confirmed Cancel would
      std::this_thread::sleep_for(std::chrono::microseconds(10));
    }
  });
  SetCancelRequested(false);
  RunWithCancel(worker, host, /*silent=*/false);
  SetCancelRequested(false);
  EXPECT_TRUE(worker.Finished());
  EXPECT_TRUE(worker.TerminateRequested());
  EXPECT_LT(steps.load(), 1'000'000);
  EXPECT_EQ(host.wakeups.load(), 1);
  EXPECT_FALSE(WorkInProgress());
}

// A worker that ignores the stop request: the watchdog ends it through the
// host (here the host makes the worker leave, as a killed thread would stop).
TEST(WaitLoops, WatchdogEndsAWorkerThatIgnoresTheStop) {
  struct KillingHost final : WaitHost {
    void ProcessOneMessage() override { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }
    void WakeMainThread() override {}
    void EndThread(std::thread&) override { killed = true; }
    std::atomic<bool> killed{false};
  } host;
  Worker worker([&](Worker&) {
    SetCancelRequested(true);
    while (!host.killed) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(RunWithCancel(worker, host, /*silent=*/false, std::chrono::milliseconds(200)));
  SetCancelRequested(false);
  EXPECT_TRUE(host.killed);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));

  // A worker that stops when asked is not ended.
  host.killed = false;
  Worker obedient([&](Worker& self) {
    SetCancelRequested(true);
    while (!self.TerminateRequested()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  });
  EXPECT_TRUE(RunWithCancel(obedient, host, /*silent=*/false, std::chrono::milliseconds(5000)));
  SetCancelRequested(false);
  EXPECT_FALSE(host.killed);
}

TEST(WaitLoops, WorkInProgressWhileTheWorkerRuns) {
  RecordingHost host;
  bool sawWork = false;
  Worker worker([&](Worker&) { sawWork = WorkInProgress(); });
  RunWithCancel(worker, host, /*silent=*/true);
  EXPECT_TRUE(sawWork);
  EXPECT_FALSE(WorkInProgress());
}

TEST(WaitLoops, ScriptProgressIsPublishedWhileWaiting) {
  RecordingHost host;
  TVariableManager vars;
  vars.PutVariable("PROGRESSTEXT", "Running the tool");
  vars.PutVariable("PROGRESS", "42");
  Worker worker([](Worker&) { std::this_thread::sleep_for(std::chrono::milliseconds(20)); });
  RunWithScriptProgress(worker, host, /*silent=*/false, vars);
  EXPECT_EQ(vars.GetVariable("VELD_thProgressText"), "Running the tool");
  EXPECT_EQ(vars.GetVariable("VELD_thProgress"), "42");
}

}  // namespace
}  // namespace vantrell
