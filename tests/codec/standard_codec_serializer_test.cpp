#include "codec/standard_codec_serializer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>
#include <string>

#include "tests/codec/encodable_value_printer.h"
#include "tests/support/byte_helpers.h"

namespace flutter {
namespace {

using testing_support::Bytes;
using testing_support::StderrCapture;

const std::string kInvalidRead = "Invalid read in StandardCodecByteStreamReader";

std::vector<uint8_t> Encode(const EncodableValue& value, std::vector<uint8_t> prefix = {}) {
  ByteBufferStreamWriter writer(&prefix);
  StandardCodecSerializer::GetInstance().WriteValue(value, &writer);
  return prefix;
}

EncodableValue Decode(const std::vector<uint8_t>& bytes) {
  ByteBufferStreamReader reader(bytes.data(), bytes.size());
  return StandardCodecSerializer::GetInstance().ReadValue(&reader);
}

TEST(StandardCodecSerializer, WritesEveryAlternativeExactly) {
  EXPECT_EQ(Encode(EncodableValue()), Bytes("00"));
  EXPECT_EQ(Encode(EncodableValue(true)), Bytes("01"));
  EXPECT_EQ(Encode(EncodableValue(false)), Bytes("02"));
  EXPECT_EQ(Encode(EncodableValue(int32_t{-2})), Bytes("03 FE FF FF FF"));
  EXPECT_EQ(Encode(EncodableValue(int64_t{5})), Bytes("04 05 00 00 00 00 00 00 00"));
  EXPECT_EQ(Encode(EncodableValue(1.5)), Bytes("06 00 00 00 00 00 00 00 00 00 00 00 00 00 F8 3F"));
  EXPECT_EQ(Encode(EncodableValue("hi")), Bytes("07 02 68 69"));
  EXPECT_EQ(Encode(EncodableValue(std::vector<uint8_t>{1, 2})), Bytes("08 02 01 02"));
  EXPECT_EQ(Encode(EncodableValue(std::vector<int32_t>{1})), Bytes("09 01 00 00 01 00 00 00"));
  EXPECT_EQ(Encode(EncodableValue(std::vector<int64_t>{1})),
            Bytes("0A 01 00 00 00 00 00 00 01 00 00 00 00 00 00 00"));
  EXPECT_EQ(Encode(EncodableValue(std::vector<double>{1.5})),
            Bytes("0B 01 00 00 00 00 00 00 00 00 00 00 00 00 F8 3F"));
  EXPECT_EQ(Encode(EncodableValue(EncodableList{EncodableValue(1.5)})),
            Bytes("0C 01 06 00 00 00 00 00 00 00 00 00 00 00 F8 3F"));
  EXPECT_EQ(Encode(EncodableValue(EncodableMap{{EncodableValue("enabled"), EncodableValue(true)}})),
            Bytes("0D 01 07 07 65 6E 61 62 6C 65 64 01"));
  EXPECT_EQ(Encode(EncodableValue(std::vector<float>{1.0f})), Bytes("0E 01 00 00 00 00 80 3F"));
}

TEST(StandardCodecSerializer, EmptyValues) {
  EXPECT_EQ(Encode(EncodableValue("")), Bytes("07 00"));
  EXPECT_EQ(Encode(EncodableValue(EncodableMap{})), Bytes("0D 00"));
  EXPECT_EQ(Encode(EncodableValue(EncodableList{})), Bytes("0C 00"));
  EXPECT_EQ(Encode(EncodableValue(std::vector<uint8_t>{})), Bytes("08 00"));
  // Typed lists are padded after the size even when empty, as readers expect.
  EXPECT_EQ(Encode(EncodableValue(std::vector<int32_t>{})), Bytes("09 00 00 00"));
  EXPECT_EQ(Encode(EncodableValue(std::vector<double>{})), Bytes("0B 00 00 00 00 00 00 00"));
  EXPECT_EQ(Encode(EncodableValue(std::vector<float>{}), Bytes("EE EE")), Bytes("EE EE 0E 00"));
  const EncodableValue list(EncodableList{
      EncodableValue(true), EncodableValue(std::vector<int64_t>{}), EncodableValue(false)});
  EXPECT_EQ(Decode(Encode(list)), list);
}

TEST(StandardCodecSerializer, SizePrefixBoundaries) {
  const auto prefix_of = [](size_t size) {
    const std::vector<uint8_t> bytes = Encode(EncodableValue(std::vector<uint8_t>(size)));
    return std::vector<uint8_t>(bytes.begin() + 1, bytes.end() - static_cast<long>(size));
  };
  EXPECT_EQ(prefix_of(253), Bytes("FD"));
  EXPECT_EQ(prefix_of(254), Bytes("FE FE 00"));
  EXPECT_EQ(prefix_of(300), Bytes("FE 2C 01"));
  EXPECT_EQ(prefix_of(65535), Bytes("FE FF FF"));
  EXPECT_EQ(prefix_of(65536), Bytes("FF 00 00 01 00"));
  EXPECT_EQ(prefix_of(70000), Bytes("FF 70 11 01 00"));
  for (size_t size : {253u, 254u, 65535u, 65536u}) {
    std::vector<uint8_t> content(size, 0x5A);
    EXPECT_EQ(Decode(Encode(EncodableValue(content))), EncodableValue(content)) << size;
  }
}

TEST(StandardCodecSerializer, PaddingIsReckonedFromTheBufferStart) {
  // A double at output length 9: type byte at 9, zeros at 10..15, number at 16.
  const std::vector<uint8_t> at9 = Encode(EncodableValue(1.5), std::vector<uint8_t>(9, 0xEE));
  ASSERT_EQ(at9.size(), 24u);
  EXPECT_EQ(at9[9], 0x06);
  EXPECT_EQ(std::vector<uint8_t>(at9.begin() + 10, at9.begin() + 16), std::vector<uint8_t>(6, 0));
  // At length 7 the number is already aligned after the type byte.
  EXPECT_EQ(Encode(EncodableValue(1.5), std::vector<uint8_t>(7, 0xEE)).size(), 16u);
  // int32 lists align to 4 after the size; the int64 is never padded.
  EXPECT_EQ(Encode(EncodableValue(std::vector<int32_t>{7}), Bytes("EE")),
            Bytes("EE 09 01 00 07 00 00 00"));
  EXPECT_EQ(Encode(EncodableValue(int64_t{5}), Bytes("EE")).size(), 10u);
}

TEST(StandardCodecSerializer, ReadingAnEmptyTypedListStillAligns) {
  // The empty list's size ends at offset 5; its elements would start at 8.
  const std::vector<uint8_t> bytes = Bytes("0C 03 01 09 00 FF FF FF 02");
  EXPECT_EQ(Decode(bytes), EncodableValue(EncodableList{EncodableValue(true),
                                                        EncodableValue(std::vector<int32_t>{}),
                                                        EncodableValue(false)}));
}

TEST(StandardCodecSerializer, MapEntriesAreWrittenInKeyOrder) {
  EncodableMap map;
  map.emplace(EncodableValue("a"), EncodableValue());
  map.emplace(EncodableValue(int32_t{2}), EncodableValue());
  EXPECT_EQ(Encode(EncodableValue(map)), Bytes("0D 02 03 02 00 00 00 00 07 01 61 00"));
}

TEST(StandardCodecSerializer, DecodesTheFormatsExamples) {
  EXPECT_EQ(Decode(Bytes("0D 02 07 01 61 01 07 01 61 02")),
            EncodableValue(EncodableMap{{EncodableValue("a"), EncodableValue(true)}}));
  EXPECT_EQ(Decode(Bytes("05 02 31 32")), EncodableValue("12"));
  EXPECT_EQ(Decode(Bytes("03 FE FF FF FF")), EncodableValue(int32_t{-2}));
}

EncodableValue EveryAlternative() {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  return EncodableValue(EncodableList{
      EncodableValue(), EncodableValue(true), EncodableValue(false),
      EncodableValue(std::numeric_limits<int32_t>::min()),
      EncodableValue(std::numeric_limits<int64_t>::max()), EncodableValue(-0.25),
      EncodableValue(std::string("nul\0inside", 10)), EncodableValue(std::vector<uint8_t>{0, 255}),
      EncodableValue(std::vector<int32_t>{-1, 2}), EncodableValue(std::vector<int64_t>{-3}),
      EncodableValue(std::vector<double>{nan, 1e300}), EncodableValue(std::vector<float>{0.5f}),
      EncodableValue(EncodableMap{{EncodableValue(int64_t{1}), EncodableValue(EncodableList{})},
                                  {EncodableValue(int32_t{1}), EncodableValue("x")}})});
}

TEST(StandardCodecSerializer, RoundTripsEveryAlternative) {
  const EncodableValue value = EveryAlternative();
  const EncodableValue decoded = Decode(Encode(value));
  EXPECT_EQ(decoded, value);
  EXPECT_TRUE(std::isnan(decoded.Get<EncodableList>()[10].Get<std::vector<double>>()[0]));
}

// Streams of a type derived from the buffer-backed ones, counting single bytes.
class CountingWriter : public ByteBufferStreamWriter {
 public:
  using ByteBufferStreamWriter::ByteBufferStreamWriter;
  void WriteByte(uint8_t byte) override {
    ++bytes;
    ByteBufferStreamWriter::WriteByte(byte);
  }
  int bytes = 0;
};
class CountingReader : public ByteBufferStreamReader {
 public:
  using ByteBufferStreamReader::ByteBufferStreamReader;
  uint8_t ReadByte() override {
    ++bytes;
    return ByteBufferStreamReader::ReadByte();
  }
  int bytes = 0;
};

TEST(StandardCodecSerializer, OtherStreamsAreUsedThroughTheirOwnOperations) {
  const EncodableValue value = EveryAlternative();
  std::vector<uint8_t> bytes;
  CountingWriter writer(&bytes);
  StandardCodecSerializer::GetInstance().WriteValue(value, &writer);
  EXPECT_EQ(bytes, Encode(value));
  EXPECT_GT(writer.bytes, 13);

  CountingReader reader(bytes.data(), bytes.size());
  EXPECT_EQ(StandardCodecSerializer::GetInstance().ReadValue(&reader), value);
  EXPECT_GT(reader.bytes, 13);

  // Truncated input: the same values and the same diagnostic lines either way.
  for (const char* hex : {"0C 04 03 01 09 02 00", "0D 03 07 09 61", "0B 02 00 00"}) {
    StderrCapture direct;
    const EncodableValue expected = Decode(Bytes(hex));
    const std::vector<std::string> expected_lines = direct.Lines();
    StderrCapture counted;
    const std::vector<uint8_t> truncated = Bytes(hex);
    CountingReader counting(truncated.data(), truncated.size());
    EXPECT_EQ(StandardCodecSerializer::GetInstance().ReadValue(&counting), expected) << hex;
    EXPECT_EQ(counted.Lines(), expected_lines) << hex;
  }
}

// Carries a Point, held in a CustomValue, as type byte 128 with one byte of content.
struct Point {
  uint8_t x;
};
class PointSerializer : public StandardCodecSerializer {
 public:
  void WriteValue(const EncodableValue& value, ByteStreamWriter* stream) const override {
    ++written;
    const auto* custom = value.GetIf<CustomValue>();
    if (const Point* point = custom != nullptr ? custom->GetIf<Point>() : nullptr) {
      stream->WriteByte(128);
      stream->WriteByte(point->x);
      return;
    }
    StandardCodecSerializer::WriteValue(value, stream);
  }
  EncodableValue ReadValueOfType(uint8_t type, ByteStreamReader* stream) const override {
    ++read;
    if (type == 128) return EncodableValue(CustomValue(Point{stream->ReadByte()}));
    return StandardCodecSerializer::ReadValueOfType(type, stream);
  }
  mutable int written = 0;
  mutable int read = 0;
};

TEST(StandardCodecSerializerExtension, ADerivedSerializerSeesEveryNestedValue) {
  const PointSerializer serializer;
  const EncodableValue value(
      EncodableList{EncodableValue(EncodableMap{{EncodableValue("p"), CustomValue(Point{5})}}),
                    CustomValue(Point{6})});
  std::vector<uint8_t> bytes;
  ByteBufferStreamWriter writer(&bytes);
  serializer.WriteValue(value, &writer);
  EXPECT_EQ(bytes, Bytes("0C 02 0D 01 07 01 70 80 05 80 06"));
  EXPECT_EQ(serializer.written, 5);

  ByteBufferStreamReader reader(bytes.data(), bytes.size());
  const EncodableValue decoded = serializer.ReadValue(&reader);
  EXPECT_EQ(serializer.read, 5);
  const EncodableList& list = decoded.Get<EncodableList>();
  ASSERT_EQ(list.size(), 2u);
  const EncodableValue& nested = list[0].Get<EncodableMap>().at(EncodableValue("p"));
  EXPECT_EQ(nested.Get<CustomValue>().GetIf<Point>()->x, 5);
  EXPECT_EQ(list[1].Get<CustomValue>().GetIf<Point>()->x, 6);

  // The nesting limit holds across the derived serializer's own calls.
  std::vector<uint8_t> deep;
  for (int i = 0; i < 1000; ++i) deep.insert(deep.end(), {0x0C, 0x01});
  StderrCapture stderr_capture;
  ByteBufferStreamReader deep_reader(deep.data(), deep.size());
  EXPECT_EQ(serializer.ReadValue(&deep_reader), Decode(deep));
  EXPECT_EQ(
      stderr_capture.Lines(),
      std::vector<std::string>(2, "Nesting too deep in StandardCodecSerializer::ReadValueOfType"));
}

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
