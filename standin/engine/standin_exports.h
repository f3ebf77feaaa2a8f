// The one function the stand-in engine exports beyond the engine interface:
// the stand-in plug-ins report their registration through it.
#pragma once

#include "wrapper/flutter_windows.h"

#if defined(FLUTTER_DESKTOP_LIBRARY)
#define STANDIN_EXPORT __declspec(dllexport)
#else
#define STANDIN_EXPORT __declspec(dllimport)
#endif

extern "C" {

/// Logs {"event":"plugin","name":plugin,"registrar":NAME} where NAME is the name
/// the registrar was handed out for (null for a registrar that is not live).
STANDIN_EXPORT void StandinReportPluginRegistration(FlutterDesktopPluginRegistrarRef registrar,
                                                    const char* plugin);

}  // extern "C"
