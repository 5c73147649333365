// The common dialogs' access keys: their labels, buttons, check boxes and
// options mark a key each, drawn underlined, and Alt with it reaches the
// control the platform's dialogs reach. And their button rows: the arrows
// move the focus between OK and Cancel.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "platform/dialogs/common_dialogs.h"
#include "platform/dialogs/file_dialogs.h"
#include "platform/dialogs/font_dialog.h"
#include "platform/dialogs/print_dialog.h"
#include "platform/forms/check_box.h"
#include "platform/forms/option_button.h"
#include "platform/forms/person.h"
#include "platform/graphics/form_render.h"
#include "tests/services/common_dialog_fixture.h"

namespace svx {
namespace {

// A key and the control (its array's name) that has the focus after Alt with it.
struct Reach {
  char16_t key;
  const char16_t* focus;
};

class DialogAccessKeys : public testing::CommonDialogTest {
 protected:
  void SetUp() override {
    CommonDialogTest::SetUp();
    fake->destinations = {{u"Office", true}};
  }

  // Once the dialog is open: Alt with each key, the control focused after
  // it, and every access key its picture shows; then the dialog is closed.
  void whileOpen(std::function<HWND()> dialog, std::vector<Reach> reaches) {
    reached.clear();
    keys.clear();
    whenOpen(std::move(dialog), [this, reaches](Form& f) {
      collectKeys(f.picture());
      for (const Reach& r : reaches) {
        person::keyDownOn(f, static_cast<int16_t>(r.key), person::vbAltMask);
        reached.push_back(f.activeControl() ? f.activeControl()->name() : u"(none)");
      }
    });
  }
  void collectKeys(const RenderItem& it) {
    if (it.accessKeys && it.visible)
      if (const char16_t k = parseAccessKey(it.text).key) keys.push_back(k);
    for (const RenderItem& c : it.children) collectKeys(c);
  }
  static std::vector<BStr> expected(const std::vector<Reach>& reaches) {
    std::vector<BStr> out;
    for (const Reach& r : reaches) out.emplace_back(r.focus);
    return out;
  }
  // Each key once: none that two controls share.
  void expectDistinctKeys() {
    const std::set<char16_t> distinct(keys.begin(), keys.end());
    EXPECT_EQ(distinct.size(), keys.size());
  }

