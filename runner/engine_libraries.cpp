#include "runner/engine_libraries.h"

#include <windows.h>

#include <iterator>

#include "wrapper/flutter_windows.h"

namespace quorvane {
namespace {

constexpr wchar_t kEngineLibrary[] = L"flutter_windows.dll";

// Every entry point the host calls, by library; resolved once, before the
// first call.
struct Library {
  const wchar_t* file;
  const char* const* entries;
  size_t entry_count;
  void** addresses;
};

// Every engine function the host calls, listed once: the names looked up and
// the slots the forwarders below read come from this list.
#define QUORVANE_ENGINE_FUNCTIONS(X)                      \
  X(FlutterDesktopEngineCreate)                           \
  X(FlutterDesktopEngineDestroy)                          \
  X(FlutterDesktopEngineGetMessenger)                     \
  X(FlutterDesktopEngineGetPluginRegistrar)               \
  X(FlutterDesktopEngineReloadSystemFonts)                \
  X(FlutterDesktopEngineSetNextFrameCallback)             \
  X(FlutterDesktopViewControllerCreate)                   \
  X(FlutterDesktopViewControllerDestroy)                  \
  X(FlutterDesktopViewControllerGetView)                  \
  X(FlutterDesktopViewControllerForceRedraw)              \
  X(FlutterDesktopViewControllerHandleTopLevelWindowProc) \
  X(FlutterDesktopViewGetHWND)                            \
  X(FlutterDesktopMessengerSend)                          \
  X(FlutterDesktopMessengerSendWithReply)                 \
  X(FlutterDesktopMessengerSetCallback)                   \
  X(FlutterDesktopMessengerSendResponse)                  \
  X(FlutterDesktopMessengerAddRef)                        \
  X(FlutterDesktopMessengerRelease)                       \
  X(FlutterDesktopMessengerLock)                          \
  X(FlutterDesktopMessengerUnlock)                        \
  X(FlutterDesktopMessengerIsAvailable)                   \
  X(FlutterDesktopGetDpiForMonitor)                       \
  X(FlutterDesktopResyncOutputStreams)

enum EngineSlot : size_t {
#define QUORVANE_ENGINE_SLOT(name) k##name,
  QUORVANE_ENGINE_FUNCTIONS(QUORVANE_ENGINE_SLOT)
#undef QUORVANE_ENGINE_SLOT
};

constexpr const char* kEngineEntries[] = {
#define QUORVANE_ENGINE_NAME(name) #name,
    QUORVANE_ENGINE_FUNCTIONS(QUORVANE_ENGINE_NAME)
#undef QUORVANE_ENGINE_NAME
};
void* engine_addresses[std::size(kEngineEntries)] = {};

constexpr const char* kDesktopDropPluginEntries[] = {"DesktopDropPluginRegisterWithRegistrar"};
constexpr const char* kFlutterSecureStorageWindowsPluginEntries[] = {
    "FlutterSecureStorageWindowsPluginRegisterWithRegistrar"};
constexpr const char* kLocalNotifierPluginEntries[] = {"LocalNotifierPluginRegisterWithRegistrar"};
constexpr const char* kTrayManagerPluginEntries[] = {"TrayManagerPluginRegisterWithRegistrar"};
constexpr const char* kWebviewWindowsPluginEntries[] = {
    "WebviewWindowsPluginRegisterWithRegistrar"};
void* plugin_addresses[5] = {};

const Library kLibraries[] = {
    {kEngineLibrary, kEngineEntries, std::size(kEngineEntries), engine_addresses},
    {L"desktop_drop_plugin.dll", kDesktopDropPluginEntries, 1, &plugin_addresses[0]},
    {L"flutter_secure_storage_windows_plugin.dll", kFlutterSecureStorageWindowsPluginEntries, 1,
     &plugin_addresses[1]},
    {L"local_notifier_plugin.dll", kLocalNotifierPluginEntries, 1, &plugin_addresses[2]},
    {L"tray_manager_plugin.dll", kTrayManagerPluginEntries, 1, &plugin_addresses[3]},
    {L"webview_windows_plugin.dll", kWebviewWindowsPluginEntries, 1, &plugin_addresses[4]},
};

// The entry point at index of addresses, as the function type it has.
template <typename Function>
Function Entry(void* const* addresses, size_t index) {
  return reinterpret_cast<Function>(addresses[index]);
}

std::wstring ExecutableFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

}  // namespace

std::optional<LibraryFailure> LoadEngineLibraries() {
  const std::wstring folder = ExecutableFolder();
  for (const Library& library : kLibraries) {
    // From the executable's folder, with their own dependencies looked up
    // beside them and in the system folder.
    HMODULE module =
        ::LoadLibraryExW((folder + library.file).c_str(), nullptr,
                         LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    if (module == nullptr) return LibraryFailure{library.file, "", ::GetLastError()};
    for (size_t index = 0; index < library.entry_count; ++index) {
      // Through void (*)(), the function pointer type that converts without
      // a signature-mismatch warning.
      library.addresses[index] = reinterpret_cast<void*>(
          reinterpret_cast<void (*)()>(::GetProcAddress(module, library.entries[index])));
      if (library.addresses[index] == nullptr) {
        return LibraryFailure{library.file, library.entries[index], ::GetLastError()};
      }
    }
  }
  return std::nullopt;
}

}  // namespace quorvane

// The engine's functions and the plug-ins' registration functions, as the
// wrapper and the plug-in registrant call them, forwarded to the libraries.
using quorvane::engine_addresses;
using quorvane::Entry;

// The engine function forwarded to, from the slot of its own name.
#define ENGINE_FUNCTION(name) Entry<decltype(&name)>(engine_addresses, quorvane::k##name)
using quorvane::plugin_addresses;

FlutterDesktopEngineRef FlutterDesktopEngineCreate(
    const FlutterDesktopEngineProperties* engine_properties) {
  return ENGINE_FUNCTION(FlutterDesktopEngineCreate)(engine_properties);
}

bool FlutterDesktopEngineDestroy(FlutterDesktopEngineRef engine) {
  return ENGINE_FUNCTION(FlutterDesktopEngineDestroy)(engine);
}

FlutterDesktopMessengerRef FlutterDesktopEngineGetMessenger(FlutterDesktopEngineRef engine) {
  return ENGINE_FUNCTION(FlutterDesktopEngineGetMessenger)(engine);
}

FlutterDesktopPluginRegistrarRef FlutterDesktopEngineGetPluginRegistrar(
    FlutterDesktopEngineRef engine, const char* plugin_name) {
  return ENGINE_FUNCTION(FlutterDesktopEngineGetPluginRegistrar)(engine, plugin_name);
}

void FlutterDesktopEngineReloadSystemFonts(FlutterDesktopEngineRef engine) {
  ENGINE_FUNCTION(FlutterDesktopEngineReloadSystemFonts)(engine);
}

void FlutterDesktopEngineSetNextFrameCallback(FlutterDesktopEngineRef engine,
                                              FlutterDesktopOnNextFrameCallback callback,
                                              void* user_data) {
  ENGINE_FUNCTION(FlutterDesktopEngineSetNextFrameCallback)(engine, callback, user_data);
}

FlutterDesktopViewControllerRef FlutterDesktopViewControllerCreate(int width, int height,
                                                                   FlutterDesktopEngineRef engine) {
  return ENGINE_FUNCTION(FlutterDesktopViewControllerCreate)(width, height, engine);
}

void FlutterDesktopViewControllerDestroy(FlutterDesktopViewControllerRef controller) {
  ENGINE_FUNCTION(FlutterDesktopViewControllerDestroy)(controller);
}

FlutterDesktopViewRef FlutterDesktopViewControllerGetView(
    FlutterDesktopViewControllerRef controller) {
  return ENGINE_FUNCTION(FlutterDesktopViewControllerGetView)(controller);
}

void FlutterDesktopViewControllerForceRedraw(FlutterDesktopViewControllerRef controller) {
  ENGINE_FUNCTION(FlutterDesktopViewControllerForceRedraw)(controller);
}

bool FlutterDesktopViewControllerHandleTopLevelWindowProc(
    FlutterDesktopViewControllerRef controller, HWND hwnd, UINT message, WPARAM wparam,
    LPARAM lparam, LRESULT* result) {
  return ENGINE_FUNCTION(FlutterDesktopViewControllerHandleTopLevelWindowProc)(
      controller, hwnd, message, wparam, lparam, result);
}

HWND FlutterDesktopViewGetHWND(FlutterDesktopViewRef view) {
  return ENGINE_FUNCTION(FlutterDesktopViewGetHWND)(view);
}

bool FlutterDesktopMessengerSend(FlutterDesktopMessengerRef messenger, const char* channel,
                                 const uint8_t* message, size_t message_size) {
  return ENGINE_FUNCTION(FlutterDesktopMessengerSend)(messenger, channel, message, message_size);
}

bool FlutterDesktopMessengerSendWithReply(FlutterDesktopMessengerRef messenger, const char* channel,
                                          const uint8_t* message, size_t message_size,
                                          FlutterDesktopBinaryReply reply, void* user_data) {
  return ENGINE_FUNCTION(FlutterDesktopMessengerSendWithReply)(messenger, channel, message,
                                                               message_size, reply, user_data);
}

void FlutterDesktopMessengerSetCallback(FlutterDesktopMessengerRef messenger, const char* channel,
                                        FlutterDesktopMessageCallback callback, void* user_data) {
  ENGINE_FUNCTION(FlutterDesktopMessengerSetCallback)(messenger, channel, callback, user_data);
}

void FlutterDesktopMessengerSendResponse(FlutterDesktopMessengerRef messenger,
                                         const FlutterDesktopMessageResponseHandle* handle,
                                         const uint8_t* data, size_t data_length) {
  ENGINE_FUNCTION(FlutterDesktopMessengerSendResponse)(messenger, handle, data, data_length);
}

FlutterDesktopMessengerRef FlutterDesktopMessengerAddRef(FlutterDesktopMessengerRef messenger) {
  return ENGINE_FUNCTION(FlutterDesktopMessengerAddRef)(messenger);
}

void FlutterDesktopMessengerRelease(FlutterDesktopMessengerRef messenger) {
  ENGINE_FUNCTION(FlutterDesktopMessengerRelease)(messenger);
}

FlutterDesktopMessengerRef FlutterDesktopMessengerLock(FlutterDesktopMessengerRef messenger) {
  return ENGINE_FUNCTION(FlutterDesktopMessengerLock)(messenger);
}

void FlutterDesktopMessengerUnlock(FlutterDesktopMessengerRef messenger) {
  ENGINE_FUNCTION(FlutterDesktopMessengerUnlock)(messenger);
}

bool FlutterDesktopMessengerIsAvailable(FlutterDesktopMessengerRef messenger) {
  return ENGINE_FUNCTION(FlutterDesktopMessengerIsAvailable)(messenger);
}

UINT FlutterDesktopGetDpiForMonitor(HMONITOR monitor) {
  return ENGINE_FUNCTION(FlutterDesktopGetDpiForMonitor)(monitor);
}

void FlutterDesktopResyncOutputStreams() { ENGINE_FUNCTION(FlutterDesktopResyncOutputStreams)(); }

extern "C" {
void DesktopDropPluginRegisterWithRegistrar(FlutterDesktopPluginRegistrarRef registrar) {
  Entry<void (*)(FlutterDesktopPluginRegistrarRef)>(plugin_addresses, 0)(registrar);
}
void FlutterSecureStorageWindowsPluginRegisterWithRegistrar(
    FlutterDesktopPluginRegistrarRef registrar) {
  Entry<void (*)(FlutterDesktopPluginRegistrarRef)>(plugin_addresses, 1)(registrar);
}
void LocalNotifierPluginRegisterWithRegistrar(FlutterDesktopPluginRegistrarRef registrar) {
  Entry<void (*)(FlutterDesktopPluginRegistrarRef)>(plugin_addresses, 2)(registrar);
}
void TrayManagerPluginRegisterWithRegistrar(FlutterDesktopPluginRegistrarRef registrar) {
  Entry<void (*)(FlutterDesktopPluginRegistrarRef)>(plugin_addresses, 3)(registrar);
}
void WebviewWindowsPluginRegisterWithRegistrar(FlutterDesktopPluginRegistrarRef registrar) {
  Entry<void (*)(FlutterDesktopPluginRegistrarRef)>(plugin_addresses, 4)(registrar);
}
}
