// The input model: the pointer owner and how each press ends, the press
// record of double clicks, and the gate of modal windows, through the
// display's window messages and the simulated user alike.
#include "tests/platform/forms/forms_fixture.h"

#include "platform/desktop/display_messages.h"
#include "platform/desktop/message_loop.h"
#include "platform/dialogs/common_dialogs.h"
#include "platform/dialogs/file_dialogs.h"
#include "platform/dialogs/folder_dialog.h"
#include "platform/dialogs/font_dialog.h"
#include "platform/dialogs/message_box.h"
#include "platform/shell/shell.h"
#include "platform/forms/input.h"
#include "platform/forms/person.h"
#include "platform/graphics/form_render.h"

namespace svx::testing {
namespace {

// A button that records how its presses begin and end.
class ProbeButton : public CommandButton {
 public:
  std::vector<std::string>* log = nullptr;
  void pressAt(double, double, int16_t) override { log->push_back("pressAt"); }
  void releaseAt(double, double) override { log->push_back("releaseAt"); }
  void cancelPress() override { log->push_back("cancelPress"); }
};

FormDesign probeDesign() {
  FormDesign d = testDesign();
  d.controls.push_back({u"Probe", ControlKind::CommandButton, [] { return makeRef<ProbeButton>(); }, {}, {}});
  return d;
}

class InputModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::useVirtualTime();
    desktop().reset();
    attachFolderDialogWindow();
    form = makeRef<TestForm>(probeDesign());
    form->load();
    probe = &form->element<ProbeButton>(u"Probe");
    probe->log = &form->log;
    probe->move(150, 150, 1200, 375);  // pixels 10,10 .. 90,35
    probe->setVisible(true);
    text = &form->add<TextBox>(u"Text", 1, 150, 750);  // pixels 10,50 ..
    other = &form->add<CommandButton>(u"Command", 1, 150, 1500);  // pixels 10,100 ..
    form->show();
    form->take();
  }
  void TearDown() override {
    box.reset();
    form.reset();
    desktop().reset();
    Clock::useRealTime();
  }
  LRESULT send(HWND to, UINT msg, WPARAM w = 0, LPARAM l = 0) { return desktop().deliver(to, msg, w, l, false); }
  void press(int x, int y) { send(form->hWnd(), WM_LBUTTONDOWN, packButtons(1, 0), packPoint(x, y)); }
  void release(int x, int y) { send(form->hWnd(), WM_LBUTTONUP, packButtons(1, 0), packPoint(x, y)); }
  void click(int x, int y) {
    press(x, y);
    release(x, y);
  }
  // A second form shown modally over the first, closed by `whileOpen`'s
  // end (run from the modal loop).
  void showBoxOver(const std::function<void()>& whileOpen) {
    box = makeRef<TestForm>();
    box->load();
    SetWindowLongA(box->hWnd(), GWL_HWNDPARENT, form->hWnd());
    messageLoop().postTask([this, whileOpen] {
      if (whileOpen) whileOpen();
      box->hide();
    });
    box->show(true);
  }

  Ref<TestForm> form;
  Ref<TestForm> box;
  ProbeButton* probe = nullptr;
  TextBox* text = nullptr;
  CommandButton* other = nullptr;
};

TEST_F(InputModelTest, APressEndsInItsReleaseBeforeTheClickOrInOneCancelWhenItsOwnerGoes) {
  text->setFocus();
  form->take();
  click(20, 20);
  EXPECT_EQ(form->take(), (Log{"Probe(0).MouseDown", "Text(1).Validate", "Text(1).LostFocus", "Probe(0).GotFocus",
                               "pressAt", "Probe(0).MouseUp", "releaseAt", "Probe(0).Click"}));
  // The owner goes while the button is held: one cancel, and the release
  // that follows is dropped (no MouseUp, no Click).
  const std::vector<std::pair<const char*, std::function<void()>>> ways = {
      {"hidden", [&] { probe->setVisible(false); }},
      {"disabled", [&] { probe->setEnabled(false); }},
      {"focus moved", [&] { text->setFocus(); }},
      {"window hidden", [&] { form->hide(); }},
      {"window disabled", [&] { EnableWindow(form->hWnd(), 0); }},
  };
  for (const auto& [why, end] : ways) {
    SCOPED_TRACE(why);
    Clock::advance(input::kDoubleClickMs + 1);
    probe->setVisible(true);
    probe->setEnabled(true);
    EnableWindow(form->hWnd(), 1);
    form->show();
    probe->setFocus();
    form->take();
    press(20, 20);
    end();
    release(20, 20);
    Log log = form->take();
    std::erase_if(log, [](const std::string& e) { return e.find("Focus") != std::string::npos || e == "Text(1).Validate"; });
    EXPECT_EQ(log, (Log{"Probe(0).MouseDown", "pressAt", "cancelPress"}));
  }
}

