// The installer thread and its runner (contract in installer_thread.h).
#include "msi/win32/installer_thread.h"

#include <windows.h>

#include <atomic>
#include <vector>

#include "common/ascii.h"
#include "common/shown_window.h"
#include "common/trace_log.h"
#include "common/win32/folder_browser.h"
#include "common/win32/handle.h"
#include "common/win32/process_token.h"
#include "common/win32/registry_key.h"
#include "common/win32/system_facts_win32.h"
#include "lang/caption.h"
#include "lang/win32/reading_order_win32.h"
#include "msi/install_result.h"
#include "msi/install_statements.h"
#include "msi/installer_messages.h"
#include "msi/property_transfer.h"
#include "msi/registration.h"
#include "msi/setup_sources.h"
#include "msi/win32/msi_library.h"
#include "msi/win32/package_editor.h"
#include "msi/win32/registration_store_win32.h"
#include "script/run_identity.h"

namespace vantrell {
namespace {

constexpr DWORD kInternalUiNoneWithSourceResolution = 0x102;
constexpr DWORD kExternalUiFilter = 0x7FDF;  // every kind but files-in-use
constexpr DWORD kLogMode = 0x3FDF;
constexpr DWORD kLogAppendAndFlush = 3;
constexpr const char* kTempPackagesKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\TempPackages";

// This user as the installer's source list names users: domain\\name.
std::string ProcessUserAccountName() {
  std::optional<AccountName> account = ProcessUserAccount();
  if (!account || account->name.empty()) return {};
  return account->domain.empty() ? account->name : account->domain + "\\" + account->name;
}

// The handler's progress accumulators live as long as the engine.
// The window shown when the run started owns the installer's message boxes.
std::atomic<HWND> installerOwner{nullptr};

InstallerMessageHandler& MessageHandler(TVariableManager& vars) {
  static InstallerMessageHandler handler(vars, [](const InstallerMessageBox& box) {
    auto show = [&box](HWND owner) {
      if (box.languageNeutral) {
        return MessageBoxExA(owner, box.text.c_str(), box.caption.c_str(),
                             MessageBoxReadingOrder(box.style), 0);
      }
      return MessageBoxA(owner, box.text.c_str(), box.caption.c_str(),
                         MessageBoxReadingOrder(box.style));
    };
    HWND owner = installerOwner.load();
    const int answer = show(owner);
    // An owner that has gone since is left out.
    return answer == 0 && owner != nullptr ? show(nullptr) : answer;
  });
  return handler;
}

INT WINAPI InstallerUiHandler(LPVOID context, UINT messageType, LPCSTR message) {
  return static_cast<InstallerMessageHandler*>(context)->Handle(messageType,
                                                                message ? message : "");
}

std::string SystemMessage(DWORD code) {
  char* text = nullptr;
  DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  std::string result = length > 0 && text != nullptr ? std::string(text, length) : std::string();
  if (text != nullptr) LocalFree(text);
  return CleanSystemMessageText(result);
}

std::optional<std::string> ShortPath(std::string_view path) {
  std::string input(path);
  char buffer[MAX_PATH * 2] = {};
  DWORD n = GetShortPathNameA(input.c_str(), buffer, sizeof(buffer));
  if (n == 0 || n >= sizeof(buffer)) return std::nullopt;
  return std::string(buffer, n);
}

bool FolderExists(std::string_view folder) {
  DWORD attributes = GetFileAttributesA(std::string(folder).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void CreateFolder(std::string_view folder) {
  std::string path(folder);
  for (size_t i = 3; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
  }
}

void RemoveStaleTempPackages(const std::string& productCode) {
  const RegistryKey opened =
      RegistryKey::Open(HKEY_LOCAL_MACHINE, kTempPackagesKey, KEY_QUERY_VALUE | KEY_SET_VALUE);
  if (!opened.Valid()) return;
  const HKEY key = opened.Get();
  const std::string code = AsciiUpper(productCode);
  std::vector<std::string> names;
  for (DWORD index = 0;; ++index) {
    char name[1024];
    DWORD length = sizeof(name);
    if (RegEnumValueA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    names.emplace_back(name, length);
  }
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    if (!code.empty() && it->find(code) != std::string::npos) RegDeleteValueA(key, it->c_str());
  }
}

bool WriteTextFile(const std::string& path, const std::string& text) {
  const FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  return ok && written == text.size();
}

std::string NowText() {
  char date[128] = {};
  char time[128] = {};
  GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, sizeof(date));
  GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, time, sizeof(time));
  return std::string(date) + " " + time;
}

struct ThreadResult {
  bool error = false;
  bool reboot = false;
  std::string errorText;
};

class InstallerThread {
 public:
  InstallerThread(const InstallerRequest& request, TVariableManager& vars,
                  const std::function<void(const InstallerRequest&)>& packageEdits)
      : request_(request),
        vars_(vars),
        packageEdits_(packageEdits),
        handler_(MessageHandler(vars)) {}

