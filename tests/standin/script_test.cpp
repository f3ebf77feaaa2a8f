// Parsing of script lines into steps.
#include "standin/engine/script.h"

#include <gtest/gtest.h>

#include <sstream>

namespace standin {
namespace {

using Kind = ScriptStep::Kind;

TEST(Script, ParsesEveryStepKind) {
  const ScriptStep call = ParseScriptLine(
      R"({"call": "quorvane/settings", "method": "setLaunchAtLogin", "args": {"enabled": true}})",
      1);
  ASSERT_EQ(call.kind, Kind::kCall) << call.error;
  EXPECT_EQ(call.channel, "quorvane/settings");
  EXPECT_EQ(call.method, "setLaunchAtLogin");
  EXPECT_EQ(call.arguments,
            flutter::EncodableValue(flutter::EncodableMap{
                {flutter::EncodableValue("enabled"), flutter::EncodableValue(true)}}));
  EXPECT_EQ(call.timeout_ms, ScriptStep::kDefaultTimeoutMs);

  const ScriptStep bare = ParseScriptLine(R"({"call": "c", "method": "m", "timeout_ms": 0})", 1);
  ASSERT_EQ(bare.kind, Kind::kCall);
  EXPECT_TRUE(bare.arguments.IsNull());
  EXPECT_EQ(bare.timeout_ms, 0u);

  const ScriptStep raw = ParseScriptLine(R"({"raw": "c", "hex": "07 03 66 6f 6f"})", 1);
  ASSERT_EQ(raw.kind, Kind::kRaw);
  EXPECT_EQ(raw.bytes, (std::vector<uint8_t>{0x07, 0x03, 0x66, 0x6F, 0x6F}));

  const ScriptStep wait = ParseScriptLine(R"({"wait_ms": 250})", 1);
  ASSERT_EQ(wait.kind, Kind::kWait);
  EXPECT_EQ(wait.wait_ms, 250u);

  EXPECT_EQ(ParseScriptLine(R"({"post": "close"})", 1).kind, Kind::kPostClose);
  const ScriptStep reply = ParseScriptLine(R"({"reply_to_close": false})", 1);
  ASSERT_EQ(reply.kind, Kind::kReplyToClose);
  EXPECT_FALSE(reply.reply_to_close);
  EXPECT_EQ(ParseScriptLine(R"({"end": true})", 1).kind, Kind::kEnd);
  const ScriptStep violation = ParseScriptLine(R"({"fault": "access_violation"})", 1);
  ASSERT_EQ(violation.kind, Kind::kFault);
  EXPECT_EQ(violation.fault, ScriptStep::Fault::kAccessViolation);
  EXPECT_EQ(ParseScriptLine(R"({"fault": "terminate"})", 1).fault, ScriptStep::Fault::kTerminate);
  EXPECT_EQ(ParseScriptLine(R"({"fault": "access_violation_after_exit"})", 1).fault,
            ScriptStep::Fault::kAccessViolationAfterExit);
}

TEST(Script, RefusesMalformedStepsWithoutQuotingThem) {
  for (const char* line : {
           R"({"call": "c", "method": "m", "args": {"token": "s3cret")",
           R"({"call": "c"})",
           R"({"call": 1, "method": "m"})",
           R"({"call": "c", "method": "m", "tokn": "s3cret"})",
           R"({"raw": "c", "hex": "s3cret"})",
           R"({"wait_ms": -1})",
           R"({"wait_ms": 1.5})",
           R"({"wait_ms": 4294967296})",
           R"({"post": "minimize"})",
           R"({"reply_to_close": 1})",
           R"({"end": false})",
           R"({"fault": "s3cret"})",
           R"({"sleep": 5})",
           R"(["call"])",
           R"({"call": "c", "method": "m", "args": {"$int32": "s3cret"}})",
       }) {
    const ScriptStep step = ParseScriptLine(line, 9);
    EXPECT_EQ(step.kind, Kind::kError) << line;
    EXPECT_EQ(step.line, 9);
    EXPECT_FALSE(step.error.empty()) << line;
    EXPECT_EQ(step.error.find("s3cret"), std::string::npos) << step.error;
  }
}

TEST(Script, NumbersLinesAndSkipsBlankOnes) {
  std::istringstream input(
      "\xEF\xBB\xBF{\"end\": true}\r\n"
      "\n"
      "   \n"
      "not json\n"
      "{\"wait_ms\": 1}");
  const std::vector<ScriptStep> steps = ParseScript(input);
  ASSERT_EQ(steps.size(), 3u);
  EXPECT_EQ(steps[0].kind, Kind::kEnd);
  EXPECT_EQ(steps[0].line, 1);
  EXPECT_EQ(steps[1].kind, Kind::kError);
  EXPECT_EQ(steps[1].line, 4);
  EXPECT_EQ(steps[2].kind, Kind::kWait);
  EXPECT_EQ(steps[2].line, 5);
}

std::string NestedCall(size_t arrays) {
  return R"({"call": "c", "method": "m", "args": )" + std::string(arrays, '[') +
         std::string(arrays, ']') + "}";
}

TEST(Script, BoundsNestingAndReadsOn) {
  EXPECT_EQ(ParseScriptLine(NestedCall(kMaxScriptNesting - 1), 1).kind, Kind::kCall);
  const std::string brackets_in_text =
      R"({"call": "c", "method": ")" + std::string(5000, '[') + R"(\"{"})";
  EXPECT_EQ(ParseScriptLine(brackets_in_text, 1).kind, Kind::kCall);

  std::istringstream input(NestedCall(kMaxScriptNesting) + "\n" + NestedCall(100000) +
                           "\n{\"end\": true}\n");
  const std::vector<ScriptStep> steps = ParseScript(input);
  ASSERT_EQ(steps.size(), 3u);
  EXPECT_EQ(steps[0].kind, Kind::kError);
  EXPECT_EQ(steps[1].kind, Kind::kError);
  EXPECT_EQ(steps[2].kind, Kind::kEnd);
}

}  // namespace
}  // namespace standin
