// Thin platform layer of the archive library: positioned file reads, file and folder
// creation, and text conversions between the API's ANSI/UTF-8 strings, archive UTF-16
// names and the system's path type. One implementation per platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace zeb {

#if defined(_WIN32)
using NativePath = std::wstring;
#else
using NativePath = std::string;
#endif

// API text (ANSI code page on Windows, UTF-8 elsewhere) to a system path.
NativePath ApiToNative(const std::string& text);
// API text to UTF-16 (for passwords and name matching).
std::u16string ApiToUtf16(const std::string& text);
// Archive name to API text; '/' and '\' become the platform's separator.
std::string Utf16ToApi(const std::u16string& name);
// Archive relative name (already validated) appended to a folder.
NativePath JoinNative(const NativePath& folder, const std::u16string& relative);

class InputFile {
 public:
  InputFile();
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // kZebOk, kZebErrorFileNotFound or kZebErrorRead.
  int32_t Open(const NativePath& path);
  uint64_t Size() const { return size_; }
  // Reads up to size bytes at offset; *got == 0 only at the end of the file.
  int32_t ReadAt(uint64_t offset, void* buffer, size_t size, size_t* got);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  uint64_t size_ = 0;
};

class OutputFile {
 public:
  OutputFile();
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates or truncates the file; kZebOk or kZebErrorWrite.
  int32_t Create(const NativePath& path);
  int32_t Write(const void* data, size_t size);
  // Sets the modification time (FILETIME units, 0 = leave) and closes.
  int32_t Close(uint64_t fileTime);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Creates folder and its missing parents; kZebOk or kZebErrorWrite.
int32_t MakeFolders(const NativePath& folder);

// Processors the process may run on, as std::thread::hardware_concurrency counts them
// (0 when unknown).
unsigned ProcessorCount();

}  // namespace zeb
