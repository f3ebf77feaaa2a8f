// Padding on the serializer's direct buffer path: whatever room is left when
// an aligned value comes, its bytes match those written through the stream's
// own operations.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/standard_codec_serializer.h"

namespace flutter {
namespace {

// A stream of a derived type: the serializer writes through its virtual
// operations, which grow the vector one call at a time.
class ThroughOperationsWriter : public ByteBufferStreamWriter {
 public:
  using ByteBufferStreamWriter::ByteBufferStreamWriter;
};

std::vector<uint8_t> EncodeDirect(const EncodableValue& value) {
  std::vector<uint8_t> bytes;
  ByteBufferStreamWriter writer(&bytes);
  StandardCodecSerializer::GetInstance().WriteValue(value, &writer);
  return bytes;
}

std::vector<uint8_t> EncodeThroughOperations(const EncodableValue& value) {
  std::vector<uint8_t> bytes;
  ThroughOperationsWriter writer(&bytes);
  StandardCodecSerializer::GetInstance().WriteValue(value, &writer);
  return bytes;
}

TEST(StandardCodecSerializerPadding, AlignedValuesAfterAStringOfAnyLength) {
  // The string's length moves the aligned value across every point where the
  // writer's room runs out, from its first room up to a few growths later.
  const EncodableValue aligned_values[] = {
      EncodableValue(2.5),
      EncodableValue(std::vector<int32_t>{1, -2}),
      EncodableValue(std::vector<int64_t>{3}),
      EncodableValue(std::vector<float>{0.5f}),
      EncodableValue(std::vector<double>{-1.25}),
  };
  for (const EncodableValue& aligned : aligned_values) {
    for (size_t length = 0; length < 2100; ++length) {
      const EncodableValue value(EncodableList{EncodableValue(std::string(length, 's')), aligned});
      const std::vector<uint8_t> direct = EncodeDirect(value);
      ASSERT_EQ(direct, EncodeThroughOperations(value))
          << "string of " << length << " bytes, then type " << aligned.index();
    }
  }
}

}  // namespace
}  // namespace flutter
