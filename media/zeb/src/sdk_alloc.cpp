// Allocators and table set-up for the 7-Zip SDK (see sdk_alloc.h).
#include "sdk_alloc.h"

#include <pthread.h>

#include <cstdlib>

extern "C" {
#include "7zCrc.h"
#include "Aes.h"
#include "Sha256.h"
}

namespace zeb {
namespace {

#if defined(ZEB_ALLOC_LIMIT)
constexpr size_t kAllocLimit = ZEB_ALLOC_LIMIT;  // fuzzing: refuse what would exhaust the fuzzer
#else
constexpr size_t kAllocLimit = SIZE_MAX;
#endif

void* SdkAlloc(ISzAllocPtr, size_t size) {
  if (size == 0 || size > kAllocLimit) return size == 0 ? std::malloc(1) : nullptr;
  return std::malloc(size);
}

void SdkFree(ISzAllocPtr, void* address) {
  std::free(address);
}

void PrepareTables() {
  CrcGenerateTable();
  Sha256Prepare();
  AesGenTables();
}

}  // namespace

const ISzAlloc g_zebAlloc = {SdkAlloc, SdkFree};

void InitSdkTables() {
  static pthread_once_t once = PTHREAD_ONCE_INIT;
  pthread_once(&once, &PrepareTables);
}

uint8_t Lzma2PropForSize(uint8_t prop, uint64_t unpackSize) {
  auto dictOf = [](unsigned p) -> uint64_t {
    return p >= 40 ? 0xFFFFFFFFull : static_cast<uint64_t>(2 | (p & 1)) << (p / 2 + 11);
  };
  unsigned p = 0;
  while (p < prop && dictOf(p) < unpackSize) ++p;
  return static_cast<uint8_t>(p);
}

}  // namespace zeb
