#include "runner/diagnostics/process_log.h"

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "codec/diagnostic.h"
#include "runner/diagnostics/app_data_folder.h"
#include "runner/diagnostics/output_capture.h"
#include "runner/diagnostics/process_facts.h"
#include "runner/diagnostics/user_messages.h"
#include "runner/process/command_line.h"

namespace quorvane {
namespace {

// The longest the end waits for printed output still on its way to the log.
constexpr unsigned long kOutputDrainMs = 500;

// Whether standard error is carried into the log.
bool output_captured = false;

// Every diagnostic line goes to standard error exactly as before, and into the
// log too; when standard error is the log itself, only the log's line is kept.
void MirrorDiagnostic(std::string_view line) {
  const DWORD last_error = ::GetLastError();
  if (!output_captured) {
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
  }
  WriteLog(LogLevel::kWarning, line);
  ::SetLastError(last_error);
}

bool StandardErrorLeadsNowhere() {
  const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
  return error == nullptr || error == INVALID_HANDLE_VALUE ||
         ::GetFileType(error) == FILE_TYPE_UNKNOWN;
}

}  // namespace

ProcessLog::ProcessLog() {
  folder_ = ApplicationDataFolder(L"logs");
  if (folder_) file_ = new LogFile(*folder_);
  SetProcessLog(file_);
  flutter::SetDiagnosticSink(&MirrorDiagnostic);
}

ProcessLog::~ProcessLog() {
  flutter::SetDiagnosticSink(nullptr);
  output_captured = false;
}

void ProcessLog::CaptureStandardStreams(void (*resync)()) {
  if (file_ == nullptr || !StandardErrorLeadsNowhere() || !file_->Writable()) return;
  output_captured = CaptureOutputInto(*file_, resync);
}

void ProcessLog::Started(HWND window) {
  if (started_) return;
  started_ = true;
  StartFacts facts = GatherStartFacts(window);
  facts.argument_count = CommandLineArgumentsUtf8().size();
  WriteLog(LogLevel::kInfo, FormatStartLine(facts));
}

void ProcessLog::InstanceRulesEnded(const InstanceOutcome& outcome) {
  const char* what = nullptr;
  if (outcome.end == ProcessEnd::kMutexFailed) {
    what = "The single-instance mutex could not be created";
  } else if (outcome.end == ProcessEnd::kRelaunchFailed) {
    what = "The elevated re-launch was declined or could not start";
  }
  if (what == nullptr) return;
  WriteLog(LogLevel::kError,
           std::string(what) + " (Windows error " + std::to_string(outcome.error) + ").");
}

void ProcessLog::LibraryFailed(const std::wstring& file, const std::string& entry, uint32_t error) {
  const std::string narrow_file(file.begin(), file.end());
  WriteLog(LogLevel::kError,
           entry.empty() ? "The program library " + narrow_file +
                               " could not be loaded (Windows error " + std::to_string(error) + ")."
                         : "The program library " + narrow_file + " lacks the entry point " +
                               entry + " (Windows error " + std::to_string(error) + ").");
  const UiLanguage language = PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_CHINESE
                                  ? UiLanguage::kChinese
                                  : UiLanguage::kEnglish;
  const bool logged = file_ != nullptr && file_->Writable();
  const UserMessage message =
      LibraryFailureMessage(language, file, error, logged ? folder_ : std::nullopt);
  ::MessageBoxW(nullptr, message.text.c_str(), message.title.c_str(),
                MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

int ProcessLog::Ended(int exit_code, ProcessEnd end) {
  Started(nullptr);
  // What the engine printed as it shut down comes before the end line.
  if (output_captured) DrainCapturedOutput(kOutputDrainMs);
  WriteLog(LogLevel::kInfo, FormatEndLine(exit_code, end));
  return exit_code;
}

}  // namespace quorvane
