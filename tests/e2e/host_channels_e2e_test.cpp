// The real host executable under Wine: every method of its channels answered,
// and the token stored in the credential store and never logged.
#include <windows.h>

#include <wincred.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/host_e2e_fixture.h"
#include "tests/e2e/host_process.h"

namespace e2e {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;

const std::string kDigest(64, 'a');

TEST_F(HostEndToEnd, EveryChannelAnswers) {
  const Json enabled_false = {{"enabled", false}};
  HostProcess host(
      {{
           // Settings on a fresh profile.
           Call("quorvane/settings", "isLaunchAtLoginEnabled"),
           Call("quorvane/settings", "isCloseToTrayEnabled"),
           Call("quorvane/settings", "isSystemNotificationsEnabled"),
           Call("quorvane/settings", "readQuickStartProgress", {{"accountDigest", kDigest}}),
           // Set, then read back.
           Call("quorvane/settings", "setCloseToTrayEnabled", enabled_false),
           Call("quorvane/settings", "setSystemNotificationsEnabled", enabled_false),
           Call("quorvane/settings", "setLaunchAtLogin", {{"enabled", true}}),
           Call("quorvane/settings", "writeQuickStartProgress",
                {{"accountDigest", kDigest}, {"value", 2}}),
           Call("quorvane/settings", "writeQuickStartProgress",
                {{"accountDigest", kDigest}, {"value", 4}}),
           Call("quorvane/settings", "isCloseToTrayEnabled"),
           Call("quorvane/settings", "isSystemNotificationsEnabled"),
           Call("quorvane/settings", "isLaunchAtLoginEnabled"),
           Call("quorvane/settings", "readQuickStartProgress", {{"accountDigest", kDigest}}),
           Call("quorvane/settings", "IsCloseToTrayEnabled"),
           // A method name that is not a string: no call at all.
           {{"raw", "quorvane/settings"}, {"hex", "03 01 00 00 00"}},
           // Credentials.
           Call("quorvane/credential", "writeCodexToken"),
           Call("quorvane/credential", "deleteCodexToken"),
           Call("quorvane/credential", "readCodexToken"),
           // Window.
           Call("quorvane/window", "setCloseToTray", {{"enabled", 1}}),
           Call("quorvane/window", "toggleMaximize"),
           Call("quorvane/window", "Minimize"),
           Call("quorvane/window", "minimize"),
           kEnd,
       },
       L"",
       {}});

  ASSERT_TRUE(host.WaitForEvent(EventIs("script_done")));
  std::vector<Json> replies;
  for (const Json& event : host.Events()) {
    if (EventIs("reply")(event)) {
      Json reply = event;
      reply.erase("event");
      replies.push_back(reply);
    }
  }
  const auto success = [](const std::string& channel, const std::string& method,
                          const Json& value) {
    return Json{{"channel", channel}, {"method", method}, {"success", value}};
  };
  const auto error = [](const std::string& channel, const std::string& method,
                        const std::string& code, const std::string& message) {
    return Json{{"channel", channel},
                {"method", method},
                {"error", {{"code", code}, {"message", message}, {"details", nullptr}}}};
  };
  const auto not_implemented = [](const std::string& channel, const Json& method) {
    return Json{{"channel", channel}, {"method", method}, {"not_implemented", true}};
  };
  const std::string settings = "quorvane/settings";
  const std::string credential = "quorvane/credential";
  const std::string window = "quorvane/window";
  EXPECT_THAT(
      replies,
      ElementsAre(
          success(settings, "isLaunchAtLoginEnabled", false),
          success(settings, "isCloseToTrayEnabled", true),
          success(settings, "isSystemNotificationsEnabled", true),
          success(settings, "readQuickStartProgress", 0),
          success(settings, "setCloseToTrayEnabled", nullptr),
          success(settings, "setSystemNotificationsEnabled", nullptr),
          success(settings, "setLaunchAtLogin", nullptr),
          success(settings, "writeQuickStartProgress", nullptr),
          error(settings, "writeQuickStartProgress", "quick_start_write_failed",
                "Unable to update quick-start progress."),
          success(settings, "isCloseToTrayEnabled", false),
          success(settings, "isSystemNotificationsEnabled", false),
          success(settings, "isLaunchAtLoginEnabled", true),
          success(settings, "readQuickStartProgress", 2),
          not_implemented(settings, "IsCloseToTrayEnabled"), not_implemented(settings, nullptr),
          error(credential, "writeCodexToken", "credential_write_failed",
                "Unable to save the Codex credential."),
          success(credential, "deleteCodexToken", nullptr),
          not_implemented(credential, "readCodexToken"),
          error(window, "setCloseToTray", "invalid_arguments", "Missing close-to-tray value."),
          success(window, "toggleMaximize", nullptr), not_implemented(window, "Minimize"),
          success(window, "minimize", nullptr)));

  EXPECT_THAT(StandardErrorLines(host),
              Contains("Unable to construct method call from message on channel "
                       "quorvane/settings"));
  HWND main_window = host.FindOwnWindow();
  ASSERT_NE(main_window, nullptr);
  EXPECT_TRUE(::IsIconic(main_window));
}

TEST_F(HostEndToEnd, TheTokenIsStoredAsItsUtf8BytesAndNeverLogged) {
  const std::string token = "e2e-secret-\xc3\xbc-token";
  HostProcess host({{Call("quorvane/credential", "writeCodexToken", {{"token", token}}),
                     Call("quorvane/credential", "writeCodexToken", {{"token", "bad\ntoken"}}),
                     Call("quorvane/credential", "writeCodexToken", {{"token", ""}}), kEnd},
                    L"",
                    {}});
  ASSERT_TRUE(host.WaitForEvent(EventIs("script_done")));
  std::vector<Json> replies;
  for (const Json& event : host.Events()) {
    if (EventIs("reply")(event)) replies.push_back(event.contains("success"));
  }
  EXPECT_THAT(replies, ElementsAre(true, false, false));

  PCREDENTIALW stored = nullptr;
  ASSERT_TRUE(::CredReadW(kCredentialTarget, CRED_TYPE_GENERIC, 0, &stored));
  const std::string blob(reinterpret_cast<const char*>(stored->CredentialBlob),
                         stored->CredentialBlobSize);
  EXPECT_TRUE(blob == token) << "stored blob differs";
  EXPECT_STREQ(stored->UserName, L"Quorvane AI");
  ::CredFree(stored);

  host.Terminate();
  for (const Json& event : host.Events()) {
    EXPECT_EQ(event.dump().find("e2e-secret"), std::string::npos) << "the token was logged";
  }
  EXPECT_EQ(host.StandardError().find("e2e-secret"), std::string::npos);
  EXPECT_EQ(HostLog().find("e2e-secret"), std::string::npos);
}

}  // namespace
}  // namespace e2e
