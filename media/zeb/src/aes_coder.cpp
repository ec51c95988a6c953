// AES-256-CBC decoder of 7z's encryption method (06F10701) with its key derivation.
// Properties: byte0 bits 0-5 = NumCyclesPower, bit7 = salt present, bit6 = iv present;
// byte1 high nibble + bit7 = salt size, low nibble + bit6 = iv size; then salt, then iv
// (iv zero-padded to 16). Key = SHA-256 over 2^NumCyclesPower rounds of
// salt + UTF-16LE password + 64-bit LE round counter; power 0x3F: salt + password, no hash.
#include <algorithm>
#include <cstring>

#include "byte_stream.h"
#include "zeb.h"

extern "C" {
#include "Aes.h"
#include "Sha256.h"
}

namespace zeb {
namespace {

constexpr size_t kKeySize = 32;
constexpr unsigned kMaxCyclesPower =
    24;  // more rounds than any encoder writes: refuse, do not spin
constexpr unsigned kNoHashPower = 0x3F;
constexpr size_t kBufferSize = 1 << 18;

struct AesProps {
  unsigned cyclesPower = 0;
  std::vector<uint8_t> salt;
  uint8_t iv[16] = {};
};

int32_t ParseProps(const uint8_t* data, size_t size, AesProps* props) {
  if (size == 0) return kZebErrorUnsupported;
  const uint8_t b0 = data[0];
  props->cyclesPower = b0 & 0x3F;
  size_t saltSize = 0;
  size_t ivSize = 0;
  if ((b0 & 0xC0) != 0) {
    if (size < 2) return kZebErrorUnsupported;
    saltSize = ((b0 >> 7) & 1u) + (data[1] >> 4);
    ivSize = ((b0 >> 6) & 1u) + (data[1] & 0x0Fu);
    if (size != 2 + saltSize + ivSize) return kZebErrorUnsupported;
    props->salt.assign(data + 2, data + 2 + saltSize);
    memcpy(props->iv, data + 2 + saltSize, ivSize);
  } else if (size != 1) {
    return kZebErrorUnsupported;
  }
  if (props->cyclesPower > kMaxCyclesPower && props->cyclesPower != kNoHashPower)
    return kZebErrorUnsupported;
#if defined(ZEB_FUZZ_AES_CYCLES)
  // fuzzing: fewer rounds keep each run short; the key is wrong but the data path still runs
  props->cyclesPower = std::min(props->cyclesPower, static_cast<unsigned>(ZEB_FUZZ_AES_CYCLES));
#endif
  return kZebOk;
}

void DeriveKey(const AesProps& props, const std::u16string& password, uint8_t key[kKeySize]) {
  std::vector<uint8_t> pw;
  pw.reserve(password.size() * 2);
  for (char16_t c : password) {
    pw.push_back(static_cast<uint8_t>(c & 0xFF));
    pw.push_back(static_cast<uint8_t>(c >> 8));
  }
  if (props.cyclesPower == kNoHashPower) {
    memset(key, 0, kKeySize);
    std::vector<uint8_t> all = props.salt;
    all.insert(all.end(), pw.begin(), pw.end());
    memcpy(key, all.data(), std::min(all.size(), kKeySize));
    return;
  }
  // one buffer per round: salt, password, counter; the counter is the last 8 bytes
  std::vector<uint8_t> round = props.salt;
  round.insert(round.end(), pw.begin(), pw.end());
  round.resize(round.size() + 8, 0);
  uint8_t* counter = round.data() + round.size() - 8;
  CSha256 sha;
  Sha256_Init(&sha);
  const uint64_t rounds = 1ull << props.cyclesPower;
  for (uint64_t i = 0; i < rounds; ++i) {
    Sha256_Update(&sha, round.data(), round.size());
    for (int b = 0; b < 8; ++b) {
      if (++counter[b] != 0) break;
    }
  }
  Sha256_Final(&sha, key);
}

template <typename T>
T* Align16(T* p) {
  return reinterpret_cast<T*>((reinterpret_cast<uintptr_t>(p) + 15) & ~static_cast<uintptr_t>(15));
}

class AesDecoder final : public ByteStream {
 public:
  AesDecoder(std::unique_ptr<ByteStream> in, uint64_t size)
      : in_(std::move(in)), left_(size), storage_(kBufferSize + 16) {
    aes_ = Align16(aesStorage_);
    buf_ = Align16(storage_.data());
  }

  void SetKey(const uint8_t key[kKeySize], const uint8_t iv[16]) {
    AesCbc_Init(aes_, iv);
    Aes_SetKey_Dec(aes_ + 4, key, kKeySize);
  }

  int32_t Read(uint8_t* buffer, size_t size, size_t* got) override {
    *got = 0;
    if (left_ == 0 || size == 0) return kZebOk;
    if (start_ == decrypted_) {
      memmove(buf_, buf_ + decrypted_, end_ - decrypted_);
      end_ -= decrypted_;
      start_ = decrypted_ = 0;
      while (end_ < 16 && !ended_) {
        size_t n = 0;
        if (const int32_t rc = in_->Read(buf_ + end_, kBufferSize - end_, &n); rc != kZebOk)
          return rc;
        if (n == 0) ended_ = true;
        end_ += n;
      }
      decrypted_ = end_ & ~static_cast<size_t>(15);
      if (decrypted_ == 0) return kZebErrorDamaged;  // input shorter than the declared output
      g_AesCbc_Decode(aes_, buf_, decrypted_ / 16);
    }
    const size_t n = static_cast<size_t>(std::min<uint64_t>({size, decrypted_ - start_, left_}));
    memcpy(buffer, buf_ + start_, n);
    start_ += n;
    left_ -= n;
    *got = n;
    return kZebOk;
  }

 private:
  std::unique_ptr<ByteStream> in_;
  uint64_t left_;
  UInt32 aesStorage_[AES_NUM_IVMRK_WORDS + 4];
  UInt32* aes_;
  std::vector<uint8_t> storage_;
  uint8_t* buf_;
  size_t start_ = 0;
  size_t decrypted_ = 0;
  size_t end_ = 0;
  bool ended_ = false;
};

}  // namespace

int32_t CreateAesDecoder(const CoderParams& params, std::unique_ptr<ByteStream> input,
                         DecodeContext& context, std::unique_ptr<ByteStream>* out) {
  AesProps props;
  if (const int32_t rc = ParseProps(params.props, params.propsSize, &props); rc != kZebOk)
    return rc;
  std::u16string password;
  if (context.passwords == nullptr || !context.passwords->Get(&password))
    return kZebErrorCannotOpen;
  context.usedPassword = true;

  // folders of one archive share their key parameters: derive once
  std::vector<uint8_t> keyInput(props.salt);
  keyInput.push_back(static_cast<uint8_t>(props.cyclesPower));
  for (char16_t c : password) {
    keyInput.push_back(static_cast<uint8_t>(c & 0xFF));
    keyInput.push_back(static_cast<uint8_t>(c >> 8));
  }
  if (!context.hasCachedKey || context.cachedKeyInput != keyInput) {
    DeriveKey(props, password, context.cachedKey);
    context.cachedKeyInput = std::move(keyInput);
    context.hasCachedKey = true;
  }
  auto d = std::make_unique<AesDecoder>(std::move(input), params.unpackSize);
  d->SetKey(context.cachedKey, props.iv);
  *out = std::move(d);
  return kZebOk;
}

}  // namespace zeb
