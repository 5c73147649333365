// Internal to the script host: the engine that runs one script, and what
// every unit of the host shares (hidden keys, the guard around native
// functions, errors, the stash, set-up helpers).
//
// Duktape raises script errors with longjmp. Every native function therefore
// runs its C++ body inside guarded(): C++ exceptions are caught there, and the
// script error is thrown only after every C++ object of the body is gone. The
// bodies use only the non-throwing parts of the Duktape API (protected calls
// wherever script code could run).
#pragma once

#include <duktape.h>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/automation/dispatch.h"
#include "platform/automation/error.h"
#include "platform/automation/object.h"
#include "host/pointer_map.h"

namespace svx::host {

// Hidden keys: invisible to scripts, and read from a Proxy's target without
// running its traps.
#define SVX_KEY(name) DUK_HIDDEN_SYMBOL("svx" name)
// Proxy targets, Refs and VBArrays carry their id under one key, so that a
// value is recognised with one lookup; the id says which map holds it.
inline constexpr const char* kHandleKey = SVX_KEY("Handle");
inline constexpr const char* kObjectKey = kHandleKey;  // proxy target -> objects
inline constexpr const char* kRefKey = kHandleKey;     // Ref -> refs; an event's Ref -> its frame
inline constexpr const char* kArrayKey = kHandleKey;   // VBArray -> arrays
inline constexpr int64_t kMissingId = -1;  // Missing's id under kHandleKey
// An event's Refs inherit their handle, -2 - the index of their frame.
constexpr int64_t eventFrameHandle(int64_t frame) { return -2 - frame; }
constexpr bool isEventFrameHandle(int64_t handle) { return handle < kMissingId; }
constexpr int64_t eventFrameOf(int64_t handle) { return -2 - handle; }
inline constexpr const char* kAnchorKey = SVX_KEY("Anchor");  // an event's Refs -> their anchor
inline constexpr const char* kOwnAnchorKey = SVX_KEY("OwnAnchor");  // ... and their frame's own one
inline constexpr const char* kNamedKey = SVX_KEY("Named");    // Named(...) -> its object
inline constexpr const char* kDetailKey = SVX_KEY("Detail");  // error -> what its report adds
inline constexpr const char* kQuitKey = SVX_KEY("Quit");
inline constexpr const char* kBoundKey = SVX_KEY("Bound");      // bound member -> bound
inline constexpr const char* kMethodsKey = SVX_KEY("Methods");  // proxy target -> its bound members
inline constexpr const char* kPartsKey = SVX_KEY("Parts");      // proxy target -> its parts' proxies

// Thrown by native bodies: the script error to throw is already on the stack.
// It passes every member's error guard.
struct JsPending : ScriptUnwind {};
// An automation error to whose report the host adds what it knows: the
// member or ProgID that was not found and the nearest existing name. The
// script sees the number and the description unchanged (as for the detail
// of any RuntimeError).
class NotFoundError : public RuntimeError {
 public:
  NotFoundError(int32_t number, BStr detail) : RuntimeError(number) { setDetail(std::move(detail)); }
};
// WScript.Quit: unwinds to the top of the script (also out of an event raise).
struct ScriptQuit : ScriptUnwind {};

class Engine;

// The script function that receives an event: its name, and the name as the
// engine's string bytes.
struct EventFunction {
  const EventInfo* event;
  BStr name;
  std::string bytes;
  void* string = nullptr;  // the engine's string, once kept in the stash
};

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

// What a member name means on one class, found once per class and name.
struct MemberEntry {
  BStr name;
  const MemberInfo* get = nullptr;     // for a read: the property get (or method)
  const MemberInfo* method = nullptr;  // for a call
  bool plainGet = false;               // a property get without required parameters
};

struct MemberKey {
  const ClassInfo* cls;
  const void* name;  // the engine's string, kept alive while cached
  bool operator==(const MemberKey&) const = default;
};

struct MemberKeyHash {
  size_t operator()(const MemberKey& k) const noexcept {
    return std::hash<const void*>()(k.cls) * 31 + std::hash<const void*>()(k.name);
  }
};

class Engine : public std::enable_shared_from_this<Engine> {
 public:
  Engine(std::ostream& out, std::ostream& err) : out(out), err(err) {}
  ~Engine() { shutdown(); }

