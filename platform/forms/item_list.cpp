#include "platform/forms/item_list.h"

#include <algorithm>

#include "platform/automation/error.h"

namespace svx {

void ItemList::check(int16_t index) const {
  if (index < 0 || index >= count()) raise(err::InvalidProcedureCall);
}

size_t ItemList::insertPosition(const BStr& item, std::optional<int16_t> index, bool sorted) const {
  // Positions and the count are 16-bit: a full list takes no more items.
  if (texts_.size() >= static_cast<size_t>(kMaxItems)) raise(err::OutOfMemory);
  if (index) {
    if (*index < 0 || *index > count()) raise(err::InvalidProcedureCall);
    return static_cast<size_t>(*index);
  }
  if (sorted) return static_cast<size_t>(std::upper_bound(texts_.begin(), texts_.end(), item) - texts_.begin());
  return texts_.size();
}

void ItemList::insert(size_t at, BStr item) {
  const auto pos = static_cast<std::ptrdiff_t>(at);
  texts_.insert(texts_.begin() + pos, std::move(item));
  data_.insert(data_.begin() + pos, 0);
}

void ItemList::erase(int16_t index) {
  check(index);
  texts_.erase(texts_.begin() + index);
  data_.erase(data_.begin() + index);
}

void ItemList::clear() {
  texts_.clear();
  data_.clear();
}

BStr ItemList::text(int16_t index) const {
  if (index < 0 || index >= count()) return {};
  return (*this)[index];
}

void ItemList::setText(int16_t index, BStr item) {
  check(index);
  texts_[static_cast<size_t>(index)] = std::move(item);
}

int32_t ItemList::itemData(int16_t index) const {
  check(index);
  return data_[static_cast<size_t>(index)];
}

void ItemList::setItemData(int16_t index, int32_t v) {
  check(index);
  data_[static_cast<size_t>(index)] = v;
}

}  // namespace svx
