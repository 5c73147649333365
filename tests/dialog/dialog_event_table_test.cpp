#include <gtest/gtest.h>

#include <set>

#include "core/form_event_table.h"
#include "dialog/dialog_event_table.h"
#include "platform/automation/dispatch.h"

namespace svx {
namespace {

const DialogEventRow& byName(BStrView name) {
  for (const DialogEventRow& r : dialogEventTable())
    if (r.name == name) return r;
  throw std::runtime_error("no such event");
}

TEST(DialogEventTable, DispidsRunWithoutGaps) {
  const auto& t = dialogEventTable();
  ASSERT_EQ(t.size(), 184u);
  for (size_t i = 0; i < t.size(); ++i) EXPECT_EQ(t[i].dispid, static_cast<int32_t>(i + 1));
  EXPECT_EQ(t.front().name, u"CheckClick");
  EXPECT_EQ(t.back().name, u"DataCtrlValidate");
  EXPECT_EQ(byName(u"FormInitialize").dispid, 51);
  EXPECT_EQ(byName(u"FormGotFocus").dispid, 50);
  EXPECT_EQ(byName(u"TimerCtrlTimer").dispid, 163);
  EXPECT_EQ(byName(u"FormActivate").dispid, 46);
  EXPECT_EQ(byName(u"LabelChange").dispid, 83);
  EXPECT_EQ(byName(u"LabelMouseUp").dispid, 88);
}

TEST(DialogEventTable, EveryFormEventIsReRaisedUnderOneName) {
  std::set<BStr> formEvents;
  for (const FormEventRow& r : formEventTable()) formEvents.insert(r.name);
  for (const DialogEventRow& r : dialogEventTable()) EXPECT_EQ(formEvents.count(r.formEvent), 1u) << utf8(r.name);
  EXPECT_EQ(byName(u"HScrollBarChange").formEvent, u"HScrollChange");
  EXPECT_EQ(byName(u"VScrollBarValidate").formEvent, u"VScrollValidate");
  for (const DialogEventRow& r : dialogEventTable()) {
    EXPECT_NE(r.name.rfind(u"HScrollC", 0), 0u);
    EXPECT_FALSE(r.name.starts_with(u"VScroll") && !r.name.starts_with(u"VScrollBar"));
  }
}

TEST(DialogEventTable, ParametersAndDescriptions) {
  using P = std::vector<BStr>;
  EXPECT_EQ(byName(u"FormQueryUnload").params, (P{u"intCancel", u"intUnloadMode"}));
  EXPECT_EQ(byName(u"FormKeyDown").params, (P{u"intKeyCode", u"intShift"}));
  EXPECT_EQ(byName(u"TimerCtrlTimer").params, (P{u"intIndex"}));
  EXPECT_EQ(byName(u"ActiveXControlEvent").params, (P{u"intIndex", u"arrayEventParameters", u"strEventName"}));
  EXPECT_EQ(byName(u"ListCheckItemCheck").params, (P{u"intIndex", u"intItem"}));
  EXPECT_EQ(byName(u"CommandMouseMove").params, (P{u"intIndex", u"intButton", u"intShift", u"sngX", u"sngY"}));
  EXPECT_EQ(byName(u"HScrollBarChange").description, u"Occurs when the scroll box portion of the scroll bar is moved.");
  EXPECT_EQ(byName(u"TextChange").description, u"Occurs when the contents of a control have changed.");
  EXPECT_EQ(byName(u"ActiveXControlValidate").description,
            u"Occurs before the focus shifts to a (second) control that has its CausesValidation property set to True.");
  EXPECT_EQ(byName(u"ListValidate").description, u"Occurs when a control loses focus to a control that causes validation.");
  for (const DialogEventRow& r : dialogEventTable()) EXPECT_FALSE(r.description.empty()) << utf8(r.name);
  EXPECT_EQ(byName(u"FormLoad").group, u"Form-related events");
  EXPECT_EQ(byName(u"ActiveXControlEvent").group, u"ActiveX EXE-related events");
}

// Every form event finds its row by number as it does by name; a number
// that does not fit the name falls back to the name.
TEST(DialogEventTable, RowsFoundByFormEventNumberAgreeWithTheName) {
  for (const FormEventRow& f : formEventTable()) {
    const DialogEventRow* byNumber = findDialogEventByFormEvent(f.id, f.name);
    EXPECT_EQ(byNumber, findDialogEventByFormEvent(f.name)) << utf8(f.name);
    ASSERT_NE(byNumber, nullptr) << utf8(f.name);
    EXPECT_EQ(findDialogEventByFormEvent(f.id % 184 + 1, f.name), byNumber) << utf8(f.name);
  }
  EXPECT_EQ(findDialogEventByFormEvent(1, u"NoSuchEvent"), nullptr);
  EXPECT_EQ(findDialogEventByFormEvent(0, u"CommandClick"), findDialogEventByFormEvent(u"CommandClick"));
  EXPECT_EQ(findDialogEventByFormEvent(999, u"HScrollChange")->name, u"HScrollBarChange");
}

}  // namespace
}  // namespace svx
