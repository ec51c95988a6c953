// Reads scheduled tasks back through the Task Scheduler 1.0 interfaces for
// the Wine test of the scheduled-task statements (tests/wine/t_tasks.sh), on
// its own and not through the engine's adapter. One "key=value" line each:
//   task_probe read NAME      the task NAME (without ".job"): "activate" (the
//                             result code), then program, parameters, folder,
//                             flags, triggers and, per trigger, its type,
//                             start time, begin date, interval, days and
//                             flags; "account" or "account-error"
//   task_probe today          the local date as the triggers carry it
//   task_probe service        the state of the "Schedule" service (4 runs)
//   task_probe target NAME    SetTargetComputer's code for NAME, and what
//                             GetTargetComputer reports afterwards
#include <windows.h>
// After windows.h, which they need.
#include <mstask.h>
#include <objbase.h>

#include <cstdio>
#include <string>

namespace {

std::string Narrow(const wchar_t* text) {
  if (text == nullptr) return {};
  const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, out.data(), n, nullptr, nullptr);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

std::wstring Wide(const char* text) {
  const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (n <= 1) return {};
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, out.data(), n);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

unsigned Hex(HRESULT hr) {
  return static_cast<unsigned>(hr);
}

// One text the task reports through a CoTaskMem string.
template <typename Getter>
void PrintText(const char* key, Getter get) {
  LPWSTR text = nullptr;
  const HRESULT hr = get(&text);
  if (FAILED(hr)) {
    std::printf("%s-error=0x%08X\n", key, Hex(hr));
    return;
  }
  std::printf("%s=%s\n", key, Narrow(text).c_str());
  CoTaskMemFree(text);
}

int ReadTask(ITaskScheduler* scheduler, const char* name) {
  ITask* task = nullptr;
  const HRESULT activated =
      scheduler->Activate(Wide(name).c_str(), IID_ITask, reinterpret_cast<IUnknown**>(&task));
  std::printf("activate=0x%08X\n", Hex(activated));
  if (FAILED(activated)) return 0;
  PrintText("program", [&](LPWSTR* t) { return task->GetApplicationName(t); });
  PrintText("parameters", [&](LPWSTR* t) { return task->GetParameters(t); });
  PrintText("folder", [&](LPWSTR* t) { return task->GetWorkingDirectory(t); });
  DWORD flags = 0;
  if (SUCCEEDED(task->GetFlags(&flags)))
    std::printf("flags=0x%04X\n", static_cast<unsigned>(flags));
  WORD count = 0;
  task->GetTriggerCount(&count);
  std::printf("triggers=%u\n", count);
  for (WORD i = 0; i < count; ++i) {
    ITaskTrigger* trigger = nullptr;
    TASK_TRIGGER t = {};
    t.cbTriggerSize = sizeof(t);
    if (FAILED(task->GetTrigger(i, &trigger))) continue;
    if (SUCCEEDED(trigger->GetTrigger(&t))) {
      std::printf("trigger%u.type=%d\n", i, static_cast<int>(t.TriggerType));
      std::printf("trigger%u.start=%02u:%02u\n", i, t.wStartHour, t.wStartMinute);
      std::printf("trigger%u.begin=%04u-%02u-%02u\n", i, t.wBeginYear, t.wBeginMonth, t.wBeginDay);
      std::printf("trigger%u.interval=%u\n", i, t.Type.Weekly.WeeksInterval);
      std::printf("trigger%u.days=%u\n", i, t.Type.Weekly.rgfDaysOfTheWeek);
      std::printf("trigger%u.flags=0x%X\n", i, static_cast<unsigned>(t.rgFlags));
    }
    trigger->Release();
  }
  LPWSTR account = nullptr;
  const HRESULT hr = task->GetAccountInformation(&account);
  if (SUCCEEDED(hr)) {
    std::printf("account=%s\n", Narrow(account).c_str());
    CoTaskMemFree(account);
  } else {
    std::printf("account-error=0x%08X\n", Hex(hr));
  }
  task->Release();
  return 0;
}

int ServiceState() {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (manager == nullptr) return 1;
  SC_HANDLE service = OpenServiceA(manager, "Schedule", SERVICE_QUERY_STATUS);
  SERVICE_STATUS status = {};
  if (service != nullptr && QueryServiceStatus(service, &status))
    std::printf("service=%u\n", static_cast<unsigned>(status.dwCurrentState));
  else
    std::printf("service-error=%u\n", static_cast<unsigned>(GetLastError()));
  if (service != nullptr) CloseServiceHandle(service);
  CloseServiceHandle(manager);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string what = argv[1];
  if (what == "today") {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    std::printf("%04u-%02u-%02u\n", now.wYear, now.wMonth, now.wDay);
    return 0;
  }
  if (what == "service") return ServiceState();
  if (FAILED(CoInitialize(nullptr))) return 1;
  ITaskScheduler* scheduler = nullptr;
  HRESULT hr = CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                IID_ITaskScheduler, reinterpret_cast<void**>(&scheduler));
  if (FAILED(hr)) {
    std::printf("scheduler-error=0x%08X\n", Hex(hr));
    CoUninitialize();
    return 1;
  }
  int code = 2;
  if (what == "read" && argc == 3) {
    code = ReadTask(scheduler, argv[2]);
  } else if (what == "target" && argc == 3) {
    std::printf("set=0x%08X\n", Hex(scheduler->SetTargetComputer(Wide(argv[2]).c_str())));
    PrintText("target", [&](LPWSTR* t) { return scheduler->GetTargetComputer(t); });
    code = 0;
  }
  scheduler->Release();
  CoUninitialize();
  return code;
}
