#include "platform/automation/safearray.h"

#include "platform/automation/coerce.h"
#include "platform/automation/error.h"

namespace svx {

SafeArray::SafeArray(VarType elementType, std::vector<ArrayBound> bounds)
    : elementType_(elementType), bounds_(std::move(bounds)) {
  int64_t total = bounds_.empty() ? 0 : 1;
  for (const ArrayBound& b : bounds_) {
    // Every index of a dimension, and its upper bound, must be a Long.
    const int64_t upper = int64_t{b.lower} + b.count - 1;
    if (b.count < 0 || upper > INT32_MAX || upper < INT32_MIN) raise(err::SubscriptOutOfRange);
    total *= b.count;
    if (total > (int64_t{1} << 31)) raise(err::OutOfMemory);
  }
  if (elementType_ == VT_UI1) {
    storage_ = std::vector<uint8_t>(static_cast<size_t>(total), 0);
  } else {
    // Elements start as the element type's zero value.
    Variant zero;
    switch (elementType_) {
      case VT_VARIANT: break;
      case VT_BSTR: zero = Variant(BStr()); break;
      case VT_DISPATCH: zero = Variant::nothing(); break;
      case VT_BOOL: zero = Variant(false); break;
      case VT_I2: zero = Variant::i2(0); break;
      case VT_I4: zero = Variant(0); break;
      case VT_R4: zero = Variant(0.0f); break;
      case VT_R8: zero = Variant(0.0); break;
      case VT_DATE: zero = Variant(Date{0}); break;
      case VT_CY: zero = Variant(Currency{0}); break;
      default: raise(err::TypeMismatch);
    }
    storage_ = std::vector<Variant>(static_cast<size_t>(total), zero);
  }
}

SafeArray SafeArray::variants(std::initializer_list<Variant> items, int32_t lower) {
  SafeArray a(VT_VARIANT, {{lower, static_cast<int32_t>(items.size())}});
  auto& v = std::get<std::vector<Variant>>(a.storage_);
  std::copy(items.begin(), items.end(), v.begin());
  return a;
}

SafeArray SafeArray::bytes(std::span<const uint8_t> data, int32_t lower) {
  SafeArray a(VT_UI1, {{lower, static_cast<int32_t>(data.size())}});
  auto& v = std::get<std::vector<uint8_t>>(a.storage_);
  std::copy(data.begin(), data.end(), v.begin());
  return a;
}

int32_t SafeArray::lbound(int32_t d) const {
  if (d < 1 || d > dimensions()) raise(err::SubscriptOutOfRange);
  return bounds_[static_cast<size_t>(d - 1)].lower;
}

int32_t SafeArray::ubound(int32_t d) const {
  if (d < 1 || d > dimensions()) raise(err::SubscriptOutOfRange);
  return bounds_[static_cast<size_t>(d - 1)].upper();
}

int64_t SafeArray::elementCount() const {
  if (bounds_.empty()) return 0;
  int64_t n = 1;
  for (const ArrayBound& b : bounds_) n *= b.count;
  return n;
}

int64_t SafeArray::linearIndex(std::span<const int32_t> indexes) const {
  if (indexes.size() != bounds_.size()) raise(err::SubscriptOutOfRange);
  int64_t linear = 0;
  int64_t stride = 1;
  for (size_t d = 0; d < bounds_.size(); ++d) {
    const int64_t offset = int64_t{indexes[d]} - bounds_[d].lower;
    if (offset < 0 || offset >= bounds_[d].count) raise(err::SubscriptOutOfRange);
    linear += offset * stride;
    stride *= bounds_[d].count;
  }
  return linear;
}

Variant SafeArray::get(std::span<const int32_t> indexes) const {
  const auto i = static_cast<size_t>(linearIndex(indexes));
  if (const auto* bytes = std::get_if<std::vector<uint8_t>>(&storage_)) return Variant::ui1((*bytes)[i]);
  return std::get<std::vector<Variant>>(storage_)[i];
}

void SafeArray::set(std::span<const int32_t> indexes, const Variant& v) {
  const auto i = static_cast<size_t>(linearIndex(indexes));
  if (auto* bytes = std::get_if<std::vector<uint8_t>>(&storage_)) {
    (*bytes)[i] = toUI1(v);
    return;
  }
  auto& items = std::get<std::vector<Variant>>(storage_);
  items[i] = elementType_ == VT_VARIANT ? v.value() : changeType(v, elementType_);
}

Variant* SafeArray::variantAt(std::span<const int32_t> indexes) {
  if (elementType_ != VT_VARIANT) return nullptr;
  return &std::get<std::vector<Variant>>(storage_)[static_cast<size_t>(linearIndex(indexes))];
}

std::span<const uint8_t> SafeArray::byteData() const {
  if (const auto* bytes = std::get_if<std::vector<uint8_t>>(&storage_)) return *bytes;
  return {};
}

bool operator==(const SafeArray& a, const SafeArray& b) {
  if (a.elementType_ != b.elementType_ || a.bounds_.size() != b.bounds_.size()) return false;
  for (size_t d = 0; d < a.bounds_.size(); ++d)
    if (a.bounds_[d].lower != b.bounds_[d].lower || a.bounds_[d].count != b.bounds_[d].count) return false;
  return a.storage_ == b.storage_;
}

}  // namespace svx
