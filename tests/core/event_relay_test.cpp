#include <gtest/gtest.h>

#include "core/event_relay.h"
#include "platform/automation/error.h"

namespace svx {
namespace {

const FormEventRow& row(BStrView source, BStrView event) { return *findFormEvent(source, event); }

// A listener that records what it saw and stores `values` into the
// arguments after the index.
struct Listener {
  std::vector<Variant> values;
  int32_t raisedId = 0;
  std::vector<uint16_t> seenTypes;
  int calls = 0;
  RaiseFn fn() {
    return [this](int32_t id, std::span<Variant> args) {
      ++calls;
      raisedId = id;
      for (Variant& a : args) {
        EXPECT_EQ(a.vt(), VT_BYREF | VT_VARIANT);
        seenTypes.push_back(a.varType());
      }
      for (size_t i = 0; i < values.size(); ++i)
        if (!values[i].isMissing()) args[i + 1].assign(values[i]);
    };
  }
};

TEST(EventRelay, ClickCarriesTheIndexAndWritesNothingBack) {
  int16_t index = 3;
  Listener l;
  relayControlEvent(row(u"Command", u"Click"), index, {}, l.fn());
  EXPECT_EQ(l.raisedId, 33);
  EXPECT_EQ(l.seenTypes, std::vector<uint16_t>{VT_I2});
  EXPECT_EQ(index, 3);
}

TEST(EventRelay, KeyAsciiCopyBackConversions) {
  struct Case {
    Variant set;
    int16_t expected;
  };
  const Case cases[] = {{Variant(0), 0},         {Variant(65.5), 66},   {Variant(66.5), 66},
                        {Variant(u"65"), 65},    {Variant(true), -1},   {Variant(u"abc"), 97},
                        {Variant::null(), 97},   {Variant(40000), 97},  {Variant(), 0}};
  for (const Case& c : cases) {
    int16_t index = 1, keyAscii = 97;
    std::vector<Variant> params{Variant::byRef(keyAscii)};
    Listener l;
    l.values = {c.set};
    relayControlEvent(row(u"Text", u"KeyPress"), index, params, l.fn());
    EXPECT_EQ(keyAscii, c.expected) << varTypeName(c.set.vt());
    EXPECT_EQ(l.seenTypes, (std::vector<uint16_t>{VT_I2, VT_I2}));
  }
}

TEST(EventRelay, KeyDownStopsAtTheFirstValueThatDoesNotConvert) {
  int16_t index = 1, keyCode = 65, shift = 0;
  std::vector<Variant> params{Variant::byRef(keyCode), Variant::byRef(shift)};
  Listener onlyShift;
  onlyShift.values = {Variant::missing(), Variant(2)};
  relayControlEvent(row(u"Check", u"KeyDown"), index, params, onlyShift.fn());
  EXPECT_EQ(keyCode, 65);
  EXPECT_EQ(shift, 2);
  Listener bad;
  bad.values = {Variant(u"abc"), Variant(4)};
  relayControlEvent(row(u"Check", u"KeyDown"), index, params, bad.fn());
  EXPECT_EQ(keyCode, 65);
  EXPECT_EQ(shift, 2);  // after the failing KeyCode nothing is written
}

TEST(EventRelay, MouseArgumentsAreSinglesAndWrittenBackInOrder) {
  int16_t index = 2, button = 1, shift = 0;
  float x = 10, y = 20;
  std::vector<Variant> params{Variant::byRef(button), Variant::byRef(shift), Variant::byRef(x), Variant::byRef(y)};
  Listener l;
  l.values = {Variant::missing(), Variant::missing(), Variant(12.25), Variant(u"no")};
  relayControlEvent(row(u"Command", u"MouseDown"), index, params, l.fn());
  EXPECT_EQ(l.seenTypes, (std::vector<uint16_t>{VT_I2, VT_I2, VT_I2, VT_R4, VT_R4}));
  EXPECT_FLOAT_EQ(x, 12.25f);
  EXPECT_FLOAT_EQ(y, 20);
}

TEST(EventRelay, ValidateCancelIsABooleanCopy) {
  const std::pair<Variant, int16_t> cases[] = {
      {Variant(5), -1}, {Variant(u"True"), -1}, {Variant(0), 0}, {Variant(), 0}, {Variant(true), -1}};
  for (const auto& [set, expected] : cases) {
    int16_t index = 1, cancel = 0;
    std::vector<Variant> params{Variant::byRefBool(cancel)};
    Listener l;
    l.values = {set};
    relayControlEvent(row(u"List", u"Validate"), index, params, l.fn());
    EXPECT_EQ(cancel, expected);
    EXPECT_EQ(l.seenTypes[1], VT_BOOL);
  }
}

TEST(EventRelay, ItemAndDataErrorAreReferencesToTheEventsOwnParameters) {
  int16_t index = 1, item = 4;
  std::vector<Variant> params{Variant::byRef(item)};
  Listener l;
  l.values = {Variant(7)};
  relayControlEvent(row(u"ListCheck", u"ItemCheck"), index, params, l.fn());
  EXPECT_EQ(l.raisedId, 96);
  EXPECT_EQ(item, 7);  // the listener wrote straight into the event's Item
}

TEST(EventRelay, TimerOfElementZeroIsNotRelayedAndErrorsAreDropped) {
  int16_t zero = 0, two = 2;
  Listener l;
  relayControlEvent(row(u"TimerCtrl", u"TimerEvent"), zero, {}, l.fn());
  EXPECT_EQ(l.calls, 0);
  relayControlEvent(row(u"TimerCtrl", u"TimerEvent"), two, {}, l.fn());
  EXPECT_EQ(l.calls, 1);
  EXPECT_EQ(l.raisedId, 155);
  EXPECT_NO_THROW(relayControlEvent(row(u"TimerCtrl", u"TimerEvent"), two, {},
                                    [](int32_t, std::span<Variant>) { raise(err::Overflow); }));
}

}  // namespace
}  // namespace svx
