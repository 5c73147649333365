// The input model under a private Xvfb (no window manager), a person acting
// through XTest: modal windows block their owner, a window that closes
// hands the activation and the keyboard back to its owner, and no press,
// pointer owner or double-click time outlives a modal box. Each path is also
// taken by the simulated user.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/dialogs/file_dialogs.h"
#include "platform/forms/command_button.h"
#include "platform/forms/input.h"
#include "platform/forms/text_box.h"
#include "platform/forms/person.h"
#include "platform/graphics/font.h"
#include "tests/display/x11_fixture.h"
#include "windows/frm_help_all.h"

namespace svx::testing {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t XK_Return = 0xff0d, XK_Escape = 0xff1b;

// A test that fails must not hang: past the deadline every other window
// goes, which ends the modal shows on them.
void rescue(HWND, UINT, UINT_PTR, DWORD) {
  if (Clock::nowMs() <= g_deadline || !g_form) return;
  for (HWND h : std::vector<HWND>(desktop().zOrder()))
    if (h != g_form->hWnd() && IsWindowVisible(h)) DestroyWindow(h);
}

class X11Input : public X11DisplayTest {
 protected:
  // The form, large enough that a box centred over it leaves its top-left
  // corner free: a button there, a text box beside it, a second button below.
  void build() {
    attach();
    SetTimer(0, 0, 100, &rescue);
    form->move(3000, 1500, 9000, 7500);  // client 592 x 474 pixels
    first = &add<CommandButton>(u"Command", 150, 150, 1200, 375);       // pixels 10,10
    text = &add<TextBox>(u"Text", 1500, 150, 1500, 315);                // pixels 100,10
    second = &add<CommandButton>(u"Command", 150, 750, 1200, 375);      // pixels 10,50
  }

  // Counts the events of a name so far.
  int count(BStrView name) const {
    int n = 0;
    for (const auto& e : events) n += e.name == name;
    return n;
  }

  // Parks the pointer off every window: keys then go where the focus is,
  // not to the window under the pointer.
  void parkPointer() { person->moveTo(1000, 740); }

  // Waits until the form's X window has the input focus.
  bool formHasFocus() {
    return eventually([&] { return formWindow.load() && person->inputFocus() == formWindow.load(); });
  }

