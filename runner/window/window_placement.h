// Where the main window first appears: centred in the primary monitor's work
// area, in logical pixels. No platform calls.
#pragma once

#include <cstdint>
#include <optional>

#include "runner/window/window_geometry.h"

namespace quorvane {

/// The window's size at start, in logical pixels.
constexpr PixelSize kDefaultWindowSize{1280, 720};

/// The logical origin that centres a window of `size` in `work_area` (physical
/// pixels of the primary monitor, whose DPI is `dpi`). An axis on which the
/// window does not fit starts at the work area's edge; a position left of or
/// above the primary monitor becomes 0. No work area gives (0, 0).
PixelPoint CenteredOrigin(const std::optional<PixelRect>& work_area, uint32_t dpi,
                          PixelSize size = kDefaultWindowSize);

}  // namespace quorvane
