#include "runner/window/application_bar_cache.h"

#include <algorithm>

namespace quorvane {

AutoHideEdges ApplicationBarCache::EdgesOn(
    const PixelRect& monitor, const std::function<std::optional<AutoHideEdges>()>& ask) {
  auto entry = std::find_if(entries_.begin(), entries_.end(),
                            [&monitor](const Entry& kept) { return kept.monitor == monitor; });
  if (entry != entries_.end() && entry->fresh) return entry->edges;
  const std::optional<AutoHideEdges> answer = ask();
  if (!answer) return entry != entries_.end() ? entry->edges : AutoHideEdges{};
  if (entry == entries_.end()) {
    if (entries_.size() >= kCapacity) entries_.erase(entries_.begin());
    entries_.push_back({monitor, *answer, true});
  } else {
    entry->edges = *answer;
    entry->fresh = true;
  }
  return *answer;
}

void ApplicationBarCache::MarkStale() {
  for (Entry& entry : entries_) entry.fresh = false;
}

}  // namespace quorvane
