// Pull-model byte streams that chain a 7z folder's coders: every coder reads its inputs
// through this interface and is read by the next one, so a folder of any size streams
// through fixed buffers. Codes are the zeb.h codes (kZebOk on success).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "zeb.h"

namespace zeb {

// Internally distinct from other open failures; reported as kZebErrorCannotOpen.
constexpr int32_t kZebErrorUnsupported = kZebErrorCannotOpen;

class ByteStream {
 public:
  virtual ~ByteStream() = default;
  // Reads up to size bytes; *got == 0 with kZebOk means the end of the stream.
  virtual int32_t Read(uint8_t* buffer, size_t size, size_t* got) = 0;
};

// Reads exactly size bytes; a short stream is damage.
int32_t ReadFull(ByteStream& stream, uint8_t* buffer, size_t size);

// A refillable window over an input stream, for decoders that consume bytes in place.
struct InputWindow {
  explicit InputWindow(size_t capacity) : data(capacity) {}
  std::vector<uint8_t> data;
  size_t pos = 0;
  size_t end = 0;
  bool finished = false;

  size_t Available() const { return end - pos; }
  // Moves what is left to the front and reads more; sets finished at the end of input.
  int32_t Fill(ByteStream& from);
};

// Supplies the password the first time an encrypted coder needs it.
class PasswordSource {
 public:
  virtual ~PasswordSource() = default;
  // False when no password is available.
  virtual bool Get(std::u16string* password) = 0;
};

// One coder of a folder as the archive database describes it.
struct CoderParams {
  uint32_t methodId = 0;
  const uint8_t* props = nullptr;
  size_t propsSize = 0;
  uint64_t unpackSize = 0;
};

struct DecodeContext {
  PasswordSource* passwords = nullptr;
  bool usedPassword =
      false;             // set once an encrypted coder ran: data errors then mean a wrong password
  unsigned threads = 1;  // worker threads an LZMA2 coder may use
  // the last derived AES key: the folders of one archive share their key parameters
  bool hasCachedKey = false;
  std::vector<uint8_t> cachedKeyInput;
  uint8_t cachedKey[32] = {};
};

// Creates the decoder a coder describes, reading from inputs (one per coder input stream).
int32_t CreateCoder(const CoderParams& params, std::vector<std::unique_ptr<ByteStream>> inputs,
                    DecodeContext& context, std::unique_ptr<ByteStream>* out);

// Number of input streams a method takes, 0 when unsupported.
unsigned CoderInputCount(uint32_t methodId);

int32_t CreateAesDecoder(const CoderParams& params, std::unique_ptr<ByteStream> input,
                         DecodeContext& context, std::unique_ptr<ByteStream>* out);

}  // namespace zeb
