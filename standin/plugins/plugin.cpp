// One stand-in plug-in library. The build compiles this file once per plug-in
// with STANDIN_PLUGIN_NAME (its registrar name) and STANDIN_PLUGIN_ENTRY (its
// registration function) defined; all it does is report the registration.
#include "standin/engine/standin_exports.h"

#define STANDIN_STRINGIFY_TEXT(text) #text
#define STANDIN_STRINGIFY(text) STANDIN_STRINGIFY_TEXT(text)

extern "C" __declspec(dllexport) void STANDIN_PLUGIN_ENTRY(
    FlutterDesktopPluginRegistrarRef registrar) {
  StandinReportPluginRegistration(registrar, STANDIN_STRINGIFY(STANDIN_PLUGIN_NAME));
}
