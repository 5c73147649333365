#include <gtest/gtest.h>

#include "core/form_event_table.h"
#include "platform/automation/dispatch.h"

namespace svx {
namespace {

const FormEventRow& byName(BStrView name) {
  for (const FormEventRow& r : formEventTable())
    if (r.name == name) return r;
  throw std::runtime_error("no such form event");
}

TEST(FormEventTable, IdsRunWithoutGapsFromCheckClickToDataCtrlValidate) {
  const auto& t = formEventTable();
  ASSERT_EQ(t.size(), 184u);
  for (size_t i = 0; i < t.size(); ++i) EXPECT_EQ(t[i].id, static_cast<int32_t>(i + 1));
  EXPECT_EQ(t.front().name, u"CheckClick");
  EXPECT_EQ(t.back().name, u"DataCtrlValidate");
  EXPECT_EQ(byName(u"TimerCtrlTimer").id, 155);
  EXPECT_EQ(byName(u"HScrollChange").id, 156);
  EXPECT_EQ(byName(u"FormClick").id, 46);
  EXPECT_EQ(byName(u"FormActivate").id, 50);
  EXPECT_EQ(byName(u"FormQueryUnload").id, 63);
  EXPECT_EQ(byName(u"CommandClick").id, 33);
  EXPECT_EQ(byName(u"ActiveXControlEvent").id, 45);
  EXPECT_EQ(byName(u"ActiveXControlGotFocus").id, 42);
}

TEST(FormEventTable, RelaysOfControlArraysAreTheRowsWithAnArraySource) {
  int relays = 0;
  for (const FormEventRow& r : formEventTable())
    if (r.kind != RelayKind::Form && r.kind != RelayKind::ActiveX) ++relays;
  EXPECT_EQ(relays, 161);
  EXPECT_EQ(findFormEvent(u"ImageCtrl", u"Click")->name, u"ImageClick");
  EXPECT_EQ(findFormEvent(u"OptionCtrl", u"Validate")->name, u"OptionValidate");
  EXPECT_EQ(findFormEvent(u"Frame", u"GotFocus"), nullptr);
  EXPECT_EQ(findFormEvent(u"ShapeCtrl", u"Click"), nullptr);
}

TEST(FormEventTable, KindsAndDeclaredParameterNames) {
  using P = std::vector<BStr>;
  EXPECT_EQ(byName(u"TextKeyPress").kind, RelayKind::Ascii);
  EXPECT_EQ(byName(u"TextKeyPress").params, (P{u"Index", u"KeyAscii"}));
  EXPECT_EQ(byName(u"CheckMouseDown").params, (P{u"Index", u"Button", u"Shift", u"X", u"Y"}));
  EXPECT_EQ(byName(u"LabelMouseUp").params, (P{u"intIndex", u"intButton", u"intShift", u"sngX", u"sngY"}));
  EXPECT_EQ(byName(u"LabelChange").params, (P{u"intIndex"}));
  EXPECT_EQ(byName(u"OptionDblClick").params, (P{u"intIndex"}));
  EXPECT_EQ(byName(u"OptionClick").params, (P{u"Index"}));
  EXPECT_EQ(byName(u"DataCtrlValidate").params, (P{u"intIndex", u"boolCancel"}));
  EXPECT_EQ(byName(u"DataCtrlError").kind, RelayKind::DataError);
  EXPECT_EQ(byName(u"DataCtrlError").params, (P{u"intIndex", u"intDataErr", u"intResponse"}));
  EXPECT_EQ(byName(u"ListCheckItemCheck").params, (P{u"Index", u"Item"}));
  EXPECT_EQ(byName(u"ActiveXControlEvent").params, (P{u"Index", u"EventParameters", u"Name"}));
  EXPECT_EQ(byName(u"FormQueryUnload").params, (P{u"Cancel", u"UnloadMode"}));
  EXPECT_EQ(byName(u"FormLoad").params, P{});
  EXPECT_EQ(byName(u"TimerCtrlTimer").kind, RelayKind::Timer);
  EXPECT_EQ(byName(u"ListValidate").kind, RelayKind::Cancel);
}

TEST(FormEventTable, DeclaresTheEventsOnAClassInOrder) {
  ClassInfo ci(u"FormEvents");
  declareFormEvents(ci);
  ASSERT_EQ(ci.events().size(), 184u);
  EXPECT_EQ(ci.findEvent(u"TimerCtrlTimer")->dispid, 155);
}

}  // namespace
}  // namespace svx
