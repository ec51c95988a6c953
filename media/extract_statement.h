// "Extract 7Zip Archive": extracts an archive on the worker thread
// (TDirectExtractMedia) while the main thread waits, publishing the archive
// progress, and writes "SUCCESS" or the error text into its result variable.
// Failures never stop the script.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "common/file_system.h"
#include "media/archive_files.h"
#include "script/statements.h"

namespace vantrell {

// Percentage shown for bytes done of a total: done * 100 / total + 1, at most 100.
uint32_t ArchivePercent(uint64_t done, uint64_t total);

// Switches the calling thread to the 64-bit file view while the returned
// object lives: a 64-bit target extracts into the system's own folders, not
// the 32-bit ones. Empty, or returning null, where nothing needs switching.
using NativeFileView = std::function<std::shared_ptr<void>()>;

// Runs the statement (parameters 1-6 as the statement carries them). The
// worker holds the file view for the whole extraction.
void ExtractSevenZipArchive(StatementContext& statement, ArchiveLibrary& library, FileSystem& files,
                            const NativeFileView& view = {});

void RegisterArchiveStatements(StatementTable& table, ArchiveLibrary& library, FileSystem& files,
                               NativeFileView view = {});

}  // namespace vantrell
