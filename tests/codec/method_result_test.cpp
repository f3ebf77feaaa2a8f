#include "codec/method_result.h"

#include <gtest/gtest.h>

#include "tests/codec/encodable_value_printer.h"
#include "tests/support/recording_result.h"

namespace flutter {
namespace {

using testing_support::RecordedAnswer;
using testing_support::RecordingResult;

TEST(MethodResult, ForwardsEachAnswerToItsHook) {
  RecordingResult result;
  result.Success();
  result.Success(EncodableValue());
  result.Error("code");
  result.Error("code", "message", EncodableValue(1));
  result.NotImplemented();
  ASSERT_EQ(result.answers.size(), 5u);
  EXPECT_FALSE(result.answers[0].value.has_value());  // no value: null pointer
  ASSERT_TRUE(result.answers[1].value.has_value());   // a null value: its address
  EXPECT_TRUE(result.answers[1].value->IsNull());
  EXPECT_EQ(result.answers[2].kind, RecordedAnswer::Kind::kError);
  EXPECT_FALSE(result.answers[2].value.has_value());
  EXPECT_EQ(result.answers[2].message, "");
  EXPECT_EQ(result.answers[3].value, EncodableValue(1));
  EXPECT_EQ(result.answers[4].kind, RecordedAnswer::Kind::kNotImplemented);
}

}  // namespace
}  // namespace flutter
