// How the window frame follows the user's app theme. No platform calls.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

namespace quorvane {

/// The frame attribute that turns the dark frame on or off, and the id that
/// Windows 10 used for it before version 20H1.
inline constexpr uint32_t kDarkFrameAttribute = 20;
inline constexpr uint32_t kDarkFrameAttributeBefore20H1 = 19;

/// Whether the frame should be dark for the stored "AppsUseLightTheme" value:
/// dark when it is 0. None, so that the frame is left as it is, when the value
/// could not be read.
std::optional<bool> DarkFrameFor(std::optional<uint32_t> apps_use_light_theme);

/// Sets the frame through set_attribute(attribute id), the current id first and
/// the older one only when that is refused. False when both are refused.
bool SetDarkFrame(const std::function<bool(uint32_t attribute)>& set_attribute);

}  // namespace quorvane
