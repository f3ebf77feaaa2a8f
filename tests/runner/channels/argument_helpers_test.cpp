#include "runner/channels/argument_helpers.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

using flutter::EncodableList;
using flutter::EncodableMap;

MethodCall<EncodableValue> Call(EncodableValue arguments) {
  return MethodCall<EncodableValue>("m", std::make_unique<EncodableValue>(std::move(arguments)));
}

MethodCall<EncodableValue> CallWith(EncodableValue key, EncodableValue value) {
  return Call(EncodableValue(EncodableMap{{std::move(key), std::move(value)}}));
}

TEST(ArgumentHelpers, FindOnlyTheExactAlternativeUnderAStringKey) {
  ASSERT_NE(GetEnabledArgument(CallWith(EncodableValue("enabled"), EncodableValue(false))),
            nullptr);
  EXPECT_FALSE(*GetEnabledArgument(CallWith(EncodableValue("enabled"), EncodableValue(false))));
  EXPECT_EQ(GetEnabledArgument(CallWith(EncodableValue("enabled"), EncodableValue(int32_t{1}))),
            nullptr);
  EXPECT_EQ(GetEnabledArgument(CallWith(EncodableValue("enabled"), EncodableValue("true"))),
            nullptr);
  EXPECT_EQ(*GetIntArgument(CallWith(EncodableValue("value"), EncodableValue(int32_t{3})), "value"),
            3);
  EXPECT_EQ(GetIntArgument(CallWith(EncodableValue("value"), EncodableValue(int64_t{3})), "value"),
            nullptr);
  EXPECT_EQ(*GetTokenArgument(CallWith(EncodableValue("token"), EncodableValue("abc"))), "abc");
  EXPECT_EQ(GetTokenArgument(CallWith(EncodableValue("token"), EncodableValue(int32_t{5}))),
            nullptr);
}

TEST(ArgumentHelpers, NeedAMapOfArguments) {
  EXPECT_EQ(GetEnabledArgument(MethodCall<EncodableValue>("m", nullptr)), nullptr);
  EXPECT_EQ(GetEnabledArgument(Call(EncodableValue())), nullptr);
  EXPECT_EQ(GetEnabledArgument(Call(EncodableValue(EncodableList{EncodableValue(true)}))), nullptr);
  // A key that is not a string never matches, whatever it holds.
  EXPECT_EQ(
      GetEnabledArgument(CallWith(EncodableValue(std::vector<uint8_t>{'e'}), EncodableValue(true))),
      nullptr);
  EXPECT_EQ(GetIntArgument(CallWith(EncodableValue("other"), EncodableValue(int32_t{1})), "value"),
            nullptr);
}

}  // namespace
}  // namespace quorvane
