// Start-up window placement: centring, the preparing window beside the
// splash and its screen limits, and the version that picks the newer icon.
#include "dialogs/startup_placement.h"

#include <gtest/gtest.h>

namespace vantrell {
namespace {

// The preparing window's outer size at 96 pixels per inch under Wine.
constexpr int32_t kWidth = 375;
constexpr int32_t kHeight = 118;

TEST(StartupPlacementTest, CentresOnTheScreen) {
  struct Case {
    int32_t screenWidth, screenHeight, width, height;
    ScreenPoint place;
  } cases[] = {
      {1024, 768, kWidth, kHeight, {324, 325}},
      {1025, 769, 376, 119, {324, 325}},   // odd remainders are dropped
      {1024, 768, 1200, 900, {-88, -66}},  // larger than the screen: off its edges
      {1024, 768, 1201, 901, {-88, -66}},  // halves of negative sizes round towards zero
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CentredOnScreen(c.screenWidth, c.screenHeight, c.width, c.height), c.place)
        << c.screenWidth << "x" << c.screenHeight << " " << c.width << "x" << c.height;
  }
}

TEST(StartupPlacementTest, PlacesThePreparingWindowBesideTheSplash) {
  struct Case {
    const char* what;
    int32_t screenWidth, screenHeight;
    Bounds splash;
    ScreenPoint place;
  } cases[] = {
      {"small splash: right of its middle, below it", 1024, 768, {362, 284, 300, 200}, {562, 509}},
      {"odd splash width: half rounded down", 1024, 768, {362, 284, 301, 200}, {562, 509}},
      {"splash larger than the screen: lifted above the bottom margin",
       1024,
       768,
       {-88, -66, 1200, 900},
       {562, 768 - kHeight - 45}},
      {"bottom exactly at the margin stays", 1024, 768, {362, 380, 300, 200}, {562, 605}},
      {"narrow screen: pulled in from the right margin too",
       800,
       600,
       {50, 100, 700, 400},
       {800 - kWidth - 25, 600 - kHeight - 45}},
      {"splash off the left edge: no limit on that side",
       1024,
       768,
       {-500, 0, 300, 200},
       {-300, 225}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PreparingWindowPlace(c.screenWidth, c.screenHeight, kWidth, kHeight, &c.splash),
              c.place)
        << c.what;
  }
}

TEST(StartupPlacementTest, WithoutSplashThePreparingWindowIsCentred) {
  EXPECT_EQ(PreparingWindowPlace(1024, 768, kWidth, kHeight, nullptr), (ScreenPoint{324, 325}));
  // Centring ignores the margins that apply beside a splash.
  EXPECT_EQ(PreparingWindowPlace(400, 150, kWidth, kHeight, nullptr), (ScreenPoint{12, 16}));
}

TEST(StartupPlacementTest, NewerIconFromWindowsXpOn) {
  struct Case {
    uint32_t major, minor;
    bool newer;
  } cases[] = {
      {4, 0, false}, {4, 90, false}, {5, 0, false},  // NT 4, Me's numbers, 2000
      {5, 1, true},  {5, 2, true},   {6, 0, true},  {10, 0, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ShowsNewerIcon(c.major, c.minor), c.newer) << c.major << "." << c.minor;
  }
}

}  // namespace
}  // namespace vantrell
