// The data control over a table of 100,000 rows: DataCtrlOpenData (open the
// database, key the rows, move to the last and back to the first record)
// and a MoveLast on the open recordset. The database is made once in a
// temporary folder of the benchmark's own.
#include <benchmark/benchmark.h>

#include "bench/rows_database.h"
#include "core/dialog_form.h"
#include "platform/automation/coerce.h"
#include "platform/data/recordset.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/message_loop.h"
#include "services/data_control.h"

namespace svx {
namespace {

class Fixture {
 public:
  Fixture() {
    Clock::useVirtualTime();
    messageLoop().reset();
    form_ = makeRef<DialogForm>();
    form_->load();
    Variant missing = Variant::missing();
    call(u"LoadDataCtrl", {&missing});
    DataControl& d = element();
    d.data1().databaseName = utf16(rows_.file().string());
    d.data1().recordSource = u"rows";
  }
  ~Fixture() { form_.reset(); }
  Variant call(BStrView member, std::vector<Variant*> args) {
    std::vector<Variant> refs;
    for (Variant* a : args) refs.push_back(Variant::byRef(*a));
    return form_->invoke(member, InvokeKind::Method, refs);
  }
  DataControl& element() { return dynamic_cast<DataControl&>(form_->array(u"DataCtrl").item(1)); }

 private:
  bench::RowsDatabase rows_;
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
