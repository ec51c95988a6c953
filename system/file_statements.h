// The file statements that act at once: "Delete Files Recursive" (a mask's
// files below a folder, then every sub-folder left empty, in repeated passes)
// and "Register Library" (type library, server program or library with
// registration entries, its result "TRUE"/"FALSE" in a variable). Both run in
// the 64-bit file view of the target platform.
#pragma once

#include <string>
#include <string_view>

#include "common/file_system.h"
#include "script/statements.h"
#include "system/file_statement_platform.h"

namespace vantrell {

struct FileStatementServices {
  FileSystem& files;
  FileStatementPlatform& platform;
};

// Whether a folder may be the base of a recursive deletion: an absolute
// folder below a drive root ("X:\name\...") or below a network share
// ("\\server\share\name\..."), without "." or ".." steps. An empty or
// relative folder, a drive or share root and the "\\?\" and "\\.\" forms
// are refused, so that an empty variable cannot turn a pattern into a whole
// drive.
bool IsDeletableTreeFolder(std::string_view folder);

// Deletes the files below the pattern's folder that match its mask and the
// sub-folders left empty, never the folder itself; folder links are neither
// entered nor removed. Passes repeat while they shorten the entry list.
// Returns false, deleting nothing, when the folder is refused.
bool DeleteFilesRecursive(FileSystem& files, const std::string& pattern);

// Registers (or unregisters) one file by its extension: ".TLB" type library,
// ".EXE" server program started with "/regserver" or "/unregserver", anything
// else a library's "DllRegisterServer" or "DllUnregisterServer". Every
// failure gives false.
bool RegisterLibraryFile(FileSystem& files, FileStatementPlatform& platform,
                         const std::string& file, bool registering);

void ExecuteDeleteFilesRecursive(StatementContext& s, FileStatementServices& services);
void ExecuteRegisterLibrary(StatementContext& s, FileStatementServices& services);

// The services' references must outlive the registrations.
void RegisterFileStatements(StatementTable& table, FileStatementServices services);

}  // namespace vantrell
