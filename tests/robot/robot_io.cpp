// Text, paths and output for the robot; see robot_io.h.
#include "robot_io.h"

#include <vector>

namespace vantrell::robot {

UniqueHandle& UniqueHandle::operator=(UniqueHandle&& other) noexcept {
  if (this != &other) {
    Reset();
    handle_ = other.Release();
  }
  return *this;
}

HANDLE UniqueHandle::Release() {
  HANDLE handle = handle_;
  handle_ = nullptr;
  return handle;
}

void UniqueHandle::Reset() {
  if (Valid()) CloseHandle(handle_);
  handle_ = nullptr;
}

std::string ToUtf8(std::wstring_view text) {
  if (text.empty()) return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                 nullptr, nullptr);
  if (size <= 0) throw RobotError(Win32Failure("WideCharToMultiByte"));
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

std::wstring FromUtf8(std::string_view text) {
  if (text.empty()) return {};
  int size =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (size <= 0) throw RobotError(Win32Failure("MultiByteToWideChar"));
  std::wstring out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
  return out;
}

std::wstring EscapeLineBreaks(std::wstring_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') {
      out += L"\\n";
      ++i;
    } else if (text[i] == L'\n') {
      out += L"\\n";
    } else if (text[i] == L'\r') {
      out += L"\\r";
    } else {
      out += text[i];
    }
  }
  return out;
}

std::wstring ToWindowsPath(const std::wstring& path) {
  if (path.empty() || path[0] != L'/') return path;
  // Present only under Wine; on Windows a leading slash is left alone.
  using DosNameFn = WCHAR* (*)(const char*);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  auto toDos = kernel ? reinterpret_cast<DosNameFn>(reinterpret_cast<void*>(
                            GetProcAddress(kernel, "wine_get_dos_file_name")))
                      : nullptr;
  if (toDos == nullptr) return path;
  std::string unixPath = ToUtf8(path);
  WCHAR* dos = toDos(unixPath.c_str());
  if (dos == nullptr) throw RobotError("cannot convert path " + unixPath);
  std::wstring out(dos);
  HeapFree(GetProcessHeap(), 0, dos);
  return out;
}

std::string Win32Failure(const char* call, DWORD error) {
  return std::string(call) + " failed (error " + std::to_string(error) + ")";
}

void Output::OpenLog(const std::wstring& path) {
  std::wstring windowsPath = ToWindowsPath(path);
  log_ = UniqueHandle(CreateFileW(windowsPath.c_str(), GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!log_.Valid()) throw RobotError(Win32Failure("CreateFileW (log)") + ": " + ToUtf8(path));
}

void Output::Line(std::string_view key, std::wstring_view value) {
  Line(key, ToUtf8(EscapeLineBreaks(value)));
}

void Output::Line(std::string_view key, std::string_view value) {
  std::string line;
  line.reserve(key.size() + value.size() + 2);
  line.append(key).append("=").append(value).append("\n");
  Write(line);
}

void Output::Write(const std::string& bytes) {
  DWORD written = 0;
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  // A closed stdout must not stop the log (the log is what a parallel step reads).
  if (out != nullptr && out != INVALID_HANDLE_VALUE) {
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }
  if (log_.Valid() &&
      !WriteFile(log_.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
    throw RobotError(Win32Failure("WriteFile (log)"));
  }
}

}  // namespace vantrell::robot
