// What the scheduled-task statements need from the platform's task scheduler
// (the Task Scheduler 1.0 interfaces): the scheduler object, work items with
// their program, flags, one trigger and account, and the service that runs
// them. Every call answers with the platform's result code (0: success). The
// Windows side uses mstask.dll through COM; native tests use a twin.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace vantrell {

inline constexpr int32_t kTaskOk = 0;
// The answer of Activate for a task that does not exist.
inline constexpr int32_t kTaskNotFound = static_cast<int32_t>(0x80070002u);

// The trigger fields the engine sets; the platform's other fields stay zero.
struct TaskTriggerSettings {
  uint16_t beginYear = 0;
  uint16_t beginMonth = 0;
  uint16_t beginDay = 0;
  uint16_t startHour = 0;
  uint16_t startMinute = 0;
  uint16_t type = 0;      // 1 daily, 2 weekly, 6 at system start, 7 at log-on
  uint16_t interval = 1;  // days or weeks
  uint16_t weekdays = 0;  // bit 0 Sunday ... bit 6 Saturday
};

struct TaskDate {
  uint16_t year = 0;
  uint16_t month = 0;
  uint16_t day = 0;
};

class ScheduledWorkItem {
 public:
  virtual ~ScheduledWorkItem() = default;
  virtual int32_t SetWorkingDirectory(const std::string& folder) = 0;
  virtual int32_t SetParameters(const std::string& parameters) = 0;
  virtual int32_t SetApplicationName(const std::string& program) = 0;
  virtual int32_t GetFlags(uint32_t& flags) = 0;
  virtual int32_t SetFlags(uint32_t flags) = 0;
  virtual int32_t GetTriggerCount(uint16_t& count) = 0;
  virtual int32_t DeleteTrigger(uint16_t index) = 0;
  virtual int32_t AddTrigger(const TaskTriggerSettings& trigger) = 0;
  virtual int32_t SetAccountInformation(const std::string& account,
                                        const std::string& password) = 0;
  virtual int32_t Save() = 0;
};

// One scheduler object; released with the object.
class TaskSchedulerSession {
 public:
  virtual ~TaskSchedulerSession() = default;
  virtual int32_t SetTargetComputer(const std::string& computer) = 0;
  virtual std::string TargetComputer() = 0;
  virtual int32_t Activate(const std::string& item, std::unique_ptr<ScheduledWorkItem>& task) = 0;
  virtual int32_t NewWorkItem(const std::string& item,
                              std::unique_ptr<ScheduledWorkItem>& task) = 0;
  virtual int32_t Delete(const std::string& item) = 0;
};

class TaskSchedulerPlatform {
 public:
  class Scope {
   public:
    virtual ~Scope() = default;
  };

  virtual ~TaskSchedulerPlatform() = default;
  // The 64-bit file view of the target platform for the calling thread.
  virtual std::unique_ptr<Scope> NativeFileView() = 0;
  virtual bool IsNtFamily() = 0;
  // Whether the scheduler service runs, starting it when it does not.
  virtual bool SchedulerAvailable() = 0;
  virtual std::string LocalComputerName() = 0;
  virtual TaskDate Today() = 0;
  // A new scheduler object; nullptr when it cannot be created.
  virtual std::unique_ptr<TaskSchedulerSession> Connect() = 0;
};

}  // namespace vantrell
