// Lays out a setup folder: BASE.exe (the engine with the carried script
// appended directly behind its last section), BASE.res (support files packed
// with 7zz), BASE.msi (copied, or built from a WiX source with wixl), zeb.lib
// and data\. Everything is made in a temporary folder beside the output and
// then moved into place, so a failed build leaves the output as it was.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "authoring/assemble.h"
#include "authoring/carried_script.h"
#include "authoring/project.h"

namespace vantrell::authoring {

struct FolderOptions {
  std::filesystem::path engine;
  std::filesystem::path zeb;
  std::string sevenZip = "7zz";
  std::string wixl = "wixl";
  std::string msiinfo = "msiinfo";
  std::string msibuild = "msibuild";
  std::string gcab = "gcab";
  std::function<void(const std::string&)> progress;  // one line per long step, may be empty
  std::function<void(const Warning&)> warn;          // may be empty
};

// The engine with the script behind its image. Throws ProjectError (naming
// `engineName`) when the bytes are no executable image or already carry data
// behind it.
std::string AppendScript(std::string_view engine, std::string_view script,
                         const std::string& engineName);

// The bytes behind an executable's image; nullopt when they are no image.
std::optional<std::string_view> BytesBehindImage(std::string_view executable);

std::string ReadBinaryFile(const std::filesystem::path& path);  // throws ProjectError

// The package gets the rows of the script's install-type statements (see
// package_rows.h), edited with msiinfo, msibuild and gcab. `readable` (the
// project's texts, see carried_readable.h) goes into BASE.res as its own
// entry; a setup without support files carries none.
void BuildSetupFolder(const Project& project, const CarriedScript& script,
                      const FolderOptions& options, const std::filesystem::path& out,
                      std::string_view readable = {});

}  // namespace vantrell::authoring
