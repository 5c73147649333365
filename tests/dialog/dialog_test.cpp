#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "core/cls_timer.h"
#include "tests/dialog/fake_dialog_form.h"

namespace svx::testing {
namespace {

const DialogMemberRow* rowOf(BStrView name, InvokeKind kind = InvokeKind::Method) {
  for (const DialogMemberRow& r : dialogMemberTable())
    if (r.name == name && r.kind == kind) return &r;
  return nullptr;
}

std::vector<BStr> paramNames(const DialogMemberRow& r) {
  std::vector<BStr> out;
  for (const ParamInfo& p : r.params) out.push_back(p.name);
  return out;
}

// ---------------------------------------------------------------------------
// The interface

TEST(DialogInterface, MembersInOrderWithTheirShapes) {
  const auto& t = dialogMemberTable();
  EXPECT_EQ(t.front().name, u"AboutBox");
  EXPECT_EQ(t.back().name, u"ClipboardSetData");
  auto position = [&](BStrView name) {
    for (size_t i = 0; i < t.size(); ++i)
      if (t[i].name == name) return i;
    return t.size();
  };
  // Group boundaries.
  for (auto [before, after] : std::vector<std::pair<BStrView, BStrView>>{
           {u"BrowseForFolder", u"ShowModal"},
           {u"FormPrintText", u"AddActiveXControlWithoutEvents"},
           {u"RemoveActiveXControlWithEvents", u"LoadCheck"},
           {u"PictureCtrlPrintText", u"ListOfInstalledPrinters"},
           {u"PrinterPrintText", u"LoadShape"},
           {u"VScrollBarObject", u"CommonDialogShowOpen"},
           {u"CommonDialogShowSave", u"ScreenHeight"},
           {u"ScreenObject", u"LogEvent"},
           {u"LogInfo", u"BlobToArray"},
           {u"SetImageCtrl", u"LoadPictureIntoImageCtrl"},
           {u"SavePictureFromImageCtrl", u"ImageObject"},
           {u"ListObject", u"ListShowHScrollBar"},
           {u"DataCtrlObject", u"DataCtrlOpenData"},
       })
    EXPECT_EQ(position(before) + 1, position(after)) << utf8(before) << " / " << utf8(after);

  EXPECT_EQ(rowOf(u"TimerCtrlObject"), nullptr);
  EXPECT_EQ(paramNames(*rowOf(u"LoadTimerCtrl")), (std::vector<BStr>{u"lngErrNumber", u"strErrDescription"}));
  EXPECT_EQ(paramNames(*rowOf(u"LoadCheck")),
            (std::vector<BStr>{u"intPictureContainerIndex", u"lngErrNumber", u"strErrDescription"}));
  const DialogMemberRow& get = *rowOf(u"GetCheck");
  const DialogMemberRow& set = *rowOf(u"SetCheck");
  ASSERT_EQ(get.params.size(), 11u);
  EXPECT_FALSE(get.params[0].byRef);
  EXPECT_FALSE(get.params[0].optional);
  for (size_t i = 1; i < get.params.size(); ++i) EXPECT_TRUE(get.params[i].byRef && get.params[i].optional);
  ASSERT_EQ(set.params.size(), 12u);
  EXPECT_EQ(set.params[9].name, u"intZOrder");
  for (size_t i = 1; i < 10; ++i) EXPECT_FALSE(set.params[i].byRef);
  EXPECT_EQ(paramNames(*rowOf(u"SetComboText"))[1], u"strText");
  EXPECT_EQ(paramNames(*rowOf(u"GetDataCtrl"))[12], u"intEditMode");

  // Every row is described, and the property halves share one DISPID.
  for (const DialogMemberRow& r : t) EXPECT_FALSE(r.description.empty()) << utf8(r.name);
  const ClassInfo& ci = Dialog::info();
  EXPECT_EQ(ci.find(u"Height", InvokeKind::PropertyGet)->dispid, ci.find(u"Height", InvokeKind::PropertyPut)->dispid);
  std::set<BStr> names;
  for (const DialogMemberRow& r : t) names.insert(r.name);
  EXPECT_EQ(names.size() + 14, t.size());  // 14 properties with a get and a let
  // The plain forwarders: form, hosted-control, family and printer members.
  EXPECT_EQ(std::count_if(t.begin(), t.end(),
                          [](const DialogMemberRow& r) { return r.pattern == MemberPattern::Delegate && !r.handler; }),
            129);
}

TEST(DialogInterface, EventsHaveTheirDispids) {
  const ClassInfo& ci = Dialog::info();
  EXPECT_EQ(ci.events().size(), 184u);
  EXPECT_EQ(ci.findEvent(u"FormInitialize")->dispid, 51);
  EXPECT_EQ(ci.findEvent(u"FormGotFocus")->dispid, 50);
  EXPECT_EQ(ci.findEvent(u"TimerCtrlTimer")->dispid, 163);
  EXPECT_EQ(ci.findEvent(u"HScrollChange"), nullptr);
}

// ---------------------------------------------------------------------------
// Creation and termination

TEST_F(DialogTest, CreationLeavesAHiddenTopmostFormAndADisabledTimer) {
  int colourResets = 0;
  setInitCustomColorsHook([&] { ++colourResets; });
  create();
  EXPECT_FALSE(form().visible());
  EXPECT_TRUE(form().topMost());
  ASSERT_NE(typed().bringToFrontTimer(), nullptr);
  EXPECT_EQ(typed().bringToFrontTimer()->interval(), 20);
  EXPECT_FALSE(typed().bringToFrontTimer()->enabled());
  EXPECT_EQ(colourResets, 1);
  ObjectRef second = createObject(u"Sorvanelix.Dialog");
  EXPECT_EQ(forms.size(), 2u);
  EXPECT_EQ(colourResets, 2);
}

// The printer whose flag creation clears.
class FakePrinter : public Object {
 public:
  static const ClassInfo& info() {
    static const ClassInfo ci = ClassInfo(u"Printer").member(
        u"TrackDefault", InvokeKind::PropertyPut, {in(u"v")}, [](Object& self, const Args& a) {
          static_cast<FakePrinter&>(self).puts.push_back(a[0].value());
          return Variant();
        });
    return ci;
  }
  const ClassInfo& classInfo() const override { return info(); }
  Variant invoke(int32_t dispid, InvokeKind kind, std::span<Variant> args) override {
    dispids.push_back(dispid);
    return Object::invoke(1, kind, args);
  }
  std::vector<int32_t> dispids;
  std::vector<Variant> puts;
};

TEST_F(DialogTest, CreationClearsThePrinterFlagAndSkipsFailingSteps) {
  auto printer = makeRef<FakePrinter>();
  setPrinterObjectProvider([&] { return ObjectRef(printer); });
  create();
  ASSERT_EQ(printer->dispids, std::vector<int32_t>{0x10026});
  EXPECT_EQ(printer->puts[0], Variant(false));

  // No printer and no form: the object is still created.
  setPrinterObjectProvider([]() -> ObjectRef { raise(err::PrinterError); });
  setDialogFormFactory({});
  ObjectRef bare = createObject(u"Sorvanelix.Dialog");
  ASSERT_TRUE(bare);
  Variant n, d;
  std::vector<Variant> args{Variant::byRef(n), Variant::byRef(d)};
  bare->invoke(u"ShowModal", InvokeKind::Method, args);
  EXPECT_EQ(n, Variant::i4(91));
  std::vector<Variant> load{Variant::missing(), Variant::byRef(n), Variant::byRef(d)};
  EXPECT_EQ(errorOf([&] { bare->invoke(u"LoadCheck", InvokeKind::Method, load); }), 91);
  EXPECT_EQ(bare->invoke(u"ScreenWidth", InvokeKind::PropertyGet, {}), Variant(15360.0f));
}

TEST_F(DialogTest, TerminationUnloadsTheFormOnce) {
  create();
  auto f = forms.back();
  WeakRef<clsTimer> timer(typed().bringToFrontTimer());
  dialog.reset();
  EXPECT_EQ(f->unloadCalls, 1);
  EXPECT_TRUE(timer.expired());
  EXPECT_FALSE(f->object->hasListeners());
}

// ---------------------------------------------------------------------------
// Forwarding

TEST_F(DialogTest, GetWritesOnlyThePassedParameters) {
  create();
  formObject().behaviour = [](BStrView, const Args& a) {
    for (size_t i = 1; i < 9; ++i)
      if (!a[i].isMissing()) a[i].assign(Variant(u"value" + utf16(std::to_string(i))));
    return Variant();
  };
  Variant visible = u"untouched", caption = u"untouched", n = u"old", d = 5;
  call(u"GetCheck", {Variant::i2(3), Variant::missing(), Variant::missing(), Variant::byRef(visible)});
  EXPECT_EQ(visible, Variant(u"value3"));
  EXPECT_EQ(caption, Variant(u"untouched"));
  const FormCall& c = formObject().lastCall();
  ASSERT_EQ(c.args.size(), 11u);
  EXPECT_EQ(c.args[0], Variant::i2(3));
  EXPECT_TRUE(c.args[1].isMissing());
  EXPECT_TRUE(c.args[9].isMissing());   // the error parameters were omitted
  EXPECT_TRUE(c.args[10].isMissing());
}

TEST_F(DialogTest, ByValueArgumentsAreCopiesAndErrorsAreClearedFirst) {
  create();
  formObject().behaviour = [](BStrView, const Args& a) {
    a[3].assign(Variant(u"changed by the form"));  // boolVisible of SetCheck
    return Variant();
  };
  Variant visible = true, n = Variant::i4(380), d = u"an earlier failure";
  call(u"SetCheck", {Variant::i2(1), Variant::missing(), Variant::missing(), Variant::byRef(visible),
                     Variant::missing(), Variant::missing(), Variant::missing(), Variant::missing(),
                     Variant::missing(), Variant::missing(), Variant::byRef(n), Variant::byRef(d)});
  EXPECT_EQ(visible, Variant(true));
  EXPECT_EQ(n, Variant::i2(0));
  EXPECT_EQ(n.vt(), VT_I2);
  EXPECT_EQ(d, Variant(u""));
  EXPECT_EQ(formObject().lastCall().args[3], Variant(true));  // what the form received
}

TEST_F(DialogTest, ResultsAndReportsComeBackFromTheForm) {
  create();
  auto target = makeRef<FakeForm>();
  formObject().behaviour = [&](BStrView name, const Args& a) -> Variant {
    if (name == u"LoadCommand") {
      a[1].assign(Variant::i4(-200));
      a[2].assign(Variant(u"full"));
      return Variant::i2(-1);
    }
    if (name == u"CommandObject") return Variant(ObjectRef(target));
    return {};
  };
  Variant n, d, empty;
  EXPECT_EQ(call(u"LoadCommand", {Variant::missing(), Variant::byRef(n), Variant::byRef(d)}), Variant::i2(-1));
  EXPECT_EQ(n, Variant::i4(-200));
  EXPECT_EQ(d, Variant(u"full"));
  const Variant obj = call(u"CommandObject", {Variant::i2(1)});
  ASSERT_TRUE(obj.isObject());
  EXPECT_EQ(obj.asObject().get(), target.get());
  // An explicit Empty is handed on as passed, not as missing.
  call(u"SetForm", {Variant::byRef(empty)});
  EXPECT_TRUE(formObject().lastCall().args[0].isEmpty());
  EXPECT_FALSE(formObject().lastCall().args[0].isMissing());
}

TEST_F(DialogTest, CommonDialogShowOpenChoosesTheDialogByMultiSelect) {
  create();
  struct Case {
    Variant multi;
    const char16_t* expected;
  };
  for (const Case& c : {Case{Variant::missing(), u"CommonDialogShowOpen"}, Case{Variant(false), u"CommonDialogShowOpen"},
                        Case{Variant::i2(0), u"CommonDialogShowOpen"}, Case{Variant(true), u"CommonDialogShowMultiOpen"},
                        Case{Variant(7), u"CommonDialogShowMultiOpen"},
                        Case{Variant(u"True"), u"CommonDialogShowMultiOpen"}}) {
    Variant file, n = u"kept", d = u"kept";
    formObject().behaviour = [](BStrView, const Args& a) {
      a[3].assign(Variant(u"/tmp/a.txt"));
      return Variant(true);
    };
    EXPECT_EQ(call(u"CommonDialogShowOpen", {Variant(u"/tmp"), Variant(u"*.*"), Variant(u"Open"), Variant::byRef(file),
                                             Variant::missing(), c.multi, Variant::byRef(n), Variant::byRef(d)}),
              Variant(true));
    EXPECT_EQ(formObject().lastCall().name, c.expected);
    EXPECT_EQ(formObject().lastCall().args.size(), 7u);
    EXPECT_EQ(file, Variant(u"/tmp/a.txt"));
    EXPECT_EQ(n, Variant(u"kept"));  // the form's member clears them, not Dialog
  }
  Variant file, n = u"kept";
  const size_t before = formObject().calls.size();
  EXPECT_EQ(errorOf([&] {
              call(u"CommonDialogShowOpen", {Variant(u""), Variant(u""), Variant(u""), Variant::byRef(file),
                                             Variant::missing(), Variant(u"abc"), Variant::byRef(n)});
            }),
            err::TypeMismatch);
  EXPECT_EQ(formObject().calls.size(), before);
  EXPECT_EQ(n, Variant(u"kept"));
}

// ---------------------------------------------------------------------------
// The form members

TEST_F(DialogTest, ShowModalArmsTheBringToFrontTickOnce) {
  create();
  int ticksSeen = 0;
  form().onShowModal = [&] {
    EXPECT_TRUE(typed().bringToFrontTimer()->enabled());
    messageLoop().runModalLoop([&] { return !typed().bringToFrontTimer()->enabled(); });
    ++ticksSeen;
  };
  Variant n = u"x", d = 1;
  call(u"ShowModal", {Variant::byRef(n), Variant::byRef(d)});
  EXPECT_EQ(ticksSeen, 1);
  EXPECT_FALSE(typed().bringToFrontTimer()->enabled());
  EXPECT_EQ(n, Variant::i2(0));
  EXPECT_EQ(d, Variant(u""));

  form().showModalError = err::FormAlreadyDisplayed;
  form().onShowModal = nullptr;
  call(u"ShowModal", {Variant::byRef(n), Variant::byRef(d)});
  EXPECT_EQ(n, Variant::i4(400));
  EXPECT_EQ(d, Variant(standardDescription(400)));
}

TEST_F(DialogTest, PropertyLetFailureShowsOneErrorBox) {
  create();
  const float height = form().height();
  let(u"Height", Variant(u"abc"));
  EXPECT_EQ(form().height(), height);
  auto boxes = errorBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].prompt, u"The Height property has generated the following error: \r\nType mismatch (13)");
  EXPECT_EQ(boxes[0].buttons, 0x1030);
  EXPECT_TRUE(boxes[0].topmost);

