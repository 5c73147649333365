#include "host/script_host.h"

#include <duktape.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <utility>

#include "host/js_text.h"
#include "platform/automation/coerce.h"
#include "platform/automation/dispatch.h"
#include "platform/automation/error.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/message_loop.h"

// Duktape raises script errors with longjmp. Every native function therefore
// runs its C++ body inside guarded(): C++ exceptions are caught there, and the
// script error is thrown only after every C++ object of the body is gone. The
// bodies use only the non-throwing parts of the Duktape API (protected calls
// wherever script code could run).

namespace svx::host {

namespace {

// Hidden keys: invisible to scripts, and read from a Proxy's target without
// running its traps.
#define SVX_KEY(name) DUK_HIDDEN_SYMBOL("svx" name)
constexpr const char* kObjectKey = SVX_KEY("Object");   // proxy target -> objects
constexpr const char* kRefKey = SVX_KEY("Ref");         // Ref -> refs
constexpr const char* kArrayKey = SVX_KEY("Array");     // VBArray -> arrays
constexpr const char* kMissingKey = SVX_KEY("Missing");
constexpr const char* kQuitKey = SVX_KEY("Quit");
constexpr const char* kTargetKey = SVX_KEY("Target");   // bound member -> proxy target
constexpr const char* kNameKey = SVX_KEY("Name");       // bound member -> member name

std::function<void(int)>& sleepHandler();

std::vector<std::pair<std::string, ObjectRef>>& globalObjects() {
  static std::vector<std::pair<std::string, ObjectRef>> g;
  return g;
}

// Thrown by native bodies: the script error to throw is already on the stack.
struct JsPending {};
// WScript.Quit: unwinds to the top of the script (also out of an event raise).
struct ScriptQuit {};

class Engine;

// A script object passed to an automation member: an object without members
// that stands for the script value and gives it back when it returns.
class JScriptObject : public Object {
 public:
  JScriptObject(std::weak_ptr<Engine> engine, const Engine* owner, int64_t id)
      : engine_(std::move(engine)), owner_(owner), id_(id) {}
  static const ClassInfo& info() {
    static const ClassInfo ci(u"JScriptTypeInfo");
    return ci;
  }
  const ClassInfo& classInfo() const override { return info(); }
  bool belongsTo(const Engine* e) const { return owner_ == e && !engine_.expired(); }
  int64_t id() const { return id_; }

 protected:
  void terminate() override;

 private:
  std::weak_ptr<Engine> engine_;
  const Engine* owner_;
  int64_t id_;
};

class ScriptSink : public EventSink {
 public:
  ScriptSink(std::weak_ptr<Engine> engine, BStr prefix) : engine_(std::move(engine)), prefix_(std::move(prefix)) {}
  void onEvent(Object& source, const EventInfo& event, std::span<Variant> args) override;

 private:
  std::weak_ptr<Engine> engine_;
  BStr prefix_;
};

class Engine : public std::enable_shared_from_this<Engine> {
 public:
  Engine(std::ostream& out, std::ostream& err) : out(out), err(err) {}
  ~Engine() { shutdown(); }

  int run(std::string_view source, const std::string& path, const std::vector<std::string>& arguments);
  void shutdown();

  void connect(const ObjectRef& obj, BStr prefix) {
    const int32_t cookie = obj->connect(std::make_shared<ScriptSink>(weak_from_this(), std::move(prefix)));
    connections.push_back({WeakRef<Object>(obj.get()), cookie});
  }
  void disconnect(Object* obj) {
    std::vector<Connection> keep;
    for (const Connection& c : connections) {
      if (c.object.get() == obj)
        obj->disconnect(c.cookie);
      else
        keep.push_back(c);
    }
    connections = std::move(keep);
  }
  void deliverEvent(const BStr& function, std::span<Variant> args);
  void dropScriptObject(int64_t id);
  void report(duk_idx_t idx);

