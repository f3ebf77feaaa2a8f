// Drives the stand-in flutter_windows.dll through its C functions, playing the
// host's side: engine and view controller, channel callbacks, replies, log.
#include <windows.h>

#include <share.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "codec/standard_method_codec.h"
#include "standin/engine/interactive_layout.h"
#include "wrapper/flutter_windows.h"

namespace {

using flutter::EncodableMap;
using flutter::EncodableValue;
using nlohmann::json;

const flutter::StandardMethodCodec& Codec() { return flutter::StandardMethodCodec::GetInstance(); }

std::wstring TempFile(const wchar_t* stem) {
  static int counter = 0;
  wchar_t directory[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, directory);
  return std::wstring(directory) + stem + L"_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
         std::to_wstring(++counter) + L".jsonl";
}

void WriteText(const std::wstring& path, const std::string& text) {
  std::FILE* file = _wfsopen(path.c_str(), L"wb", _SH_DENYNO);
  ASSERT_NE(file, nullptr);
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
}

std::string ReadText(const std::wstring& path) {
  std::string text;
  std::FILE* file = _wfsopen(path.c_str(), L"rb", _SH_DENYNO);
  if (file == nullptr) return text;
  char buffer[4096];
  for (size_t read; (read = std::fread(buffer, 1, sizeof(buffer), file)) > 0;) {
    text.append(buffer, read);
  }
  std::fclose(file);
  return text;
}

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
bool PumpUntil(const std::function<bool()>& done, DWORD timeout_ms = 5000) {
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (done()) return true;
    if (GetTickCount64() >= deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

void PumpFor(DWORD milliseconds) {
  PumpUntil([] { return false; }, milliseconds);
}

std::vector<uint8_t> SuccessEnvelope(const EncodableValue& value) {
  return *Codec().EncodeSuccessEnvelope(&value);
}

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
                        void* user_data) {
    auto* host = static_cast<HostSide*>(user_data);
    host->received.push_back(
        Received{messenger, message->channel,
                 std::vector<uint8_t>(message->message, message->message + message->message_size),
                 message->response_handle, message->struct_size});
    if (host->respond) host->respond(host->received.back());
  }
};

// A top-level window that behaves like the host's: on WM_CLOSE it asks the user
// interface first and closes once told to; on WM_DESTROY it destroys the view
// controller it was given.
struct TopLevel {
  static FlutterDesktopMessengerRef messenger;
  static FlutterDesktopViewControllerRef controller;
  static HWND window;
  static bool close_confirmed;

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_CLOSE && !close_confirmed) {
      const std::vector<uint8_t> bytes = *Codec().EncodeMethodCall(
          flutter::MethodCall<>("closeRequested", std::make_unique<EncodableValue>()));
      FlutterDesktopMessengerSend(messenger, "quorvane/window", bytes.data(), bytes.size());
      return 0;
    }
    if (message == WM_DESTROY && controller != nullptr) {
      FlutterDesktopViewControllerDestroy(controller);
      controller = nullptr;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }
};
FlutterDesktopMessengerRef TopLevel::messenger = nullptr;
FlutterDesktopViewControllerRef TopLevel::controller = nullptr;
HWND TopLevel::window = nullptr;
bool TopLevel::close_confirmed = false;