  form().minimised = true;
  let(u"Height", Variant(100));
  boxes = errorBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].prompt, u"The Height property has generated the following error: \r\n" +
                                 standardDescription(err::CannotMoveOrSizeMinimized) + u" (384)");
  let(u"Width", Variant(1000));
  EXPECT_EQ(call(u"Width", {}, InvokeKind::PropertyGet), Variant(1000.0f));
  EXPECT_EQ(errorBoxes().size(), 2u);
}

// Headless nobody sees the box: its text, on one line, goes to the notice
// (the host writes it where the script's errors go).
TEST_F(DialogTest, AnErrorBoxNobodySeesIsHandedToTheNotice) {
  create();
  std::vector<BStr> notices;
  setErrorBoxNotice([&](const BStr& text) { notices.push_back(text); });
  let(u"Width", Variant(u"wide"));
  setErrorBoxNotice(nullptr);
  let(u"Height", Variant(u"high"));
  EXPECT_EQ(notices, std::vector<BStr>{u"The Width property has generated the following error: Type mismatch (13)"});
  EXPECT_EQ(errorBoxes().size(), 2u);
}

// An exception that is no runtime error is reported in the member's own
// way, as "Automation error" naming it: in the error box, in the
// out-parameters.
TEST_F(DialogTest, AForeignExceptionIsReportedInTheMembersOwnWay) {
  create();
  form().foreignFailure = true;
  let(u"Height", Variant(100));
  const auto boxes = errorBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].prompt, u"The Height property has generated the following error: \r\n"
                             u"Automation error: height refused (std::runtime_error) (440)");

  form().onShowModal = [] { throw std::out_of_range("no such window"); };
  Variant n = u"x", d = 1;
  call(u"ShowModal", {Variant::byRef(n), Variant::byRef(d)});
  EXPECT_EQ(n, Variant::i4(err::AutomationError));
  EXPECT_EQ(d, Variant(u"Automation error: no such window (std::out_of_range)"));
}

