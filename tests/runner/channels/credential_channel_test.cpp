#include "runner/channels/credential_channel.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "runner/channels/token_rules.h"
#include "runner/diagnostics/log.h"
#include "tests/support/recording_result.h"

namespace quorvane {
namespace {

using flutter::EncodableList;
using flutter::EncodableMap;
using flutter::EncodableValue;
using flutter::MethodCall;
using testing_support::RecordedAnswer;
using testing_support::RecordingResult;

// Keeps what it is given and answers with scripted codes. Token bytes are
// compared with EXPECT_TRUE so that a failure never prints them.
class FakeCredentialStore : public CredentialStore {
 public:
  uint32_t write_code = 0;
  uint32_t delete_code = 0;
  std::vector<std::string> written;
  int deletes = 0;

  uint32_t WriteToken(std::string_view token) override {
    written.emplace_back(token);
    return write_code;
  }
  uint32_t DeleteToken() override {
    ++deletes;
    return delete_code;
  }
};

RecordedAnswer Handle(const std::string& method, std::unique_ptr<EncodableValue> arguments,
                      CredentialStore& store) {
  MethodCall<> call(method, std::move(arguments));
  RecordingResult result;
  HandleCredentialCall(call, result, store);
  EXPECT_EQ(result.answers.size(), 1u);
  return result.answers.empty() ? RecordedAnswer{} : result.answers.front();
}

std::unique_ptr<EncodableValue> TokenArguments(EncodableValue token) {
  return std::make_unique<EncodableValue>(
      EncodableMap{{EncodableValue("token"), std::move(token)}});
}

void ExpectSuccessWithoutValue(const RecordedAnswer& answer) {
  EXPECT_EQ(answer.kind, RecordedAnswer::Kind::kSuccess);
  EXPECT_FALSE(answer.value.has_value());
}

void ExpectWriteFailed(const RecordedAnswer& answer) {
  EXPECT_EQ(answer.kind, RecordedAnswer::Kind::kError);
  EXPECT_EQ(answer.code, "credential_write_failed");
  EXPECT_EQ(answer.message, "Unable to save the Codex credential.");
  EXPECT_FALSE(answer.value.has_value());
}

TEST(CredentialChannel, WriteStoresTheTokenBytesUnchanged) {
  const std::string tokens[] = {
      "sk-abc",
      "t\xc3\xb6k\xc3\xa9n \xe2\x82\xac",  // UTF-8, stored as bytes, not characters
      std::string("nul\0inside\x01\x7f", 13),
      std::string(kMaxTokenBytes, 'z'),
  };
  for (const std::string& token : tokens) {
    FakeCredentialStore store;
    ExpectSuccessWithoutValue(
        Handle("writeCodexToken", TokenArguments(EncodableValue(token)), store));
    ASSERT_EQ(store.written.size(), 1u);
    EXPECT_TRUE(store.written.front() == token);
    EXPECT_EQ(store.written.front().size(), token.size());
  }
}

TEST(CredentialChannel, WriteRefusesABrokenTokenBeforeTheStore) {
  std::vector<std::unique_ptr<EncodableValue>> arguments;
  arguments.push_back(nullptr);
  arguments.push_back(std::make_unique<EncodableValue>("sk-abc"));
  arguments.push_back(std::make_unique<EncodableValue>(EncodableList{EncodableValue("sk-abc")}));
  arguments.push_back(std::make_unique<EncodableValue>(EncodableMap{}));
  arguments.push_back(TokenArguments(EncodableValue("")));
  arguments.push_back(TokenArguments(EncodableValue(int32_t{42})));
  arguments.push_back(TokenArguments(EncodableValue(std::vector<uint8_t>{'s', 'k'})));
  arguments.push_back(TokenArguments(EncodableValue(std::string(kMaxTokenBytes + 1, 'z'))));
  arguments.push_back(TokenArguments(EncodableValue("sk-abc\n")));
  arguments.push_back(TokenArguments(EncodableValue("sk\r-abc")));
  arguments.push_back(std::make_unique<EncodableValue>(
      EncodableMap{{EncodableValue("Token"), EncodableValue("sk-abc")}}));
  for (auto& argument : arguments) {
    FakeCredentialStore store;
    ExpectWriteFailed(Handle("writeCodexToken", std::move(argument), store));
    EXPECT_TRUE(store.written.empty());
  }
}

// Keeps the lines written to the process's log while it lives.
class CapturedLog : public Log {
 public:
  CapturedLog() { SetProcessLog(this); }
  ~CapturedLog() override { SetProcessLog(nullptr); }
  void Write(LogLevel, std::string_view message) noexcept override { lines.emplace_back(message); }
  std::vector<std::string> lines;
};

TEST(CredentialChannel, WriteReportsAStoreRefusalAndLogsItsCodeAndSizeOnly) {
  for (uint32_t code : {13u, 5u, 1312u}) {
    FakeCredentialStore store;
    store.write_code = code;
    CapturedLog log;
    ExpectWriteFailed(Handle("writeCodexToken", TokenArguments(EncodableValue("sk-abc")), store));
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0], "The Credential Manager refused a token of 6 bytes (Windows error " +
                                std::to_string(code) + ").");
  }
}

TEST(CredentialChannel, DeleteSucceedsAlsoWhenNothingWasStored) {
  for (uint32_t code : {0u, kCredentialErrorNotFound}) {
    FakeCredentialStore store;
    store.delete_code = code;
    // Arguments are ignored, whatever they are.
    ExpectSuccessWithoutValue(
        Handle("deleteCodexToken", std::make_unique<EncodableValue>(int32_t{7}), store));
    EXPECT_EQ(store.deletes, 1);
  }
}

TEST(CredentialChannel, DeleteReportsAnyOtherFailure) {
  for (uint32_t code : {5u, 1312u, 2u}) {
    FakeCredentialStore store;
    store.delete_code = code;
    const RecordedAnswer answer = Handle("deleteCodexToken", nullptr, store);
    EXPECT_EQ(answer.kind, RecordedAnswer::Kind::kError);
    EXPECT_EQ(answer.code, "credential_delete_failed");
    EXPECT_EQ(answer.message, "Unable to clear the Codex credential.");
    EXPECT_FALSE(answer.value.has_value());
  }
}

TEST(CredentialChannel, OnlyExactMethodNamesAreImplemented) {
  for (const char* name :
       {"readCodexToken", "WriteCodexToken", "deletecodextoken", "writeCodexToken ", ""}) {
    FakeCredentialStore store;
    EXPECT_EQ(Handle(name, TokenArguments(EncodableValue("sk-abc")), store).kind,
              RecordedAnswer::Kind::kNotImplemented)
        << name;
    EXPECT_TRUE(store.written.empty());
    EXPECT_EQ(store.deletes, 0);
  }
}

}  // namespace
}  // namespace quorvane
