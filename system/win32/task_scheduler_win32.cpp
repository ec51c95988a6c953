// The task scheduler on Windows (contract in task_scheduler_win32.h).
#include "system/win32/task_scheduler_win32.h"

#include <windows.h>
// After windows.h, which they need.
#include <mstask.h>
#include <objbase.h>

#include <string>

#include "common/win32/fs_redirection.h"
#include "common/win32/handle.h"
#include "common/win32/win32_file_system.h"
#include "system/task_statements.h"

namespace vantrell {
namespace {

constexpr char kSchedulerService[] = "Schedule";
constexpr char kAgentWindowClass[] = "SAGEWINDOWCLASS";
constexpr char kAgentProgram[] = "mstask.exe";
// How long a service that was just started may take to report that it runs.
constexpr DWORD kServiceStartWaitMs = 5000;

class ViewScope final : public TaskSchedulerPlatform::Scope {
  FsRedirectionOff off_;
};

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  explicit ComPtr(T* p) : p_(p) {}
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() {
    if (p_ != nullptr) p_->Release();
  }
  T** Out() { return &p_; }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }

 private:
  T* p_ = nullptr;
};

// COM for the calling thread while a scheduler object lives.
class ComApartment {
 public:
  // S_FALSE: already initialised on this thread, and still to be balanced.
  ComApartment() : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (initialised_) CoUninitialize();
  }

 private:
  bool initialised_;
};

// S_FALSE and the other success codes are success to the statements.
int32_t Code(HRESULT hr) {
  return SUCCEEDED(hr) ? kTaskOk : static_cast<int32_t>(hr);
}

class Win32WorkItem final : public ScheduledWorkItem {
 public:
  explicit Win32WorkItem(ITask* task) : task_(task) {}

  int32_t SetWorkingDirectory(const std::string& folder) override {
    return Code(task_->SetWorkingDirectory(AnsiToWide(folder).c_str()));
  }
  int32_t SetParameters(const std::string& parameters) override {
    return Code(task_->SetParameters(AnsiToWide(parameters).c_str()));
  }
  int32_t SetApplicationName(const std::string& program) override {
    return Code(task_->SetApplicationName(AnsiToWide(program).c_str()));
  }
  int32_t GetFlags(uint32_t& flags) override {
    DWORD value = 0;
    const HRESULT hr = task_->GetFlags(&value);
    flags = value;
    return Code(hr);
  }
  int32_t SetFlags(uint32_t flags) override { return Code(task_->SetFlags(flags)); }
  int32_t GetTriggerCount(uint16_t& count) override {
    WORD value = 0;
    const HRESULT hr = task_->GetTriggerCount(&value);
    count = value;
    return Code(hr);
  }
  int32_t DeleteTrigger(uint16_t index) override { return Code(task_->DeleteTrigger(index)); }

  int32_t AddTrigger(const TaskTriggerSettings& settings) override {
    WORD index = 0;
    ComPtr<ITaskTrigger> trigger;
    const HRESULT created = task_->CreateTrigger(&index, trigger.Out());
    if (FAILED(created)) return Code(created);
    TASK_TRIGGER t = {};
    t.cbTriggerSize = sizeof(t);
    t.wBeginYear = settings.beginYear;
    t.wBeginMonth = settings.beginMonth;
    t.wBeginDay = settings.beginDay;
    t.wStartHour = settings.startHour;
    t.wStartMinute = settings.startMinute;
    t.TriggerType = static_cast<TASK_TRIGGER_TYPE>(settings.type);
    // The weekly layout of the type data; a daily trigger reads its interval
    // from the same place and the event triggers ignore it.
    t.Type.Weekly.WeeksInterval = settings.interval;
    t.Type.Weekly.rgfDaysOfTheWeek = settings.weekdays;
    return Code(trigger->SetTrigger(&t));
  }

  int32_t SetAccountInformation(const std::string& account, const std::string& password) override {
    // No password is given as none: the system account (empty name) and a
    // task that runs only while its user is logged on take no password.
    const std::wstring wideAccount = AnsiToWide(account);
    const std::wstring widePassword = AnsiToWide(password);
    return Code(task_->SetAccountInformation(wideAccount.c_str(),
                                             password.empty() ? nullptr : widePassword.c_str()));
  }

  int32_t Save() override {
    ComPtr<IPersistFile> file;
    const HRESULT found =
        task_->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Out()));
    if (FAILED(found)) return Code(found);
    return Code(file->Save(nullptr, TRUE));
  }

 private:
  ComPtr<ITask> task_;
};

