// Registers the string, arithmetic and text-file statements ("Set Variable",
// "Parse String", "Replace String", "Convert Case", "Convert Path",
// "Extract Path", "Mathematics", "Get Temporary File", "Get Environment",
// "Read from Text File", "Write to Text File", "Get INI File Settings",
// "Find All Files") with the statement table. Their state (the open text
// reader, the number generator, the search's progress position) lives until
// they are registered again; the run's exit cleanup closes the reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "script/statements.h"
#include "text/text_system.h"

namespace vantrell {

struct TextStatementOptions {
  // The translation of a statement's text for (identifier, slot) while a
  // language is active; nullopt when none is.
  std::function<std::optional<std::string>(const std::string& identifier, int slot,
                                           const std::string& text)>
      translate;
  // Shows the progress text and position (0 to 100) in the displayed dialog.
  std::function<void(const std::string& text, int32_t position)> refreshProgress;
  // Most text one "Read from Text File" reads; the rest is left for the next.
  size_t maxReadBytes = size_t{64} << 20;
  // Longest result "Replace String" makes; replacing stops before it.
  size_t maxReplaceBytes = size_t{64} << 20;
};

// system must outlive the registration.
void RegisterTextStatements(StatementTable& table, TextSystem& system,
                            TextStatementOptions options = {});

}  // namespace vantrell
