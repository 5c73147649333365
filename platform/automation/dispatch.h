// Dispatch: each automation class declares its members and events once, in
// interface order, in one ClassInfo table. Calls by name or DISPID, argument
// binding (by value, by reference, optional), the default member and the type
// information all come from that table.
//
//   const ClassInfo& Sample::info() {
//     static const ClassInfo ci = ClassInfo(u"Sample")
//         .method<&Sample::Add>(u"Add", {in(u"a"), inOpt(u"b"), refOpt(u"lngErrNumber")},
//                               u"Adds two numbers.")
//         .get<&Sample::Caption>(u"Caption", {}, u"Returns the caption.")
//         .let<&Sample::setCaption>(u"Caption", {in(u"strNewCaption")})
//         .event(u"Changed", {u"intIndex"}, u"Occurs when it changes.");
//     return ci;
//   }
//
// A bound member function takes one `Variant&` per declared parameter. For a
// by-value parameter it is the callee's own copy; for a by-reference one it is
// the caller's variable (write it with Variant::assign so references are
// written through); an omitted optional parameter holds the missing marker.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/automation/error.h"
#include "platform/automation/name_index.h"
#include "platform/automation/variant.h"

namespace svx {

struct ParamInfo {
  BStr name;
  bool optional = false;
  bool byRef = false;
};

inline ParamInfo in(BStr name) { return {std::move(name), false, false}; }
inline ParamInfo inOpt(BStr name) { return {std::move(name), true, false}; }
inline ParamInfo ref(BStr name) { return {std::move(name), false, true}; }
inline ParamInfo refOpt(BStr name) { return {std::move(name), true, true}; }

// The bound arguments of one call, one per declared parameter.
class Args {
 public:
  explicit Args(std::span<Variant*> slots) : slots_(slots) {}
  Variant& operator[](size_t i) const { return *slots_[i]; }
  size_t size() const { return slots_.size(); }

 private:
  std::span<Variant*> slots_;
};

using MemberCall = std::function<Variant(Object& self, const Args& args)>;
// What a property get can give without a Variant, for a caller that wants
// text as bytes and numbers as doubles (a script engine): text as the UTF-8
// bytes it keeps (valid until the next call on the object), or a number
// whose double is its value. Nothing when the value is of another kind; the
// caller then calls the member itself.
struct PeekedValue {
  enum class Kind : uint8_t { Nothing, Text, Number };
  Kind kind = Kind::Nothing;
  std::string_view text;
  double number = 0;
};
using ValuePeek = PeekedValue (*)(Object& self);
// A member of one parameter that returns parts of its object (a
// collection's Item) and can find the part for a name given as ASCII bytes:
// for a caller that has the name as bytes. Null when it has no part of that
// name; the caller then calls the member itself, which raises the error.
using PartPeek = ObjectRef (*)(Object& self, std::string_view asciiName);

struct MemberInfo {
  int32_t dispid = 0;
  BStr name;
  InvokeKind kind = InvokeKind::Method;
  std::vector<ParamInfo> params;
  BStr description;
  MemberCall call;
  // What a call returns, for the type information; empty: nothing.
  BStr result;
  ValuePeek peekValue = nullptr;
  PartPeek peekPart = nullptr;
};

struct EventInfo {
  int32_t dispid = 0;
  BStr name;
  std::vector<BStr> params;  // every event parameter is a Variant by reference
  BStr description;
};

// What a lookup gave for each event of one class, worked out once per event
// and kept by its number (1 up to 4096; another number is looked up on
// every call).
template <class T>
class PerEvent {
 public:
  template <class Find>
  T get(const EventInfo& event, Find&& find) {
    constexpr int32_t kMostKept = 4096;
    if (event.dispid < 0 || event.dispid > kMostKept) return find();
    const auto slot = static_cast<size_t>(event.dispid);
    if (slot >= slots_.size()) slots_.resize(slot + 1);
    auto& [from, value] = slots_[slot];
    if (from != &event) {
      value = find();
      from = &event;
    }
    return value;
  }

