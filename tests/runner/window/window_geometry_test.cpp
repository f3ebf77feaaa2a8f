#include "runner/window/window_geometry.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quorvane {
namespace {

TEST(WindowGeometry, ResizeBorderScalesWithDpiAndNeverGoesBelowSix) {
  EXPECT_EQ(ResizeBorderWidth(96), 8);
  EXPECT_EQ(ResizeBorderWidth(144), 12);
  EXPECT_EQ(ResizeBorderWidth(120), 10);
  EXPECT_EQ(ResizeBorderWidth(48), 6);  // 4, raised
  EXPECT_EQ(ResizeBorderWidth(72), 6);
  EXPECT_EQ(ResizeBorderWidth(0), 6);
}

TEST(WindowGeometry, HitTestFindsCornersBeforeEdges) {
  const PixelSize client{1280, 720};
  EXPECT_EQ(HitTestResizeBorder({3, 3}, client, 96), HitArea::kTopLeft);
  EXPECT_EQ(HitTestResizeBorder({1276, 3}, client, 96), HitArea::kTopRight);
  EXPECT_EQ(HitTestResizeBorder({3, 716}, client, 96), HitArea::kBottomLeft);
  EXPECT_EQ(HitTestResizeBorder({1276, 716}, client, 96), HitArea::kBottomRight);
  EXPECT_EQ(HitTestResizeBorder({640, 3}, client, 96), HitArea::kTop);
  EXPECT_EQ(HitTestResizeBorder({640, 716}, client, 96), HitArea::kBottom);
  EXPECT_EQ(HitTestResizeBorder({3, 360}, client, 96), HitArea::kLeft);
  EXPECT_EQ(HitTestResizeBorder({1276, 360}, client, 96), HitArea::kRight);
  EXPECT_EQ(HitTestResizeBorder({640, 360}, client, 96), HitArea::kClient);
}

TEST(WindowGeometry, HitTestBandEdgesAreExact) {
  const PixelSize client{1000, 600};
  // At 96 DPI the band is 8 pixels: x < 8 on the left, x >= 992 on the right.
  EXPECT_EQ(HitTestResizeBorder({7, 300}, client, 96), HitArea::kLeft);
  EXPECT_EQ(HitTestResizeBorder({8, 300}, client, 96), HitArea::kClient);
  EXPECT_EQ(HitTestResizeBorder({991, 300}, client, 96), HitArea::kClient);
  EXPECT_EQ(HitTestResizeBorder({992, 300}, client, 96), HitArea::kRight);
  EXPECT_EQ(HitTestResizeBorder({500, 591}, client, 96), HitArea::kClient);
  EXPECT_EQ(HitTestResizeBorder({500, 592}, client, 96), HitArea::kBottom);
  // At 144 DPI it is 12 pixels.
  EXPECT_EQ(HitTestResizeBorder({11, 300}, client, 144), HitArea::kLeft);
  EXPECT_EQ(HitTestResizeBorder({12, 300}, client, 144), HitArea::kClient);
  // Points outside the client area still count as the nearest edge.
  EXPECT_EQ(HitTestResizeBorder({-5, 300}, client, 96), HitArea::kLeft);
}

TEST(WindowGeometry, PackedCoordinatesAreSignExtended) {
  EXPECT_EQ(PointFromPackedCoordinates(0x00C80064), (PixelPoint{100, 200}));
  // (-1, -2): monitors left of and above the primary one.
  EXPECT_EQ(PointFromPackedCoordinates(0xFFFEFFFF), (PixelPoint{-1, -2}));
  EXPECT_EQ(PointFromPackedCoordinates(0x7FFF8000), (PixelPoint{-32768, 32767}));
  // Bits above the low 32 are not part of the point.
  EXPECT_EQ(PointFromPackedCoordinates(0x12345678'00050006), (PixelPoint{6, 5}));
}

TEST(WindowGeometry, MinimumTrackSizeIsLoweredToTheWorkArea) {
  const PixelRect laptop{0, 0, 1366, 728};
  EXPECT_EQ(MinimumTrackSize(96, laptop), (PixelSize{1080, 720}));
  EXPECT_EQ(MinimumTrackSize(144, laptop), (PixelSize{1366, 728}));
  EXPECT_EQ(MinimumTrackSize(144, std::nullopt), (PixelSize{1620, 1080}));
  EXPECT_EQ(MinimumTrackSize(120, std::nullopt), (PixelSize{1350, 900}));
  // A work area that does not start at 0 counts by its size.
  EXPECT_EQ(MinimumTrackSize(96, PixelRect{-1366, 40, 0, 740}), (PixelSize{1080, 700}));
  // An unknown DPI counts as 96.
  EXPECT_EQ(MinimumTrackSize(0, std::nullopt), (PixelSize{1080, 720}));
}

TEST(WindowGeometry, ScalingTruncatesTowardZero) {
  EXPECT_EQ(ScaleToPhysical(1280, ScaleFactorForDpi(144)), 1920);
  EXPECT_EQ(ScaleToPhysical(1280, ScaleFactorForDpi(120)), 1600);
  EXPECT_EQ(ScaleToPhysical(3, 1.5), 4);
  EXPECT_EQ(ScaleToPhysical(-3, 1.5), -4);
  EXPECT_EQ(ScaleToPhysical(333, ScaleFactorForDpi(168)), 582);  // 582.75
  EXPECT_EQ(ScaleToPhysical(int64_t{1} << 40, 1.0), INT32_MAX);
  EXPECT_DOUBLE_EQ(ScaleFactorForDpi(0), 1.0);
}

TEST(WindowGeometry, ClampPullsAnOversizedWindowIntoTheWorkArea) {
  const PixelRect work_area{0, 0, 1920, 1040};
  EXPECT_EQ(ClampedWindowRect({-100, 50, 1820, 1130}, work_area), (PixelRect{0, 0, 1920, 1040}));
}

TEST(WindowGeometry, ClampLeavesAWindowInsideAlone) {
  const PixelRect work_area{0, 0, 1920, 1040};
  EXPECT_EQ(ClampedWindowRect({320, 160, 1600, 880}, work_area), std::nullopt);
  EXPECT_EQ(ClampedWindowRect(work_area, work_area), std::nullopt);
}

TEST(WindowGeometry, ClampMovesWithoutResizingWhenTheWindowFits) {
  const PixelRect work_area{0, 0, 1920, 1040};
  // Past the right and bottom edges.
  EXPECT_EQ(ClampedWindowRect({1000, 900, 2280, 1620}, work_area),
            (PixelRect{640, 320, 1920, 1040}));
  // Entirely off screen to the left and above.
  EXPECT_EQ(ClampedWindowRect({-5000, -3000, -3720, -2280}, work_area),
            (PixelRect{0, 0, 1280, 720}));
  // A secondary monitor left of the primary one.
  EXPECT_EQ(ClampedWindowRect({-3000, 10, -1720, 730}, PixelRect{-1920, 0, 0, 1080}),
            (PixelRect{-1920, 10, -640, 730}));
}

TEST(WindowGeometry, ClampGivesAnEmptyWindowOnePixel) {
  EXPECT_EQ(ClampedWindowRect({10, 10, 10, 5}, PixelRect{0, 0, 100, 100}),
            (PixelRect{10, 10, 11, 11}));
}

TEST(WindowGeometry, ClampIgnoresAnEmptyWorkArea) {
  EXPECT_EQ(ClampedWindowRect({-100, 50, 1820, 1130}, PixelRect{0, 0, 0, 1040}), std::nullopt);
  EXPECT_EQ(ClampedWindowRect({-100, 50, 1820, 1130}, PixelRect{0, 100, 1920, 50}), std::nullopt);
}

TEST(WindowGeometry, AMaximisedWindowCoversTheWorkAreaLessAutoHideStrips) {
  const PixelRect work{0, 0, 1920, 1040};
  EXPECT_EQ(MaximizedArea(work, {}), work);
  // An auto-hide taskbar leaves the work area at the monitor's edge; one pixel
  // stays free there, on that edge only.
  const PixelRect monitor{0, 0, 1920, 1080};
  EXPECT_EQ(MaximizedArea(monitor, {false, false, false, true}), (PixelRect{0, 0, 1920, 1079}));
  EXPECT_EQ(MaximizedArea(monitor, {true, true, true, true}), (PixelRect{1, 1, 1919, 1079}));
}

// Two monitors: the primary at the origin and another one, each with its work
// area; a rectangle belongs to the monitor it overlaps most.
struct Arrangement {
  const char* name;
  PixelRect primary, primary_work, other, other_work;

  std::optional<PixelRect> WorkAreaNear(const PixelRect& rect) const {
    const auto overlap = [&rect](const PixelRect& monitor) {
      const int64_t x =
          int64_t{std::min(rect.right, monitor.right)} - std::max(rect.left, monitor.left);
      const int64_t y =
          int64_t{std::min(rect.bottom, monitor.bottom)} - std::max(rect.top, monitor.top);
      return x > 0 && y > 0 ? x * y : 0;
    };
    return overlap(other) > overlap(primary) ? other_work : primary_work;
  }
};

TEST(WindowGeometry, AMaximisedWindowFillsTheWorkAreaOfItsOwnMonitorInEveryArrangement) {
  const PixelRect primary{0, 0, 1920, 1080};
  const PixelRect taskbar_bottom{0, 0, 1920, 1040};
  const Arrangement arrangements[] = {
      {"larger, right", primary, taskbar_bottom, {1920, 0, 4480, 1440}, {1920, 0, 4480, 1400}},
      {"larger, left", primary, taskbar_bottom, {-2560, 0, 0, 1440}, {-2560, 40, 0, 1440}},
      {"larger, above", primary, taskbar_bottom, {0, -1440, 2560, 0}, {60, -1440, 2560, 0}},
      {"smaller, right", primary, taskbar_bottom, {1920, 200, 3200, 1224}, {1920, 200, 3150, 1224}},
      {"smaller, below, taskbar on top of the primary",
       primary,
       {0, 48, 1920, 1080},
       {300, 1080, 1580, 2104},
       {300, 1080, 1580, 2104}},
  };
  for (const Arrangement& arrangement : arrangements) {
    SCOPED_TRACE(arrangement.name);
    const auto area_near = [&arrangement](const PixelRect& rect) {
      return arrangement.WorkAreaNear(rect);
    };
    const PixelRect& other = arrangement.other;
    const PixelRect normal{other.left + 100, other.top + 100, other.left + 1380, other.top + 820};
    // What the system proposes when the window maximises there: Windows the
    // primary's area moved onto the monitor and stretched by the difference
    // in size, Wine the primary's area where it is.
    const PixelRect stretched{other.left, other.top, other.right, other.bottom - 40};
    for (const PixelRect& proposed : {stretched, arrangement.primary_work}) {
      const std::optional<PixelRect> maximized =
          MaximizedWindowRect(ShowState::kNormal, normal, proposed, area_near);
      EXPECT_EQ(maximized, arrangement.other_work);
      EXPECT_EQ(MaximizedClientRect(*maximized, *maximized), arrangement.other_work);
      // Restored from minimised, it maximises where it stood before.
      EXPECT_EQ(
          MaximizedWindowRect(ShowState::kMinimized, arrangement.other_work, proposed, area_near),
          arrangement.other_work);
    }
    // Moved by the system while maximised (to the other monitor, or at a DPI
    // change), it maximises where it is going.
    EXPECT_EQ(MaximizedWindowRect(ShowState::kMaximized, arrangement.other_work,
                                  {100, 100, 1380, 820}, area_near),
              arrangement.primary_work);
    EXPECT_EQ(MaximizedWindowRect(ShowState::kNormal, {100, 100, 1380, 820}, stretched, area_near),
              arrangement.primary_work);
  }
  EXPECT_EQ(MaximizedWindowRect(ShowState::kNormal, {}, {},
                                [](const PixelRect&) { return std::optional<PixelRect>(); }),
            std::nullopt);
}

TEST(WindowGeometry, AMaximisedClientAreaIsCutToTheMaximisedArea) {
  const PixelRect area{0, 0, 1920, 1040};
  // A caption-less window maximised over the whole monitor, frame hanging off.
  EXPECT_EQ(MaximizedClientRect({-8, -8, 1928, 1088}, area), area);
  EXPECT_EQ(MaximizedClientRect(area, area), area);
  // No overlap (the system placed it elsewhere): left as proposed.
  EXPECT_EQ(MaximizedClientRect({3000, 0, 4000, 900}, area), (PixelRect{3000, 0, 4000, 900}));
}

}  // namespace
}  // namespace quorvane
