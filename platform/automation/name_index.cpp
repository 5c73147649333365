#include "platform/automation/name_index.h"

#include "platform/automation/dispatch.h"

namespace svx {

uint64_t NameIndex::hashOf(BStrView name) {
  uint64_t h = 14695981039346656037ull;  // FNV-1a over the lowered code units
  for (char16_t c : name) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    h = (h ^ c) * 1099511628211ull;
  }
  return h;
}

int32_t NameIndex::find(BStrView name) const {
  if (slots_.empty()) return -1;
  const uint64_t h = hashOf(name);
  const size_t mask = slots_.size() - 1;
  for (size_t i = h & mask;; i = (i + 1) & mask) {
    const Slot& s = slots_[i];
    if (s.value < 0) return -1;
    if (s.hash == h && sameName(names_[s.name], name)) return s.value;
  }
}

void NameIndex::place(uint64_t hash, int32_t value, uint32_t name) {
  const size_t mask = slots_.size() - 1;
  size_t i = hash & mask;
  while (slots_[i].value >= 0) i = (i + 1) & mask;
  slots_[i] = Slot{hash, value, name};
}

bool NameIndex::insert(BStrView name, int32_t value) {
  if (find(name) >= 0) return false;
  // At most half full, so that probes stay short and a free slot ends them.
  if ((names_.size() + 1) * 2 > slots_.size()) {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 16 : old.size() * 2, Slot{});
    for (const Slot& s : old)
      if (s.value >= 0) place(s.hash, s.value, s.name);
  }
  names_.emplace_back(name);
  place(hashOf(name), value, static_cast<uint32_t>(names_.size() - 1));
  return true;
}

}  // namespace svx
