#include "runner/process/instance_rules.h"

namespace quorvane {
namespace {

constexpr intptr_t kShellExecuteSuccessThreshold = 32;

// Closes a platform handle when it leaves scope.
class ScopedPlatformHandle {
 public:
  ScopedPlatformHandle(InstancePlatform& platform, void* handle)
      : platform_(platform), handle_(handle) {}
  ~ScopedPlatformHandle() {
    if (handle_ != nullptr) platform_.CloseHandle(handle_);
  }
  ScopedPlatformHandle(const ScopedPlatformHandle&) = delete;
  ScopedPlatformHandle& operator=(const ScopedPlatformHandle&) = delete;

  void* get() const { return handle_; }

 private:
  InstancePlatform& platform_;
  void* handle_;
};

// Elevated only when the token opens, the query succeeds and the value is set.
bool IsProcessElevated(InstancePlatform& platform) {
  ScopedPlatformHandle token(platform, platform.OpenProcessTokenForQuery());
  if (token.get() == nullptr) return false;
  const std::optional<uint32_t> elevation = platform.QueryTokenElevation(token.get());
  return elevation.has_value() && *elevation != 0;
}

InstanceOutcome RelaunchElevated(InstancePlatform& platform, const wchar_t* command_line_tail) {
  wchar_t path[kExecutablePathCapacity] = {};
  if (platform.GetExecutablePath(path, kExecutablePathCapacity) == 0) {
    return {1, nullptr, ProcessEnd::kRelaunchFailed, platform.LastError()};
  }
  platform.AllowSetForegroundWindowForAny();
  const bool has_parameters = command_line_tail != nullptr && command_line_tail[0] != L'\0';
  const intptr_t started =
      platform.ExecuteWithVerb(kElevationVerb, path, has_parameters ? command_line_tail : nullptr);
  // A declined prompt leaves ERROR_CANCELLED behind.
  if (started <= kShellExecuteSuccessThreshold) {
    return {1, nullptr, ProcessEnd::kRelaunchFailed, platform.LastError()};
  }
  return {0, nullptr, ProcessEnd::kRelaunchedElevated};
}

}  // namespace

bool ActivateExistingWindow(InstancePlatform& platform, const std::vector<uint8_t>& handover) {
  void* window = platform.FindWindowByClassAndTitle(kWindowClassName, kWindowTitle);
  if (window == nullptr) return false;
  // First, so that the UI has the arguments by the time its window comes up.
  if (!handover.empty()) platform.SendData(window, kSecondStartSignature, handover);
  // SW_SHOW also brings back a window hidden by close to tray.
  platform.ShowWindow(window, platform.IsIconic(window) ? kRestore : kShow);
  platform.BringWindowToTop(window);
  platform.SetForegroundWindow(window);
  // The calls above reach a window of the same integrity level only; an
  // elevated window is asked to do the same itself, with the foreground right
  // passed on first so that it may take the foreground.
  const uint32_t process_id = platform.WindowProcessId(window);
  if (process_id != 0) platform.AllowSetForegroundWindowFor(process_id);
  const uint32_t activate = platform.RegisterMessage(kActivateMessageName);
  if (activate != 0) platform.PostMessageTo(window, activate);
  return true;
}

InstanceOutcome ApplyInstanceRules(InstancePlatform& platform, const wchar_t* command_line_tail,
                                   const std::vector<uint8_t>& handover) {
  // Before the elevation test, so that a second start never prompts.
  if (ActivateExistingWindow(platform, handover)) return {0, nullptr, ProcessEnd::kHandedOver};

  if (!IsProcessElevated(platform)) return RelaunchElevated(platform, command_line_tail);

  void* mutex = platform.CreateOwnedMutex(kSingleInstanceMutexName);
  if (mutex == nullptr) return {1, nullptr, ProcessEnd::kMutexFailed, platform.LastError()};
  if (platform.LastError() == kErrorAlreadyExists) {
    platform.CloseHandle(mutex);
    // The other instance may not have its window yet; then nothing is shown.
    ActivateExistingWindow(platform, handover);
    return {0, nullptr, ProcessEnd::kHandedOver};
  }
  return {std::nullopt, mutex};
}

}  // namespace quorvane
