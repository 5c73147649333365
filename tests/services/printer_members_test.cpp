// The printer members of DialogForm on a fake print scheduler: the installed
// printers, the current printer, drawing, tabbed text and the documents that
// reach the scheduler.
#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "platform/automation/safearray.h"
#include "platform/graphics/image_codec.h"
#include "platform/print/printers.h"
#include "services/printer_members.h"
#include "tests/support/error_of.h"
#include "tests/support/fake_print_destinations.h"
#include "tests/support/form_fixture.h"

namespace svx {
namespace {

using testing::FakePrintDestinations;
using testing::pdfPageCount;

SafeArray table(int32_t lb1, int32_t rows, int32_t lb2, int32_t cols) {
  return SafeArray(VT_VARIANT, {ArrayBound{lb1, rows}, ArrayBound{lb2, cols}});
}

// Rows 1..n of (column, text) pairs.
Variant tabbed(std::initializer_list<std::pair<int, const char16_t*>> rows) {
  SafeArray a = table(1, static_cast<int32_t>(rows.size()), 1, 2);
  int32_t i = 1;
  for (const auto& [column, text] : rows) {
    a.set(i, 1, Variant(column));
    a.set(i, 2, Variant(BStr(text)));
    ++i;
  }
  return Variant(std::move(a));
}

class PrinterMembers : public testing::DialogFormTest {
 protected:
  void SetUp() override {
    DialogFormTest::SetUp();
    fake = std::make_shared<FakePrintDestinations>();
    fake->destinations = {{u"Office", false}, {u"office", true}, {u"Office ", false}};
    setPrintDestinations(fake);
  }
  void TearDown() override {
    setPrintDestinations(nullptr);
    DialogFormTest::TearDown();
  }

  Variant member(BStrView name, std::vector<Variant*> args) {
    args.push_back(&errNumber);
    args.push_back(&errDescription);
    return call(name, args);
  }
  void expectSuccess() {
    EXPECT_EQ(errNumber.vt(), VT_I2);
    EXPECT_EQ(errNumber, Variant::i2(0)) << utf8(toBStr(errDescription));
    EXPECT_EQ(errDescription, Variant(BStr()));
  }
  void expectOwn(int16_t number, BStrView text) {
    EXPECT_EQ(errNumber.vt(), VT_I2);
    EXPECT_EQ(errNumber, Variant::i2(number));
    EXPECT_EQ(toBStr(errDescription), BStr(text));
  }
  void expectRuntime(int32_t number) {
    EXPECT_EQ(errNumber.vt(), VT_I4);
    EXPECT_EQ(errNumber, Variant(number));
  }
  Variant printTabbed(Variant array, Variant flag = Variant::missing()) {
    return member(u"PrinterPrintTabbedText", {&array, flag.isMissing() ? nullptr : &flag});
  }
  DrawSurface& page() { return currentPrinter()->surface(); }

