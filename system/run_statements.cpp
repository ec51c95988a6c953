// The program-running statements and "Terminate Program" on top of
// ProgramRunner (contract in run_statements.h).
#include "system/run_statements.h"

#include "common/ascii.h"
#include "common/image_layout.h"
#include "script/background.h"
#include "vars/integer_text.h"
#include "vars/variable_manager.h"

namespace vantrell {
namespace {

constexpr size_t kHeaderBytes = 4096;
constexpr int kTerminateRounds = 10;
constexpr const char* kArchiveLibrary = "zeb.lib";

// A text line of the running statements: expanded, then path-expanded.
std::string TextLine(const StatementContext& s, int n) {
  return s.vars.ExpandPath(s.Expanded(n));
}

// The exit code of a start; the caller names the codes of the starts not made.
int32_t ExitCodeOf(const Launch& launch, int32_t notStarted, int32_t functionMissing) {
  switch (launch.outcome) {
    case Launch::Outcome::kRan:
      return static_cast<int32_t>(launch.exitStatus);
    case Launch::Outcome::kFunctionMissing:
      return functionMissing;
    case Launch::Outcome::kNotStarted:
      break;
  }
  return notStarted;
}

// The result line names NAME or $NAME$; empty names nothing.
void AssignExitCode(StatementContext& s, const std::string& line, int32_t code) {
  std::string name = TVariableManager::StripReference(line);
  if (name.empty()) name = line;
  if (name.empty()) return;
  s.vars.DeclareResultVariable(name, s.Origin());
  s.vars.AssignVariable(name, std::to_string(code), s.Origin());
}

// The engine's current directory moved for one run; back on Restore or at the end.
class DirectoryChange {
 public:
  DirectoryChange(ProgramRunner& runner, const std::string& folder) : runner_(runner) {
    if (folder.empty()) return;
    previous_ = runner.CurrentDirectory();
    // A folder that cannot be entered leaves the directory where it was.
    changed_ = !previous_.empty() && runner.ChangeCurrentDirectory(folder);
  }
  DirectoryChange(const DirectoryChange&) = delete;
  DirectoryChange& operator=(const DirectoryChange&) = delete;
  ~DirectoryChange() { Restore(); }

  void Restore() {
    if (changed_) runner_.ChangeCurrentDirectory(previous_);
    changed_ = false;
  }

