#include "runner/window/window_placement.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(WindowPlacement, CentresInTheWorkAreaAt96Dpi) {
  EXPECT_EQ(CenteredOrigin(PixelRect{0, 0, 1920, 1040}, 96), (PixelPoint{320, 160}));
  EXPECT_EQ(CenteredOrigin(PixelRect{100, 50, 2020, 1090}, 96), (PixelPoint{420, 210}));
}

TEST(WindowPlacement, StartsAtTheEdgeWhenTheWindowDoesNotFit) {
  // At 144 DPI the window is 1920 × 1080 physical pixels: no room on either axis.
  EXPECT_EQ(CenteredOrigin(PixelRect{0, 0, 1920, 1040}, 144), (PixelPoint{0, 0}));
  EXPECT_EQ(CenteredOrigin(PixelRect{0, 0, 1366, 700}, 96), (PixelPoint{43, 0}));
}

TEST(WindowPlacement, OriginIsInLogicalPixels) {
  // 120 DPI: 1600 × 900 physical; (160, 70) physical is (128, 56) logical.
  EXPECT_EQ(CenteredOrigin(PixelRect{0, 0, 1920, 1040}, 120), (PixelPoint{128, 56}));
  // (150, 150) physical at 144 DPI is exactly (100, 100) logical.
  EXPECT_EQ(CenteredOrigin(PixelRect{0, 0, 2220, 1380}, 144), (PixelPoint{100, 100}));
}

TEST(WindowPlacement, NegativePositionsBecomeZero) {
  // A primary work area that starts left of and above 0, too small to centre in.
  EXPECT_EQ(CenteredOrigin(PixelRect{-200, -100, 800, 500}, 96), (PixelPoint{0, 0}));
  // Centred, but still left of 0 on one axis.
  EXPECT_EQ(CenteredOrigin(PixelRect{-1000, 0, 1000, 1040}, 96), (PixelPoint{0, 160}));
}

TEST(WindowPlacement, NoWorkAreaGivesTheOrigin) {
  EXPECT_EQ(CenteredOrigin(std::nullopt, 96), (PixelPoint{0, 0}));
  EXPECT_EQ(CenteredOrigin(std::nullopt, 144), (PixelPoint{0, 0}));
}

TEST(WindowPlacement, UnknownDpiCountsAs96) {
  EXPECT_EQ(CenteredOrigin(PixelRect{0, 0, 1920, 1040}, 0), (PixelPoint{320, 160}));
}

}  // namespace
}  // namespace quorvane
