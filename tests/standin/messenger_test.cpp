// The stand-in engine's messenger, played from the host's side: scripted calls
// and their replies, raw messages, host sends, late and repeated responses,
// and tokens kept out of the log.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/standin/engine_test_fixture.h"

namespace standin_test {
namespace {

TEST_F(StandinEngineTest, ScriptedCallReachesTheCallbackAndItsReplyIsLogged) {
  UseScript(
      R"({"call": "test/echo", "method": "ping", "args": {"n": 1, "big": 4294967296, "x": 1.5, "b": {"$bytes": "00 ff"}}})"
      "\n");
  host_.respond = [](const Received& message) {
    const std::vector<uint8_t> envelope = SuccessEnvelope(
        EncodableValue(EncodableMap{{EncodableValue("ok"), EncodableValue(true)},
                                    {EncodableValue("v"), EncodableValue(int64_t{5})}}));
    FlutterDesktopMessengerSendResponse(message.messenger, message.response, envelope.data(),
                                        envelope.size());
  };
  StartWithChannels({"test/echo"});
  ASSERT_TRUE(WaitForEvent("script_done"));

  ASSERT_EQ(host_.received.size(), 1u);
  const Received& message = host_.received[0];
  EXPECT_EQ(message.channel, "test/echo");
  EXPECT_EQ(message.struct_size, sizeof(FlutterDesktopMessage));
  EXPECT_NE(message.response, nullptr);
  const auto call = message.Call();
  ASSERT_NE(call, nullptr);
  EXPECT_EQ(call->MethodName(), "ping");
  const auto& args = call->Arguments()->Get<EncodableMap>();
  EXPECT_EQ(args.at(EncodableValue("n")).index(), 2u);
  EXPECT_EQ(args.at(EncodableValue("big")), EncodableValue(int64_t{4294967296}));
  EXPECT_EQ(args.at(EncodableValue("x")), EncodableValue(1.5));
  EXPECT_EQ(args.at(EncodableValue("b")), EncodableValue(std::vector<uint8_t>{0x00, 0xFF}));

  const std::vector<json> replies = Events("reply");
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0], json::parse(R"({"event": "reply", "channel": "test/echo",
      "method": "ping", "success": {"ok": true, "v": {"$int64": 5}}})"));
  // The script starts once the first frame is out.
  std::vector<std::string> order;
  for (const json& event : Log()) order.push_back(event["event"]);
  EXPECT_EQ(order, (std::vector<std::string>{"engine", "view", "frame", "reply", "script_done"}));
}

TEST_F(StandinEngineTest, RepliesOfEveryKindAreLogged) {
  UseScript(
      "{\"call\": \"test/kinds\", \"method\": \"error\"}\n"
      "{\"call\": \"test/kinds\", \"method\": \"none\"}\n"
      "{\"call\": \"test/kinds\", \"method\": \"garbage\"}\n");
  host_.respond = [](const Received& message) {
    const std::string method = message.Call()->MethodName();
    std::vector<uint8_t> reply;
    if (method == "error") {
      const EncodableValue details(7);
      reply = *Codec().EncodeErrorEnvelope("write_failed", "Unable to write.", &details);
    } else if (method == "garbage") {
      reply = {0x05};
    }
    FlutterDesktopMessengerSendResponse(message.messenger, message.response,
                                        reply.empty() ? nullptr : reply.data(), reply.size());
  };
  StartWithChannels({"test/kinds"});
  ASSERT_TRUE(WaitForEvent("script_done"));
  const std::vector<json> replies = Events("reply");
  ASSERT_EQ(replies.size(), 3u);
  EXPECT_EQ(replies[0]["error"], json::parse(R"({"code": "write_failed",
      "message": "Unable to write.", "details": 7})"));
  EXPECT_EQ(replies[1]["not_implemented"], true);
  EXPECT_EQ(replies[2]["undecodable"], "05");
}

