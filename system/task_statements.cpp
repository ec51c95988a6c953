// The scheduled-task statements (contract in task_statements.h).
#include "system/task_statements.h"

#include <array>

#include "common/ascii.h"
#include "vars/variable_manager.h"

namespace vantrell {
namespace {

constexpr std::string_view kJob = ".job";

bool HasJobExtension(std::string_view name) {
  return name.size() >= kJob.size() &&
         EqualsIgnoreCase(name.substr(name.size() - kJob.size()), kJob);
}

// A scheduler step failed: the statement ends without a word.
struct SchedulerFailure {};

void Check(int32_t code) {
  if (code != kTaskOk) throw SchedulerFailure{};
}

std::string TextLine(const StatementContext& s, int line) {
  return s.vars.ExpandPath(s.Expanded(line));
}

bool Flag(const StatementContext& s, int line) {
  return s.vars.ExpandPath(s.Parameter(line)) == "TRUE";
}

std::string TaskNameLine(const StatementContext& s, const TaskServices& services) {
  std::string text = s.Expanded(1);
  if (services.translate) {
    if (auto translated = services.translate(text, s.identifier, 1))
      text = s.vars.ExpandVariables(*translated);
  }
  return s.vars.ExpandPath(text);
}

// A number of one or two digits at the start of text, consumed.
std::optional<int> TwoDigits(std::string_view& text) {
  size_t n = 0;
  int value = 0;
  while (n < text.size() && n < 2 && text[n] >= '0' && text[n] <= '9')
    value = value * 10 + (text[n++] - '0');
  if (n == 0) return std::nullopt;
  text.remove_prefix(n);
  return value;
}

// Connects to the scheduler of the named computer (empty or the local
// computer's name: this one).
std::unique_ptr<TaskSchedulerSession> Connect(TaskSchedulerPlatform& platform,
                                              const std::string& computer) {
  if (!platform.SchedulerAvailable()) return nullptr;
  std::unique_ptr<TaskSchedulerSession> session = platform.Connect();
  if (!session) return nullptr;
  if (!computer.empty() && !EqualsIgnoreCase(computer, platform.LocalComputerName())) {
    Check(session->SetTargetComputer(computer));
    if (session->TargetComputer().rfind("\\\\", 0) != 0)
      Check(session->SetTargetComputer("\\\\" + computer));
  }
  return session;
}

}  // namespace

std::string TaskItemName(std::string_view name) {
  if (HasJobExtension(name)) return std::string(name);
  return std::string(name) + std::string(kJob);
}

std::string TaskWorkItemName(std::string_view item) {
  if (HasJobExtension(item)) item.remove_suffix(kJob.size());
  return std::string(item);
}

std::optional<ClockTime> ParseUsTime(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  std::optional<bool> afternoon;
  if (text.size() >= 2) {
    const std::string suffix = AsciiUpper(text.substr(text.size() - 2));
    if (suffix == "AM" || suffix == "PM") {
      afternoon = suffix == "PM";
      text.remove_suffix(2);
      while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    }
  }
  const auto hour = TwoDigits(text);
  if (!hour) return std::nullopt;
  int minute = 0;
  int second = 0;
  for (int* field : {&minute, &second}) {
    if (text.empty()) break;
    if (text.front() != ':') return std::nullopt;
    text.remove_prefix(1);
    const auto value = TwoDigits(text);
    if (!value || *value > 59) return std::nullopt;
    *field = *value;
  }
  if (!text.empty()) return std::nullopt;
  ClockTime time{*hour, minute};
  if (afternoon) {
    if (*hour < 1 || *hour > 12) return std::nullopt;
    time.hour = (*hour % 12) + (*afternoon ? 12 : 0);
  } else if (*hour > 23) {
    return std::nullopt;
  }
  return time;
}

std::optional<ScheduleDay> FindScheduleDay(std::string_view text) {
  struct Word {
    std::string_view word;
    uint16_t mask;
  };
  constexpr std::array<Word, 8> kWords = {{
      {"monday", 2},
      {"tuesday", 4},
      {"wednesday", 8},
      {"thursday", 16},
      {"friday", 32},
      {"saturday", 64},
      {"sunday", 1},
      {"every day", 0},
  }};
  for (const Word& w : kWords) {
    if (FindIgnoreCase(text, w.word) == std::string_view::npos) continue;
    return ScheduleDay{w.mask, w.mask == 0};
  }
  return std::nullopt;
}

void ExecuteScheduleTask(StatementContext& s, TaskServices& services) {
  TaskSchedulerPlatform& platform = services.platform;
  const auto view = platform.NativeFileView();
  const std::string item = TaskItemName(TaskNameLine(s, services));
  try {
    std::unique_ptr<TaskSchedulerSession> session = Connect(platform, TextLine(s, 2));
    if (!session) return;
    std::unique_ptr<ScheduledWorkItem> task;
    const int32_t opened = session->Activate(item, task);
    if (opened == kTaskNotFound) {
      Check(session->NewWorkItem(item, task));
      if (!task) return;
      Check(task->SetFlags(kTaskNewItemFlags));
    } else {
      Check(opened);  // "Could not activate" the task
      if (!task) return;
    }
    Check(task->SetWorkingDirectory(TextLine(s, 11)));
    Check(task->SetParameters(TextLine(s, 12)));
    Check(task->SetApplicationName(TextLine(s, 10)));

    Check(task->SetFlags(kTaskRunOnlyIfLoggedOn));
    uint32_t flags = 0;
    Check(task->GetFlags(flags));
    if (Flag(s, 9)) flags |= kTaskInteractive;
    if (Flag(s, 8)) flags |= kTaskRunOnlyIfConnected;
    Check(task->SetFlags(flags));

    uint16_t count = 0;
    Check(task->GetTriggerCount(count));
    while (count > 0) Check(task->DeleteTrigger(--count));

    TaskTriggerSettings trigger;
    if (Flag(s, 5)) {
      trigger.type = kTriggerWeekly;
      const auto time = ParseUsTime(TextLine(s, 7));
      if (!time) return;  // before anything is saved
      trigger.startHour = static_cast<uint16_t>(time->hour);
      trigger.startMinute = static_cast<uint16_t>(time->minute);
      if (const auto day = FindScheduleDay(TextLine(s, 6))) {
        trigger.weekdays = day->weekdays;
        if (day->daily) trigger.type = kTriggerDaily;
      }
    }
    if (Flag(s, 4)) trigger.type = kTriggerAtLogon;
    if (Flag(s, 3)) trigger.type = kTriggerAtSystemStart;
    const TaskDate today = platform.Today();
    trigger.beginYear = today.year;
    trigger.beginMonth = today.month;
    trigger.beginDay = today.day;
    trigger.interval = 1;
    Check(task->AddTrigger(trigger));

    if (platform.IsNtFamily()) Check(task->SetAccountInformation(TextLine(s, 13), TextLine(s, 14)));
    Check(task->Save());
  } catch (const SchedulerFailure&) {
    // Scheduler errors end the statement without a message.
  }
}

void ExecuteDeleteScheduledTask(StatementContext& s, TaskServices& services) {
  TaskSchedulerPlatform& platform = services.platform;
  const std::string item = TaskItemName(TaskNameLine(s, services));
  try {
    std::unique_ptr<TaskSchedulerSession> session = Connect(platform, TextLine(s, 2));
    if (session) session->Delete(item);
  } catch (const SchedulerFailure&) {
    // Nothing is reported; a task that is not there changes nothing.
  }
}

void RegisterTaskStatements(StatementTable& table, TaskServices services) {
  table.Register("Schedule Task",
                 [services](StatementContext& s) mutable { ExecuteScheduleTask(s, services); });
  table.Register("Delete Scheduled Task", [services](StatementContext& s) mutable {
    ExecuteDeleteScheduledTask(s, services);
  });
}

}  // namespace vantrell
