// The stand-in engine's record of messages awaiting the host's answer.
#include "standin/engine/response_book.h"

#include <gtest/gtest.h>

namespace standin {
namespace {

using Outcome = ResponseBook::Outcome;

TEST(ResponseBook, AnswersEachMessageOnceAndForgetsIt) {
  ResponseBook book;
  int replies = 0;
  const uint64_t first = book.Open("a", [&](const uint8_t*, size_t) { ++replies; });
  for (int i = 0; i < 10000; ++i) {
    const uint64_t handle = book.Open("b", nullptr);
    ASSERT_EQ(book.Take(handle).outcome, Outcome::kAnswered);
  }
  EXPECT_EQ(book.OpenCount(), 1u);
  EXPECT_LE(book.RememberedCount(), ResponseBook::kRememberedAnswers);

  ResponseBook::Answer answer = book.Take(first);
  ASSERT_EQ(answer.outcome, Outcome::kAnswered);
  EXPECT_EQ(answer.channel, "a");
  answer.on_reply(nullptr, 0);
  EXPECT_EQ(replies, 1);
  EXPECT_EQ(book.OpenCount(), 0u);

  answer = book.Take(first);
  EXPECT_EQ(answer.outcome, Outcome::kDuplicate);
  EXPECT_EQ(answer.channel, "a");
  EXPECT_FALSE(answer.on_reply);
}

TEST(ResponseBook, TellsOldDuplicatesFromHandlesNeverGiven) {
  ResponseBook book;
  const uint64_t old = book.Open("old", nullptr);
  book.Take(old);
  for (size_t i = 0; i < ResponseBook::kRememberedAnswers; ++i) book.Take(book.Open("b", nullptr));
  const ResponseBook::Answer answer = book.Take(old);
  EXPECT_EQ(answer.outcome, Outcome::kDuplicate);
  EXPECT_TRUE(answer.channel.empty());
  EXPECT_EQ(book.Take(0).outcome, Outcome::kUnknown);
  EXPECT_EQ(book.Take(old + 1000000).outcome, Outcome::kUnknown);
}

}  // namespace
}  // namespace standin
