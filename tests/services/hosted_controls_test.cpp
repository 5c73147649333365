// Hosting controls by ProgID on DialogForm: the six members, the companion
// elements and the relay of the hosted controls' events, with fake controls
// that refuse licences, values and parameters.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "core/write_log_line.h"
#include "platform/automation/class_registry.h"
#include "platform/forms/control_extender.h"
#include "platform/forms/person.h"
#include "platform/graphics/form_render.h"
#include "platform/shell/shell.h"
#include "services/hosted_control_relay.h"
#include "services/hosted_controls.h"
#include "services/sample_controls.h"
#include "services/wrapper_vb_control_extender.h"
#include "tests/support/form_fixture.h"

namespace svx {
namespace {

namespace fs = std::filesystem;

// An object whose default member takes an object by reference.
class Holder : public Object {
 public:
  static const ClassInfo& info() {
    static const ClassInfo ci = ClassInfo(u"Holder")
                                    .get<&Holder::Item>(u"Item")
                                    .set<&Holder::setItem>(u"Item", {in(u"Value")})
                                    .defaultMember(u"Item");
    return ci;
  }
  const ClassInfo& classInfo() const override { return info(); }
  Variant Item() { return item ? Variant(item) : Variant::nothing(); }
  void setItem(Variant& v) { item = v.deref().asObject(); }
  ObjectRef item;
};

// Parameters that fail: a name that cannot be read, a value that cannot be
// written.
class FaultyParameter : public EventParameter {
 public:
  FaultyParameter(BStr name, Variant value, bool badName, bool refuseWrite)
      : EventParameter(std::move(name)), value_(std::move(value)), badName_(badName), refuseWrite_(refuseWrite) {}
  static const ClassInfo& info() {
    static const ClassInfo ci = ClassInfo(u"EventParameter")
                                    .get<&FaultyParameter::FaultyName>(u"Name")
                                    .get<&FaultyParameter::Value>(u"Value")
                                    .let<&FaultyParameter::letValue>(u"Value", {in(u"Value")});
    return ci;
  }
  const ClassInfo& classInfo() const override { return info(); }
  Variant FaultyName() {
    if (badName_) raise(err::PermissionDenied);
    return Name();
  }
  Variant value() const override { return value_; }
  void setValue(const Variant& v) override {
    if (refuseWrite_) raise(err::PropertyCannotBeSetNow);
    value_ = v;
    ++writes;
  }
  int writes = 0;

