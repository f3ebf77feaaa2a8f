// The process entry: instance rules, the engine project, the main window and
// the message loop; around them, the log and the crash reports.
#include <windows.h>

#include <objbase.h>
#include <shobjidl.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runner/diagnostics/app_data_folder.h"
#include "runner/diagnostics/crash_handler.h"
#include "runner/diagnostics/crash_notice.h"
#include "runner/diagnostics/log.h"
#include "runner/diagnostics/process_log.h"
#include "runner/engine_libraries.h"
#include "runner/flutter_window.h"
#include "runner/process/app_identity.h"
#include "runner/process/command_line.h"
#include "runner/process/debug_console.h"
#include "runner/process/instance_rules.h"
#include "runner/process/link_arguments.h"
#include "runner/process/second_start_message.h"
#include "runner/process/unique_handle.h"
#include "runner/process/win32_instance_platform.h"
#include "runner/window/window_placement.h"
#include "wrapper/flutter_windows.h"
#include "wrapper/project_description.h"

namespace {

constexpr wchar_t kBundleDirectory[] = L"data";

std::optional<quorvane::PixelRect> PrimaryWorkArea() {
  RECT work_area{};
  if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work_area, 0)) return std::nullopt;
  return quorvane::PixelRect{work_area.left, work_area.top, work_area.right, work_area.bottom};
}

UINT PrimaryMonitorDpi() {
  return FlutterDesktopGetDpiForMonitor(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY));
}

void LogLinks(const quorvane::CheckedArguments& arguments) {
  for (const std::string& line : quorvane::LinkLogLines(arguments)) {
    quorvane::WriteLog(quorvane::LogLevel::kInfo, line);
  }
}

}  // namespace

int APIENTRY wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous_instance*/,
                      wchar_t* command_line, int /*show_command*/) {
  // Libraries loaded from here on come from the application's folder and the
  // system folder only, never from the current directory or PATH.
  ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  quorvane::ProcessLog process_log;
  const std::optional<std::wstring> crash_folder = quorvane::ApplicationDataFolder(L"crashes");
  quorvane::InstallCrashHandler(crash_folder);

  // Before any window exists, so that every window, the taskbar button and
  // the installer's shortcuts share one identity.
  ::SetCurrentProcessExplicitAppUserModelID(quorvane::kAppUserModelId);

  const quorvane::CheckedArguments arguments =
      quorvane::CheckLinkArguments(quorvane::CommandLineArgumentsUtf8());
  const std::optional<std::vector<uint8_t>> handover =
      quorvane::EncodeSecondStart({arguments.arguments, quorvane::CurrentDirectoryUtf8()});

  quorvane::Win32InstancePlatform platform;
  const quorvane::InstanceOutcome outcome = quorvane::ApplyInstanceRules(
      platform, command_line, handover.value_or(std::vector<uint8_t>{}));
  if (outcome.exit_code) {
    process_log.Started(nullptr);
    LogLinks(arguments);
    if (!handover && outcome.end == quorvane::ProcessEnd::kHandedOver) {
      quorvane::WriteLog(quorvane::LogLevel::kWarning,
                         "The arguments were too large to hand over to the running instance.");
    }
    process_log.InstanceRulesEnded(outcome);
    return process_log.Ended(*outcome.exit_code, outcome.end);
  }
  quorvane::UniqueHandle single_instance_mutex(outcome.mutex);
  // Before the first call into the engine: a missing or broken library is
  // logged and shown to the user instead of the system loader's dialog.
  if (const std::optional<quorvane::LibraryFailure> failure = quorvane::LoadEngineLibraries()) {
    process_log.Started(nullptr);
    process_log.LibraryFailed(failure->file, failure->entry, failure->error);
    return process_log.Ended(1, quorvane::ProcessEnd::kLibraryFailed);
  }

  bool debug_console = false;
  if (!::AttachConsole(ATTACH_PARENT_PROCESS) && ::IsDebuggerPresent()) {
    quorvane::OpenDebugConsole();
    debug_console = true;
  }
  // What the engine and the UI code print would otherwise be lost.
  if (!debug_console) process_log.CaptureStandardStreams(&FlutterDesktopResyncOutputStreams);
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

  auto project = std::make_unique<flutter::ProjectDescription>(kBundleDirectory);
  project->set_entrypoint_arguments(arguments.arguments);

  auto window = std::make_unique<quorvane::FlutterWindow>(*project);
  window->set_created_callback([&process_log, &arguments](HWND native_window) {
    process_log.Started(native_window);
    LogLinks(arguments);
  });
  const quorvane::PixelPoint origin =
      quorvane::CenteredOrigin(PrimaryWorkArea(), PrimaryMonitorDpi());
  if (!window->Create(quorvane::kWindowTitle, origin, quorvane::kDefaultWindowSize)) {
    single_instance_mutex.reset();
    window.reset();
    quorvane::HoldExitWhileCrashReporting();
    return process_log.Ended(1, quorvane::ProcessEnd::kStartFailed);
  }
  window->SetQuitOnDestroy(true);
  // The engine and the plug-ins are loaded now; one of them may have put its
  // own crash filter in place of the host's.
  quorvane::ReassertCrashFilter();
  // Over the window, once it is there; the start does not wait for the answer.
  quorvane::OfferLastCrashReport(crash_folder);

  MSG message;
  // GetMessageW gives -1 on failure; that ends the loop instead of spinning.
  // The loop also ends once the window is gone: a modal loop running when it
  // was destroyed (a window drag, for one) may have taken the quit message.
  while (window->NativeHandle() != nullptr && ::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }

  ::CoUninitialize();
  single_instance_mutex.reset();
  const bool session_ended = window->session_ended();
  window.reset();
  // A thread that crashed meanwhile (while the engine shut down, say) is
  // reported, and its code is the exit code, not 0.
  quorvane::HoldExitWhileCrashReporting();
  return process_log.Ended(
      0, session_ended ? quorvane::ProcessEnd::kSessionEnded : quorvane::ProcessEnd::kClosed);
}
