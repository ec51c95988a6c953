// Allocators handed to the 7-Zip SDK and the one-time table set-up it needs. Allocation
// failure is reported to the SDK as a null pointer, never as an exception.
#pragma once

#include <cstdint>

extern "C" {
#include "7zTypes.h"
}

namespace zeb {

extern const ISzAlloc g_zebAlloc;

// Prepares CRC, SHA-256 and AES tables; safe to call many times from any thread.
void InitSdkTables();

// LZMA2 dictionary property byte lowered so the window does not exceed the output size.
uint8_t Lzma2PropForSize(uint8_t prop, uint64_t unpackSize);

}  // namespace zeb