// Embeds the view in a new top-level window, which takes the controller over.
HWND EmbedInTopLevel(FlutterDesktopMessengerRef messenger,
                     FlutterDesktopViewControllerRef* controller) {
  WNDCLASSW window_class = {};
  window_class.lpfnWndProc = &TopLevel::WindowProc;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"STANDIN_TEST_TOP_LEVEL";
  RegisterClassW(&window_class);
  TopLevel::window = CreateWindowExW(0, L"STANDIN_TEST_TOP_LEVEL", L"test", WS_POPUP, 0, 0, 700,
                                     560, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  TopLevel::messenger = messenger;
  TopLevel::close_confirmed = false;
  TopLevel::controller = *controller;
  SetParent(FlutterDesktopViewGetHWND(FlutterDesktopViewControllerGetView(*controller)),
            TopLevel::window);
  *controller = nullptr;
  return TopLevel::window;
}

class StandinEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    log_path_ = TempFile(L"standin_log");
    log_env_ = std::make_unique<ScopedEnvironment>(L"STANDIN_LOG", log_path_);
    UseScript("");
  }

  void TearDown() override {
    if (controller_ != nullptr) FlutterDesktopViewControllerDestroy(controller_);
    if (IsWindow(TopLevel::window)) DestroyWindow(TopLevel::window);
    script_env_.reset();
    log_env_.reset();
    _wremove(log_path_.c_str());
    _wremove(script_path_.c_str());
  }

  void UseScript(const std::string& lines) {
    if (script_path_.empty()) script_path_ = TempFile(L"standin_script");
    WriteText(script_path_, lines);
    script_env_.reset();
    script_env_ = std::make_unique<ScopedEnvironment>(L"STANDIN_SCRIPT", script_path_);
  }

  FlutterDesktopEngineRef CreateEngine(std::vector<const char*> arguments = {}) {
    FlutterDesktopEngineProperties properties = {};
    properties.assets_path = L"data\\flutter_assets";
    properties.icu_data_path = L"data\\icudtl.dat";
    properties.aot_library_path = L"data\\app.so";
    properties.dart_entrypoint = "";
    properties.dart_entrypoint_argc = static_cast<int32_t>(arguments.size());
    properties.dart_entrypoint_argv = arguments.empty() ? nullptr : arguments.data();
    return FlutterDesktopEngineCreate(&properties);
  }

  // Engine, messenger, callbacks on the given channels, then the view controller.
  void StartWithChannels(const std::vector<const char*>& channels) {
    engine_ = CreateEngine();
    ASSERT_NE(engine_, nullptr);
    messenger_ = FlutterDesktopEngineGetMessenger(engine_);
    ASSERT_NE(messenger_, nullptr);
    for (const char* channel : channels) {
      FlutterDesktopMessengerSetCallback(messenger_, channel, &HostSide::OnMessage, &host_);
    }
    controller_ = FlutterDesktopViewControllerCreate(640, 480, engine_);
    ASSERT_NE(controller_, nullptr);
  }

  std::vector<json> Log() const {
    std::vector<json> events;
    const std::string text = ReadText(log_path_);
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
      events.push_back(json::parse(text.substr(start, end - start)));
    }
    return events;
  }

  std::vector<json> Events(const std::string& name) const {
    std::vector<json> matching;
    for (const json& event : Log()) {
      if (event.value("event", "") == name) matching.push_back(event);
    }
    return matching;
  }

  ::testing::AssertionResult WaitForEvent(const std::string& name, size_t count = 1) {
    if (PumpUntil([&] { return Events(name).size() >= count; })) {
      return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "no " << name << " event; the log:\n"
                                         << ReadText(log_path_);
  }

  std::wstring log_path_;
  std::wstring script_path_;
  std::unique_ptr<ScopedEnvironment> log_env_;
  std::unique_ptr<ScopedEnvironment> script_env_;
  FlutterDesktopEngineRef engine_ = nullptr;
  FlutterDesktopMessengerRef messenger_ = nullptr;
  FlutterDesktopViewControllerRef controller_ = nullptr;
  HostSide host_;
};

TEST_F(StandinEngineTest, CreationLogsBundlePathsAndArgumentsExactly) {
  const char* arguments[] = {"--verbose", "caf\xC3\xA9 \"quoted\"", ""};
  FlutterDesktopEngineRef engine = CreateEngine({arguments[0], arguments[1], arguments[2]});
  ASSERT_NE(engine, nullptr);
  EXPECT_TRUE(FlutterDesktopEngineDestroy(engine));
  const std::vector<json> log = Log();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0], json::parse(R"({"event": "engine", "assets": "data\\flutter_assets",
      "icu": "data\\icudtl.dat", "aot": "data\\app.so", "entrypoint": "",
      "args": ["--verbose", "caf\u00e9 \"quoted\"", ""], "options": [0, 0, 0],
      "app_user_model_id": null})"));
  EXPECT_EQ(log[1], json::parse(R"({"event": "shutdown"})"));

  ASSERT_NE(CreateEngine(), nullptr);
  EXPECT_EQ(Log()[0]["args"], json::array());
}

