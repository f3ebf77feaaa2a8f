// The exported C functions of the stand-in flutter_windows.dll. Each checks its
// handle, forwards to the engine objects and keeps every exception inside.
#include <shellscalingapi.h>
#include <windows.h>

#include <exception>
#include <string>

#include "standin/engine/engine.h"
#include "standin/engine/fault.h"
#include "standin/engine/handle_registry.h"
#include "standin/engine/messenger.h"
#include "standin/engine/standin_exports.h"
#include "wrapper/flutter_windows.h"

namespace {

using standin::Engine;
using standin::EventLog;
using standin::HandleKind;
using standin::HandleRegistry;
using standin::Messenger;
using standin::PluginRegistrar;
using standin::View;

// The controller that took an engine over; destroying it destroys the engine.
struct ViewController {
  Engine* engine;
};

void LogToLatest(const nlohmann::json& event) {
  if (const std::shared_ptr<EventLog> log = EventLog::Latest()) log->Write(event);
}

// A handle the host should not have used: stale, foreign or of another kind.
void ReportInvalidHandle(const char* function) {
  LogToLatest({{"event", "invalid_handle"}, {"function", function}});
}

// Runs body; an exception becomes an internal_error event and the fallback.
template <typename Result, typename Body>
Result Guarded(const char* function, Result fallback, Body body) {
  try {
    return body();
  } catch (const std::exception& error) {
    LogToLatest({{"event", "internal_error"}, {"function", function}, {"message", error.what()}});
  } catch (...) {
    LogToLatest({{"event", "internal_error"}, {"function", function}});
  }
  return fallback;
}

Engine* EngineOf(FlutterDesktopEngineRef handle, const char* function) {
  Engine* engine = Engine::FromHandle(handle);
  if (engine == nullptr) ReportInvalidHandle(function);
  return engine;
}

ViewController* ControllerOf(FlutterDesktopViewControllerRef handle, const char* function) {
  if (!HandleRegistry::Contains(handle, HandleKind::kViewController)) {
    ReportInvalidHandle(function);
    return nullptr;
  }
  return reinterpret_cast<ViewController*>(handle);
}

Messenger* MessengerOf(FlutterDesktopMessengerRef handle, const char* function) {
  Messenger* messenger = Messenger::FromHandle(handle);
  if (messenger == nullptr) ReportInvalidHandle(function);
  return messenger;
}

}  // namespace

