// Layout of the interactive user interface.
#include "standin/engine/interactive_layout.h"

#include <algorithm>

namespace standin {
namespace {

constexpr int kTitleHeight = 40;
constexpr int kCaptionButtonWidth = 46;
constexpr int kMargin = 24;
constexpr int kRowHeight = 44;
constexpr int kSwitchWidth = 48;
constexpr int kSwitchHeight = 24;
constexpr int kLabelHeight = 24;
constexpr int kFieldHeight = 30;
constexpr int kButtonWidth = 96;
constexpr int kGap = 12;
constexpr int kStatusHeight = 48;

}  // namespace

InteractiveLayout InteractiveLayout::Compute(int width, int height, unsigned dpi) {
  const auto scale = [dpi](int logical) { return static_cast<int>(logical * (dpi / 96.0)); };
  width = std::max(width, 0);
  height = std::max(height, 0);
  InteractiveLayout layout;
  layout.title_bar = {0, 0, width, scale(kTitleHeight)};
  const int button = scale(kCaptionButtonWidth);
  layout.close = {width - button, 0, width, layout.title_bar.bottom};
  layout.maximize = {width - 2 * button, 0, width - button, layout.title_bar.bottom};
  layout.minimize = {width - 3 * button, 0, width - 2 * button, layout.title_bar.bottom};

  const int left = scale(kMargin);
  const int right = std::max(left, width - scale(kMargin));
  int top = layout.title_bar.bottom + scale(kMargin);
  for (size_t i = 0; i < kSwitches.size(); ++i) {
    layout.switch_rows[i] = {left, top, right, top + scale(kRowHeight)};
    const int switch_top = top + (scale(kRowHeight) - scale(kSwitchHeight)) / 2;
    layout.switches[i] = {std::max(left, right - scale(kSwitchWidth)), switch_top, right,
                          switch_top + scale(kSwitchHeight)};
    top += scale(kRowHeight);
  }

  top += scale(kGap);
  layout.token_label = {left, top, right, top + scale(kLabelHeight)};
  top = layout.token_label.bottom;
  const int buttons_left = std::max(left, right - 2 * scale(kButtonWidth) - scale(kGap));
  layout.token_field = {left, top, std::max(left, buttons_left - scale(kGap)),
                        top + scale(kFieldHeight)};
  layout.save_token = {buttons_left, top, std::min(right, buttons_left + scale(kButtonWidth)),
                       top + scale(kFieldHeight)};
  layout.clear_token = {std::min(right, layout.save_token.right + scale(kGap)), top, right,
                        top + scale(kFieldHeight)};

  const int status_top = std::max(layout.token_field.bottom + scale(kGap),
                                  height - scale(kMargin) - scale(kStatusHeight));
  layout.status = {left, status_top, right, status_top + scale(kStatusHeight)};
  return layout;
}

Control InteractiveLayout::HitTest(int x, int y) const {
  if (close.Contains(x, y)) return Control::kClose;
  if (maximize.Contains(x, y)) return Control::kMaximize;
  if (minimize.Contains(x, y)) return Control::kMinimize;
  if (title_bar.Contains(x, y)) return Control::kTitleBar;
  for (size_t i = 0; i < kSwitches.size(); ++i) {
    if (switch_rows[i].Contains(x, y)) return kSwitches[i];
  }
  if (save_token.Contains(x, y)) return Control::kSaveToken;
  if (clear_token.Contains(x, y)) return Control::kClearToken;
  return Control::kNone;
}

}  // namespace standin
