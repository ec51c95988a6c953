// Decoders for the 7z methods, each a ByteStream over its input stream(s): Copy, LZMA,
// LZMA2, PPMd (variant H), the branch filters (x86 BCJ, ARM, ARMT, ARM64, PPC, SPARC, IA64,
// RISC-V), Delta and BCJ2. Every decoder stops at its coder's declared unpack size.
#include <algorithm>
#include <cstring>

#include "byte_stream.h"
#include "lzma2_mt.h"
#include "sdk_alloc.h"
#include "zeb.h"

extern "C" {
#include "Bcj2.h"
#include "Bra.h"
#include "CpuArch.h"
#include "Delta.h"
#include "Lzma2Dec.h"
#include "LzmaDec.h"
#include "Ppmd7.h"
}

namespace zeb {
namespace {

constexpr uint32_t kCopy = 0;
constexpr uint32_t kDelta = 3;
constexpr uint32_t kArm64 = 0xA;
constexpr uint32_t kRiscv = 0xB;
constexpr uint32_t kLzma2 = 0x21;
constexpr uint32_t kLzma = 0x30101;
constexpr uint32_t kBcj = 0x3030103;
constexpr uint32_t kBcj2 = 0x303011B;
constexpr uint32_t kPpc = 0x3030205;
constexpr uint32_t kIa64 = 0x3030401;
constexpr uint32_t kArm = 0x3030501;
constexpr uint32_t kArmt = 0x3030701;
constexpr uint32_t kSparc = 0x3030805;
constexpr uint32_t kPpmd = 0x30401;
constexpr uint32_t kAes = 0x6F10701;

constexpr size_t kInputWindow = 1 << 18;
constexpr size_t kFilterBuffer = 1 << 18;

uint32_t LoadLe32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void StoreLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

int32_t FromSdk(SRes res) {
  switch (res) {
    case SZ_OK:
      return kZebOk;
    case SZ_ERROR_MEM:
      return kZebErrorNoMemory;
    case SZ_ERROR_UNSUPPORTED:
      return kZebErrorUnsupported;
    default:
      return kZebErrorDamaged;
  }
}

class CopyDecoder final : public ByteStream {
 public:
  CopyDecoder(std::unique_ptr<ByteStream> in, uint64_t size) : in_(std::move(in)), left_(size) {}
  int32_t Read(uint8_t* buffer, size_t size, size_t* got) override {
    *got = 0;
    if (left_ == 0) return kZebOk;
    const int32_t rc = in_->Read(buffer, static_cast<size_t>(std::min<uint64_t>(size, left_)), got);
    if (rc != kZebOk) return rc;
    if (*got == 0) return kZebErrorDamaged;
    left_ -= *got;
    return kZebOk;
  }

 private:
  std::unique_ptr<ByteStream> in_;
  uint64_t left_;
};

// Common loop of the LZMA and LZMA2 decoders: decode into the caller's buffer, refilling
// the input window, until the buffer is full or the declared size is reached.
template <typename Step>
int32_t DecodeLoop(ByteStream& in, InputWindow& window, uint64_t& left, uint8_t* buffer,
                   size_t size, size_t* got, Step step) {
  *got = 0;
  size = static_cast<size_t>(std::min<uint64_t>(size, left));
  while (*got < size) {
    if (window.Available() == 0 && !window.finished) {
      if (const int32_t rc = window.Fill(in); rc != kZebOk) return rc;
    }
    SizeT outLen = size - *got;
    SizeT inLen = window.Available();
    const bool last = outLen == left - *got;
    ELzmaStatus status = LZMA_STATUS_NOT_SPECIFIED;
    const SRes res = step(buffer + *got, &outLen, window.data.data() + window.pos, &inLen,
                          last ? LZMA_FINISH_END : LZMA_FINISH_ANY, &status);
    window.pos += inLen;
    *got += outLen;
    if (res != SZ_OK) return FromSdk(res);
    if (outLen == 0 && inLen == 0) {
      // no progress: either more input is needed or the stream ended before its size
      if (window.finished || status == LZMA_STATUS_FINISHED_WITH_MARK) return kZebErrorDamaged;
      if (window.Available() != 0 && status != LZMA_STATUS_NEEDS_MORE_INPUT)
        return kZebErrorDamaged;
      if (const int32_t rc = window.Fill(in); rc != kZebOk) return rc;
    }
  }
  left -= *got;
  return kZebOk;
}

class LzmaDecoder final : public ByteStream {
 public:
  LzmaDecoder(std::unique_ptr<ByteStream> in, uint64_t size)
      : in_(std::move(in)), window_(kInputWindow), left_(size) {
    LzmaDec_CONSTRUCT(&dec_);
  }
  ~LzmaDecoder() override { LzmaDec_Free(&dec_, &g_zebAlloc); }

