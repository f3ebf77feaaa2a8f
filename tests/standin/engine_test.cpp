// Drives the stand-in flutter_windows.dll through its C functions, playing the
// host's side: the engine's creation and end, plug-in registrars, the view and
// its frames.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/standin/engine_test_fixture.h"

namespace standin_test {
namespace {

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

TEST(StandinDpi, MonitorDpiIsReportedOrDefaultsTo96) {
  EXPECT_EQ(FlutterDesktopGetDpiForMonitor(nullptr), 96u);
  const HMONITOR primary = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  EXPECT_GE(FlutterDesktopGetDpiForMonitor(primary), 96u);
  FlutterDesktopResyncOutputStreams();
}

}  // namespace
}  // namespace standin_test
