// The runtime's Collection: items by position (from 1) or by a string key
// (compared without regard to case).
#pragma once

#include <optional>
#include <vector>

#include "platform/automation/dispatch.h"

namespace svx {

class Collection : public Object {
 public:
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }

  // A duplicate key fails with 457.
  void add(Variant item, std::optional<BStr> key = std::nullopt);
  // By position (1-based, error 9 outside) or by key (error 5 when missing).
  const Variant& item(const Variant& index) const;
  void remove(const Variant& index);
  int32_t count() const { return static_cast<int32_t>(items_.size()); }
  void clear() { items_.clear(); }

  // Automation members.
  void Add(Variant& item, Variant& key, Variant& before, Variant& after);
  Variant Item(Variant& index);
  void Remove(Variant& index);
  Variant Count();

 private:
  size_t position(const Variant& index) const;
  struct Entry {
    Variant item;
    std::optional<BStr> key;
  };
  std::vector<Entry> items_;
};

}  // namespace svx
