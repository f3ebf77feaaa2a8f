// Layout and hit test of the interactive user interface.
#include "standin/engine/interactive_layout.h"

#include <gtest/gtest.h>

namespace standin {
namespace {

TEST(InteractiveLayout, CaptionButtonsSitInTheTopRightCorner) {
  const InteractiveLayout layout = InteractiveLayout::Compute(800, 600, 96);
  EXPECT_EQ(layout.HitTest(799, 0), Control::kClose);
  EXPECT_EQ(layout.HitTest(800 - 47, 10), Control::kMaximize);
  EXPECT_EQ(layout.HitTest(800 - 93, 10), Control::kMinimize);
  EXPECT_EQ(layout.HitTest(10, 10), Control::kTitleBar);
  EXPECT_EQ(layout.HitTest(10, 39), Control::kTitleBar);
  EXPECT_EQ(layout.HitTest(10, 40), Control::kNone);
}

TEST(InteractiveLayout, EveryControlCanBeHitAndNoneOverlaps) {
  const InteractiveLayout layout = InteractiveLayout::Compute(1280, 720, 96);
  for (size_t i = 0; i < kSwitches.size(); ++i) {
    const Box& box = layout.switches[i];
    EXPECT_EQ(layout.HitTest(box.left + 1, box.top + 1), kSwitches[i]);
    EXPECT_EQ(layout.HitTest(layout.switch_rows[i].left, layout.switch_rows[i].top), kSwitches[i]);
  }
  EXPECT_EQ(layout.HitTest(layout.save_token.left, layout.save_token.top), Control::kSaveToken);
  EXPECT_EQ(layout.HitTest(layout.clear_token.right - 1, layout.clear_token.bottom - 1),
            Control::kClearToken);
  EXPECT_LE(layout.token_field.right, layout.save_token.left);
  EXPECT_LE(layout.save_token.right, layout.clear_token.left);
  EXPECT_GE(layout.status.top, layout.token_field.bottom);
}

TEST(InteractiveLayout, ScalesWithDpiAndSurvivesTinyViews) {
  const InteractiveLayout normal = InteractiveLayout::Compute(1000, 700, 96);
  const InteractiveLayout doubled = InteractiveLayout::Compute(2000, 1400, 192);
  EXPECT_EQ(doubled.title_bar.Height(), 2 * normal.title_bar.Height());
  EXPECT_EQ(doubled.close.Width(), 2 * normal.close.Width());
  EXPECT_EQ(doubled.switches[0].top, 2 * normal.switches[0].top);

  const InteractiveLayout tiny = InteractiveLayout::Compute(0, 0, 96);
  EXPECT_GE(tiny.token_field.Width(), 0);
  EXPECT_GE(tiny.save_token.Width(), 0);
  EXPECT_EQ(InteractiveLayout::Compute(-5, -5, 96).title_bar.Width(), 0);
}

}  // namespace
}  // namespace standin
