#include "platform/automation/object.h"

#include <algorithm>
#include <map>
#include <vector>

#include "platform/automation/closest_name.h"
#include "platform/automation/dispatch.h"

namespace svx {

struct EventConnections {
  int32_t nextCookie = 1;
  std::vector<std::pair<int32_t, std::shared_ptr<EventSink>>> sinks;
};

Object::Object() = default;

Object::~Object() {
  if (weak_) weak_->target = nullptr;
}

void Object::release() {
  if (--refs_ > 0) return;
  if (!terminating_) {
    // The terminate step runs with the object whole; a reference taken and
    // dropped inside it does not free the object twice.
    terminating_ = true;
    ++refs_;
    try {
      terminate();
    } catch (...) {
      // A terminate step never fails towards the releaser.
    }
    if (--refs_ > 0) return;
  }
  delete this;  // the one place where objects are freed
}

std::shared_ptr<Object::WeakLink> Object::weakLink() {
  if (!weak_) weak_ = std::make_shared<WeakLink>(WeakLink{this});
  return weak_;
}

Variant Object::invoke(std::u16string_view name, InvokeKind kind, std::span<Variant> args) {
  const MemberInfo* m = classInfo().find(name, kind);
  if (!m) raise(err::MemberNotSupported);
  return invokeMember(*this, *m, args);
}

namespace {

// 448, whose report names the argument, the member and its nearest
// parameter name.
[[noreturn]] void raiseUnknownArgumentName(const Object& self, const MemberInfo& m, BStrView name) {
  std::vector<BStr> names;
  names.reserve(m.params.size());
  for (const ParamInfo& p : m.params) names.push_back(p.name);
  BStr detail = self.classInfo().name() + u"." + m.name + u" has no parameter '" + BStr(name) + u"'";
  if (const BStr near = closestName(name, names); !near.empty()) detail += u"; did you mean '" + near + u"'?";
  RuntimeError e(err::NamedArgumentNotFound);
  e.setDetail(std::move(detail));
  throw e;
}

}  // namespace

Variant Object::invoke(std::u16string_view name, InvokeKind kind, std::span<Variant> args,
                       std::span<const std::u16string> argNames) {
  const MemberInfo* m = classInfo().find(name, kind);
  if (!m) raise(err::MemberNotSupported);
  std::vector<int32_t> ids;
  ids.reserve(argNames.size());
  for (const std::u16string& n : argNames) {
    const int32_t id = paramIdOf(*m, n);
    if (id < 0) raiseUnknownArgumentName(*this, *m, n);
    ids.push_back(id);
  }
  return invokeMember(*this, *m, args, ids);
}

Variant Object::invoke(int32_t dispid, InvokeKind kind, std::span<Variant> args) {
  const MemberInfo* m = classInfo().find(dispid, kind);
  if (!m) raise(err::MemberNotSupported);
  return invokeMember(*this, *m, args);
}

int32_t Object::dispidOf(std::u16string_view name) const { return classInfo().dispidOf(name); }

int32_t Object::connect(std::shared_ptr<EventSink> sink) {
  if (!connections_) connections_ = std::make_unique<EventConnections>();
  const int32_t cookie = connections_->nextCookie++;
  connections_->sinks.emplace_back(cookie, std::move(sink));
  return cookie;
}

void Object::disconnect(int32_t cookie) {
  if (!connections_) return;
  auto& s = connections_->sinks;
  s.erase(std::remove_if(s.begin(), s.end(), [cookie](const auto& p) { return p.first == cookie; }), s.end());
}

bool Object::hasListeners() const { return connections_ && !connections_->sinks.empty(); }

bool Object::listensTo(int32_t dispid) {
  if (!hasListeners()) return false;
  const EventInfo* ev = classInfo().findEvent(dispid);
  if (!ev) return true;  // the raise reports it
  for (const auto& [cookie, sink] : connections_->sinks)
    if (sink->listensTo(*this, *ev)) return true;
  return false;
}

void Object::raiseEvent(int32_t dispid, std::span<Variant> args) {
  if (!hasListeners()) return;
  const EventInfo* ev = classInfo().findEvent(dispid);
  if (!ev) raise(err::MemberNotSupported);
  // Listeners may connect, disconnect or release this object while the
  // event is delivered: deliver to the sinks connected when it was raised,
  // and keep the object alive until the raise returns.
  Ref<Object> keepAlive;
  if (refs_ > 0) keepAlive = Ref<Object>(this);  // not while still being constructed
  if (connections_->sinks.size() == 1) {
    const std::shared_ptr<EventSink> sink = connections_->sinks.front().second;
    sink->onEvent(*this, *ev, args);
    return;
  }
  const auto sinks = connections_->sinks;
  for (const auto& [cookie, sink] : sinks) sink->onEvent(*this, *ev, args);
}

}  // namespace svx
