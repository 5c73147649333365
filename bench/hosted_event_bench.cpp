// One event of a control hosted with events, end to end: the control raises
// it with four by-reference parameters, the extender reports it, the
// companion and the form's relay turn it into ActiveXControlEvent with the
// parameter table, a listener changes every value, and the values are
// written back into the control's variables.
#include <benchmark/benchmark.h>

#include "core/dialog_form.h"
#include "platform/automation/class_registry.h"
#include "platform/desktop/clock.h"
#include "platform/forms/control_extender.h"

namespace svx {
namespace {

class FourParameters : public HostedControl {
 public:
  static const ClassInfo& info() {
    static const ClassInfo ci = ClassInfo(u"FourParameters");
    return ci;
  }
  const ClassInfo& classInfo() const override { return info(); }

  void fire() {
    raiseControlEvent(u"Change", {makeRef<VariableParameter>(u"A", Variant::byRef(a)),
                                  makeRef<VariableParameter>(u"B", Variant::byRef(b)),
                                  makeRef<VariableParameter>(u"C", Variant::byRef(c)),
                                  makeRef<VariableParameter>(u"D", Variant::byRefBool(d))});
  }
  int32_t a = 1;
  int16_t b = 2;
  double c = 3;
  int16_t d = 0;
};

void ObjectEventRoundTrip(benchmark::State& state) {
  Clock::useVirtualTime();
  registerControlClass({u"Bench.FourParameters", [] { return ObjectRef(makeRef<FourParameters>()); }, std::nullopt,
                        nullptr});
  auto form = makeRef<DialogForm>();
  form->load();
  form->connect(std::make_shared<FunctionSink>([](Object&, const EventInfo& ev, std::span<Variant> args) {
    if (ev.name != u"ActiveXControlEvent") return;
    SafeArray* t = args[1].deref().asArray();
    for (int32_t i = 1; i <= 4; ++i) t->set(i, 2, Variant(i + 10));
  }));
  Variant progId(u"Bench.FourParameters"), n, d;
  std::vector<Variant> args{Variant::byRef(progId)};
  args.resize(10, Variant::missing());
  args.push_back(Variant::byRef(n));
  args.push_back(Variant::byRef(d));
  form->invoke(u"AddActiveXControlWithEvents", InvokeKind::Method, args);
  auto& extender = dynamic_cast<ControlExtender&>(*form->ActiveXWithEventsExtenders.at(0));
  auto& control = dynamic_cast<FourParameters&>(extender.control());
  for (auto _ : state) {
    control.fire();
    benchmark::DoNotOptimize(control.a);
  }
  if (control.a != 11 || control.d == 0) state.SkipWithError("the values were not written back");
  form->unload();
}
BENCHMARK(ObjectEventRoundTrip);

}  // namespace
}  // namespace svx

BENCHMARK_MAIN();
