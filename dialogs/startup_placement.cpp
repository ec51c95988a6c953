// Start-up window placement (startup_placement.h).
#include "dialogs/startup_placement.h"

namespace vantrell {

namespace {
// Distance of the preparing window from the splash's middle and bottom, and
// the room it leaves at the screen's right and bottom edges (the taskbar's).
constexpr int32_t kRightOfMiddle = 50;
constexpr int32_t kBelowSplash = 25;
constexpr int32_t kRightMargin = 25;
constexpr int32_t kBottomMargin = 45;
}  // namespace

ScreenPoint CentredOnScreen(int32_t screenWidth, int32_t screenHeight, int32_t width,
                            int32_t height) {
  return {(screenWidth - width) / 2, (screenHeight - height) / 2};
}

ScreenPoint PreparingWindowPlace(int32_t screenWidth, int32_t screenHeight, int32_t width,
                                 int32_t height, const Bounds* splash) {
  if (splash == nullptr) return CentredOnScreen(screenWidth, screenHeight, width, height);
  ScreenPoint place{splash->left + splash->width / 2 + kRightOfMiddle,
                    splash->top + splash->height + kBelowSplash};
  const int32_t lowest = screenHeight - height - kBottomMargin;
  const int32_t rightmost = screenWidth - width - kRightMargin;
  if (place.y > lowest) place.y = lowest;
  if (place.x > rightmost) place.x = rightmost;
  return place;
}

bool ShowsNewerIcon(uint32_t majorVersion, uint32_t minorVersion) {
  return majorVersion > 5 || (majorVersion == 5 && minorVersion != 0);
}

}  // namespace vantrell
