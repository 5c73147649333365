#include "controls/family_pattern.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"

namespace svx {
namespace {

// A form with one family whose rows and steps record what Set does, in order.
std::vector<std::string>& journal() {
  static std::vector<std::string> j;
  return j;
}

bool inFront(Control& c) { return !c.form()->zOrder().empty() && c.form()->zOrder().back() == &c; }

FamilyProperty logged(BStr name, int setStep) {
  FamilyProperty p = prop(name, u"v" + name, VT_BSTR, setStep);
  p.write = [name](Control& c, const Variant& v) {
    if (v.asBStr() == u"fail") raise(err::InvalidPropertyValue);
    journal().push_back(utf8(name) + "=" + utf8(v.asBStr()) + (inFront(c) ? " front" : ""));
  };
  return p;
}

FamilySpec thingFamily() {
  FamilySpec f;
  f.family = u"Thing";
  f.arrayName = u"Thing";
  f.classWord = u"Label";
  f.hasContainer = false;
  // Parameter order A, B, C, D, Caption; steps out of that order, B and D tied.
  f.properties = {logged(u"A", 4), logged(u"B", 1), logged(u"C", 0), logged(u"D", 1),
                  prop(u"Caption", u"strCaption", VT_BSTR, 5), prop(u"NoSuchProperty", u"x", VT_I2, 6)};
  f.alwaysSteps = {{1, [](Control&) { journal().push_back("always 1"); }},
                   {3, [](Control& c) { journal().push_back(std::string("always 3") + (inFront(c) ? " front" : "")); }}};
  f.zOrderStep = 2;
  return f;
}

class ThingForm : public Form {
 public:
  ThingForm() : Form(design()) {}
  static const ClassInfo& info() {
    static const ClassInfo ci = [] {
      ClassInfo c(u"ThingForm", &Form::info());
      declareFamily(c, thingFamily());
      return c;
    }();
    return ci;
  }
  const ClassInfo& classInfo() const override { return info(); }

 private:
  static FormDesign design() {
    FormDesign d;
    d.controls = {{u"Thing", ControlKind::Label, {}, {}, {}}};
    return d;
  }
};

class FamilyPatternTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::useVirtualTime();
    desktop().reset();
    fresh();
  }
  // A new form with elements 1 and 2 loaded, 2 in front; an empty journal.
  void fresh() {
    form.reset();
    journal().clear();
    form = makeRef<ThingForm>();
    form->array(u"Thing").load(1);
    form->array(u"Thing").load(2);
  }
  void TearDown() override {
    form.reset();
    desktop().reset();
    Clock::useRealTime();
  }
  // SetThing(Index, A, B, C, D, Caption, NoSuchProperty, intZOrder, ErrNumber, ErrDescription)
  void set(Variant index, std::vector<Variant> values, Variant zOrder = Variant::missing()) {
    values.resize(6, Variant::missing());
    std::vector<Variant> args{index};
    for (Variant& v : values) args.push_back(v);
    args.push_back(zOrder);
    args.push_back(Variant::byRef(number));
    args.push_back(Variant::byRef(description));
    form->invoke(u"SetThing", InvokeKind::Method, args);
  }
  Ref<ThingForm> form;
  Variant number, description;
};

