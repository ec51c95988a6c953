// The text statements' system access through kernel32 and user32 (contract in
// text_system_win32.h). Only disk files are read or replaced: a device or
// pipe name would block a read or swallow the text.
#include "text/win32/text_system_win32.h"

#include <windows.h>

#include <vector>

#include "common/win32/fs_redirection.h"
#include "common/win32/handle.h"
#include "common/win32/win32_file_system.h"

// The engine's text is in the system code page: the ANSI environment block.
#undef GetEnvironmentStrings

namespace vantrell {
namespace {

constexpr DWORD kMaxChunk = 1 << 20;

bool IsDeviceNamespace(const std::string& path) {
  return path.size() >= 4 && (path[0] == '\\' || path[0] == '/') &&
         (path[1] == '\\' || path[1] == '/') && path[2] == '.' &&
         (path[3] == '\\' || path[3] == '/');
}

// The "\\.\" namespace, named directly or reached through a reserved DOS
// device name ("CON", "NUL", "C:\x\com1.txt"), which the full-path form shows.
bool IsDevicePath(const std::string& path) {
  if (IsDeviceNamespace(path)) return true;
  char full[MAX_PATH + 1] = {};
  DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  return n > 0 && n < MAX_PATH && IsDeviceNamespace(std::string(full, n));
}

std::string FolderOf(const std::string& path) {
  size_t sep = path.find_last_of("\\/:");
  if (sep == std::string::npos) return ".";
  if (path[sep] == ':') return path.substr(0, sep + 1) + ".";
  return path.substr(0, sep + 1);
}

class HandleReader final : public TextSystem::ByteReader {
 public:
  explicit HandleReader(FileHandle file) : file_(std::move(file)) {}
  std::optional<size_t> Read(char* buffer, size_t size) override {
    DWORD chunk = size > kMaxChunk ? kMaxChunk : static_cast<DWORD>(size);
    DWORD got = 0;
    if (!ReadFile(file_.Get(), buffer, chunk, &got, nullptr)) return std::nullopt;
    return got;
  }

 private:
  FileHandle file_;
};

class TempFileReplacement final : public TextSystem::Replacement {
 public:
  TempFileReplacement(std::string target, std::string temp, FileHandle file)
      : target_(std::move(target)), temp_(std::move(temp)), file_(std::move(file)) {}
  ~TempFileReplacement() override {
    if (committed_) return;
    file_ = FileHandle();
    DeleteFileA(temp_.c_str());
  }

  bool Write(std::string_view bytes) override {
    while (!bytes.empty()) {
      DWORD chunk = bytes.size() > kMaxChunk ? kMaxChunk : static_cast<DWORD>(bytes.size());
      DWORD written = 0;
      if (!WriteFile(file_.Get(), bytes.data(), chunk, &written, nullptr) || written == 0)
        return false;
      bytes.remove_prefix(written);
    }
    return true;
  }