TEST_F(DialogTest, CaptionIsSetOnceAndReadBackFromItsOwnCopy) {
  create();
  let(u"Caption", Variant(u"First"));
  let(u"Caption", Variant(u"First"));
  EXPECT_EQ(form().captionSets, 1);
  form().setCaption(u"Other");  // as SetForm would
  EXPECT_EQ(call(u"Caption", {}, InvokeKind::PropertyGet), Variant(u"First"));
  let(u"Caption", Variant(u"First"));
  EXPECT_EQ(form().caption(), u"Other");
  let(u"Caption", Variant::null());  // does not convert: the box, nothing changed
  EXPECT_EQ(errorBoxes().size(), 1u);
  EXPECT_EQ(typed().formCaption(), u"First");
}

TEST_F(DialogTest, TopMostIsTheFormsFlag) {
  create();
  EXPECT_EQ(call(u"TopMost", {}, InvokeKind::PropertyGet), Variant(true));
  let(u"TopMost", Variant(0));
  EXPECT_FALSE(form().topMost());
  let(u"TopMost", Variant(u"maybe"));
  EXPECT_EQ(errorBoxes().size(), 1u);
  EXPECT_EQ(errorBoxes()[0].prompt.substr(0, 58), u"The Topmost property has generated the following error: \r\n");
}

