// "Extract 7Zip Archive": extracts an archive on the worker thread
// (TDirectExtractMedia) while the main thread waits, publishing the archive
// progress, and writes "SUCCESS" or the error text into its result variable.
// Failures never stop the script.
#pragma once

#include <cstdint>

#include "common/file_system.h"
#include "media/archive_files.h"
#include "script/statements.h"

namespace vantrell {

// Percentage shown for bytes done of a total: done * 100 / total + 1, at most 100.
uint32_t ArchivePercent(uint64_t done, uint64_t total);

// Runs the statement (parameters 1-6 as the statement carries them).
void ExtractSevenZipArchive(StatementContext& statement, ArchiveLibrary& library,
                            FileSystem& files);

void RegisterArchiveStatements(StatementTable& table, ArchiveLibrary& library, FileSystem& files);

}  // namespace vantrell
