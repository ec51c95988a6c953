// "Read Registry", "Check Registry" and "Delete Registry": immediate registry
// reads and deletions in the view that the target platform selects, with the
// neutral results and markers for missing keys and values.
#pragma once

#include <string>

#include "script/statements.h"
#include "system/registry_access.h"

namespace vantrell {

// The view of one registry statement: 64-bit for a 64-bit target platform on
// 64-bit Windows, 32-bit for "Win32" there, and no flag elsewhere.
RegistryView StatementRegistryView(bool is64BitWindows, bool targetIs64Bit);

// The "Check Registry" text for the value (markers included).
std::string RegistryResultText(const RegistryData& data);

void ExecuteReadRegistry(StatementContext& s, RegistryAccess& registry, bool keepMarkers);
void ExecuteDeleteRegistry(StatementContext& s, RegistryAccess& registry);

// Deletes the key with all its sub-keys and values, deepest first; best effort.
void DeleteRegistryTree(RegistryAccess& registry, RegistryRoot hive, RegistryView view,
                        const std::string& key);

// The registry must outlive the registrations.
void RegisterRegistryStatements(StatementTable& table, RegistryAccess& registry);

}  // namespace vantrell
