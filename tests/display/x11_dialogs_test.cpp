// The dialogs under a private Xvfb, operated by a person through XTest: the
// first focus of the file and folder dialogs, the focus mark of a combo,
// boxes centred over their form, the font, colour and multi-select Open
// dialogs from the mouse and the keyboard. Each path is also checked as the
// simulated user takes it.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <array>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "core/dialog_form.h"
#include "dialog/dialog.h"
#include "dialog/dialog_form_api.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/message_loop.h"
#include "platform/dialogs/common_dialogs.h"
#include "platform/dialogs/dialog_window.h"
#include "platform/dialogs/file_dialogs.h"
#include "platform/dialogs/font_dialog.h"
#include "platform/dialogs/message_box.h"
#include "platform/dialogs/print_dialog.h"
#include "platform/dialogs/services.h"
#include "platform/display/x11_display.h"
#include "platform/forms/combo_box.h"
#include "platform/forms/command_button.h"
#include "platform/forms/list_box.h"
#include "platform/forms/person.h"
#include "platform/graphics/font.h"
#include "platform/graphics/form_render.h"
#include "platform/graphics/units.h"
#include "platform/print/printers.h"
#include "platform/shell/shell.h"
#include "platform/system/screen.h"
#include "tests/display/x11_fixture.h"
#include "tests/support/fake_print_destinations.h"

namespace svx::testing {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t kHighlight = 0x3366CC;  // the renderer's selection colour
constexpr uint32_t XK_Return = 0xff0d, XK_Tab = 0xff09, XK_Up = 0xff52, XK_Down = 0xff54, XK_Left = 0xff51,
                   XK_Right = 0xff53, XK_Shift = 0xffe1, XK_Control = 0xffe3;

int countColour(const RasterImage& image, uint32_t rgb, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = std::max(0, y0); y < std::min(image.height, y1); ++y)
    for (int x = std::max(0, x0); x < std::min(image.width, x1); ++x) n += (image.at(x, y) & 0xFFFFFF) == rgb;
  return n;
}

