// The exported functions of zeb.lib (see include/zeb.h): argument checks, password
// sourcing, the per-thread last error, and listings kept alive until closed.
#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <set>

#include "archive.h"
#include "extractor.h"
#include "platform.h"
#include "sync.h"
#include "zeb.h"

namespace zeb {
namespace {

thread_local int32_t t_lastError = kZebOk;

int32_t Fail(int32_t code) {
  t_lastError = code;
  return 0;
}

unsigned DecoderThreads() {
  const unsigned hw = ProcessorCount();
  return std::clamp(hw, 1u, 4u);
}

// The password text wins; otherwise the callback is asked once, when first needed.
class ApiPasswords final : public PasswordSource {
 public:
  ApiPasswords(const char* text, ZebPasswordCallback callback) : callback_(callback) {
    if (text != nullptr && text[0] != '\0') {
      password_ = ApiToUtf16(text);
      known_ = true;
    }
  }

  bool Get(std::u16string* password) override {
    if (!known_ && !asked_ && callback_ != nullptr) {
      asked_ = true;
      char buffer[kZebPasswordMax] = {};
      if (callback_(buffer) == 1) {
        buffer[kZebPasswordMax - 1] = '\0';
        password_ = ApiToUtf16(buffer);
        known_ = true;
      }
    }
    if (known_) *password = password_;
    return known_;
  }

 private:
  ZebPasswordCallback callback_;
  std::u16string password_;
  bool known_ = false;
  bool asked_ = false;
};

struct Listing {
  std::vector<ZebListEntry> entries;
  std::vector<std::string> names;
};

Mutex g_listingsMutex;
std::set<Listing*> g_listings;

int32_t OpenArchive(const char* path, ApiPasswords& passwords, Archive& archive) {
  if (path == nullptr || path[0] == '\0') return kZebErrorBadArgument;
  return archive.Open(ApiToNative(path), &passwords, DecoderThreads());
}

int32_t RunExtract(const char* archivePath, const char* destFolder,
                   const ZebFileSelection* selection, const char* password,
                   ZebPasswordCallback passwordCb, ZebProgressCallback progressCb) {
  if (destFolder == nullptr || destFolder[0] == '\0') return kZebErrorBadArgument;
  ExtractRequest request;
  request.destination = ApiToNative(destFolder);
  if (selection != nullptr && selection->count > 0) {
    if (selection->names == nullptr) return kZebErrorBadArgument;
    request.all = false;
    for (int32_t i = 0; i < selection->count; ++i) {
      if (selection->names[i] == nullptr) return kZebErrorBadArgument;
      request.selection.emplace_back(selection->names[i]);
    }
  }
  if (progressCb != nullptr) {
    request.progress = [progressCb](const std::string& name, uint64_t done, uint64_t total) {
      return progressCb(name.c_str(), done, total) != 0;
    };
  }
  ApiPasswords passwords(password, passwordCb);
  Archive archive;
  if (const int32_t rc = OpenArchive(archivePath, passwords, archive); rc != kZebOk) return rc;
  return ExtractEntries(archive, request);
}

int32_t RunList(const char* archivePath, ZebPasswordCallback passwordCb, const char* password,
                std::unique_ptr<Listing>* out) {
  ApiPasswords passwords(password, passwordCb);
  Archive archive;
  if (const int32_t rc = OpenArchive(archivePath, passwords, archive); rc != kZebOk) return rc;
  auto listing = std::make_unique<Listing>();
  const size_t count = archive.EntryCount();
  listing->names.reserve(count);
  listing->entries.resize(count);
  std::vector<uint64_t> packedOfFolder(archive.FolderCount(), 0);
  std::vector<uint32_t> filesInFolder(archive.FolderCount(), 0);
  for (uint32_t f = 0; f < archive.FolderCount(); ++f)
    packedOfFolder[f] = archive.FolderPackedSize(f);
  for (size_t i = 0; i < count; ++i) {
    const Entry e = archive.GetEntry(i);
    if (e.folder != kNoFolder) ++filesInFolder[e.folder];
    listing->names.push_back(Utf16ToApi(e.name));
    ZebListEntry& z = listing->entries[i];
    z.namePad = 0;
    z.size = e.size;
    z.attributes = e.attributes;
    z.isFolder = e.isFolder ? 1 : 0;
    z.modifiedLow = static_cast<uint32_t>(e.modified);
    z.modifiedHigh = static_cast<uint32_t>(e.modified >> 32);
    z.crc = e.hasCrc ? e.crc : 0;
  }
  for (size_t i = 0; i < count; ++i) {
    listing->entries[i].name = listing->names[i].c_str();
    const uint32_t folder = archive.GetEntry(i).folder;
    // a packed size belongs to an entry only when it is alone in its folder
    if (folder != kNoFolder && filesInFolder[folder] == 1)
      listing->entries[i].packedSize = packedOfFolder[folder];
  }
  *out = std::move(listing);
  return kZebOk;
}

}  // namespace
}  // namespace zeb

extern "C" {

int32_t ZEB_CALL ExtractArchive(const char* archivePath, int32_t, const char* destFolder,
                                const ZebFileSelection* selection, uint32_t, const char* password,
                                ZebPasswordCallback passwordCb, ZebProgressCallback progressCb,
                                ZebNotifyCallback, ZebQuestionCallback) {
  try {
    const int32_t rc =
        zeb::RunExtract(archivePath, destFolder, selection, password, passwordCb, progressCb);
    if (rc != kZebOk) return zeb::Fail(rc);
    zeb::t_lastError = kZebOk;
    return 1;
  } catch (const std::bad_alloc&) {
    return zeb::Fail(kZebErrorNoMemory);
  } catch (...) {
    return zeb::Fail(kZebErrorDamaged);
  }
}

uintptr_t ZEB_CALL OpenListArchive(const char* archivePath, int32_t, ZebPasswordCallback passwordCb,
                                   int32_t, int32_t, int32_t, const char* password,
                                   ZebListEntry** entries, int32_t* count) {
  try {
    if (entries == nullptr || count == nullptr)
      return static_cast<uintptr_t>(zeb::Fail(kZebErrorBadArgument));
    *entries = nullptr;
    *count = 0;
    std::unique_ptr<zeb::Listing> listing;
    if (const int32_t rc = zeb::RunList(archivePath, passwordCb, password, &listing); rc != kZebOk)
      return static_cast<uintptr_t>(zeb::Fail(rc));
    *entries = listing->entries.empty() ? nullptr : listing->entries.data();
    *count = static_cast<int32_t>(listing->entries.size());
    zeb::Listing* raw = listing.release();
    {
      std::lock_guard lock(zeb::g_listingsMutex);
      zeb::g_listings.insert(raw);
    }
    zeb::t_lastError = kZebOk;
    return reinterpret_cast<uintptr_t>(raw);
  } catch (const std::bad_alloc&) {
    return static_cast<uintptr_t>(zeb::Fail(kZebErrorNoMemory));
  } catch (...) {
    return static_cast<uintptr_t>(zeb::Fail(kZebErrorDamaged));
  }
}

int32_t ZEB_CALL CloseListArchive(uintptr_t handle) {
  auto* listing = reinterpret_cast<zeb::Listing*>(handle);
  std::lock_guard lock(zeb::g_listingsMutex);
  if (zeb::g_listings.erase(listing) == 0) return zeb::Fail(kZebErrorBadArgument);
  delete listing;
  return 1;
}

int32_t ZEB_CALL GetLastArchiveError(int32_t) {
  return zeb::t_lastError;
}

}  // extern "C"
