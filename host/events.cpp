// Events: a connected object's events call the script's global function
// prefix + event name, each argument a Ref bound to the raiser's variable.
#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "host/engine.h"
#include "host/js_text.h"
#include "host/trace.h"
#include "host/values.h"
#include "platform/automation/closest_name.h"

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
  bool listensTo(Object&, const EventInfo& event) override {
    return !engine_.expired() && raw_->hasEventFunction(functionFor(event));
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

struct Delivery {
  Engine& engine;
  const EventFunction& function;
  std::span<Variant> args;
  int64_t frame = -1;
  bool kept = false;  // the Refs hold copies
};

// The arguments of a found function: the trace line, then a Ref per
// argument bound to the raiser's variable. False when that failed in C++.
bool pushArguments(duk_context* ctx, Delivery& d) noexcept {
  try {
    if (d.engine.trace) traceEvent(d.engine, d.function.name, d.args);
    d.frame = pushEventRefs(ctx, d.args);
    return true;
  } catch (...) {
    return false;
  }
}

// After the call: the Refs hold copies (false when that failed in C++; the
// caller makes them then).
bool keepArguments(duk_context* ctx, Delivery& d, duk_idx_t link) noexcept {
  try {
    keepEventRefs(ctx, d.frame, link);
    return true;
  } catch (...) {
    return false;
  }
}

// Protected: [name] -> [result]. Looks the global function up (a getter may
// run) and calls it; a global that is not a function is not called. The
// Refs' link object stays on the stack through the call, for the copies
// made after it.
duk_ret_t callEventFunction(duk_context* ctx, void* udata) {
  auto& d = *static_cast<Delivery*>(udata);
  duk_push_global_object(ctx);
  duk_dup(ctx, -2);
  duk_get_prop(ctx, -2);
  if (!duk_is_callable(ctx, -1)) return 0;
  const duk_idx_t function = duk_get_top_index(ctx);
  if (!pushArguments(ctx, d)) return duk_error(ctx, DUK_ERR_ERROR, "%s", "cannot pass the event's arguments");
  duk_swap(ctx, function, function + 1);  // [link, function, Refs...]
  duk_call(ctx, static_cast<duk_idx_t>(d.args.size()));
  if (d.frame >= 0) d.kept = keepArguments(ctx, d, function);
  return 1;
}

// Protected: [] -> [names], the global object's own enumerable properties
// that hold functions (a getter may run).
duk_ret_t globalFunctionNames(duk_context* ctx, void*) {
  const duk_idx_t names = duk_push_array(ctx);
  duk_push_global_object(ctx);
  duk_enum(ctx, -1, DUK_ENUM_OWN_PROPERTIES_ONLY);
  duk_uarridx_t n = 0;
  while (duk_next(ctx, -1, 1)) {
    if (duk_is_function(ctx, -1)) {
      duk_pop(ctx);
      duk_put_prop_index(ctx, names, n++);
    } else {
      duk_pop_2(ctx);
    }
  }
  duk_pop_2(ctx);
  return 1;
}

bool startsWith(const BStr& name, const BStr& prefix) { return name.compare(0, prefix.size(), prefix) == 0; }

}  // namespace

void Engine::checkEventFunctions() {
  eventFunctionsUnchecked = false;
  if (!ctx || closing || !duk_check_stack(ctx, 8)) return;
  std::vector<BStr> names;
  if (duk_safe_call(ctx, globalFunctionNames, nullptr, 0, 1) == DUK_EXEC_SUCCESS) {
    const auto n = static_cast<duk_uarridx_t>(duk_get_length(ctx, -1));
    for (duk_uarridx_t i = 0; i < n; ++i) {
      duk_get_prop_index(ctx, -1, i);
      names.push_back(jsString(ctx, -1));
      duk_pop(ctx);
    }
  }
  duk_pop(ctx);
  for (const BStr& name : names) {
    // A function is an event function when some connection's prefix and
    // event make its name (as the delivery looks it up: with case).
    bool prefixed = false;
    bool matches = false;
    std::vector<BStr> candidates;
    for (const Connection& c : connections) {
      if (!startsWith(name, c.prefix)) continue;
      prefixed = true;
      for (const EventInfo& ev : c.events->events()) {
        if (name.size() == c.prefix.size() + ev.name.size() && name.compare(c.prefix.size(), BStr::npos, ev.name) == 0)
          matches = true;
        candidates.push_back(c.prefix + ev.name);
      }
    }
    if (!prefixed || matches) continue;
    const std::string text = utf8(name);
    if (std::find(reportedEventFunctions.begin(), reportedEventFunctions.end(), text) != reportedEventFunctions.end())
      continue;
    reportedEventFunctions.push_back(text);
    std::string line = text + " matches no event";
    if (const BStr near = closestName(name, candidates); !near.empty()) line += "; did you mean " + utf8(near) + "?";
    err << scriptPath << ": " << line << '\n';
    err.flush();
    if (trace) traceNote(*this, line);
  }
}

