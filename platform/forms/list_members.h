// The item-list members that combo boxes and list boxes share, declared on a
// class table for any control class T with the same item API.
#pragma once

#include <optional>

#include "platform/automation/coerce.h"
#include "platform/automation/dispatch.h"

namespace svx::formprop {

template <class T>
void declareListMembers(ClassInfo& c) {
  c.member(u"AddItem", InvokeKind::Method, {svx::in(u"Item"), svx::inOpt(u"Index")}, [](Object& o, const Args& a) {
    std::optional<int16_t> at;
    if (!a[1].isMissing()) at = toI2(a[1]);
    static_cast<T&>(o).addItem(toBStr(a[0]), at);
    return Variant();
  });
  c.member(u"RemoveItem", InvokeKind::Method, {svx::in(u"Index")}, [](Object& o, const Args& a) {
    static_cast<T&>(o).removeItem(toI2(a[0]));
    return Variant();
  });
  c.member(u"Clear", InvokeKind::Method, {}, [](Object& o, const Args&) {
    static_cast<T&>(o).clear();
    return Variant();
  });
  c.member(u"List", InvokeKind::PropertyGet, {svx::in(u"Index")},
           [](Object& o, const Args& a) { return Variant(static_cast<T&>(o).list(toI2(a[0]))); });
  c.member(u"List", InvokeKind::PropertyPut, {svx::in(u"Index"), svx::in(u"Value")}, [](Object& o, const Args& a) {
    static_cast<T&>(o).setList(toI2(a[0]), toBStr(a[1]));
    return Variant();
  });
  c.member(u"ItemData", InvokeKind::PropertyGet, {svx::in(u"Index")},
           [](Object& o, const Args& a) { return Variant(static_cast<T&>(o).itemData(toI2(a[0]))); });
  c.member(u"ItemData", InvokeKind::PropertyPut, {svx::in(u"Index"), svx::in(u"Value")}, [](Object& o, const Args& a) {
    static_cast<T&>(o).setItemData(toI2(a[0]), toI4(a[1]));
    return Variant();
  });
}

}  // namespace svx::formprop
