#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/desktop/win32.h"
#include "tests/platform/dialogs/services_fixture.h"

namespace svx::testing {
namespace {

// --- Colours ---------------------------------------------------------------

TEST_F(ServicesTest, QBColorGivesTheFixedTableAndRefusesOtherNumbers) {
  const int32_t table[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
                             0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  for (int32_t n = 0; n < 16; ++n) EXPECT_EQ(QBColor(n), table[n]) << n;
  for (int32_t bad : {-1, 16, 32767}) EXPECT_EQ(errorOf([&] { QBColor(bad); }), 5) << bad;
}

TEST_F(ServicesTest, RGBCombinesClampsAndRefusesNegatives) {
  EXPECT_EQ(RGB(255, 0, 0), 255);
  EXPECT_EQ(RGB(0, 0, 255), 255 * 65536);
  EXPECT_EQ(RGB(1, 2, 3), 0x030201);
  EXPECT_EQ(RGB(300, 256, 1000), 0xFFFFFF);
  EXPECT_EQ(errorOf([] { RGB(0, -1, 0); }), 5);
}

TEST_F(ServicesTest, OleTranslateColorEdges) {
  desktop().setSysColor(5, 0x123456);
  struct Case {
    uint32_t colour;
    HRESULT result;
    COLORREF out;
  };
  const Case cases[] = {
      {0x000000, S_OK, 0x000000},       {0xFFFFFF, S_OK, 0xFFFFFF},        {0x1000000, E_INVALIDARG, 0xDEAD},
      {0x80000005, S_OK, 0x123456},     {0x80000000, S_OK, GetSysColor(0)}, {0x8000001E, S_OK, GetSysColor(30)},
      {0x8000001F, E_INVALIDARG, 0xDEAD}, {0x80000105, E_INVALIDARG, 0xDEAD}, {0xFFFFFFFF, E_INVALIDARG, 0xDEAD},
      {0x81000005, E_INVALIDARG, 0xDEAD},
  };
  for (const Case& c : cases) {
    COLORREF out = 0xDEAD;
    EXPECT_EQ(OleTranslateColor(c.colour, 0, &out), c.result) << std::hex << c.colour;
    EXPECT_EQ(out, c.out) << std::hex << c.colour;
  }
  EXPECT_EQ(OleTranslateColor(0x80000005, 0, nullptr), S_OK);
}

// --- Screen ----------------------------------------------------------------

TEST_F(ServicesTest, ScreenSizeInTwipsFollowsThePixelsAndResolution) {
  EXPECT_EQ(screen().width(), 15360.0f);
  EXPECT_EQ(screen().height(), 11520.0f);
  EXPECT_EQ(screen().twipsPerPixelX(), 15.0f);
  screen().setPixelSize(800, 600);
  screen().setTwipsPerPixel(12, 12);
  EXPECT_EQ(screen().width(), 9600.0f);
  EXPECT_EQ(errorOf([] { screen().setPixelSize(0, 600); }), 380);
  EXPECT_EQ(screen().height(), 7200.0f);
}

TEST_F(ServicesTest, MousePointerTakesTheRuntimesNumbersOnly) {
  for (int32_t ok : {0, 1, 11, 15, 99}) {
    screen().setMousePointer(ok);
    EXPECT_EQ(screen().mousePointer(), ok);
  }
  for (int32_t bad : {-1, 16, 98, 100}) {
    EXPECT_EQ(errorOf([&] { screen().setMousePointer(bad); }), 380) << bad;
    EXPECT_EQ(screen().mousePointer(), 99);
  }
}

TEST_F(ServicesTest, ScreenObjectThroughDispatch) {
  Ref<Screen> s = screenObject();
  EXPECT_EQ(s.get(), &screen());
  std::vector<Variant> none;
  const Variant w = s->invoke(u"Width", InvokeKind::PropertyGet, none);
  EXPECT_EQ(w.vt(), VT_R4);
  EXPECT_EQ(w.asR4(), 15360.0f);
  std::vector<Variant> value{Variant(u"11")};
  s->invoke(u"MousePointer", InvokeKind::PropertyPut, value);
  const Variant p = s->invoke(u"mousepointer", InvokeKind::PropertyGet, none);
  EXPECT_EQ(p.vt(), VT_I2);
  EXPECT_EQ(p.asI2(), 11);
  std::vector<Variant> big{Variant(40000)};
  EXPECT_EQ(errorOf([&] { s->invoke(u"MousePointer", InvokeKind::PropertyPut, big); }), 6);
  std::vector<Variant> bad{Variant(17)};
  EXPECT_EQ(errorOf([&] { s->invoke(u"MousePointer", InvokeKind::PropertyPut, bad); }), 380);
  EXPECT_EQ(screen().mousePointer(), 11);
}

TEST_F(ServicesTest, MouseIconStartsEmptyAndAnAbsentIconEmptiesIt) {
  EXPECT_TRUE(screen().mouseIcon().isNone());
  const Picture icon = Picture::fromImage(RasterImage(2, 2, 0xFF00FF00));
  screen().setMouseIcon(icon);
  EXPECT_EQ(screen().mouseIcon(), icon);
  screen().setMouseIcon(std::nullopt);
  EXPECT_TRUE(screen().mouseIcon().isNone());
}

// --- Clipboard -------------------------------------------------------------

TEST_F(ServicesTest, ClipboardKeepsOneTextPerTextFormat) {
  Clipboard& c = clipboard();
  c.setText(u"plain");
  c.setText(u"{\\rtf1}", vbCFRTF);
  c.setText(u"app|topic", vbCFLink);
  EXPECT_EQ(c.getText(), u"plain");
  EXPECT_EQ(c.getText(vbCFText), u"plain");
  EXPECT_EQ(c.getText(vbCFRTF), u"{\\rtf1}");
  EXPECT_EQ(c.getText(-16640), u"app|topic");
  EXPECT_TRUE(c.getFormat(vbCFText));
  EXPECT_FALSE(c.getFormat(vbCFBitmap));
  c.clear();
  for (int32_t f : {vbCFText, vbCFLink, vbCFRTF}) {
    EXPECT_FALSE(c.getFormat(f));
    EXPECT_EQ(c.getText(f), u"");
  }
}

TEST_F(ServicesTest, ClipboardRefusesFormatsOfTheWrongKind) {
  Clipboard& c = clipboard();
  c.setText(u"keep");
  EXPECT_EQ(errorOf([&] { c.setText(u"x", vbCFBitmap); }), 5);
  EXPECT_EQ(errorOf([&] { c.getText(vbCFDIB); }), 5);
  EXPECT_EQ(errorOf([&] { c.getText(40000); }), 5);
  EXPECT_EQ(errorOf([&] { c.getFormat(7); }), 5);
  EXPECT_EQ(errorOf([&] { c.getData(vbCFText); }), 5);
  EXPECT_FALSE(c.getFormat(vbCFFiles));
  EXPECT_EQ(c.getText(), u"keep");
}

TEST_F(ServicesTest, ClipboardPicturesRoundTripInTheirFormat) {
  Clipboard& c = clipboard();
  EXPECT_TRUE(c.getData().isNone());
  const Picture pic = Picture::fromImage(RasterImage(3, 2, 0xFF112233));
  c.setText(u"text stays");
  c.setData(pic);
  EXPECT_TRUE(c.getFormat(vbCFBitmap));
  EXPECT_EQ(c.getData(), pic);
  EXPECT_EQ(c.getData(vbCFBitmap), pic);
  EXPECT_TRUE(c.getData(vbCFMetafile).isNone());
  c.setData(pic, vbCFDIB);
  EXPECT_FALSE(c.getFormat(vbCFBitmap));
  EXPECT_EQ(c.getData(vbCFDIB), pic);
  EXPECT_EQ(c.getText(), u"text stays");
  c.clear();
  EXPECT_TRUE(c.getData().isNone());
}

TEST_F(ServicesTest, ClipboardSetDataRefusesAnAbsentPictureAndBadFormats) {
  Clipboard& c = clipboard();
  const Picture pic = Picture::fromImage(RasterImage(1, 1));
  c.setData(pic, vbCFPalette);
  EXPECT_EQ(errorOf([&] { c.setData(std::nullopt); }), 5);
  EXPECT_EQ(errorOf([&] { c.setData(Picture()); }), 5);
  EXPECT_EQ(errorOf([&] { c.setData(pic, vbCFText); }), 5);
  EXPECT_EQ(errorOf([&] { c.setData(pic, 40000); }), 5);
  EXPECT_EQ(c.getData(vbCFPalette), pic);  // a refused call changes nothing
}

// --- App -------------------------------------------------------------------

TEST_F(ServicesTest, AppDefaultsAndRoundTrips) {
  App& a = app();
  EXPECT_EQ(a.oleRequestPendingTimeout(), 5000);
  EXPECT_EQ(a.oleServerBusyTimeout(), 10000);
  EXPECT_FALSE(a.oleServerBusyRaiseError());
  EXPECT_EQ(a.oleRequestPendingMsgText(), u"");
  EXPECT_EQ(a.logMode(), vbLogAuto);
  EXPECT_EQ(a.logPath(), u"");
  EXPECT_EQ(a.title(), u"Sorvanelix");
  EXPECT_EQ(a.versionMajor(), 1);
  EXPECT_EQ(a.versionMinor(), 0);
  EXPECT_EQ(a.versionRevision(), 0);
  EXPECT_EQ(a.threadId(), GetCurrentThreadId());
  EXPECT_EQ(a.exeName(), u"test_system");

  a.setOleRequestPendingMsgText(u"Waiting");
  a.setOleRequestPendingMsgTitle(u"Pending");
  a.setOleServerBusyMsgText(u"Busy");
  a.setOleServerBusyMsgTitle(u"Server");
  a.setOleServerBusyRaiseError(true);
  a.setOleRequestPendingTimeout(0);
  a.setOleServerBusyTimeout(250);
  EXPECT_EQ(a.oleRequestPendingMsgText(), u"Waiting");
  EXPECT_EQ(a.oleRequestPendingMsgTitle(), u"Pending");
  EXPECT_EQ(a.oleServerBusyMsgText(), u"Busy");
  EXPECT_EQ(a.oleServerBusyMsgTitle(), u"Server");
  EXPECT_TRUE(a.oleServerBusyRaiseError());
  EXPECT_EQ(a.oleRequestPendingTimeout(), 0);
  EXPECT_EQ(errorOf([&] { a.setOleServerBusyTimeout(-1); }), 380);
  EXPECT_EQ(a.oleServerBusyTimeout(), 250);
}

TEST_F(ServicesTest, LogEventWithAndWithoutTypeGoesToTheEventLog) {
  App& a = app();
  a.logEvent(u"started");
  a.logEvent(u"careful", Variant(vbLogEventTypeWarning));
  a.logEvent(u"broken", Variant(u"1"));
  EXPECT_EQ(errorOf([&] { a.logEvent(u"x", Variant(3)); }), 5);
  EXPECT_EQ(errorOf([&] { a.logEvent(u"x", Variant::null()); }), 94);
  const auto log = a.eventLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].eventType, vbLogEventTypeInformation);
  EXPECT_EQ(log[0].line, "Information: Sorvanelix: started");
  EXPECT_EQ(log[1].line, "Warning: Sorvanelix: careful");
  EXPECT_EQ(log[2].line, "Error: Sorvanelix: broken");
}

std::string readFile(const std::filesystem::path& p) {
  std::ifstream f(p);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

TEST_F(ServicesTest, StartLoggingToAFileAppendsOverwritesAndAddsThreadIds) {
  const auto dir = std::filesystem::temp_directory_path() / ("svx-services-" + std::to_string(GetCurrentProcessId()));
  std::filesystem::create_directories(dir);
  const auto file = dir / "app.log";
  { std::ofstream(file) << "old\n"; }
  App& a = app();
  a.startLogging(utf16(file.string()), vbLogToFile);
  EXPECT_EQ(a.logMode(), vbLogToFile);
  EXPECT_EQ(a.logPath(), utf16(file.string()));
  a.logEvent(u"one");
  EXPECT_EQ(readFile(file), "old\nInformation: Sorvanelix: one\n");

  a.startLogging(utf16(file.string()), vbLogAuto | vbLogOverwrite | vbLogThreadID);
  a.logEvent(u"two", Variant(vbLogEventTypeError));
  EXPECT_EQ(readFile(file), "Error: Sorvanelix: Thread ID " + std::to_string(GetCurrentThreadId()) + ": two\n");
  EXPECT_EQ(a.loggedEvents().back().destination, LogDestination::File);
  EXPECT_TRUE(a.eventLog().empty());

  a.startLogging(u"", vbLogOff);
  a.logEvent(u"lost on purpose");
  EXPECT_EQ(a.loggedEvents().size(), 2u);
  EXPECT_EQ(a.logPath(), u"");
  std::filesystem::remove_all(dir);
}

// The application log goes only to a regular file: a FIFO is refused at
// once, and a name with a NUL is a bad file name.
TEST_F(ServicesTest, StartLoggingTakesOnlyRegularFilesByTheirWholeName) {
  const auto dir = std::filesystem::temp_directory_path() / ("svx-services-fifo-" + std::to_string(GetCurrentProcessId()));
  std::filesystem::create_directories(dir);
  const auto fifo = dir / "app.log";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  App& a = app();
  ASSERT_EQ(errorOf([&] { a.startLogging(utf16(fifo.string()), vbLogToFile); }), 75);
  ::close(reader);
  EXPECT_EQ(errorOf([&] { a.startLogging(utf16(fifo.string()), vbLogToFile); }), 75);
  const BStr cut = utf16((dir / "x").string()) + BStr(1, u'\0') + u".log";
  EXPECT_EQ(errorOf([&] { a.startLogging(cut, vbLogToFile); }), 52);
  EXPECT_FALSE(std::filesystem::exists(dir / "x"));
  EXPECT_EQ(a.logPath(), u"");
  std::filesystem::remove_all(dir);
}

TEST_F(ServicesTest, StartLoggingRefusesBadModesAndUnusableTargets) {
  App& a = app();
  a.startLogging(u"", vbLogToNT);
  EXPECT_EQ(errorOf([&] { a.startLogging(u"", 4); }), 5);
  EXPECT_EQ(errorOf([&] { a.startLogging(u"", vbLogToNT | 64); }), 5);
  EXPECT_EQ(errorOf([&] { a.startLogging(u"", vbLogToFile); }), 5);
  EXPECT_EQ(errorOf([&] { a.startLogging(u"/nonexistent-dir/x/app.log", vbLogToFile); }), 75);
  EXPECT_EQ(a.logMode(), vbLogToNT);  // the settings stay
  a.logEvent(u"still logged");
  EXPECT_EQ(a.eventLog().size(), 1u);
}

TEST_F(ServicesTest, BeepIsCounted) {
  Beep();
  Beep();
  EXPECT_EQ(beepCount(), 2);
  resetServices();
  EXPECT_EQ(beepCount(), 0);
}

}  // namespace
}  // namespace svx::testing
