// Reading and writing the feature selection file (layout in feature_selection_file.h).
#include "components/feature_selection_file.h"

#include <unordered_set>

#include "common/ascii.h"
#include "common/target_platform.h"
#include "vars/integer_text.h"

namespace vantrell {
namespace {

constexpr std::string_view kEndOfList = "$";
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kPlatformMarker = "VELD64WOW";
constexpr std::string_view kOverrideCache = "OVERRIDECACHE";
constexpr int kListCount = 6;
constexpr int kSingleItems = 4;  // items 7 to 10

// Splits at LF, dropping one CR before it; a last line without an end counts.
std::vector<std::string> SplitLines(std::string_view bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
    if (end == std::string_view::npos) end = bytes.size();
    size_t stop = end > start && bytes[end - 1] == '\r' ? end - 1 : end;
    lines.emplace_back(bytes.substr(start, stop - start));
    start = next;
  }
  return lines;
}

// Keeps an item on one line: CR LF, then any lone CR or LF, become "$NEWLINE$".
std::string OneLine(std::string_view text) {
  std::string encoded = TVariableManager::EncodeNewlines(text);
  if (encoded.find_first_of("\r\n") == std::string::npos) return encoded;
  std::string out;
  for (char c : encoded) {
    if (c == '\r' || c == '\n') {
      out += "$NEWLINE$";
    } else {
      out += c;
    }
  }
  return out;
}

class Writer {
 public:
  void Line(std::string_view text) {
    text_ += OneLine(text);
    text_ += kLineEnd;
  }
  void RawLine(std::string_view text) {
    text_ += text;
    text_ += kLineEnd;
  }
  void List(const std::vector<std::string>& items) {
    for (const std::string& item : items) {
      if (item != kEndOfList) Line(item);
    }
    RawLine(kEndOfList);
  }
  std::string& Text() { return text_; }

 private:
  std::string text_;
};

// Items 11 to 13: the kept variables, then the platform and the cache override.
void WriteTail(Writer& out, const TVariableManager& vars) {
  for (const std::string& name : vars.PersistentVariables()) {
    // A kept variable of the marker's name would be read back as the marker.
    if (EqualsIgnoreCase(name, kPlatformMarker) || name == kEndOfList) continue;
    out.Line(name);
    out.Line(vars.GetVariable(name));
  }
  out.RawLine(kPlatformMarker);
  out.Line(TargetPlatform());
  out.RawLine(kOverrideCache);
  out.Line(vars.GetVariable(kOverrideCache));
}

bool ReadFile(FileSystem& files, const std::string& path, std::string& bytes) {
  if (!files.FileExists(path)) return false;
  std::optional<uint64_t> size = files.FileSize(path);
  if (size && *size > kMaxFeatureSelectionFileBytes) return false;
  if (!files.ReadWholeFile(path, bytes)) return false;
  return bytes.size() <= kMaxFeatureSelectionFileBytes;
}

// Writes aside, then replaces the file, so that a failed write leaves the old one.
bool ReplaceFile(FileSystem& files, const std::string& path, std::string_view text) {
  const std::string aside = path + ".dat";
  if (!files.WriteWholeFile(aside, text)) {
    files.RemoveFile(aside);
    return false;
  }
  const bool replaced = files.CopyFileReplacing(aside, path);
  files.RemoveFile(aside);
  return replaced;
}

// The old file's items 1 to 10, line by line; false when it is not whole.
bool KeptHead(const std::vector<std::string>& lines, size_t& count) {
  int listsSeen = 0;
  size_t i = 0;
  for (; i < lines.size() && listsSeen < kListCount; ++i) {
    if (lines[i] == kEndOfList) ++listsSeen;
  }
  if (listsSeen < kListCount || lines.size() - i < kSingleItems) return false;
  count = i + kSingleItems;
  return true;
}

}  // namespace

FeatureSelectionContent ParseFeatureSelections(std::string_view bytes) {
  const std::vector<std::string> lines = SplitLines(bytes);
  FeatureSelectionContent content;
  std::vector<std::string>* lists[kListCount] = {&content.lists.names,       &content.lists.states,
                                                 &content.lists.deleted,     &content.lists.hidden,
                                                 &content.lists.fixedChoice, &content.lists.space};
  size_t i = 0;
  for (std::vector<std::string>* list : lists) {
    for (; i < lines.size() && lines[i] != kEndOfList; ++i) list->push_back(lines[i]);
    if (i < lines.size()) ++i;  // the "$"
  }
  for (int k = 0; k < kSingleItems && i < lines.size(); ++k) content.items.emplace_back(lines[i++]);
  content.tail.assign(lines.begin() + static_cast<std::ptrdiff_t>(i), lines.end());
  return content;
}