TEST_F(FamilyPatternTest, SetRunsThePassedRowsByStepThenParameterOrderWithTheAlwaysStepsAndZOrder) {
  const Variant none = Variant::missing();
  struct Case {
    const char* name;
    std::vector<Variant> values;
    bool zOrder;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"every row, z-order",
       {Variant(u"a"), Variant(u"b"), Variant(u"c"), Variant(u"d")},
       true,
       {"C=c", "B=b", "D=d", "always 1", "always 3 front", "A=a front"}},
      {"no z-order", {Variant(u"a"), none, none, Variant(u"d")}, false, {"D=d", "always 1", "always 3", "A=a"}},
      {"nothing passed", {}, false, {"always 1", "always 3"}},
      {"B and D tied, D alone", {none, none, none, Variant(u"d")}, true, {"D=d", "always 1", "always 3 front"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fresh();
    set(Variant(1), c.values, c.zOrder ? Variant(0) : Variant::missing());
    EXPECT_EQ(number, Variant::i2(0));
    EXPECT_EQ(journal(), c.expected);
  }
}

TEST_F(FamilyPatternTest, SetStopsAtTheFirstFailingStepAndReportsIt) {
  const Variant none = Variant::missing();
  // C (step 0) runs, B (step 1) fails: D, the always steps and A do not run.
  set(Variant(1), {Variant(u"a"), Variant(u"fail"), Variant(u"c"), Variant(u"d")});
  EXPECT_EQ(number, Variant(380));
  EXPECT_EQ(journal(), (std::vector<std::string>{"C=c"}));
  journal().clear();
  // A value that does not convert fails at its own step.
  set(Variant(1), {none, none, none, none, none, Variant(u"abc")});
  EXPECT_EQ(number, Variant(13));
  EXPECT_EQ(journal(), (std::vector<std::string>{"always 1", "always 3"}));
  journal().clear();
  // A property the element lacks: 438 at its step, after the others.
  set(Variant(1), {Variant(u"a"), none, none, none, Variant(u"Title"), Variant(1)});
  EXPECT_EQ(number, Variant(438));
  EXPECT_EQ(journal(), (std::vector<std::string>{"always 1", "always 3", "A=a"}));
  EXPECT_EQ(form->array(u"Thing").item(1).invoke(u"Caption", InvokeKind::PropertyGet, {}), Variant(u"Title"));
  // An element that is not loaded: nothing runs.
  journal().clear();
  set(Variant(7), {Variant(u"a")});
  EXPECT_EQ(number, Variant(340));
  EXPECT_TRUE(journal().empty());
}

TEST_F(FamilyPatternTest, AStepThatUnloadsTheElementEndsSetAtTheNextStep) {
  FamilySpec spec = thingFamily();
  ClassInfo ci(u"UnloadingForm", &Form::info());
  spec.alwaysSteps = {{1, [](Control& c) { c.form()->array(u"Thing").unload(c.index()); }}};
  declareFamily(ci, spec);
  const MemberInfo* setThing = ci.find(u"SetThing", InvokeKind::Method);
  ASSERT_NE(setThing, nullptr);
  std::vector<Variant> args{Variant(1), Variant(u"a"), Variant(u"b"), Variant(u"c"), Variant::missing(),
                            Variant::missing(), Variant::missing(), Variant::missing(), Variant::byRef(number),
                            Variant::byRef(description)};
  invokeMember(*form, *setThing, args);
  EXPECT_EQ(number, Variant(340));
  EXPECT_EQ(journal(), (std::vector<std::string>{"C=c", "B=b"}));
  EXPECT_FALSE(form->array(u"Thing").exists(1));
}

TEST_F(FamilyPatternTest, AfterAStepThatUnloadsTheFormTheNextStepReachesTheReloadedForm) {
  FamilySpec spec = thingFamily();
  ClassInfo ci(u"UnloadingForm", &Form::info());
  spec.alwaysSteps = {{1, [](Control& c) { c.form()->unload(); }}};
  declareFamily(ci, spec);
  const MemberInfo* setThing = ci.find(u"SetThing", InvokeKind::Method);
  ASSERT_NE(setThing, nullptr);
  std::vector<Variant> args{Variant(0), Variant(u"a"), Variant(u"b"), Variant(u"c"), Variant::missing(),
                            Variant(u"Again"), Variant::missing(), Variant::missing(), Variant::byRef(number),
                            Variant::byRef(description)};
  invokeMember(*form, *setThing, args);
  EXPECT_EQ(number, Variant::i2(0));
  EXPECT_EQ(journal(), (std::vector<std::string>{"C=c", "B=b", "A=a front"}));
  EXPECT_TRUE(form->isLoaded());
  Control& after = form->array(u"Thing").item(0);
  EXPECT_EQ(after.invoke(u"Caption", InvokeKind::PropertyGet, {}), Variant(u"Again"));
  EXPECT_FALSE(form->array(u"Thing").exists(1));
}

}  // namespace
}  // namespace svx
