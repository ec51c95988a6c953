// Where start-up's two windows go on the screen: the splash centred, the
// preparing window below and to the right of the splash's middle but kept
// on the screen, or centred when there is no splash; and which of the
// preparing window's two icons suits the running Windows version.
#pragma once

#include <cstdint>

#include "dialogs/form_scaling.h"

namespace vantrell {

struct ScreenPoint {
  int32_t x = 0;
  int32_t y = 0;
  bool operator==(const ScreenPoint&) const = default;
};

// The top-left corner of a window of width x height centred on a screen that
// starts at 0, 0; negative when the window is the larger.
ScreenPoint CentredOnScreen(int32_t screenWidth, int32_t screenHeight, int32_t width,
                            int32_t height);

// The preparing window's top-left corner for a window of width x height
// (outer size); splash is the splash's outer bounds, nullptr when none shows.
ScreenPoint PreparingWindowPlace(int32_t screenWidth, int32_t screenHeight, int32_t width,
                                 int32_t height, const Bounds* splash);

// True for Windows XP and later (5.1 and above, and every major above 5).
bool ShowsNewerIcon(uint32_t majorVersion, uint32_t minorVersion);

}  // namespace vantrell