TEST_F(StandinEngineTest, ScriptedCallReachesTheCallbackAndItsReplyIsLogged) {
  UseScript(
      R"({"call": "test/echo", "method": "ping", "args": {"n": 1, "big": 4294967296, "x": 1.5, "b": {"$bytes": "00 ff"}}})"
      "\n");
  host_.respond = [](const Received& message) {
    const std::vector<uint8_t> envelope = SuccessEnvelope(
        EncodableValue(EncodableMap{{EncodableValue("ok"), EncodableValue(true)},
                                    {EncodableValue("v"), EncodableValue(int64_t{5})}}));
    FlutterDesktopMessengerSendResponse(message.messenger, message.response, envelope.data(),
                                        envelope.size());
  };
  StartWithChannels({"test/echo"});
  ASSERT_TRUE(WaitForEvent("script_done"));

  ASSERT_EQ(host_.received.size(), 1u);
  const Received& message = host_.received[0];
  EXPECT_EQ(message.channel, "test/echo");
  EXPECT_EQ(message.struct_size, sizeof(FlutterDesktopMessage));
  EXPECT_NE(message.response, nullptr);
  const auto call = message.Call();
  ASSERT_NE(call, nullptr);
  EXPECT_EQ(call->MethodName(), "ping");
  const auto& args = call->Arguments()->Get<EncodableMap>();
  EXPECT_EQ(args.at(EncodableValue("n")).index(), 2u);
  EXPECT_EQ(args.at(EncodableValue("big")), EncodableValue(int64_t{4294967296}));
  EXPECT_EQ(args.at(EncodableValue("x")), EncodableValue(1.5));
  EXPECT_EQ(args.at(EncodableValue("b")), EncodableValue(std::vector<uint8_t>{0x00, 0xFF}));

  const std::vector<json> replies = Events("reply");
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0], json::parse(R"({"event": "reply", "channel": "test/echo",
      "method": "ping", "success": {"ok": true, "v": {"$int64": 5}}})"));
  // The script starts once the first frame is out.
  std::vector<std::string> order;
  for (const json& event : Log()) order.push_back(event["event"]);
  EXPECT_EQ(order, (std::vector<std::string>{"engine", "view", "frame", "reply", "script_done"}));
}

TEST_F(StandinEngineTest, RepliesOfEveryKindAreLogged) {
  UseScript(
      "{\"call\": \"test/kinds\", \"method\": \"error\"}\n"
      "{\"call\": \"test/kinds\", \"method\": \"none\"}\n"
      "{\"call\": \"test/kinds\", \"method\": \"garbage\"}\n");
  host_.respond = [](const Received& message) {
    const std::string method = message.Call()->MethodName();
    std::vector<uint8_t> reply;
    if (method == "error") {
      const EncodableValue details(7);
      reply = *Codec().EncodeErrorEnvelope("write_failed", "Unable to write.", &details);
    } else if (method == "garbage") {
      reply = {0x05};
    }
    FlutterDesktopMessengerSendResponse(message.messenger, message.response,
                                        reply.empty() ? nullptr : reply.data(), reply.size());
  };
  StartWithChannels({"test/kinds"});
  ASSERT_TRUE(WaitForEvent("script_done"));
  const std::vector<json> replies = Events("reply");
  ASSERT_EQ(replies.size(), 3u);
  EXPECT_EQ(replies[0]["error"], json::parse(R"({"code": "write_failed",
      "message": "Unable to write.", "details": 7})"));
  EXPECT_EQ(replies[1]["not_implemented"], true);
  EXPECT_EQ(replies[2]["undecodable"], "05");
}

