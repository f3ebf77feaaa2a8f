// Method calls and reply envelopes over the standard serializer.
#include "codec/standard_method_codec.h"

#include <map>
#include <mutex>

#include "codec/diagnostic.h"

namespace flutter {
namespace {

constexpr uint8_t kSuccessEnvelope = 0;
constexpr uint8_t kErrorEnvelope = 1;

// One codec per serializer, for the life of the process.
struct CodecRegistry {
  std::mutex mutex;
  std::map<const StandardCodecSerializer*, const StandardMethodCodec*> codecs;
};

const StandardMethodCodec& RegisteredCodec(const StandardCodecSerializer* serializer) {
  // Never torn down, so codecs stay valid while the process exits.
  static CodecRegistry* const registry = new CodecRegistry();
  std::lock_guard<std::mutex> lock(registry->mutex);
  const StandardMethodCodec*& codec = registry->codecs[serializer];
  if (codec == nullptr) codec = new StandardMethodCodec(serializer);
  return *codec;
}

}  // namespace

const StandardMethodCodec& StandardMethodCodec::GetInstance(
    const StandardCodecSerializer* serializer) {
  const StandardCodecSerializer* standard = &StandardCodecSerializer::GetInstance();
  if (serializer != nullptr && serializer != standard) return RegisteredCodec(serializer);
  // The codec most callers ask for, found once and then without the lock.
  static const StandardMethodCodec& standard_codec = RegisteredCodec(standard);
  return standard_codec;
}

std::unique_ptr<MethodCall<EncodableValue>> StandardMethodCodec::DecodeMethodCall(
    const uint8_t* message, size_t message_size) const {
  ByteBufferStreamReader stream(message, message_size);
  EncodableValue name = serializer_->ReadValue(&stream);
  std::string* method_name = name.GetIf<std::string>();
  if (method_name == nullptr) {
    WriteDiagnosticLine("Invalid method call; method name is not a string.");
    return nullptr;
  }
  auto arguments = std::make_unique<EncodableValue>(serializer_->ReadValue(&stream));
  return std::make_unique<MethodCall<EncodableValue>>(std::move(*method_name),
                                                      std::move(arguments));
}

std::unique_ptr<std::vector<uint8_t>> StandardMethodCodec::EncodeMethodCall(
    const MethodCall<EncodableValue>& method_call) const {
  auto message = std::make_unique<std::vector<uint8_t>>();
  ByteBufferStreamWriter stream(message.get());
  serializer_->WriteString(method_call.MethodName(), &stream);
  const EncodableValue* arguments = method_call.Arguments();
  // A named null keeps the choice a reference: a temporary would copy arguments.
  const EncodableValue none;
  serializer_->WriteValue(arguments != nullptr ? *arguments : none, &stream);
  return message;
}

std::unique_ptr<std::vector<uint8_t>> StandardMethodCodec::EncodeSuccessEnvelope(
    const EncodableValue* result) const {
  auto envelope = std::make_unique<std::vector<uint8_t>>();
  ByteBufferStreamWriter stream(envelope.get());
  stream.WriteByte(kSuccessEnvelope);
  const EncodableValue none;
  serializer_->WriteValue(result != nullptr ? *result : none, &stream);
  return envelope;
}

std::unique_ptr<std::vector<uint8_t>> StandardMethodCodec::EncodeErrorEnvelope(
    const std::string& error_code, const std::string& error_message,
    const EncodableValue* error_details) const {
  auto envelope = std::make_unique<std::vector<uint8_t>>();
  ByteBufferStreamWriter stream(envelope.get());
  stream.WriteByte(kErrorEnvelope);
  const EncodableValue none;
  serializer_->WriteString(error_code, &stream);
  // An empty message travels as null, not as an empty string.
  if (error_message.empty()) {
    serializer_->WriteValue(none, &stream);
  } else {
    serializer_->WriteString(error_message, &stream);
  }
  serializer_->WriteValue(error_details != nullptr ? *error_details : none, &stream);
  return envelope;
}

bool StandardMethodCodec::DecodeResponseEnvelope(const uint8_t* response, size_t response_size,
                                                 MethodResult<EncodableValue>* result) const {
  ByteBufferStreamReader stream(response, response_size);
  switch (stream.ReadByte()) {
    case kSuccessEnvelope: {
      const EncodableValue value = serializer_->ReadValue(&stream);
      if (value.IsNull()) {
        result->Success();
      } else {
        result->Success(value);
      }
      return true;
    }
    case kErrorEnvelope: {
      const EncodableValue code = serializer_->ReadValue(&stream);
      const EncodableValue message = serializer_->ReadValue(&stream);
      const EncodableValue details = serializer_->ReadValue(&stream);
      // Checked access: a malformed envelope throws before anything is delivered.
      const std::string& code_text = code.Get<std::string>();
      const std::string message_text =
          message.IsNull() ? std::string() : message.Get<std::string>();
      if (details.IsNull()) {
        result->Error(code_text, message_text);
      } else {
        result->Error(code_text, message_text, details);
      }
      return true;
    }
    default:
      return false;
  }
}

}  // namespace flutter
