// The engine-wide target platform: "Win32" (the default), "ia64" or "x64",
// set by "Set 64 Bit Mode" and read by every statement that picks the 64-bit
// registry view or file-system view. Safe to read from any thread.
#pragma once

#include <string>
#include <string_view>

namespace vantrell {

inline constexpr std::string_view kPlatformWin32 = "Win32";

std::string TargetPlatform();
void SetTargetPlatform(std::string_view platform);
// True unless the target platform is exactly "Win32".
bool TargetIs64Bit();

}  // namespace vantrell
