// In-memory twin of the text statements' system access: a tree of folders,
// files and device names compared ignoring ASCII case (names keep their
// spelling), INI values, an environment, a Latin-1 letter case, and a record
// of the threads that held the 64-bit file view while they listed folders.
// Faults can be switched on: unreadable files, read errors after a number of
// bytes, failing replacements.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "common/ascii.h"
#include "text/text_system.h"

namespace vantrell::testing {

class MemoryTextSystem final : public TextSystem {
 public:
  struct Node {
    std::string name;  // as spelt
    bool folder = false;
    bool link = false;
    std::string bytes;
    bool readOnly = false;
  };

  static std::string Key(std::string path) {
    for (char& c : path) c = c == '/' ? '\\' : AsciiLower(c);
    while (path.size() > 1 && path.back() == '\\') path.pop_back();
    return path;
  }

  // Set-up: parents are created as needed.
  void AddFile(const std::string& path, std::string bytes, bool readOnly = false) {
    Node& node = Place(path);
    node.folder = false;
    node.bytes = std::move(bytes);
    node.readOnly = readOnly;
  }
  void AddFolder(const std::string& path, bool link = false) {
    Node& node = Place(path);
    node.folder = true;
    node.link = link;
    tree_[Key(path)];
  }
  void AddDevice(const std::string& path) { devices_.insert(Key(path)); }
  void AddIni(const std::string& file, const std::string& section, const std::string& key,
              std::string value) {
    ini_[Key(file) + "|" + AsciiLower(section) + "|" + AsciiLower(key)] = std::move(value);
  }
  void SetShortName(const std::string& path, std::string shortPath) {
    shortNames_[Key(path)] = std::move(shortPath);
  }

  const Node* Find(const std::string& path) const {
    auto [parent, name] = Split(Key(path));
    auto folder = tree_.find(parent);
    if (folder == tree_.end()) return nullptr;
    auto it = folder->second.find(name);
    return it == folder->second.end() ? nullptr : &it->second;
  }
  std::string Bytes(const std::string& path) const {
    const Node* node = Find(path);
    return node ? node->bytes : "<missing>";
  }

  // Faults and probes.
  std::set<std::string> unreadable;         // keys that refuse to open
  std::map<std::string, size_t> failAfter;  // key -> bytes read before a read error
  bool failReplacement = false;
  bool failTempFile = false;
  size_t readChunk = 1 << 16;         // most bytes one read returns
  std::function<void()> onListEntry;  // called for each listed entry
  std::atomic<int> openReaders{0};
  std::atomic<int> viewsEntered{0};
  std::atomic<int> listingsWithoutView{0};
  std::set<std::thread::id> listingThreads;
  std::vector<std::string> environment;  // NAME=VALUE in block order
  std::string tempFolder = "C:\\Temp\\";

  PathKind Probe(const std::string& path) override {
    std::string key = Key(path);
    if (devices_.count(key)) return PathKind::kDevice;
    if (tree_.count(key)) return PathKind::kFolder;
    const Node* node = Find(path);
    return node == nullptr ? PathKind::kMissing
           : node->folder  ? PathKind::kFolder
                           : PathKind::kFile;
  }

  std::unique_ptr<ByteReader> OpenForReading(const std::string& path) override {
    const Node* node = Find(path);
    std::string key = Key(path);
    if (node == nullptr || node->folder || devices_.count(key) || unreadable.count(key))
      return nullptr;
    auto fail = failAfter.find(key);
    size_t limit = fail == failAfter.end() ? SIZE_MAX : fail->second;
    return std::make_unique<Reader>(*this, node->bytes, limit);
  }

  std::unique_ptr<Replacement> BeginReplacement(const std::string& path) override {
    auto [parent, name] = Split(Key(path));
    if (failReplacement || !tree_.count(parent)) return nullptr;
    return std::make_unique<Writer>(*this, path);
  }

