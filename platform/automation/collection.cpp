#include "platform/automation/collection.h"

#include "platform/automation/coerce.h"

namespace svx {

const ClassInfo& Collection::info() {
  static const ClassInfo ci =
      ClassInfo(u"Collection")
          .method<&Collection::Add>(u"Add", {in(u"Item"), inOpt(u"Key"), inOpt(u"Before"), inOpt(u"After")},
                                    u"Adds a member to a Collection object.")
          .method<&Collection::Item>(u"Item", {in(u"Index")},
                                     u"Returns a specific member of a Collection object either by position or by key.")
          .method<&Collection::Remove>(u"Remove", {in(u"Index")}, u"Removes a member from a Collection object.")
          .get<&Collection::Count>(u"Count", {}, u"Returns the number of objects in a collection.")
          .defaultMember(u"Item");
  return ci;
}

void Collection::add(Variant item, std::optional<BStr> key) {
  if (key)
    for (const Entry& e : items_)
      if (e.key && sameName(*e.key, *key)) raise(err::DuplicateKey);
  items_.push_back(Entry{std::move(item), std::move(key)});
}

size_t Collection::position(const Variant& index) const {
  const Variant v = index.value();
  if (v.vt() == VT_BSTR) {
    for (size_t i = 0; i < items_.size(); ++i)
      if (items_[i].key && sameName(*items_[i].key, v.asBStr())) return i;
    raise(err::InvalidProcedureCall);
  }
  const int32_t n = toI4(v);
  if (n < 1 || n > count()) raise(err::SubscriptOutOfRange);
  return static_cast<size_t>(n - 1);
}

const Variant& Collection::item(const Variant& index) const { return items_[position(index)].item; }

void Collection::remove(const Variant& index) {
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(position(index)));
}

void Collection::Add(Variant& item, Variant& key, Variant& before, Variant& after) {
  if (!before.isMissing() || !after.isMissing()) {
    // Insertion before or after an existing member.
    const bool isBefore = !before.isMissing();
    size_t at = position(isBefore ? before : after) + (isBefore ? 0 : 1);
    std::optional<BStr> k;
    if (!key.isMissing()) k = toBStr(key);
    if (k)
      for (const Entry& e : items_)
        if (e.key && sameName(*e.key, *k)) raise(err::DuplicateKey);
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), Entry{item.value(), std::move(k)});
    return;
  }
  add(item.value(), key.isMissing() ? std::nullopt : std::optional<BStr>(toBStr(key)));
}

Variant Collection::Item(Variant& index) { return item(index); }
void Collection::Remove(Variant& index) { remove(index); }
Variant Collection::Count() { return Variant(count()); }

}  // namespace svx
