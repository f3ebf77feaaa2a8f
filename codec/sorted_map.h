// An associative container with unique keys kept in one sorted, contiguous
// array: lookups are binary searches, iteration is in ascending key order, and
// a map built from entries that already arrive in order costs one allocation.
#pragma once

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <stdexcept>
#include <tuple>
#include <utility>
#include <vector>

namespace flutter {

/// Key and Value may be incomplete where the map is named; Key needs a
/// less-than where members are used. Keys must not be changed through
/// iterators: that would break the order lookups rely on. Unlike a node-based
/// map, inserting or erasing an entry invalidates iterators and references to
/// the entries after it, as in a vector.
template <typename Key, typename Value>
class SortedMap {
 public:
  using key_type = Key;
  using mapped_type = Value;
  using value_type = std::pair<Key, Value>;
  using Entries = std::vector<value_type>;
  using size_type = std::size_t;
  using iterator = typename Entries::iterator;
  using const_iterator = typename Entries::const_iterator;
  using reverse_iterator = typename Entries::reverse_iterator;
  using const_reverse_iterator = typename Entries::const_reverse_iterator;

  SortedMap() = default;
  /// The first entry of each key is kept, as inserting them one by one would.
  SortedMap(std::initializer_list<value_type> entries) : entries_(entries) { Normalize(); }
  template <typename InputIterator>
  SortedMap(InputIterator first, InputIterator last) : entries_(first, last) {
    Normalize();
  }

  /// Collects entries one at a time, as a decoder reads them. Entries that
  /// arrive in ascending key order are kept as they come, with one comparison
  /// each, and entries in descending order are reversed once, as a peer that
  /// walks its map backwards sends them; any other order costs one stable sort
  /// when the map is made. The first entry of each key is kept.
  class Builder {
   public:
    void reserve(size_type count) { entries_.reserve(count); }

    /// Constructs the entry in place from its two sources, the key first, so
    /// that a decoder's values land where they stay without a move.
    template <typename KeySource, typename ValueSource>
    void Emplace(KeySource&& key, ValueSource&& value) {
      entries_.emplace_back(std::forward<KeySource>(key), std::forward<ValueSource>(value));
      const size_type count = entries_.size();
      if (count < 2) return;
      const Key& previous = entries_[count - 2].first;
      const Key& added = entries_[count - 1].first;
      if (previous < added) {
        descending_ = false;
      } else if (added < previous) {
        ascending_ = false;
      } else {
        // A repeat of the previous key, such as a run of one key, is dropped at once.
        entries_.pop_back();
      }
    }

    SortedMap Build() {
      SortedMap map;
      map.entries_ = std::move(entries_);
      if (ascending_) return map;
      if (descending_) {
        // Strictly descending: no key repeats, and the reverse is in order.
        std::reverse(map.entries_.begin(), map.entries_.end());
      } else {
        map.Sort();
      }
      return map;
    }

   private:
    Entries entries_;
    bool ascending_ = true;
    bool descending_ = true;
  };

  iterator begin() noexcept { return entries_.begin(); }
  const_iterator begin() const noexcept { return entries_.begin(); }
  const_iterator cbegin() const noexcept { return entries_.cbegin(); }
  iterator end() noexcept { return entries_.end(); }
  const_iterator end() const noexcept { return entries_.end(); }
  const_iterator cend() const noexcept { return entries_.cend(); }
  reverse_iterator rbegin() noexcept { return entries_.rbegin(); }
  const_reverse_iterator rbegin() const noexcept { return entries_.rbegin(); }
  reverse_iterator rend() noexcept { return entries_.rend(); }
  const_reverse_iterator rend() const noexcept { return entries_.rend(); }

  bool empty() const noexcept { return entries_.empty(); }
  size_type size() const noexcept { return entries_.size(); }
  size_type max_size() const noexcept { return entries_.max_size(); }
  void clear() noexcept { entries_.clear(); }
  void reserve(size_type count) { entries_.reserve(count); }
  void swap(SortedMap& other) noexcept { entries_.swap(other.entries_); }

  iterator lower_bound(const Key& key) { return begin() + LowerBoundIndex(key); }
  const_iterator lower_bound(const Key& key) const { return begin() + LowerBoundIndex(key); }

  iterator find(const Key& key) { return begin() + FindIndex(key); }
  const_iterator find(const Key& key) const { return begin() + FindIndex(key); }
  size_type count(const Key& key) const { return find(key) == end() ? 0 : 1; }
  bool contains(const Key& key) const { return find(key) != end(); }

