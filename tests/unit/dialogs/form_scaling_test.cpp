// Scaling of forms between resolutions: the platform's MulDiv rounding, edges
// that stay together, and the form's own design resolution and Scaled flag.
#include "dialogs/form_scaling.h"

#include <gtest/gtest.h>

#include "dialogs/form_runtime.h"
#include "dialogs/form_text.h"

namespace vantrell {
namespace {

TEST(FormScalingTest, MulDivRoundsHalvesAwayFromZero) {
  struct Case {
    int32_t number, numerator, denominator, result;
  } cases[] = {
      {7, 144, 96, 11},        // 10.5
      {5, 144, 96, 8},         // 7.5
      {-11, 144, 96, -17},     // -16.5
      {-13, 96, 120, -10},     // -10.4
      {75, 96, 120, 60},       // exact
      {1, 1, 3, 0},            // 0.33
      {2, 1, 3, 1},            // 0.67
      {-1, 1, 2, -1},          // -0.5
      {1, -1, 2, -1},          // a negative denominator
      {100, 1, 0, -1},         // no denominator
      {0x40000000, 4, 1, -1},  // beyond 32 bits
      {0x40000000, -2, 1, INT32_MIN},
      {0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF},  // no overflow inside
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MulDiv(c.number, c.numerator, c.denominator), c.result)
        << c.number << " * " << c.numerator << " / " << c.denominator;
  }
}

TEST(FormScalingTest, ScalesEdgesSoThatNeighboursStayTogether) {
  struct Case {
    Scale scale;
    Bounds designed, shown;
  } cases[] = {
      {{96, 144}, {7, 5, 75, 25}, {11, 8, 112, 37}},     // right 82 -> 123, bottom 30 -> 45
      {{96, 144}, {82, 5, 75, 25}, {123, 8, 113, 37}},   // starts where the first ends
      {{96, 144}, {1, 1, 1, 1}, {2, 2, 1, 1}},           // 1.5 -> 2, 3 -> 3
      {{120, 96}, {12, 80, 121, 21}, {10, 64, 96, 17}},  // 9.6, 64, 133 -> 106.4, 101 -> 80.8
      {{120, 96}, {-5, 0, 10, 10}, {-4, 0, 8, 8}},       // -4, 5 -> 4
      {{96, 96}, {3, 4, 5, 6}, {3, 4, 5, 6}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.scale.Apply(c.designed), c.shown) << c.designed.left << "," << c.designed.top << " "
                                                  << c.scale.designed << "->" << c.scale.dpi;
  }
  EXPECT_EQ((Scale{96, 144}.Apply(-11)), -17);  // a font height
  EXPECT_EQ((Scale{120, 96}.Apply(-13)), -10);
}

TEST(FormScalingTest, TheFormGivesItsResolutionUnlessNotScaled) {
  Form designed(ParseFormText(
      "object F: TForm1\n  ClientHeight = 300\n  ClientWidth = 400\n  PixelsPerInch = 120\n"
      "  object B: TButton\n    Left = 10\n    Top = 20\n  end\nend\n"));
  Scale s = FormScale(designed, 144);
  EXPECT_EQ(s.designed, 120);
  EXPECT_EQ(s.dpi, 144);
  EXPECT_EQ(DesignBounds(designed.Root()), (Bounds{0, 0, 400, 300}));
  EXPECT_EQ(DesignBounds(*designed.Find("B")), (Bounds{10, 20, 75, 25}));  // class default size

  Form fixed(
      ParseFormText("object F: TForm1\n  Width = 400\n  Height = 300\n  Scaled = False\n"
                    "  PixelsPerInch = 120\nend\n"));
  s = FormScale(fixed, 144);
  EXPECT_EQ(s.Apply(100), 100);
  EXPECT_EQ(DesignBounds(fixed.Root()), (Bounds{0, 0, 400, 300}));  // outer size only

  Form plain(ParseFormText("object F: TForm1\n  PixelsPerInch = 0\nend\n"));
  EXPECT_EQ(FormScale(plain, 144).designed, 96);
}

}  // namespace
}  // namespace vantrell
