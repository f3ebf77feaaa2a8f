#include "runner/stores/registry_settings_store.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "runner/stores/settings_store.h"
#include "tests/support/registry_test_support.h"

namespace quorvane {
namespace {

using registry_test::DwordBytes;
using registry_test::kDesktopKey;
using registry_test::kRunKey;
using registry_test::kRunValue;
using registry_test::kStartupApprovedKey;
using registry_test::ReadRawValue;
using registry_test::SetRawValue;
using registry_test::TextBytes;

const std::wstring kQuickStartName =
    L"QuickStart.0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";

// The real registry, with single calls made to fail the way Windows can and
// a count of the keys left open.
class ScriptedRegistryApi : public Win32RegistryApi {
 public:
  LSTATUS open_failure = ERROR_SUCCESS;
  LSTATUS create_failure = ERROR_SUCCESS;
  LSTATUS delete_failure = ERROR_SUCCESS;
  std::map<std::wstring, LSTATUS> query_failures;
  std::map<std::wstring, LSTATUS> set_failures;
  // Replaces the executable's path, cut short the way GetModuleFileNameW does.
  std::optional<std::wstring> executable_path;
  int keys_opened = 0;
  int keys_closed = 0;

  LSTATUS OpenKey(HKEY root, const wchar_t* path, REGSAM access, HKEY* key) override {
    if (open_failure != ERROR_SUCCESS) return open_failure;
    return Count(Win32RegistryApi::OpenKey(root, path, access, key));
  }
  LSTATUS CreateKey(HKEY root, const wchar_t* path, REGSAM access, HKEY* key) override {
    if (create_failure != ERROR_SUCCESS) return create_failure;
    return Count(Win32RegistryApi::CreateKey(root, path, access, key));
  }
  LSTATUS QueryValue(HKEY key, const wchar_t* name, DWORD* type, BYTE* data, DWORD* size) override {
    auto failure = query_failures.find(name);
    if (failure != query_failures.end()) return failure->second;
    return Win32RegistryApi::QueryValue(key, name, type, data, size);
  }
  LSTATUS SetValue(HKEY key, const wchar_t* name, DWORD type, const BYTE* data,
                   DWORD size) override {
    auto failure = set_failures.find(name);
    if (failure != set_failures.end()) return failure->second;
    return Win32RegistryApi::SetValue(key, name, type, data, size);
  }
  LSTATUS DeleteValue(HKEY key, const wchar_t* name) override {
    if (delete_failure != ERROR_SUCCESS) return delete_failure;
    return Win32RegistryApi::DeleteValue(key, name);
  }
  void CloseKey(HKEY key) override {
    ++keys_closed;
    Win32RegistryApi::CloseKey(key);
  }
  DWORD ExecutablePath(wchar_t* buffer, DWORD size) override {
    if (!executable_path) return Win32RegistryApi::ExecutablePath(buffer, size);
    if (executable_path->empty()) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return 0;
    }
    if (executable_path->size() >= size) {
      executable_path->copy(buffer, size - 1);
      buffer[size - 1] = L'\0';
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return size;
    }
    executable_path->copy(buffer, executable_path->size());
    buffer[executable_path->size()] = L'\0';
    return static_cast<DWORD>(executable_path->size());
  }

 private:
  LSTATUS Count(LSTATUS code) {
    if (code == ERROR_SUCCESS) ++keys_opened;
    return code;
  }
};

class RegistrySettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { registry_test::ResetSettings(); }
  void TearDown() override { registry_test::ResetSettings(); }

