// The printer object of the runtime: one print destination, its page as a
// vector drawing surface, and the document that the drawing builds.
//
// The document starts with the first drawing: a PDF (cairo) whose pages have
// the destination's paper size, the surface covering the printable area in
// the page's own scale (twips unless ScaleMode says otherwise). NewPage ends
// a page, EndDoc submits the document as one job, KillDoc discards it and
// sends nothing. Printed text that reaches the bottom of a page goes on on a
// new one. A printer released with a document still open ends it.
#pragma once

#include <memory>

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

  Printer(PrintDestination destination, PaperSize paper, std::shared_ptr<PrintDestinations> destinations);
  ~Printer() override;
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }
  Variant invoke(int32_t dispid, InvokeKind kind, std::span<Variant> args) override;
  using Object::invoke;

  const BStr& deviceName() const { return destination_.name; }
  const PaperSize& paper() const { return paper_; }
  DrawSurface& surface() { return surface_; }
  bool trackDefault() const { return trackDefault_; }
  void setTrackDefault(bool v) { trackDefault_ = v; }
  int16_t copies() const { return copies_; }
  void setCopies(int16_t copies);  // 380 below 1
  bool documentOpen() const { return doc_ != nullptr; }
  int32_t pageNumber() const { return pageNumber_; }

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

  PrintDestination destination_;
  PaperSize paper_;
  std::shared_ptr<PrintDestinations> destinations_;
  DrawSurface surface_;
  std::unique_ptr<Document> doc_;
  bool trackDefault_ = false;
  int16_t copies_ = 1;
  int32_t pageNumber_ = 1;
};

}  // namespace svx