  int32_t Init(const uint8_t* props, size_t propsSize) {
    if (propsSize != LZMA_PROPS_SIZE) return kZebErrorUnsupported;
    uint8_t p[LZMA_PROPS_SIZE];
    memcpy(p, props, sizeof(p));
    // the window never needs to exceed the output: small entries get small buffers
    uint32_t dict = LoadLe32(p + 1);
    if (dict > left_) dict = static_cast<uint32_t>(std::max<uint64_t>(left_, 1 << 12));
    StoreLe32(p + 1, dict);
    if (const SRes res = LzmaDec_Allocate(&dec_, p, LZMA_PROPS_SIZE, &g_zebAlloc); res != SZ_OK)
      return FromSdk(res);
    LzmaDec_Init(&dec_);
    return kZebOk;
  }

  int32_t Read(uint8_t* buffer, size_t size, size_t* got) override {
    return DecodeLoop(
        *in_, window_, left_, buffer, size, got,
        [this](Byte* d, SizeT* dl, const Byte* s, SizeT* sl, ELzmaFinishMode m, ELzmaStatus* st) {
          return LzmaDec_DecodeToBuf(&dec_, d, dl, s, sl, m, st);
        });
  }

 private:
  std::unique_ptr<ByteStream> in_;
  InputWindow window_;
  uint64_t left_;
  CLzmaDec dec_;
};

class Lzma2Decoder final : public ByteStream {
 public:
  Lzma2Decoder(std::unique_ptr<ByteStream> in, uint64_t size)
      : in_(std::move(in)), window_(kInputWindow), left_(size) {
    Lzma2Dec_CONSTRUCT(&dec_);
  }
  ~Lzma2Decoder() override { Lzma2Dec_Free(&dec_, &g_zebAlloc); }

  int32_t Init(uint8_t prop) {
    if (const SRes res = Lzma2Dec_Allocate(&dec_, Lzma2PropForSize(prop, left_), &g_zebAlloc);
        res != SZ_OK)
      return FromSdk(res);
    Lzma2Dec_Init(&dec_);
    return kZebOk;
  }

  int32_t Read(uint8_t* buffer, size_t size, size_t* got) override {
    return DecodeLoop(
        *in_, window_, left_, buffer, size, got,
        [this](Byte* d, SizeT* dl, const Byte* s, SizeT* sl, ELzmaFinishMode m, ELzmaStatus* st) {
          return Lzma2Dec_DecodeToBuf(&dec_, d, dl, s, sl, m, st);
        });
  }

 private:
  std::unique_ptr<ByteStream> in_;
  InputWindow window_;
  uint64_t left_;
  CLzma2Dec dec_;
};

class PpmdDecoder final : public ByteStream {
 public:
  PpmdDecoder(std::unique_ptr<ByteStream> in, uint64_t size)
      : in_(std::move(in)), window_(kInputWindow), left_(size) {
    Ppmd7_Construct(&ppmd_);
    reader_.vt.Read = &PpmdDecoder::ReadByte;
    reader_.owner = this;
  }
  ~PpmdDecoder() override { Ppmd7_Free(&ppmd_, &g_zebAlloc); }

