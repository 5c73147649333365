// The printer object's device settings on a fake scheduler that offers what
// a PostScript laser's queue does: what they start as, what each value
// does to the page and to the job, and what is refused.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>

#include "platform/automation/coerce.h"
#include "platform/automation/error.h"
#include "platform/print/printers.h"
#include "tests/support/error_of.h"
#include "tests/support/fake_print_destinations.h"
#include "tests/support/form_fixture.h"

namespace svx {
namespace {

// Hundredths of a millimetre to twips, as the scheduler's sizes come.
double tw(double mm100) { return std::round(mm100 * 1440.0 / 2540.0); }

PaperSize sized(const char16_t* name, double w, double h, double side = 635, double end = 1270) {
  return PaperSize{name, tw(w), tw(h), tw(side), tw(end), tw(side), tw(end)};
}

PrinterCapabilities laser() {
  PrinterCapabilities c;
  c.papers = {sized(u"na_letter_8.5x11in", 21590, 27940), sized(u"na_legal_8.5x14in", 21590, 35560),
              sized(u"iso_a4_210x297mm", 20990, 29704), sized(u"iso_a5_148x210mm", 14817, 20990)};
  c.paper = c.papers[2];
  c.sources = {"tray-1", "tray-2", "manual"};
  c.resolutions = {{300, 300}, {600, 600}, {1200, 1200}};
  c.resolution = {600, 600};
  c.qualities = {4};
  c.quality = 4;
  c.sides = {"one-sided", "two-sided-long-edge", "two-sided-short-edge"};
  c.side = "one-sided";
  c.colorModes = {"monochrome", "color"};
  c.colorMode = "color";
  return c;
}

class PrinterSettings : public testing::DialogFormTest {
 protected:
  void SetUp() override {
    DialogFormTest::SetUp();
    fake = std::make_shared<testing::FakePrintDestinations>();
    fake->destinations = {{u"Laser", true}, {u"Plain", false}};
    fake->offers[u"Laser"] = laser();
    setPrintDestinations(fake);
    printer = currentPrinter();
  }
  void TearDown() override {
    printer = nullptr;
    setPrintDestinations(nullptr);
    DialogFormTest::TearDown();
  }
  Variant get(const char16_t* property) { return printer->invoke(property, InvokeKind::PropertyGet, {}); }
  int32_t let(const char16_t* property, Variant value) {
    return testing::errorOf([&] { printer->invoke(property, InvokeKind::PropertyPut, {&value, 1}); });
  }
  // Ends a one-line document; the job the scheduler took.
  const PrintJob& printed() {
    printer->surface().Print(u"x", true);
    printer->EndDoc();
    return fake->jobs.back();
  }
  static std::string option(const PrintJob& job, const std::string& name) {
    for (const auto& [n, v] : job.options)
      if (n == name) return v;
    return "";
  }
  // The first page's size in points, from the PDF.
  static std::pair<double, double> mediaBox(const std::string& pdf) {
    std::smatch m;
    if (!std::regex_search(pdf, m, std::regex(R"(/MediaBox \[\s*0 0 ([\d.]+) ([\d.]+)\s*\])"))) return {};
    return {std::stod(m[1]), std::stod(m[2])};
  }

