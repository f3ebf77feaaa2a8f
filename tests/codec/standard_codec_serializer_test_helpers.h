// Writes and reads one value with the standard serializer, for its tests.
#pragma once

#include <cstdint>
#include <vector>

#include "codec/standard_codec_serializer.h"

namespace flutter::serializer_test {

/// The value's bytes, appended to prefix, whose length sets the alignment.
inline std::vector<uint8_t> Encode(const EncodableValue& value, std::vector<uint8_t> prefix = {}) {
  ByteBufferStreamWriter writer(&prefix);
  StandardCodecSerializer::GetInstance().WriteValue(value, &writer);
  return prefix;
}

inline EncodableValue Decode(const std::vector<uint8_t>& bytes) {
  ByteBufferStreamReader reader(bytes.data(), bytes.size());
  return StandardCodecSerializer::GetInstance().ReadValue(&reader);
}

}  // namespace flutter::serializer_test
