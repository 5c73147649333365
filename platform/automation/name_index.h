// A case-insensitive index from member names to small numbers: open
// addressing over a power-of-two table, so a lookup is one hash of the
// caller's spelling and, as a rule, one comparison.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/automation/variant.h"

namespace svx {

class NameIndex {
 public:
  // The number stored for `name` (ASCII letters compare without case), or -1.
  int32_t find(BStrView name) const;
  // Stores `value` under `name`; false, and nothing changed, when the name is
  // there already.
  bool insert(BStrView name, int32_t value);
  size_t size() const { return names_.size(); }

 private:
  struct Slot {
    uint64_t hash = 0;
    int32_t value = -1;  // -1: free
    uint32_t name = 0;   // position in names_
  };
  static uint64_t hashOf(BStrView name);
  void place(uint64_t hash, int32_t value, uint32_t name);

  std::vector<Slot> slots_;
  std::vector<BStr> names_;
};

}  // namespace svx
