// A recording stand-in for the engine library's C functions: the recording
// engine's own state and the engine's part that tests play through it.
#include "tests/fakes/recording_engine.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

quorvane::fakes::RecordingEngine* current_engine = nullptr;

}  // namespace

namespace quorvane::fakes {

RecordingEngine::RecordingEngine() {
  if (current_engine != nullptr) {
    std::fputs("RecordingEngine: only one may exist at a time\n", stderr);
    std::abort();
  }
  current_engine = this;
}

RecordingEngine::~RecordingEngine() { current_engine = nullptr; }

RecordingEngine& RecordingEngine::Current() {
  if (current_engine == nullptr) {
    std::fputs("RecordingEngine: an engine function was called without a RecordingEngine\n",
               stderr);
    std::abort();
  }
  return *current_engine;
}

size_t RecordingEngine::CountOf(EngineCall call) const {
  return static_cast<size_t>(std::count(calls.begin(), calls.end(), call));
}

void RecordingEngine::ClearRecords() {
  calls.clear();
  registrar_names.clear();
  sends.clear();
  registrations.clear();
  responses.clear();
  window_messages.clear();
}

FlutterDesktopEngineRef RecordingEngine::engine() const {
  return reinterpret_cast<FlutterDesktopEngineRef>(const_cast<char*>(&engine_token_));
}

FlutterDesktopMessengerRef RecordingEngine::messenger() const {
  return reinterpret_cast<FlutterDesktopMessengerRef>(const_cast<char*>(&messenger_token_));
}

FlutterDesktopMessengerRef RecordingEngine::messenger_alias() const {
  return reinterpret_cast<FlutterDesktopMessengerRef>(const_cast<char*>(&messenger_alias_token_));
}

FlutterDesktopViewControllerRef RecordingEngine::view_controller() const {
  return reinterpret_cast<FlutterDesktopViewControllerRef>(
      const_cast<char*>(&view_controller_token_));
}

FlutterDesktopViewRef RecordingEngine::view() const {
  return reinterpret_cast<FlutterDesktopViewRef>(const_cast<char*>(&view_token_));
}

HWND RecordingEngine::view_window() const {
  return reinterpret_cast<HWND>(const_cast<char*>(&view_token_) + 1);
}

const CallbackRegistration* RecordingEngine::CallbackFor(const std::string& channel) const {
  auto entry = callbacks_.find(channel);
  return entry == callbacks_.end() ? nullptr : &entry->second;
}

const FlutterDesktopMessageResponseHandle* RecordingEngine::DeliverMessage(
    const std::string& channel, const std::vector<uint8_t>& bytes) {
  const CallbackRegistration* registration = CallbackFor(channel);
  if (registration == nullptr) return nullptr;
  FlutterDesktopMessageCallback callback = registration->callback;
  void* user_data = registration->user_data;

  response_counts_.push_back(0);
  auto* handle =
      reinterpret_cast<const FlutterDesktopMessageResponseHandle*>(&response_counts_.back());
  FlutterDesktopMessage message{};
  message.struct_size = sizeof(message);
  message.channel = channel.c_str();
  message.message = bytes.empty() ? nullptr : bytes.data();
  message.message_size = bytes.size();
  message.response_handle = handle;
  callback(messenger(), &message, user_data);
  return handle;
}

size_t RecordingEngine::ResponseCount(const FlutterDesktopMessageResponseHandle* handle) const {
  return static_cast<size_t>(
      std::count_if(responses.begin(), responses.end(),
                    [handle](const SentResponse& response) { return response.handle == handle; }));
}

const SentResponse* RecordingEngine::ResponseTo(
    const FlutterDesktopMessageResponseHandle* handle) const {
  for (const SentResponse& response : responses) {
    if (response.handle == handle) return &response;
  }
  return nullptr;
}

void RecordingEngine::DeliverReply(size_t index, const std::vector<uint8_t>& bytes) {
  if (index >= sends.size() || !sends[index].with_reply || sends[index].reply_delivered ||
      sends[index].reply == nullptr) {
    ++protocol_violations;
    return;
  }
  sends[index].reply_delivered = true;
  // Copied out: the reply may send again and grow the records.
  FlutterDesktopBinaryReply reply = sends[index].reply;
  void* user_data = sends[index].user_data;
  reply(bytes.empty() ? nullptr : bytes.data(), bytes.size(), user_data);
}

void RecordingEngine::ReportFrame() {
  if (!frame_pending) return;
  frame_pending = false;
  next_frame_callback(next_frame_user_data);
}

void RecordingEngine::DestroyEngine() {
  engine_running = false;
  callbacks_.clear();
  frame_pending = false;
}

void RecordingEngine::SetCallback(const std::string& channel,
                                  FlutterDesktopMessageCallback callback, void* user_data) {
  registrations.push_back({channel, callback, user_data});
  if (callback == nullptr) {
    callbacks_.erase(channel);
  } else {
    callbacks_[channel] = {channel, callback, user_data};
  }
}

void RecordingEngine::AcceptResponse(const FlutterDesktopMessageResponseHandle* handle,
                                     const uint8_t* data, size_t data_length) {
  SentResponse response;
  response.handle = handle;
  response.data_null = data == nullptr;
  if (data != nullptr) response.bytes.assign(data, data + data_length);
  responses.push_back(std::move(response));

  // Newest first: a response nearly always answers the latest message.
  auto counter =
      std::find_if(response_counts_.rbegin(), response_counts_.rend(), [handle](int& count) {
        return reinterpret_cast<const FlutterDesktopMessageResponseHandle*>(&count) == handle;
      });
  if (counter == response_counts_.rend() || ++*counter > 1) ++protocol_violations;
}

FlutterDesktopPluginRegistrarRef RecordingEngine::RegistrarFor(const std::string& name) {
  return reinterpret_cast<FlutterDesktopPluginRegistrarRef>(&registrar_tokens_[name]);
}

}  // namespace quorvane::fakes
