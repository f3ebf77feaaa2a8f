// The serializer's reading walk: one value and everything nested in it.
#pragma once

#include <cstdint>

#include "codec/byte_streams.h"
#include "codec/encodable_value.h"
#include "codec/standard_codec_serializer.h"

namespace flutter {
namespace internal {

/// Reads the payload of a value whose type byte has been read. Nested values
/// go through the serializer's virtual ReadValueOfType unless direct says it
/// is the standard one.
EncodableValue DecodeValueOfType(const StandardCodecSerializer& serializer, bool direct,
                                 uint8_t type, ByteStreamReader* stream);

}  // namespace internal
}  // namespace flutter