  int run(std::string_view source, const std::string& path, const std::vector<std::string>& arguments);
  void shutdown();

  // Events (events.cpp).
  void connect(const ObjectRef& obj, BStr prefix);
  void disconnect(Object* obj);
  void deliverEvent(EventFunction& function, std::span<Variant> args);
  // Whether a raise of the event would reach the script: false when the
  // global object has no property of the function's name (and no trace
  // would note that).
  bool hasEventFunction(EventFunction& function);
  // The function hasEventFunction found last, until the next delivery.
  const EventFunction* confirmedEvent = nullptr;
  // Pushes the function's name as the engine's string, kept from its first push.
  void pushEventName(EventFunction& function);
  // Whether the global object has a property of the name `name` (an engine
  // string); runs no script code (no getter, no trap).
  bool globalHas(void* name);

  void dropScriptObject(int64_t id);
  // Writes the error at idx to the error stream as file(line): Name: message,
  // with what a NotFoundError adds.
  // Too deep in the call stack to format it (unbounded recursion), the first
  // such error is kept and written once the script has unwound.
  void report(duk_idx_t idx);
  void reportDeferred();
  // "file(line): " of the script code running now ("" outside it).
  std::string scriptLocation();
  // Writes the text of an error box that no display showed (and traces it).
  void reportUnseenErrorBox(const BStr& text);

