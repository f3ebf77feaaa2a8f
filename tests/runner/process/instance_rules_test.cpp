#include "runner/process/instance_rules.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace quorvane {
namespace {

using ::testing::ElementsAre;

// Plays the platform with scripted results and records every operation, with
// its arguments, in order.
class FakeInstancePlatform : public InstancePlatform {
 public:
  // Scripted results. The window appears only from the given FindWindow call
  // on (0: never), to model an instance whose window is not there yet.
  int window_found_from_call = 0;
  bool iconic = false;
  bool token_opens = true;
  std::optional<uint32_t> elevation = 1;
  uint32_t path_length = 20;
  intptr_t shell_result = 42;
  bool mutex_created = true;
  uint32_t last_error = 0;

  uint32_t window_process = 4242;
  uint32_t registered_message = 0xC123;

  std::vector<std::string> calls;
  std::wstring searched_class;
  std::wstring searched_title;
  std::wstring message_name;
  std::wstring verb;
  std::wstring file;
  std::optional<std::wstring> parameters;
  std::wstring mutex_name;
  std::vector<void*> closed;
  std::vector<uint8_t> sent;

  void* window() { return &window_; }
  void* token() { return &token_; }
  void* mutex() { return &mutex_; }

  void* FindWindowByClassAndTitle(const wchar_t* class_name, const wchar_t* title) override {
    calls.push_back("FindWindow");
    searched_class = class_name;
    searched_title = title;
    ++find_calls_;
    const bool found = window_found_from_call != 0 && find_calls_ >= window_found_from_call;
    return found ? window() : nullptr;
  }
  bool IsIconic(void* handle) override {
    calls.push_back(Named("IsIconic", handle));
    return iconic;
  }
  void ShowWindow(void* handle, int command) override {
    calls.push_back(Named("ShowWindow", handle) + " " + std::to_string(command));
  }
  void BringWindowToTop(void* handle) override {
    calls.push_back(Named("BringWindowToTop", handle));
  }
  void SetForegroundWindow(void* handle) override {
    calls.push_back(Named("SetForegroundWindow", handle));
  }
  uint32_t WindowProcessId(void* handle) override {
    calls.push_back(Named("WindowProcessId", handle));
    return window_process;
  }
  void AllowSetForegroundWindowFor(uint32_t process_id) override {
    calls.push_back("AllowSetForegroundWindow " + std::to_string(process_id));
  }
  uint32_t RegisterMessage(const wchar_t* name) override {
    calls.push_back("RegisterMessage");
    message_name = name;
    return registered_message;
  }
  void PostMessageTo(void* handle, uint32_t message) override {
    calls.push_back(Named("PostMessage", handle) + " " + std::to_string(message));
  }
  void SendData(void* handle, uintptr_t signature, const std::vector<uint8_t>& bytes) override {
    calls.push_back(Named("SendData", handle) + " " + std::to_string(signature));
    sent = bytes;
  }
  void* OpenProcessTokenForQuery() override {
    calls.push_back("OpenProcessToken");
    return token_opens ? token() : nullptr;
  }
  std::optional<uint32_t> QueryTokenElevation(void* handle) override {
    calls.push_back(Named("QueryTokenElevation", handle));
    return elevation;
  }
  void CloseHandle(void* handle) override {
    calls.push_back(Named("CloseHandle", handle));
    closed.push_back(handle);
  }
  uint32_t GetExecutablePath(wchar_t* buffer, uint32_t capacity) override {
    calls.push_back("GetExecutablePath " + std::to_string(capacity));
    buffer_was_zeroed_ = true;
    for (uint32_t index = 0; index < capacity; ++index) {
      if (buffer[index] != L'\0') buffer_was_zeroed_ = false;
    }
    if (path_length == 0) return 0;
    const std::wstring path = L"C:\\Apps\\quorvane_ai.exe";
    path.copy(buffer, path.size());
    return path_length;
  }
  void AllowSetForegroundWindowForAny() override { calls.push_back("AllowSetForegroundWindow"); }
  intptr_t ExecuteWithVerb(const wchar_t* verb_text, const wchar_t* file_text,
                           const wchar_t* parameter_text) override {
    calls.push_back("ShellExecute");
    verb = verb_text;
    file = file_text;
    if (parameter_text != nullptr) parameters = parameter_text;
    return shell_result;
  }
  void* CreateOwnedMutex(const wchar_t* name) override {
    calls.push_back("CreateMutex");
    mutex_name = name;
    return mutex_created ? mutex() : nullptr;
  }
  uint32_t LastError() override { return last_error; }

