#include "runner/close_decision.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(CloseDecision, CloseToTrayAlwaysHides) {
  for (bool confirmed : {false, true}) {
    for (bool has_channel : {false, true}) {
      EXPECT_EQ(DecideClose(true, confirmed, has_channel), CloseAction::kHide)
          << "confirmed " << confirmed << ", channel " << has_channel;
    }
  }
}

TEST(CloseDecision, AConfirmedCloseDestroysWithOrWithoutChannel) {
  EXPECT_EQ(DecideClose(false, true, true), CloseAction::kDestroy);
  EXPECT_EQ(DecideClose(false, true, false), CloseAction::kDestroy);
}

TEST(CloseDecision, AnUnconfirmedCloseAsksTheUserInterfaceWhenItCan) {
  EXPECT_EQ(DecideClose(false, false, true), CloseAction::kAskUserInterface);
  EXPECT_EQ(DecideClose(false, false, false), CloseAction::kIgnore);
}

}  // namespace
}  // namespace quorvane
