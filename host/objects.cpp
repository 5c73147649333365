#include "host/objects.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <vector>

#include "host/trace.h"
#include "platform/automation/closest_name.h"
#include "host/values.h"
#include "platform/automation/small_variants.h"

namespace svx::host {

namespace {

duk_ret_t finalizeObject(duk_context* ctx) {
  return guardedBody(ctx, [&]() -> duk_ret_t {
    Engine& e = engineOf(ctx);
    e.targets.erase(duk_get_heapptr(ctx, 0));
    e.held.erase(duk_get_heapptr(ctx, 0));
    if (auto id = hiddenId(ctx, 0, kObjectKey)) eraseDeferred(e.objects, *id);
    return 0;
  });
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

// Error 438 for `name`, which `cls` has not for `kind`: its report names the
// member, and the nearest name of the class when it has none of that name.
[[noreturn]] void raiseNoMember(const ClassInfo& cls, const BStr& name, InvokeKind kind) {
  const BStr member = cls.name() + u"." + name;
  if (cls.dispidOf(name) >= 0) {
    const bool put = kind == InvokeKind::PropertyPut || kind == InvokeKind::PropertyPutRef;
    throw NotFoundError(err::MemberNotSupported, member + (put ? u" cannot be assigned" : u" can only be assigned"));
  }
  std::vector<BStr> names;
  for (const MemberInfo* m : cls.members())
    if (names.empty() || names.back() != m->name) names.push_back(m->name);
  BStr detail = cls.name() + u" has no member '" + name + u"'";
  if (const BStr near = closestName(name, names); !near.empty()) detail += u"; did you mean '" + near + u"'?";
  throw NotFoundError(err::MemberNotSupported, std::move(detail));
}

Engine::RecentMember& recentSlot(Engine& e, const MemberKey& key) {
  const uint64_t h = (reinterpret_cast<uintptr_t>(key.cls) ^ reinterpret_cast<uintptr_t>(key.name) * 31) *
                     0x9E3779B97F4A7C15ull;
  return e.recentMembers[h >> 56];
}

// What the name string `name` means on `cls` when a lookup found it lately
// (only strings that are no symbols are ever found); else null.
const MemberEntry* recentMember(Engine& e, const ClassInfo& cls, const void* name) {
  const MemberKey key{&cls, name};
  const Engine::RecentMember& recent = recentSlot(e, key);
  return recent.entry && recent.key == key ? recent.entry : nullptr;
}

// What the name at `nameIdx` means on `cls`; `spare` holds it when the cache
// is full.
const MemberEntry& memberEntry(duk_context* ctx, const ClassInfo& cls, duk_idx_t nameIdx,
                               std::optional<MemberEntry>& spare) {
  Engine& e = engineOf(ctx);
  const MemberKey key{&cls, duk_get_heapptr(ctx, nameIdx)};
  Engine::RecentMember& recent = recentSlot(e, key);
  if (recent.entry && recent.key == key) return *recent.entry;
  if (auto it = e.members.find(key); it != e.members.end()) {
    recent = {key, &it->second};
    return it->second;
  }
  MemberEntry entry;
  entry.name = jsString(ctx, nameIdx);
  entry.get = cls.find(entry.name, InvokeKind::PropertyGet);
  entry.method = cls.find(entry.name, InvokeKind::Method);
  entry.plainGet = entry.get && entry.get->kind == InvokeKind::PropertyGet && !hasRequiredParams(*entry.get);
  if (e.members.size() >= Engine::kMaxCachedMembers || e.closing) return spare.emplace(std::move(entry));
  // The name string stays alive while its pointer is a key.
  pushStashed(ctx, "memberNames");
  duk_dup(ctx, nameIdx);
  duk_put_prop_index(ctx, -2, static_cast<duk_uarridx_t>(e.members.size()));
  duk_pop(ctx);
  return e.members.emplace(key, std::move(entry)).first->second;
}

duk_ret_t finalizeBound(duk_context* ctx) {
  return guardedBody(ctx, [&]() -> duk_ret_t {
    Engine& e = engineOf(ctx);
    e.boundFunctions.erase(duk_get_heapptr(ctx, 0));
    if (auto id = hiddenId(ctx, 0, kBoundKey)) eraseDeferred(e.bound, *id);
    return 0;
  });
}

// What the engine notes for the target at `target`, made on first use.
Engine::TargetHeld& heldFor(Engine& e, void* target) {
  if (Engine::TargetHeld* held = e.held.find(target)) return *held;
  e.held.insert_or_assign(target, Engine::TargetHeld{});
  return *e.held.find(target);
}

// Pushes the object (or array) that the target at absolute index targetIdx
// keeps under the hidden key `key`, made on first use.
void pushKeptOnTarget(duk_context* ctx, duk_idx_t targetIdx, const char* key, bool array) {
  pushKey(ctx, key);
  if (duk_get_prop(ctx, targetIdx)) return;
  duk_pop(ctx);
  if (array)
    duk_push_bare_array(ctx);
  else
    duk_push_bare_object(ctx);
  pushKey(ctx, key);
  duk_dup(ctx, -2);
  duk_put_prop(ctx, targetIdx);
}

// Notes the function the target's methods object holds under `name`.
void holdBound(Engine& e, void* target, const void* name, void* function) {
  if (e.closing || !function) return;
  Engine::TargetHeld& held = heldFor(e, target);
  if (held.bound.size() < Engine::kMaxHeldBound) held.bound.emplace_back(name, function);
}

// Pushes the function bound to member `name` (at nameIdx) of `obj`, whose
// Proxy target is at targetIdx: one function per object and name, kept on
// the target. The function holds the object itself (not the target, which
// would make a cycle that only a full collection frees).
void pushBoundMember(duk_context* ctx, duk_idx_t targetIdx, duk_idx_t nameIdx, const ObjectRef& obj,
                     const MemberEntry& member, std::optional<MemberEntry>& spare) {
  Engine& e = engineOf(ctx);
  void* const target = duk_get_heapptr(ctx, targetIdx);
  const void* const name = duk_get_heapptr(ctx, nameIdx);
  if (const Engine::TargetHeld* held = e.held.find(target)) {
    for (const auto& [n, function] : held->bound) {
      if (n == name) {
        duk_push_heapptr(ctx, function);
        return;
      }
    }
  }
  targetIdx = duk_normalize_index(ctx, targetIdx);
  nameIdx = duk_normalize_index(ctx, nameIdx);
  pushKeptOnTarget(ctx, targetIdx, kMethodsKey, false);
  duk_dup(ctx, nameIdx);
  if (duk_get_prop(ctx, -2)) {
    duk_remove(ctx, -2);
    holdBound(e, target, name, duk_get_heapptr(ctx, -1));
    return;
  }
  duk_pop(ctx);
  const int64_t id = e.nextId++;
  Engine::BoundMember& b = e.bound.emplace(id, Engine::BoundMember{obj, &member, std::move(spare)}).first->second;
  if (b.own) b.member = &*b.own;
  duk_push_c_function(ctx, callMember, DUK_VARARGS);
  pushSharedFunction(ctx, finalizeBound, 2);
  duk_set_finalizer(ctx, -2);
  e.boundFunctions.insert_or_assign(duk_get_heapptr(ctx, -1), &b);
  pushKey(ctx, kBoundKey);
  duk_push_number(ctx, static_cast<double>(id));
  duk_put_prop(ctx, -3);
  duk_dup(ctx, nameIdx);
  duk_dup(ctx, -2);
  duk_put_prop(ctx, -4);  // methods[name] = function
  duk_remove(ctx, -2);
  holdBound(e, target, name, duk_get_heapptr(ctx, -1));
}

bool isAscii(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The arguments are the call's own: a by-value parameter takes its value.
Variant invokeFound(Object& obj, const MemberInfo* m, std::span<Variant> args) {
  if (!m) raise(err::MemberNotSupported);
  return invokeMemberTaking(obj, *m, args);
}

// Pushes what a member of the object whose Proxy target is `target`
// returned. A part of that object comes back as the proxy made for it the
// first time, which the target keeps.
void pushResult(duk_context* ctx, void* target, const Variant& result) {
  if (result.vt() != VT_DISPATCH || !result.asObject() || !result.asObject()->classInfo().isPartOfParent()) {
    pushVariant(ctx, result);
    return;
  }
  Engine& e = engineOf(ctx);
  const Object* const part = result.asObject().get();
  if (auto* kept = e.held.find(target)) {
    for (const auto& [object, proxy] : kept->parts) {
      if (object == part) {
        duk_push_heapptr(ctx, proxy);
        return;
      }
    }
  }
  pushObject(ctx, result.asObject());
  // Finalizers may have run: the entry is looked for again.
  const Engine::TargetHeld* kept = e.held.find(target);
  const size_t n = kept ? kept->parts.size() : 0;
  if (e.closing || n >= Engine::kMaxParts) return;
  const duk_idx_t targetIdx = duk_push_heapptr(ctx, target);
  pushKeptOnTarget(ctx, targetIdx, kPartsKey, true);
  duk_dup(ctx, targetIdx - 1);
  duk_put_prop_index(ctx, -2, static_cast<duk_uarridx_t>(n));
  duk_pop_2(ctx);
  heldFor(e, target).parts.emplace_back(part, duk_get_heapptr(ctx, -1));
}

// Calls the member found as `m` for `name`, through the trace when it is on.
Variant call(duk_context* ctx, Object& obj, const MemberInfo* m, const BStr& name, InvokeKind kind,
             std::vector<Variant>& args, std::vector<BStr>& names) {
  Engine& e = engineOf(ctx);
  if (e.trace) return tracedCall(e, obj, name, kind, args, names);
  return names.empty() ? invokeFound(obj, m, args) : obj.invoke(name, kind, args, names);
}

bool isNamed(duk_context* ctx, duk_idx_t idx) {
  if (!duk_is_object(ctx, idx)) return false;
  // The script's Refs, known by address, are not.
  if (engineOf(ctx).refAddresses.contains(duk_get_heapptr(ctx, idx))) return false;
  const bool named = duk_get_prop_string(ctx, idx, kNamedKey);
  duk_pop(ctx);
  return named;
}

// Protected: [Named(...)] -> [names, values], the own enumerable properties
// of the object it holds (reading them may run script code).
duk_ret_t copyNamedArguments(duk_context* ctx, void*) {
  const duk_idx_t marker = duk_get_top_index(ctx);
  duk_get_prop_string(ctx, marker, kNamedKey);
  const duk_idx_t names = duk_push_array(ctx);
  const duk_idx_t values = duk_push_array(ctx);
  duk_enum(ctx, marker + 1, DUK_ENUM_OWN_PROPERTIES_ONLY);
  for (duk_uarridx_t i = 0; duk_next(ctx, -1, 1); ++i) {
    duk_put_prop_index(ctx, values, i);
    duk_put_prop_index(ctx, names, i);
  }
  duk_pop(ctx);
  return 2;
}

// A call's result: with a target as pushResult pushes it, else as it is.
// Kept apart from pushResult: the null check inside it measured 2-3 % slower
// on a walk that reads fields by name.
void pushCallResult(duk_context* ctx, const Variant& result, void* target) {
  if (target)
    pushResult(ctx, target, result);
  else
    pushVariant(ctx, result);
}

// Reads the Named(...) argument at `idx` into `args` and `names`.
void namedArguments(duk_context* ctx, duk_idx_t idx, std::vector<Variant>& args, std::vector<BStr>& names) {
  duk_dup(ctx, idx);
  if (duk_safe_call(ctx, copyNamedArguments, nullptr, 1, 2) != DUK_EXEC_SUCCESS) {
    duk_pop(ctx);  // the error is below the second result
    throw JsPending{};
  }
  const duk_idx_t values = duk_get_top_index(ctx);
  const duk_idx_t keys = values - 1;
  const auto n = static_cast<duk_uarridx_t>(duk_get_length(ctx, values));
  for (duk_uarridx_t i = 0; i < n; ++i) {
    duk_get_prop_index(ctx, keys, i);
    names.push_back(jsString(ctx, -1));
    duk_get_prop_index(ctx, values, i);
    args.push_back(toVariant(ctx, -1, true));
    duk_pop_2(ctx);
  }
  duk_pop_2(ctx);
}

// Calls `method` (named `name`) of `obj` with the native function's
// arguments (a trailing Named(...) by name) and pushes its result.
// `target`: the object's Proxy target, when that is the native function.
duk_ret_t callWithArguments(duk_context* ctx, Object& obj, const MemberInfo* method, const BStr& name,
                            void* target = nullptr) {
  Engine& e = engineOf(ctx);
  duk_idx_t nargs = duk_get_top(ctx);
  const bool named = nargs > 0 && isNamed(ctx, nargs - 1);
  if (named) --nargs;
  if (!named && !e.trace) {
    // A part by its name, given as ASCII text, found without a wide string.
    if (nargs == 1 && method && method->peekPart && duk_is_string(ctx, 0) && !duk_is_symbol(ctx, 0)) {
      duk_size_t n = 0;
      const char* p = duk_get_lstring(ctx, 0, &n);
      if (const std::string_view name(p, n); isAscii(name)) {
        if (ObjectRef part = peekMemberPart(obj, *method, name)) {
          pushCallResult(ctx, Variant(std::move(part)), target);
          return 1;
        }
      }
    }
    // The common call: arguments on the stack.
    SmallVariants<12> args(static_cast<size_t>(nargs));
    for (duk_idx_t i = 0; i < nargs; ++i) args.push(toVariant(e, ctx, i, true));
    const Variant result = invokeFound(obj, method, args.span());
    pushCallResult(ctx, result, target);
    return 1;
  }
  std::vector<Variant> args;
  args.reserve(static_cast<size_t>(nargs));
  for (duk_idx_t i = 0; i < nargs; ++i) args.push_back(toVariant(ctx, i, true));
  std::vector<BStr> names;
  if (named) namedArguments(ctx, nargs, args, names);
  const Variant result = call(ctx, obj, method, name, InvokeKind::Method, args, names);
  pushCallResult(ctx, result, target);
  return 1;
}

duk_ret_t callMember(duk_context* ctx) {
  return guarded(ctx, [&]() -> duk_ret_t {
    Engine& e = engineOf(ctx);
    duk_push_current_function(ctx);
    const Engine::BoundMember* const* found = e.boundFunctions.find(duk_get_heapptr(ctx, -1));
    duk_pop(ctx);
    if (!found) raise(err::ObjectRequired);
    const Engine::BoundMember& b = **found;
    // Copies: the call may drop the function and with it its entry.
    const ObjectRef obj = b.object;
    std::optional<MemberEntry> own = b.own;
    const MemberEntry& member = own ? *own : *b.member;
    if (!member.method && isEngineName(member.name)) {
      pushString(ctx, u"[object " + obj->classInfo().name() + u"]");
      return 1;
    }
    return callWithArguments(ctx, *obj, member.method, member.name);
  });
}

// Whether the script may call the object itself: a collection, whose default
// member takes an argument (Item). Any other object is a plain object for
// typeof and instanceof.
bool isCallable(const ClassInfo& cls) {
  const MemberInfo* m = cls.find(0, InvokeKind::Method);
  return m && hasRequiredParams(*m);
}

// A call of the object itself (the Proxy's target is this function): its
// default member, so that calling a property's value with arguments reaches
// the default member of the object it holds (rs.Fields("name"),
// frm.Controls(3)).
duk_ret_t callDefaultMember(duk_context* ctx) {
  return guarded(ctx, [&]() -> duk_ret_t {
    duk_push_current_function(ctx);
    void* const target = duk_get_heapptr(ctx, -1);
    // The target's entry is read here rather than through objectOf: the
    // by-name walk measured 8 % slower through objectOf.
    Engine& e = engineOf(ctx);
    const Engine::Target* t = e.targets.find(target);
    const ObjectRef obj = t ? *t->object : objectOf(ctx, -1);
    duk_pop(ctx);
    const MemberInfo* m = duk_is_constructor_call(ctx) ? nullptr : e.defaultMember.find(obj->classInfo(), 0, InvokeKind::Method);
    if (!m) {
      if (e.trace) traceUnknownMember(e, *obj, u"(default member)", err::MemberNotSupported);
      raise(err::MemberNotSupported);
    }
    return callWithArguments(ctx, *obj, m, m->name, target);
  });
}

// Proxy traps: (target, key[, value], receiver).
duk_ret_t trapGet(duk_context* ctx) {
  return guarded(ctx, [&]() -> duk_ret_t {
    Engine& e = engineOf(ctx);
    void* const target = duk_get_heapptr(ctx, 0);
    const Engine::Target* t = e.targets.find(target);
    // A name read lately on the class takes one probe; only a string that
    // is no symbol is ever found there.
    const MemberEntry* member = t ? recentMember(e, *t->cls, duk_get_heapptr(ctx, 1)) : nullptr;
    if (!member && (!duk_is_string(ctx, 1) || duk_is_symbol(ctx, 1))) {
      duk_push_undefined(ctx);
      return 1;
    }
    const ObjectRef obj = t ? *t->object : objectOf(ctx, 0);
    std::optional<MemberEntry> spare;
    if (!member) member = &memberEntry(ctx, obj->classInfo(), 1, spare);
    if (!member->get) {
      if (!isEngineName(member->name)) {
        if (e.trace) traceUnknownMember(e, *obj, member->name, err::MemberNotSupported);
        raiseNoMember(obj->classInfo(), member->name, InvokeKind::PropertyGet);
      }
      if (member->name == u"toString" || member->name == u"valueOf")
        pushBoundMember(ctx, 0, 1, obj, *member, spare);
      else
        duk_push_undefined(ctx);
      return 1;
    }
    if (!member->plainGet) {
      pushBoundMember(ctx, 0, 1, obj, *member, spare);
      return 1;
    }
    if (!e.trace) {
      // A number, or ASCII text given as bytes (already the engine's
      // string), is pushed as it is.
      const PeekedValue peeked = peekMemberValue(*obj, *member->get);
      if (peeked.kind == PeekedValue::Kind::Number) {
        duk_push_number(ctx, peeked.number);
        return 1;
      }
      if (peeked.kind == PeekedValue::Kind::Text && isAscii(peeked.text)) {
        duk_push_lstring(ctx, peeked.text.data(), peeked.text.size());
        return 1;
      }
      const Variant result = invokeMember(*obj, *member->get, {});
      pushResult(ctx, target, result);
      return 1;
    }
    std::vector<Variant> none;
    std::vector<BStr> noNames;
    const Variant result = call(ctx, *obj, member->get, member->name, InvokeKind::PropertyGet, none, noNames);
    pushResult(ctx, target, result);
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
    std::vector<BStr> noNames;
    const MemberInfo* m = obj->classInfo().find(name, kind);
    try {
      call(ctx, *obj, m, name, kind, args, noNames);
    } catch (const RuntimeError& e) {
      if (!m && e.number() == err::MemberNotSupported) raiseNoMember(obj->classInfo(), name, kind);
      throw;
    }
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

duk_ret_t namedConstruct(duk_context* ctx) {
  return guarded(ctx, [&]() -> duk_ret_t {
    const auto handle = hiddenId(ctx, 0, kHandleKey);
    const bool automation = handle && engineOf(ctx).objects.contains(*handle);
    if (!duk_is_object(ctx, 0) || duk_is_function(ctx, 0) || automation || isNamed(ctx, 0))
      raise(err::TypeMismatch, u"Named expects an object of argument names and values");
    duk_push_object(ctx);
    duk_dup(ctx, 0);
    duk_put_prop_string(ctx, -2, kNamedKey);
    duk_freeze(ctx, -1);
    return 1;
  });
}

}  // namespace

bool isNamedArguments(duk_context* ctx, duk_idx_t idx) { return isNamed(ctx, idx); }

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
  const ObjectRef& stored = e.objects.emplace(id, obj).first->second;
  pushHandle(ctx, id, kObjectKey, finalizeObject, nullptr, isCallable(obj->classInfo()) ? callDefaultMember : nullptr);
  e.targets.insert_or_assign(duk_get_heapptr(ctx, -1), Engine::Target{&stored, &stored->classInfo()});
  pushStashed(ctx, "handler");
  duk_push_proxy(ctx, 0);
}

ObjectRef objectOf(duk_context* ctx, duk_idx_t idx) {
  Engine& e = engineOf(ctx);
  // A Proxy's target (as the traps get it) by its address.
  if (void* p = duk_get_heapptr(ctx, idx)) {
    if (const Engine::Target* t = e.targets.find(p)) return *t->object;
  }
  if (auto id = hiddenId(ctx, idx, kObjectKey)) {
    auto it = e.objects.find(*id);
    if (it != e.objects.end()) return it->second;
  }
  raise(err::ObjectRequired);
}

void installObjects(duk_context* ctx, duk_idx_t stash) {
  stash = duk_normalize_index(ctx, stash);
  // Without a prototype: the traps the engine looks for and does not find
  // (apply on every call of a collection) are missed at once.
  const duk_idx_t handler = duk_push_bare_object(ctx);
  putFunction(ctx, handler, "get", trapGet, 3);
  putFunction(ctx, handler, "set", trapSet, 4);
  putFunction(ctx, handler, "has", trapHas, 2);
  duk_put_prop_string(ctx, stash, "handler");
  duk_push_array(ctx);
  duk_put_prop_string(ctx, stash, "memberNames");
  duk_push_bare_object(ctx);
  duk_put_prop_string(ctx, stash, "eventNames");
  duk_push_c_function(ctx, namedConstruct, 1);
  duk_put_global_string(ctx, "Named");
}

}  // namespace svx::host
