// The binary messenger over the engine library's messenger object.
#include "wrapper/binary_messenger_impl.h"

#include <memory>
#include <utility>

#include "codec/diagnostic.h"

namespace flutter {
namespace {

constexpr char kDuplicateResponseLine[] =
    "Error: Response can be set only once. Ignoring duplicate response.";
constexpr char kHandlerThrewLine[] =
    "Error: A channel handler threw an exception; answering with an empty reply.";
constexpr char kReplyThrewLine[] = "Error: A reply callback threw an exception.";

/// Holds the engine's messenger lock for one scope. Lock may hand back null,
/// and then there is nothing to unlock.
class MessengerLock {
 public:
  explicit MessengerLock(FlutterDesktopMessengerRef messenger)
      : locked_(FlutterDesktopMessengerLock(messenger)) {}
  ~MessengerLock() {
    if (locked_ != nullptr) FlutterDesktopMessengerUnlock(locked_);
  }

  MessengerLock(const MessengerLock&) = delete;
  MessengerLock& operator=(const MessengerLock&) = delete;

 private:
  FlutterDesktopMessengerRef locked_;
};

/// The answer path of one incoming message, shared by every copy of its reply
/// callable: copies answer the engine at most once between them, and the last
/// one to go releases the messenger reference taken for them.
class ReplyState {
 public:
  ReplyState(FlutterDesktopMessengerRef messenger,
             const FlutterDesktopMessageResponseHandle* response_handle)
      : messenger_(FlutterDesktopMessengerAddRef(messenger)), response_handle_(response_handle) {}
  ~ReplyState() {
    if (messenger_ != nullptr) FlutterDesktopMessengerRelease(messenger_);
  }

  ReplyState(const ReplyState&) = delete;
  ReplyState& operator=(const ReplyState&) = delete;

  /// Sends the response unless the engine is gone or it was already sent; a
  /// second answer writes the duplicate line when report_duplicate is set.
  void Respond(const uint8_t* reply, size_t reply_size, bool report_duplicate) {
    MessengerLock lock(messenger_);
    if (!FlutterDesktopMessengerIsAvailable(messenger_)) return;
    if (response_handle_ == nullptr) {
      if (report_duplicate) WriteDiagnosticLine(kDuplicateResponseLine);
      return;
    }
    FlutterDesktopMessengerSendResponse(messenger_, response_handle_, reply, reply_size);
    response_handle_ = nullptr;
  }

 private:
  FlutterDesktopMessengerRef messenger_;
  const FlutterDesktopMessageResponseHandle* response_handle_;
};

// The engine calls this for every message on a channel with a handler;
// user_data is the stored handler. Nothing may unwind into the engine, so a
// throwing handler is reported and the message still gets an (empty) answer.
void ForwardMessageToHandler(FlutterDesktopMessengerRef messenger,
                             const FlutterDesktopMessage* message, void* user_data) noexcept {
  auto* handler = static_cast<ChannelHandler*>(user_data);
  std::shared_ptr<ReplyState> state;
  try {
    state = std::make_shared<ReplyState>(messenger, message->response_handle);
    (*handler)(message->message, message->message_size,
               [state](const uint8_t* reply, size_t reply_size) {
                 state->Respond(reply, reply_size, /*report_duplicate=*/true);
               });
  } catch (...) {
    WriteDiagnosticLine(kHandlerThrewLine);
    if (state != nullptr) {
      state->Respond(nullptr, 0, /*report_duplicate=*/false);
    } else {
      FlutterDesktopMessengerSendResponse(messenger, message->response_handle, nullptr, 0);
    }
  }
}

// The engine calls this once with the answer to a message sent with a reply;
// user_data is the pending reply, consumed here.
void ForwardReplyToCallback(const uint8_t* reply, size_t reply_size, void* user_data) noexcept {
  std::unique_ptr<ReplyCallback> pending(static_cast<ReplyCallback*>(user_data));
  try {
    (*pending)(reply, reply_size);
  } catch (...) {
    WriteDiagnosticLine(kReplyThrewLine);
  }
}

}  // namespace

BinaryMessengerImpl::BinaryMessengerImpl(FlutterDesktopMessengerRef messenger)
    : messenger_(messenger) {}

BinaryMessengerImpl::~BinaryMessengerImpl() = default;

void BinaryMessengerImpl::Send(const std::string& channel, const uint8_t* message,
                               size_t message_size, ReplyCallback reply) {
  if (messenger_ == nullptr) return;
  if (!reply) {
    FlutterDesktopMessengerSend(messenger_, channel.c_str(), message, message_size);
    return;
  }
  auto pending = std::make_unique<ReplyCallback>(std::move(reply));
  if (FlutterDesktopMessengerSendWithReply(messenger_, channel.c_str(), message, message_size,
                                           &ForwardReplyToCallback, pending.get())) {
    // The engine call owns the pending reply now; ForwardReplyToCallback frees it.
    pending.release();
  }
}

void BinaryMessengerImpl::SetChannelHandler(const std::string& channel, ChannelHandler handler) {
  if (messenger_ == nullptr) return;
  if (!handler) {
    handlers_.erase(channel);
    FlutterDesktopMessengerSetCallback(messenger_, channel.c_str(), nullptr, nullptr);
    return;
  }
  ChannelHandler& stored = handlers_[channel];
  // The previous handler goes before the new one arrives, at the same address.
  stored = nullptr;
  stored = std::move(handler);
  FlutterDesktopMessengerSetCallback(messenger_, channel.c_str(), &ForwardMessageToHandler,
                                     &stored);
}

}  // namespace flutter