TEST_F(InputModelTest, AReleaseWithoutAPressIsNoClickAndAnUnloadedControlIsCancelled) {
  release(20, 20);
  EXPECT_EQ(form->take(), Log{});
  press(20, 20);
  form->unload();
  EXPECT_EQ(form->log.back(), "cancelPress");
  // A window destroyed from outside (with its owner) ends the press too.
  form->show();
  probe = &form->element<ProbeButton>(u"Probe");
  probe->log = &form->log;
  probe->move(150, 150, 1200, 375);
  probe->setVisible(true);
  Clock::advance(input::kDoubleClickMs + 1);
  press(20, 20);
  form->take();
  DestroyWindow(form->hWnd());
  EXPECT_EQ(form->take(), Log{"cancelPress"});
}

TEST_F(InputModelTest, AModalFormBlocksItsOwnerForThePersonAndTheSimulatedUser) {
  Log seen;
  showBoxOver([&] {
    EXPECT_FALSE(desktop().takesInput(form->hWnd()));
    EXPECT_FALSE(IsWindowEnabled(form->hWnd()));
    EXPECT_TRUE(desktop().takesInput(box->hWnd()));
    form->take();
    click(20, 110);                     // the person
    person::click(*other);                // the simulated user
    send(form->hWnd(), WM_KEYDOWN, 13, 0);
    send(form->hWnd(), WM_CLOSE);
    person::type(*text, u"x");
    seen = form->take();
  });
  EXPECT_EQ(seen, Log{});
  EXPECT_TRUE(form->isLoaded());
  EXPECT_EQ(text->text(), u"");
  EXPECT_TRUE(IsWindowEnabled(form->hWnd()));
  form->take();
  click(20, 110);
  EXPECT_EQ(form->take().back(), "Command(1).Click");
}

TEST_F(InputModelTest, APressThatAModalBoxInterruptsLeavesNothingDown) {
  // Validate shows a box and cancels: the release came while the box was
  // open and never reaches the form. The next click is a whole click.
  bool boxShown = false;
  form->react = [&](ControlArray&, ControlEvent e, int16_t, std::span<Variant> p) {
    if (e != ControlEvent::Validate || boxShown) return;
    boxShown = true;
    // The person lets go while the box is open: the display drops input to
    // the blocked form, so that release never arrives.
    showBoxOver({});
    p[0].assign(Variant(true));
  };
  text->setFocus();
  form->take();
  press(20, 110);
  EXPECT_TRUE(boxShown);
  // The box is a form of the program: the form is activated again after it.
  EXPECT_EQ(form->take(), (Log{"Command(1).MouseDown", "Text(1).Validate", "Form.Activate"}));
  form->react = nullptr;
  Clock::advance(100);
  form->take();
  click(20, 110);
  EXPECT_EQ(form->take(), (Log{"Command(1).MouseDown", "Text(1).Validate", "Text(1).LostFocus",
                               "Command(1).GotFocus", "Command(1).MouseUp", "Command(1).Click"}));
}

TEST_F(InputModelTest, APressAfterAModalBoxIsNeverTheSecondHalfOfADoubleClick) {
  form->react = [&](ControlArray& a, ControlEvent e, int16_t, std::span<Variant>) {
    if (a.name() == u"Command" && e == ControlEvent::Click) showBoxOver({});
  };
  click(20, 110);
  form->react = nullptr;
  Clock::advance(200);  // well within the double-click time of the first press
  form->take();
  click(20, 110);
  EXPECT_EQ(form->take(), (Log{"Command(1).MouseDown", "Command(1).MouseUp", "Command(1).Click"}));
}