  std::vector<BStr> reached;
  std::vector<char16_t> keys;
};

// The print dialog over `owner`, as it opens by default.
BOOL printOver(HWND owner) {
  PRINTDLGA pd;
  pd.lStructSize = kPrintDlgSize;
  pd.hwndOwner = owner;
  return PrintDlgA(&pd);
}

// The font dialog over `owner`, opened on Tahoma 13 with its effects.
BOOL chooseTahoma(HWND owner) {
  LOGFONTW lf;
  const std::u16string_view face = u"Tahoma";
  std::copy(face.begin(), face.end(), lf.lfFaceName);
  lf.lfHeight = 13;
  CHOOSEFONTW cf;
  cf.lStructSize = kChooseFontSize;
  cf.hwndOwner = owner;
  cf.hDC = GetDC(owner);
  cf.lpLogFont = &lf;
  cf.Flags = CF_INITTOLOGFONTSTRUCT | CF_SCREENFONTS | CF_EFFECTS;
  return ChooseFontW(&cf);
}

TEST_F(DialogAccessKeys, TheOpenAndSaveDialogs) {
  const std::vector<Reach> reaches = {{u'I', u"Folder"}, {u'T', u"Filter"}, {u'N', u"Name"}, {u'R', u"ReadOnly"}};
  for (const FileDialogKind kind : {FileDialogKind::Open, FileDialogKind::Save}) {
    whileOpen([] { return fileDialogs().openSession() ? fileDialogs().openSession()->dialog : 0; },
              kind == FileDialogKind::Open ? reaches : std::vector<Reach>(reaches.begin(), reaches.end() - 1));
    std::u16string file(260, u'\0');
    OPENFILENAMEW ofn;
    ofn.lStructSize = kOpenFileNameSize;
    ofn.hwndOwner = owner;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = 260;
    EXPECT_EQ(kind == FileDialogKind::Open ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn), 0);
    EXPECT_EQ(reached, expected(kind == FileDialogKind::Open ? reaches
                                                             : std::vector<Reach>(reaches.begin(), reaches.end() - 1)));
    expectDistinctKeys();
    EXPECT_NE(std::find(keys.begin(), keys.end(), kind == FileDialogKind::Open ? u'O' : u'S'), keys.end());
  }
}

TEST_F(DialogAccessKeys, ThePrintDialog) {
  const std::vector<Reach> reaches = {{u'C', u"txtCopies"}, {u'N', u"cboPrinter"}, {u'G', u"optPages"},
                                      {u'F', u"txtFromPage"}, {u'T', u"txtToPage"}, {u'O', u"chkCollate"}};
  whileOpen([] { return printDialogs().openSession() ? printDialogs().openSession()->dialog : 0; }, reaches);
  EXPECT_EQ(printOver(owner), 0);
  EXPECT_EQ(reached, expected(reaches));
  expectDistinctKeys();
}

TEST_F(DialogAccessKeys, TheFontDialog) {
  const std::vector<Reach> reaches = {{u'Y', u"Styles"}, {u'S', u"SizeText"}, {u'F', u"FaceName"},
                                      {u'C', u"Color"},  {u'K', u"StrikeOut"}, {u'U', u"Underline"}};
  whileOpen([] { return fontDialogs().openSession() ? fontDialogs().openSession()->dialog : 0; }, reaches);
  EXPECT_EQ(chooseTahoma(owner), 0);
  EXPECT_EQ(reached, expected(reaches));
  expectDistinctKeys();
}

TEST_F(DialogAccessKeys, TheColourDialogFullyOpen) {
  const std::vector<Reach> reaches = {{u'C', u"Custom"}, {u'B', u"Basic"}, {u'E', u"Hue"}, {u'S', u"Sat"},
                                      {u'L', u"Lum"},    {u'R', u"Red"},   {u'G', u"Green"}, {u'U', u"Blue"}};
  whileOpen([] { return colorDialogs().openSession() ? colorDialogs().openSession()->dialog : 0; }, reaches);
  COLORREF custom[16] = {};
  CHOOSECOLORA cc;
  cc.lStructSize = kChooseColorSize;
  cc.hwndOwner = owner;
  cc.lpCustColors = custom;
  cc.Flags = CC_FULLOPEN;
  EXPECT_EQ(ChooseColorA(&cc), 0);
  EXPECT_EQ(reached, expected(reaches));
  expectDistinctKeys();
}

// In each dialog the arrows move the focus from OK to Cancel and back,
// round the pair, and the default follows the focus.
TEST_F(DialogAccessKeys, TheArrowsMoveBetweenTheOkAndCancelButtonsOfEachDialog) {
  fake->destinations = {{u"Office", true}};
  std::vector<BStr> moves;
  std::vector<std::u16string> drawnDefault;
  auto arrows = [&](Form& f) {
    Control* ok = f.defaultButton();
    ASSERT_TRUE(ok);
    f.moveFocus(ok);
    for (const int16_t key : {39, 37, 40, 38}) {
      person::keyDownOn(f, key, 0);
      moves.push_back(f.activeControl() ? f.activeControl()->name() : u"(none)");
    }
    person::keyDownOn(f, 39, 0);
    for (const RenderItem& c : f.picture().children)
      if (c.kind == RenderKind::CommandButton && c.isDefault) drawnDefault.push_back(c.text);
  };
  auto expectCancelOkCancelOk = [&](BStrView okName, BStrView cancelName) {
    EXPECT_EQ(moves, (std::vector<BStr>{BStr(cancelName), BStr(okName), BStr(cancelName), BStr(okName)}));
    EXPECT_EQ(drawnDefault, std::vector<std::u16string>{u"Cancel"});
    moves.clear();
    drawnDefault.clear();
  };

  whenOpen([] { return fileDialogs().openSession() ? fileDialogs().openSession()->dialog : 0; }, arrows);
  std::u16string file(260, u'\0');
  OPENFILENAMEW ofn;
  ofn.lStructSize = kOpenFileNameSize;
  ofn.hwndOwner = owner;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = 260;
  EXPECT_EQ(GetOpenFileNameW(&ofn), 0);
  expectCancelOkCancelOk(u"OK", u"Cancel");

  whenOpen([] { return printDialogs().openSession() ? printDialogs().openSession()->dialog : 0; }, arrows);
  EXPECT_EQ(printOver(owner), 0);
  expectCancelOkCancelOk(u"cmdOK", u"cmdCancel");

  whenOpen([] { return fontDialogs().openSession() ? fontDialogs().openSession()->dialog : 0; }, arrows);
  EXPECT_EQ(chooseTahoma(owner), 0);
  expectCancelOkCancelOk(u"OK", u"Cancel");

  whenOpen([] { return colorDialogs().openSession() ? colorDialogs().openSession()->dialog : 0; }, arrows);
  COLORREF custom[16] = {};
  CHOOSECOLORA cc;
  cc.lStructSize = kChooseColorSize;
  cc.hwndOwner = owner;
  cc.lpCustColors = custom;
  EXPECT_EQ(ChooseColorA(&cc), 0);
  expectCancelOkCancelOk(u"OK", u"Cancel");
}

}  // namespace
}  // namespace svx
