// Method channels and the results they hand to handlers, checked at the engine
// library's boundary through the recording engine.
#include "wrapper/method_channel.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "codec/standard_method_codec.h"
#include "tests/fakes/recording_engine.h"
#include "tests/support/byte_helpers.h"
#include "tests/support/recording_result.h"
#include "wrapper/binary_messenger_impl.h"

namespace {

using flutter::BinaryMessengerImpl;
using flutter::EncodableValue;
using flutter::MethodCall;
using flutter::MethodChannel;
using flutter::MethodResult;
using flutter::StandardMethodCodec;
using quorvane::fakes::EngineCall;
using quorvane::fakes::RecordingEngine;
using testing_support::Bytes;
using testing_support::RecordedAnswer;
using testing_support::StderrCapture;

using Lines = std::vector<std::string>;

constexpr char kChannel[] = "quorvane/settings";
constexpr char kDuplicateResultLine[] =
    "Error: Only one of Success, Error, or NotImplemented can be called, and it can be called "
    "exactly once. Ignoring duplicate result.";
constexpr char kUnansweredLine[] =
    "Warning: Failed to respond to a message. This is a memory leak.";

// A result the channel owns while the test still sees its answers and its end.
struct ResultLog {
  std::vector<RecordedAnswer> answers;
  bool destroyed = false;
};

class LoggedResult : public MethodResult<> {
 public:
  explicit LoggedResult(ResultLog* log) : log_(log) {}
  ~LoggedResult() override { log_->destroyed = true; }

 protected:
  void OnSuccess(const EncodableValue* result) override {
    log_->answers.push_back({RecordedAnswer::Kind::kSuccess, Optional(result), "", ""});
  }
  void OnError(const std::string& code, const std::string& message,
               const EncodableValue* details) override {
    log_->answers.push_back({RecordedAnswer::Kind::kError, Optional(details), code, message});
  }
  void OnNotImplemented() override {
    log_->answers.push_back({RecordedAnswer::Kind::kNotImplemented, std::nullopt, "", ""});
  }

 private:
  static std::optional<EncodableValue> Optional(const EncodableValue* value) {
    return value == nullptr ? std::nullopt : std::optional<EncodableValue>(*value);
  }
  ResultLog* log_;
};

class MethodChannelTest : public ::testing::Test {
 protected:
  MethodChannelTest() { engine_.engine_running = true; }

  std::vector<uint8_t> EncodedCall(const std::string& method, EncodableValue arguments) {
    MethodCall<> call(method, std::make_unique<EncodableValue>(std::move(arguments)));
    return *codec_.EncodeMethodCall(call);
  }

  // Registers a handler that records the method name and answers with answer.
  void Answer(const std::function<void(MethodResult<>&)>& answer) {
    channel_.SetMethodCallHandler(
        [this, answer](const MethodCall<>& call, std::unique_ptr<MethodResult<>> result) {
          handled_.push_back(call.MethodName());
          answer(*result);
        });
  }

  const FlutterDesktopMessageResponseHandle* Deliver(const std::string& method) {
    return engine_.DeliverMessage(kChannel, EncodedCall(method, EncodableValue()));
  }

  std::unique_ptr<MethodResult<>> Logged() { return std::make_unique<LoggedResult>(&log_); }

