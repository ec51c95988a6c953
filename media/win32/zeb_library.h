// The archive library as the engine binds it: the four functions imported
// from zeb.lib when the process is loaded.
#pragma once

#include "media/archive_files.h"

namespace vantrell {

class ImportedArchiveLibrary final : public ArchiveLibrary {
 public:
  int32_t Extract(const char* archivePath, const char* destFolder,
                  const ZebFileSelection* selection, uint32_t option, const char* password,
                  ZebPasswordCallback passwordCb, ZebProgressCallback progressCb,
                  ZebNotifyCallback notifyCb, ZebQuestionCallback questionCb) override;
  uintptr_t OpenList(const char* archivePath, ZebPasswordCallback passwordCb, const char* password,
                     ZebListEntry** entries, int32_t* count) override;
  void CloseList(uintptr_t handle) override;
  int32_t LastError() override;
};

}  // namespace vantrell