  static void ExpectDword(const wchar_t* name, DWORD value) {
    const auto raw = ReadRawValue(kDesktopKey, name);
    ASSERT_TRUE(raw.has_value());
    EXPECT_EQ(raw->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(raw->bytes, DwordBytes(value));
  }

  // A read that returned false, with the code it left behind.
  static void ExpectReadFailure(bool result, DWORD code) {
    const DWORD last_error = GetLastError();
    EXPECT_FALSE(result);
    EXPECT_EQ(last_error, code);
  }

  ScriptedRegistryApi api;
  RegistrySettingsStore store{api};
};

TEST_F(RegistrySettingsStoreTest, ReadsGiveTheDefaultsWithoutAnyKey) {
  SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_TRUE(store.ReadCloseToTray());
  EXPECT_EQ(store.LastError(), 0u);
  EXPECT_TRUE(store.ReadSystemNotifications());
  uint32_t progress = 2;
  EXPECT_TRUE(store.ReadQuickStartProgress(kQuickStartName, &progress));
  EXPECT_EQ(progress, 2u);
  SetLastError(ERROR_ACCESS_DENIED);
  ExpectReadFailure(store.ReadLaunchAtLogin(), 0);
}

TEST_F(RegistrySettingsStoreTest, WritesCreateTheMissingKeys) {
  ASSERT_FALSE(registry_test::KeyExists(registry_test::kProductKey));
  SetLastError(1234);
  EXPECT_TRUE(store.WriteSystemNotifications(true));
  EXPECT_EQ(GetLastError(), 1234u) << "a successful write leaves the last error alone";
  ExpectDword(L"SystemNotifications", 1);
}

TEST_F(RegistrySettingsStoreTest, CloseToTrayCountsOnlyOnceConfigured) {
  SetRawValue(kDesktopKey, L"CloseToTray", REG_DWORD, DwordBytes(0));
  EXPECT_TRUE(store.ReadCloseToTray());

  ASSERT_TRUE(store.WriteCloseToTray(false));
  ExpectDword(L"CloseToTray", 0);
  ExpectDword(L"CloseToTrayConfigured", 1);
  ExpectReadFailure(store.ReadCloseToTray(), 0);

  ASSERT_TRUE(store.WriteCloseToTray(true));
  ExpectDword(L"CloseToTray", 1);
  EXPECT_TRUE(store.ReadCloseToTray());
}

TEST_F(RegistrySettingsStoreTest, CloseToTrayRefusesAConfiguredFlagOtherThanANonZeroDword) {
  struct Case {
    DWORD type;
    std::vector<BYTE> bytes;
    DWORD code;
  };
  const Case cases[] = {
      {REG_DWORD, DwordBytes(0), ERROR_INVALID_DATA},
      {REG_BINARY, DwordBytes(1), ERROR_INVALID_DATA},
      {REG_DWORD, {1, 0}, ERROR_INVALID_DATA},
      {REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}, ERROR_MORE_DATA},
  };
  for (const Case& test : cases) {
    SetRawValue(kDesktopKey, L"CloseToTray", REG_DWORD, DwordBytes(1));
    SetRawValue(kDesktopKey, L"CloseToTrayConfigured", test.type, test.bytes);
    ExpectReadFailure(store.ReadCloseToTray(), test.code);
  }
}

TEST_F(RegistrySettingsStoreTest, CloseToTrayRefusesAChoiceThatIsNotADword) {
  SetRawValue(kDesktopKey, L"CloseToTrayConfigured", REG_DWORD, DwordBytes(1));
  SetRawValue(kDesktopKey, L"CloseToTray", REG_BINARY, DwordBytes(0));
  ExpectReadFailure(store.ReadCloseToTray(), ERROR_INVALID_DATA);
  // L"1" is exactly four bytes, but text all the same.
  SetRawValue(kDesktopKey, L"CloseToTray", REG_SZ, TextBytes(L"1"));
  ExpectReadFailure(store.ReadCloseToTray(), ERROR_INVALID_DATA);
  SetRawValue(kDesktopKey, L"CloseToTray", REG_QWORD, {0, 0, 0, 0, 0, 0, 0, 0});
  ExpectReadFailure(store.ReadCloseToTray(), ERROR_MORE_DATA);
}

