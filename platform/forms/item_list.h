// The items of a combo box or list box: their texts and item data, in order.
// Positions outside the list fail with 5 where the runtime raises.
#pragma once

#include <optional>
#include <vector>

#include "platform/automation/variant.h"

namespace svx {

class ItemList {
 public:
  static constexpr int16_t kMaxItems = 32767;
  int16_t count() const { return static_cast<int16_t>(texts_.size()); }
  const std::vector<BStr>& texts() const { return texts_; }
  // The text at a position inside the list (no check).
  const BStr& operator[](int16_t index) const { return texts_[static_cast<size_t>(index)]; }

  // Where a new item goes: `index` when given (0..count, else 5), else its
  // sorted place in a sorted list, else the end; 7 when the list is full.
  size_t insertPosition(const BStr& item, std::optional<int16_t> index, bool sorted) const;
  void insert(size_t at, BStr item);  // with item data 0
  void erase(int16_t index);          // 5 outside the list
  void clear();

  BStr text(int16_t index) const;  // "" outside the list
  void setText(int16_t index, BStr item);
  int32_t itemData(int16_t index) const;
  void setItemData(int16_t index, int32_t v);

 private:
  void check(int16_t index) const;
  std::vector<BStr> texts_;
  std::vector<int32_t> data_;
};

}  // namespace svx
