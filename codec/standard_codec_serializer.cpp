// The standard serializer's entry points: the default instance, the virtual
// operations handing each value to the writing or reading walk, and the size
// prefix helpers for derived serializers.
#include "codec/standard_codec_serializer.h"

#include <typeinfo>

#include "codec/stream_adapters.h"
#include "codec/value_decoder.h"
#include "codec/value_encoder.h"
#include "codec/wire_format.h"

namespace flutter {

const StandardCodecSerializer& StandardCodecSerializer::GetInstance() {
  // Never torn down: codecs handed out for it stay usable while the process exits.
  static const StandardCodecSerializer* const instance = new StandardCodecSerializer();
  return *instance;
}

bool StandardCodecSerializer::IsStandard() const {
  return typeid(*this) == typeid(StandardCodecSerializer);
}

EncodableValue StandardCodecSerializer::ReadValue(ByteStreamReader* stream) const {
  const uint8_t type = stream->ReadByte();
  return ReadValueOfType(type, stream);
}

EncodableValue StandardCodecSerializer::ReadValueOfType(uint8_t type,
                                                        ByteStreamReader* stream) const {
  return internal::DecodeValueOfType(*this, IsStandard(), type, stream);
}

void StandardCodecSerializer::WriteValue(const EncodableValue& value,
                                         ByteStreamWriter* stream) const {
  internal::EncodeValue(*this, IsStandard(), value, stream);
}

void StandardCodecSerializer::WriteString(const std::string& text, ByteStreamWriter* stream) const {
  if (IsStandard()) {
    internal::EncodeString(*this, text, stream);
  } else {
    WriteValue(EncodableValue(text), stream);
  }
}

void StandardCodecSerializer::WriteSize(size_t size, ByteStreamWriter* stream) const {
  internal::VirtualWriter writer(stream);
  internal::WriteSizeTo(size, writer);
}

size_t StandardCodecSerializer::ReadSize(ByteStreamReader* stream) const {
  internal::VirtualReader reader(stream);
  return internal::ReadSizeFrom(reader);
}

}  // namespace flutter