std::string FormatFeatureSelections(const TComponentTable& table, const TVariableManager& vars,
                                    const std::string& dataFolderLine) {
  const ComponentLists lists = table.Lists();
  Writer out;
  // Names and states are left out together so that they stay parallel.
  std::vector<std::string> names;
  std::vector<std::string> states;
  for (size_t k = 0; k < lists.names.size(); ++k) {
    if (lists.names[k] == kEndOfList) continue;
    names.push_back(lists.names[k]);
    states.push_back(k < lists.states.size() ? lists.states[k] : std::string());
  }
  out.List(names);
  out.List(states);
  out.List(lists.deleted);
  out.List(lists.hidden);
  out.List(lists.fixedChoice);
  std::vector<std::string> space;
  for (size_t k = 0; k + 1 < lists.space.size(); k += 2) {
    if (lists.space[k] == kEndOfList) continue;
    space.push_back(lists.space[k]);
    space.push_back(lists.space[k + 1]);
  }
  out.List(space);
  out.Line(vars.GetVariable("TARGETDIR"));
  out.Line(vars.GetVariable("ALLUSERS"));
  out.Line(vars.GetVariable("STARTMENU"));
  out.Line(dataFolderLine);
  WriteTail(out, vars);
  return std::move(out.Text());
}

bool SaveFeatureSelections(FileSystem& files, const std::string& path, bool forUser, bool full,
                           const std::string& dataFolderShort, const TComponentTable& table,
                           TVariableManager& vars) {
  if (full) {
    return ReplaceFile(files, path,
                       FormatFeatureSelections(table, vars, forUser ? "" : dataFolderShort));
  }
  std::string old;
  if (!ReadFile(files, path, old)) return false;
  const std::vector<std::string> lines = SplitLines(old);
  size_t kept = 0;
  // A damaged file is left as it is rather than given a tail it cannot be read with.
  if (!KeptHead(lines, kept)) return false;
  Writer out;
  for (size_t k = 0; k < kept; ++k) out.RawLine(lines[k]);
  WriteTail(out, vars);
  return ReplaceFile(files, path, out.Text());
}

FeatureSelectionLoad LoadFeatureSelections(FileSystem& files, const std::string& path,
                                           FeatureSelectionMode mode, TComponentTable& table,
                                           TVariableManager& vars) {
  FeatureSelectionLoad result;
  std::string bytes;
  if (!ReadFile(files, path, bytes)) return result;
  FeatureSelectionContent content = ParseFeatureSelections(bytes);
  bytes.clear();
  result.loaded = true;

  if (mode == FeatureSelectionMode::kMerge) {
    table.MergeStates(content.lists.names, content.lists.states);
    table.ReplaceMarks(content.lists.deleted, content.lists.hidden, content.lists.fixedChoice);
  } else {
    table.AppendLists(content.lists, mode == FeatureSelectionMode::kAppend);
  }

  // A short file leaves the values it does not hold alone.
  static constexpr std::string_view kItemNames[] = {"TARGETDIR", "ALLUSERS", "STARTMENU"};
  for (size_t k = 0; k < std::size(kItemNames) && k < content.items.size(); ++k) {
    vars.AssignVariable(kItemNames[k], *content.items[k], kLoadComponentsOrigin);
  }
  const std::vector<std::string>& tail = content.tail;
  for (size_t k = 0; k + 1 < tail.size(); k += 2) {
    if (tail[k] == kPlatformMarker) {
      SetTargetPlatform(tail[k + 1]);
      k += 2;
      if (k + 1 < tail.size()) vars.AssignVariable(tail[k], tail[k + 1], kLoadComponentsOrigin);
      continue;
    }
    if (tail[k].empty()) continue;
    vars.AssignVariable(tail[k], tail[k + 1], kLoadComponentsOrigin);
    vars.AddPersistentVariable(tail[k]);
  }

  std::unordered_set<std::string> counted;
  const ComponentLists& lists = content.lists;
  for (size_t k = 0; k < lists.names.size() && k < lists.states.size(); ++k) {
    const std::string& name = lists.names[k];
    if (!counted.insert(AsciiUpper(name)).second || !TextToBool(lists.states[k])) continue;
    bool deleted = false;
    for (const std::string& entry : lists.deleted)
      deleted = deleted || EqualsIgnoreCase(entry, name);
    if (!deleted) result.selectedSize = AddSizes(result.selectedSize, table.ComponentSize(name));
  }
  return result;
}

}  // namespace vantrell
