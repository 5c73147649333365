#include "platform/print/printer.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>
#include <string>

#include "platform/automation/coerce.h"
#include "platform/automation/error.h"
#include "platform/automation/safearray.h"
#include "platform/graphics/picture.h"
#include "platform/graphics/units.h"
#include "platform/system/app.h"

namespace svx {

namespace {

constexpr double kPointsPerTwip = 1.0 / 20;
constexpr double kPointsPerPixel = 72.0 / PixelsPerInch;

// The platform's paper sizes, upright, in millimetres.
struct PaperNumber {
  int16_t number;
  double width, height;
};
constexpr PaperNumber kPapers[] = {
    {1, 215.9, 279.4},  {3, 279.4, 431.8},  {5, 215.9, 355.6}, {6, 139.7, 215.9},  {7, 184.15, 266.7},
    {8, 297, 420},      {9, 210, 297},      {11, 148, 210},    {12, 257, 364},     {13, 182, 257},
    {14, 215.9, 330.2}, {15, 215, 275},     {16, 254, 355.6},  {19, 98.4, 225.4},  {20, 104.8, 241.3},
    {21, 114.3, 263.5}, {22, 120.65, 279.4}, {23, 127, 292.1}, {27, 110, 220},     {28, 162, 229},
    {29, 324, 458},     {30, 229, 324},     {31, 114, 162},    {33, 250, 353},     {34, 176, 250},
    {37, 98.425, 190.5}, {66, 420, 594},
};

constexpr double kTwipsPerMm = 1440 / 25.4;
// Sizes within a millimetre are one size.
constexpr double kSameSize = kTwipsPerMm;

bool sameSize(double w1, double h1, double w2, double h2) {
  return std::abs(w1 - w2) <= kSameSize && std::abs(h1 - h2) <= kSameSize;
}

// The platform's trays by the scheduler's media-source keywords.
int16_t binOfSource(std::string_view source) {
  static constexpr std::pair<std::string_view, int16_t> kBins[] = {
      {"auto", 7},          {"main", 1},   {"top", 1},      {"tray-1", 1},         {"bottom", 2},
      {"tray-2", 2},        {"alternate", 2}, {"middle", 3}, {"tray-3", 3},        {"manual", 4},
      {"by-pass-tray", 4},  {"envelope", 5}, {"large-capacity", 11}, {"disc", 14},
  };
  for (const auto& [name, bin] : kBins)
    if (name == source) return bin;
  return 0;
}

int printablePixels(double extent, double before, double after) {
  return std::max(1, static_cast<int>(std::lround(twipsToPixels(extent - before - after))));
}

// Blanks each page's transparency group out of a PDF that cairo wrote, the
// bytes keeping their places (the cross-reference table stays true). The
// pages draw nothing that needs one, but the scheduler's filters turn a
// page into a form, and a form with a transparency group into a bitmap for
// a PostScript printer: its text would no longer be text.
void withoutPageGroups(std::string& pdf) {
  static constexpr std::string_view kPage = "<< /Type /Page ", kGroup = "/Group <<";
  for (size_t at = pdf.find(kPage); at != std::string::npos; at = pdf.find(kPage, at + 1)) {
    const size_t end = pdf.find("endobj", at);
    const size_t group = pdf.find(kGroup, at);
    if (group == std::string::npos || group > end) continue;
    const size_t close = pdf.find(">>", group + kGroup.size());
    if (close == std::string::npos || close > end) continue;
    for (size_t i = group; i < close + 2; ++i)
      if (pdf[i] != '\n') pdf[i] = ' ';
  }
}

cairo_status_t appendTo(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

// A PDF being written into memory; the context's units are the surface's
// pixels, its origin the printable area's top-left corner.
struct Printer::Document {
  std::string bytes;
  cairo_surface_t* surface = nullptr;
  cairo_t* cr = nullptr;

  explicit Document(const PaperSize& paper) {
    surface = cairo_pdf_surface_create_for_stream(appendTo, &bytes, paper.width * kPointsPerTwip,
                                                  paper.height * kPointsPerTwip);
    cr = cairo_create(surface);
    if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
      release();
      raise(err::PrinterError);
    }
    cairo_scale(cr, kPointsPerPixel, kPointsPerPixel);
    cairo_translate(cr, twipsToPixels(paper.left), twipsToPixels(paper.top));
    cairo_rectangle(cr, 0, 0, twipsToPixels(paper.width - paper.left - paper.right),
                    twipsToPixels(paper.height - paper.top - paper.bottom));
    cairo_clip(cr);
  }
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;
  ~Document() { release(); }

  // Writes the last page and the document's trailer into `bytes`.
  void finish() {
    cairo_destroy(cr);
    cr = nullptr;
    cairo_surface_finish(surface);
    const cairo_status_t status = cairo_surface_status(surface);
    cairo_surface_destroy(surface);
    surface = nullptr;
    if (status != CAIRO_STATUS_SUCCESS) raise(err::PrinterError);
    withoutPageGroups(bytes);
  }

  void release() {
    if (cr) cairo_destroy(cr);
    if (surface) cairo_surface_destroy(surface);
    cr = nullptr;
    surface = nullptr;
  }
};

Printer::Printer(PrintDestination destination, PrinterCapabilities capabilities,
                 std::shared_ptr<PrintDestinations> destinations)
    : destination_(std::move(destination)),
      caps_(std::move(capabilities)),
      paper_(caps_.paper),
      layout_(caps_.paper),
      landscape_(caps_.landscape),
      side_(caps_.side),
      colorMode_(caps_.colorMode),
      source_(caps_.source),
      destinations_(std::move(destinations)),
      surface_(*this, 1, 1),
      copies_(std::max<int16_t>(1, caps_.copies)) {
  if (caps_.resolution.x > 0) quality_ = static_cast<int16_t>(caps_.resolution.x);
  else if (caps_.quality == 3) quality_ = -1;
  else if (caps_.quality == 5) quality_ = -4;
  layOut();
  surface_.setFont(Font{u"Arial", 10});
}

void Printer::layOut() {
  const PaperSize& p = paper_;
  layout_ = landscape_ ? PaperSize{p.name, p.height, p.width, p.top, p.right, p.bottom, p.left} : p;
  surface_.resize(printablePixels(layout_.width, layout_.left, layout_.right),
                  printablePixels(layout_.height, layout_.top, layout_.bottom));
}

void Printer::changing(const char16_t* property) const {
  if (doc_)
    raise(kSetWithinDocument, u"'" + BStr(property) +
                                  u"' cannot be set within a document: set it before the first drawing, or after "
                                  u"EndDoc or KillDoc.");
}

void Printer::setOrientation(int16_t value) {
  if (value != 1 && value != 2) raise(err::InvalidPropertyValue);
  if (value == orientation()) return;
  changing(u"Orientation");
  landscape_ = value == 2;
  layOut();
}

int16_t Printer::paperSize() const {
  for (const PaperNumber& n : kPapers)
    if (sameSize(paper_.width, paper_.height, n.width * kTwipsPerMm, n.height * kTwipsPerMm)) return n.number;
  return kUserPaper;
}

void Printer::choosePaper(PaperSize paper) {
  if (paper == paper_) return;
  paper_ = std::move(paper);
  layOut();
}

void Printer::setPaperSize(int16_t value) {
  if (value == paperSize()) return;
  if (value == kUserPaper) {
    // The present size becomes one of the printer's own.
    if (!caps_.customRange) raise(err::InvalidPropertyValue);
    changing(u"PaperSize");
    return setSize(paper_.width, paper_.height, true);
  }
  const auto n = std::ranges::find_if(kPapers, [&](const PaperNumber& p) { return p.number == value; });
  if (n == std::end(kPapers)) raise(err::InvalidPropertyValue);
  const auto offered = std::ranges::find_if(caps_.papers, [&](const PaperSize& p) {
    return sameSize(p.width, p.height, n->width * kTwipsPerMm, n->height * kTwipsPerMm);
  });
  if (offered == caps_.papers.end()) raise(err::InvalidPropertyValue);
  changing(u"PaperSize");
  choosePaper(*offered);
}

void Printer::setSize(double width, double height, bool keepWidth) {
  // Upright: the sheet's width and height as the paper's.
  const auto offered = std::ranges::find_if(
      caps_.papers, [&](const PaperSize& p) { return sameSize(p.width, p.height, width, height); });
  if (offered != caps_.papers.end()) return choosePaper(*offered);
  const auto& range = caps_.customRange;
  if (range && width >= range->first.width - 1 && height >= range->first.height - 1 &&
      width <= range->second.width + 1 && height <= range->second.height + 1) {
    char name[64];
    std::snprintf(name, sizeof name, "custom_%.2fx%.2fmm_%.2fx%.2fmm", width / kTwipsPerMm, height / kTwipsPerMm,
                  width / kTwipsPerMm, height / kTwipsPerMm);
    return choosePaper(PaperSize{utf16(name), std::round(width), std::round(height), 0, 0, 0, 0});
  }
  // The destination's paper of the size set, the nearest in the other one.
  const PaperSize* nearest = nullptr;
  auto apart = [&](const PaperSize& p) { return keepWidth ? std::abs(p.height - height) : std::abs(p.width - width); };
  for (const PaperSize& p : caps_.papers)
    if (std::abs(keepWidth ? p.width - width : p.height - height) <= kSameSize && (!nearest || apart(p) < apart(*nearest)))
      nearest = &p;
  if (!nearest) raise(err::InvalidPropertyValue);
  choosePaper(*nearest);
}

void Printer::setWidth(double twips) {
  if (!(twips > 0)) raise(err::InvalidPropertyValue);
  if (std::abs(twips - layout_.width) < 0.5) return;
  changing(u"Width");
  if (landscape_) setSize(paper_.width, twips, false);
  else setSize(twips, paper_.height, true);
}

void Printer::setHeight(double twips) {
  if (!(twips > 0)) raise(err::InvalidPropertyValue);
  if (std::abs(twips - layout_.height) < 0.5) return;
  changing(u"Height");
  if (landscape_) setSize(twips, paper_.height, true);
  else setSize(paper_.width, twips, false);
}

namespace {

// print-quality of the platform's draft .. high.
int32_t ippQuality(int16_t quality) { return quality >= -2 ? 3 : quality == -3 ? 4 : 5; }

}  // namespace

PrintResolution Printer::resolution() const {
  const auto& all = caps_.resolutions;
  if (quality_ > 0) {
    const auto it = std::ranges::find_if(all, [&](const PrintResolution& r) { return r.x == quality_; });
    return it != all.end() ? *it : PrintResolution{quality_, quality_};
  }
  if (all.empty()) return caps_.resolution;
  // A quality the destination names is its own; else the lowest resolution
  // is draft, the highest high.
  if (std::ranges::find(caps_.qualities, ippQuality(quality_)) != caps_.qualities.end()) return caps_.resolution;
  const auto [lo, hi] = std::ranges::minmax_element(all, {}, &PrintResolution::x);
  if (quality_ >= -2) return *lo;
  if (quality_ == -4) return *hi;
  return caps_.resolution.x > 0 ? caps_.resolution : *lo;
}

void Printer::setPrintQuality(int16_t value) {
  if (value == quality_) return;
  if (value > 0) {
    if (std::ranges::find(caps_.resolutions, value, &PrintResolution::x) == caps_.resolutions.end())
      raise(err::InvalidPropertyValue);
  } else if (value < -4 || value == 0) {
    raise(err::InvalidPropertyValue);
  } else if (std::ranges::find(caps_.qualities, ippQuality(value)) == caps_.qualities.end() &&
             caps_.resolutions.empty()) {
    raise(err::InvalidPropertyValue);
  }
  changing(u"PrintQuality");
  quality_ = value;
}

double Printer::twipsPerPixelX() const {
  const PrintResolution r = resolution();
  return r.x > 0 ? 1440.0 / r.x : TwipsPerPixel;
}

double Printer::twipsPerPixelY() const {
  const PrintResolution r = resolution();
  return r.y > 0 ? 1440.0 / r.y : TwipsPerPixel;
}

namespace {

constexpr std::pair<int16_t, std::string_view> kSides[] = {
    {1, "one-sided"}, {2, "two-sided-long-edge"}, {3, "two-sided-short-edge"}};
constexpr std::pair<int16_t, std::string_view> kColours[] = {{1, "monochrome"}, {2, "color"}};

template <size_t N>
std::string keywordOf(const std::pair<int16_t, std::string_view> (&table)[N], int16_t value) {
  for (const auto& [n, k] : table)
    if (n == value) return std::string(k);
  raise(err::InvalidPropertyValue);
}

bool offers(const std::vector<std::string>& list, const std::string& keyword) {
  return std::ranges::find(list, keyword) != list.end();
}

}  // namespace

int16_t Printer::duplex() const {
  for (const auto& [n, k] : kSides)
    if (k == side_) return n;
  return 1;
}

void Printer::setDuplex(int16_t value) {
  const std::string keyword = keywordOf(kSides, value);
  if (value == duplex()) return;
  if (!offers(caps_.sides, keyword)) raise(err::InvalidPropertyValue);
  changing(u"Duplex");
  side_ = keyword;
}

int16_t Printer::colorMode() const {
  if (colorMode_ == "monochrome") return 1;
  if (colorMode_.empty()) return offers(caps_.colorModes, "color") ? 2 : 1;
  return 2;
}

void Printer::setColorMode(int16_t value) {
  const std::string keyword = keywordOf(kColours, value);
  if (value == colorMode()) return;
  if (!offers(caps_.colorModes, keyword)) raise(err::InvalidPropertyValue);
  changing(u"ColorMode");
  colorMode_ = keyword;
}

namespace {

// The bin number of each of the destination's sources: the platform's own
// number for a source that has one (the first source of that number), else
// 256 onwards, in the destination's order.
std::vector<int16_t> binsOf(const std::vector<std::string>& sources) {
  std::vector<int16_t> bins;
  for (size_t i = 0; i < sources.size(); ++i) {
    const int16_t own = binOfSource(sources[i]);
    const bool taken = own != 0 && std::ranges::find(bins, own) != bins.end();
    bins.push_back(own != 0 && !taken ? own : static_cast<int16_t>(256 + i));
  }
  return bins;
}

}  // namespace

int16_t Printer::paperBin() const {
  const std::vector<int16_t> bins = binsOf(caps_.sources);
  for (size_t i = 0; i < bins.size(); ++i)
    if (caps_.sources[i] == source_) return bins[i];
  return source_.empty() && !caps_.sources.empty() ? bins.front() : 7;  // DMBIN_AUTO
}

void Printer::setPaperBin(int16_t value) {
  if (value == paperBin()) return;
  const std::vector<int16_t> bins = binsOf(caps_.sources);
  const auto it = std::ranges::find(bins, value);
  if (it == bins.end()) raise(err::InvalidPropertyValue);
  changing(u"PaperBin");
  source_ = caps_.sources[static_cast<size_t>(it - bins.begin())];
}

std::vector<std::pair<std::string, std::string>> Printer::jobOptions() const {
  std::vector<std::pair<std::string, std::string>> out;
  out.emplace_back("orientation-requested", landscape_ ? "4" : "3");
  if (!caps_.sides.empty() && !side_.empty()) out.emplace_back("sides", side_);
  if (!caps_.colorModes.empty() && !colorMode_.empty()) out.emplace_back("print-color-mode", colorMode_);
  if (!source_.empty()) out.emplace_back("media-source", source_);
  if (quality_ < 0 && std::ranges::find(caps_.qualities, ippQuality(quality_)) != caps_.qualities.end())
    out.emplace_back("print-quality", std::to_string(ippQuality(quality_)));
  if (!caps_.resolutions.empty())
    if (const PrintResolution r = resolution(); r.x > 0)
      out.emplace_back("printer-resolution",
                       r.x == r.y ? std::to_string(r.x) + "dpi" : std::to_string(r.x) + "x" + std::to_string(r.y) + "dpi");
  return out;
}

Printer::~Printer() = default;

void Printer::terminate() {
  ignoreErrors([&] { EndDoc(); });
  doc_.reset();
}

void Printer::setCopies(int16_t copies) {
  if (copies < 1) raise(err::InvalidPropertyValue);
  copies_ = copies;
}

cairo_t* Printer::page() {
  if (!doc_) doc_ = std::make_unique<Document>(layout_);
  return doc_->cr;
}

void Printer::newPage() {
  cairo_show_page(page());
  ++pageNumber_;
}

void Printer::resetPosition() {
  surface_.setCurrentX(0);
  surface_.setCurrentY(0);
}

void Printer::NewPage() {
  newPage();
  resetPosition();
}

void Printer::EndDoc() {
  if (!doc_) return;
  std::unique_ptr<Document> doc = std::move(doc_);
  pageNumber_ = 1;
  resetPosition();
  doc->finish();
  PrintJob job;
  job.destination = destination_.name;
  job.title = app().title().empty() ? BStr(u"Document") : app().title();
  job.pdf = std::move(doc->bytes);
  job.copies = copies_;
  job.media = paper_.name;
  job.options = jobOptions();
  destinations_->submit(job);
}

void Printer::KillDoc() {
  doc_.reset();
  pageNumber_ = 1;
  resetPosition();
}

Variant Printer::invoke(int32_t dispid, InvokeKind kind, std::span<Variant> args) {
  if (dispid == kTrackDefaultDispid) dispid = info().dispidOf(u"TrackDefault");
  return Object::invoke(dispid, kind, args);
}

namespace {

Printer& self(Object& o) { return static_cast<Printer&>(o); }
DrawSurface& surf(Object& o) { return self(o).surface(); }

// A read-only property.
void getter(ClassInfo& c, BStr name, Variant (*get)(Printer&)) {
  c.member(std::move(name), InvokeKind::PropertyGet, {}, [get](Object& o, const Args&) { return get(self(o)); });
}

// A read-write property.
void property(ClassInfo& c, BStr name, Variant (*get)(Printer&), void (*let)(Printer&, const Variant&)) {
  getter(c, name, get);
  c.member(std::move(name), InvokeKind::PropertyPut, {in(u"value")}, [let](Object& o, const Args& a) {
    let(self(o), a[0]);
    return Variant();
  });
}

std::optional<double> optR8(const Variant& v) {
  if (v.isMissing()) return std::nullopt;
  return toR8(v);
}

std::optional<OleColor> optColour(const Variant& v) {
  if (v.isMissing()) return std::nullopt;
  return static_cast<OleColor>(toI4(v));
}

void setFontWith(Printer& p, void (*change)(Font&, const Variant&), const Variant& v) {
  Font f = p.surface().font();
  change(f, v);
  p.surface().setFont(std::move(f));
}

}  // namespace

const ClassInfo& Printer::info() {
  static const ClassInfo ci = [] {
    ClassInfo c(u"Printer");
    property(
        c, u"TrackDefault", [](Printer& p) { return Variant(p.trackDefault()); },
        [](Printer& p, const Variant& v) { p.setTrackDefault(toBool(v)); });
    getter(c, u"DeviceName", [](Printer& p) { return Variant(p.deviceName()); });
    getter(c, u"DriverName", [](Printer&) { return Variant(BStr(u"CUPS")); });
    getter(c, u"Port", [](Printer& p) { return Variant(p.deviceName()); });
    getter(c, u"PaperName", [](Printer& p) { return Variant(p.paper().name); });
    property(
        c, u"Width", [](Printer& p) { return Variant(static_cast<int32_t>(std::lround(p.paper().width))); },
        [](Printer& p, const Variant& v) { p.setWidth(toR8(v)); });
    property(
        c, u"Height", [](Printer& p) { return Variant(static_cast<int32_t>(std::lround(p.paper().height))); },
        [](Printer& p, const Variant& v) { p.setHeight(toR8(v)); });
    getter(c, u"TwipsPerPixelX", [](Printer& p) { return Variant(static_cast<float>(p.twipsPerPixelX())); });
    getter(c, u"TwipsPerPixelY", [](Printer& p) { return Variant(static_cast<float>(p.twipsPerPixelY())); });
    property(
        c, u"Orientation", [](Printer& p) { return Variant::i2(p.orientation()); },
        [](Printer& p, const Variant& v) { p.setOrientation(toI2(v)); });
    property(
        c, u"PaperSize", [](Printer& p) { return Variant::i2(p.paperSize()); },
        [](Printer& p, const Variant& v) { p.setPaperSize(toI2(v)); });
    property(
        c, u"PrintQuality", [](Printer& p) { return Variant::i2(p.printQuality()); },
        [](Printer& p, const Variant& v) { p.setPrintQuality(toI2(v)); });
    property(
        c, u"Duplex", [](Printer& p) { return Variant::i2(p.duplex()); },
        [](Printer& p, const Variant& v) { p.setDuplex(toI2(v)); });
    property(
        c, u"ColorMode", [](Printer& p) { return Variant::i2(p.colorMode()); },
        [](Printer& p, const Variant& v) { p.setColorMode(toI2(v)); });
    property(
        c, u"PaperBin", [](Printer& p) { return Variant::i2(p.paperBin()); },
        [](Printer& p, const Variant& v) { p.setPaperBin(toI2(v)); });
    getter(c, u"Page", [](Printer& p) { return Variant::i2(static_cast<int16_t>(p.pageNumber())); });
    property(
        c, u"Copies", [](Printer& p) { return Variant::i2(p.copies()); },
        [](Printer& p, const Variant& v) { p.setCopies(toI2(v)); });
    property(
        c, u"ScaleMode", [](Printer& p) { return Variant::i2(p.surface().scaleMode()); },
        [](Printer& p, const Variant& v) { p.surface().setScaleMode(toI2(v)); });
    getter(c, u"ScaleWidth", [](Printer& p) { return Variant(static_cast<float>(p.surface().scaleWidth())); });
    getter(c, u"ScaleHeight", [](Printer& p) { return Variant(static_cast<float>(p.surface().scaleHeight())); });
    property(
        c, u"CurrentX", [](Printer& p) { return Variant(static_cast<float>(p.surface().currentX())); },
        [](Printer& p, const Variant& v) { p.surface().setCurrentX(toR4(v)); });
    property(
        c, u"CurrentY", [](Printer& p) { return Variant(static_cast<float>(p.surface().currentY())); },
        [](Printer& p, const Variant& v) { p.surface().setCurrentY(toR4(v)); });
    property(
        c, u"ForeColor", [](Printer& p) { return Variant(static_cast<int32_t>(p.surface().foreColor())); },
        [](Printer& p, const Variant& v) { p.surface().setForeColor(static_cast<OleColor>(toI4(v))); });
    property(
        c, u"FillColor", [](Printer& p) { return Variant(static_cast<int32_t>(p.surface().fillColor())); },
        [](Printer& p, const Variant& v) { p.surface().setFillColor(static_cast<OleColor>(toI4(v))); });
    property(
        c, u"FillStyle", [](Printer& p) { return Variant::i2(p.surface().fillStyle()); },
        [](Printer& p, const Variant& v) { p.surface().setFillStyle(toI2(v)); });
    property(
        c, u"DrawWidth", [](Printer& p) { return Variant::i2(p.surface().drawWidth()); },
        [](Printer& p, const Variant& v) { p.surface().setDrawWidth(toI2(v)); });
    property(
        c, u"DrawStyle", [](Printer& p) { return Variant::i2(p.surface().drawStyle()); },
        [](Printer& p, const Variant& v) { p.surface().setDrawStyle(toI2(v)); });
    property(
        c, u"DrawMode", [](Printer& p) { return Variant::i2(p.surface().drawMode()); },
        [](Printer& p, const Variant& v) { p.surface().setDrawMode(toI2(v)); });
    property(
        c, u"FontTransparent", [](Printer& p) { return Variant(p.surface().fontTransparent()); },
        [](Printer& p, const Variant& v) { p.surface().setFontTransparent(toBool(v)); });
    property(
        c, u"FontName", [](Printer& p) { return Variant(p.surface().font().name); },
        [](Printer& p, const Variant& v) { setFontWith(p, [](Font& f, const Variant& x) { f.name = toBStr(x); }, v); });
    property(
        c, u"FontSize", [](Printer& p) { return Variant(static_cast<float>(p.surface().font().size)); },
        [](Printer& p, const Variant& v) { setFontWith(p, [](Font& f, const Variant& x) { f.size = toR4(x); }, v); });
    property(
        c, u"FontBold", [](Printer& p) { return Variant(p.surface().font().bold); },
        [](Printer& p, const Variant& v) { setFontWith(p, [](Font& f, const Variant& x) { f.bold = toBool(x); }, v); });
    property(
        c, u"FontItalic", [](Printer& p) { return Variant(p.surface().font().italic); },
        [](Printer& p, const Variant& v) {
          setFontWith(p, [](Font& f, const Variant& x) { f.italic = toBool(x); }, v);
        });
    property(
        c, u"FontUnderline", [](Printer& p) { return Variant(p.surface().font().underline); },
        [](Printer& p, const Variant& v) {
          setFontWith(p, [](Font& f, const Variant& x) { f.underline = toBool(x); }, v);
        });
    property(
        c, u"FontStrikethru", [](Printer& p) { return Variant(p.surface().font().strikethrough); },
        [](Printer& p, const Variant& v) {
          setFontWith(p, [](Font& f, const Variant& x) { f.strikethrough = toBool(x); }, v);
        });

    // Drawing and text, in the surface's scale.
    c.member(u"Print", InvokeKind::Method, {inOpt(u"text")}, [](Object& o, const Args& a) {
      surf(o).Print(a[0].isMissing() ? BStr() : toBStr(a[0]), true);
      return Variant();
    });
    c.member(u"Circle", InvokeKind::Method,
             {in(u"x"), in(u"y"), in(u"radius"), inOpt(u"color"), inOpt(u"start"), inOpt(u"end"), inOpt(u"aspect")},
             [](Object& o, const Args& a) {
               surf(o).Circle(toR8(a[0]), toR8(a[1]), toR8(a[2]), optColour(a[3]), optR8(a[4]), optR8(a[5]),
                              optR8(a[6]));
               return Variant();
             });
    // Flags "B" draw a box, "BF" a filled box.
    c.member(u"Line", InvokeKind::Method,
             {in(u"x1"), in(u"y1"), in(u"x2"), in(u"y2"), inOpt(u"color"), inOpt(u"flags")},
             [](Object& o, const Args& a) {
               LineShape shape = LineShape::Line;
               if (!a[5].isMissing()) {
                 const BStr flags = toBStr(a[5]);
                 if (sameName(flags, u"B")) shape = LineShape::Box;
                 else if (sameName(flags, u"BF")) shape = LineShape::FilledBox;
                 else if (!flags.empty()) raise(err::InvalidProcedureCall);
               }
               surf(o).Line(toR8(a[0]), toR8(a[1]), toR8(a[2]), toR8(a[3]), optColour(a[4]), shape);
               return Variant();
             });
    c.member(u"PSet", InvokeKind::Method, {in(u"x"), in(u"y"), inOpt(u"color")}, [](Object& o, const Args& a) {
      surf(o).PSet(toR8(a[0]), toR8(a[1]), optColour(a[2]));
      return Variant();
    });
    // The picture is the bytes of an image file (a Byte array).
    c.member(u"PaintPicture", InvokeKind::Method,
             {in(u"picture"), in(u"x1"), in(u"y1"), inOpt(u"width1"), inOpt(u"height1"), inOpt(u"x2"), inOpt(u"y2"),
              inOpt(u"width2"), inOpt(u"height2"), inOpt(u"opcode")},
             [](Object& o, const Args& a) {
               const SafeArray* bytes = a[0].isArray() ? a[0].deref().asArray() : nullptr;
               if (!bytes || bytes->elementType() != VT_UI1) raise(err::TypeMismatch);
               const Picture picture = Picture::fromFileBytes(bytes->byteData());
               std::optional<int32_t> opcode;
               if (!a[9].isMissing()) opcode = toI4(a[9]);
               surf(o).PaintPicture(picture, toR8(a[1]), toR8(a[2]), optR8(a[3]), optR8(a[4]), optR8(a[5]),
                                    optR8(a[6]), optR8(a[7]), optR8(a[8]), opcode);
               return Variant();
             });
    c.member(u"TextWidth", InvokeKind::Method, {in(u"text")}, [](Object& o, const Args& a) {
      return Variant(static_cast<float>(surf(o).TextWidth(toBStr(a[0]))));
    });
    c.member(u"TextHeight", InvokeKind::Method, {in(u"text")}, [](Object& o, const Args& a) {
      return Variant(static_cast<float>(surf(o).TextHeight(toBStr(a[0]))));
    });
    c.member(u"NewPage", InvokeKind::Method, {}, [](Object& o, const Args&) {
      self(o).NewPage();
      return Variant();
    });
    c.member(u"EndDoc", InvokeKind::Method, {}, [](Object& o, const Args&) {
      self(o).EndDoc();
      return Variant();
    });
    c.member(u"KillDoc", InvokeKind::Method, {}, [](Object& o, const Args&) {
      self(o).KillDoc();
      return Variant();
    });
    return c;
  }();
  return ci;
}

}  // namespace svx
