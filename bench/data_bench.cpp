// The data control over a table of 100,000 rows: DataCtrlOpenData (open the
// database, key the rows, move to the last and back to the first record)
// and a MoveLast on the open recordset. The database is made once in a
// temporary folder of the benchmark's own.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "core/dialog_form.h"
#include "platform/automation/coerce.h"
#include "platform/data/recordset.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/message_loop.h"
#include "services/data_control.h"

namespace svx {
namespace {

constexpr int kRows = 100000;

class Fixture {
 public:
  Fixture() {
    std::string pattern = (std::filesystem::temp_directory_path() / "svx-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    folder_ = pattern;
    file_ = folder_ / "rows.db";
    sqlite3* db = nullptr;
    sqlite3_open_v2(file_.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    const std::string sql =
        "CREATE TABLE rows (id INTEGER PRIMARY KEY, name TEXT, amount REAL);"
        "WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < " + std::to_string(kRows) +
        ") INSERT INTO rows SELECT i, 'row ' || i, i * 0.5 FROM k;";
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    if (rc != SQLITE_OK) throw std::runtime_error("cannot make the database");

    Clock::useVirtualTime();
    messageLoop().reset();
    form_ = makeRef<DialogForm>();
    form_->load();
    Variant missing = Variant::missing();
    call(u"LoadDataCtrl", {&missing});
    DataControl& d = element();
    d.data1().databaseName = utf16(file_.string());
    d.data1().recordSource = u"rows";
  }
  ~Fixture() {
    form_.reset();
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  Variant call(BStrView member, std::vector<Variant*> args) {
    std::vector<Variant> refs;
    for (Variant* a : args) refs.push_back(Variant::byRef(*a));
    return form_->invoke(member, InvokeKind::Method, refs);
  }
  DataControl& element() { return dynamic_cast<DataControl&>(form_->array(u"DataCtrl").item(1)); }

 private:
  std::filesystem::path folder_, file_;
  Ref<DialogForm> form_;
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

void DataCtrlOpenData(benchmark::State& state) {
  Fixture& f = fixture();
  Variant index(1), number, description;
  for (auto _ : state) {
    f.call(u"DataCtrlOpenData", {&index, &number, &description});
    if (toI4(number) != 0) state.SkipWithError("DataCtrlOpenData failed");
  }
  state.counters["rows"] = f.element().data1().recordset()->recordCount();
}
BENCHMARK(DataCtrlOpenData)->Unit(benchmark::kMillisecond);

void MoveLast(benchmark::State& state) {
  Fixture& f = fixture();
  Variant index(1), number, description;
  f.call(u"DataCtrlOpenData", {&index, &number, &description});
  data::Recordset& rs = *f.element().data1().recordset();
  for (auto _ : state) {
    rs.moveFirst();
    rs.moveLast();
    benchmark::DoNotOptimize(rs.absolutePosition());
  }
}
BENCHMARK(MoveLast)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace svx

BENCHMARK_MAIN();
