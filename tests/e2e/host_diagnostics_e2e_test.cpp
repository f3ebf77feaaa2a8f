// The real host executable under Wine: its log lines, its crash dumps and its
// standard error, with the token kept out of all of them.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/host_e2e_fixture.h"
#include "tests/e2e/host_process.h"

namespace e2e {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;

std::string Hex(const std::string& bytes, const char* digits) {
  std::string hex;
  for (const unsigned char byte : bytes) {
    hex.push_back(digits[byte >> 4]);
    hex.push_back(digits[byte & 15]);
  }
  return hex;
}

std::string Base64(const std::string& bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  for (size_t at = 0; at + 2 < bytes.size(); at += 3) {
    const uint32_t group = (static_cast<unsigned char>(bytes[at]) << 16) |
                           (static_cast<unsigned char>(bytes[at + 1]) << 8) |
                           static_cast<unsigned char>(bytes[at + 2]);
    for (int shift = 18; shift >= 0; shift -= 6) text.push_back(kDigits[(group >> shift) & 63]);
  }
  return text;
}

// The token in every form a careless log line could carry it.
std::vector<std::string> Encodings(const std::string& token) {
  std::string utf16;
  for (const wchar_t unit : std::wstring(token.begin(), token.end())) {
    utf16.push_back(static_cast<char>(unit & 0xFF));
    utf16.push_back(static_cast<char>(unit >> 8));
  }
  return {token, utf16, Hex(token, "0123456789abcdef"), Hex(token, "0123456789ABCDEF"),
          Base64(token)};
}

TEST_F(HostEndToEnd, AFailedViewControllerEndsTheProcessWithOne) {
  HostProcess host({{kEnd}, L"", {{L"STANDIN_FAIL", L"view_controller"}}});

  EXPECT_EQ(host.WaitForExit(), 1u);
  EXPECT_THAT(StandardErrorLines(host), ElementsAre("Failed to create view controller."));
  // The same line in the log, with what a support engineer needs around it.
  const std::vector<std::string> log = HostLogLinesOf(host.id());
  ASSERT_EQ(log.size(), 4u);
  EXPECT_THAT(log[0], HasSubstr(" INFO Quorvane AI 1.0.0.0 starting on Windows "));
  EXPECT_THAT(log[1], EndsWith(" WARN Failed to create view controller."));
  // The error the failure set (the stand-in's: 8), not one left from before.
  EXPECT_THAT(log[2], EndsWith(" ERROR The engine's view could not be created (Windows error 8)."));
  EXPECT_THAT(log[3], EndsWith(" INFO Exiting with code 1: the window could not be created."));
  EXPECT_FALSE(host.WaitForEvent(EventIs("frame"), milliseconds(0)));
  EXPECT_FALSE(host.WaitForEvent(EventIs("plugin"), milliseconds(0)));
}

TEST_F(HostEndToEnd, StartedWithoutStreamsTheLogKeepsEverythingButTheToken) {
  // ASCII, so that its UTF-16 form above is exact.
  const std::string token = "e2e-secret-log-token-4242";
  HostProcess host({{Call("quorvane/credential", "writeCodexToken", {{"token", token}}),
                     Call("quorvane/credential", "readCodexToken", {{"token", token}}),
                     Call("quorvane/credential", "deleteCodexToken"),
                     {{"raw", "quorvane/settings"}, {"hex", "07 03 66 6f 6f"}},
                     Call("quorvane/window", "setCloseToTray", {{"enabled", false}}),
                     {{"reply_to_close", true}},
                     kEnd},
                    L"first-argument second-argument",
                    {},
                    /*without_standard_streams=*/true});
  HWND window = host.WaitForWindow(true);
  ASSERT_NE(window, nullptr);
  // The malformed message is the last step that leaves a trace in the log.
  ASSERT_TRUE(WaitUntil([&] { return HostLog().find("script_done") != std::string::npos; }));

  HostProcess second({{kEnd}, L"", {}});
  EXPECT_EQ(second.WaitForExit(), 0u);
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(host.WaitForExit(), 0u);

  const std::vector<std::string> lines = HostLogLinesOf(host.id());
  ASSERT_GE(lines.size(), 3u);
  EXPECT_THAT(lines.front(), HasSubstr(" INFO Quorvane AI 1.0.0.0 starting on Windows "));
  EXPECT_THAT(lines.front(), HasSubstr(", 64-bit, DPI awareness "));
  EXPECT_THAT(lines.front(), HasSubstr(", 1 monitor, window DPI 96, 2 command-line arguments."));
  EXPECT_THAT(lines, Contains(EndsWith(" WARN Invalid read in StandardCodecByteStreamReader")));
  EXPECT_THAT(lines.back(), EndsWith(" INFO Exiting with code 0: the window was closed."));
  const std::vector<std::string> second_lines = HostLogLinesOf(second.id());
  ASSERT_EQ(second_lines.size(), 2u);
  EXPECT_THAT(second_lines[0], HasSubstr(", window DPI none, 0 command-line arguments."));
  EXPECT_THAT(second_lines[1],
              EndsWith(" INFO Exiting with code 0: handed over to the running instance."));

  // What the engine printed (here the stand-in's events) is there too.
  const std::string log = HostLog();
  EXPECT_THAT(log, HasSubstr("\"event\":\"engine\""));
  EXPECT_THAT(log, HasSubstr("\"event\":\"shutdown\""));
  // What the engine printed comes as lines of its own, with time and process.
  EXPECT_THAT(lines, Contains(HasSubstr(" OUT {\"event\":\"shutdown\"")));
  for (const std::string& line : lines) {
    if (line.find(" OUT ") != std::string::npos) continue;
    EXPECT_EQ(line.find("first-argument"), std::string::npos) << "the host logged an argument";
  }
  for (const std::string& encoded : Encodings(token)) {
    EXPECT_EQ(log.find(encoded), std::string::npos) << "the token was logged";
  }
  EXPECT_TRUE(HostDumps().empty());
}

TEST_F(HostEndToEnd, WithoutAWritableLogFolderTheHostRunsAsBefore) {
  // A file where the log folder would be.
  const std::wstring logs = HostDataFolder() + L"\\logs";
  ::CreateDirectoryW(HostDataFolder().c_str(), nullptr);
  ::RemoveDirectoryW(logs.c_str());
  ASSERT_TRUE(::CloseHandle(::CreateFileW(logs.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr)));

  HostProcess host({{Call("quorvane/settings", "isCloseToTrayEnabled"), kEnd}, L"", {}, true});
  EXPECT_NE(host.WaitForWindow(true), nullptr);
  EXPECT_TRUE(host.IsRunning());
  host.Terminate();
  ::DeleteFileW(logs.c_str());
}

}  // namespace
}  // namespace e2e
