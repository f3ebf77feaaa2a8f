#include "codec/byte_streams.h"

#include <gtest/gtest.h>

#include "tests/support/byte_helpers.h"

namespace flutter {
namespace {

using testing_support::Bytes;
using testing_support::StderrCapture;

TEST(ByteBufferStreamReader, ReadsPastTheEndReportAndStayPut) {
  const std::vector<uint8_t> buffer = Bytes("01 02 03");
  ByteBufferStreamReader reader(buffer.data(), buffer.size());
  StderrCapture stderr_capture;
  uint8_t two[2] = {0xAA, 0xBB};
  reader.ReadBytes(two, 2);
  EXPECT_EQ(two[1], 0x02);
  uint8_t four[4] = {9, 9, 9, 9};
  reader.ReadBytes(four, 4);
  EXPECT_EQ(four[0], 9);  // destination untouched
  EXPECT_EQ(reader.ReadByte(), 0x03);
  EXPECT_EQ(reader.ReadByte(), 0);
  reader.ReadBytes(four, 0);  // an empty read at the end succeeds
  EXPECT_EQ(stderr_capture.Lines(),
            std::vector<std::string>(2, "Invalid read in StandardCodecByteStreamReader"));
}

TEST(ByteBufferStreamReader, AlignmentCountsFromTheBufferStartAndMayPassTheEnd) {
  const std::vector<uint8_t> buffer = Bytes("00 11 22 33 44 55 66 77 88");
  ByteBufferStreamReader reader(buffer.data(), buffer.size());
  reader.SkipToAlignment(4);  // already aligned at 0
  EXPECT_EQ(reader.ReadByte(), 0x00);
  reader.SkipToAlignment(4);
  EXPECT_EQ(reader.ReadByte(), 0x44);
  reader.SkipToAlignment(8);
  EXPECT_EQ(reader.ReadByte(), 0x88);
  reader.SkipToAlignment(8);
  EXPECT_EQ(reader.BytesRemaining(), 0u);
  StderrCapture stderr_capture;
  EXPECT_EQ(reader.ReadByte(), 0);
  EXPECT_EQ(stderr_capture.Lines().size(), 1u);
}

TEST(ByteBufferStreamWriter, PadsWithZerosToTheOutputLength) {
  std::vector<uint8_t> buffer = Bytes("AA");
  ByteBufferStreamWriter writer(&buffer);
  writer.PadToAlignment(4);
  EXPECT_EQ(buffer, Bytes("AA 00 00 00"));
  writer.PadToAlignment(4);
  EXPECT_EQ(buffer.size(), 4u);
  const uint8_t bytes[] = {1, 2};
  writer.WriteBytes(bytes, 2);
  writer.WriteBytes(bytes, 0);
  writer.PadToAlignment(8);
  EXPECT_EQ(buffer, Bytes("AA 00 00 00 01 02 00 00"));
}

}  // namespace
}  // namespace flutter