  std::unique_ptr<FolderListing> ListFolder(const std::string& pattern) override {
    {
      std::lock_guard lock(mutex_);
      listingThreads.insert(std::this_thread::get_id());
      if (views_[std::this_thread::get_id()] == 0) ++listingsWithoutView;
    }
    size_t slash = pattern.find_last_of("\\/");
    std::string dir = slash == std::string::npos ? std::string() : Key(pattern.substr(0, slash));
    std::string mask = AsciiLower(slash == std::string::npos ? pattern : pattern.substr(slash + 1));
    auto folder = tree_.find(dir);
    if (folder == tree_.end()) return nullptr;
    auto listing = std::make_unique<Listing>(*this);
    if (dir.find('\\') != std::string::npos && Matches(".", mask)) {
      listing->entries.push_back({".", true, false, {}, false});
      listing->entries.push_back({"..", true, false, {}, false});
    }
    for (const auto& [lower, node] : folder->second) {
      if (Matches(lower, mask)) listing->entries.push_back(node);
    }
    if (listing->entries.empty()) return nullptr;
    return listing;
  }

  std::string ProfileString(const std::string& file, const std::string& section,
                            const std::string& key, size_t bufferChars) override {
    auto it = ini_.find(Key(file) + "|" + AsciiLower(section) + "|" + AsciiLower(key));
    if (it == ini_.end()) return {};
    return it->second.substr(0, bufferChars - 1);
  }

  std::string CreateTemporaryFile(const std::string& prefix) override {
    if (failTempFile) return {};
    std::string path = tempFolder + prefix + std::to_string(++tempCounter_) + ".tmp";
    AddFile(path, "");
    return path;
  }

  std::string ExpandEnvironment(const std::string& text) override {
    std::string out;
    size_t pos = 0;
    while (pos < text.size()) {
      size_t open = text.find('%', pos);
      size_t close = open == std::string::npos ? open : text.find('%', open + 1);
      if (close == std::string::npos) break;
      std::string name = text.substr(open + 1, close - open - 1);
      const std::string* value = nullptr;
      for (const auto& entry : environment) {
        size_t eq = entry.find('=', 1);
        if (eq != std::string::npos && EqualsIgnoreCase(entry.substr(0, eq), name)) value = &entry;
      }
      if (value == nullptr) {
        out += text.substr(pos, close - pos);
        pos = close;
        continue;
      }
      out += text.substr(pos, open - pos) + value->substr(value->find('=', 1) + 1);
      pos = close + 1;
    }
    return out + text.substr(pos);
  }
  std::vector<std::string> EnvironmentBlock() override { return environment; }

  // Latin-1: a-z and the accented letters 0xE0-0xFE except 0xF7.
  std::string UpperCase(std::string text) override {
    for (char& c : text) {
      auto u = static_cast<unsigned char>(c);
      if ((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7))
        c = static_cast<char>(u - 32);
    }
    return text;
  }
  std::string LowerCase(std::string text) override {
    for (char& c : text) {
      auto u = static_cast<unsigned char>(c);
      if ((u >= 'A' && u <= 'Z') || (u >= 0xC0 && u <= 0xDE && u != 0xD7))
        c = static_cast<char>(u + 32);
    }
    return text;
  }

  std::string ShortPath(const std::string& path, size_t bufferChars) override {
    auto it = shortNames_.find(Key(path));
    if (it == shortNames_.end() || it->second.size() >= bufferChars) return {};
    return it->second;
  }
  std::optional<std::string> EntryName(const std::string& path) override {
    const Node* node = Find(path);
    if (node == nullptr) return std::nullopt;
    return node->name;
  }

  std::unique_ptr<FileView> NativeFileView() override {
    ++viewsEntered;
    std::lock_guard lock(mutex_);
    ++views_[std::this_thread::get_id()];
    return std::make_unique<View>(*this);
  }

