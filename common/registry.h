// The registry's names, shared by every interface that reads or writes it:
// one root enum and the 64-bit view flag. The adapters turn them into the
// platform's keys (common/win32/registry_key.h).
#pragma once

#include <cstdint>

namespace vantrell {

// The roots in the order of the script's root key codes 0 to 4.
enum class RegistryRoot { kClassesRoot, kCurrentUser, kLocalMachine, kUsers, kCurrentConfig };

// The view flag added to the access rights of every key opened; kDefault adds
// nothing (32-bit Windows, where there is only one view).
enum class RegistryView : uint32_t { kDefault = 0, k64 = 0x0100, k32 = 0x0200 };

}  // namespace vantrell
