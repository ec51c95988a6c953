// In-memory twin of the task scheduler: saved tasks by item name with their
// program, flags, triggers and account; every call is recorded in order, and
// any call can be made to fail by its name.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "system/task_scheduler.h"

namespace vantrell::testing {

struct TwinTask {
  std::string folder, parameters, program, account, password;
  uint32_t flags = 0;
  std::vector<TaskTriggerSettings> triggers;
};

class TaskSchedulerTwin final : public TaskSchedulerPlatform {
 public:
  std::map<std::string, TwinTask> saved;  // item -> task as saved
  std::set<std::string> failing;          // names of calls that fail
  bool available = true;
  bool ntFamily = true;
  std::string localName = "HOST";
  std::string reportedComputer;  // what the scheduler reports as its target
  std::vector<std::string> calls;
  int openScopes = 0;

  std::unique_ptr<Scope> NativeFileView() override {
    ++openScopes;
    return std::make_unique<ViewScope>(*this);
  }
  bool IsNtFamily() override { return ntFamily; }
  bool SchedulerAvailable() override { return available; }
  std::string LocalComputerName() override { return localName; }
  TaskDate Today() override { return TaskDate{2024, 2, 29}; }
  std::unique_ptr<TaskSchedulerSession> Connect() override {
    if (Fails("connect")) return nullptr;
    return std::make_unique<Session>(*this);
  }

  bool Fails(const std::string& call) {
    calls.push_back(call);
    return failing.count(call) != 0;
  }

 private:
  class ViewScope final : public Scope {
   public:
    explicit ViewScope(TaskSchedulerTwin& twin) : twin_(twin) {}
    ~ViewScope() override { --twin_.openScopes; }

   private:
    TaskSchedulerTwin& twin_;
  };

  class Item final : public ScheduledWorkItem {
   public:
    Item(TaskSchedulerTwin& twin, std::string name, TwinTask task)
        : twin_(twin), name_(std::move(name)), task_(std::move(task)) {}
    int32_t SetWorkingDirectory(const std::string& v) override {
      return Set("folder", task_.folder, v);
    }
    int32_t SetParameters(const std::string& v) override {
      return Set("parameters", task_.parameters, v);
    }
    int32_t SetApplicationName(const std::string& v) override {
      return Set("program", task_.program, v);
    }
    int32_t GetFlags(uint32_t& flags) override {
      flags = task_.flags;
      return Code("getflags");
    }
    int32_t SetFlags(uint32_t flags) override {
      if (twin_.Fails("setflags")) return 1;
      task_.flags = flags;
      return kTaskOk;
    }
    int32_t GetTriggerCount(uint16_t& count) override {
      count = static_cast<uint16_t>(task_.triggers.size());
      return Code("triggercount");
    }
    int32_t DeleteTrigger(uint16_t index) override {
      if (twin_.Fails("deletetrigger") || index >= task_.triggers.size()) return 1;
      task_.triggers.erase(task_.triggers.begin() + index);
      return kTaskOk;
    }
    int32_t AddTrigger(const TaskTriggerSettings& trigger) override {
      if (twin_.Fails("addtrigger")) return 1;
      task_.triggers.push_back(trigger);
      return kTaskOk;
    }
    int32_t SetAccountInformation(const std::string& account,
                                  const std::string& password) override {
      if (twin_.Fails("account")) return 1;
      task_.account = account;
      task_.password = password;
      return kTaskOk;
    }
    int32_t Save() override {
      if (twin_.Fails("save")) return 1;
      twin_.saved[name_] = task_;
      return kTaskOk;
    }

   private:
    int32_t Code(const std::string& call) { return twin_.Fails(call) ? 1 : kTaskOk; }
    int32_t Set(const std::string& call, std::string& field, const std::string& value) {
      if (twin_.Fails(call)) return 1;
      field = value;
      return kTaskOk;
    }
    TaskSchedulerTwin& twin_;
    std::string name_;
    TwinTask task_;
  };

  class Session final : public TaskSchedulerSession {
   public:
    explicit Session(TaskSchedulerTwin& twin) : twin_(twin) {}
    int32_t SetTargetComputer(const std::string& computer) override {
      if (twin_.Fails("target " + computer)) return 1;
      if (twin_.reportedComputer.empty() || computer.rfind("\\\\", 0) == 0)
        twin_.reportedComputer = computer;
      return kTaskOk;
    }
    std::string TargetComputer() override { return twin_.reportedComputer; }
    int32_t Activate(const std::string& item, std::unique_ptr<ScheduledWorkItem>& task) override {
      if (twin_.Fails("activate " + item)) return 1;
      auto found = twin_.saved.find(item);
      if (found == twin_.saved.end()) return kTaskNotFound;
      task = std::make_unique<Item>(twin_, item, found->second);
      return kTaskOk;
    }
    int32_t NewWorkItem(const std::string& item,
                        std::unique_ptr<ScheduledWorkItem>& task) override {
      if (twin_.Fails("new " + item)) return 1;
      task = std::make_unique<Item>(twin_, item, TwinTask{});
      return kTaskOk;
    }
    int32_t Delete(const std::string& item) override {
      if (twin_.Fails("delete " + item)) return 1;
      return twin_.saved.erase(item) == 1 ? kTaskOk : kTaskNotFound;
    }

   private:
    TaskSchedulerTwin& twin_;
  };
};

}  // namespace vantrell::testing
