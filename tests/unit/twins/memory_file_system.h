// In-memory twin of the file system for native tests: paths are compared
// ignoring ASCII case with "/" and "\" alike, folders are explicit entries,
// and read-only files refuse deletion until their attributes are reset.
#pragma once

#include <map>
#include <set>
#include <string>

#include "common/ascii.h"
#include "common/file_system.h"

namespace vantrell::testing {

class MemoryFileSystem final : public FileSystem {
 public:
  struct File {
    std::string bytes;
    bool readOnly = false;
  };

  static std::string Key(std::string path) {
    for (char& c : path) c = c == '/' ? '\\' : AsciiLower(c);
    while (path.size() > 1 && path.back() == '\\') path.pop_back();
    return path;
  }
  static std::string Parent(const std::string& key) {
    size_t slash = key.find_last_of('\\');
    return slash == std::string::npos ? std::string() : key.substr(0, slash);
  }

  // Test set-up helpers: parents are created as needed.
  void AddFile(const std::string& path, std::string bytes, bool readOnly = false) {
    std::string key = Key(path);
    AddFolderChain(Parent(key));
    files_[key] = File{std::move(bytes), readOnly};
  }
  void AddFolder(const std::string& path) { AddFolderChain(Key(path)); }
  const File* Find(const std::string& path) const {
    auto it = files_.find(Key(path));
    return it == files_.end() ? nullptr : &it->second;
  }
  const std::set<std::string>& Folders() const { return folders_; }
  const std::map<std::string, File>& Files() const { return files_; }

  bool FileExists(const std::string& path) const override { return files_.count(Key(path)) != 0; }
  bool DirectoryExists(const std::string& path) const override {
    return folders_.count(Key(path)) != 0;
  }
  bool MakeNewDirectory(const std::string& path) override {
    std::string key = Key(path);
    if (folders_.count(key) || files_.count(key) || !folders_.count(Parent(key))) return false;
    folders_.insert(key);
    return true;
  }
  bool MakeDirectories(const std::string& path) override {
    AddFolderChain(Key(path));
    return true;
  }
  std::optional<uint64_t> FileSize(const std::string& path) const override {
    const File* f = Find(path);
    if (!f) return std::nullopt;
    return f->bytes.size();
  }
  bool ReadWholeFile(const std::string& path, std::string& bytes) const override {
    const File* f = Find(path);
    if (!f) return false;
    bytes = f->bytes;
    return true;
  }
  bool CopyFileTail(const std::string& src, uint64_t offset, const std::string& dst) override {
    const File* f = Find(src);
    if (!f || offset > f->bytes.size()) return false;
    return WriteWholeFile(dst, std::string_view(f->bytes).substr(offset));
  }
  bool WriteWholeFile(const std::string& path, std::string_view bytes) override {
    std::string key = Key(path);
    if (!folders_.count(Parent(key)) || folders_.count(key)) return false;
    auto it = files_.find(key);
    if (it != files_.end() && it->second.readOnly) return false;
    files_[key] = File{std::string(bytes), false};
    return true;
  }
  bool AppendToExistingFile(const std::string& path, std::string_view bytes) override {
    auto it = files_.find(Key(path));
    if (it == files_.end() || it->second.readOnly) return false;
    it->second.bytes.append(bytes);
    return true;
  }
  bool CopyFileReplacing(const std::string& src, const std::string& dst) override {
    const File* f = Find(src);
    if (!f) return false;
    std::string bytes = f->bytes;
    bool readOnly = f->readOnly;
    if (!WriteWholeFile(dst, bytes)) return false;
    files_[Key(dst)].readOnly = readOnly;
    return true;
  }
  bool SetNormalAttributes(const std::string& path) override {
    auto it = files_.find(Key(path));
    if (it == files_.end()) return false;
    it->second.readOnly = false;
    return true;
  }
  bool RemoveFile(const std::string& path) override {
    auto it = files_.find(Key(path));
    if (it == files_.end() || it->second.readOnly) return false;
    files_.erase(it);
    return true;
  }
  bool RemoveEmptyDirectory(const std::string& path) override {
    std::string key = Key(path);
    if (!folders_.count(key)) return false;
    for (const auto& [name, file] : files_) {
      if (Parent(name) == key) return false;
    }
    for (const std::string& folder : folders_) {
      if (Parent(folder) == key) return false;
    }
    folders_.erase(key);
    return true;
  }
  std::vector<Entry> List(const std::string& folder) const override {
    std::string key = Key(folder);
    std::vector<Entry> entries;
    for (const std::string& f : folders_) {
      if (Parent(f) == key) entries.push_back({f.substr(key.size() + 1), true, false});
    }
    for (const auto& [name, file] : files_) {
      if (Parent(name) == key) entries.push_back({name.substr(key.size() + 1), false, false});
    }
    return entries;
  }

 private:
  void AddFolderChain(const std::string& key) {
    if (key.empty() || folders_.count(key)) return;
    AddFolderChain(Parent(key));
    folders_.insert(key);
  }

  std::map<std::string, File> files_;
  std::set<std::string> folders_;
};

// Code page twin: every byte is its own code unit (Latin-1).
class Latin1Codec final : public TextCodec {
 public:
  std::u16string AnsiToUtf16(std::string_view text) const override {
    std::u16string units;
    for (char c : text) units.push_back(static_cast<unsigned char>(c));
    return units;
  }
};

// UTF-16LE bytes of an ASCII text, as the trace log writes them.
inline std::string Utf16Bytes(std::string_view text) {
  std::string bytes;
  for (char c : text) {
    bytes.push_back(c);
    bytes.push_back('\0');
  }
  return bytes;
}

}  // namespace vantrell::testing
