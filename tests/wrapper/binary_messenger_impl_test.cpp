// What BinaryMessengerImpl hands the engine library, and how its reply path
// answers, checked against the recording engine.
#include "wrapper/binary_messenger_impl.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <vector>

#include "tests/fakes/recording_engine.h"
#include "tests/support/byte_helpers.h"

namespace {

using flutter::BinaryMessengerImpl;
using flutter::ChannelHandler;
using flutter::ReplyCallback;
using quorvane::fakes::EngineCall;
using quorvane::fakes::RecordingEngine;
using testing_support::Bytes;
using testing_support::StderrCapture;

constexpr char kDuplicateResponseLine[] =
    "Error: Response can be set only once. Ignoring duplicate response.";

class BinaryMessengerImplTest : public ::testing::Test {
 protected:
  BinaryMessengerImplTest() { engine_.engine_running = true; }

  // Registers a handler that stores the reply callable of each message.
  void KeepReplies(const std::string& channel) {
    messenger_.SetChannelHandler(channel, [this](const uint8_t*, size_t, ReplyCallback reply) {
      replies_.push_back(std::move(reply));
    });
  }

  RecordingEngine engine_;
  BinaryMessengerImpl messenger_{engine_.messenger()};
  std::vector<ReplyCallback> replies_;
};

TEST_F(BinaryMessengerImplTest, SendWithoutReplyUsesThePlainSend) {
  std::vector<uint8_t> message = Bytes("01 02 03");
  messenger_.Send("quorvane/window", message.data(), message.size());

  ASSERT_EQ(engine_.calls, std::vector<EngineCall>{EngineCall::kMessengerSend});
  EXPECT_EQ(engine_.sends[0].channel, "quorvane/window");
  EXPECT_EQ(engine_.sends[0].bytes, message);
}

TEST_F(BinaryMessengerImplTest, ReplyOfAnAcceptedSendIsCalledOnceWithTheAnswer) {
  std::vector<std::vector<uint8_t>> replies;
  std::vector<uint8_t> message = Bytes("05");
  messenger_.Send("c", message.data(), message.size(),
                  [&replies](const uint8_t* reply, size_t reply_size) {
                    replies.emplace_back(reply, reply + reply_size);
                  });
  ASSERT_EQ(engine_.calls, std::vector<EngineCall>{EngineCall::kMessengerSendWithReply});
  EXPECT_EQ(engine_.sends[0].bytes, message);

  engine_.DeliverReply(0, Bytes("00 01"));
  EXPECT_EQ(replies, std::vector<std::vector<uint8_t>>{Bytes("00 01")});
}

TEST_F(BinaryMessengerImplTest, RefusedSendDestroysThePendingReplyUncalled) {
  engine_.accept_sends_with_reply = false;
  auto sentinel = std::make_shared<int>(0);
  bool called = false;
  messenger_.Send("c", nullptr, 0, [sentinel, &called](const uint8_t*, size_t) { called = true; });

  EXPECT_EQ(sentinel.use_count(), 1);
  EXPECT_FALSE(called);
}

TEST_F(BinaryMessengerImplTest, ThrowingReplyIsReportedAndStopsAtTheBoundary) {
  messenger_.Send("c", nullptr, 0, [](const uint8_t*, size_t) { throw std::runtime_error("x"); });
  StderrCapture capture;
  engine_.DeliverReply(0, Bytes("00 01"));
  EXPECT_EQ(capture.Lines(),
            std::vector<std::string>{"Error: A reply callback threw an exception."});
}

TEST_F(BinaryMessengerImplTest, ReplacingAHandlerReRegistersTheSameAddress) {
  int first_calls = 0;
  int second_calls = 0;
  messenger_.SetChannelHandler("c", [&](const uint8_t*, size_t, ReplyCallback) { ++first_calls; });
  messenger_.SetChannelHandler("c", [&](const uint8_t*, size_t, ReplyCallback) { ++second_calls; });

  ASSERT_EQ(engine_.registrations.size(), 2u);
  EXPECT_NE(engine_.registrations[0].callback, nullptr);
  EXPECT_EQ(engine_.registrations[1].callback, engine_.registrations[0].callback);
  EXPECT_EQ(engine_.registrations[1].user_data, engine_.registrations[0].user_data);

  engine_.DeliverMessage("c", Bytes("01"));
  EXPECT_EQ(first_calls, 0);
  EXPECT_EQ(second_calls, 1);
}

// The engine keeps the stored handler's address; the old handler's destructor
// looks there and must not find the new handler in place yet.
TEST_F(BinaryMessengerImplTest, ReplacingAHandlerDestroysTheOldBeforeTheNewMovesIn) {
  struct NewHandler {
    void operator()(const uint8_t*, size_t, ReplyCallback) const {}
  };
  bool new_handler_was_stored = false;
  auto witness = std::shared_ptr<int>(new int(0), [&](int* value) {
    const auto* slot = static_cast<const ChannelHandler*>(engine_.CallbackFor("c")->user_data);
    new_handler_was_stored = slot->target_type() == typeid(NewHandler);
    delete value;
  });
  messenger_.SetChannelHandler("c", [witness](const uint8_t*, size_t, ReplyCallback) {});
  witness.reset();

  messenger_.SetChannelHandler("c", NewHandler{});
  EXPECT_FALSE(new_handler_was_stored);
}

TEST_F(BinaryMessengerImplTest, RemovingClearsTheEngineCallbackEvenWithoutAHandler) {
  messenger_.SetChannelHandler("never-set", nullptr);
  KeepReplies("c");
  messenger_.SetChannelHandler("c", nullptr);

  ASSERT_EQ(engine_.registrations.size(), 3u);
  EXPECT_EQ(engine_.registrations[0].channel, "never-set");
  EXPECT_EQ(engine_.registrations[0].callback, nullptr);
  EXPECT_EQ(engine_.registrations[0].user_data, nullptr);
  EXPECT_EQ(engine_.registrations[2].callback, nullptr);
  EXPECT_EQ(engine_.registrations[2].user_data, nullptr);
  EXPECT_EQ(engine_.CallbackFor("c"), nullptr);
}

TEST_F(BinaryMessengerImplTest, AnswerTakesTheLockAroundTheAvailabilityCheckAndTheResponse) {
  KeepReplies("c");
  auto* handle = engine_.DeliverMessage("c", Bytes("01"));
  engine_.ClearRecords();

  std::vector<uint8_t> answer = Bytes("00 01");
  replies_[0](answer.data(), answer.size());

  EXPECT_EQ(engine_.calls, (std::vector<EngineCall>{
                               EngineCall::kMessengerLock, EngineCall::kMessengerIsAvailable,
                               EngineCall::kMessengerSendResponse, EngineCall::kMessengerUnlock}));
  ASSERT_EQ(engine_.ResponseCount(handle), 1u);
  EXPECT_EQ(engine_.ResponseTo(handle)->bytes, answer);
  EXPECT_EQ(engine_.lock_depth, 0);
}

TEST_F(BinaryMessengerImplTest, AnsweringTwiceSendsOnceAndWritesTheDuplicateLineOnce) {
  KeepReplies("c");
  auto* handle = engine_.DeliverMessage("c", Bytes("01"));
  StderrCapture capture;
  replies_[0](nullptr, 0);
  replies_[0](nullptr, 0);

  EXPECT_EQ(capture.Lines(), std::vector<std::string>{kDuplicateResponseLine});
  EXPECT_EQ(engine_.ResponseCount(handle), 1u);
  EXPECT_EQ(engine_.lock_depth, 0);
  EXPECT_EQ(engine_.protocol_violations, 0);
}

TEST_F(BinaryMessengerImplTest, CopiesOfOneReplyAnswerOnceBetweenThem) {
  KeepReplies("c");
  auto* handle = engine_.DeliverMessage("c", Bytes("01"));
  ReplyCallback copy = replies_[0];
  StderrCapture capture;
  replies_[0](nullptr, 0);
  copy(nullptr, 0);

  EXPECT_EQ(capture.Lines(), std::vector<std::string>{kDuplicateResponseLine});
  EXPECT_EQ(engine_.ResponseCount(handle), 1u);
  EXPECT_EQ(engine_.protocol_violations, 0);
}

TEST_F(BinaryMessengerImplTest, AnswerAfterTheEngineIsGoneSendsAndWritesNothing) {
  KeepReplies("c");
  engine_.DeliverMessage("c", Bytes("01"));
  engine_.DestroyEngine();
  engine_.ClearRecords();

  StderrCapture capture;
  replies_[0](nullptr, 0);
  replies_[0](nullptr, 0);

  EXPECT_TRUE(capture.Lines().empty());
  EXPECT_TRUE(engine_.responses.empty());
  EXPECT_EQ(engine_.CountOf(EngineCall::kMessengerLock), 2u);
  EXPECT_EQ(engine_.CountOf(EngineCall::kMessengerUnlock), 2u);
  EXPECT_EQ(engine_.lock_depth, 0);
}

TEST_F(BinaryMessengerImplTest, AnAnswerAfterTheEngineIsGoneIsNoDuplicate) {
  KeepReplies("c");
  auto* handle = engine_.DeliverMessage("c", Bytes("01"));
  replies_[0](nullptr, 0);
  engine_.DestroyEngine();

  StderrCapture capture;
  replies_[0](nullptr, 0);
  EXPECT_TRUE(capture.Lines().empty());
  EXPECT_EQ(engine_.ResponseCount(handle), 1u);
}

TEST_F(BinaryMessengerImplTest, TheReplyPathUsesTheHandleTheReferenceCameBackAs) {
  engine_.add_ref_hands_back_alias = true;
  KeepReplies("c");
  auto* handle = engine_.DeliverMessage("c", Bytes("01"));
  EXPECT_EQ(engine_.alias_references, 1);
  replies_[0](nullptr, 0);
  replies_.clear();

  EXPECT_EQ(engine_.ResponseCount(handle), 1u);
  EXPECT_EQ(engine_.alias_references, 0);
  EXPECT_EQ(engine_.messenger_references, 0);
  EXPECT_EQ(engine_.protocol_violations, 0);
}

TEST_F(BinaryMessengerImplTest, NoUnlockWhenTheLockHandsBackNothing) {
  engine_.lock_returns_null = true;
  KeepReplies("c");
  auto* handle = engine_.DeliverMessage("c", Bytes("01"));
  replies_[0](nullptr, 0);

  EXPECT_EQ(engine_.ResponseCount(handle), 1u);
  EXPECT_EQ(engine_.CountOf(EngineCall::kMessengerUnlock), 0u);
  EXPECT_EQ(engine_.protocol_violations, 0);
}

TEST_F(BinaryMessengerImplTest, KeptReplyHoldsTheMessengerUntilItIsDestroyed) {
  KeepReplies("c");
  auto* handle = engine_.DeliverMessage("c", Bytes("01"));
  EXPECT_EQ(engine_.messenger_references, 1);

  replies_.clear();
  EXPECT_EQ(engine_.messenger_references, 0);
  EXPECT_EQ(engine_.ResponseCount(handle), 0u);
  EXPECT_EQ(engine_.protocol_violations, 0);
}

TEST_F(BinaryMessengerImplTest, DroppedReplyReleasesTheMessengerWithoutAnswering) {
  messenger_.SetChannelHandler("c", [](const uint8_t*, size_t, ReplyCallback) {});
  StderrCapture capture;
  auto* handle = engine_.DeliverMessage("c", Bytes("01"));

  EXPECT_TRUE(capture.Lines().empty());
  EXPECT_EQ(engine_.ResponseCount(handle), 0u);
  EXPECT_EQ(engine_.CountOf(EngineCall::kMessengerAddRef), 1u);
  EXPECT_EQ(engine_.messenger_references, 0);
}

TEST_F(BinaryMessengerImplTest, ThrowingHandlerIsReportedAndAnsweredEmpty) {
  messenger_.SetChannelHandler(
      "c", [](const uint8_t*, size_t, ReplyCallback) { throw std::runtime_error("boom"); });
  StderrCapture capture;
  auto* handle = engine_.DeliverMessage("c", Bytes("01"));

  EXPECT_EQ(capture.Lines(),
            std::vector<std::string>{
                "Error: A channel handler threw an exception; answering with an empty reply."});
  ASSERT_EQ(engine_.ResponseCount(handle), 1u);
  EXPECT_TRUE(engine_.ResponseTo(handle)->data_null);
  EXPECT_EQ(engine_.messenger_references, 0);
}

TEST_F(BinaryMessengerImplTest, HandlerThrowingAfterItsAnswerGetsNoSecondResponse) {
  messenger_.SetChannelHandler("c", [](const uint8_t*, size_t, ReplyCallback reply) {
    uint8_t answer[] = {0x00, 0x01};
    reply(answer, sizeof(answer));
    throw std::runtime_error("late");
  });
  StderrCapture capture;
  auto* handle = engine_.DeliverMessage("c", Bytes("01"));

  EXPECT_EQ(capture.Lines().size(), 1u);
  ASSERT_EQ(engine_.ResponseCount(handle), 1u);
  EXPECT_EQ(engine_.ResponseTo(handle)->bytes, Bytes("00 01"));
  EXPECT_EQ(engine_.protocol_violations, 0);
}

TEST_F(BinaryMessengerImplTest, DestroyingTheMessengerLeavesTheEngineCallbacksAlone) {
  {
    BinaryMessengerImpl messenger(engine_.messenger());
    messenger.SetChannelHandler("c", [](const uint8_t*, size_t, ReplyCallback) {});
    engine_.ClearRecords();
  }
  EXPECT_TRUE(engine_.calls.empty());
}

TEST(BinaryMessengerImplWithoutEngine, SendsAndRegistersNothing) {
  RecordingEngine engine;
  BinaryMessengerImpl messenger(nullptr);
  bool reply_called = false;
  uint8_t byte = 1;
  messenger.Send("c", &byte, 1);
  messenger.Send("c", &byte, 1, [&](const uint8_t*, size_t) { reply_called = true; });
  messenger.SetChannelHandler("c", [](const uint8_t*, size_t, ReplyCallback) {});
  messenger.SetChannelHandler("c", nullptr);

  EXPECT_TRUE(engine.calls.empty());
  EXPECT_FALSE(reply_called);
}

}  // namespace
