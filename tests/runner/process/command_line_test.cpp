#include "runner/process/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvane {
namespace {

TEST(Utf16ToUtf8, ConvertsEveryPlane) {
  EXPECT_EQ(Utf16ToUtf8(L"b c"), "b c");
  EXPECT_EQ(Utf16ToUtf8(L"\u00fc\u20ac"), "\xc3\xbc\xe2\x82\xac");
  EXPECT_EQ(Utf16ToUtf8(L"\U0001F600"), "\xf0\x9f\x98\x80");
  EXPECT_EQ(Utf16ToUtf8(L"\u7efc\u5408"), "\xe7\xbb\xbc\xe5\x90\x88");
}

TEST(Utf16ToUtf8, NullEmptyAndInvalidInputGiveAnEmptyString) {
  EXPECT_EQ(Utf16ToUtf8(nullptr), "");
  EXPECT_EQ(Utf16ToUtf8(L""), "");
  const wchar_t lone_high[] = {L'a', 0xD800, L'b', 0};
  EXPECT_EQ(Utf16ToUtf8(lone_high), "");
  const wchar_t lone_low[] = {0xDC00, 0};
  EXPECT_EQ(Utf16ToUtf8(lone_low), "");
  const wchar_t reversed_pair[] = {0xDE00, 0xD83D, 0};
  EXPECT_EQ(Utf16ToUtf8(reversed_pair), "");
}

TEST(Utf16ToUtf8, ReadsAtMost32767Units) {
  const std::wstring long_text(40000, L'x');
  EXPECT_EQ(Utf16ToUtf8(long_text.c_str()), std::string(32767, 'x'));
}

}  // namespace
}  // namespace quorvane
