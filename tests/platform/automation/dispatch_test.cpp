#include <gtest/gtest.h>

#include "tests/support/error_of.h"

#include <vector>

#include "platform/automation/collection.h"
#include "platform/automation/dispatch.h"

namespace svx {
namespace {

using svx::testing::errorOf;

// A small class that exercises every kind of member and an event.
class Probe : public Object {
 public:
  static inline int terminated = 0;

  static const ClassInfo& info() {
    static const ClassInfo ci =
        ClassInfo(u"Probe")
            .method<&Probe::Change>(u"Change", {in(u"byValue"), refOpt(u"byRef"), inOpt(u"extra")},
                                    u"Changes both arguments.")
            .get<&Probe::Caption>(u"Caption", {}, u"Returns the caption.")
            .let<&Probe::setCaption>(u"Caption", {in(u"strNewCaption")})
            .method<&Probe::Fire>(u"Fire", {in(u"value")}, u"Raises Changed.")
            .method<&Probe::Item>(u"Item", {in(u"Index")})
            .defaultMember(u"Item")
            .event(u"Changed", {u"intIndex", u"intKeyAscii"}, u"Occurs when it changes.")
            .event(u"Nested", {});
    return ci;
  }
  const ClassInfo& classInfo() const override { return info(); }

  Variant Change(Variant& byValue, Variant& byRef, Variant& extra) {
    const bool extraMissing = extra.isMissing();
    byValue = Variant(u"changed");
    if (!byRef.isMissing()) byRef.assign(Variant(42));
    return Variant(extraMissing);
  }
  Variant Caption() { return Variant(caption_); }
  void setCaption(Variant& v) { caption_ = v.value().asBStr(); }
  Variant Item(Variant& index) { return Variant(index.value().asI4() * 10); }

  // Raises Changed with the relay's own argument Variants by reference.
  Variant Fire(Variant& value) {
    std::vector<Variant> values{Variant::i2(3), value.value()};
    std::vector<Variant> refs = refsTo(values);
    raiseEvent(1, refs);
    return values[1];
  }
  void fireNested() { raiseEvent(2, {}); }

 protected:
  void terminate() override { ++terminated; }

