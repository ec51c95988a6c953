// Opening a 7z archive through the SDK and turning its folders into decoder chains.
// Folder layout (7z.h): coders with NumStreams inputs and one output each; bonds tie an
// input to another coder's output; the remaining inputs read pack streams, in order.
#include "archive.h"

#include <algorithm>

#include "sdk_alloc.h"
#include "zeb.h"

extern "C" {
#include "7zCrc.h"
}

namespace zeb {
namespace {

constexpr size_t kLookBuffer = 1 << 16;
// Header data may expand this much over the whole file before we call it hostile.
constexpr uint64_t kHeaderExpansion = 256;
constexpr size_t kHeaderFloor = 16 << 20;

class PackStream final : public ByteStream {
 public:
  PackStream(InputFile& file, uint64_t offset, uint64_t size)
      : file_(file), offset_(offset), left_(size) {}
  int32_t Read(uint8_t* buffer, size_t size, size_t* got) override {
    *got = 0;
    if (left_ == 0) return kZebOk;
    const auto want = static_cast<size_t>(std::min<uint64_t>(size, left_));
    if (const int32_t rc = file_.ReadAt(offset_, buffer, want, got); rc != kZebOk) return rc;
    if (*got == 0) return kZebErrorDamaged;  // truncated archive
    offset_ += *got;
    left_ -= *got;
    return kZebOk;
  }

 private:
  InputFile& file_;
  uint64_t offset_;
  uint64_t left_;
};

int32_t FromOpenResult(SRes res) {
  switch (res) {
    case SZ_OK:
      return kZebOk;
    case SZ_ERROR_NO_ARCHIVE:
      return kZebErrorCannotOpen;
    case SZ_ERROR_UNSUPPORTED:
      return kZebErrorCannotOpen;
    case SZ_ERROR_MEM:
      return kZebErrorNoMemory;
    case SZ_ERROR_READ:
      return kZebErrorRead;
    default:
      return kZebErrorDamaged;
  }
}

struct FolderBuilder {
  const CSzAr& db;
  uint32_t folderIndex;
  const CSzFolder& folder;
  const uint8_t* codersData;
  uint64_t dataStart;
  InputFile& file;
  DecodeContext& context;
  bool used[SZ_NUM_CODERS_IN_FOLDER_MAX] = {};

  int32_t Build(uint32_t coder, std::unique_ptr<ByteStream>* out) {
    if (coder >= folder.NumCoders || used[coder]) return kZebErrorDamaged;
    used[coder] = true;
    const CSzCoderInfo& info = folder.Coders[coder];
    if (CoderInputCount(info.MethodID) != info.NumStreams) return kZebErrorUnsupported;
    uint32_t firstInput = 0;
    for (uint32_t c = 0; c < coder; ++c) firstInput += folder.Coders[c].NumStreams;
    std::vector<std::unique_ptr<ByteStream>> inputs;
    for (uint32_t j = 0; j < info.NumStreams; ++j) {
      std::unique_ptr<ByteStream> input;
      if (const int32_t rc = BuildInput(firstInput + j, &input); rc != kZebOk) return rc;
      inputs.push_back(std::move(input));
    }
    CoderParams params;
    params.methodId = info.MethodID;
    params.props = codersData + info.PropsOffset;
    params.propsSize = info.PropsSize;
    params.unpackSize = db.CoderUnpackSizes[db.FoToCoderUnpackSizes[folderIndex] + coder];
    return CreateCoder(params, std::move(inputs), context, out);
  }

