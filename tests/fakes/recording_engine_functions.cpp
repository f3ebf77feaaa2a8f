// The engine library's C functions, each recorded on the current recording
// engine and checked against the handles it gave out.
#include <cstring>
#include <utility>

#include "tests/fakes/recording_engine.h"

using quorvane::fakes::EngineCall;
using quorvane::fakes::RecordedProperties;
using quorvane::fakes::RecordingEngine;
using quorvane::fakes::WindowMessage;

namespace {

// Reads a field of a C record at its byte offset, as the engine library does.
template <typename T>
T ReadAt(const void* record, size_t offset) {
  T value;
  std::memcpy(&value, static_cast<const unsigned char*>(record) + offset, sizeof(T));
  return value;
}

quorvane::fakes::RecordingEngine& Record(quorvane::fakes::EngineCall call) {
  quorvane::fakes::RecordingEngine& engine = quorvane::fakes::RecordingEngine::Current();
  engine.calls.push_back(call);
  return engine;
}

void CheckEngine(RecordingEngine& engine, FlutterDesktopEngineRef handle) {
  if (handle != engine.engine() || !engine.engine_running) ++engine.protocol_violations;
}

void CheckMessenger(RecordingEngine& engine, FlutterDesktopMessengerRef messenger) {
  const bool held_alias = messenger == engine.messenger_alias() && engine.alias_references > 0;
  if (messenger != engine.messenger() && !held_alias) ++engine.protocol_violations;
}

void CheckController(RecordingEngine& engine, FlutterDesktopViewControllerRef controller) {
  if (controller != engine.view_controller() || !engine.view_controller_alive) {
    ++engine.protocol_violations;
  }
}

}  // namespace