  ThreadResult Run() {
    try {
      RunSteps();
    } catch (const std::exception& e) {
      // A binding error still ends the run as an error, never as a hang.
      result_.error = true;
      result_.errorText = e.what();
    }
    if (result_.error)
      result_.errorText = CompleteErrorText(result_.errorText, handler_.LastMessage());
    if (!transferFile_.empty()) DeleteFileA(transferFile_.c_str());
    return result_;
  }

 private:
  bool Cancelled() const { return vars_.GetVariable("VELD_thCancelled") == "TRUE"; }

  void RunSteps() {
    RemoveStaleTempPackages(request_.productCode);
    InstallerPathService service{ShortPath, FolderExists, CreateFolder};
    const InstallerPaths paths =
        PrepareInstallerPaths(request_.operation, request_.packagePath, request_.dataFolder,
                              request_.setupSourceFolder, service);
    ReportProgress("Windows Installer", 0, 100, 0, vars_);

    PropertyTransferInput transfer{request_.operation,        paths.dataFolder,
                                   paths.setupSourceFolder,   paths.mediaPath,
                                   request_.propertyListText, request_.variablesText};
    const PropertyTransferFile file = ComposePropertyTransferFile(transfer, vars_);
    transferFile_ = PropertyTransferFilePath(vars_.GetVariable("TEMPDIR"), request_.productCode);
    if (!transferFile_.empty()) WriteTextFile(transferFile_, file.content);
    handler_.BeginRun(file.silent, file.title);

    ReportProgress("$IGNORE$", 0, 100, 50, vars_);
    if (request_.operation == InstallerOperation::kPackage && packageEdits_)
      packageEdits_(request_);
    ReportProgress("$IGNORE$", 0, 100, 100, vars_);

    const bool installed =
        msi::MsiQueryProductStateA(request_.productCode.c_str()) == INSTALLSTATE_DEFAULT;
    if (Cancelled()) return;

    TraceBlock(paths);
    msi::MsiSetInternalUI(static_cast<INSTALLUILEVEL>(kInternalUiNoneWithSourceResolution),
                          nullptr);
    msi::MsiSetExternalUIA(InstallerUiHandler, kExternalUiFilter, &handler_);

    CommandLineRequest command;
    command.operation = request_.operation;
    command.install = request_.install;
    command.advertise = request_.advertise;
    command.productInstalled = installed;
    command.cacheHasAdvertisedFolder =
        FolderExists(WithTrailingBackslash(vars_.GetVariable("ENGINECACHE")) + "__ad");
    command.targetFolder = request_.targetFolder;
    command.paths = paths;
    command.variables = ReadCommandLineVariables(vars_);
    const PropertyCommandLine line = ComposePropertyCommandLine(command);

    UINT code = 0;
    if (line.call == InstallerCall::kApplyPatch) {
      // The folder goes into the product's source list for the machine and
      // for this user, so that the patch's own source resolution finds it.
      msi::MsiSourceListAddSourceA(request_.productCode.c_str(), nullptr, 0,
                                   paths.setupSourceFolder.c_str());
      const std::string user = ProcessUserAccountName();
      if (!user.empty()) {
        msi::MsiSourceListAddSourceA(request_.productCode.c_str(), user.c_str(), 0,
                                     paths.setupSourceFolder.c_str());
      }
      code = msi::MsiApplyPatchA(request_.packagePath.c_str(), nullptr, INSTALLTYPE_DEFAULT,
                                 line.text.c_str());
    } else {
      BusyRetry retry;
      retry.call = [&] {
        return msi::MsiInstallProductA(request_.packagePath.c_str(), line.text.c_str());
      };
      retry.cancelled = [this] { return Cancelled(); };
      retry.showBusy = [this](const std::string& text) {
        ReportProgress(text, 0, 100, 100, vars_);
      };
      retry.wait = [](int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); };
      code = CallWhileBusy(retry);
    }
    msi::MsiSetExternalUIA(nullptr, 0, nullptr);
    switch (ClassifyInstallerResult(code)) {
      case InstallerCallOutcome::kSuccess:
        break;
      case InstallerCallOutcome::kRebootRequired:
        result_.reboot = true;
        break;
      case InstallerCallOutcome::kBusy:
      case InstallerCallOutcome::kError:
        result_.error = true;
        result_.errorText = SystemMessage(code);
        break;
    }
  }

  void TraceBlock(const InstallerPaths& paths) {
    TraceLog* log = CurrentTraceLog();
    if (log == nullptr || log->Path().empty()) return;
    TraceLine("=== " + WizardCaption() + ": Applying Changes @" + NowText() + " ===");
    TraceLine("*** Variables ***");
    TraceLine(request_.variablesText);
    TraceLine("*** Properties ***");
    TraceLine(request_.propertyListText);
    TraceLine("*** MSI Database ***");
    TraceLine(request_.packagePath);
    TraceLine("*** GUID ***");
    TraceLine(request_.productCode);
    TraceLine("*** Data Directory ***");
    TraceLine(paths.dataFolder);
    TraceLine("*** Media Directory ***");
    TraceLine(paths.mediaPath);
    TraceLine("*** MSI Directory ***");
    TraceLine(paths.packageFolder);
    TraceLine("");
    msi::MsiEnableLogA(kLogMode, log->Path().c_str(), kLogAppendAndFlush);
  }