 private:
  std::vector<std::pair<const EventInfo*, T>> slots_;
};

namespace detail {

template <class T>
struct MemberTraits;
template <class C, class R, class... A>
struct MemberTraits<R (C::*)(A...)> {
  using Class = C;
  using Result = R;
  static constexpr size_t arity = sizeof...(A);
  static constexpr bool allVariantRefs = (std::is_same_v<A, Variant&> && ...);
};
template <class C, class R, class... A>
struct MemberTraits<R (C::*)(A...) const> : MemberTraits<R (C::*)(A...)> {};

template <auto Fn, size_t... I>
Variant callBound(Object& self, const Args& args, std::index_sequence<I...>) {
  using Traits = MemberTraits<decltype(Fn)>;
  auto& obj = static_cast<typename Traits::Class&>(self);
  if constexpr (std::is_void_v<typename Traits::Result>) {
    (obj.*Fn)(args[I]...);
    return {};
  } else {
    return Variant((obj.*Fn)(args[I]...));
  }
}

}  // namespace detail

class ClassInfo {
 public:
  // A class may extend a base class's table: the base's members come first
  // in the interface and keep their DISPIDs.
  explicit ClassInfo(BStr name, const ClassInfo* base = nullptr);

  const BStr& name() const { return name_; }
  const ClassInfo* base() const { return base_; }

  template <auto Fn>
  ClassInfo& method(BStr name, std::vector<ParamInfo> params, BStr description = {}) {
    return add<Fn>(std::move(name), InvokeKind::Method, std::move(params), std::move(description));
  }
  template <auto Fn>
  ClassInfo& get(BStr name, std::vector<ParamInfo> params = {}, BStr description = {}) {
    return add<Fn>(std::move(name), InvokeKind::PropertyGet, std::move(params), std::move(description));
  }
  // Let and Set take the new value as their last parameter.
  template <auto Fn>
  ClassInfo& let(BStr name, std::vector<ParamInfo> params, BStr description = {}) {
    return add<Fn>(std::move(name), InvokeKind::PropertyPut, std::move(params), std::move(description));
  }
  template <auto Fn>
  ClassInfo& set(BStr name, std::vector<ParamInfo> params, BStr description = {}) {
    return add<Fn>(std::move(name), InvokeKind::PropertyPutRef, std::move(params), std::move(description));
  }
  // A member bound to any callable taking (Object&, const Args&).
  ClassInfo& member(BStr name, InvokeKind kind, std::vector<ParamInfo> params, MemberCall call,
                    BStr description = {});

  // Describes what the member declared last returns.
  ClassInfo& returns(BStr result);
  // The property get declared last can give its value without a Variant
  // through Fn, a member function of the class returning PeekedValue.
  template <auto Fn>
  ClassInfo& peeksValue() {
    using Class = typename detail::MemberTraits<decltype(Fn)>::Class;
    return peeksValue([](Object& self) { return (static_cast<Class&>(self).*Fn)(); });
  }
  ClassInfo& peeksValue(ValuePeek peek);
  // The member declared last, of one parameter, finds a part by an ASCII
  // name through Fn, a member function of the class taking std::string_view
  // and returning ObjectRef.
  template <auto Fn>
  ClassInfo& peeksPart() {
    using Class = typename detail::MemberTraits<decltype(Fn)>::Class;
    return peeksPart([](Object& self, std::string_view name) { return (static_cast<Class&>(self).*Fn)(name); });
  }
  ClassInfo& peeksPart(PartPeek peek);
  // The member called through DISPID 0 (for example Item of a collection).
  ClassInfo& defaultMember(BStrView name);
  // Its objects are parts of the object a member returns them from (a
  // recordset's Fields, one of its Fields), which gives the same part each
  // time: a caller may keep the one it got for as long as it keeps that object.
  ClassInfo& partOfParent() {
    partOfParent_ = true;
    return *this;
  }
  bool isPartOfParent() const { return partOfParent_; }