  bool buffer_was_zeroed() const { return buffer_was_zeroed_; }

 private:
  std::string Named(const std::string& operation, void* handle) {
    if (handle == window()) return operation + "(window)";
    if (handle == token()) return operation + "(token)";
    if (handle == mutex()) return operation + "(mutex)";
    return operation + "(?)";
  }

  char window_ = 0;
  char token_ = 0;
  char mutex_ = 0;
  int find_calls_ = 0;
  bool buffer_was_zeroed_ = false;
};

TEST(InstanceRules, ActivatesARunningInstanceBeforeAnythingElse) {
  FakeInstancePlatform platform;
  platform.window_found_from_call = 1;
  platform.elevation = 0;  // a re-launch would follow if activation did not end it

  const InstanceOutcome outcome = ApplyInstanceRules(platform, L"--flag");

  EXPECT_EQ(outcome.exit_code, 0);
  EXPECT_EQ(outcome.end, ProcessEnd::kHandedOver);
  EXPECT_EQ(outcome.mutex, nullptr);
  EXPECT_EQ(platform.searched_class, L"FLUTTER_RUNNER_WIN32_WINDOW");
  EXPECT_EQ(platform.searched_title, L"Quorvane AI \u7efc\u5408\u5e73\u53f0");
  EXPECT_EQ(platform.message_name, L"QuorvaneAI.Desktop.ActivateWindow.v1");
  EXPECT_THAT(platform.calls,
              ElementsAre("FindWindow", "IsIconic(window)", "ShowWindow(window) 5",
                          "BringWindowToTop(window)", "SetForegroundWindow(window)",
                          "WindowProcessId(window)", "AllowSetForegroundWindow 4242",
                          "RegisterMessage", "PostMessage(window) 49443"));
}

TEST(InstanceRules, HandsOverArgumentsBeforeActivatingAndWhenTheMutexIsHeld) {
  const std::vector<uint8_t> handover{1, 2, 3};
  FakeInstancePlatform running;
  running.window_found_from_call = 1;
  EXPECT_EQ(ApplyInstanceRules(running, L"x", handover).exit_code, 0);
  EXPECT_EQ(running.sent, handover);
  ASSERT_GE(running.calls.size(), 3u);
  EXPECT_EQ(running.calls[1], "SendData(window) 1364607281");  // "QVA1", before ShowWindow

  // The window appears only after the mutex said another instance runs.
  FakeInstancePlatform starting;
  starting.window_found_from_call = 2;
  starting.last_error = kErrorAlreadyExists;
  EXPECT_EQ(ApplyInstanceRules(starting, L"x", handover).exit_code, 0);
  EXPECT_EQ(starting.sent, handover);
}

TEST(InstanceRules, RestoresAMinimisedWindow) {
  FakeInstancePlatform platform;
  platform.window_found_from_call = 1;
  platform.iconic = true;

  EXPECT_TRUE(ActivateExistingWindow(platform));

  EXPECT_THAT(platform.calls,
              ElementsAre("FindWindow", "IsIconic(window)", "ShowWindow(window) 9",
                          "BringWindowToTop(window)", "SetForegroundWindow(window)",
                          "WindowProcessId(window)", "AllowSetForegroundWindow 4242",
                          "RegisterMessage", "PostMessage(window) 49443"));
}

TEST(InstanceRules, ActivationSkipsWhatThePlatformCannotName) {
  // An unknown owner gets no foreground grant; a failed registration posts
  // nothing. The direct calls and the exit code stay.
  FakeInstancePlatform platform;
  platform.window_found_from_call = 1;
  platform.window_process = 0;
  platform.registered_message = 0;

  EXPECT_EQ(ApplyInstanceRules(platform, nullptr).exit_code, 0);

  EXPECT_THAT(platform.calls, ElementsAre("FindWindow", "IsIconic(window)", "ShowWindow(window) 5",
                                          "BringWindowToTop(window)", "SetForegroundWindow(window)",
                                          "WindowProcessId(window)", "RegisterMessage"));
}

TEST(InstanceRules, ActivationWithoutAWindowDoesNothing) {
  FakeInstancePlatform platform;
  EXPECT_FALSE(ActivateExistingWindow(platform));
  EXPECT_THAT(platform.calls, ElementsAre("FindWindow"));
}

TEST(InstanceRules, NotElevatedRelaunchesThroughRunasWithTheSameTail) {
  FakeInstancePlatform platform;
  platform.elevation = 0;
  platform.shell_result = 33;

  const InstanceOutcome outcome = ApplyInstanceRules(platform, L"a \"b c\"");

  EXPECT_EQ(outcome.exit_code, 0);
  EXPECT_EQ(outcome.end, ProcessEnd::kRelaunchedElevated);
  EXPECT_EQ(platform.verb, L"runas");
  EXPECT_EQ(platform.file, L"C:\\Apps\\quorvane_ai.exe");
  EXPECT_EQ(platform.parameters, L"a \"b c\"");
  EXPECT_TRUE(platform.buffer_was_zeroed());
  EXPECT_THAT(platform.calls,
              ElementsAre("FindWindow", "OpenProcessToken", "QueryTokenElevation(token)",
                          "CloseHandle(token)", "GetExecutablePath 260", "AllowSetForegroundWindow",
                          "ShellExecute"));
}

TEST(InstanceRules, ARefusedRelaunchExitsWithOne) {
  for (intptr_t refused : {intptr_t{32}, intptr_t{5}, intptr_t{0}, intptr_t{-1}}) {
    FakeInstancePlatform platform;
    platform.elevation = 0;
    platform.shell_result = refused;
    platform.last_error = 1223;  // ERROR_CANCELLED: the prompt was declined
    const InstanceOutcome outcome = ApplyInstanceRules(platform, L"");
    EXPECT_EQ(outcome.exit_code, 1) << "shell result " << refused;
    EXPECT_EQ(outcome.end, ProcessEnd::kRelaunchFailed);
    EXPECT_EQ(outcome.error, 1223u);
  }
}

TEST(InstanceRules, AnEmptyOrMissingTailIsPassedAsNoParameters) {
  for (const wchar_t* tail : {static_cast<const wchar_t*>(nullptr), L""}) {
    FakeInstancePlatform platform;
    platform.elevation = 0;
    ApplyInstanceRules(platform, tail);
    EXPECT_EQ(platform.parameters, std::nullopt);
    EXPECT_EQ(platform.verb, L"runas");
  }
}

TEST(InstanceRules, AnUnreadablePathExitsWithOneWithoutRelaunching) {
  FakeInstancePlatform platform;
  platform.elevation = 0;
  platform.path_length = 0;

  EXPECT_EQ(ApplyInstanceRules(platform, L"x").exit_code, 1);
  EXPECT_THAT(platform.calls,
              ElementsAre("FindWindow", "OpenProcessToken", "QueryTokenElevation(token)",
                          "CloseHandle(token)", "GetExecutablePath 260"));
}

TEST(InstanceRules, EveryTokenFailureCountsAsNotElevated) {
  FakeInstancePlatform cannot_open;
  cannot_open.token_opens = false;
  EXPECT_EQ(ApplyInstanceRules(cannot_open, nullptr).exit_code, 0);
  EXPECT_THAT(cannot_open.calls,
              ElementsAre("FindWindow", "OpenProcessToken", "GetExecutablePath 260",
                          "AllowSetForegroundWindow", "ShellExecute"));

  FakeInstancePlatform cannot_query;
  cannot_query.elevation = std::nullopt;
  EXPECT_EQ(ApplyInstanceRules(cannot_query, nullptr).exit_code, 0);
  EXPECT_EQ(cannot_query.verb, L"runas");
  EXPECT_THAT(cannot_query.closed, ElementsAre(cannot_query.token()));
}

TEST(InstanceRules, ElevatedTakesTheMutexAndGoesOn) {
  FakeInstancePlatform platform;

  const InstanceOutcome outcome = ApplyInstanceRules(platform, L"a");

  EXPECT_EQ(outcome.exit_code, std::nullopt);
  EXPECT_EQ(outcome.mutex, platform.mutex());
  EXPECT_EQ(platform.mutex_name, L"Local\\QuorvaneAI.Desktop.SingleInstance.v1");
  EXPECT_THAT(platform.closed, ElementsAre(platform.token()));
  EXPECT_THAT(platform.calls,
              ElementsAre("FindWindow", "OpenProcessToken", "QueryTokenElevation(token)",
                          "CloseHandle(token)", "CreateMutex"));
}

TEST(InstanceRules, AMutexThatCannotBeCreatedExitsWithOne) {
  FakeInstancePlatform platform;
  platform.mutex_created = false;
  platform.last_error = 5;

  const InstanceOutcome outcome = ApplyInstanceRules(platform, nullptr);

  EXPECT_EQ(outcome.exit_code, 1);
  EXPECT_EQ(outcome.end, ProcessEnd::kMutexFailed);
  EXPECT_EQ(outcome.error, 5u);
  EXPECT_EQ(outcome.mutex, nullptr);
}

TEST(InstanceRules, AMutexHeldElsewhereActivatesThatInstanceAndExitsWithZero) {
  FakeInstancePlatform platform;
  platform.last_error = 183;
  platform.window_found_from_call = 2;  // the window appeared after the first look

  const InstanceOutcome outcome = ApplyInstanceRules(platform, nullptr);

  EXPECT_EQ(outcome.exit_code, 0);
  EXPECT_EQ(outcome.mutex, nullptr);
  EXPECT_THAT(platform.closed, ElementsAre(platform.token(), platform.mutex()));
  EXPECT_THAT(
      platform.calls,
      ElementsAre("FindWindow", "OpenProcessToken", "QueryTokenElevation(token)",
                  "CloseHandle(token)", "CreateMutex", "CloseHandle(mutex)", "FindWindow",
                  "IsIconic(window)", "ShowWindow(window) 5", "BringWindowToTop(window)",
                  "SetForegroundWindow(window)", "WindowProcessId(window)",
                  "AllowSetForegroundWindow 4242", "RegisterMessage", "PostMessage(window) 49443"));
}

TEST(InstanceRules, AMutexHeldByAnInstanceWithoutAWindowYetActivatesNothing) {
  FakeInstancePlatform platform;
  platform.last_error = 183;

  EXPECT_EQ(ApplyInstanceRules(platform, nullptr).exit_code, 0);
  EXPECT_THAT(platform.calls,
              ElementsAre("FindWindow", "OpenProcessToken", "QueryTokenElevation(token)",
                          "CloseHandle(token)", "CreateMutex", "CloseHandle(mutex)", "FindWindow"));
}

TEST(InstanceRules, NonElevatedStartsNeverTakeTheMutex) {
  FakeInstancePlatform platform;
  platform.elevation = 0;
  ApplyInstanceRules(platform, nullptr);
  EXPECT_TRUE(platform.mutex_name.empty());
  EXPECT_THAT(platform.closed, ElementsAre(platform.token()));
}

}  // namespace
}  // namespace quorvane
