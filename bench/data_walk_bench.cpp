// A walk over a table of 100,000 rows that reads two fields of every row:
// from C++ on a data control's recordset (and one that only moves, through a
// Dialog that hears no Reposition), from a script through Dialog (with
// Field objects taken once, and with rs.Fields("name").Value on every row),
// and by the script engine alone. Each iteration is one walk from the first
// row to the end; each walk but the moves alone is followed by one of the
// reference, Python's sqlite3 cursor over the same file (python3 is needed).
// The database is made once in a temporary folder of the benchmark's own.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <duktape.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "bench/rows_database.h"
#include "core/dialog_form.h"
#include "dialog/dialog.h"
#include "dialog/dialog_form_api.h"
#include "host/script_host.h"
#include "platform/automation/coerce.h"
#include "platform/data/recordset.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/message_loop.h"
#include "services/data_control.h"

extern char** environ;

namespace svx {
namespace {

// The table, and the classes the script creates.
class Database {
 public:
  Database() {
    Clock::useVirtualTime();
    Dialog::registerProgId();
    registerDialogForm();
  }
  const std::filesystem::path& file() const { return rows_.file(); }

 private:
  bench::RowsDatabase rows_;
};

Database& database() {
  static Database d;
  return d;
}

// Python's sqlite3 module walks the same file: one child process that walks
// once per line it reads and answers with the seconds the walk took.
const char* const kPythonWalk = R"(
import sqlite3, sys, time
for line in sys.stdin:
    start = time.perf_counter()
    con = sqlite3.connect(sys.argv[1])
    for row in con.execute("SELECT * FROM rows"):
        a = row[1]
        b = row[2]
    con.close()
    print(time.perf_counter() - start, flush=True)
)";

class PythonWalker {
 public:
  explicit PythonWalker(const std::filesystem::path& file) {
    signal(SIGPIPE, SIG_IGN);  // a child that ended is an error to report, not a reason to die
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0) return;
    if (pipe2(out, O_CLOEXEC) != 0) {
      close(in[0]);
      close(in[1]);
      return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    const std::string path = file.string();
    char* argv[] = {const_cast<char*>("python3"), const_cast<char*>("-c"), const_cast<char*>(kPythonWalk),
                    const_cast<char*>(path.c_str()), nullptr};
    const bool started = posix_spawnp(&pid_, "python3", &actions, nullptr, argv, environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    if (!started) {
      close(in[1]);
      close(out[0]);
      pid_ = -1;
      return;
    }
    to_ = fdopen(in[1], "w");
    from_ = fdopen(out[0], "r");
  }
  ~PythonWalker() {
    if (to_) fclose(to_);
    if (from_) fclose(from_);
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
  }
  PythonWalker(const PythonWalker&) = delete;
  PythonWalker& operator=(const PythonWalker&) = delete;

  // The seconds of one walk; negative when Python is not there.
  double walk() {
    if (!to_ || !from_) return -1;
    if (fputs("walk\n", to_) < 0 || fflush(to_) != 0) return -1;
    double seconds = -1;
    if (fscanf(from_, "%lf", &seconds) != 1) return -1;
    return seconds;
  }

 private:
  pid_t pid_ = -1;
  FILE* to_ = nullptr;
  FILE* from_ = nullptr;
};

// Each walk compared with Python (all below but the moves alone) alternates
// with a walk of Python over the same file, so that a machine whose speed
// drifts touches both alike. A benchmark's time is
// its own walks' (manual time); its counter "python_ns" is the mean of
// Python's walks between them, and "per_python" the time of its own walks
// over the time of Python's.
class PythonPeer {
 public:
  PythonPeer() : python_(database().file()) {}
  // The benchmark's own walk took `seconds`: it is timed so, and one walk of
  // Python follows.
  bool walked(benchmark::State& state, double seconds) {
    state.SetIterationTime(seconds);
    const double python = python_.walk();
    if (python < 0) {
      state.SkipWithError("python3 with its sqlite3 module is not available");
      return false;
    }
    own_ += seconds;
    python_total_ += python;
    ++walks_;
    return true;
  }
  void report(benchmark::State& state) const {
    if (!walks_) return;
    state.counters["python_ns"] = python_total_ / walks_ * 1e9;
    state.counters["per_python"] = own_ / python_total_;
  }

