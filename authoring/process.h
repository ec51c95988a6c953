// Runs an outside program (7zz, wixl) in a given folder and waits for it.
// Its standard output is discarded so the tool stays quiet; errors still show.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace vantrell::authoring {

// The program's exit code, or -1 when it could not be started.
int RunProgram(const std::vector<std::string>& args, const std::filesystem::path& folder);

}  // namespace vantrell::authoring