TEST_F(StandinEngineTest, RawBytesReachTheHostUnchanged) {
  UseScript(
      "{\"raw\": \"test/raw\", \"hex\": \"07 03 66 6f\"}\n{\"raw\": \"test/raw\", \"hex\": "
      "\"\"}\n");
  host_.respond = [](const Received& message) {
    FlutterDesktopMessengerSendResponse(message.messenger, message.response, nullptr, 0);
  };
  StartWithChannels({"test/raw"});
  ASSERT_TRUE(WaitForEvent("script_done"));
  ASSERT_EQ(host_.received.size(), 2u);
  EXPECT_EQ(host_.received[0].bytes, (std::vector<uint8_t>{0x07, 0x03, 0x66, 0x6F}));
  EXPECT_TRUE(host_.received[1].bytes.empty());
  const std::vector<json> replies = Events("reply");
  ASSERT_EQ(replies.size(), 2u);
  EXPECT_EQ(replies[0], json::parse(R"({"event": "reply", "channel": "test/raw", "method": null,
      "not_implemented": true})"));
}

TEST_F(StandinEngineTest, UnansweredCallsTimeOutAndUnheardChannelsAnswerEmpty) {
  UseScript(
      "{\"call\": \"test/silent\", \"method\": \"m\", \"timeout_ms\": 50}\n"
      "{\"wait_ms\": 100}\n"
      "{\"call\": \"nobody/listens\", \"method\": \"m\"}\n");
  host_.respond = nullptr;
  StartWithChannels({"test/silent"});
  ASSERT_TRUE(WaitForEvent("script_done"));
  std::vector<std::string> order;
  for (const json& event : Log()) order.push_back(event["event"]);
  EXPECT_EQ(order, (std::vector<std::string>{"engine", "view", "frame", "timeout", "no_handler",
                                             "reply", "script_done"}));
  EXPECT_EQ(Events("reply")[0]["not_implemented"], true);
}

TEST_F(StandinEngineTest, HostSendsWithReplyAreAnsweredOnceFromTheLoop) {
  StartWithChannels({});
  struct Answers {
    int count = 0;
    std::vector<uint8_t> last;
  } answers;
  const auto on_reply = [](const uint8_t* data, size_t size, void* user_data) {
    auto* seen = static_cast<Answers*>(user_data);
    ++seen->count;
    seen->last.assign(data, data + size);
  };
  const std::vector<uint8_t> close_requested = *Codec().EncodeMethodCall(
      flutter::MethodCall<>("closeRequested", std::make_unique<EncodableValue>()));
  ASSERT_TRUE(FlutterDesktopMessengerSendWithReply(messenger_, "quorvane/window",
                                                   close_requested.data(), close_requested.size(),
                                                   on_reply, &answers));
  EXPECT_EQ(answers.count, 0);
  ASSERT_TRUE(PumpUntil([&] { return answers.count == 1; }));
  EXPECT_EQ(answers.last, (std::vector<uint8_t>{0x00, 0x00}));
  EXPECT_EQ(Events("call")[0], json::parse(R"({"event": "call", "channel": "quorvane/window",
      "method": "closeRequested", "args": null})"));

  // One still open when the engine goes gets its one (empty) answer then.
  const std::vector<uint8_t> other = *Codec().EncodeMethodCall(
      flutter::MethodCall<>("unknown", std::make_unique<EncodableValue>()));
  ASSERT_TRUE(FlutterDesktopMessengerSendWithReply(messenger_, "quorvane/window", other.data(),
                                                   other.size(), on_reply, &answers));
  FlutterDesktopViewControllerDestroy(controller_);
  controller_ = nullptr;
  EXPECT_EQ(answers.count, 2);
  EXPECT_TRUE(answers.last.empty());
  PumpFor(50);
  EXPECT_EQ(answers.count, 2);
}

TEST_F(StandinEngineTest, ASecondResponseOnTheSameHandleIsRefused) {
  UseScript("{\"call\": \"test/twice\", \"method\": \"m\"}\n");
  host_.respond = [](const Received& message) {
    const std::vector<uint8_t> first = SuccessEnvelope(EncodableValue(1));
    const std::vector<uint8_t> second = SuccessEnvelope(EncodableValue(2));
    FlutterDesktopMessengerSendResponse(message.messenger, message.response, first.data(),
                                        first.size());
    FlutterDesktopMessengerSendResponse(message.messenger, message.response, second.data(),
                                        second.size());
  };
  StartWithChannels({"test/twice"});
  ASSERT_TRUE(WaitForEvent("script_done"));
  PumpFor(50);
  const std::vector<json> replies = Events("reply");
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0]["success"], 1);
  const std::vector<json> refused = Events("duplicate_response");
  ASSERT_EQ(refused.size(), 1u);
  EXPECT_EQ(refused[0]["channel"], "test/twice");
}

