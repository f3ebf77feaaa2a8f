// The host's side for tests of the stand-in engine library: see the header.
#include "tests/standin/engine_test_fixture.h"

#include <share.h>

#include <cstdio>

namespace standin_test {
namespace {

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

}  // namespace

const flutter::StandardMethodCodec& Codec() { return flutter::StandardMethodCodec::GetInstance(); }

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

bool PumpUntil(const std::function<bool()>& done, DWORD timeout_ms) {
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

void HostSide::OnMessage(FlutterDesktopMessengerRef messenger, const FlutterDesktopMessage* message,
                         void* user_data) {
  auto* host = static_cast<HostSide*>(user_data);
  host->received.push_back(
      Received{messenger, message->channel,
               std::vector<uint8_t>(message->message, message->message + message->message_size),
               message->response_handle, message->struct_size});
  if (host->respond) host->respond(host->received.back());
}

LRESULT CALLBACK TopLevel::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
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

FlutterDesktopMessengerRef TopLevel::messenger = nullptr;
FlutterDesktopViewControllerRef TopLevel::controller = nullptr;
HWND TopLevel::window = nullptr;
bool TopLevel::close_confirmed = false;

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

void StandinEngineTest::SetUp() {
  log_path_ = TempFile(L"standin_log");
  log_env_ = std::make_unique<ScopedEnvironment>(L"STANDIN_LOG", log_path_);
  UseScript("");
}

void StandinEngineTest::TearDown() {
  if (controller_ != nullptr) FlutterDesktopViewControllerDestroy(controller_);
  if (IsWindow(TopLevel::window)) DestroyWindow(TopLevel::window);
  script_env_.reset();
  log_env_.reset();
  _wremove(log_path_.c_str());
  _wremove(script_path_.c_str());
}

void StandinEngineTest::UseScript(const std::string& lines) {
  if (script_path_.empty()) script_path_ = TempFile(L"standin_script");
  WriteText(script_path_, lines);
  script_env_.reset();
  script_env_ = std::make_unique<ScopedEnvironment>(L"STANDIN_SCRIPT", script_path_);
}

FlutterDesktopEngineRef StandinEngineTest::CreateEngine(std::vector<const char*> arguments) {
  FlutterDesktopEngineProperties properties = {};
  properties.assets_path = L"data\\flutter_assets";
  properties.icu_data_path = L"data\\icudtl.dat";
  properties.aot_library_path = L"data\\app.so";
  properties.dart_entrypoint = "";
  properties.dart_entrypoint_argc = static_cast<int32_t>(arguments.size());
  properties.dart_entrypoint_argv = arguments.empty() ? nullptr : arguments.data();
  return FlutterDesktopEngineCreate(&properties);
}

void StandinEngineTest::StartWithChannels(const std::vector<const char*>& channels) {
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

std::vector<json> StandinEngineTest::Log() const {
  std::vector<json> events;
  const std::string text = ReadText(log_path_);
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    events.push_back(json::parse(text.substr(start, end - start)));
  }
  return events;
}

std::vector<json> StandinEngineTest::Events(const std::string& name) const {
  std::vector<json> matching;
  for (const json& event : Log()) {
    if (event.value("event", "") == name) matching.push_back(event);
  }
  return matching;
}

::testing::AssertionResult StandinEngineTest::WaitForEvent(const std::string& name, size_t count) {
  if (PumpUntil([&] { return Events(name).size() >= count; })) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "no " << name << " event; the log:\n"
                                       << ReadText(log_path_);
}

}  // namespace standin_test
