// What a person reads in the common dialogs: every caption, and a long
// printer name, whole in the space the dialog gives it; pictures of the Save
// and print dialogs to look at.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <array>
#include <functional>

#include "platform/dialogs/common_dialogs.h"
#include "platform/dialogs/dialog_window.h"
#include "platform/dialogs/file_dialogs.h"
#include "platform/dialogs/font_dialog.h"
#include "platform/dialogs/print_dialog.h"
#include "tests/services/common_dialog_fixture.h"
#include "tests/support/caption_fit.h"
#include "tests/windows/snapshot_dir.h"

namespace svx {
namespace {

namespace fs = std::filesystem;

const BStr kLongName = u"Second-floor colour laser with duplex unit and stapler";

class DialogLook : public testing::CommonDialogTest {
 protected:
  void SetUp() override {
    CommonDialogTest::SetUp();
    fake->destinations = {{u"Office", false}, {kLongName, true}};
    PrintDestination& shown = fake->destinations[1];
    shown.state = QueueState::Stopped;
    shown.stateMessage = u"Paper jam";
    shown.makeAndModel = u"Generic PostScript Printer";
    shown.location = u"Second floor, by the stairs";
    shown.comment = u"Duplex unit & stapler";
  }
};

TEST_F(DialogLook, TheOpenAndSaveDialogsShowEveryCaptionWhole) {
  for (const FileDialogKind kind : {FileDialogKind::Open, FileDialogKind::Save}) {
    std::vector<std::string> clipped{"not shown"};
    whenOpen([] { return fileDialogs().openSession() ? fileDialogs().openSession()->dialog : 0; },
              [&](Form& f) {
                clipped = testing::clippedCaptions(f);
                if (kind == FileDialogKind::Save) f.snapshot(testing::snapshotDir() / "save_dialog.png");
              });
    std::u16string file(260, u'\0');
    const std::u16string filter(u"Text files (*.txt)\0*.txt\0All files (*.*)\0*.*\0\0", 45);
    OPENFILENAMEW ofn;
    ofn.lStructSize = kOpenFileNameSize;
    ofn.hwndOwner = owner;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = 260;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    EXPECT_EQ(kind == FileDialogKind::Open ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn), 0);
    EXPECT_TRUE(clipped.empty()) << ::testing::PrintToString(clipped);
  }
}

TEST_F(DialogLook, ThePrintDialogShowsALongPrinterNameBesideItsButton) {
  std::vector<std::string> clipped{"not shown"};
  BStr shown;
  whenOpen([] { return printDialogs().openSession() ? printDialogs().openSession()->dialog : 0; },
            [&](Form& f) {
              clipped = testing::clippedCaptions(f);
              shown = printDialogs().openSession()->deviceShown;
              f.snapshot(testing::snapshotDir() / "print_dialog.png");
            });
  PRINTDLGA pd;
  pd.lStructSize = kPrintDlgSize;
  pd.hwndOwner = owner;
  pd.Flags = PD_RETURNDC;
  EXPECT_EQ(PrintDlgA(&pd), 0);
  EXPECT_EQ(shown, kLongName);
  EXPECT_TRUE(clipped.empty()) << ::testing::PrintToString(clipped);
}

TEST_F(DialogLook, TheFontAndColourDialogsShowEveryCaptionWhole) {
  std::vector<std::string> clipped{"not shown"};
  whenOpen([] { return fontDialogs().openSession() ? fontDialogs().openSession()->dialog : 0; },
            [&](Form& f) { clipped = testing::clippedCaptions(f); });
  LOGFONTW lf;
  CHOOSEFONTW cf;
  cf.lStructSize = kChooseFontSize;
  cf.hwndOwner = owner;
  cf.lpLogFont = &lf;
  cf.Flags = CF_SCREENFONTS | CF_EFFECTS;
  EXPECT_EQ(ChooseFontW(&cf), 0);
  EXPECT_TRUE(clipped.empty()) << ::testing::PrintToString(clipped);

  clipped = {"not shown"};
  whenOpen([] { return colorDialogs().openSession() ? colorDialogs().openSession()->dialog : 0; },
            [&](Form& f) {
              clipped = testing::clippedCaptions(f);
              f.snapshot(testing::snapshotDir() / "colour_dialog.png");
            });
  std::array<COLORREF, kCustomColorCount> custom{};
  CHOOSECOLORA cc;
  cc.lStructSize = kChooseColorSize;
  cc.hwndOwner = owner;
  cc.lpCustColors = custom.data();
  cc.Flags = CC_FULLOPEN;
  EXPECT_EQ(ChooseColorA(&cc), 0);
  EXPECT_TRUE(clipped.empty()) << ::testing::PrintToString(clipped);
}

}  // namespace
}  // namespace svx