TEST_F(StandinEngineTest, AReplyAfterTheEngineIsGoneIsDroppedSafely) {
  UseScript("{\"call\": \"test/late\", \"method\": \"m\"}\n");
  host_.respond = [](const Received& message) { FlutterDesktopMessengerAddRef(message.messenger); };
  StartWithChannels({"test/late"});
  ASSERT_TRUE(PumpUntil([&] { return host_.received.size() == 1; }));
  const Received kept = host_.received[0];

  FlutterDesktopViewControllerDestroy(controller_);
  controller_ = nullptr;
  EXPECT_FALSE(FlutterDesktopMessengerIsAvailable(kept.messenger));
  const FlutterDesktopMessengerRef locked = FlutterDesktopMessengerLock(kept.messenger);
  EXPECT_EQ(locked, kept.messenger);
  const std::vector<uint8_t> envelope = SuccessEnvelope(EncodableValue(1));
  FlutterDesktopMessengerSendResponse(kept.messenger, kept.response, envelope.data(),
                                      envelope.size());
  FlutterDesktopMessengerUnlock(locked);
  FlutterDesktopMessengerRelease(kept.messenger);
  PumpFor(50);

  EXPECT_TRUE(Events("reply").empty());
  EXPECT_EQ(Events("shutdown").size(), 1u);
  EXPECT_EQ(Events("late_response").size(), 1u);
  // The last reference is gone: the handle is reported, not used.
  EXPECT_FALSE(FlutterDesktopMessengerIsAvailable(kept.messenger));
  EXPECT_EQ(Events("invalid_handle").size(), 1u);
}

TEST_F(StandinEngineTest, TokenValuesNeverReachTheLog) {
  UseScript(
      R"({"call": "quorvane/credential", "method": "writeCodexToken", "args": {"token": "s3cret-one"}})"
      "\n"
      R"({"call": "test/x", "method": "m", "args": [{"token": "s3cret-two"}]})"
      "\n"
      R"({"call": "test/x", "method": "m", "args": {"token": "s3cret-three")"
      "\n");
  host_.respond = [](const Received& message) {
    const EncodableValue details(
        EncodableMap{{EncodableValue("token"), EncodableValue("s3cret-four")}});
    const std::vector<uint8_t> reply = *Codec().EncodeErrorEnvelope("failed", "", &details);
    FlutterDesktopMessengerSendResponse(message.messenger, message.response, reply.data(),
                                        reply.size());
  };
  StartWithChannels({"quorvane/credential", "test/x"});
  ASSERT_TRUE(WaitForEvent("script_done"));
  const flutter::MethodCall<> call(
      "hostCall", std::make_unique<EncodableValue>(
                      EncodableMap{{EncodableValue("token"), EncodableValue("s3cret-five")}}));
  const std::vector<uint8_t> bytes = *Codec().EncodeMethodCall(call);
  EXPECT_TRUE(FlutterDesktopMessengerSend(messenger_, "test/x", bytes.data(), bytes.size()));

  ASSERT_EQ(host_.received.size(), 2u);
  const auto delivered = host_.received[0].Call();
  EXPECT_EQ(delivered->Arguments()->Get<EncodableMap>().at(EncodableValue("token")),
            EncodableValue("s3cret-one"));
  const std::string text = ReadText(log_path_);
  EXPECT_EQ(text.find("s3cret"), std::string::npos);
  const std::vector<json> calls = Events("call");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0]["args"]["token"], "<redacted>");
  EXPECT_EQ(Events("reply")[0]["error"]["details"]["token"], "<redacted>");
}

}  // namespace
}  // namespace standin_test