  int32_t Init(const uint8_t* props, size_t propsSize) {
    if (propsSize != 5) return kZebErrorUnsupported;
    const unsigned order = props[0];
    const uint32_t memSize = LoadLe32(props + 1);
    if (order < PPMD7_MIN_ORDER || order > PPMD7_MAX_ORDER || memSize < PPMD7_MIN_MEM_SIZE ||
        memSize > PPMD7_MAX_MEM_SIZE)
      return kZebErrorUnsupported;
    if (!Ppmd7_Alloc(&ppmd_, memSize, &g_zebAlloc)) return kZebErrorNoMemory;
    Ppmd7_Init(&ppmd_, order);
    ppmd_.rc.dec.Stream = &reader_.vt;
    return kZebOk;
  }

  int32_t Read(uint8_t* buffer, size_t size, size_t* got) override {
    *got = 0;
    size = static_cast<size_t>(std::min<uint64_t>(size, left_));
    if (size == 0) return kZebOk;
    if (!started_) {
      started_ = true;
      if (!Ppmd7z_RangeDec_Init(&ppmd_.rc.dec) || reader_.extra) return ReaderFailure();
    }
    for (size_t i = 0; i < size; ++i) {
      const int sym = Ppmd7z_DecodeSymbol(&ppmd_);
      if (reader_.extra || sym < 0) return ReaderFailure();
      buffer[i] = static_cast<uint8_t>(sym);
    }
    *got = size;
    left_ -= size;
    return kZebOk;
  }

 private:
  struct Reader {
    IByteIn vt;
    PpmdDecoder* owner;
    bool extra = false;
    int32_t error = kZebOk;
  };

  int32_t ReaderFailure() const {
    return reader_.error != kZebOk ? reader_.error : kZebErrorDamaged;
  }

  static Byte ReadByte(IByteInPtr p) {
    Reader* r = Z7_CONTAINER_FROM_VTBL(p, Reader, vt);
    InputWindow& w = r->owner->window_;
    if (w.pos == w.end) {
      if (!r->extra && !w.finished) {
        const int32_t rc = w.Fill(*r->owner->in_);
        if (rc != kZebOk) r->error = rc;
      }
      if (w.pos == w.end) {
        r->extra = true;
        return 0;
      }
    }
    return w.data[w.pos++];
  }

  std::unique_ptr<ByteStream> in_;
  InputWindow window_;
  uint64_t left_;
  CPpmd7 ppmd_;
  Reader reader_;
  bool started_ = false;
};

// Filters convert in place; up to a few bytes at the end of a buffer wait for more input
// because an instruction may straddle the boundary.
class FilterDecoder final : public ByteStream {
 public:
  FilterDecoder(std::unique_ptr<ByteStream> in, uint64_t size, uint32_t method, uint32_t pc,
                unsigned delta)
      : in_(std::move(in)),
        left_(size),
        method_(method),
        pc_(pc),
        delta_(delta),
        data_(kFilterBuffer) {
    Delta_Init(deltaState_);
  }

  int32_t Read(uint8_t* buffer, size_t size, size_t* got) override {
    *got = 0;
    while (ready_ == done_) {
      if (left_ == 0) return kZebOk;
      memmove(data_.data(), data_.data() + ready_, filled_ - ready_);
      filled_ -= ready_;
      ready_ = done_ = 0;
      if (!ended_) {
        size_t n = 0;
        if (const int32_t rc = in_->Read(data_.data() + filled_, data_.size() - filled_, &n);
            rc != kZebOk)
          return rc;
        if (n == 0) ended_ = true;
        filled_ += n;
      }
      const size_t converted = Convert(data_.data(), filled_);
      ready_ = ended_ ? filled_ : converted;
      if (ended_ && filled_ == 0) return kZebErrorDamaged;  // shorter than declared
    }
    const size_t n = static_cast<size_t>(std::min<uint64_t>({size, ready_ - done_, left_}));
    memcpy(buffer, data_.data() + done_, n);
    done_ += n;
    left_ -= n;
    *got = n;
    return kZebOk;
  }

