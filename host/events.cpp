// Events: a connected object's events call the script's global function
// prefix + event name, each argument a Ref bound to the raiser's variable.
#include <vector>

#include "host/engine.h"
#include "host/trace.h"
#include "host/values.h"

namespace svx::host {

namespace {

class ScriptSink : public EventSink {
 public:
  ScriptSink(std::weak_ptr<Engine> engine, BStr prefix) : engine_(std::move(engine)), prefix_(std::move(prefix)) {}
  void onEvent(Object&, const EventInfo& event, std::span<Variant> args) override {
    if (auto e = engine_.lock()) e->deliverEvent(prefix_ + event.name, args);
  }

 private:
  std::weak_ptr<Engine> engine_;
  BStr prefix_;
};

struct EventCall {
  duk_idx_t nargs;
  const BStr& function;
  std::span<Variant> args;
};

// Protected: the stack ends with [name, args...] (a safe call works on the
// caller's frame); calls the global function `name` when there is one.
duk_ret_t callGlobalFunction(duk_context* ctx, void* udata) {
  const EventCall& call = *static_cast<const EventCall*>(udata);
  const duk_idx_t nargs = call.nargs;
  const duk_idx_t base = duk_get_top(ctx) - nargs - 1;
  duk_push_global_object(ctx);
  duk_dup(ctx, base);
  duk_get_prop(ctx, -2);  // [name, args..., global, fn]
  if (!duk_is_callable(ctx, -1)) {
    duk_push_undefined(ctx);
    return 1;
  }
  if (Engine& e = engineOf(ctx); e.trace) traceEvent(e, call.function, call.args);
  duk_insert(ctx, base);  // [fn, name, args..., global]
  duk_pop(ctx);
  duk_remove(ctx, base + 1);  // [fn, args...]
  duk_call(ctx, nargs);
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

void Engine::deliverEvent(const BStr& function, std::span<Variant> args) {
  // After Quit, or an error in an event function, no event reaches the
  // script any more.
  if (closing || quitting || !ctx) return;
  if (!duk_check_stack(ctx, static_cast<duk_idx_t>(args.size()) + 8)) return;
  const duk_idx_t base = duk_get_top(ctx);
  pushString(ctx, function);
  std::vector<int64_t> ids;
  // Each argument becomes a Ref bound to the raiser's variable.
  for (Variant& a : args) ids.push_back(pushRefObject(ctx, a.isByRef() ? a : Variant::byRef(a)));
  EventCall call{static_cast<duk_idx_t>(args.size()), function, args};
  const duk_int_t rc = duk_safe_call(ctx, callGlobalFunction, &call, call.nargs + 1, 1);
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
