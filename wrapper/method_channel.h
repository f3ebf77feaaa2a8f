// Method calls over one named channel of a binary messenger.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "codec/diagnostic.h"
#include "codec/method_call.h"
#include "codec/method_codec.h"
#include "codec/method_result.h"
#include "wrapper/binary_messenger.h"
#include "wrapper/delivery_tracking_result.h"
#include "wrapper/engine_method_result.h"

namespace flutter {

/// Handles one incoming call. The handler owns the result from the moment it
/// is called; the call itself does not outlive the handler's return.
template <typename T = EncodableValue>
using MethodCallCallback =
    std::function<void(const MethodCall<T>& call, std::unique_ptr<MethodResult<T>> result)>;

template <typename T = EncodableValue>
class MethodChannel {
 public:
  /// messenger and codec must outlive every use of the channel and of the
  /// handlers it registers.
  MethodChannel(BinaryMessenger* messenger, const std::string& name, const MethodCodec<T>* codec)
      : messenger_(messenger), name_(name), codec_(codec) {}

  /// Leaves the channel's handler registered: it holds copies of all it needs.
  ~MethodChannel() = default;

  MethodChannel(const MethodChannel&) = delete;
  MethodChannel& operator=(const MethodChannel&) = delete;

  /// Sends the call. result, when given, receives exactly one answer, unless
  /// the engine refuses the send: then it is destroyed unanswered.
  void InvokeMethod(const std::string& method, std::unique_ptr<T> arguments,
                    std::unique_ptr<MethodResult<T>> result = nullptr) {
    MethodCall<T> call(method, std::move(arguments));
    std::unique_ptr<std::vector<uint8_t>> message = codec_->EncodeMethodCall(call);
    if (result == nullptr) {
      messenger_->Send(name_, message->data(), message->size(), nullptr);
      return;
    }
    messenger_->Send(name_, message->data(), message->size(),
                     InvocationReply(std::shared_ptr<MethodResult<T>>(std::move(result))));
  }

  /// Registers handler for the channel's incoming calls, replacing any
  /// previous one; an empty handler removes it.
  void SetMethodCallHandler(const MethodCallCallback<T>& handler) const {
    if (!handler) {
      messenger_->SetChannelHandler(name_, nullptr);
      return;
    }
    messenger_->SetChannelHandler(name_, ChannelAdapter(handler));
  }

 private:
  ReplyCallback InvocationReply(std::shared_ptr<MethodResult<T>> result) const {
    return [result = std::move(result), codec = codec_, channel = name_](const uint8_t* reply,
                                                                         size_t reply_size) {
      if (reply_size == 0) {
        result->NotImplemented();
        return;
      }
      DeliveryTrackingResult<T> tracker(result.get());
      bool decoded = false;
      try {
        decoded = codec->DecodeResponseEnvelope(reply, reply_size, &tracker);
      } catch (...) {
        // A malformed envelope makes the codec throw before it delivers
        // anything: that is an undecodable reply. A throw from the caller's
        // own result is not, and goes on to the caller of the reply.
        if (tracker.delivered()) throw;
      }
      if (!decoded) {
        WriteDiagnosticLine("Unable to decode reply to method invocation on channel " + channel);
        result->NotImplemented();
      }
    };
  }

  ChannelHandler ChannelAdapter(const MethodCallCallback<T>& handler) const {
    return [handler, codec = codec_, channel = name_](const uint8_t* message, size_t message_size,
                                                      ReplyCallback reply) {
      // Created before decoding, so that every path owns a result.
      auto pending = std::make_shared<SingleUseReply>(std::move(reply));
      auto result = std::make_unique<EngineMethodResult<T>>(pending, codec);
      try {
        std::unique_ptr<MethodCall<T>> call = codec->DecodeMethodCall(message, message_size);
        if (call == nullptr) {
          WriteDiagnosticLine("Unable to construct method call from message on channel " + channel);
          result->NotImplemented();
          return;
        }
        handler(*call, std::move(result));
      } catch (...) {
        // No exception crosses the channel: the call still gets one answer.
        WriteDiagnosticLine("Exception while handling method call on channel " + channel);
        if (pending->IsPending()) pending->Deliver(nullptr);
      }
    };
  }

  BinaryMessenger* messenger_;
  std::string name_;
  const MethodCodec<T>* codec_;
};

}  // namespace flutter
