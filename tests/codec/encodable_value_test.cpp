#include "codec/encodable_value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <variant>

#include "tests/codec/encodable_value_printer.h"

namespace flutter {
namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(EncodableValue, ConstructionPicksTheAlternative) {
  EXPECT_TRUE(EncodableValue().IsNull());
  EXPECT_TRUE(EncodableValue("enabled").Holds<std::string>());
  EXPECT_EQ(EncodableValue("enabled").index(), 5u);
  EXPECT_EQ(EncodableValue(int32_t{1}).index(), 2u);
  EXPECT_EQ(EncodableValue(int64_t{1}).index(), 3u);
  EXPECT_EQ(EncodableValue(std::vector<float>{}).index(), 13u);
  EXPECT_EQ(EncodableValue(CustomValue(7)).index(), 12u);
}

TEST(EncodableValue, CheckedAccessOfAnotherAlternativeThrowsBadVariantAccess) {
  const EncodableValue value(int32_t{1});
  EXPECT_EQ(value.Get<int32_t>(), 1);
  EXPECT_EQ(value.GetIf<bool>(), nullptr);
  try {
    value.Get<bool>();
    FAIL() << "no exception";
  } catch (const std::bad_variant_access& error) {
    EXPECT_STREQ(error.what(), "bad variant access");
  }
}

TEST(EncodableValue, TestFailuresPrintValuesReadably) {
  const EncodableValue value(EncodableMap{
      {EncodableValue("a\n"), EncodableValue(EncodableList{EncodableValue(), EncodableValue(true),
                                                           EncodableValue(int64_t{-3})})},
      {EncodableValue("b"), EncodableValue(std::vector<int32_t>(20, 7))}});
  EXPECT_EQ(testing::PrintToString(value),
            "{\"a\\x0a\": [null, true, int64 -3], \"b\": int32[7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, "
            "7, 7, 7, 7, ... 4 more]}");
}

TEST(EncodableValue, CopiesAreDeepAndIndependent) {
  EncodableValue original(EncodableList{
      EncodableValue("a"), EncodableValue(EncodableMap{{EncodableValue(1), EncodableValue(2)}})});
  EncodableValue copy = original;
  copy.Get<EncodableList>()[0] = EncodableValue("changed");
  copy.Get<EncodableList>()[1].Get<EncodableMap>().clear();
  EXPECT_EQ(original.Get<EncodableList>()[0].Get<std::string>(), "a");
  EXPECT_EQ(original.Get<EncodableList>()[1].Get<EncodableMap>().size(), 1u);
}

TEST(EncodableValueOrdering, DifferentAlternativesOrderByIndex) {
  EXPECT_TRUE(EncodableValue() < EncodableValue(false));
  EXPECT_TRUE(EncodableValue(false) < EncodableValue(true));
  EXPECT_TRUE(EncodableValue(true) < EncodableValue(std::numeric_limits<int32_t>::min()));
  EXPECT_TRUE(EncodableValue(std::numeric_limits<int32_t>::max()) < EncodableValue(int64_t{-5}));
  EXPECT_TRUE(EncodableValue(CustomValue(1)) < EncodableValue(std::vector<float>{}));
  EXPECT_TRUE(EncodableValue(EncodableMap{}) < EncodableValue(CustomValue(1)));
  EXPECT_FALSE(EncodableValue() < EncodableValue());
}

TEST(EncodableValueOrdering, StringsAndByteListsCompareUnsignedBytes) {
  EXPECT_TRUE(EncodableValue("a") < EncodableValue("ab"));
  EXPECT_TRUE(EncodableValue("ab") < EncodableValue("b"));
  EXPECT_TRUE(EncodableValue("z") < EncodableValue("\xC3"));
  EXPECT_TRUE(EncodableValue(std::string("a\0b", 3)) < EncodableValue(std::string("a\0c", 3)));
  // Short keys are compared four bytes at a time: differences inside and after a run.
  EXPECT_TRUE(EncodableValue("ab\177d") < EncodableValue("ab\200d"));
  EXPECT_FALSE(EncodableValue("ab\200d") < EncodableValue("ab\177d"));
  EXPECT_TRUE(EncodableValue("keys1") < EncodableValue("keys2"));
  EXPECT_TRUE(EncodableValue("abcdefgh") < EncodableValue("abcdefghi"));
  EXPECT_FALSE(EncodableValue("abcdefghi") < EncodableValue("abcdefgh"));
  const std::string long_prefix(40, 'k');
  EXPECT_TRUE(EncodableValue(long_prefix + "z") < EncodableValue(long_prefix + "\xC3"));
  EXPECT_TRUE(EncodableValue(long_prefix) < EncodableValue(long_prefix + "a"));
  EXPECT_FALSE(EncodableValue(long_prefix + "a") < EncodableValue(long_prefix));
  EXPECT_TRUE(EncodableValue(std::vector<uint8_t>{0x7A}) <
              EncodableValue(std::vector<uint8_t>{0xC3}));
  EXPECT_TRUE(EncodableValue(std::vector<int32_t>{-1}) < EncodableValue(std::vector<int32_t>{0}));
  EXPECT_TRUE(EncodableValue(std::vector<int64_t>{1}) < EncodableValue(std::vector<int64_t>{1, 0}));
}

TEST(EncodableValueOrdering, FloatListsStopAtTheFirstUnequalPair) {
  const EncodableValue left(std::vector<double>{1.0, kNaN, 0.0});
  const EncodableValue right(std::vector<double>{1.0, kNaN, 5.0});
  EXPECT_FALSE(left < right);
  EXPECT_FALSE(right < left);
  EXPECT_TRUE(EncodableValue(std::vector<double>{1.0}) <
              EncodableValue(std::vector<double>{1.0, 0.0}));
  EXPECT_TRUE(EncodableValue(std::vector<float>{1.0f, 2.0f}) <
              EncodableValue(std::vector<float>{1.0f, 3.0f}));
  EXPECT_FALSE(EncodableValue(kNaN) < EncodableValue(1.0));
  EXPECT_FALSE(EncodableValue(1.0) < EncodableValue(kNaN));
}

TEST(EncodableValueOrdering, ListsAndMapsCompareElementWise) {
  EXPECT_TRUE(EncodableValue(EncodableList{EncodableValue(1)}) <
              EncodableValue(EncodableList{EncodableValue(1), EncodableValue()}));
  EXPECT_TRUE(EncodableValue(EncodableList{EncodableValue(1), EncodableValue(1)}) <
              EncodableValue(EncodableList{EncodableValue(1), EncodableValue(2)}));
  const EncodableValue small(EncodableMap{{EncodableValue("a"), EncodableValue(1)}});
  const EncodableValue bigger_value(EncodableMap{{EncodableValue("a"), EncodableValue(2)}});
  const EncodableValue bigger_key(EncodableMap{{EncodableValue("b"), EncodableValue(0)}});
  const EncodableValue longer(EncodableMap{{EncodableValue("a"), EncodableValue(1)},
                                           {EncodableValue("b"), EncodableValue(0)}});
  EXPECT_TRUE(small < bigger_value);
  EXPECT_TRUE(small < bigger_key);
  EXPECT_TRUE(small < longer);
  EXPECT_FALSE(longer < small);
  EXPECT_EQ(small, EncodableValue(EncodableMap{{EncodableValue("a"), EncodableValue(1)}}));
}

TEST(EncodableValueOrdering, CustomValuesOrderByIdentity) {
  const EncodableValue first(CustomValue(std::string("same")));
  const EncodableValue second(CustomValue(std::string("same")));
  const EncodableValue copy = first;
  EXPECT_NE(first, second);
  EXPECT_NE(first, copy);
  EXPECT_EQ(first, first);
  EXPECT_EQ(*copy.Get<CustomValue>().GetIf<std::string>(), "same");
}

TEST(EncodableValueOrdering, DeeplyNestedValuesCompareInLinearTime) {
  // Each level compared twice would make this 2^200 steps.
  EncodableValue left(1);
  EncodableValue right(2);
  for (int i = 0; i < 200; ++i) {
    left = EncodableValue(EncodableList{EncodableValue(), std::move(left)});
    right = EncodableValue(EncodableList{EncodableValue(), std::move(right)});
  }
  EXPECT_TRUE(left < right);
  EXPECT_FALSE(right < left);
}

TEST(EncodableMap, KeysFollowTheValueOrdering) {
  EncodableMap map;
  map.emplace(EncodableValue(int64_t{1}), EncodableValue("int64"));
  map.emplace(EncodableValue(int32_t{1}), EncodableValue("int32"));
  map.emplace(EncodableValue("b"), EncodableValue());
  map.emplace(EncodableValue("ab"), EncodableValue());
  map.emplace(EncodableValue("a"), EncodableValue());
  ASSERT_EQ(map.size(), 5u);
  auto it = map.begin();
  EXPECT_EQ((it++)->second.Get<std::string>(), "int32");
  EXPECT_EQ((it++)->second.Get<std::string>(), "int64");
  EXPECT_EQ((it++)->first.Get<std::string>(), "a");
  EXPECT_EQ((it++)->first.Get<std::string>(), "ab");
  EXPECT_EQ((it++)->first.Get<std::string>(), "b");
}

TEST(EncodableMap, InsertingAPresentKeyKeepsTheFirstValue) {
  EncodableMap map;
  map.emplace(EncodableValue("a"), EncodableValue(true));
  const auto [entry, inserted] = map.emplace(EncodableValue("a"), EncodableValue(false));
  EXPECT_FALSE(inserted);
  EXPECT_TRUE(entry->second.Get<bool>());
  // Lookups never convert between alternatives.
  EXPECT_EQ(map.find(EncodableValue(int64_t{1})), map.end());
  map.emplace(EncodableValue(std::vector<double>{1.0, kNaN, 0.0}), EncodableValue(1));
  EXPECT_NE(map.find(EncodableValue(std::vector<double>{1.0, kNaN, 5.0})), map.end());
}

TEST(EncodableMap, KeepsItsKeysSortedThroughEveryOperation) {
  EncodableMap map{{EncodableValue("b"), EncodableValue(2)},
                   {EncodableValue("a"), EncodableValue(1)},
                   {EncodableValue("b"), EncodableValue(3)}};
  EXPECT_EQ(map, (EncodableMap{{EncodableValue("a"), EncodableValue(1)},
                               {EncodableValue("b"), EncodableValue(2)}}));
  map[EncodableValue("ab")] = EncodableValue(4);
  map[EncodableValue("b")] = EncodableValue(5);
  EXPECT_EQ(map.at(EncodableValue("ab")), EncodableValue(4));
  EXPECT_THROW(map.at(EncodableValue("c")), std::out_of_range);
  EXPECT_EQ(map.count(EncodableValue("b")), 1u);
  EXPECT_EQ(map.erase(EncodableValue("a")), 1u);
  EXPECT_EQ(map.erase(EncodableValue("a")), 0u);
  map.insert({EncodableValue(int32_t{9}), EncodableValue()});
  EXPECT_EQ(map, (EncodableMap{{EncodableValue(int32_t{9}), EncodableValue()},
                               {EncodableValue("ab"), EncodableValue(4)},
                               {EncodableValue("b"), EncodableValue(5)}}));
  map.erase(map.find(EncodableValue("ab")));
  EXPECT_EQ(map.size(), 2u);
  EXPECT_EQ(map.begin()->first, EncodableValue(int32_t{9}));
}

}  // namespace
}  // namespace flutter
