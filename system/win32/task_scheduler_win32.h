// TaskSchedulerPlatform on Windows: the Task Scheduler 1.0 objects of
// mstask.dll through COM (ITaskScheduler, ITask, ITaskTrigger, saved through
// IPersistFile), the "Schedule" service through the service control manager
// (the agent window and mstask.exe on the Windows 95 family). Items are
// handed to the interfaces without their ".job" extension.
#pragma once

#include "system/task_scheduler.h"

namespace vantrell {

class Win32TaskScheduler final : public TaskSchedulerPlatform {
 public:
  std::unique_ptr<Scope> NativeFileView() override;
  bool IsNtFamily() override;
  bool SchedulerAvailable() override;
  std::string LocalComputerName() override;
  TaskDate Today() override;
  std::unique_ptr<TaskSchedulerSession> Connect() override;
};

}  // namespace vantrell
