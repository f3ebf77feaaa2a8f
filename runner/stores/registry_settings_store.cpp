// Reads and writes the desktop preferences in HKEY_CURRENT_USER. Only what the
// writes produce is accepted back: a value of another type, size or range is
// invalid data, never the default.
#include "runner/stores/registry_settings_store.h"

#include <vector>

#include "runner/stores/registry_key.h"

namespace quorvane {

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"Quorvane AI";
// Where Task Manager and Settings switch a Run entry off without removing it:
// a REG_BINARY of the same name whose first byte has its lowest bit set.
constexpr wchar_t kStartupApprovedKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
constexpr BYTE kStartupDisabledBit = 0x01;
constexpr wchar_t kDesktopKey[] = L"Software\\QuorvaneAI\\Desktop";
constexpr wchar_t kCloseToTrayValue[] = L"CloseToTray";
constexpr wchar_t kCloseToTrayConfiguredValue[] = L"CloseToTrayConfigured";
constexpr wchar_t kSystemNotificationsValue[] = L"SystemNotifications";

constexpr DWORD kMaxQuickStartStep = 3;
// The classic path limit: a longer executable path is not recorded at all.
constexpr DWORD kPathBufferLength = MAX_PATH;

// What an operation reports: its bool and, when it failed, the Win32 code.
// kFalse is "off" for a read, never a failure.
struct Outcome {
  bool value;
  DWORD error;
};

constexpr Outcome kTrue{true, ERROR_SUCCESS};
constexpr Outcome kFalse{false, ERROR_SUCCESS};
constexpr Outcome Failure(DWORD code) { return {false, code}; }

// Reads always set the last-error value, so false with 0 means "off". This
// runs after every key of the operation is closed, so nothing overwrites it.
bool FinishRead(Outcome outcome) {
  SetLastError(outcome.error);
  return outcome.value;
}

// Writes leave the last-error value alone unless they fail.
bool FinishWrite(Outcome outcome) {
  if (!outcome.value) SetLastError(outcome.error);
  return outcome.value;
}

// One DWORD value as queried: the registry's code, the stored type and size,
// and the four data bytes as a little-endian number.
struct DwordQuery {
  LSTATUS code;
  DWORD type;
  DWORD size;
  DWORD data;

  bool IsDword() const {
    return code == ERROR_SUCCESS && type == REG_DWORD && size == sizeof(DWORD);
  }
  // A value that is there but unusable is invalid data unless the registry
  // already named the fault (ERROR_MORE_DATA for a longer value, say).
  DWORD FailureCode() const { return code != ERROR_SUCCESS ? code : ERROR_INVALID_DATA; }
};

DwordQuery QueryDword(RegistryApi& api, HKEY key, const wchar_t* name) {
  BYTE bytes[sizeof(DWORD)] = {};
  DwordQuery query{ERROR_SUCCESS, 0, sizeof(bytes), 0};
  query.code = api.QueryValue(key, name, &query.type, bytes, &query.size);
  query.data = static_cast<DWORD>(bytes[0]) | static_cast<DWORD>(bytes[1]) << 8 |
               static_cast<DWORD>(bytes[2]) << 16 | static_cast<DWORD>(bytes[3]) << 24;
  return query;
}

LSTATUS SetDword(RegistryApi& api, HKEY key, const wchar_t* name, DWORD value) {
  const BYTE bytes[sizeof(DWORD)] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                                     static_cast<BYTE>(value >> 16),
                                     static_cast<BYTE>(value >> 24)};
  return api.SetValue(key, name, REG_DWORD, bytes, sizeof(bytes));
}

// Whether Windows was told not to start the Run entry. An absent key or value,
// or a value of another type, leaves the entry enabled.
Outcome StartupDisabledOutcome(RegistryApi& api) {
  RegistryKey key(api);
  LSTATUS code = key.Open(HKEY_CURRENT_USER, kStartupApprovedKey, KEY_QUERY_VALUE);
  if (code == ERROR_FILE_NOT_FOUND) return kFalse;
  if (code != ERROR_SUCCESS) return Failure(code);

  DWORD type = 0;
  DWORD size = 0;
  code = api.QueryValue(key.get(), kRunValue, &type, nullptr, &size);
  if (code == ERROR_FILE_NOT_FOUND) return kFalse;
  if (code != ERROR_SUCCESS) return Failure(code);
  if (type != REG_BINARY || size == 0) return kFalse;

  std::vector<BYTE> mark(size);
  code = api.QueryValue(key.get(), kRunValue, &type, mark.data(), &size);
  if (code != ERROR_SUCCESS) return Failure(code);
  return {size > 0 && (mark[0] & kStartupDisabledBit) != 0, ERROR_SUCCESS};
}

