// The print dialog: the platform's PrintDlgA on its own form, the common
// dialog module's ShowPrinterDialog, and DialogForm.CommonDialogShowPrinter
// reached through Dialog, answered by the simulated user.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "dialog/dialog.h"
#include "dialog/dialog_form_api.h"
#include "platform/automation/safearray.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/message_loop.h"
#include "platform/dialogs/common_dialogs.h"
#include "platform/dialogs/dialog_window.h"
#include "platform/dialogs/message_box.h"
#include "platform/dialogs/print_dialog.h"
#include "platform/forms/combo_box.h"
#include "platform/forms/label.h"
#include "platform/forms/person.h"
#include "platform/print/printers.h"
#include "platform/user/simulated_user.h"
#include "services/mod_cd_print.h"
#include "tests/services/common_dialog_fixture.h"
#include "tests/support/fake_print_destinations.h"

namespace svx {
namespace {

const BStr kLongName = u"Second-floor colour laser with duplex unit and stapler";

class PrintDialog : public testing::DialogObjectTest {
 protected:
  void SetUp() override {
    fake = std::make_shared<testing::FakePrintDestinations>();
    fake->destinations = {{u"Office", false}, {kLongName, true}};
    setPrintDestinations(fake);
    DialogObjectTest::SetUp();
    answer = makeRef<SimulatedUser>();
  }
  void TearDown() override {
    DialogObjectTest::TearDown();
    setPrintDestinations(nullptr);
  }

  // The user's answer as a script gives it.
  void userAnswers(Variant value) {
    Variant kind(u"Print");
    answer->answer(kind, value);
  }

  // Dialog.CommonDialogShowPrinter: every by-reference value is one of the
  // fixture's variables; `given` holds the by-value ones by position (2..15
  // of the parameter list, missing where not given).
  Variant show(std::map<int, Variant> given = {}) {
    std::vector<Variant> args(16, Variant::missing());
    Variant* refs[] = {&hdc, &device, &range, nullptr, &from, &to, nullptr, &copies,
                       nullptr, nullptr, &toFile, &collate, nullptr, nullptr, &errNumber, &errDescription};
    for (int i = 0; i < 16; ++i) {
      if (given.count(i)) args[i] = given[i];
      else if (refs[i]) args[i] = Variant::byRef(*refs[i]);
    }
    return dlg->invoke(u"CommonDialogShowPrinter", InvokeKind::Method, args);
  }
  const PrintDialogSession& lastSession() const { return printDialogs().sessions().back(); }
  void expectSuccess() {
    EXPECT_EQ(errNumber, Variant::i2(0));
    EXPECT_EQ(errDescription, Variant(BStr()));
  }

