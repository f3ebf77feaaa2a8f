#include "runner/window/system_theme.h"

namespace quorvane {

std::optional<bool> DarkFrameFor(std::optional<uint32_t> apps_use_light_theme) {
  if (!apps_use_light_theme) return std::nullopt;
  return *apps_use_light_theme == 0;
}

bool SetDarkFrame(const std::function<bool(uint32_t attribute)>& set_attribute) {
  return set_attribute(kDarkFrameAttribute) || set_attribute(kDarkFrameAttributeBefore20H1);
}

}  // namespace quorvane
