// The one owning registry key of the Windows adapters: opened or created on
// a root of common/registry.h, closed when it goes.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

#include "common/registry.h"

namespace vantrell {

inline HKEY RootKey(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::kClassesRoot:
      return HKEY_CLASSES_ROOT;
    case RegistryRoot::kCurrentUser:
      return HKEY_CURRENT_USER;
    case RegistryRoot::kLocalMachine:
      return HKEY_LOCAL_MACHINE;
    case RegistryRoot::kUsers:
      return HKEY_USERS;
    case RegistryRoot::kCurrentConfig:
      return HKEY_CURRENT_CONFIG;
  }
  return HKEY_LOCAL_MACHINE;
}

class RegistryKey {
 public:
  RegistryKey() = default;
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  RegistryKey(RegistryKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
  RegistryKey& operator=(RegistryKey&& other) noexcept {
    if (this != &other) {
      Close();
      key_ = std::exchange(other.key_, nullptr);
    }
    return *this;
  }
  ~RegistryKey() { Close(); }

  // An existing key; invalid when it cannot be opened with this access.
  static RegistryKey Open(HKEY root, const std::string& path, REGSAM access) {
    RegistryKey key;
    if (RegOpenKeyExA(root, path.c_str(), 0, access, &key.key_) != ERROR_SUCCESS)
      key.key_ = nullptr;
    return key;
  }
  static RegistryKey Open(RegistryRoot root, RegistryView view, const std::string& path,
                          REGSAM access) {
    return Open(RootKey(root), path, access | static_cast<REGSAM>(view));
  }

  // The key, made with its missing parents when it does not exist.
  static RegistryKey Create(HKEY root, const std::string& path, REGSAM access) {
    RegistryKey key;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                        &key.key_, nullptr) != ERROR_SUCCESS) {
      key.key_ = nullptr;
    }
    return key;
  }

  bool Valid() const { return key_ != nullptr; }
  HKEY Get() const { return key_; }

 private:
  void Close() {
    if (key_ != nullptr) RegCloseKey(key_);
    key_ = nullptr;
  }
  HKEY key_ = nullptr;
};

}  // namespace vantrell
