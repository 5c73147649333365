// Printing on queues with real drivers on a private scheduler: the cups-pdf
// driver (its PPD, whose default paper is A4) and a PostScript laser of the
// test's own PPD (Letter, Legal, A4 and A5 with margins, duplex, trays,
// resolutions, colour), both on the test's backend, so every job's output
// (PostScript from the drivers' filters) lands in the test's folder. Each
// output is turned into PDF and checked for its page size, its text and its
// ink.
#include <gtest/gtest.h>

#include <cups/cups.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>

#include "platform/automation/coerce.h"
#include "platform/automation/error.h"
#include "platform/print/printers.h"
#include "tests/support/error_of.h"
#include "tests/support/form_fixture.h"
#include "tests/support/private_scheduler.h"
#include "tests/support/test_folder.h"

namespace svx {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::HomeWithPrintOptions;
using testing::PrivateScheduler;
using testing::readFile;
using testing::run;

const char* const kCupsPdfPpd = "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd";

// A PostScript laser: four sizes with margins of 1/4 in. left and right and
// 1/2 in. top and bottom, duplex, three trays, three resolutions, colour.
const char* const kLaserPpd = R"PPD(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "SVXLASER.PPD"
*Manufacturer: "Sorvanelix"
*Product: "(Test Laser)"
*ModelName: "Sorvanelix Test Laser"
*ShortNickName: "Sorvanelix Test Laser"
*NickName: "Sorvanelix Test Laser PS"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: True
*DefaultColorSpace: CMYK
*FileSystem: False
*Throughput: "20"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*OpenUI *PageSize/Page Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: Letter
*PageSize Letter/Letter: "<</PageSize[612 792]/ImagingBBox null>>setpagedevice"
*PageSize Legal/Legal: "<</PageSize[612 1008]/ImagingBBox null>>setpagedevice"
*PageSize A4/A4: "<</PageSize[595 842]/ImagingBBox null>>setpagedevice"
*PageSize A5/A5: "<</PageSize[420 595]/ImagingBBox null>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: Letter
*PageRegion Letter/Letter: "<</PageSize[612 792]/ImagingBBox null>>setpagedevice"
*PageRegion Legal/Legal: "<</PageSize[612 1008]/ImagingBBox null>>setpagedevice"
*PageRegion A4/A4: "<</PageSize[595 842]/ImagingBBox null>>setpagedevice"
*PageRegion A5/A5: "<</PageSize[420 595]/ImagingBBox null>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: Letter
*ImageableArea Letter/Letter: "18 36 594 756"
*ImageableArea Legal/Legal: "18 36 594 972"
*ImageableArea A4/A4: "18 36 577 806"
*ImageableArea A5/A5: "18 36 402 559"
*DefaultPaperDimension: Letter
*PaperDimension Letter/Letter: "612 792"
*PaperDimension Legal/Legal: "612 1008"
*PaperDimension A4/A4: "595 842"
*PaperDimension A5/A5: "420 595"
*OpenUI *Duplex/Two-Sided: PickOne
*OrderDependency: 20 AnySetup *Duplex
*DefaultDuplex: None
*Duplex None/Off: "<</Duplex false>>setpagedevice"
*Duplex DuplexNoTumble/Long Edge: "<</Duplex true/Tumble false>>setpagedevice"
*Duplex DuplexTumble/Short Edge: "<</Duplex true/Tumble true>>setpagedevice"
*CloseUI: *Duplex
*OpenUI *InputSlot/Paper Source: PickOne
*OrderDependency: 20 AnySetup *InputSlot
*DefaultInputSlot: Tray1
*InputSlot Tray1/Tray 1: "<</MediaPosition 0>>setpagedevice"
*InputSlot Tray2/Tray 2: "<</MediaPosition 1>>setpagedevice"
*InputSlot Manual/Manual Feed: "<</ManualFeed true>>setpagedevice"
*CloseUI: *InputSlot
*OpenUI *Resolution/Resolution: PickOne
*OrderDependency: 20 AnySetup *Resolution
*DefaultResolution: 600dpi
*Resolution 300dpi/300 dpi: "<</HWResolution[300 300]>>setpagedevice"
*Resolution 600dpi/600 dpi: "<</HWResolution[600 600]>>setpagedevice"
*Resolution 1200dpi/1200 dpi: "<</HWResolution[1200 1200]>>setpagedevice"
*CloseUI: *Resolution
*OpenUI *ColorModel/Color Mode: PickOne
*OrderDependency: 20 AnySetup *ColorModel
*DefaultColorModel: CMYK
*ColorModel Gray/Grayscale: "<</ProcessColorModel /DeviceGray>>setpagedevice"
*ColorModel CMYK/Color: "<</ProcessColorModel /DeviceCMYK>>setpagedevice"
*CloseUI: *ColorModel
*DefaultFont: Courier
*Font Courier: Standard "(002.004S)" Standard ROM
*Font Helvetica: Standard "(001.006S)" Standard ROM
)PPD";

