#include "runner/window/close_decision.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(CloseDecision, CloseToTrayAlwaysHides) {
  for (bool confirmed : {false, true}) {
    for (bool has_channel : {false, true}) {
      EXPECT_EQ(DecideClose(true, confirmed, has_channel, false), CloseAction::kHide)
          << "confirmed " << confirmed << ", channel " << has_channel;
    }
  }
}

TEST(CloseDecision, AConfirmedCloseDestroysWithOrWithoutChannel) {
  EXPECT_EQ(DecideClose(false, true, true, false), CloseAction::kDestroy);
  EXPECT_EQ(DecideClose(false, true, false, false), CloseAction::kDestroy);
}

TEST(CloseDecision, AnUnconfirmedCloseAsksTheUserInterfaceWhenItCan) {
  EXPECT_EQ(DecideClose(false, false, true, false), CloseAction::kAskUserInterface);
  EXPECT_EQ(DecideClose(false, false, false, false), CloseAction::kIgnore);
}

TEST(CloseDecision, AnEndingSessionDestroysWhateverElseHolds) {
  for (bool close_to_tray : {false, true}) {
    for (bool confirmed : {false, true}) {
      for (bool has_channel : {false, true}) {
        EXPECT_EQ(DecideClose(close_to_tray, confirmed, has_channel, true), CloseAction::kDestroy)
            << "tray " << close_to_tray << ", confirmed " << confirmed << ", channel "
            << has_channel;
      }
    }
  }
}

}  // namespace
}  // namespace quorvane