  /// Throws std::out_of_range when the key is absent.
  Value& at(const Key& key) {
    const size_type index = FindIndex(key);
    if (index == size()) throw std::out_of_range("map::at");
    return entries_[index].second;
  }
  const Value& at(const Key& key) const {
    const size_type index = FindIndex(key);
    if (index == size()) throw std::out_of_range("map::at");
    return entries_[index].second;
  }

  Value& operator[](const Key& key) { return try_emplace(key).first->second; }
  Value& operator[](Key&& key) { return try_emplace(std::move(key)).first->second; }

  /// Leaves the map unchanged when the key is present and reports that entry.
  std::pair<iterator, bool> insert(const value_type& entry) { return Place(value_type(entry)); }
  std::pair<iterator, bool> insert(value_type&& entry) { return Place(std::move(entry)); }
  template <typename InputIterator>
  void insert(InputIterator first, InputIterator last) {
    for (; first != last; ++first) insert(*first);
  }
  template <typename... Args>
  std::pair<iterator, bool> emplace(Args&&... args) {
    return Place(value_type(std::forward<Args>(args)...));
  }
  /// The hint is only a guess; the entry lands in its ordered place.
  template <typename... Args>
  iterator emplace_hint(const_iterator, Args&&... args) {
    return emplace(std::forward<Args>(args)...).first;
  }
  template <typename K, typename... Args>
  std::pair<iterator, bool> try_emplace(K&& key, Args&&... args) {
    const size_type index = LowerBoundIndex(key);
    if (index != size() && !(key < entries_[index].first)) return {begin() + index, false};
    const auto place = entries_.emplace(begin() + index, std::piecewise_construct,
                                        std::forward_as_tuple(std::forward<K>(key)),
                                        std::forward_as_tuple(std::forward<Args>(args)...));
    return {place, true};
  }

  iterator erase(const_iterator position) { return entries_.erase(position); }
  iterator erase(iterator position) { return entries_.erase(position); }
  iterator erase(const_iterator first, const_iterator last) { return entries_.erase(first, last); }
  size_type erase(const Key& key) {
    const size_type index = FindIndex(key);
    if (index == size()) return 0;
    entries_.erase(begin() + index);
    return 1;
  }

  friend bool operator==(const SortedMap& left, const SortedMap& right) {
    return left.entries_ == right.entries_;
  }
  friend bool operator!=(const SortedMap& left, const SortedMap& right) { return !(left == right); }
  friend bool operator<(const SortedMap& left, const SortedMap& right) {
    return left.entries_ < right.entries_;
  }

 private:
  template <typename K>
  size_type LowerBoundIndex(const K& key) const {
    const auto place = std::lower_bound(
        entries_.begin(), entries_.end(), key,
        [](const value_type& entry, const K& wanted) { return entry.first < wanted; });
    return static_cast<size_type>(place - entries_.begin());
  }

  size_type FindIndex(const Key& key) const {
    const size_type index = LowerBoundIndex(key);
    if (index == size() || key < entries_[index].first) return size();
    return index;
  }

  std::pair<iterator, bool> Place(value_type&& entry) {
    // Entries added in ascending order go to the end without a search.
    if (empty() || entries_.back().first < entry.first) {
      entries_.push_back(std::move(entry));
      return {end() - 1, true};
    }
    const size_type index = LowerBoundIndex(entry.first);
    if (!(entry.first < entries_[index].first)) return {begin() + index, false};
    return {entries_.insert(begin() + index, std::move(entry)), true};
  }

  void Normalize() {
    for (size_type i = 1; i < size(); ++i) {
      if (!(entries_[i - 1].first < entries_[i].first)) {
        Sort();
        return;
      }
    }
  }

  // A stable sort that keeps the first entry of each key.
  void Sort() {
    const size_type count = size();
    // Sorts positions rather than entries, so that each entry moves once.
    std::vector<size_type> order(count);
    for (size_type i = 0; i < count; ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [this](size_type left, size_type right) {
      return entries_[left].first < entries_[right].first;
    });
    Entries sorted;
    sorted.reserve(count);
    for (const size_type index : order) {
      // Equal keys are adjacent now, in their original order: keep the first.
      if (!sorted.empty() && !(sorted.back().first < entries_[index].first)) continue;
      sorted.push_back(std::move(entries_[index]));
    }
    entries_ = std::move(sorted);
  }

  Entries entries_;
};

}  // namespace flutter
