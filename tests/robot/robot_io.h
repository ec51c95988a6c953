// Text, paths and output for the robot: UTF-8 `key=value` lines on stdout and
// an optional log file (written line by line so another process can follow it),
// RAII handles, and Unix-to-Windows path conversion when running under Wine.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>
#include <string_view>

namespace vantrell::robot {

// A failure the robot reports on stderr in one line before exiting non-zero.
class RobotError : public std::runtime_error {
 public:
  explicit RobotError(const std::string& message, int exitCode = 1)
      : std::runtime_error(message), exitCode_(exitCode) {}
  int ExitCode() const { return exitCode_; }

 private:
  int exitCode_;
};

// Owns a kernel handle (process, thread, file, snapshot).
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept;
  ~UniqueHandle() { Reset(); }

  HANDLE Get() const { return handle_; }
  bool Valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Release();
  void Reset();

 private:
  HANDLE handle_ = nullptr;
};

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);

// Keeps multi-line values on one output line: CR LF and LF become "\n", CR "\r".
std::wstring EscapeLineBreaks(std::wstring_view text);

// "/unix/path" -> "Z:\unix\path" through Wine's kernel32 export; other paths unchanged.
std::wstring ToWindowsPath(const std::wstring& path);

// Message for the last Win32 error, e.g. "CreateProcessW failed (error 2)".
std::string Win32Failure(const char* call, DWORD error = GetLastError());

// Writes `key=value` lines to stdout and, once opened, to a log file too.
class Output {
 public:
  void OpenLog(const std::wstring& path);
  void Line(std::string_view key, std::wstring_view value);
  void Line(std::string_view key, std::string_view value);

 private:
  void Write(const std::string& bytes);
  UniqueHandle log_;
};

}  // namespace vantrell::robot
