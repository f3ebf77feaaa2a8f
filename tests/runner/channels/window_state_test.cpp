#include "runner/channels/window_state.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

using flutter::EncodableMap;
using flutter::EncodableValue;

constexpr WindowState kShown{true, false, false, true};

TEST(WindowStateTracker, ReportsNothingBeforeTheFirstFrame) {
  WindowStateTracker tracker;
  EXPECT_FALSE(tracker.Report(kShown));
  tracker.OpenAfterFirstFrame();
  // The first report compares with the hidden window, not with what was seen
  // while the gate was shut.
  EXPECT_EQ(tracker.Report(kShown), kShown);
}

TEST(WindowStateTracker, ReportsEachRealChangeOnce) {
  WindowStateTracker tracker;
  tracker.OpenAfterFirstFrame();
  EXPECT_FALSE(tracker.Report(WindowState{})) << "the window starts hidden";
  EXPECT_EQ(tracker.Report(kShown), kShown);
  EXPECT_FALSE(tracker.Report(kShown));
  const WindowState minimized{true, true, false, false};
  EXPECT_EQ(tracker.Report(minimized), minimized);
  EXPECT_FALSE(tracker.Report(minimized));
  EXPECT_EQ(tracker.Report(kShown), kShown);
}

TEST(WindowStateTracker, ValueNamesEveryField) {
  const EncodableValue value = WindowStateValue({true, false, true, false});
  EXPECT_EQ(value, EncodableValue(EncodableMap{
                       {EncodableValue("visible"), EncodableValue(true)},
                       {EncodableValue("minimized"), EncodableValue(false)},
                       {EncodableValue("maximized"), EncodableValue(true)},
                       {EncodableValue("focused"), EncodableValue(false)},
                   }));
}

}  // namespace
}  // namespace quorvane
