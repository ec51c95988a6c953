// Worker-thread bridge around the SDK's multi-threaded LZMA2 decoder (see lzma2_mt.h).
#include "lzma2_mt.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <mutex>
#include <vector>

#include "sdk_alloc.h"
#include "sync.h"
#include "zeb.h"

extern "C" {
#include "Lzma2DecMt.h"
}

namespace zeb {
namespace {

constexpr size_t kQueueLimit = 8 << 20;
// Blocks this large are what the encoder's threads produce; the decoder's memory per
// thread is about twice the block, so a 32-bit process keeps the total modest.
constexpr uint64_t kMemoryBudget = 400ull << 20;

uint64_t ExpectedBlockSize(uint32_t dict) {
  constexpr uint64_t kMin = 1 << 20;
  constexpr uint64_t kMax = 1 << 28;
  uint64_t block = std::clamp<uint64_t>(static_cast<uint64_t>(dict) << 2, kMin, kMax);
  block = std::max<uint64_t>(block, dict);
  return (block + kMin - 1) & ~(kMin - 1);
}

class Lzma2MtDecoder final : public ByteStream {
 public:
  Lzma2MtDecoder(std::unique_ptr<ByteStream> in, uint64_t size)
      : in_(std::move(in)), size_(size), left_(size) {
    inVt_.vt.Read = &Lzma2MtDecoder::ReadInput;
    inVt_.owner = this;
    outVt_.vt.Write = &Lzma2MtDecoder::WriteOutput;
    outVt_.owner = this;
  }

  ~Lzma2MtDecoder() override {
    {
      std::lock_guard lock(mutex_);
      cancelled_ = true;
    }
    changed_.NotifyAll();
    worker_.Join();
    if (handle_ != nullptr) Lzma2DecMt_Destroy(handle_);
  }

  int32_t Start(uint8_t prop, unsigned threads) {
    handle_ = Lzma2DecMt_Create(&g_zebAlloc, &g_zebAlloc);
    if (handle_ == nullptr) return kZebErrorNoMemory;
    Lzma2DecMtProps_Init(&props_);
    const uint32_t dict = prop >= 40 ? 0xFFFFFFFFu : (2u | (prop & 1u)) << (prop / 2 + 11);
    const uint64_t block = ExpectedBlockSize(dict);
    const uint64_t perThread = block * 2 + block / 16 + (1 << 20);
    const auto fit = static_cast<unsigned>(std::max<uint64_t>(1, kMemoryBudget / perThread));
    props_.numThreads = std::min(threads, fit);
    props_.outBlockMax = static_cast<size_t>(block);
    props_.inBlockMax = static_cast<size_t>(block + block / 16);
    prop_ = prop;
    if (!worker_.Start(&Lzma2MtDecoder::RunWorker, this)) return kZebErrorNoMemory;
    return kZebOk;
  }

  int32_t Read(uint8_t* buffer, size_t size, size_t* got) override {
    *got = 0;
    if (left_ == 0 || size == 0) return kZebOk;
    std::lock_guard lock(mutex_);
    changed_.Wait(mutex_, [this] { return !queue_.empty() || done_; });
    while (*got < size && !queue_.empty()) {
      auto& front = queue_.front();
      const size_t n = std::min(size - *got, front.size() - frontPos_);
      memcpy(buffer + *got, front.data() + frontPos_, n);
      *got += n;
      frontPos_ += n;
      queued_ -= n;
      if (frontPos_ == front.size()) {
        queue_.pop_front();
        frontPos_ = 0;
      }
    }
    if (*got != 0) {
      changed_.NotifyAll();
      left_ -= std::min<uint64_t>(left_, *got);
      return kZebOk;
    }
    if (inputError_ != kZebOk) return inputError_;
    if (result_ != SZ_OK) return result_ == SZ_ERROR_MEM ? kZebErrorNoMemory : kZebErrorDamaged;
    return kZebErrorDamaged;  // ended before its declared size
  }

 private:
  struct InVt {
    ISeqInStream vt;
    Lzma2MtDecoder* owner;
  };
  struct OutVt {
    ISeqOutStream vt;
    Lzma2MtDecoder* owner;
  };

  static void* RunWorker(void* self) {
    static_cast<Lzma2MtDecoder*>(self)->Run();
    return nullptr;
  }

  void Run() {
    UInt64 inProcessed = 0;
    int isMt = 0;
    const SRes res = Lzma2DecMt_Decode(handle_, prop_, &props_, &outVt_.vt, &size_, 1, &inVt_.vt,
                                       &inProcessed, &isMt, nullptr);
    std::lock_guard lock(mutex_);
    result_ = res;
    done_ = true;
    changed_.NotifyAll();
  }

  static SRes ReadInput(ISeqInStreamPtr p, void* buf, size_t* size) {
    InVt* self = Z7_CONTAINER_FROM_VTBL(p, InVt, vt);
    size_t got = 0;
    const int32_t rc = self->owner->in_->Read(static_cast<uint8_t*>(buf), *size, &got);
    *size = got;
    if (rc != kZebOk) {
      std::lock_guard lock(self->owner->mutex_);
      self->owner->inputError_ = rc;
      return SZ_ERROR_READ;
    }
    return SZ_OK;
  }

  static size_t WriteOutput(ISeqOutStreamPtr p, const void* data, size_t size) {
    OutVt* self = Z7_CONTAINER_FROM_VTBL(p, OutVt, vt);
    Lzma2MtDecoder& d = *self->owner;
    if (size == 0) return 0;
    std::lock_guard lock(d.mutex_);
    d.changed_.Wait(d.mutex_, [&d] { return d.queued_ < kQueueLimit || d.cancelled_; });
    if (d.cancelled_) return 0;
    const auto* bytes = static_cast<const uint8_t*>(data);
    try {
      d.queue_.emplace_back(bytes, bytes + size);
    } catch (...) {
      return 0;
    }
    d.queued_ += size;
    d.changed_.NotifyAll();
    return size;
  }

  std::unique_ptr<ByteStream> in_;
  UInt64 size_;
  uint64_t left_;
  uint8_t prop_ = 0;
  CLzma2DecMtHandle handle_ = nullptr;
  CLzma2DecMtProps props_{};
  InVt inVt_{};
  OutVt outVt_{};
  Thread worker_;
  Mutex mutex_;
  Condition changed_;
  std::deque<std::vector<uint8_t>> queue_;
  size_t frontPos_ = 0;
  size_t queued_ = 0;
  bool done_ = false;
  bool cancelled_ = false;
  SRes result_ = SZ_OK;
  int32_t inputError_ = kZebOk;
};

}  // namespace

int32_t CreateLzma2MtDecoder(std::unique_ptr<ByteStream> input, uint8_t prop, uint64_t unpackSize,
                             unsigned threads, std::unique_ptr<ByteStream>* out) {
  auto d = std::make_unique<Lzma2MtDecoder>(std::move(input), unpackSize);
  if (const int32_t rc = d->Start(Lzma2PropForSize(prop, unpackSize), threads); rc != kZebOk)
    return rc;
  *out = std::move(d);
  return kZebOk;
}

}  // namespace zeb
