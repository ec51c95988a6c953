// Archive library twin: archives are name -> content tables kept in memory,
// extracted into a MemoryFileSystem. Records the arguments it was called with.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "media/archive_files.h"
#include "twins/memory_file_system.h"

namespace vantrell::testing {

class FakeArchiveLibrary final : public ArchiveLibrary {
 public:
  struct Archive {
    std::vector<std::pair<std::string, std::string>> entries;  // name, content
    std::string password;                                      // required password, empty for none
    int32_t extractError = 0;  // when non-zero, Extract fails with it
  };

  explicit FakeArchiveLibrary(MemoryFileSystem& files) : files_(files) {}

  std::map<std::string, Archive> archives;  // keyed by MemoryFileSystem::Key(path)
  std::vector<std::string> lastSelection;
  uint32_t lastOption = 99;
  std::string lastPasswordSeen;
  int extractCalls = 0;

  int32_t Extract(const char* archivePath, const char* destFolder,
                  const ZebFileSelection* selection, uint32_t option, const char* password,
                  ZebPasswordCallback passwordCb, ZebProgressCallback progressCb, ZebNotifyCallback,
                  ZebQuestionCallback) override {
    ++extractCalls;
    lastOption = option;
    lastSelection.clear();
    for (int32_t i = 0; i < selection->count; ++i) lastSelection.emplace_back(selection->names[i]);
    const Archive* archive = Lookup(archivePath);
    if (!archive) return Failed(lastError_);
    if (archive->extractError) return Failed(archive->extractError);
    if (!PasswordMatches(*archive, password, passwordCb)) return Failed(1003);
    uint64_t done = 0;
    for (const auto& [name, content] : archive->entries) {
      std::string target = JoinPath(destFolder, name);
      files_.MakeDirectories(MemoryFileSystem::Parent(MemoryFileSystem::Key(target)));
      if (!files_.WriteWholeFile(target, content)) return Failed(1005);
      if (progressCb != nullptr && progressCb(name.c_str(), ++done, archive->entries.size()) == 0) {
        return Failed(1006);
      }
    }
    return 1;
  }

  uintptr_t OpenList(const char* archivePath, ZebPasswordCallback passwordCb, const char* password,
                     ZebListEntry** entries, int32_t* count) override {
    const Archive* archive = Lookup(archivePath);
    if (!archive) return Failed(lastError_);
    if (!PasswordMatches(*archive, password, passwordCb)) return Failed(1003);
    listing_.assign(archive->entries.size(), ZebListEntry{});
    for (size_t i = 0; i < listing_.size(); ++i)
      listing_[i].name = archive->entries[i].first.c_str();
    *entries = listing_.data();
    *count = static_cast<int32_t>(listing_.size());
    return 42;
  }

  void CloseList(uintptr_t) override { listing_.clear(); }
  int32_t LastError() override { return lastError_; }

  void FailNextListing(int32_t code) { forcedListingError_ = code; }

 private:
  const Archive* Lookup(const char* path) {
    if (forcedListingError_) {
      lastError_ = forcedListingError_;
      forcedListingError_ = 0;
      return nullptr;
    }
    lastError_ = 1001;
    auto it = archives.find(MemoryFileSystem::Key(path));
    return it == archives.end() ? nullptr : &it->second;
  }
  bool PasswordMatches(const Archive& archive, const char* password, ZebPasswordCallback cb) {
    std::string given = password ? password : "";
    if (given.empty() && cb) {
      char buffer[kZebPasswordMax] = {};
      if (cb(buffer) == 1) given = buffer;
    }
    lastPasswordSeen = given;
    return archive.password.empty() || archive.password == given;
  }
  int32_t Failed(int32_t code) {
    lastError_ = code;
    return 0;
  }

  MemoryFileSystem& files_;
  std::vector<ZebListEntry> listing_;
  int32_t lastError_ = 0;
  int32_t forcedListingError_ = 0;
};

}  // namespace vantrell::testing
