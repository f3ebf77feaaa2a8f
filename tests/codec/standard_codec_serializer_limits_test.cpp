// The standard serializer at and beyond its limits: unknown types, values it
// cannot write, truncated input, announced sizes past the buffer, large maps and
// deep nesting.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "codec/standard_codec_serializer.h"
#include "tests/codec/encodable_value_printer.h"
#include "tests/codec/standard_codec_serializer_test_helpers.h"
#include "tests/support/byte_helpers.h"

namespace flutter {
namespace {

using serializer_test::Decode;
using serializer_test::Encode;
using testing_support::Bytes;
using testing_support::StderrCapture;

const std::string kInvalidRead = "Invalid read in StandardCodecByteStreamReader";

TEST(StandardCodecSerializerDiagnostics, UnknownTypeGivesNull) {
  StderrCapture stderr_capture;
  EXPECT_TRUE(Decode(Bytes("0F")).IsNull());
  EXPECT_TRUE(Decode(Bytes("FF")).IsNull());
  // A stray type byte inside a list: null, and the next byte is the next type.
  EXPECT_EQ(Decode(Bytes("0C 02 10 01")),
            EncodableValue(EncodableList{EncodableValue(), EncodableValue(true)}));
  EXPECT_EQ(
      stderr_capture.Lines(),
      (std::vector<std::string>{"Unknown type in StandardCodecSerializer::ReadValueOfType: 15",
                                "Unknown type in StandardCodecSerializer::ReadValueOfType: 255",
                                "Unknown type in StandardCodecSerializer::ReadValueOfType: 16"}));
}

TEST(StandardCodecSerializerDiagnostics, CustomValuesAreWrittenAsNull) {
  StderrCapture stderr_capture;
  EXPECT_EQ(
      Encode(EncodableValue(EncodableList{EncodableValue(CustomValue(3)), EncodableValue(1)})),
      Bytes("0C 02 00 03 01 00 00 00"));
  EXPECT_EQ(
      stderr_capture.Lines(),
      std::vector<std::string>{"Unhandled custom type in StandardCodecSerializer::WriteValue. "
                               "Custom types require codec extensions."});
}

TEST(StandardCodecSerializerTruncation, ShortPayloadsDecodeToZerosOfTheAnnouncedShape) {
  StderrCapture stderr_capture;
  EXPECT_EQ(Decode(Bytes("07 05 61 62")), EncodableValue(std::string(5, '\0')));
  EXPECT_EQ(Decode(Bytes("03 01 02")), EncodableValue(int32_t{0}));
  EXPECT_EQ(Decode(Bytes("06 00")), EncodableValue(0.0));
  EXPECT_EQ(Decode(Bytes("09 03 00 00 01 00 00 00")), EncodableValue(std::vector<int32_t>(3)));
  EXPECT_EQ(
      Decode(Bytes("0C 03 01")),
      EncodableValue(EncodableList{EncodableValue(true), EncodableValue(), EncodableValue()}));
  EXPECT_EQ(Decode(Bytes("0D 03")),
            EncodableValue(EncodableMap{{EncodableValue(), EncodableValue()}}));
  EXPECT_EQ(Decode(Bytes("07 FE 05")), EncodableValue(std::string()));  // size read failed: 0
  const std::vector<std::string> lines = stderr_capture.Lines();
  // One line per failed read: 1 + 1 + 1 + 1 + 2 + 6 + 1.
  EXPECT_EQ(lines, std::vector<std::string>(13, kInvalidRead));
}

TEST(StandardCodecSerializerTruncation, AnnouncedSizesReserveNoMemoryBeyondTheBuffer) {
  StderrCapture stderr_capture;
  // 4 GiB announced by six bytes: an empty value, one diagnostic, no allocation.
  EXPECT_EQ(Decode(Bytes("07 FF FF FF FF FF")), EncodableValue(std::string()));
  EXPECT_EQ(Decode(Bytes("0B FF FF FF FF FF")), EncodableValue(std::vector<double>{}));
  EXPECT_EQ(Decode(Bytes("08 FF 00 00 01 00 61")), EncodableValue(std::vector<uint8_t>{}));
  EXPECT_EQ(stderr_capture.Lines(), std::vector<std::string>(3, kInvalidRead));

  // A map announced by six bytes reads its missing entries as null -> null,
  // kept once, and stops after a bounded number of them.
  StderrCapture map_capture;
  EXPECT_EQ(Decode(Bytes("0D FF FF FF FF FF")),
            EncodableValue(EncodableMap{{EncodableValue(), EncodableValue()}}));
  EXPECT_EQ(
      map_capture.Lines(),
      std::vector<std::string>(2 * StandardCodecSerializer::kMaxMissingContent, kInvalidRead));

  // Lists and maps read what is there, then fill at most a bounded number of nulls.
  StderrCapture more;
  const EncodableValue list = Decode(Bytes("0C FF FF FF FF FF 01"));
  ASSERT_TRUE(list.Holds<EncodableList>());
  EXPECT_EQ(list.Get<EncodableList>().size(), 1 + StandardCodecSerializer::kMaxMissingContent);
  EXPECT_EQ(list.Get<EncodableList>()[0], EncodableValue(true));
  EXPECT_EQ(more.Lines().size(), StandardCodecSerializer::kMaxMissingContent);
}

// A map message with one entry per key, in the given order: the int32 key,
// then the entry's position as an int32 value.
std::vector<uint8_t> MapMessage(const std::vector<int32_t>& keys) {
  std::vector<uint8_t> bytes = {0x0D, 0xFF};
  const auto append = [&bytes](uint32_t number) {
    for (int shift = 0; shift < 32; shift += 8)
      bytes.push_back(static_cast<uint8_t>(number >> shift));
  };
  append(static_cast<uint32_t>(keys.size()));
  for (size_t i = 0; i < keys.size(); ++i) {
    bytes.push_back(0x03);
    append(static_cast<uint32_t>(keys[i]));
    bytes.push_back(0x03);
    append(static_cast<uint32_t>(i));
  }
  return bytes;
}

// The int32 keys and values of a decoded map, in iteration order.
std::vector<std::pair<int32_t, int32_t>> Entries(const EncodableValue& map) {
  std::vector<std::pair<int32_t, int32_t>> entries;
  for (const auto& [key, value] : map.Get<EncodableMap>()) {
    entries.emplace_back(key.Get<int32_t>(), value.Get<int32_t>());
  }
  return entries;
}

TEST(StandardCodecSerializerMaps, EntriesInAnyOrderDecodeSortedWithTheFirstOfEachKey) {
  constexpr int32_t kCount = 1000000;
  std::vector<int32_t> keys(kCount);
  std::iota(keys.rbegin(), keys.rend(), 0);
  std::vector<std::pair<int32_t, int32_t>> expected;
  for (int32_t key = 0; key < kCount; ++key) expected.emplace_back(key, kCount - 1 - key);
  EXPECT_TRUE(Entries(Decode(MapMessage(keys))) == expected);

  // Every key twice, shuffled: the first position of each key is kept.
  for (int32_t i = 0; i < kCount; ++i) keys[i] = i / 2;
  std::shuffle(keys.begin(), keys.end(), std::mt19937(7));
  expected.assign(kCount / 2, {0, -1});
  for (int32_t i = kCount - 1; i >= 0; --i) expected[keys[i]] = {keys[i], i};
  EXPECT_TRUE(Entries(Decode(MapMessage(keys))) == expected);

  // Descending with a repeat, and descending until one key breaks the order.
  EXPECT_TRUE(Entries(Decode(MapMessage({3, 2, 2, 1}))) ==
              (std::vector<std::pair<int32_t, int32_t>>{{1, 3}, {2, 1}, {3, 0}}));
  EXPECT_TRUE(Entries(Decode(MapMessage({3, 2, 5, 3}))) ==
              (std::vector<std::pair<int32_t, int32_t>>{{2, 1}, {3, 0}, {5, 2}}));

  EXPECT_EQ(Decode(MapMessage(std::vector<int32_t>(kCount, 7))),
            EncodableValue(EncodableMap{{EncodableValue(7), EncodableValue(0)}}));
}

// A million levels of the given list and map openings, repeated in turn.
std::vector<uint8_t> DeepMessage(const std::vector<std::vector<uint8_t>>& levels) {
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < 1000000; ++i) {
    const std::vector<uint8_t>& level = levels[i % levels.size()];
    bytes.insert(bytes.end(), level.begin(), level.end());
  }
  return bytes;
}

// Levels of lists and maps from the top: a list's first element, a map's first value.
int Depth(const EncodableValue& value) {
  int depth = 0;
  for (const EncodableValue* level = &value;; ++depth) {
    if (const auto* list = level->GetIf<EncodableList>()) {
      level = &list->front();
    } else if (const auto* map = level->GetIf<EncodableMap>()) {
      level = &map->begin()->second;
    } else {
      return depth;
    }
  }
}

TEST(StandardCodecSerializerNesting, DeepMessagesDecodeWithoutExhaustingTheStack) {
  const std::vector<uint8_t> list = Bytes("0C 01");
  const std::vector<uint8_t> map = Bytes("0D 01 00");  // a null key, then the nested value
  for (const auto& levels : {std::vector<std::vector<uint8_t>>{list}, {map}, {list, map, map}}) {
    StderrCapture stderr_capture;
    const EncodableValue value = Decode(DeepMessage(levels));
    EXPECT_EQ(
        stderr_capture.Lines(),
        std::vector<std::string>{"Nesting too deep in StandardCodecSerializer::ReadValueOfType"});
    EXPECT_EQ(Depth(value), StandardCodecSerializer::kMaxNestingDepth);
  }

  // The limit holds per decode: the same thread decodes normally afterwards.
  EXPECT_EQ(Decode(Bytes("0C 01 0C 00")),
            EncodableValue(EncodableList{EncodableValue(EncodableList{})}));
}

TEST(StandardCodecSerializerNesting, TooDeepValuesAreWrittenAsNull) {
  EncodableValue value;
  for (int i = 0; i < StandardCodecSerializer::kMaxNestingDepth + 1; ++i) {
    value = EncodableValue(EncodableList{std::move(value)});
  }
  StderrCapture stderr_capture;
  const std::vector<uint8_t> bytes = Encode(value);
  EXPECT_EQ(stderr_capture.Lines(),
            std::vector<std::string>{"Nesting too deep in StandardCodecSerializer::WriteValue"});
  // Still a well-formed message: 256 lists, the innermost holding null.
  std::vector<uint8_t> expected;
  for (int i = 0; i < StandardCodecSerializer::kMaxNestingDepth; ++i) {
    expected.push_back(0x0C);
    expected.push_back(0x01);
  }
  expected.push_back(0x00);
  EXPECT_EQ(bytes, expected);
  EXPECT_EQ(Decode(bytes), Decode(expected));
}

}  // namespace
}  // namespace flutter
