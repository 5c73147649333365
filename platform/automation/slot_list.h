// An ordered list whose items leave it in constant time. Each item keeps its
// place in the list (`SlotOf()(item)` is a reference to it); an item that
// leaves leaves a hole there, and the holes are closed in one pass when the
// list is next read in order, or when they make up half of it. Items are
// never equal to T{}, which marks a hole.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace svx {

template <class T, class SlotOf>
class SlotList {
 public:
  static constexpr size_t npos = static_cast<size_t>(-1);

  explicit SlotList(SlotOf slotOf = {}) : slotOf_(std::move(slotOf)) {}

  // The items in order.
  const std::vector<T>& items() const {
    close();
    return items_;
  }
  size_t size() const { return items_.size() - holes_; }
  bool empty() const { return size() == 0; }
  bool contains(const T& item) const { return slotOf_(item) != npos; }
  // The item's position in items(); npos when it is not in the list.
  size_t indexOf(const T& item) const {
    if (!contains(item)) return npos;
    close();
    return slotOf_(item);
  }

  void push_back(const T& item) {
    slotOf_(item) = items_.size();
    items_.push_back(item);
  }
  // Inserts before position `at` of items() (at the end beyond it).
  void insert(size_t at, const T& item) {
    close();
    at = std::min(at, items_.size());
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), item);
    renumber(at);
  }
  void erase(const T& item) {
    size_t& slot = slotOf_(item);
    if (slot == npos) return;
    items_[slot] = T{};
    slot = npos;
    if (++holes_ * 2 > items_.size()) close();
  }
  void clear() {
    for (const T& item : items_)
      if (item != T{}) slotOf_(item) = npos;
    items_.clear();
    holes_ = 0;
  }

 private:
  void close() const {
    if (holes_ == 0) return;
    std::erase(items_, T{});
    holes_ = 0;
    renumber(0);
  }
  void renumber(size_t from) const {
    for (size_t i = from; i < items_.size(); ++i) slotOf_(items_[i]) = i;
  }

  mutable std::vector<T> items_;
  mutable size_t holes_ = 0;
  SlotOf slotOf_;
};

}  // namespace svx
