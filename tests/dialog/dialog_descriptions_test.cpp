// The descriptions that the type information gives the family members: the
// sentences of the family pattern with each family's class word, and the
// members beyond the pattern.
#include <gtest/gtest.h>

#include "controls/standard_families.h"
#include "dialog/dialog.h"

namespace svx::testing {
namespace {

BStr descriptionOf(BStrView name) {
  for (const DialogMemberRow& r : dialogMemberTable())
    if (r.name == name) return r.description;
  ADD_FAILURE() << "no member " << utf8(name);
  return {};
}

std::string pattern(BStrView which, const std::string& w) {
  const std::string a = std::string("AEIOU").find(w.front()) != std::string::npos ? "an " : "a ";
  if (which == u"Load") return "Loads a new " + w + " control array element into memory and returns its index value.";
  if (which == u"Unload") return "Unloads " + a + w + " control array element from memory.";
  const std::string tail = " control array element, from the " + w + " controls array, based on the index of the control.";
  if (which == u"Get") return "Returns some of the attributes of " + a + w + tail;
  if (which == u"Set") return "Sets some of the attributes of " + a + w + tail;
  return "Returns a reference to the " + w + tail;
}

struct FamilyWords {
  const char16_t* load;  // member names
  const char16_t* unload;
  const char16_t* get;
  const char16_t* set;
  const char16_t* object;  // null: none on Dialog
  const char* classWord;
};

TEST(DialogDescriptions, EveryFamilyMemberSaysThePatternSentenceWithItsClassWord) {
  const FamilyWords families[] = {
      {u"LoadCommand", u"UnloadCommand", u"GetCommand", u"SetCommand", u"CommandObject", "CommandButton"},
      {u"LoadCheck", u"UnloadCheck", u"GetCheck", u"SetCheck", u"CheckObject", "CheckBox"},
      {u"LoadFrame", u"UnloadFrame", u"GetFrame", u"SetFrame", u"FrameObject", "Frame"},
      {u"LoadCombo", u"UnloadCombo", u"GetCombo", u"SetCombo", u"ComboObject", "Dropdown list ComboBox"},
      {u"LoadComboText", u"UnloadComboText", u"GetComboText", u"SetComboText", u"ComboTextObject",
       "Dropdown combo ComboBox"},
      {u"LoadHScrollBar", u"UnloadHScrollBar", u"GetHScrollBar", u"SetHScrollBar", u"HScrollBarObject",
       "Horizontal ScrollBar"},
      {u"LoadVScrollBar", u"UnloadVScrollBar", u"GetVScrollBar", u"SetVScrollBar", u"VScrollBarObject",
       "Vertical ScrollBar"},
      {u"LoadList", u"UnloadList", u"GetList", u"SetList", u"ListObject", "Standard ListBox"},
      {u"LoadListCheck", u"UnloadListCheck", u"GetListCheck", u"SetListCheck", u"ListCheckObject", "Check ListBox"},
      {u"LoadShape", u"UnloadShape", u"GetShape", u"SetShape", u"ShapeObject", "Shape"},
      {u"LoadLine", u"UnloadLine", u"GetLine", u"SetLine", u"LineObject", "Line"},
      {u"LoadLabel", u"UnloadLabel", u"GetLabel", u"SetLabel", u"LabelObject", "Label"},
      {u"LoadText", u"UnloadText", u"GetText", u"SetText", u"TextObject", "TextBox"},
      {u"LoadMultiText", u"UnloadMultiText", u"GetMultiText", u"SetMultiText", u"MultiTextObject",
       "Multiline TextBox"},
      {u"LoadOption", u"UnloadOption", u"GetOption", u"SetOption", u"OptionObject", "OptionButton"},
      {u"LoadImage", u"UnloadImage", u"GetImageCtrl", u"SetImageCtrl", u"ImageObject", "Image"},
      {u"LoadPictureCtrl", u"UnloadPictureCtrl", u"GetPictureCtrl", u"SetPictureCtrl", u"PictureCtrlObject",
       "PictureBox"},
      {u"LoadTimerCtrl", u"UnloadTimerCtrl", u"GetTimerCtrl", u"SetTimerCtrl", nullptr, "Timer"},
      {u"LoadDataCtrl", u"UnloadDataCtrl", u"GetDataCtrl", u"SetDataCtrl", u"DataCtrlObject", "Data"},
  };
  for (const FamilyWords& f : families) {
    SCOPED_TRACE(f.classWord);
    EXPECT_EQ(utf8(descriptionOf(f.load)), pattern(u"Load", f.classWord));
    EXPECT_EQ(utf8(descriptionOf(f.unload)), pattern(u"Unload", f.classWord));
    EXPECT_EQ(utf8(descriptionOf(f.get)), pattern(u"Get", f.classWord));
    EXPECT_EQ(utf8(descriptionOf(f.set)), pattern(u"Set", f.classWord));
    if (f.object) {
      EXPECT_EQ(utf8(descriptionOf(f.object)), pattern(u"Object", f.classWord));
    }
  }
}

TEST(DialogDescriptions, TheSentencesQuotedForSingleMembersStandWordForWord) {
  const std::pair<const char16_t*, const char*> quoted[] = {
      {u"LoadCommand", "Loads a new CommandButton control array element into memory and returns its index value."},
      {u"SetComboText",
       "Sets some of the attributes of a Dropdown combo ComboBox control array element, from the Dropdown combo "
       "ComboBox controls array, based on the index of the control."},
      {u"LoadVScrollBar", "Loads a new Vertical ScrollBar control array element into memory and returns its index value."},
      {u"UnloadImage", "Unloads an Image control array element from memory."},
      {u"SetOption",
       "Sets some of the attributes of an OptionButton control array element, from the OptionButton controls array, "
       "based on the index of the control."},
      {u"GetImageCtrl",
       "Returns some of the attributes of an Image control array element, from the Image controls array, based on "
       "the index of the control."},
      {u"ListShowHScrollBar",
       "Displays a horizontal scroll bar on a Standard ListBox control array element, from the Standard ListBox "
       "controls array, based on the index of the control."},
      {u"ListCheckShowHScrollBar",
       "Displays a horizontal scroll bar on a Check ListBox control array element, from the Check ListBox controls "
       "array, based on the index of the control."},
      {u"PictureCtrlCircleAbsolute",
       "Draws a circle, ellipse, or arc on the PictureBox control array element, from the PictureBox controls array, "
       "identified by the index of the control."},
      {u"PictureCtrlLineAbsolute",
       "Draws lines and rectangles on the PictureBox control array element, from the PictureBox controls array, "
       "identified by the index of the control."},
      {u"PictureCtrlPaintPicture",
       "Draws the contents of a graphics file, represented by the byte array, on the PictureBox control array "
       "element, from the PictureBox controls array, identified by the index of the control."},
      {u"PictureCtrlPSetAbsolute",
       "Sets a point on the PictureBox control array element, from the PictureBox controls array, identified by the "
       "index of the control, to a specified color."},
      {u"PictureCtrlPrintText",
       "Prints text on the PictureBox control array element, from the PictureBox controls array, identified by the "
       "index of the control."},
  };
  for (const auto& [name, text] : quoted) EXPECT_EQ(utf8(descriptionOf(name)), text) << utf8(name);
}

// The form's own family table and Dialog's rows say the same sentences.
TEST(DialogDescriptions, TheFormFamiliesAndDialogAgree) {
  for (const FamilySpec* spec : standardFamiliesI())
    for (BStrView which : {u"Load", u"Unload", u"Get", u"Set", u"Object"})
      EXPECT_EQ(descriptionOf(familyMemberName(*spec, which)), familyDescription(*spec, which))
          << utf8(familyMemberName(*spec, which));
}

}  // namespace
}  // namespace svx::testing