// The display fixture with a folder of files for the file dialogs.
class X11Dialogs : public X11DisplayTest {
 protected:
  void SetUp() override {
    X11DisplayTest::SetUp();
    dir = fs::temp_directory_path() / ("svx_x11_dialogs_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "sub");
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"}) std::ofstream(dir / name) << "x";
  }
  void TearDown() override {
    X11DisplayTest::TearDown();
    fs::remove_all(dir);
  }

  // Runs `task` from the form's loop once it shows, then hides the form.
  void whileShown(std::function<void()> task) {
    messageLoop().postTask([this, task] {
      task();
      form->hide();
    });
    form->show(true);
    if (actor.joinable()) actor.join();
  }

  static uint32_t await(const std::atomic<uint32_t>& window) {
    eventually([&] { return window.load() != 0; });
    return window.load();
  }

  BStr path(const char* name) const { return utf16((dir / name).string()); }

  fs::path dir;
};

// OPENFILENAMEW for the test's folder with room for several names.
struct OpenFileName {
  explicit OpenFileName(const fs::path& folder, HWND owner, DWORD flags = 0) {
    ofn.lStructSize = kOpenFileNameSize;
    ofn.hwndOwner = owner;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = initialDir.c_str();
    ofn.Flags = flags;
    initialDir = utf16(folder.string());
    ofn.lpstrInitialDir = initialDir.c_str();
  }
  std::u16string file = std::u16string(4096, u'\0');
  std::u16string initialDir;
  OPENFILENAMEW ofn;
};

TEST_F(X11Dialogs, TheOpenDialogTakesATypedNameAtOnce) {
  attach();
  BOOL result = -1;
  std::u16string chosen;
  act([&] {
    if (!await(fileWindow)) return;
    person->type(u"b.txt");
    person->key(XK_Return);
  });
  whileShown([&] {
    OpenFileName o(dir, form->hWnd());
    result = GetOpenFileNameW(&o.ofn);
    chosen = o.file.c_str();
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(chosen, path("b.txt"));
}

TEST_F(X11Dialogs, AMessageBoxAndAnInputBoxOpenCentredOverTheirForm) {
  attach();
  form->move(3000, 2250, 7500, 5250);  // pixels 200, 150, 500 x 350
  std::array<std::pair<int, int>, 2> formCentre{}, boxCentre{};
  act([&] {
    for (std::size_t i = 0; i < 2; ++i) {
      const uint32_t b = await(boxWindow);
      const uint32_t f = formWindow.load();
      if (!b || !f) return;
      const auto [fx, fy] = person->origin(f);
      const auto [bx, by] = person->origin(b);
      formCentre[i] = {fx + 500 / 2, fy + (350 - (RenderFrameBorder * 2 + RenderCaptionHeight)) / 2};
      boxCentre[i] = {bx + (i == 0 ? 320 - 8 : 375 - 8) / 2, by + (i == 0 ? 130 - 28 : 155 - 28) / 2};
      eventually([&] { return person->inputFocus() == b; });
      person->key(XK_Return);
      if (i == 0) eventually([&] { return boxWindow.load() != b; });
    }
  });
  int32_t button = 0;
  BStr text = u"untouched";
  whileShown([&] {
    button = MsgBox(Variant(u"Centred?"));
    text = InputBox(Variant(u"Centred too?"));
  });
  EXPECT_EQ(button, vbOK);
  EXPECT_EQ(text, u"");
  ASSERT_EQ(dialogResponder().sessions().size(), 2u);
  EXPECT_EQ(dialogResponder().sessions()[1].source, AnswerSource::Person);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_NEAR(boxCentre[i].first, formCentre[i].first, 8) << i;
    EXPECT_NEAR(boxCentre[i].second, formCentre[i].second, 16) << i;
  }
}

// With no printer the person is warned in a box and answers it; no print
// dialog opens. With PD_NOWARNING nothing is shown at all.
TEST_F(X11Dialogs, WithoutPrintersThePersonIsWarnedUnlessTheCallerPreventsIt) {
  attach();
  setPrintDestinations(std::make_shared<FakePrintDestinations>());
  BStr title;
  act([&] {
    const uint32_t b = await(boxWindow);
    if (!b) return;
    title = utf16(person->title(b));
    eventually([&] { return person->inputFocus() == b; });
    person->key(XK_Return);
  });
  BOOL warned = -1, quiet = -1;
  whileShown([&] {
    PRINTDLGA pd;
    pd.lStructSize = kPrintDlgSize;
    pd.hwndOwner = form->hWnd();
    pd.Flags = PD_RETURNDC;
    warned = PrintDlgA(&pd);
    pd.Flags |= PD_NOWARNING;
    quiet = PrintDlgA(&pd);
  });
  setPrintDestinations(nullptr);
  EXPECT_EQ(warned, 0);
  EXPECT_EQ(quiet, 0);
  EXPECT_EQ(title, u"Print");
  ASSERT_EQ(dialogResponder().sessions().size(), 1u);
  EXPECT_EQ(dialogResponder().sessions()[0].prompt, kNoPrinterWarning);
  EXPECT_EQ(dialogResponder().sessions()[0].source, AnswerSource::Person);
  EXPECT_TRUE(printDialogs().sessions().empty());
}

// The person chooses another printer with the arrow key: the lines about
// the queue under its name change on the screen.
TEST_F(X11Dialogs, ThePrintDialogShowsTheQueueThePersonChooses) {
  attach();
  auto fake = std::make_shared<FakePrintDestinations>();
  PrintDestination jammed(u"Office", true), ready(u"Plotter");
  jammed.state = QueueState::Stopped;
  jammed.stateMessage = u"Paper jam";
  jammed.location = u"Room 2.14";
  ready.makeAndModel = u"Generic PostScript Printer";
  fake->destinations = {jammed, ready};
  setPrintDestinations(fake);
  // The status, type, where and comment lines: 1020, 540 .. 5640, 1605 twips.
  auto lines = [this](uint32_t w) {
    RasterImage all = person->pixels(w, 384, 296);
    RasterImage part(308, 71);
    for (int y = 0; y < part.height; ++y)
      for (int x = 0; x < part.width; ++x) part.at(x, y) = all.at(68 + x, 36 + y);
    return part.pixels;
  };
  bool changed = false;
  act([&] {
    const uint32_t w = await(otherWindow);
    if (!w) return;
    eventually([&] { return person->inputFocus() == w; });
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    const auto before = lines(w);
    person->key(XK_Down);
    changed = eventually([&] { return lines(w) != before; });
    person->key(0xff1b);  // Esc
  });
  BOOL result = -1;
  whileShown([&] {
    PRINTDLGA pd;
    pd.lStructSize = kPrintDlgSize;
    pd.hwndOwner = form->hWnd();
    result = PrintDlgA(&pd);
  });
  setPrintDestinations(nullptr);
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(changed);
  ASSERT_EQ(printDialogs().sessions().size(), 1u);
  EXPECT_EQ(printDialogs().sessions()[0].deviceShown, u"Office");
}

TEST_F(X11Dialogs, AFocusedDropDownComboShowsItsFocusMark) {
  attach();
  CommandButton& first = add<CommandButton>(u"Command", 240, 900, 1200, 375);
  ComboBox& combo = add<ComboBox>(u"Combo", 240, 240, 2400, 315);  // pixels 16,16 .. 176,37
  combo.addItem(u"red");
  combo.setListIndex(0);
  first.setTabIndex(0);
  int before = -1, after = -1;
  act([&] {
    const uint32_t w = await(formWindow);
    if (!w) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    before = countColour(person->pixels(w, 200, 60), kHighlight, 16, 16, 176 - 17, 37);
    person->key(XK_Tab);
    eventually([&] { return countColour(person->pixels(w, 200, 60), kHighlight, 16, 16, 176 - 17, 37) > 0; });
    after = countColour(person->pixels(w, 200, 60), kHighlight, 16, 16, 176 - 17, 37);
    person->close(w);
  });
  form->show(true);
  actor.join();
  EXPECT_EQ(before, 0);
  EXPECT_GT(after, 200);
}

TEST_F(X11Dialogs, TheFontDialogMarksItsSizeInTheList) {
  attach();
  int marked = -1;
  act([&] {
    const uint32_t w = await(fontWindow);
    if (!w) return;
    // The size list: 4860, 690, 900 x 1560 twips.
    eventually([&] { return countColour(person->pixels(w, 480, 300), kHighlight, 324, 46, 384, 150) > 0; });
    marked = countColour(person->pixels(w, 480, 300), kHighlight, 324, 46, 384, 150);
    eventually([&] { return person->inputFocus() == w; });
    person->key(0xff1b);  // Esc
  });
  BOOL result = -1;
  whileShown([&] {
    LOGFONTW lf;
    const std::u16string face = u"Tahoma";
    std::copy(face.begin(), face.end(), lf.lfFaceName);
    lf.lfHeight = 16;  // 12 points
    CHOOSEFONTW cf;
    cf.lStructSize = kChooseFontSize;
    cf.hwndOwner = form->hWnd();
    cf.hDC = GetDC(cf.hwndOwner);
    cf.lpLogFont = &lf;
    cf.Flags = CF_INITTOLOGFONTSTRUCT | CF_SCREENFONTS;
    result = ChooseFontW(&cf);
  });
  EXPECT_EQ(result, 0);
  EXPECT_GT(marked, 100);
}

TEST_F(X11Dialogs, TheFolderDialogTakesKeysAtOnce) {
  attach();
  fs::create_directories(dir / "alpha");
  fs::create_directories(dir / "beta" / "inner");
  act([&] {
    const uint32_t w = await(folderWindow);
    if (!w) return;
    // Rows: "..", "alpha", "beta", "sub": Down three times is "beta"; Enter
    // opens it; in it ("..", "inner") Down twice is "inner", Enter opens it
    // and Enter again confirms.
    for (uint32_t key : {XK_Down, XK_Down, XK_Down, XK_Return, XK_Down, XK_Down, XK_Return, XK_Return}) {
      person->key(key);
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
  });
  std::optional<std::string> chosen;
  whileShown([&] {
    chosen = browseForFolder(form->hWnd(), dir.string(), "Pick a folder");
  });
  ASSERT_TRUE(chosen);
  EXPECT_EQ(*chosen, (dir / "beta" / "inner").string());
}

TEST_F(X11Dialogs, TheFolderDialogOpenedByAClickTakesKeysAtOnce) {
  attach();
  fs::create_directories(dir / "alpha");
  add<CommandButton>(u"Command", 240, 240, 1200, 375);  // pixels 16,16 .. 96,41
  BStr chosen = u"none";
  onEvent = [&](BStrView name) {
    if (name != u"CommandClick") return;
    Variant owner = Variant::missing(), message(u"Pick"), start(utf16(dir.string())), n, d;
    std::vector<Variant> args{owner, message, start, Variant::byRef(n), Variant::byRef(d)};
    chosen = toBStr(form->invoke(u"BrowseForFolder", InvokeKind::Method, args));
    form->hide();
  };
  act([&] {
    const uint32_t f = waitForFormWindow();
    if (!f) return;
    const auto [x, y] = person->origin(f);
    person->click(x + 50, y + 28);
    const uint32_t w = await(folderWindow);
    if (!w) return;
    // Rows: "..", "alpha", "sub": Down twice is "alpha"; Enter opens it,
    // Enter again confirms.
    for (uint32_t key : {XK_Down, XK_Down, XK_Return, XK_Return}) {
      person->key(key);
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
  });
  form->show(true);
  actor.join();
  EXPECT_EQ(chosen, utf16((dir / "alpha").string()));
}

TEST_F(X11Dialogs, TheFolderDialogOfAHiddenFormTakesKeysAtOnce) {
  attach();
  fs::create_directories(dir / "alpha");
  act([&] {
    const uint32_t w = await(folderWindow);
    if (!w) return;
    for (uint32_t key : {XK_Down, XK_Down, XK_Return, XK_Return}) {
      person->key(key);
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
  });
  Variant owner = Variant::missing(), message(u"Pick"), start(utf16(dir.string())), n, d;
  std::vector<Variant> args{owner, message, start, Variant::byRef(n), Variant::byRef(d)};
  const BStr chosen = toBStr(form->invoke(u"BrowseForFolder", InvokeKind::Method, args));
  actor.join();
  EXPECT_EQ(chosen, utf16((dir / "alpha").string()));
}

TEST_F(X11Dialogs, MultiSelectOpenChoosesWithCtrlAndShiftClicks) {
  attach();
  const int lh = fontLineHeight(Font{u"Tahoma", 8.25});
  int highlightedRows = -1;
  act([&] {
    const uint32_t w = await(fileWindow);
    if (!w) return;
    const auto [x, y] = person->origin(w);
    // The list: 120, 540 twips (8, 36 pixels); rows "sub/", a.txt .. e.txt.
    auto row = [&](int r) { return y + 36 + 1 + r * lh + lh / 2; };
    person->click(x + 60, row(1));                      // a.txt
    person->click(x + 60, row(3), 1, {XK_Control});     // and c.txt
    person->click(x + 60, row(5), 1, {XK_Shift});       // c.txt to e.txt
    person->click(x + 60, row(1), 1, {XK_Control, XK_Shift});  // and a.txt to c.txt
    person->click(x + 60, row(4), 1, {XK_Control});     // without d.txt
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    const RasterImage shown = person->pixels(w, 480, 300);
    highlightedRows = 0;
    for (int r = 0; r < 6; ++r) highlightedRows += countColour(shown, kHighlight, 300, row(r) - y - 2, 400, row(r) - y + 2) > 0;
    person->key(XK_Return);
  });
  BOOL result = -1;
  std::u16string buffer;
  whileShown([&] {
    OpenFileName o(dir, form->hWnd(), OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST);
    result = GetOpenFileNameW(&o.ofn);
    buffer = o.file;
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(highlightedRows, 4);  // a, b, c, e
  const std::u16string folder(buffer.c_str());
  EXPECT_EQ(folder, utf16(dir.string()));
  std::vector<std::u16string> names;
  for (std::size_t at = folder.size() + 1; at < buffer.size() && buffer[at] != u'\0';) {
    names.emplace_back(buffer.c_str() + at);
    at += names.back().size() + 1;
  }
  EXPECT_EQ(names, (std::vector<std::u16string>{u"a.txt", u"b.txt", u"c.txt", u"e.txt"}));
}

// The colour dialog from the keyboard alone, and its part for defining
// custom colours shown at once with full open.
TEST_F(X11Dialogs, TheColourDialogFromTheKeyboard) {
  attach();
  std::array<COLORREF, kCustomColorCount> custom{};
  for (std::size_t i = 0; i < custom.size(); ++i) custom[i] = static_cast<COLORREF>(0x101010 * (i + 1));
  std::array<BOOL, 2> chosen{-1, -1};
  std::array<COLORREF, 2> colours{};
  std::array<int, 2> widths{};
  act([&] {
    for (int run = 0; run < 2; ++run) {
      const uint32_t w = await(colourWindow);
      if (!w) return;
      eventually([&] { return person->inputFocus() == w; });
      const std::vector<uint32_t> keys = run == 0 ? std::vector<uint32_t>{XK_Right, XK_Right, XK_Down, XK_Return}
                                                  : std::vector<uint32_t>{XK_Tab, XK_Right, ' ', XK_Return};
      // The client area is wider with the part for defining colours.
      widths[run] = person->pixels(w, 400, 100).empty() ? 300 : 530;
      for (uint32_t key : keys) {
        person->key(key);
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
      }
      if (run == 0) eventually([&] { return colourWindow.load() != w; });
    }
  });
  whileShown([&] {
    for (int run = 0; run < 2; ++run) {
      CHOOSECOLORA cc;
      cc.lStructSize = kChooseColorSize;
      cc.hwndOwner = form->hWnd();
      cc.lpCustColors = custom.data();
      cc.rgbResult = 0x0000FF;  // red: the first cell of the second row
      cc.Flags = CC_RGBINIT | (run == 1 ? CC_FULLOPEN : 0);
      chosen[static_cast<std::size_t>(run)] = ChooseColorA(&cc);
      colours[static_cast<std::size_t>(run)] = cc.rgbResult;
    }
  });
  EXPECT_EQ(chosen[0], 1);
  EXPECT_EQ(colours[0], colourDialogBasicColour(2 * 8 + 2));
  EXPECT_EQ(widths[0], 300);
  EXPECT_EQ(chosen[1], 1);
  EXPECT_EQ(colours[1], custom[1]);
  EXPECT_EQ(widths[1], 530);
}

// With the part for defining colours open, Tab goes from Cancel straight to
// the Hue field (the spectrum and the luminosity bar take the mouse only),
// and a field reached by Tab selects its text: the number typed replaces it.
TEST_F(X11Dialogs, TabReachesTheColourFieldsAndTypingReplacesTheirText) {
  attach();
  std::array<COLORREF, kCustomColorCount> custom{};
  BOOL chosen = -1;
  COLORREF colour = 0;
  act([&] {
    const uint32_t w = await(colourWindow);
    if (!w) return;
    eventually([&] { return person->inputFocus() == w; });
    for (uint32_t key : {XK_Tab, XK_Tab, XK_Tab, XK_Tab, uint32_t{'8'}, uint32_t{'0'}, XK_Tab, XK_Return}) {
      person->key(key);
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
  });
  whileShown([&] {
    CHOOSECOLORA cc;
    cc.lStructSize = kChooseColorSize;
    cc.hwndOwner = form->hWnd();
    cc.lpCustColors = custom.data();
    cc.rgbResult = 0x0000FF;  // red: hue 0, sat 240, lum 120
    cc.Flags = CC_RGBINIT | CC_FULLOPEN;
    chosen = ChooseColorA(&cc);
    colour = cc.rgbResult;
  });
  EXPECT_EQ(chosen, 1);
  EXPECT_EQ(colour, 0x00FF00u);  // hue 80 at the same sat and lum: green
}

// As a script does it: a Dialog (topmost, brought to the front after its
// show) whose button opens the folder dialog.
TEST_F(X11Dialogs, TheFolderDialogOfAScriptsDialogTakesKeysAtOnce) {
  attach();
  fs::create_directories(dir / "alpha");
  registerDialogForm();
  Dialog::registerProgId();
  ObjectRef dlg = createObject(u"Sorvanelix.Dialog");
  Variant n, d;
  std::vector<Variant> errors{Variant::byRef(n), Variant::byRef(d)};
  Ref<Form> f = refCast<Form>(dlg->invoke(u"FormObject", InvokeKind::Method, errors).asObject());
  std::vector<Variant> load{Variant::missing(), Variant::byRef(n), Variant::byRef(d)};
  const auto index = static_cast<int16_t>(f->invoke(u"LoadCommand", InvokeKind::Method, load).asI4());
  Control& button = f->control(u"Command", index);
  button.move(240, 240, 1200, 375);  // pixels 16,16 .. 96,41
  button.setVisible(true);
  g_form = f.get();
  std::atomic<uint32_t> window{0};
  messageLoop().setIdleHook([&] {
    window = f->isLoaded() && x11->viewable(f->hWnd()) ? x11->windowOf(f->hWnd()) : 0;
    const FolderDialogSession* folder = folderDialogs().openSession();
    folderWindow = folder && x11->viewable(folder->dialog) ? x11->windowOf(folder->dialog) : 0;
    return false;
  });
  BStr chosen = u"none";
  dlg->connect(std::make_shared<FunctionSink>([&](Object&, const EventInfo& ev, std::span<Variant>) {
    if (ev.name != u"CommandClick") return;
    Variant a, b;
    std::vector<Variant> browse{Variant::missing(), Variant(u"Pick"), Variant(utf16(dir.string())), Variant::byRef(a),
                                Variant::byRef(b)};
    chosen = toBStr(dlg->invoke(u"BrowseForFolder", InvokeKind::Method, browse));
    std::vector<Variant> hide{Variant::byRef(a), Variant::byRef(b)};
    dlg->invoke(u"Hide", InvokeKind::Method, hide);
  }));
  act([&] {
    const uint32_t w = await(window);
    if (!w) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // after the bring-to-front
    const auto [x, y] = person->origin(w);
    person->click(x + 50, y + 28);
    if (!await(folderWindow)) return;
    for (uint32_t key : {XK_Down, XK_Down, XK_Return, XK_Return}) {
      person->key(key);
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
  });
  dlg->invoke(u"ShowModal", InvokeKind::Method, errors);
  actor.join();
  messageLoop().setIdleHook({});
  g_form = form.get();
  EXPECT_EQ(chosen, utf16((dir / "alpha").string()));
}

}  // namespace
}  // namespace svx::testing