 private:
  ProgramRunner& runner_;
  std::string previous_;
  bool changed_ = false;
};

// Runs start() on a worker while the main thread publishes the script's progress.
template <typename Result, typename Start>
Result RunOnWorker(StatementContext& s, Result failure, Start start) {
  Result result = failure;
  Worker worker([&result, &start](Worker&) {
    // Nothing may leave the worker thread; a start that throws keeps the failure.
    try {
      result = start();
    } catch (...) {
    }
  });
  RunWithScriptProgress(worker, s.host, s.run.Silent(), s.vars);
  return result;
}

// "Run Program" from the interpreter's side: the current directory is the
// program's folder while the worker starts it.
Launch RunThroughShell(StatementContext& s, ProgramRunner& runner, const ShellRequest& request) {
  DirectoryChange directory(runner, request.folder);
  const Launch launch =
      RunOnWorker(s, Launch{}, [&runner, &request] { return runner.ShellExecuteAndWait(request); });
  directory.Restore();
  return launch;
}

int32_t ShellExitCode(const Launch& launch) {
  return ExitCodeOf(launch, kRunNotOpened, kRunNotOpened);
}

bool SameFolder(const std::string& a, const std::string& b) {
  return EqualsIgnoreCase(WithTrailingBackslash(a), WithTrailingBackslash(b));
}

}  // namespace

ShowMode ShowModeOfCode(int32_t code) {
  switch (code) {
    case 1:
      return ShowMode::kHidden;
    case 2:
      return ShowMode::kMaximized;
    case 3:
      return ShowMode::kMinimized;
    case 4:
      return ShowMode::kMinimizedNoActivate;
    default:
      return ShowMode::kNormal;
  }
}

std::string RunAsCommandLine(std::string_view program, std::string_view parameters) {
  std::string line = "\"";
  line.append(program);
  line.append("\" ");
  line.append(parameters);
  return line;
}

std::string EnvironmentBlock(std::string_view lines) {
  std::string block;
  size_t start = 0;
  while (start <= lines.size()) {
    size_t end = lines.find("\r\n", start);
    if (end == std::string_view::npos) end = lines.size();
    std::string_view entry = lines.substr(start, end - start);
    if (!entry.empty()) {
      block.append(entry);
      block.push_back('\0');
    }
    start = end + 2;
  }
  if (block.empty()) return block;
  block.push_back('\0');
  return block;
}

std::string ProgramFolder(std::string_view path) {
  const size_t slash = path.rfind('\\');
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

const std::vector<std::string>& DesktopUserRemovedPrivileges() {
  static const std::vector<std::string> privileges = {"SeCreateGlobalPrivilege",
                                                      "SeBackupPrivilege",
                                                      "SeCreatePagefilePrivilege",
                                                      "SeCreateSymbolicLinkPrivilege",
                                                      "SeDebugPrivilege",
                                                      "SeImpersonatePrivilege",
                                                      "SeIncreaseBasePriorityPrivilege",
                                                      "SeIncreaseQuotaPrivilege",
                                                      "SeLoadDriverPrivilege",
                                                      "SeManageVolumePrivilege",
                                                      "SeProfileSingleProcessPrivilege",
                                                      "SeRemoteShutdownPrivilege",
                                                      "SeRestorePrivilege",
                                                      "SeSecurityPrivilege",
                                                      "SeSystemEnvironmentPrivilege",
                                                      "SeSystemProfilePrivilege",
                                                      "SeSystemtimePrivilege",
                                                      "SeTakeOwnershipPrivilege"};
  return privileges;
}

int32_t StartAsDesktopUser(ProgramRunner& runner, const ProcessRequest& request) {
  // Only an elevated engine under a non-elevated shell has a user to step
  // down to; the privilege is asked for last, as it changes the engine's token.
  const bool stepDown =
      runner.IsVistaOrLater() && runner.EngineIntegrityLevel() == kHighIntegrity &&
      runner.DesktopShellIntegrityLevel() == kMediumIntegrity && runner.EnableDebugPrivilege();
  if (!stepDown)
    return ExitCodeOf(runner.CreateProcessAndWait(request), kRunNotCreated, kRunNotCreated);

  const DesktopToken desktop = runner.DuplicateDesktopShellToken(DesktopUserRemovedPrivileges());
  switch (desktop.step) {
    case DesktopToken::Step::kNoShellProcess:
      return kRunNoShellProcess;
    case DesktopToken::Step::kNoShellToken:
      return kRunNoShellToken;
    case DesktopToken::Step::kNoDuplicate:
      return kRunNoDuplicate;
    case DesktopToken::Step::kReady:
      break;
  }
  if (!desktop.token) return kRunNoDuplicate;
  return ExitCodeOf(runner.CreateProcessWithToken(*desktop.token, request), kRunNotCreated,
                    kRunNoTokenFunction);
}

int32_t StartProgramAs(ProgramRunner& runner, const ProcessRequest& request,
                       const LogonCredentials& credentials) {
  if (credentials.user == kDesktopUserMarker) return StartAsDesktopUser(runner, request);
  if (!credentials.user.empty() && runner.IsNtFamily())
    return ExitCodeOf(runner.CreateProcessWithLogon(request, credentials), kRunNotCreated,
                      kRunNotCreated);
  return ExitCodeOf(runner.CreateProcessAndWait(request), kRunNotCreated, kRunNotCreated);
}

bool BuildLightModeSetup(FileSystem& files, ProgramRunner& runner, const std::string& dataFile) {
  if (dataFile.empty()) return false;
  std::string image;
  if (!files.ReadWholeFile(runner.OwnExecutablePath(), image)) return false;
  const auto end = ImageEndFromHeaders(std::string_view(image).substr(0, kHeaderBytes));
  if (!end || *end > image.size()) return false;
  image.resize(static_cast<size_t>(*end));
  std::string data;
  if (!files.ReadWholeFile(dataFile, data)) return false;

  const std::string built = dataFile + ".to";
  const std::string kept = dataFile + ".nox";
  if (!files.WriteWholeFile(built, image) || !files.AppendToExistingFile(built, data)) {
    files.RemoveFile(built);
    return false;
  }
  if (!runner.RenameFile(dataFile, kept)) {
    files.RemoveFile(built);
    return false;
  }
  if (!runner.RenameFile(built, dataFile)) {
    // The data file must not stay under its spare name.
    runner.RenameFile(kept, dataFile);
    files.RemoveFile(built);
    return false;
  }
  return true;
}

void RestoreLightModeDataFile(FileSystem& files, ProgramRunner& runner,
                              const std::string& dataFile) {
  // A setup that still runs needs its file (it reads its script from it), so
  // it is never moved aside: its name stays taken and the data file waits.
  if (!files.RemoveFile(dataFile)) return;
  runner.RenameFile(dataFile + ".nox", dataFile);
}

std::optional<uintptr_t> FindWindowToClose(const std::vector<TopLevelWindow>& windows,
                                           std::string_view titlePart, std::string_view classPart) {
  for (const TopLevelWindow& window : windows) {
    if (window.className.find(classPart) == std::string::npos) continue;
    if (window.title.find(titlePart) == std::string::npos) continue;
    return window.handle;
  }
  return std::nullopt;
}

void ExecuteRunProgram(StatementContext& s, ProgramRunner& runner) {
  const auto scope = runner.NativeFileSystem();
  ShellRequest request;
  request.file = TextLine(s, 1);
  request.hidden = TextToBool(s.Parameter(2));
  request.parameters = TextLine(s, 3);
  request.wait = TextToBool(s.Parameter(4));
  request.folder = ProgramFolder(request.file);
  AssignExitCode(s, s.Parameter(5), ShellExitCode(RunThroughShell(s, runner, request)));
}

void ExecuteRunProgramAs(StatementContext& s, ProgramRunner& runner) {
  const auto scope = runner.NativeFileSystem();
  const std::string program = TextLine(s, 1);
  const std::string folder = TextLine(s, 2);
  ProcessRequest request;
  request.commandLine = RunAsCommandLine(program, TextLine(s, 3));
  request.show = ShowModeOfCode(StrToIntStrict(s.Expanded(4)));
  LogonCredentials credentials{TextLine(s, 5), TextLine(s, 6), TextLine(s, 7)};
  request.wait = TextToBool(s.Parameter(9));
  request.environment = EnvironmentBlock(TextLine(s, 10));

  DirectoryChange directory(runner, folder);
  const int32_t code = RunOnWorker(s, kRunNotCreated, [&runner, &request, &credentials] {
    // Redirection is a per-thread switch: the process is created on this one.
    const auto workerScope = runner.NativeFileSystem();
    return StartProgramAs(runner, request, credentials);
  });
  directory.Restore();
  AssignExitCode(s, s.Parameter(8), code);
}

void ExecuteRunLightModeSetup(StatementContext& s, ProgramRunner& runner, FileSystem& files) {
  const auto scope = runner.NativeFileSystem();
  const std::string dataFile = TextLine(s, 1);
  ShellRequest request;
  request.file = dataFile;
  request.parameters = TextLine(s, 3);
  request.wait = TextToBool(s.Parameter(4));
  request.folder = ProgramFolder(dataFile);
  if (!BuildLightModeSetup(files, runner, dataFile)) {
    AssignExitCode(s, s.Parameter(2), kRunNotOpened);
    return;
  }
  // The built setup needs the archive library beside it; the engine's own
  // copy is neither replaced nor removed when both share a folder.
  const std::string engineFolder = ProgramFolder(runner.OwnExecutablePath());
  bool libraryCopied = false;
  if (!SameFolder(engineFolder, request.folder)) {
    libraryCopied = files.CopyFileReplacing(JoinPath(engineFolder, kArchiveLibrary),
                                            JoinPath(request.folder, kArchiveLibrary));
  }
  const Launch launch = RunThroughShell(s, runner, request);
  // A setup that was started and not waited for still needs its file and the
  // library beside it: both stay, and the data file with them under ".nox".
  if (request.wait || launch.outcome != Launch::Outcome::kRan) {
    if (libraryCopied) files.RemoveFile(JoinPath(request.folder, kArchiveLibrary));
    RestoreLightModeDataFile(files, runner, dataFile);
  }
  AssignExitCode(s, s.Parameter(2), ShellExitCode(launch));
}

void ExecuteTerminateProgram(StatementContext& s, ProgramRunner& runner) {
  const std::string title = s.vars.ExpandPath(s.Parameter(1));
  const std::string className = s.vars.ExpandPath(s.Parameter(2));
  if (title.empty() && className.empty()) return;
  // The close request is posted, not awaited: a window that has not gone yet
  // is asked again in the next round.
  for (int round = 0; round < kTerminateRounds; ++round) {
    if (auto window = FindWindowToClose(runner.TopLevelWindows(), title, className))
      runner.PostCancelAndClose(*window);
  }
}

void RegisterRunStatements(StatementTable& table, ProgramRunner& runner, FileSystem& files) {
  table.Register("Run Program", [&runner](StatementContext& s) { ExecuteRunProgram(s, runner); });
  table.Register("Run Program As",
                 [&runner](StatementContext& s) { ExecuteRunProgramAs(s, runner); });
  table.Register("Run Light Mode Setup", [&runner, &files](StatementContext& s) {
    ExecuteRunLightModeSetup(s, runner, files);
  });
  table.Register("Terminate Program",
                 [&runner](StatementContext& s) { ExecuteTerminateProgram(s, runner); });
}

}  // namespace vantrell
