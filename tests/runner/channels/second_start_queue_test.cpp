#include "runner/channels/second_start_queue.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvane {
namespace {

using flutter::EncodableList;
using flutter::EncodableMap;
using flutter::EncodableValue;
using Disposition = SecondStartQueue::Disposition;

TEST(SecondStartQueue, HoldsStartsUntilTheFirstFrameThenDeliversEachOnceInOrder) {
  SecondStartQueue queue;
  const SecondStart first{{"a"}, "C:\\"};
  const SecondStart second{{"b"}, "D:\\"};
  EXPECT_EQ(queue.Accept(first), Disposition::kHeld);
  EXPECT_EQ(queue.Accept(second), Disposition::kHeld);
  EXPECT_EQ(queue.OpenAfterFirstFrame(), (std::vector<SecondStart>{first, second}));
  EXPECT_TRUE(queue.OpenAfterFirstFrame().empty());
  EXPECT_EQ(queue.Accept(first), Disposition::kDeliverNow);
}

TEST(SecondStartQueue, DropsStartsPastTheLimitBeforeTheFirstFrame) {
  SecondStartQueue queue;
  for (size_t index = 0; index < SecondStartQueue::kMaximumHeld; ++index) {
    EXPECT_EQ(queue.Accept({{std::to_string(index)}, ""}), Disposition::kHeld);
  }
  EXPECT_EQ(queue.Accept({{"late"}, ""}), Disposition::kDropped);
  EXPECT_EQ(queue.OpenAfterFirstFrame().size(), SecondStartQueue::kMaximumHeld);
}

TEST(SecondStartQueue, ValueCarriesArgumentsAndWorkingDirectory) {
  EXPECT_EQ(
      SecondStartValue({{"x", "quorvane://y"}, "C:\\w"}),
      EncodableValue(EncodableMap{
          {EncodableValue("arguments"),
           EncodableValue(EncodableList{EncodableValue("x"), EncodableValue("quorvane://y")})},
          {EncodableValue("workingDirectory"), EncodableValue("C:\\w")},
      }));
}

}  // namespace
}  // namespace quorvane
