#include "runner/channels/settings_channel.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/recording_result.h"

namespace quorvane {
namespace {

using flutter::EncodableList;
using flutter::EncodableMap;
using flutter::EncodableValue;
using flutter::MethodCall;
using testing_support::RecordedAnswer;
using testing_support::RecordingResult;

const std::string kDigest = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";

// Answers every operation with one scripted bool and last-error value, and
// records the calls it receives.
class FakeSettingsStore : public SettingsStore {
 public:
  bool answer = true;
  uint32_t last_error = 0;
  // Placed in progress by a successful read; nothing stored when empty.
  std::optional<uint32_t> stored_progress;
  std::vector<std::string> calls;
  std::wstring value_name;

  bool ReadLaunchAtLogin() override { return Record("ReadLaunchAtLogin"); }
  bool WriteLaunchAtLogin(bool enabled) override { return Record("WriteLaunchAtLogin", enabled); }
  bool ReadCloseToTray() override { return Record("ReadCloseToTray"); }
  bool WriteCloseToTray(bool enabled) override { return Record("WriteCloseToTray", enabled); }
  bool ReadSystemNotifications() override { return Record("ReadSystemNotifications"); }
  bool WriteSystemNotifications(bool enabled) override {
    return Record("WriteSystemNotifications", enabled);
  }
  bool ReadQuickStartProgress(const std::wstring& name, uint32_t* progress) override {
    value_name = name;
    if (answer && stored_progress) *progress = *stored_progress;
    return Record("ReadQuickStartProgress");
  }
  bool WriteQuickStartProgress(const std::wstring& name, uint32_t progress) override {
    value_name = name;
    return Record("WriteQuickStartProgress", progress);
  }
  uint32_t LastError() const override { return last_error; }

