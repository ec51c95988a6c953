// What the program-running statements need from the system: starting a file
// through the shell or a command line as a process (as the current user, with
// a logon, or with the desktop user's token) and waiting for it, the steps
// that lead to the desktop user's token, the current directory, the engine's
// own file, one rename, and the top-level windows with their close request.
// The Windows side talks to the real system; native tests use a twin.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vantrell {

// How a started program's first window appears; the values are the script's codes.
enum class ShowMode {
  kNormal = 0,
  kHidden = 1,
  kMaximized = 2,
  kMinimized = 3,
  kMinimizedNoActivate = 4
};

// The exit status the system reports for a process that is still running.
inline constexpr uint32_t kStillActive = 259;

// Mandatory integrity levels of a token.
inline constexpr uint32_t kMediumIntegrity = 0x2000;
inline constexpr uint32_t kHighIntegrity = 0x3000;

// A file, document or URL for the shell.
struct ShellRequest {
  std::string file;
  std::string parameters;
  std::string folder;  // the working folder, or empty for none
  bool hidden = false;
  bool wait = false;
  // While waiting, handle the calling thread's window messages between the
  // one-second steps (for a wait on the interpreter's own thread).
  bool processMessages = false;
};

// A command line for a new process in a new console. The current directory
// of the engine is the new process's working folder.
struct ProcessRequest {
  std::string commandLine;
  ShowMode show = ShowMode::kNormal;
  // NAME=VALUE entries each ended by NUL, the block by one more NUL; empty:
  // the engine's own environment.
  std::string environment;
  bool wait = false;
};

struct LogonCredentials {
  std::string user;
  std::string password;
  std::string domain;
};

// How a start went. kRan carries the exit status: the program's own when it
// was waited for and has ended, else kStillActive or whatever the system says.
struct Launch {
  enum class Outcome { kRan, kNotStarted, kFunctionMissing };
  Outcome outcome = Outcome::kNotStarted;
  uint32_t exitStatus = 0;
};

// A primary token held by the system side; released with the object.
class ProcessToken {
 public:
  virtual ~ProcessToken() = default;
};

// How far the way to the desktop user's token got.
struct DesktopToken {
  enum class Step { kReady, kNoShellProcess, kNoShellToken, kNoDuplicate };
  Step step = Step::kNoShellProcess;
  std::unique_ptr<ProcessToken> token;  // set with kReady
};

struct TopLevelWindow {
  uintptr_t handle = 0;
  std::string className;
  std::string title;
};

// Held for one statement; undoes what it switched when released.
class RunScope {
 public:
  virtual ~RunScope() = default;
};

class ProgramRunner {
 public:
  virtual ~ProgramRunner() = default;

  // Switches the 64-bit file-system redirection off for the calling thread
  // while the scope lives (nothing where the target platform or the process
  // does not call for it).
  virtual std::unique_ptr<RunScope> NativeFileSystem() = 0;

  virtual bool IsNtFamily() = 0;
  virtual bool IsVistaOrLater() = 0;

  // Asks the shell to open the file (verb "open", then the default verb),
  // without error dialogs, keeping the process; waits in one-second steps
  // when asked. kNotStarted when the shell could not open it.
  virtual Launch ShellExecuteAndWait(const ShellRequest& request) = 0;
  // A new process as the current user.
  virtual Launch CreateProcessAndWait(const ProcessRequest& request) = 0;
  // A new process under the credentials, loading the user's profile.
  virtual Launch CreateProcessWithLogon(const ProcessRequest& request,
                                        const LogonCredentials& credentials) = 0;

  // The desktop user: the integrity levels of the engine's and the desktop
  // shell's tokens (nullopt when they cannot be read).
  virtual std::optional<uint32_t> EngineIntegrityLevel() = 0;
  virtual std::optional<uint32_t> DesktopShellIntegrityLevel() = 0;
  virtual bool EnableDebugPrivilege() = 0;
  // The desktop shell's token duplicated as a primary token, with these
  // privileges removed from the duplicate.
  virtual DesktopToken DuplicateDesktopShellToken(
      const std::vector<std::string>& removedPrivileges) = 0;
  virtual Launch CreateProcessWithToken(const ProcessToken& token,
                                        const ProcessRequest& request) = 0;

  // The current directory; ChangeCurrentDirectory is false when it fails.
  virtual std::string CurrentDirectory() = 0;
  virtual bool ChangeCurrentDirectory(const std::string& folder) = 0;
  // The engine's own executable file.
  virtual std::string OwnExecutablePath() = 0;
  // Renames a file; fails when the new name exists.
  virtual bool RenameFile(const std::string& from, const std::string& to) = 0;

  // The top-level windows from the desktop's first child on, in window order.
  virtual std::vector<TopLevelWindow> TopLevelWindows() = 0;
  // Posts a cancel-mode message and then a close message.
  virtual void PostCancelAndClose(uintptr_t window) = 0;
};

}  // namespace vantrell
