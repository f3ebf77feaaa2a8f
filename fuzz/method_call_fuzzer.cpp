// Decodes a method call from untrusted bytes; a decoded call must survive
// re-encoding unchanged.
#include <cstddef>
#include <cstdint>

#include "codec/standard_method_codec.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz_support::InstallDiagnosticCheck();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const flutter::StandardMethodCodec& codec = flutter::StandardMethodCodec::GetInstance();
  const auto call = codec.DecodeMethodCall(data, size);
  if (call == nullptr) return 0;
  FUZZ_CHECK(call->Arguments() != nullptr);
  const auto encoded = codec.EncodeMethodCall(*call);
  const auto again = codec.DecodeMethodCall(encoded->data(), encoded->size());
  FUZZ_CHECK(again != nullptr);
  FUZZ_CHECK(again->MethodName() == call->MethodName());
  FUZZ_CHECK(*again->Arguments() == *call->Arguments());
  return 0;
}
