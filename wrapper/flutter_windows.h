// The C interface of the engine library flutter_windows.dll: the 23 functions
// the host calls and the records it exchanges with them. The host imports these
// by name, so any library exporting them can take the engine's place.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "wrapper/platform_types.h"

#if defined(_WIN32) && defined(FLUTTER_DESKTOP_LIBRARY)
#define FLUTTER_EXPORT __declspec(dllexport)
#else
#define FLUTTER_EXPORT
#endif

extern "C" {

typedef struct FlutterDesktopEngine* FlutterDesktopEngineRef;
typedef struct FlutterDesktopViewController* FlutterDesktopViewControllerRef;
typedef struct FlutterDesktopView* FlutterDesktopViewRef;
typedef struct FlutterDesktopMessenger* FlutterDesktopMessengerRef;
typedef struct FlutterDesktopPluginRegistrar* FlutterDesktopPluginRegistrarRef;
typedef struct FlutterDesktopMessageResponseHandle FlutterDesktopMessageResponseHandle;

/// What the engine is started with. Zero-filled, then set; the strings stay
/// owned by the caller.
typedef struct {
  const wchar_t* assets_path;       // UTF-16, NUL-terminated
  const wchar_t* icu_data_path;     // UTF-16, NUL-terminated
  const wchar_t* aot_library_path;  // UTF-16, NUL-terminated
  const char* dart_entrypoint;      // UTF-8; empty for the default entry point
  int32_t dart_entrypoint_argc;
  int32_t reserved0;
  const char** dart_entrypoint_argv;  // null when the count is 0
  int32_t option_values[3];
  int32_t reserved1;
} FlutterDesktopEngineProperties;

/// One incoming message. Only the last three fields are read by the host.
typedef struct {
  size_t struct_size;
  const char* channel;
  const uint8_t* message;
  size_t message_size;
  const FlutterDesktopMessageResponseHandle* response_handle;
} FlutterDesktopMessage;

typedef void (*FlutterDesktopMessageCallback)(FlutterDesktopMessengerRef messenger,
                                              const FlutterDesktopMessage* message,
                                              void* user_data);
typedef void (*FlutterDesktopBinaryReply)(const uint8_t* data, size_t data_size, void* user_data);
typedef void (*FlutterDesktopOnNextFrameCallback)(void* user_data);

FLUTTER_EXPORT FlutterDesktopEngineRef
FlutterDesktopEngineCreate(const FlutterDesktopEngineProperties* engine_properties);
FLUTTER_EXPORT bool FlutterDesktopEngineDestroy(FlutterDesktopEngineRef engine);
FLUTTER_EXPORT FlutterDesktopMessengerRef
FlutterDesktopEngineGetMessenger(FlutterDesktopEngineRef engine);
FLUTTER_EXPORT FlutterDesktopPluginRegistrarRef
FlutterDesktopEngineGetPluginRegistrar(FlutterDesktopEngineRef engine, const char* plugin_name);
FLUTTER_EXPORT void FlutterDesktopEngineReloadSystemFonts(FlutterDesktopEngineRef engine);
FLUTTER_EXPORT void FlutterDesktopEngineSetNextFrameCallback(
    FlutterDesktopEngineRef engine, FlutterDesktopOnNextFrameCallback callback, void* user_data);

/// Takes over the engine, whatever the outcome; null on failure.
FLUTTER_EXPORT FlutterDesktopViewControllerRef
FlutterDesktopViewControllerCreate(int width, int height, FlutterDesktopEngineRef engine);
FLUTTER_EXPORT void FlutterDesktopViewControllerDestroy(FlutterDesktopViewControllerRef controller);
FLUTTER_EXPORT FlutterDesktopViewRef
FlutterDesktopViewControllerGetView(FlutterDesktopViewControllerRef controller);
FLUTTER_EXPORT void FlutterDesktopViewControllerForceRedraw(
    FlutterDesktopViewControllerRef controller);
/// True when the engine consumed the message; *result is then set.
FLUTTER_EXPORT bool FlutterDesktopViewControllerHandleTopLevelWindowProc(
    FlutterDesktopViewControllerRef controller, HWND hwnd, UINT message, WPARAM wparam,
    LPARAM lparam, LRESULT* result);
FLUTTER_EXPORT HWND FlutterDesktopViewGetHWND(FlutterDesktopViewRef view);

FLUTTER_EXPORT bool FlutterDesktopMessengerSend(FlutterDesktopMessengerRef messenger,
                                                const char* channel, const uint8_t* message,
                                                size_t message_size);
/// False: reply is never called. True: it is called exactly once.
FLUTTER_EXPORT bool FlutterDesktopMessengerSendWithReply(
    FlutterDesktopMessengerRef messenger, const char* channel, const uint8_t* message,
    size_t message_size, FlutterDesktopBinaryReply reply, void* user_data);
/// A null callback removes the channel's callback.
FLUTTER_EXPORT void FlutterDesktopMessengerSetCallback(FlutterDesktopMessengerRef messenger,
                                                       const char* channel,
                                                       FlutterDesktopMessageCallback callback,
                                                       void* user_data);
/// data may be null with data_length 0: an empty response.
FLUTTER_EXPORT void FlutterDesktopMessengerSendResponse(
    FlutterDesktopMessengerRef messenger, const FlutterDesktopMessageResponseHandle* handle,
    const uint8_t* data, size_t data_length);
FLUTTER_EXPORT FlutterDesktopMessengerRef
FlutterDesktopMessengerAddRef(FlutterDesktopMessengerRef messenger);
FLUTTER_EXPORT void FlutterDesktopMessengerRelease(FlutterDesktopMessengerRef messenger);
/// Returns what Unlock is later given; null means there is nothing to unlock.
FLUTTER_EXPORT FlutterDesktopMessengerRef
FlutterDesktopMessengerLock(FlutterDesktopMessengerRef messenger);
FLUTTER_EXPORT void FlutterDesktopMessengerUnlock(FlutterDesktopMessengerRef messenger);
/// False once the engine is gone.
FLUTTER_EXPORT bool FlutterDesktopMessengerIsAvailable(FlutterDesktopMessengerRef messenger);

/// 96 is scale 1.0.
FLUTTER_EXPORT UINT FlutterDesktopGetDpiForMonitor(HMONITOR monitor);
/// Called after a console is attached, so the engine's output follows it.
FLUTTER_EXPORT void FlutterDesktopResyncOutputStreams();

}  // extern "C"

