// Registers the handlers of the built-in statements with the statement table,
// each bound to the system services it uses. Called once before the first run.
#pragma once

#include "media/archive_files.h"
#include "system/file_system.h"
#include "vars/text_system.h"

namespace vantrell {

struct StatementServices {
  ArchiveLibrary& archives;
  FileSystem& files;
  TextSystem& text;
};

void RegisterBuiltInStatements(StatementServices& services);

}  // namespace vantrell
