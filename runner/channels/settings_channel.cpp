// Dispatch and argument checks of the settings channel; the store does the rest.
#include "runner/channels/settings_channel.h"

#include <cstdint>
#include <optional>
#include <string>

#include "runner/channels/argument_helpers.h"
#include "runner/channels/quick_start_value_name.h"

namespace quorvane {

namespace {

using flutter::EncodableValue;

struct ErrorReply {
  const char* code;
  const char* message;
};

constexpr ErrorReply kLaunchAtLoginReadFailed{"launch_at_login_read_failed",
                                              "Unable to read launch-at-login state."};
constexpr ErrorReply kLaunchAtLoginWriteFailed{"launch_at_login_write_failed",
                                               "Unable to update launch-at-login state."};
constexpr ErrorReply kCloseToTrayReadFailed{"close_to_tray_read_failed",
                                            "Unable to read close-to-tray state."};
constexpr ErrorReply kCloseToTrayWriteFailed{"close_to_tray_write_failed",
                                             "Unable to update close-to-tray state."};
constexpr ErrorReply kNotificationsReadFailed{"system_notifications_read_failed",
                                              "Unable to read system notifications state."};
constexpr ErrorReply kNotificationsWriteFailed{"system_notifications_write_failed",
                                               "Unable to update system notifications state."};
constexpr ErrorReply kQuickStartInvalidAccount{"quick_start_invalid_account",
                                               "Invalid quick-start account digest."};
constexpr ErrorReply kQuickStartReadFailed{"quick_start_read_failed",
                                           "Unable to read quick-start progress."};
constexpr ErrorReply kQuickStartWriteFailed{"quick_start_write_failed",
                                            "Unable to update quick-start progress."};

constexpr int32_t kMaxQuickStartStep = 3;

void ReplyError(flutter::MethodResult<>& result, const ErrorReply& error) {
  result.Error(error.code, error.message);
}

// A read's false is "off" unless the store left a real error code behind.
void ReplyToRead(flutter::MethodResult<>& result, SettingsStore& store,
                 bool (SettingsStore::*read)(), const ErrorReply& error) {
  if ((store.*read)()) {
    result.Success(EncodableValue(true));
    return;
  }
  const uint32_t code = store.LastError();
  if (code == 0 || code == kSettingsErrorFileNotFound) {
    result.Success(EncodableValue(false));
  } else {
    ReplyError(result, error);
  }
}

void ReplyToSwitch(const flutter::MethodCall<>& call, flutter::MethodResult<>& result,
                   SettingsStore& store, bool (SettingsStore::*write)(bool),
                   const ErrorReply& error) {
  const bool* enabled = GetEnabledArgument(call);
  if (enabled != nullptr && (store.*write)(*enabled)) {
    result.Success();
  } else {
    ReplyError(result, error);
  }
}

void ReadQuickStart(const flutter::MethodCall<>& call, flutter::MethodResult<>& result,
                    SettingsStore& store) {
  const std::optional<std::wstring> value_name = QuickStartValueName(call);
  if (!value_name) {
    ReplyError(result, kQuickStartInvalidAccount);
    return;
  }
  uint32_t progress = 0;
  if (!store.ReadQuickStartProgress(*value_name, &progress)) {
    ReplyError(result, kQuickStartReadFailed);
    return;
  }
  result.Success(EncodableValue(static_cast<int32_t>(progress)));
}

void WriteQuickStart(const flutter::MethodCall<>& call, flutter::MethodResult<>& result,
                     SettingsStore& store) {
  const std::optional<std::wstring> value_name = QuickStartValueName(call);
  const int32_t* value = GetIntArgument(call, "value");
  if (!value_name || value == nullptr || *value < 0 || *value > kMaxQuickStartStep ||
      !store.WriteQuickStartProgress(*value_name, static_cast<uint32_t>(*value))) {
    ReplyError(result, kQuickStartWriteFailed);
    return;
  }
  result.Success();
}

}  // namespace

void HandleSettingsCall(const flutter::MethodCall<>& call, flutter::MethodResult<>& result,
                        SettingsStore& store) {
  const std::string& method = call.MethodName();
  if (method == "isLaunchAtLoginEnabled") {
    ReplyToRead(result, store, &SettingsStore::ReadLaunchAtLogin, kLaunchAtLoginReadFailed);
  } else if (method == "setLaunchAtLogin") {
    ReplyToSwitch(call, result, store, &SettingsStore::WriteLaunchAtLogin,
                  kLaunchAtLoginWriteFailed);
  } else if (method == "isCloseToTrayEnabled") {
    ReplyToRead(result, store, &SettingsStore::ReadCloseToTray, kCloseToTrayReadFailed);
  } else if (method == "setCloseToTrayEnabled") {
    ReplyToSwitch(call, result, store, &SettingsStore::WriteCloseToTray, kCloseToTrayWriteFailed);
  } else if (method == "isSystemNotificationsEnabled") {
    ReplyToRead(result, store, &SettingsStore::ReadSystemNotifications, kNotificationsReadFailed);
  } else if (method == "setSystemNotificationsEnabled") {
    ReplyToSwitch(call, result, store, &SettingsStore::WriteSystemNotifications,
                  kNotificationsWriteFailed);
  } else if (method == "readQuickStartProgress") {
    ReadQuickStart(call, result, store);
  } else if (method == "writeQuickStartProgress") {
    WriteQuickStart(call, result, store);
  } else {
    result.NotImplemented();
  }
}

}  // namespace quorvane
