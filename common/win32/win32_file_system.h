// The file system and code page of the running Windows system.
#pragma once

#include "common/file_system.h"

namespace vantrell {

class Win32FileSystem final : public FileSystem {
 public:
  bool FileExists(const std::string& path) const override;
  bool DirectoryExists(const std::string& path) const override;
  bool MakeNewDirectory(const std::string& path) override;
  bool MakeDirectories(const std::string& path) override;
  std::optional<uint64_t> FileSize(const std::string& path) const override;
  bool ReadWholeFile(const std::string& path, std::string& bytes) const override;
  bool CopyFileTail(const std::string& src, uint64_t offset, const std::string& dst) override;
  bool WriteWholeFile(const std::string& path, std::string_view bytes) override;
  bool AppendToExistingFile(const std::string& path, std::string_view bytes) override;
  bool CopyFileReplacing(const std::string& src, const std::string& dst) override;
  bool SetNormalAttributes(const std::string& path) override;
  bool RemoveFile(const std::string& path) override;
  bool RemoveEmptyDirectory(const std::string& path) override;
  std::vector<Entry> List(const std::string& folder) const override;
};

// The user's temporary folder with a trailing backslash ("C:\\" when the system has none).
std::string UserTempFolder();

// Text in the system code page as UTF-16 for the wide system calls.
std::wstring AnsiToWide(std::string_view text);
// A wide system call's UTF-16 text in the system code page; empty for nullptr.
std::string WideToAnsi(const wchar_t* text);

// File-system default compression on, or compression off, for a folder; best
// effort (file systems without compression refuse it).
void SetFolderCompression(const std::string& folder, bool compressed);

class Win32TextCodec final : public TextCodec {
 public:
  std::u16string AnsiToUtf16(std::string_view text) const override;
};

}  // namespace vantrell