  std::shared_ptr<FakePrintDestinations> fake;
  Variant errNumber = Variant(99);
  Variant errDescription = Variant(u"x");
  Variant colour = Variant(0x00C000);
};

TEST_F(PrinterMembers, ListHoldsEveryDeviceNameFromOneInOrder) {
  const Variant list = member(u"ListOfInstalledPrinters", {});
  expectSuccess();
  ASSERT_TRUE(list.isArray());
  const SafeArray& a = *list.asArray();
  EXPECT_EQ(list.vt(), VT_ARRAY | VT_VARIANT);
  EXPECT_EQ(a.lbound(), 1);
  EXPECT_EQ(a.ubound(), 3);
  EXPECT_EQ(a.get(1), Variant(u"Office"));
  EXPECT_EQ(a.get(2), Variant(u"office"));
  EXPECT_EQ(a.get(3), Variant(u"Office "));
}

TEST_F(PrinterMembers, NoPrinterOrNoSchedulerIsAnEmptyListWithSuccess) {
  for (bool down : {false, true}) {
    fake->destinations = down ? fake->destinations : std::vector<PrintDestination>{};
    fake->down = down;
    errNumber = Variant(99);
    EXPECT_TRUE(member(u"ListOfInstalledPrinters", {}).isEmpty());
    expectSuccess();
  }
}

TEST_F(PrinterMembers, CurrentPrinterStartsAsTheDefaultAndIsFoundByItsExactName) {
  Variant object = member(u"PrinterObject", {});
  expectSuccess();
  ASSERT_TRUE(object.isObject());
  EXPECT_EQ(object.asObject()->invoke(u"DeviceName", InvokeKind::PropertyGet, {}), Variant(u"office"));

  Variant name(u"Office ");
  member(u"SetPrinterObject", {&name});
  expectSuccess();
  EXPECT_EQ(currentPrinter()->deviceName(), u"Office ");
  // The replaced printer had its TrackDefault setting cleared first.
  EXPECT_FALSE(refCast<Printer>(object.asObject())->trackDefault());
  EXPECT_EQ(member(u"PrinterObject", {}).asObject()->invoke(u"DeviceName", InvokeKind::PropertyGet, {}),
            Variant(u"Office "));
}

TEST_F(PrinterMembers, NamesDifferingInCaseOrBlanksAreNotFound) {
  for (const char16_t* wanted : {u"OFFICE", u"Office  ", u" office", u""}) {
    Variant name{BStr(wanted)};
    member(u"SetPrinterObject", {&name});
    expectOwn(kErrPrinterNotFound, u"No printer having the '" + BStr(wanted) + u"' device name has been found!");
    EXPECT_EQ(currentPrinter()->deviceName(), u"office");
  }
}

TEST_F(PrinterMembers, TheFirstOfTwoPrintersSharingANameBecomesCurrent) {
  fake->destinations = {{u"Twin", true}, {u"Twin", false}};
  fake->papers[u"Twin"] = letterPaper();
  Variant name(u"Twin");
  member(u"SetPrinterObject", {&name});
  expectSuccess();
  EXPECT_EQ(currentPrinter()->paper(), letterPaper());
}

TEST_F(PrinterMembers, WithoutPrintersTheMembersNeedingOneReportTheLayersError) {
  fake->destinations.clear();
  EXPECT_TRUE(member(u"PrinterObject", {}).isObject());  // Nothing
  expectRuntime(kNoPrinterError);
  Variant text(u"x");
  member(u"PrinterPrintText", {&text});
  expectRuntime(kNoPrinterError);
  printTabbed(tabbed({{5, u"A"}}));
  expectRuntime(kNoPrinterError);
  // The picture check comes first.
  Variant number(3), x(0), y(0);
  member(u"PrinterPaintPicture", {&number, &x, &y, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr});
  expectOwn(-300, u"The actual value for the byteStdPictureArray parameter is not an array of bytes!");
  // Then the picture: its own error before the printer's.
  const std::pair<Variant, int32_t> pictures[] = {
      {Variant(SafeArray::bytes(std::vector<uint8_t>{1, 2, 3})), err::InvalidPicture},
      {Variant(SafeArray::variants({Variant(u"x")})), err::TypeMismatch},
      {Variant(SafeArray(VT_UI1, {{0, 0}})), err::SubscriptOutOfRange},
      {Variant(SafeArray::bytes(encodePng(RasterImage(2, 2)))), kNoPrinterError},
  };
  for (auto [bytes, error] : pictures) {
    member(u"PrinterPaintPicture", {&bytes, &x, &y, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr});
    expectRuntime(error);
  }
}

TEST_F(PrinterMembers, TabbedTextChecksTheArrayBeforePrinting) {
  struct Case {
    const char* what;
    Variant array;
    int32_t number;
    bool own;
  };
  SafeArray oneDimension = SafeArray::vector(VT_VARIANT, 1, 2);
  const Case cases[] = {
      {"not an array", Variant(u"text"), kErrTabbedNotArray, true},
      {"no rows", Variant(table(1, 0, 1, 2)), kErrTabbedFirstDimension, true},
      {"one dimension", Variant(oneDimension), err::SubscriptOutOfRange, false},
      {"no columns", Variant(table(1, 2, 1, 0)), kErrTabbedSecondDimension, true},
      {"three columns", Variant(table(1, 2, 1, 3)), kErrTabbedNotTwoColumns, true},
      {"columns 0 to 1", Variant(table(1, 2, 0, 2)), err::SubscriptOutOfRange, false},
      {"no array behind the type", Variant::arrayTypeWithoutArray(VT_VARIANT), err::SubscriptOutOfRange, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    errNumber = Variant(99);
    printTabbed(c.array);
    if (c.own) EXPECT_EQ(errNumber, Variant::i2(static_cast<int16_t>(c.number)));
    else expectRuntime(c.number);
    EXPECT_FALSE(toBStr(errDescription).empty());
    EXPECT_FALSE(currentPrinter()->documentOpen()) << "nothing printed";
  }
  printTabbed(Variant(u"text"));
  EXPECT_EQ(toBStr(errDescription), u"The actual value for the varTabbedInfoArray parameter is not an array!");
}

TEST_F(PrinterMembers, TabbedRowsShareALineAndEndItUnlessSuppressed) {
  const double column = fontCharWidth(page().font()) * 15;  // twips per print column
  printTabbed(tabbed({{5, u"A"}, {20, u"B"}, {40, u"C"}}));
  expectSuccess();
  EXPECT_EQ(page().currentX(), 0);
  const double line = page().currentY();
  EXPECT_GT(line, 0);

  printTabbed(tabbed({{5, u"A"}, {20, u"B"}, {40, u"C"}}), Variant(true));
  expectSuccess();
  EXPECT_DOUBLE_EQ(page().currentY(), line);
  EXPECT_NEAR(page().currentX(), 39 * column + page().TextWidth(u"C"), 1);

  // A column left of the print position starts a new line there.
  printTabbed(tabbed({{3, u"D"}}), Variant(false));
  EXPECT_DOUBLE_EQ(page().currentY(), 3 * line);
  EXPECT_EQ(page().currentX(), 0);
}

// Rows at the very top of the index range: the last row is the last one
// printed, and the call succeeds.
TEST_F(PrinterMembers, RowsEndingAtTheHighestIndexArePrintedOnce) {
  constexpr int32_t top = std::numeric_limits<int32_t>::max();
  SafeArray a = table(top - 1, 2, 1, 2);
  a.set(top - 1, 1, Variant(5));
  a.set(top - 1, 2, Variant(u"A"));
  a.set(top, 1, Variant(20));
  a.set(top, 2, Variant(u"B"));
  printTabbed(Variant(std::move(a)));
  expectSuccess();
  EXPECT_EQ(page().currentX(), 0);  // the last row ended the line
  EXPECT_GT(page().currentY(), 0);
}

TEST_F(PrinterMembers, AFlagThatDoesNotConvertStopsBeforeTheLastRow) {
  printTabbed(tabbed({{5, u"A"}, {20, u"B"}}), Variant(u"maybe"));
  expectRuntime(err::TypeMismatch);
  // The first row was printed, without a line end.
  EXPECT_TRUE(currentPrinter()->documentOpen());
  EXPECT_EQ(page().currentY(), 0);
  EXPECT_NEAR(page().currentX(), 4 * fontCharWidth(page().font()) * 15 + page().TextWidth(u"A"), 1);
}

TEST_F(PrinterMembers, EndDocSendsOneJobAndKillDocSendsNothing) {
  Variant text(u"first page");
  member(u"PrinterPrintText", {&text});
  Ref<Printer> printer = currentPrinter();
  printer->NewPage();
  member(u"PrinterPrintText", {&text});
  Variant x1(100), y1(100), x2(2000), y2(900), colour(0xFF);
  member(u"PrinterLineAbsolute", {&x1, &y1, &x2, &y2, &colour, nullptr, nullptr});
  expectSuccess();
  printer->setCopies(2);
  printer->invoke(u"EndDoc", InvokeKind::Method, {});
  ASSERT_EQ(fake->jobs.size(), 1u);
  EXPECT_EQ(fake->jobs[0].destination, u"office");
  EXPECT_EQ(fake->jobs[0].copies, 2);
  EXPECT_EQ(fake->jobs[0].pdf.rfind("%PDF", 0), 0u);
  EXPECT_EQ(pdfPageCount(fake->jobs[0].pdf), 2);
  EXPECT_FALSE(printer->documentOpen());

  member(u"PrinterPrintText", {&text});
  printer->invoke(u"KillDoc", InvokeKind::Method, {});
  printer->EndDoc();
  EXPECT_EQ(fake->jobs.size(), 1u);
}

TEST_F(PrinterMembers, ADocumentLeftOpenIsSentWhenItsPrinterGoes) {
  Variant text(u"x"), name(u"Office");
  member(u"PrinterPrintText", {&text});
  member(u"SetPrinterObject", {&name});  // replaces "office"
  ASSERT_EQ(fake->jobs.size(), 1u);
  EXPECT_EQ(fake->jobs[0].destination, u"office");
  member(u"PrinterPrintText", {&text});
  releaseCurrentPrinter();
  ASSERT_EQ(fake->jobs.size(), 2u);
  EXPECT_EQ(fake->jobs[1].destination, u"Office");
  // The next printer is the default one again.
  EXPECT_EQ(currentPrinter()->deviceName(), u"office");
}

TEST_F(PrinterMembers, ARefusedJobIsReportedAndDiscarded) {
  Variant text(u"x");
  member(u"PrinterPrintText", {&text});
  fake->refuseJobs = true;
  Ref<Printer> printer = currentPrinter();
  EXPECT_EQ(testing::errorOf([&] { printer->EndDoc(); }), err::PrinterError);
  EXPECT_FALSE(printer->documentOpen());
  fake->refuseJobs = false;
  printer->EndDoc();
  EXPECT_TRUE(fake->jobs.empty());
}

TEST_F(PrinterMembers, TextRunsOnToANewPageAtTheBottom) {
  Ref<Printer> printer = currentPrinter();
  const double height = printer->surface().scaleHeight();
  Variant text(u"line");
  while (printer->pageNumber() == 1) member(u"PrinterPrintText", {&text});
  expectSuccess();
  EXPECT_LT(printer->surface().currentY(), height / 2);
  printer->EndDoc();
  ASSERT_EQ(fake->jobs.size(), 1u);
  EXPECT_EQ(pdfPageCount(fake->jobs[0].pdf), 2);
}

TEST_F(PrinterMembers, TextWithNulsAndOtherScriptsPrints) {
  Variant text(BStr(u"a\0b \u00e9\u4e2d\U0001F600", 9));
  member(u"PrinterPrintText", {&text});
  expectSuccess();
  currentPrinter()->EndDoc();
  EXPECT_EQ(fake->jobs.size(), 1u);
}

TEST_F(PrinterMembers, EveryDrawingReachesThePage) {
  // A 4 x 2 picture: red, half-transparent green, blue, transparent.
  RasterImage image(4, 2, 0xFFFF0000);
  image.at(1, 0) = 0x80008000;
  image.at(2, 0) = 0xFF0000FF;
  image.at(3, 1) = 0;
  const std::vector<uint8_t> png = encodePng(image);
  Variant bytes(SafeArray::bytes(png));
  Variant x1(100), y1(100), w(1200), h(-600);
  member(u"PrinterPaintPicture", {&bytes, &x1, &y1, &w, &h, nullptr, nullptr, nullptr, nullptr, nullptr});
  expectSuccess();

  Ref<Printer> printer = currentPrinter();
  DrawSurface& s = printer->surface();
  s.setFillStyle(vbDiagonalCross);
  s.setFillColor(0xFF);
  s.setDrawWidth(3);
  Variant cx(3000), cy(3000), r(800), start(-1.0), end(-2.5);
  member(u"PrinterCircleAbsolute", {&cx, &cy, &r, nullptr, nullptr, nullptr, nullptr});
  member(u"PrinterCircleAbsolute", {&cx, &cy, &r, &colour, &start, &end, nullptr});
  s.setDrawMode(vbInvert);
  Variant bx1(500), by1(5000), bx2(2500), by2(6000), box(false);
  member(u"PrinterLineAbsolute", {&bx1, &by1, &bx2, &by2, &colour, &box, &box});
  s.setDrawMode(vbNop);
  member(u"PrinterPSetAbsolute", {&cx, &by2, nullptr});
  s.setDrawMode(vbCopyPen);
  s.setDrawStyle(vbDot);
  s.setDrawWidth(1);
  member(u"PrinterLineAbsolute", {&bx1, &by1, &bx2, &by2, nullptr, nullptr, nullptr});
  member(u"PrinterPSetAbsolute", {&bx1, &bx2, &colour});
  expectSuccess();
  EXPECT_EQ(s.Point(100, 100), -1);  // a page has no pixels to read
  // The printer object's own PaintPicture takes the bytes of an image file.
  std::vector<Variant> paint{bytes, Variant(4000), Variant(100)};
  printer->invoke(u"PaintPicture", InvokeKind::Method, paint);
  std::vector<Variant> notBytes{Variant(u"picture"), Variant(0), Variant(0)};
  EXPECT_EQ(testing::errorOf([&] { printer->invoke(u"PaintPicture", InvokeKind::Method, notBytes); }),
            err::TypeMismatch);

  printer->EndDoc();
  ASSERT_EQ(fake->jobs.size(), 1u);
  EXPECT_NE(fake->jobs[0].pdf.find("/Subtype /Image"), std::string::npos);
  EXPECT_EQ(pdfPageCount(fake->jobs[0].pdf), 1);
}

TEST_F(PrinterMembers, ThePrintableAreaComesFromThePaper) {
  fake->papers[u"office"] = PaperSize{u"Letter", 12240, 15840, 360, 360, 360, 360};
  Ref<Printer> printer = currentPrinter();
  EXPECT_EQ(printer->invoke(u"Width", InvokeKind::PropertyGet, {}), Variant(12240));
  EXPECT_NEAR(printer->surface().scaleWidth(), 12240 - 720, 15);
  EXPECT_NEAR(printer->surface().scaleHeight(), 15840 - 720, 15);
}

}  // namespace
}  // namespace svx
