// The engine-wide target platform (contract in target_platform.h).
#include "common/target_platform.h"

#include <mutex>

namespace vantrell {
namespace {

std::mutex platformMutex;

std::string& Platform() {
  static std::string platform(kPlatformWin32);
  return platform;
}

}  // namespace

std::string TargetPlatform() {
  std::lock_guard lock(platformMutex);
  return Platform();
}

void SetTargetPlatform(std::string_view platform) {
  std::lock_guard lock(platformMutex);
  Platform() = std::string(platform);
}

bool TargetIs64Bit() {
  std::lock_guard lock(platformMutex);
  return Platform() != kPlatformWin32;
}

}  // namespace vantrell
