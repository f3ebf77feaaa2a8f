#include "runner/plugin_registrant.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace quorvane {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;

// Which registration function was called, with which registrar, in order.
std::vector<std::pair<std::string, FlutterDesktopPluginRegistrarRef>> g_registrations;

void Record(const char* plugin, FlutterDesktopPluginRegistrarRef registrar) {
  g_registrations.emplace_back(plugin, registrar);
}

// Hands out a distinct registrar per name, or null for the names it is told to
// refuse, and remembers the names asked for.
class FakeRegistry : public flutter::PluginRegistry {
 public:
  std::vector<std::string> requested;
  std::vector<std::string> refused;

  FlutterDesktopPluginRegistrarRef GetPluginRegistrar(const std::string& name) override {
    requested.push_back(name);
    for (const std::string& refused_name : refused) {
      if (refused_name == name) return nullptr;
    }
    return RegistrarFor(name);
  }

  FlutterDesktopPluginRegistrarRef RegistrarFor(const std::string& name) {
    return reinterpret_cast<FlutterDesktopPluginRegistrarRef>(&tokens_[name]);
  }

 private:
  std::map<std::string, char> tokens_;
};

class PluginRegistrantTest : public ::testing::Test {
 protected:
  void SetUp() override { g_registrations.clear(); }
};

TEST_F(PluginRegistrantTest, RegistersTheFivePluginsInOrderWithTheirOwnRegistrars) {
  FakeRegistry registry;

  RegisterAllPlugins(registry);

  EXPECT_THAT(registry.requested,
              ElementsAre("DesktopDropPlugin", "FlutterSecureStorageWindowsPlugin",
                          "LocalNotifierPlugin", "TrayManagerPlugin", "WebviewWindowsPlugin"));
  EXPECT_THAT(g_registrations,
              ElementsAre(Pair("desktop_drop", registry.RegistrarFor("DesktopDropPlugin")),
                          Pair("flutter_secure_storage",
                               registry.RegistrarFor("FlutterSecureStorageWindowsPlugin")),
                          Pair("local_notifier", registry.RegistrarFor("LocalNotifierPlugin")),
                          Pair("tray_manager", registry.RegistrarFor("TrayManagerPlugin")),
                          Pair("webview_windows", registry.RegistrarFor("WebviewWindowsPlugin"))));
}

TEST_F(PluginRegistrantTest, ANullRegistrarIsStillHandedToThePlugin) {
  FakeRegistry registry;
  registry.refused = {"LocalNotifierPlugin"};

  RegisterAllPlugins(registry);

  ASSERT_EQ(g_registrations.size(), 5u);
  EXPECT_EQ(g_registrations[2], std::make_pair(std::string("local_notifier"),
                                               FlutterDesktopPluginRegistrarRef{nullptr}));
  EXPECT_EQ(g_registrations[3].second, registry.RegistrarFor("TrayManagerPlugin"));
}

}  // namespace
}  // namespace quorvane

// The plug-in libraries' registration functions, played by the test.
extern "C" {
void DesktopDropPluginRegisterWithRegistrar(FlutterDesktopPluginRegistrarRef registrar) {
  quorvane::Record("desktop_drop", registrar);
}
void FlutterSecureStorageWindowsPluginRegisterWithRegistrar(
    FlutterDesktopPluginRegistrarRef registrar) {
  quorvane::Record("flutter_secure_storage", registrar);
}
void LocalNotifierPluginRegisterWithRegistrar(FlutterDesktopPluginRegistrarRef registrar) {
  quorvane::Record("local_notifier", registrar);
}
void TrayManagerPluginRegisterWithRegistrar(FlutterDesktopPluginRegistrarRef registrar) {
  quorvane::Record("tray_manager", registrar);
}
void WebviewWindowsPluginRegisterWithRegistrar(FlutterDesktopPluginRegistrarRef registrar) {
  quorvane::Record("webview_windows", registrar);
}
}
