// Cost of a late-bound call by name with ten optional arguments (four of
// them by reference) and of an event raise with four by-reference arguments.
#include <benchmark/benchmark.h>

#include <array>
#include <vector>

#include "platform/automation/dispatch.h"

namespace svx {
namespace {

class Target : public Object {
 public:
  static const ClassInfo& info() {
    static const ClassInfo ci =
        ClassInfo(u"Target")
            .method<&Target::SetMany>(u"SetMany",
                                      {inOpt(u"a"), inOpt(u"b"), inOpt(u"c"), inOpt(u"d"), inOpt(u"e"), inOpt(u"f"),
                                       refOpt(u"g"), refOpt(u"h"), refOpt(u"lngErrNumber"), refOpt(u"strErrDescription")})
            .method<&Target::Fire>(u"Fire", {})
            .event(u"KeyDown", {u"intIndex", u"intKeyCode", u"intShift", u"intButton"});
    return ci;
  }
  const ClassInfo& classInfo() const override { return info(); }

  void SetMany(Variant&, Variant&, Variant&, Variant&, Variant&, Variant&, Variant& g, Variant& h, Variant& n,
               Variant& d) {
    g.assign(Variant::i2(1));
    h.assign(Variant::i2(2));
    n.assign(Variant::i2(0));
    d.assign(Variant(BStr()));
  }
  void Fire() {
    std::vector<Variant> values{Variant::i2(1), Variant::i2(65), Variant::i2(0), Variant::i2(1)};
    std::vector<Variant> refs = refsTo(values);
    raiseEvent(1, refs);
  }
};

void BM_CallByNameTenOptionalFourByRef(benchmark::State& state) {
  Ref<Target> t = makeRef<Target>();
  Variant g, h, n, d;
  // The caller's argument array, as a caller holds it; by-value arguments
  // are copied by the call, so the array is the same for every call.
  std::array<Variant, 10> args{Variant(1),        Variant(2.5),      Variant(u"text"),  Variant(true),
                               Variant::i2(5),    Variant(3.0f),     Variant::byRef(g), Variant::byRef(h),
                               Variant::byRef(n), Variant::byRef(d)};
  for (auto _ : state) benchmark::DoNotOptimize(t->invoke(u"SetMany", InvokeKind::Method, args));
}
BENCHMARK(BM_CallByNameTenOptionalFourByRef);

void BM_RaiseEventFourByRef(benchmark::State& state) {
  Ref<Target> t = makeRef<Target>();
  int64_t seen = 0;
  t->connect(std::make_shared<FunctionSink>([&](Object&, const EventInfo&, std::span<Variant> args) {
    seen += args.size();
    args[1].assign(Variant::i2(0));
  }));
  for (auto _ : state) t->Fire();
  benchmark::DoNotOptimize(seen);
}
BENCHMARK(BM_RaiseEventFourByRef);

}  // namespace
}  // namespace svx

BENCHMARK_MAIN();