#ifdef __cplusplus
// The record layouts the engine reads and writes, pinned for the 64-bit build.
static_assert(sizeof(void*) != 8 || sizeof(FlutterDesktopEngineProperties) == 64,
              "engine properties record is 64 bytes");
static_assert(sizeof(void*) != 8 || offsetof(FlutterDesktopEngineProperties, icu_data_path) == 8);
static_assert(sizeof(void*) != 8 ||
              offsetof(FlutterDesktopEngineProperties, aot_library_path) == 16);
static_assert(sizeof(void*) != 8 ||
              offsetof(FlutterDesktopEngineProperties, dart_entrypoint) == 24);
static_assert(sizeof(void*) != 8 ||
              offsetof(FlutterDesktopEngineProperties, dart_entrypoint_argc) == 32);
static_assert(sizeof(void*) != 8 ||
              offsetof(FlutterDesktopEngineProperties, dart_entrypoint_argv) == 40);
static_assert(sizeof(void*) != 8 || offsetof(FlutterDesktopEngineProperties, option_values) == 48);
static_assert(sizeof(void*) != 8 || offsetof(FlutterDesktopMessage, message) == 16);
static_assert(sizeof(void*) != 8 || offsetof(FlutterDesktopMessage, message_size) == 24);
static_assert(sizeof(void*) != 8 || offsetof(FlutterDesktopMessage, response_handle) == 32);
#endif
