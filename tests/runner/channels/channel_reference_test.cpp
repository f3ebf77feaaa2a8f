// docs/channels.md against the code: the channels the host window opens and
// the method names each handler dispatches, both ways.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

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
  EXPECT_EQ(opened.size(), 3u);
}

TEST(ChannelReference, DocumentsExactlyTheMethodsEachChannelDispatches) {
  std::map<std::string, Names> documented = DocumentedMethods();
  const std::map<std::string, std::string> handlers = {
      {"quorvane/window", "runner/channels/window_channel.cpp"},
      {"quorvane/credential", "runner/channels/credential_channel.cpp"},
      {"quorvane/settings", "runner/channels/settings_channel.cpp"},
  };
  for (const auto& [channel, source] : handlers) {
    const Names dispatched = DispatchedMethods(source);
    EXPECT_FALSE(dispatched.empty()) << source;
    EXPECT_EQ(documented[channel], dispatched) << channel;
  }
}

TEST(ChannelReference, DocumentsTheCallTheHostMakes) {
  EXPECT_NE(ReadSource("docs/channels.md").find("### `closeRequested`"), std::string::npos);
  EXPECT_NE(ReadSource("runner/flutter_window.cpp").find("\"closeRequested\""), std::string::npos);
}

}  // namespace
