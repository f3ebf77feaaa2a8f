// The event log: one JSON object a line, each line flushed as it is written.
#pragma once

#include <cstdio>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>

namespace standin {

class EventLog {
 public:
  /// Writes to the file at path (emptied first) or, with an empty path or one
  /// that cannot be opened, to the process's standard output handle. The log
  /// becomes the latest one.
  static std::shared_ptr<EventLog> Open(const std::wstring& path);
  /// The most recently opened log, or null before the first.
  static std::shared_ptr<EventLog> Latest();

  ~EventLog();
  EventLog(const EventLog&) = delete;
  EventLog& operator=(const EventLog&) = delete;

  /// A log on standard output takes the process's standard output handle again,
  /// as an engine with a runtime of its own does when asked to resync.
  void FollowStandardOutput();

  /// Writes the event as one line. Text that is not valid UTF-8 is written with
  /// replacement characters. Safe from any thread.
  void Write(const nlohmann::json& event);

 private:
  explicit EventLog(std::FILE* file);

  std::mutex mutex_;
  std::FILE* file_;
  bool to_standard_output_ = false;
};

}  // namespace standin
