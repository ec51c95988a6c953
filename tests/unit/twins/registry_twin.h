// An in-memory registry with a 32-bit and a 64-bit view per root: keys are
// matched without regard to letter case, a key with sub-keys cannot be
// deleted on its own, and every call is recorded for the tests to inspect.
#pragma once

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "system/registry_access.h"

namespace vantrell::testing {

class MemoryRegistry final : public RegistryAccess {
 public:
  bool windows64 = true;
  std::vector<std::string> calls;    // "read|view|path", "delete key|view|path", ...
  std::set<std::string> unreadable;  // full keys of values whose read fails

  // Adds the key with all its ancestors; view kDefault is the 32-bit one.
  void AddKey(RegistryRoot hive, RegistryView view, const std::string& path) {
    std::string prefix = Root(hive, view);
    keys_[Lower(prefix)];
    if (path.empty()) return;
    size_t start = 0;
    while (start <= path.size()) {
      size_t end = path.find('\\', start);
      if (end == std::string::npos) end = path.size();
      prefix += "\\" + path.substr(start, end - start);
      keys_[Lower(prefix)];
      start = end + 1;
    }
  }
  void SetValue(RegistryRoot hive, RegistryView view, const std::string& path,
                const std::string& name, uint32_t type, std::string bytes) {
    AddKey(hive, view, path);
    keys_[Full(hive, view, path)][Lower(name)] = {type, std::move(bytes)};
  }
  bool HasKey(RegistryRoot hive, RegistryView view, const std::string& path) const {
    return keys_.count(Full(hive, view, path)) != 0;
  }
  bool HasValue(RegistryRoot hive, RegistryView view, const std::string& path,
                const std::string& name) const {
    auto key = keys_.find(Full(hive, view, path));
    return key != keys_.end() && key->second.count(Lower(name)) != 0;
  }

  bool Is64BitWindows() override { return windows64; }

  RegistryData ReadValue(RegistryRoot hive, RegistryView view, const std::string& key,
                         const std::string& value) override {
    calls.push_back("read|" + ViewName(view) + "|" + key + "|" + value);
    RegistryData data;
    auto found = keys_.find(Full(hive, view, key));
    if (found == keys_.end()) return data;
    auto named = found->second.find(Lower(value));
    if (named == found->second.end()) {
      data.status = RegistryData::Status::kNoValue;
    } else if (unreadable.count(Full(hive, view, key) + "|" + Lower(value)) != 0) {
      data.status = RegistryData::Status::kReadError;
    } else {
      data.status = RegistryData::Status::kValue;
      data.type = named->second.type;
      data.bytes = named->second.bytes;
    }
    return data;
  }

  std::optional<std::vector<std::string>> SubKeys(RegistryRoot hive, RegistryView view,
                                                  const std::string& key) override {
    const std::string full = Full(hive, view, key);
    if (keys_.count(full) == 0) return std::nullopt;
    std::vector<std::string> names;
    for (const auto& entry : keys_) {
      const std::string& name = entry.first;
      if (name.size() > full.size() + 1 && name.compare(0, full.size(), full) == 0 &&
          name[full.size()] == '\\' && name.find('\\', full.size() + 1) == std::string::npos) {
        names.push_back(name.substr(full.size() + 1));
      }
    }
    return names;
  }

  bool DeleteValue(RegistryRoot hive, RegistryView view, const std::string& key,
                   const std::string& value) override {
    calls.push_back("delete value|" + ViewName(view) + "|" + key + "|" + value);
    auto found = keys_.find(Full(hive, view, key));
    return found != keys_.end() && found->second.erase(Lower(value)) != 0;
  }

  bool DeleteKey(RegistryRoot hive, RegistryView view, const std::string& parent,
                 const std::string& name) override {
    calls.push_back("delete key|" + ViewName(view) + "|" + parent + "|" + name);
    if (name.empty() || keys_.count(Full(hive, view, parent)) == 0) return false;
    const std::string full = Full(hive, view, parent.empty() ? name : parent + "\\" + name);
    if (keys_.count(full) == 0) return false;
    auto children = SubKeys(hive, view, parent.empty() ? name : parent + "\\" + name);
    if (children && !children->empty()) return false;
    keys_.erase(full);
    return true;
  }

  static std::string ViewName(RegistryView view) {
    return view == RegistryView::k64 ? "64" : view == RegistryView::k32 ? "32" : "default";
  }

 private:
  struct Value {
    uint32_t type;
    std::string bytes;
  };
  static std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
  }
  static std::string Root(RegistryRoot hive, RegistryView view) {
    // Without a flag a 32-bit engine sees the 32-bit view.
    return (view == RegistryView::k64 ? "64|" : "32|") + std::to_string(static_cast<int>(hive));
  }
  static std::string Full(RegistryRoot hive, RegistryView view, const std::string& path) {
    return Lower(path.empty() ? Root(hive, view) : Root(hive, view) + "\\" + path);
  }
  std::map<std::string, std::map<std::string, Value>> keys_;
};

}  // namespace vantrell::testing
