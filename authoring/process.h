// Runs an outside program (7zz, wixl, msibuild) in a given folder and waits
// for it. Its standard output is discarded so the tool stays quiet, or saved
// into a file when the caller reads it; its error output shows, or is saved
// into a file for the caller's own message.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace vantrell::authoring {

// The program's exit code, or -1 when it could not be started.
// A non-empty `output` receives the program's standard output, a non-empty
// `errors` its error output.
int RunProgram(const std::vector<std::string>& args, const std::filesystem::path& folder,
               const std::filesystem::path& output = {}, const std::filesystem::path& errors = {});

}  // namespace vantrell::authoring
