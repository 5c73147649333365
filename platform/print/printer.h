// The printer object of the runtime: one print destination, its page as a
// vector drawing surface, and the document that the drawing builds.
//
// The document starts with the first drawing: a PDF (cairo) whose pages have
// the destination's paper size, the surface covering the printable area in
// the page's own scale (twips unless ScaleMode says otherwise). NewPage ends
// a page, EndDoc submits the document as one job, KillDoc discards it and
// sends nothing. Printed text that reaches the bottom of a page goes on on a
// new one. A printer released with a document still open ends it.
//
// Device settings, in the platform's numbers: Orientation (1 portrait, 2
// landscape), PaperSize (1 Letter, 5 Legal, 8 A3, 9 A4, 11 A5, ... 256 a
// size of its own, Width and Height), PrintQuality (-1 draft .. -4 high, or
// dots per inch), Duplex (1 simplex, 2 long edge, 3 short edge), ColorMode
// (1 monochrome, 2 colour), PaperBin (the destination's trays). They start
// as the destination's defaults (its instance's saved options applied),
// take only what it offers (380 otherwise, nothing changed), lay the pages
// out and go with the job. A document takes them when it starts: setting
// one while a document is open raises 396 and changes nothing.
#pragma once

#include <memory>
#include <string>

#include "platform/automation/dispatch.h"
#include "platform/automation/object.h"
#include "platform/graphics/draw_surface.h"
#include "platform/print/print_destinations.h"

namespace svx {

class Printer : public Object, public VectorPage {
 public:
  // DISPID of TrackDefault, the Boolean setting that would let the printer
  // follow the system's default printer; this layer never follows it.
  static constexpr int32_t kTrackDefaultDispid = 0x10026;
  // A device setting changed while a document is open.
  static constexpr int32_t kSetWithinDocument = 396;
  // PaperSize of a size of the printer object's own.
  static constexpr int16_t kUserPaper = 256;

  Printer(PrintDestination destination, PrinterCapabilities capabilities,
          std::shared_ptr<PrintDestinations> destinations);
  ~Printer() override;
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }
  Variant invoke(int32_t dispid, InvokeKind kind, std::span<Variant> args) override;
  using Object::invoke;

  const BStr& deviceName() const { return destination_.name; }
  // The sheet as the pages are laid out: the paper, turned for landscape.
  const PaperSize& paper() const { return layout_; }
  const PrinterCapabilities& capabilities() const { return caps_; }
  DrawSurface& surface() { return surface_; }
  bool trackDefault() const { return trackDefault_; }
  void setTrackDefault(bool v) { trackDefault_ = v; }
  int16_t copies() const { return copies_; }
  void setCopies(int16_t copies);  // 380 below 1
  bool documentOpen() const { return doc_ != nullptr; }
  int32_t pageNumber() const { return pageNumber_; }

  // Device settings (see above); each setter raises 380 for a value the
  // destination does not offer and 396 within a document.
  int16_t orientation() const { return landscape_ ? 2 : 1; }
  void setOrientation(int16_t value);
  int16_t paperSize() const;
  void setPaperSize(int16_t value);
  // The sheet's size in twips, as laid out; setting one chooses a paper of
  // that width (height), see setSize.
  void setWidth(double twips);
  void setHeight(double twips);
  int16_t printQuality() const { return quality_; }
  void setPrintQuality(int16_t value);
  int16_t duplex() const;
  void setDuplex(int16_t value);
  int16_t colorMode() const;
  void setColorMode(int16_t value);
  int16_t paperBin() const;
  void setPaperBin(int16_t value);
  // Twips per device dot at the chosen resolution.
  double twipsPerPixelX() const;
  double twipsPerPixelY() const;
  // The settings as the job's options.
  std::vector<std::pair<std::string, std::string>> jobOptions() const;

  // Ends the page: the next drawing goes on a new one (the document starts
  // here when nothing was drawn yet).
  void NewPage();
  // Submits the document as a job (nothing without a document). The
  // document is gone afterwards whether or not the submission worked.
  void EndDoc();
  // Discards the document.
  void KillDoc();

  // VectorPage.
  cairo_t* page() override;
  void newPage() override;

 protected:
  void terminate() override;

 private:
  struct Document;
  void resetPosition();
  void changing(const char16_t* property) const;  // 396 within a document
  void choosePaper(PaperSize paper);
  // Chooses the paper of that upright size: the destination's, else one of
  // its own where it takes one, else the destination's of the size kept
  // (the width or the height) nearest in the other.
  void setSize(double width, double height, bool keepWidth);
  void layOut();
  // The resolution a job asks for (0 x 0: none).
  PrintResolution resolution() const;

  PrintDestination destination_;
  PrinterCapabilities caps_;
  PaperSize paper_;   // upright
  PaperSize layout_;  // as laid out
  bool landscape_ = false;
  int16_t quality_ = -3;
  std::string side_, colorMode_, source_;
  std::shared_ptr<PrintDestinations> destinations_;
  DrawSurface surface_;
  std::unique_ptr<Document> doc_;
  bool trackDefault_ = false;
  int16_t copies_ = 1;
  int32_t pageNumber_ = 1;
};

}  // namespace svx