TEST_F(RegistrySettingsStoreTest, SystemNotificationsRoundTripAndRefuseOtherShapes) {
  ASSERT_TRUE(store.WriteSystemNotifications(false));
  ExpectDword(L"SystemNotifications", 0);
  ExpectReadFailure(store.ReadSystemNotifications(), 0);
  ASSERT_TRUE(store.WriteSystemNotifications(true));
  EXPECT_TRUE(store.ReadSystemNotifications());

  // Eight bytes do not fit: the registry's own code comes back.
  SetRawValue(kDesktopKey, L"SystemNotifications", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0});
  ExpectReadFailure(store.ReadSystemNotifications(), ERROR_MORE_DATA);
  SetRawValue(kDesktopKey, L"SystemNotifications", REG_BINARY, DwordBytes(1));
  ExpectReadFailure(store.ReadSystemNotifications(), ERROR_INVALID_DATA);
  SetRawValue(kDesktopKey, L"SystemNotifications", REG_DWORD, {1, 0, 0});
  ExpectReadFailure(store.ReadSystemNotifications(), ERROR_INVALID_DATA);
}

TEST_F(RegistrySettingsStoreTest, QuickStartProgressRoundTripsPerAccount) {
  const std::wstring other = L"QuickStart." + std::wstring(64, L'f');
  for (uint32_t step : {0u, 1u, 2u, 3u}) {
    ASSERT_TRUE(store.WriteQuickStartProgress(kQuickStartName, step));
    ExpectDword(kQuickStartName.c_str(), step);
    uint32_t progress = 9;
    EXPECT_TRUE(store.ReadQuickStartProgress(kQuickStartName, &progress));
    EXPECT_EQ(progress, step);
  }
  uint32_t untouched = 9;
  EXPECT_TRUE(store.ReadQuickStartProgress(other, &untouched));
  EXPECT_EQ(untouched, 9u);
}

TEST_F(RegistrySettingsStoreTest, QuickStartProgressRefusesStepsAboveThree) {
  ASSERT_TRUE(store.WriteQuickStartProgress(kQuickStartName, 2));
  EXPECT_FALSE(store.WriteQuickStartProgress(kQuickStartName, 4));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
  ExpectDword(kQuickStartName.c_str(), 2);

  const std::vector<std::vector<BYTE>> stored = {DwordBytes(7), DwordBytes(4),
                                                 DwordBytes(0x80000000u)};
  for (const auto& bytes : stored) {
    SetRawValue(kDesktopKey, kQuickStartName.c_str(), REG_DWORD, bytes);
    uint32_t progress = 1;
    ExpectReadFailure(store.ReadQuickStartProgress(kQuickStartName, &progress), ERROR_INVALID_DATA);
    EXPECT_EQ(progress, 1u) << "a refused value never reaches the caller";
  }
  SetRawValue(kDesktopKey, kQuickStartName.c_str(), REG_BINARY, DwordBytes(1));
  uint32_t progress = 0;
  ExpectReadFailure(store.ReadQuickStartProgress(kQuickStartName, &progress), ERROR_INVALID_DATA);
}