TEST_F(StandinEngineTest, RawBytesReachTheHostUnchanged) {
  UseScript(
      "{\"raw\": \"test/raw\", \"hex\": \"07 03 66 6f\"}\n{\"raw\": \"test/raw\", \"hex\": "
      "\"\"}\n");
  host_.respond = [](const Received& message) {
    FlutterDesktopMessengerSendResponse(message.messenger, message.response, nullptr, 0);
  };
  StartWithChannels({"test/raw"});
  ASSERT_TRUE(WaitForEvent("script_done"));
  ASSERT_EQ(host_.received.size(), 2u);
  EXPECT_EQ(host_.received[0].bytes, (std::vector<uint8_t>{0x07, 0x03, 0x66, 0x6F}));
  EXPECT_TRUE(host_.received[1].bytes.empty());
  const std::vector<json> replies = Events("reply");
  ASSERT_EQ(replies.size(), 2u);
  EXPECT_EQ(replies[0], json::parse(R"({"event": "reply", "channel": "test/raw", "method": null,
      "not_implemented": true})"));
}

TEST_F(StandinEngineTest, ASecondResponseOnTheSameHandleIsRefused) {
  UseScript("{\"call\": \"test/twice\", \"method\": \"m\"}\n");
  host_.respond = [](const Received& message) {
    const std::vector<uint8_t> first = SuccessEnvelope(EncodableValue(1));
    const std::vector<uint8_t> second = SuccessEnvelope(EncodableValue(2));
    FlutterDesktopMessengerSendResponse(message.messenger, message.response, first.data(),
                                        first.size());
    FlutterDesktopMessengerSendResponse(message.messenger, message.response, second.data(),
                                        second.size());
  };
  StartWithChannels({"test/twice"});
  ASSERT_TRUE(WaitForEvent("script_done"));
  PumpFor(50);
  const std::vector<json> replies = Events("reply");
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0]["success"], 1);
  const std::vector<json> refused = Events("duplicate_response");
  ASSERT_EQ(refused.size(), 1u);
  EXPECT_EQ(refused[0]["channel"], "test/twice");
}

TEST_F(StandinEngineTest, AReplyAfterTheEngineIsGoneIsDroppedSafely) {
  UseScript("{\"call\": \"test/late\", \"method\": \"m\"}\n");
  host_.respond = [](const Received& message) { FlutterDesktopMessengerAddRef(message.messenger); };
  StartWithChannels({"test/late"});
  ASSERT_TRUE(PumpUntil([&] { return host_.received.size() == 1; }));
  const Received kept = host_.received[0];

  FlutterDesktopViewControllerDestroy(controller_);
  controller_ = nullptr;
  EXPECT_FALSE(FlutterDesktopMessengerIsAvailable(kept.messenger));
  const FlutterDesktopMessengerRef locked = FlutterDesktopMessengerLock(kept.messenger);
  EXPECT_EQ(locked, kept.messenger);
  const std::vector<uint8_t> envelope = SuccessEnvelope(EncodableValue(1));
  FlutterDesktopMessengerSendResponse(kept.messenger, kept.response, envelope.data(),
                                      envelope.size());
  FlutterDesktopMessengerUnlock(locked);
  FlutterDesktopMessengerRelease(kept.messenger);
  PumpFor(50);

  EXPECT_TRUE(Events("reply").empty());
  EXPECT_EQ(Events("shutdown").size(), 1u);
  EXPECT_EQ(Events("late_response").size(), 1u);
  // The last reference is gone: the handle is reported, not used.
  EXPECT_FALSE(FlutterDesktopMessengerIsAvailable(kept.messenger));
  EXPECT_EQ(Events("invalid_handle").size(), 1u);
}

TEST_F(StandinEngineTest, TheNextFrameCallbackFiresOnceFromTheLoop) {
  StartWithChannels({});
  int frames = 0;
  const auto count = [](void* user_data) { ++*static_cast<int*>(user_data); };
  FlutterDesktopEngineSetNextFrameCallback(engine_, count, &frames);
  FlutterDesktopViewControllerForceRedraw(controller_);
  EXPECT_EQ(frames, 0);
  ASSERT_TRUE(PumpUntil([&] { return frames == 1; }));
  FlutterDesktopViewControllerForceRedraw(controller_);
  FlutterDesktopViewControllerForceRedraw(controller_);
  PumpFor(100);
  EXPECT_EQ(frames, 1);
  EXPECT_EQ(Events("frame").size(), 1u);

  FlutterDesktopEngineSetNextFrameCallback(engine_, count, &frames);
  FlutterDesktopViewControllerForceRedraw(controller_);
  ASSERT_TRUE(PumpUntil([&] { return frames == 2; }));
  PumpFor(50);
  EXPECT_EQ(frames, 2);
}

