// A file system that hands every call to an in-memory one, for twins that
// change only a few calls (refusals, logs, links) and inherit the rest.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "twins/memory_file_system.h"

namespace vantrell::testing {

class ForwardingFileSystem : public FileSystem {
 public:
  MemoryFileSystem memory;

  bool FileExists(const std::string& path) const override { return memory.FileExists(path); }
  bool DirectoryExists(const std::string& path) const override {
    return memory.DirectoryExists(path);
  }
  bool MakeNewDirectory(const std::string& path) override { return memory.MakeNewDirectory(path); }
  bool MakeDirectories(const std::string& path) override { return memory.MakeDirectories(path); }
  std::optional<uint64_t> FileSize(const std::string& path) const override {
    return memory.FileSize(path);
  }
  bool ReadWholeFile(const std::string& path, std::string& bytes) const override {
    return memory.ReadWholeFile(path, bytes);
  }
  bool CopyFileTail(const std::string& src, uint64_t offset, const std::string& dst) override {
    return memory.CopyFileTail(src, offset, dst);
  }
  bool WriteWholeFile(const std::string& path, std::string_view bytes) override {
    return memory.WriteWholeFile(path, bytes);
  }
  bool AppendToExistingFile(const std::string& path, std::string_view bytes) override {
    return memory.AppendToExistingFile(path, bytes);
  }
  bool CopyFileReplacing(const std::string& src, const std::string& dst) override {
    return memory.CopyFileReplacing(src, dst);
  }
  bool SetNormalAttributes(const std::string& path) override {
    return memory.SetNormalAttributes(path);
  }
  bool RemoveFile(const std::string& path) override { return memory.RemoveFile(path); }
  bool RemoveEmptyDirectory(const std::string& path) override {
    return memory.RemoveEmptyDirectory(path);
  }
  std::vector<Entry> List(const std::string& folder) const override { return memory.List(folder); }
};

}  // namespace vantrell::testing
