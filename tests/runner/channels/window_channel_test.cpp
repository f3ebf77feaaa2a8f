#include "runner/channels/window_channel.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/recording_result.h"

namespace quorvane {
namespace {

using flutter::EncodableList;
using flutter::EncodableMap;
using flutter::EncodableValue;
using flutter::MethodCall;
using ::testing::ElementsAre;
using testing_support::RecordedAnswer;
using testing_support::RecordingResult;

// Records window operations and answers into one log, so that a test can see
// whether the reply went out before or after an operation.
class Log {
 public:
  std::vector<std::string> entries;
};

class FakeWindow : public WindowOperations {
 public:
  explicit FakeWindow(Log& log) : log_(log) {}

  bool maximized = false;

  void Minimize() override { log_.entries.push_back("Minimize"); }
  void Hide() override { log_.entries.push_back("Hide"); }
  void Show() override { log_.entries.push_back("Show"); }
  bool IsMaximized() override {
    log_.entries.push_back("IsMaximized");
    return maximized;
  }
  void Maximize() override { log_.entries.push_back("Maximize"); }
  void Restore() override { log_.entries.push_back("Restore"); }
  void SetCloseToTray(bool enabled) override {
    log_.entries.push_back(enabled ? "SetCloseToTray true" : "SetCloseToTray false");
  }
  void ConfirmClose() override { log_.entries.push_back("ConfirmClose"); }
  void PostClose() override { log_.entries.push_back("PostClose"); }
  void BeginDrag() override { log_.entries.push_back("BeginDrag"); }
  WindowState CurrentState() override {
    log_.entries.push_back("CurrentState");
    return state;
  }

  WindowState state;

 private:
  Log& log_;
};

class LoggingResult : public RecordingResult {
 public:
  explicit LoggingResult(Log& log) : log_(log) {}

 protected:
  void OnSuccess(const EncodableValue* value) override {
    log_.entries.push_back(value == nullptr ? "reply Success" : "reply Success with value");
    RecordingResult::OnSuccess(value);
  }
  void OnError(const std::string& code, const std::string& message,
               const EncodableValue* details) override {
    log_.entries.push_back("reply Error " + code);
    RecordingResult::OnError(code, message, details);
  }
  void OnNotImplemented() override {
    log_.entries.push_back("reply NotImplemented");
    RecordingResult::OnNotImplemented();
  }

 private:
  Log& log_;
};

class WindowChannelTest : public ::testing::Test {
 protected:
  std::vector<std::string> Call(const std::string& method,
                                std::unique_ptr<EncodableValue> arguments = nullptr) {
    log_.entries.clear();
    LoggingResult result(log_);
    HandleWindowCall(MethodCall<EncodableValue>(method, std::move(arguments)), result, window_);
    answers_ = result.answers;
    return log_.entries;
  }

  static std::unique_ptr<EncodableValue> Enabled(EncodableValue value) {
    return std::make_unique<EncodableValue>(EncodableMap{{EncodableValue("enabled"), value}});
  }

