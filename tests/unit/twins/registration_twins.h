// Twins for the registration tests: a file system that logs the writes it is
// asked for and keeps chosen files "in use" (undeletable), a registry writer
// and cache folder system that record their calls, and a scripted browser.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/registration_store.h"
#include "msi/setup_sources.h"
#include "twins/forwarding_file_system.h"

namespace vantrell::testing {

class InUseFileSystem final : public ForwardingFileSystem {
 public:
  std::set<std::string> inUse;   // MemoryFileSystem keys
  std::vector<std::string> log;  // "copy <dst>", "write <path>", "remove <path>"

  void Hold(const std::string& path) { inUse.insert(MemoryFileSystem::Key(path)); }

  bool WriteWholeFile(const std::string& path, std::string_view bytes) override {
    log.push_back("write " + path);
    if (inUse.count(MemoryFileSystem::Key(path))) return false;
    return memory.WriteWholeFile(path, bytes);
  }
  bool CopyFileReplacing(const std::string& src, const std::string& dst) override {
    log.push_back("copy " + dst);
    if (inUse.count(MemoryFileSystem::Key(dst))) return false;
    return memory.CopyFileReplacing(src, dst);
  }
  bool RemoveFile(const std::string& path) override {
    if (inUse.count(MemoryFileSystem::Key(path))) return false;
    return memory.RemoveFile(path);
  }

  // Moves a folder with everything below it, open files included.
  bool Move(const std::string& from, const std::string& to) {
    const std::string source = MemoryFileSystem::Key(from);
    const std::string target = MemoryFileSystem::Key(to);
    if (!memory.DirectoryExists(source) || memory.DirectoryExists(target) ||
        memory.FileExists(target))
      return false;
    auto below = [&source](const std::string& key) {
      return key == source || key.rfind(source + "\\", 0) == 0;
    };
    std::vector<std::pair<std::string, MemoryFileSystem::File>> files;
    for (const auto& [key, file] : memory.Files()) {
      if (below(key)) files.emplace_back(key, file);
    }
    std::vector<std::string> folders;
    for (const std::string& key : memory.Folders()) {
      if (below(key)) folders.push_back(key);
    }
    for (const auto& [key, file] : files) {
      const std::string moved = target + key.substr(source.size());
      memory.AddFile(moved, file.bytes, file.readOnly);
      memory.SetNormalAttributes(key);
      memory.RemoveFile(key);
      if (inUse.erase(key)) inUse.insert(moved);
    }
    for (const std::string& key : folders) memory.AddFolder(target + key.substr(source.size()));
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) memory.RemoveEmptyDirectory(*it);
    return true;
  }
};

struct RegistryWrite {
  RegistryRoot root;
  std::string key;
  std::string value;
  std::string data;
};

class RecordingRegistry final : public RegistrationStore {
 public:
  std::vector<RegistryWrite> writes;
  std::vector<std::pair<RegistryRoot, std::string>> deletions;

  bool WriteString(RegistryRoot root, const std::string& key, const std::string& value,
                   const std::string& data) override {
    writes.push_back({root, key, value, data});
    return true;
  }
  bool DeleteKey(RegistryRoot root, const std::string& key) override {
    deletions.emplace_back(root, key);
    return true;
  }
};

class RecordingFolders final : public CacheFolderSystem {
 public:
  explicit RecordingFolders(InUseFileSystem& files) : files_(files) {}
  std::vector<std::string> moves;  // "from -> to"
  std::vector<std::string> restartDeletions;
  std::vector<std::pair<std::string, bool>> compression;
  bool moveFails = false;

  bool MoveFolder(const std::string& from, const std::string& to) override {
    moves.push_back(from + " -> " + to);
    return !moveFails && files_.Move(from, to);
  }
  bool DeleteAtRestart(const std::string& path) override {
    restartDeletions.push_back(path);
    return true;
  }
  void SetCompression(const std::string& folder, bool compressed) override {
    compression.emplace_back(folder, compressed);
  }
  std::string ShortPath(const std::string& path) override { return "SHORT:" + path; }

 private:
  InUseFileSystem& files_;
};

// Answers each browse with the next folder of its list; past the end, cancel.
class ScriptedBrowser final : public SourceFolderBrowser {
 public:
  std::vector<std::optional<std::string>> answers;
  std::vector<std::string> titles;

  std::optional<std::string> BrowseForFolder(const std::string& title) override {
    titles.push_back(title);
    if (titles.size() > answers.size()) return std::nullopt;
    return answers[titles.size() - 1];
  }
};

}  // namespace vantrell::testing
