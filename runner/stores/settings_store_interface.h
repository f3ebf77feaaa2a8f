// The eight preference operations the settings channel relies on, behind an
// interface so that the channel logic is tested without a registry.
#pragma once

#include <cstdint>
#include <string>

namespace quorvane {

/// Win32 error codes with a meaning of their own for the settings store.
constexpr uint32_t kSettingsErrorFileNotFound = 2;  // absent: use the default
constexpr uint32_t kSettingsErrorInvalidData = 13;  // present but of the wrong type, size or range

/// Each operation returns false on failure and leaves a Win32 error code for
/// LastError(). The four reads clear that code first, so a read that returns
/// false while LastError() is 0 means "off" rather than "failed".
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  virtual bool ReadLaunchAtLogin() = 0;
  virtual bool WriteLaunchAtLogin(bool enabled) = 0;
  virtual bool ReadCloseToTray() = 0;
  virtual bool WriteCloseToTray(bool enabled) = 0;
  virtual bool ReadSystemNotifications() = 0;
  virtual bool WriteSystemNotifications(bool enabled) = 0;
  /// Places the stored step (0 to 3) in progress; leaves progress as it was
  /// when nothing is stored.
  virtual bool ReadQuickStartProgress(const std::wstring& value_name, uint32_t* progress) = 0;
  virtual bool WriteQuickStartProgress(const std::wstring& value_name, uint32_t progress) = 0;

  /// The error code left by the last operation; read it right after the call.
  virtual uint32_t LastError() const = 0;
};

}  // namespace quorvane
