// Free-function access to the registry-backed settings store.
#include "runner/stores/settings_store.h"

#include "runner/stores/registry_settings_store.h"

namespace quorvane {

bool ReadLaunchAtLogin() { return RegistrySettingsStore().ReadLaunchAtLogin(); }

bool WriteLaunchAtLogin(bool enabled) {
  return RegistrySettingsStore().WriteLaunchAtLogin(enabled);
}

bool ReadCloseToTray() { return RegistrySettingsStore().ReadCloseToTray(); }

bool WriteCloseToTray(bool enabled) { return RegistrySettingsStore().WriteCloseToTray(enabled); }

bool ReadSystemNotifications() { return RegistrySettingsStore().ReadSystemNotifications(); }

bool WriteSystemNotifications(bool enabled) {
  return RegistrySettingsStore().WriteSystemNotifications(enabled);
}

bool ReadQuickStartProgress(const std::wstring& value_name, uint32_t* progress) {
  return RegistrySettingsStore().ReadQuickStartProgress(value_name, progress);
}

bool WriteQuickStartProgress(const std::wstring& value_name, uint32_t progress) {
  return RegistrySettingsStore().WriteQuickStartProgress(value_name, progress);
}

}  // namespace quorvane
