// Byte messages on named channels, in both directions between host and engine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace flutter {

/// The answer path of one message; empty means no reply is wanted.
using ReplyCallback = std::function<void(const uint8_t* reply, size_t reply_size)>;

/// Receives one message and its answer path; empty means the channel has no handler.
using ChannelHandler =
    std::function<void(const uint8_t* message, size_t message_size, ReplyCallback reply)>;

class BinaryMessenger {
 public:
  BinaryMessenger() = default;
  virtual ~BinaryMessenger() = default;

  BinaryMessenger(const BinaryMessenger&) = delete;
  BinaryMessenger& operator=(const BinaryMessenger&) = delete;

  /// Sends message on channel. reply, when set, is called at most once with the answer.
  virtual void Send(const std::string& channel, const uint8_t* message, size_t message_size,
                    ReplyCallback reply = nullptr) = 0;

  /// Registers or replaces the handler of channel; an empty handler removes it.
  virtual void SetChannelHandler(const std::string& channel, ChannelHandler handler) = 0;
};

}  // namespace flutter
