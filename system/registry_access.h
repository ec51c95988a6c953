// The narrow registry interface the registry statements need: typed value
// reads, sub-key enumeration and deletion of values and keys, each in a chosen
// 32-bit or 64-bit view. The Windows side talks to the real registry; native
// tests use an in-memory twin.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/registry.h"

namespace vantrell {

// Value types by their Windows codes; the statements name only these.
inline constexpr uint32_t kRegString = 1;
inline constexpr uint32_t kRegExpandString = 2;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;
inline constexpr uint32_t kRegMultiString = 7;
inline constexpr uint32_t kRegQword = 11;

struct RegistryData {
  enum class Status { kValue, kNoKey, kNoValue, kReadError };
  Status status = Status::kNoKey;
  uint32_t type = 0;
  std::string bytes;  // the raw data as stored (strings with their terminator, if any)
};

class RegistryAccess {
 public:
  virtual ~RegistryAccess() = default;
  // True when the engine runs under the 32-bit emulation layer of 64-bit Windows.
  virtual bool Is64BitWindows() = 0;
  // Opens the key for reading (never creating it) and reads one value; an
  // empty name is the key's default value.
  virtual RegistryData ReadValue(RegistryRoot hive, RegistryView view, const std::string& key,
                                 const std::string& value) = 0;
  // The names of the key's direct sub-keys; nullopt when the key cannot be opened.
  virtual std::optional<std::vector<std::string>> SubKeys(RegistryRoot hive, RegistryView view,
                                                          const std::string& key) = 0;
  // Opens an existing key for writing and deletes one value; false on any failure.
  virtual bool DeleteValue(RegistryRoot hive, RegistryView view, const std::string& key,
                           const std::string& value) = 0;
  // Opens the parent (empty: the root itself) for writing and deletes its
  // sub-key `name` with its values; fails when that key has sub-keys.
  virtual bool DeleteKey(RegistryRoot hive, RegistryView view, const std::string& parent,
                         const std::string& name) = 0;
};

}  // namespace vantrell
