// An open 7z archive: the database read by the SDK's 7zArcIn.c, its entries, and the
// folder streams that decode them. Also provides SzAr_DecodeFolder for encoded headers.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "byte_stream.h"
#include "platform.h"

extern "C" {
#include "7z.h"
#include "7zBuf.h"
}

namespace zeb {

constexpr uint32_t kNoFolder = 0xFFFFFFFFu;

struct Entry {
  std::u16string name;  // as stored: '/' or '\' separated
  uint64_t size = 0;
  bool isFolder = false;
  bool hasAttributes = false;
  uint32_t attributes = 0;
  uint64_t modified = 0;  // FILETIME, 0 when absent
  bool hasCrc = false;
  uint32_t crc = 0;
  uint32_t folder = kNoFolder;  // kNoFolder: no data (empty file or folder)
};

class Archive {
 public:
  Archive();
  ~Archive();
  Archive(const Archive&) = delete;
  Archive& operator=(const Archive&) = delete;

  // threads: worker threads the LZMA2 decoder may use. Returns a zeb.h code.
  int32_t Open(const NativePath& path, PasswordSource* passwords, unsigned threads);

  size_t EntryCount() const { return db_.NumFiles; }
  Entry GetEntry(size_t index) const;
  uint32_t FolderCount() const { return db_.db.NumFolders; }
  // Entry range [first, end) whose data lies in folder.
  uint32_t FolderFirstEntry(uint32_t folder) const { return db_.FolderToFile[folder]; }
  uint32_t FolderEndEntry(uint32_t folder) const { return db_.FolderToFile[folder + 1]; }
  uint64_t FolderPackedSize(uint32_t folder) const;

  // The decoded main stream of a folder.
  int32_t OpenFolder(uint32_t folder, std::unique_ptr<ByteStream>* out);

  // Maps a decoding failure: once a password was used, damage means a wrong password.
  int32_t MapDataError(int32_t code) const;

  // Used by SzAr_DecodeFolder, which reaches the archive through its input stream.
  int32_t OpenFolderOf(const CSzAr& db, uint32_t folder, uint64_t dataStart,
                       std::unique_ptr<ByteStream>* out);
  void SetDecodeError(int32_t code) { decodeError_ = code; }
  static Archive* FromInput(ILookInStreamPtr stream);

 private:
  struct SeekStream {
    ISeekInStream vt;
    Archive* owner;
    uint64_t pos;
  };
  struct CappedAlloc {
    ISzAlloc vt;
    size_t limit;
  };

  InputFile file_;
  CSzArEx db_;
  bool dbOpen_ = false;
  SeekStream seek_{};
  CLookToRead2 look_{};
  std::unique_ptr<uint8_t[]> lookBuffer_;
  CappedAlloc alloc_{};
  DecodeContext context_;
  int32_t decodeError_ = 0;
};

}  // namespace zeb
