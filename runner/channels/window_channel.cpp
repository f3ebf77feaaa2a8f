#include "runner/channels/window_channel.h"

#include <string>

#include "runner/channels/argument_helpers.h"

namespace quorvane {

void HandleWindowCall(const flutter::MethodCall<flutter::EncodableValue>& call,
                      flutter::MethodResult<flutter::EncodableValue>& result,
                      WindowOperations& window) {
  const std::string& method = call.MethodName();
  if (method == "minimize") {
    window.Minimize();
  } else if (method == "hide") {
    window.Hide();
  } else if (method == "show") {
    window.Show();
  } else if (method == "setCloseToTray") {
    const bool* enabled = GetEnabledArgument(call);
    if (enabled == nullptr) {
      result.Error("invalid_arguments", "Missing close-to-tray value.");
      return;
    }
    window.SetCloseToTray(*enabled);
  } else if (method == "toggleMaximize") {
    if (window.IsMaximized()) {
      window.Restore();
    } else {
      window.Maximize();
    }
  } else if (method == "close") {
    window.ConfirmClose();
    window.PostClose();
  } else if (method == "beginDrag") {
    window.BeginDrag();
  } else if (method == "getWindowState") {
    result.Success(WindowStateValue(window.CurrentState()));
    return;
  } else {
    result.NotImplemented();
    return;
  }
  result.Success();
}

}  // namespace quorvane
