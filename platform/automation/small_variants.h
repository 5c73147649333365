// Variants made in place for one call: on the stack up to a few, on the heap
// beyond, without constructing the slots that are not used.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <span>
#include <utility>
#include <vector>

#include "platform/automation/variant.h"

namespace svx {

template <size_t Inline>
class SmallVariants {
 public:
  explicit SmallVariants(size_t capacity) : onHeap_(capacity > Inline) {
    if (onHeap_) heap_.reserve(capacity);
  }
  SmallVariants(const SmallVariants&) = delete;
  SmallVariants& operator=(const SmallVariants&) = delete;
  ~SmallVariants() { std::destroy_n(inlineData(), size_); }

  // Copies or moves `v` into the next slot.
  template <class V>
  void push(V&& v) {
    if (onHeap_) [[unlikely]]
      pushOnHeap(Variant(std::forward<V>(v)));
    else
      std::construct_at(inlineData() + size_++, std::forward<V>(v));
  }
  std::span<Variant> span() { return onHeap_ ? std::span<Variant>(heap_) : std::span<Variant>(inlineData(), size_); }

 private:
  [[gnu::noinline]] void pushOnHeap(Variant v) { heap_.push_back(std::move(v)); }
  Variant* inlineData() { return std::launder(reinterpret_cast<Variant*>(storage_)); }

  alignas(Variant) std::byte storage_[Inline * sizeof(Variant)];
  size_t size_ = 0;
  bool onHeap_;
  std::vector<Variant> heap_;
};

}  // namespace svx
