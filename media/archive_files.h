// The engine's archive operations on top of the archive library's four calls:
// list an archive's names, and extract a selection (by default every entry)
// into a folder. Failures come back as the error texts users see: the listing
// texts for codes 1001-1003 and "#" + code after a failed extraction.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "zeb.h"

namespace vantrell {

// The library's calls, so that the core runs against the real module or a twin.
class ArchiveLibrary {
 public:
  virtual ~ArchiveLibrary() = default;
  virtual int32_t Extract(const char* archivePath, const char* destFolder,
                          const ZebFileSelection* selection, uint32_t option, const char* password,
                          ZebPasswordCallback passwordCb, ZebProgressCallback progressCb,
                          ZebNotifyCallback notifyCb, ZebQuestionCallback questionCb) = 0;
  virtual uintptr_t OpenList(const char* archivePath, ZebPasswordCallback passwordCb,
                             const char* password, ZebListEntry** entries, int32_t* count) = 0;
  virtual void CloseList(uintptr_t handle) = 0;
  virtual int32_t LastError() = 0;
};

struct ExtractionRequest {
  std::string archivePath;
  std::string password;
  std::string destination;
  ZebPasswordCallback passwordCb = nullptr;  // nullptr: the engine's own
  ZebNotifyCallback notifyCb = nullptr;
  ZebQuestionCallback questionCb = nullptr;
  ZebProgressCallback progressCb = nullptr;         // none by default
  const std::vector<std::string>* names = nullptr;  // nullptr: every entry
  bool questionAnswer = true;  // the question callback answers 4 when true, 1 when false
  bool optionFlag = true;      // the library's option value is 0 when true, 1 when false
};

// Text for a listing failure code.
std::string ListingErrorText(int32_t code);

bool ListArchive(ArchiveLibrary& library, const std::string& archivePath,
                 const std::string& password, std::string& errorText,
                 std::vector<std::string>& names);

bool ExtractArchiveFiles(ArchiveLibrary& library, const ExtractionRequest& request,
                         std::string& errorText);

// The engine's password callback: the first call after priming copies the
// password and answers 1, later calls (and an empty password) answer 0.
void PrimeArchivePassword(const std::string& password);
int32_t ZEB_CALL EnginePasswordCallback(char* buffer);

}  // namespace vantrell