 private:
  PythonWalker python_;
  double own_ = 0;
  double python_total_ = 0;
  int walks_ = 0;
};

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void DataWalkCpp(benchmark::State& state) {
  Database& db = database();
  messageLoop().reset();
  Ref<DialogForm> form = makeRef<DialogForm>();
  form->load();
  Variant missing = Variant::missing(), index(1), number, description;
  std::vector<Variant> load{Variant::byRef(missing)};
  form->invoke(u"LoadDataCtrl", InvokeKind::Method, load);
  auto& control = dynamic_cast<DataControl&>(form->array(u"DataCtrl").item(1));
  control.data1().databaseName = utf16(db.file().string());
  control.data1().recordSource = u"rows";
  std::vector<Variant> open{Variant::byRef(index), Variant::byRef(number), Variant::byRef(description)};
  form->invoke(u"DataCtrlOpenData", InvokeKind::Method, open);
  if (toI4(number) != 0) {
    state.SkipWithError("DataCtrlOpenData failed");
    return;
  }
  data::Recordset& rs = *control.data1().recordset();
  const int32_t name = rs.fieldIndex(u"name"), amount = rs.fieldIndex(u"amount");
  int32_t rows = 0;
  PythonPeer python;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    rows = 0;
    rs.moveFirst();
    while (!rs.eof()) {
      benchmark::DoNotOptimize(rs.fieldValue(name));
      benchmark::DoNotOptimize(rs.fieldValue(amount));
      rs.moveNext();
      ++rows;
    }
    if (!python.walked(state, secondsSince(start))) break;
  }
  state.counters["rows"] = rows;
  python.report(state);
  form.reset();
  messageLoop().reset();
}
BENCHMARK(DataWalkCpp)->Unit(benchmark::kMillisecond)->UseManualTime();

// Moves alone, on a data control of a Dialog that one listener is connected
// to and that hears no Reposition: what each move costs to find out that
// nobody would receive the event (the control, the form, the dialog).
void DataMovesThroughDialog(benchmark::State& state) {
  Database& db = database();
  messageLoop().reset();
  ObjectRef dlg = createObject(u"Sorvanelix.Dialog");
  dlg->connect(std::make_shared<FunctionSink>([](Object&, const EventInfo&, std::span<Variant>) {},
                                              [](Object&, const EventInfo&) { return false; }));
  Variant missing = Variant::missing(), number, description;
  const auto call = [&](BStrView member, std::vector<Variant> args) {
    args.push_back(Variant::byRef(number));
    args.push_back(Variant::byRef(description));
    return dlg->invoke(member, InvokeKind::Method, args);
  };
  Variant index = call(u"LoadDataCtrl", {Variant::byRef(missing)});
  Variant name(utf16(db.file().string())), source(u"rows");
  std::vector<Variant> set(17, Variant::missing());
  set[0] = Variant::byRef(index);
  set[4] = Variant::byRef(name);
  set[11] = Variant::byRef(source);
  call(u"SetDataCtrl", set);
  call(u"DataCtrlOpenData", {Variant::byRef(index)});
  const Variant object = call(u"DataCtrlObject", {Variant::byRef(index)});
  if (toI4(number) != 0 || !object.isObject()) {
    state.SkipWithError("DataCtrlOpenData failed");
    return;
  }
  Ref<data::Recordset> rs = refCast<data::Recordset>(
      object.asObject()->invoke(u"Recordset", InvokeKind::PropertyGet, {}).asObject());
  int32_t rows = 0;
  for (auto _ : state) {
    rows = 0;
    for (rs->moveFirst(); !rs->eof(); rs->moveNext()) ++rows;
  }
  state.counters["rows"] = rows;
  rs.reset();
  dlg.reset();
  messageLoop().reset();
}
BENCHMARK(DataMovesThroughDialog)->Unit(benchmark::kMillisecond);

// The script's handle on the benchmark: Next() runs the benchmark's loop.
class WalkDriver : public Object {
 public:
  explicit WalkDriver(benchmark::State& state, PythonPeer& python) : state_(state), python_(python) {}
  static const ClassInfo& info() {
    static const ClassInfo ci = ClassInfo(u"WalkDriver")
                                    .method<&WalkDriver::Next>(u"Next", {})
                                    .get<&WalkDriver::File>(u"File");
    return ci;
  }
  const ClassInfo& classInfo() const override { return info(); }
  // Ends the walk before (and walks Python) and starts the next.
  Variant Next() {
    if (walking_ && !python_.walked(state_, secondsSince(start_))) return Variant(false);
    walking_ = state_.KeepRunning();
    start_ = std::chrono::steady_clock::now();
    return Variant(walking_);
  }
  Variant File() { return Variant(utf16(database().file().string())); }