// What a job came to: the page as pdfinfo tells it, its text, the options
// the backend was given.
struct Output {
  double width = 0, height = 0;  // points, as the page shows (rotation applied)
  std::string text, options, info;
  int ink = 0;  // pixels darker than light grey at 72 dpi
};

class RealDrivers : public testing::DialogFormTest {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "the scheduler runs the test's backend only when started as root";
    for (const char* f : {testing::kCupsd, "/usr/sbin/lpadmin", "/usr/sbin/cupsdisable", "/usr/bin/pdftotext",
                          "/usr/bin/pdfinfo", "/usr/bin/pdftoppm", "/usr/bin/ps2pdf", kCupsPdfPpd})
      if (!fs::exists(f)) GTEST_SKIP() << f << " is not installed (scripts/setup.sh installs it)";
    DialogFormTest::SetUp();
    const fs::path& dir = folder.path();
    scheduler = std::make_unique<PrivateScheduler>(dir);
    ASSERT_TRUE(scheduler->running()) << scheduler->logs();
    server = scheduler->socket().string();
    setenv("CUPS_SERVER", server.c_str(), 1);
    cupsSetServer(server.c_str());
    std::ofstream(dir / "laser.ppd") << kLaserPpd;
    admin({"-p", "svx-pdf", "-E", "-v", "svxfile:/", "-P", kCupsPdfPpd});
    admin({"-p", "svx-laser", "-E", "-v", "svxfile:/", "-P", (dir / "laser.ppd").string(), "-o", "PageSize=A4",
           "-L", "Room 12", "-D", "The laser by the door"});
    admin({"-d", "svx-pdf"});
    setPrintDestinations(makeCupsDestinations());
  }
  void TearDown() override {
    setPrintDestinations(nullptr);
    printer = nullptr;
    scheduler.reset();
    if (form) DialogFormTest::TearDown();
  }

  void admin(std::vector<std::string> args) {
    args.insert(args.begin(), {"/usr/sbin/lpadmin", "-h", server});
    const fs::path log = folder.path() / "log/lpadmin.out";
    ASSERT_EQ(run(args, log), 0) << readFile(log);
  }

  // Makes `name` the current printer and holds its object.
  void choose(const char16_t* name) {
    Variant device{BStr(name)}, n, d;
    call(u"SetPrinterObject", {&device, &n, &d});
    ASSERT_EQ(n, Variant::i2(0)) << utf8(toBStr(d));
    Variant n2, d2;
    const Variant object = call(u"PrinterObject", {&n2, &d2});
    ASSERT_TRUE(object.isObject()) << utf8(toBStr(d2));
    printer = object.asObject();
  }
  Variant get(const char16_t* property) { return printer->invoke(property, InvokeKind::PropertyGet, {}); }
  // The error a property assignment raised, 0 for none.
  int32_t let(const char16_t* property, Variant value) {
    return testing::errorOf([&] { printer->invoke(property, InvokeKind::PropertyPut, {&value, 1}); });
  }
  void method(const char16_t* name, std::vector<Variant> args = {}) { printer->invoke(name, InvokeKind::Method, args); }

  // Prints two lines and a box, ends the document, and reads what the
  // queue's driver made of it.
  Output printAndRead(const std::string& words) {
    const fs::path& dir = folder.path();
    const fs::path out = dir / "page.pdf";
    fs::remove(out);
    method(u"Print", {Variant(BStr(utf16(words)))});
    method(u"Line", {Variant(0), Variant(0), Variant(1440), Variant(1440), Variant::missing(), Variant(u"B")});
    method(u"Print", {Variant(u"second line")});
    method(u"EndDoc");
    for (int i = 0; i < 300 && !fs::exists(out); ++i) std::this_thread::sleep_for(100ms);
    Output o;
    if (!fs::exists(out)) {
      ADD_FAILURE() << "no output\n" << scheduler->logs();
      return o;
    }
    o.options = readFile(dir / "page.options");
    const fs::path pdf = dir / "page.converted.pdf";
    EXPECT_EQ(run({"/usr/bin/ps2pdf", out.string(), pdf.string()}, dir / "log/ps2pdf.out"), 0)
        << readFile(dir / "log/ps2pdf.out");
    EXPECT_EQ(run({"/usr/bin/pdfinfo", pdf.string()}, dir / "log/pdfinfo.out"), 0);
    o.info = readFile(dir / "log/pdfinfo.out");
    fs::remove(dir / "log/pdfinfo.out");
    std::smatch m;
    if (std::regex_search(o.info, m, std::regex(R"(Page size:\s+([\d.]+) x ([\d.]+))"))) {
      o.width = std::stod(m[1]);
      o.height = std::stod(m[2]);
    }
    if (std::regex_search(o.info, m, std::regex(R"(Page rot:\s+(\d+))")) && (m[1] == "90" || m[1] == "270"))
      std::swap(o.width, o.height);
    run({"/usr/bin/pdftotext", pdf.string(), (dir / "page.txt").string()}, dir / "log/pdftotext.out");
    o.text = readFile(dir / "page.txt");
    EXPECT_NE(o.text.find(words), std::string::npos) << o.text;
    EXPECT_NE(o.text.find("second line"), std::string::npos) << o.text;
    // The page as a grey image: the dark pixels are the ink.
    run({"/usr/bin/pdftoppm", "-gray", "-r", "72", "-singlefile", pdf.string(), (dir / "page").string()},
        dir / "log/pdftoppm.out");
    const std::string image = readFile(dir / "page.pgm");
    if (std::regex_search(image, m, std::regex(R"(^P5\s+(\d+)\s+(\d+)\s+255\s)"))) {
      const size_t pixels = std::stoul(m[1]) * std::stoul(m[2]);
      for (size_t i = image.size() - std::min(image.size(), pixels); i < image.size(); ++i)
        o.ink += static_cast<unsigned char>(image[i]) < 220;
    }
    return o;
  }

  testing::TestFolder folder{"svx-drivers"};
  std::unique_ptr<PrivateScheduler> scheduler;
  std::string server;
  ObjectRef printer;
};

