// In-memory twin of ProgramRunner: every start answers with a scripted
// Launch and is recorded with what the engine looked like at that moment
// (thread, current directory, open redirection scopes, work-in-progress);
// renames act on a MemoryFileSystem; windows are a list the test fills.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "script/background.h"
#include "system/program_runner.h"
#include "twins/memory_file_system.h"

namespace vantrell::testing {

class FakeProgramRunner final : public ProgramRunner {
 public:
  explicit FakeProgramRunner(MemoryFileSystem* files = nullptr) : files_(files) {}

  // What a start saw.
  struct Start {
    std::string kind;  // "shell", "process", "logon", "token"
    ShellRequest shell;
    ProcessRequest process;
    LogonCredentials credentials;
    std::thread::id thread;
    std::string directory;
    int openScopes = 0;
    bool workInProgress = false;
  };

  // Scripted answers.
  bool ntFamily = true;
  bool vista = true;
  std::optional<uint32_t> engineIntegrity = kMediumIntegrity;
  std::optional<uint32_t> shellIntegrity = kMediumIntegrity;
  bool debugPrivilege = true;
  DesktopToken::Step tokenStep = DesktopToken::Step::kReady;
  Launch shellLaunch{Launch::Outcome::kRan, 0};
  std::map<std::string, Launch> shellLaunchByFile;  // answers for particular files
  Launch processLaunch{Launch::Outcome::kRan, 0};
  Launch logonLaunch{Launch::Outcome::kRan, 0};
  Launch tokenLaunch{Launch::Outcome::kRan, 0};
  std::string exePath = "C:\\engine\\setup.exe";
  std::set<std::string> enterableFolders = {"C:\\work"};  // where the current directory may go
  std::set<std::string> failingRenames;                   // "from>to" pairs that fail
  bool closeRemovesWindow = false;
  std::function<void()> duringStart;  // runs inside every start

  // Records.
  std::vector<Start> starts;
  std::vector<std::string> asked;  // the desktop-user steps in the order asked
  std::vector<std::string> removedPrivileges;
  std::vector<uintptr_t> closed;
  std::vector<TopLevelWindow> windows;
  std::string currentDirectory = "C:\\work";
  int windowWalks = 0;
  std::atomic<int> openScopes{0};

  std::unique_ptr<RunScope> NativeFileSystem() override {
    return std::make_unique<Scope>(openScopes);
  }
  bool IsNtFamily() override { return ntFamily; }
  bool IsVistaOrLater() override {
    asked.push_back("vista");
    return vista;
  }

  Launch ShellExecuteAndWait(const ShellRequest& request) override {
    Start start = Record("shell");
    start.shell = request;
    starts.push_back(start);
    auto byFile = shellLaunchByFile.find(request.file);
    return byFile == shellLaunchByFile.end() ? shellLaunch : byFile->second;
  }
  Launch CreateProcessAndWait(const ProcessRequest& request) override {
    Start start = Record("process");
    start.process = request;
    starts.push_back(start);
    return processLaunch;
  }
  Launch CreateProcessWithLogon(const ProcessRequest& request,
                                const LogonCredentials& credentials) override {
    Start start = Record("logon");
    start.process = request;
    start.credentials = credentials;
    starts.push_back(start);
    return logonLaunch;
  }
  std::optional<uint32_t> EngineIntegrityLevel() override {
    asked.push_back("engine");
    return engineIntegrity;
  }
  std::optional<uint32_t> DesktopShellIntegrityLevel() override {
    asked.push_back("shell");
    return shellIntegrity;
  }
  bool EnableDebugPrivilege() override {
    asked.push_back("privilege");
    return debugPrivilege;
  }
  DesktopToken DuplicateDesktopShellToken(const std::vector<std::string>& removed) override {
    asked.push_back("duplicate");
    removedPrivileges = removed;
    DesktopToken token;
    token.step = tokenStep;
    if (tokenStep == DesktopToken::Step::kReady) token.token = std::make_unique<ProcessToken>();
    return token;
  }
  Launch CreateProcessWithToken(const ProcessToken&, const ProcessRequest& request) override {
    Start start = Record("token");
    start.process = request;
    starts.push_back(start);
    return tokenLaunch;
  }

  std::string CurrentDirectory() override { return currentDirectory; }
  bool ChangeCurrentDirectory(const std::string& folder) override {
    if (!enterableFolders.count(folder)) return false;
    currentDirectory = folder;
    return true;
  }
  std::string OwnExecutablePath() override { return exePath; }
  bool RenameFile(const std::string& from, const std::string& to) override {
    if (files_ == nullptr || failingRenames.count(from + ">" + to)) return false;
    std::string bytes;
    if (!files_->ReadWholeFile(from, bytes) || files_->FileExists(to)) return false;
    if (!files_->RemoveFile(from)) return false;
    return files_->WriteWholeFile(to, bytes);
  }

  std::vector<TopLevelWindow> TopLevelWindows() override {
    ++windowWalks;
    return windows;
  }
  void PostCancelAndClose(uintptr_t window) override {
    closed.push_back(window);
    if (!closeRemovesWindow) return;
    for (auto it = windows.begin(); it != windows.end(); ++it) {
      if (it->handle == window) {
        windows.erase(it);
        break;
      }
    }
  }

 private:
  class Scope final : public RunScope {
   public:
    explicit Scope(std::atomic<int>& open) : open_(open) { ++open_; }
    ~Scope() override { --open_; }

   private:
    std::atomic<int>& open_;
  };

  Start Record(const char* kind) {
    if (duringStart) duringStart();
    Start start;
    start.kind = kind;
    start.thread = std::this_thread::get_id();
    start.directory = currentDirectory;
    start.openScopes = openScopes.load();
    start.workInProgress = WorkInProgress();
    return start;
  }

  MemoryFileSystem* files_;
};

}  // namespace vantrell::testing
