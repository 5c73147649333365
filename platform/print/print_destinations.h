// The print scheduler as the printing layer sees it: the destinations in the
// scheduler's order, the default one, each one's paper and printable area,
// and the submission of a finished PDF document as a job.
//
// The real list is CUPS's (makeCupsDestinations); tests put a fake of their
// own in its place. A scheduler that cannot be reached is a machine without
// printers: list() is empty. No call waits longer than the list's timeout.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/automation/variant.h"

namespace svx {

// A paper size and its printable area, in twips.
struct PaperSize {
  BStr name;
  double width = 0, height = 0;
  double left = 0, top = 0, right = 0, bottom = 0;  // margins outside the printable area
  friend bool operator==(const PaperSize&, const PaperSize&) = default;
};

PaperSize a4Paper();
PaperSize letterPaper();

struct PrintDestination {
  BStr name;  // the device name, whole
  bool isDefault = false;
};

struct PrintJob {
  BStr destination;
  BStr title;
  BStr media;       // the paper the document was laid out on
  std::string pdf;  // the whole document
  int16_t copies = 1;
  bool collate = false;
};

class PrintDestinations {
 public:
  virtual ~PrintDestinations() = default;
  // The destinations in the scheduler's order; empty when there is none or
  // the scheduler cannot be reached.
  virtual std::vector<PrintDestination> list() = 0;
  // The destination's default paper (A4 when it cannot be told).
  virtual PaperSize paper(const BStr& destination) = 0;
  // Submits the job and returns its id. A job that cannot be submitted whole
  // is cancelled and error 482 raised with the scheduler's reason.
  virtual int32_t submit(const PrintJob& job) = 0;
};

// CUPS through libcups: the server and encryption of the client's own
// configuration (CUPS_SERVER, client.conf), every request bounded by
// `timeoutMs`.
std::unique_ptr<PrintDestinations> makeCupsDestinations(int timeoutMs = 3000);

}  // namespace svx
