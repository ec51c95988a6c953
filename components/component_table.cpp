// The component table, its marks and space arithmetic (contract in component_table.h).
#include "components/component_table.h"

#include <limits>
#include <unordered_set>

#include "common/ascii.h"
#include "lang/engine_texts.h"
#include "vars/integer_text.h"
#include "vars/variable_manager.h"

namespace vantrell {
namespace {

constexpr int kTextBytes = 6;
constexpr int kTextKilobytes = 7;
constexpr int kTextMegabytes = 8;
constexpr int64_t kKilobyte = 1024;
constexpr int64_t kMegabyte = 1024 * kKilobyte;
constexpr int64_t kGigabyte = 1024 * kMegabyte;

int FindName(const std::vector<std::string>& list, std::string_view name) {
  for (size_t i = 0; i < list.size(); ++i) {
    if (EqualsIgnoreCase(list[i], name)) return static_cast<int>(i);
  }
  return -1;
}

bool Contains(const std::vector<std::string>& list, std::string_view name) {
  return FindName(list, name) >= 0;
}

// Every equal entry goes: lists read from a file may hold a name twice, and
// one left behind would keep the mark.
void RemoveAll(std::vector<std::string>& list, std::string_view name) {
  std::erase_if(list, [&](const std::string& entry) { return EqualsIgnoreCase(entry, name); });
}

// Sizes come from files and scripts; a sum past the range stays at its end.
int64_t SaturatingAdd(int64_t a, int64_t b) {
  if (b > 0 && a > std::numeric_limits<int64_t>::max() - b)
    return std::numeric_limits<int64_t>::max();
  if (b < 0 && a < std::numeric_limits<int64_t>::min() - b)
    return std::numeric_limits<int64_t>::min();
  return a + b;
}

int64_t SaturatingSub(int64_t a, int64_t b) {
  if (b == std::numeric_limits<int64_t>::min()) {
    return a >= 0 ? std::numeric_limits<int64_t>::max() : a - b;
  }
  return SaturatingAdd(a, -b);
}

bool NameOrAncestorIn(const std::vector<std::string>& list, std::string_view name) {
  if (Contains(list, name)) return true;
  for (const std::string& ancestor : ComponentAncestors(name)) {
    if (Contains(list, ancestor)) return true;
  }
  return false;
}

}  // namespace

int64_t AddSizes(int64_t a, int64_t b) {
  return SaturatingAdd(a, b);
}

std::vector<std::string> ComponentAncestors(std::string_view name) {
  std::vector<std::string> ancestors;
  for (size_t cut = name.rfind('\\'); cut != std::string_view::npos; cut = name.rfind('\\')) {
    name = name.substr(0, cut);
    ancestors.emplace_back(name);
  }
  return ancestors;
}

int TComponentTable::IndexLocked(std::string_view name) const {
  return FindName(names_, name);
}

bool TComponentTable::DeletedLocked(std::string_view name) const {
  return Contains(deleted_, name);
}

int64_t TComponentTable::SizeLocked(std::string_view name) const {
  // Only name positions are searched: a size item that happens to equal a
  // name must not be taken for it.
  for (size_t i = 0; i + 1 < space_.size(); i += 2) {
    if (EqualsIgnoreCase(space_[i], name)) return StrToInt64Strict(space_[i + 1]);
  }
  return 0;
}

void TComponentTable::SetStateLocked(size_t index, bool selected) {
  states_[index] = BoolToText(selected);
}

void TComponentTable::DefineComponent(std::string_view name, std::string_view description,
                                      bool selected) {
  std::lock_guard lock(lock_);
  int index = IndexLocked(name);
  if (index >= 0) {
    RemoveAll(deleted_, name);
    descriptions_[static_cast<size_t>(index)] = std::string(description);
    // A selection loaded or made earlier is kept.
    if (states_[static_cast<size_t>(index)].empty())
      SetStateLocked(static_cast<size_t>(index), selected);
  } else {
    names_.emplace_back(name);
    states_.emplace_back(BoolToText(selected));
    descriptions_.emplace_back(description);
  }
  AddSpacePair(name, 0);
}

void TComponentTable::SetComponentState(std::string_view name, bool selected) {
  std::lock_guard lock(lock_);
  int index = IndexLocked(name);
  if (index >= 0) SetStateLocked(static_cast<size_t>(index), selected);
}

void TComponentTable::SetComponentStateAt(int index, bool selected) {
  std::lock_guard lock(lock_);
  if (index >= 0 && static_cast<size_t>(index) < names_.size())
    SetStateLocked(static_cast<size_t>(index), selected);
}

std::string TComponentTable::ComponentState(std::string_view name) const {
  std::lock_guard lock(lock_);
  int index = IndexLocked(name);
  return index >= 0 ? states_[static_cast<size_t>(index)] : std::string();
}

std::string TComponentTable::ComponentStateAt(int index) const {
  std::lock_guard lock(lock_);
  if (index < 0 || static_cast<size_t>(index) >= states_.size()) return std::string();
  return states_[static_cast<size_t>(index)];
}

bool TComponentTable::ComponentExists(std::string_view name) const {
  return ComponentIndex(name) >= 0;
}

int TComponentTable::ComponentIndex(std::string_view name) const {
  std::lock_guard lock(lock_);
  return IndexLocked(name);
}

bool TComponentTable::ComponentSelected(std::string_view name) const {
  std::lock_guard lock(lock_);
  int index = IndexLocked(name);
  if (index < 0 || DeletedLocked(name)) return false;
  return TextToBool(states_[static_cast<size_t>(index)]);
}

int64_t TComponentTable::ComponentSize(std::string_view name) const {
  std::lock_guard lock(lock_);
  return SizeLocked(name);
}

std::string TComponentTable::ComponentDescription(std::string_view name) const {
  std::lock_guard lock(lock_);
  int index = IndexLocked(name);
  return index >= 0 ? descriptions_[static_cast<size_t>(index)] : std::string();
}

bool TComponentTable::ComponentChoiceLocked(std::string_view name) const {
  std::lock_guard lock(lock_);
  return NameOrAncestorIn(fixedChoice_, name);
}

bool TComponentTable::ComponentDeleted(std::string_view name) const {
  std::lock_guard lock(lock_);
  return DeletedLocked(name);
}

bool TComponentTable::ComponentHidden(std::string_view name) const {
  std::lock_guard lock(lock_);
  return NameOrAncestorIn(hidden_, name);
}

void TComponentTable::SetComponentChoice(std::string_view name, bool allowed) {
  std::lock_guard lock(lock_);
  if (allowed) {
    RemoveAll(fixedChoice_, name);
  } else if (IndexLocked(name) >= 0 && !Contains(fixedChoice_, name)) {
    fixedChoice_.emplace_back(name);
  }
}

void TComponentTable::SetComponentVisibility(std::string_view name, bool visible) {
  std::lock_guard lock(lock_);
  if (visible) {
    RemoveAll(hidden_, name);
  } else if (IndexLocked(name) >= 0 && !Contains(hidden_, name)) {
    hidden_.emplace_back(name);
  }
}

void TComponentTable::DeleteComponent(std::string_view name) {
  std::lock_guard lock(lock_);
  if (IndexLocked(name) >= 0 && !DeletedLocked(name)) deleted_.emplace_back(name);
}

void TComponentTable::SetComponentSpace(std::string_view name, int64_t size) {
  std::lock_guard lock(lock_);
  if (IndexLocked(name) < 0) return;
  for (size_t i = 0; i + 1 < space_.size(); i += 2) {
    if (EqualsIgnoreCase(space_[i], name)) {
      space_[i + 1] = std::to_string(size);
      return;
    }
  }
  space_.emplace_back(name);
  space_.push_back(std::to_string(size));
}

void TComponentTable::AddSpacePair(std::string_view name, int64_t size) {
  std::lock_guard lock(lock_);
  for (size_t i = 0; i + 1 < space_.size(); i += 2) {
    if (EqualsIgnoreCase(space_[i], name)) return;
  }
  space_.emplace_back(name);
  space_.push_back(std::to_string(size));
}

void TComponentTable::SetSpaceList(std::vector<std::string> pairs) {
  if (pairs.size() % 2 != 0) pairs.pop_back();
  std::lock_guard lock(lock_);
  space_ = std::move(pairs);
}

int64_t TComponentTable::RequiredSpace() const {
  std::lock_guard lock(lock_);
  int64_t total = 0;
  // A name held twice (a file appended to a table that had it) counts once.
  std::unordered_set<std::string> counted;
  for (size_t i = 0; i < names_.size(); ++i) {
    if (!counted.insert(AsciiUpper(names_[i])).second) continue;
    if (DeletedLocked(names_[i]) || !TextToBool(states_[i])) continue;
    total = SaturatingAdd(total, SizeLocked(names_[i]));
  }
  return SaturatingSub(total, installedSize_);
}

int64_t TComponentTable::InstalledSize() const {
  std::lock_guard lock(lock_);
  return installedSize_;
}

void TComponentTable::SetInstalledSize(int64_t size) {
  std::lock_guard lock(lock_);
  installedSize_ = size;
}

void TComponentTable::AddInstalledSize(int64_t size) {
  std::lock_guard lock(lock_);
  installedSize_ = SaturatingAdd(installedSize_, size);
}

void TComponentTable::ClearComponents() {
  std::lock_guard lock(lock_);
  names_.clear();
  states_.clear();
  descriptions_.clear();
  deleted_.clear();
  hidden_.clear();
  fixedChoice_.clear();
}

ComponentLists TComponentTable::Lists() const {
  std::lock_guard lock(lock_);
  return ComponentLists{names_, states_, descriptions_, deleted_, hidden_, fixedChoice_, space_};
}

void TComponentTable::AppendLists(const ComponentLists& lists, bool withSpace) {
  std::lock_guard lock(lock_);
  // The three parallel lists stay parallel whatever counts a file gives.
  for (size_t k = 0; k < lists.names.size(); ++k) {
    names_.push_back(lists.names[k]);
    states_.push_back(k < lists.states.size() ? lists.states[k] : std::string());
    descriptions_.push_back(k < lists.descriptions.size() ? lists.descriptions[k] : std::string());
  }
  deleted_.insert(deleted_.end(), lists.deleted.begin(), lists.deleted.end());
  hidden_.insert(hidden_.end(), lists.hidden.begin(), lists.hidden.end());
  fixedChoice_.insert(fixedChoice_.end(), lists.fixedChoice.begin(), lists.fixedChoice.end());
  if (!withSpace) return;
  for (size_t i = 0; i + 1 < lists.space.size(); i += 2) {
    int64_t size = 0;
    if (!TryStrToInt64(lists.space[i + 1], size)) continue;  // damaged pair: left out
    space_.push_back(lists.space[i]);
    space_.push_back(lists.space[i + 1]);
  }
}

void TComponentTable::MergeStates(const std::vector<std::string>& names,
                                  const std::vector<std::string>& states) {
  std::lock_guard lock(lock_);
  for (size_t i = 0; i < names_.size(); ++i) {
    int k = FindName(names, names_[i]);
    if (k >= 0 && static_cast<size_t>(k) < states.size())
      states_[i] = states[static_cast<size_t>(k)];
  }
}

void TComponentTable::ReplaceMarks(std::vector<std::string> deleted,
                                   std::vector<std::string> hidden,
                                   std::vector<std::string> fixedChoice) {
  std::lock_guard lock(lock_);
  deleted_ = std::move(deleted);
  hidden_ = std::move(hidden);
  fixedChoice_ = std::move(fixedChoice);
}

void TComponentTable::WithLock(const std::function<void()>& work) const {
  std::lock_guard lock(lock_);
  work();
}

TComponentTable& Components() {
  static TComponentTable table;
  return table;
}

void ResetComponentsForRun(TComponentTable& table) {
  table.ClearComponents();
  table.DefineComponent(kPredefinedComponent, "", true);
}

std::string FormatSize(int64_t bytes) {
  int unit = kTextBytes;
  int64_t number = bytes;
  if (bytes >= kGigabyte) {
    unit = kTextMegabytes;
    number = bytes / kMegabyte;
  } else if (bytes >= kMegabyte) {
    unit = kTextKilobytes;
    number = bytes / kKilobyte;
  }
  // The magnitude in unsigned form: the most negative value has no positive twin.
  const bool negative = number < 0;
  uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(number) : static_cast<uint64_t>(number);
  std::string digits = std::to_string(magnitude);
  std::string grouped;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped.push_back(',');
    grouped.push_back(digits[i]);
  }
  return (negative ? "-" : "") + grouped + " " + EngineText(unit);
}

}  // namespace vantrell
