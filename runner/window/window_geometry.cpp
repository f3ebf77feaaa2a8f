#include "runner/window/window_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quorvane {
namespace {

constexpr int32_t kResizeBorderLogical = 8;
constexpr int32_t kMinimumResizeBorder = 6;
constexpr int32_t kMinimumTrackWidth = 1080;
constexpr int32_t kMinimumTrackHeight = 720;

int32_t ClampToInt32(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// Sign-extends the low 16 bits of value.
int32_t LowWordSigned(int64_t value) {
  return static_cast<int16_t>(static_cast<uint16_t>(value & 0xFFFF));
}

}  // namespace

double ScaleFactorForDpi(uint32_t dpi) {
  return dpi == 0 ? 1.0 : static_cast<double>(dpi) / kReferenceDpi;
}

int32_t TruncateToInt32(double value) {
  const double truncated = std::trunc(value);
  if (truncated <= static_cast<double>(std::numeric_limits<int32_t>::min())) {
    return std::numeric_limits<int32_t>::min();
  }
  if (truncated >= static_cast<double>(std::numeric_limits<int32_t>::max())) {
    return std::numeric_limits<int32_t>::max();
  }
  return static_cast<int32_t>(truncated);
}

int32_t ScaleToPhysical(int64_t logical, double scale) {
  return TruncateToInt32(static_cast<double>(logical) * scale);
}

int32_t ResizeBorderWidth(uint32_t dpi) {
  const int64_t border = int64_t{dpi} * kResizeBorderLogical / kReferenceDpi;
  return border < kMinimumResizeBorder ? kMinimumResizeBorder : ClampToInt32(border);
}

HitArea HitTestResizeBorder(PixelPoint client_point, PixelSize client_size, uint32_t dpi) {
  const int64_t border = ResizeBorderWidth(dpi);
  const bool left = client_point.x < border;
  const bool right = client_point.x >= int64_t{client_size.width} - border;
  const bool top = client_point.y < border;
  const bool bottom = client_point.y >= int64_t{client_size.height} - border;
  if (top && left) return HitArea::kTopLeft;
  if (top && right) return HitArea::kTopRight;
  if (bottom && left) return HitArea::kBottomLeft;
  if (bottom && right) return HitArea::kBottomRight;
  if (left) return HitArea::kLeft;
  if (right) return HitArea::kRight;
  if (top) return HitArea::kTop;
  if (bottom) return HitArea::kBottom;
  return HitArea::kClient;
}

PixelPoint PointFromPackedCoordinates(int64_t packed) {
  return {LowWordSigned(packed), LowWordSigned(packed >> 16)};
}

PixelSize MinimumTrackSize(uint32_t dpi, const std::optional<PixelRect>& work_area) {
  const double scale = ScaleFactorForDpi(dpi);
  PixelSize size{ScaleToPhysical(kMinimumTrackWidth, scale),
                 ScaleToPhysical(kMinimumTrackHeight, scale)};
  if (work_area) {
    size.width = ClampToInt32(std::min<int64_t>(size.width, work_area->Width()));
    size.height = ClampToInt32(std::min<int64_t>(size.height, work_area->Height()));
  }
  return size;
}

PixelRect MaximizedArea(const PixelRect& work_area, AutoHideEdges auto_hide) {
  PixelRect area = work_area;
  if (auto_hide.left) ++area.left;
  if (auto_hide.top) ++area.top;
  if (auto_hide.right) --area.right;
  if (auto_hide.bottom) --area.bottom;
  return area;
}

std::optional<PixelRect> MaximizedWindowRect(
    ShowState last_state, const PixelRect& last_on_screen, const PixelRect& proposed,
    const std::function<std::optional<PixelRect>(const PixelRect&)>& maximized_area_near) {
  return maximized_area_near(last_state == ShowState::kMaximized ? proposed : last_on_screen);
}

PixelRect MaximizedClientRect(const PixelRect& proposed_window, const PixelRect& maximized_area) {
  const PixelRect client{std::max(proposed_window.left, maximized_area.left),
                         std::max(proposed_window.top, maximized_area.top),
                         std::min(proposed_window.right, maximized_area.right),
                         std::min(proposed_window.bottom, maximized_area.bottom)};
  if (client.Width() <= 0 || client.Height() <= 0) return proposed_window;
  return client;
}

std::optional<PixelRect> ClampedWindowRect(const PixelRect& window, const PixelRect& work_area) {
  const int64_t work_width = work_area.Width();
  const int64_t work_height = work_area.Height();
  if (work_width <= 0 || work_height <= 0) return std::nullopt;

  const int64_t width = std::min(std::max<int64_t>(window.Width(), 1), work_width);
  const int64_t height = std::min(std::max<int64_t>(window.Height(), 1), work_height);
  const int64_t max_x = work_area.right - width;
  const int64_t max_y = work_area.bottom - height;
  const int64_t x = window.left > max_x ? max_x : std::max(window.left, work_area.left);
  const int64_t y = window.top > max_y ? max_y : std::max(window.top, work_area.top);

  if (x == window.left && y == window.top && width == window.Width() && height == window.Height()) {
    return std::nullopt;
  }
  // Every value lies inside the work area, so it fits in 32 bits.
  return PixelRect{static_cast<int32_t>(x), static_cast<int32_t>(y),
                   static_cast<int32_t>(x + width), static_cast<int32_t>(y + height)};
}

}  // namespace quorvane