TEST_F(RealDrivers, TheQueuesListWithTheirStateTypeLocationAndComment) {
  std::vector<PrintDestination> all = installedPrinters();
  auto find = [&](const char16_t* name) {
    const auto it = std::ranges::find_if(all, [&](const PrintDestination& d) { return d.name == name; });
    return it == all.end() ? PrintDestination{} : *it;
  };
  const PrintDestination laser = find(u"svx-laser");
  EXPECT_EQ(laser.state, QueueState::Idle);
  EXPECT_EQ(laser.makeAndModel, u"Sorvanelix Test Laser PS");
  EXPECT_EQ(laser.location, u"Room 12");
  EXPECT_EQ(laser.comment, u"The laser by the door");
  EXPECT_TRUE(find(u"svx-pdf").isDefault);

  const fs::path log = folder.path() / "log/cupsdisable.out";
  ASSERT_EQ(run({"/usr/sbin/cupsdisable", "-h", server, "-r", "Paper jam in tray 2", "svx-laser"}, log), 0)
      << readFile(log);
  all = installedPrinters();
  EXPECT_EQ(find(u"svx-laser").state, QueueState::Stopped);
  EXPECT_EQ(find(u"svx-laser").stateMessage, u"Paper jam in tray 2");
  EXPECT_EQ(find(u"svx-pdf").stateMessage, u"");

  // Each stopped queue with its own words.
  ASSERT_EQ(run({"/usr/sbin/cupsdisable", "-h", server, "-r", "Out of toner", "svx-pdf"}, log), 0) << readFile(log);
  all = installedPrinters();
  EXPECT_EQ(find(u"svx-laser").stateMessage, u"Paper jam in tray 2");
  EXPECT_EQ(find(u"svx-pdf").state, QueueState::Stopped);
  EXPECT_EQ(find(u"svx-pdf").stateMessage, u"Out of toner");
}