  // Source interface: events get DISPIDs 1, 2, ... in declaration order.
  ClassInfo& event(BStr name, std::vector<BStr> params, BStr description = {});

  // Lookup, including the base's members. A Method call also finds a
  // property get and the other way round; a PropertyPut finds a Let, else a
  // Set, and a PropertyPutRef a Set, else a Let.
  const MemberInfo* find(int32_t dispid, InvokeKind kind) const;
  const MemberInfo* find(BStrView name, InvokeKind kind) const;
  int32_t dispidOf(BStrView name) const;  // case-insensitive; -1 if unknown

  // Type information: every member of the interface in order (base first),
  // a property's get and let as separate rows; and the events.
  std::vector<const MemberInfo*> members() const;
  const std::vector<EventInfo>& events() const { return events_; }
  const EventInfo* findEvent(int32_t dispid) const;
  const EventInfo* findEvent(BStrView name) const;

 private:
  template <auto Fn>
  ClassInfo& add(BStr name, InvokeKind kind, std::vector<ParamInfo> params, BStr description) {
    using Traits = detail::MemberTraits<decltype(Fn)>;
    static_assert(Traits::allVariantRefs, "bound members take Variant& parameters");
    if (params.size() != Traits::arity)
      throw std::logic_error("member " + utf8(name) + " declares " + std::to_string(params.size()) +
                             " parameters but its function takes " + std::to_string(Traits::arity));
    MemberCall call = [](Object& self, const Args& args) {
      return detail::callBound<Fn>(self, args, std::make_index_sequence<Traits::arity>{});
    };
    member(std::move(name), kind, std::move(params), std::move(call), std::move(description));
    if constexpr (!std::is_void_v<typename Traits::Result>) returns(u"Variant");
    return *this;
  }

  // The rows of one name or one DISPID in this table (a property's get, let
  // and set), as positions in members_.
  using Rows = std::vector<uint32_t>;
  const MemberInfo* pickRow(const Rows& rows, InvokeKind kind) const;

  BStr name_;
  const ClassInfo* base_;
  int32_t firstDispid_;
  int32_t nextDispid_;
  int32_t defaultDispid_ = -1;
  bool partOfParent_ = false;
  std::vector<MemberInfo> members_;
  std::vector<EventInfo> events_;
  NameIndex byName_;            // name -> position in rowsByName_
  std::vector<Rows> rowsByName_;
  std::vector<Rows> byDispid_;  // indexed by dispid - firstDispid_
  NameIndex eventByName_;       // name -> position in events_
};

// A member found by name (or by DISPID) once for the class of the objects
// it is called on, and again only when an object of another class comes.
// One cache serves one name or one DISPID. Class tables live as long as the
// program, so what it keeps stays valid.
class MemberCache {
 public:
  const MemberInfo* find(const ClassInfo& cls, BStrView name, InvokeKind kind) {
    if (cls_ != &cls) {
      member_ = cls.find(name, kind);
      cls_ = &cls;
    }
    return member_;
  }
  const MemberInfo* find(const ClassInfo& cls, int32_t dispid, InvokeKind kind) {
    if (cls_ != &cls) {
      member_ = cls.find(dispid, kind);
      cls_ = &cls;
    }
    return member_;
  }