  CommandButton* first = nullptr;
  CommandButton* second = nullptr;
  TextBox* text = nullptr;
};

TEST_F(X11Input, TheMouseStillWorksOnTheFormAfterADoubleClickConfirmedTheOpenDialog) {
  build();
  const fs::path dir = fs::temp_directory_path() / ("svx_x11_input_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  for (const char* name : {"a.txt", "b.txt"}) std::ofstream(dir / name) << "x";
  std::u16string chosen;
  onEvent = [&](BStrView name) {
    if (name != u"CommandClick") return;
    if (toI2(events.back().args.at(0)) == first->index()) {
      std::u16string file(1024, u'\0');
      const std::u16string initial = utf16(dir.string());
      OPENFILENAMEW ofn{};
      ofn.lStructSize = kOpenFileNameSize;
      ofn.hwndOwner = form->hWnd();
      ofn.lpstrFile = file.data();
      ofn.nMaxFile = static_cast<DWORD>(file.size());
      ofn.lpstrInitialDir = initial.c_str();
      if (GetOpenFileNameW(&ofn)) chosen = file.c_str();
    } else {
      form->hide();
    }
  };
  act([this] {
    const uint32_t w = waitForFormWindow();
    if (!w) return;
    const auto [x, y] = person->origin(w);
    person->click(x + 20, y + 20);
    eventually([&] { return fileWindow.load() != 0; });
    const uint32_t dialog = fileWindow.load();
    if (!dialog) return;
    const auto [dx, dy] = person->origin(dialog);
    // The list of files at 8, 36 pixels: row 0 is a.txt; a double click confirms.
    const int lh = fontLineHeight(Font{u"Tahoma", 8.25});
    person->click(dx + 60, dy + 36 + 1 + lh / 2);
    person->click(dx + 60, dy + 36 + 1 + lh / 2);
    eventually([&] { return fileWindow.load() == 0; });
    person->click(x + 20, y + 60);
  });
  form->show(true);
  actor.join();
  fs::remove_all(dir);
  EXPECT_EQ(chosen, utf16((dir / "a.txt").string()));
  EXPECT_EQ(count(u"CommandClick"), 2);  // the second button too
}

TEST_F(X11Input, TheAboutBoxBlocksItsFormAndHandsTheKeyboardBackWhenItCloses) {
  build();
  bool formClickedMeanwhile = false, formClosedMeanwhile = false;
  int activationsBefore = 0;
  onEvent = [&](BStrView name) {
    if (name == u"CommandClick") form->hide();
  };
  messageLoop().postTask([&] {
    activationsBefore = count(u"FormActivate");
    text->setFocus();
    form->AboutBox();  // returns when the person closed it
    formClickedMeanwhile = count(u"CommandClick") > 0;
    formClosedMeanwhile = count(u"FormQueryUnload") > 0;
  });
  act([this] {
    const uint32_t w = waitForFormWindow();
    if (!w) return;
    eventually([&] { return otherWindow.load() != 0; });
    const uint32_t about = otherWindow.load();
    if (!about) return;
    const auto [x, y] = person->origin(w);
    person->click(x + 20, y + 20);  // the form's button, beside the box
    person->close(w);               // the form's close box
    eventually([&] { return person->inputFocus() == about; });
    parkPointer();
    person->key(XK_Return);         // OK, which has the focus
    eventually([&] { return otherWindow.load() == 0; });
    if (!formHasFocus()) return;
    person->type(u"k");             // the first key after the box reaches the form
    eventually([&] { return text->text() == u"k"; });
    person->click(x + 20, y + 20);
  });
  form->show(true);
  actor.join();
  EXPECT_FALSE(formClickedMeanwhile);
  EXPECT_FALSE(formClosedMeanwhile);
  EXPECT_EQ(text->text(), u"k");
  EXPECT_EQ(count(u"CommandClick"), 1);
  // The About box is a form: the form was deactivated while it showed, and
  // is activated again once it closed.
  EXPECT_EQ(count(u"FormDeactivate"), 1);
  EXPECT_EQ(count(u"FormActivate"), activationsBefore + 1);

  // The simulated user meets the same gate and gets the same activation.
  setDisplay(nullptr);
  form->show(false);
  events.clear();
  bool blocked = false;
  messageLoop().postTask([&] {
    Form* about = person::activeForm();
    blocked = about && about != form.get() && !input::takesInput(*form);
    person::click(*first);
    person::close(*form);
    if (about) person::close(*about);
  });
  form->AboutBox();
  EXPECT_TRUE(blocked);
  EXPECT_EQ(count(u"CommandClick"), 0);
  EXPECT_EQ(count(u"FormQueryUnload"), 0);
  EXPECT_EQ(person::activeForm(), form.get());
  EXPECT_EQ(count(u"FormActivate"), 1);
}

TEST_F(X11Input, TheHelpWindowIsModalToItsFormAndItsCloseBoxEndsIt) {
  build();
  Ref<frmHelpAll> help = makeRef<frmHelpAll>();
  help->load();
  SetWindowLongA(help->hWnd(), GWL_HWNDPARENT, form->hWnd());
  help->move(form->left() + 3000, form->top() + 1500, 6000, 4500);  // clear of the form's buttons
  onEvent = [&](BStrView name) {
    if (name == u"CommandClick") form->hide();
  };
  bool clickedMeanwhile = true;
  messageLoop().postTask([&] {
    help->show(true);
    clickedMeanwhile = count(u"CommandClick") > 0;
  });
  act([&] {
    const uint32_t w = waitForFormWindow();
    if (!w) return;
    eventually([&] { return otherWindow.load() != 0; });
    const uint32_t shown = otherWindow.load();
    if (!shown) return;
    const auto [x, y] = person->origin(w);
    person->click(x + 20, y + 20);
    person->close(shown);
    eventually([&] { return otherWindow.load() == 0; });
    person->click(x + 20, y + 20);
  });
  form->show(true);
  actor.join();
  EXPECT_FALSE(clickedMeanwhile);
  EXPECT_EQ(count(u"CommandClick"), 1);
  EXPECT_FALSE(help->isLoaded());
}

TEST_F(X11Input, TheHelpWindowDestroyedFromOutsideClosesAndTheFormTakesInputAgain) {
  build();
  Ref<frmHelpAll> help = makeRef<frmHelpAll>();
  help->load();
  SetWindowLongA(help->hWnd(), GWL_HWNDPARENT, form->hWnd());
  help->move(form->left() + 3000, form->top() + 1500, 6000, 4500);
  onEvent = [&](BStrView name) {
    if (name == u"CommandClick") form->hide();
  };
  messageLoop().postTask([&] {
    text->setFocus();
    help->show(true);
  });
  act([&] {
    const uint32_t w = waitForFormWindow();
    if (!w) return;
    eventually([&] { return otherWindow.load() != 0; });
    const uint32_t shown = otherWindow.load();
    if (!shown) return;
    person->destroy(shown);  // no window manager to ask: the window is just gone
    eventually([&] { return otherWindow.load() == 0; });
    if (!formHasFocus()) return;
    parkPointer();
    person->type(u"k");
    eventually([&] { return text->text() == u"k"; });
    const auto [x, y] = person->origin(w);
    person->click(x + 20, y + 20);
  });
  form->show(true);
  actor.join();
  EXPECT_FALSE(help->isLoaded());
  EXPECT_EQ(text->text(), u"k");
  EXPECT_EQ(count(u"CommandClick"), 1);
}

TEST_F(X11Input, AClickSoonAfterAnInputBoxClosedIsAWholeClickAndTheMessageBoxHandsTheKeysBack) {
  build();
  int boxes = 0;
  onEvent = [&](BStrView name) {
    if (name != u"CommandClick") return;
    if (++boxes == 1) {
      InputBox(Variant(u"Name?"));
    } else if (boxes == 2) {
      MsgBox(Variant(u"Saved"));
    } else {
      form->hide();
    }
  };
  act([this] {
    const uint32_t w = waitForFormWindow();
    if (!w) return;
    const auto [x, y] = person->origin(w);
    person->click(x + 20, y + 20);
    eventually([&] { return boxWindow.load() != 0; });
    person->key(XK_Return);
    eventually([&] { return boxWindow.load() == 0; });
    person->click(x + 20, y + 20);  // at once: no double click with the first
    eventually([&] { return boxWindow.load() != 0; });
    parkPointer();
    person->key(XK_Return);
    eventually([&] { return boxWindow.load() == 0; });
    if (!formHasFocus()) return;
    person->type(u" ");  // Space on the focused button: the third click
  });
  const int activations = count(u"FormActivate");
  form->show(true);
  actor.join();
  EXPECT_EQ(count(u"CommandMouseDown"), 2);
  EXPECT_EQ(count(u"CommandDblClick"), 0);
  EXPECT_EQ(boxes, 3);
  // Message and input boxes are not forms: they change no form's activation.
  EXPECT_EQ(count(u"FormActivate"), activations + 1);  // the show's own
  EXPECT_EQ(count(u"FormDeactivate"), 0);
}

TEST_F(X11Input, AClickThatValidateInterruptsWithAMessageBoxLeavesNothingHeld) {
  build();
  bool boxShown = false;
  form->connect(std::make_shared<FunctionSink>([&](Object&, const EventInfo& ev, std::span<Variant> args) {
    if (ev.name == u"TextValidate" && !boxShown) {
      boxShown = true;
      MsgBox(Variant(u"Not valid"));
      args[1].assign(Variant(true));
    }
  }));
  onEvent = [&](BStrView name) {
    if (name == u"CommandClick") form->hide();
  };
  act([&] {
    const uint32_t w = waitForFormWindow();
    if (!w) return;
    const auto [x, y] = person->origin(w);
    person->click(x + 110, y + 20);  // into the text box
    person->click(x + 20, y + 60);   // the button: Validate shows the box and cancels
    eventually([&] { return boxWindow.load() != 0; });
    person->key(XK_Return);
    eventually([&] { return boxWindow.load() == 0; });
    person->type(u"ok");
    person->click(x + 20, y + 60);  // one click is enough now
  });
  form->show(true);
  actor.join();
  EXPECT_TRUE(boxShown);
  EXPECT_EQ(text->text(), u"ok");
  EXPECT_EQ(count(u"CommandMouseDown"), 2);
  EXPECT_EQ(count(u"CommandClick"), 1);
}

TEST_F(X11Input, TheFocusGivenToAFormThatABoxBlocksGoesOnToTheBox) {
  build();
  int answer = 0;
  bool keysMeanwhile = false;
  onEvent = [&](BStrView name) {
    if (name != u"CommandClick") return;
    if (answer == 0) {
      answer = MsgBox(Variant(u"Go on?"), Variant(int32_t{1}));  // OK and Cancel
      keysMeanwhile = count(u"FormKeyDown") + count(u"CommandKeyDown") + count(u"TextKeyDown") > 0;
    } else {
      form->hide();
    }
  };
  act([this] {
    const uint32_t w = waitForFormWindow();
    if (!w) return;
    const auto [x, y] = person->origin(w);
    person->click(x + 20, y + 20);
    eventually([&] { return boxWindow.load() != 0; });
    const uint32_t box = boxWindow.load();
    if (!box) return;
    // Another program (xdotool windowfocus, a window manager) gives the
    // keyboard to the blocked form: it passes it on to the box.
    person->focus(w);
    eventually([&] { return person->inputFocus() == box; });
    parkPointer();
    person->key(XK_Escape);  // Cancel of the box
    eventually([&] { return boxWindow.load() == 0; });
    if (!formHasFocus()) return;
    person->click(x + 20, y + 20);
  });
  form->show(true);
  actor.join();
  EXPECT_EQ(answer, 2);
  EXPECT_FALSE(keysMeanwhile);
  EXPECT_EQ(count(u"CommandClick"), 2);
}

}  // namespace
}  // namespace svx::testing
