// The access token never reaches a diagnostic: every line written while the
// credential channel handles calls that carry a token, through the channel
// runtime as the engine delivers them, on success and on every failure path.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "codec/diagnostic.h"
#include "codec/standard_method_codec.h"
#include "runner/channels/credential_channel.h"
#include "runner/channels/token_rules.h"
#include "tests/fakes/recording_engine.h"
#include "wrapper/binary_messenger_impl.h"
#include "wrapper/method_channel.h"

namespace quorvane {
namespace {

using flutter::EncodableList;
using flutter::EncodableMap;
using flutter::EncodableValue;
using flutter::MethodCall;
using flutter::MethodResult;

constexpr char kSecret[] = "sk-live-9QvZt7Secret";

// Answers with the code it is given, as the Credential Manager would.
class ScriptedStore : public CredentialStore {
 public:
  uint32_t code = 0;
  uint32_t WriteToken(std::string_view) override { return code; }
  uint32_t DeleteToken() override { return code; }
};

std::vector<std::string>& SunkLines() {
  static std::vector<std::string> lines;
  return lines;
}

// Everything written while it lives: the diagnostic lines and whatever else
// reaches standard output or standard error.
class OutputCapture {
 public:
  OutputCapture() {
    SunkLines().clear();
    flutter::SetDiagnosticSink([](std::string_view line) { SunkLines().emplace_back(line); });
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
  }
  ~OutputCapture() {
    if (!taken_) Take();
  }
  OutputCapture(const OutputCapture&) = delete;
  OutputCapture& operator=(const OutputCapture&) = delete;

  std::string Take() {
    taken_ = true;
    flutter::SetDiagnosticSink(nullptr);
    std::string all = testing::internal::GetCapturedStdout();
    all += testing::internal::GetCapturedStderr();
    for (const std::string& line : SunkLines()) all += line + "\n";
    return all;
  }

 private:
  bool taken_ = false;
};

class CredentialChannelDiagnosticsTest : public ::testing::Test {
 protected:
  CredentialChannelDiagnosticsTest() {
    engine_.engine_running = true;
    channel_.SetMethodCallHandler(
        [this](const MethodCall<>& call, std::unique_ptr<MethodResult<>> result) {
          HandleCredentialCall(call, *result, store_);
        });
  }

  void DeliverCall(const std::string& method, EncodableValue arguments) {
    const MethodCall<> call(method, std::make_unique<EncodableValue>(std::move(arguments)));
    DeliverBytes(*codec_.EncodeMethodCall(call));
  }

  void DeliverBytes(const std::vector<uint8_t>& bytes) {
    engine_.DeliverMessage("quorvane/credential", bytes);
  }

  fakes::RecordingEngine engine_;
  flutter::BinaryMessengerImpl messenger_{engine_.messenger()};
  const flutter::StandardMethodCodec& codec_ = flutter::StandardMethodCodec::GetInstance();
  flutter::MethodChannel<> channel_{&messenger_, "quorvane/credential", &codec_};
  ScriptedStore store_;
};

EncodableValue TokenArguments(const std::string& token) {
  return EncodableValue(EncodableMap{{EncodableValue("token"), EncodableValue(token)}});
}

TEST_F(CredentialChannelDiagnosticsTest, NoLineWrittenForACallWithATokenContainsIt) {
  {
    // The capture itself: a diagnostic line is seen.
    OutputCapture capture;
    flutter::WriteDiagnosticLine(kSecret);
    ASSERT_NE(capture.Take().find(kSecret), std::string::npos);
  }

  const std::string secret(kSecret);
  const std::string refused_tokens[] = {
      secret + "\n",
      "\r" + secret,
      secret + std::string(kMaxTokenBytes, 'x'),
  };
  OutputCapture capture;
  for (uint32_t code : {0u, 5u, 13u, 1312u, kCredentialErrorNotFound}) {
    store_.code = code;
    DeliverCall("writeCodexToken", TokenArguments(secret));
    DeliverCall("deleteCodexToken", TokenArguments(secret));
  }
  store_.code = 0;
  for (const std::string& token : refused_tokens) {
    DeliverCall("writeCodexToken", TokenArguments(token));
  }
  // Arguments of the wrong shape, a key of the wrong case, and a method that
  // does not exist.
  DeliverCall("writeCodexToken", EncodableValue(EncodableList{EncodableValue(secret)}));
  DeliverCall("writeCodexToken", EncodableValue(secret));
  DeliverCall("writeCodexToken",
              EncodableValue(EncodableMap{{EncodableValue("Token"), EncodableValue(secret)}}));
  DeliverCall("readCodexToken", TokenArguments(secret));
  // Messages that do not decode: cut short inside the token, and a call
  // whose method name is an int32.
  const std::string method = "writeCodexToken";
  const MethodCall<> call(method, std::make_unique<EncodableValue>(TokenArguments(secret)));
  const std::vector<uint8_t> encoded = *codec_.EncodeMethodCall(call);
  DeliverBytes(std::vector<uint8_t>(encoded.begin(), encoded.end() - 4));
  // An int32 in place of the method name, the arguments as they were.
  std::vector<uint8_t> unnamed(encoded.begin() + 2 + method.size() - 5, encoded.end());
  const uint8_t int32_name[] = {0x03, 0x01, 0x00, 0x00, 0x00};
  std::copy(std::begin(int32_name), std::end(int32_name), unnamed.begin());
  DeliverBytes(unnamed);

  const std::string written = capture.Take();
  // Compared by position, so that a failure does not print what was written.
  EXPECT_EQ(written.find(kSecret), std::string::npos);
  EXPECT_EQ(engine_.protocol_violations, 0);
}

}  // namespace
}  // namespace quorvane
