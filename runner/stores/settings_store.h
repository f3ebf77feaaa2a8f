// The desktop preferences in the current user's registry hive, as free
// functions over a default RegistrySettingsStore. Each returns false on
// failure with a Win32 code in the thread's last-error value; the reads set
// that value to 0 first, so false with 0 means "off".
#pragma once

#include <cstdint>
#include <string>

namespace quorvane {

bool ReadLaunchAtLogin();
bool WriteLaunchAtLogin(bool enabled);
bool ReadCloseToTray();
bool WriteCloseToTray(bool enabled);
bool ReadSystemNotifications();
bool WriteSystemNotifications(bool enabled);
/// Leaves progress as it was when nothing is stored for value_name.
bool ReadQuickStartProgress(const std::wstring& value_name, uint32_t* progress);
bool WriteQuickStartProgress(const std::wstring& value_name, uint32_t progress);

}  // namespace quorvane
