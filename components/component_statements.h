// The component statements: "Define Component", "Set/Get Component State",
// "Set/Get Component Space", "Set Component Choice", "Set Component
// Visibility", "Delete Component", "Save/Load Feature Selections". They work
// on the engine's component table; files, translation and the 64-bit file
// view come from the services bound to them at registration.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "common/file_system.h"
#include "script/statements.h"

namespace vantrell {

struct ComponentServices {
  FileSystem& files;
  // The translation of a statement's text for (statement identifier, slot)
  // while a language is current; nullopt while none is.
  std::function<std::optional<std::string>(const std::string& text, const std::string& key,
                                           int slot)>
      translate;
  // Runs work in the 64-bit file-system view; without it work runs as it is.
  std::function<void(const std::function<void()>& work)> inNativeFileView;
};

// Registers every component statement with the statement table, bound to services.
void RegisterComponentStatements(StatementTable& table, const ComponentServices& services);

}  // namespace vantrell
