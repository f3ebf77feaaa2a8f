// The result handed to handlers of incoming method calls: it encodes the one
// answer and sends it back to the engine.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "codec/method_codec.h"
#include "codec/method_result.h"
#include "wrapper/binary_messenger.h"

namespace flutter {

/// The reply path of one incoming message, usable once. Shared between the
/// result and the channel adapter, so that the adapter can still answer when a
/// handler throws after taking the result.
class SingleUseReply {
 public:
  explicit SingleUseReply(ReplyCallback reply);
  /// Writes the leak warning when no answer was given; sends nothing.
  ~SingleUseReply();

  SingleUseReply(const SingleUseReply&) = delete;
  SingleUseReply& operator=(const SingleUseReply&) = delete;

  /// Sends bytes (null: an empty reply) unless an answer was already given, in
  /// which case only the duplicate-result line is written.
  void Deliver(const std::vector<uint8_t>* bytes);

  bool IsPending() const { return static_cast<bool>(reply_); }

 private:
  ReplyCallback reply_;
};

/// Enforces the single answer: the first Success, Error or NotImplemented is
/// sent, later ones only write a diagnostic line.
template <typename T = EncodableValue>
class EngineMethodResult : public MethodResult<T> {
 public:
  /// codec must outlive the result.
  EngineMethodResult(ReplyCallback reply, const MethodCodec<T>* codec)
      : EngineMethodResult(std::make_shared<SingleUseReply>(std::move(reply)), codec) {}
  EngineMethodResult(std::shared_ptr<SingleUseReply> reply, const MethodCodec<T>* codec)
      : reply_(std::move(reply)), codec_(codec) {}
  ~EngineMethodResult() override = default;

 protected:
  void OnSuccess(const T* result) override {
    std::unique_ptr<std::vector<uint8_t>> envelope = codec_->EncodeSuccessEnvelope(result);
    reply_->Deliver(envelope.get());
  }

  void OnError(const std::string& error_code, const std::string& error_message,
               const T* error_details) override {
    std::unique_ptr<std::vector<uint8_t>> envelope =
        codec_->EncodeErrorEnvelope(error_code, error_message, error_details);
    reply_->Deliver(envelope.get());
  }

  /// Travels as an empty reply.
  void OnNotImplemented() override { reply_->Deliver(nullptr); }

 private:
  std::shared_ptr<SingleUseReply> reply_;
  const MethodCodec<T>* codec_;
};

}  // namespace flutter