 private:
  BStr caption_;
};

TEST(Dispatch, ByValueIsACopyAndByRefWritesTheCallersVariable) {
  Ref<Probe> p = makeRef<Probe>();
  Variant mine(u"mine");
  Variant out(0);
  std::vector<Variant> args{Variant::byRef(mine), Variant::byRef(out)};
  Variant r = p->invoke(u"change", InvokeKind::Method, args);  // names ignore case
  EXPECT_EQ(mine.asBStr(), u"mine");
  EXPECT_EQ(out.asI4(), 42);
  EXPECT_TRUE(r.asBool());  // "extra" arrived as the missing marker
}

TEST(Dispatch, OmittedAndExplicitMissingArgumentsAreMissing) {
  Ref<Probe> p = makeRef<Probe>();
  Variant out(0);
  std::vector<Variant> args{Variant(1), Variant::missing(), Variant(u"x")};
  EXPECT_FALSE(p->invoke(u"Change", InvokeKind::Method, args).asBool());
  EXPECT_EQ(out.asI4(), 0);
}

TEST(Dispatch, FailuresCarryTheRuntimeNumbers) {
  Ref<Probe> p = makeRef<Probe>();
  std::vector<Variant> none;
  std::vector<Variant> four{Variant(1), Variant(2), Variant(3), Variant(4)};
  EXPECT_EQ(errorOf([&] { p->invoke(u"NoSuchMember", InvokeKind::Method, none); }), 438);
  EXPECT_EQ(errorOf([&] { p->invoke(u"Change", InvokeKind::Method, none); }), 449);
  EXPECT_EQ(errorOf([&] { p->invoke(u"Change", InvokeKind::Method, four); }), 450);
  EXPECT_EQ(errorOf([] { createObject(u"No.Such.Class"); }), 429);
}

// Each case runs once with references made by the caller and once with the
// references' targets given directly: the two bind alike.
TEST(Dispatch, TargetsGivenDirectlyBindAsTheirReferencesWould) {
  Ref<Probe> p = makeRef<Probe>();
  const MemberInfo& change = *p->classInfo().find(u"Change", InvokeKind::Method);
  struct Case {
    const char* name;
    int targets;          // how many of the three Variants are passed
    bool firstMissing;    // the required parameter left missing
    bool typedOut;        // the by-reference parameter reaches a 16-bit integer
    int32_t error;
  };
  const Case cases[] = {
      {"value and reference", 2, false, false, 0},      {"all three", 3, false, false, 0},
      {"only the required one", 1, false, false, 0},    {"a typed reference", 2, false, true, 0},
      {"the required one missing", 2, true, false, 449}, {"none", 0, false, false, 449},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Variant results[2];
    Variant outs[2];
    int16_t typed[2] = {0, 0};
    BStr mines[2];
    for (int way = 0; way < 2; ++way) {
      int16_t& shortOut = typed[way];
      Variant mine(u"mine"), chained = Variant::byRef(mine), out(0), extra(u"x");
      Variant typedRef = Variant::byRef(shortOut);
      Variant missing = Variant::missing();
      Variant* targets[] = {c.firstMissing ? &missing : &chained, c.typedOut ? &typedRef : &out, &extra};
      const std::span<Variant*> given(targets, static_cast<size_t>(c.targets));
      int32_t error = 0;
      if (way == 0) {
        std::vector<Variant> refs;
        for (Variant* t : given) refs.push_back(Variant::byRef(*t));
        error = errorOf([&] { results[way] = invokeMember(*p, change, refs); });
      } else {
        error = errorOf([&] { results[way] = invokeMemberByRef(*p, change, given); });
      }
      EXPECT_EQ(error, c.error);
      outs[way] = out;
      mines[way] = mine.asBStr();
    }
    EXPECT_EQ(results[0], results[1]);
    EXPECT_EQ(outs[0], outs[1]);
    EXPECT_EQ(typed[0], typed[1]);
    EXPECT_EQ(mines[1], u"mine");  // a by-value parameter is the callee's copy
    EXPECT_EQ(typed[1], c.typedOut ? 42 : 0);
  }
  Variant a(1), b(2), c(3), d(4);
  Variant* four[] = {&a, &b, &c, &d};
  EXPECT_EQ(errorOf([&] { invokeMemberByRef(*p, change, four); }), 450);
}

// A call done with its arguments hands a by-value parameter the argument's
// own value; a reference is read and copied, so the caller's variable keeps
// its value, and a by-reference parameter still writes through.
TEST(Dispatch, ACallDoneWithItsArgumentsBindsAsACopyingCallDoes) {
  Ref<Probe> p = makeRef<Probe>();
  const MemberInfo& change = *p->classInfo().find(u"Change", InvokeKind::Method);
  Ref<Probe> held = makeRef<Probe>();
  Variant mine(u"mine"), out(0);
  std::vector<Variant> own{Variant(ObjectRef(held)), Variant::byRef(out)};
  EXPECT_TRUE(invokeMemberTaking(*p, change, own).asBool());
  EXPECT_EQ(out.asI4(), 42);
  EXPECT_EQ(held->refCount(), 1);  // the value went to the callee, which let it go
  out = Variant(0);
  std::vector<Variant> refs{Variant::byRef(mine), Variant::byRef(out), Variant(u"x")};
  EXPECT_FALSE(invokeMemberTaking(*p, change, refs).asBool());
  EXPECT_EQ(mine.asBStr(), u"mine");
  EXPECT_EQ(out.asI4(), 42);
  std::vector<Variant> none;
  EXPECT_EQ(errorOf([&] { invokeMemberTaking(*p, change, none); }), 449);
  std::vector<Variant> four(4, Variant(1));
  EXPECT_EQ(errorOf([&] { invokeMemberTaking(*p, change, four); }), 450);
}

TEST(Dispatch, AMemberWithoutParametersRefusesArguments) {
  Ref<Probe> p = makeRef<Probe>();
  std::vector<Variant> caption{Variant(u"c")};
  p->invoke(u"Caption", InvokeKind::PropertyPut, caption);
  const MemberInfo& get = *p->classInfo().find(u"Caption", InvokeKind::PropertyGet);
  EXPECT_EQ(invokeMember(*p, get, {}), Variant(u"c"));
  std::vector<Variant> one{Variant::missing()};
  EXPECT_EQ(errorOf([&] { invokeMember(*p, get, one); }), 450);
}

TEST(Dispatch, AMemberCacheFindsAgainForAnotherClass) {
  ClassInfo other(u"Other", &Probe::info());
  other.method<&Probe::Item>(u"Caption", {in(u"Index")});
  MemberCache cache;
  const MemberInfo* own = cache.find(Probe::info(), u"CAPTION", InvokeKind::PropertyGet);
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(own->kind, InvokeKind::PropertyGet);
  EXPECT_EQ(cache.find(Probe::info(), u"Caption", InvokeKind::PropertyGet), own);
  const MemberInfo* replaced = cache.find(other, u"Caption", InvokeKind::PropertyGet);
  ASSERT_NE(replaced, nullptr);
  EXPECT_NE(replaced, own);
  EXPECT_EQ(cache.find(Probe::info(), u"Caption", InvokeKind::PropertyGet), own);
  MemberCache unknown;
  EXPECT_EQ(unknown.find(Probe::info(), u"NoSuchMember", InvokeKind::Method), nullptr);
  EXPECT_EQ(unknown.find(Probe::info(), u"NoSuchMember", InvokeKind::Method), nullptr);
}

// Change(byValue, [byRef], [extra]) with named arguments after positional ones.
TEST(Dispatch, NamedArgumentsBindByParameterName) {
  Ref<Probe> p = makeRef<Probe>();
  const auto call = [&](std::vector<Variant> args, std::vector<BStr> names) {
    return p->invoke(u"Change", InvokeKind::Method, args, names);
  };
  Variant out(0);
  // Out of order, names ignore case; "extra" passed, so not missing.
  EXPECT_FALSE(call({Variant(1), Variant(5), Variant::byRef(out)}, {u"EXTRA", u"byref"}).asBool());
  EXPECT_EQ(out.asI4(), 42);
  // Positional first, then by name; the gap before "extra" stays missing.
  out = Variant(0);
  EXPECT_TRUE(call({Variant(1), Variant::byRef(out)}, {u"byRef"}).asBool());
  EXPECT_EQ(out.asI4(), 42);
  EXPECT_FALSE(call({Variant(u"x"), Variant(1)}, {u"extra", u"byValue"}).asBool());

  struct Bad {
    size_t positional;
    std::vector<BStr> names;
    int32_t number;
  };
  const Bad bad[] = {
      {1, {u"nope"}, 448},            // no such parameter
      {1, {u"extra", u"Extra"}, 450}, // twice by name
      {1, {u"byValue"}, 450},         // by position and by name
      {0, {u"extra"}, 449},           // the required "byValue" left out
  };
  for (const Bad& b : bad)
    EXPECT_EQ(errorOf([&] { call(std::vector<Variant>(b.positional + b.names.size(), Variant(1)), b.names); }),
              b.number)
        << utf8(b.names[0]);
}

TEST(Dispatch, ANamedValueForAByRefParameterIsWrittenIntoItsSlot) {
  Ref<Probe> p = makeRef<Probe>();
  std::vector<Variant> args{Variant(1), Variant(0)};
  const std::vector<int32_t> ids{paramIdOf(*p->classInfo().find(u"Change", InvokeKind::Method), u"byRef")};
  invokeMember(*p, *p->classInfo().find(u"Change", InvokeKind::Method), args, ids);
  EXPECT_EQ(args[1].asI4(), 42);
  EXPECT_EQ(ids[0], 1);
}

TEST(Dispatch, PropertiesShareOneDispidAndTheDefaultMemberIsZero) {
  Ref<Probe> p = makeRef<Probe>();
  std::vector<Variant> v{Variant(u"Hello")};
  p->invoke(u"Caption", InvokeKind::PropertyPut, v);
  std::vector<Variant> none;
  EXPECT_EQ(p->invoke(u"CAPTION", InvokeKind::PropertyGet, none).asBStr(), u"Hello");
  const int32_t id = p->dispidOf(u"Caption");
  EXPECT_EQ(p->invoke(id, InvokeKind::PropertyGet, none).asBStr(), u"Hello");
  std::vector<Variant> index{Variant(4)};
  EXPECT_EQ(p->invoke(0, InvokeKind::PropertyGet, index).asI4(), 40);
}

TEST(Dispatch, TypeInformationFollowsDeclarationOrder) {
  const auto members = Probe::info().members();
  std::vector<BStr> names;
  for (const MemberInfo* m : members) names.push_back(m->name);
  EXPECT_EQ(names, (std::vector<BStr>{u"Change", u"Caption", u"Caption", u"Fire", u"Item"}));
  EXPECT_EQ(members[0]->description, u"Changes both arguments.");
  EXPECT_TRUE(members[0]->params[1].byRef);
  EXPECT_TRUE(members[0]->params[1].optional);
  EXPECT_EQ(Probe::info().events()[0].dispid, 1);
  EXPECT_EQ(Probe::info().events()[1].name, u"Nested");
  EXPECT_EQ(Probe::info().findEvent(u"changed")->params[1], u"intKeyAscii");
}

TEST(Dispatch, TableRejectsMismatchedDeclarations) {
  EXPECT_THROW(ClassInfo(u"Bad").method<&Probe::Change>(u"Change", {in(u"only")}), std::logic_error);
  EXPECT_THROW(ClassInfo(u"Bad").method<&Probe::Change>(u"Change", {inOpt(u"a"), in(u"b"), in(u"c")}),
               std::logic_error);
}

TEST(Events, ListenersWriteBackThroughTheReferences) {
  Ref<Probe> p = makeRef<Probe>();
  std::vector<uint16_t> seenTypes;
  p->connect(std::make_shared<FunctionSink>([&](Object&, const EventInfo& ev, std::span<Variant> args) {
    EXPECT_EQ(ev.name, u"Changed");
    for (Variant& a : args) seenTypes.push_back(a.vt());
    EXPECT_EQ(args[0].value().asI2(), 3);
    args[1].assign(Variant::i2(0));  // swallow the key
  }));
  std::vector<Variant> a{Variant(65)};
  EXPECT_EQ(p->invoke(u"Fire", InvokeKind::Method, a).asI2(), 0);
  EXPECT_EQ(seenTypes, (std::vector<uint16_t>{VT_BYREF | VT_VARIANT, VT_BYREF | VT_VARIANT}));
}

TEST(Events, NobodyConnectedLeavesTheArguments) {
  Ref<Probe> p = makeRef<Probe>();
  std::vector<Variant> a{Variant(65)};
  EXPECT_EQ(p->invoke(u"Fire", InvokeKind::Method, a).asI4(), 65);
  EXPECT_FALSE(p->hasListeners());
}

TEST(Events, NestedRaisesAndDisconnectDuringDelivery) {
  Ref<Probe> p = makeRef<Probe>();
  std::vector<BStr> order;
  int32_t cookie = 0;
  cookie = p->connect(std::make_shared<FunctionSink>([&](Object& src, const EventInfo& ev, std::span<Variant>) {
    order.push_back(ev.name);
    if (ev.name == u"Changed") {
      static_cast<Probe&>(src).fireNested();
      src.disconnect(cookie);  // leaving while delivering is safe
    }
  }));
  std::vector<Variant> a{Variant(1)};
  p->invoke(u"Fire", InvokeKind::Method, a);
  p->invoke(u"Fire", InvokeKind::Method, a);
  EXPECT_EQ(order, (std::vector<BStr>{u"Changed", u"Nested"}));
}

TEST(Events, AListenerErrorReachesTheRaiser) {
  Ref<Probe> p = makeRef<Probe>();
  p->connect(std::make_shared<FunctionSink>(
      [](Object&, const EventInfo&, std::span<Variant>) { raise(err::InvalidProcedureCall); }));
  std::vector<Variant> a{Variant(1)};
  EXPECT_EQ(errorOf([&] { p->invoke(u"Fire", InvokeKind::Method, a); }), 5);
}

TEST(Lifetime, TerminateRunsAtTheLastReleaseAndWeakRefsExpire) {
  Probe::terminated = 0;
  WeakRef<Probe> weak;
  {
    Ref<Probe> a = makeRef<Probe>();
    Ref<Probe> b = a;
    weak = WeakRef<Probe>(a);
    a.reset();
    EXPECT_EQ(Probe::terminated, 0);
    EXPECT_EQ(weak.get(), b.get());
  }
  EXPECT_EQ(Probe::terminated, 1);
  EXPECT_TRUE(weak.expired());
}

TEST(Lifetime, ObjectsTravelInVariants) {
  Probe::terminated = 0;
  {
    Variant v(ObjectRef(makeRef<Probe>()));
    EXPECT_TRUE(v.isObject());
    Variant copy = v;
    EXPECT_EQ(copy.asObject().get()->refCount(), 2);
  }
  EXPECT_EQ(Probe::terminated, 1);
  EXPECT_TRUE(Variant::nothing().isObject());
  EXPECT_FALSE(Variant::nothing().asObject());
}

TEST(Registry, CreatesByProgIdIgnoringCase) {
  registerClass(u"Test.Probe", [] { return ObjectRef(makeRef<Probe>()); });
  EXPECT_TRUE(isRegistered(u"test.probe"));
  ObjectRef o = createObject(u"TEST.PROBE");
  EXPECT_EQ(o->classInfo().name(), u"Probe");
}

TEST(CollectionTest, PositionsKeysAndFailures) {
  Ref<Collection> c = makeRef<Collection>();
  c->add(Variant(u"a"), BStr(u"k1"));
  c->add(Variant(u"b"));
  EXPECT_EQ(c->count(), 2);
  EXPECT_EQ(c->item(Variant(1)).asBStr(), u"a");
  EXPECT_EQ(c->item(Variant(u"K1")).asBStr(), u"a");
  EXPECT_EQ(errorOf([&] { c->add(Variant(u"c"), BStr(u"k1")); }), 457);
  EXPECT_EQ(errorOf([&] { c->item(Variant(u"nope")); }), 5);
  EXPECT_EQ(errorOf([&] { c->item(Variant(3)); }), 9);
  c->remove(Variant(u"k1"));
  EXPECT_EQ(c->item(Variant(1)).asBStr(), u"b");
  EXPECT_EQ(errorOf([&] { c->remove(Variant(u"k1")); }), 5);
  // Through dispatch, Item is the default member.
  std::vector<Variant> i{Variant(1)};
  EXPECT_EQ(c->invoke(0, InvokeKind::PropertyGet, i).asBStr(), u"b");
  std::vector<Variant> none;
  EXPECT_EQ(c->invoke(u"Count", InvokeKind::PropertyGet, none).asI4(), 1);
}

}  // namespace
}  // namespace svx

