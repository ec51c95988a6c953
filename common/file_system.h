// The file operations the engine core needs from the system. Paths are text
// in the system code page with backslash separators; the Windows side maps
// them onto the real API, native tests use an in-memory twin.
#pragma once

#include "common/paths.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrell {

class FileSystem {
 public:
  struct Entry {
    std::string name;
    bool directory = false;
    bool link = false;  // a folder link (junction): removed, never entered
  };

  virtual ~FileSystem() = default;

  virtual bool FileExists(const std::string& path) const = 0;
  virtual bool DirectoryExists(const std::string& path) const = 0;
  // Creates exactly this folder: false when it already exists or cannot be
  // made, so that a caller can claim a fresh name atomically.
  virtual bool MakeNewDirectory(const std::string& path) = 0;
  virtual bool MakeDirectories(const std::string& path) = 0;
  virtual std::optional<uint64_t> FileSize(const std::string& path) const = 0;
  virtual bool ReadWholeFile(const std::string& path, std::string& bytes) const = 0;
  // Copies the bytes of src from offset to its end into dst, created or emptied.
  virtual bool CopyFileTail(const std::string& src, uint64_t offset, const std::string& dst) = 0;
  // Creates dst or empties it, then writes bytes.
  virtual bool WriteWholeFile(const std::string& path, std::string_view bytes) = 0;
  // Appends to a file that must exist already.
  virtual bool AppendToExistingFile(const std::string& path, std::string_view bytes) = 0;
  virtual bool CopyFileReplacing(const std::string& src, const std::string& dst) = 0;
  virtual bool SetNormalAttributes(const std::string& path) = 0;
  virtual bool RemoveFile(const std::string& path) = 0;
  virtual bool RemoveEmptyDirectory(const std::string& path) = 0;
  virtual std::vector<Entry> List(const std::string& folder) const = 0;
};

// Text conversion of the system code page.
class TextCodec {
 public:
  virtual ~TextCodec() = default;
  virtual std::u16string AnsiToUtf16(std::string_view text) const = 0;
};

}  // namespace vantrell