TEST_F(StandinEngineTest, ViewIsAChildWindowTheHostCanAdopt) {
  StartWithChannels({});
  const FlutterDesktopViewRef view = FlutterDesktopViewControllerGetView(controller_);
  ASSERT_NE(view, nullptr);
  const HWND child = FlutterDesktopViewGetHWND(view);
  ASSERT_TRUE(IsWindow(child));
  EXPECT_TRUE(GetWindowLongPtrW(child, GWL_STYLE) & WS_CHILD);
  RECT client = {};
  GetClientRect(child, &client);
  EXPECT_EQ(client.right, 640);
  EXPECT_EQ(client.bottom, 480);
  LRESULT result = 12345;
  EXPECT_FALSE(FlutterDesktopViewControllerHandleTopLevelWindowProc(controller_, child, WM_SIZE, 0,
                                                                    0, &result));
  EXPECT_EQ(result, 12345);

  FlutterDesktopViewControllerDestroy(controller_);
  controller_ = nullptr;
  EXPECT_FALSE(IsWindow(child));
  EXPECT_EQ(Events("shutdown").size(), 1u);
}

TEST_F(StandinEngineTest, PluginRegistrationsAreLoggedInOrder) {
  const std::pair<const wchar_t*, const char*> plugins[] = {
      {L"desktop_drop_plugin.dll", "DesktopDropPlugin"},
      {L"flutter_secure_storage_windows_plugin.dll", "FlutterSecureStorageWindowsPlugin"},
      {L"local_notifier_plugin.dll", "LocalNotifierPlugin"},
      {L"tray_manager_plugin.dll", "TrayManagerPlugin"},
      {L"webview_windows_plugin.dll", "WebviewWindowsPlugin"},
  };
  StartWithChannels({});
  for (const auto& [library_name, plugin] : plugins) {
    const HMODULE library = LoadLibraryW(library_name);
    ASSERT_NE(library, nullptr);
    using Register = void (*)(FlutterDesktopPluginRegistrarRef);
    const auto entry = reinterpret_cast<Register>(reinterpret_cast<void*>(
        GetProcAddress(library, (std::string(plugin) + "RegisterWithRegistrar").c_str())));
    ASSERT_NE(entry, nullptr);
    const FlutterDesktopPluginRegistrarRef registrar =
        FlutterDesktopEngineGetPluginRegistrar(engine_, plugin);
    ASSERT_NE(registrar, nullptr);
    EXPECT_EQ(FlutterDesktopEngineGetPluginRegistrar(engine_, plugin), registrar);
    entry(registrar);
    FreeLibrary(library);
  }
  const std::vector<json> registered = Events("plugin");
  ASSERT_EQ(registered.size(), 5u);
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(registered[i]["name"], plugins[i].second);
    EXPECT_EQ(registered[i]["registrar"], plugins[i].second);
  }
}

TEST_F(StandinEngineTest, AMalformedScriptLineIsReportedAndSkipped) {
  UseScript(
      "{\"call\": \"test/ok\", \"method\": \"first\"}\n"
      "{\"call\": \"test/ok\", \"method\": \n"
      "{\"call\": \"test/ok\"}\n"
      "\n"
      "{\"wait_ms\": -1}\n"
      "{\"call\": \"test/ok\", \"method\": \"last\"}\n");
  StartWithChannels({"test/ok"});
  ASSERT_TRUE(WaitForEvent("script_done"));
  const std::vector<json> errors = Events("script_error");
  ASSERT_EQ(errors.size(), 3u);
  EXPECT_EQ(errors[0]["line"], 2);
  EXPECT_EQ(errors[1]["line"], 3);
  EXPECT_EQ(errors[2]["line"], 5);
  EXPECT_TRUE(errors[0]["message"].is_string());
  ASSERT_EQ(host_.received.size(), 2u);
  EXPECT_EQ(host_.received[1].Call()->MethodName(), "last");
}