  duk_context* ctx = nullptr;
  std::ostream& out;
  std::ostream& err;
  // What the script's values stand for, by the id each one carries.
  std::unordered_map<int64_t, ObjectRef> objects;
  // Proxy targets by address, to their ids in `objects`. A target is never
  // given to the script and is freed only after its finalizer has removed it.
  struct Target {
    const ObjectRef* object;  // the entry in `objects`
    const ClassInfo* cls;     // its class, which an object keeps for life
  };
  PointerMap<Target> targets;
  // What a target holds, by its address, for one probe instead of two
  // property reads: the proxies of its object's parts (ClassInfo::
  // partOfParent) that its members returned (at most kMaxParts: the same part
  // comes back as the same script object, made once), and its bound member
  // functions by the name string, which the target's methods object keeps
  // alive as a key (at most kMaxHeldBound).
  struct TargetHeld {
    std::vector<std::pair<const Object*, void*>> parts;
    std::vector<std::pair<const void*, void*>> bound;
  };
  PointerMap<TargetHeld> held;
  static constexpr size_t kMaxParts = 64;
  static constexpr size_t kMaxHeldBound = 128;
  // Refs made by the script (with finalizers of their own), by address, to
  // their entries in `refs` (removed together).
  PointerMap<Variant*> refAddresses;
  std::unordered_map<int64_t, Variant> refs;
  // The Refs of one event raise: bound to the raiser's variables while it
  // runs, holding copies after it. Freed with their anchor, the object the
  // Refs of up to kRaisesPerAnchor raises keep alive; its finalizer runs
  // when the last of them is gone.
  struct EventFrame {
    bool live = false;
    bool ended = false;  // its raise is over
    bool alone = false;  // has an anchor of its own
    std::vector<const void*> addresses;  // the Refs, in argument order
    std::vector<Variant> slots;
  };
  std::vector<EventFrame> eventFrames;
  std::vector<int64_t> freeEventFrames;
  std::unordered_map<int64_t, std::vector<int64_t>> anchorFrames;  // anchor id -> its frames
  static constexpr int kRaisesPerAnchor = 64;
  void* openAnchor = nullptr;  // what the open anchor's links inherit, pinned in the stash while open
  int64_t openAnchorId = 0;
  int openAnchorRaises = 0;
  int64_t openEventAnchor();
  void closeEventAnchor(duk_context* ctx);
  void freeEventAnchor(int64_t id);
  int64_t newEventFrame(size_t count);
  void bindEventRef(int64_t frame, size_t i, const void* address, Variant slot);
  Variant* eventRefSlot(int64_t frame, const void* address);
  bool keepEventFrame(int64_t frame);
  bool eventFrameEnded(int64_t frame) const;
  bool eventFrameHoldsObjects(int64_t frame) const;
  bool anchorFrameAlone(int64_t frame);
  void freeEventFrame(int64_t frame);
  std::unordered_map<int64_t, Variant> arrays;
  // Bound member functions: the object and what the member's name means.
  struct BoundMember {
    ObjectRef object;
    const MemberEntry* member;
    std::optional<MemberEntry> own;  // when the name cache was full
  };
  std::unordered_map<int64_t, BoundMember> bound;
  PointerMap<const BoundMember*> boundFunctions;  // by the function's address
  int64_t nextId = 1;
  struct Connection {
    WeakRef<Object> object;
    int32_t cookie;
    BStr prefix;
    const ClassInfo* events;  // the object's class (its table lives as long as the program)
  };
  std::vector<Connection> connections;
  // The script's global functions that start with a prefix and match no
  // event are looked for after a connection, before the next event (or at
  // the end): by then the script has usually made its other connections.
  bool eventFunctionsUnchecked = false;
  std::vector<std::string> reportedEventFunctions;
  void checkEventFunctions();
  bool closing = false;
  bool quitting = false;
  bool errorDeferred = false;
  int exitCode = 0;
  // Heap pointers of values that stay reachable (stash entries, pinned key
  // strings and functions), by the address that names them.
  std::vector<std::pair<const void*, void*>> heapCache;
  // Member names by class (at most kMaxCachedMembers).
  std::unordered_map<MemberKey, MemberEntry, MemberKeyHash> members;
  static constexpr size_t kMaxCachedMembers = 4096;
  // The entries of `members` used last, by a hash of their key: one probe
  // for the names a loop reads again and again.
  struct RecentMember {
    MemberKey key{};
    const MemberEntry* entry = nullptr;
  };
  std::array<RecentMember, 256> recentMembers{};
  // The default member of the class whose objects were called last.
  MemberCache defaultMember;
  // The call trace (trace.h).
  bool trace = false;
  int traceDepth = 0;
  std::string tracePending;
  int64_t tracePendingId = 0;
  int64_t traceCalls = 0;
  std::string scriptPath;
  std::string scriptFullPath;
  std::vector<std::string> arguments;
};

Engine& engineOf(duk_context* ctx);

template <class Map>
void eraseDeferred(Map& map, int64_t id) {
  // The value is dropped after the map is consistent again: releasing it may
  // run code that comes back here.
  auto it = map.find(id);
  if (it == map.end()) return;
  auto value = std::move(it->second);
  map.erase(it);
}

// --- text and errors ---------------------------------------------------------

void pushString(duk_context* ctx, BStrView s);
BStr jsString(duk_context* ctx, duk_idx_t idx);
int32_t scriptErrorNumber(int32_t number);
void pushAutomationError(duk_context* ctx, int32_t number, const BStr& description);
// The error for the script, with the detail its report adds.
void pushRuntimeError(duk_context* ctx, const RuntimeError& e);
void pushQuit(duk_context* ctx);
bool isQuit(duk_context* ctx, duk_idx_t idx);

template <class F>
duk_ret_t guardedBody(duk_context* ctx, F&& body) {
  {
    try {
      return body();
    } catch (const RuntimeError& e) {
      pushRuntimeError(ctx, e);
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

// --- stash and set-up ------------------------------------------------------------

// Stash entries are set once, when the engine is set up.
void pushStashed(duk_context* ctx, const char* key);
// Pushes the key string `key` (kept alive for the engine's life).
void pushKey(duk_context* ctx, const char* key);
// Pushes one function object of the engine for `f`.
void pushSharedFunction(duk_context* ctx, duk_c_function f, duk_idx_t nargs);
std::optional<int64_t> hiddenId(duk_context* ctx, duk_idx_t idx, const char* key);

void putFunction(duk_context* ctx, duk_idx_t obj, const char* name, duk_c_function f, duk_idx_t nargs);
void putAccessor(duk_context* ctx, duk_idx_t obj, const char* name, duk_c_function getter, duk_c_function setter);
// A constructor with its prototype object (left in the stash under `protoKey`).
void defineClass(duk_context* ctx, const char* name, duk_c_function ctor, const char* protoKey,
                 const std::function<void(duk_idx_t proto)>& members);

}  // namespace svx::host
