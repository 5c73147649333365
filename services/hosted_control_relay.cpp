#include "services/hosted_control_relay.h"

#include "core/write_log_line.h"
#include "platform/automation/coerce.h"
#include "platform/automation/dispatch.h"

namespace svx {

namespace {

Variant member(const Variant& object, BStrView name, std::vector<Variant> args = {}) {
  const Variant& o = object.deref();
  if (!o.isObject() || !o.asObject()) raise(err::ObjectRequired);
  return o.asObject()->invoke(name, InvokeKind::PropertyGet, args);
}

BStr errorText(const RuntimeError& e) {
  return e.description() + u" (" + utf16(std::to_string(e.number())) + u")";
}

void raiseWith(const RaiseFn& raise, int32_t id, std::vector<Variant>& args) {
  std::vector<Variant> refs = refsTo(args);
  raise(id, refs);
}

// Writes row i's value back into parameter i - 1; a row or a parameter that
// fails is skipped.
void writeBack(const Variant& parameters, const Variant& array, int32_t count) {
  for (int32_t i = 1; i <= count; ++i) {
    ignoreErrors([&] {
      const SafeArray* a = array.isArray() ? array.deref().asArray() : nullptr;
      if (!a) raise(err::TypeMismatch);
      const Variant value = a->get(i, 2);
      const Variant param = member(parameters, u"Item", {Variant(i - 1)});
      const ObjectRef& p = param.deref().asObject();
      if (!param.isObject() || !p) raise(err::ObjectRequired);
      if (value.isObject()) {
        // By reference, into the default member of the object the parameter holds.
        const Variant held = member(param, u"Value");
        if (!held.isObject() || !held.asObject()) raise(err::ObjectRequired);
        std::vector<Variant> args{value};
        held.asObject()->invoke(0, InvokeKind::PropertyPutRef, args);
      } else {
        std::vector<Variant> args{value};
        p->invoke(u"Value", InvokeKind::PropertyPut, args);
      }
    });
  }
}

void relayObjectEvent(int32_t id, int16_t& index, const Variant& info, const RaiseFn& raise) {
  BStr name;
  try {
    name = toBStr(member(info, u"Name"));
    const Variant parameters = member(info, u"EventParameters");
    const int32_t count = toI4(member(parameters, u"Count"));
    if (count < 1) {
      std::vector<Variant> args{Variant::byRef(index), Variant(), Variant(name)};
      raiseWith(raise, id, args);
      return;
    }
    SafeArray table(VT_VARIANT, {{1, count}, {1, 2}});
    for (int32_t i = 1; i <= count; ++i) {
      // The first parameter's name is read under the error path, the others
      // with errors ignored.
      auto readName = [&] { table.set(i, 1, Variant(toBStr(member(member(parameters, u"Item", {Variant(i - 1)}), u"Name")))); };
      if (i == 1)
        readName();
      else
        ignoreErrors(readName);
      Variant value;
      try {
        value = member(member(parameters, u"Item", {Variant(i - 1)}), u"Value");
      } catch (const RuntimeError& e) {
        value = Variant(errorText(e));
      }
      table.set(i, 2, value);
    }
    std::vector<Variant> args{Variant::byRef(index), Variant(std::move(table)), Variant(name)};
    raiseWith(raise, id, args);
    writeBack(parameters, args[1], count);
  } catch (const RuntimeError& e) {
    BStr line = objectEventErrorLine(e.description(), e.number(), name);
    Variant n = Variant::missing(), d = Variant::missing();
    WriteLogLine(line, n, d);
  }
}

}  // namespace

BStr objectEventErrorLine(const BStr& description, int32_t number, const BStr& eventName) {
  return u"VBControlExtenderObjectEvent generated error: " + description + u" (" + utf16(std::to_string(number)) +
         u") for " + eventName;
}

void relayHostedControlEvent(const FormEventRow& row, int16_t& index, std::span<Variant> params,
                             const RaiseFn& raise) {
  if (row.sourceEvent == u"VBControlExtenderObjectEvent") {
    if (!params.empty()) relayObjectEvent(row.id, index, params[0], raise);
    return;
  }
  if (row.sourceEvent == u"VBControlExtenderValidate") {
    if (params.empty()) return;
    std::vector<Variant> args{Variant::byRef(index), Variant()};
    ignoreErrors([&] { args[1] = params[0].value(); });
    ignoreErrors([&] { raiseWith(raise, row.id, args); });
    ignoreErrors([&] { params[0].assign(Variant(toBool(args[1]))); });
    return;
  }
  ignoreErrors([&] {
    std::vector<Variant> args{Variant::byRef(index)};
    raiseWith(raise, row.id, args);
  });
}

}  // namespace svx
