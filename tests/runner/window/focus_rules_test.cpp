#include "runner/window/focus_rules.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(FocusRules, ActivationReadsBothWordsOfTheMessage) {
  // Deactivated: minimised or not, only remember where the focus is.
  EXPECT_EQ(FocusOnActivation(0x00000000), ActivationFocus::kRemember);
  EXPECT_EQ(FocusOnActivation(0x00010000), ActivationFocus::kRemember);
  // Activated by any means, not minimised.
  EXPECT_EQ(FocusOnActivation(0x00000001), ActivationFocus::kGive);
  EXPECT_EQ(FocusOnActivation(0x00000002), ActivationFocus::kGive);
  // Activated while minimised.
  EXPECT_EQ(FocusOnActivation(0x00010001), ActivationFocus::kLeave);
  EXPECT_EQ(FocusOnActivation(0xFFFF0002), ActivationFocus::kLeave);
  // Bits above the two words are no part of either.
  EXPECT_EQ(FocusOnActivation(0x100000001), ActivationFocus::kGive);
  EXPECT_EQ(FocusOnActivation(0x100000000), ActivationFocus::kRemember);
}

TEST(FocusRules, TheRememberedWindowGoesFirstWhileItIsUsable) {
  EXPECT_EQ(FocusRecipientInside(true, true), FocusRecipient::kRemembered);
  EXPECT_EQ(FocusRecipientInside(true, false), FocusRecipient::kRemembered);
  EXPECT_EQ(FocusRecipientInside(false, true), FocusRecipient::kContent);
  EXPECT_EQ(FocusRecipientInside(false, false), FocusRecipient::kNone);
}

}  // namespace
}  // namespace quorvane
