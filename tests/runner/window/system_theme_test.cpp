#include "runner/window/system_theme.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

namespace quorvane {
namespace {

using ::testing::ElementsAre;

TEST(SystemTheme, TheOlderAttributeIsTriedOnlyWhenTheCurrentOneIsRefused) {
  std::vector<uint32_t> tried;
  EXPECT_TRUE(SetDarkFrame([&](uint32_t attribute) {
    tried.push_back(attribute);
    return true;
  }));
  EXPECT_THAT(tried, ElementsAre(20u));

  tried.clear();
  EXPECT_TRUE(SetDarkFrame([&](uint32_t attribute) {
    tried.push_back(attribute);
    return attribute == 19;
  }));
  EXPECT_THAT(tried, ElementsAre(20u, 19u));

  tried.clear();
  EXPECT_FALSE(SetDarkFrame([&](uint32_t attribute) {
    tried.push_back(attribute);
    return false;
  }));
  EXPECT_THAT(tried, ElementsAre(20u, 19u));
}

}  // namespace
}  // namespace quorvane
