// ProgramRunner on the running Windows system: shell execution and process
// creation with one-second wait steps, the logon and token functions of
// advapi32.dll looked up at run time, the desktop shell's token, and the
// top-level window walk of "Terminate Program".
#pragma once

#include "system/program_runner.h"

namespace vantrell {

class Win32ProgramRunner final : public ProgramRunner {
 public:
  std::unique_ptr<RunScope> NativeFileSystem() override;
  bool IsNtFamily() override;
  bool IsVistaOrLater() override;
  Launch ShellExecuteAndWait(const ShellRequest& request) override;
  Launch CreateProcessAndWait(const ProcessRequest& request) override;
  Launch CreateProcessWithLogon(const ProcessRequest& request,
                                const LogonCredentials& credentials) override;
  std::optional<uint32_t> EngineIntegrityLevel() override;
  std::optional<uint32_t> DesktopShellIntegrityLevel() override;
  bool EnableDebugPrivilege() override;
  DesktopToken DuplicateDesktopShellToken(
      const std::vector<std::string>& removedPrivileges) override;
  Launch CreateProcessWithToken(const ProcessToken& token, const ProcessRequest& request) override;
  std::string CurrentDirectory() override;
  bool ChangeCurrentDirectory(const std::string& folder) override;
  std::string OwnExecutablePath() override;
  bool RenameFile(const std::string& from, const std::string& to) override;
  std::vector<TopLevelWindow> TopLevelWindows() override;
  void PostCancelAndClose(uintptr_t window) override;
};

}  // namespace vantrell
