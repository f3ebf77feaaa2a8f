#include "runner/window/application_bar_cache.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

constexpr PixelRect kPrimary{0, 0, 1920, 1080};
constexpr PixelRect kSecondary{1920, 0, 4480, 1440};
constexpr AutoHideEdges kBottom{false, false, false, true};
constexpr AutoHideEdges kLeft{true, false, false, false};

TEST(ApplicationBarCache, AsksOncePerMonitorUntilMarkedStale) {
  ApplicationBarCache cache;
  int asked = 0;
  const auto answer = [&asked](AutoHideEdges edges) {
    return [&asked, edges]() -> std::optional<AutoHideEdges> {
      ++asked;
      return edges;
    };
  };
  EXPECT_EQ(cache.EdgesOn(kPrimary, answer(kBottom)), kBottom);
  EXPECT_EQ(cache.EdgesOn(kPrimary, answer(kLeft)), kBottom);
  EXPECT_EQ(cache.EdgesOn(kSecondary, answer(kLeft)), kLeft);
  EXPECT_EQ(asked, 2);

  cache.MarkStale();
  EXPECT_EQ(cache.EdgesOn(kPrimary, answer(kLeft)), kLeft);
  EXPECT_EQ(asked, 3);
}

TEST(ApplicationBarCache, AStaleAnswerStandsInWhenTheShellDoesNotAnswer) {
  ApplicationBarCache cache;
  const auto silent = []() -> std::optional<AutoHideEdges> { return std::nullopt; };
  EXPECT_EQ(cache.EdgesOn(kPrimary, silent), AutoHideEdges{});
  cache.EdgesOn(kPrimary, [] { return std::optional<AutoHideEdges>(kBottom); });
  cache.MarkStale();
  EXPECT_EQ(cache.EdgesOn(kPrimary, silent), kBottom);
  // Still stale: the shell is asked again next time.
  EXPECT_EQ(cache.EdgesOn(kPrimary, [] { return std::optional<AutoHideEdges>(kLeft); }), kLeft);
}

TEST(ApplicationBarCache, KeepsAtMostItsCapacityOldestFirstOut) {
  ApplicationBarCache cache;
  int asked = 0;
  const auto ask = [&asked]() -> std::optional<AutoHideEdges> {
    ++asked;
    return kBottom;
  };
  for (int32_t i = 0; i <= static_cast<int32_t>(ApplicationBarCache::kCapacity); ++i) {
    cache.EdgesOn({i * 100, 0, i * 100 + 100, 100}, ask);
  }
  cache.EdgesOn({100, 0, 200, 100}, ask);
  EXPECT_EQ(asked, static_cast<int>(ApplicationBarCache::kCapacity) + 1);
  cache.EdgesOn({0, 0, 100, 100}, ask);
  EXPECT_EQ(asked, static_cast<int>(ApplicationBarCache::kCapacity) + 2);
}

}  // namespace
}  // namespace quorvane
