// File operations on the real system through the ANSI file API, which takes
// paths in the system code page as the engine holds them.
#include "common/win32/win32_file_system.h"

#include <windows.h>
#include <winioctl.h>

#include <memory>

#include "common/paths.h"
#include "common/win32/handle.h"

namespace vantrell {
namespace {

constexpr DWORD kCopyChunk = 1 << 20;

bool WriteAll(HANDLE file, const char* data, size_t size) {
  while (size > 0) {
    DWORD chunk = size > kCopyChunk ? kCopyChunk : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!::WriteFile(file, data, chunk, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

}  // namespace

bool Win32FileSystem::FileExists(const std::string& path) const {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::DirectoryExists(const std::string& path) const {
  DWORD attributes = GetFileAttributesA(WithoutTrailingSeparators(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::MakeNewDirectory(const std::string& path) {
  return CreateDirectoryA(WithoutTrailingSeparators(path).c_str(), nullptr) != 0;
}

bool Win32FileSystem::MakeDirectories(const std::string& path) {
  std::string folder = WithoutTrailingSeparators(path);
  if (folder.empty() || DirectoryExists(folder)) return !folder.empty();
  size_t slash = folder.find_last_of("\\/");
  if (slash != std::string::npos && slash > 0) {
    std::string parent = folder.substr(0, slash);
    if (parent.size() > 2 && !DirectoryExists(parent) && !MakeDirectories(parent)) return false;
  }
  return CreateDirectoryA(folder.c_str(), nullptr) != 0 || DirectoryExists(folder);
}

std::optional<uint64_t> Win32FileSystem::FileSize(const std::string& path) const {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool Win32FileSystem::ReadWholeFile(const std::string& path, std::string& bytes) const {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 ||
      static_cast<uint64_t>(size.QuadPart) > bytes.max_size()) {
    return false;
  }
  try {
    bytes.resize(static_cast<size_t>(size.QuadPart));
  } catch (const std::bad_alloc&) {
    return false;
  }
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD want =
        bytes.size() - done > kCopyChunk ? kCopyChunk : static_cast<DWORD>(bytes.size() - done);
    DWORD got = 0;
    if (!::ReadFile(file.Get(), bytes.data() + done, want, &got, nullptr)) return false;
    if (got == 0) break;
    done += got;
  }
  bytes.resize(done);
  return true;
}

bool Win32FileSystem::CopyFileTail(const std::string& src, uint64_t offset,
                                   const std::string& dst) {
  FileHandle in(CreateFileA(src.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!in.Valid()) return false;
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(offset);
  if (!SetFilePointerEx(in.Get(), at, nullptr, FILE_BEGIN)) return false;
  FileHandle out(CreateFileA(dst.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!out.Valid()) return false;
  auto buffer = std::make_unique<char[]>(kCopyChunk);
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(in.Get(), buffer.get(), kCopyChunk, &got, nullptr)) return false;
    if (got == 0) return true;
    if (!WriteAll(out.Get(), buffer.get(), got)) return false;
  }
}

bool Win32FileSystem::WriteWholeFile(const std::string& path, std::string_view bytes) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  return file.Valid() && WriteAll(file.Get(), bytes.data(), bytes.size());
}

bool Win32FileSystem::AppendToExistingFile(const std::string& path, std::string_view bytes) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  LARGE_INTEGER zero{};
  if (!SetFilePointerEx(file.Get(), zero, nullptr, FILE_END)) return false;
  return WriteAll(file.Get(), bytes.data(), bytes.size());
}

bool Win32FileSystem::CopyFileReplacing(const std::string& src, const std::string& dst) {
  return CopyFileA(src.c_str(), dst.c_str(), FALSE) != 0;
}

bool Win32FileSystem::SetNormalAttributes(const std::string& path) {
  return SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL) != 0;
}

bool Win32FileSystem::RemoveFile(const std::string& path) {
  return DeleteFileA(path.c_str()) != 0;
}

bool Win32FileSystem::RemoveEmptyDirectory(const std::string& path) {
  return RemoveDirectoryA(WithoutTrailingSeparators(path).c_str()) != 0;
}

std::vector<FileSystem::Entry> Win32FileSystem::List(const std::string& folder) const {
  std::vector<Entry> entries;
  WIN32_FIND_DATAA data;
  FindHandle find(FindFirstFileA(JoinPath(folder, "*").c_str(), &data));
  if (!find.Valid()) return entries;
  do {
    std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    Entry entry;
    entry.name = std::move(name);
    entry.directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    entries.push_back(std::move(entry));
  } while (FindNextFileA(find.Get(), &data));
  return entries;
}

std::string UserTempFolder() {
  char buffer[MAX_PATH + 2] = {};
  DWORD n = GetTempPathA(sizeof(buffer), buffer);
  if (n == 0 || n >= sizeof(buffer)) return "C:\\";
  std::string folder(buffer, n);
  if (folder.back() != '\\') folder.push_back('\\');
  return folder;
}

std::wstring AnsiToWide(std::string_view text) {
  if (text.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

std::string WideToAnsi(const wchar_t* text) {
  if (text == nullptr) return {};
  const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, out.data(), size, nullptr, nullptr);
  out.resize(static_cast<size_t>(size - 1));
  return out;
}

std::u16string Win32TextCodec::AnsiToUtf16(std::string_view text) const {
  const std::wstring wide = AnsiToWide(text);
  return std::u16string(wide.begin(), wide.end());
}

void SetFolderCompression(const std::string& folder, bool compressed) {
  const FileHandle handle(CreateFileA(folder.c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle.Valid()) return;
  USHORT format = compressed ? COMPRESSION_FORMAT_DEFAULT : COMPRESSION_FORMAT_NONE;
  DWORD returned = 0;
  DeviceIoControl(handle.Get(), FSCTL_SET_COMPRESSION, &format, sizeof(format), nullptr, 0,
                  &returned, nullptr);
}

}  // namespace vantrell