  std::shared_ptr<testing::FakePrintDestinations> fake;
  Ref<Printer> printer;
};

TEST_F(PrinterSettings, StartAsTheQueuesDefaultsAndGoWithTheJob) {
  EXPECT_EQ(get(u"Orientation"), Variant::i2(1));
  EXPECT_EQ(get(u"PaperSize"), Variant::i2(9));
  EXPECT_EQ(get(u"PrintQuality"), Variant::i2(600));
  EXPECT_EQ(get(u"TwipsPerPixelX"), Variant(2.4f));
  EXPECT_EQ(get(u"Duplex"), Variant::i2(1));
  EXPECT_EQ(get(u"ColorMode"), Variant::i2(2));
  EXPECT_EQ(get(u"PaperBin"), Variant::i2(1));
  EXPECT_EQ(toI4(get(u"Width")), tw(20990));
  EXPECT_NEAR(toR8(get(u"ScaleWidth")), tw(20990) - 2 * tw(635), 15);

  const PrintJob& job = printed();
  EXPECT_EQ(job.media, u"iso_a4_210x297mm");
  EXPECT_FALSE(job.collate) << "copies keep the queue's collation";
  EXPECT_EQ(option(job, "orientation-requested"), "3");
  EXPECT_EQ(option(job, "sides"), "one-sided");
  EXPECT_EQ(option(job, "print-color-mode"), "color");
  EXPECT_EQ(option(job, "printer-resolution"), "600dpi");
  const auto [w, h] = mediaBox(job.pdf);
  EXPECT_NEAR(w, 595, 1);
  EXPECT_NEAR(h, 842, 1);
  // No page is a transparency group: a filter that makes a form of it would
  // turn its text into a bitmap.
  EXPECT_EQ(job.pdf.find("/S /Transparency"), std::string::npos);
  EXPECT_NE(job.pdf.find("/Type /Page "), std::string::npos);
}

TEST_F(PrinterSettings, EachValueChangesThePageAndTheJob) {
  struct Case {
    const char16_t* property;
    int16_t value;
    const char* option;  // the job's option it sets
    const char* expected;
  };
  const Case cases[] = {
      {u"Orientation", 2, "orientation-requested", "4"},
      {u"Duplex", 2, "sides", "two-sided-long-edge"},
      {u"Duplex", 3, "sides", "two-sided-short-edge"},
      {u"ColorMode", 1, "print-color-mode", "monochrome"},
      {u"PaperBin", 2, "media-source", "tray-2"},
      {u"PaperBin", 4, "media-source", "manual"},
      {u"PrintQuality", 1200, "printer-resolution", "1200dpi"},
      {u"PrintQuality", -1, "printer-resolution", "300dpi"},  // draft: the lowest
      {u"PrintQuality", -4, "printer-resolution", "1200dpi"},
      {u"PrintQuality", -3, "print-quality", "4"},  // the quality the queue names
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(utf8(c.property) + " " + std::to_string(c.value));
    ASSERT_EQ(let(c.property, Variant::i2(c.value)), 0);
    EXPECT_EQ(get(c.property), Variant::i2(c.value));
    EXPECT_EQ(option(printed(), c.option), c.expected);
  }

  // Landscape A5: the sheet turns, the page with it.
  ASSERT_EQ(let(u"PaperSize", Variant::i2(11)), 0);
  EXPECT_EQ(get(u"Orientation"), Variant::i2(2));
  EXPECT_EQ(toI4(get(u"Width")), tw(20990));
  EXPECT_EQ(toI4(get(u"Height")), tw(14817));
  EXPECT_NEAR(toR8(get(u"ScaleWidth")), tw(20990) - 2 * tw(1270), 15);
  EXPECT_NEAR(toR8(get(u"ScaleHeight")), tw(14817) - 2 * tw(635), 15);
  const PrintJob& job = printed();
  EXPECT_EQ(job.media, u"iso_a5_148x210mm");
  const auto [w, h] = mediaBox(job.pdf);
  EXPECT_NEAR(w, 595, 1);
  EXPECT_NEAR(h, 420, 1);

  // Setting the sheet's height picks the queue's paper of that height, the
  // nearest in width.
  ASSERT_EQ(let(u"Orientation", Variant::i2(1)), 0);
  ASSERT_EQ(let(u"Height", Variant(static_cast<int32_t>(tw(35560)))), 0);
  EXPECT_EQ(get(u"PaperSize"), Variant::i2(5));
  EXPECT_EQ(get(u"TwipsPerPixelY"), Variant(2.4f));  // normal quality, last chosen: 600 dpi
}

TEST_F(PrinterSettings, WhatTheQueueDoesNotOfferIsRefusedAndChangesNothing) {
  const std::pair<const char16_t*, int32_t> refused[] = {
      {u"Orientation", 0}, {u"Orientation", 3},   {u"PaperSize", 8},    {u"PaperSize", 2},  {u"PaperSize", 256},
      {u"PrintQuality", 0}, {u"PrintQuality", -5}, {u"PrintQuality", 72}, {u"Duplex", 0},   {u"Duplex", 4},
      {u"ColorMode", 3},   {u"PaperBin", 7},      {u"PaperBin", 5},     {u"PaperBin", 259}, {u"Width", 100000},
      {u"Height", 0},
  };
  for (const auto& [property, value] : refused) {
    SCOPED_TRACE(utf8(property) + " " + std::to_string(value));
    const Variant before = get(property), width = get(u"Width"), height = get(u"Height");
    EXPECT_EQ(let(property, Variant(value)), err::InvalidPropertyValue);
    EXPECT_EQ(get(property), before);
    EXPECT_EQ(get(u"Width"), width);
    EXPECT_EQ(get(u"Height"), height);
  }

  // A queue that says nothing takes only what it is.
  Variant plain(u"Plain"), n, d;
  call(u"SetPrinterObject", {&plain, &n, &d});
  printer = currentPrinter();
  EXPECT_EQ(let(u"Duplex", Variant::i2(1)), 0);
  EXPECT_EQ(let(u"Duplex", Variant::i2(2)), err::InvalidPropertyValue);
  EXPECT_EQ(get(u"ColorMode"), Variant::i2(1));
  EXPECT_EQ(let(u"ColorMode", Variant::i2(2)), err::InvalidPropertyValue);
  EXPECT_EQ(get(u"PaperBin"), Variant::i2(7));
  EXPECT_EQ(let(u"PaperBin", Variant::i2(1)), err::InvalidPropertyValue);
  EXPECT_EQ(let(u"PaperSize", Variant::i2(1)), err::InvalidPropertyValue);
  EXPECT_EQ(let(u"Orientation", Variant::i2(2)), 0);  // the page is turned here
  const PrintJob& job = printed();
  ASSERT_EQ(job.options.size(), 1u);
  EXPECT_EQ(option(job, "orientation-requested"), "4");
}

TEST_F(PrinterSettings, WithinADocumentNothingChanges) {
  printer->surface().Print(u"open", true);
  const std::pair<const char16_t*, int16_t> changes[] = {{u"Orientation", 2}, {u"PaperSize", 5}, {u"Duplex", 2},
                                                         {u"ColorMode", 1},   {u"PaperBin", 2},  {u"PrintQuality", 300}};
  for (const auto& [property, other] : changes) {
    SCOPED_TRACE(utf8(property));
    const Variant before = get(property);
    EXPECT_EQ(let(property, Variant::i2(other)), Printer::kSetWithinDocument);
    EXPECT_EQ(get(property), before);
    EXPECT_EQ(let(property, before), 0);  // the same value: nothing to change
  }
  printer->KillDoc();
  EXPECT_EQ(let(u"Orientation", Variant::i2(2)), 0);
}

TEST_F(PrinterSettings, ASizeOfItsOwnWhereTheQueueTakesOne) {
  PrinterCapabilities c = laser();
  c.customRange = {PaperSize{u"", tw(7620), tw(12700)}, PaperSize{u"", tw(21590), tw(35560)}};
  fake->offers[u"Laser"] = c;
  setPrintDestinations(fake);
  printer = currentPrinter();
  ASSERT_EQ(let(u"Height", Variant(7200)), 0);  // 5 in.
  EXPECT_EQ(get(u"PaperSize"), Variant::i2(Printer::kUserPaper));
  EXPECT_EQ(get(u"Height"), Variant(7200));
  EXPECT_EQ(let(u"Height", Variant(1000)), err::InvalidPropertyValue);  // below the range
  const PrintJob& job = printed();
  EXPECT_EQ(job.media, u"custom_209.90x127.00mm_209.90x127.00mm");
  const auto [w, h] = mediaBox(job.pdf);
  EXPECT_NEAR(h, 360, 1);
}

}  // namespace
}  // namespace svx
