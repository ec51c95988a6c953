// Twins for the file statements: a file system over the in-memory one that
// adds folder links, read-only folders, files that refuse deletion a number
// of times and a check that deletions happen inside the 64-bit view; and a
// platform that records the registration calls with the state they ran in.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "system/file_statement_platform.h"
#include "twins/forwarding_file_system.h"

namespace vantrell::testing {

class TreeFileSystem final : public ForwardingFileSystem {
 public:
  std::set<std::string> links;            // folders listed as links (keys)
  std::set<std::string> readOnlyFolders;  // refuse removal until their attributes are reset
  std::map<std::string, int> refusals;    // file key -> deletions still refused
  std::vector<std::string> touched;       // every changing call, "op path"
  const int* viewDepth = nullptr;         // when set, changes outside the view are recorded
  int changesOutsideView = 0;
  int listings = 0;
  // Called on every listing: lets a test play another process.
  std::function<void(MemoryFileSystem&)> onList;

  void AddLink(const std::string& path) {
    memory.AddFolder(path);
    links.insert(MemoryFileSystem::Key(path));
  }
  bool Exists(const std::string& path) const {
    return memory.FileExists(path) || memory.DirectoryExists(path);
  }
  // Whether a changing call reached the link itself or anything behind it.
  bool TouchedLink() const {
    for (const std::string& entry : touched) {
      const std::string path = entry.substr(entry.find(' ') + 1);
      for (const std::string& link : links) {
        if (path == link || path.rfind(link + "\\", 0) == 0) return true;
      }
    }
    return false;
  }

  bool SetNormalAttributes(const std::string& path) override {
    Touch("attributes", path);
    if (readOnlyFolders.erase(MemoryFileSystem::Key(path))) return true;
    return memory.SetNormalAttributes(path);
  }
  bool RemoveFile(const std::string& path) override {
    Touch("remove-file", path);
    auto refusal = refusals.find(MemoryFileSystem::Key(path));
    if (refusal != refusals.end() && refusal->second-- > 0) return false;
    return memory.RemoveFile(path);
  }
  bool RemoveEmptyDirectory(const std::string& path) override {
    Touch("remove-folder", path);
    if (readOnlyFolders.count(MemoryFileSystem::Key(path))) return false;
    return memory.RemoveEmptyDirectory(path);
  }
  std::vector<Entry> List(const std::string& folder) const override {
    ++const_cast<TreeFileSystem*>(this)->listings;
    if (onList) onList(const_cast<MemoryFileSystem&>(memory));
    std::vector<Entry> entries = memory.List(folder);
    for (Entry& entry : entries) {
      entry.link = links.count(MemoryFileSystem::Key(JoinPath(folder, entry.name))) != 0;
    }
    return entries;
  }

 private:
  void Touch(const char* op, const std::string& path) {
    touched.push_back(std::string(op) + " " + MemoryFileSystem::Key(path));
    if (viewDepth != nullptr && *viewDepth <= 0) ++changesOutsideView;
  }
};

class RecordingPlatform final : public FileStatementPlatform {
 public:
  std::string currentDirectory = "C:\\Work\\";
  bool result = true;        // what every registration call answers
  bool throwOnCall = false;  // a call that fails with an exception
  int viewDepth = 0;
  int folderDepth = 0;
  std::vector<std::string> calls;           // "Name argument|argument"
  std::vector<std::string> enteredFolders;  // in order
  int callsOutsideScopes = 0;

  std::unique_ptr<Scope> NativeFileView() override { return std::make_unique<Depth>(viewDepth); }
  std::string FullPath(const std::string& path) override {
    const bool absolute = (path.size() >= 3 && path[1] == ':' && path[2] == '\\') ||
                          (path.size() >= 2 && path[0] == '\\' && path[1] == '\\');
    return absolute ? path : currentDirectory + path;
  }
  std::unique_ptr<Scope> EnterFolder(const std::string& folder) override {
    enteredFolders.push_back(folder);
    return std::make_unique<Depth>(folderDepth);
  }
  bool RegisterTypeLibrary(const std::string& path) override {
    return Call("RegisterTypeLibrary " + path);
  }
  bool UnregisterTypeLibrary(const std::string& path) override {
    return Call("UnregisterTypeLibrary " + path);
  }
  bool StartProgram(const std::string& program, const std::string& commandLine) override {
    return Call("StartProgram " + program + "|" + commandLine);
  }
  bool CallRegistrationEntry(const std::string& library, const std::string& entry) override {
    return Call("CallRegistrationEntry " + library + "|" + entry);
  }

 private:
  class Depth final : public Scope {
   public:
    explicit Depth(int& depth) : depth_(depth) { ++depth_; }
    ~Depth() override { --depth_; }

   private:
    int& depth_;
  };

  bool Call(std::string call) {
    if (viewDepth <= 0 || folderDepth <= 0) ++callsOutsideScopes;
    calls.push_back(std::move(call));
    if (throwOnCall) throw std::runtime_error("platform failure");
    return result;
  }
};

}  // namespace vantrell::testing