  int32_t BuildInput(uint32_t inIndex, std::unique_ptr<ByteStream>* out) {
    for (uint32_t b = 0; b < folder.NumBonds; ++b) {
      if (folder.Bonds[b].InIndex == inIndex) return Build(folder.Bonds[b].OutIndex, out);
    }
    for (uint32_t k = 0; k < folder.NumPackStreams; ++k) {
      if (folder.PackStreams[k] != inIndex) continue;
      const uint32_t pack = db.FoStartPackStreamIndex[folderIndex] + k;
      if (pack >= db.NumPackStreams) return kZebErrorDamaged;
      const uint64_t offset = dataStart + db.PackPositions[pack];
      const uint64_t size = db.PackPositions[pack + 1] - db.PackPositions[pack];
      if (offset > file.Size() || size > file.Size() - offset) return kZebErrorDamaged;
      *out = std::make_unique<PackStream>(file, offset, size);
      return kZebOk;
    }
    return kZebErrorDamaged;
  }
};

}  // namespace

Archive::Archive() {
  SzArEx_Init(&db_);
}

Archive::~Archive() {
  if (dbOpen_) SzArEx_Free(&db_, &alloc_.vt);
}

int32_t Archive::Open(const NativePath& path, PasswordSource* passwords, unsigned threads) {
  InitSdkTables();
  context_.passwords = passwords;
  context_.threads = std::max(1u, threads);
  if (const int32_t rc = file_.Open(path); rc != kZebOk) return rc;

  alloc_.limit = static_cast<size_t>(std::min<uint64_t>(
      SIZE_MAX / 2, std::max<uint64_t>(kHeaderFloor, file_.Size() * kHeaderExpansion)));
  alloc_.vt.Alloc = [](ISzAllocPtr p, size_t size) -> void* {
    const auto* self = reinterpret_cast<const CappedAlloc*>(p);
    return size > self->limit ? nullptr : ISzAlloc_Alloc(&g_zebAlloc, size);
  };
  alloc_.vt.Free = [](ISzAllocPtr, void* address) { ISzAlloc_Free(&g_zebAlloc, address); };

  seek_.owner = this;
  seek_.vt.Read = [](ISeekInStreamPtr p, void* buf, size_t* size) -> SRes {
    SeekStream* s = Z7_CONTAINER_FROM_VTBL(p, SeekStream, vt);
    size_t got = 0;
    if (s->owner->file_.ReadAt(s->pos, buf, *size, &got) != kZebOk) return SZ_ERROR_READ;
    s->pos += got;
    *size = got;
    return SZ_OK;
  };
  seek_.vt.Seek = [](ISeekInStreamPtr p, Int64* pos, ESzSeek origin) -> SRes {
    SeekStream* s = Z7_CONTAINER_FROM_VTBL(p, SeekStream, vt);
    const auto size = static_cast<Int64>(s->owner->file_.Size());
    Int64 base = origin == SZ_SEEK_SET   ? 0
                 : origin == SZ_SEEK_CUR ? static_cast<Int64>(s->pos)
                                         : size;
    if (*pos < -base) return SZ_ERROR_PARAM;
    base += *pos;
    s->pos = static_cast<uint64_t>(base);
    *pos = base;
    return SZ_OK;
  };
  lookBuffer_ = std::make_unique<uint8_t[]>(kLookBuffer);
  LookToRead2_CreateVTable(&look_, False);
  look_.buf = lookBuffer_.get();
  look_.bufSize = kLookBuffer;
  look_.realStream = &seek_.vt;
  LookToRead2_INIT(&look_);

  decodeError_ = kZebOk;
  const SRes res = SzArEx_Open(&db_, &look_.vt, &alloc_.vt, &alloc_.vt);
  dbOpen_ = true;  // SzArEx_Free is safe on a partly filled database
  if (res == SZ_OK) return kZebOk;
  int32_t rc = decodeError_ != kZebOk ? decodeError_ : FromOpenResult(res);
  // an encrypted header that does not decode: the password is wrong
  if (context_.usedPassword && (rc == kZebErrorDamaged || res == SZ_ERROR_CRC))
    rc = kZebErrorCannotOpen;
  return rc;
}

Entry Archive::GetEntry(size_t index) const {
  Entry e;
  const size_t len = SzArEx_GetFileNameUtf16(&db_, index, nullptr);
  std::vector<UInt16> name(len + 1, 0);
  SzArEx_GetFileNameUtf16(&db_, index, name.data());
  for (size_t i = 0; i < len && name[i] != 0; ++i) e.name.push_back(static_cast<char16_t>(name[i]));
  e.isFolder = SzArEx_IsDir(&db_, index);
  e.size = SzArEx_GetFileSize(&db_, index);
  if (SzBitWithVals_Check(&db_.Attribs, index)) {
    e.hasAttributes = true;
    e.attributes = db_.Attribs.Vals[index];
  }
  if (SzBitWithVals_Check(&db_.MTime, index)) {
    e.modified =
        (static_cast<uint64_t>(db_.MTime.Vals[index].High) << 32) | db_.MTime.Vals[index].Low;
  }
  if (SzBitWithVals_Check(&db_.CRCs, index)) {
    e.hasCrc = true;
    e.crc = db_.CRCs.Vals[index];
  }
  e.folder = db_.FileToFolder[index];
  if (e.folder >= db_.db.NumFolders) e.folder = kNoFolder;
  return e;
}

uint64_t Archive::FolderPackedSize(uint32_t folder) const {
  const CSzAr& db = db_.db;
  return db.PackPositions[db.FoStartPackStreamIndex[folder + 1]] -
         db.PackPositions[db.FoStartPackStreamIndex[folder]];
}

int32_t Archive::OpenFolder(uint32_t folder, std::unique_ptr<ByteStream>* out) {
  return OpenFolderOf(db_.db, folder, db_.dataPos, out);
}

int32_t Archive::OpenFolderOf(const CSzAr& db, uint32_t folderIndex, uint64_t dataStart,
                              std::unique_ptr<ByteStream>* out) {
  if (folderIndex >= db.NumFolders) return kZebErrorDamaged;
  CSzFolder folder;
  CSzData sd;
  const uint8_t* codersData = db.CodersData + db.FoCodersOffsets[folderIndex];
  sd.Data = codersData;
  sd.Size = db.FoCodersOffsets[folderIndex + 1] - db.FoCodersOffsets[folderIndex];
  if (SzGetNextFolderItem(&folder, &sd) != SZ_OK) return kZebErrorCannotOpen;
  FolderBuilder builder{db, folderIndex, folder, codersData, dataStart, file_, context_};
  return builder.Build(folder.UnpackStream, out);
}

Archive* Archive::FromInput(ILookInStreamPtr stream) {
  const CLookToRead2* look = Z7_CONTAINER_FROM_VTBL(stream, CLookToRead2, vt);
  return Z7_CONTAINER_FROM_VTBL(look->realStream, SeekStream, vt)->owner;
}

int32_t Archive::MapDataError(int32_t code) const {
  return context_.usedPassword && code == kZebErrorDamaged ? kZebErrorCannotOpen : code;
}

}  // namespace zeb

// 7zArcIn.c decodes packed headers through this; our coders replace the SDK's 7zDec.c.
extern "C" SRes SzAr_DecodeFolder(const CSzAr* p, UInt32 folderIndex, ILookInStreamPtr inStream,
                                  UInt64 startPos, Byte* outBuffer, size_t outSize, ISzAllocPtr) {
  zeb::Archive* archive = zeb::Archive::FromInput(inStream);
  std::unique_ptr<zeb::ByteStream> stream;
  int32_t rc = archive->OpenFolderOf(*p, folderIndex, startPos, &stream);
  if (rc == kZebOk) rc = zeb::ReadFull(*stream, outBuffer, outSize);
  if (rc == kZebOk && SzBitWithVals_Check(&p->FolderCRCs, folderIndex) &&
      CrcCalc(outBuffer, outSize) != p->FolderCRCs.Vals[folderIndex]) {
    rc = kZebErrorDamaged;
  }
  if (rc == kZebOk) return SZ_OK;
  archive->SetDecodeError(rc);
  return rc == kZebErrorNoMemory ? SZ_ERROR_MEM : SZ_ERROR_DATA;
}
