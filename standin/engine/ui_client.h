// The user-interface side of the stand-in engine, which plays the part of the
// application's own code: scripted for tests, interactive for people.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "codec/method_call.h"
#include "standin/engine/event_log.h"

namespace standin {

/// Receives the host's answer to one message: its bytes, null and 0 when empty.
using ReplyHandler = std::function<void(const uint8_t* bytes, size_t size)>;

/// What the user-interface side may ask of the engine. Everything runs on the UI
/// thread; tasks, messages and replies are all carried out from the message loop.
class UiHost {
 public:
  /// Queues a message to one of the host's channels; on_reply later receives the
  /// host's answer (an empty one when the channel has no handler), possibly while
  /// the host is still giving it, so it must not call the host back directly.
  virtual void SendToHost(const std::string& channel, std::vector<uint8_t> message,
                          ReplyHandler on_reply) = 0;
  /// Sends a method call in the standard method codec.
  void CallHost(const std::string& channel, const std::string& method,
                const flutter::EncodableValue& arguments, ReplyHandler on_reply);
  virtual void PostTask(std::function<void()> task) = 0;
  /// Runs task from the loop after delay_ms; the id cancels it.
  virtual unsigned PostDelayedTask(unsigned delay_ms, std::function<void()> task) = 0;
  virtual void CancelDelayedTask(unsigned id) = 0;
  /// The view's child window.
  virtual HWND ViewWindow() const = 0;
  /// The window the host placed the view in, or null while it is not embedded.
  virtual HWND TopLevelWindow() const = 0;
  virtual void Redraw() = 0;
  virtual EventLog& Log() = 0;

 protected:
  ~UiHost() = default;
};

class UiClient {
 public:
  virtual ~UiClient() = default;
  /// The first frame is out and the host's channels are set up.
  virtual void Start() = 0;
  /// A method call the host sent, given as it arrives; returns the encoded
  /// answer, empty for not implemented. Must not call the host back directly.
  virtual std::vector<uint8_t> OnHostCall(const std::string& channel,
                                          const flutter::MethodCall<>& call) = 0;
  /// Draws the view's content; the background is already filled.
  virtual void Paint(HDC dc, const RECT& client, UINT dpi) = 0;
  /// View messages other than painting; true when handled, with *result set.
  virtual bool HandleViewMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) = 0;
};

}  // namespace standin