 private:
  size_t Convert(uint8_t* data, size_t size) {
    Byte* end = data;
    switch (method_) {
      case kBcj:
        end = z7_BranchConvSt_X86_Dec(data, size, pc_, &x86State_);
        break;
      case kArm:
        end = z7_BranchConv_ARM_Dec(data, size, pc_);
        break;
      case kArmt:
        end = z7_BranchConv_ARMT_Dec(data, size, pc_);
        break;
      case kArm64:
        end = z7_BranchConv_ARM64_Dec(data, size, pc_);
        break;
      case kRiscv:
        end = z7_BranchConv_RISCV_Dec(data, size, pc_);
        break;
      case kPpc:
        end = z7_BranchConv_PPC_Dec(data, size, pc_);
        break;
      case kSparc:
        end = z7_BranchConv_SPARC_Dec(data, size, pc_);
        break;
      case kIa64:
        end = z7_BranchConv_IA64_Dec(data, size, pc_);
        break;
      case kDelta:
        Delta_Decode(deltaState_, delta_, data, size);
        end = data + size;
        break;
      default:
        break;
    }
    const auto n = static_cast<size_t>(end - data);
    pc_ += static_cast<uint32_t>(n);
    return n;
  }

  std::unique_ptr<ByteStream> in_;
  uint64_t left_;
  uint32_t method_;
  uint32_t pc_;
  unsigned delta_;
  uint32_t x86State_ = Z7_BRANCH_CONV_ST_X86_STATE_INIT_VAL;
  Byte deltaState_[DELTA_STATE_SIZE];
  std::vector<uint8_t> data_;
  size_t done_ = 0;    // handed out
  size_t ready_ = 0;   // converted
  size_t filled_ = 0;  // read
  bool ended_ = false;
};

// BCJ2 pulls its four inputs (main, call, jump, range coder) side by side, refilling the
// one the decoder stops on. Call/jump data is handed over in whole 32-bit words.
class Bcj2Decoder final : public ByteStream {
 public:
  Bcj2Decoder(std::vector<std::unique_ptr<ByteStream>> in, uint64_t size)
      : in_(std::move(in)), left_(size) {
    for (auto& b : bufs_) b.resize(kInputWindow);
    Bcj2Dec_Init(&dec_);
    for (unsigned i = 0; i < BCJ2_NUM_STREAMS; ++i) dec_.bufs[i] = dec_.lims[i] = bufs_[i].data();
  }

  int32_t Read(uint8_t* buffer, size_t size, size_t* got) override {
    *got = 0;
    size = static_cast<size_t>(std::min<uint64_t>(size, left_));
    if (size == 0) return kZebOk;
    dec_.dest = buffer;
    dec_.destLim = buffer + size;
    for (;;) {
      if (Bcj2Dec_Decode(&dec_) != SZ_OK) return kZebErrorDamaged;
      if (dec_.state >= BCJ2_NUM_STREAMS) break;
      const unsigned s = dec_.state;
      if (const int32_t rc = Refill(s); rc != kZebOk) return rc;
      if (dec_.lims[s] == bufs_[s].data()) break;  // that input is exhausted
    }
    *got = static_cast<size_t>(dec_.dest - buffer);
    if (*got == 0) return kZebErrorDamaged;
    left_ -= *got;
    return kZebOk;
  }

 private:
  int32_t Refill(unsigned s) {
    uint8_t* buf = bufs_[s].data();
    const uint8_t* cur = dec_.bufs[s];
    size_t total = extra_[s];
    memmove(buf, cur, total);  // a partial word kept from the last fill
    dec_.bufs[s] = dec_.lims[s] = buf;
    const bool words = BCJ2_IS_32BIT_STREAM(s);
    while (!ended_[s]) {
      size_t n = 0;
      if (const int32_t rc = in_[s]->Read(buf + total, bufs_[s].size() - total, &n); rc != kZebOk)
        return rc;
      if (n == 0) ended_[s] = true;
      total += n;
      if (!words || total >= 4) break;
    }
    if (words) {
      extra_[s] = total & 3;
      if (total < 4) return total == 0 ? kZebOk : kZebErrorDamaged;
      total -= extra_[s];
    }
    dec_.lims[s] = buf + total;
    return kZebOk;
  }

