#include "runner/channels/window_state.h"

namespace quorvane {

using flutter::EncodableMap;
using flutter::EncodableValue;

EncodableValue WindowStateValue(const WindowState& state) {
  return EncodableValue(EncodableMap{
      {EncodableValue("visible"), EncodableValue(state.visible)},
      {EncodableValue("minimized"), EncodableValue(state.minimized)},
      {EncodableValue("maximized"), EncodableValue(state.maximized)},
      {EncodableValue("focused"), EncodableValue(state.focused)},
  });
}

std::optional<WindowState> WindowStateTracker::Report(const WindowState& current) {
  if (!open_ || current == reported_) return std::nullopt;
  reported_ = current;
  return current;
}

}  // namespace quorvane
