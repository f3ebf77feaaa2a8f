#include "runner/window/window_placement.h"

namespace quorvane {
namespace {

// The start of a span of `length` centred in [start, start + available), or
// `start` when it does not fit.
int64_t CentredStart(int64_t start, int64_t available, int64_t length) {
  return available > length ? start + (available - length) / 2 : start;
}

// physical ÷ scale truncated toward zero; 0 for a position left of or above
// the primary monitor.
int32_t ToLogical(int64_t physical, double scale) {
  if (physical < 0) return 0;
  return TruncateToInt32(static_cast<double>(physical) / scale);
}

}  // namespace

PixelPoint CenteredOrigin(const std::optional<PixelRect>& work_area, uint32_t dpi, PixelSize size) {
  if (!work_area) return {0, 0};
  const double scale = ScaleFactorForDpi(dpi);
  const int64_t physical_width = ScaleToPhysical(size.width, scale);
  const int64_t physical_height = ScaleToPhysical(size.height, scale);
  const int64_t x = CentredStart(work_area->left, work_area->Width(), physical_width);
  const int64_t y = CentredStart(work_area->top, work_area->Height(), physical_height);
  return {ToLogical(x, scale), ToLogical(y, scale)};
}

}  // namespace quorvane
