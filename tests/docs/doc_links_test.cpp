// Every relative link in README.md and docs/*.md leads to a file that exists,
// and every #anchor to a heading of its target, as GitHub names headings.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kSourceDir = QUORVANE_SOURCE_DIR;

// Lines outside fenced code blocks, where links and headings mean something.
std::vector<std::string> ProseLines(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<std::string> prose;
  bool fenced = false;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t start = line.find_first_not_of(' ');
    if (start != std::string::npos &&
        (line.compare(start, 3, "```") == 0 || line.compare(start, 3, "~~~") == 0)) {
      fenced = !fenced;
    } else if (!fenced) {
      prose.push_back(line);
    }
  }
  return prose;
}

// Unicode punctuation and symbols that GitHub drops from anchors; letters,
// marks and digits of every script (Chinese included) stay.
bool IsDroppedSymbol(char32_t c) {
  return (c >= 0xA0 && c <= 0xBF) || c == 0xD7 || c == 0xF7 || (c >= 0x2000 && c <= 0x206F) ||
         (c >= 0x20A0 && c <= 0x20CF) || (c >= 0x2190 && c <= 0x2BFF) ||
         (c >= 0x3000 && c <= 0x303F) || (c >= 0xFE30 && c <= 0xFE4F) ||
         (c >= 0xFF00 && c <= 0xFF0F) || (c >= 0xFF1A && c <= 0xFF20) ||
         (c >= 0xFF3B && c <= 0xFF40) || (c >= 0xFF5B && c <= 0xFF65) ||
         (c >= 0x1F000 && c <= 0x1FAFF);
}

// The anchor GitHub gives a heading's text, before duplicates are numbered. Only ASCII
// letters are lower-cased: the documents' other letters (Chinese) have no case.
std::string Slug(const std::string& heading) {
  std::string slug;
  for (size_t i = 0; i < heading.size();) {
    const unsigned char lead = heading[i];
    const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (length == 1) {
      if (std::isalnum(lead) || lead == '-' || lead == '_') {
        slug += static_cast<char>(std::tolower(lead));
      }
      if (lead == ' ') slug += '-';
    } else {
      char32_t c = lead & (0xFF >> (length + 1));
      for (size_t k = 1; k < length && i + k < heading.size(); ++k) {
        c = (c << 6) | (heading[i + k] & 0x3F);
      }
      if (!IsDroppedSymbol(c)) slug += heading.substr(i, length);
    }
    i += length;
  }
  return slug;
}

// Anchors of a Markdown file's headings; a repeated one gets -1, -2, ...
std::set<std::string> Anchors(const std::vector<std::string>& headings) {
  std::set<std::string> anchors;
  std::map<std::string, int> seen;
  for (const std::string& heading : headings) {
    const std::string slug = Slug(heading);
    const int count = seen[slug]++;
    anchors.insert(count == 0 ? slug : slug + "-" + std::to_string(count));
  }
  return anchors;
}

std::vector<std::string> Headings(const fs::path& file) {
  static const std::regex heading(R"(^ {0,3}#{1,6}[ \t]+(.*?)(?:[ \t]+#+)?[ \t]*$)");
  std::vector<std::string> headings;
  std::smatch match;
  for (const std::string& line : ProseLines(file)) {
    if (std::regex_match(line, match, heading)) headings.push_back(match[1]);
  }
  return headings;
}

// Targets of inline links and images, with code spans left out.
std::vector<std::string> LinkTargets(const fs::path& file) {
  static const std::regex code_span("`[^`]*`");
  static const std::regex inline_link(R"(\]\(\s*([^()\s]+)(?:\s+"[^"]*")?\s*\))");
  std::vector<std::string> targets;
  for (const std::string& line : ProseLines(file)) {
    const std::string text = std::regex_replace(line, code_span, "");
    for (std::sregex_iterator it(text.begin(), text.end(), inline_link), end; it != end; ++it) {
      targets.push_back((*it)[1]);
    }
  }
  return targets;
}

std::vector<fs::path> DocumentFiles() {
  std::vector<fs::path> files = {kSourceDir / "README.md"};
  for (const auto& entry : fs::directory_iterator(kSourceDir / "docs")) {
    if (entry.path().extension() == ".md") files.push_back(entry.path());
  }
  return files;
}

// What is wrong with one link of `file`, or an empty string when it resolves.
std::string CheckLink(const fs::path& file, const std::string& target) {
  static const std::regex external("^(https?:|mailto:)", std::regex::icase);
  if (std::regex_search(target, external)) return "";
  const size_t hash = target.find('#');
  const std::string path = target.substr(0, hash);
  const fs::path destination = path.empty() ? file : file.parent_path() / path;
  if (!fs::exists(destination)) return "no such file";
  if (hash == std::string::npos) return "";
  if (Anchors(Headings(destination)).count(target.substr(hash + 1)) == 0) {
    return "no heading with that anchor";
  }
  return "";
}

TEST(DocLinks, AnchorsFollowGitHubHeadingRules) {
  EXPECT_EQ(Slug("Release build and installer: `scripts/package.sh`"),
            "release-build-and-installer-scriptspackagesh");
  EXPECT_EQ(Slug("Quorvane AI — Windows desktop host"), "quorvane-ai--windows-desktop-host");
  EXPECT_EQ(Slug("安装 Quorvane AI：步骤 snake_case"), "安装-quorvane-ai步骤-snake_case");
  const std::set<std::string> anchors = Anchors({"Example", "Example", "Example"});
  EXPECT_EQ(anchors, (std::set<std::string>{"example", "example-1", "example-2"}));
}

TEST(DocLinks, EveryRelativeLinkAndAnchorResolves) {
  std::ostringstream broken;
  size_t checked = 0;
  for (const fs::path& file : DocumentFiles()) {
    for (const std::string& target : LinkTargets(file)) {
      ++checked;
      const std::string fault = CheckLink(file, target);
      if (!fault.empty()) {
        broken << fs::relative(file, kSourceDir).generic_string() << ": " << target << ": " << fault
               << "\n";
      }
    }
  }
  EXPECT_GT(checked, 0u);
  EXPECT_EQ(broken.str(), "");
}

TEST(DocLinks, TheReadmeLinksEveryDocument) {
  std::set<std::string> linked;
  for (const std::string& target : LinkTargets(kSourceDir / "README.md")) {
    linked.insert(target.substr(0, target.find('#')));
  }
  for (const fs::path& file : DocumentFiles()) {
    const std::string name = fs::relative(file, kSourceDir).generic_string();
    if (name != "README.md") {
      EXPECT_EQ(linked.count(name), 1u) << name;
    }
  }
}

}  // namespace