  RecordingEngine engine_;
  BinaryMessengerImpl messenger_{engine_.messenger()};
  const StandardMethodCodec& codec_ = StandardMethodCodec::GetInstance();
  MethodChannel<> channel_{&messenger_, kChannel, &codec_};
  std::vector<std::string> handled_;
  ResultLog log_;
};

TEST_F(MethodChannelTest, InvokeWithoutResultSendsTheEncodedCallWithoutReply) {
  MethodChannel<> window(&messenger_, "quorvane/window", &codec_);
  window.InvokeMethod("closeRequested", std::make_unique<EncodableValue>());

  ASSERT_EQ(engine_.calls, std::vector<EngineCall>{EngineCall::kMessengerSend});
  EXPECT_EQ(engine_.sends[0].channel, "quorvane/window");
  EXPECT_EQ(engine_.sends[0].bytes, Bytes("07 0E 63 6C 6F 73 65 52 65 71 75 65 73 74 65 64 00"));
}

TEST_F(MethodChannelTest, InvocationRepliesReachTheResultOnceAndThenLetItGo) {
  ResultLog empty;
  channel_.InvokeMethod("m", nullptr, std::make_unique<LoggedResult>(&empty));
  EXPECT_FALSE(empty.destroyed);
  engine_.DeliverReply(0, {});
  ResultLog success;
  channel_.InvokeMethod("m", nullptr, std::make_unique<LoggedResult>(&success));
  engine_.DeliverReply(1, Bytes("00 01"));
  ResultLog error;
  channel_.InvokeMethod("m", nullptr, std::make_unique<LoggedResult>(&error));
  engine_.DeliverReply(2, Bytes("01 07 01 65 07 01 6D 00"));

  EXPECT_EQ(engine_.sends[0].bytes, Bytes("07 01 6D 00"));
  for (const ResultLog* log : {&empty, &success, &error}) {
    ASSERT_EQ(log->answers.size(), 1u);
    EXPECT_TRUE(log->destroyed);
  }
  EXPECT_EQ(empty.answers[0].kind, RecordedAnswer::Kind::kNotImplemented);
  EXPECT_EQ(success.answers[0].kind, RecordedAnswer::Kind::kSuccess);
  EXPECT_EQ(success.answers[0].value, EncodableValue(true));
  EXPECT_EQ(error.answers[0].kind, RecordedAnswer::Kind::kError);
  EXPECT_EQ(error.answers[0].code, "e");
  EXPECT_EQ(error.answers[0].message, "m");
  EXPECT_FALSE(error.answers[0].value.has_value());
}

TEST_F(MethodChannelTest, UndecodableAndMalformedRepliesAreReportedAsNotImplemented) {
  // An unknown envelope type, and an error envelope whose code is an int32.
  for (const char* reply : {"05", "01 03 01 00 00 00 00 00"}) {
    SCOPED_TRACE(reply);
    ResultLog log;
    channel_.InvokeMethod("m", nullptr, std::make_unique<LoggedResult>(&log));
    StderrCapture capture;
    engine_.DeliverReply(engine_.sends.size() - 1, Bytes(reply));

    EXPECT_EQ(capture.Lines(),
              Lines{"Unable to decode reply to method invocation on channel quorvane/settings"});
    ASSERT_EQ(log.answers.size(), 1u);
    EXPECT_EQ(log.answers[0].kind, RecordedAnswer::Kind::kNotImplemented);
  }
}

TEST_F(MethodChannelTest, ResultThatThrowsIsNotAnsweredAgain) {
  class ThrowingResult : public MethodResult<> {
   public:
    explicit ThrowingResult(int* answers) : answers_(answers) {}

   protected:
    void OnSuccess(const EncodableValue*) override {
      ++*answers_;
      throw std::runtime_error("caller fault");
    }
    void OnError(const std::string&, const std::string&, const EncodableValue*) override {
      ++*answers_;
    }
    void OnNotImplemented() override { ++*answers_; }

   private:
    int* answers_;
  };
  int answers = 0;
  channel_.InvokeMethod("m", nullptr, std::make_unique<ThrowingResult>(&answers));
  StderrCapture capture;
  engine_.DeliverReply(0, Bytes("00 01"));

  EXPECT_EQ(answers, 1);
  EXPECT_EQ(capture.Lines(), Lines{"Error: A reply callback threw an exception."});
}

TEST_F(MethodChannelTest, RefusedInvocationDestroysTheResultUnanswered) {
  engine_.accept_sends_with_reply = false;
  channel_.InvokeMethod("m", nullptr, Logged());

  EXPECT_TRUE(log_.destroyed);
  EXPECT_TRUE(log_.answers.empty());
}

TEST_F(MethodChannelTest, HandlerAnswersTravelAsTheirEnvelopes) {
  struct Case {
    const char* name;
    std::function<void(MethodResult<>&)> answer;
    const char* envelope;
  };
  const Case cases[] = {
      {"success without value", [](MethodResult<>& r) { r.Success(); }, "00 00"},
      {"success with true", [](MethodResult<>& r) { r.Success(EncodableValue(true)); }, "00 01"},
      {"error", [](MethodResult<>& r) { r.Error("e", "m"); }, "01 07 01 65 07 01 6D 00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Answer(c.answer);
    auto* handle = Deliver("m");
    ASSERT_EQ(engine_.ResponseCount(handle), 1u);
    EXPECT_EQ(engine_.ResponseTo(handle)->bytes, Bytes(c.envelope));
  }
}

TEST_F(MethodChannelTest, NotImplementedSendsOneEmptyResponse) {
  Answer([](MethodResult<>& result) { result.NotImplemented(); });
  auto* handle = Deliver("unknown");

  EXPECT_EQ(engine_.CountOf(EngineCall::kMessengerSendResponse), 1u);
  ASSERT_EQ(engine_.ResponseCount(handle), 1u);
  EXPECT_TRUE(engine_.ResponseTo(handle)->data_null);
  EXPECT_TRUE(engine_.ResponseTo(handle)->bytes.empty());
}

TEST_F(MethodChannelTest, SecondAnswerSendsNothingAndWritesTheDuplicateLine) {
  Answer([](MethodResult<>& result) {
    result.Success(EncodableValue(true));
    result.Error("e", "m");
  });
  StderrCapture capture;
  auto* handle = Deliver("m");

  EXPECT_EQ(capture.Lines(), Lines{kDuplicateResultLine});
  ASSERT_EQ(engine_.ResponseCount(handle), 1u);
  EXPECT_EQ(engine_.ResponseTo(handle)->bytes, Bytes("00 01"));
}

TEST_F(MethodChannelTest, UnansweredResultWarnsOnceAndSendsNothing) {
  Answer([](MethodResult<>&) {});
  StderrCapture capture;
  auto* handle = Deliver("m");

  EXPECT_EQ(capture.Lines(), Lines{kUnansweredLine});
  EXPECT_EQ(engine_.ResponseCount(handle), 0u);
  EXPECT_EQ(engine_.messenger_references, 0);
}

TEST_F(MethodChannelTest, MessageThatIsNoCallGetsAnEmptyReplyAndNeverReachesTheHandler) {
  Answer([](MethodResult<>& result) { result.Success(); });
  StderrCapture capture;
  auto* handle = engine_.DeliverMessage(kChannel, Bytes("03 01 00 00 00 00"));

  Lines lines = capture.Lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(),
            "Unable to construct method call from message on channel quorvane/settings");
  EXPECT_TRUE(handled_.empty());
  ASSERT_EQ(engine_.ResponseCount(handle), 1u);
  EXPECT_TRUE(engine_.ResponseTo(handle)->data_null);
}

TEST_F(MethodChannelTest, KeptResultAnswersLaterAndNotAfterTheEngineIsGone) {
  std::vector<std::unique_ptr<MethodResult<>>> kept;
  channel_.SetMethodCallHandler(
      [&kept](const MethodCall<>&, std::unique_ptr<MethodResult<>> result) {
        kept.push_back(std::move(result));
      });
  auto* first = Deliver("m");
  Deliver("m");
  ASSERT_EQ(kept.size(), 2u);
  EXPECT_TRUE(engine_.responses.empty());

  kept[0]->Success(EncodableValue(true));
  EXPECT_EQ(engine_.ResponseTo(first)->bytes, Bytes("00 01"));

  engine_.DestroyEngine();
  engine_.ClearRecords();
  StderrCapture capture;
  kept[1]->Success(EncodableValue(true));
  kept.clear();

  EXPECT_TRUE(capture.Lines().empty());
  EXPECT_TRUE(engine_.responses.empty());
  EXPECT_EQ(engine_.messenger_references, 0);
  EXPECT_EQ(engine_.lock_depth, 0);
}

TEST_F(MethodChannelTest, KeptResultDestroyedUnansweredWarnsThen) {
  std::unique_ptr<MethodResult<>> kept;
  channel_.SetMethodCallHandler(
      [&kept](const MethodCall<>&, std::unique_ptr<MethodResult<>> result) {
        kept = std::move(result);
      });
  auto* handle = Deliver("m");
  StderrCapture capture;
  kept.reset();

  EXPECT_EQ(capture.Lines(), Lines{kUnansweredLine});
  EXPECT_EQ(engine_.ResponseCount(handle), 0u);
}

TEST_F(MethodChannelTest, NewHandlerReplacesTheOldAndAnEmptyOneRemovesIt) {
  Answer([](MethodResult<>& result) { result.Success(EncodableValue(1)); });
  Answer([](MethodResult<>& result) { result.Success(EncodableValue(2)); });
  auto* handle = Deliver("m");
  EXPECT_EQ(engine_.ResponseTo(handle)->bytes, Bytes("00 03 02 00 00 00"));

  channel_.SetMethodCallHandler(nullptr);
  EXPECT_EQ(engine_.CallbackFor(kChannel), nullptr);
  EXPECT_EQ(engine_.registrations.back().callback, nullptr);
}

TEST_F(MethodChannelTest, HandlerOutlivesItsChannelObject) {
  {
    MethodChannel<> temporary(&messenger_, "quorvane/window", &codec_);
    temporary.SetMethodCallHandler(
        [](const MethodCall<>& call, std::unique_ptr<MethodResult<>> result) {
          result->Success(EncodableValue(call.MethodName()));
        });
  }
  auto* handle = engine_.DeliverMessage("quorvane/window", EncodedCall("hide", EncodableValue()));

  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(engine_.ResponseTo(handle)->bytes, Bytes("00 07 04 68 69 64 65"));
}

TEST_F(MethodChannelTest, ThrowingHandlerIsReportedAndAnsweredOnce) {
  Answer([](MethodResult<>&) { throw std::runtime_error("handler fault"); });
  StderrCapture capture;
  auto* handle = Deliver("m");

  EXPECT_EQ(capture.Lines(),
            Lines{"Exception while handling method call on channel quorvane/settings"});
  ASSERT_EQ(engine_.ResponseCount(handle), 1u);
  EXPECT_TRUE(engine_.ResponseTo(handle)->data_null);
  EXPECT_EQ(engine_.messenger_references, 0);
}

TEST_F(MethodChannelTest, HandlerThrowingAfterItsAnswerKeepsThatAnswer) {
  Answer([](MethodResult<>& result) {
    result.Success(EncodableValue(true));
    throw std::runtime_error("late fault");
  });
  StderrCapture capture;
  auto* handle = Deliver("m");

  EXPECT_EQ(capture.Lines(),
            Lines{"Exception while handling method call on channel quorvane/settings"});
  ASSERT_EQ(engine_.ResponseCount(handle), 1u);
  EXPECT_EQ(engine_.ResponseTo(handle)->bytes, Bytes("00 01"));
}

}  // namespace