 private:
  const ClassInfo* cls_ = nullptr;
  const MemberInfo* member_ = nullptr;
};

// Case-insensitive comparison of member names (ASCII letters).
bool sameName(BStrView a, BStrView b);
// The same comparison with a name given as ASCII bytes.
bool sameName(BStrView a, std::string_view ascii);

// Calls a member through the table, binding the arguments as declared.
Variant invokeMember(Object& self, const MemberInfo& m, std::span<Variant> args);
// The same call for a caller done with `args`: a by-value parameter takes
// the value of an argument that is no reference instead of a copy.
Variant invokeMemberTaking(Object& self, const MemberInfo& m, std::span<Variant> args);
// What a property get with a ValuePeek gives (nothing: call it),
// its errors raised as a call's are.
PeekedValue peekMemberValue(Object& self, const MemberInfo& m);
// The part a member with a PartPeek finds for `asciiName` (null: call it).
ObjectRef peekMemberPart(Object& self, const MemberInfo& m, std::string_view asciiName);

// A member that stands for member (`dispid`, `kind`) of another object, the
// one `target` finds from the object called: the call goes there with the
// caller's arguments as passed (each by reference, an omitted one omitted).
MemberCall forwardMember(std::function<ObjectRef(Object& self)> target, int32_t dispid, InvokeKind kind);

// The same call with each argument a reference to targets[i] (as if each were
// Variant::byRef(*targets[i])), without making the references.
Variant invokeMemberByRef(Object& self, const MemberInfo& m, std::span<Variant* const> targets);

// The ID of parameter `name` of `m` for named arguments: its position
// (case-insensitive match); -1 when the member has no such parameter.
int32_t paramIdOf(const MemberInfo& m, BStrView name);

// Calls with named arguments: the last namedIds.size() arguments are bound to
// the parameters with those IDs, the ones before them by position. A named
// argument passed by value to a by-reference parameter is written back into
// its slot of `args`. Fails with 448 for an ID the member does not have, 450
// for a parameter given twice (by position and by name, or by name twice), and
// as a positional call does for the rest (449 for a required parameter left
// out).
Variant invokeMember(Object& self, const MemberInfo& m, std::span<Variant> args, std::span<const int32_t> namedIds);

// Receives the events of an object it is connected to.
class EventSink {
 public:
  virtual ~EventSink() = default;
  // `args` are the raiser's VT_BYREF|VT_VARIANT references, in parameter
  // order. An error thrown here ends the raise and reaches the raiser; the
  // sinks connected after this one are not called for that event.
  virtual void onEvent(Object& source, const EventInfo& event, std::span<Variant> args) = 0;
  // False when a raise of `event` would do nothing here, so that a raiser
  // may skip making its arguments. True when unsure.
  virtual bool listensTo(Object& source, const EventInfo& event) {
    (void)source;
    (void)event;
    return true;
  }
};

// The class table that `Make` builds, made on the first call. A large
// table is built in a function of its own (marked noinline), so that the
// accessor that returns it, which every member access calls, stays small.
template <ClassInfo (*Make)()>
const ClassInfo& builtOnce() {
  static const ClassInfo ci = Make();
  return ci;
}

// A sink that forwards every event to a function.
class FunctionSink : public EventSink {
 public:
  using Handler = std::function<void(Object&, const EventInfo&, std::span<Variant>)>;
  // Says whether the handler would act on an event (listensTo).
  using Filter = std::function<bool(Object&, const EventInfo&)>;
  explicit FunctionSink(Handler h, Filter f = {}) : handler_(std::move(h)), filter_(std::move(f)) {}
  void onEvent(Object& source, const EventInfo& event, std::span<Variant> args) override {
    handler_(source, event, args);
  }
  bool listensTo(Object& source, const EventInfo& event) override { return !filter_ || filter_(source, event); }

 private:
  Handler handler_;
  Filter filter_;
};

// Builds the VT_BYREF|VT_VARIANT references that a raise hands to its
// listeners, one per argument Variant.
std::vector<Variant> refsTo(std::span<Variant> values);

// The class registry (CreateObject by ProgID).
using ObjectFactory = std::function<ObjectRef()>;
void registerClass(BStr progId, ObjectFactory factory);
bool isRegistered(BStrView progId);
// The registered ProgIDs as registered, in alphabetical order.
std::vector<BStr> registeredProgIds();
// Creates an object by ProgID; an unknown ProgID fails with 429.
ObjectRef createObject(BStrView progId);

}  // namespace svx
