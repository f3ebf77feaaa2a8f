// Starts the real host executable with the scripted stand-in engine and
// watches it from outside: its event log, its window, its standard error and
// its exit code.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

using Json = nlohmann::json;
using std::chrono::milliseconds;

/// How long any single wait of a check may take before it fails.
constexpr milliseconds kPatience{20000};

/// The directory of the running test executable, which also holds the host
/// executable and the stand-in libraries.
std::wstring BinaryDirectory();

/// A fresh file path in the temporary directory.
std::wstring TemporaryPath(const std::wstring& stem);

struct HostOptions {
  /// Script steps, one JSON object each; none means the interactive stand-in.
  std::vector<Json> script;
  /// Everything after the program name, exactly as it goes to CreateProcessW.
  std::wstring command_line_tail;
  /// Extra environment variables for the host.
  std::map<std::wstring, std::wstring> environment;
  /// Started as Explorer starts programs: without standard output and error.
  /// The stand-in then prints its events to standard output instead of the
  /// event log file.
  bool without_standard_streams = false;
};

/// One run of quorvane_ai.exe. Destroying it ends the process if it is still
/// running.
class HostProcess {
 public:
  explicit HostProcess(const HostOptions& options);
  ~HostProcess();

  HostProcess(const HostProcess&) = delete;
  HostProcess& operator=(const HostProcess&) = delete;

  bool started() const { return process_ != nullptr; }
  DWORD id() const { return process_id_; }

  /// The exit code once the process has ended within the timeout.
  std::optional<DWORD> WaitForExit(milliseconds timeout = kPatience);
  bool IsRunning();

  /// The events logged so far, one parsed JSON object per line.
  std::vector<Json> Events() const;
  /// Waits until an event matches; the first match.
  std::optional<Json> WaitForEvent(const std::function<bool(const Json&)>& matches,
                                   milliseconds timeout = kPatience);
  /// The first logged reply to method on channel, waiting for it.
  std::optional<Json> WaitForReply(const std::string& channel, const std::string& method,
                                   milliseconds timeout = kPatience);

  /// This process's top-level window with the application's title, or null.
  HWND FindOwnWindow() const;
  /// Waits until the window exists and its visibility is as asked.
  HWND WaitForWindow(bool visible, milliseconds timeout = kPatience) const;

  /// What the host wrote to standard error so far.
  std::string StandardError() const;

  void Terminate();

 private:
  std::wstring log_path_;
  std::wstring script_path_;
  std::wstring error_path_;
  HANDLE process_ = nullptr;
  DWORD process_id_ = 0;
};

/// Matches a logged event by its "event" member and, optionally, more members.
std::function<bool(const Json&)> EventIs(const std::string& name, const Json& members = {});

/// Waits for condition to hold, polling; false when the timeout passed first.
bool WaitUntil(const std::function<bool()>& condition, milliseconds timeout = kPatience);

/// A script step: a call of method on channel with args.
Json Call(const std::string& channel, const std::string& method, const Json& args = nullptr);
/// A script step: a pause of the script.
Json Wait(int milliseconds_to_wait);
/// The script step that ends the script.
extern const Json kEnd;

/// The host's standard error split into lines; the runtime writes text-mode
/// line ends (CR LF).
std::vector<std::string> StandardErrorLines(const HostProcess& host);

/// How many of the events logged so far match.
size_t CountOf(const HostProcess& host, const std::function<bool(const Json&)>& matches);

/// Sends a message from this process as another program would (the system at
/// log-off, an installer through the Restart Manager); the answer, or none when
/// the host did not answer in time.
std::optional<LRESULT> SendFromOutside(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

/// "%LOCALAPPDATA%\\Quorvane AI", where the host keeps its log and dumps.
std::wstring HostDataFolder();
/// The host's log file as it is now; empty when there is none.
std::string HostLog();
/// The host's log lines written by the process with this id, without line ends.
std::vector<std::string> HostLogLinesOf(DWORD process_id);
/// The host's crash dumps, oldest first.
std::vector<std::wstring> HostDumps();
/// Removes the host's log files, dumps and crash notice.
void RemoveHostDiagnostics();
std::string ReadFile(const std::wstring& path);

/// The application's window title.
extern const wchar_t kHostWindowTitle[];

}  // namespace e2e
