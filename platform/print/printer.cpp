#include "platform/print/printer.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <cmath>
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

int printablePixels(double extent, double before, double after) {
  return std::max(1, static_cast<int>(std::lround(twipsToPixels(extent - before - after))));
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
  }

  void release() {
    if (cr) cairo_destroy(cr);
    if (surface) cairo_surface_destroy(surface);
    cr = nullptr;
    surface = nullptr;
  }
};

Printer::Printer(PrintDestination destination, PaperSize paper, std::shared_ptr<PrintDestinations> destinations)
    : destination_(std::move(destination)),
      paper_(std::move(paper)),
      destinations_(std::move(destinations)),
      surface_(*this, printablePixels(paper_.width, paper_.left, paper_.right),
               printablePixels(paper_.height, paper_.top, paper_.bottom)) {
  surface_.setFont(Font{u"Arial", 10});
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
  if (!doc_) doc_ = std::make_unique<Document>(paper_);
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
    getter(c, u"Width", [](Printer& p) { return Variant(static_cast<int32_t>(std::lround(p.paper().width))); });
    getter(c, u"Height", [](Printer& p) { return Variant(static_cast<int32_t>(std::lround(p.paper().height))); });
    getter(c, u"TwipsPerPixelX", [](Printer&) { return Variant(static_cast<float>(TwipsPerPixel)); });
    getter(c, u"TwipsPerPixelY", [](Printer&) { return Variant(static_cast<float>(TwipsPerPixel)); });
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
