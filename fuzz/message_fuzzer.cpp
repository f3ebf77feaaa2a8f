// Decodes one value from untrusted bytes; re-encoding it must reach a fixed
// point: encode(decode(encode(v))) == encode(v).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "codec/standard_codec_serializer.h"
#include "fuzz/fuzz_check.h"

namespace {

const flutter::StandardCodecSerializer& Serializer() {
  return flutter::StandardCodecSerializer::GetInstance();
}

flutter::EncodableValue Decode(const uint8_t* data, size_t size) {
  flutter::ByteBufferStreamReader reader(data, size);
  return Serializer().ReadValue(&reader);
}

std::vector<uint8_t> Encode(const flutter::EncodableValue& value) {
  std::vector<uint8_t> bytes;
  flutter::ByteBufferStreamWriter writer(&bytes);
  Serializer().WriteValue(value, &writer);
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz_support::InstallDiagnosticCheck();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const flutter::EncodableValue value = Decode(data, size);
  const std::vector<uint8_t> encoded = Encode(value);
  const flutter::EncodableValue again = Decode(encoded.data(), encoded.size());
  FUZZ_CHECK(again == value);
  FUZZ_CHECK(Encode(again) == encoded);
  return 0;
}
