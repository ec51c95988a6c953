// Tree, check list and space figures of the component table (contract in component_display.h).
#include "components/component_display.h"

#include <limits>

#include "common/ascii.h"

namespace vantrell {
namespace {

std::vector<std::string> SplitPath(const std::string& name) {
  std::vector<std::string> segments;
  size_t start = 0;
  for (size_t cut = name.find('\\'); cut != std::string::npos; cut = name.find('\\', start)) {
    segments.push_back(name.substr(start, cut - start));
    start = cut + 1;
  }
  segments.push_back(name.substr(start));
  return segments;
}

ComponentTreeNode& FindOrAddNode(std::vector<ComponentTreeNode>& level, const std::string& text) {
  for (ComponentTreeNode& node : level) {
    if (EqualsIgnoreCase(node.text, text)) return node;
  }
  level.push_back(ComponentTreeNode{text, 0, 0, {}});
  return level.back();
}

}  // namespace

void FillComponentTree(const TComponentTable& table, std::vector<ComponentTreeNode>& roots) {
  roots.clear();
  table.WithLock([&] {
    const ComponentLists lists = table.Lists();
    for (size_t i = 0; i < lists.names.size(); ++i) {
      const std::string& name = lists.names[i];
      if (name == kPredefinedComponent || table.ComponentDeleted(name) ||
          table.ComponentHidden(name))
        continue;
      std::vector<ComponentTreeNode>* level = &roots;
      ComponentTreeNode* node = nullptr;
      for (const std::string& segment : SplitPath(name)) {
        node = &FindOrAddNode(*level, segment);
        level = &node->children;
      }
      node->image = lists.states[i] == "TRUE" ? 1 : 0;
      node->data = static_cast<int>(i) + 1;
    }
  });
}

void FillComponentList(const TComponentTable& table, std::vector<ComponentListItem>& list) {
  list.clear();
  table.WithLock([&] {
    const ComponentLists lists = table.Lists();
    for (size_t i = 0; i < lists.names.size(); ++i) {
      const std::string& name = lists.names[i];
      if (name == kPredefinedComponent || name.find('\\') != std::string::npos) continue;
      if (table.ComponentDeleted(name)) continue;
      bool hidden = false;
      for (const std::string& entry : lists.hidden)
        hidden = hidden || EqualsIgnoreCase(entry, name);
      if (hidden) continue;
      list.push_back(ComponentListItem{name, lists.states[i] == "TRUE"});
    }
  });
}

void ApplyListChecks(TComponentTable& table, std::vector<ComponentListItem>& list) {
  table.WithLock([&] {
    const std::vector<std::string> names = table.Lists().names;
    for (ComponentListItem& item : list) {
      const bool selected = item.checked;
      const std::string prefix = AsciiUpper(item.text);
      const bool topLevel = item.text.find('\\') == std::string::npos;
      for (size_t i = 0; i < names.size(); ++i) {
        if (AsciiUpper(names[i]).rfind(prefix, 0) != 0) continue;
        if (!table.ComponentChoiceLocked(names[i]))
          table.SetComponentStateAt(static_cast<int>(i), selected);
        if (topLevel) item.checked = table.ComponentStateAt(static_cast<int>(i)) == "TRUE";
      }
    }
  });
}

void SetComponentStateCascade(TComponentTable& table, ComponentTreeNode& node, bool selected,
                              bool cascade) {
  if (node.data > 0) {
    table.SetComponentStateAt(node.data - 1, selected);
    node.image = selected ? 1 : 0;
  }
  if (!cascade) return;
  const std::vector<std::string> names = table.Lists().names;
  for (ComponentTreeNode& child : node.children) {
    const bool carries = child.data > 0 && static_cast<size_t>(child.data) <= names.size();
    if (carries && table.ComponentChoiceLocked(names[static_cast<size_t>(child.data - 1)]))
      continue;
    SetComponentStateCascade(table, child, selected, true);
  }
}

int64_t AvailableSpace(const TVariableManager& vars, const FreeSpaceQuery& freeSpace) {
  const std::string folder = vars.GetExpandedVariable("TARGETDIR");
  if (folder.empty() || !freeSpace) return -1;
  return freeSpace(folder).value_or(-1);
}

int64_t RemainingSpace(const TComponentTable& table, const TVariableManager& vars,
                       const FreeSpaceQuery& freeSpace) {
  const int64_t available = AvailableSpace(vars, freeSpace);
  const int64_t required = table.RequiredSpace();
  // Both come from outside; keep the difference in range.
  if (required < 0 && available > std::numeric_limits<int64_t>::max() + required) {
    return std::numeric_limits<int64_t>::max();
  }
  if (required > 0 && available < std::numeric_limits<int64_t>::min() + required) {
    return std::numeric_limits<int64_t>::min();
  }
  return available - required;
}

}  // namespace vantrell