class Win32SchedulerSession final : public TaskSchedulerSession {
 public:
  bool Create() {
    return SUCCEEDED(CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_ITaskScheduler,
                                      reinterpret_cast<void**>(scheduler_.Out())));
  }

  int32_t SetTargetComputer(const std::string& computer) override {
    return Code(scheduler_->SetTargetComputer(AnsiToWide(computer).c_str()));
  }
  std::string TargetComputer() override {
    LPWSTR name = nullptr;
    if (FAILED(scheduler_->GetTargetComputer(&name))) return {};
    std::string text = WideToAnsi(name);
    CoTaskMemFree(name);
    return text;
  }
  int32_t Activate(const std::string& item, std::unique_ptr<ScheduledWorkItem>& task) override {
    ITask* raw = nullptr;
    const HRESULT hr = scheduler_->Activate(AnsiToWide(TaskWorkItemName(item)).c_str(), IID_ITask,
                                            reinterpret_cast<IUnknown**>(&raw));
    return Adopt(hr, raw, task);
  }
  int32_t NewWorkItem(const std::string& item, std::unique_ptr<ScheduledWorkItem>& task) override {
    ITask* raw = nullptr;
    const HRESULT hr =
        scheduler_->NewWorkItem(AnsiToWide(TaskWorkItemName(item)).c_str(), CLSID_CTask, IID_ITask,
                                reinterpret_cast<IUnknown**>(&raw));
    return Adopt(hr, raw, task);
  }
  int32_t Delete(const std::string& item) override {
    return Code(scheduler_->Delete(AnsiToWide(TaskWorkItemName(item)).c_str()));
  }

 private:
  static int32_t Adopt(HRESULT hr, ITask* raw, std::unique_ptr<ScheduledWorkItem>& task) {
    if (SUCCEEDED(hr) && raw != nullptr) {
      task = std::make_unique<Win32WorkItem>(raw);
    } else if (raw != nullptr) {
      raw->Release();
    }
    return Code(hr);
  }

  ComApartment apartment_;  // first, so that it ends after the scheduler object
  ComPtr<ITaskScheduler> scheduler_;
};

bool ServiceRuns(SC_HANDLE service) {
  SERVICE_STATUS status = {};
  return QueryServiceStatus(service, &status) != 0 && status.dwCurrentState == SERVICE_RUNNING;
}

// The "Schedule" service through the service control manager: running, or
// started now.
bool ScheduleServiceRuns() {
  const ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (manager.Get() == nullptr) return false;
  {
    // Asking needs less right than starting, which a user may not have.
    const ServiceHandle service(
        OpenServiceA(manager.Get(), kSchedulerService, SERVICE_QUERY_STATUS));
    if (service.Get() == nullptr) return false;
    if (ServiceRuns(service.Get())) return true;
  }
  const ServiceHandle service(
      OpenServiceA(manager.Get(), kSchedulerService, SERVICE_QUERY_STATUS | SERVICE_START));
  if (service.Get() == nullptr) return false;
  if (StartServiceA(service.Get(), 0, nullptr) == 0)
    return GetLastError() == ERROR_SERVICE_ALREADY_RUNNING;
  // Started: give it the moment it needs to take calls.
  for (DWORD waited = 0; waited < kServiceStartWaitMs && !ServiceRuns(service.Get()); waited += 100)
    Sleep(100);
  return true;
}

// The Windows 95 family's agent: its window, or mstask.exe started from the path.
bool AgentRuns() {
  if (FindWindowA(kAgentWindowClass, nullptr) != nullptr) return true;
  char path[MAX_PATH] = {};
  const DWORD n = SearchPathA(nullptr, kAgentProgram, nullptr, MAX_PATH, path, nullptr);
  if (n == 0 || n >= MAX_PATH) return false;
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(path, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

}  // namespace

std::unique_ptr<TaskSchedulerPlatform::Scope> Win32TaskScheduler::NativeFileView() {
  return std::make_unique<ViewScope>();
}

bool Win32TaskScheduler::IsNtFamily() {
  return (GetVersion() & 0x80000000u) == 0;
}

bool Win32TaskScheduler::SchedulerAvailable() {
  return IsNtFamily() ? ScheduleServiceRuns() : AgentRuns();
}

std::string Win32TaskScheduler::LocalComputerName() {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof(name);
  if (!GetComputerNameA(name, &size)) return {};
  return std::string(name, size);
}

TaskDate Win32TaskScheduler::Today() {
  SYSTEMTIME now = {};
  GetLocalTime(&now);
  return TaskDate{now.wYear, now.wMonth, now.wDay};
}

std::unique_ptr<TaskSchedulerSession> Win32TaskScheduler::Connect() {
  auto session = std::make_unique<Win32SchedulerSession>();
  if (!session->Create()) return nullptr;
  return session;
}

}  // namespace vantrell
