// The colour dialog: the platform's ChooseColorA, the custom colour table
// and DialogForm.CommonDialogShowColor reached through Dialog.
#include <gtest/gtest.h>

#include "dialog/dialog.h"
#include "dialog/dialog_form_api.h"
#include "platform/automation/safearray.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/message_loop.h"
#include "platform/dialogs/common_dialogs.h"
#include "platform/dialogs/dialog_window.h"
#include "platform/forms/text_box.h"
#include "platform/forms/person.h"
#include "platform/user/simulated_user.h"
#include "services/mod_color.h"
#include "tests/services/common_dialog_fixture.h"

namespace svx {
namespace {

constexpr int32_t rgb(int32_t r, int32_t g, int32_t b) { return r + 256 * g + 65536 * b; }

class ColourDialog : public testing::DialogObjectTest {
 protected:
  // Dialog.CommonDialogShowColor with the given optional arguments (missing
  // where not given), the error out-parameters last.
  Variant show(Variant& colour, std::vector<Variant> optional = {}) {
    std::vector<Variant> args{Variant::byRef(colour)};
    optional.resize(6, Variant::missing());
    for (Variant& v : optional) args.push_back(std::move(v));
    args.push_back(Variant::byRef(errNumber));
    args.push_back(Variant::byRef(errDescription));
    return dlg->invoke(u"CommonDialogShowColor", InvokeKind::Method, args);
  }
  const ColorDialogSession& lastSession() const { return colorDialogs().sessions().back(); }
};

TEST_F(ColourDialog, EveryDialogCreationResetsTheTableToTheGreyRamp) {
  CustomColors.fill(7);
  ObjectRef second = createObject(u"Sorvanelix.Dialog");
  for (size_t i = 0; i < 16; ++i) {
    const int32_t v = 15 * static_cast<int32_t>(i + 1);
    EXPECT_EQ(CustomColors[i], rgb(v, v, v)) << i;
  }
  EXPECT_EQ(CustomColors[0], 0x0F0F0F);
  EXPECT_EQ(CustomColors[15], 0xF0F0F0);
}

TEST_F(ColourDialog, ConfirmedDialogSetsTheColourAndTrue) {
  colorDialogs().queueAnswer(0x123456);
  Variant colour(u"before");
  const Variant r = show(colour);
  EXPECT_EQ(r, Variant(true));
  EXPECT_EQ(colour.varType(), VT_I4);
  EXPECT_EQ(colour, Variant(0x123456));
  EXPECT_EQ(errNumber, Variant::i2(0));
  EXPECT_EQ(errDescription.asBStr(), u"");
  ASSERT_EQ(colorDialogs().sessions().size(), 1u);
  // Owned by the form's window, not open any more, owner enabled again.
  EXPECT_EQ(lastSession().owner, formWindow());
  EXPECT_FALSE(lastSession().open);
  EXPECT_TRUE(IsWindowEnabled(formWindow()));
  EXPECT_FALSE(desktop().find(lastSession().dialog));
}

TEST_F(ColourDialog, CancelOrNoAnswerGivesFalseAndEmptiesTheColour) {
  colorDialogs().queueCancel();
  for (int round = 0; round < 2; ++round) {  // scripted cancel, then nobody answering
    Variant colour(42);
    EXPECT_EQ(show(colour), Variant(false)) << round;
    EXPECT_TRUE(colour.isEmpty()) << round;
    EXPECT_EQ(errNumber, Variant::i2(0));
  }
  EXPECT_EQ(colorDialogs().sessions().size(), 2u);
  EXPECT_EQ(CommDlgExtendedError(), 0u);
}

TEST_F(ColourDialog, FlagsFollowTheBooleans) {
  struct Case {
    std::vector<Variant> args;  // lnghWnd, boolFullOpen, boolPreventFullOpen, boolAnyColor
    DWORD flags;
  };
  const Variant M = Variant::missing();
  const Case cases[] = {
      {{}, CC_RGBINIT | CC_ANYCOLOR},
      {{M, Variant(true)}, CC_RGBINIT | CC_ANYCOLOR | CC_FULLOPEN},
      {{M, Variant(false), Variant(true)}, CC_RGBINIT | CC_ANYCOLOR | CC_PREVENTFULLOPEN},
      {{M, M, M, Variant(true)}, CC_RGBINIT | CC_ANYCOLOR},
      {{M, M, M, Variant(false)}, CC_RGBINIT | CC_SOLIDCOLOR},
      {{M, Variant::null(), Variant::i2(0), Variant(u"False")}, CC_RGBINIT | CC_SOLIDCOLOR},
      {{M, Variant(u"True"), Variant(1), Variant(-1)}, CC_RGBINIT | CC_ANYCOLOR | CC_FULLOPEN | CC_PREVENTFULLOPEN},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    Variant colour;
    show(colour, cases[i].args);
    EXPECT_EQ(lastSession().flags, cases[i].flags) << i;
  }
}

TEST_F(ColourDialog, InitialColourDefaultsToRedAndOwnerToTheGivenWindow) {
  Variant colour;
  show(colour);
  EXPECT_EQ(lastSession().initialColor, 255u);

  WindowSpec spec;
  spec.className = "Other";
  spec.style = WS_POPUP;
  const HWND other = desktop().createWindow(spec);
  colorDialogs().queueAnswer(0);
  show(colour, {Variant(other), Variant::missing(), Variant::missing(), Variant::missing(), Variant(0xABCDEF)});
  EXPECT_EQ(lastSession().initialColor, 0xABCDEFu);
  EXPECT_EQ(lastSession().owner, other);
  EXPECT_EQ(colour, Variant(0));
}

TEST_F(ColourDialog, CustomColoursArrayReplacesEntriesAndIsKept) {
  const Variant M = Variant::missing();
  // Lower bound 5: element 5 is entry 0; Empty elements keep their entry;
  // only the first 16 elements count.
  SafeArray a(VT_VARIANT, {{5, 18}});
  a.set(5, Variant(0x010101));
  a.set(7, Variant(u"514"));
  a.set(20, Variant(0x202020));
  a.set(21, Variant(u"not looked at"));
  Variant colour;
  show(colour, {M, M, M, M, M, Variant(a)});
  const auto& shown = lastSession().customColorsShown;
  EXPECT_EQ(shown[0], 0x010101u);
  EXPECT_EQ(shown[1], 0x1E1E1Eu);  // Empty: the ramp's entry
  EXPECT_EQ(shown[2], 514u);
  EXPECT_EQ(shown[15], 0x202020u);
  EXPECT_EQ(errNumber, Variant::i2(0));

  // The user defines a custom colour; the next dialog shows the table as left.
  colorDialogs().queue(ColorDialogAnswer{0x0000FF, {{3, 0x00FF00}}});
  EXPECT_EQ(show(colour), Variant(true));
  show(colour, {M, M, M, M, M, Variant(u"not an array")});
  EXPECT_EQ(lastSession().customColorsShown[0], 0x010101u);
  EXPECT_EQ(lastSession().customColorsShown[3], 0x00FF00u);
  EXPECT_EQ(CustomColors[3], 0x00FF00);
}

TEST_F(ColourDialog, UnconvertibleValuesAreReportedWithoutADialog) {
  const Variant M = Variant::missing();
  Variant colour(1);
  EXPECT_EQ(show(colour, {M, M, M, M, Variant(u"red")}), Variant(false));
  EXPECT_EQ(errNumber, Variant(13));
  EXPECT_TRUE(colorDialogs().sessions().empty());

  // The entries before the failing element stay stored.
  SafeArray a = SafeArray::variants({Variant(0x111111), Variant(u"bad"), Variant(0x333333)});
  EXPECT_EQ(show(colour, {M, M, M, M, M, Variant(a)}), Variant(false));
  EXPECT_EQ(errNumber, Variant(13));
  EXPECT_EQ(CustomColors[0], 0x111111);
  EXPECT_EQ(CustomColors[2], rgb(45, 45, 45));
  EXPECT_TRUE(colour.isEmpty());

  // An owner that does not convert fails before the dialog's own first step:
  // the colour stays as it was.
  colour = Variant(1);
  EXPECT_EQ(show(colour, {Variant(u"window")}), Variant(false));
  EXPECT_EQ(errNumber, Variant(13));
  EXPECT_EQ(colour, Variant(1));

  // A two-dimensional array cannot be indexed by one subscript.
  EXPECT_EQ(show(colour, {M, M, M, M, M, Variant(SafeArray(VT_VARIANT, {{0, 2}, {0, 2}}))}), Variant(false));
  EXPECT_EQ(errNumber, Variant(9));
  EXPECT_TRUE(colorDialogs().sessions().empty());

  // A colour that the caller's variable cannot hold is reported, with False.
  int16_t small = 3;
  std::vector<Variant> args{Variant::byRef(small)};
  args.resize(7, Variant::missing());
  args.push_back(Variant::byRef(errNumber));
  args.push_back(Variant::byRef(errDescription));
  colorDialogs().queueAnswer(0xFFFFFF);
  EXPECT_EQ(dlg->invoke(u"CommonDialogShowColor", InvokeKind::Method, args), Variant(false));
  EXPECT_EQ(errNumber, Variant(6));
  EXPECT_EQ(small, 0);  // emptied first; the chosen colour does not fit
}

TEST_F(ColourDialog, TypedLongArrayFillsTheTable) {
  SafeArray a = SafeArray::vector(VT_I4, 1, 20);
  for (int32_t i = 1; i <= 20; ++i) a.set(i, Variant(i));
  Variant colour;
  const Variant M = Variant::missing();
  show(colour, {M, M, M, M, M, Variant(a)});
  for (size_t k = 0; k < 16; ++k) EXPECT_EQ(lastSession().customColorsShown[k], k + 1) << k;
}

TEST(ChooseColorA, RefusesBadStructuresAndOwners) {
  std::array<COLORREF, 16> custom{};
  CHOOSECOLORA cc;
  cc.lpCustColors = custom.data();
  EXPECT_EQ(ChooseColorA(&cc), 0);
  EXPECT_EQ(CommDlgExtendedError(), CDERR_STRUCTSIZE);
  cc.lStructSize = kChooseColorSize;
  cc.hwndOwner = 987654;
  EXPECT_EQ(ChooseColorA(&cc), 0);
  EXPECT_EQ(CommDlgExtendedError(), CDERR_DIALOGFAILURE);
  cc.hwndOwner = 0;
  cc.lpCustColors = nullptr;
  EXPECT_EQ(ChooseColorA(&cc), 0);
  EXPECT_EQ(CommDlgExtendedError(), CDERR_INITIALIZATION);
  EXPECT_EQ(ChooseColorA(nullptr), 0);
}

TEST_F(ColourDialog, ModalWhileOpenAndAnsweredByTheSimulatedUser) {
  const HWND owner = formWindow();
  bool sawOpen = false;
  messageLoop().postTask([&] {
    const ColorDialogSession* s = colorDialogs().openSession();
    ASSERT_NE(s, nullptr);
    sawOpen = true;
    EXPECT_FALSE(IsWindowEnabled(owner));
    EXPECT_TRUE(desktop().find(s->dialog));
    Variant kind(u"Color"), value(0x445566);
    makeRef<SimulatedUser>()->answer(kind, value);
  });
  Variant colour;
  EXPECT_EQ(show(colour), Variant(true));
  EXPECT_TRUE(sawOpen);
  EXPECT_EQ(colour, Variant(0x445566));

  // A script's null cancels; custom colours cannot be defined when full open
  // is prevented.
  Variant kind(u"Color"), null = Variant::null();
  makeRef<SimulatedUser>()->answer(kind, null);
  EXPECT_EQ(show(colour), Variant(false));
  colorDialogs().queue(ColorDialogAnswer{0x10, {{0, 0x999999}}});
  EXPECT_EQ(show(colour, {Variant::missing(), Variant::missing(), Variant(true)}), Variant(true));
  EXPECT_EQ(CustomColors[0], rgb(15, 15, 15));
}

// The dialog from the keyboard: it opens with the focus in the basic colours
// on the cell of the initial colour; the arrows move among the cells and
// choose, Tab moves on to the custom colours, Space chooses there, and Enter
// returns the colour chosen.
TEST_F(ColourDialog, AKeyboardUserMovesAmongTheCellsAndChooses) {
  const Variant m = Variant::missing();
  BStr focused;
  messageLoop().postTask([&] {
    Form& f = *colorDialogs().openSession()->window;
    focused = f.activeControl() ? f.activeControl()->name() : BStr();
    for (int16_t key : {39, 39, 40}) person::keyDownOn(f, key, 0);  // right, right, down
    person::keyDownOn(f, person::vbKeyReturn, 0);
  });
  Variant colour;
  EXPECT_EQ(show(colour), Variant(true));  // opens on red: the first cell of the second row
  EXPECT_EQ(focused, u"Basic");
  EXPECT_EQ(colour, Variant(static_cast<int32_t>(colourDialogBasicColour(2 * 8 + 2))));

  messageLoop().postTask([&] {
    Form& f = *colorDialogs().openSession()->window;
    person::keyDownOn(f, person::vbKeyTab, 0);
    focused = f.activeControl()->name();
    person::keyDownOn(f, 39, 0);
    person::charOn(f, u' ');
    person::keyDownOn(f, person::vbKeyReturn, 0);
  });
  EXPECT_EQ(show(colour), Variant(true));
  EXPECT_EQ(focused, u"Custom");
  EXPECT_EQ(colour, Variant(CustomColors[1]));  // the second custom colour
}

// Tab passes the spectrum and the luminosity bar by, from Cancel to Hue; a
// field reached by Tab or by its access key selects its text, so the number
// typed replaces it.
TEST_F(ColourDialog, TabAndAccessKeysReachTheFieldsWithTheirTextSelected) {
  const Variant m = Variant::missing();
  BStr focused;
  int32_t selected = -1;
  messageLoop().postTask([&] {
    Form& f = *colorDialogs().openSession()->window;
    for (int i = 0; i < 4; ++i) person::keyDownOn(f, person::vbKeyTab, 0);
    focused = f.activeControl() ? f.activeControl()->name() : BStr();
    selected = f.element<TextBox>(u"Hue").selLength();
    for (char16_t c : std::u16string_view(u"80")) person::charOn(f, c);
    person::keyDownOn(f, 'U', person::vbAltMask);  // Bl&ue
    person::charOn(f, u'9');
    person::keyDownOn(f, person::vbKeyReturn, 0);
  });
  Variant colour;
  EXPECT_EQ(show(colour, {m, Variant(true)}), Variant(true));  // red: hue 0, sat 240, lum 120
  EXPECT_EQ(focused, u"Hue");
  EXPECT_EQ(selected, 1);
  EXPECT_EQ(colour, Variant(rgb(0, 255, 9)));  // hue 80 is green; then blue 9
}

// With full open the part that defines custom colours shows: the colour
// typed in Red, Green and Blue (Hue, Sat and Lum follow), added to the custom
// colours (the table at once) and returned; full open prevented hides it.
TEST_F(ColourDialog, FullOpenShowsThePartThatDefinesCustomColours) {
  const Variant m = Variant::missing();
  bool spectrumShown = false;
  BStr hue, sat, lum;
  messageLoop().postTask([&] {
    Form& f = *colorDialogs().openSession()->window;
    spectrumShown = f.control(u"Spectrum").visible();
    EXPECT_FALSE(f.control(u"Define").enabled());
    auto retype = [&](const char16_t* name, BStrView text) {
      TextBox& box = f.element<TextBox>(name);
      person::click(box);
      box.setSelStart(0);
      box.setSelLength(static_cast<int32_t>(box.text().size()));
      person::type(box, text);
    };
    retype(u"Red", u"0");
    retype(u"Green", u"128");
    retype(u"Blue", u"255");
    hue = f.element<TextBox>(u"Hue").text();
    sat = f.element<TextBox>(u"Sat").text();
    lum = f.element<TextBox>(u"Lum").text();
    person::click(f.control(u"Add"));
    person::click(f.control(u"OK"));
  });
  Variant colour;
  EXPECT_EQ(show(colour, {m, Variant(true)}), Variant(true));
  EXPECT_TRUE(spectrumShown);
  EXPECT_EQ(colour, Variant(rgb(0, 128, 255)));
  EXPECT_EQ(hue, u"140");
  EXPECT_EQ(sat, u"240");
  EXPECT_EQ(lum, u"120");
  EXPECT_EQ(CustomColors[0], rgb(0, 128, 255));
  EXPECT_EQ(CustomColors[1], rgb(30, 30, 30));

  // Without full open the part opens from its button; prevented, it cannot.
  messageLoop().postTask([&] {
    Form& f = *colorDialogs().openSession()->window;
    spectrumShown = f.control(u"Spectrum").visible();
    EXPECT_TRUE(f.control(u"Define").enabled());
    person::click(f.control(u"Define"));
    EXPECT_TRUE(f.control(u"Spectrum").visible());
    EXPECT_EQ(f.activeControl(), &f.control(u"Hue"));
    person::click(f.control(u"Cancel"));
  });
  EXPECT_EQ(show(colour), Variant(false));
  EXPECT_FALSE(spectrumShown);
  messageLoop().postTask([&] {
    Form& f = *colorDialogs().openSession()->window;
    spectrumShown = f.control(u"Spectrum").visible();
    EXPECT_FALSE(f.control(u"Define").enabled());
    person::click(f.control(u"Cancel"));
  });
  EXPECT_EQ(show(colour, {m, Variant(true), Variant(true)}), Variant(false));
  EXPECT_FALSE(spectrumShown);
}

}  // namespace
}  // namespace svx