class FakeHelpWindow : public HelpWindowApi {
 public:
  explicit FakeHelpWindow(std::vector<std::pair<float, float>>& places, std::vector<HWND>& owners)
      : places_(places), owners_(owners) {}
  HWND hWnd() override { return 0x777; }
  float width() override { return 9001; }
  float height() override { return 6001; }
  void setLeft(float v) override { left_ = v; }
  void setTop(float v) override { top_ = v; }
  void showModal(HWND owner) override {
    places_.emplace_back(left_, top_);
    owners_.push_back(owner);
  }

 private:
  std::vector<std::pair<float, float>>& places_;
  std::vector<HWND>& owners_;
  float left_ = -1, top_ = -1;
};

TEST_F(DialogTest, HelpIsCentredWhileHiddenAndOwnedWhileShown) {
  create();
  call(u"Help");  // no help window: nothing happens
  std::vector<std::pair<float, float>> places;
  std::vector<HWND> owners;
  setHelpWindowFactory([&] { return std::make_unique<FakeHelpWindow>(places, owners); });
  call(u"Help");
  form().setVisible(true);
  call(u"Help");
  ASSERT_EQ(places.size(), 2u);
  // (15360 - 9001) rounded is 6359, halved without the remainder 3179.
  EXPECT_EQ(places[0], (std::pair<float, float>{3179, 2759}));
  EXPECT_EQ(owners[0], 0);
  EXPECT_EQ(places[1], (std::pair<float, float>{-1, -1}));
  EXPECT_EQ(owners[1], form().hWnd());
}

