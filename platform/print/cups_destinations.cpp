#include <cups/cups.h>

#include <cmath>
#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

#include "platform/automation/error.h"
#include "platform/print/print_destinations.h"

namespace svx {

PaperSize a4Paper() {
  // 210 x 297 mm.
  return PaperSize{u"A4", 11906, 16838, 0, 0, 0, 0};
}

PaperSize letterPaper() { return PaperSize{u"Letter", 12240, 15840, 0, 0, 0, 0}; }

namespace {

struct HttpClose {
  void operator()(http_t* h) const { httpClose(h); }
};
using HttpPtr = std::unique_ptr<http_t, HttpClose>;

struct DestsFree {
  int count;
  void operator()(cups_dest_t* d) const { cupsFreeDests(count, d); }
};

struct DestFree {
  void operator()(cups_dest_t* d) const { cupsFreeDests(1, d); }
};

struct InfoFree {
  void operator()(cups_dinfo_t* i) const { cupsFreeDestInfo(i); }
};

// Hundredths of a millimetre to twips.
double twipsOf(int hundredthsOfMm) { return std::round(hundredthsOfMm * 1440.0 / 2540.0); }

// The queue of a destination name ("queue" or "queue/instance").
std::string queueOf(const BStr& destination) {
  std::string name = utf8(destination);
  if (const auto slash = name.find('/'); slash != std::string::npos) name.erase(slash);
  return name;
}

// The instance of a destination name, "" for none.
std::string instanceOf(const BStr& destination) {
  const std::string name = utf8(destination);
  const auto slash = name.find('/');
  return slash == std::string::npos ? std::string() : name.substr(slash + 1);
}

// Options that describe the printer rather than a job.
bool describesPrinter(std::string_view option) {
  return option.starts_with("printer-") || option.starts_with("marker-") || option == "device-uri";
}

[[noreturn]] void raisePrinterError(const char* what) {
  std::string text = what;
  if (const char* reason = cupsLastErrorString(); reason && *reason) text += std::string(": ") + reason;
  raise(err::PrinterError, BStr(utf16(text)));
}

class CupsDestinations : public PrintDestinations {
 public:
  explicit CupsDestinations(int timeoutMs) : timeoutMs_(timeoutMs) {}

  std::vector<PrintDestination> list() override {
    std::vector<PrintDestination> out;
    HttpPtr http = connect();
    if (!http) return out;
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(http.get(), &dests);
    std::unique_ptr<cups_dest_t, DestsFree> owned(dests, DestsFree{count});
    for (int i = 0; i < count; ++i) {
      std::string name = dests[i].name ? dests[i].name : "";
      if (dests[i].instance) name += std::string("/") + dests[i].instance;
      out.push_back(PrintDestination{utf16(name), dests[i].is_default != 0});
    }
    return out;
  }

  PaperSize paper(const BStr& destination) override {
    HttpPtr http = connect();
    if (!http) return a4Paper();
    const std::string name = queueOf(destination), instance = instanceOf(destination);
    std::unique_ptr<cups_dest_t, DestFree> dest(
        cupsGetNamedDest(http.get(), name.c_str(), instance.empty() ? nullptr : instance.c_str()));
    if (!dest) return a4Paper();
    PaperSize fallback = a4Paper();
    if (const char* media = cupsGetOption("media", dest->num_options, dest->options);
        media && (std::string(media).find("etter") != std::string::npos))
      fallback = letterPaper();
    std::unique_ptr<cups_dinfo_t, InfoFree> info(cupsCopyDestInfo(http.get(), dest.get()));
    if (!info) return fallback;
    cups_size_t size{};
    if (!cupsGetDestMediaDefault(http.get(), dest.get(), info.get(), 0, &size) || size.width <= 0 || size.length <= 0)
      return fallback;
    return PaperSize{utf16(size.media),  twipsOf(size.width), twipsOf(size.length), twipsOf(size.left),
                     twipsOf(size.top),     twipsOf(size.right), twipsOf(size.bottom)};
  }

  int32_t submit(const PrintJob& job) override {
    HttpPtr http = connect();
    if (!http) raisePrinterError("The print scheduler cannot be reached");
    const std::string name = queueOf(job.destination), title = utf8(job.title);
    cups_option_t* options = nullptr;
    int count = cupsAddOption("copies", std::to_string(std::max<int>(1, job.copies)).c_str(), 0, &options);
    count = cupsAddOption("collate", job.collate ? "true" : "false", count, &options);
    // The paper the pages were laid out on, not the queue's own default.
    std::string media = utf8(job.media);
    if (const auto at = media.find("_borderless"); at != std::string::npos) media.erase(at);
    if (!media.empty()) count = cupsAddOption("media", media.c_str(), count, &options);
    // The options saved for the destination (an instance's among them) where
    // the job does not set its own.
    const std::string instance = instanceOf(job.destination);
    std::unique_ptr<cups_dest_t, DestFree> dest(
        cupsGetNamedDest(http.get(), name.c_str(), instance.empty() ? nullptr : instance.c_str()));
    if (dest)
      for (int i = 0; i < dest->num_options; ++i) {
        const cups_option_t& o = dest->options[i];
        if (!describesPrinter(o.name) && !cupsGetOption(o.name, count, options))
          count = cupsAddOption(o.name, o.value, count, &options);
      }
    const int id = cupsCreateJob(http.get(), name.c_str(), title.c_str(), count, options);
    cupsFreeOptions(count, options);
    if (id <= 0) raisePrinterError("The print job was refused");
    auto fail = [&](const char* what) {
      const std::string reason = cupsLastErrorString() ? cupsLastErrorString() : "";
      cupsCancelJob2(http.get(), name.c_str(), id, 0);
      raise(err::PrinterError, BStr(utf16(std::string(what) + (reason.empty() ? "" : ": " + reason))));
    };
    if (cupsStartDocument(http.get(), name.c_str(), id, title.c_str(), CUPS_FORMAT_PDF, 1) != HTTP_STATUS_CONTINUE)
      fail("The print job could not be started");
    if (cupsWriteRequestData(http.get(), job.pdf.data(), job.pdf.size()) != HTTP_STATUS_CONTINUE)
      fail("The print job could not be sent");
    if (cupsFinishDocument(http.get(), name.c_str()) > IPP_STATUS_OK_CONFLICTING)
      fail("The print job was not accepted");
    return id;
  }

 private:
  HttpPtr connect() const {
    HttpPtr http(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, timeoutMs_, nullptr));
    if (http) httpSetTimeout(http.get(), timeoutMs_ / 1000.0, nullptr, nullptr);
    return http;
  }

  int timeoutMs_;
};

}  // namespace

std::unique_ptr<PrintDestinations> makeCupsDestinations(int timeoutMs) {
  return std::make_unique<CupsDestinations>(timeoutMs);
}

}  // namespace svx