TEST_F(StandinEngineTest, TokenValuesNeverReachTheLog) {
  UseScript(
      R"({"call": "quorvane/credential", "method": "writeCodexToken", "args": {"token": "s3cret-one"}})"
      "\n"
      R"({"call": "test/x", "method": "m", "args": [{"token": "s3cret-two"}]})"
      "\n"
      R"({"call": "test/x", "method": "m", "args": {"token": "s3cret-three")"
      "\n");
  host_.respond = [](const Received& message) {
    const EncodableValue details(
        EncodableMap{{EncodableValue("token"), EncodableValue("s3cret-four")}});
    const std::vector<uint8_t> reply = *Codec().EncodeErrorEnvelope("failed", "", &details);
    FlutterDesktopMessengerSendResponse(message.messenger, message.response, reply.data(),
                                        reply.size());
  };
  StartWithChannels({"quorvane/credential", "test/x"});
  ASSERT_TRUE(WaitForEvent("script_done"));
  const flutter::MethodCall<> call(
      "hostCall", std::make_unique<EncodableValue>(
                      EncodableMap{{EncodableValue("token"), EncodableValue("s3cret-five")}}));
  const std::vector<uint8_t> bytes = *Codec().EncodeMethodCall(call);
  EXPECT_TRUE(FlutterDesktopMessengerSend(messenger_, "test/x", bytes.data(), bytes.size()));

  ASSERT_EQ(host_.received.size(), 2u);
  const auto delivered = host_.received[0].Call();
  EXPECT_EQ(delivered->Arguments()->Get<EncodableMap>().at(EncodableValue("token")),
            EncodableValue("s3cret-one"));
  const std::string text = ReadText(log_path_);
  EXPECT_EQ(text.find("s3cret"), std::string::npos);
  const std::vector<json> calls = Events("call");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0]["args"]["token"], "<redacted>");
  EXPECT_EQ(Events("reply")[0]["error"]["details"]["token"], "<redacted>");
}

TEST_F(StandinEngineTest, UnansweredCallsTimeOutAndUnheardChannelsAnswerEmpty) {
  UseScript(
      "{\"call\": \"test/silent\", \"method\": \"m\", \"timeout_ms\": 50}\n"
      "{\"wait_ms\": 100}\n"
      "{\"call\": \"nobody/listens\", \"method\": \"m\"}\n");
  host_.respond = nullptr;
  StartWithChannels({"test/silent"});
  ASSERT_TRUE(WaitForEvent("script_done"));
  std::vector<std::string> order;
  for (const json& event : Log()) order.push_back(event["event"]);
  EXPECT_EQ(order, (std::vector<std::string>{"engine", "view", "frame", "timeout", "no_handler",
                                             "reply", "script_done"}));
  EXPECT_EQ(Events("reply")[0]["not_implemented"], true);
}

TEST_F(StandinEngineTest, HostSendsWithReplyAreAnsweredOnceFromTheLoop) {
  StartWithChannels({});
  struct Answers {
    int count = 0;
    std::vector<uint8_t> last;
  } answers;
  const auto on_reply = [](const uint8_t* data, size_t size, void* user_data) {
    auto* seen = static_cast<Answers*>(user_data);
    ++seen->count;
    seen->last.assign(data, data + size);
  };
  const std::vector<uint8_t> close_requested = *Codec().EncodeMethodCall(
      flutter::MethodCall<>("closeRequested", std::make_unique<EncodableValue>()));
  ASSERT_TRUE(FlutterDesktopMessengerSendWithReply(messenger_, "quorvane/window",
                                                   close_requested.data(), close_requested.size(),
                                                   on_reply, &answers));
  EXPECT_EQ(answers.count, 0);
  ASSERT_TRUE(PumpUntil([&] { return answers.count == 1; }));
  EXPECT_EQ(answers.last, (std::vector<uint8_t>{0x00, 0x00}));
  EXPECT_EQ(Events("call")[0], json::parse(R"({"event": "call", "channel": "quorvane/window",
      "method": "closeRequested", "args": null})"));

  // One still open when the engine goes gets its one (empty) answer then.
  const std::vector<uint8_t> other = *Codec().EncodeMethodCall(
      flutter::MethodCall<>("unknown", std::make_unique<EncodableValue>()));
  ASSERT_TRUE(FlutterDesktopMessengerSendWithReply(messenger_, "quorvane/window", other.data(),
                                                   other.size(), on_reply, &answers));
  FlutterDesktopViewControllerDestroy(controller_);
  controller_ = nullptr;
  EXPECT_EQ(answers.count, 2);
  EXPECT_TRUE(answers.last.empty());
  PumpFor(50);
  EXPECT_EQ(answers.count, 2);
}

