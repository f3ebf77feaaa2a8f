// Pixel arithmetic of the frameless top-level window: DPI scaling, the resize
// hit test, the minimum track size, the maximised area and the work-area
// clamp. No platform calls.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

namespace quorvane {

/// A rectangle in physical pixels; right and bottom are exclusive.
struct PixelRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  int64_t Width() const { return int64_t{right} - left; }
  int64_t Height() const { return int64_t{bottom} - top; }
  bool operator==(const PixelRect& other) const {
    return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
  }
};

struct PixelPoint {
  int32_t x = 0;
  int32_t y = 0;
  bool operator==(const PixelPoint& other) const { return x == other.x && y == other.y; }
};

struct PixelSize {
  int32_t width = 0;
  int32_t height = 0;
  bool operator==(const PixelSize& other) const {
    return width == other.width && height == other.height;
  }
};

/// Logical pixels are 96-DPI units.
constexpr uint32_t kReferenceDpi = 96;

/// DPI ÷ 96. A DPI of 0 (the platform could not tell) counts as 96, so that no
/// size collapses to nothing and no division by zero follows.
double ScaleFactorForDpi(uint32_t dpi);

/// value truncated toward zero, saturated to the 32-bit range.
int32_t TruncateToInt32(double value);

/// logical × scale, truncated toward zero and kept inside 32 bits.
int32_t ScaleToPhysical(int64_t logical, double scale);

/// Width of the band along each edge that resizes the window: 8 logical pixels,
/// never fewer than 6 physical ones.
int32_t ResizeBorderWidth(uint32_t dpi);

/// The non-client area codes the resize hit test answers with.
enum class HitArea : int32_t {
  kClient = 1,
  kLeft = 10,
  kRight = 11,
  kTop = 12,
  kTopLeft = 13,
  kTopRight = 14,
  kBottom = 15,
  kBottomLeft = 16,
  kBottomRight = 17,
};

/// Which resize handle, if any, lies under a point given in client coordinates
/// of a window whose client area has the given size. Corners win over edges.
HitArea HitTestResizeBorder(PixelPoint client_point, PixelSize client_size, uint32_t dpi);

/// The cursor position packed into a message parameter: the low and high 16-bit
/// halves, each sign-extended (monitors left of or above the primary one give
/// negative coordinates).
PixelPoint PointFromPackedCoordinates(int64_t packed);

/// 1080 × 720 logical pixels at the window's DPI, lowered to the monitor's work
/// area when that is known and smaller.
PixelSize MinimumTrackSize(uint32_t dpi, const std::optional<PixelRect>& work_area);

/// The edges of a monitor that hold an auto-hide application bar (the taskbar
/// or another program's).
struct AutoHideEdges {
  bool left = false;
  bool top = false;
  bool right = false;
  bool bottom = false;
  bool operator==(const AutoHideEdges& other) const {
    return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
  }
};

/// The area a maximised window's client area covers: the monitor's work area,
/// less one pixel on each edge with an auto-hide bar, so that the mouse can
/// still reveal the bar there.
PixelRect MaximizedArea(const PixelRect& work_area, AutoHideEdges auto_hide);

/// How a window last stood on screen, as its last position change left it.
enum class ShowState { kNormal, kMaximized, kMinimized };

/// The window rectangle of a maximised window whose next position the system
/// proposes: the maximised area of its monitor, which maximised_area_near
/// gives for the monitor nearest to a rectangle (none when unknown). The
/// monitor is the one of the proposed rectangle when the window stood
/// maximised already (the system moves it, to another monitor too), otherwise
/// the one it last stood on, normal or maximised (it is being maximised, or
/// restored from minimised): the system's proposal then follows the primary
/// monitor's measures, not those of the window's own. None when the monitor's
/// area is unknown.
std::optional<PixelRect> MaximizedWindowRect(
    ShowState last_state, const PixelRect& last_on_screen, const PixelRect& proposed,
    const std::function<std::optional<PixelRect>(const PixelRect&)>& maximized_area_near);

/// The client rectangle of a maximised window whose window rectangle is
/// proposed: the part of it inside the maximised area, so that a frame the
/// system lets hang off the monitor's edges stays out of sight. The proposed
/// rectangle as it is when the two do not overlap.
PixelRect MaximizedClientRect(const PixelRect& proposed_window, const PixelRect& maximized_area);

/// Where a window that is not maximised must go to lie inside the work area:
/// shrunk to fit it, then moved in. None when it already lies there or when the
/// work area is empty.
std::optional<PixelRect> ClampedWindowRect(const PixelRect& window, const PixelRect& work_area);

}  // namespace quorvane
