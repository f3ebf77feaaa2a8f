// Method calls and reply envelopes in the standard message codec's format.
#pragma once

#include "codec/method_codec.h"
#include "codec/standard_codec_serializer.h"

namespace flutter {

class StandardMethodCodec : public MethodCodec<EncodableValue> {
 public:
  /// The shared codec for serializer (the default serializer when null). Codecs
  /// handed out here stay valid until the process ends, also while it exits.
  static const StandardMethodCodec& GetInstance(
      const StandardCodecSerializer* serializer = nullptr);

  /// serializer must outlive the codec.
  explicit StandardMethodCodec(const StandardCodecSerializer* serializer)
      : serializer_(serializer) {}

  std::unique_ptr<MethodCall<EncodableValue>> DecodeMethodCall(const uint8_t* message,
                                                               size_t message_size) const override;
  std::unique_ptr<std::vector<uint8_t>> EncodeMethodCall(
      const MethodCall<EncodableValue>& method_call) const override;
  std::unique_ptr<std::vector<uint8_t>> EncodeSuccessEnvelope(
      const EncodableValue* result = nullptr) const override;
  std::unique_ptr<std::vector<uint8_t>> EncodeErrorEnvelope(
      const std::string& error_code, const std::string& error_message = "",
      const EncodableValue* error_details = nullptr) const override;
  /// Throws std::bad_variant_access, before delivering anything, when an error
  /// envelope's code is not a string or its message is neither null nor a string.
  bool DecodeResponseEnvelope(const uint8_t* response, size_t response_size,
                              MethodResult<EncodableValue>* result) const override;

 private:
  const StandardCodecSerializer* serializer_;
};

}  // namespace flutter