// ---------------------------------------------------------------------------
// Events

// A script connected to Dialog's events.
struct ScriptSink {
  std::vector<std::pair<int32_t, std::vector<Variant>>> seen;
  std::function<void(const EventInfo&, std::span<Variant>)> onEvent;
  std::shared_ptr<FunctionSink> sink() {
    return std::make_shared<FunctionSink>([this](Object&, const EventInfo& e, std::span<Variant> args) {
      std::vector<Variant> values;
      for (const Variant& a : args) values.push_back(a.value());
      seen.emplace_back(e.dispid, values);
      if (onEvent) onEvent(e, args);
    });
  }
};

TEST_F(DialogTest, FormEventsAreReRaisedByNameWithTheSameReferences) {
  create();
  ScriptSink script;
  dialog->connect(script.sink());
  std::vector<Variant> scroll{Variant::i2(3)};
  formObject().fire(u"HScrollChange", scroll);
  ASSERT_EQ(script.seen.size(), 1u);
  EXPECT_EQ(script.seen[0].first, 70);  // HScrollBarChange
  EXPECT_EQ(script.seen[0].second[0], Variant::i2(3));

  script.onEvent = [](const EventInfo& e, std::span<Variant> args) {
    if (e.name == u"TextKeyPress") args[1].assign(Variant::i2(0));
  };
  std::vector<Variant> key{Variant::i2(2), Variant::i2(65)};
  formObject().fire(u"TextKeyPress", key);
  EXPECT_EQ(key[1], Variant::i2(0));
  std::vector<Variant> none;
  formObject().fire(u"FormInitialize", none);
  EXPECT_EQ(script.seen.back().first, 51);
}

