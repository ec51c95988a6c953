// What the string, arithmetic and text-file statements need from the system:
// text files read as byte streams and replaced whole, folder listings, INI
// values, temporary files, the environment, the code page's letter case,
// short and long path names, and the 64-bit file view. Paths are text in the
// system code page; the Windows side maps them onto the ANSI API, native
// tests use an in-memory twin.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrell {

class TextSystem {
 public:
  enum class PathKind { kMissing, kFile, kFolder, kDevice };

  // An open file read from its start; closed when destroyed.
  class ByteReader {
   public:
    virtual ~ByteReader() = default;
    // Up to size bytes; 0 at the end of the file, nullopt on a read error.
    virtual std::optional<size_t> Read(char* buffer, size_t size) = 0;
  };

  // New contents for a file, written beside it. Destroyed without Commit, it
  // leaves the file as it was.
  class Replacement {
   public:
    virtual ~Replacement() = default;
    virtual bool Write(std::string_view bytes) = 0;
    // Resets the file's attributes to normal and puts the new contents in its place.
    virtual bool Commit() = 0;
  };

  struct FolderEntry {
    std::string name;
    bool folder = false;
    bool link = false;  // a folder link (junction or symbolic link)
  };

  // One listing of a pattern, in the platform's order.
  class FolderListing {
   public:
    virtual ~FolderListing() = default;
    virtual bool Next(FolderEntry& entry) = 0;
  };

  // Holds the 64-bit file view for the calling thread while it lives.
  class FileView {
   public:
    virtual ~FileView() = default;
  };

  virtual ~TextSystem() = default;

  virtual PathKind Probe(const std::string& path) = 0;
  // Regular files only; nullptr when the file cannot be opened for reading.
  virtual std::unique_ptr<ByteReader> OpenForReading(const std::string& path) = 0;
  // nullptr when no new file can be made beside path.
  virtual std::unique_ptr<Replacement> BeginReplacement(const std::string& path) = 0;
  // Entries matching the pattern (folder + mask, e.g. "C:\x\*.*"); nullptr
  // when the folder cannot be enumerated.
  virtual std::unique_ptr<FolderListing> ListFolder(const std::string& pattern) = 0;

  // The profile-string reader with the empty default and a buffer of
  // bufferChars characters.
  virtual std::string ProfileString(const std::string& file, const std::string& section,
                                    const std::string& key, size_t bufferChars) = 0;
  // Creates a new empty file with a unique name in the engine's temporary
  // folder; its path, or empty when none could be made.
  virtual std::string CreateTemporaryFile(const std::string& prefix) = 0;

  // The platform's environment-string expansion of text.
  virtual std::string ExpandEnvironment(const std::string& text) = 0;
  // The process environment block's entries (NAME=VALUE) in block order.
  virtual std::vector<std::string> EnvironmentBlock() = 0;

  // Letter case of the system code page.
  virtual std::string UpperCase(std::string text) = 0;
  virtual std::string LowerCase(std::string text) = 0;

  // The short (8.3) form of path in a buffer of bufferChars; empty when none.
  virtual std::string ShortPath(const std::string& path, size_t bufferChars) = 0;
  // The name of the entry path names, spelt as the file system holds it.
  virtual std::optional<std::string> EntryName(const std::string& path) = 0;

  // The 64-bit file view of the target platform, for the calling thread.
  virtual std::unique_ptr<FileView> NativeFileView() = 0;
};

}  // namespace vantrell
