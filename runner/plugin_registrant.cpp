#include "runner/plugin_registrant.h"

#include "wrapper/flutter_windows.h"

// The registration functions the plug-in libraries export; the libraries are
// load-time imports of the executable.
extern "C" {
void DesktopDropPluginRegisterWithRegistrar(FlutterDesktopPluginRegistrarRef registrar);
void FlutterSecureStorageWindowsPluginRegisterWithRegistrar(
    FlutterDesktopPluginRegistrarRef registrar);
void LocalNotifierPluginRegisterWithRegistrar(FlutterDesktopPluginRegistrarRef registrar);
void TrayManagerPluginRegisterWithRegistrar(FlutterDesktopPluginRegistrarRef registrar);
void WebviewWindowsPluginRegisterWithRegistrar(FlutterDesktopPluginRegistrarRef registrar);
}

namespace quorvane {
namespace {

struct PluginEntry {
  const char* registrar_name;
  void (*register_with_registrar)(FlutterDesktopPluginRegistrarRef);
};

constexpr PluginEntry kPlugins[] = {
    {"DesktopDropPlugin", DesktopDropPluginRegisterWithRegistrar},
    {"FlutterSecureStorageWindowsPlugin", FlutterSecureStorageWindowsPluginRegisterWithRegistrar},
    {"LocalNotifierPlugin", LocalNotifierPluginRegisterWithRegistrar},
    {"TrayManagerPlugin", TrayManagerPluginRegisterWithRegistrar},
    {"WebviewWindowsPlugin", WebviewWindowsPluginRegisterWithRegistrar},
};

}  // namespace

void RegisterAllPlugins(flutter::PluginRegistry& registry) {
  for (const PluginEntry& plugin : kPlugins) {
    plugin.register_with_registrar(registry.GetPluginRegistrar(plugin.registrar_name));
  }
}

}  // namespace quorvane
