// A recording stand-in for the engine library's 23 C functions, linked into
// tests in place of the engine. It keeps what the layers above hand it, and
// lets a test play the engine's part: deliver messages, answer sends, report a
// frame. One RecordingEngine is current at a time; the C functions act on it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "wrapper/flutter_windows.h"

namespace quorvane::fakes {

/// The engine library's functions, in the order of its interface table.
enum class EngineCall {
  kEngineCreate,
  kEngineDestroy,
  kEngineGetMessenger,
  kEngineGetPluginRegistrar,
  kEngineReloadSystemFonts,
  kEngineSetNextFrameCallback,
  kViewControllerCreate,
  kViewControllerDestroy,
  kViewControllerGetView,
  kViewControllerForceRedraw,
  kViewControllerHandleTopLevelWindowProc,
  kViewGetHWND,
  kMessengerSend,
  kMessengerSendWithReply,
  kMessengerSetCallback,
  kMessengerSendResponse,
  kMessengerAddRef,
  kMessengerRelease,
  kMessengerLock,
  kMessengerUnlock,
  kMessengerIsAvailable,
  kGetDpiForMonitor,
  kResyncOutputStreams,
};

/// The properties record as FlutterDesktopEngineCreate read it, byte offset
/// by byte offset.
struct RecordedProperties {
  std::wstring assets_path;
  std::wstring icu_data_path;
  std::wstring aot_library_path;
  std::string entrypoint;
  int32_t argument_count = 0;
  bool argument_array_null = true;
  std::vector<std::string> arguments;
  std::array<int32_t, 3> option_values{};
  bool padding_zero = false;  // bytes 36-39 and 60-63
};

struct SentMessage {
  std::string channel;
  std::vector<uint8_t> bytes;
  bool with_reply = false;
  FlutterDesktopBinaryReply reply = nullptr;
  void* user_data = nullptr;
  bool reply_delivered = false;
};

struct CallbackRegistration {
  std::string channel;
  FlutterDesktopMessageCallback callback = nullptr;
  void* user_data = nullptr;
};

struct SentResponse {
  const FlutterDesktopMessageResponseHandle* handle = nullptr;
  std::vector<uint8_t> bytes;
  bool data_null = false;
};

struct WindowMessage {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wparam = 0;
  LPARAM lparam = 0;
};

class RecordingEngine {
 public:
  /// Becomes the current engine; there must be no other.
  RecordingEngine();
  ~RecordingEngine();

  RecordingEngine(const RecordingEngine&) = delete;
  RecordingEngine& operator=(const RecordingEngine&) = delete;

  /// The current engine; the C functions abort without one.
  static RecordingEngine& Current();

  // What the engine does. Set before the layers above call in.
  bool fail_engine_create = false;
  bool fail_view_controller_create = false;
  bool accept_sends_with_reply = true;
  bool lock_returns_null = false;
  /// When set, top-level window messages are consumed with this result.
  std::optional<LRESULT> consume_window_messages;
  /// Written to the result variable when a message is declined, to show that
  /// the caller ignores it then.
  LRESULT declined_result = 0x5EED;
  /// AddRef hands back messenger_alias() instead of the messenger it was
  /// given, as an engine may; the references then count on the alias.
  bool add_ref_hands_back_alias = false;
  /// Runs when the view controller is being destroyed, before the engine goes.
  std::function<void()> on_view_controller_destroy;
  UINT dpi = 96;

  // What was called, in order, and with what.
  std::vector<EngineCall> calls;
  std::optional<RecordedProperties> properties;
  std::vector<std::string> registrar_names;
  std::vector<SentMessage> sends;
  std::vector<CallbackRegistration> registrations;
  std::vector<SentResponse> responses;
  std::vector<WindowMessage> window_messages;
  int view_controller_width = 0;
  int view_controller_height = 0;
  FlutterDesktopEngineRef view_controller_engine = nullptr;
  FlutterDesktopOnNextFrameCallback next_frame_callback = nullptr;
  void* next_frame_user_data = nullptr;

  size_t CountOf(EngineCall call) const;
  /// Forgets the records above, keeping the engine's state.
  void ClearRecords();

  FlutterDesktopEngineRef engine() const;
  FlutterDesktopMessengerRef messenger() const;
  /// Another handle of the same messenger, valid while references are held on it.
  FlutterDesktopMessengerRef messenger_alias() const;
  FlutterDesktopViewControllerRef view_controller() const;
  FlutterDesktopViewRef view() const;
  HWND view_window() const;

  // The engine's state. Read by tests; kept by the C functions.
  bool engine_running = false;
  bool view_controller_alive = false;
  /// A next-frame function is registered and the frame has not come yet.
  bool frame_pending = false;
  /// AddRef calls not yet matched by a Release, on messenger() and on
  /// messenger_alias().
  int messenger_references = 0;
  int alias_references = 0;
  /// Lock calls not yet matched by an Unlock.
  int lock_depth = 0;
  /// Calls the real engine would not survive: an Unlock of something Lock did
  /// not hand out, a second response for one handle, a handle never handed
  /// out, a messenger or engine that is not this one.
  int protocol_violations = 0;

  /// The callback currently registered for channel, if any.
  const CallbackRegistration* CallbackFor(const std::string& channel) const;

  /// Delivers bytes on channel to its registered callback, as the engine does,
  /// with a new response handle; null (and nothing delivered) without one.
  const FlutterDesktopMessageResponseHandle* DeliverMessage(const std::string& channel,
                                                            const std::vector<uint8_t>& bytes);

  /// How many responses were sent for handle.
  size_t ResponseCount(const FlutterDesktopMessageResponseHandle* handle) const;
  /// The first response sent for handle, or null.
  const SentResponse* ResponseTo(const FlutterDesktopMessageResponseHandle* handle) const;

  /// Answers sends[index], which must want a reply and not have had it; empty
  /// bytes arrive as a null pointer with length 0.
  void DeliverReply(size_t index, const std::vector<uint8_t>& bytes);

  /// Reports a frame: calls the registered next-frame function once.
  void ReportFrame();

  /// Destroys the engine, as the view controller's destruction does: the
  /// messenger becomes unavailable and every channel callback is dropped.
  void DestroyEngine();

  // Engine side, used by the C functions.
  void SetCallback(const std::string& channel, FlutterDesktopMessageCallback callback,
                   void* user_data);
  void AcceptResponse(const FlutterDesktopMessageResponseHandle* handle, const uint8_t* data,
                      size_t data_length);
  FlutterDesktopPluginRegistrarRef RegistrarFor(const std::string& name);

 private:
  char engine_token_ = 0;
  char messenger_token_ = 0;
  char messenger_alias_token_ = 0;
  char view_controller_token_ = 0;
  char view_token_ = 0;
  std::map<std::string, CallbackRegistration> callbacks_;
  std::map<std::string, char> registrar_tokens_;
  // A response handle is the address of the count of responses sent for it.
  std::deque<int> response_counts_;
};

}  // namespace quorvane::fakes
