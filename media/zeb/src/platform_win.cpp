// Win32 side of the platform layer: ANSI code page text, '\' separators, wide-character
// file APIs, synchronous ReadFile at explicit offsets.
#include <windows.h>
#include <pthread.h>

#include "platform.h"
#include "zeb.h"

namespace zeb {
namespace {

std::wstring AnsiToWide(const std::string& text) {
  if (text.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<size_t>(n), L'\0');
  if (MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n) !=
      n)
    return {};
  return out;
}

struct Handle {
  HANDLE h = INVALID_HANDLE_VALUE;
  ~Handle() { Reset(); }
  void Reset() {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    h = INVALID_HANDLE_VALUE;
  }
};

}  // namespace

NativePath ApiToNative(const std::string& text) {
  return AnsiToWide(text);
}

std::u16string ApiToUtf16(const std::string& text) {
  const std::wstring w = AnsiToWide(text);
  return std::u16string(w.begin(), w.end());
}

std::string Utf16ToApi(const std::u16string& name) {
  std::wstring w(name.begin(), name.end());
  for (auto& c : w) {
    if (c == L'/') c = L'\\';
  }
  if (w.empty()) return {};
  const int n = WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                    nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  if (WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr,
                          nullptr) != n)
    return {};
  return out;
}

NativePath JoinNative(const NativePath& folder, const std::u16string& relative) {
  NativePath out = folder;
  if (!out.empty() && out.back() != L'\\' && out.back() != L'/') out.push_back(L'\\');
  for (char16_t c : relative) out.push_back(c == u'/' ? L'\\' : static_cast<wchar_t>(c));
  return out;
}

struct InputFile::Impl {
  Handle file;
};

InputFile::InputFile() : impl_(std::make_unique<Impl>()) {}
InputFile::~InputFile() = default;

int32_t InputFile::Open(const NativePath& path) {
  impl_->file.h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (impl_->file.h == INVALID_HANDLE_VALUE) {
    const DWORD e = GetLastError();
    return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? kZebErrorFileNotFound
                                                                  : kZebErrorRead;
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(impl_->file.h, &size) || size.QuadPart < 0) return kZebErrorRead;
  size_ = static_cast<uint64_t>(size.QuadPart);
  return kZebOk;
}

int32_t InputFile::ReadAt(uint64_t offset, void* buffer, size_t size, size_t* got) {
  *got = 0;
  while (*got < size) {
    OVERLAPPED at{};
    const uint64_t pos = offset + *got;
    at.Offset = static_cast<DWORD>(pos);
    at.OffsetHigh = static_cast<DWORD>(pos >> 32);
    const DWORD want = static_cast<DWORD>(size - *got > (1u << 30) ? (1u << 30) : size - *got);
    DWORD n = 0;
    if (!ReadFile(impl_->file.h, static_cast<char*>(buffer) + *got, want, &n, &at)) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
      return kZebErrorRead;
    }
    if (n == 0) break;
    *got += n;
  }
  return kZebOk;
}

struct OutputFile::Impl {
  Handle file;
};

OutputFile::OutputFile() : impl_(std::make_unique<Impl>()) {}
OutputFile::~OutputFile() = default;

int32_t OutputFile::Create(const NativePath& path) {
  impl_->file.h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  return impl_->file.h != INVALID_HANDLE_VALUE ? kZebOk : kZebErrorWrite;
}

int32_t OutputFile::Write(const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const DWORD want = static_cast<DWORD>(size > (1u << 30) ? (1u << 30) : size);
    DWORD n = 0;
    if (!WriteFile(impl_->file.h, p, want, &n, nullptr) || n == 0) return kZebErrorWrite;
    p += n;
    size -= n;
  }
  return kZebOk;
}

int32_t OutputFile::Close(uint64_t fileTime) {
  if (fileTime != 0) {
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(fileTime);
    ft.dwHighDateTime = static_cast<DWORD>(fileTime >> 32);
    SetFileTime(impl_->file.h, nullptr, nullptr, &ft);  // best effort: the data is what matters
  }
  const HANDLE h = impl_->file.h;
  impl_->file.h = INVALID_HANDLE_VALUE;
  return CloseHandle(h) ? kZebOk : kZebErrorWrite;
}

int32_t MakeFolders(const NativePath& folder) {
  // Parents that cannot be created (drive roots, shares) are fine if the folder exists.
  for (size_t i = 1; i <= folder.size(); ++i) {
    if (i != folder.size() && folder[i] != L'\\' && folder[i] != L'/') continue;
    if (folder[i - 1] == L':' || folder[i - 1] == L'\\' || folder[i - 1] == L'/') continue;
    CreateDirectoryW(folder.substr(0, i).c_str(), nullptr);
  }
  const DWORD attr = GetFileAttributesW(folder.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) ? kZebOk
                                                                              : kZebErrorWrite;
}

unsigned ProcessorCount() {
  // what the C++ runtime's hardware_concurrency asks on this toolchain
  const int n = pthread_num_processors_np();
  return n > 0 ? static_cast<unsigned>(n) : 0;
}

}  // namespace zeb
