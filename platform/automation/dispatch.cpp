#include "platform/automation/dispatch.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <map>
#include <memory>
#include <new>
#include <string>

namespace svx {

namespace {

char16_t lower(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool kindMatches(InvokeKind wanted, InvokeKind have) {
  switch (wanted) {
    case InvokeKind::Method:
    case InvokeKind::PropertyGet: return have == InvokeKind::Method || have == InvokeKind::PropertyGet;
    case InvokeKind::PropertyPut:
    case InvokeKind::PropertyPutRef: return have == InvokeKind::PropertyPut || have == InvokeKind::PropertyPutRef;
  }
  return false;
}

// Among the members that match, the exact kind wins.
const MemberInfo* pick(const MemberInfo* current, const MemberInfo& candidate, InvokeKind kind) {
  if (!kindMatches(kind, candidate.kind)) return current;
  if (!current) return &candidate;
  if (candidate.kind == kind && current->kind != kind) return &candidate;
  return current;
}

struct Registered {
  BStr progId;  // as registered
  ObjectFactory factory;
};

// By the ProgID in lower case.
std::map<BStr, Registered>& registry() {
  static std::map<BStr, Registered> r;
  return r;
}

BStr lowered(BStrView s) {
  BStr out(s);
  for (auto& c : out) c = lower(c);
  return out;
}

}  // namespace

bool sameName(BStrView a, BStrView b) {
  if (a.size() != b.size()) return false;
  if (a == b) return true;  // the same spelling, as a rule
  for (size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

bool sameName(BStrView a, std::string_view ascii) {
  if (a.size() != ascii.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(static_cast<char16_t>(static_cast<unsigned char>(ascii[i])))) return false;
  return true;
}

ClassInfo::ClassInfo(BStr name, const ClassInfo* base)
    : name_(std::move(name)), base_(base), firstDispid_(base ? base->nextDispid_ : 1),
      nextDispid_(firstDispid_), defaultDispid_(base ? base->defaultDispid_ : -1) {}

const MemberInfo* ClassInfo::pickRow(const Rows& rows, InvokeKind kind) const {
  const MemberInfo* found = nullptr;
  for (uint32_t i : rows) found = pick(found, members_[i], kind);
  return found;
}

ClassInfo& ClassInfo::member(BStr name, InvokeKind kind, std::vector<ParamInfo> params, MemberCall call,
                             BStr description) {
  bool seenOptional = false;
  for (const ParamInfo& p : params) {
    if (seenOptional && !p.optional && kind == InvokeKind::Method)
      throw std::logic_error("member " + utf8(name) + ": a required parameter follows an optional one");
    seenOptional = seenOptional || p.optional;
  }
  // A property's get, let and set share one DISPID.
  int32_t dispid = dispidOf(name);
  if (dispid >= 0) {
    // A derived class may replace a base member (same DISPID), not repeat
    // one of its own.
    for (const MemberInfo& m : members_)
      if (m.dispid == dispid && m.kind == kind && sameName(m.name, name))
        throw std::logic_error("member " + utf8(name) + " is declared twice");
  } else {
    dispid = nextDispid_++;
  }
  const auto row = static_cast<uint32_t>(members_.size());
  int32_t named = byName_.find(name);
  if (named < 0) {
    named = static_cast<int32_t>(rowsByName_.size());
    byName_.insert(name, named);
    rowsByName_.emplace_back();
  }
  rowsByName_[static_cast<size_t>(named)].push_back(row);
  if (dispid >= firstDispid_) {
    const auto slot = static_cast<size_t>(dispid - firstDispid_);
    if (byDispid_.size() <= slot) byDispid_.resize(slot + 1);
    byDispid_[slot].push_back(row);
  }
  members_.push_back(MemberInfo{dispid, std::move(name), kind, std::move(params), std::move(description), std::move(call), {}});
  return *this;
}

ClassInfo& ClassInfo::returns(BStr result) {
  if (members_.empty()) throw std::logic_error("returns() before any member");
  members_.back().result = std::move(result);
  return *this;
}

ClassInfo& ClassInfo::peeksValue(ValuePeek peek) {
  if (members_.empty() || members_.back().kind != InvokeKind::PropertyGet || !members_.back().params.empty())
    throw std::logic_error("peeksValue() follows a property get without parameters");
  members_.back().peekValue = peek;
  return *this;
}

ClassInfo& ClassInfo::peeksPart(PartPeek peek) {
  if (members_.empty() || members_.back().params.size() != 1)
    throw std::logic_error("peeksPart() follows a member of one parameter");
  members_.back().peekPart = peek;
  return *this;
}

ClassInfo& ClassInfo::defaultMember(BStrView name) {
  defaultDispid_ = dispidOf(name);
  if (defaultDispid_ < 0) throw std::logic_error("default member " + utf8(name) + " is not declared");
  return *this;
}

ClassInfo& ClassInfo::event(BStr name, std::vector<BStr> params, BStr description) {
  const auto dispid = static_cast<int32_t>(events_.size() + 1);
  eventByName_.insert(name, static_cast<int32_t>(events_.size()));
  events_.push_back(EventInfo{dispid, std::move(name), std::move(params), std::move(description)});
  return *this;
}

const MemberInfo* ClassInfo::find(int32_t dispid, InvokeKind kind) const {
  if (dispid == 0 && defaultDispid_ > 0) dispid = defaultDispid_;
  const MemberInfo* found = nullptr;
  if (dispid >= firstDispid_ && static_cast<size_t>(dispid - firstDispid_) < byDispid_.size())
    found = pickRow(byDispid_[static_cast<size_t>(dispid - firstDispid_)], kind);
  if (!found && base_) return base_->find(dispid, kind);
  return found;
}

const MemberInfo* ClassInfo::find(BStrView name, InvokeKind kind) const {
  const MemberInfo* found = nullptr;
  if (const int32_t named = byName_.find(name); named >= 0)
    found = pickRow(rowsByName_[static_cast<size_t>(named)], kind);
  if (!found && base_) return base_->find(name, kind);
  return found;
}

int32_t ClassInfo::dispidOf(BStrView name) const {
  if (const int32_t named = byName_.find(name); named >= 0)
    return members_[rowsByName_[static_cast<size_t>(named)].front()].dispid;
  return base_ ? base_->dispidOf(name) : -1;
}

std::vector<const MemberInfo*> ClassInfo::members() const {
  std::vector<const MemberInfo*> out = base_ ? base_->members() : std::vector<const MemberInfo*>{};
  for (const MemberInfo& m : members_) out.push_back(&m);
  return out;
}

const EventInfo* ClassInfo::findEvent(int32_t dispid) const {
  if (dispid >= 1 && static_cast<size_t>(dispid) <= events_.size()) return &events_[static_cast<size_t>(dispid - 1)];
  return base_ ? base_->findEvent(dispid) : nullptr;
}

const EventInfo* ClassInfo::findEvent(BStrView name) const {
  if (const int32_t e = eventByName_.find(name); e >= 0) return &events_[static_cast<size_t>(e)];
  return base_ ? base_->findEvent(name) : nullptr;
}

namespace {

// Every call of a member passes here: whatever the member throws reaches its
// caller as a runtime error ("Out of memory", "Automation error").
template <class F>
auto asMemberCall(F&& f) {
  try {
    return f();
  } catch (const RuntimeError&) {
    throw;
  } catch (...) {
    throw caughtError();
  }
}

Variant callMember(Object& self, const MemberInfo& m, const Args& a) {
  return asMemberCall([&] { return m.call(self, a); });
}

// The bound arguments' own Variants: on the stack for the common counts,
// constructed only as far as they are used.
class BoundValues {
 public:
  explicit BoundValues(size_t n) {
    if (n > kInline) {
      heap_.reserve(n);
      heapSlots_.resize(n);
    }
  }
  BoundValues(const BoundValues&) = delete;
  BoundValues& operator=(const BoundValues&) = delete;
  ~BoundValues() { std::destroy_n(inlineValues(), used_); }

  // Stores a copy of `v` (a value, or the value a reference points at) and
  // returns it.
  template <class V>
  Variant* hold(V&& v) {
    if (heap_.capacity() != 0) return &heap_.emplace_back(std::forward<V>(v));
    return std::construct_at(inlineValues() + used_++, std::forward<V>(v));
  }
  Variant** slots() { return heap_.capacity() != 0 ? heapSlots_.data() : inlineSlots_.data(); }

 private:
  static constexpr size_t kInline = 16;
  Variant* inlineValues() { return std::launder(reinterpret_cast<Variant*>(storage_)); }

  alignas(Variant) std::byte storage_[kInline * sizeof(Variant)];
  size_t used_ = 0;
  std::array<Variant*, kInline> inlineSlots_;
  std::vector<Variant> heap_;  // reserved up front, so pointers stay valid
  std::vector<Variant*> heapSlots_;
};

// "Class.Member", as a report names the member called.
BStr memberLabel(const Object& self, const MemberInfo& m) { return self.classInfo().name() + u"." + m.name; }

BStr numberText(size_t n) {
  const std::string digits = std::to_string(n);
  return BStr(digits.begin(), digits.end());
}

[[noreturn]] void raiseDetailed(int32_t number, BStr detail) {
  RuntimeError e(number);
  e.setDetail(std::move(detail));
  throw e;
}

// 450: how many arguments the member takes, and how many it was given.
[[noreturn]] void raiseTooMany(const Object& self, const MemberInfo& m, size_t given) {
  const size_t n = m.params.size();
  const auto required = static_cast<size_t>(
      std::count_if(m.params.begin(), m.params.end(), [](const ParamInfo& p) { return !p.optional; }));
  BStr takes = n == 0 ? BStr(u"no") : numberText(n);
  if (n != 0 && required == 0) takes = u"at most " + takes;
  else if (required != n) takes = numberText(required) + u" to " + takes;
  takes += n == 1 ? u" argument" : u" arguments";
  raiseDetailed(err::WrongNumberOfArguments,
                memberLabel(self, m) + u" takes " + takes + u", not " + numberText(given));
}

// A type mismatch raised while converting one of the bound values names
// its parameter and the type wanted; the outermost call that bound the
// value names it last.
void nameMismatchedParameter(RuntimeError& e, const Object& self, const MemberInfo& m, Variant* const* slots) {
  if (e.number() != err::TypeMismatch || !e.convertedValue()) return;
  for (size_t i = 0; i < m.params.size(); ++i) {
    if (slots[i] != e.convertedValue() && &slots[i]->deref() != e.convertedValue()) continue;
    const bool assigned = (m.kind == InvokeKind::PropertyPut || m.kind == InvokeKind::PropertyPutRef) &&
                          i + 1 == m.params.size();
    const BStr what = assigned ? u"the value assigned to " + memberLabel(self, m)
                               : u"parameter '" + m.params[i].name + u"' of " + memberLabel(self, m);
    const char16_t first = e.wantedType()[0];
    e.setDetail(what + u" wants " + (first == u'I' || first == u'O' ? u"an " : u"a ") + e.wantedType());
    return;
  }
}

// Binds `count` arguments, the i-th being arg(i), as `m` declares its
// parameters, and calls it.
// `take`: a by-value parameter may take the value of an argument that is no
// reference, leaving it empty.
template <class Arg>
Variant bindAndCall(Object& self, const MemberInfo& m, size_t count, Arg arg, bool take = false) {
  const size_t n = m.params.size();
  if (count > n) raiseTooMany(self, m, count);
  // By-value parameters get their own copies; by-reference ones point at the
  // caller's variable (or at the argument slot when the caller passed a value).
  BoundValues values(n);
  Variant** slots = values.slots();
  for (size_t i = 0; i < n; ++i) {
    const ParamInfo& p = m.params[i];
    Variant* const given = i < count ? &arg(i) : nullptr;
    Variant* a = given ? &given->deref() : nullptr;
    if (!a || a->isMissing()) {
      if (!p.optional)
        raiseDetailed(err::ArgumentNotOptional, memberLabel(self, m) + u" needs its parameter '" + p.name + u"'");
      slots[i] = values.hold(Variant::missing());
    } else if (p.byRef) {
      slots[i] = a;
    } else if (a->isByRef()) {
      slots[i] = values.hold(a->value());  // a typed reference is read
    } else if (take && a == given) {
      slots[i] = values.hold(std::move(*a));
    } else {
      slots[i] = values.hold(*a);
    }
  }
  try {
    return callMember(self, m, Args(std::span<Variant*>(slots, n)));
  } catch (RuntimeError& e) {
    nameMismatchedParameter(e, self, m, slots);
    throw;
  }
}

}  // namespace

MemberCall forwardMember(std::function<ObjectRef(Object& self)> target, int32_t dispid, InvokeKind kind) {
  return [target = std::move(target), dispid, kind](Object& self, const Args& a) {
    const ObjectRef to = target(self);
    std::vector<Variant> args;
    args.reserve(a.size());
    for (size_t i = 0; i < a.size(); ++i) args.push_back(a[i].isMissing() ? Variant::missing() : Variant::byRef(a[i]));
    return to->invoke(dispid, kind, args);
  };
}

Variant invokeMember(Object& self, const MemberInfo& m, std::span<Variant> args) {
  if (m.params.empty()) {
    if (!args.empty()) raiseTooMany(self, m, args.size());
    return callMember(self, m, Args({}));
  }
  return bindAndCall(self, m, args.size(), [args](size_t i) -> Variant& { return args[i]; });
}

PeekedValue peekMemberValue(Object& self, const MemberInfo& m) {
  if (!m.peekValue) return {};
  return asMemberCall([&] { return m.peekValue(self); });
}

ObjectRef peekMemberPart(Object& self, const MemberInfo& m, std::string_view asciiName) {
  if (!m.peekPart) return {};
  return asMemberCall([&] { return m.peekPart(self, asciiName); });
}

Variant invokeMemberTaking(Object& self, const MemberInfo& m, std::span<Variant> args) {
  // A member without parameters binds nothing: invokeMember calls it without
  // the binding's set-up (measured 4 % of a walk that moves and reads fields).
  if (m.params.empty()) return invokeMember(self, m, args);
  return bindAndCall(self, m, args.size(), [args](size_t i) -> Variant& { return args[i]; }, true);
}

Variant invokeMemberByRef(Object& self, const MemberInfo& m, std::span<Variant* const> targets) {
  return bindAndCall(self, m, targets.size(), [targets](size_t i) -> Variant& { return *targets[i]; });
}

int32_t paramIdOf(const MemberInfo& m, BStrView name) {
  for (size_t i = 0; i < m.params.size(); ++i)
    if (sameName(m.params[i].name, name)) return static_cast<int32_t>(i);
  return -1;
}

Variant invokeMember(Object& self, const MemberInfo& m, std::span<Variant> args, std::span<const int32_t> namedIds) {
  if (namedIds.empty()) return invokeMember(self, m, args);
  if (namedIds.size() > args.size()) raise(err::InvalidProcedureCall);
  const size_t positional = args.size() - namedIds.size();
  const size_t n = m.params.size();
  if (positional > n) raiseTooMany(self, m, positional);
  // Lays the named arguments out by position; the gaps stay missing. A value
  // travels as a reference to its slot so that by-reference writes land there.
  size_t count = positional;
  for (int32_t id : namedIds) {
    if (id < 0 || static_cast<size_t>(id) >= n) raise(err::NamedArgumentNotFound);
    count = std::max(count, static_cast<size_t>(id) + 1);
  }
  std::vector<Variant> bound(count, Variant::missing());
  std::vector<bool> given(count, false);
  for (size_t i = 0; i < positional; ++i) {
    bound[i] = args[i];
    given[i] = true;
  }
  for (size_t k = 0; k < namedIds.size(); ++k) {
    const auto id = static_cast<size_t>(namedIds[k]);
    if (given[id])
      raise(err::WrongNumberOfArguments, u"Named argument already specified: " + m.params[id].name);
    given[id] = true;
    Variant& arg = args[positional + k];
    bound[id] = arg.isByRef() || arg.isMissing() ? arg : Variant::byRef(arg);
  }
  return invokeMember(self, m, bound);
}

std::vector<Variant> refsTo(std::span<Variant> values) {
  std::vector<Variant> refs;
  refs.reserve(values.size());
  for (Variant& v : values) refs.push_back(Variant::byRef(v));
  return refs;
}

void registerClass(BStr progId, ObjectFactory factory) {
  BStr key = lowered(progId);
  registry()[std::move(key)] = {std::move(progId), std::move(factory)};
}

bool isRegistered(BStrView progId) { return registry().count(lowered(progId)) != 0; }

std::vector<BStr> registeredProgIds() {
  std::vector<BStr> ids;
  ids.reserve(registry().size());
  for (const auto& [key, entry] : registry()) ids.push_back(entry.progId);
  return ids;
}

ObjectRef createObject(BStrView progId) {
  auto it = registry().find(lowered(progId));
  if (it == registry().end()) raise(err::CannotCreateObject);
  return it->second.factory();
}

}  // namespace svx
