// The registry statements on top of RegistryAccess (contract in
// registry_statements.h). The view is chosen afresh for every statement, so
// no view survives from one statement into the next.
#include "system/registry_statements.h"

#include <cstring>

#include "common/target_platform.h"
#include "vars/integer_text.h"
#include "vars/variable_manager.h"

namespace vantrell {
namespace {

constexpr const char* kNoKey = "NO$KEY";
constexpr const char* kNoValue = "NO$VALUE";
constexpr const char* kUnknownType = "UNKNOWN$TYPE";
constexpr const char* kBinaryValue = "BINARY$VALUE";
constexpr const char* kReadError = "READ$ERROR";

// A line that may hold NAME or $NAME$.
std::string NameOf(const std::string& line) {
  std::string stripped = TVariableManager::StripReference(line);
  return stripped.empty() ? line : stripped;
}

// The root of a root key line; a line that is no number raises the engine
// error, a number outside 0 to 4 names no root.
std::optional<RegistryRoot> HiveOf(const std::string& line) {
  int32_t code = StrToIntStrict(line);
  if (code < 0 || code > 4) return std::nullopt;
  return static_cast<RegistryRoot>(code);
}

// Key paths are relative to the root; a leading "\" only says so.
std::string KeyPath(const StatementContext& s, int n) {
  std::string path = s.vars.ExpandPath(s.Parameter(n));
  if (!path.empty() && path[0] == '\\') path.erase(0, 1);
  return path;
}

RegistryView CurrentView(RegistryAccess& registry) {
  return StatementRegistryView(registry.Is64BitWindows(), TargetIs64Bit());
}

bool IsMarker(const std::string& text) {
  for (const char* marker : {kNoKey, kNoValue, kUnknownType, kBinaryValue, kReadError}) {
    if (text == marker) return true;
  }
  return false;
}

}  // namespace

RegistryView StatementRegistryView(bool is64BitWindows, bool targetIs64Bit) {
  if (!is64BitWindows) return RegistryView::kDefault;
  return targetIs64Bit ? RegistryView::k64 : RegistryView::k32;
}

std::string RegistryResultText(const RegistryData& data) {
  switch (data.status) {
    case RegistryData::Status::kNoKey:
      return kNoKey;
    case RegistryData::Status::kNoValue:
      return kNoValue;
    case RegistryData::Status::kReadError:
      return kReadError;
    case RegistryData::Status::kValue:
      break;
  }
  switch (data.type) {
    case kRegString:
    case kRegExpandString: {
      // The text as stored, up to its terminator; an expandable string stays unexpanded.
      const size_t end = data.bytes.find('\0');
      return end == std::string::npos ? data.bytes : data.bytes.substr(0, end);
    }
    case kRegDword: {
      if (data.bytes.size() < 4) return kReadError;
      uint32_t bits = 0;
      std::memcpy(&bits, data.bytes.data(), 4);  // little-endian, as on every Windows target
      return std::to_string(static_cast<int32_t>(bits));
    }
    case kRegBinary:
      return kBinaryValue;
    default:
      return kUnknownType;
  }
}

void ExecuteReadRegistry(StatementContext& s, RegistryAccess& registry, bool keepMarkers) {
  const RegistryView view = CurrentView(registry);
  const std::string name = NameOf(s.Parameter(1));
  s.vars.DeclareResultVariable(name, s.Origin());
  const std::optional<RegistryRoot> hive = HiveOf(s.Expanded(2));
  std::string result = kNoKey;
  if (hive)
    result = RegistryResultText(
        registry.ReadValue(*hive, view, KeyPath(s, 3), s.vars.ExpandPath(s.Parameter(4))));
  if (!keepMarkers && IsMarker(result)) result.clear();
  s.vars.AssignVariable(name, result, s.Origin());
}

void DeleteRegistryTree(RegistryAccess& registry, RegistryRoot hive, RegistryView view,
                        const std::string& key) {
  std::string path = key;
  while (!path.empty() && path.back() == '\\') path.pop_back();
  // An empty path would be the root itself: never emptied.
  if (path.empty()) return;
  if (auto children = registry.SubKeys(hive, view, path)) {
    for (const std::string& child : *children) {
      std::string childPath = path;
      childPath += '\\';
      childPath += child;
      DeleteRegistryTree(registry, hive, view, childPath);
    }
  }
  const size_t split = path.rfind('\\');
  if (split == std::string::npos) {
    registry.DeleteKey(hive, view, "", path);
  } else {
    registry.DeleteKey(hive, view, path.substr(0, split), path.substr(split + 1));
  }
}

void ExecuteDeleteRegistry(StatementContext& s, RegistryAccess& registry) {
  const RegistryView view = CurrentView(registry);
  const std::optional<RegistryRoot> hive = HiveOf(s.Expanded(1));
  if (!hive) return;
  const std::string key = KeyPath(s, 2);
  if (TextToBool(s.Parameter(4))) {
    if (view == RegistryView::k64) {
      // In the 64-bit view only a key without sub-keys goes, named under its parent.
      const size_t split = key.rfind('\\');
      if (split == std::string::npos || split + 1 == key.size()) return;
      registry.DeleteKey(*hive, view, key.substr(0, split), key.substr(split + 1));
    } else {
      DeleteRegistryTree(registry, *hive, view, key);
    }
    return;
  }
  // Missing keys and values and failed deletions are no error.
  registry.DeleteValue(*hive, view, key, s.vars.ExpandPath(s.Parameter(3)));
}

void RegisterRegistryStatements(StatementTable& table, RegistryAccess& registry) {
  table.Register("Read Registry",
                 [&registry](StatementContext& s) { ExecuteReadRegistry(s, registry, false); });
  table.Register("Check Registry",
                 [&registry](StatementContext& s) { ExecuteReadRegistry(s, registry, true); });
  table.Register("Delete Registry",
                 [&registry](StatementContext& s) { ExecuteDeleteRegistry(s, registry); });
}

}  // namespace vantrell
