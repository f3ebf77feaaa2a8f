// The stand-in engine's scripted user-interface side: bad script lines and the
// close the script posts to the host.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/standin/engine_test_fixture.h"

namespace standin_test {
namespace {

TEST_F(StandinEngineTest, AMalformedScriptLineIsReportedAndSkipped) {
  UseScript(
      "{\"call\": \"test/ok\", \"method\": \"first\"}\n"
      "{\"call\": \"test/ok\", \"method\": \n"
      "{\"call\": \"test/ok\"}\n"
      "\n"
      "{\"wait_ms\": -1}\n"
      "{\"call\": \"test/ok\", \"method\": \"last\"}\n");
  StartWithChannels({"test/ok"});
  ASSERT_TRUE(WaitForEvent("script_done"));
  const std::vector<json> errors = Events("script_error");
  ASSERT_EQ(errors.size(), 3u);
  EXPECT_EQ(errors[0]["line"], 2);
  EXPECT_EQ(errors[1]["line"], 3);
  EXPECT_EQ(errors[2]["line"], 5);
  EXPECT_TRUE(errors[0]["message"].is_string());
  ASSERT_EQ(host_.received.size(), 2u);
  EXPECT_EQ(host_.received[1].Call()->MethodName(), "last");
}

TEST_F(StandinEngineTest, PostedCloseIsAnsweredWithCloseWhenAsked) {
  UseScript(
      "{\"post\": \"close\"}\n{\"reply_to_close\": true}\n{\"wait_ms\": 50}\n{\"post\": "
      "\"close\"}\n");
  host_.respond = [](const Received& message) {
    const auto call = message.Call();
    if (call->MethodName() == "close") {
      TopLevel::close_confirmed = true;
      PostMessageW(TopLevel::window, WM_CLOSE, 0, 0);
    }
    const std::vector<uint8_t> envelope = *Codec().EncodeSuccessEnvelope();
    FlutterDesktopMessengerSendResponse(message.messenger, message.response, envelope.data(),
                                        envelope.size());
  };
  StartWithChannels({"quorvane/window"});
  const HWND top = EmbedInTopLevel(messenger_, &controller_);
  ASSERT_NE(top, nullptr);

  ASSERT_TRUE(WaitForEvent("script_done"));
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(top); }));
  // Two closeRequested calls; only the second, after reply_to_close, is answered.
  EXPECT_EQ(Events("call").size(), 2u) << ReadText(log_path_);
  ASSERT_EQ(host_.received.size(), 1u);
  EXPECT_EQ(host_.received[0].Call()->MethodName(), "close");
  // The reply to "close" is logged although the window and engine go right after it.
  std::vector<std::string> order;
  for (const json& event : Log()) order.push_back(event["event"]);
  EXPECT_EQ(order, (std::vector<std::string>{"engine", "view", "frame", "call", "call",
                                             "script_done", "reply", "shutdown"}));
  EXPECT_EQ(Events("reply")[0], json::parse(R"({"event": "reply", "channel": "quorvane/window",
      "method": "close", "success": null})"));
}

TEST_F(StandinEngineTest, PostingCloseWithoutATopLevelWindowIsAScriptError) {
  UseScript("{\"post\": \"close\"}\n");
  StartWithChannels({});
  ASSERT_TRUE(WaitForEvent("script_done"));
  const std::vector<json> errors = Events("script_error");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0]["line"], 1);
  // The view and its engine are still there.
  EXPECT_TRUE(FlutterDesktopMessengerIsAvailable(messenger_));
}

}  // namespace
}  // namespace standin_test
