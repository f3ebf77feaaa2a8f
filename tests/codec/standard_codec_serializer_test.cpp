// The standard serializer's format: exact bytes, size prefixes, alignment, round
// trips, other stream types and derived serializers.
#include "codec/standard_codec_serializer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "tests/codec/encodable_value_printer.h"
#include "tests/codec/standard_codec_serializer_test_helpers.h"
#include "tests/support/byte_helpers.h"

namespace flutter {
namespace {

using serializer_test::Decode;
using serializer_test::Encode;
using testing_support::Bytes;
using testing_support::StderrCapture;

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

}  // namespace
}  // namespace flutter