TEST_F(RegistrySettingsStoreTest, LaunchAtLoginRecordsTheQuotedExecutablePath) {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  ASSERT_GT(length, 0u);

  ASSERT_TRUE(store.WriteLaunchAtLogin(true));
  const auto raw = ReadRawValue(kRunKey, kRunValue);
  ASSERT_TRUE(raw.has_value());
  EXPECT_EQ(raw->type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(raw->bytes, TextBytes(L"\"" + std::wstring(path, length) + L"\""));
  EXPECT_TRUE(store.ReadLaunchAtLogin());

  ASSERT_TRUE(store.WriteLaunchAtLogin(false));
  EXPECT_FALSE(ReadRawValue(kRunKey, kRunValue).has_value());
  ExpectReadFailure(store.ReadLaunchAtLogin(), 0);
  EXPECT_TRUE(store.WriteLaunchAtLogin(false)) << "nothing to delete is no failure";
}

TEST_F(RegistrySettingsStoreTest, LaunchAtLoginLooksOnlyAtTheRunEntryType) {
  SetRawValue(kRunKey, kRunValue, REG_EXPAND_SZ, TextBytes(L"%ProgramFiles%\\q.exe"));
  EXPECT_TRUE(store.ReadLaunchAtLogin());
  SetRawValue(kRunKey, kRunValue, REG_SZ, TextBytes(L"\"C:\\Elsewhere\\other.exe\" --x"));
  EXPECT_TRUE(store.ReadLaunchAtLogin());
  SetRawValue(kRunKey, kRunValue, REG_DWORD, DwordBytes(1));
  ExpectReadFailure(store.ReadLaunchAtLogin(), 0);
}

// Task Manager's mark: a state byte, then the time of the change.
std::vector<BYTE> StartupMark(BYTE state) { return {state, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}; }

TEST_F(RegistrySettingsStoreTest, LaunchAtLoginIsOffWhileWindowsWillNotStartTheEntry) {
  SetRawValue(kStartupApprovedKey, kRunValue, REG_BINARY, StartupMark(0x02));
  EXPECT_FALSE(store.ReadLaunchAtLogin()) << "a mark alone is no Run entry";
  SetRawValue(kRunKey, kRunValue, REG_SZ, TextBytes(L"\"C:\\q.exe\""));
  EXPECT_TRUE(store.ReadLaunchAtLogin());
  SetRawValue(kStartupApprovedKey, kRunValue, REG_BINARY, StartupMark(0x06));
  EXPECT_TRUE(store.ReadLaunchAtLogin());
  for (BYTE disabled : {BYTE{0x03}, BYTE{0x07}}) {
    SetRawValue(kStartupApprovedKey, kRunValue, REG_BINARY, StartupMark(disabled));
    ExpectReadFailure(store.ReadLaunchAtLogin(), 0);
  }

  ASSERT_TRUE(store.WriteLaunchAtLogin(true));
  EXPECT_FALSE(ReadRawValue(kStartupApprovedKey, kRunValue).has_value());
  EXPECT_TRUE(store.ReadLaunchAtLogin());

  SetRawValue(kStartupApprovedKey, kRunValue, REG_BINARY, StartupMark(0x03));
  api.delete_failure = ERROR_ACCESS_DENIED;
  EXPECT_FALSE(store.WriteLaunchAtLogin(true)) << "still switched off is no success";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(RegistrySettingsStoreTest, LaunchAtLoginStoresPathsUpTo259Characters) {
  api.executable_path = L"D:\\Tools\\x.exe";
  ASSERT_TRUE(store.WriteLaunchAtLogin(true));
  EXPECT_EQ(ReadRawValue(kRunKey, kRunValue)->bytes, TextBytes(L"\"D:\\Tools\\x.exe\""));

  const std::wstring longest = L"C:\\" + std::wstring(250, L'p') + L"\\q.exe";
  ASSERT_EQ(longest.size(), 259u);
  api.executable_path = longest;
  ASSERT_TRUE(store.WriteLaunchAtLogin(true));
  EXPECT_EQ(ReadRawValue(kRunKey, kRunValue)->bytes, TextBytes(L"\"" + longest + L"\""));

  // A path cut short, or none at all, leaves the recorded entry as it was.
  for (const std::wstring& path : {longest + L"x", longest + L"xyz", std::wstring()}) {
    api.executable_path = path;
    EXPECT_FALSE(store.WriteLaunchAtLogin(true));
    EXPECT_EQ(ReadRawValue(kRunKey, kRunValue)->bytes, TextBytes(L"\"" + longest + L"\""));
  }
}

TEST_F(RegistrySettingsStoreTest, FailedOpensAreReportedByEveryRead) {
  api.open_failure = ERROR_ACCESS_DENIED;
  uint32_t progress = 0;
  ExpectReadFailure(store.ReadLaunchAtLogin(), ERROR_ACCESS_DENIED);
  ExpectReadFailure(store.ReadCloseToTray(), ERROR_ACCESS_DENIED);
  ExpectReadFailure(store.ReadSystemNotifications(), ERROR_ACCESS_DENIED);
  ExpectReadFailure(store.ReadQuickStartProgress(kQuickStartName, &progress), ERROR_ACCESS_DENIED);
}

TEST_F(RegistrySettingsStoreTest, FailedCreatesAreReportedByEveryWrite) {
  api.create_failure = ERROR_ACCESS_DENIED;
  EXPECT_FALSE(store.WriteLaunchAtLogin(true));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(store.WriteLaunchAtLogin(false));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(store.WriteCloseToTray(true));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(store.WriteSystemNotifications(true));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(store.WriteQuickStartProgress(kQuickStartName, 1));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(registry_test::KeyExists(kDesktopKey));
}

TEST_F(RegistrySettingsStoreTest, FailedQueriesAndDeletesPassTheirCodeOn) {
  SetRawValue(kDesktopKey, L"SystemNotifications", REG_DWORD, DwordBytes(1));
  SetRawValue(kRunKey, kRunValue, REG_SZ, TextBytes(L"\"C:\\q.exe\""));
  api.query_failures[L"SystemNotifications"] = ERROR_ACCESS_DENIED;
  api.query_failures[kRunValue] = ERROR_NOT_ENOUGH_MEMORY;
  api.delete_failure = ERROR_ACCESS_DENIED;
  ExpectReadFailure(store.ReadSystemNotifications(), ERROR_ACCESS_DENIED);
  ExpectReadFailure(store.ReadLaunchAtLogin(), ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_FALSE(store.WriteLaunchAtLogin(false));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(ReadRawValue(kRunKey, kRunValue).has_value());
}

TEST_F(RegistrySettingsStoreTest, WriteCloseToTrayWritesTheFlagEvenWhenTheChoiceFails) {
  api.set_failures[L"CloseToTray"] = ERROR_ACCESS_DENIED;
  EXPECT_FALSE(store.WriteCloseToTray(false));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(ReadRawValue(kDesktopKey, L"CloseToTray").has_value());
  ExpectDword(L"CloseToTrayConfigured", 1);

  registry_test::ResetSettings();
  api.set_failures.clear();
  api.set_failures[L"CloseToTrayConfigured"] = ERROR_NO_SYSTEM_RESOURCES;
  EXPECT_FALSE(store.WriteCloseToTray(false));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_SYSTEM_RESOURCES));
  ExpectDword(L"CloseToTray", 0);
}

TEST_F(RegistrySettingsStoreTest, EveryOperationClosesTheKeyItOpened) {
  SetRawValue(kDesktopKey, L"CloseToTrayConfigured", REG_BINARY, DwordBytes(1));
  SetRawValue(kDesktopKey, L"SystemNotifications", REG_QWORD, {0, 0, 0, 0, 0, 0, 0, 0});
  SetRawValue(kStartupApprovedKey, kRunValue, REG_BINARY, StartupMark(0x03));
  uint32_t progress = 0;
  store.WriteLaunchAtLogin(true);
  store.ReadLaunchAtLogin();
  store.WriteLaunchAtLogin(false);
  store.ReadCloseToTray();
  store.WriteCloseToTray(true);
  store.ReadCloseToTray();
  store.ReadSystemNotifications();
  store.WriteSystemNotifications(false);
  store.ReadQuickStartProgress(kQuickStartName, &progress);
  store.WriteQuickStartProgress(kQuickStartName, 3);
  api.executable_path = std::wstring(300, L'p');
  store.WriteLaunchAtLogin(true);
  EXPECT_EQ(api.keys_opened, 13);
  EXPECT_EQ(api.keys_closed, api.keys_opened);
}

TEST_F(RegistrySettingsStoreTest, FreeFunctionsUseTheCurrentUsersRegistry) {
  ASSERT_TRUE(WriteCloseToTray(false));
  EXPECT_FALSE(ReadCloseToTray());
  EXPECT_EQ(GetLastError(), 0u);
  ASSERT_TRUE(WriteSystemNotifications(false));
  EXPECT_FALSE(ReadSystemNotifications());
  ASSERT_TRUE(WriteQuickStartProgress(kQuickStartName, 3));
  uint32_t progress = 0;
  ASSERT_TRUE(ReadQuickStartProgress(kQuickStartName, &progress));
  EXPECT_EQ(progress, 3u);
  ASSERT_TRUE(WriteLaunchAtLogin(true));
  EXPECT_TRUE(ReadLaunchAtLogin());
  ASSERT_TRUE(WriteLaunchAtLogin(false));
}

}  // namespace
}  // namespace quorvane