TEST_F(StandinEngineTest, PostedCloseIsAnsweredWithCloseWhenAsked) {
  UseScript(
      "{\"post\": \"close\"}\n{\"reply_to_close\": true}\n{\"wait_ms\": 50}\n{\"post\": "
      "\"close\"}\n");
  host_.respond = [](const Received& message) {
    const auto call = message.Call();
    if (call->MethodName() == "close") {
      TopLevel::close_confirmed = true;
      PostMessageW(TopLevel::window, WM_CLOSE, 0, 0);
    }
    const std::vector<uint8_t> envelope = *Codec().EncodeSuccessEnvelope();
    FlutterDesktopMessengerSendResponse(message.messenger, message.response, envelope.data(),
                                        envelope.size());
  };
  StartWithChannels({"quorvane/window"});
  const HWND top = EmbedInTopLevel(messenger_, &controller_);
  ASSERT_NE(top, nullptr);

  ASSERT_TRUE(WaitForEvent("script_done"));
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(top); }));
  // Two closeRequested calls; only the second, after reply_to_close, is answered.
  EXPECT_EQ(Events("call").size(), 2u) << ReadText(log_path_);
  ASSERT_EQ(host_.received.size(), 1u);
  EXPECT_EQ(host_.received[0].Call()->MethodName(), "close");
  // The reply to "close" is logged although the window and engine go right after it.
  std::vector<std::string> order;
  for (const json& event : Log()) order.push_back(event["event"]);
  EXPECT_EQ(order, (std::vector<std::string>{"engine", "view", "frame", "call", "call",
                                             "script_done", "reply", "shutdown"}));
  EXPECT_EQ(Events("reply")[0], json::parse(R"({"event": "reply", "channel": "quorvane/window",
      "method": "close", "success": null})"));
}

