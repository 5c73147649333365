#include "host/values.h"

#include <cmath>
#include <ctime>
#include <optional>
#include <vector>

#include "host/js_text.h"
#include "host/objects.h"
#include "platform/automation/coerce.h"

namespace svx::host {

namespace {

// --- dates --------------------------------------------------------------------

// OLE dates are local time; script dates are milliseconds since the epoch.
double oleDateToMs(Date d) {
  const DateParts p = splitDate(d);
  std::tm tm{};
  tm.tm_year = p.year - 1900;
  tm.tm_mon = p.month - 1;
  tm.tm_mday = p.day;
  tm.tm_hour = p.hour;
  tm.tm_min = p.minute;
  tm.tm_sec = p.second;
  tm.tm_isdst = -1;
  const std::time_t t = std::mktime(&tm);
  return static_cast<double>(t) * 1000.0 + p.millisecond;
}

Date msToOleDate(double ms) {
  const double secs = std::floor(ms / 1000.0);
  const std::time_t t = static_cast<std::time_t>(secs);
  std::tm tm{};
  localtime_r(&t, &tm);
  DateParts p;
  p.year = tm.tm_year + 1900;
  p.month = tm.tm_mon + 1;
  p.day = tm.tm_mday;
  p.hour = tm.tm_hour;
  p.minute = tm.tm_min;
  p.second = tm.tm_sec;
  p.millisecond = static_cast<int>(ms - secs * 1000.0);
  return makeDate(p);
}

// The time value of a script Date, or nothing for any other value.
std::optional<double> dateValue(duk_context* ctx, duk_idx_t idx) {
  pushStashed(ctx, "getTime");
  duk_dup(ctx, idx);
  std::optional<double> ms;
  if (duk_pcall_method(ctx, 0) == DUK_EXEC_SUCCESS && duk_is_number(ctx, -1)) ms = duk_get_number(ctx, -1);
  duk_pop(ctx);
  return ms;
}

duk_ret_t finalizeRef(duk_context* ctx) {
  return guardedBody(ctx, [&]() -> duk_ret_t {
    Engine& e = engineOf(ctx);
    e.refAddresses.erase(duk_get_heapptr(ctx, 0));
    if (auto id = hiddenId(ctx, 0, kRefKey)) eraseDeferred(e.refs, *id);
    return 0;
  });
}

// The Refs of many raises share one anchor; when the last of them is gone,
// the anchor's finalizer frees their frames.
duk_ret_t finalizeEventAnchor(duk_context* ctx) {
  return guardedBody(ctx, [&]() -> duk_ret_t {
    if (auto id = hiddenId(ctx, 0, kHandleKey)) engineOf(ctx).freeEventAnchor(*id);
    return 0;
  });
}

// A frame whose Refs may hold an object after its raise has an anchor of its
// own, so that the object goes as soon as the last of those Refs does.
duk_ret_t finalizeEventFrame(duk_context* ctx) {
  return guardedBody(ctx, [&]() -> duk_ret_t {
    if (auto frame = hiddenId(ctx, 0, kHandleKey)) engineOf(ctx).freeEventFrame(*frame);
    return 0;
  });
}

// Gives `frame` its own anchor, held by its link object at `link`.
void anchorAlone(duk_context* ctx, duk_idx_t link, int64_t frame) {
  Engine& e = engineOf(ctx);
  if (!e.anchorFrameAlone(frame)) return;
  link = duk_normalize_index(ctx, link);
  duk_push_bare_object(ctx);
  pushSharedFunction(ctx, finalizeEventFrame, 2);
  duk_set_finalizer(ctx, -2);
  pushKey(ctx, kHandleKey);
  duk_push_number(ctx, static_cast<double>(frame));
  duk_put_prop(ctx, -3);
  pushKey(ctx, kOwnAnchorKey);
  duk_swap_top(ctx, -2);
  duk_put_prop(ctx, link);
}

// The same for the frame of the event Ref at `idx` once its raise is over
// (the Ref's prototype is its link object).
void anchorAloneAfterRaise(duk_context* ctx, duk_idx_t idx, int64_t frame) {
  if (!engineOf(ctx).eventFrameEnded(frame)) return;
  idx = duk_normalize_index(ctx, idx);
  duk_get_prototype(ctx, idx);
  if (duk_is_object(ctx, -1)) anchorAlone(ctx, -1, frame);
  duk_pop(ctx);
}

duk_ret_t finalizeArray(duk_context* ctx) {
  return guardedBody(ctx, [&]() -> duk_ret_t {
    if (auto id = hiddenId(ctx, 0, kArrayKey)) eraseDeferred(engineOf(ctx).arrays, *id);
    return 0;
  });
}

Variant numberVariant(double d) {
  if (std::isfinite(d) && d >= -2147483648.0 && d <= 2147483647.0 && d == std::trunc(d))
    return Variant(static_cast<int32_t>(d));
  return Variant(d);
}

Variant objectVariant(Engine& e, duk_context* ctx, duk_idx_t idx, bool argument) {
  if (Variant** a = e.refAddresses.find(duk_get_heapptr(ctx, idx)))
    return argument ? Variant::byRef(**a) : (*a)->value();
  pushKey(ctx, kHandleKey);
  duk_get_prop(ctx, idx);
  std::optional<int64_t> handle;
  if (duk_is_number(ctx, -1)) handle = static_cast<int64_t>(duk_get_number(ctx, -1));
  duk_pop(ctx);
  if (auto id = handle) {
    if (*id == kMissingId) return Variant::missing();
    if (isEventFrameHandle(*id)) {
      Variant* slot = e.eventRefSlot(eventFrameOf(*id), duk_get_heapptr(ctx, idx));
      if (!slot) raise(err::TypeMismatch);
      if (!argument) return slot->value();
      // The member may store an object in it.
      anchorAloneAfterRaise(ctx, idx, eventFrameOf(*id));
      return Variant::byRef(*slot);
    }
    if (auto it = e.objects.find(*id); it != e.objects.end()) return Variant(it->second);
    if (auto it = e.refs.find(*id); it != e.refs.end())
      return argument ? Variant::byRef(it->second) : it->second.value();
    if (auto it = e.arrays.find(*id); it != e.arrays.end()) return it->second;
  }
  if (isNamedArguments(ctx, idx)) raise(err::InvalidProcedureCall, u"Named(...) is only valid as a method's last argument");
  if (auto ms = dateValue(ctx, idx)) {
    if (std::isnan(*ms)) return Variant::null();
    return Variant(msToOleDate(*ms));
  }
  // Any other script value travels as an object standing for it.
  const int64_t id = e.nextId++;
  pushStashed(ctx, "jsObjects");
  duk_push_number(ctx, static_cast<double>(id));
  duk_dup(ctx, idx);
  duk_put_prop(ctx, -3);
  duk_pop(ctx);
  return Variant(ObjectRef(makeRef<JScriptObject>(e.weak_from_this(), &e, id)));
}

// --- Ref ---------------------------------------------------------------------

// The Variant of the Ref `this`; an event Ref's frame in `frame`.
Variant& refThis(duk_context* ctx, int64_t* frame = nullptr) {
  Engine& e = engineOf(ctx);
  duk_push_this(ctx);
  pushKey(ctx, kRefKey);
  duk_get_prop(ctx, -2);
  Variant* slot = nullptr;
  if (duk_is_number(ctx, -1)) {
    const auto id = static_cast<int64_t>(duk_get_number(ctx, -1));
    if (isEventFrameHandle(id)) {
      slot = e.eventRefSlot(eventFrameOf(id), duk_get_heapptr(ctx, -2));
      if (frame) *frame = eventFrameOf(id);
    } else if (auto it = e.refs.find(id); it != e.refs.end()) {
      slot = &it->second;
    }
  }
  duk_pop_2(ctx);
  if (!slot) raise(err::TypeMismatch);
  return *slot;
}

duk_ret_t refConstruct(duk_context* ctx) {
  return guarded(ctx, [&]() -> duk_ret_t {
    Variant initial = duk_get_top(ctx) > 0 ? toVariant(ctx, 0, false) : Variant();
    pushRefObject(ctx, std::move(initial));
    return 1;
  });
}

duk_ret_t refGetValue(duk_context* ctx) {
  return guarded(ctx, [&]() -> duk_ret_t {
    pushVariant(ctx, refThis(ctx));
    return 1;
  });
}

duk_ret_t refSetValue(duk_context* ctx) {
  return guarded(ctx, [&]() -> duk_ret_t {
    const Variant v = toVariant(ctx, 0, false);
    int64_t frame = -1;
    refThis(ctx, &frame).assign(v);
    if (frame >= 0 && holdsObjects(v)) {
      duk_push_this(ctx);
      anchorAloneAfterRaise(ctx, -1, frame);
      duk_pop(ctx);
    }
    return 0;
  });
}

duk_ret_t refVarType(duk_context* ctx) {
  return guarded(ctx, [&]() -> duk_ret_t {
    duk_push_int(ctx, refThis(ctx).varType());
    return 1;
  });
}

duk_ret_t refToString(duk_context* ctx) {
  return guarded(ctx, [&]() -> duk_ret_t {
    pushVariant(ctx, refThis(ctx));
    duk_safe_to_string(ctx, -1);
    return 1;
  });
}

// --- VBArray -------------------------------------------------------------------

Variant& arrayThis(duk_context* ctx) {
  duk_push_this(ctx);
  const auto id = hiddenId(ctx, -1, kArrayKey);
  duk_pop(ctx);
  Engine& e = engineOf(ctx);
  auto it = id ? e.arrays.find(*id) : e.arrays.end();
  if (it == e.arrays.end()) raise(err::TypeMismatch);
  return it->second;
}

const SafeArray& requireArray(const Variant& v) {
  const SafeArray* a = v.asArray();
  if (!a) raise(err::SubscriptOutOfRange);
  return *a;
}

int32_t dimensionArg(duk_context* ctx) {
  if (duk_get_top(ctx) == 0 || duk_is_undefined(ctx, 0)) return 1;
  return toI4(toVariant(ctx, 0, false));
}

duk_ret_t arrayConstruct(duk_context* ctx) {
  return guarded(ctx, [&]() -> duk_ret_t {
    const Variant v = toVariant(ctx, 0, false);
    if (!v.isArray()) raise(err::TypeMismatch);
    pushArrayObject(ctx, v);
    return 1;
  });
}

duk_ret_t arrayToArray(duk_context* ctx) {
  return guarded(ctx, [&]() -> duk_ret_t {
    const Variant& v = arrayThis(ctx);
    const duk_idx_t out = duk_push_array(ctx);
    const SafeArray* a = v.asArray();
    if (!a || a->elementCount() == 0) return 1;
    // Every element, first index fastest, as the array is stored.
    std::vector<int32_t> idx;
    for (const ArrayBound& b : a->bounds()) idx.push_back(b.lower);
    const int64_t count = a->elementCount();
    for (int64_t k = 0; k < count; ++k) {
      pushVariant(ctx, a->get(idx));
      duk_put_prop_index(ctx, out, static_cast<duk_uarridx_t>(k));
      for (size_t d = 0; d < idx.size(); ++d) {
        if (++idx[d] <= a->bounds()[d].upper()) break;
        idx[d] = a->bounds()[d].lower;
      }
    }
    return 1;
  });
}

duk_ret_t arrayLbound(duk_context* ctx) {
  return guarded(ctx, [&]() -> duk_ret_t {
    duk_push_int(ctx, requireArray(arrayThis(ctx)).lbound(dimensionArg(ctx)));
    return 1;
  });
}

duk_ret_t arrayUbound(duk_context* ctx) {
  return guarded(ctx, [&]() -> duk_ret_t {
    duk_push_int(ctx, requireArray(arrayThis(ctx)).ubound(dimensionArg(ctx)));
    return 1;
  });
}

duk_ret_t arrayDimensions(duk_context* ctx) {
  return guarded(ctx, [&]() -> duk_ret_t {
    const SafeArray* a = arrayThis(ctx).asArray();
    duk_push_int(ctx, a ? a->dimensions() : 0);
    return 1;
  });
}

duk_ret_t arrayGetItem(duk_context* ctx) {
  return guarded(ctx, [&]() -> duk_ret_t {
    const duk_idx_t n = duk_get_top(ctx);
    std::vector<int32_t> idx;
    for (duk_idx_t i = 0; i < n; ++i) idx.push_back(toI4(toVariant(ctx, i, false)));
    const Variant item = requireArray(arrayThis(ctx)).get(idx);
    pushVariant(ctx, item);
    return 1;
  });
}

constexpr duk_size_t kMaxArrayFromScript = 1u << 24;

// a.setItem(value, i, ...): stores into the script's own copy of the array.
duk_ret_t arraySetItem(duk_context* ctx) {
  return guarded(ctx, [&]() -> duk_ret_t {
    const duk_idx_t n = duk_get_top(ctx);
    if (n < 2) raise(err::ArgumentNotOptional);
    const Variant value = toVariant(ctx, 0, false);
    std::vector<int32_t> idx;
    for (duk_idx_t i = 1; i < n; ++i) idx.push_back(toI4(toVariant(ctx, i, false)));
    Variant& v = arrayThis(ctx);
    SafeArray* a = v.asArray();
    if (!a) raise(err::SubscriptOutOfRange);
    a->set(idx, value);
    return 0;
  });
}

// VBArray.dims(lb1, ub1, lb2, ub2): a two-dimensional Variant array of Empty
// elements; an upper bound one below its lower bound gives an empty dimension.
duk_ret_t arrayDims(duk_context* ctx) {
  return guarded(ctx, [&]() -> duk_ret_t {
    if (duk_get_top(ctx) != 4) raise(err::WrongNumberOfArguments);
    std::vector<ArrayBound> bounds;
    int64_t total = 1;
    for (duk_idx_t d = 0; d < 4; d += 2) {
      const int32_t lower = toI4(toVariant(ctx, d, false)), upper = toI4(toVariant(ctx, d + 1, false));
      const int64_t count = static_cast<int64_t>(upper) - lower + 1;
      if (count < 0) raise(err::SubscriptOutOfRange);
      total *= count;
      if (total > static_cast<int64_t>(kMaxArrayFromScript)) raise(err::OutOfMemory);
      bounds.push_back(ArrayBound{lower, static_cast<int32_t>(count)});
    }
    pushArrayObject(ctx, Variant(SafeArray(VT_VARIANT, std::move(bounds))));
    return 1;
  });
}

// Protected: reads every element of the script array on the stack top into a
// new plain array (the elements may be accessors that run script code).
duk_ret_t copyArrayElements(duk_context* ctx, void*) {
  const duk_idx_t src = duk_get_top_index(ctx);
  const duk_size_t n = duk_get_length(ctx, src);
  if (n > kMaxArrayFromScript) return DUK_RET_RANGE_ERROR;
  const duk_idx_t out = duk_push_array(ctx);
  for (duk_size_t i = 0; i < n; ++i) {
    duk_get_prop_index(ctx, src, static_cast<duk_uarridx_t>(i));
    duk_put_prop_index(ctx, out, static_cast<duk_uarridx_t>(i));
  }
  return 1;
}

duk_ret_t arrayFrom(duk_context* ctx) {
  return guarded(ctx, [&]() -> duk_ret_t {
    if (!duk_is_array(ctx, 0)) raise(err::TypeMismatch, u"VBArray.from expects an array");
    VarType element = VT_VARIANT;
    if (duk_get_top(ctx) > 1 && !duk_is_undefined(ctx, 1)) {
      const BStr kind = toBStr(toVariant(ctx, 1, false));
      if (sameName(kind, u"Byte"))
        element = VT_UI1;
      else if (!sameName(kind, u"Variant"))
        raise(err::InvalidProcedureCall);
    }
    duk_dup(ctx, 0);
    if (duk_safe_call(ctx, copyArrayElements, nullptr, 1, 1) != DUK_EXEC_SUCCESS) throw JsPending{};
    const duk_idx_t copy = duk_get_top_index(ctx);
    const auto n = static_cast<int32_t>(duk_get_length(ctx, copy));
    SafeArray array = SafeArray::vector(element, 0, n);
    for (int32_t i = 0; i < n; ++i) {
      duk_get_prop_index(ctx, copy, static_cast<duk_uarridx_t>(i));
      const Variant item = toVariant(ctx, -1, false);
      duk_pop(ctx);
      array.set(i, item);
    }
    pushArrayObject(ctx, Variant(std::move(array)));
    return 1;
  });
}

}  // namespace

// --- conversions ------------------------------------------------------------------

void pushHandle(duk_context* ctx, int64_t id, const char* key, duk_c_function finalizer, const char* proto,
                duk_c_function call) {
  if (call)
    duk_push_c_function(ctx, call, DUK_VARARGS);
  else
    duk_push_object(ctx);
  if (proto) {
    pushStashed(ctx, proto);
    duk_set_prototype(ctx, -2);
  }
  if (finalizer) {
    pushSharedFunction(ctx, finalizer, 2);
    duk_set_finalizer(ctx, -2);
  }
  pushKey(ctx, key);
  duk_push_number(ctx, static_cast<double>(id));
  duk_put_prop(ctx, -3);
}


int64_t pushRefObject(duk_context* ctx, Variant slot) {
  Engine& e = engineOf(ctx);
  const int64_t id = e.nextId++;
  Variant& stored = e.refs.emplace(id, std::move(slot)).first->second;
  // A finalizer of its own: the entry goes whatever the script does to the
  // prototype, before the address can be reused.
  pushHandle(ctx, id, kRefKey, finalizeRef, "refProto");
  e.refAddresses.insert_or_assign(duk_get_heapptr(ctx, -1), &stored);
  return id;
}

bool holdsObjects(const Variant& v) { return v.isObject() || v.isArray(); }

void keepEventRefs(duk_context* ctx, int64_t frame, duk_idx_t link) {
  Engine& e = engineOf(ctx);
  if (!e.keepEventFrame(frame)) return;
  if (link != kNoLink && e.eventFrameHoldsObjects(frame)) anchorAlone(ctx, link, frame);
}

int64_t pushEventRefs(duk_context* ctx, std::span<Variant> variables) {
  if (variables.empty()) {
    duk_push_undefined(ctx);
    return -1;
  }
  Engine& e = engineOf(ctx);
  const duk_idx_t key = duk_get_top(ctx);
  pushKey(ctx, kHandleKey);
  // The open anchor: its finalizer frees the frames of every raise that
  // used it, once the last of their Refs is gone. The raises' link objects
  // inherit from one object that holds it (and inherits from Ref.prototype;
  // the anchor's finalizer is not inherited). The host lets go of it after
  // kRaisesPerAnchor raises.
  if (!e.openAnchor) {
    const duk_idx_t shared = duk_push_bare_object(ctx);
    pushStashed(ctx, "refProto");
    duk_set_prototype(ctx, shared);
    pushKey(ctx, kAnchorKey);
    duk_push_bare_object(ctx);
    pushSharedFunction(ctx, finalizeEventAnchor, 2);
    duk_set_finalizer(ctx, -2);
    duk_dup(ctx, key);
    duk_push_number(ctx, static_cast<double>(e.openEventAnchor()));
    duk_put_prop(ctx, -3);
    duk_put_prop(ctx, shared);
    duk_push_global_stash(ctx);
    duk_dup(ctx, shared);
    duk_put_prop_string(ctx, -2, "eventAnchor");
    duk_pop(ctx);
    e.openAnchor = duk_get_heapptr(ctx, shared);
  } else {
    duk_push_heapptr(ctx, e.openAnchor);
  }
  const duk_idx_t anchor = duk_get_top_index(ctx);
  const int64_t frame = e.newEventFrame(variables.size());
  // The Refs inherit from one object per raise that holds the frame's
  // handle (and inherits the anchor's): a Ref needs no property of its own.
  // The frame knows each Ref by its address.
  const duk_idx_t link = duk_push_bare_object(ctx);
  duk_dup(ctx, anchor);
  duk_set_prototype(ctx, link);
  duk_dup(ctx, key);
  duk_push_number(ctx, static_cast<double>(eventFrameHandle(frame)));
  duk_put_prop(ctx, link);
  for (size_t i = 0; i < variables.size(); ++i) {
    duk_push_bare_object(ctx);
    duk_dup(ctx, link);
    duk_set_prototype(ctx, -2);
    e.bindEventRef(frame, i, duk_get_heapptr(ctx, -1),
                   variables[i].isByRef() ? variables[i] : Variant::byRef(variables[i]));
  }
  duk_remove(ctx, anchor);
  duk_remove(ctx, key);
  if (++e.openAnchorRaises >= Engine::kRaisesPerAnchor) e.closeEventAnchor(ctx);
  return frame;
}

void pushArrayObject(duk_context* ctx, Variant array) {
  Engine& e = engineOf(ctx);
  const int64_t id = e.nextId++;
  e.arrays.emplace(id, std::move(array));
  pushHandle(ctx, id, kArrayKey, nullptr, "arrayProto");  // the prototype's finalizer
}

void pushVariant(duk_context* ctx, const Variant& in) {
  // A by-reference value is read through; any other is pushed as it is.
  std::optional<Variant> read;
  if (in.isByRef()) read.emplace(in.value());
  const Variant& v = read ? *read : in;
  if (v.isArray()) {
    pushArrayObject(ctx, v);
    return;
  }
  switch (v.vt()) {
    case VT_EMPTY: duk_push_undefined(ctx); break;
    case VT_NULL: duk_push_null(ctx); break;
    case VT_I2: duk_push_int(ctx, v.asI2()); break;
    case VT_I4: duk_push_int(ctx, v.asI4()); break;
    case VT_R4: duk_push_number(ctx, v.asR4()); break;
    case VT_R8: duk_push_number(ctx, v.asR8()); break;
    case VT_UI1: duk_push_uint(ctx, v.asUI1()); break;
    case VT_I8: duk_push_number(ctx, static_cast<double>(v.asI8())); break;  // nearest Number beyond 2^53
    case VT_CY: duk_push_number(ctx, static_cast<double>(v.asCy().scaled) / 10000.0); break;
    case VT_BOOL: duk_push_boolean(ctx, v.asBool()); break;
    case VT_BSTR: pushString(ctx, v.asBStr()); break;
    case VT_DISPATCH: pushObject(ctx, v.asObject()); break;
    case VT_DATE: {
      const double ms = oleDateToMs(Date{v.asDate()});
      pushStashed(ctx, "Date");
      duk_push_number(ctx, ms);
      if (duk_pnew(ctx, 1) != DUK_EXEC_SUCCESS) {
        duk_pop(ctx);
        duk_push_number(ctx, ms);
      }
      break;
    }
    case VT_ERROR:
      if (v.isMissing())
        pushStashed(ctx, "missing");
      else
        duk_push_int(ctx, v.asError());
      break;
    default: raise(err::TypeMismatch);
  }
}

Variant toVariant(duk_context* ctx, duk_idx_t idx, bool argument) { return toVariant(engineOf(ctx), ctx, idx, argument); }

Variant toVariant(Engine& e, duk_context* ctx, duk_idx_t idx, bool argument) {
  if (idx < 0) idx = duk_normalize_index(ctx, idx);
  switch (duk_get_type(ctx, idx)) {
    case DUK_TYPE_NONE:
    case DUK_TYPE_UNDEFINED: return {};
    case DUK_TYPE_NULL: return Variant::null();
    case DUK_TYPE_BOOLEAN: return Variant(static_cast<bool>(duk_get_boolean(ctx, idx)));
    case DUK_TYPE_NUMBER: return numberVariant(duk_get_number(ctx, idx));
    case DUK_TYPE_STRING:
      if (duk_is_symbol(ctx, idx)) raise(err::TypeMismatch);
      return Variant(jsString(ctx, idx));
    case DUK_TYPE_OBJECT:
    case DUK_TYPE_LIGHTFUNC: return objectVariant(e, ctx, idx, argument);
    default: raise(err::TypeMismatch);
  }
}

// --- set-up -----------------------------------------------------------------------

void installValues(duk_context* ctx, duk_idx_t stash) {
  stash = duk_normalize_index(ctx, stash);
  duk_get_global_string(ctx, "Date");
  duk_get_prop_string(ctx, -1, "prototype");
  duk_get_prop_string(ctx, -1, "getTime");
  duk_put_prop_string(ctx, stash, "getTime");
  duk_pop(ctx);
  duk_put_prop_string(ctx, stash, "Date");
  duk_push_object(ctx);
  duk_put_prop_string(ctx, stash, "jsObjects");

  const duk_idx_t missing = duk_push_object(ctx);
  duk_push_number(ctx, static_cast<double>(kMissingId));
  duk_put_prop_string(ctx, missing, kHandleKey);
  duk_freeze(ctx, missing);
  duk_dup(ctx, missing);
  duk_put_prop_string(ctx, stash, "missing");
  duk_put_global_string(ctx, "Missing");

  defineClass(ctx, "Ref", refConstruct, "refProto", [&](duk_idx_t proto) {
    putAccessor(ctx, proto, "value", refGetValue, refSetValue);
    putAccessor(ctx, proto, "vartype", refVarType, nullptr);
    putFunction(ctx, proto, "valueOf", refGetValue, 0);
    putFunction(ctx, proto, "toString", refToString, 0);
  });
  defineClass(ctx, "VBArray", arrayConstruct, "arrayProto", [&](duk_idx_t proto) {
    putFunction(ctx, proto, "toArray", arrayToArray, 0);
    putFunction(ctx, proto, "lbound", arrayLbound, DUK_VARARGS);
    putFunction(ctx, proto, "ubound", arrayUbound, DUK_VARARGS);
    putFunction(ctx, proto, "dimensions", arrayDimensions, 0);
    putFunction(ctx, proto, "getItem", arrayGetItem, DUK_VARARGS);
    putFunction(ctx, proto, "setItem", arraySetItem, DUK_VARARGS);
  });
  // Every VBArray inherits its finalizer (the prototype holds no id); a Ref
  // the script makes has its own, an event's Refs share their anchor's.
  pushStashed(ctx, "arrayProto");
  duk_push_c_function(ctx, finalizeArray, 2);
  duk_set_finalizer(ctx, -2);
  duk_pop(ctx);
  duk_get_global_string(ctx, "VBArray");
  putFunction(ctx, -1, "from", arrayFrom, DUK_VARARGS);
  putFunction(ctx, -1, "dims", arrayDims, DUK_VARARGS);
  duk_pop(ctx);

}

}  // namespace svx::host
