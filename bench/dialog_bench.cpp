// In-process costs of the scripting object: a property get by name, loading
// and unloading a full control array, and creating and releasing a Dialog.
#include <benchmark/benchmark.h>

#include <array>
#include <string>
#include <vector>

#include "dialog/dialog.h"
#include "dialog/dialog_form_api.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/message_loop.h"

namespace svx {
namespace {

ObjectRef newDialog() {
  Clock::useVirtualTime();
  Dialog::registerProgId();
  registerDialogForm();
  return createObject(u"Sorvanelix.Dialog");
}

void BM_DialogPropertyGetByName(benchmark::State& state) {
  ObjectRef d = newDialog();
  for (auto _ : state) benchmark::DoNotOptimize(d->invoke(u"Caption", InvokeKind::PropertyGet, {}));
}
BENCHMARK(BM_DialogPropertyGetByName);

// The family Get with eleven arguments as a script passes them: the index by
// value, ten variables by reference; the member found once.
void BM_DialogGetCommandElevenArguments(benchmark::State& state) {
  ObjectRef d = newDialog();
  const MemberInfo* get = d->classInfo().find(u"GetCommand", InvokeKind::Method);
  std::array<Variant, 10> outs;
  std::vector<Variant> args{Variant(0)};
  for (Variant& v : outs) args.push_back(Variant::byRef(v));
  for (auto _ : state) benchmark::DoNotOptimize(invokeMember(*d, *get, args));
  if (outs[0].vt() != VT_BSTR) state.SkipWithError("GetCommand wrote no caption");
}
BENCHMARK(BM_DialogGetCommandElevenArguments);

// The family Set of a caption, Visible and the four geometry values, with the
// error out-parameters by reference.
void BM_DialogSetCommandSixValues(benchmark::State& state) {
  ObjectRef d = newDialog();
  const MemberInfo* set = d->classInfo().find(u"SetCommand", InvokeKind::Method);
  Variant number, description;
  std::vector<Variant> args{Variant(0),     Variant(u"OK"),      Variant::missing(), Variant::missing(),
                            Variant::missing(), Variant(false),  Variant(120),       Variant(240),
                            Variant(1200),  Variant(360),        Variant::missing(), Variant::byRef(number),
                            Variant::byRef(description)};
  for (auto _ : state) benchmark::DoNotOptimize(invokeMember(*d, *set, args));
  if (!(number == Variant::i2(0))) state.SkipWithError("SetCommand failed");
}
BENCHMARK(BM_DialogSetCommandSixValues);

// The family Get of a list's hundred items, as one array.
void BM_DialogGetListHundredItems(benchmark::State& state) {
  ObjectRef d = newDialog();
  SafeArray items(VT_VARIANT, {{0, 100}});
  for (int32_t k = 0; k < 100; ++k) items.set(k, Variant(u"Item " + utf16(std::to_string(k))));
  Variant number, description, got;
  std::vector<Variant> set{Variant(0), Variant(std::move(items)), Variant::missing(), Variant::missing(),
                           Variant::missing(), Variant::missing(), Variant::missing(), Variant::missing(),
                           Variant::missing(), Variant::missing(), Variant::byRef(number), Variant::byRef(description)};
  d->invoke(u"SetList", InvokeKind::Method, set);
  const MemberInfo* get = d->classInfo().find(u"GetList", InvokeKind::Method);
  std::vector<Variant> args{Variant(0), Variant::byRef(got)};
  for (auto _ : state) benchmark::DoNotOptimize(invokeMember(*d, *get, args));
  if (!got.isArray() || got.asArray()->ubound(1) != 99) state.SkipWithError("GetList did not read the items");
}
BENCHMARK(BM_DialogGetListHundredItems);

void BM_DialogLoadUnload255Commands(benchmark::State& state) {
  ObjectRef d = newDialog();
  Variant err, desc;
  for (auto _ : state) {
    for (int i = 1; i <= 255; ++i) {
      std::vector<Variant> args{Variant::missing(), Variant::byRef(err), Variant::byRef(desc)};
      benchmark::DoNotOptimize(d->invoke(u"LoadCommand", InvokeKind::Method, args));
    }
    for (int i = 1; i <= 255; ++i) {
      std::vector<Variant> args{Variant::i2(static_cast<int16_t>(i)), Variant::byRef(err), Variant::byRef(desc)};
      d->invoke(u"UnloadCommand", InvokeKind::Method, args);
    }
  }
}
BENCHMARK(BM_DialogLoadUnload255Commands)->Unit(benchmark::kMillisecond);

// Unloading every control of a form holding `range(0)` of them, spread over
// sixteen families (255 each at most): the "per_item" counter is the time of
// one Unload, which should not grow with the number of controls.
void BM_DialogUnloadControls(benchmark::State& state) {
  static const char16_t* const families[] = {u"Check",  u"Combo", u"ComboText", u"Command",   u"Frame",
                                             u"HScrollBar", u"Image", u"Label", u"List",   u"Line",
                                             u"ListCheck",  u"MultiText", u"Option", u"PictureCtrl", u"Shape",
                                             u"Text"};
  const auto total = static_cast<int>(state.range(0));
  const int perFamily = (total + 15) / 16;
  ObjectRef d = newDialog();
  Variant err, desc;
  for (auto _ : state) {
    state.PauseTiming();
    int loaded = 0;
    for (const char16_t* f : families)
      for (int i = 0; i < perFamily && loaded < total; ++i, ++loaded) {
        std::vector<Variant> args{Variant::missing(), Variant::byRef(err), Variant::byRef(desc)};
        d->invoke(u"Load" + BStr(f), InvokeKind::Method, args);
      }
    state.ResumeTiming();
    loaded = 0;
    for (const char16_t* f : families)
      for (int i = 1; i <= perFamily && loaded < total; ++i, ++loaded) {
        std::vector<Variant> args{Variant::i2(static_cast<int16_t>(i)), Variant::byRef(err), Variant::byRef(desc)};
        d->invoke(u"Unload" + BStr(f), InvokeKind::Method, args);
      }
  }
  if (!(err == Variant::i2(0))) state.SkipWithError("an Unload failed");
  state.counters["per_item"] = benchmark::Counter(static_cast<double>(total), benchmark::Counter::kIsIterationInvariantRate |
                                                                                 benchmark::Counter::kInvert);
}
BENCHMARK(BM_DialogUnloadControls)->Arg(16)->Arg(4080)->Unit(benchmark::kMicrosecond);

void BM_DialogCreateRelease(benchmark::State& state) {
  newDialog().reset();
  for (auto _ : state) {
    ObjectRef d = createObject(u"Sorvanelix.Dialog");
    d.reset();
  }
  messageLoop().reset();
}
BENCHMARK(BM_DialogCreateRelease)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace svx

BENCHMARK_MAIN();
