#include "runner/channels/update_channel.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/recording_result.h"

namespace quorvane {
namespace {

using flutter::EncodableMap;
using flutter::EncodableValue;
using flutter::MethodCall;
using testing_support::RecordedAnswer;
using testing_support::RecordingResult;

class FakeInstaller : public UpdateInstaller {
 public:
  UpdateOutcome outcome{UpdateRefusal::kNone, "Quorvane AI", "1.1.0.0"};
  std::vector<std::string> calls;

  UpdateOutcome Check(const std::string& path) override {
    calls.push_back("Check " + path);
    return outcome;
  }
  UpdateOutcome Install(const std::string& path) override {
    calls.push_back("Install " + path);
    return outcome;
  }
};

RecordedAnswer Handle(const std::string& method, std::unique_ptr<EncodableValue> arguments,
                      UpdateInstaller& installer) {
  RecordingResult result;
  HandleUpdateCall(MethodCall<EncodableValue>(method, std::move(arguments)), result, installer);
  EXPECT_EQ(result.answers.size(), 1u);
  return result.answers.empty() ? RecordedAnswer{} : result.answers.front();
}

std::unique_ptr<EncodableValue> PathArguments(EncodableValue path) {
  return std::make_unique<EncodableValue>(EncodableMap{{EncodableValue("path"), std::move(path)}});
}

const std::string kPath = "C:\\Downloads\\setup.exe";

TEST(UpdateChannel, BothMethodsAnswerPublisherAndVersion) {
  FakeInstaller installer;
  for (const char* method : {"checkUpdateFile", "installUpdate"}) {
    const RecordedAnswer answer = Handle(method, PathArguments(EncodableValue(kPath)), installer);
    EXPECT_EQ(answer.kind, RecordedAnswer::Kind::kSuccess);
    EXPECT_EQ(answer.value, EncodableValue(EncodableMap{
                                {EncodableValue("publisher"), EncodableValue("Quorvane AI")},
                                {EncodableValue("version"), EncodableValue("1.1.0.0")},
                            }));
  }
  EXPECT_EQ(installer.calls, (std::vector<std::string>{"Check " + kPath, "Install " + kPath}));
}

TEST(UpdateChannel, ABadPathIsRefusedBeforeTheInstallerIsAsked) {
  FakeInstaller installer;
  EXPECT_EQ(Handle("installUpdate", PathArguments(EncodableValue("setup.exe")), installer).code,
            "update_invalid_path");
  EXPECT_EQ(Handle("installUpdate", PathArguments(EncodableValue(42)), installer).code,
            "update_invalid_path");
  EXPECT_EQ(Handle("installUpdate", std::make_unique<EncodableValue>(kPath), installer).code,
            "update_invalid_path");
  EXPECT_EQ(Handle("checkUpdateFile", nullptr, installer).code, "update_invalid_path");
  EXPECT_TRUE(installer.calls.empty());
}

TEST(UpdateChannel, EachRefusalHasItsOwnCode) {
  const std::pair<UpdateRefusal, const char*> refusals[] = {
      {UpdateRefusal::kCopyFailed, "update_copy_failed"},
      {UpdateRefusal::kUnsigned, "update_unsigned"},
      {UpdateRefusal::kHostUnsigned, "update_host_unsigned"},
      {UpdateRefusal::kOtherPublisher, "update_other_publisher"},
      {UpdateRefusal::kVersionUnreadable, "update_version_unreadable"},
      {UpdateRefusal::kNotNewer, "update_not_newer"},
      {UpdateRefusal::kStartFailed, "update_start_failed"},
  };
  for (const auto& [refusal, code] : refusals) {
    FakeInstaller installer;
    installer.outcome.refusal = refusal;
    const RecordedAnswer answer =
        Handle("installUpdate", PathArguments(EncodableValue(kPath)), installer);
    EXPECT_EQ(answer.kind, RecordedAnswer::Kind::kError);
    EXPECT_EQ(answer.code, code);
    EXPECT_EQ(answer.message.rfind("Unable to ", 0), 0u);
  }
}

TEST(UpdateChannel, OtherNamesAreNotImplemented) {
  FakeInstaller installer;
  for (const char* name : {"InstallUpdate", "checkUpdate", "update"}) {
    EXPECT_EQ(Handle(name, PathArguments(EncodableValue(kPath)), installer).kind,
              RecordedAnswer::Kind::kNotImplemented);
  }
  EXPECT_TRUE(installer.calls.empty());
}

}  // namespace
}  // namespace quorvane