  std::shared_ptr<testing::FakePrintDestinations> fake;
  Ref<SimulatedUser> answer;
  Variant hdc = Variant(5), device = Variant(u"x"), range = Variant(0), from = Variant(1), to = Variant(1),
          copies = Variant(1), toFile = Variant(false), collate = Variant(false);
};

TEST_F(PrintDialog, OkWithEverythingMissingGivesTheDefaultPrinterAndADeviceContext) {
  userAnswers(Variant(true));
  std::vector<Variant> args(16, Variant::missing());
  args[0] = Variant::byRef(hdc);
  args[1] = Variant::byRef(device);
  EXPECT_EQ(dlg->invoke(u"CommonDialogShowPrinter", InvokeKind::Method, args), Variant(true));
  EXPECT_EQ(lastSession().flags, PD_RETURNDC);
  EXPECT_EQ(lastSession().printers, (std::vector<BStr>{u"Office", kLongName}));
  EXPECT_EQ(lastSession().deviceShown, kLongName);
  EXPECT_EQ(device, Variant(kLongName));
  EXPECT_EQ(hdc.vt(), VT_I4);
  EXPECT_NE(hdc, Variant(0));
  EXPECT_EQ(printerDeviceOfDC(toI4(hdc)), kLongName);
  EXPECT_EQ(PrinterDevMode.dmDeviceName, utf8(kLongName));
  EXPECT_EQ(LastPrintDlgResult, 1);
}

TEST_F(PrintDialog, ALongNameFoundByTheDialogIsFoundAgainBySetPrinterObject) {
  userAnswers(Variant(true));
  ASSERT_EQ(show(), Variant(true));
  std::vector<Variant> args{Variant(toBStr(device)), Variant::byRef(errNumber), Variant::byRef(errDescription)};
  dlg->invoke(u"SetPrinterObject", InvokeKind::Method, args);
  expectSuccess();
  EXPECT_EQ(currentPrinter()->deviceName(), kLongName);
}

TEST_F(PrintDialog, TheUsersEntriesComeBackTypedAfterOk) {
  SafeArray a = SafeArray::vector(VT_VARIANT, 0, 7);
  a.set(0, Variant(u"Office"));
  a.set(1, Variant(1));
  a.set(2, Variant(2));
  a.set(3, Variant(40000));
  a.set(4, Variant(3));
  a.set(5, Variant(true));
  a.set(6, Variant(true));
  userAnswers(Variant(std::move(a)));
  EXPECT_EQ(show(), Variant(true));
  expectSuccess();
  EXPECT_EQ(device, Variant(u"Office"));
  EXPECT_EQ(range, Variant::ui1(1));
  EXPECT_EQ(from, Variant(2));
  // The dialog's page fields are 16-bit: 40000 comes back sign-extended.
  EXPECT_EQ(to, Variant(40000 - 65536));
  EXPECT_EQ(copies, Variant::i2(3));
  EXPECT_EQ(toFile, Variant(true));
  EXPECT_EQ(collate, Variant(true));
  EXPECT_EQ(PrinterDevMode.dmCopies, 3);
}

TEST_F(PrintDialog, FlagsAboveTheMaskNeverReachTheDialog) {
  userAnswers(Variant(true));
  range = Variant(3);
  show({{8, Variant(false)}, {9, Variant(true)}, {3, Variant(true)}, {6, Variant(true)}, {12, Variant(true)}});
  EXPECT_EQ(lastSession().flags, PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION | PD_NOWARNING);
  EXPECT_EQ(range, Variant::ui1(0));

  // Passed values set up the dialog.
  userAnswers(Variant(true));
  range = Variant(2);
  toFile = Variant(true);
  collate = Variant(true);
  show();
  EXPECT_EQ(lastSession().flags, PD_RETURNDC | PD_SELECTION | PD_PRINTTOFILE | PD_COLLATE);
  EXPECT_EQ(range, Variant::ui1(2));
}

TEST_F(PrintDialog, CancelOrNoAnswerGivesFalseAndTheWorkingValues) {
  for (bool queued : {true, false}) {
    if (queued) userAnswers(Variant::null());
    copies = Variant(u"4");
    range = Variant(1);
    EXPECT_EQ(show(), Variant(false));
    expectSuccess();
    EXPECT_EQ(hdc, Variant(0));
    EXPECT_EQ(device, Variant(BStr()));
    EXPECT_EQ(copies, Variant::i2(4));
    EXPECT_EQ(range, Variant::ui1(1));
    EXPECT_EQ(from, Variant(1));
    EXPECT_FALSE(lastSession().confirmed);
    EXPECT_EQ(LastPrintDlgResult, 0);
  }
}

TEST_F(PrintDialog, AnEntryTheDialogRefusesLeavesItOpenUntilCancelled) {
  struct Case {
    const char* what;
    int32_t range, from, to, copies;
  };
  const Case cases[] = {
      {"page 0", 1, 0, 3, 1},
      {"page above nMaxPage", 1, 1, 70000, 1},
      {"from above to", 1, 5, 2, 1},
      {"copies -1", 0, 1, 1, -1},
      {"copies 0", 0, 1, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    dialogResponder().reset();
    SafeArray a = SafeArray::vector(VT_VARIANT, 1, 5);
    a.set(2, Variant(c.range));
    a.set(3, Variant(c.from));
    a.set(4, Variant(c.to));
    a.set(5, Variant(c.copies));
    userAnswers(Variant(a));
    EXPECT_EQ(show(), Variant(false));
    ASSERT_EQ(dialogResponder().sessions().size(), 1u);
    EXPECT_EQ(dialogResponder().sessions()[0].title, u"Print");
    // The same dialog takes a following answer that mends the entry.
    SafeArray mended = SafeArray::vector(VT_VARIANT, 1, 5);
    mended.set(1, Variant(u"Office"));
    mended.set(3, Variant(1));
    mended.set(4, Variant(1));
    mended.set(5, Variant(2));
    userAnswers(Variant(std::move(a)));
    userAnswers(Variant(std::move(mended)));
    EXPECT_EQ(show(), Variant(true));
    EXPECT_EQ(device, Variant(u"Office"));
    EXPECT_EQ(copies, Variant::i2(2));
    printDialogs().reset();
  }
}

TEST_F(PrintDialog, ValuesThatDoNotConvertStopBeforeTheDialog) {
  struct Case {
    const char* what;
    Variant* variable;
    Variant value;
    int32_t error;
  };
  const Case cases[] = {
      {"page above the 16-bit range", &from, Variant(40000), err::Overflow},
      {"copies not a number", &copies, Variant(u"many"), err::TypeMismatch},
      {"print range above a byte", &range, Variant(300), err::Overflow},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    userAnswers(Variant(true));
    *c.variable = c.value;
    device = Variant(u"kept");
    const size_t sessions = printDialogs().sessions().size();
    EXPECT_EQ(show(), Variant(false));
    EXPECT_EQ(errNumber, Variant(c.error));
    EXPECT_EQ(device, Variant(u"kept"));
    EXPECT_EQ(*c.variable, c.value);
    EXPECT_EQ(printDialogs().sessions().size(), sessions);
    printDialogs().reset();
    from = Variant(1), copies = Variant(1), range = Variant(0);
  }
}

TEST_F(PrintDialog, AnAnswerNamingAPrinterThatIsNotListedIsAnError) {
  SafeArray a = SafeArray::vector(VT_VARIANT, 0, 1);
  a.set(0, Variant(u"office"));  // only "Office" is listed
  userAnswers(Variant(std::move(a)));
  EXPECT_EQ(show(), Variant(false));
  EXPECT_EQ(errNumber, Variant(err::InvalidProcedureCall));
  EXPECT_EQ(toBStr(errDescription), u"The print dialog lists no printer named 'office'");
  EXPECT_EQ(printDialogs().openSession(), nullptr);
  EXPECT_FALSE(desktop().find(lastSession().dialog));
}

// With no printer a warning box comes first (the script answers it as any
// box), then the call fails as cancelled; boolPreventWarning shows nothing.
TEST_F(PrintDialog, WithoutPrintersAWarningComesUnlessPrevented) {
  for (const bool down : {false, true}) {
    for (const bool prevent : {false, true}) {
      SCOPED_TRACE(::testing::Message() << "down " << down << ", prevent " << prevent);
      dialogResponder().reset();
      fake->destinations.clear();
      fake->down = down;
      if (down) fake->destinations = {{u"Office", true}};
      userAnswers(Variant(true));
      Variant kind(u"MessageBox"), ok(vbOK);
      answer->answer(kind, ok);
      EXPECT_EQ(show(prevent ? std::map<int, Variant>{{12, Variant(true)}} : std::map<int, Variant>{}), Variant(false));
      expectSuccess();
      EXPECT_EQ(hdc, Variant(0));
      EXPECT_EQ(device, Variant(BStr()));
      EXPECT_EQ(CommDlgExtendedError(), PDERR_NODEFAULTPRN);
      EXPECT_TRUE(printDialogs().sessions().empty());
      EXPECT_EQ(printDialogs().queuedAnswers(), 1u);
      if (prevent) {
        EXPECT_TRUE(dialogResponder().sessions().empty());
        EXPECT_EQ(dialogResponder().queuedAnswers(), 1u);
      } else {
        ASSERT_EQ(dialogResponder().sessions().size(), 1u);
        const ShownBox& box = dialogResponder().sessions()[0];
        EXPECT_EQ(box.prompt, kNoPrinterWarning);
        EXPECT_EQ(box.title, u"Print");
        EXPECT_EQ(box.buttons, vbExclamation);
        EXPECT_EQ(box.source, AnswerSource::Scripted);
        EXPECT_EQ(dialogResponder().queuedAnswers(), 0u);
      }
      printDialogs().reset();
    }
  }
}

// Under the printer's name: the chosen queue's status, type, location and
// comment, anew when the user chooses another printer.
TEST_F(PrintDialog, TheChosenQueuesStateTypeLocationAndCommentAreShown) {
  auto queue = [](BStr name, QueueState state, BStr reason, BStr type, BStr where, BStr comment) {
    PrintDestination p(std::move(name));
    p.state = state;
    p.stateMessage = std::move(reason);
    p.makeAndModel = std::move(type);
    p.location = std::move(where);
    p.comment = std::move(comment);
    return p;
  };
  fake->destinations = {
      queue(u"Office", QueueState::Stopped, u"Paper jam", u"Generic PCL Laser", u"Room 2.14", u"Letters & forms"),
      queue(kLongName, QueueState::Idle, u"ignored while idle", u"Generic PostScript", u"Second floor", u""),
      queue(u"Plotter", QueueState::Processing, u"", u"", u"", u"Drawings"),
      queue(u"Spare", QueueState::Stopped, u"", u"Generic PDF", u"", u""),
  };
  fake->destinations[1].isDefault = true;
  using Lines = std::vector<std::string>;  // status, type, where, comment
  std::vector<Lines> seen;
  bool done = false;
  messageLoop().setIdleHook([&] {
    const PrintDialogSession* s = printDialogs().openSession();
    Form* f = s ? Form::fromHandle(s->dialog) : nullptr;
    if (!f || done) return false;
    auto lines = [f] {
      auto text = [f](const char16_t* name) { return utf8(f->element<Label>(name).caption()); };
      return Lines{text(u"lblStatus"), text(u"lblType"), text(u"lblWhere"), text(u"lblComment")};
    };
    seen.push_back(lines());
    auto& combo = f->element<ComboBox>(u"cboPrinter");
    for (int16_t i : {0, 2, 3}) {
      person::click(combo);
      person::choose(combo, i);
      seen.push_back(lines());
    }
    EXPECT_FALSE(f->element<Label>(u"lblComment").useMnemonic());
    done = true;
    person::click(f->control(u"cmdCancel"));
    return true;
  });
  EXPECT_EQ(show(), Variant(false));
  messageLoop().setIdleHook({});
  const std::vector<Lines> expected = {
      {"Ready", "Generic PostScript", "Second floor", ""},
      {"Stopped: Paper jam", "Generic PCL Laser", "Room 2.14", "Letters & forms"},
      {"Printing", "", "", "Drawings"},
      {"Stopped", "Generic PDF", "", ""},
  };
  EXPECT_EQ(seen, expected);
}

TEST_F(PrintDialog, TheDialogIsAModalFormOwnedByTheDialogsWindow) {
  HWND seenOwner = 0;
  bool ownerEnabled = true;
  bool checkedWhileOpen = false;
  messageLoop().setIdleHook([&] {
    const PrintDialogSession* s = printDialogs().openSession();
    if (!s || checkedWhileOpen) return false;
    checkedWhileOpen = true;
    seenOwner = s->owner;
    ownerEnabled = IsWindowEnabled(s->owner) != 0;
    userAnswers(Variant(true));
    return true;
  });
  EXPECT_EQ(show(), Variant(true));
  messageLoop().setIdleHook({});
  EXPECT_TRUE(checkedWhileOpen);
  EXPECT_NE(seenOwner, 0);
  EXPECT_FALSE(ownerEnabled);
  EXPECT_TRUE(IsWindowEnabled(seenOwner));
  EXPECT_FALSE(desktop().find(lastSession().dialog));
}

TEST_F(PrintDialog, ASnapshotShowsTheDialogAsTheUserLeftIt) {
  const auto dir = std::filesystem::temp_directory_path() / ("svx-print-dialog-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  queueDialogSnapshot(u"print", dir / "print.png");
  SafeArray a = SafeArray::vector(VT_VARIANT, 1, 5);
  a.set(2, Variant(1));
  a.set(3, Variant(2));
  a.set(4, Variant(3));
  a.set(5, Variant(4));
  userAnswers(Variant(std::move(a)));
  EXPECT_EQ(show(), Variant(true));
  std::ifstream png(dir / "print.png", std::ios::binary);
  char magic[4] = {};
  png.read(magic, 4);
  EXPECT_EQ(std::string(magic + 1, 3), "PNG");
  EXPECT_EQ(queuedDialogSnapshots(), 0u);
  std::filesystem::remove_all(dir);
}

TEST_F(PrintDialog, CreatingADialogClearsTheCurrentPrintersTrackDefault) {
  Ref<Printer> printer = currentPrinter();
  std::vector<Variant> on{Variant(true)};
  printer->invoke(Printer::kTrackDefaultDispid, InvokeKind::PropertyPut, on);
  EXPECT_TRUE(printer->trackDefault());
  ObjectRef second = createObject(u"Sorvanelix.Dialog");
  EXPECT_FALSE(printer->trackDefault());

  // Without printers the step fails and the object works all the same.
  fake->destinations.clear();
  setPrintDestinations(fake);
  ObjectRef third = createObject(u"Sorvanelix.Dialog");
  ASSERT_TRUE(third);
  std::vector<Variant> args{Variant::byRef(errNumber), Variant::byRef(errDescription)};
  EXPECT_TRUE(third->invoke(u"ListOfInstalledPrinters", InvokeKind::Method, args).isEmpty());
  expectSuccess();
}

// Creating and releasing a Dialog asks the print scheduler nothing, with or
// without printers; the printer a member makes later has TrackDefault False
// all the same, and one set True is cleared by the next creation.
TEST_F(PrintDialog, CreatingADialogAsksTheSchedulerNothing) {
  setPrintDestinations(fake);  // no current printer
  for (bool printers : {false, true}) {
    if (!printers) fake->destinations.clear();
    else fake->destinations = {{u"Office", true}};
    fake->listCalls = 0;
    for (int i = 0; i < 3; ++i) createObject(u"Sorvanelix.Dialog").reset();
    EXPECT_EQ(fake->listCalls, 0) << printers;
  }
  ObjectRef dlg = createObject(u"Sorvanelix.Dialog");
  std::vector<Variant> args{Variant::byRef(errNumber), Variant::byRef(errDescription)};
  const Variant printer = dlg->invoke(u"PrinterObject", InvokeKind::Method, args);
  ASSERT_TRUE(printer.isObject());
  EXPECT_EQ(fake->listCalls, 1);
  EXPECT_EQ(printer.asObject()->invoke(u"TrackDefault", InvokeKind::PropertyGet, {}), Variant(false));
  std::vector<Variant> on{Variant(true)};
  printer.asObject()->invoke(u"TrackDefault", InvokeKind::PropertyPut, on);
  createObject(u"Sorvanelix.Dialog").reset();
  EXPECT_EQ(printer.asObject()->invoke(u"TrackDefault", InvokeKind::PropertyGet, {}), Variant(false));
  EXPECT_EQ(fake->listCalls, 1);
}

TEST(TrimTrailingChars, DropsOnlyTrailingMatches) {
  const std::vector<Variant> nul{Variant(BStr(1, u'\0'))};
  EXPECT_EQ(TrimTrailingChars(BStr(u"abc\0\0", 5), nul), u"abc");
  EXPECT_EQ(TrimTrailingChars(BStr(u"a\0b\0", 4), nul), BStr(u"a\0b", 3));
  EXPECT_EQ(TrimTrailingChars(BStr(u"\0\0", 2), nul), u"");
  EXPECT_EQ(TrimTrailingChars(BStr(32, u'n'), nul), BStr(32, u'n'));
  EXPECT_EQ(TrimTrailingChars(u"ab  x", {Variant(u" "), Variant(u"x")}), u"ab");
}

}  // namespace
}  // namespace svx
