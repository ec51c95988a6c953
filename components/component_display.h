// What the dialog controls show of the component table: a tree of path levels,
// a check list of top-level components, the check marks written back, the
// tree menu's cascade, and the disk space figures. The trees and lists here
// are plain models; the dialog layer mirrors them onto its controls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "components/component_table.h"
#include "vars/variable_manager.h"

namespace vantrell {

struct ComponentTreeNode {
  std::string text;  // one path level
  int image = 0;     // 1 selected, 0 not
  int data = 0;      // component index + 1; 0 for a level that carries no component
  std::vector<ComponentTreeNode> children;
};

struct ComponentListItem {
  std::string text;
  bool checked = false;
};

// Leaves out the predefined component, deleted ones and those hidden
// themselves or through an ancestor; levels are created as paths need them.
void FillComponentTree(const TComponentTable& table, std::vector<ComponentTreeNode>& roots);

// Top-level components that are neither predefined, deleted nor hidden.
void FillComponentList(const TComponentTable& table, std::vector<ComponentListItem>& list);

// Copies each item's check mark to every component whose name begins with the
// item's text (ignoring case) unless its choice is locked; an item without
// "\" then shows the state of the last such component.
void ApplyListChecks(TComponentTable& table, std::vector<ComponentListItem>& list);

// Sets the node's component and image; with cascade, also every child whose
// component is not choice-locked, and their children.
void SetComponentStateCascade(TComponentTable& table, ComponentTreeNode& node, bool selected,
                              bool cascade);

// Free bytes on the drive of the expanded TARGETDIR; -1 when TARGETDIR is
// absent or empty or the drive cannot be asked.
int64_t AvailableSpace(const TVariableManager& vars, const FreeSpaceQuery& freeSpace);
int64_t RemainingSpace(const TComponentTable& table, const TVariableManager& vars,
                       const FreeSpaceQuery& freeSpace);

}  // namespace vantrell
