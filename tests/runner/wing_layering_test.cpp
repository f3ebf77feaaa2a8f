// The host's wings include only wings below them, and nothing in a wing
// includes the files at the top of runner/.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>

namespace {

namespace fs = std::filesystem;

// Bottom to top; the files directly in runner/ stand above every wing.
const std::map<std::string, int> kWingLevel = {
    {"process", 0}, {"diagnostics", 1}, {"stores", 2}, {"channels", 3}, {"window", 4}};
constexpr int kTopLevel = 5;

int LevelOf(const std::string& path_below_runner) {
  const auto slash = path_below_runner.find('/');
  if (slash == std::string::npos) return kTopLevel;
  const auto wing = kWingLevel.find(path_below_runner.substr(0, slash));
  return wing == kWingLevel.end() ? kTopLevel : wing->second;
}

TEST(WingLayering, NoIncludeRunsUpOrAcross) {
  const fs::path runner = fs::path(QUORVANE_SOURCE_DIR) / "runner";
  const std::regex include_line(R"re(^\s*#\s*include\s+"runner/([^"]+)")re");
  int files_read = 0;
  for (const auto& entry : fs::recursive_directory_iterator(runner)) {
    const auto extension = entry.path().extension();
    if (extension != ".h" && extension != ".cpp") continue;
    ++files_read;
    const std::string including = fs::relative(entry.path(), runner).generic_string();
    const int level = LevelOf(including);
    std::ifstream file(entry.path());
    std::string line;
    std::smatch match;
    while (std::getline(file, line)) {
      if (!std::regex_search(line, match, include_line)) continue;
      const std::string included = match[1];
      const int included_level = LevelOf(included);
      const bool same_wing = included_level == level && level != kTopLevel;
      EXPECT_TRUE(included_level < level || same_wing || level == kTopLevel)
          << including << " includes " << included;
    }
  }
  EXPECT_GT(files_read, 40);
}

}  // namespace