// Removes the entry's mark: without one Windows starts the entry. An absent key
// or value is fine.
Outcome RemoveStartupMarkOutcome(RegistryApi& api) {
  RegistryKey key(api);
  LSTATUS code = key.Open(HKEY_CURRENT_USER, kStartupApprovedKey, KEY_SET_VALUE);
  if (code == ERROR_FILE_NOT_FOUND) return kTrue;
  if (code != ERROR_SUCCESS) return Failure(code);
  code = api.DeleteValue(key.get(), kRunValue);
  if (code == ERROR_SUCCESS || code == ERROR_FILE_NOT_FOUND) return kTrue;
  return Failure(code);
}

Outcome ReadLaunchAtLoginOutcome(RegistryApi& api) {
  RegistryKey key(api);
  LSTATUS code = key.Open(HKEY_CURRENT_USER, kRunKey, KEY_QUERY_VALUE);
  if (code == ERROR_FILE_NOT_FOUND) return kFalse;
  if (code != ERROR_SUCCESS) return Failure(code);

  // Only the entry's presence and type matter, never where it points.
  DWORD type = 0;
  DWORD size = 0;
  code = api.QueryValue(key.get(), kRunValue, &type, nullptr, &size);
  if (code == ERROR_FILE_NOT_FOUND) return kFalse;
  if (code != ERROR_SUCCESS) return Failure(code);
  if (type != REG_SZ && type != REG_EXPAND_SZ) return kFalse;

  // An entry switched off in Task Manager or Settings does not start.
  const Outcome disabled = StartupDisabledOutcome(api);
  if (disabled.error != ERROR_SUCCESS) return disabled;
  return {!disabled.value, ERROR_SUCCESS};
}

Outcome WriteLaunchAtLoginOutcome(RegistryApi& api, bool enabled) {
  RegistryKey key(api);
  LSTATUS code = key.Create(HKEY_CURRENT_USER, kRunKey, KEY_QUERY_VALUE | KEY_SET_VALUE);
  if (code != ERROR_SUCCESS) return Failure(code);

  if (!enabled) {
    code = api.DeleteValue(key.get(), kRunValue);
    if (code == ERROR_SUCCESS || code == ERROR_FILE_NOT_FOUND) return kTrue;
    return Failure(code);
  }

  wchar_t path[kPathBufferLength] = {};
  const DWORD length = api.ExecutablePath(path, kPathBufferLength);
  if (length == 0) return Failure(GetLastError());
  if (length >= kPathBufferLength) return Failure(ERROR_INSUFFICIENT_BUFFER);

  std::wstring command;
  command.reserve(length + 2);
  command.push_back(L'"');
  command.append(path, length);
  command.push_back(L'"');
  const DWORD byte_size = static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t));
  code = api.SetValue(key.get(), kRunValue, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                      byte_size);
  if (code != ERROR_SUCCESS) return Failure(code);
  // Switching on means Windows starts the entry, so a mark that may have
  // switched it off goes.
  return RemoveStartupMarkOutcome(api);
}

Outcome ReadCloseToTrayOutcome(RegistryApi& api) {
  RegistryKey key(api);
  const LSTATUS code = key.Open(HKEY_CURRENT_USER, kDesktopKey, KEY_QUERY_VALUE);
  if (code == ERROR_FILE_NOT_FOUND) return kTrue;
  if (code != ERROR_SUCCESS) return Failure(code);

  // "CloseToTray" counts only when the flag records that the user chose it;
  // without the flag the default applies, whatever "CloseToTray" holds.
  const DwordQuery configured = QueryDword(api, key.get(), kCloseToTrayConfiguredValue);
  if (configured.code == ERROR_FILE_NOT_FOUND) return kTrue;
  if (!configured.IsDword() || configured.data == 0) return Failure(configured.FailureCode());

  const DwordQuery close_to_tray = QueryDword(api, key.get(), kCloseToTrayValue);
  if (close_to_tray.code == ERROR_FILE_NOT_FOUND) return kTrue;
  if (!close_to_tray.IsDword()) return Failure(close_to_tray.FailureCode());
  return {close_to_tray.data != 0, ERROR_SUCCESS};
}

