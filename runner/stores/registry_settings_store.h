// The settings store over the current user's registry hive.
#pragma once

#include <cstdint>
#include <string>

#include "runner/stores/registry_api.h"
#include "runner/stores/settings_store_interface.h"

namespace quorvane {

/// Every operation opens (or creates) its one key, does its work, closes the
/// key and returns; nothing is cached, so values changed by other programs are
/// seen by the next call. Failures leave a Win32 code in the thread's
/// last-error value.
class RegistrySettingsStore : public SettingsStore {
 public:
  RegistrySettingsStore();
  /// Uses api for every registry and module-path call; api must outlive the store.
  explicit RegistrySettingsStore(RegistryApi& api);

  bool ReadLaunchAtLogin() override;
  bool WriteLaunchAtLogin(bool enabled) override;
  bool ReadCloseToTray() override;
  bool WriteCloseToTray(bool enabled) override;
  bool ReadSystemNotifications() override;
  bool WriteSystemNotifications(bool enabled) override;
  bool ReadQuickStartProgress(const std::wstring& value_name, uint32_t* progress) override;
  bool WriteQuickStartProgress(const std::wstring& value_name, uint32_t progress) override;

  /// GetLastError() of the calling thread.
  uint32_t LastError() const override;

 private:
  RegistryApi& api_;
};

}  // namespace quorvane
