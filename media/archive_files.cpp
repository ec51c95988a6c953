// Listing and extraction through the archive library (contract in archive_files.h).
#include "media/archive_files.h"

#include <atomic>
#include <cstring>
#include <mutex>

#include "common/engine_error.h"

namespace vantrell {
namespace {

std::mutex passwordMutex;
std::string primedPassword;
bool passwordConsumed = true;
std::atomic<bool> questionAnswerFour{true};

int32_t ZEB_CALL EngineNotifyCallback(uint32_t, uint32_t) {
  return 1;
}

int32_t ZEB_CALL EngineQuestionCallback(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
                                        uint32_t, uint32_t, uint32_t, uint32_t) {
  return questionAnswerFour.load() ? 4 : 1;
}

}  // namespace

void PrimeArchivePassword(const std::string& password) {
  std::lock_guard lock(passwordMutex);
  primedPassword = password;
  passwordConsumed = false;
}

int32_t ZEB_CALL EnginePasswordCallback(char* buffer) {
  std::lock_guard lock(passwordMutex);
  if (buffer == nullptr || passwordConsumed || primedPassword.empty()) return 0;
  passwordConsumed = true;
  size_t n = std::min<size_t>(primedPassword.size(), kZebPasswordMax - 1);
  std::memcpy(buffer, primedPassword.data(), n);
  buffer[n] = '\0';
  return 1;
}

std::string ListingErrorText(int32_t code) {
  switch (code) {
    case 1001:
      return "The archive file was not found";
    case 1002:
      return "Illegal path used in a wildcard expression";
    case 1003:
      return "The archive cannot be opened: unsupported archive or incorrect password";
    default:
      return "General failure opening archive";
  }
}

bool ListArchive(ArchiveLibrary& library, const std::string& archivePath,
                 const std::string& password, std::string& errorText,
                 std::vector<std::string>& names) {
  names.clear();
  errorText.clear();
  try {
    PrimeArchivePassword(password);
    ZebListEntry* entries = nullptr;
    int32_t count = 0;
    uintptr_t handle = library.OpenList(archivePath.c_str(), EnginePasswordCallback,
                                        password.c_str(), &entries, &count);
    if (handle == 0) {
      errorText = ListingErrorText(library.LastError());
      return false;
    }
    if (entries != nullptr && count > 0) {
      names.reserve(static_cast<size_t>(count));
      for (int32_t i = 0; i < count; ++i)
        names.emplace_back(entries[i].name ? entries[i].name : "");
    }
    library.CloseList(handle);
    return true;
  } catch (const std::exception& e) {
    errorText = e.what();
    return false;
  }
}

bool ExtractArchiveFiles(ArchiveLibrary& library, const ExtractionRequest& request,
                         std::string& errorText) {
  errorText.clear();
  try {
    std::vector<std::string> listed;
    const std::vector<std::string>* names = request.names;
    if (names == nullptr) {
      if (!ListArchive(library, request.archivePath, request.password, errorText, listed)) {
        return false;
      }
      names = &listed;
    }
    std::vector<const char*> pointers;
    pointers.reserve(names->size());
    for (const std::string& name : *names) pointers.push_back(name.c_str());
    ZebFileSelection selection{pointers.data(), static_cast<int32_t>(pointers.size())};

    PrimeArchivePassword(request.password);
    questionAnswerFour.store(request.questionAnswer);
    int32_t ok = library.Extract(request.archivePath.c_str(), request.destination.c_str(),
                                 &selection, request.optionFlag ? 0u : 1u, request.password.c_str(),
                                 request.passwordCb ? request.passwordCb : EnginePasswordCallback,
                                 request.progressCb,
                                 request.notifyCb ? request.notifyCb : EngineNotifyCallback,
                                 request.questionCb ? request.questionCb : EngineQuestionCallback);
    if (ok != 0) return true;
    errorText = "#" + std::to_string(library.LastError());
    return false;
  } catch (const std::exception& e) {
    errorText = e.what();
    return false;
  }
}

}  // namespace vantrell
