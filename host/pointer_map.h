// A map from heap addresses of script values to what the host keeps for
// them: open addressing with linear probing, so that the lookups done for
// every argument and every member access cost a multiply and a probe or two.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace svx::host {

template <class V>
class PointerMap {
 public:
  V* find(const void* key) {
    if (slots_.empty() || !key) return nullptr;
    for (size_t i = home(key);; i = next(i)) {
      Slot& s = slots_[i];
      if (s.key == key) return &s.value;
      if (!s.key) return nullptr;
    }
  }
  bool contains(const void* key) { return find(key) != nullptr; }

  void insert_or_assign(const void* key, V value) {
    if (!key) return;
    if (V* v = find(key)) {
      *v = std::move(value);
      return;
    }
    if ((size_ + 1) * 2 > slots_.size()) grow();
    place(key, std::move(value));
    ++size_;
  }

  // Removes `key`, moving the entries after it back so that no probe
  // sequence is broken.
  void erase(const void* key) {
    if (slots_.empty() || !key) return;
    size_t i = home(key);
    while (slots_[i].key != key) {
      if (!slots_[i].key) return;
      i = next(i);
    }
    for (size_t j = next(i);; j = next(j)) {
      Slot& s = slots_[j];
      if (!s.key) break;
      // s may fill the hole at i when its home is not in (i, j].
      const size_t h = home(s.key);
      if (i <= j ? (h <= i || h > j) : (h <= i && h > j)) {
        slots_[i] = std::move(s);
        i = j;
      }
    }
    slots_[i] = Slot{};
    --size_;
  }

  void clear() {
    slots_.clear();
    size_ = 0;
  }
  size_t size() const { return size_; }

 private:
  struct Slot {
    const void* key = nullptr;
    V value{};
  };

  size_t home(const void* key) const {
    const uint64_t h = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(key)) * 0x9E3779B97F4A7C15ull;
    return static_cast<size_t>(h >> shift_);
  }
  size_t next(size_t i) const { return (i + 1) & (slots_.size() - 1); }

  void place(const void* key, V value) {
    size_t i = home(key);
    while (slots_[i].key) i = next(i);
    slots_[i] = Slot{key, std::move(value)};
  }

  void grow() {
    std::vector<Slot> old = std::move(slots_);
    const size_t capacity = old.empty() ? 64 : old.size() * 2;
    slots_.assign(capacity, Slot{});
    shift_ = 64;
    for (size_t c = capacity; c > 1; c >>= 1) --shift_;
    for (Slot& s : old)
      if (s.key) place(s.key, std::move(s.value));
  }

  std::vector<Slot> slots_;
  size_t size_ = 0;
  int shift_ = 64;
};

}  // namespace svx::host