  const InstallerRequest& request_;
  TVariableManager& vars_;
  const std::function<void(const InstallerRequest&)>& packageEdits_;
  InstallerMessageHandler& handler_;
  ThreadResult result_;
  std::string transferFile_;
};

}  // namespace

int Win32InstallerRunner::RunInstaller(const InstallerRequest& request, std::string& errorText) {
  // The progress dialog's folder is current while the installer runs.
  const DWORD length = GetCurrentDirectoryA(0, nullptr);
  std::string previousFolder(length, '\0');
  previousFolder.resize(GetCurrentDirectoryA(length, previousFolder.data()));
  const size_t slash = request.progressDialogFile.find_last_of('\\');
  if (slash != std::string::npos) {
    SetCurrentDirectoryA(request.progressDialogFile.substr(0, slash + 1).c_str());
  }
  installerOwner.store(reinterpret_cast<HWND>(ShownWindow()));
  vars_.PutVariable("VELD_thFinished", "FALSE");
  vars_.PutVariable("VELD_thCancelled", "FALSE");
  vars_.PutVariable("VELD_thProgressText", "");
  ThreadResult result;
  Worker worker([&](Worker&) {
    result = InstallerThread(request, vars_, packageEdits_).Run();
    vars_.PutVariable("VELD_thFinished", "TRUE");
  });
  // The wait publishes a confirmed cancel to the thread, as the progress dialog does.
  {
    struct CancelPublisher final : WaitHost {
      CancelPublisher(WaitHost& inner, TVariableManager& vars) : inner_(inner), vars_(vars) {}
      void ProcessOneMessage() override {
        inner_.ProcessOneMessage();
        if (CancelRequested()) vars_.PutVariable("VELD_thCancelled", "TRUE");
      }
      void WakeMainThread() override { inner_.WakeMainThread(); }
      WaitHost& inner_;
      TVariableManager& vars_;
    } wait(host_, vars_);
    if (CancelRequested()) vars_.PutVariable("VELD_thCancelled", "TRUE");
    RunWithCancel(worker, wait, silent_);
  }
  installerOwner.store(nullptr);
  if (!previousFolder.empty()) SetCurrentDirectoryA(previousFolder.c_str());
  errorText = result.errorText;
  return RunnerResult(vars_.GetVariable("VELD_thCancelled"), result.error, result.reboot);
}

}  // namespace vantrell

namespace vantrell {

namespace {

// The source search's question, owned by the dialog shown at that moment.
class ShownWindowSourceBrowser final : public SourceFolderBrowser {
 public:
  std::optional<std::string> BrowseForFolder(const std::string& title) override {
    return vantrell::BrowseForFolder(reinterpret_cast<HWND>(ShownWindow()), {}, title);
  }
};

SourceFolderBrowser* SourceBrowser() {
  static ShownWindowSourceBrowser browser;
  return &browser;
}

}  // namespace

ApplyChangesHooks InstallerHooks(FileSystem& files, SystemFacts& system,
                                 RegistrationStore& registry, CacheFolderSystem& folders) {
  ApplyChangesHooks hooks;
  hooks.setupSourceFolder = [&files, &system](StatementContext& statement) {
    SetupSourceServices services{
        files, system, statement.vars, SourceBrowser(), statement.run.Silent(), false};
    return FindSetupSourceFolder(services);
  };
  hooks.checkSources = [&files, &system](StatementContext& statement, bool install) {
    SetupSourceServices services{
        files, system, statement.vars, SourceBrowser(), statement.run.Silent(), false};
    return CheckRunSetupSources(SourceStatement::kApplyChanges, install, services);
  };
  hooks.checkPatchSources = [&files, &system](StatementContext& statement) {
    SetupSourceServices services{
        files, system, statement.vars, SourceBrowser(), statement.run.Silent(), false};
    return FindSetupSources(SourceStatement::kApplyPatch, false, services);
  };
  hooks.localizeTexts = [](const std::string& packagePath) { ApplyLocalizedTexts(packagePath); };
  hooks.afterSuccess = [&files, &system, &registry, &folders](StatementContext& statement,
                                                              const InstallerRequest& request) {
    RegistrationServices services{files, system, registry, folders, CurrentPlatformFamily()};
    const CacheOperation operation = request.advertise ? CacheOperation::kAdvertise
                                     : request.install ? CacheOperation::kInstall
                                                       : CacheOperation::kRemove;
    // A new instance keeps the package that received its codes, so that its
    // own maintenance and removal run that package and not the first instance's.
    UpkeepAfterSuccess(operation, statement.script, statement.vars, services, EditedPackagePath());
    ForgetEngineCacheRegistration();
  };
  return hooks;
}

std::function<std::unique_ptr<InstallerRunner>(StatementContext&, bool)> Win32InstallerRunners(
    std::function<void(const InstallerRequest&)> packageEdits) {
  return [packageEdits](StatementContext& statement, bool withEdits) {
    return std::make_unique<Win32InstallerRunner>(
        statement.host, statement.run.Silent(), statement.vars, withEdits ? packageEdits : nullptr);
  };
}

}  // namespace vantrell
