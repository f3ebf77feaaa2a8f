// docs/channels.md against the code: the channels the host window opens, the
// method names each handler dispatches and the calls the host makes, both
// ways; every error code and message; and the limits the handlers enforce.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "runner/channels/second_start_queue.h"
#include "runner/channels/token_rules.h"
#include "runner/process/link_arguments.h"
#include "runner/process/second_start_message.h"

namespace {

using Names = std::set<std::string>;

std::string ReadSource(const std::string& relative_path) {
  std::ifstream file(std::string(QUORVANE_SOURCE_DIR) + "/" + relative_path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

Names Matches(const std::string& text, const std::regex& pattern) {
  Names names;
  for (auto match = std::sregex_iterator(text.begin(), text.end(), pattern);
       match != std::sregex_iterator(); ++match) {
    names.insert((*match)[1].str());
  }
  return names;
}

// The methods under each "## `quorvane/...`" heading, from its "### `name`"
// headings; other sections (the calls the host makes) belong to no channel.
std::map<std::string, Names> DocumentedMethods() {
  std::map<std::string, Names> channels;
  std::istringstream lines(ReadSource("docs/channels.md"));
  const std::regex channel_heading(R"(^## `(quorvane/[a-z]+)`\s*$)");
  const std::regex method_heading(R"(^### `(\w+)`\s*$)");
  std::string line;
  std::string channel;
  std::smatch match;
  while (std::getline(lines, line)) {
    if (std::regex_match(line, match, channel_heading)) {
      channel = match[1];
      channels[channel];
    } else if (line.rfind("## ", 0) == 0) {
      channel.clear();
    } else if (!channel.empty() && std::regex_match(line, match, method_heading)) {
      channels[channel].insert(match[1]);
    }
  }
  return channels;
}

// What a handler compares the method name with.
Names DispatchedMethods(const std::string& handler_source) {
  return Matches(ReadSource(handler_source), std::regex(R"re(method == "(\w+)")re"));
}

TEST(ChannelReference, DocumentsExactlyTheChannelsTheHostOpens) {
  const Names opened =
      Matches(ReadSource("runner/flutter_window.cpp"), std::regex(R"re("(quorvane/[a-z]+)")re"));
  Names documented;
  for (const auto& [channel, methods] : DocumentedMethods()) documented.insert(channel);
  EXPECT_EQ(documented, opened);
  EXPECT_EQ(opened.size(), 4u);
}

TEST(ChannelReference, DocumentsExactlyTheMethodsEachChannelDispatches) {
  std::map<std::string, Names> documented = DocumentedMethods();
  const std::map<std::string, std::string> handlers = {
      {"quorvane/window", "runner/channels/window_channel.cpp"},
      {"quorvane/credential", "runner/channels/credential_channel.cpp"},
      {"quorvane/settings", "runner/channels/settings_channel.cpp"},
      {"quorvane/update", "runner/channels/update_channel.cpp"},
  };
  for (const auto& [channel, source] : handlers) {
    const Names dispatched = DispatchedMethods(source);
    EXPECT_FALSE(dispatched.empty()) << source;
    EXPECT_EQ(documented[channel], dispatched) << channel;
  }
}

// The reference with every run of white space made one blank, so that text
// wrapped over lines matches.
std::string FlatReference() {
  return std::regex_replace(ReadSource("docs/channels.md"), std::regex(R"(\s+)"), " ");
}

const char* const kHandlerSources[] = {
    "runner/channels/window_channel.cpp", "runner/channels/credential_channel.cpp",
    "runner/channels/settings_channel.cpp", "runner/channels/update_channel.cpp"};

TEST(ChannelReference, DocumentsExactlyTheCallsTheHostMakes) {
  const std::string reference = ReadSource("docs/channels.md");
  const std::string::size_type section = reference.find("## Calls the host makes to the UI");
  ASSERT_NE(section, std::string::npos);
  const std::string::size_type next = reference.find("\n## ", section + 1);
  const Names documented =
      Matches(reference.substr(section, next - section), std::regex(R"(### `(\w+)`)"));
  const Names made =
      Matches(ReadSource("runner/flutter_window.cpp"), std::regex(R"re(Method\[\] = "(\w+)")re"));
  EXPECT_EQ(documented, made);
  EXPECT_EQ(made, (Names{"closeRequested", "secondInstance", "windowStateChanged"}));
}

TEST(ChannelReference, DocumentsEveryErrorCodeAndMessageTheHandlersSend) {
  const std::string reference = FlatReference();
  const std::regex code(
      R"re("((?:update_[a-z_]+)|[a-z]+(?:_[a-z]+)*_(?:failed|account|arguments))")re");
  const std::regex message(R"re("((?:Unable to|Missing|Invalid) [^"]+\.)")re");
  Names codes;
  for (const char* source : kHandlerSources) {
    const std::string text = ReadSource(source);
    for (const std::string& name : Matches(text, code)) codes.insert(name);
    for (const std::string& sentence : Matches(text, message)) {
      EXPECT_NE(reference.find(sentence), std::string::npos) << sentence;
    }
  }
  EXPECT_EQ(codes.size(), 20u);
  for (const std::string& name : codes) {
    EXPECT_NE(reference.find("`" + name + "`"), std::string::npos) << name;
  }
  // And no code is documented that no handler sends.
  EXPECT_EQ(
      Matches(
          reference,
          std::regex(R"(`((?:update_[a-z_]+)|[a-z]+(?:_[a-z]+)*_(?:failed|account|arguments))`)")),
      codes);
}

TEST(ChannelReference, StatesTheLimitsTheHostEnforces) {
  const std::string reference = FlatReference();
  for (const std::string& limit :
       {std::to_string(quorvane::kMaxTokenBytes) + " bytes",
        std::string("at most 2560 bytes per credential"),
        std::to_string(quorvane::kLinkMaximumBytes) + " bytes",
        std::to_string(quorvane::kSecondStartMaximumBytes / 1024) + " KiB",
        std::to_string(quorvane::kSecondStartMaximumArguments) + " arguments",
        "up to " + std::to_string(quorvane::SecondStartQueue::kMaximumHeld)}) {
    EXPECT_NE(reference.find(limit), std::string::npos) << limit;
  }
}

}  // namespace
