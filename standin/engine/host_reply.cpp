// Decoding and describing the host's replies.
#include "standin/engine/host_reply.h"

#include <variant>

#include "codec/standard_method_codec.h"
#include "standin/engine/json_value_mapping.h"

namespace standin {
namespace {

// Receives the envelope's content from the codec.
class ReplyCollector : public flutter::MethodResult<flutter::EncodableValue> {
 public:
  explicit ReplyCollector(HostReply* reply) : reply_(reply) {}

 protected:
  void OnSuccess(const flutter::EncodableValue* value) override {
    reply_->kind = HostReply::Kind::kSuccess;
    if (value != nullptr) reply_->value = *value;
  }
  void OnError(const std::string& code, const std::string& message,
               const flutter::EncodableValue* details) override {
    reply_->kind = HostReply::Kind::kError;
    reply_->code = code;
    reply_->message = message;
    if (details != nullptr) reply_->details = *details;
  }
  void OnNotImplemented() override { reply_->kind = HostReply::Kind::kNotImplemented; }

 private:
  HostReply* reply_;
};

}  // namespace

HostReply HostReply::Decode(const uint8_t* bytes, size_t size) {
  HostReply reply;
  if (size == 0) return reply;
  ReplyCollector collector(&reply);
  bool decoded = false;
  try {
    decoded =
        flutter::StandardMethodCodec::GetInstance().DecodeResponseEnvelope(bytes, size, &collector);
  } catch (const std::bad_variant_access&) {
    decoded = false;
  }
  if (!decoded) {
    reply = HostReply();
    reply.kind = Kind::kUndecodable;
    reply.hex = FormatHex(bytes, size);
  }
  return reply;
}

nlohmann::json HostReply::ToEvent(const std::string& channel,
                                  const std::optional<std::string>& method) const {
  nlohmann::json event = {{"event", "reply"}, {"channel", channel}};
  event["method"] = method ? nlohmann::json(*method) : nlohmann::json(nullptr);
  switch (kind) {
    case Kind::kSuccess:
      event["success"] = ValueToJson(value);
      break;
    case Kind::kError:
      event["error"] = {
          {"code", code},
          {"message", message.empty() ? nlohmann::json(nullptr) : nlohmann::json(message)},
          {"details", ValueToJson(details)}};
      break;
    case Kind::kNotImplemented:
      event["not_implemented"] = true;
      break;
    case Kind::kUndecodable:
      event["undecodable"] = hex;
      break;
  }
  return event;
}

std::string HostReply::Summary() const {
  switch (kind) {
    case Kind::kSuccess:
      return value.IsNull() ? "ok"
                            : "ok " + ValueToJson(value).dump(
                                          -1, ' ', false, nlohmann::json::error_handler_t::replace);
    case Kind::kError:
      return "error " + code;
    case Kind::kNotImplemented:
      return "not implemented";
    case Kind::kUndecodable:
      return "undecodable reply";
  }
  return std::string();
}

}  // namespace standin
