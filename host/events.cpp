// Events: a connected object's events call the script's global function
// prefix + event name, each argument a Ref bound to the raiser's variable.
#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "host/engine.h"
#include "host/js_text.h"
#include "host/trace.h"
#include "host/values.h"

namespace svx::host {

namespace {

class ScriptSink : public EventSink {
 public:
  ScriptSink(std::weak_ptr<Engine> engine, BStr prefix)
      : engine_(std::move(engine)), raw_(engine_.lock().get()), prefix_(std::move(prefix)) {}
  void onEvent(Object&, const EventInfo& event, std::span<Variant> args) override {
    // The engine lives while its script runs (its owner is up the stack of
    // any event it can receive), so a check that it is still there is
    // enough.
    if (!engine_.expired()) raw_->deliverEvent(functionFor(event), args);
  }

 private:
  // The function's name for each event, made on its first raise.
  EventFunction& functionFor(const EventInfo& event) {
    const auto slot = static_cast<size_t>(std::max(event.dispid, 0));
    if (slot >= names_.size()) names_.resize(slot + 1);
    std::optional<EventFunction>& f = names_[slot];
    if (!f || f->event != &event) {
      BStr name = prefix_ + event.name;
      std::string bytes = toCesu8(name);
      f = EventFunction{&event, std::move(name), std::move(bytes)};
    }
    return *f;
  }

  std::weak_ptr<Engine> engine_;
  Engine* raw_;
  BStr prefix_;
  std::vector<std::optional<EventFunction>> names_;
};

// Protected: [name] -> [the global of that name].
duk_ret_t getGlobal(duk_context* ctx, void*) {
  duk_push_global_object(ctx);
  duk_dup(ctx, -2);
  duk_get_prop(ctx, -2);
  return 1;
}

}  // namespace

void Engine::connect(const ObjectRef& obj, BStr prefix) {
  const int32_t cookie = obj->connect(std::make_shared<ScriptSink>(weak_from_this(), std::move(prefix)));
  connections.push_back({WeakRef<Object>(obj.get()), cookie});
}

void Engine::disconnect(Object* obj) {
  std::vector<Connection> keep;
  for (const Connection& c : connections) {
    if (c.object.get() == obj)
      obj->disconnect(c.cookie);
    else
      keep.push_back(c);
  }
  connections = std::move(keep);
}

void Engine::deliverEvent(EventFunction& function, std::span<Variant> args) {
  // After Quit, or an error in an event function, no event reaches the
  // script any more.
  if (closing || quitting || !ctx) return;
  if (!duk_check_stack(ctx, static_cast<duk_idx_t>(args.size()) + 8)) return;
  const duk_idx_t base = duk_get_top(ctx);
  if (function.string) {
    duk_push_heapptr(ctx, function.string);
  } else {
    // Kept alive as a key of the stash's eventNames, one per name.
    duk_push_lstring(ctx, function.bytes.data(), function.bytes.size());
    pushStashed(ctx, "eventNames");
    duk_dup(ctx, -2);
    duk_push_true(ctx);
    duk_put_prop(ctx, -3);
    duk_pop(ctx);
    function.string = duk_get_heapptr(ctx, -1);
  }
  // A name the global object does not have needs no protected call: the
  // test runs no script code (no getter, no trap).
  duk_push_global_object(ctx);
  duk_dup(ctx, -2);
  const bool present = duk_has_prop(ctx, -2);
  duk_pop(ctx);
  if (!present) {
    duk_set_top(ctx, base);
    return;
  }
  duk_int_t rc = duk_safe_call(ctx, getGlobal, nullptr, 1, 1);
  if (rc == DUK_EXEC_SUCCESS && !duk_is_callable(ctx, -1)) {
    // No function: nothing of the script runs, and no Ref is made.
    duk_set_top(ctx, base);
    return;
  }
  constexpr size_t kInline = 8;
  std::array<int64_t, kInline> inlineIds{};
  std::vector<int64_t> heapIds;
  std::span<int64_t> ids(inlineIds.data(), 0);
  if (rc == DUK_EXEC_SUCCESS) {
    if (trace) traceEvent(*this, function.name, args);
    if (args.size() > kInline) heapIds.resize(args.size());
    ids = args.size() > kInline ? std::span<int64_t>(heapIds) : std::span<int64_t>(inlineIds.data(), args.size());
    // Each argument becomes a Ref bound to the raiser's variable.
    pushEventRefs(ctx, args, ids);
    rc = duk_pcall(ctx, static_cast<duk_idx_t>(args.size()));
  }
  if (rc != DUK_EXEC_SUCCESS && !isQuit(ctx, -1)) {
    // An error in an event function ends the script as Quit(1) does.
    report(-1);
    quitting = true;
    exitCode = 1;
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

}  // namespace svx::host
