// The host's side for tests of the stand-in flutter_windows.dll: channel
// callbacks that record and answer, a host-like top-level window, the message
// loop, and a fixture that starts the engine and reads its event log.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "codec/standard_method_codec.h"
#include "wrapper/flutter_windows.h"

namespace standin_test {

using flutter::EncodableMap;
using flutter::EncodableValue;
using nlohmann::json;

const flutter::StandardMethodCodec& Codec();

std::string ReadText(const std::wstring& path);

class ScopedEnvironment {
 public:
  ScopedEnvironment(const wchar_t* name, const std::wstring& value) : name_(name) {
    SetEnvironmentVariableW(name, value.c_str());
  }
  ~ScopedEnvironment() { SetEnvironmentVariableW(name_, nullptr); }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  const wchar_t* name_;
};

// Runs the thread's message loop until done() holds or the time is up.
bool PumpUntil(const std::function<bool()>& done, DWORD timeout_ms = 5000);

void PumpFor(DWORD milliseconds);

std::vector<uint8_t> SuccessEnvelope(const EncodableValue& value);

// One message as the host's channel callback received it.
struct Received {
  FlutterDesktopMessengerRef messenger;
  std::string channel;
  std::vector<uint8_t> bytes;
  const FlutterDesktopMessageResponseHandle* response;
  size_t struct_size;

  std::unique_ptr<flutter::MethodCall<>> Call() const {
    return Codec().DecodeMethodCall(bytes.data(), bytes.size());
  }
};

// The host's side of every channel a test listens on.
struct HostSide {
  std::vector<Received> received;
  // Answers each message; by default a success without value.
  std::function<void(const Received&)> respond = [](const Received& message) {
    const std::vector<uint8_t> envelope = *Codec().EncodeSuccessEnvelope();
    FlutterDesktopMessengerSendResponse(message.messenger, message.response, envelope.data(),
                                        envelope.size());
  };

  static void OnMessage(FlutterDesktopMessengerRef messenger, const FlutterDesktopMessage* message,
                        void* user_data);
};

// A top-level window that behaves like the host's: on WM_CLOSE it asks the user
// interface first and closes once told to; on WM_DESTROY it destroys the view
// controller it was given.
struct TopLevel {
  static FlutterDesktopMessengerRef messenger;
  static FlutterDesktopViewControllerRef controller;
  static HWND window;
  static bool close_confirmed;

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
};

// Embeds the view in a new top-level window, which takes the controller over.
HWND EmbedInTopLevel(FlutterDesktopMessengerRef messenger,
                     FlutterDesktopViewControllerRef* controller);

class StandinEngineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  void UseScript(const std::string& lines);
  FlutterDesktopEngineRef CreateEngine(std::vector<const char*> arguments = {});
  // Engine, messenger, callbacks on the given channels, then the view controller.
  void StartWithChannels(const std::vector<const char*>& channels);

  std::vector<json> Log() const;
  std::vector<json> Events(const std::string& name) const;
  ::testing::AssertionResult WaitForEvent(const std::string& name, size_t count = 1);

  std::wstring log_path_;
  std::wstring script_path_;
  std::unique_ptr<ScopedEnvironment> log_env_;
  std::unique_ptr<ScopedEnvironment> script_env_;
  FlutterDesktopEngineRef engine_ = nullptr;
  FlutterDesktopMessengerRef messenger_ = nullptr;
  FlutterDesktopViewControllerRef controller_ = nullptr;
  HostSide host_;
};

}  // namespace standin_test