  std::vector<std::unique_ptr<ByteStream>> in_;
  uint64_t left_;
  CBcj2Dec dec_;
  std::vector<uint8_t> bufs_[BCJ2_NUM_STREAMS];
  size_t extra_[BCJ2_NUM_STREAMS] = {};
  bool ended_[BCJ2_NUM_STREAMS] = {};
};

}  // namespace

int32_t ReadFull(ByteStream& stream, uint8_t* buffer, size_t size) {
  while (size > 0) {
    size_t got = 0;
    if (const int32_t rc = stream.Read(buffer, size, &got); rc != kZebOk) return rc;
    if (got == 0) return kZebErrorDamaged;
    buffer += got;
    size -= got;
  }
  return kZebOk;
}

int32_t InputWindow::Fill(ByteStream& from) {
  if (pos != 0) {
    memmove(data.data(), data.data() + pos, end - pos);
    end -= pos;
    pos = 0;
  }
  if (finished || end == data.size()) return kZebOk;
  size_t got = 0;
  if (const int32_t rc = from.Read(data.data() + end, data.size() - end, &got); rc != kZebOk)
    return rc;
  if (got == 0) finished = true;
  end += got;
  return kZebOk;
}

unsigned CoderInputCount(uint32_t methodId) {
  switch (methodId) {
    case kBcj2:
      return 4;
    case kCopy:
    case kDelta:
    case kArm64:
    case kRiscv:
    case kLzma2:
    case kLzma:
    case kBcj:
    case kPpc:
    case kIa64:
    case kArm:
    case kArmt:
    case kSparc:
    case kPpmd:
    case kAes:
      return 1;
    default:
      return 0;
  }
}

int32_t CreateCoder(const CoderParams& params, std::vector<std::unique_ptr<ByteStream>> inputs,
                    DecodeContext& context, std::unique_ptr<ByteStream>* out) {
  if (CoderInputCount(params.methodId) != inputs.size()) return kZebErrorUnsupported;
  switch (params.methodId) {
    case kCopy:
      *out = std::make_unique<CopyDecoder>(std::move(inputs[0]), params.unpackSize);
      return kZebOk;
    case kLzma: {
      auto d = std::make_unique<LzmaDecoder>(std::move(inputs[0]), params.unpackSize);
      if (const int32_t rc = d->Init(params.props, params.propsSize); rc != kZebOk) return rc;
      *out = std::move(d);
      return kZebOk;
    }
    case kLzma2: {
      if (params.propsSize != 1 || params.props[0] > 40) return kZebErrorUnsupported;
      if (context.threads > 1) {
        return CreateLzma2MtDecoder(std::move(inputs[0]), params.props[0], params.unpackSize,
                                    context.threads, out);
      }
      auto d = std::make_unique<Lzma2Decoder>(std::move(inputs[0]), params.unpackSize);
      if (const int32_t rc = d->Init(params.props[0]); rc != kZebOk) return rc;
      *out = std::move(d);
      return kZebOk;
    }
    case kPpmd: {
      auto d = std::make_unique<PpmdDecoder>(std::move(inputs[0]), params.unpackSize);
      if (const int32_t rc = d->Init(params.props, params.propsSize); rc != kZebOk) return rc;
      *out = std::move(d);
      return kZebOk;
    }
    case kBcj2:
      if (params.propsSize != 0) return kZebErrorUnsupported;
      *out = std::make_unique<Bcj2Decoder>(std::move(inputs), params.unpackSize);
      return kZebOk;
    case kAes:
      return CreateAesDecoder(params, std::move(inputs[0]), context, out);
    case kDelta:
      if (params.propsSize != 1) return kZebErrorUnsupported;
      *out = std::make_unique<FilterDecoder>(std::move(inputs[0]), params.unpackSize,
                                             params.methodId, 0, params.props[0] + 1u);
      return kZebOk;
    default: {
      uint32_t pc = 0;
      if (params.propsSize == 4) {
        pc = LoadLe32(params.props);
      } else if (params.propsSize != 0) {
        return kZebErrorUnsupported;
      }
      if (pc != 0 && params.methodId != kArm64 && params.methodId != kRiscv)
        return kZebErrorUnsupported;
      *out = std::make_unique<FilterDecoder>(std::move(inputs[0]), params.unpackSize,
                                             params.methodId, pc, 0);
      return kZebOk;
    }
  }
}

}  // namespace zeb
