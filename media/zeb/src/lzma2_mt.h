// Multi-threaded LZMA2 decoding behind the pull interface: the SDK's Lzma2DecMt runs on a
// worker thread and pushes into a bounded queue that Read() drains. Streams made of
// independent chunks decode in parallel; others fall back to one thread inside the SDK.
#pragma once

#include "byte_stream.h"

namespace zeb {

int32_t CreateLzma2MtDecoder(std::unique_ptr<ByteStream> input, uint8_t prop, uint64_t unpackSize,
                             unsigned threads, std::unique_ptr<ByteStream>* out);

}  // namespace zeb