 private:
  Variant value_;
  bool badName_, refuseWrite_;
};

// A control that raises whatever event a test gives it.
class FakeControl : public HostedControl {
 public:
  static const ClassInfo& info() {
    static const ClassInfo ci = ClassInfo(u"FakeControl")
                                    .get<&FakeControl::Caption>(u"Caption")
                                    .let<&FakeControl::letCaption>(u"Caption", {in(u"Value")});
    return ci;
  }
  const ClassInfo& classInfo() const override { return info(); }
  Variant Caption() { return Variant(caption); }
  // Refuses an empty caption.
  void letCaption(Variant& v) {
    BStr c = toBStr(v);
    if (c.empty()) svx::raise(err::InvalidPropertyValue, u"A caption cannot be empty");
    caption = std::move(c);
  }
  BStr caption = u"fake";
  void fire(BStrView name, const EventParameterList& params) { raiseControlEvent(name, params); }
};

void registerFakes() {
  static const bool done = [] {
    auto fake = [] { return ObjectRef(makeRef<FakeControl>()); };
    registerControlClass({u"Test.Fake", fake, std::nullopt, nullptr});
    registerControlClass({u"Test.DuplicateLicence", fake, std::nullopt,
                          [](const std::optional<BStr>&) { raise(err::KeyAlreadyInLicenses); }});
    registerControlClass({u"Test.RefusedLicence", fake, std::nullopt,
                          [](const std::optional<BStr>&) { raise(err::PermissionDenied, u"licence refused"); }});
    registerControlClass({u"Test.ThrowingFactory", []() -> ObjectRef { throw std::runtime_error("factory exploded"); },
                          std::nullopt, nullptr});
    return true;
  }();
  (void)done;
}

class HostedControls : public testing::DialogFormTest {
 protected:
  void SetUp() override {
    DialogFormTest::SetUp();
    registerFakes();
    dir_ = fs::temp_directory_path() / ("svx-hosted-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
    setDocumentsFolderOverride(dir_.string());
  }
  void TearDown() override {
    DialogFormTest::TearDown();
    setDocumentsFolderOverride(std::nullopt);
    fs::remove_all(dir_);
  }

  struct Opts {
    Variant key = Variant::missing(), container = Variant::missing(), tabIndex = Variant::missing(),
            visible = Variant::missing(), left = Variant::missing(), top = Variant::missing(),
            width = Variant::missing(), height = Variant::missing(), zOrder = Variant::missing();
  };
  static Variant* opt(Variant& v) { return v.isMissing() ? nullptr : &v; }

  Variant add(bool events, Variant progId) { return add(events, std::move(progId), Opts()); }
  Variant add(bool events, Variant progId, Opts o) {
    return call(events ? u"AddActiveXControlWithEvents" : u"AddActiveXControlWithoutEvents",
                {&progId, opt(o.key), opt(o.container), opt(o.tabIndex), opt(o.visible), opt(o.left), opt(o.top),
                 opt(o.width), opt(o.height), opt(o.zOrder), &errNumber, &errDescription});
  }
  Variant get(bool events, Variant index) {
    return call(events ? u"GetActiveXControlWithEvents" : u"GetActiveXControlWithoutEvents",
                {&index, &errNumber, &errDescription});
  }
  Variant remove(bool events, Variant index) {
    return call(events ? u"RemoveActiveXControlWithEvents" : u"RemoveActiveXControlWithoutEvents",
                {&index, &errNumber, &errDescription});
  }
  ControlExtender& extender(bool events, int32_t index) {
    Variant v = get(events, Variant(index));
    return dynamic_cast<ControlExtender&>(*v.asObject());
  }
  void expectSuccess() const {
    EXPECT_EQ(errNumber.vt(), VT_I2);
    EXPECT_EQ(errNumber, Variant::i2(0));
    EXPECT_EQ(errDescription, Variant(u""));
  }
  std::string logText() const {
    std::ifstream in(dir_ / "Sorvanelix.txt", std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  Variant fire(bool events, int32_t index, BStrView event) {
    Variant name(BStr{event});
    std::vector<Variant> args{name};
    extender(events, index).invoke(u"Fire", InvokeKind::Method, args);
    return extender(events, index).invoke(u"LastResult", InvokeKind::PropertyGet, {});
  }

  fs::path dir_;
};

constexpr const char16_t* kSample = u"Sorvanelix.SampleControl";

TEST_F(HostedControls, IndexesCountPerVariantAndAreNeverReused) {
  for (bool events : {false, true}) {
    SCOPED_TRACE(events);
    EXPECT_EQ(add(events, kSample), Variant(1));
    expectSuccess();
    EXPECT_EQ(add(events, kSample), Variant(2));
    EXPECT_EQ(remove(events, 1), Variant(true));
    expectSuccess();
    EXPECT_EQ(add(events, kSample), Variant(3));
    const Variant removed = get(events, 1);
    EXPECT_TRUE(removed.isObject() && !removed.asObject());
    expectSuccess();
  }
  EXPECT_EQ(form->ActiveXWithoutEventsCount, 3);
  EXPECT_EQ(form->ActiveXWithEventsCount, 3);
}

TEST_F(HostedControls, BadIndexesAreReportedWithoutHarm) {
  add(false, kSample);
  add(true, kSample);
  struct Case {
    Variant index;
    int32_t getError;
    const char16_t* text;
  };
  const Case cases[] = {{Variant(0), err::SubscriptOutOfRange, u"0"},
                        {Variant(-1), err::SubscriptOutOfRange, u"-1"},
                        {Variant(99), err::SubscriptOutOfRange, u"99"},
                        {Variant(32768), err::SubscriptOutOfRange, u"32768"},
                        {Variant(u"abc"), err::TypeMismatch, u"abc"},
                        {Variant::null(), err::InvalidUseOfNull, u""}};
  for (bool events : {false, true})
    for (const Case& c : cases) {
      SCOPED_TRACE(utf8(c.text));
      const Variant g = get(events, c.index);
      EXPECT_TRUE(g.isObject() && !g.asObject());
      EXPECT_EQ(errNumber, Variant(c.getError));
      EXPECT_EQ(remove(events, c.index), Variant(false));
      EXPECT_EQ(errNumber.vt(), VT_I2);
      EXPECT_EQ(errNumber, Variant::i2(-100));
      const BStr what = events ? u"The control extender object" : u"The control object";
      EXPECT_EQ(errDescription,
                Variant(what + u" associated with the Index '" + c.text + u"' doesn't exist (is nothing)!"));
    }
  // Still there.
  EXPECT_TRUE(get(false, 1).asObject());
  EXPECT_TRUE(get(true, 1).asObject());
}

TEST_F(HostedControls, RemovingTwiceAndBeforeAnyAdd) {
  EXPECT_EQ(remove(false, 1), Variant(false));
  EXPECT_EQ(errDescription, Variant(u"The control object associated with the Index '1' doesn't exist (is nothing)!"));
  get(false, 1);
  EXPECT_EQ(errNumber, Variant(err::SubscriptOutOfRange));
  add(false, kSample);
  EXPECT_EQ(remove(false, 1), Variant(true));
  EXPECT_EQ(remove(false, 1), Variant(false));
  EXPECT_EQ(errNumber, Variant::i2(-100));
}

TEST_F(HostedControls, FailedCreationsLeaveTheCounter) {
  struct Case {
    const char16_t* progId;
    Variant key;
    int32_t error;
  };
  const Case cases[] = {
      {u"No.Such.Control", Variant::missing(), err::CannotCreateObject},
      {u"Sorvanelix.SampleLicensedControl", Variant::missing(), err::ClassNotLicensed},
      {u"Sorvanelix.SampleLicensedControl", Variant(u"wrong"), err::ClassNotLicensed},
      {u"Sorvanelix.SampleLicensedControl", Variant::null(), err::ClassNotLicensed},
      {u"Test.RefusedLicence", Variant::missing(), err::PermissionDenied},
      {u"Sorvanelix.Dialog", Variant::missing(), err::CannotCreateObject},
      // A factory's own exception is reported like any error, naming it.
      {u"Test.ThrowingFactory", Variant::missing(), err::AutomationError},
  };
  for (bool events : {false, true})
    for (const Case& c : cases) {
      SCOPED_TRACE(utf8(c.progId));
      Opts o;
      o.key = c.key;
      const Variant r = add(events, Variant(c.progId), o);
      EXPECT_TRUE(r.isEmpty());
      EXPECT_EQ(errNumber, Variant(c.error));
      if (c.error == err::AutomationError) {
        EXPECT_EQ(errDescription, Variant(u"Automation error: factory exploded (std::runtime_error)"));
      }
    }
  const Variant nullId = add(false, Variant::null());
  EXPECT_TRUE(nullId.isEmpty());
  EXPECT_EQ(errNumber, Variant(err::InvalidUseOfNull));
  EXPECT_EQ(form->ActiveXWithoutEventsCount, 0);
  EXPECT_EQ(form->ActiveXWithEventsCount, 0);
  EXPECT_TRUE(form->addedControls().empty());
  EXPECT_FALSE(form->array(u"ctrlWrapperVBControlExtender").exists(1));
  EXPECT_EQ(add(false, kSample), Variant(1));
}

TEST_F(HostedControls, LicenceKeysAndTheDuplicateKeyError) {
  Opts o;
  o.key = Variant(kSampleLicenseKey);
  EXPECT_EQ(add(true, Variant(u"Sorvanelix.SampleLicensedControl"), o), Variant(1));
  expectSuccess();
  // The list holds only the last add's entry.
  EXPECT_EQ(licenses().count(), 1);
  // A class that refuses its key as already listed is still created.
  EXPECT_EQ(add(true, Variant(u"Test.DuplicateLicence")), Variant(2));
  expectSuccess();
  // Empty and Null keys enter the ProgID without a key.
  o.key = Variant();
  EXPECT_EQ(add(false, kSample, o), Variant(1));
  std::optional<BStr> key = u"x";
  EXPECT_TRUE(licenses().holds(kSample, &key));
  EXPECT_FALSE(key.has_value());
}

TEST_F(HostedControls, PropertiesAreAppliedAndVisibleComesLast) {
  Opts o;
  o.left = Variant(120);
  o.top = Variant(240.5);
  o.width = Variant(u"1500");
  o.height = Variant(400);
  o.tabIndex = Variant(0);
  EXPECT_EQ(add(false, kSample, o), Variant(1));
  expectSuccess();
  ControlExtender& c = extender(false, 1);
  EXPECT_FALSE(c.visible());
  EXPECT_EQ(c.left(), 120);
  EXPECT_FLOAT_EQ(static_cast<float>(c.top()), 240.5f);
  EXPECT_EQ(c.width(), 1500);
  EXPECT_EQ(c.height(), 400);
  EXPECT_EQ(c.tabIndex(), 0);
  EXPECT_EQ(form->tabOrder().front(), &c);
  o = {};
  o.visible = Variant(true);
  o.zOrder = Variant(1);
  add(false, kSample, o);
  EXPECT_TRUE(extender(false, 2).visible());
  EXPECT_EQ(form->zOrder().front(), &extender(false, 2));
}

TEST_F(HostedControls, RefusedAssignmentsKeepTheControlAndItsEvents) {
  Opts o;
  o.width = Variant(-5);
  o.tabIndex = Variant(u"abc");
  o.visible = Variant(true);
  EXPECT_EQ(add(true, kSample, o), Variant(1));
  EXPECT_EQ(errNumber, Variant(err::InvalidPropertyValue));  // the last failing step
  EXPECT_TRUE(extender(true, 1).visible());
  fire(true, 1, u"Ping");
  ASSERT_TRUE(last(u"ActiveXControlEvent"));
  o = {};
  o.zOrder = Variant(7);
  EXPECT_EQ(add(false, kSample, o), Variant(1));
  EXPECT_EQ(errNumber, Variant(err::InvalidProcedureCall));
}

TEST_F(HostedControls, CompanionFollowsTheControl) {
  add(true, kSample);
  ControlArray& wrappers = form->array(u"ctrlWrapperVBControlExtender");
  auto& w = dynamic_cast<WrapperVBControlExtender&>(wrappers.item(1));
  EXPECT_EQ(w.extCtl(), get(true, 1).asObject());
  EXPECT_EQ(remove(true, 1), Variant(true));
  EXPECT_FALSE(wrappers.exists(1));
  EXPECT_TRUE(wrappers.exists(0));
  EXPECT_TRUE(form->addedControls().empty());
}

TEST_F(HostedControls, CompanionIndexOverflow) {
  form->ActiveXWithEventsCount = 32767;
  EXPECT_EQ(add(true, kSample), Variant(32768));
  EXPECT_EQ(errNumber, Variant(err::Overflow));
  EXPECT_TRUE(get(true, 32768).asObject());
  EXPECT_EQ(remove(true, 32768), Variant(false));
  EXPECT_EQ(errNumber, Variant(err::Overflow));
  // Every other step was taken.
  EXPECT_TRUE(form->addedControls().empty());
  EXPECT_FALSE(get(true, 32768).asObject());
}

TEST_F(HostedControls, FailedRemovalStillEmptiesTheSlot) {
  add(false, kSample);
  form->removeControl(extender(false, 1).name());
  EXPECT_EQ(remove(false, 1), Variant(false));
  EXPECT_EQ(errNumber, Variant(730));
  EXPECT_FALSE(get(false, 1).asObject());
  expectSuccess();
}

TEST_F(HostedControls, UnloadReleasesControlsButKeepsCounters) {
  add(false, kSample);
  add(true, kSample);
  add(true, kSample);
  Variant held = get(true, 1);
  EXPECT_TRUE(form->unload());
  EXPECT_TRUE(form->ActiveXWithEventsExtenders.empty());
  EXPECT_TRUE(form->ActiveXWithoutEventsObjects.empty());
  EXPECT_FALSE(dynamic_cast<Control&>(*held.asObject()).loaded());
  // The extender kept by a caller no longer reaches the form.
  events.clear();
  std::vector<Variant> ping{Variant(u"Ping")};
  held.asObject()->invoke(u"Fire", InvokeKind::Method, ping);
  EXPECT_FALSE(last(u"ActiveXControlEvent"));
  EXPECT_EQ(add(true, kSample), Variant(3));
  EXPECT_EQ(add(false, kSample), Variant(2));
  EXPECT_FALSE(get(true, 1).asObject());
  expectSuccess();
}

TEST_F(HostedControls, ControlNamesAreMadeFromTheClockAndKeptUnique) {
  Clock::setNow({2027, 1, 1, 0, 0, 0, 7});
  EXPECT_EQ(NewUniqueControlName(), u"DC202711000007");
  Clock::setNow({2026, 12, 8, 2, 36, 5, 500});
  EXPECT_EQ(NewUniqueControlName(), u"DC20261282365500");
  // Two adds within the same millisecond.
  add(false, kSample);
  add(false, kSample);
  const BStr a = extender(false, 1).name(), b = extender(false, 2).name();
  EXPECT_EQ(a, u"DC20261282365500");
  EXPECT_EQ(b, u"DC20261282365500_2");
  EXPECT_EQ(remove(false, 2), Variant(true));
  EXPECT_EQ(form->addedControls().size(), 1u);
  EXPECT_EQ(form->addedControls().front()->name(), a);
}

TEST_F(HostedControls, EventWithoutParametersArrivesWithEmptyArray) {
  add(true, kSample);
  add(true, kSample);
  fire(true, 2, u"Ping");
  const testing::RecordedEvent* e = last(u"ActiveXControlEvent");
  ASSERT_TRUE(e);
  EXPECT_EQ(e->args[0], Variant::i2(2));
  EXPECT_TRUE(e->args[1].isEmpty());
  EXPECT_EQ(e->args[2], Variant(u"Ping"));
}

TEST_F(HostedControls, ParametersTravelAsATableAndAreWrittenBack) {
  add(true, kSample);
  EXPECT_EQ(fire(true, 1, u"Change"), Variant(u"NewValue=5 Cancel=False"));
  const testing::RecordedEvent* e = last(u"ActiveXControlEvent");
  ASSERT_TRUE(e);
  const SafeArray* a = e->args[1].asArray();
  ASSERT_TRUE(a);
  EXPECT_EQ(a->dimensions(), 2);
  EXPECT_EQ(a->lbound(1), 1);
  EXPECT_EQ(a->ubound(1), 2);
  EXPECT_EQ(a->ubound(2), 2);
  EXPECT_EQ(a->get(1, 1), Variant(u"NewValue"));
  EXPECT_EQ(a->get(1, 2), Variant(5));
  EXPECT_EQ(a->get(2, 1), Variant(u"Cancel"));
  EXPECT_EQ(a->get(2, 2), Variant(false));
  onEvent = [](BStrView name, std::span<Variant> args) {
    if (name != u"ActiveXControlEvent") return;
    SafeArray* t = args[1].deref().asArray();
    t->set(1, 2, Variant(u"42"));
    t->set(2, 2, Variant(-1));
  };
  EXPECT_EQ(fire(true, 1, u"Change"), Variant(u"NewValue=42 Cancel=True"));
  // A replaced array writes nothing back.
  onEvent = [](BStrView name, std::span<Variant> args) {
    if (name == u"ActiveXControlEvent") args[1].assign(Variant(u"gone"));
  };
  EXPECT_EQ(fire(true, 1, u"Change"), Variant(u"NewValue=5 Cancel=False"));
  // A value that the parameter cannot take is skipped; the others are written.
  onEvent = [](BStrView name, std::span<Variant> args) {
    if (name != u"ActiveXControlEvent") return;
    SafeArray* t = args[1].deref().asArray();
    t->set(1, 2, Variant(u"not a number"));
    t->set(2, 2, Variant(true));
  };
  EXPECT_EQ(fire(true, 1, u"Change"), Variant(u"NewValue=5 Cancel=True"));
}

TEST_F(HostedControls, UnreadableValuesBecomeErrorTexts) {
  add(true, kSample);
  fire(true, 1, u"Broken");
  const testing::RecordedEvent* e = last(u"ActiveXControlEvent");
  ASSERT_TRUE(e);
  EXPECT_EQ(e->args[1].asArray()->get(1, 1), Variant(u"Bad"));
  EXPECT_EQ(e->args[1].asArray()->get(1, 2), Variant(u"The value of parameter 'Bad' cannot be read (5)"));
  EXPECT_EQ(logText(), "");  // the refused write-back is ignored
}

TEST_F(HostedControls, FaultyParametersAndObjectValues) {
  add(true, u"Test.Fake");
  auto& fake = dynamic_cast<FakeControl&>(extender(true, 1).control());
  auto holder = makeRef<Holder>();
  auto first = makeRef<FaultyParameter>(u"First", Variant(1), false, true);
  auto second = makeRef<FaultyParameter>(u"Second", Variant(2), true, false);
  auto third = makeRef<FaultyParameter>(u"Third", Variant(ObjectRef(holder)), false, false);
  auto replacement = makeRef<Holder>();
  onEvent = [&](BStrView name, std::span<Variant> args) {
    if (name != u"ActiveXControlEvent") return;
    SafeArray* t = args[1].deref().asArray();
    EXPECT_TRUE(t->get(2, 1).isEmpty());  // its name could not be read
    EXPECT_EQ(t->get(3, 2), Variant(ObjectRef(holder)));
    t->set(1, 2, Variant(10));
    t->set(2, 2, Variant(20));
    t->set(3, 2, Variant(ObjectRef(replacement)));
  };
  fake.fire(u"Faulty", {first, second, third});
  EXPECT_EQ(first->value(), Variant(1));  // refused, skipped
  EXPECT_EQ(second->value(), Variant(20));
  EXPECT_EQ(third->writes, 0);  // an object goes into the held object's default member
  EXPECT_EQ(holder->item, ObjectRef(replacement));
  // The first parameter's name is read under the error path: the event is
  // not raised and the log says why.
  events.clear();
  auto badFirst = makeRef<FaultyParameter>(u"X", Variant(1), true, false);
  fake.fire(u"BadName", {badFirst});
  EXPECT_FALSE(last(u"ActiveXControlEvent"));
  EXPECT_NE(logText().find("VBControlExtenderObjectEvent generated error: Permission denied (70) for BadName"),
            std::string::npos);
}

TEST_F(HostedControls, FailedRaiseIsLoggedAndNothingWrittenBack) {
  add(true, kSample);
  onEvent = [](BStrView name, std::span<Variant> args) {
    if (name != u"ActiveXControlEvent") return;
    args[1].deref().asArray()->set(1, 2, Variant(9));
    raise(err::InvalidProcedureCall, u"handler failed");
  };
  EXPECT_EQ(fire(true, 1, u"Change"), Variant(u"NewValue=5 Cancel=False"));
  const std::string log = logText();
  EXPECT_NE(log.find("VBControlExtenderObjectEvent generated error: handler failed (5) for Change"),
            std::string::npos);
  EXPECT_EQ(objectEventErrorLine(u"d", 7, u"E"), u"VBControlExtenderObjectEvent generated error: d (7) for E");
}

TEST_F(HostedControls, FocusValidationAndKeysThroughTheUser) {
  Opts o;
  o.visible = Variant(true);
  o.left = Variant(0);
  add(true, kSample, o);
  o.left = Variant(2400);
  add(true, kSample, o);
  form->show();
  ControlExtender& one = extender(true, 1);
  ControlExtender& two = extender(true, 2);
  person::click(one);
  EXPECT_EQ(form->activeControl(), &one);
  ASSERT_TRUE(last(u"ActiveXControlGotFocus"));
  EXPECT_EQ(last(u"ActiveXControlGotFocus")->args[0], Variant::i2(1));
  EXPECT_EQ(last(u"ActiveXControlEvent")->args[2], Variant(u"Click"));
  // The script refuses the validation of control 1.
  onEvent = [](BStrView name, std::span<Variant> args) {
    if (name == u"ActiveXControlValidate") args[1].assign(Variant(1));
  };
  person::click(two);
  EXPECT_EQ(form->activeControl(), &one);
  EXPECT_EQ(last(u"ActiveXControlValidate")->args[0], Variant::i2(1));
  onEvent = nullptr;
  person::pressTab(*form);
  EXPECT_EQ(form->activeControl(), &two);
  EXPECT_EQ(last(u"ActiveXControlLostFocus")->args[0], Variant::i2(1));
  // Keys: the script swallows "b".
  onEvent = [](BStrView name, std::span<Variant> args) {
    if (name != u"ActiveXControlEvent" || args[2].value() != Variant(u"KeyPress")) return;
    SafeArray* t = args[1].deref().asArray();
    if (t->get(1, 2) == Variant::i2('b')) t->set(1, 2, Variant(0));
  };
  person::type(two, u"abc");
  EXPECT_EQ(two.invoke(u"Text", InvokeKind::PropertyGet, {}), Variant(u"ac"));
  form->hide();
}

TEST_F(HostedControls, DrawnByTheFormRenderer) {
  Opts o;
  o.visible = Variant(true);
  add(false, kSample, o);
  RenderItem item;
  extender(false, 1).render(item);
  ASSERT_TRUE(item.surface);
  EXPECT_GT(item.surface->image().width, 10);
  const fs::path png = dir_ / "form.png";
  form->snapshot(png);
  EXPECT_GT(fs::file_size(png), 0u);
  double x = 100, y = 100;
  EXPECT_EQ(form->controlAt(x, y), &extender(false, 1));
}

TEST_F(HostedControls, ExtenderCallsTheControlsOwnMembers) {
  add(false, kSample);
  ControlExtender& c = extender(false, 1);
  std::vector<Variant> args{Variant(u"typed")};
  c.invoke(u"Text", InvokeKind::PropertyPut, args);
  EXPECT_EQ(c.invoke(u"Text", InvokeKind::PropertyGet, {}), Variant(u"typed"));
  EXPECT_EQ(c.invoke(u"Name", InvokeKind::PropertyGet, {}), Variant(c.name()));
  EXPECT_EQ(c.invoke(u"Object", InvokeKind::PropertyGet, {}).asObject().get(), &c.control());
  std::vector<Variant> bad{Variant(u"Nope")};
  EXPECT_THROW(c.invoke(u"Fire", InvokeKind::Method, bad), RuntimeError);
  EXPECT_THROW(c.invoke(u"NoSuchMember", InvokeKind::Method, {}), RuntimeError);
}

}  // namespace
}  // namespace svx

namespace svx {
namespace {

TEST_F(HostedControls, ContainersAndTheControlsOwnSetters) {
  Variant none;
  const Variant picture = call(u"LoadPictureCtrl", {nullptr, &errNumber, &errDescription});
  Variant pictureIndex = picture;
  const Variant box = call(u"PictureCtrlObject", {&pictureIndex, &errNumber, &errDescription});
  Opts o;
  o.container = box;
  EXPECT_EQ(add(true, u"Test.Fake", o), Variant(1));
  expectSuccess();
  ControlExtender& c = extender(true, 1);
  EXPECT_EQ(c.container(), box.asObject().get());
  // An object that cannot contain controls: nothing is added.
  const Variant label = call(u"LabelObject", {&(none = Variant(0)), &errNumber, &errDescription});
  o.container = label;
  EXPECT_TRUE(add(true, u"Test.Fake", o).isEmpty());
  EXPECT_EQ(errNumber, Variant(err::InvalidPropertyValue));
  o.container = Variant(u"not an object");
  EXPECT_TRUE(add(true, u"Test.Fake", o).isEmpty());
  EXPECT_EQ(errNumber, Variant(err::ObjectRequired));
  EXPECT_EQ(form->ActiveXWithEventsCount, 1);
  EXPECT_EQ(form->addedControls().size(), 1u);
  // The control's own setter refuses through the extender.
  std::vector<Variant> empty{Variant(u"")};
  try {
    c.invoke(u"Caption", InvokeKind::PropertyPut, empty);
    ADD_FAILURE() << "an empty caption was taken";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), err::InvalidPropertyValue);
    EXPECT_EQ(e.description(), u"A caption cannot be empty");
  }
  EXPECT_EQ(c.invoke(u"Caption", InvokeKind::PropertyGet, {}), Variant(u"fake"));
}

}  // namespace
}  // namespace svx

namespace svx {
namespace {

TEST_F(HostedControls, FormControlsCollectionAddsAndRemovesByName) {
  registerSystemControls();
  ObjectRef controls = form->Controls().asObject();
  auto invoke = [&](BStrView member, std::vector<Variant> args) {
    return controls->invoke(member, member == u"Count" ? InvokeKind::PropertyGet : InvokeKind::Method, args);
  };
  const int32_t before = toI4(invoke(u"Count", {}));
  const Variant added = invoke(u"Add", {Variant(kSample), Variant(u"MyControl")});
  auto* c = dynamic_cast<ControlExtender*>(added.asObject().get());
  ASSERT_TRUE(c);
  EXPECT_EQ(c->name(), u"MyControl");
  EXPECT_FALSE(c->visible());
  EXPECT_EQ(toI4(invoke(u"Count", {})), before + 1);
  EXPECT_EQ(invoke(u"Item", {Variant(u"mycontrol")}).asObject().get(), c);
  auto errorOf = [&](BStrView member, std::vector<Variant> args) {
    try {
      invoke(member, std::move(args));
    } catch (const RuntimeError& e) {
      return e.number();
    }
    return 0;
  };
  EXPECT_EQ(errorOf(u"Add", {Variant(kSample), Variant(u"MYCONTROL")}), 727);
  EXPECT_EQ(errorOf(u"Add", {Variant(kSample), Variant(u"Command")}), 727);  // a control array's name
  EXPECT_EQ(errorOf(u"Add", {Variant(kSample), Variant(u"")}), err::InvalidProcedureCall);
  EXPECT_EQ(errorOf(u"Add", {Variant(u"No.Such"), Variant(u"Other")}), err::CannotCreateObject);
  invoke(u"Remove", {Variant(u"MyControl")});
  EXPECT_FALSE(c->loaded());
  EXPECT_EQ(errorOf(u"Remove", {Variant(u"MyControl")}), 730);
  EXPECT_EQ(toI4(invoke(u"Count", {})), before);
}

}  // namespace
}  // namespace svx

namespace svx {
namespace {

TEST(LicenceList, AddClearRemoveAndTheirErrors) {
  registerFakes();
  Licenses& l = licenses();
  l.clear();
  EXPECT_EQ(l.add(u"Any.Class", BStr(u"k")), u"k");
  EXPECT_EQ(l.add(u"Other.Class", std::nullopt), u"");
  struct Case {
    const char16_t* progId;
    int32_t error;
  };
  for (const Case& c : {Case{u"ANY.class", err::KeyAlreadyInLicenses}, Case{u"", err::InvalidProcedureCall},
                        Case{u"Test.RefusedLicence", err::PermissionDenied}}) {
    try {
      l.add(c.progId, std::nullopt);
      ADD_FAILURE() << utf8(c.progId);
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number(), c.error) << utf8(c.progId);
    }
  }
  EXPECT_EQ(l.count(), 2);
  l.remove(u"any.class");
  EXPECT_THROW(l.remove(u"any.class"), RuntimeError);
  l.clear();
  EXPECT_EQ(l.count(), 0);
  // A ProgID keeps its first class.
  EXPECT_FALSE(registerControlClass({u"test.fake", [] { return ObjectRef(); }, std::nullopt, nullptr}));
  EXPECT_THROW(registerControlClass({u"", nullptr, std::nullopt, nullptr}), std::logic_error);
}

TEST_F(HostedControls, AClickAtThePlaceOfAHostedControlReachesIt) {
  Opts o;
  o.visible = Variant(true);
  o.left = Variant(600);
  o.top = Variant(300);
  add(true, kSample, o);
  person::clickAt(*form, 700, 400);
  EXPECT_EQ(form->activeControl(), &extender(true, 1));
  ASSERT_TRUE(last(u"ActiveXControlEvent"));
  EXPECT_EQ(last(u"ActiveXControlEvent")->args[2], Variant(u"Click"));
}

}  // namespace
}  // namespace svx