TEST_F(InputModelTest, TheDoubleClickTimeIsTheTimeOfThePressNotOfTheEndOfItsHandlers) {
  // The first click's handler takes 800 ms; the second press came 700 ms
  // after the first (queued meanwhile): two clicks, as the event times say.
  // Then two presses 300 ms apart: a double click, however slow the handler.
  form->react = [&](ControlArray& a, ControlEvent e, int16_t, std::span<Variant>) {
    if (a.name() == u"Command" && e == ControlEvent::Click) Clock::advance(800);
  };
  auto at = [&](int64_t t, UINT msg) {
    messageLoop().post(form->hWnd(), msg, packButtons(1, 0), packPoint(20, 110), t);
  };
  int64_t t0 = Clock::nowMs();
  at(t0, WM_LBUTTONDOWN);
  at(t0 + 50, WM_LBUTTONUP);
  at(t0 + 700, WM_LBUTTONDOWN);
  at(t0 + 750, WM_LBUTTONUP);
  messageLoop().doEvents();
  Log log = form->take();
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ((Log{log.end() - 3, log.end()}), (Log{"Command(1).MouseDown", "Command(1).MouseUp", "Command(1).Click"}));
  Clock::advance(1000);
  form->react = [&](ControlArray& a, ControlEvent e, int16_t, std::span<Variant>) {
    if (a.name() == u"Text" && e == ControlEvent::Click) Clock::advance(800);
  };
  t0 = Clock::nowMs();
  auto onText = [&](int64_t t, UINT msg) {
    messageLoop().post(form->hWnd(), msg, packButtons(1, 0), packPoint(20, 55), t);
  };
  onText(t0, WM_LBUTTONDOWN);
  onText(t0 + 50, WM_LBUTTONUP);
  onText(t0 + 300, WM_LBUTTONDOWN);
  onText(t0 + 350, WM_LBUTTONUP);
  messageLoop().doEvents();
  log = form->take();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ((Log{log.end() - 2, log.end()}), (Log{"Text(1).DblClick", "Text(1).MouseUp"}));
}

TEST_F(InputModelTest, AWindowThatADoubleClickClosesKeepsNoHoldOnThePointer) {
  // The second press of a double click closes the box; its release never
  // comes. The form below takes the next click.
  box = makeRef<TestForm>();
  box->load();
  SetWindowLongA(box->hWnd(), GWL_HWNDPARENT, form->hWnd());
  TextBox& item = box->add<TextBox>(u"Text", 1, 150, 150);
  box->react = [&](ControlArray&, ControlEvent e, int16_t, std::span<Variant>) {
    if (e == ControlEvent::DblClick) box->hide();
  };
  messageLoop().postTask([&] {
    send(box->hWnd(), WM_LBUTTONDOWN, packButtons(1, 0), packPoint(20, 20));
    send(box->hWnd(), WM_LBUTTONUP, packButtons(1, 0), packPoint(20, 20));
    send(box->hWnd(), WM_LBUTTONDOWN, packButtons(1, 0), packPoint(20, 20));
  });
  box->show(true);
  EXPECT_FALSE(box->visible());
  form->take();
  click(20, 110);
  EXPECT_EQ(form->take().back(), "Command(1).Click");
  (void)item;
}

TEST_F(InputModelTest, EveryModalWindowBlocksItsOwnerForTheSimulatedUser) {
  // While each is open (nobody answers it, so it ends by itself), a click
  // on its owner form does nothing; afterwards the form is active again.
  const std::vector<std::pair<const char*, std::function<void()>>> modals = {
      {"message box", [] { MsgBox(Variant(u"Saved")); }},
      {"input box", [] { InputBox(Variant(u"Name?")); }},
      {"open", [&] {
         std::u16string file(260, u'\0');
         OPENFILENAMEW ofn{};
         ofn.lStructSize = kOpenFileNameSize;
         ofn.hwndOwner = form->hWnd();
         ofn.lpstrFile = file.data();
         ofn.nMaxFile = static_cast<DWORD>(file.size());
         GetOpenFileNameW(&ofn);
       }},
      {"colour", [&] {
         std::vector<COLORREF> custom(kCustomColorCount, 0);
         CHOOSECOLORA cc{};
         cc.lStructSize = kChooseColorSize;
         cc.hwndOwner = form->hWnd();
         cc.lpCustColors = custom.data();
         ChooseColorA(&cc);
       }},
      {"font", [&] {
         LOGFONTW lf{};
         CHOOSEFONTW cf{};
         cf.lStructSize = kChooseFontSize;
         cf.hwndOwner = form->hWnd();
         cf.lpLogFont = &lf;
         ChooseFontW(&cf);
       }},
      {"folder", [&] {
         BROWSEINFOA bi{};
         bi.hwndOwner = form->hWnd();
         SHBrowseForFolderA(&bi);
       }},
  };
  for (const auto& [what, open] : modals) {
    SCOPED_TRACE(what);
    other->setFocus();
    form->take();
    bool blocked = false, shown = false;
    messageLoop().postTask([&] {
      shown = desktop().modalWindow() != 0;
      blocked = !desktop().takesInput(form->hWnd()) && !IsWindowEnabled(form->hWnd());
      person::click(*other);
      send(form->hWnd(), WM_KEYDOWN, 13, 0);
    });
    open();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(blocked);
    EXPECT_EQ(form->take(), Log{});
    EXPECT_EQ(GetActiveWindow(), form->hWnd());
    EXPECT_TRUE(IsWindowEnabled(form->hWnd()));
  }
}

