// Decodes a reply envelope from untrusted bytes. Only a malformed error
// envelope may throw, and then before anything is delivered; a delivered
// answer must survive re-encoding unchanged.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "codec/standard_method_codec.h"
#include "fuzz/fuzz_check.h"

namespace {

using flutter::EncodableValue;

struct Answer {
  bool is_error = false;
  std::optional<EncodableValue> value;  // success value or error details
  std::string code;
  std::string message;
};

class CollectingResult : public flutter::MethodResult<> {
 public:
  std::vector<Answer> answers;

 protected:
  void OnSuccess(const EncodableValue* result) override {
    answers.push_back({false, Optional(result), "", ""});
  }
  void OnError(const std::string& code, const std::string& message,
               const EncodableValue* details) override {
    answers.push_back({true, Optional(details), code, message});
  }
  void OnNotImplemented() override { FUZZ_CHECK(false); }

 private:
  static std::optional<EncodableValue> Optional(const EncodableValue* value) {
    return value == nullptr ? std::nullopt : std::optional<EncodableValue>(*value);
  }
};

bool SameAnswer(const Answer& left, const Answer& right) {
  return left.is_error == right.is_error && left.value == right.value && left.code == right.code &&
         left.message == right.message;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz_support::InstallDiagnosticCheck();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const flutter::StandardMethodCodec& codec = flutter::StandardMethodCodec::GetInstance();
  CollectingResult result;
  bool decoded = false;
  try {
    decoded = codec.DecodeResponseEnvelope(data, size, &result);
  } catch (const std::bad_variant_access&) {
    FUZZ_CHECK(result.answers.empty());
    return 0;
  }
  FUZZ_CHECK(result.answers.size() == (decoded ? 1u : 0u));
  if (!decoded) return 0;

  const Answer& answer = result.answers[0];
  const EncodableValue* value = answer.value ? &*answer.value : nullptr;
  const auto encoded = answer.is_error
                           ? codec.EncodeErrorEnvelope(answer.code, answer.message, value)
                           : codec.EncodeSuccessEnvelope(value);
  CollectingResult again;
  FUZZ_CHECK(codec.DecodeResponseEnvelope(encoded->data(), encoded->size(), &again));
  FUZZ_CHECK(again.answers.size() == 1 && SameAnswer(again.answers[0], answer));
  return 0;
}