 private:
  class Reader final : public ByteReader {
   public:
    Reader(MemoryTextSystem& owner, std::string bytes, size_t failAt)
        : owner_(owner), bytes_(std::move(bytes)), failAt_(failAt) {
      ++owner_.openReaders;
    }
    ~Reader() override { --owner_.openReaders; }
    std::optional<size_t> Read(char* buffer, size_t size) override {
      if (pos_ >= failAt_) return std::nullopt;
      size_t n = std::min({size, owner_.readChunk, bytes_.size() - pos_, failAt_ - pos_});
      bytes_.copy(buffer, n, pos_);
      pos_ += n;
      return n;
    }

   private:
    MemoryTextSystem& owner_;
    std::string bytes_;
    size_t failAt_;
    size_t pos_ = 0;
  };

  class Writer final : public Replacement {
   public:
    Writer(MemoryTextSystem& owner, std::string path) : owner_(owner), path_(std::move(path)) {}
    bool Write(std::string_view bytes) override {
      bytes_.append(bytes);
      return true;
    }
    bool Commit() override {
      auto [parent, name] = Split(Key(path_));
      auto& children = owner_.tree_[parent];
      auto it = children.find(name);
      if (it == children.end()) {
        size_t slash = path_.find_last_of("\\/");
        it = children.emplace(name, Node{path_.substr(slash + 1), false, false, {}, false}).first;
      }
      it->second.bytes = std::move(bytes_);
      it->second.readOnly = false;
      return true;
    }

   private:
    MemoryTextSystem& owner_;
    std::string path_;
    std::string bytes_;
  };

  class Listing final : public FolderListing {
   public:
    explicit Listing(MemoryTextSystem& owner) : owner_(owner) {}
    bool Next(FolderEntry& entry) override {
      if (next_ >= entries.size()) return false;
      if (owner_.onListEntry) owner_.onListEntry();
      const Node& node = entries[next_++];
      entry = FolderEntry{node.name, node.folder, node.link};
      return true;
    }
    std::vector<Node> entries;

   private:
    MemoryTextSystem& owner_;
    size_t next_ = 0;
  };

  class View final : public FileView {
   public:
    explicit View(MemoryTextSystem& owner) : owner_(owner) {}
    ~View() override {
      std::lock_guard lock(owner_.mutex_);
      --owner_.views_[std::this_thread::get_id()];
    }

   private:
    MemoryTextSystem& owner_;
  };

  static std::pair<std::string, std::string> Split(const std::string& key) {
    size_t slash = key.find_last_of('\\');
    if (slash == std::string::npos) return {std::string(), key};
    return {key.substr(0, slash), key.substr(slash + 1)};
  }

  // "*" and "?" wildcards; "*.*" matches every name, as on the platform.
  static bool Matches(std::string_view name, std::string_view mask) {
    if (mask == "*.*") mask = "*";
    if (mask.empty()) return name.empty();
    if (mask[0] == '*') {
      for (size_t i = 0; i <= name.size(); ++i) {
        if (Matches(name.substr(i), mask.substr(1))) return true;
      }
      return false;
    }
    if (name.empty()) return false;
    return (mask[0] == '?' || mask[0] == name[0]) && Matches(name.substr(1), mask.substr(1));
  }

  Node& Place(const std::string& path) {
    std::string key = Key(path);
    auto [parent, name] = Split(key);
    if (!parent.empty() && !tree_.count(parent))
      AddFolder(path.substr(0, path.find_last_of("\\/")));
    tree_[parent];
    size_t slash = path.find_last_of("\\/");
    Node& node = tree_[parent][name];
    node.name = slash == std::string::npos ? path : path.substr(slash + 1);
    return node;
  }

  std::map<std::string, std::map<std::string, Node>> tree_;  // folder key -> lower name -> node
  std::set<std::string> devices_;
  std::map<std::string, std::string> ini_;
  std::map<std::string, std::string> shortNames_;
  std::map<std::thread::id, int> views_;
  std::mutex mutex_;
  int tempCounter_ = 0;
};

}  // namespace vantrell::testing
