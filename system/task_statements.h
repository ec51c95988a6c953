// "Schedule Task" and "Delete Scheduled Task": a task of the platform's task
// scheduler created or replaced with one trigger, or removed, on the local or
// a named computer. Neither reports anything: every scheduler error and a
// start time that cannot be read end the statement quietly.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "script/statements.h"
#include "system/task_scheduler.h"

namespace vantrell {

// Work-item flags written by "Schedule Task".
inline constexpr uint32_t kTaskInteractive = 0x1;
inline constexpr uint32_t kTaskRunOnlyIfConnected = 0x400;
inline constexpr uint32_t kTaskRunOnlyIfLoggedOn = 0x2000;
inline constexpr uint32_t kTaskNewItemFlags = 0x40 | 0x80;  // the battery rules of a new item

inline constexpr uint16_t kTriggerDaily = 1;
inline constexpr uint16_t kTriggerWeekly = 2;
inline constexpr uint16_t kTriggerAtSystemStart = 6;
inline constexpr uint16_t kTriggerAtLogon = 7;

// The scheduler's item: the name with ".job" added unless its extension
// already is ".job" (in any case).
std::string TaskItemName(std::string_view name);

// The name the Task Scheduler 1.0 interfaces take for an item: without its
// ".job" extension, which they add themselves (a name with a dot is refused).
std::string TaskWorkItemName(std::string_view item);

struct ClockTime {
  int hour = 0;
  int minute = 0;
};

// A time in the US English format: H, H:MM or H:MM:SS, 12-hour with "AM" or
// "PM" (in any case, blank optional) or 24-hour without. Nullopt for any
// other text or a value out of range.
std::optional<ClockTime> ParseUsTime(std::string_view text);

// Line 6's day: the first of "monday" ... "sunday", "every day" (in this
// order) that it contains, without regard to case. The weekday mask, or 0
// with daily set for "every day"; nullopt when it names none.
struct ScheduleDay {
  uint16_t weekdays = 0;
  bool daily = false;
};
std::optional<ScheduleDay> FindScheduleDay(std::string_view text);

struct TaskServices {
  TaskSchedulerPlatform& platform;
  std::function<std::optional<std::string>(const std::string& text, const std::string& identifier,
                                           int slot)>
      translate;
};

void ExecuteScheduleTask(StatementContext& s, TaskServices& services);
void ExecuteDeleteScheduledTask(StatementContext& s, TaskServices& services);

// The services' references must outlive the registrations.
void RegisterTaskStatements(StatementTable& table, TaskServices services);

}  // namespace vantrell
