// The engine-wide component table: names ("\" separates tree levels), states,
// descriptions, the deleted, hidden and fixed-choice name lists, the space list
// (name, size, name, size, ...) and the installed size. Names compare ignoring
// ASCII case; a component is never removed, only marked deleted. Every
// operation takes the table's lock, so dialogs and workers may read it.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrell {

// The component that stands for the part of the product outside any named one.
inline constexpr std::string_view kPredefinedComponent = "VELD-PREDEF-COMPONENT";

// A copy of the table's lists, as the feature selection file carries them.
struct ComponentLists {
  std::vector<std::string> names;
  std::vector<std::string> states;        // parallel to names
  std::vector<std::string> descriptions;  // parallel to names
  std::vector<std::string> deleted;
  std::vector<std::string> hidden;
  std::vector<std::string> fixedChoice;
  std::vector<std::string> space;  // name, decimal size, name, size, ...
};

class TComponentTable {
 public:
  TComponentTable() = default;
  TComponentTable(const TComponentTable&) = delete;
  TComponentTable& operator=(const TComponentTable&) = delete;

  // An existing component is undeleted and gets the description; its state
  // changes only when none is stored. Either way the name gets a size pair.
  void DefineComponent(std::string_view name, std::string_view description, bool selected);
  // Ignored for absent names (the first equal name is set).
  void SetComponentState(std::string_view name, bool selected);
  void SetComponentStateAt(int index, bool selected);
  // The stored state text ("TRUE"/"FALSE", or as loaded); empty when absent.
  std::string ComponentState(std::string_view name) const;
  std::string ComponentStateAt(int index) const;

  bool ComponentExists(std::string_view name) const;
  // -1 when absent; the first equal name wins.
  int ComponentIndex(std::string_view name) const;
  // False when absent or deleted.
  bool ComponentSelected(std::string_view name) const;
  // 0 when the name has no size; raises EngineError for a size that is not an integer.
  int64_t ComponentSize(std::string_view name) const;
  std::string ComponentDescription(std::string_view name) const;
  // The name or one of its ancestors is in the fixed-choice list.
  bool ComponentChoiceLocked(std::string_view name) const;
  bool ComponentDeleted(std::string_view name) const;
  // The name or one of its ancestors is in the hidden list.
  bool ComponentHidden(std::string_view name) const;

  // The marks, as the statements change them; absent components are never marked.
  void SetComponentChoice(std::string_view name, bool allowed);
  void SetComponentVisibility(std::string_view name, bool visible);
  void DeleteComponent(std::string_view name);

  // Replaces the size of the name's pair, or appends one; only for existing components.
  void SetComponentSpace(std::string_view name, int64_t size);
  // Appends the pair unless the name already has one.
  void AddSpacePair(std::string_view name, int64_t size);
  // The script's component size list; an unpaired last item is dropped.
  void SetSpaceList(std::vector<std::string> pairs);

  // Sum of the sizes of the selected, undeleted components (each name once)
  // minus the installed size; may be negative.
  int64_t RequiredSpace() const;
  int64_t InstalledSize() const;
  void SetInstalledSize(int64_t size);
  void AddInstalledSize(int64_t size);

  // Empties everything but the space list and the installed size.
  void ClearComponents();

  ComponentLists Lists() const;
  // Appends the lists (states padded or cut to the new names' count; space
  // list only in whole pairs whose size is an integer).
  void AppendLists(const ComponentLists& lists, bool withSpace);
  // Sets each component named in names to the state at the same position.
  void MergeStates(const std::vector<std::string>& names, const std::vector<std::string>& states);
  void ReplaceMarks(std::vector<std::string> deleted, std::vector<std::string> hidden,
                    std::vector<std::string> fixedChoice);

  // Runs work with the table locked (re-entrant), for callers that combine queries.
  void WithLock(const std::function<void()>& work) const;

 private:
  int IndexLocked(std::string_view name) const;
  bool DeletedLocked(std::string_view name) const;
  int64_t SizeLocked(std::string_view name) const;
  void SetStateLocked(size_t index, bool selected);

  mutable std::recursive_mutex lock_;
  std::vector<std::string> names_;
  std::vector<std::string> states_;
  std::vector<std::string> descriptions_;
  std::vector<std::string> deleted_;
  std::vector<std::string> hidden_;
  std::vector<std::string> fixedChoice_;
  std::vector<std::string> space_;
  int64_t installedSize_ = 0;
};

// The engine's table, created on first use.
TComponentTable& Components();

// Clears the table and defines the predefined component (selected, no description).
void ResetComponentsForRun(TComponentTable& table);

// The free bytes available to the user on the drive holding a folder, or
// nullopt when that cannot be found.
using FreeSpaceQuery = std::function<std::optional<int64_t>(const std::string& folder)>;

// a + b, held at the ends of the 64-bit range: sizes come from scripts and files.
int64_t AddSizes(int64_t a, int64_t b);

// Display text of a byte count: "1,536 KB" (unit words are engine texts 6-8).
std::string FormatSize(int64_t bytes);

// "A\B\C" gives "A\B" and "A"; nearest first.
std::vector<std::string> ComponentAncestors(std::string_view name);

}  // namespace vantrell