  bool Commit() override {
    if (!FlushFileBuffers(file_.Get())) return false;
    file_ = FileHandle();
    DWORD attributes = GetFileAttributesA(target_.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && attributes != FILE_ATTRIBUTE_NORMAL &&
        !SetFileAttributesA(target_.c_str(), FILE_ATTRIBUTE_NORMAL)) {
      return false;
    }
    // Replacing keeps the file's name as spelt, its security and its short name.
    bool replaced = attributes != INVALID_FILE_ATTRIBUTES &&
                    ReplaceFileA(target_.c_str(), temp_.c_str(), nullptr,
                                 REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
    if (!replaced && !MoveFileExA(temp_.c_str(), target_.c_str(),
                                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return false;
    }
    committed_ = true;
    return true;
  }

 private:
  std::string target_;
  std::string temp_;
  FileHandle file_;
  bool committed_ = false;
};

TextSystem::FolderEntry EntryOf(const WIN32_FIND_DATAA& data) {
  TextSystem::FolderEntry entry;
  entry.name = data.cFileName;
  entry.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  entry.link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  return entry;
}

class FindListing final : public TextSystem::FolderListing {
 public:
  FindListing(HANDLE find, const WIN32_FIND_DATAA& first) : find_(find), first_(EntryOf(first)) {}
  bool Next(TextSystem::FolderEntry& entry) override {
    if (pendingFirst_) {
      pendingFirst_ = false;
      entry = first_;
      return true;
    }
    WIN32_FIND_DATAA data;
    if (!FindNextFileA(find_.Get(), &data)) return false;
    entry = EntryOf(data);
    return true;
  }

 private:
  FindHandle find_;
  TextSystem::FolderEntry first_;
  bool pendingFirst_ = true;
};

class RedirectionView final : public TextSystem::FileView {
  FsRedirectionOff bracket_;
};

}  // namespace

Win32TextSystem::Win32TextSystem(std::string tempFolder)
    : tempFolder_(tempFolder.empty() ? UserTempFolder() : std::move(tempFolder)) {}

TextSystem::PathKind Win32TextSystem::Probe(const std::string& path) {
  if (IsDevicePath(path)) return PathKind::kDevice;
  FileHandle probe(CreateFileA(path.c_str(), 0,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (probe.Valid()) {
    if (GetFileType(probe.Get()) != FILE_TYPE_DISK) return PathKind::kDevice;
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(probe.Get(), &info)) {
      return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::kFolder
                                                                : PathKind::kFile;
    }
  }
  // Not openable (in use, no access): the attributes still tell what it is.
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::kMissing;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::kFolder : PathKind::kFile;
}

std::unique_ptr<TextSystem::ByteReader> Win32TextSystem::OpenForReading(const std::string& path) {
  if (IsDevicePath(path)) return nullptr;
  FileHandle file(CreateFileA(
      path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.Valid() || GetFileType(file.Get()) != FILE_TYPE_DISK) return nullptr;
  return std::make_unique<HandleReader>(std::move(file));
}

std::unique_ptr<TextSystem::Replacement> Win32TextSystem::BeginReplacement(
    const std::string& path) {
  if (IsDevicePath(path)) return nullptr;
  char temp[MAX_PATH + 1] = {};
  if (GetTempFileNameA(FolderOf(path).c_str(), "zeb", 0, temp) == 0) return nullptr;
  FileHandle file(CreateFileA(temp, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) {
    DeleteFileA(temp);
    return nullptr;
  }
  return std::make_unique<TempFileReplacement>(path, temp, std::move(file));
}

std::unique_ptr<TextSystem::FolderListing> Win32TextSystem::ListFolder(const std::string& pattern) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<FindListing>(find, data);
}

std::string Win32TextSystem::ProfileString(const std::string& file, const std::string& section,
                                           const std::string& key, size_t bufferChars) {
  std::vector<char> buffer(bufferChars + 1, '\0');
  DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer.data(),
                                     static_cast<DWORD>(bufferChars), file.c_str());
  if (n >= bufferChars) n = static_cast<DWORD>(bufferChars > 0 ? bufferChars - 1 : 0);
  return std::string(buffer.data(), n);
}

std::string Win32TextSystem::CreateTemporaryFile(const std::string& prefix) {
  char path[MAX_PATH + 1] = {};
  if (GetTempFileNameA(tempFolder_.c_str(), prefix.c_str(), 0, path) == 0) return {};
  return path;
}

std::string Win32TextSystem::ExpandEnvironment(const std::string& text) {
  std::string out(text.size() + 256, '\0');
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD n = ExpandEnvironmentStringsA(text.c_str(), out.data(), static_cast<DWORD>(out.size()));
    if (n == 0) return text;
    if (n <= out.size()) {
      out.resize(n - 1);  // n counts the terminating zero
      return out;
    }
    out.assign(n, '\0');
  }
  return text;
}

std::vector<std::string> Win32TextSystem::EnvironmentBlock() {
  std::vector<std::string> entries;
  char* block = GetEnvironmentStrings();
  if (block == nullptr) return entries;
  for (const char* entry = block; *entry != '\0';) {
    std::string text(entry);
    entry += text.size() + 1;
    entries.push_back(std::move(text));
  }
  FreeEnvironmentStringsA(block);
  return entries;
}

std::string Win32TextSystem::UpperCase(std::string text) {
  if (!text.empty()) CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

std::string Win32TextSystem::LowerCase(std::string text) {
  if (!text.empty()) CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

std::string Win32TextSystem::ShortPath(const std::string& path, size_t bufferChars) {
  std::vector<char> buffer(bufferChars + 1, '\0');
  DWORD n = GetShortPathNameA(path.c_str(), buffer.data(), static_cast<DWORD>(bufferChars));
  if (n == 0 || n >= bufferChars) return {};
  return std::string(buffer.data(), n);
}

std::optional<std::string> Win32TextSystem::EntryName(const std::string& path) {
  WIN32_FIND_DATAA data;
  FindHandle find(FindFirstFileA(path.c_str(), &data));
  if (!find.Valid()) return std::nullopt;
  return std::string(data.cFileName);
}

std::unique_ptr<TextSystem::FileView> Win32TextSystem::NativeFileView() {
  return std::make_unique<RedirectionView>();
}

}  // namespace vantrell