TEST_F(StandinEngineTest, InteractiveControlsDriveTheHostChannels) {
  script_env_.reset();
  host_.respond = [](const Received& message) {
    const auto call = message.Call();
    const std::string& method = call->MethodName();
    if (method == "close") {
      TopLevel::close_confirmed = true;
      PostMessageW(TopLevel::window, WM_CLOSE, 0, 0);
    }
    const std::vector<uint8_t> reply = method.rfind("is", 0) == 0
                                           ? SuccessEnvelope(EncodableValue(true))
                                           : *Codec().EncodeSuccessEnvelope();
    FlutterDesktopMessengerSendResponse(message.messenger, message.response, reply.data(),
                                        reply.size());
  };
  StartWithChannels({"quorvane/window", "quorvane/credential", "quorvane/settings"});
  const HWND view = FlutterDesktopViewGetHWND(FlutterDesktopViewControllerGetView(controller_));
  const HWND top = EmbedInTopLevel(messenger_, &controller_);
  // The three switches are read once the first frame is out.
  ASSERT_TRUE(WaitForEvent("reply", 3));
  std::vector<std::string> methods;
  for (const Received& message : host_.received) methods.push_back(message.Call()->MethodName());
  EXPECT_EQ(methods, (std::vector<std::string>{"isLaunchAtLoginEnabled", "isCloseToTrayEnabled",
                                               "isSystemNotificationsEnabled"}));

  const UINT dpi = GetDpiForWindow(view);
  const standin::InteractiveLayout layout =
      standin::InteractiveLayout::Compute(640, 480, dpi != 0 ? dpi : 96);
  const auto click = [&](const standin::Box& box) {
    const size_t before = host_.received.size();
    SendMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON,
                 MAKELPARAM(box.left + box.Width() / 2, box.top + box.Height() / 2));
    SendMessageW(view, WM_LBUTTONUP, 0,
                 MAKELPARAM(box.left + box.Width() / 2, box.top + box.Height() / 2));
    EXPECT_TRUE(PumpUntil([&] { return host_.received.size() > before; }));
    return host_.received[before].Call();
  };

  const auto toggled = click(layout.switches[0]);
  EXPECT_EQ(toggled->MethodName(), "setLaunchAtLogin");
  EXPECT_EQ(*toggled->Arguments(),
            EncodableValue(EncodableMap{{EncodableValue("enabled"), EncodableValue(false)}}));
  ASSERT_TRUE(PumpUntil(
      [&] { return host_.received.back().Call()->MethodName() == "isLaunchAtLoginEnabled"; }));

  const HWND field = FindWindowExW(view, nullptr, L"EDIT", nullptr);
  ASSERT_NE(field, nullptr);
  SetWindowTextW(field, L"typed-s3cret");
  const auto saved = click(layout.save_token);
  EXPECT_EQ(saved->MethodName(), "writeCodexToken");
  EXPECT_EQ(saved->Arguments()->Get<EncodableMap>().at(EncodableValue("token")),
            EncodableValue("typed-s3cret"));
  ASSERT_TRUE(PumpUntil([&] { return GetWindowTextLengthW(field) == 0; }));
  EXPECT_EQ(click(layout.clear_token)->MethodName(), "deleteCodexToken");
  EXPECT_EQ(click(layout.title_bar)->MethodName(), "beginDrag");
  EXPECT_EQ(click(layout.minimize)->MethodName(), "minimize");
  EXPECT_EQ(click(layout.maximize)->MethodName(), "toggleMaximize");

  // Close asks the host; its closeRequested is answered with "close".
  EXPECT_EQ(click(layout.close)->MethodName(), "close");
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(top); }));
  EXPECT_EQ(ReadText(log_path_).find("s3cret"), std::string::npos);
}

TEST_F(StandinEngineTest, PostingCloseWithoutATopLevelWindowIsAScriptError) {
  UseScript("{\"post\": \"close\"}\n");
  StartWithChannels({});
  ASSERT_TRUE(WaitForEvent("script_done"));
  const std::vector<json> errors = Events("script_error");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0]["line"], 1);
  // The view and its engine are still there.
  EXPECT_TRUE(FlutterDesktopMessengerIsAvailable(messenger_));
}

TEST_F(StandinEngineTest, FailureSwitchesMakeCreationFail) {
  {
    const ScopedEnvironment fail(L"STANDIN_FAIL", L"engine");
    EXPECT_EQ(CreateEngine(), nullptr);
    EXPECT_EQ(Log()[0]["failed"], true);
  }
  {
    const ScopedEnvironment fail(L"STANDIN_FAIL", L"view_controller");
    const FlutterDesktopEngineRef engine = CreateEngine();
    ASSERT_NE(engine, nullptr);
    EXPECT_EQ(FlutterDesktopViewControllerCreate(100, 100, engine), nullptr);
    // The controller took the engine over and destroyed it.
    EXPECT_EQ(Events("shutdown").size(), 1u);
    EXPECT_FALSE(FlutterDesktopEngineDestroy(engine));
  }
}

TEST(StandinDpi, MonitorDpiIsReportedOrDefaultsTo96) {
  EXPECT_EQ(FlutterDesktopGetDpiForMonitor(nullptr), 96u);
  const HMONITOR primary = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  EXPECT_GE(FlutterDesktopGetDpiForMonitor(primary), 96u);
  FlutterDesktopResyncOutputStreams();
}

}  // namespace
