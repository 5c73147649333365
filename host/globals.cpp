#include "host/globals.h"

#include <algorithm>
#include <filesystem>

#include "host/js_text.h"
#include "host/objects.h"
#include "host/script_host.h"
#include "host/values.h"
#include "platform/automation/closest_name.h"
#include "platform/automation/coerce.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/message_loop.h"
#include "platform/forms/control_plugins.h"

namespace svx::host {

namespace {

std::vector<std::pair<std::string, ObjectRef>>& globalObjects() {
  static std::vector<std::pair<std::string, ObjectRef>> g;
  return g;
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

BStr stringArg(duk_context* ctx, duk_idx_t idx) { return toBStr(toVariant(ctx, idx, false)); }

bool hasArg(duk_context* ctx, duk_idx_t idx) { return duk_get_top(ctx) > idx && !duk_is_undefined(ctx, idx); }

void connectByPrefix(duk_context* ctx, const ObjectRef& obj, duk_idx_t prefixIdx) {
  if (!hasArg(ctx, prefixIdx)) return;
  BStr prefix = stringArg(ctx, prefixIdx);
  if (!prefix.empty()) engineOf(ctx).connect(obj, std::move(prefix));
}

// Creates the object of a ProgID; for one that is not registered, error 429
// whose report names it: a control, which a form hosts and no script
// creates, as such; else with the nearest registered ProgID.
ObjectRef createByProgId(const BStr& progId) {
  if (!isRegistered(progId)) {
    ensureControlPluginsLoaded();
    if (const ControlClass* control = findControlClass(progId))
      throw NotFoundError(err::CannotCreateObject,
                          u"'" + control->progId +
                              u"' is a control: a form hosts it (AddActiveXControlWithEvents, "
                              u"AddActiveXControlWithoutEvents), a script does not create it");
    BStr detail = u"no class is registered as '" + progId + u"'";
    if (const BStr near = nearestProgId(progId); !near.empty()) detail += u"; did you mean '" + near + u"'?";
    throw NotFoundError(err::CannotCreateObject, std::move(detail));
  }
  return createObject(progId);
}

duk_ret_t activeXObject(duk_context* ctx) {
  return guarded(ctx, [&]() -> duk_ret_t {
    const ObjectRef obj = createByProgId(stringArg(ctx, 0));
    pushObject(ctx, obj);
    return 1;
  });
}

duk_ret_t wsCreateObject(duk_context* ctx) {
  return guarded(ctx, [&]() -> duk_ret_t {
    const ObjectRef obj = createByProgId(stringArg(ctx, 0));
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

void putUtf8(duk_context* ctx, duk_idx_t obj, const char* name, const std::string& value) {
  pushString(ctx, utf16(value));
  duk_put_prop_string(ctx, obj, name);
}

}  // namespace

void installWScript(duk_context* ctx, Engine& e) {
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
}

void installGlobalObjects(duk_context* ctx) {
  for (const auto& [name, obj] : globalObjects()) {
    pushObject(ctx, obj);
    duk_put_global_string(ctx, name.c_str());
  }
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

BStr nearestProgId(BStrView progId) {
  ensureControlPluginsLoaded();
  std::vector<BStr> known = registeredProgIds();
  for (BStr& id : controlClassProgIds()) known.push_back(std::move(id));
  return closestName(progId, known);
}

}  // namespace svx::host
