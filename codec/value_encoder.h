// The serializer's writing walk: one value and everything nested in it.
#pragma once

#include <string>

#include "codec/byte_streams.h"
#include "codec/encodable_value.h"
#include "codec/standard_codec_serializer.h"

namespace flutter {
namespace internal {

/// Writes one complete value. Nested values go through the serializer's
/// virtual WriteValue unless direct says it is the standard one.
void EncodeValue(const StandardCodecSerializer& serializer, bool direct,
                 const EncodableValue& value, ByteStreamWriter* stream);

/// Writes text as a string value, as the standard serializer writes one.
void EncodeString(const StandardCodecSerializer& serializer, const std::string& text,
                  ByteStreamWriter* stream);

}  // namespace internal
}  // namespace flutter
