// Extraction (see extractor.h). Order: validate every selected name, create folders and
// empty files, then decode each folder that holds selected data from its start, skipping
// unselected entries and stopping after the last selected one.
#include "extractor.h"

#include <set>
#include <unordered_map>

#include "entry_path.h"
#include "zeb.h"

extern "C" {
#include "7zCrc.h"
}

namespace zeb {
namespace {

constexpr size_t kChunk = 256 << 10;  // also the progress granularity
constexpr uint64_t kProgressStep = 256 << 10;

class Extraction {
 public:
  Extraction(Archive& archive, const ExtractRequest& request)
      : archive_(archive), request_(request), chunk_(kChunk) {}

  int32_t Run() {
    const size_t count = archive_.EntryCount();
    entries_.reserve(count);
    for (size_t i = 0; i < count; ++i) entries_.push_back(archive_.GetEntry(i));
    selected_.assign(count, request_.all);
    if (!request_.all) {
      if (const int32_t rc = Select(); rc != kZebOk) return rc;
    }
    for (size_t i = 0; i < count; ++i) {
      if (!selected_[i]) continue;
      if (!IsSafeEntryName(entries_[i].name)) return kZebErrorUnsafePath;
      if (!entries_[i].isFolder) total_ += entries_[i].size;
    }
    if (MakeFolders(request_.destination) != kZebOk) return kZebErrorWrite;

    for (size_t i = 0; i < count; ++i) {
      if (!selected_[i] || entries_[i].folder != kNoFolder) continue;
      const int32_t rc =
          entries_[i].isFolder ? EnsureFolder(NormalizeEntryName(entries_[i].name)) : WriteEmpty(i);
      if (rc != kZebOk) return rc;
    }
    for (uint32_t f = 0; f < archive_.FolderCount(); ++f) {
      if (const int32_t rc = ExtractFolder(f); rc != kZebOk) return rc;
    }
    // a last report so the caller sees done == total
    if (lastIndex_ < entries_.size() && !Report(lastIndex_)) return kZebErrorStopped;
    return kZebOk;
  }

 private:
  int32_t Select() {
    std::unordered_map<std::string, size_t> byKey;
    for (size_t i = 0; i < entries_.size(); ++i) {
      byKey.emplace(SelectionKey(Utf16ToApi(NormalizeEntryName(entries_[i].name))), i);
    }
    for (const auto& name : request_.selection) {
      const auto it = byKey.find(SelectionKey(name));
      if (it == byKey.end()) return kZebErrorIllegalSelection;
      selected_[it->second] = true;
    }
    return kZebOk;
  }

  bool Report(size_t index) {
    lastReported_ = done_;
    lastIndex_ = index;
    return !request_.progress || request_.progress(Utf16ToApi(entries_[index].name), done_, total_);
  }

  int32_t EnsureFolder(const std::u16string& relative) {
    if (relative.empty() || made_.count(relative) != 0) return kZebOk;
    if (MakeFolders(JoinNative(request_.destination, relative)) != kZebOk) return kZebErrorWrite;
    made_.insert(relative);
    return kZebOk;
  }

  int32_t EnsureParent(size_t index) {
    const std::u16string normal = NormalizeEntryName(entries_[index].name);
    const size_t slash = normal.rfind(u'/');
    return slash == std::u16string::npos ? kZebOk : EnsureFolder(normal.substr(0, slash));
  }

  int32_t WriteEmpty(size_t index) {
    if (!Report(index)) return kZebErrorStopped;
    if (const int32_t rc = EnsureParent(index); rc != kZebOk) return rc;
    OutputFile out;
    if (out.Create(JoinNative(request_.destination, NormalizeEntryName(entries_[index].name))) !=
        kZebOk)
      return kZebErrorWrite;
    return out.Close(entries_[index].modified);
  }

  int32_t ExtractFolder(uint32_t folder) {
    const uint32_t first = archive_.FolderFirstEntry(folder);
    const uint32_t end = archive_.FolderEndEntry(folder);
    uint32_t last = end;
    for (uint32_t i = first; i < end && i < entries_.size(); ++i) {
      if (selected_[i] && entries_[i].folder == folder) last = i;
    }
    if (last == end) return kZebOk;
    std::unique_ptr<ByteStream> stream;
    if (const int32_t rc = archive_.OpenFolder(folder, &stream); rc != kZebOk) {
      return archive_.MapDataError(rc);
    }
    for (uint32_t i = first; i <= last; ++i) {
      if (entries_[i].folder != folder || entries_[i].isFolder) continue;
      const int32_t rc = selected_[i] ? WriteEntry(*stream, i) : Skip(*stream, entries_[i].size);
      if (rc != kZebOk) return archive_.MapDataError(rc);
    }
    return kZebOk;
  }

  int32_t Skip(ByteStream& stream, uint64_t size) {
    while (size > 0) {
      const auto n = static_cast<size_t>(std::min<uint64_t>(size, chunk_.size()));
      if (const int32_t rc = ReadFull(stream, chunk_.data(), n); rc != kZebOk) return rc;
      size -= n;
    }
    return kZebOk;
  }

  int32_t WriteEntry(ByteStream& stream, size_t index) {
    const Entry& e = entries_[index];
    if (!Report(index)) return kZebErrorStopped;
    if (const int32_t rc = EnsureParent(index); rc != kZebOk) return rc;
    OutputFile out;
    if (out.Create(JoinNative(request_.destination, NormalizeEntryName(e.name))) != kZebOk)
      return kZebErrorWrite;
    uint32_t crc = CRC_INIT_VAL;
    uint64_t left = e.size;
    while (left > 0) {
      const auto n = static_cast<size_t>(std::min<uint64_t>(left, chunk_.size()));
      if (const int32_t rc = ReadFull(stream, chunk_.data(), n); rc != kZebOk) return rc;
      crc = CrcUpdate(crc, chunk_.data(), n);
      if (out.Write(chunk_.data(), n) != kZebOk) return kZebErrorWrite;
      left -= n;
      done_ += n;
      if (done_ - lastReported_ >= kProgressStep && !Report(index)) return kZebErrorStopped;
    }
    if (e.hasCrc && CRC_GET_DIGEST(crc) != e.crc) return kZebErrorDamaged;
    return out.Close(e.modified);
  }

  Archive& archive_;
  const ExtractRequest& request_;
  std::vector<Entry> entries_;
  std::vector<bool> selected_;
  std::vector<uint8_t> chunk_;
  std::set<std::u16string> made_;
  uint64_t total_ = 0;
  uint64_t done_ = 0;
  uint64_t lastReported_ = 0;
  size_t lastIndex_ = SIZE_MAX;
};

}  // namespace

std::string SelectionKey(const std::string& apiName) {
  std::string key = apiName;
  for (auto& c : key) {
    if (c == '\\') c = '/';
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  while (!key.empty() && key.back() == '/') key.pop_back();
  return key;
}

int32_t ExtractEntries(Archive& archive, const ExtractRequest& request) {
  return Extraction(archive, request).Run();
}

}  // namespace zeb