extern "C" {

FlutterDesktopEngineRef FlutterDesktopEngineCreate(
    const FlutterDesktopEngineProperties* engine_properties) {
  return Guarded<FlutterDesktopEngineRef>(__func__, nullptr, [&]() -> FlutterDesktopEngineRef {
    if (engine_properties == nullptr) return nullptr;
    Engine* engine = Engine::Create(*engine_properties);
    return engine != nullptr ? engine->handle() : nullptr;
  });
}

bool FlutterDesktopEngineDestroy(FlutterDesktopEngineRef engine_ref) {
  return Guarded(__func__, false, [&] {
    Engine* engine = EngineOf(engine_ref, "FlutterDesktopEngineDestroy");
    if (engine == nullptr) return false;
    if (engine->view() != nullptr) {
      // Its view controller owns it and destroys it.
      engine->Log().Write({{"event", "engine_destroy_refused"}});
      return false;
    }
    engine->Destroy();
    return true;
  });
}

FlutterDesktopMessengerRef FlutterDesktopEngineGetMessenger(FlutterDesktopEngineRef engine_ref) {
  return Guarded<FlutterDesktopMessengerRef>(
      __func__, nullptr, [&]() -> FlutterDesktopMessengerRef {
        Engine* engine = EngineOf(engine_ref, "FlutterDesktopEngineGetMessenger");
        if (engine == nullptr) return nullptr;
        return engine->messenger()->handle();
      });
}

FlutterDesktopPluginRegistrarRef FlutterDesktopEngineGetPluginRegistrar(
    FlutterDesktopEngineRef engine_ref, const char* plugin_name) {
  return Guarded<FlutterDesktopPluginRegistrarRef>(
      __func__, nullptr, [&]() -> FlutterDesktopPluginRegistrarRef {
        Engine* engine = EngineOf(engine_ref, "FlutterDesktopEngineGetPluginRegistrar");
        if (engine == nullptr) return nullptr;
        return reinterpret_cast<FlutterDesktopPluginRegistrarRef>(
            engine->GetRegistrar(plugin_name));
      });
}

void FlutterDesktopEngineReloadSystemFonts(FlutterDesktopEngineRef engine_ref) {
  Guarded(__func__, 0, [&] {
    if (Engine* engine = EngineOf(engine_ref, "FlutterDesktopEngineReloadSystemFonts")) {
      engine->ReloadSystemFonts();
    }
    return 0;
  });
}

void FlutterDesktopEngineSetNextFrameCallback(FlutterDesktopEngineRef engine_ref,
                                              FlutterDesktopOnNextFrameCallback callback,
                                              void* user_data) {
  Guarded(__func__, 0, [&] {
    if (Engine* engine = EngineOf(engine_ref, "FlutterDesktopEngineSetNextFrameCallback")) {
      engine->SetNextFrameCallback(callback, user_data);
    }
    return 0;
  });
}

FlutterDesktopViewControllerRef FlutterDesktopViewControllerCreate(
    int width, int height, FlutterDesktopEngineRef engine_ref) {
  return Guarded<FlutterDesktopViewControllerRef>(
      __func__, nullptr, [&]() -> FlutterDesktopViewControllerRef {
        Engine* engine = EngineOf(engine_ref, "FlutterDesktopViewControllerCreate");
        if (engine == nullptr) return nullptr;
        if (engine->view() != nullptr) {
          // Another controller already owns this engine; it stays with that one.
          engine->Log().Write({{"event", "view"}, {"failed", true}});
          return nullptr;
        }
        if (!engine->CreateView(width, height)) {
          // The failure's own error, not one the clean-up leaves behind.
          const DWORD error = GetLastError();
          engine->Destroy();
          SetLastError(error);
          return nullptr;
        }
        auto* controller = new ViewController{engine};
        HandleRegistry::Add(controller, HandleKind::kViewController);
        return reinterpret_cast<FlutterDesktopViewControllerRef>(controller);
      });
}

void FlutterDesktopViewControllerDestroy(FlutterDesktopViewControllerRef controller_ref) {
  Guarded(__func__, 0, [&] {
    ViewController* controller =
        ControllerOf(controller_ref, "FlutterDesktopViewControllerDestroy");
    if (controller == nullptr) return 0;
    HandleRegistry::Remove(controller);
    Engine* engine = controller->engine;
    delete controller;
    engine->Destroy();
    return 0;
  });
}

FlutterDesktopViewRef FlutterDesktopViewControllerGetView(
    FlutterDesktopViewControllerRef controller_ref) {
  return Guarded<FlutterDesktopViewRef>(__func__, nullptr, [&]() -> FlutterDesktopViewRef {
    ViewController* controller =
        ControllerOf(controller_ref, "FlutterDesktopViewControllerGetView");
    if (controller == nullptr) return nullptr;
    return reinterpret_cast<FlutterDesktopViewRef>(controller->engine->view());
  });
}

void FlutterDesktopViewControllerForceRedraw(FlutterDesktopViewControllerRef controller_ref) {
  Guarded(__func__, 0, [&] {
    if (ViewController* controller =
            ControllerOf(controller_ref, "FlutterDesktopViewControllerForceRedraw")) {
      controller->engine->ForceRedraw();
    }
    return 0;
  });
}

bool FlutterDesktopViewControllerHandleTopLevelWindowProc(
    FlutterDesktopViewControllerRef controller_ref, HWND, UINT message, WPARAM wparam, LPARAM,
    LRESULT*) {
  // The stand-in consumes no top-level window message: the host handles them
  // all. A fault step's message crashes the host right here.
  ControllerOf(controller_ref, "FlutterDesktopViewControllerHandleTopLevelWindowProc");
  if (message == standin::FaultMessage()) {
    standin::CrashHost(static_cast<standin::ScriptStep::Fault>(wparam));
  }
  return false;
}

HWND FlutterDesktopViewGetHWND(FlutterDesktopViewRef view_ref) {
  if (!HandleRegistry::Contains(view_ref, HandleKind::kView)) {
    ReportInvalidHandle("FlutterDesktopViewGetHWND");
    return nullptr;
  }
  return reinterpret_cast<View*>(view_ref)->hwnd();
}

bool FlutterDesktopMessengerSend(FlutterDesktopMessengerRef messenger_ref, const char* channel,
                                 const uint8_t* message, size_t message_size) {
  return FlutterDesktopMessengerSendWithReply(messenger_ref, channel, message, message_size,
                                              nullptr, nullptr);
}

bool FlutterDesktopMessengerSendWithReply(FlutterDesktopMessengerRef messenger_ref,
                                          const char* channel, const uint8_t* message,
                                          size_t message_size, FlutterDesktopBinaryReply reply,
                                          void* user_data) {
  return Guarded(__func__, false, [&] {
    Messenger* messenger = MessengerOf(messenger_ref, "FlutterDesktopMessengerSendWithReply");
    if (messenger == nullptr) return false;
    Engine* engine = messenger->engine();
    if (engine == nullptr) {
      messenger->log().Write(
          {{"event", "late_send"}, {"channel", channel != nullptr ? channel : ""}});
      return false;
    }
    return engine->ReceiveFromHost(channel, message, message_size, reply, user_data);
  });
}

void FlutterDesktopMessengerSetCallback(FlutterDesktopMessengerRef messenger_ref,
                                        const char* channel, FlutterDesktopMessageCallback callback,
                                        void* user_data) {
  Guarded(__func__, 0, [&] {
    Messenger* messenger = MessengerOf(messenger_ref, "FlutterDesktopMessengerSetCallback");
    if (messenger != nullptr && channel != nullptr && messenger->IsAvailable()) {
      messenger->SetCallback(channel, callback, user_data);
    }
    return 0;
  });
}

void FlutterDesktopMessengerSendResponse(FlutterDesktopMessengerRef messenger_ref,
                                         const FlutterDesktopMessageResponseHandle* handle,
                                         const uint8_t* data, size_t data_length) {
  Guarded(__func__, 0, [&] {
    Messenger* messenger = MessengerOf(messenger_ref, "FlutterDesktopMessengerSendResponse");
    if (messenger == nullptr) return 0;
    if (Engine* engine = messenger->engine()) {
      engine->ReceiveResponse(handle, data, data_length);
    } else {
      // The engine is gone; whoever asked is gone with it.
      messenger->log().Write({{"event", "late_response"}});
    }
    return 0;
  });
}

FlutterDesktopMessengerRef FlutterDesktopMessengerAddRef(FlutterDesktopMessengerRef messenger_ref) {
  Messenger* messenger = MessengerOf(messenger_ref, "FlutterDesktopMessengerAddRef");
  if (messenger == nullptr) return nullptr;
  messenger->AddRef();
  return messenger_ref;
}

void FlutterDesktopMessengerRelease(FlutterDesktopMessengerRef messenger_ref) {
  if (Messenger* messenger = MessengerOf(messenger_ref, "FlutterDesktopMessengerRelease")) {
    messenger->Release();
  }
}

FlutterDesktopMessengerRef FlutterDesktopMessengerLock(FlutterDesktopMessengerRef messenger_ref) {
  Messenger* messenger = MessengerOf(messenger_ref, "FlutterDesktopMessengerLock");
  if (messenger == nullptr) return nullptr;
  messenger->Lock();
  return messenger_ref;
}

void FlutterDesktopMessengerUnlock(FlutterDesktopMessengerRef messenger_ref) {
  if (Messenger* messenger = MessengerOf(messenger_ref, "FlutterDesktopMessengerUnlock")) {
    messenger->Unlock();
  }
}

bool FlutterDesktopMessengerIsAvailable(FlutterDesktopMessengerRef messenger_ref) {
  Messenger* messenger = MessengerOf(messenger_ref, "FlutterDesktopMessengerIsAvailable");
  return messenger != nullptr && messenger->IsAvailable();
}

UINT FlutterDesktopGetDpiForMonitor(HMONITOR monitor) {
  UINT dpi_x = 0;
  UINT dpi_y = 0;
  if (monitor != nullptr &&
      SUCCEEDED(GetDpiForMonitor(monitor, MDT_EFFECTIVE_DPI, &dpi_x, &dpi_y)) && dpi_x != 0) {
    return dpi_x;
  }
  return USER_DEFAULT_SCREEN_DPI;
}

void FlutterDesktopResyncOutputStreams() {
  // An event log on standard output takes the new standard output handle.
  if (const std::shared_ptr<EventLog> log = EventLog::Latest()) log->FollowStandardOutput();
}

void StandinReportPluginRegistration(FlutterDesktopPluginRegistrarRef registrar_ref,
                                     const char* plugin) {
  Guarded(__func__, 0, [&] {
    if (HandleRegistry::Contains(registrar_ref, HandleKind::kRegistrar)) {
      const auto* registrar = reinterpret_cast<const PluginRegistrar*>(registrar_ref);
      registrar->engine->ReportPluginRegistration(*registrar, plugin);
    } else {
      LogToLatest({{"event", "plugin"},
                   {"name", plugin != nullptr ? nlohmann::json(plugin) : nlohmann::json(nullptr)},
                   {"registrar", nullptr}});
    }
    return 0;
  });
}

}  // extern "C"