extern "C" {

FlutterDesktopEngineRef FlutterDesktopEngineCreate(const FlutterDesktopEngineProperties* record) {
  RecordingEngine& engine = Record(EngineCall::kEngineCreate);
  RecordedProperties properties;
  properties.assets_path = ReadAt<const wchar_t*>(record, 0);
  properties.icu_data_path = ReadAt<const wchar_t*>(record, 8);
  properties.aot_library_path = ReadAt<const wchar_t*>(record, 16);
  properties.entrypoint = ReadAt<const char*>(record, 24);
  properties.argument_count = ReadAt<int32_t>(record, 32);
  const char* const* arguments = ReadAt<const char* const*>(record, 40);
  properties.argument_array_null = arguments == nullptr;
  for (int32_t i = 0; arguments != nullptr && i < properties.argument_count; ++i) {
    properties.arguments.emplace_back(arguments[i]);
  }
  for (size_t i = 0; i < 3; ++i) properties.option_values[i] = ReadAt<int32_t>(record, 48 + 4 * i);
  properties.padding_zero = ReadAt<int32_t>(record, 36) == 0 && ReadAt<int32_t>(record, 60) == 0;
  engine.properties = std::move(properties);

  if (engine.fail_engine_create) return nullptr;
  engine.engine_running = true;
  return engine.engine();
}

bool FlutterDesktopEngineDestroy(FlutterDesktopEngineRef handle) {
  RecordingEngine& engine = Record(EngineCall::kEngineDestroy);
  CheckEngine(engine, handle);
  engine.DestroyEngine();
  return true;
}

FlutterDesktopMessengerRef FlutterDesktopEngineGetMessenger(FlutterDesktopEngineRef handle) {
  RecordingEngine& engine = Record(EngineCall::kEngineGetMessenger);
  CheckEngine(engine, handle);
  return engine.messenger();
}

FlutterDesktopPluginRegistrarRef FlutterDesktopEngineGetPluginRegistrar(
    FlutterDesktopEngineRef handle, const char* plugin_name) {
  RecordingEngine& engine = Record(EngineCall::kEngineGetPluginRegistrar);
  CheckEngine(engine, handle);
  engine.registrar_names.emplace_back(plugin_name);
  return engine.RegistrarFor(plugin_name);
}

void FlutterDesktopEngineReloadSystemFonts(FlutterDesktopEngineRef handle) {
  CheckEngine(Record(EngineCall::kEngineReloadSystemFonts), handle);
}

void FlutterDesktopEngineSetNextFrameCallback(FlutterDesktopEngineRef handle,
                                              FlutterDesktopOnNextFrameCallback callback,
                                              void* user_data) {
  RecordingEngine& engine = Record(EngineCall::kEngineSetNextFrameCallback);
  CheckEngine(engine, handle);
  engine.next_frame_callback = callback;
  engine.next_frame_user_data = user_data;
  engine.frame_pending = true;
}

FlutterDesktopViewControllerRef FlutterDesktopViewControllerCreate(int width, int height,
                                                                   FlutterDesktopEngineRef handle) {
  RecordingEngine& engine = Record(EngineCall::kViewControllerCreate);
  CheckEngine(engine, handle);
  engine.view_controller_width = width;
  engine.view_controller_height = height;
  engine.view_controller_engine = handle;
  if (engine.fail_view_controller_create) {
    // The engine was handed over; a controller that cannot be made takes it down.
    engine.DestroyEngine();
    return nullptr;
  }
  engine.view_controller_alive = true;
  return engine.view_controller();
}

void FlutterDesktopViewControllerDestroy(FlutterDesktopViewControllerRef controller) {
  RecordingEngine& engine = Record(EngineCall::kViewControllerDestroy);
  CheckController(engine, controller);
  if (engine.on_view_controller_destroy) engine.on_view_controller_destroy();
  engine.view_controller_alive = false;
  engine.DestroyEngine();
}

FlutterDesktopViewRef FlutterDesktopViewControllerGetView(
    FlutterDesktopViewControllerRef controller) {
  RecordingEngine& engine = Record(EngineCall::kViewControllerGetView);
  CheckController(engine, controller);
  return engine.view();
}

void FlutterDesktopViewControllerForceRedraw(FlutterDesktopViewControllerRef controller) {
  CheckController(Record(EngineCall::kViewControllerForceRedraw), controller);
}

bool FlutterDesktopViewControllerHandleTopLevelWindowProc(
    FlutterDesktopViewControllerRef controller, HWND hwnd, UINT message, WPARAM wparam,
    LPARAM lparam, LRESULT* result) {
  RecordingEngine& engine = Record(EngineCall::kViewControllerHandleTopLevelWindowProc);
  CheckController(engine, controller);
  engine.window_messages.push_back(WindowMessage{hwnd, message, wparam, lparam});
  if (engine.consume_window_messages) {
    *result = *engine.consume_window_messages;
    return true;
  }
  *result = engine.declined_result;
  return false;
}

HWND FlutterDesktopViewGetHWND(FlutterDesktopViewRef view) {
  RecordingEngine& engine = Record(EngineCall::kViewGetHWND);
  if (view != engine.view()) ++engine.protocol_violations;
  return engine.view_window();
}

bool FlutterDesktopMessengerSend(FlutterDesktopMessengerRef messenger, const char* channel,
                                 const uint8_t* message, size_t message_size) {
  RecordingEngine& engine = Record(EngineCall::kMessengerSend);
  CheckMessenger(engine, messenger);
  quorvane::fakes::SentMessage sent;
  sent.channel = channel;
  if (message != nullptr) sent.bytes.assign(message, message + message_size);
  engine.sends.push_back(std::move(sent));
  return engine.engine_running;
}

bool FlutterDesktopMessengerSendWithReply(FlutterDesktopMessengerRef messenger, const char* channel,
                                          const uint8_t* message, size_t message_size,
                                          FlutterDesktopBinaryReply reply, void* user_data) {
  RecordingEngine& engine = Record(EngineCall::kMessengerSendWithReply);
  CheckMessenger(engine, messenger);
  quorvane::fakes::SentMessage sent;
  sent.channel = channel;
  if (message != nullptr) sent.bytes.assign(message, message + message_size);
  sent.with_reply = true;
  bool accepted = engine.accept_sends_with_reply && engine.engine_running;
  // A refused send keeps no reply: the engine never calls it.
  sent.reply = accepted ? reply : nullptr;
  sent.user_data = accepted ? user_data : nullptr;
  engine.sends.push_back(std::move(sent));
  return accepted;
}

void FlutterDesktopMessengerSetCallback(FlutterDesktopMessengerRef messenger, const char* channel,
                                        FlutterDesktopMessageCallback callback, void* user_data) {
  RecordingEngine& engine = Record(EngineCall::kMessengerSetCallback);
  CheckMessenger(engine, messenger);
  engine.SetCallback(channel, callback, user_data);
}

void FlutterDesktopMessengerSendResponse(FlutterDesktopMessengerRef messenger,
                                         const FlutterDesktopMessageResponseHandle* handle,
                                         const uint8_t* data, size_t data_length) {
  RecordingEngine& engine = Record(EngineCall::kMessengerSendResponse);
  CheckMessenger(engine, messenger);
  engine.AcceptResponse(handle, data, data_length);
}

FlutterDesktopMessengerRef FlutterDesktopMessengerAddRef(FlutterDesktopMessengerRef messenger) {
  RecordingEngine& engine = Record(EngineCall::kMessengerAddRef);
  if (messenger != engine.messenger()) ++engine.protocol_violations;
  if (engine.add_ref_hands_back_alias) {
    ++engine.alias_references;
    return engine.messenger_alias();
  }
  ++engine.messenger_references;
  return messenger;
}

void FlutterDesktopMessengerRelease(FlutterDesktopMessengerRef messenger) {
  RecordingEngine& engine = Record(EngineCall::kMessengerRelease);
  CheckMessenger(engine, messenger);
  int& references =
      messenger == engine.messenger_alias() ? engine.alias_references : engine.messenger_references;
  if (--references < 0) ++engine.protocol_violations;
}

FlutterDesktopMessengerRef FlutterDesktopMessengerLock(FlutterDesktopMessengerRef messenger) {
  RecordingEngine& engine = Record(EngineCall::kMessengerLock);
  CheckMessenger(engine, messenger);
  if (engine.lock_returns_null) return nullptr;
  ++engine.lock_depth;
  return messenger;
}

void FlutterDesktopMessengerUnlock(FlutterDesktopMessengerRef messenger) {
  RecordingEngine& engine = Record(EngineCall::kMessengerUnlock);
  const bool handle = messenger == engine.messenger() || messenger == engine.messenger_alias();
  if (!handle || engine.lock_depth == 0) {
    ++engine.protocol_violations;
    return;
  }
  --engine.lock_depth;
}

bool FlutterDesktopMessengerIsAvailable(FlutterDesktopMessengerRef messenger) {
  RecordingEngine& engine = Record(EngineCall::kMessengerIsAvailable);
  CheckMessenger(engine, messenger);
  return engine.engine_running;
}

UINT FlutterDesktopGetDpiForMonitor(HMONITOR) { return Record(EngineCall::kGetDpiForMonitor).dpi; }

void FlutterDesktopResyncOutputStreams() { Record(EngineCall::kResyncOutputStreams); }

}  // extern "C"
