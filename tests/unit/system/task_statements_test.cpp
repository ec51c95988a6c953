// The scheduled-task statements against the scheduler twin: the ".job"
// rule, the US English time, the day search order; then the task each
// "Schedule Task" leaves (flags, one trigger, account), that a bad time or a
// failing call saves nothing and reaches no one, and the computer rule.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "system/task_statements.h"
#include "twins/statement_test.h"
#include "twins/task_scheduler_twin.h"

namespace vantrell {
namespace {

using testing::TaskSchedulerTwin;

TEST(TaskRules, ItemName) {
  const std::pair<const char*, const char*> cases[] = {
      {"Backup", "Backup.job"},     {"Backup.job", "Backup.job"},
      {"Backup.JOB", "Backup.JOB"}, {"Backup.jobs", "Backup.jobs.job"},
      {"job", "job.job"},           {"", ".job"},
  };
  for (const auto& [name, want] : cases) EXPECT_EQ(TaskItemName(name), want) << name;
}

// What the platform's interfaces are given for an item: the statements'
// name and the interfaces' name meet in one file, "<name>.job".
TEST(TaskRules, WorkItemNameForTheInterfaces) {
  const std::pair<const char*, const char*> cases[] = {
      {"Backup", "Backup"},
      {"Backup.job", "Backup"},
      {"Backup.JOB", "Backup"},
      {"Backup.jobs.job", "Backup.jobs"},
      {"Nightly Run.job", "Nightly Run"},
      {".job", ""},
  };
  for (const auto& [name, want] : cases) {
    EXPECT_EQ(TaskWorkItemName(name), want) << name;
    EXPECT_EQ(TaskWorkItemName(TaskItemName(name)), want) << name;
  }
}

TEST(TaskRules, UsTime) {
  struct Case {
    const char* text;
    int hour;  // -1: not a time
    int minute;
  } cases[] = {
      {"2:30 PM", 14, 30}, {"2:30PM", 14, 30},   {"2:30 pm", 14, 30},  {"14:30", 14, 30},
      {"12:00 AM", 0, 0},  {"12:15 PM", 12, 15}, {"11:59 PM", 23, 59}, {"0:00", 0, 0},
      {"9", 9, 0},         {"9 AM", 9, 0},       {"23:59:59", 23, 59}, {" 7:05 ", 7, 5},
      {"24:00", -1, 0},    {"13:00 PM", -1, 0},  {"0:30 AM", -1, 0},   {"12:60", -1, 0},
      {"12:5x", -1, 0},    {"", -1, 0},          {"PM", -1, 0},        {"2.30", -1, 0},
      {"123:00", -1, 0},   {"1:2:3:4", -1, 0},   {"noon", -1, 0},
  };
  for (const Case& c : cases) {
    const auto time = ParseUsTime(c.text);
    if (c.hour < 0) {
      EXPECT_FALSE(time) << c.text;
      continue;
    }
    ASSERT_TRUE(time) << c.text;
    EXPECT_EQ(time->hour, c.hour) << c.text;
    EXPECT_EQ(time->minute, c.minute) << c.text;
  }
}

TEST(TaskRules, ScheduleDaySearchOrder) {
  struct Case {
    const char* text;
    int weekdays;  // -1: none found
    bool daily;
  } cases[] = {
      {"sunday", 1, false},
      {"Monday", 2, false},
      {"tuesday", 4, false},
      {"wednesday", 8, false},
      {"thursday", 16, false},
      {"friday", 32, false},
      {"saturday", 64, false},
      {"every day", 0, true},
      {"every day, except monday", 2, false},
      {"sunday or friday", 32, false},
      {"daily", -1, false},
      {"", -1, false},
  };
  for (const Case& c : cases) {
    const auto day = FindScheduleDay(c.text);
    if (c.weekdays < 0) {
      EXPECT_FALSE(day) << c.text;
      continue;
    }
    ASSERT_TRUE(day) << c.text;
    EXPECT_EQ(day->weekdays, c.weekdays) << c.text;
    EXPECT_EQ(day->daily, c.daily) << c.text;
  }
}

// Lines 1-14 of "Schedule Task".
struct TaskLines {
  std::string name = "Backup", computer;
  std::string boot = "FALSE", logon = "FALSE", scheduled = "TRUE", day = "monday", time = "2:30 PM",
              connected = "FALSE", interactive = "FALSE";
  std::string program = "C:\\App\\backup.exe", folder = "C:\\App", parameters = "/all",
              account = "svc", password = "pw";
  std::vector<std::string> Lines() const {
    return {name,      computer,    boot,    logon,  scheduled,  day,     time,
            connected, interactive, program, folder, parameters, account, password};
  }
};

class TaskTest : public testing::StatementTest {
 protected:
  void SetUp() override { RegisterTaskStatements(table, TaskServices{twin, {}}); }
  void Schedule(const TaskLines& lines) { Run("Schedule Task", lines.Lines()); }
  TaskSchedulerTwin twin;
};

TEST_F(TaskTest, WeeklyTaskWithEverything) {
  TaskLines lines;
  lines.interactive = lines.connected = "TRUE";
  Schedule(lines);
  ASSERT_EQ(twin.saved.count("Backup.job"), 1u);
  const auto& task = twin.saved["Backup.job"];
  EXPECT_EQ(task.program, "C:\\App\\backup.exe");
  EXPECT_EQ(task.folder, "C:\\App");
  EXPECT_EQ(task.parameters, "/all");
  EXPECT_EQ(task.account, "svc");
  EXPECT_EQ(task.password, "pw");
  // The battery rules of a new item are replaced.
  EXPECT_EQ(task.flags, kTaskRunOnlyIfLoggedOn | kTaskInteractive | kTaskRunOnlyIfConnected);
  ASSERT_EQ(task.triggers.size(), 1u);
  const TaskTriggerSettings& t = task.triggers[0];
  EXPECT_EQ(t.type, kTriggerWeekly);
  EXPECT_EQ(t.weekdays, 2);
  EXPECT_EQ(t.interval, 1);
  EXPECT_EQ(t.startHour, 14);
  EXPECT_EQ(t.startMinute, 30);
  EXPECT_EQ(t.beginYear, 2024);
  EXPECT_EQ(t.beginMonth, 2);
  EXPECT_EQ(t.beginDay, 29);
  EXPECT_EQ(twin.openScopes, 0);
}

TEST_F(TaskTest, TriggerTypes) {
  struct Case {
    const char* boot;
    const char* logon;
    const char* scheduled;
    const char* day;
    uint16_t type;
    uint16_t hour;
  } cases[] = {
      {"FALSE", "FALSE", "TRUE", "every day", kTriggerDaily, 14},
      {"FALSE", "TRUE", "FALSE", "", kTriggerAtLogon, 0},
      {"TRUE", "TRUE", "FALSE", "", kTriggerAtSystemStart, 0},  // tested last, so it wins
      {"FALSE", "TRUE", "TRUE", "friday", kTriggerAtLogon, 14},
      {"FALSE", "FALSE", "true", "friday", 0, 0},  // flags are "TRUE" exactly
  };
  for (const Case& c : cases) {
    TaskLines lines;
    lines.boot = c.boot;
    lines.logon = c.logon;
    lines.scheduled = c.scheduled;
    lines.day = c.day;
    Schedule(lines);
    ASSERT_EQ(twin.saved["Backup.job"].triggers.size(), 1u);  // the old one went
    EXPECT_EQ(twin.saved["Backup.job"].triggers[0].type, c.type)
        << c.boot << c.logon << c.scheduled;
    EXPECT_EQ(twin.saved["Backup.job"].triggers[0].startHour, c.hour);
  }
}

TEST_F(TaskTest, BadTimeSavesNothing) {
  TaskLines lines;
  lines.time = "half past two";
  Schedule(lines);
  EXPECT_TRUE(twin.saved.empty());
  lines.time = "9:00";
  Schedule(lines);
  lines.time = "25:00";
  lines.program = "C:\\Other.exe";
  Schedule(lines);
  EXPECT_EQ(twin.saved["Backup.job"].program, "C:\\App\\backup.exe");  // as it was
}

TEST_F(TaskTest, FailuresAreSwallowed) {
  for (const char* call : {"connect", "activate Backup.job", "new Backup.job", "setflags",
                           "triggercount", "addtrigger", "account", "save"}) {
    twin.saved.clear();
    twin.failing = {call};
    EXPECT_NO_THROW(Schedule(TaskLines{})) << call;
    EXPECT_TRUE(twin.saved.empty()) << call;
  }
  twin.failing.clear();
  twin.available = false;
  Schedule(TaskLines{});
  EXPECT_TRUE(twin.saved.empty());
}

TEST_F(TaskTest, AccountOnlyOnNtSystems) {
  twin.ntFamily = false;
  twin.failing = {"account"};
  Schedule(TaskLines{});
  EXPECT_EQ(twin.saved.count("Backup.job"), 1u);
}

TEST_F(TaskTest, TargetComputer) {
  struct Case {
    const char* computer;
    std::vector<std::string> targets;
  } cases[] = {
      {"", {}},
      {"host", {}},  // the local computer
      {"SRV", {"target SRV", "target \\\\SRV"}},
      {"\\\\SRV", {"target \\\\SRV"}},
  };
  for (const Case& c : cases) {
    twin.calls.clear();
    twin.reportedComputer.clear();
    TaskLines lines;
    lines.computer = c.computer;
    Schedule(lines);
    std::vector<std::string> targets;
    for (const std::string& call : twin.calls)
      if (call.rfind("target", 0) == 0) targets.push_back(call);
    EXPECT_EQ(targets, c.targets) << c.computer;
  }
}

TEST_F(TaskTest, DeleteTask) {
  Schedule(TaskLines{});
  Run("Delete Scheduled Task", {"Gone", ""});
  EXPECT_EQ(twin.saved.size(), 1u);
  Run("Delete Scheduled Task", {"Backup.job", ""});
  EXPECT_TRUE(twin.saved.empty());
}

}  // namespace
}  // namespace vantrell