TEST_F(DialogTest, QueryUnloadAndUnloadWriteBackSixteenBitCopies) {
  create();
  ScriptSink script;
  Variant answer;
  script.onEvent = [&](const EventInfo&, std::span<Variant> args) { args[0].assign(answer); };
  dialog->connect(script.sink());
  struct Case {
    Variant answer;
    Variant expected;
  };
  for (const Case& c : {Case{Variant(true), Variant::i2(-1)}, Case{Variant(u"1"), Variant::i2(1)},
                        Case{Variant(1.0), Variant::i2(1)}, Case{Variant(u"abc"), Variant::i2(0)},
                        Case{Variant(40000), Variant::i2(0)}}) {
    answer = c.answer;
    std::vector<Variant> query{Variant::i2(0), Variant::i2(1)};
    formObject().fire(u"FormQueryUnload", query);
    EXPECT_EQ(query[0], c.expected) << varTypeName(c.answer.vt());
    EXPECT_EQ(query[1], Variant::i2(1));
    EXPECT_EQ(script.seen.back().first, 63);
    EXPECT_EQ(script.seen.back().second[0].vt(), VT_I2);
    std::vector<Variant> unload{Variant::i2(0)};
    formObject().fire(u"FormUnload", unload);
    EXPECT_EQ(unload[0], c.expected);
  }
}

TEST_F(DialogTest, ScriptErrorsInPaintAndActivateNeverReachTheForm) {
  create();
  ScriptSink script;
  script.onEvent = [](const EventInfo&, std::span<Variant>) { raise(err::DivisionByZero); };
  dialog->connect(script.sink());
  std::vector<Variant> none;
  EXPECT_EQ(errorOf([&] { formObject().fire(u"FormPaint", none); }), 0);
  EXPECT_EQ(errorOf([&] { formObject().fire(u"FormActivate", none); }), 0);
  EXPECT_EQ(errorOf([&] { formObject().fire(u"FormClick", none); }), err::DivisionByZero);
}

// ---------------------------------------------------------------------------
// Members without the form

TEST_F(DialogTest, ColourConversions) {
  create();
  Variant colour = u"old";
  call(u"RGBToOleColor", {Variant(255), Variant(0), Variant(0), Variant::byRef(colour)});
  EXPECT_EQ(colour, Variant::i4(255));
  call(u"RGBToOleColor", {Variant(0), Variant(0), Variant(255), Variant::byRef(colour)});
  EXPECT_EQ(colour, Variant::i4(255 * 65536));
  EXPECT_EQ(errorOf([&] { call(u"RGBToOleColor", {Variant(256), Variant(0), Variant(0), Variant::byRef(colour)}); }),
            err::Overflow);
  EXPECT_TRUE(colour.isEmpty());

  Variant r = u"x", g = u"x", b = u"x";
  call(u"RGBFromOLEColor", {Variant(255 * 65536), Variant::byRef(r), Variant::byRef(g), Variant::byRef(b)});
  EXPECT_EQ(r, Variant::i4(0));
  EXPECT_EQ(g, Variant::i4(0));
  EXPECT_EQ(b, Variant::i4(255));
  call(u"RGBFromOLEColor", {Variant(static_cast<int32_t>(vbButtonFace)), Variant::byRef(r), Variant::byRef(g),
                            Variant::byRef(b)});
  const DWORD face = GetSysColor(15);
  EXPECT_EQ(r, Variant::i4(static_cast<int32_t>(face & 0xFF)));
  EXPECT_EQ(b, Variant::i4(static_cast<int32_t>((face >> 16) & 0xFF)));
  r = u"kept";
  EXPECT_EQ(errorOf([&] {
              call(u"RGBFromOLEColor", {Variant(u"abc"), Variant::byRef(r), Variant::byRef(g), Variant::byRef(b)});
            }),
            err::TypeMismatch);
  EXPECT_EQ(r, Variant(u"kept"));

  Variant qb = 1;
  EXPECT_EQ(errorOf([&] { call(u"QBColor", {Variant(16), Variant::byRef(qb)}); }), err::InvalidProcedureCall);
  EXPECT_TRUE(qb.isEmpty());
}

