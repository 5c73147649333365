// What docs/architecture.md's "Adding a control family" and "Adding a
// dialog" promise the tests catch: a member of the form that Dialog does not
// forward (so no reference row and no help entry), a family whose members or
// events the help window does not group, and a form event row whose control
// array is not in the form's design.
#include <gtest/gtest.h>

#include <set>

#include "core/dialog_form.h"
#include "core/dialog_form_design.h"
#include "core/form_event_table.h"
#include "dialog/dialog.h"
#include "dialog/dialog_form_api.h"
#include "platform/automation/type_reference.h"
#include "windows/help_text.h"

namespace svx {
namespace {

bool startsWith(BStrView text, BStrView prefix) { return text.substr(0, prefix.size()) == prefix; }

// The family words of the form: "Shape" for LoadShape with UnloadShape.
std::set<BStr> familyWords() {
  std::set<BStr> names, words;
  for (const MemberInfo* m : DialogForm::info().members()) names.insert(m->name);
  for (const BStr& name : names)
    if (startsWith(name, u"Load") && names.count(u"Unload" + name.substr(4))) words.insert(name.substr(4));
  return words;
}

TEST(AddingPlaces, EveryMemberOfTheFormIsForwardedByDialogWithAReferenceRow) {
  Dialog::registerProgId();
  registerDialogForm();
  const std::string reference = typeReference(u"Sorvanelix.Dialog");
  for (const MemberInfo* m : DialogForm::info().members()) {
    if (Form::info().find(m->name, m->kind)) continue;  // the runtime's form, not the interface
    // The members of the form that no script calls by their name: the
    // helper of the ShowHScrollBar members, the multi-select Open that
    // Dialog's CommonDialogShowOpen chooses, and a member nothing calls.
    static const std::set<BStr> unforwarded{u"AdjustListBoxForHScrollBar", u"CommonDialogShowMultiOpen",
                                            u"TimerCtrlObject"};
    if (unforwarded.count(m->name)) continue;
    SCOPED_TRACE(utf8(m->name));
    const MemberInfo* forwarded = Dialog::info().find(m->name, m->kind);
    ASSERT_NE(forwarded, nullptr) << "a row in dialog/dialog_members.cpp";
    EXPECT_FALSE(forwarded->description.empty());
    EXPECT_NE(reference.find("### " + utf8(m->name) + "\n"), std::string::npos)
        << "scripts/regen-reference.sh";
  }
}

TEST(AddingPlaces, EveryFamilyIsGroupedInTheHelpWindow) {
  const std::set<BStr> words = familyWords();
  EXPECT_TRUE(words.count(u"Shape") && words.count(u"TimerCtrl") && words.count(u"DataCtrl"));
  for (const BStr& word : words) {
    bool listed = false;
    for (BStrView f : helpMemberFamilies()) listed = listed || f == word;
    EXPECT_TRUE(listed) << utf8(word) << ": helpMemberFamilies in windows/help_text.cpp";
  }
  for (const EventInfo& e : Dialog::info().events()) {
    if (startsWith(e.name, u"Form") || startsWith(e.name, u"ActiveXControl")) continue;
    bool listed = false;
    for (BStrView f : helpEventFamilies()) listed = listed || startsWith(e.name, f);
    EXPECT_TRUE(listed) << utf8(e.name) << ": helpEventFamilies in windows/help_text.cpp";
  }
}

TEST(AddingPlaces, EveryEventRowNamesAnArrayOfTheDesign) {
  const FormDesign design = dialogFormDesign([](BStrView) { return Ref<Control>(); });
  std::set<BStr> arrays{u"Form"};
  for (const ControlDesign& c : design.controls) arrays.insert(c.arrayName);
  std::set<BStr> sources;
  for (const FormEventRow& row : formEventTable()) {
    EXPECT_TRUE(arrays.count(row.source)) << utf8(row.name) << " names no array of core/dialog_form_design.cpp";
    sources.insert(row.source);
  }
  // Shapes and lines raise no events; every other array relays some.
  for (const BStr& array : arrays) {
    if (array == u"ShapeCtrl" || array == u"LineCtrl") continue;
    EXPECT_TRUE(sources.count(array)) << utf8(array) << " has no row in core/form_event_table.cpp";
  }
}

}  // namespace
}  // namespace svx
