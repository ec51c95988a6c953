// Calls into the imported archive library.
#include "media/win32/zeb_library.h"

namespace vantrell {

int32_t ImportedArchiveLibrary::Extract(const char* archivePath, const char* destFolder,
                                        const ZebFileSelection* selection, uint32_t option,
                                        const char* password, ZebPasswordCallback passwordCb,
                                        ZebProgressCallback progressCb, ZebNotifyCallback notifyCb,
                                        ZebQuestionCallback questionCb) {
  return ::ExtractArchive(archivePath, 1, destFolder, selection, option, password, passwordCb,
                          progressCb, notifyCb, questionCb);
}

uintptr_t ImportedArchiveLibrary::OpenList(const char* archivePath, ZebPasswordCallback passwordCb,
                                           const char* password, ZebListEntry** entries,
                                           int32_t* count) {
  return ::OpenListArchive(archivePath, 0, passwordCb, 0, 0, 0, password, entries, count);
}

void ImportedArchiveLibrary::CloseList(uintptr_t handle) {
  ::CloseListArchive(handle);
}

int32_t ImportedArchiveLibrary::LastError() {
  return ::GetLastArchiveError(0);
}

}  // namespace vantrell
