// The font dialog: the platform's ChooseFontW, modFont's conversions and
// DialogForm.CommonDialogShowFont reached through Dialog.
#include <gtest/gtest.h>

#include <filesystem>

#include "dialog/dialog.h"
#include "dialog/dialog_form_api.h"
#include "platform/automation/safearray.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/message_loop.h"
#include "platform/dialogs/common_dialogs.h"
#include "platform/dialogs/dialog_window.h"
#include "platform/dialogs/font_dialog.h"
#include "platform/forms/list_box.h"
#include "platform/forms/picture_box.h"
#include "platform/forms/text_box.h"
#include "platform/forms/person.h"
#include "platform/user/simulated_user.h"
#include "services/mod_font.h"
#include "tests/services/common_dialog_fixture.h"

namespace svx {
namespace {

std::u16string faceOf(const LOGFONTW& lf) {
  const char16_t* f = lf.lfFaceName;
  return std::u16string(f, std::find(f, f + LF_FACESIZE, u'\0'));
}

// The font parameters of CommonDialogShowFont, by reference.
struct FontArgs {
  Variant color = Variant::missing(), italic = Variant::missing(), bold = Variant::missing(),
          strike = Variant::missing(), underline = Variant::missing(), name = Variant::missing(),
          size = Variant::missing();
};

class FontDialog : public testing::DialogObjectTest {
 protected:
  // Dialog.CommonDialogShowFont: the eight by-value options (missing where
  // not given), the font by reference, the error out-parameters.
  Variant show(FontArgs& f, std::vector<Variant> options = {}) {
    options.resize(8, Variant::missing());
    std::vector<Variant> args = std::move(options);
    for (Variant* v : {&f.color, &f.italic, &f.bold, &f.strike, &f.underline, &f.name, &f.size})
      args.push_back(v->isMissing() ? Variant::missing() : Variant::byRef(*v));
    args.push_back(Variant::byRef(errNumber));
    args.push_back(Variant::byRef(errDescription));
    return dlg->invoke(u"CommonDialogShowFont", InvokeKind::Method, args);
  }
  const FontDialogSession& last() const { return fontDialogs().sessions().back(); }
};

TEST_F(FontDialog, DefaultsOpenOnTahomaEightPointsWithTheFlagsOfTheRecord) {
  fontDialogs().queueOk();
  FontArgs f;
  f.name = Variant(u"Tahoma");
  f.size = Variant(static_cast<uint8_t>(8));
  EXPECT_EQ(show(f), Variant(true));
  EXPECT_EQ(errNumber, Variant::i2(0));
  const FontDialogSession& s = last();
  EXPECT_EQ(s.structSize, 60u);
  EXPECT_EQ(s.flags, 0x141u);
  EXPECT_EQ(faceOf(s.logFontIn), u"Tahoma");
  EXPECT_EQ(s.logFontIn.lfHeight, 11);
  EXPECT_EQ(s.logFontIn.lfWeight, 400);
  EXPECT_EQ(s.logFontIn.lfItalic, 0);
  EXPECT_EQ(s.colorIn, 0u);
  EXPECT_EQ(s.owner, formWindow());
  EXPECT_EQ(s.hdc, GetDC(formWindow()));
  EXPECT_EQ(s.pixelsPerInch, 96);
  EXPECT_EQ(s.faceShown, u"Tahoma");
  EXPECT_EQ(s.sizeShown, u"8");
  // Written back: the size as a Long although it went in as a Byte.
  EXPECT_EQ(f.size.varType(), VT_I4);
  EXPECT_EQ(f.size, Variant(8));
  EXPECT_EQ(f.name, Variant(u"Tahoma"));
  EXPECT_FALSE(s.open);
  EXPECT_TRUE(IsWindowEnabled(formWindow()));
}

TEST_F(FontDialog, TheInitialFontReachesTheStructure) {
  FontArgs f;
  f.name = Variant(u"Courier New");
  f.size = Variant(12);
  f.bold = Variant(true);
  f.italic = Variant(true);
  f.underline = Variant(true);
  f.color = Variant(0x0000FF);
  const Variant M = Variant::missing();
  show(f, {M, Variant(true), Variant(false), Variant(true), Variant(true), Variant(true), Variant(false),
           Variant(false)});
  const FontDialogSession& s = last();
  EXPECT_EQ(s.flags, CF_PRINTERFONTS | CF_FIXEDPITCHONLY | CF_NOVECTORFONTS | CF_TTONLY);
  EXPECT_EQ(s.logFontIn.lfHeight, 16);
  EXPECT_EQ(s.logFontIn.lfWeight, 700);
  EXPECT_EQ(s.logFontIn.lfItalic, 255);
  EXPECT_EQ(s.logFontIn.lfUnderline, 255);
  EXPECT_EQ(s.logFontIn.lfStrikeOut, 0);
  EXPECT_EQ(s.colorIn, 0xFFu);
  // Cancelled (nobody answered): nothing is written back.
  EXPECT_EQ(f.size, Variant(12));
  EXPECT_EQ(f.name, Variant(u"Courier New"));
}

TEST_F(FontDialog, PickedFontComesBackInTheParameters) {
  FontDialogAnswer a;
  a.face = u"times new roman";  // the listed face's spelling comes back
  a.size = u"14";
  a.weight = 700;
  a.strikeOut = true;
  a.color = 0x008000;
  fontDialogs().queue(a);
  FontArgs f;
  f.name = Variant(u"Tahoma");
  f.size = Variant(10);
  f.italic = Variant(true);
  f.bold = Variant(false);
  f.strike = Variant(false);
  f.underline = Variant(false);
  f.color = Variant(0);
  EXPECT_EQ(show(f), Variant(true));
  EXPECT_EQ(f.name, Variant(u"Times New Roman"));
  EXPECT_EQ(f.size, Variant(14));
  EXPECT_EQ(f.bold, Variant(true));
  EXPECT_EQ(f.italic, Variant(true));  // kept as shown
  EXPECT_EQ(f.strike, Variant(true));
  EXPECT_EQ(f.underline, Variant(false));
  EXPECT_EQ(f.color, Variant(0x008000));
  EXPECT_TRUE(last().refused.empty());
}

TEST_F(FontDialog, AnswersTheDialogCannotConfirmAreRefused) {
  std::vector<FontDialogAnswer> bad(5);
  bad[0].face = u"No Such Face Anywhere";
  bad[1].size = u"x";
  bad[2].size = u"0";
  bad[3].weight = 500;
  bad[4].color = 0x123456;  // not in the colour list
  for (const FontDialogAnswer& a : bad) fontDialogs().queue(a);
  fontDialogs().queueOk();
  FontArgs f;
  f.size = Variant(10);
  EXPECT_EQ(show(f), Variant(true));
  EXPECT_EQ(last().refused.size(), bad.size());
  EXPECT_EQ(f.size, Variant(10));

  // Refused with nothing left: cancelled, the parameters untouched.
  fontDialogs().queue(bad[0]);
  f.name = Variant(u"Tahoma");
  EXPECT_EQ(show(f), Variant(false));
  EXPECT_EQ(f.name, Variant(u"Tahoma"));
  EXPECT_EQ(errNumber, Variant::i2(0));
}

TEST_F(FontDialog, BadArgumentsAreReportedWithoutADialog) {
  struct Case {
    Variant name, size, owner;
    int32_t error;
  };
  const Variant M = Variant::missing();
  const Case cases[] = {
      {M, Variant(-1), M, 6},
      {M, Variant(256), M, 6},
      {M, Variant(u"x"), M, 13},
      {Variant::null(), M, M, 94},
      {Variant(BStr(32, u'a')), M, M, 9},
      {Variant(BStr(40, u'a')), M, M, 9},
      {M, M, Variant(u"abc"), 13},
      {M, M, Variant(1e10), 6},
      {Variant(SafeArray::variants({Variant(u"Arial")})), M, M, 13},
      {M, Variant(SafeArray::variants({Variant(8)})), M, 13},
  };
  for (const Case& c : cases) {
    FontArgs f;
    f.name = c.name;
    f.size = c.size;
    EXPECT_EQ(show(f, {c.owner}), Variant(false));
    EXPECT_EQ(errNumber, Variant(c.error)) << c.error;
  }
  EXPECT_TRUE(fontDialogs().sessions().empty());

  // Sizes 0 and 255 and faces of 31 characters or non-ASCII ones go to the
  // dialog; a face it does not list cannot be confirmed.
  struct Shown {
    Variant name, size;
    LONG height;
  };
  const Shown shown[] = {{M, Variant(0), 0},
                         {M, Variant(255), 340},
                         {Variant(BStr(31, u'a')), M, 11},
                         {Variant(u"\u00C4rger Sans"), M, 11}};
  for (const Shown& c : shown) {
    fontDialogs().queueOk();
    FontArgs f;
    f.name = c.name;
    f.size = c.size;
    EXPECT_EQ(show(f), Variant(c.name.isMissing() && c.size != Variant(0)));
    EXPECT_EQ(errNumber, Variant::i2(0));
    EXPECT_EQ(last().logFontIn.lfHeight, c.height);
    if (!c.name.isMissing()) {
      EXPECT_EQ(faceOf(last().logFontIn), c.name.asBStr());
    }
  }
}

TEST(FontSizes, PointsAndLogicalUnitsAtNinetySixPixelsPerInch) {
  struct Case {
    int32_t points;
    int32_t height;
  };
  for (const Case c : {Case{8, 11}, Case{10, 13}, Case{12, 16}, Case{72, 96}}) {
    EXPECT_EQ(toI4(Variant(PointsToLogicalUnits(c.points, 96, 72))), c.height) << c.points;
    EXPECT_EQ(-LogicalUnitsToPoints(-c.height, 96, 72), c.points) << c.points;
  }
  EXPECT_FLOAT_EQ(PointsToLogicalUnits(1, 96, 72), 1.3333334f);
  EXPECT_THROW(LogicalUnitsToPoints(100000, 96, 72), RuntimeError);  // beyond an Integer
  LOGFONTW lf;
  EXPECT_FALSE(CopyFaceNameToLogFont(u"", lf));
  EXPECT_TRUE(CopyFaceNameToLogFont(BStr(31, u'z'), lf));
  EXPECT_EQ(lf.lfFaceName[30], u'z');
  EXPECT_EQ(lf.lfFaceName[31], u'\0');
  EXPECT_THROW(CopyFaceNameToLogFont(BStr(32, u'z'), lf), RuntimeError);
}

TEST(FontFaces, ListedFromFontconfigWithTheFormsFaces) {
  const auto all = fontDialogFaces(0);
  const auto fixed = fontDialogFaces(CF_FIXEDPITCHONLY);
  auto has = [](const std::vector<std::u16string>& faces, const char16_t* face) {
    return std::find(faces.begin(), faces.end(), face) != faces.end();
  };
  EXPECT_TRUE(has(all, u"Tahoma"));
  EXPECT_TRUE(has(all, u"DejaVu Sans"));
  EXPECT_TRUE(has(fixed, u"Courier New"));
  EXPECT_TRUE(has(fixed, u"DejaVu Sans Mono"));
  EXPECT_FALSE(has(fixed, u"Tahoma"));
  EXPECT_LT(fixed.size(), all.size());
  for (const auto& face : all) EXPECT_LT(face.size(), LF_FACESIZE);
}

TEST(ChooseFontW, RefusesBadStructuresAndOwners) {
  desktop().reset();
  LOGFONTW lf;
  CHOOSEFONTW cf;
  EXPECT_EQ(ChooseFontW(&cf), 0);
  EXPECT_EQ(CommDlgExtendedError(), CDERR_STRUCTSIZE);
  cf.lStructSize = kChooseFontSize;
  EXPECT_EQ(ChooseFontW(&cf), 0);
  EXPECT_EQ(CommDlgExtendedError(), CDERR_INITIALIZATION);
  cf.lpLogFont = &lf;
  cf.hwndOwner = 4242;
  EXPECT_EQ(ChooseFontW(&cf), 0);
  EXPECT_EQ(CommDlgExtendedError(), CDERR_DIALOGFAILURE);
  cf.hwndOwner = 0;
  cf.Flags = CF_LIMITSIZE;
  cf.nSizeMin = 10;
  cf.nSizeMax = 8;
  EXPECT_EQ(ChooseFontW(&cf), 0);
  EXPECT_EQ(CommDlgExtendedError(), CFERR_MAXLESSTHANMIN);
  EXPECT_EQ(ChooseFontW(nullptr), 0);
  EXPECT_EQ(GetDeviceCaps(0, LOGPIXELSY), 0);
}

// What the dialog shows of the font it opens on: the size marked in the
// size list (and a size typed there), and a sample with the effects only
// where the dialog has them.
TEST_F(FontDialog, TheSizeListMarksTheSizeAndTheSampleShowsEffectsOnlyWithEffects) {
  struct Shown {
    BStr size;
    int16_t sizeIndex = -2, typedTwelve = -2, typedThirteen = -2;
    RasterImage sample;
  };
  auto open = [&](bool effects, bool underlined) {
    Shown shown;
    messageLoop().postTask([&] {
      FontDialogSession* s = const_cast<FontDialogSession*>(fontDialogs().openSession());
      ASSERT_NE(s, nullptr);
      Form& f = *s->window;
      ListBox& sizes = f.element<ListBox>(u"Sizes");
      shown.sizeIndex = sizes.listIndex();
      shown.size = sizes.listIndex() >= 0 ? sizes.list(sizes.listIndex()) : BStr();
      shown.sample = f.element<PictureBox>(u"Sample").surface().image();
      TextBox& size = f.element<TextBox>(u"SizeText");
      person::click(size);
      size.setSelStart(0);
      size.setSelLength(static_cast<int32_t>(size.text().size()));
      person::type(size, u"12");
      shown.typedTwelve = sizes.listIndex();
      person::type(size, u"\b3");
      shown.typedThirteen = sizes.listIndex();
      person::click(f.control(u"Cancel"));
    });
    LOGFONTW lf;
    CopyFaceNameToLogFont(u"Tahoma", lf);
    lf.lfHeight = 13;  // 10 points
    lf.lfUnderline = underlined ? 1 : 0;
    lf.lfStrikeOut = underlined ? 1 : 0;
    CHOOSEFONTW cf;
    cf.lStructSize = kChooseFontSize;
    cf.hwndOwner = formWindow();
    cf.hDC = GetDC(cf.hwndOwner);
    cf.lpLogFont = &lf;
    cf.Flags = CF_INITTOLOGFONTSTRUCT | CF_SCREENFONTS | (effects ? CF_EFFECTS : 0);
    EXPECT_EQ(ChooseFontW(&cf), 0);
    return shown;
  };
  const Shown plain = open(false, false), withoutEffects = open(false, true), withEffects = open(true, true);
  EXPECT_EQ(plain.size, u"10");
  EXPECT_EQ(plain.sizeIndex, 2);
  EXPECT_EQ(plain.typedTwelve, 4);
  EXPECT_EQ(plain.typedThirteen, -1);
  EXPECT_FALSE(plain.sample.empty());
  EXPECT_EQ(withoutEffects.sample, plain.sample);
  EXPECT_NE(withEffects.sample, plain.sample);
}

TEST_F(FontDialog, ModalFormAnsweredByTheSimulatedUserAndPictured) {
  const HWND owner = formWindow();
  const auto picture = std::filesystem::temp_directory_path() / "svx_font_dialog_test.png";
  Variant kindName(u"Font"), file(utf16(picture.string()));
  makeRef<SimulatedUser>()->snapshot(kindName, file);
  bool sawOpen = false;
  messageLoop().postTask([&] {
    const FontDialogSession* s = fontDialogs().openSession();
    ASSERT_NE(s, nullptr);
    ASSERT_NE(s->window, nullptr);
    sawOpen = true;
    EXPECT_FALSE(IsWindowEnabled(owner));
    EXPECT_TRUE(s->window->visible());
    EXPECT_EQ(s->window->element<ListBox>(u"Styles").listIndex(), 2);  // weight 600 shows as Bold
    Variant kind(u"Font");
    Variant value(SafeArray::variants({Variant(), Variant(u"9"), Variant(), Variant(true)}));
    makeRef<SimulatedUser>()->answer(kind, value);
  });
  LOGFONTW lf;
  CopyFaceNameToLogFont(u"Arial", lf);
  lf.lfHeight = 13;
  lf.lfWeight = 600;
  CHOOSEFONTW cf;
  cf.lStructSize = kChooseFontSize;
  cf.hwndOwner = owner;
  cf.hDC = GetDC(owner);
  cf.lpLogFont = &lf;
  cf.Flags = CF_INITTOLOGFONTSTRUCT | CF_SCREENFONTS;
  EXPECT_EQ(ChooseFontW(&cf), 1);
  EXPECT_TRUE(sawOpen);
  EXPECT_EQ(faceOf(lf), u"Arial");
  EXPECT_EQ(lf.lfHeight, -12);
  EXPECT_EQ(lf.lfWeight, 700);
  EXPECT_EQ(lf.lfItalic, 1);
  EXPECT_EQ(cf.iPointSize, 90);
  EXPECT_EQ(cf.nFontType, SCREEN_FONTTYPE | BOLD_FONTTYPE | ITALIC_FONTTYPE);
  EXPECT_TRUE(std::filesystem::exists(picture));
  std::filesystem::remove(picture);

  // A script's true is OK as shown; null cancels.
  Variant kind(u"Font"), yes(true), no = Variant::null();
  makeRef<SimulatedUser>()->answer(kind, no);
  EXPECT_EQ(ChooseFontW(&cf), 0);
  makeRef<SimulatedUser>()->answer(kind, yes);
  EXPECT_EQ(ChooseFontW(&cf), 1);
  EXPECT_EQ(lf.lfHeight, -12);
  Variant wrong(u"yes");
  EXPECT_THROW(makeRef<SimulatedUser>()->answer(kind, wrong), RuntimeError);
  Variant form(u"Form1"), png(u"x.png");
  EXPECT_THROW(makeRef<SimulatedUser>()->snapshot(form, png), RuntimeError);
  EXPECT_EQ(queuedDialogSnapshots(), 0u);
}

}  // namespace
}  // namespace svx
