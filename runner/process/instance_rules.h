// The process rules applied before anything else: a running instance's window
// is brought to the front instead of starting again, the process always runs
// elevated, and one elevated instance runs per logon.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "runner/process/process_end.h"
#include "runner/process/second_start_message.h"

namespace quorvane {

/// The main window's title and class; a second start finds the running
/// instance by both, so that another program's window with the same title (an
/// Explorer window on a folder of that name) is never taken for it.
inline constexpr wchar_t kWindowTitle[] = L"Quorvane AI \u7efc\u5408\u5e73\u53f0";
inline constexpr wchar_t kWindowClassName[] = L"FLUTTER_RUNNER_WIN32_WINDOW";
/// The registered window message that asks the running window to show, restore
/// and activate itself. It crosses integrity levels, where the direct calls of
/// a non-elevated second start on the elevated window are silently dropped.
inline constexpr wchar_t kActivateMessageName[] = L"QuorvaneAI.Desktop.ActivateWindow.v1";
inline constexpr wchar_t kSingleInstanceMutexName[] =
    L"Local\\QuorvaneAI.Desktop.SingleInstance.v1";
inline constexpr wchar_t kElevationVerb[] = L"runas";
/// Characters of the buffer that receives the executable's path.
inline constexpr uint32_t kExecutablePathCapacity = 260;

/// ShowWindow commands the rules use.
inline constexpr int kShow = 5;
inline constexpr int kRestore = 9;

inline constexpr uint32_t kErrorAlreadyExists = 183;

/// The platform operations the rules are built on, with only the results the
/// rules rely on. Handles are opaque.
class InstancePlatform {
 public:
  virtual ~InstancePlatform() = default;

  /// A top-level window of exactly this class and title (hidden ones
  /// included), or null.
  virtual void* FindWindowByClassAndTitle(const wchar_t* class_name, const wchar_t* title) = 0;
  virtual bool IsIconic(void* window) = 0;
  virtual void ShowWindow(void* window, int command) = 0;
  virtual void BringWindowToTop(void* window) = 0;
  virtual void SetForegroundWindow(void* window) = 0;
  /// The id of the process that owns window, 0 when unknown.
  virtual uint32_t WindowProcessId(void* window) = 0;
  /// Lets that process take the foreground; the result is ignored.
  virtual void AllowSetForegroundWindowFor(uint32_t process_id) = 0;
  /// The id of the registered message with this name, 0 on failure.
  virtual uint32_t RegisterMessage(const wchar_t* name) = 0;
  /// Queues message to window with both parameters 0; the result is ignored.
  virtual void PostMessageTo(void* window, uint32_t message) = 0;
  /// Hands bytes to window in a WM_COPYDATA message with this signature and
  /// waits, a bounded time, until it has been handled; the result is ignored.
  virtual void SendData(void* window, uintptr_t signature, const std::vector<uint8_t>& bytes) = 0;

  /// The current process's token opened for querying, or null.
  virtual void* OpenProcessTokenForQuery() = 0;
  /// The token's TokenIsElevated value, or none when the query fails.
  virtual std::optional<uint32_t> QueryTokenElevation(void* token) = 0;
  virtual void CloseHandle(void* handle) = 0;

  /// Writes the executable's path into buffer; the number of characters
  /// written, 0 on failure.
  virtual uint32_t GetExecutablePath(wchar_t* buffer, uint32_t capacity) = 0;
  virtual void AllowSetForegroundWindowForAny() = 0;
  /// ShellExecuteW without owner or working directory, shown normally; the
  /// result as a signed integer (above 32 means started).
  virtual intptr_t ExecuteWithVerb(const wchar_t* verb, const wchar_t* file,
                                   const wchar_t* parameters) = 0;

  /// A named mutex created with initial ownership, or null.
  virtual void* CreateOwnedMutex(const wchar_t* name) = 0;
  /// The calling thread's last-error value.
  virtual uint32_t LastError() = 0;
};

/// Either an exit code for the process, with why it ends and the Windows error
/// behind a failure, or permission to go on holding the single-instance mutex,
/// which the caller closes at shut-down.
struct InstanceOutcome {
  std::optional<int> exit_code;
  void* mutex = nullptr;
  ProcessEnd end = ProcessEnd::kHandedOver;
  uint32_t error = 0;
};

/// Finds the running instance's window, hands it this start's arguments and
/// working directory (handover, the second-start message; nothing when empty),
/// and shows, raises and activates it (restoring it when minimised); then lets
/// its process take the foreground and posts it the activation message, which
/// does the same from inside that process. False when there is no such window.
bool ActivateExistingWindow(InstancePlatform& platform, const std::vector<uint8_t>& handover = {});

/// Applies the rules in order: hand over to a running instance's window (exit 0);
/// when not elevated, re-launch through "runas" with the same command-line tail
/// (exit 0 when the shell accepted, 1 otherwise); when elevated, take the
/// single-instance mutex (exit 1 when it cannot be created, 0 after activating
/// the other instance when it is held already).
InstanceOutcome ApplyInstanceRules(InstancePlatform& platform, const wchar_t* command_line_tail,
                                   const std::vector<uint8_t>& handover = {});

}  // namespace quorvane