  Log log_;
  FakeWindow window_{log_};
  std::vector<RecordedAnswer> answers_;
};

TEST_F(WindowChannelTest, SimpleMethodsActThenSucceedWithoutValue) {
  EXPECT_THAT(Call("minimize"), ElementsAre("Minimize", "reply Success"));
  EXPECT_THAT(Call("hide"), ElementsAre("Hide", "reply Success"));
  EXPECT_THAT(Call("show"), ElementsAre("Show", "reply Success"));
  ASSERT_EQ(answers_.size(), 1u);
  EXPECT_EQ(answers_[0].value, std::nullopt);
}

TEST_F(WindowChannelTest, ArgumentsOfMethodsThatTakeNoneAreIgnored) {
  EXPECT_THAT(Call("minimize", std::make_unique<EncodableValue>(EncodableList{1, "x"})),
              ElementsAre("Minimize", "reply Success"));
  EXPECT_THAT(Call("hide", Enabled(EncodableValue(false))), ElementsAre("Hide", "reply Success"));
}

TEST_F(WindowChannelTest, ToggleMaximizeRestoresAMaximisedWindowAndMaximisesOtherwise) {
  window_.maximized = true;
  EXPECT_THAT(Call("toggleMaximize"), ElementsAre("IsMaximized", "Restore", "reply Success"));
  window_.maximized = false;
  EXPECT_THAT(Call("toggleMaximize"), ElementsAre("IsMaximized", "Maximize", "reply Success"));
}

TEST_F(WindowChannelTest, SetCloseToTrayTakesTheBoolEnabled) {
  EXPECT_THAT(Call("setCloseToTray", Enabled(EncodableValue(true))),
              ElementsAre("SetCloseToTray true", "reply Success"));
  EXPECT_THAT(Call("setCloseToTray", Enabled(EncodableValue(false))),
              ElementsAre("SetCloseToTray false", "reply Success"));
}

TEST_F(WindowChannelTest, SetCloseToTrayWithoutABoolEnabledIsRefusedAndChangesNothing) {
  std::vector<std::unique_ptr<EncodableValue>> unusable;
  unusable.push_back(nullptr);
  unusable.push_back(std::make_unique<EncodableValue>());
  unusable.push_back(Enabled(EncodableValue(int32_t{1})));
  unusable.push_back(Enabled(EncodableValue("true")));
  unusable.push_back(std::make_unique<EncodableValue>(EncodableMap{}));
  unusable.push_back(std::make_unique<EncodableValue>(EncodableList{EncodableValue(true)}));
  unusable.push_back(
      std::make_unique<EncodableValue>(EncodableMap{{EncodableValue("Enabled"), true}}));
  for (size_t index = 0; index < unusable.size(); ++index) {
    EXPECT_THAT(Call("setCloseToTray", std::move(unusable[index])),
                ElementsAre("reply Error invalid_arguments"))
        << "case " << index;
    ASSERT_EQ(answers_.size(), 1u);
    EXPECT_EQ(answers_[0].code, "invalid_arguments");
    EXPECT_EQ(answers_[0].message, "Missing close-to-tray value.");
    EXPECT_EQ(answers_[0].value, std::nullopt);
  }
}

TEST_F(WindowChannelTest, CloseConfirmsThenPostsAndRepliesAtOnce) {
  EXPECT_THAT(Call("close"), ElementsAre("ConfirmClose", "PostClose", "reply Success"));
}

TEST_F(WindowChannelTest, BeginDragRepliesWhenTheDragIsOver) {
  EXPECT_THAT(Call("beginDrag"), ElementsAre("BeginDrag", "reply Success"));
}

TEST_F(WindowChannelTest, GetWindowStateAnswersTheCurrentStateAsAMap) {
  window_.state = WindowState{true, true, false, false};
  EXPECT_THAT(Call("getWindowState", std::make_unique<EncodableValue>(EncodableList{1})),
              ElementsAre("CurrentState", "reply Success with value"));
  ASSERT_EQ(answers_.size(), 1u);
  EXPECT_EQ(answers_[0].value, WindowStateValue(window_.state));
}

TEST_F(WindowChannelTest, UnknownOrDifferentlyCasedNamesAreNotImplemented) {
  for (const char* name : {"Minimize", "HIDE", "close ", "setclosetotray", "closeRequested", "",
                           "maximize", "beginDragging", "secondInstance", "windowStateChanged"}) {
    EXPECT_THAT(Call(name, Enabled(EncodableValue(true))), ElementsAre("reply NotImplemented"))
        << '"' << name << '"';
  }
}

TEST_F(WindowChannelTest, EveryCallIsAnsweredExactlyOnce) {
  for (const char* name : {"minimize", "hide", "show", "setCloseToTray", "toggleMaximize", "close",
                           "beginDrag", "getWindowState", "unknown"}) {
    Call(name);
    EXPECT_EQ(answers_.size(), 1u) << name;
  }
}

}  // namespace
}  // namespace quorvane
