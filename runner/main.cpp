// The process entry: instance rules, the engine project, the main window and
// the message loop; around them, the log and the crash reports.
#include <windows.h>

#include <objbase.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "codec/diagnostic.h"
#include "runner/app_data_folder.h"
#include "runner/command_line.h"
#include "runner/crash_handler.h"
#include "runner/debug_console.h"
#include "runner/flutter_window.h"
#include "runner/instance_rules.h"
#include "runner/log_file.h"
#include "runner/process_facts.h"
#include "runner/unique_handle.h"
#include "runner/win32_instance_platform.h"
#include "runner/window_placement.h"
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

// The log of this process, or null when its file cannot be written.
quorvane::LogFile* process_log_file = nullptr;

// Every diagnostic line goes to standard error exactly as before, and into the
// log too; when standard error is the log itself, only the log's line is kept.
void MirrorDiagnostic(std::string_view line) {
  const DWORD last_error = ::GetLastError();
  if (process_log_file == nullptr || !process_log_file->streams_redirected()) {
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
  }
  quorvane::WriteLog(quorvane::LogLevel::kWarning, line);
  ::SetLastError(last_error);
}

// Standard error leads nowhere when the program was started without it, as
// from Explorer or the Start menu.
bool StandardErrorLeadsNowhere() {
  const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
  return error == nullptr || error == INVALID_HANDLE_VALUE ||
         ::GetFileType(error) == FILE_TYPE_UNKNOWN;
}

// The start line once per process, before its end line.
class ProcessRecord {
 public:
  void Started(HWND window) {
    if (started_) return;
    started_ = true;
    quorvane::StartFacts facts = quorvane::GatherStartFacts(window);
    facts.argument_count = quorvane::CommandLineArgumentsUtf8().size();
    quorvane::WriteLog(quorvane::LogLevel::kInfo, quorvane::FormatStartLine(facts));
  }

  int Ended(int exit_code, quorvane::ProcessEnd end) {
    Started(nullptr);
    quorvane::WriteLog(quorvane::LogLevel::kInfo, quorvane::FormatEndLine(exit_code, end));
    return exit_code;
  }

 private:
  bool started_ = false;
};

void LogInstanceFailure(const quorvane::InstanceOutcome& outcome) {
  const char* what = nullptr;
  if (outcome.end == quorvane::ProcessEnd::kMutexFailed) {
    what = "The single-instance mutex could not be created";
  } else if (outcome.end == quorvane::ProcessEnd::kRelaunchFailed) {
    what = "The elevated re-launch was declined or could not start";
  }
  if (what == nullptr) return;
  quorvane::WriteLog(quorvane::LogLevel::kError,
                     std::string(what) + " (Windows error " + std::to_string(outcome.error) + ").");
}

}  // namespace

int APIENTRY wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous_instance*/,
                      wchar_t* command_line, int /*show_command*/) {
  // Libraries loaded from here on come from the application's folder and the
  // system folder only, never from the current directory or PATH.
  ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  std::unique_ptr<quorvane::LogFile> log;
  if (const std::optional<std::wstring> folder = quorvane::ApplicationDataFolder(L"logs")) {
    log = std::make_unique<quorvane::LogFile>(*folder);
  }
  process_log_file = log.get();
  quorvane::SetProcessLog(log.get());
  flutter::SetDiagnosticSink(&MirrorDiagnostic);
  quorvane::InstallCrashHandler(quorvane::ApplicationDataFolder(L"crashes"));
  ProcessRecord record;

  quorvane::Win32InstancePlatform platform;
  const quorvane::InstanceOutcome outcome = quorvane::ApplyInstanceRules(platform, command_line);
  if (outcome.exit_code) {
    record.Started(nullptr);
    LogInstanceFailure(outcome);
    return record.Ended(*outcome.exit_code, outcome.end);
  }
  quorvane::UniqueHandle single_instance_mutex(outcome.mutex);

  bool debug_console = false;
  if (!::AttachConsole(ATTACH_PARENT_PROCESS) && ::IsDebuggerPresent()) {
    quorvane::OpenDebugConsole();
    debug_console = true;
  }
  // What the engine and the UI code print would otherwise be lost.
  if (log != nullptr && !debug_console && StandardErrorLeadsNowhere()) {
    log->RedirectStandardStreams(&FlutterDesktopResyncOutputStreams);
  }
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

  auto project = std::make_unique<flutter::ProjectDescription>(kBundleDirectory);
  project->set_entrypoint_arguments(quorvane::CommandLineArgumentsUtf8());

  auto window = std::make_unique<quorvane::FlutterWindow>(*project);
  window->set_created_callback([&record](HWND native_window) { record.Started(native_window); });
  const quorvane::PixelPoint origin =
      quorvane::CenteredOrigin(PrimaryWorkArea(), PrimaryMonitorDpi());
  if (!window->Create(quorvane::kWindowTitle, origin, quorvane::kDefaultWindowSize)) {
    single_instance_mutex.reset();
    window.reset();
    return record.Ended(1, quorvane::ProcessEnd::kStartFailed);
  }
  window->SetQuitOnDestroy(true);

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
  return record.Ended(
      0, session_ended ? quorvane::ProcessEnd::kSessionEnded : quorvane::ProcessEnd::kClosed);
}
