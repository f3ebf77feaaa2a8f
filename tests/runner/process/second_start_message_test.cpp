#include "runner/process/second_start_message.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runner/process/utf8_text.h"

namespace quorvane {
namespace {

std::optional<SecondStart> Decode(const std::vector<uint8_t>& bytes) {
  return DecodeSecondStart(bytes.data(), bytes.size());
}

TEST(SecondStartMessage, RoundTripsArgumentsAndWorkingDirectoryInItsByteLayout) {
  const SecondStart start{{"quorvane://open?x=1", "", "\xE7\xBB\xBC"}, "C:\\Users\\a"};
  const std::optional<std::vector<uint8_t>> bytes = EncodeSecondStart(start);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(std::vector<uint8_t>(bytes->begin(), bytes->begin() + 8),
            (std::vector<uint8_t>{3, 0, 0, 0, 19, 0, 0, 0}));
  EXPECT_EQ(Decode(*bytes), start);
  EXPECT_EQ(Decode(*EncodeSecondStart({})), SecondStart{});
}

TEST(SecondStartMessage, RefusesMessagesCutShortOrWithBytesLeftOver) {
  const std::vector<uint8_t> bytes = *EncodeSecondStart({{"ab", "cd"}, "dir"});
  for (size_t size = 0; size < bytes.size(); ++size) {
    EXPECT_FALSE(DecodeSecondStart(bytes.data(), size)) << size;
  }
  std::vector<uint8_t> longer = bytes;
  longer.push_back(0);
  EXPECT_FALSE(Decode(longer));
  EXPECT_FALSE(DecodeSecondStart(nullptr, 0));
}

TEST(SecondStartMessage, RefusesLengthsPastTheEndAndCountsPastTheLimit) {
  // One argument claiming 0xFFFFFFFF bytes.
  EXPECT_FALSE(Decode({1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 'a'}));
  std::vector<uint8_t> many{0, 1, 0, 0};  // 256 empty arguments: the limit
  many.resize(4 + 4 * 256 + 4, 0);
  EXPECT_TRUE(Decode(many));
  many[0] = 1;  // 257
  many.resize(many.size() + 4, 0);
  EXPECT_FALSE(Decode(many));
  std::vector<std::string> too_many(kSecondStartMaximumArguments + 1);
  EXPECT_FALSE(EncodeSecondStart({too_many, ""}));
}

TEST(SecondStartMessage, RefusesMessagesAboveTheSizeLimit) {
  const size_t overhead = 4 + 4 + 4;
  const std::string fits(kSecondStartMaximumBytes - overhead, 'a');
  const std::optional<std::vector<uint8_t>> at_limit = EncodeSecondStart({{fits}, ""});
  ASSERT_TRUE(at_limit);
  EXPECT_EQ(at_limit->size(), kSecondStartMaximumBytes);
  EXPECT_TRUE(Decode(*at_limit));
  EXPECT_FALSE(EncodeSecondStart({{fits + "a"}, ""}));
  std::vector<uint8_t> above = *at_limit;
  above.push_back(0);
  EXPECT_FALSE(Decode(above));
}

TEST(SecondStartMessage, RefusesTextThatIsNotValidUtf8) {
  for (const std::string& bad :
       {std::string("a\0b", 3), std::string("\xC0\xAF"), std::string("\xED\xA0\x80"),
        std::string("\xF4\x90\x80\x80"), std::string("\xE7\xBB"), std::string("\x80")}) {
    std::vector<uint8_t> bytes{1, 0, 0, 0, static_cast<uint8_t>(bad.size()), 0, 0, 0};
    bytes.insert(bytes.end(), bad.begin(), bad.end());
    bytes.insert(bytes.end(), {0, 0, 0, 0});
    EXPECT_FALSE(Decode(bytes));
  }
  EXPECT_TRUE(IsValidUtf8Text("\x7F\xC2\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"));
}

}  // namespace
}  // namespace quorvane