Outcome WriteCloseToTrayOutcome(RegistryApi& api, bool enabled) {
  RegistryKey key(api);
  const LSTATUS code = key.Create(HKEY_CURRENT_USER, kDesktopKey, KEY_SET_VALUE);
  if (code != ERROR_SUCCESS) return Failure(code);

  // The flag is written even when the choice itself failed; nothing is undone.
  const LSTATUS choice = SetDword(api, key.get(), kCloseToTrayValue, enabled ? 1 : 0);
  const LSTATUS flag = SetDword(api, key.get(), kCloseToTrayConfiguredValue, 1);
  if (choice != ERROR_SUCCESS) return Failure(choice);
  if (flag != ERROR_SUCCESS) return Failure(flag);
  return kTrue;
}

Outcome ReadSystemNotificationsOutcome(RegistryApi& api) {
  RegistryKey key(api);
  const LSTATUS code = key.Open(HKEY_CURRENT_USER, kDesktopKey, KEY_QUERY_VALUE);
  if (code == ERROR_FILE_NOT_FOUND) return kTrue;
  if (code != ERROR_SUCCESS) return Failure(code);

  const DwordQuery notifications = QueryDword(api, key.get(), kSystemNotificationsValue);
  if (notifications.code == ERROR_FILE_NOT_FOUND) return kTrue;
  if (!notifications.IsDword()) return Failure(notifications.FailureCode());
  return {notifications.data != 0, ERROR_SUCCESS};
}

Outcome WriteDesktopDword(RegistryApi& api, const wchar_t* name, DWORD value) {
  RegistryKey key(api);
  LSTATUS code = key.Create(HKEY_CURRENT_USER, kDesktopKey, KEY_SET_VALUE);
  if (code != ERROR_SUCCESS) return Failure(code);
  code = SetDword(api, key.get(), name, value);
  if (code != ERROR_SUCCESS) return Failure(code);
  return kTrue;
}

Outcome ReadQuickStartProgressOutcome(RegistryApi& api, const std::wstring& value_name,
                                      uint32_t* progress) {
  RegistryKey key(api);
  const LSTATUS code = key.Open(HKEY_CURRENT_USER, kDesktopKey, KEY_QUERY_VALUE);
  if (code == ERROR_FILE_NOT_FOUND) return kTrue;
  if (code != ERROR_SUCCESS) return Failure(code);

  const DwordQuery step = QueryDword(api, key.get(), value_name.c_str());
  if (step.code == ERROR_FILE_NOT_FOUND) return kTrue;
  if (!step.IsDword() || step.data > kMaxQuickStartStep) return Failure(step.FailureCode());
  // Only a valid step reaches the caller; a rejected value leaves progress as it was.
  *progress = step.data;
  return kTrue;
}

Outcome WriteQuickStartProgressOutcome(RegistryApi& api, const std::wstring& value_name,
                                       uint32_t progress) {
  if (progress > kMaxQuickStartStep) return Failure(ERROR_INVALID_DATA);
  return WriteDesktopDword(api, value_name.c_str(), progress);
}

}  // namespace

RegistrySettingsStore::RegistrySettingsStore() : api_(DefaultRegistryApi()) {}

RegistrySettingsStore::RegistrySettingsStore(RegistryApi& api) : api_(api) {}

bool RegistrySettingsStore::ReadLaunchAtLogin() {
  return FinishRead(ReadLaunchAtLoginOutcome(api_));
}

bool RegistrySettingsStore::WriteLaunchAtLogin(bool enabled) {
  return FinishWrite(WriteLaunchAtLoginOutcome(api_, enabled));
}

bool RegistrySettingsStore::ReadCloseToTray() { return FinishRead(ReadCloseToTrayOutcome(api_)); }

bool RegistrySettingsStore::WriteCloseToTray(bool enabled) {
  return FinishWrite(WriteCloseToTrayOutcome(api_, enabled));
}

bool RegistrySettingsStore::ReadSystemNotifications() {
  return FinishRead(ReadSystemNotificationsOutcome(api_));
}

bool RegistrySettingsStore::WriteSystemNotifications(bool enabled) {
  return FinishWrite(WriteDesktopDword(api_, kSystemNotificationsValue, enabled ? 1 : 0));
}

bool RegistrySettingsStore::ReadQuickStartProgress(const std::wstring& value_name,
                                                   uint32_t* progress) {
  return FinishRead(ReadQuickStartProgressOutcome(api_, value_name, progress));
}

bool RegistrySettingsStore::WriteQuickStartProgress(const std::wstring& value_name,
                                                    uint32_t progress) {
  return FinishWrite(WriteQuickStartProgressOutcome(api_, value_name, progress));
}

uint32_t RegistrySettingsStore::LastError() const { return GetLastError(); }

}  // namespace quorvane
