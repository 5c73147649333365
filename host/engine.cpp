#include "host/engine.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <utility>

#include "host/globals.h"
#include "host/js_text.h"
#include "host/objects.h"
#include "host/script_host.h"
#include "host/trace.h"
#include "host/values.h"
#include "platform/files/regular_file.h"

#include <sys/stat.h>
#include <unistd.h>

namespace svx::host {

namespace {
// The engine of the context asked for last (calls come many to a context).
thread_local duk_context* lastContext = nullptr;
thread_local Engine* lastEngine = nullptr;
// The engine whose script runs (the innermost one).
thread_local Engine* runningEngine = nullptr;
}  // namespace

Engine& engineOf(duk_context* ctx) {
  if (ctx == lastContext) return *lastEngine;
  duk_memory_functions f;
  duk_get_memory_functions(ctx, &f);
  lastContext = ctx;
  lastEngine = static_cast<Engine*>(f.udata);
  return *lastEngine;
}

// --- errors ---------------------------------------------------------------

int32_t scriptErrorNumber(int32_t number) {
  if (number > 0 && number <= 0xFFFF) return static_cast<int32_t>(0x800A0000u | static_cast<uint32_t>(number));
  return number;
}

void pushString(duk_context* ctx, BStrView s) {
  // Short ASCII text without a heap copy.
  constexpr size_t kShort = 128;
  if (s.size() <= kShort && std::all_of(s.begin(), s.end(), [](char16_t c) { return c < 0x80; })) {
    std::array<char, kShort> buf;
    std::transform(s.begin(), s.end(), buf.begin(), [](char16_t c) { return static_cast<char>(c); });
    duk_push_lstring(ctx, buf.data(), s.size());
    return;
  }
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

void pushRuntimeError(duk_context* ctx, const RuntimeError& e) {
  pushAutomationError(ctx, e.number(), e.description());
  if (e.detail().empty()) return;
  pushString(ctx, e.detail());
  duk_put_prop_string(ctx, -2, kDetailKey);
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

// --- stash ------------------------------------------------------------------

namespace {

bool pushCached(duk_context* ctx, const void* name) {
  const Engine& e = engineOf(ctx);
  for (const auto& [n, ptr] : e.heapCache)
    if (n == name) {
      duk_push_heapptr(ctx, ptr);
      return true;
    }
  return false;
}

// Keeps the value on the stack top reachable from the stash and caches it.
void pinAndCache(duk_context* ctx, const void* name) {
  Engine& e = engineOf(ctx);
  duk_push_global_stash(ctx);
  if (!duk_get_prop_string(ctx, -1, "pinned")) {
    duk_pop(ctx);
    duk_push_array(ctx);
    duk_dup_top(ctx);
    duk_put_prop_string(ctx, -3, "pinned");
  }
  duk_dup(ctx, -3);
  duk_put_prop_index(ctx, -2, static_cast<duk_uarridx_t>(duk_get_length(ctx, -2)));
  duk_pop_2(ctx);
  e.heapCache.emplace_back(name, duk_get_heapptr(ctx, -1));
}

}  // namespace

void pushStashed(duk_context* ctx, const char* key) {
  if (pushCached(ctx, key)) return;
  duk_push_global_stash(ctx);
  duk_get_prop_string(ctx, -1, key);
  duk_remove(ctx, -2);
  if (duk_is_object(ctx, -1) && !engineOf(ctx).closing) engineOf(ctx).heapCache.emplace_back(key, duk_get_heapptr(ctx, -1));
}

void pushKey(duk_context* ctx, const char* key) {
  if (pushCached(ctx, key)) return;
  duk_push_string(ctx, key);
  // While the heap is torn down (finalizers) nothing new is pinned.
  if (!engineOf(ctx).closing) pinAndCache(ctx, key);
}

void pushSharedFunction(duk_context* ctx, duk_c_function f, duk_idx_t nargs) {
  const void* name = reinterpret_cast<const void*>(f);
  if (pushCached(ctx, name)) return;
  duk_push_c_function(ctx, f, nargs);
  if (!engineOf(ctx).closing) pinAndCache(ctx, name);
}

std::optional<int64_t> hiddenId(duk_context* ctx, duk_idx_t idx, const char* key) {
  if (!duk_is_object(ctx, idx)) return std::nullopt;
  idx = duk_normalize_index(ctx, idx);
  std::optional<int64_t> id;
  pushKey(ctx, key);
  if (duk_get_prop(ctx, idx) && duk_is_number(ctx, -1)) id = static_cast<int64_t>(duk_get_number(ctx, -1));
  duk_pop(ctx);
  return id;
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

namespace {

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

// [value] -> [what a NotFoundError added to it, or undefined]
duk_ret_t readDetail(duk_context* ctx, void*) {
  if (duk_is_object(ctx, -1)) duk_get_prop_string(ctx, -1, kDetailKey);
  else duk_push_undefined(ctx);
  return 1;
}

duk_ret_t installGlobals(duk_context* ctx, void* udata) {
  Engine& e = *static_cast<Engine*>(udata);
  duk_push_global_stash(ctx);
  const duk_idx_t stash = duk_get_top_index(ctx);
  duk_eval_string(ctx, kFormatError);
  duk_put_prop_string(ctx, stash, "formatError");
  installValues(ctx, stash);
  installObjects(ctx, stash);
  installWScript(ctx, e);
  installGlobalObjects(ctx);
  duk_pop(ctx);  // stash
  return 0;
}

// Whether a line uses syntax of a later edition than ES5: let, const, an
// arrow function, a template string, a class.
bool usesLaterSyntax(std::string_view line) {
  if (line.find('`') != std::string_view::npos || line.find("=>") != std::string_view::npos) return true;
  auto word = [&](std::string_view w) {
    for (size_t at = line.find(w); at != std::string_view::npos; at = line.find(w, at + 1)) {
      const bool before = at == 0 || !(std::isalnum(static_cast<unsigned char>(line[at - 1])) || line[at - 1] == '_' ||
                                       line[at - 1] == '$' || line[at - 1] == '.');
      const size_t end = at + w.size();
      if (before && end < line.size() && (line[end] == ' ' || line[end] == '\t')) return true;
    }
    return false;
  };
  return word("let") || word("const") || word("class");
}

// The source line `n` (from 1).
std::string_view sourceLine(std::string_view source, long n) {
  for (long i = 1; i < n; ++i) {
    const size_t nl = source.find('\n');
    if (nl == std::string_view::npos) return {};
    source.remove_prefix(nl + 1);
  }
  return source.substr(0, source.find('\n'));
}

// A syntax error at (or just after) a line with syntax of a later edition:
// its report adds that the host runs ES5.
void noteLaterSyntax(duk_context* ctx, std::string_view source) {
  if (!duk_is_error(ctx, -1) || duk_get_error_code(ctx, -1) != DUK_ERR_SYNTAX_ERROR) return;
  duk_get_prop_string(ctx, -1, "lineNumber");
  const auto line = static_cast<long>(duk_get_number_default(ctx, -1, 0));
  duk_pop(ctx);
  if (line <= 0 || !(usesLaterSyntax(sourceLine(source, line)) || usesLaterSyntax(sourceLine(source, line - 1))))
    return;
  duk_push_string(ctx,
                  "the host runs ECMAScript 5 (ES5.1): let, const, arrow functions, template strings and classes "
                  "are later syntax; use var, function and string concatenation");
  duk_put_prop_string(ctx, -2, kDetailKey);
}

[[noreturn]] void fatal(void*, const char* msg) {
  std::fprintf(stderr, "sorvanelix-script: fatal script engine error: %s\n", msg ? msg : "");
  std::abort();
}

}  // namespace

// --- Engine ----------------------------------------------------------------------

void JScriptObject::terminate() {
  if (auto e = engine_.lock()) e->dropScriptObject(id_);
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
    if (!errorDeferred) {
      // No room left for the call that formats it: written after the unwind.
      errorDeferred = true;
      duk_push_global_stash(ctx);
      duk_dup(ctx, idx);
      duk_put_prop_string(ctx, -2, "deferredError");
      duk_pop(ctx);
      return;
    }
    duk_dup(ctx, idx);
  }
  duk_safe_to_string(ctx, -1);
  std::string line = utf8(jsString(ctx, -1));
  duk_pop(ctx);
  // Protected: the value may be a script's Proxy, whose traps may throw.
  duk_dup(ctx, idx);
  if (duk_safe_call(ctx, readDetail, nullptr, 1, 1) == DUK_EXEC_SUCCESS && duk_is_string(ctx, -1))
    line += ": " + utf8(jsString(ctx, -1));
  duk_pop(ctx);
  err << line << '\n';
  err.flush();
}

void Engine::reportDeferred() {
  if (!errorDeferred || !ctx) return;
  pushStashed(ctx, "deferredError");
  report(-1);
  duk_pop(ctx);
  errorDeferred = false;
}

std::string Engine::scriptLocation() {
  if (!ctx || !duk_check_stack(ctx, 4)) return {};
  // The innermost entry of the call stack that is script code.
  for (duk_int_t level = -1; level >= -64; --level) {
    duk_inspect_callstack_entry(ctx, level);
    if (duk_is_undefined(ctx, -1)) {
      duk_pop(ctx);
      return {};
    }
    duk_get_prop_string(ctx, -1, "lineNumber");
    const auto line = static_cast<long>(duk_get_number_default(ctx, -1, 0));
    duk_pop_2(ctx);
    if (line > 0) return scriptPath + "(" + std::to_string(line) + "): ";
  }
  return {};
}

void Engine::reportUnseenErrorBox(const BStr& text) {
  const std::string line = "error box: " + utf8(text);
  if (trace) traceNote(*this, line);
  err << scriptLocation() << line << '\n';
  err.flush();
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

  struct Running {
    Engine* outer;
    explicit Running(Engine* e) : outer(std::exchange(runningEngine, e)) {}
    ~Running() { runningEngine = outer; }
  } running(this);
  int status = 0;
  const std::string code = toCesu8(utf16(source));
  duk_push_lstring(ctx, code.data(), code.size());
  duk_push_string(ctx, path.c_str());
  if (duk_pcompile(ctx, 0) != DUK_EXEC_SUCCESS) {
    noteLaterSyntax(ctx, source);
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
    status = quitting ? exitCode : 0;
  }
  duk_pop(ctx);
  reportDeferred();
  if (eventFunctionsUnchecked) checkEventFunctions();
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
  duk_destroy_heap(ctx);
  // A later heap may be given the same address.
  if (lastContext == ctx) lastContext = nullptr;
  ctx = nullptr;
  heapCache.clear();
  members.clear();
  recentMembers.fill({});
  auto leftBound = std::move(bound);
  auto leftObjects = std::move(objects);
  auto leftRefs = std::move(refs);
  auto leftFrames = std::move(eventFrames);
  auto leftArrays = std::move(arrays);
  bound.clear();
  boundFunctions.clear();
  targets.clear();
  held.clear();
  refAddresses.clear();
  objects.clear();
  refs.clear();
  eventFrames.clear();
  freeEventFrames.clear();
  anchorFrames.clear();
  openAnchor = nullptr;
  arrays.clear();
}

void reportUnseenErrorBox(const BStr& text) {
  if (runningEngine && runningEngine->ctx) {
    runningEngine->reportUnseenErrorBox(text);
    return;
  }
  std::cerr << "error box: " << utf8(text) << '\n';
}

ScriptHost::ScriptHost() : ScriptHost(std::cout, std::cerr) {}
ScriptHost::ScriptHost(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

int ScriptHost::run(std::string_view source, const std::string& scriptPath, const std::vector<std::string>& args) {
  auto engine = std::make_shared<Engine>(out_, err_);
  engine->trace = trace_;
  return engine->run(source, scriptPath, args);
}

namespace {

constexpr size_t kMaxScriptBytes = size_t{64} << 20;

// Why `path` cannot be run as a script, for a file that openRegularFile
// refused.
std::string unreadableReason(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::strerror(errno);
  if (S_ISDIR(st.st_mode)) return "it is a folder, not a script file";
  if (S_ISFIFO(st.st_mode)) return "it is a FIFO, not a script file";
  if (!S_ISREG(st.st_mode)) return "it is not a regular file";
  if (::access(path.c_str(), R_OK) != 0) return std::strerror(errno);
  return "it cannot be opened";
}

}  // namespace

int ScriptHost::runFile(const std::string& path, const std::vector<std::string>& args) {
  // A regular file only: a folder, a FIFO or a device is refused without
  // waiting on it.
  int32_t error = 0;
  const RegularFile file = openRegularFile(path, FileOpen::Read, error);
  if (!file) {
    err_ << "sorvanelix-script: cannot run " << path << ": " << unreadableReason(path) << '\n';
    return 1;
  }
  std::string source;
  try {
    const std::vector<uint8_t> bytes = file.readAll(kMaxScriptBytes);
    source.assign(bytes.begin(), bytes.end());
  } catch (const RuntimeError& e) {
    err_ << "sorvanelix-script: cannot read " << path << ": "
         << (e.number() == err::OutOfMemory ? "it is larger than 64 MiB" : "a read failed") << '\n';
    return 1;
  }
  if (source.starts_with("\xEF\xBB\xBF")) source.erase(0, 3);
  return run(source, path, args);
}

}  // namespace svx::host