 private:
  benchmark::State& state_;
  PythonPeer& python_;
  bool walking_ = false;
  std::chrono::steady_clock::time_point start_;
};

// One walk per Bench.Next(): `setUp` runs once after the recordset `rs` is
// open, `readRow` on every row into a and b.
std::string scriptWalk(const char* setUp, const char* readRow) {
  return std::string(R"(
(function () {
  var dlg = WScript.CreateObject("Sorvanelix.Dialog", "dlg_");
  var err = new Ref(0), desc = new Ref("");
  var data = dlg.LoadDataCtrl(Missing, err, desc);
  dlg.SetDataCtrl(data, Named({strDatabaseName: Bench.File, strRecordSource: "rows"}));
  dlg.DataCtrlOpenData(data, err, desc);
  if (err.value != 0) throw new Error(desc.value);
  var rs = dlg.DataCtrlObject(data, err, desc).Recordset;
  var a, b, n;
)") + setUp + R"(
  while (Bench.Next()) {
    n = 0;
    rs.MoveFirst();
    while (!rs.EOF) {
)" + readRow + R"(
      rs.MoveNext();
      ++n;
    }
    if (n !== 100000) throw new Error("walked " + n + " rows");
  }
})();
)";
}

// The fields are taken once, as Field objects that follow the current row.
const std::string kScriptWalk = scriptWalk(R"(var name = rs.Fields("name"), amount = rs.Fields("amount");)",
                                           "a = name.Value; b = amount.Value;");

// The reference's own idiom: each field looked up by name on every row.
const std::string kScriptWalkByName =
    scriptWalk("", R"(a = rs.Fields("name").Value; b = rs.Fields("amount").Value;)");

void runScriptWalk(benchmark::State& state, const std::string& script) {
  database();
  messageLoop().reset();
  PythonPeer python;
  host::addGlobalObject("Bench", makeRef<WalkDriver>(state, python));
  std::ostringstream out, err;
  host::ScriptHost host(out, err);
  const int status = host.run(script, "walk.js");
  host::removeGlobalObject("Bench");
  messageLoop().reset();
  if (status != 0) state.SkipWithError(("script failed: " + err.str()).c_str());
  python.report(state);
}

void DataWalkScript(benchmark::State& state) { runScriptWalk(state, kScriptWalk); }
BENCHMARK(DataWalkScript)->Unit(benchmark::kMillisecond)->UseManualTime();

void DataWalkScriptFieldsByName(benchmark::State& state) { runScriptWalk(state, kScriptWalkByName); }
BENCHMARK(DataWalkScriptFieldsByName)->Unit(benchmark::kMillisecond)->UseManualTime();

// The engine's own share of the by-name walk: the same loop against objects
// whose traps answer at once (no host, no data): a Proxy recordset whose
// Fields is a callable Proxy handing out one Proxy field, whose Value is a
// new string for "name" and a number for "amount", as the real walk's are.
struct FloorWalk {
  int row = 0;
  void* fields = nullptr;
  void* field = nullptr;
  void* moveNext = nullptr;
  bool amount = false;
};

FloorWalk& floorWalk(duk_context* ctx) {
  duk_memory_functions f;
  duk_get_memory_functions(ctx, &f);
  return *static_cast<FloorWalk*>(f.udata);
}

duk_ret_t floorGet(duk_context* ctx) {
  FloorWalk& w = floorWalk(ctx);
  duk_size_t n = 0;
  const char* key = duk_get_lstring(ctx, 1, &n);
  const std::string_view name(key ? key : "", n);
  if (name == "EOF") {
    duk_push_boolean(ctx, w.row >= bench::kRows);
  } else if (name == "Fields") {
    duk_push_heapptr(ctx, w.fields);
  } else if (name == "MoveNext") {
    duk_push_heapptr(ctx, w.moveNext);
  } else if (name == "Value") {
    if (w.amount) {
      duk_push_number(ctx, w.row * 0.5);
    } else {
      char text[32];
      const int len = std::snprintf(text, sizeof text, "row %d", w.row + 1);
      duk_push_lstring(ctx, text, static_cast<duk_size_t>(len));
    }
  } else {
    duk_push_undefined(ctx);
  }
  return 1;
}

duk_ret_t floorItem(duk_context* ctx) {
  FloorWalk& w = floorWalk(ctx);
  duk_size_t n = 0;
  const char* key = duk_get_lstring(ctx, 0, &n);
  w.amount = std::string_view(key ? key : "", n) == "amount";
  duk_push_heapptr(ctx, w.field);
  return 1;
}

duk_ret_t floorMoveNext(duk_context* ctx) {
  ++floorWalk(ctx).row;
  return 0;
}

duk_ret_t floorMoveFirst(duk_context* ctx) {
  floorWalk(ctx).row = 0;
  return 0;
}

void DataWalkEngineFloor(benchmark::State& state) {
  FloorWalk w;
  duk_context* ctx = duk_create_heap(nullptr, nullptr, nullptr, &w, nullptr);
  const duk_idx_t handler = duk_push_bare_object(ctx);
  duk_push_c_function(ctx, floorGet, 3);
  duk_put_prop_string(ctx, handler, "get");
  duk_push_c_function(ctx, floorMoveNext, 0);
  w.moveNext = duk_get_heapptr(ctx, -1);
  duk_put_global_string(ctx, "floorMoveNext");  // kept alive
  duk_push_object(ctx);
  duk_dup(ctx, handler);
  duk_push_proxy(ctx, 0);
  w.field = duk_get_heapptr(ctx, -1);
  duk_put_global_string(ctx, "floorField");
  duk_push_c_function(ctx, floorItem, DUK_VARARGS);
  duk_dup(ctx, handler);
  duk_push_proxy(ctx, 0);
  w.fields = duk_get_heapptr(ctx, -1);
  duk_put_global_string(ctx, "floorFields");
  duk_push_object(ctx);
  duk_dup(ctx, handler);
  duk_push_proxy(ctx, 0);
  duk_put_global_string(ctx, "rs");
  duk_push_c_function(ctx, floorMoveFirst, 0);
  duk_put_global_string(ctx, "moveFirst");
  duk_pop(ctx);  // the handler
  duk_eval_string(ctx,
                  "(function () { var rs = this.rs, first = this.moveFirst;"
                  " return function () { var a, b, n = 0; first();"
                  " while (!rs.EOF) { a = rs.Fields('name').Value; b = rs.Fields('amount').Value; rs.MoveNext(); ++n; }"
                  " return n; }; })()");
  PythonPeer python;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    duk_dup(ctx, -1);
    duk_call(ctx, 0);
    if (duk_get_int(ctx, -1) != bench::kRows) state.SkipWithError("the walk took another number of rows");
    duk_pop(ctx);
    if (!python.walked(state, secondsSince(start))) break;
  }
  python.report(state);
  duk_destroy_heap(ctx);
}
BENCHMARK(DataWalkEngineFloor)->Unit(benchmark::kMillisecond)->UseManualTime();

}  // namespace
}  // namespace svx

BENCHMARK_MAIN();
