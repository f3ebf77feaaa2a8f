// Where the interactive user interface puts its controls, as plain arithmetic
// over the view's size and DPI.
#pragma once

#include <array>

namespace standin {

struct Box {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

enum class Control {
  kNone,
  kTitleBar,
  kMinimize,
  kMaximize,
  kClose,
  kLaunchAtLogin,
  kCloseToTray,
  kNotifications,
  kSaveToken,
  kClearToken,
};

/// The settings switches, in the order they are shown.
constexpr std::array<Control, 3> kSwitches = {Control::kLaunchAtLogin, Control::kCloseToTray,
                                              Control::kNotifications};

struct InteractiveLayout {
  Box title_bar;
  Box minimize;
  Box maximize;
  Box close;
  std::array<Box, 3> switch_rows;  // label and switch, in kSwitches order
  std::array<Box, 3> switches;     // the switch itself
  Box token_label;
  Box token_field;
  Box save_token;
  Box clear_token;
  Box status;

  /// Sizes are in physical pixels; dpi scales the 96-DPI design.
  static InteractiveLayout Compute(int width, int height, unsigned dpi);

  /// The control under a point; buttons before the title bar they sit on.
  Control HitTest(int x, int y) const;
};

}  // namespace standin