void Engine::connect(const ObjectRef& obj, BStr prefix) {
  const ClassInfo* events = &obj->classInfo();
  const int32_t cookie = obj->connect(std::make_shared<ScriptSink>(weak_from_this(), prefix));
  connections.push_back({WeakRef<Object>(obj.get()), cookie, std::move(prefix), events});
  eventFunctionsUnchecked = true;
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

int64_t Engine::openEventAnchor() {
  openAnchorId = nextId++;
  openAnchorRaises = 0;
  anchorFrames[openAnchorId];
  return openAnchorId;
}

void Engine::closeEventAnchor(duk_context* c) {
  openAnchor = nullptr;
  openAnchorRaises = 0;
  duk_push_global_stash(c);
  duk_del_prop_string(c, -1, "eventAnchor");
  duk_pop(c);
}

int64_t Engine::newEventFrame(size_t count) {
  int64_t index;
  if (!freeEventFrames.empty()) {
    index = freeEventFrames.back();
    freeEventFrames.pop_back();
  } else {
    index = static_cast<int64_t>(eventFrames.size());
    eventFrames.emplace_back();
  }
  EventFrame& f = eventFrames[static_cast<size_t>(index)];
  f.live = true;
  f.ended = false;
  f.alone = false;
  f.addresses.assign(count, nullptr);
  f.slots.resize(count);
  anchorFrames[openAnchorId].push_back(index);
  return index;
}

void Engine::bindEventRef(int64_t frame, size_t i, const void* address, Variant slot) {
  EventFrame& f = eventFrames[static_cast<size_t>(frame)];
  f.addresses[i] = address;
  f.slots[i] = std::move(slot);
}

Variant* Engine::eventRefSlot(int64_t frame, const void* address) {
  if (frame < 0 || static_cast<size_t>(frame) >= eventFrames.size()) return nullptr;
  EventFrame& f = eventFrames[static_cast<size_t>(frame)];
  if (!f.live) return nullptr;
  for (size_t i = 0; i < f.addresses.size(); ++i)
    if (f.addresses[i] == address) return &f.slots[i];
  return nullptr;
}

bool Engine::keepEventFrame(int64_t frame) {
  EventFrame& f = eventFrames[static_cast<size_t>(frame)];
  if (!f.live) return false;  // every Ref is gone already
  f.ended = true;
  for (Variant& slot : f.slots) {
    if (!slot.isByRef()) continue;
    try {
      Variant plain = slot.value();
      slot = std::move(plain);
    } catch (const RuntimeError&) {
      slot = Variant();
    }
  }
  return true;
}

bool Engine::eventFrameEnded(int64_t frame) const {
  const EventFrame& f = eventFrames[static_cast<size_t>(frame)];
  return f.live && f.ended;
}

bool Engine::eventFrameHoldsObjects(int64_t frame) const {
  const EventFrame& f = eventFrames[static_cast<size_t>(frame)];
  return std::any_of(f.slots.begin(), f.slots.end(), holdsObjects);
}

bool Engine::anchorFrameAlone(int64_t frame) {
  EventFrame& f = eventFrames[static_cast<size_t>(frame)];
  if (!f.live || f.alone) return false;
  f.alone = true;
  return true;
}

namespace {

// Frees `f`, moving the values that may run code when released to `copies`.
void freeFrame(Engine::EventFrame& f, std::vector<Variant>& copies) {
  f.live = false;
  for (Variant& slot : f.slots)
    if (!slot.isByRef() && slot.vt() != VT_EMPTY) copies.push_back(std::exchange(slot, Variant()));
}

}  // namespace

void Engine::freeEventFrame(int64_t frame) {
  if (frame < 0 || static_cast<size_t>(frame) >= eventFrames.size()) return;
  EventFrame& f = eventFrames[static_cast<size_t>(frame)];
  if (!f.live || !f.alone) return;
  // The copies are dropped after the frame is free again: releasing one may
  // run code that comes back here.
  std::vector<Variant> copies;
  freeFrame(f, copies);
  freeEventFrames.push_back(frame);
}

void Engine::freeEventAnchor(int64_t id) {
  auto it = anchorFrames.find(id);
  if (it == anchorFrames.end()) return;
  const std::vector<int64_t> frames = std::move(it->second);
  anchorFrames.erase(it);
  // The copies are dropped after every frame is free again: releasing one
  // may run code that comes back here.
  std::vector<Variant> copies;
  for (int64_t index : frames) {
    EventFrame& f = eventFrames[static_cast<size_t>(index)];
    if (!f.live || f.alone) continue;  // a frame anchored alone goes with its own anchor
    freeFrame(f, copies);
    freeEventFrames.push_back(index);
  }
}

void Engine::pushEventName(EventFunction& function) {
  if (function.string) {
    duk_push_heapptr(ctx, function.string);
    return;
  }
  // Kept alive as a key of the stash's eventNames, one per name.
  duk_push_lstring(ctx, function.bytes.data(), function.bytes.size());
  pushStashed(ctx, "eventNames");
  duk_dup(ctx, -2);
  duk_push_true(ctx);
  duk_put_prop(ctx, -3);
  duk_pop(ctx);
  function.string = duk_get_heapptr(ctx, -1);
}

bool Engine::hasEventFunction(EventFunction& function) {
  if (closing || quitting || !ctx) return false;
  // The first delivery checks the script's event functions; a trace
  // notes the events that find no function.
  if (eventFunctionsUnchecked || trace) return true;
  if (!duk_check_stack(ctx, 4)) return true;
  if (!function.string) {
    pushEventName(function);
    duk_pop(ctx);
  }
  const bool present = globalHas(function.string);
  confirmedEvent = present ? &function : nullptr;
  return present;
}

bool Engine::globalHas(void* name) {
  duk_push_global_object(ctx);
  const bool present = duk_has_prop_heapptr(ctx, -1, name);
  duk_pop(ctx);
  return present;
}

void Engine::deliverEvent(EventFunction& function, std::span<Variant> args) {
  // After Quit, or an error in an event function, no event reaches the
  // script any more.
  if (closing || quitting || !ctx) return;
  if (eventFunctionsUnchecked) checkEventFunctions();
  if (!duk_check_stack(ctx, static_cast<duk_idx_t>(args.size()) + 8)) return;
  const duk_idx_t base = duk_get_top(ctx);
  pushEventName(function);
  // A name the global object does not have needs no protected call: the
  // test runs no script code (no getter, no trap). The raiser has just asked
  // for this function as a rule (hasEventFunction); should the script have
  // dropped it since, the protected call finds no function and calls none.
  const bool confirmed = confirmedEvent == &function && !trace;
  confirmedEvent = nullptr;
  if (!confirmed && !globalHas(function.string)) {
    duk_set_top(ctx, base);
    if (trace) traceNote(*this, "event " + function.bytes + ": no function");
    return;
  }
  // The whole call is one protected call: nothing of the script runs, and
  // no Ref is made, when the global is not a function.
  Delivery d{*this, function, args};
  const duk_int_t rc = duk_safe_call(ctx, callEventFunction, &d, 1, 1);
  if (rc != DUK_EXEC_SUCCESS && !isQuit(ctx, -1)) {
    // An error in an event function ends the script as Quit(1) does.
    report(-1);
    quitting = true;
    exitCode = 1;
  }
  duk_set_top(ctx, base);
  // Refs that the script kept now hold their own copies: the raiser's
  // variables end with the raise.
  if (d.frame >= 0 && !d.kept) keepEventRefs(ctx, d.frame, kNoLink);
  if (quitting) throw ScriptQuit{};
}

}  // namespace svx::host
