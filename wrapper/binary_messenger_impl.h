// The binary messenger over the engine library's messenger object.
#pragma once

#include <map>
#include <string>

#include "wrapper/binary_messenger.h"
#include "wrapper/flutter_windows.h"

namespace flutter {

/// Owns every channel's handler and adapts it to the engine's plain-function
/// callbacks. Handlers are registered, removed and run on the thread that runs
/// the message loop; only the reply path may run after the engine is gone.
class BinaryMessengerImpl : public BinaryMessenger {
 public:
  /// messenger belongs to the engine. A null messenger (no engine) makes Send
  /// and SetChannelHandler do nothing.
  explicit BinaryMessengerImpl(FlutterDesktopMessengerRef messenger);

  /// Frees the handlers without telling the engine: the engine must be gone.
  ~BinaryMessengerImpl() override;

  void Send(const std::string& channel, const uint8_t* message, size_t message_size,
            ReplyCallback reply = nullptr) override;
  void SetChannelHandler(const std::string& channel, ChannelHandler handler) override;

 private:
  FlutterDesktopMessengerRef messenger_;
  // Node-based on purpose: the engine keeps each stored handler's address as
  // its callback's user data, so entries must never move.
  std::map<std::string, ChannelHandler> handlers_;
};

}  // namespace flutter
