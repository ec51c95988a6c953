// Fuzzes the script reader and the lookups that run on what it read: any
// bytes must parse without a crash, a hang or unbounded growth.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/engine_error.h"
#include "engine/command_line.h"
#include "script/script_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  vantrell::SetupScript script = vantrell::ReadScript(bytes);
  for (size_t i = 0; i < script.identifiers.size() && i < 64; ++i) {
    vantrell::ParameterLine(script.pools, script.identifiers[i], static_cast<int>(i % 5));
  }
  for (size_t i = 0; i < script.commands.size() && i < 64; ++i) {
    try {
      vantrell::StatementHeader(script, i);
    } catch (const vantrell::EngineError&) {
    }
    vantrell::ExpandBuildVariables(script, script.commands[i]);
  }
  vantrell::ParseCommandLine(bytes.substr(0, 4096));
  return 0;
}