 private:
  bool Record(const std::string& operation) {
    calls.push_back(operation);
    return answer;
  }
  bool Record(const std::string& operation, uint32_t argument) {
    calls.push_back(operation + "(" + std::to_string(argument) + ")");
    return answer;
  }
};

struct Method {
  const char* name;
  const char* operation;
  const char* code;
  const char* message;
};

const Method kReads[] = {
    {"isLaunchAtLoginEnabled", "ReadLaunchAtLogin", "launch_at_login_read_failed",
     "Unable to read launch-at-login state."},
    {"isCloseToTrayEnabled", "ReadCloseToTray", "close_to_tray_read_failed",
     "Unable to read close-to-tray state."},
    {"isSystemNotificationsEnabled", "ReadSystemNotifications", "system_notifications_read_failed",
     "Unable to read system notifications state."},
};

const Method kSwitches[] = {
    {"setLaunchAtLogin", "WriteLaunchAtLogin", "launch_at_login_write_failed",
     "Unable to update launch-at-login state."},
    {"setCloseToTrayEnabled", "WriteCloseToTray", "close_to_tray_write_failed",
     "Unable to update close-to-tray state."},
    {"setSystemNotificationsEnabled", "WriteSystemNotifications",
     "system_notifications_write_failed", "Unable to update system notifications state."},
};

std::unique_ptr<EncodableValue> Map(EncodableMap map) {
  return std::make_unique<EncodableValue>(std::move(map));
}

// Handles one call and returns its single answer.
RecordedAnswer Handle(const std::string& method, std::unique_ptr<EncodableValue> arguments,
                      SettingsStore& store) {
  MethodCall<> call(method, std::move(arguments));
  RecordingResult result;
  HandleSettingsCall(call, result, store);
  EXPECT_EQ(result.answers.size(), 1u) << method;
  return result.answers.empty() ? RecordedAnswer{} : result.answers.front();
}

void ExpectSuccess(const RecordedAnswer& answer, const std::optional<EncodableValue>& value) {
  EXPECT_EQ(answer.kind, RecordedAnswer::Kind::kSuccess);
  EXPECT_EQ(answer.value.has_value(), value.has_value());
  if (answer.value && value) {
    EXPECT_EQ(answer.value->index(), value->index());
    EXPECT_TRUE(*answer.value == *value);
  }
}

void ExpectError(const RecordedAnswer& answer, const std::string& code,
                 const std::string& message) {
  EXPECT_EQ(answer.kind, RecordedAnswer::Kind::kError);
  EXPECT_EQ(answer.code, code);
  EXPECT_EQ(answer.message, message);
  EXPECT_FALSE(answer.value.has_value()) << "errors carry no details";
}

TEST(SettingsChannel, ReadMethodsAnswerTheStoredSwitch) {
  for (const Method& method : kReads) {
    SCOPED_TRACE(method.name);
    FakeSettingsStore on;
    ExpectSuccess(Handle(method.name, nullptr, on), EncodableValue(true));
    EXPECT_EQ(on.calls, std::vector<std::string>{method.operation});

    // False is "off" while the store's code is 0 or "not found".
    for (uint32_t code : {0u, 2u}) {
      FakeSettingsStore off;
      off.answer = false;
      off.last_error = code;
      ExpectSuccess(Handle(method.name, nullptr, off), EncodableValue(false));
    }
  }
}

TEST(SettingsChannel, ReadMethodsReportEveryOtherCodeAsTheirError) {
  for (const Method& method : kReads) {
    SCOPED_TRACE(method.name);
    for (uint32_t code : {5u, 13u, 234u}) {
      FakeSettingsStore store;
      store.answer = false;
      store.last_error = code;
      ExpectError(Handle(method.name, nullptr, store), method.code, method.message);
    }
  }
}

TEST(SettingsChannel, SwitchMethodsPassEnabledAndAnswerWithoutValue) {
  for (const Method& method : kSwitches) {
    SCOPED_TRACE(method.name);
    for (bool enabled : {true, false}) {
      FakeSettingsStore store;
      // A stale code does not turn a successful write into a failure.
      store.last_error = 5;
      ExpectSuccess(
          Handle(method.name, Map({{EncodableValue("enabled"), EncodableValue(enabled)}}), store),
          std::nullopt);
      EXPECT_EQ(store.calls, std::vector<std::string>{std::string(method.operation) +
                                                      (enabled ? "(1)" : "(0)")});
    }
  }
}

TEST(SettingsChannel, SwitchMethodsAnswerAFailedWriteWithTheirError) {
  for (const Method& method : kSwitches) {
    SCOPED_TRACE(method.name);
    // A failed write is an error even when the store left no code behind.
    FakeSettingsStore store;
    store.answer = false;
    ExpectError(
        Handle(method.name, Map({{EncodableValue("enabled"), EncodableValue(true)}}), store),
        method.code, method.message);
  }
}

TEST(SettingsChannel, SwitchMethodsRefuseAMissingOrMistypedEnabledWithoutWriting) {
  for (const Method& method : kSwitches) {
    SCOPED_TRACE(method.name);
    std::vector<std::unique_ptr<EncodableValue>> arguments;
    arguments.push_back(nullptr);
    arguments.push_back(std::make_unique<EncodableValue>());
    arguments.push_back(std::make_unique<EncodableValue>(EncodableList{EncodableValue(true)}));
    arguments.push_back(Map({}));
    arguments.push_back(Map({{EncodableValue("enabled"), EncodableValue(int32_t{1})}}));
    arguments.push_back(Map({{EncodableValue("enabled"), EncodableValue("true")}}));
    arguments.push_back(Map({{EncodableValue("Enabled"), EncodableValue(true)}}));
    for (auto& argument : arguments) {
      FakeSettingsStore store;
      ExpectError(Handle(method.name, std::move(argument), store), method.code, method.message);
      EXPECT_TRUE(store.calls.empty());
    }
  }
}

TEST(SettingsChannel, ReadQuickStartProgressAnswersTheStoredStepAsInt32) {
  for (uint32_t step : {0u, 1u, 3u}) {
    FakeSettingsStore store;
    store.stored_progress = step;
    ExpectSuccess(
        Handle("readQuickStartProgress", Map({{EncodableValue("accountDigest"), kDigest}}), store),
        EncodableValue(static_cast<int32_t>(step)));
    EXPECT_EQ(store.value_name,
              L"QuickStart.0123456789abcdef0123456789abcdef0123456789abcdef"
              L"0123456789abcdef");
    EXPECT_EQ(store.value_name.size(), 75u);
  }
}

TEST(SettingsChannel, ReadQuickStartProgressStartsFromZero) {
  // Nothing stored: the store leaves progress alone and the answer is 0.
  FakeSettingsStore store;
  ExpectSuccess(
      Handle("readQuickStartProgress", Map({{EncodableValue("accountDigest"), kDigest}}), store),
      EncodableValue(int32_t{0}));
}

TEST(SettingsChannel, ReadQuickStartProgressReportsAFailedRead) {
  FakeSettingsStore store;
  store.answer = false;
  store.last_error = 13;
  ExpectError(
      Handle("readQuickStartProgress", Map({{EncodableValue("accountDigest"), kDigest}}), store),
      "quick_start_read_failed", "Unable to read quick-start progress.");
}

// Arguments whose digest must never reach the store.
std::vector<std::unique_ptr<EncodableValue>> BadDigests(EncodableMap extra) {
  std::vector<EncodableValue> digests = {
      EncodableValue(std::string(kDigest).replace(10, 1, "A")),  // upper case
      EncodableValue(kDigest.substr(1)),                         // 63 characters
      EncodableValue(kDigest + "0"),                             // 65 characters
      EncodableValue(std::string(kDigest).replace(0, 1, " ")),   // white space
      EncodableValue(std::string(kDigest).replace(63, 1, "g")),  // not hexadecimal
      EncodableValue(std::string(kDigest).replace(5, 1, std::string(1, '\0'))),
      EncodableValue(int32_t{12345}),
      EncodableValue(std::vector<uint8_t>(kDigest.begin(), kDigest.end())),
  };
  std::vector<std::unique_ptr<EncodableValue>> arguments;
  for (const EncodableValue& digest : digests) {
    EncodableMap map = extra;
    map[EncodableValue("accountDigest")] = digest;
    arguments.push_back(Map(map));
  }
  arguments.push_back(nullptr);
  arguments.push_back(Map(extra));
  arguments.push_back(std::make_unique<EncodableValue>(EncodableList{EncodableValue(kDigest)}));
  arguments.push_back(Map({{EncodableValue(std::vector<uint8_t>{'a'}), EncodableValue(kDigest)}}));
  return arguments;
}

TEST(SettingsChannel, ReadQuickStartProgressRefusesAnInvalidDigest) {
  for (auto& arguments : BadDigests({})) {
    FakeSettingsStore store;
    ExpectError(Handle("readQuickStartProgress", std::move(arguments), store),
                "quick_start_invalid_account", "Invalid quick-start account digest.");
    EXPECT_TRUE(store.calls.empty());
  }
}

TEST(SettingsChannel, WriteQuickStartProgressStoresSteps0To3) {
  for (int32_t step : {0, 1, 2, 3}) {
    FakeSettingsStore store;
    ExpectSuccess(Handle("writeQuickStartProgress",
                         Map({{EncodableValue("accountDigest"), kDigest},
                              {EncodableValue("value"), EncodableValue(step)}}),
                         store),
                  std::nullopt);
    EXPECT_EQ(store.calls,
              std::vector<std::string>{"WriteQuickStartProgress(" + std::to_string(step) + ")"});
    EXPECT_EQ(store.value_name, L"QuickStart." + std::wstring(kDigest.begin(), kDigest.end()));
  }
}

TEST(SettingsChannel, WriteQuickStartProgressRefusesBadValuesWithoutWriting) {
  const EncodableValue values[] = {
      EncodableValue(int32_t{4}), EncodableValue(int32_t{-1}),
      EncodableValue(INT32_MIN),  EncodableValue(int64_t{3}),
      EncodableValue(3.0),        EncodableValue("3"),
      EncodableValue(true),       EncodableValue(),
  };
  for (const EncodableValue& value : values) {
    FakeSettingsStore store;
    ExpectError(
        Handle("writeQuickStartProgress",
               Map({{EncodableValue("accountDigest"), kDigest}, {EncodableValue("value"), value}}),
               store),
        "quick_start_write_failed", "Unable to update quick-start progress.");
    EXPECT_TRUE(store.calls.empty());
  }
  FakeSettingsStore missing;
  ExpectError(
      Handle("writeQuickStartProgress", Map({{EncodableValue("accountDigest"), kDigest}}), missing),
      "quick_start_write_failed", "Unable to update quick-start progress.");
  EXPECT_TRUE(missing.calls.empty());
}

TEST(SettingsChannel, WriteQuickStartProgressAnswersAnInvalidDigestAsAFailedWrite) {
  for (auto& arguments : BadDigests({{EncodableValue("value"), EncodableValue(int32_t{1})}})) {
    FakeSettingsStore store;
    ExpectError(Handle("writeQuickStartProgress", std::move(arguments), store),
                "quick_start_write_failed", "Unable to update quick-start progress.");
    EXPECT_TRUE(store.calls.empty());
  }
}

TEST(SettingsChannel, WriteQuickStartProgressReportsAFailedWrite) {
  FakeSettingsStore store;
  store.answer = false;
  ExpectError(Handle("writeQuickStartProgress",
                     Map({{EncodableValue("accountDigest"), kDigest},
                          {EncodableValue("value"), EncodableValue(int32_t{2})}}),
                     store),
              "quick_start_write_failed", "Unable to update quick-start progress.");
}

TEST(SettingsChannel, OnlyExactMethodNamesAreImplemented) {
  const char* names[] = {"IsLaunchAtLoginEnabled", "setlaunchatlogin",      "isCloseToTrayEnabled ",
                         "isCloseToTray",          "readQuickStartProgres", "",
                         "writeCodexToken",        "setCloseToTray"};
  for (const char* name : names) {
    FakeSettingsStore store;
    EXPECT_EQ(Handle(name, Map({{EncodableValue("enabled"), EncodableValue(true)}}), store).kind,
              RecordedAnswer::Kind::kNotImplemented)
        << name;
    EXPECT_TRUE(store.calls.empty());
  }
}

}  // namespace
}  // namespace quorvane
