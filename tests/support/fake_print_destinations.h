// A print scheduler for tests: the destinations it is given, the papers it
// is told, and every job submitted to it kept whole.
#pragma once

#include <map>
#include <vector>

#include "platform/automation/error.h"
#include "platform/print/print_destinations.h"

namespace svx::testing {

class FakePrintDestinations : public PrintDestinations {
 public:
  std::vector<PrintDestination> destinations;
  std::map<BStr, PaperSize> papers;  // by name; A4 otherwise
  std::map<BStr, PrinterCapabilities> offers;  // by name; the paper alone otherwise
  bool down = false;                 // the scheduler cannot be reached
  bool refuseJobs = false;
  std::vector<PrintJob> jobs;
  int listCalls = 0;

  std::vector<PrintDestination> list() override {
    ++listCalls;
    if (down) return {};
    return destinations;
  }
  PaperSize paper(const BStr& name) override {
    const auto it = papers.find(name);
    return it == papers.end() ? a4Paper() : it->second;
  }
  PrinterCapabilities capabilities(const BStr& name) override {
    const auto it = offers.find(name);
    return it == offers.end() ? PrintDestinations::capabilities(name) : it->second;
  }
  int32_t submit(const PrintJob& job) override {
    if (down || refuseJobs) raise(err::PrinterError, u"The print job was refused");
    jobs.push_back(job);
    return static_cast<int32_t>(jobs.size());
  }
};

// Pages in a PDF that cairo wrote.
inline int pdfPageCount(const std::string& pdf) {
  int pages = 0;
  for (size_t at = pdf.find("/Type /Page"); at != std::string::npos; at = pdf.find("/Type /Page", at + 1))
    if (pdf.compare(at, 12, "/Type /Pages") != 0) ++pages;
  return pages;
}

}  // namespace svx::testing
