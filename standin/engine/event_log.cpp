// JSON Lines event log.
#include "standin/engine/event_log.h"

#include <share.h>

#include "standin/engine/text_conversion.h"

namespace standin {
namespace {

std::mutex latest_mutex;
// Kept open after its engine is gone, for reports about handles used too late.
std::shared_ptr<EventLog> latest;

}  // namespace

std::shared_ptr<EventLog> EventLog::Open(const std::wstring& path) {
  std::FILE* file = nullptr;
  if (!path.empty()) file = _wfsopen(FilePathFromEnvironment(path).c_str(), L"wb", _SH_DENYNO);
  std::shared_ptr<EventLog> log(new EventLog(file != nullptr ? file : stdout));
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

void EventLog::Write(const nlohmann::json& event) {
  const std::string line =
      event.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
  std::lock_guard<std::mutex> lock(mutex_);
  std::fwrite(line.data(), 1, line.size(), file_);
  std::fflush(file_);
}

}  // namespace standin