TEST_F(DialogTest, BlobToArray) {
  create();
  Variant out = u"old", n, d;
  call(u"BlobToArray", {Variant(u"AB"), Variant::byRef(out), Variant::byRef(n), Variant::byRef(d)});
  ASSERT_EQ(out.vt(), VT_ARRAY | VT_UI1);
  const SafeArray& a = *out.asArray();
  ASSERT_EQ(a.elementCount(), 4);
  EXPECT_EQ(a.get(a.lbound() + 0), Variant::ui1(65));
  EXPECT_EQ(a.get(a.lbound() + 1), Variant::ui1(0));
  EXPECT_EQ(a.get(a.lbound() + 2), Variant::ui1(66));
  EXPECT_EQ(a.get(a.lbound() + 3), Variant::ui1(0));
  EXPECT_EQ(n, Variant::i2(0));

  call(u"BlobToArray", {Variant::null(), Variant::byRef(out), Variant::byRef(n), Variant::byRef(d)});
  EXPECT_TRUE(out.isEmpty());
  EXPECT_EQ(n.vt(), VT_I4);
  EXPECT_NE(n, Variant::i4(0));
}

TEST_F(DialogTest, ClipboardSetDataFailingInTheIntakeKeepsTheClipboard) {
  create();
  clipboard().setText(u"kept");
  Variant n, d;
  call(u"ClipboardSetData",
       {Variant(SafeArray::variants({Variant(1), Variant(300)})), Variant::missing(), Variant::byRef(n), Variant::byRef(d)});
  EXPECT_EQ(n, Variant::i4(err::Overflow));
  EXPECT_EQ(clipboard().getText(), u"kept");
  call(u"ClipboardSetData", {Variant(u"not an array"), Variant::missing(), Variant::byRef(n), Variant::byRef(d)});
  EXPECT_EQ(n, Variant::i4(err::InvalidProcedureCall));  // no picture for SetData
  EXPECT_FALSE(clipboard().getFormat(vbCFText));         // cleared first

  clipboard().setText(u"kept");
  call(u"ClipboardSetText", {Variant(u"new"), Variant(40000), Variant::byRef(n), Variant::byRef(d)});
  EXPECT_EQ(n, Variant::i4(err::Overflow));
  EXPECT_EQ(clipboard().getText(), u"kept");
  EXPECT_EQ(call(u"ClipboardGetText", {Variant::missing(), Variant::byRef(n)}), Variant(u"kept"));
  EXPECT_EQ(n, Variant::i2(0));
}

TEST_F(DialogTest, MessageBoxAndInBoxAnswer) {
  create();
  dialogResponder().queueAnswer(DialogKind::MessageBox, Variant(vbNo));
  EXPECT_EQ(call(u"MessageBox", {Variant(u"Sure?"), Variant(vbYesNo), Variant(u"Question")}), Variant::i4(vbNo));
  dialogResponder().queueCancel(DialogKind::InputBox);
  EXPECT_EQ(call(u"InBox", {Variant(u"Name?")}), Variant(u""));
  EXPECT_TRUE(call(u"MessageBox", {Variant::null()}).isEmpty());
  ASSERT_EQ(errorBoxes().size(), 1u);
  EXPECT_EQ(errorBoxes()[0].prompt,
            u"The MessageBox method has generated the following error: \r\nInvalid use of Null (94)");
}

TEST_F(DialogTest, ServerSettingsAndLogging) {
  create();
  let(u"OLEServerBusyTimeoutMSecs", Variant(u"not a number"));
  EXPECT_EQ(app().oleServerBusyTimeout(), 0);
  let(u"OLERequestPendingMsgText", Variant(u"Wait"));
  EXPECT_EQ(call(u"OLERequestPendingMsgText", {}, InvokeKind::PropertyGet), Variant(u"Wait"));
  EXPECT_EQ(call(u"ProcessID", {}, InvokeKind::PropertyGet), Variant::i4(static_cast<int32_t>(GetCurrentProcessId())));

  Variant n, d;
  call(u"LogEvent", {Variant(u"hello"), Variant::missing(), Variant::byRef(n), Variant::byRef(d)});
  EXPECT_EQ(n, Variant::i2(0));
  ASSERT_FALSE(app().loggedEvents().empty());
  EXPECT_EQ(app().loggedEvents().back().eventType, vbLogEventTypeInformation);
  call(u"StartLogging", {Variant(u""), Variant(99), Variant::byRef(n), Variant::byRef(d)});
  EXPECT_EQ(n, Variant::i4(err::InvalidProcedureCall));
  n = u"kept";
  EXPECT_EQ(errorOf([&] { call(u"LogInfo", {Variant::null(), Variant::byRef(n)}); }), err::InvalidUseOfNull);
  EXPECT_EQ(n, Variant(u"kept"));
}

}  // namespace
}  // namespace svx::testing