  duk_context* ctx = nullptr;
  std::ostream& out;
  std::ostream& err;
  // What the script's values stand for, by the id each one carries.
  std::map<int64_t, ObjectRef> objects;
  std::map<int64_t, Variant> refs;
  std::map<int64_t, Variant> arrays;
  int64_t nextId = 1;
  struct Connection {
    WeakRef<Object> object;
    int32_t cookie;
  };
  std::vector<Connection> connections;
  bool closing = false;
  bool quitting = false;
  bool eventFailed = false;
  int exitCode = 0;
  std::string scriptPath;
  std::string scriptFullPath;
  std::vector<std::string> arguments;
};

Engine& engineOf(duk_context* ctx) {
  duk_memory_functions f;
  duk_get_memory_functions(ctx, &f);
  return *static_cast<Engine*>(f.udata);
}

template <class Map>
void eraseDeferred(Map& map, int64_t id) {
  // The value is dropped after the map is consistent again: releasing it may
  // run code that comes back here.
  auto it = map.find(id);
  if (it == map.end()) return;
  auto value = std::move(it->second);
  map.erase(it);
}

// --- errors ---------------------------------------------------------------

int32_t scriptErrorNumber(int32_t number) {
  if (number > 0 && number <= 0xFFFF) return static_cast<int32_t>(0x800A0000u | static_cast<uint32_t>(number));
  return number;
}

void pushString(duk_context* ctx, BStrView s) {
  const std::string bytes = toCesu8(s);
  duk_push_lstring(ctx, bytes.data(), bytes.size());
}

BStr jsString(duk_context* ctx, duk_idx_t idx) {
  duk_size_t len = 0;
  const char* p = duk_get_lstring(ctx, idx, &len);
  return p ? fromCesu8(std::string_view(p, len)) : BStr();
}

void pushAutomationError(duk_context* ctx, int32_t number, const BStr& description) {
  BStr text = description.empty() ? standardDescription(number) : description;
  if (text.empty()) text = u"Automation error";
  const std::string message = toCesu8(text);
  // No C file name: the error is blamed on the script line that made the call.
  duk_push_error_object_raw(ctx, DUK_ERR_ERROR, nullptr, 0, "%s", message.c_str());
  duk_push_number(ctx, scriptErrorNumber(number));
  duk_put_prop_string(ctx, -2, "number");
  duk_push_lstring(ctx, message.data(), message.size());
  duk_put_prop_string(ctx, -2, "description");
}

void pushQuit(duk_context* ctx) {
  duk_push_object(ctx);
  duk_push_true(ctx);
  duk_put_prop_string(ctx, -2, kQuitKey);
}

bool isQuit(duk_context* ctx, duk_idx_t idx) {
  if (!duk_is_object(ctx, idx)) return false;
  const bool q = duk_get_prop_string(ctx, idx, kQuitKey);
  duk_pop(ctx);
  return q;
}

template <class F>
duk_ret_t guardedBody(duk_context* ctx, F&& body) {
  {
    try {
      return body();
    } catch (const RuntimeError& e) {
      pushAutomationError(ctx, e.number(), e.description());
    } catch (const ScriptQuit&) {
      pushQuit(ctx);
    } catch (const JsPending&) {
      // the error value is on the stack top
    } catch (const std::exception& e) {
      duk_push_error_object_raw(ctx, DUK_ERR_ERROR, nullptr, 0, "%s", e.what());
    } catch (...) {
      duk_push_error_object_raw(ctx, DUK_ERR_ERROR, nullptr, 0, "%s", "internal error");
    }
  }
  return duk_throw(ctx);
}

// A native called by the script: after WScript.Quit every such call throws
// the quit again, so a script that catches it still ends.
template <class F>
duk_ret_t guarded(duk_context* ctx, F&& body) {
  if (engineOf(ctx).quitting) {
    pushQuit(ctx);
    return duk_throw(ctx);
  }
  return guardedBody(ctx, std::forward<F>(body));
}

// --- stash ------------------------------------------------------------------

void pushStashed(duk_context* ctx, const char* key) {
  duk_push_global_stash(ctx);
  duk_get_prop_string(ctx, -1, key);
  duk_remove(ctx, -2);
}

std::optional<int64_t> hiddenId(duk_context* ctx, duk_idx_t idx, const char* key) {
  if (!duk_is_object(ctx, idx)) return std::nullopt;
  std::optional<int64_t> id;
  if (duk_get_prop_string(ctx, idx, key) && duk_is_number(ctx, -1)) id = static_cast<int64_t>(duk_get_number(ctx, -1));
  duk_pop(ctx);
  return id;
}

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

// --- values ---------------------------------------------------------------------

duk_ret_t finalizeObject(duk_context* ctx);
duk_ret_t finalizeRef(duk_context* ctx);
duk_ret_t finalizeArray(duk_context* ctx);
Variant toVariant(duk_context* ctx, duk_idx_t idx, bool argument);

// Pushes a script object that stands for the host's entry `id`: the id
// under `key`, the finalizer that drops the entry, and the stashed
// prototype `proto` when one is named.
void pushHandle(duk_context* ctx, int64_t id, const char* key, duk_c_function finalizer, const char* proto) {
  duk_push_object(ctx);
  if (proto) {
    pushStashed(ctx, proto);
    duk_set_prototype(ctx, -2);
  }
  duk_push_number(ctx, static_cast<double>(id));
  duk_put_prop_string(ctx, -2, key);
  duk_push_c_function(ctx, finalizer, 2);
  duk_set_finalizer(ctx, -2);
}

void pushObject(duk_context* ctx, const ObjectRef& obj) {
  if (!obj) {
    duk_push_null(ctx);
    return;
  }
  Engine& e = engineOf(ctx);
  if (auto js = refCast<JScriptObject>(obj); js && js->belongsTo(&e)) {
    pushStashed(ctx, "jsObjects");
    duk_push_number(ctx, static_cast<double>(js->id()));
    duk_get_prop(ctx, -2);
    duk_remove(ctx, -2);
    if (!duk_is_undefined(ctx, -1)) return;
    duk_pop(ctx);
  }
  const int64_t id = e.nextId++;
  e.objects.emplace(id, obj);
  pushHandle(ctx, id, kObjectKey, finalizeObject, nullptr);
  pushStashed(ctx, "handler");
  duk_push_proxy(ctx, 0);
}

int64_t pushRefObject(duk_context* ctx, Variant slot) {
  Engine& e = engineOf(ctx);
  const int64_t id = e.nextId++;
  e.refs.emplace(id, std::move(slot));
  pushHandle(ctx, id, kRefKey, finalizeRef, "refProto");
  return id;
}

void pushArrayObject(duk_context* ctx, Variant array) {
  Engine& e = engineOf(ctx);
  const int64_t id = e.nextId++;
  e.arrays.emplace(id, std::move(array));
  pushHandle(ctx, id, kArrayKey, finalizeArray, "arrayProto");
}

void pushVariant(duk_context* ctx, const Variant& in) {
  const Variant v = in.value();
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

Variant numberVariant(double d) {
  if (std::isfinite(d) && d >= -2147483648.0 && d <= 2147483647.0 && d == std::trunc(d))
    return Variant(static_cast<int32_t>(d));
  return Variant(d);
}

Variant objectVariant(duk_context* ctx, duk_idx_t idx, bool argument) {
  Engine& e = engineOf(ctx);
  if (auto id = hiddenId(ctx, idx, kObjectKey)) {
    auto it = e.objects.find(*id);
    if (it != e.objects.end()) return Variant(it->second);
  }
  if (auto id = hiddenId(ctx, idx, kRefKey)) {
    auto it = e.refs.find(*id);
    if (it != e.refs.end()) return argument ? Variant::byRef(it->second) : it->second.value();
  }
  if (auto id = hiddenId(ctx, idx, kArrayKey)) {
    auto it = e.arrays.find(*id);
    if (it != e.arrays.end()) return it->second;
  }
  if (duk_get_prop_string(ctx, idx, kMissingKey)) {
    duk_pop(ctx);
    return Variant::missing();
  }
  duk_pop(ctx);
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

Variant toVariant(duk_context* ctx, duk_idx_t idx, bool argument) {
  idx = duk_normalize_index(ctx, idx);
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
    case DUK_TYPE_LIGHTFUNC: return objectVariant(ctx, idx, argument);
    default: raise(err::TypeMismatch);
  }
}

// --- automation objects ---------------------------------------------------------

ObjectRef objectOf(duk_context* ctx, duk_idx_t idx) {
  Engine& e = engineOf(ctx);
  if (auto id = hiddenId(ctx, idx, kObjectKey)) {
    auto it = e.objects.find(*id);
    if (it != e.objects.end()) return it->second;
  }
  raise(err::ObjectRequired);
}

bool hasRequiredParams(const MemberInfo& m) {
  return std::any_of(m.params.begin(), m.params.end(), [](const ParamInfo& p) { return !p.optional; });
}

// Names the engine itself looks up on objects (conversions, JSON).
bool isEngineName(BStrView name) {
  return name == u"toString" || name == u"valueOf" || name == u"toJSON" || name == u"constructor" ||
         name == u"inspect";
}

duk_ret_t callMember(duk_context* ctx);

void pushBoundMember(duk_context* ctx, duk_idx_t targetIdx, const BStr& name) {
  duk_push_c_function(ctx, callMember, DUK_VARARGS);
  duk_dup(ctx, targetIdx);
  duk_put_prop_string(ctx, -2, kTargetKey);
  pushString(ctx, name);
  duk_put_prop_string(ctx, -2, kNameKey);
}

duk_ret_t callMember(duk_context* ctx) {
  return guarded(ctx, [&]() -> duk_ret_t {
    const duk_idx_t nargs = duk_get_top(ctx);
    duk_push_current_function(ctx);
    duk_get_prop_string(ctx, -1, kTargetKey);
    duk_get_prop_string(ctx, -2, kNameKey);
    const BStr name = jsString(ctx, -1);
    const ObjectRef obj = objectOf(ctx, -2);
    duk_pop_3(ctx);
    if (!obj->classInfo().find(name, InvokeKind::Method) && isEngineName(name)) {
      pushString(ctx, u"[object " + obj->classInfo().name() + u"]");
      return 1;
    }
    std::vector<Variant> args;
    args.reserve(static_cast<size_t>(nargs));
    for (duk_idx_t i = 0; i < nargs; ++i) args.push_back(toVariant(ctx, i, true));
    const Variant result = obj->invoke(name, InvokeKind::Method, args);
    pushVariant(ctx, result);
    return 1;
  });
}

// Proxy traps: (target, key[, value], receiver).
duk_ret_t trapGet(duk_context* ctx) {
  return guarded(ctx, [&]() -> duk_ret_t {
    if (!duk_is_string(ctx, 1) || duk_is_symbol(ctx, 1)) {
      duk_push_undefined(ctx);
      return 1;
    }
    const ObjectRef obj = objectOf(ctx, 0);
    const BStr name = jsString(ctx, 1);
    const MemberInfo* m = obj->classInfo().find(name, InvokeKind::PropertyGet);
    if (!m) {
      if (!isEngineName(name)) raise(err::MemberNotSupported);
      if (name == u"toString" || name == u"valueOf")
        pushBoundMember(ctx, 0, name);
      else
        duk_push_undefined(ctx);
      return 1;
    }
    if (m->kind == InvokeKind::PropertyGet && !hasRequiredParams(*m)) {
      std::vector<Variant> none;
      const Variant result = obj->invoke(name, InvokeKind::PropertyGet, none);
      pushVariant(ctx, result);
      return 1;
    }
    pushBoundMember(ctx, 0, name);
    return 1;
  });
}

duk_ret_t trapSet(duk_context* ctx) {
  return guarded(ctx, [&]() -> duk_ret_t {
    if (duk_is_symbol(ctx, 1)) raise(err::MemberNotSupported);
    const ObjectRef obj = objectOf(ctx, 0);
    const BStr name = jsString(ctx, 1);
    std::vector<Variant> args{toVariant(ctx, 2, false)};
    const InvokeKind kind = args[0].vt() == VT_DISPATCH ? InvokeKind::PropertyPutRef : InvokeKind::PropertyPut;
    obj->invoke(name, kind, args);
    duk_push_true(ctx);
    return 1;
  });
}

duk_ret_t trapHas(duk_context* ctx) {
  return guarded(ctx, [&]() -> duk_ret_t {
    const ObjectRef obj = objectOf(ctx, 0);
    const bool has = !duk_is_symbol(ctx, 1) && obj->dispidOf(jsString(ctx, 1)) >= 0;
    duk_push_boolean(ctx, has);
    return 1;
  });
}

duk_ret_t finalizeObject(duk_context* ctx) {
  return guardedBody(ctx, [&]() -> duk_ret_t {
    if (auto id = hiddenId(ctx, 0, kObjectKey)) eraseDeferred(engineOf(ctx).objects, *id);
    return 0;
  });
}
duk_ret_t finalizeRef(duk_context* ctx) {
  return guardedBody(ctx, [&]() -> duk_ret_t {
    if (auto id = hiddenId(ctx, 0, kRefKey)) eraseDeferred(engineOf(ctx).refs, *id);
    return 0;
  });
}
duk_ret_t finalizeArray(duk_context* ctx) {
  return guardedBody(ctx, [&]() -> duk_ret_t {
    if (auto id = hiddenId(ctx, 0, kArrayKey)) eraseDeferred(engineOf(ctx).arrays, *id);
    return 0;
  });
}

// --- Ref ---------------------------------------------------------------------

Variant& refThis(duk_context* ctx) {
  duk_push_this(ctx);
  const auto id = hiddenId(ctx, -1, kRefKey);
  duk_pop(ctx);
  Engine& e = engineOf(ctx);
  auto it = id ? e.refs.find(*id) : e.refs.end();
  if (it == e.refs.end()) raise(err::TypeMismatch);
  return it->second;
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
    refThis(ctx).assign(v);
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

const Variant& arrayThis(duk_context* ctx) {
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

// --- WScript and ActiveXObject ---------------------------------------------------

BStr stringArg(duk_context* ctx, duk_idx_t idx) { return toBStr(toVariant(ctx, idx, false)); }

bool hasArg(duk_context* ctx, duk_idx_t idx) { return duk_get_top(ctx) > idx && !duk_is_undefined(ctx, idx); }

void connectByPrefix(duk_context* ctx, const ObjectRef& obj, duk_idx_t prefixIdx) {
  if (!hasArg(ctx, prefixIdx)) return;
  BStr prefix = stringArg(ctx, prefixIdx);
  if (!prefix.empty()) engineOf(ctx).connect(obj, std::move(prefix));
}

duk_ret_t activeXObject(duk_context* ctx) {
  return guarded(ctx, [&]() -> duk_ret_t {
    const ObjectRef obj = createObject(stringArg(ctx, 0));
    pushObject(ctx, obj);
    return 1;
  });
}

duk_ret_t wsCreateObject(duk_context* ctx) {
  return guarded(ctx, [&]() -> duk_ret_t {
    const ObjectRef obj = createObject(stringArg(ctx, 0));
    connectByPrefix(ctx, obj, 1);
    pushObject(ctx, obj);
    return 1;
  });
}

duk_ret_t wsConnectObject(duk_context* ctx) {
  return guarded(ctx, [&]() -> duk_ret_t {
    const ObjectRef obj = objectOf(ctx, 0);
    connectByPrefix(ctx, obj, 1);
    return 0;
  });
}

duk_ret_t wsDisconnectObject(duk_context* ctx) {
  return guarded(ctx, [&]() -> duk_ret_t {
    const ObjectRef obj = objectOf(ctx, 0);
    engineOf(ctx).disconnect(obj.get());
    return 0;
  });
}

duk_ret_t wsEcho(duk_context* ctx) {
  return guarded(ctx, [&]() -> duk_ret_t {
    const duk_idx_t n = duk_get_top(ctx);
    std::string line;
    for (duk_idx_t i = 0; i < n; ++i) {
      if (i) line += ' ';
      duk_safe_to_string(ctx, i);
      line += utf8(jsString(ctx, i));
    }
    Engine& e = engineOf(ctx);
    e.out << line << '\n';
    e.out.flush();
    return 0;
  });
}

duk_ret_t wsSleep(duk_context* ctx) {
  return guarded(ctx, [&]() -> duk_ret_t {
    const int32_t ms = toI4(toVariant(ctx, 0, false));
    sleepHandler()(ms);
    if (engineOf(ctx).quitting) throw ScriptQuit{};
    return 0;
  });
}

duk_ret_t wsQuit(duk_context* ctx) {
  return guarded(ctx, [&]() -> duk_ret_t {
    const int32_t code = hasArg(ctx, 0) ? toI4(toVariant(ctx, 0, false)) : 0;
    Engine& e = engineOf(ctx);
    e.quitting = true;
    e.exitCode = code;
    throw ScriptQuit{};
  });
}

duk_ret_t argumentsItem(duk_context* ctx) {
  return guarded(ctx, [&]() -> duk_ret_t {
    const int32_t i = toI4(toVariant(ctx, 0, false));
    const auto& args = engineOf(ctx).arguments;
    if (i < 0 || static_cast<size_t>(i) >= args.size()) raise(err::SubscriptOutOfRange);
    pushString(ctx, utf16(args[static_cast<size_t>(i)]));
    return 1;
  });
}

duk_ret_t argumentsCount(duk_context* ctx) {
  return guarded(ctx, [&]() -> duk_ret_t {
    duk_push_int(ctx, static_cast<duk_int_t>(engineOf(ctx).arguments.size()));
    return 1;
  });
}

// --- set-up ----------------------------------------------------------------------

void putFunction(duk_context* ctx, duk_idx_t obj, const char* name, duk_c_function f, duk_idx_t nargs) {
  obj = duk_normalize_index(ctx, obj);
  duk_push_c_function(ctx, f, nargs);
  duk_put_prop_string(ctx, obj, name);
}

void putAccessor(duk_context* ctx, duk_idx_t obj, const char* name, duk_c_function getter, duk_c_function setter) {
  obj = duk_normalize_index(ctx, obj);
  duk_push_string(ctx, name);
  duk_push_c_function(ctx, getter, 0);
  duk_uint_t flags = DUK_DEFPROP_HAVE_GETTER;
  if (setter) {
    duk_push_c_function(ctx, setter, 1);
    flags |= DUK_DEFPROP_HAVE_SETTER;
  }
  duk_def_prop(ctx, obj, flags);
}

void putUtf8(duk_context* ctx, duk_idx_t obj, const char* name, const std::string& value) {
  pushString(ctx, utf16(value));
  duk_put_prop_string(ctx, obj, name);
}

// A constructor with its prototype object (left in the stash under `protoKey`).
void defineClass(duk_context* ctx, const char* name, duk_c_function ctor, const char* protoKey,
                 const std::function<void(duk_idx_t proto)>& members) {
  duk_push_c_function(ctx, ctor, DUK_VARARGS);
  const duk_idx_t c = duk_get_top_index(ctx);
  const duk_idx_t proto = duk_push_object(ctx);
  members(proto);
  duk_dup(ctx, c);
  duk_put_prop_string(ctx, proto, "constructor");
  duk_push_global_stash(ctx);
  duk_dup(ctx, proto);
  duk_put_prop_string(ctx, -2, protoKey);
  duk_pop(ctx);
  duk_put_prop_string(ctx, c, "prototype");
  duk_put_global_string(ctx, name);
}

// Reports an uncaught error: "file(line): Name: message (number)".
constexpr const char* kFormatError =
    "(function (e) {\n"
    "  if (e !== null && typeof e === 'object' && 'message' in e) {\n"
    "    var where = e.fileName ? String(e.fileName) : '';\n"
    "    if (e.lineNumber) where += '(' + e.lineNumber + ')';\n"
    "    var text = (e.name || 'Error') + ': ' + e.message;\n"
    "    if (typeof e.number === 'number')\n"
    "      text += ' (' + ((e.number & 0xFFFF0000) === (0x800A0000 | 0) ? e.number & 0xFFFF : e.number) + ')';\n"
    "    return where ? where + ': ' + text : text;\n"
    "  }\n"
    "  return 'Uncaught: ' + String(e);\n"
    "})";

duk_ret_t installGlobals(duk_context* ctx, void* udata) {
  Engine& e = *static_cast<Engine*>(udata);
  duk_push_global_stash(ctx);
  const duk_idx_t stash = duk_get_top_index(ctx);
  duk_get_global_string(ctx, "Date");
  duk_get_prop_string(ctx, -1, "prototype");
  duk_get_prop_string(ctx, -1, "getTime");
  duk_put_prop_string(ctx, stash, "getTime");
  duk_pop(ctx);
  duk_put_prop_string(ctx, stash, "Date");
  duk_push_object(ctx);
  duk_put_prop_string(ctx, stash, "jsObjects");
  duk_eval_string(ctx, kFormatError);
  duk_put_prop_string(ctx, stash, "formatError");
  const duk_idx_t handler = duk_push_object(ctx);
  putFunction(ctx, handler, "get", trapGet, 3);
  putFunction(ctx, handler, "set", trapSet, 4);
  putFunction(ctx, handler, "has", trapHas, 2);
  duk_put_prop_string(ctx, stash, "handler");

  const duk_idx_t missing = duk_push_object(ctx);
  duk_push_true(ctx);
  duk_put_prop_string(ctx, missing, kMissingKey);
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
  });
  duk_get_global_string(ctx, "VBArray");
  putFunction(ctx, -1, "from", arrayFrom, DUK_VARARGS);
  duk_pop(ctx);

  duk_push_c_function(ctx, activeXObject, DUK_VARARGS);
  duk_put_global_string(ctx, "ActiveXObject");

  const duk_idx_t ws = duk_push_object(ctx);
  putFunction(ctx, ws, "Echo", wsEcho, DUK_VARARGS);
  putFunction(ctx, ws, "Sleep", wsSleep, 1);
  putFunction(ctx, ws, "Quit", wsQuit, DUK_VARARGS);
  putFunction(ctx, ws, "CreateObject", wsCreateObject, DUK_VARARGS);
  putFunction(ctx, ws, "ConnectObject", wsConnectObject, 2);
  putFunction(ctx, ws, "DisconnectObject", wsDisconnectObject, 1);
  putUtf8(ctx, ws, "ScriptName", std::filesystem::path(e.scriptPath).filename().string());
  putUtf8(ctx, ws, "ScriptFullName", e.scriptFullPath);
  // Arguments(i) is Arguments.Item(i).
  duk_push_c_function(ctx, argumentsItem, 1);
  const duk_idx_t args = duk_get_top_index(ctx);
  for (size_t i = 0; i < e.arguments.size(); ++i) {
    pushString(ctx, utf16(e.arguments[i]));
    duk_put_prop_index(ctx, args, static_cast<duk_uarridx_t>(i));
  }
  duk_push_string(ctx, "length");
  duk_push_uint(ctx, static_cast<duk_uint_t>(e.arguments.size()));
  duk_def_prop(ctx, args, DUK_DEFPROP_HAVE_VALUE | DUK_DEFPROP_FORCE);
  putFunction(ctx, args, "Item", argumentsItem, 1);
  putFunction(ctx, args, "Count", argumentsCount, 0);
  duk_put_prop_string(ctx, ws, "Arguments");
  duk_put_global_string(ctx, "WScript");

  for (const auto& [name, obj] : globalObjects()) {
    pushObject(ctx, obj);
    duk_put_global_string(ctx, name.c_str());
  }
  duk_pop(ctx);  // stash
  return 0;
}

[[noreturn]] void fatal(void*, const char* msg) {
  std::fprintf(stderr, "sorvanelix-script: fatal script engine error: %s\n", msg ? msg : "");
  std::abort();
}

// Protected: the stack ends with [name, args...] (a safe call works on the
// caller's frame); calls the global function `name` when there is one.
duk_ret_t callGlobalFunction(duk_context* ctx, void* udata) {
  const duk_idx_t nargs = *static_cast<const duk_idx_t*>(udata);
  const duk_idx_t base = duk_get_top(ctx) - nargs - 1;
  duk_push_global_object(ctx);
  duk_dup(ctx, base);
  duk_get_prop(ctx, -2);  // [name, args..., global, fn]
  if (!duk_is_callable(ctx, -1)) {
    duk_push_undefined(ctx);
    return 1;
  }
  duk_insert(ctx, base);  // [fn, name, args..., global]
  duk_pop(ctx);
  duk_remove(ctx, base + 1);  // [fn, args...]
  duk_call(ctx, nargs);
  return 1;
}

void serveMessagesWhileSleeping(int ms) {
  const int64_t deadline = Clock::nowMs() + std::max(ms, 0);
  for (;;) {
    messageLoop().doEvents();
    const int64_t now = Clock::nowMs();
    if (now >= deadline) return;
    Clock::waitUntil(std::min(deadline, now + (Clock::isVirtual() ? 1 : 10)));
  }
}

std::function<void(int)>& sleepHandler() {
  static std::function<void(int)> h = serveMessagesWhileSleeping;
  return h;
}

// --- Engine ----------------------------------------------------------------------

void JScriptObject::terminate() {
  if (auto e = engine_.lock()) e->dropScriptObject(id_);
}

void ScriptSink::onEvent(Object&, const EventInfo& event, std::span<Variant> args) {
  if (auto e = engine_.lock()) e->deliverEvent(prefix_ + event.name, args);
}

void Engine::dropScriptObject(int64_t id) {
  if (closing || !ctx || !duk_check_stack(ctx, 4)) return;
  pushStashed(ctx, "jsObjects");
  duk_push_number(ctx, static_cast<double>(id));
  duk_del_prop(ctx, -2);
  duk_pop(ctx);
}

void Engine::report(duk_idx_t idx) {
  idx = duk_normalize_index(ctx, idx);
  pushStashed(ctx, "formatError");
  duk_dup(ctx, idx);
  if (duk_pcall(ctx, 1) != DUK_EXEC_SUCCESS) {
    duk_pop(ctx);
    duk_dup(ctx, idx);
  }
  duk_safe_to_string(ctx, -1);
  err << utf8(jsString(ctx, -1)) << '\n';
  err.flush();
  duk_pop(ctx);
}

void Engine::deliverEvent(const BStr& function, std::span<Variant> args) {
  // After an error in an event function, or after Quit, no event reaches the
  // script any more.
  if (closing || quitting || eventFailed || !ctx) return;
  if (!duk_check_stack(ctx, static_cast<duk_idx_t>(args.size()) + 8)) return;
  const duk_idx_t base = duk_get_top(ctx);
  pushString(ctx, function);
  std::vector<int64_t> ids;
  // Each argument becomes a Ref bound to the raiser's variable.
  for (Variant& a : args) ids.push_back(pushRefObject(ctx, a.isByRef() ? a : Variant::byRef(a)));
  duk_idx_t nargs = static_cast<duk_idx_t>(args.size());
  const duk_int_t rc = duk_safe_call(ctx, callGlobalFunction, &nargs, nargs + 1, 1);
  if (rc != DUK_EXEC_SUCCESS && !isQuit(ctx, -1)) {
    report(-1);
    eventFailed = true;
  }
  duk_set_top(ctx, base);
  // Refs that the script kept now hold their own copies: the raiser's
  // variables end with the raise.
  for (int64_t id : ids) {
    auto it = refs.find(id);
    if (it == refs.end()) continue;
    try {
      Variant plain = it->second.value();
      it->second = std::move(plain);
    } catch (const RuntimeError&) {
      it->second = Variant();
    }
  }
  if (quitting) throw ScriptQuit{};
}

int Engine::run(std::string_view source, const std::string& path, const std::vector<std::string>& args) {
  scriptPath = path;
  std::error_code ec;
  const auto full = std::filesystem::absolute(path, ec);
  scriptFullPath = ec ? path : full.lexically_normal().string();
  arguments = args;
  ctx = duk_create_heap(nullptr, nullptr, nullptr, this, fatal);
  if (!ctx) {
    err << "sorvanelix-script: cannot create the script engine\n";
    return 1;
  }
  if (duk_safe_call(ctx, installGlobals, this, 0, 1) != DUK_EXEC_SUCCESS) {
    err << "sorvanelix-script: cannot set up the script objects: " << duk_safe_to_string(ctx, -1) << '\n';
    shutdown();
    return 1;
  }
  duk_pop(ctx);

  int status = 0;
  const std::string code = toCesu8(utf16(source));
  duk_push_lstring(ctx, code.data(), code.size());
  duk_push_string(ctx, path.c_str());
  if (duk_pcompile(ctx, 0) != DUK_EXEC_SUCCESS) {
    report(-1);
    status = 1;
  } else if (duk_pcall(ctx, 0) != DUK_EXEC_SUCCESS) {
    if (quitting || isQuit(ctx, -1)) {
      status = exitCode;
    } else {
      report(-1);
      status = 1;
    }
  } else {
    status = quitting ? exitCode : (eventFailed ? 1 : 0);
  }
  duk_pop(ctx);
  shutdown();
  return status;
}

void Engine::shutdown() {
  if (!ctx) return;
  closing = true;
  for (const Connection& c : connections)
    if (Object* o = c.object.get()) o->disconnect(c.cookie);
  connections.clear();
  // The heap's finalizers drop most values; what is left is released after
  // the heap is gone.
  duk_destroy_heap(std::exchange(ctx, nullptr));
  auto leftObjects = std::move(objects);
  auto leftRefs = std::move(refs);
  auto leftArrays = std::move(arrays);
  objects.clear();
  refs.clear();
  arrays.clear();
}

}  // namespace

ScriptHost::ScriptHost() : ScriptHost(std::cout, std::cerr) {}
ScriptHost::ScriptHost(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

int ScriptHost::run(std::string_view source, const std::string& scriptPath, const std::vector<std::string>& args) {
  auto engine = std::make_shared<Engine>(out_, err_);
  return engine->run(source, scriptPath, args);
}

int ScriptHost::runFile(const std::string& path, const std::vector<std::string>& args) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    err_ << "sorvanelix-script: cannot read " << path << '\n';
    return 1;
  }
  std::ostringstream text;
  text << in.rdbuf();
  std::string source = text.str();
  if (source.starts_with("\xEF\xBB\xBF")) source.erase(0, 3);
  return run(source, path, args);
}

void setSleepHandler(std::function<void(int)> handler) { sleepHandler() = std::move(handler); }
void resetSleepHandler() { sleepHandler() = serveMessagesWhileSleeping; }

void addGlobalObject(std::string name, ObjectRef object) {
  auto& g = globalObjects();
  for (auto& [n, o] : g) {
    if (n == name) {
      o = std::move(object);
      return;
    }
  }
  g.emplace_back(std::move(name), std::move(object));
}

void removeGlobalObject(std::string_view name) {
  auto& g = globalObjects();
  g.erase(std::remove_if(g.begin(), g.end(), [&](const auto& p) { return p.first == name; }), g.end());
}

}  // namespace svx::host
