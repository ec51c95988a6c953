// Program runner: fork/exec on POSIX, CreateProcess on Windows.
#include "authoring/process.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#endif

namespace vantrell::authoring {

#ifdef _WIN32
namespace {

// Quotes one argument by the rules the C runtime uses to split a command line.
std::string QuoteArgument(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
  std::string out = "\"";
  size_t slashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++slashes;
      continue;
    }
    out.append(c == '"' ? slashes * 2 + 1 : slashes, '\\');
    slashes = 0;
    out += c;
  }
  out.append(slashes * 2, '\\');
  return out + "\"";
}

HANDLE OpenInherited(const std::filesystem::path& path) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(path.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

int RunProgram(const std::vector<std::string>& args, const std::filesystem::path& folder,
               const std::filesystem::path& output, const std::filesystem::path& errors) {
  std::string line;
  for (const std::string& arg : args) line += (line.empty() ? "" : " ") + QuoteArgument(arg);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string cwd = folder.string();
  HANDLE out = INVALID_HANDLE_VALUE;
  HANDLE err = INVALID_HANDLE_VALUE;
  if (!output.empty() && (out = OpenInherited(output)) == INVALID_HANDLE_VALUE) return -1;
  if (!errors.empty() && (err = OpenInherited(errors)) == INVALID_HANDLE_VALUE) {
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
    return -1;
  }
  const bool redirected = out != INVALID_HANDLE_VALUE || err != INVALID_HANDLE_VALUE;
  if (redirected) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out != INVALID_HANDLE_VALUE ? out : GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = err != INVALID_HANDLE_VALUE ? err : GetStdHandle(STD_ERROR_HANDLE);
  }
  BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, redirected, 0, nullptr,
                                cwd.c_str(), &startup, &process);
  if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  if (err != INVALID_HANDLE_VALUE) CloseHandle(err);
  if (!started) return -1;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

#else

int RunProgram(const std::vector<std::string>& args, const std::filesystem::path& folder,
               const std::filesystem::path& output, const std::filesystem::path& errors) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    int sink = output.empty() ? open("/dev/null", O_WRONLY)
                              : open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (sink < 0 && !output.empty()) _exit(126);
    if (sink >= 0) dup2(sink, STDOUT_FILENO);
    if (!errors.empty()) {
      int log = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (log < 0) _exit(126);
      dup2(log, STDERR_FILENO);
    }
    if (chdir(folder.c_str()) != 0) _exit(127);
    execvp(argv[0], argv.data());
    _exit(127);  // not found: reported like a program that could not start
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  if (!WIFEXITED(status)) return -1;
  int code = WEXITSTATUS(status);
  return code == 127 ? -1 : code;
}

#endif

}  // namespace vantrell::authoring
