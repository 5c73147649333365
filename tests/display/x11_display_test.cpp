// The X11 display under a private Xvfb: windows, pixels, a person's mouse and
// keyboard through XTest, the close box, resizing, message boxes.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstring>
#include <cairo.h>
#include <filesystem>
#include <thread>

#include "core/dialog_form.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/message_loop.h"
#include "platform/dialogs/common_dialogs.h"
#include "platform/dialogs/message_box.h"
#include "platform/dialogs/services.h"
#include "platform/display/x11_display.h"
#include "platform/forms/combo_box.h"
#include "platform/forms/command_button.h"
#include "platform/forms/control_extender.h"
#include "platform/forms/list_box.h"
#include "platform/forms/text_box.h"
#include "platform/forms/person.h"
#include "platform/graphics/form_render.h"
#include "platform/graphics/image_codec.h"
#include "platform/shell/shell.h"
#include "platform/system/clipboard.h"
#include "platform/system/screen.h"
#include "tests/display/x11_fixture.h"

namespace svx::testing {
namespace {

TEST_F(X11DisplayTest, AClickTypedTextAndAButtonReachTheScriptAsFromTheSimulatedUser) {
  attach();
  TextBox& text = add<TextBox>(u"Text", 240, 240, 2400, 315);
  CommandButton& ok = add<CommandButton>(u"Command", 240, 900, 1200, 375);
  ok.setCaption(u"OK");
  onEvent = [this](BStrView name) {
    if (name == u"CommandClick") form->hide();
  };
  act([this] {
    const uint32_t w = waitForFormWindow();
    if (!w) return;
    const auto [x, y] = person->origin(w);
    person->click(x + 96, y + 26);
    person->type(u"hé ж");
    person->click(x + 56, y + 72);
  });
  form->show(true);
  actor.join();
  EXPECT_EQ(text.text(), u"hé ж");
  x11->pump();
  EXPECT_EQ(x11->windowOf(form->hWnd()), 0u);  // hidden: no window any more
  const std::vector<Event> real = events;

  // The same actions by the simulated user, on a fresh form.
  form->unload();
  events.clear();
  form->load();
  TextBox& text2 = add<TextBox>(u"Text", 240, 240, 2400, 315);
  CommandButton& ok2 = add<CommandButton>(u"Command", 240, 900, 1200, 375);
  form->show(false);
  events.clear();
  person::click(text2);
  person::type(text2, u"hé ж");
  person::click(ok2);
  std::vector<BStr> simulated = names();
  std::vector<BStr> seen;
  for (const auto& e : real) seen.push_back(e.name);
  std::erase_if(seen, [](const BStr& n) { return n.ends_with(u"MouseMove"); });
  std::erase_if(simulated, [](const BStr& n) { return n.ends_with(u"MouseMove"); });
  // The real run starts with the show's events, and ends with the hide.
  const auto first = std::find(seen.begin(), seen.end(), u"TextMouseDown");
  ASSERT_NE(first, seen.end());
  seen.erase(seen.begin(), first);
  EXPECT_EQ(seen, simulated);
  std::vector<Variant> pressed;
  for (const auto& e : real)
    if (e.name == u"TextKeyPress") pressed.push_back(e.args[1]);
  ASSERT_EQ(pressed.size(), 4u);
  EXPECT_EQ(pressed[1], Variant::i2(static_cast<int16_t>(u'é')));
  EXPECT_EQ(pressed[3], Variant::i2(static_cast<int16_t>(u'ж')));
}

TEST_F(X11DisplayTest, ARealClickOpensADropDownListAndChoosesAnItemAndTheWheelScrollsAList) {
  attach();
  ComboBox& combo = add<ComboBox>(u"Combo", 240, 240, 2400, 315);  // pixels 16,16 .. 176,37
  for (const char16_t* item : {u"red", u"green", u"blue"}) combo.addItem(item);
  ListBox& list = add<ListBox>(u"List", 240, 1500, 2400, 900);  // pixels 16,100 .. 176,160
  for (int i = 0; i < 20; ++i) list.addItem(u"item " + BStr(1, static_cast<char16_t>(u'a' + i)));
  TextBox& text = add<TextBox>(u"Text", 240, 2700, 2400, 315);  // pixels 16,180 ..
  text.setText(u"abcdef");
  const int lh = fontLineHeight(combo.font());
  const int clickAfterCd = 16 + RenderTextLeft + measureText(text.font(), u"abcd").width + 1;
  std::atomic<int> dropped{0}, clicked{0}, scrolled{0};
  onEvent = [&](BStrView name) {
    if (name == u"ComboDropDown") ++dropped;
    if (name == u"ComboClick") ++clicked;
    if (name == u"ListScroll") ++scrolled;
    if (name == u"TextClick") form->hide();
  };
  act([&] {
    const uint32_t w = waitForFormWindow();
    if (!w) return;
    const auto [x, y] = person->origin(w);
    person->click(x + 60, y + 26);
    if (!eventually([&] { return dropped.load() == 1; })) return;
    person->click(x + 60, y + 37 + 1 + 2 * lh + lh / 2);  // "blue"
    if (!eventually([&] { return clicked.load() == 1; })) return;
    person->moveTo(x + 60, y + 120);
    person->click(x + 60, y + 120, 5);  // the wheel, one notch towards the person
    if (!eventually([&] { return scrolled.load() == 1; })) return;
    person->click(x + clickAfterCd, y + 190);
  });
  form->show(true);
  actor.join();
  EXPECT_EQ(combo.listIndex(), 2);
  EXPECT_EQ(combo.text(), u"blue");
  EXPECT_FALSE(combo.listOpen());
  EXPECT_EQ(list.topIndex(), 3);
  EXPECT_EQ(list.listIndex(), -1);
  EXPECT_EQ(text.selStart(), 4);
}

TEST_F(X11DisplayTest, TheWindowHasTheCaptionTheClientSizeAndThePixelsOfTheSnapshot) {
  attach();
  TextBox& text = add<TextBox>(u"Text", 240, 240, 2400, 315);
  text.setText(u"pixels");
  add<ListBox>(u"List", 240, 700, 2400, 1200).addItem(u"first");
  form->show(false);
  const HWND h = form->hWnd();
  serveUntil([&] { return x11->viewable(h) && x11->framesPainted() > 0; });
  const uint32_t w = x11->windowOf(h);
  ASSERT_NE(w, 0u);
  EXPECT_EQ(person->title(w), "Display test");
  const int cw = static_cast<int>(form->scaleWidth() / 15), ch = static_cast<int>(form->scaleHeight() / 15);
  EXPECT_EQ(x11->lastFrame(h).width, cw);
  EXPECT_EQ(x11->lastFrame(h).height, ch);

  const auto dir = std::filesystem::temp_directory_path() / ("svx_display_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const auto file = dir / "snapshot.png";
  person::snapshot(*form, file);
  cairo_surface_t* png = cairo_image_surface_create_from_png(file.c_str());
  ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
  const auto* data = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(png));
  const int stride = cairo_image_surface_get_stride(png) / 4;
  RasterImage expected(cw, ch);
  for (int y = 0; y < ch; ++y)
    for (int x = 0; x < cw; ++x)
      expected.at(x, y) = data[(y + RenderFrameBorder + RenderCaptionHeight) * stride + x + RenderFrameBorder] |
                          0xFF000000u;
  cairo_surface_destroy(png);
  std::filesystem::remove_all(dir);
  RasterImage shown;
  const bool same = eventually([&] {
    shown = person->pixels(w, cw, ch);
    return shown == expected;
  });
  EXPECT_TRUE(same) << "the window's pixels differ from the snapshot's client area";
}

TEST_F(X11DisplayTest, TheCloseBoxIsACloseByTheUser) {
  attach();
  act([this] {
    if (const uint32_t w = waitForFormWindow()) person->close(w);
  });
  form->show(true);
  actor.join();
  const auto n = names();
  const auto q = std::find(n.begin(), n.end(), u"FormQueryUnload");
  ASSERT_NE(q, n.end());
  EXPECT_EQ(events[static_cast<size_t>(q - n.begin())].args[1], Variant::i2(0));  // UnloadMode: the user
  EXPECT_NE(std::find(q, n.end(), u"FormUnload"), n.end());
  EXPECT_FALSE(form->isLoaded());
}

TEST_F(X11DisplayTest, AMessageBoxIsAnsweredByARealClick) {
  attach();
  int32_t answer = 0;
  onFirstPaint([&] {
    answer = MsgBox(Variant(u"Proceed?"), Variant(vbYesNo), Variant(u"Question"));
    form->hide();
  });
  std::string title;
  uint32_t formAtBox = 0;
  uint32_t transientFor = 0;
  act([&] {
    eventually([&] { return boxWindow.load() != 0; });
    const uint32_t b = boxWindow.load();
    if (!b) return;
    title = person->title(b);
    formAtBox = formWindow.load();
    transientFor = person->windowProperty(b, "WM_TRANSIENT_FOR");
    const auto [x, y] = person->origin(b);
    person->click(x + 196, y + 80);  // the second button, "No"
  });
  form->show(true);
  actor.join();
  EXPECT_EQ(title, "Question");
  EXPECT_NE(formAtBox, 0u);
  EXPECT_EQ(transientFor, formAtBox);  // the box stays with the window it blocks
  EXPECT_EQ(answer, vbNo);
  ASSERT_EQ(dialogResponder().sessions().size(), 1u);
  EXPECT_EQ(dialogResponder().sessions()[0].source, AnswerSource::Person);
}

TEST_F(X11DisplayTest, TheColourDialogIsAnsweredByAPerson) {
  attach();
  std::array<COLORREF, kCustomColorCount> custom{};
  CHOOSECOLORA cc;
  cc.lStructSize = kChooseColorSize;
  cc.lpCustColors = custom.data();
  BOOL chosen = -1;
  onFirstPaint([&] {
    cc.hwndOwner = form->hWnd();
    chosen = ChooseColorA(&cc);
    form->hide();
  });
  uint32_t cellPixel = 0;
  act([&] {
    eventually([&] { return colourWindow.load() != 0; });
    const uint32_t w = colourWindow.load();
    if (!w) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const RasterImage shown = person->pixels(w, 300, 240);
    cellPixel = shown.empty() ? 0 : shown.at(10 + 24 * 3 + 10, 26 + 20 + 9) & 0xFFFFFF;  // row 1, column 3
    const auto [x, y] = person->origin(w);
    person->click(x + 10 + 24 * 3 + 10, y + 26 + 20 + 9);
    person->click(x + 216 + 37, y + 170 + 11);  // OK
  });
  form->show(true);
  actor.join();
  EXPECT_EQ(chosen, 1);
  const COLORREF expected = ((cellPixel >> 16) & 0xFF) | (cellPixel & 0xFF00) | ((cellPixel & 0xFF) << 16);
  EXPECT_EQ(cc.rgbResult, expected);
  EXPECT_NE(cc.rgbResult, 0u);
}

TEST_F(X11DisplayTest, TheFolderDialogIsBrowsedAndAnsweredByAPerson) {
  attach();
  const auto dir = std::filesystem::temp_directory_path() / ("svx_folders_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir / "alpha");
  std::filesystem::create_directories(dir / "beta" / "inner");
  std::optional<std::string> chosen;
  onFirstPaint([&] {
    chosen = browseForFolder(form->hWnd(), dir.string(), "Pick a folder");
    form->hide();
  });
  const int row = fontLineHeight(Font{u"Tahoma", 8.25});
  act([&] {
    eventually([&] { return folderWindow.load() != 0; });
    const uint32_t w = folderWindow.load();
    if (!w) return;
    const auto [x, y] = person->origin(w);
    // Rows: "..", "alpha", "beta": a double click opens "beta", then its
    // "inner" (second row) is chosen and confirmed.
    const int beta = y + 62 + 1 + 2 * row + row / 2;
    person->click(x + 60, beta);
    person->click(x + 60, beta);
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    person->click(x + 60, y + 62 + 1 + row + row / 2);
    person->click(x + 166 + 37, y + 262 + 11);  // OK
  });
  form->show(true);
  actor.join();
  std::filesystem::remove_all(dir);
  ASSERT_TRUE(chosen);
  EXPECT_EQ(*chosen, (dir / "beta" / "inner").string());
}

TEST_F(X11DisplayTest, TheInputBoxTakesTypedTextAndTheAboutChordOpensTheAboutBox) {
  attach();
  BStr typed = u"untouched";
  onFirstPaint([&] { typed = InputBox(Variant(u"Your name?"), Variant(u"Name"), Variant(u"x")); });
  std::string aboutTitle;
  act([&] {
    eventually([&] { return boxWindow.load() != 0; });
    if (!boxWindow.load()) return;
    person->type(u"Zoë");  // replaces the selected default text
    person->key(0xff0d);   // Enter
    eventually([&] { return boxWindow.load() == 0; });
    // Ctrl+Alt+Shift+A on the form: the About box, then FormKeyDown.
    person->key('a', {0xffe3, 0xffe9, 0xffe1});
    eventually([&] { return otherWindow.load() != 0; });
    if (const uint32_t about = otherWindow.load()) {
      aboutTitle = person->title(about);
      person->close(about);
    }
    eventually([&] { return otherWindow.load() == 0; });
    if (const uint32_t w = formWindow.load()) person->close(w);
  });
  form->show(true);
  actor.join();
  EXPECT_EQ(typed, u"Zoë");
  EXPECT_FALSE(aboutTitle.empty());
  bool chordSeen = false;
  for (const auto& e : events)
    if (e.name == u"FormKeyDown" && e.args[0] == Variant::i2(65)) chordSeen = e.args[1] == Variant::i2(7);
  EXPECT_TRUE(chordSeen);
}

TEST_F(X11DisplayTest, WithoutAWindowManagerTheShownWindowTakesTheFocusAndAResizeRaisesResize) {
  attach();
  form->show(false);
  const HWND h = form->hWnd();
  serveUntil([&] { return x11->viewable(h) && person->inputFocus() == x11->windowOf(h); });
  EXPECT_EQ(person->inputFocus(), x11->windowOf(h));
  events.clear();
  person->resize(x11->windowOf(h), 400, 300);
  serveUntil([&] { return form->scaleWidth() == 400 * 15; });
  EXPECT_EQ(form->scaleWidth(), 400 * 15);
  EXPECT_EQ(form->scaleHeight(), 300 * 15);
  EXPECT_NE(std::find(names().begin(), names().end(), u"FormResize"), names().end());
}

TEST_F(X11DisplayTest, ScreenMetricsComeFromTheRealScreen) {
  attach();
  EXPECT_EQ(screen().width(), 1024 * 15);
  EXPECT_EQ(screen().height(), 768 * 15);
  EXPECT_EQ(screen().twipsPerPixelX(), 15);
}

TEST_F(X11DisplayTest, AHighDpiScreenDrawsTheSameSceneScaled) {
  person->setRootResource("Xft.dpi:\t192\n");
  attach();
  EXPECT_EQ(x11->scale(), 2);
  EXPECT_EQ(screen().width(), 512 * 15);  // the runtime's pixels stay at 96 dpi
  CommandButton& ok = add<CommandButton>(u"Command", 240, 900, 1200, 375);
  ok.setCaption(u"OK");
  onEvent = [this](BStrView name) {
    if (name == u"CommandClick") form->hide();
  };
  int width = 0;
  act([&] {
    const uint32_t w = waitForFormWindow();
    if (!w) return;
    xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(person->connection(), xcb_get_geometry(person->connection(), w), nullptr);
    if (g) width = g->width;
    std::free(g);
    const auto [x, y] = person->origin(w);
    person->click(x + 2 * 56, y + 2 * 72);
  });
  form->show(true);
  actor.join();
  EXPECT_EQ(width, 2 * static_cast<int>(form->scaleWidth() / 15));
  EXPECT_NE(std::find(names().begin(), names().end(), u"CommandClick"), names().end());
}

TEST_F(X11DisplayTest, TheClipboardIsSharedWithOtherProgramsAsTextAndPng) {
  attach();
  OtherProgram other(xvfb.name());
  // Ours to theirs.
  clipboard().setText(u"héllo ж");
  RasterImage red(3, 2, 0xFFFF0000u);
  clipboard().setData(Picture::fromImage(red));
  std::optional<std::string> text, png;
  std::atomic<bool> done{false};
  act([&] {
    text = other.read(other.utf8());
    png = other.read(other.png());
    done = true;
  });
  serveUntil([&] { return done.load(); });
  actor.join();
  ASSERT_TRUE(text);
  EXPECT_EQ(*text, "h\xC3\xA9llo \xD0\xB6");
  ASSERT_TRUE(png);
  const auto decoded = decodeImage(std::span(reinterpret_cast<const uint8_t*>(png->data()), png->size()));
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->width, 3);
  EXPECT_EQ(decoded->at(1, 1) & 0xFFFFFF, 0xFF0000u);

  // Theirs to ours.
  RasterImage blue(2, 2, 0xFF0000FFu);
  const std::vector<uint8_t> bytes = encodePng(blue);
  other.own("from another program", std::string(bytes.begin(), bytes.end()));
  EXPECT_EQ(clipboard().getText(), u"from another program");
  EXPECT_TRUE(clipboard().getFormat(vbCFBitmap));
  const Picture p = clipboard().getData();
  ASSERT_FALSE(p.isNone());
  EXPECT_EQ(p.image().at(0, 0) & 0xFFFFFF, 0x0000FFu);
  other.stop();
}

TEST_F(X11DisplayTest, ClipboardTextLargerThanOneRequestTravelsInPiecesBothWays) {
  attach();
  OtherProgram other(xvfb.name());
  // A megabyte of text with two-byte characters, so that pieces split them.
  std::string big;
  for (int i = 0; big.size() < (size_t{1} << 20); ++i) big += i % 7 == 0 ? "\xD0\xB6" : std::string(1, char('a' + i % 26));
  clipboard().setText(utf16(big));
  std::optional<std::string> text, again;
  std::atomic<bool> done{false};
  act([&] {
    text = other.read(other.utf8());
    again = other.read(other.utf8());  // a second transfer after the first ended
    done = true;
  });
  serveUntil([&] { return done.load(); });
  actor.join();
  ASSERT_TRUE(text);
  EXPECT_TRUE(other.incremental);
  EXPECT_GT(other.pieces, 2);
  EXPECT_EQ(text->size(), big.size());
  EXPECT_TRUE(*text == big);
  ASSERT_TRUE(again);
  EXPECT_TRUE(*again == big);

  // Theirs to ours, in pieces of 64 KiB.
  std::string theirs(3 * 100000 + 17, 'x');
  for (size_t i = 0; i < theirs.size(); i += 1000) theirs[i] = char('0' + i % 10);
  other.own(theirs, "", 1 << 16);
  const BStr got = clipboard().getText();
  other.stop();
  EXPECT_EQ(got.size(), theirs.size());
  EXPECT_TRUE(got == utf16(theirs));
}

TEST_F(X11DisplayTest, AHostedControlTakesARealClickAndKeys) {
  attach();
  Variant progId(u"Sorvanelix.SampleControl"), visible(true), left(240), top(240), width(2400), height(400), n, d;
  std::vector<Variant> refs{Variant::byRef(progId), Variant::missing(), Variant::missing(), Variant::missing(),
                            Variant::byRef(visible), Variant::byRef(left), Variant::byRef(top), Variant::byRef(width),
                            Variant::byRef(height), Variant::missing(), Variant::byRef(n), Variant::byRef(d)};
  ASSERT_EQ(form->invoke(u"AddActiveXControlWithEvents", InvokeKind::Method, refs), Variant(1));
  auto& hosted = dynamic_cast<ControlExtender&>(*form->ActiveXWithEventsExtenders.at(0));
  int keys = 0;
  onEvent = [&](BStrView name) {
    if (name == u"ActiveXControlEvent" && events.back().args[2] == Variant(u"KeyPress") && ++keys == 2) form->hide();
  };
  act([this] {
    const uint32_t w = waitForFormWindow();
    if (!w) return;
    const auto [x, y] = person->origin(w);
    person->click(x + 96, y + 30);
    person->type(u"ok");
  });
  form->show(true);
  actor.join();
  EXPECT_EQ(hosted.invoke(u"Text", InvokeKind::PropertyGet, {}), Variant(u"ok"));
  std::vector<BStr> seen;
  for (const auto& e : events)
    if (e.name.starts_with(u"ActiveXControl"))
      seen.push_back(e.name + (e.args.size() == 3 ? u" " + toBStr(e.args[2]) : BStr()));
  EXPECT_EQ(seen, (std::vector<BStr>{u"ActiveXControlGotFocus", u"ActiveXControlEvent Click",
                                     u"ActiveXControlEvent KeyPress", u"ActiveXControlEvent KeyPress"}));
}

}  // namespace
}  // namespace svx::testing
