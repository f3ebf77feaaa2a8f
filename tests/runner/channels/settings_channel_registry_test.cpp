#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "runner/channels/settings_channel.h"
#include "runner/stores/registry_settings_store.h"
#include "tests/support/recording_result.h"
#include "tests/support/registry_test_support.h"

namespace quorvane {
namespace {

using flutter::EncodableMap;
using flutter::EncodableValue;
using flutter::MethodCall;
using registry_test::DwordBytes;
using registry_test::kDesktopKey;
using registry_test::kRunKey;
using registry_test::kRunValue;
using registry_test::ReadRawValue;
using registry_test::SetRawValue;
using testing_support::RecordedAnswer;
using testing_support::RecordingResult;

const std::string kDigest(64, 'c');
const std::wstring kQuickStartName = L"QuickStart." + std::wstring(64, L'c');

// The settings channel over the real registry of the current user.
class SettingsChannelOnRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { registry_test::ResetSettings(); }
  void TearDown() override { registry_test::ResetSettings(); }

  RecordedAnswer Call(const std::string& method, EncodableMap arguments = {}) {
    MethodCall<> call(method, std::make_unique<EncodableValue>(std::move(arguments)));
    RecordingResult result;
    HandleSettingsCall(call, result, store);
    EXPECT_EQ(result.answers.size(), 1u);
    return result.answers.empty() ? RecordedAnswer{} : result.answers.front();
  }

  static void ExpectValue(const RecordedAnswer& answer, const EncodableValue& value) {
    EXPECT_EQ(answer.kind, RecordedAnswer::Kind::kSuccess) << answer.code;
    ASSERT_TRUE(answer.value.has_value());
    EXPECT_EQ(answer.value->index(), value.index());
    EXPECT_TRUE(*answer.value == value);
  }

  static void ExpectNoValue(const RecordedAnswer& answer) {
    EXPECT_EQ(answer.kind, RecordedAnswer::Kind::kSuccess) << answer.code;
    EXPECT_FALSE(answer.value.has_value());
  }

  RegistrySettingsStore store;
};

TEST_F(SettingsChannelOnRegistryTest, AFreshProfileAnswersTheDefaults) {
  ExpectValue(Call("isLaunchAtLoginEnabled"), EncodableValue(false));
  ExpectValue(Call("isCloseToTrayEnabled"), EncodableValue(true));
  ExpectValue(Call("isSystemNotificationsEnabled"), EncodableValue(true));
  ExpectValue(Call("readQuickStartProgress", {{EncodableValue("accountDigest"), kDigest}}),
              EncodableValue(int32_t{0}));
  EXPECT_FALSE(registry_test::KeyExists(kDesktopKey)) << "reads create nothing";
}

TEST_F(SettingsChannelOnRegistryTest, SwitchesAreReadBackAsWritten) {
  ExpectNoValue(
      Call("setCloseToTrayEnabled", {{EncodableValue("enabled"), EncodableValue(false)}}));
  ExpectValue(Call("isCloseToTrayEnabled"), EncodableValue(false));
  ExpectNoValue(
      Call("setSystemNotificationsEnabled", {{EncodableValue("enabled"), EncodableValue(false)}}));
  ExpectValue(Call("isSystemNotificationsEnabled"), EncodableValue(false));
  ExpectNoValue(Call("setLaunchAtLogin", {{EncodableValue("enabled"), EncodableValue(true)}}));
  ExpectValue(Call("isLaunchAtLoginEnabled"), EncodableValue(true));
  ExpectNoValue(Call("setLaunchAtLogin", {{EncodableValue("enabled"), EncodableValue(false)}}));
  ExpectValue(Call("isLaunchAtLoginEnabled"), EncodableValue(false));
}

TEST_F(SettingsChannelOnRegistryTest, ARefusedSwitchWritesNothing) {
  const RecordedAnswer answer =
      Call("setLaunchAtLogin", {{EncodableValue("enabled"), EncodableValue(int32_t{1})}});
  EXPECT_EQ(answer.code, "launch_at_login_write_failed");
  EXPECT_FALSE(ReadRawValue(kRunKey, kRunValue).has_value());
  ExpectNoValue(Call("setLaunchAtLogin", {{EncodableValue("enabled"), EncodableValue(false)}}));
}

TEST_F(SettingsChannelOnRegistryTest, StoredValuesOfTheWrongShapeAreReadFailures) {
  SetRawValue(kDesktopKey, L"CloseToTrayConfigured", REG_BINARY, DwordBytes(1));
  EXPECT_EQ(Call("isCloseToTrayEnabled").code, "close_to_tray_read_failed");
  SetRawValue(kDesktopKey, L"SystemNotifications", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(Call("isSystemNotificationsEnabled").code, "system_notifications_read_failed");
  SetRawValue(kDesktopKey, kQuickStartName.c_str(), REG_DWORD, DwordBytes(7));
  EXPECT_EQ(Call("readQuickStartProgress", {{EncodableValue("accountDigest"), kDigest}}).code,
            "quick_start_read_failed");
  // A Run entry that is not text is "off", not a failure.
  SetRawValue(kRunKey, kRunValue, REG_DWORD, DwordBytes(1));
  ExpectValue(Call("isLaunchAtLoginEnabled"), EncodableValue(false));
}

TEST_F(SettingsChannelOnRegistryTest, QuickStartProgressIsKeptPerAccount) {
  ExpectNoValue(Call("writeQuickStartProgress", {{EncodableValue("accountDigest"), kDigest},
                                                 {EncodableValue("value"), EncodableValue(3)}}));
  ExpectValue(Call("readQuickStartProgress", {{EncodableValue("accountDigest"), kDigest}}),
              EncodableValue(int32_t{3}));
  ExpectValue(
      Call("readQuickStartProgress", {{EncodableValue("accountDigest"), std::string(64, 'd')}}),
      EncodableValue(int32_t{0}));
  EXPECT_EQ(Call("writeQuickStartProgress", {{EncodableValue("accountDigest"), kDigest},
                                             {EncodableValue("value"), EncodableValue(4)}})
                .code,
            "quick_start_write_failed");
  EXPECT_EQ(ReadRawValue(kDesktopKey, kQuickStartName.c_str())->bytes, DwordBytes(3));
}

}  // namespace
}  // namespace quorvane
