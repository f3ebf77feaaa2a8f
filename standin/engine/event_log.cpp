// JSON Lines event log.
#include "standin/engine/event_log.h"

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <windows.h>

#include "standin/engine/text_conversion.h"

namespace standin {
namespace {

std::mutex latest_mutex;
// Kept open after its engine is gone, for reports about handles used too late.
std::shared_ptr<EventLog> latest;

// A stream of this library's own over the process's standard output handle as
// it is now, as the real engine (which has a runtime of its own) writes; the
// runtime's stdout when there is no such handle.
std::FILE* OpenStandardOutput() {
  const HANDLE process = GetCurrentProcess();
  const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  HANDLE copy = nullptr;
  if (output == nullptr || output == INVALID_HANDLE_VALUE ||
      !DuplicateHandle(process, output, process, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
    return stdout;
  }
  const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(copy), _O_TEXT);
  if (descriptor == -1) {
    CloseHandle(copy);
    return stdout;
  }
  std::FILE* stream = _fdopen(descriptor, "w");
  if (stream == nullptr) {
    _close(descriptor);
    return stdout;
  }
  return stream;
}

}  // namespace

std::shared_ptr<EventLog> EventLog::Open(const std::wstring& path) {
  std::FILE* file = nullptr;
  if (!path.empty()) file = _wfsopen(FilePathFromEnvironment(path).c_str(), L"wb", _SH_DENYNO);
  const bool to_standard_output = file == nullptr;
  if (to_standard_output) file = OpenStandardOutput();
  std::shared_ptr<EventLog> log(new EventLog(file));
  log->to_standard_output_ = to_standard_output;
  std::lock_guard<std::mutex> lock(latest_mutex);
  latest = log;
  return log;
}

std::shared_ptr<EventLog> EventLog::Latest() {
  std::lock_guard<std::mutex> lock(latest_mutex);
  return latest;
}

EventLog::EventLog(std::FILE* file) : file_(file) {}

EventLog::~EventLog() {
  if (file_ != stdout) std::fclose(file_);
}

void EventLog::FollowStandardOutput() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!to_standard_output_) return;
  std::FILE* reopened = OpenStandardOutput();
  if (file_ != stdout) std::fclose(file_);
  file_ = reopened;
}

void EventLog::Write(const nlohmann::json& event) {
  const std::string line =
      event.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
  std::lock_guard<std::mutex> lock(mutex_);
  std::fwrite(line.data(), 1, line.size(), file_);
  std::fflush(file_);
}

}  // namespace standin