TEST_F(RealDrivers, AQueueWhoseDefaultIsA4PrintsOnA4InsideTheDriversMargins) {
  // cups-pdf: A4 by its PPD, no margins.
  choose(u"svx-pdf");
  EXPECT_EQ(get(u"PaperSize"), Variant::i2(9));
  EXPECT_NEAR(toR8(get(u"Width")), 11906, 30);
  EXPECT_NEAR(toR8(get(u"Height")), 16838, 30);
  Output o = printAndRead("cups-pdf on A4");
  EXPECT_NEAR(o.width, 595, 2) << o.info;
  EXPECT_NEAR(o.height, 842, 2) << o.info;
  EXPECT_GT(o.ink, 30);

  // The laser set to A4 by lpadmin: its imageable area is the printer's scale.
  choose(u"svx-laser");
  EXPECT_EQ(get(u"PaperSize"), Variant::i2(9));
  EXPECT_NEAR(toR8(get(u"ScaleWidth")), (577 - 18) * 20, 40);
  EXPECT_NEAR(toR8(get(u"ScaleHeight")), (806 - 36) * 20, 40);
  o = printAndRead("laser on A4");
  EXPECT_NEAR(o.width, 595, 2) << o.info;
  EXPECT_NEAR(o.height, 842, 2) << o.info;
  EXPECT_GT(o.ink, 30);
  EXPECT_NE(o.options.find("PageSize=A4"), std::string::npos) << o.options;

  // A queue without a driver has the paper it is told, and nothing else.
  admin({"-p", "svx-raw", "-E", "-v", "svxfile:/", "-o", "media-default=na_letter_8.5x11in"});
  choose(u"svx-raw");
  EXPECT_EQ(get(u"PaperSize"), Variant::i2(1));
  EXPECT_EQ(get(u"Width"), Variant(12240));
  EXPECT_EQ(let(u"PaperSize", Variant::i2(9)), err::InvalidPropertyValue);
}

TEST_F(RealDrivers, DeviceSettingsChangeTheLayoutAndReachTheJob) {
  choose(u"svx-laser");
  EXPECT_EQ(get(u"Orientation"), Variant::i2(1));
  EXPECT_EQ(get(u"PrintQuality"), Variant::i2(600));
  EXPECT_EQ(get(u"TwipsPerPixelX"), Variant(2.4f));
  EXPECT_EQ(get(u"Duplex"), Variant::i2(1));
  EXPECT_EQ(get(u"ColorMode"), Variant::i2(2));
  EXPECT_EQ(get(u"PaperBin"), Variant::i2(1));  // tray-1, the first

  // A5 landscape, long-edge duplex, greyscale, manual feed, 300 dpi.
  EXPECT_EQ(let(u"PaperSize", Variant::i2(11)), 0);
  EXPECT_EQ(let(u"Orientation", Variant::i2(2)), 0);
  EXPECT_NEAR(toR8(get(u"Width")), 595 * 20, 30);
  EXPECT_NEAR(toR8(get(u"Height")), 420 * 20, 30);
  EXPECT_NEAR(toR8(get(u"ScaleWidth")), (559 - 36) * 20, 40);
  EXPECT_EQ(let(u"Duplex", Variant::i2(2)), 0);
  EXPECT_EQ(let(u"ColorMode", Variant::i2(1)), 0);
  EXPECT_EQ(let(u"PaperBin", Variant::i2(4)), 0);
  EXPECT_EQ(let(u"PrintQuality", Variant::i2(300)), 0);
  EXPECT_EQ(get(u"TwipsPerPixelY"), Variant(4.8f));

  // What the queue does not offer changes nothing.
  const Variant width = get(u"Width");
  for (auto [property, value] : std::vector<std::pair<const char16_t*, int16_t>>{
           {u"PaperSize", 8}, {u"PaperSize", 777}, {u"Orientation", 3}, {u"PrintQuality", 450},
           {u"PrintQuality", -7}, {u"Duplex", 4}, {u"ColorMode", 0}, {u"PaperBin", 5}}) {
    SCOPED_TRACE(utf8(property) + " " + std::to_string(value));
    const Variant before = get(property);
    EXPECT_EQ(let(property, Variant::i2(value)), err::InvalidPropertyValue);
    EXPECT_EQ(get(property), before);
  }
  EXPECT_EQ(get(u"Width"), width);

  // An A5 sheet, the page on it turned: shown as landscape.
  const Output o = printAndRead("landscape A5");
  EXPECT_NEAR(o.width, 595, 2) << o.info;
  EXPECT_NEAR(o.height, 420, 2) << o.info;
  EXPECT_NE(o.info.find("420 x 595"), std::string::npos) << o.info;
  EXPECT_GT(o.ink, 30);
  for (const char* option : {"PageSize=A5", "orientation-requested=4", "Duplex=DuplexNoTumble", "ColorModel=Gray",
                             "InputSlot=Manual", "Resolution=300dpi"})
    EXPECT_NE(o.options.find(option), std::string::npos) << option << " in " << o.options;

  // Within a document nothing changes; after it, everything may.
  method(u"Print", {Variant(u"open")});
  EXPECT_EQ(let(u"Orientation", Variant::i2(1)), Printer::kSetWithinDocument);
  EXPECT_EQ(let(u"PaperSize", Variant::i2(9)), Printer::kSetWithinDocument);
  EXPECT_EQ(get(u"Orientation"), Variant::i2(2));
  EXPECT_EQ(let(u"Orientation", Variant::i2(2)), 0);  // unchanged: allowed
  method(u"KillDoc");
  EXPECT_EQ(let(u"Orientation", Variant::i2(1)), 0);

  // A queue without duplex refuses it.
  choose(u"svx-pdf");
  EXPECT_EQ(let(u"Duplex", Variant::i2(2)), err::InvalidPropertyValue);
  EXPECT_EQ(let(u"PaperSize", Variant::i2(5)), 0);  // Legal
  EXPECT_NEAR(toR8(get(u"Height")), 1008 * 20, 30);
}

