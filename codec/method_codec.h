// The abstract codec of a method channel: calls and reply envelopes as bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "codec/encodable_value.h"
#include "codec/method_call.h"
#include "codec/method_result.h"

namespace flutter {

template <typename T = EncodableValue>
class MethodCodec {
 public:
  MethodCodec() = default;
  virtual ~MethodCodec() = default;

  MethodCodec(const MethodCodec&) = delete;
  MethodCodec& operator=(const MethodCodec&) = delete;

  /// The call in the message, or null when the message holds none.
  virtual std::unique_ptr<MethodCall<T>> DecodeMethodCall(const uint8_t* message,
                                                          size_t message_size) const = 0;
  virtual std::unique_ptr<std::vector<uint8_t>> EncodeMethodCall(
      const MethodCall<T>& method_call) const = 0;
  /// result is null when the success carries no value.
  virtual std::unique_ptr<std::vector<uint8_t>> EncodeSuccessEnvelope(
      const T* result = nullptr) const = 0;
  virtual std::unique_ptr<std::vector<uint8_t>> EncodeErrorEnvelope(
      const std::string& error_code, const std::string& error_message = "",
      const T* error_details = nullptr) const = 0;
  /// Delivers the decoded reply into result; false (and nothing delivered) when
  /// the bytes hold no envelope.
  virtual bool DecodeResponseEnvelope(const uint8_t* response, size_t response_size,
                                      MethodResult<T>* result) const = 0;
};

}  // namespace flutter
