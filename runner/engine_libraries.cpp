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

constexpr const char* kEngineEntries[] = {
    "FlutterDesktopEngineCreate",
    "FlutterDesktopEngineDestroy",
    "FlutterDesktopEngineGetMessenger",
    "FlutterDesktopEngineGetPluginRegistrar",
    "FlutterDesktopEngineReloadSystemFonts",
    "FlutterDesktopEngineSetNextFrameCallback",
    "FlutterDesktopViewControllerCreate",
    "FlutterDesktopViewControllerDestroy",
    "FlutterDesktopViewControllerGetView",
    "FlutterDesktopViewControllerForceRedraw",
    "FlutterDesktopViewControllerHandleTopLevelWindowProc",
    "FlutterDesktopViewGetHWND",
    "FlutterDesktopMessengerSend",
    "FlutterDesktopMessengerSendWithReply",
    "FlutterDesktopMessengerSetCallback",
    "FlutterDesktopMessengerSendResponse",
    "FlutterDesktopMessengerAddRef",
    "FlutterDesktopMessengerRelease",
    "FlutterDesktopMessengerLock",
    "FlutterDesktopMessengerUnlock",
    "FlutterDesktopMessengerIsAvailable",
    "FlutterDesktopGetDpiForMonitor",
    "FlutterDesktopResyncOutputStreams",
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
using quorvane::plugin_addresses;

FlutterDesktopEngineRef FlutterDesktopEngineCreate(
    const FlutterDesktopEngineProperties* engine_properties) {
  return Entry<decltype(&FlutterDesktopEngineCreate)>(engine_addresses, 0)(engine_properties);
}

bool FlutterDesktopEngineDestroy(FlutterDesktopEngineRef engine) {
  return Entry<decltype(&FlutterDesktopEngineDestroy)>(engine_addresses, 1)(engine);
}

FlutterDesktopMessengerRef FlutterDesktopEngineGetMessenger(FlutterDesktopEngineRef engine) {
  return Entry<decltype(&FlutterDesktopEngineGetMessenger)>(engine_addresses, 2)(engine);
}

FlutterDesktopPluginRegistrarRef FlutterDesktopEngineGetPluginRegistrar(
    FlutterDesktopEngineRef engine, const char* plugin_name) {
  return Entry<decltype(&FlutterDesktopEngineGetPluginRegistrar)>(engine_addresses, 3)(engine,
                                                                                       plugin_name);
}

void FlutterDesktopEngineReloadSystemFonts(FlutterDesktopEngineRef engine) {
  Entry<decltype(&FlutterDesktopEngineReloadSystemFonts)>(engine_addresses, 4)(engine);
}

void FlutterDesktopEngineSetNextFrameCallback(FlutterDesktopEngineRef engine,
                                              FlutterDesktopOnNextFrameCallback callback,
                                              void* user_data) {
  Entry<decltype(&FlutterDesktopEngineSetNextFrameCallback)>(engine_addresses, 5)(engine, callback,
                                                                                  user_data);
}

FlutterDesktopViewControllerRef FlutterDesktopViewControllerCreate(int width, int height,
                                                                   FlutterDesktopEngineRef engine) {
  return Entry<decltype(&FlutterDesktopViewControllerCreate)>(engine_addresses, 6)(width, height,
                                                                                   engine);
}

void FlutterDesktopViewControllerDestroy(FlutterDesktopViewControllerRef controller) {
  Entry<decltype(&FlutterDesktopViewControllerDestroy)>(engine_addresses, 7)(controller);
}

FlutterDesktopViewRef FlutterDesktopViewControllerGetView(
    FlutterDesktopViewControllerRef controller) {
  return Entry<decltype(&FlutterDesktopViewControllerGetView)>(engine_addresses, 8)(controller);
}

void FlutterDesktopViewControllerForceRedraw(FlutterDesktopViewControllerRef controller) {
  Entry<decltype(&FlutterDesktopViewControllerForceRedraw)>(engine_addresses, 9)(controller);
}

bool FlutterDesktopViewControllerHandleTopLevelWindowProc(
    FlutterDesktopViewControllerRef controller, HWND hwnd, UINT message, WPARAM wparam,
    LPARAM lparam, LRESULT* result) {
  return Entry<decltype(&FlutterDesktopViewControllerHandleTopLevelWindowProc)>(
      engine_addresses, 10)(controller, hwnd, message, wparam, lparam, result);
}

HWND FlutterDesktopViewGetHWND(FlutterDesktopViewRef view) {
  return Entry<decltype(&FlutterDesktopViewGetHWND)>(engine_addresses, 11)(view);
}

bool FlutterDesktopMessengerSend(FlutterDesktopMessengerRef messenger, const char* channel,
                                 const uint8_t* message, size_t message_size) {
  return Entry<decltype(&FlutterDesktopMessengerSend)>(engine_addresses, 12)(messenger, channel,
                                                                             message, message_size);
}

bool FlutterDesktopMessengerSendWithReply(FlutterDesktopMessengerRef messenger, const char* channel,
                                          const uint8_t* message, size_t message_size,
                                          FlutterDesktopBinaryReply reply, void* user_data) {
  return Entry<decltype(&FlutterDesktopMessengerSendWithReply)>(engine_addresses, 13)(
      messenger, channel, message, message_size, reply, user_data);
}

void FlutterDesktopMessengerSetCallback(FlutterDesktopMessengerRef messenger, const char* channel,
                                        FlutterDesktopMessageCallback callback, void* user_data) {
  Entry<decltype(&FlutterDesktopMessengerSetCallback)>(engine_addresses, 14)(messenger, channel,
                                                                             callback, user_data);
}

void FlutterDesktopMessengerSendResponse(FlutterDesktopMessengerRef messenger,
                                         const FlutterDesktopMessageResponseHandle* handle,
                                         const uint8_t* data, size_t data_length) {
  Entry<decltype(&FlutterDesktopMessengerSendResponse)>(engine_addresses, 15)(messenger, handle,
                                                                              data, data_length);
}

FlutterDesktopMessengerRef FlutterDesktopMessengerAddRef(FlutterDesktopMessengerRef messenger) {
  return Entry<decltype(&FlutterDesktopMessengerAddRef)>(engine_addresses, 16)(messenger);
}

void FlutterDesktopMessengerRelease(FlutterDesktopMessengerRef messenger) {
  Entry<decltype(&FlutterDesktopMessengerRelease)>(engine_addresses, 17)(messenger);
}

FlutterDesktopMessengerRef FlutterDesktopMessengerLock(FlutterDesktopMessengerRef messenger) {
  return Entry<decltype(&FlutterDesktopMessengerLock)>(engine_addresses, 18)(messenger);
}

void FlutterDesktopMessengerUnlock(FlutterDesktopMessengerRef messenger) {
  Entry<decltype(&FlutterDesktopMessengerUnlock)>(engine_addresses, 19)(messenger);
}

bool FlutterDesktopMessengerIsAvailable(FlutterDesktopMessengerRef messenger) {
  return Entry<decltype(&FlutterDesktopMessengerIsAvailable)>(engine_addresses, 20)(messenger);
}

UINT FlutterDesktopGetDpiForMonitor(HMONITOR monitor) {
  return Entry<decltype(&FlutterDesktopGetDpiForMonitor)>(engine_addresses, 21)(monitor);
}

void FlutterDesktopResyncOutputStreams() {
  Entry<decltype(&FlutterDesktopResyncOutputStreams)>(engine_addresses, 22)();
}

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