TEST_F(RealDrivers, CopiesGoWithTheQueuesCollationAndAnInstancesOptionsApply) {
  choose(u"svx-laser");
  EXPECT_EQ(let(u"Copies", Variant::i2(2)), 0);
  Output o = printAndRead("two copies");
  EXPECT_EQ(o.options.find("collate=false"), std::string::npos) << o.options;
  EXPECT_EQ(o.options.find("Collate=False"), std::string::npos) << o.options;

  // An instance saved in the home folder's lpoptions.
  {
    const HomeWithPrintOptions home(folder.path() / "home",
                                    "Dest svx-laser/land orientation-requested=4 media=A5 sides=two-sided-short-edge\n");
    choose(u"svx-laser/land");
    EXPECT_EQ(get(u"Orientation"), Variant::i2(2));
    EXPECT_EQ(get(u"PaperSize"), Variant::i2(11));
    EXPECT_EQ(get(u"Duplex"), Variant::i2(3));
    o = printAndRead("instance");
  }
  EXPECT_NEAR(o.width, 595, 2) << o.info;
  EXPECT_NEAR(o.height, 420, 2) << o.info;
  EXPECT_NE(o.options.find("orientation-requested=4"), std::string::npos) << o.options;
  EXPECT_NE(o.options.find("Duplex=DuplexTumble"), std::string::npos) << o.options;
}

}  // namespace
}  // namespace svx

#include "platform/dialogs/print_dialog.h"
#include "tests/support/fake_print_destinations.h"

namespace svx {
namespace {

// The copies and collation chosen in the print dialog go with the device
// context it returns.
using PrintDialogDevice = testing::DialogFormTest;

TEST_F(PrintDialogDevice, ThePrintDialogsCollationGoesWithTheDeviceItReturns) {
  printDialogs().reset();
  auto fake = std::make_shared<testing::FakePrintDestinations>();
  fake->destinations = {{u"Office", true}};
  setPrintDestinations(fake);
  PrintDialogAnswer r;
  r.ok = true;
  r.copies = 3;
  r.collate = true;
  printDialogs().queue(r);
  PRINTDLGA pd;
  pd.lStructSize = kPrintDlgSize;
  pd.Flags = PD_RETURNDC;
  pd.nMinPage = 1;
  pd.nMaxPage = 0xFFFF;
  ASSERT_EQ(PrintDlgA(&pd), 1);
  const std::optional<DEVMODEA> mode = printerModeOfDC(pd.hDC);
  ASSERT_TRUE(mode);
  EXPECT_EQ(mode->dmCopies, 3);
  EXPECT_EQ(mode->dmCollate, 1);
  EXPECT_EQ(printerDeviceOfDC(pd.hDC), u"Office");
  EXPECT_FALSE(printerModeOfDC(pd.hDC + 1000));
  printDialogs().reset();
  setPrintDestinations(nullptr);
}

}  // namespace
}  // namespace svx