TEST_F(InputModelTest, AClosingWindowHandsTheActivationBackAndOnlyAFormIsActivatedAgain) {
  // A message box is no form: the form stays the active form, so no
  // Activate when the box closes; the activation and the focus come back.
  text->setFocus();
  form->take();
  dialogResponder().queueAnswer(DialogKind::MessageBox, Variant(vbOK));
  MsgBox(Variant(u"Saved"));
  EXPECT_EQ(GetActiveWindow(), form->hWnd());
  EXPECT_EQ(person::activeForm(), form.get());
  EXPECT_EQ(form->activeControl(), text);
  EXPECT_EQ(GetFocus(), text->hWnd());
  EXPECT_EQ(form->take(), Log{});
  // A second form over it is: the first is activated again when it goes.
  showBoxOver({});
  EXPECT_EQ(GetActiveWindow(), form->hWnd());
  EXPECT_EQ(form->take(), (Log{"Form.Activate"}));
  dialogResponder().reset();
}

TEST_F(InputModelTest, TheSimulatedClickIsAPersonsClickAtTheMiddleOfTheControl) {
  // For each kind: User's click and a person's press and release at the
  // middle of the control (window messages) give the same events, in a
  // person's order, and do the same to the control.
  ListBox& list = form->add<ListBox>(u"List", 1, 1500, 1500);
  list.move(1500, 1500, 1500, 3 * fontLineHeight(list.font()) * 15 + 30);
  for (const char16_t* item : {u"a", u"b", u"c"}) list.addItem(item);
  ComboBox& combo = form->add<ComboBox>(u"Combo", 1, 1500, 2700);  // a drop-down list
  combo.addItem(u"one");
  CheckBox& check = form->add<CheckBox>(u"Check", 1, 3300, 150);
  check.move(3300, 150, 1200, 315);
  const std::vector<Control*> controls = {&list, &combo, &check};
  std::vector<Log> byUser, byPerson;
  for (int round = 0; round < 2; ++round) {
    list.setListIndex(-1);
    check.setValue(0);
    for (Control* c : controls) {
      combo.closeList();
      text->setFocus();
      Clock::advance(input::kDoubleClickMs + 1);
      form->take();
      if (round == 0) {
        person::click(*c);
      } else {
        const auto [ox, oy] = form->clientOrigin(*c);
        const int x = static_cast<int>((ox + c->width() / 2) / 15), y = static_cast<int>((oy + c->height() / 2) / 15);
        click(x, y);
      }
      (round == 0 ? byUser : byPerson).push_back(form->take());
    }
  }
  EXPECT_EQ(byUser, byPerson);
  ASSERT_EQ(byUser.size(), 3u);
  EXPECT_EQ(byUser[0], (Log{"List(1).MouseDown", "Text(1).Validate", "Text(1).LostFocus", "List(1).GotFocus",
                            "List(1).Click", "List(1).MouseUp"}));
  EXPECT_EQ(list.listIndex(), 1);  // the middle row
  EXPECT_EQ(byUser[1], (Log{"Combo(1).MouseDown", "Text(1).Validate", "Text(1).LostFocus", "Combo(1).GotFocus",
                            "Combo(1).DropDown", "Combo(1).MouseUp"}));
  EXPECT_EQ(byUser[2], (Log{"Check(1).MouseDown", "Text(1).Validate", "Text(1).LostFocus", "Check(1).GotFocus",
                            "Check(1).MouseUp", "Check(1).Click"}));
  EXPECT_EQ(check.value(), 1);
  // Two simulated clicks in a row are two clicks, never a double click.
  check.setFocus();
  form->take();
  person::click(check);
  person::click(check);
  EXPECT_EQ(form->take(), (Log{"Check(1).MouseDown", "Check(1).MouseUp", "Check(1).Click", "Check(1).MouseDown",
                               "Check(1).MouseUp", "Check(1).Click"}));
}

}  // namespace
}  // namespace svx::testing