namespace svx {
namespace {

TEST(NameIndexTest, OnlyAsciiLettersFoldInNameComparisons) {
  const struct {
    const char16_t* a;
    const char16_t* b;
    bool same;
  } cases[] = {
      {u"Caption", u"Caption", true},  {u"Caption", u"CAPTION", true},  {u"caption", u"CaPtIoN", true},
      {u"Caption", u"Captio", false},  {u"Caption", u"Captions", false}, {u"", u"", true},
      {u"A@", u"a`", false},           {u"x[", u"X{", false},            {u"\u00C9", u"\u00E9", false},
      {u"Item1", u"ITEM1", true},      {u"Item1", u"Item2", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(sameName(c.a, c.b), c.same) << utf8(c.a) << " / " << utf8(c.b);
    EXPECT_EQ(sameName(c.b, c.a), c.same) << utf8(c.b) << " / " << utf8(c.a);
  }
}

TEST(NameIndexTest, FindsEveryNameWithoutCaseAcrossGrowth) {
  NameIndex index;
  EXPECT_EQ(index.find(u"Anything"), -1);
  for (int i = 0; i < 500; ++i) ASSERT_TRUE(index.insert(u"Member" + utf16(std::to_string(i)), i));
  for (int i = 0; i < 500; ++i) {
    EXPECT_EQ(index.find(u"MEMBER" + utf16(std::to_string(i))), i);
    EXPECT_EQ(index.find(u"member" + utf16(std::to_string(i))), i);
  }
  EXPECT_EQ(index.find(u"Member500"), -1);
  EXPECT_EQ(index.find(u""), -1);
  EXPECT_FALSE(index.insert(u"mEmBeR7", 99));  // the first keeps its number
  EXPECT_EQ(index.find(u"Member7"), 7);
  // Only ASCII letters fold: "É" and "é" are different names.
  ASSERT_TRUE(index.insert(u"\u00C9t\u00E9", 1000));
  EXPECT_EQ(index.find(u"\u00C9T\u00C9"), -1);
  EXPECT_EQ(index.find(u"\u00C9t\u00E9"), 1000);
  EXPECT_EQ(index.size(), 501u);
}

}  // namespace
}  // namespace svx
