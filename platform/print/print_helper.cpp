// sorvanelix-print-helper: holds the conversations of the printing layer
// with the print scheduler (CUPS, through libcups). The printing layer
// starts it once and sends it one request at a time on its standard input;
// each answer goes to its standard output (print_wire.h). It ends when its
// input ends or its parent goes; the parent kills it when an answer is late.
//
// The requests that only read (list, capabilities) share one connection to
// the scheduler while its address and the caller's settings stay the same.
//
// libcups keeps the server and the encryption per thread (set for each
// request) and reads the home folder (whose saved options apply) once per
// thread: a request whose home folder differs from the first runs on a
// thread of its own.
#include <cups/cups.h>
#include <cups/ppd.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include "platform/print/print_wire.h"

namespace {

using svx::print_wire::Record;

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

struct IppFree {
  void operator()(ipp_t* i) const { ippDelete(i); }
};
using IppPtr = std::unique_ptr<ipp_t, IppFree>;

// A request that cannot be answered: its words go back as "failed".
struct Failure {
  std::string text;
};

std::string withReason(std::string what) {
  if (const char* reason = cupsLastErrorString(); reason && *reason) what += std::string(": ") + reason;
  return what;
}

// The queue of a destination name ("queue" or "queue/instance") and its instance.
std::pair<std::string, std::string> split(std::string_view destination) {
  const auto slash = destination.find('/');
  if (slash == std::string_view::npos) return {std::string(destination), {}};
  return {std::string(destination.substr(0, slash)), std::string(destination.substr(slash + 1))};
}

// A new connection to the scheduler of the request's settings. Reads and
// writes have no deadline of libcups's own (which polls the socket before
// every read of the answer, a byte at a time): the parent kills the helper
// that has not answered by its deadline.
HttpPtr connect(const Record& rq) {
  const int timeoutMs = std::atoi(std::string(rq.get("timeout")).c_str());
  return HttpPtr(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                              timeoutMs > 0 ? timeoutMs : 5000, nullptr));
}

// The connection kept between the requests that only read (list,
// capabilities) while the scheduler and the caller's settings (address,
// port, encryption, home folder) stay the same. One the scheduler has
// closed meanwhile (it has something to read: the end) is made anew.
class KeptConnection {
 public:
  // The connection for `rq`; null when the scheduler cannot be reached.
  http_t* open(const Record& rq) {
    std::string key;
    for (const char* field : {"server", "port", "encryption", "home"})
      key.append(rq.has(field) ? std::string(rq.get(field)) : "\x01").push_back('\0');
    if (!http_ || key != key_ || !idle(http_.get())) {
      http_.reset();
      http_ = connect(rq);
      key_ = std::move(key);
    }
    return http_.get();
  }

 private:
  static bool idle(http_t* http) {
    pollfd p{httpGetFd(http), POLLIN, 0};
    return p.fd >= 0 && ::poll(&p, 1, 0) == 0;
  }

  HttpPtr http_;
  std::string key_;
};

KeptConnection& kept() {
  static KeptConnection connection;
  return connection;
}

std::unique_ptr<cups_dest_t, DestFree> namedDest(http_t* http, std::string_view destination) {
  const auto [queue, instance] = split(destination);
  return std::unique_ptr<cups_dest_t, DestFree>(
      cupsGetNamedDest(http, queue.c_str(), instance.empty() ? nullptr : instance.c_str()));
}

// The printer's attributes of those named, asked of the scheduler.
IppPtr printerAttributes(http_t* http, const std::string& queue, const std::vector<const char*>& names) {
  ipp_t* rq = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
  char uri[HTTP_MAX_URI];
  httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(), "/printers/%s",
                   queue.c_str());
  ippAddString(rq, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
  ippAddStrings(rq, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", static_cast<int>(names.size()),
                nullptr, names.data());
  return IppPtr(cupsDoRequest(http, rq, "/"));
}

// The scheduler's words on the state of each queue (printer-state-message)
// by queue name, all in one request.
std::map<std::string, std::string> stateMessages(http_t* http) {
  ipp_t* rq = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
  static const char* const names[] = {"printer-name", "printer-state-message"};
  ippAddStrings(rq, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr, names);
  const IppPtr answer(cupsDoRequest(http, rq, "/"));
  std::map<std::string, std::string> out;
  if (!answer) return out;
  std::string name, message;
  // A printer's attributes are a group; a nameless attribute separates them.
  auto endOfPrinter = [&] {
    if (!name.empty() && !message.empty()) out[name] = message;
    name.clear();
    message.clear();
  };
  for (ipp_attribute_t* a = ippFirstAttribute(answer.get()); a; a = ippNextAttribute(answer.get())) {
    const char* n = ippGetName(a);
    if (!n || ippGetGroupTag(a) != IPP_TAG_PRINTER) {
      endOfPrinter();
      continue;
    }
    const char* v = ippGetString(a, 0, nullptr);
    if (std::strcmp(n, "printer-name") == 0) name = v ? v : "";
    else if (std::strcmp(n, "printer-state-message") == 0) message = v ? v : "";
  }
  endOfPrinter();
  return out;
}

// The queues and their instances in the scheduler's order: per destination
// a "dest" field followed by its "default", "state", "message", "model",
// "location" and "comment".
Record list(const Record& rq) {
  Record out;
  http_t* http = kept().open(rq);
  if (!http) {
    out.add("status", "unreachable");
    return out;
  }
  cups_dest_t* dests = nullptr;
  const int count = cupsGetDests2(http, &dests);
  std::unique_ptr<cups_dest_t, DestsFree> owned(dests, DestsFree{count});
  out.add("status", "done");
  // The scheduler's own words come only with a request of their own: asked
  // only when a queue is not simply idle.
  std::map<std::string, std::string> messages;
  for (int i = 0; i < count; ++i) {
    const char* state = cupsGetOption("printer-state", dests[i].num_options, dests[i].options);
    const char* reasons = cupsGetOption("printer-state-reasons", dests[i].num_options, dests[i].options);
    if ((state && std::strcmp(state, "5") == 0) || (reasons && *reasons && std::strcmp(reasons, "none") != 0)) {
      messages = stateMessages(http);
      break;
    }
  }
  for (int i = 0; i < count; ++i) {
    const cups_dest_t& d = dests[i];
    auto option = [&](const char* name) {
      const char* v = cupsGetOption(name, d.num_options, d.options);
      return std::string(v ? v : "");
    };
    std::string name = d.name ? d.name : "";
    if (d.instance) name += std::string("/") + d.instance;
    out.add("dest", name);
    out.add("default", d.is_default ? "1" : "0");
    const std::string state = option("printer-state");
    out.add("state", state);
    std::string reasons = option("printer-state-reasons");
    if (reasons == "none") reasons.clear();
    std::string message;
    if (state == "5" || !reasons.empty())
      if (const auto it = messages.find(d.name ? d.name : ""); it != messages.end()) message = it->second;
    out.add("message", message.empty() ? reasons : message);
    out.add("model", option("printer-make-and-model"));
    out.add("location", option("printer-location"));
    out.add("comment", option("printer-info"));
  }
  return out;
}

// Sizes are hundredths of a millimetre.
struct Size {
  int width = 0, length = 0;
  int left = 0, top = 0, right = 0, bottom = 0;
  bool known = false;
};

bool near(int a, int b) { return std::abs(a - b) <= 100; }

Size sizeOfName(const char* name) {
  Size s;
  pwg_media_t* m = pwgMediaForPWG(name);
  if (!m) m = pwgMediaForLegacy(name);
  if (!m) m = pwgMediaForPPD(name);
  if (m && m->width > 0 && m->length > 0) {
    s.width = m->width;
    s.length = m->length;
    s.known = true;
  }
  return s;
}

int member(ipp_t* col, const char* name) {
  ipp_attribute_t* a = ippFindAttribute(col, name, IPP_TAG_INTEGER);
  return a ? ippGetInteger(a, 0) : 0;
}

Size sizeOfCollection(ipp_t* col) {
  Size s;
  ipp_attribute_t* size = ippFindAttribute(col, "media-size", IPP_TAG_BEGIN_COLLECTION);
  if (!size) return s;
  ipp_t* dims = ippGetCollection(size, 0);
  s.width = member(dims, "x-dimension");
  s.length = member(dims, "y-dimension");
  s.left = member(col, "media-left-margin");
  s.top = member(col, "media-top-margin");
  s.right = member(col, "media-right-margin");
  s.bottom = member(col, "media-bottom-margin");
  s.known = s.width > 0 && s.length > 0;
  return s;
}

std::string paperField(const std::string& name, const Size& s) {
  return name + '\t' + std::to_string(s.width) + '\t' + std::to_string(s.length) + '\t' + std::to_string(s.left) +
         '\t' + std::to_string(s.top) + '\t' + std::to_string(s.right) + '\t' + std::to_string(s.bottom);
}

std::string lowerAlnum(std::string_view s) {
  std::string out;
  for (char c : s)
    if (std::isalnum(static_cast<unsigned char>(c))) out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Whether a PPD's InputSlot choice is the scheduler's media-source keyword
// (the scheduler names a choice such as "Tray1" tray-1, "Upper" top).
bool sameSource(std::string_view keyword, std::string_view choice) {
  static constexpr std::pair<std::string_view, std::string_view> kNamed[] = {
      {"upper", "top"}, {"lower", "bottom"}, {"manualfeed", "manual"}, {"mp", "manual"}, {"multipurpose", "by-pass-tray"},
      {"largecapacity", "large-capacity"}, {"auto", "auto"}, {"envelope", "envelope"}};
  const std::string c = lowerAlnum(choice);
  for (const auto& [ppd, ipp] : kNamed)
    if (c == ppd && keyword == ipp) return true;
  return c == lowerAlnum(keyword);
}

// What the destination offers and its defaults, the instance's saved
// options applied: "paper" (name, then width, length and the margins left,
// top, right, bottom in hundredths of a millimetre, tab-separated) per
// size, "paper-default", "custom-min" and "custom-max" (width, length),
// "source"/"source-default", "resolution"/"resolution-default" ("x y"),
// "quality"/"quality-default", "sides"/"sides-default",
// "color"/"color-default", "orientation-default" (3 or 4),
// "copies-default".
Record capabilities(const Record& rq) {
  Record out;
  const std::string destination(rq.get("destination"));
  http_t* http = kept().open(rq);
  if (!http) {
    out.add("status", "unreachable");
    return out;
  }
  auto dest = namedDest(http, destination);
  if (!dest) throw Failure{withReason("The printer '" + destination + "' is not known to the print scheduler")};
  IppPtr attrs = printerAttributes(
      http, dest->name,
      {"media-default", "media-supported", "media-col-default", "media-col-database", "media-source-supported",
       "media-source-default", "printer-resolution-supported", "printer-resolution-default", "print-quality-supported",
       "print-quality-default", "sides-supported", "sides-default", "print-color-mode-supported",
       "print-color-mode-default", "orientation-requested-default", "copies-default"});
  if (!attrs || ippGetStatusCode(attrs.get()) > IPP_STATUS_OK_CONFLICTING)
    throw Failure{withReason("The printer's settings could not be read")};
  ipp_t* a = attrs.get();
  out.add("status", "done");

  // Sizes with the margins of the database's entry of the same size.
  std::vector<Size> database;
  if (ipp_attribute_t* db = ippFindAttribute(a, "media-col-database", IPP_TAG_BEGIN_COLLECTION))
    for (int i = 0; i < ippGetCount(db); ++i) database.push_back(sizeOfCollection(ippGetCollection(db, i)));
  auto withMargins = [&](Size s) {
    const Size* best = nullptr;
    for (const Size& d : database)
      if (d.known && near(d.width, s.width) && near(d.length, s.length) &&
          (!best || std::abs(d.width - s.width) + std::abs(d.length - s.length) <
                        std::abs(best->width - s.width) + std::abs(best->length - s.length)))
        best = &d;
    if (best) {
      s.left = best->left;
      s.top = best->top;
      s.right = best->right;
      s.bottom = best->bottom;
    }
    return s;
  };
  std::vector<std::pair<std::string, Size>> papers;
  if (ipp_attribute_t* media = ippFindAttribute(a, "media-supported", IPP_TAG_ZERO))
    for (int i = 0; i < ippGetCount(media); ++i) {
      const char* name = ippGetString(media, i, nullptr);
      if (!name) continue;
      const std::string_view n(name);
      if (n.starts_with("custom_min_") || n.starts_with("custom_max_")) {
        if (pwg_media_t* m = pwgMediaForPWG(name))
          out.add(n.starts_with("custom_min_") ? "custom-min" : "custom-max",
                  std::to_string(m->width) + ' ' + std::to_string(m->length));
        continue;
      }
      const Size s = sizeOfName(name);
      if (s.known) papers.emplace_back(name, withMargins(s));
    }
  // A queue that lists no sizes (a raw one) has its default's alone.
  if (papers.empty())
    if (ipp_attribute_t* m = ippFindAttribute(a, "media-default", IPP_TAG_ZERO))
      if (const char* name = ippGetString(m, 0, nullptr))
        if (const Size s = sizeOfName(name); s.known) papers.emplace_back(name, withMargins(s));
  for (const auto& [name, s] : papers) out.add("paper", paperField(name, s));
  // The paper of a size, among the destination's.
  auto paperOfSize = [&](const Size& s) -> const std::pair<std::string, Size>* {
    for (const auto& p : papers)
      if (near(p.second.width, s.width) && near(p.second.length, s.length)) return &p;
    return nullptr;
  };
  std::string paperDefault;
  if (ipp_attribute_t* m = ippFindAttribute(a, "media-default", IPP_TAG_ZERO))
    if (const char* name = ippGetString(m, 0, nullptr)) {
      if (const auto* p = paperOfSize(sizeOfName(name))) paperDefault = p->first;
    }
  if (paperDefault.empty())
    if (ipp_attribute_t* col = ippFindAttribute(a, "media-col-default", IPP_TAG_BEGIN_COLLECTION))
      if (const auto* p = paperOfSize(sizeOfCollection(ippGetCollection(col, 0)))) paperDefault = p->first;

  auto keywords = [&](const char* supported, const char* field) {
    std::vector<std::string> out_;
    if (ipp_attribute_t* s = ippFindAttribute(a, supported, IPP_TAG_ZERO))
      for (int i = 0; i < ippGetCount(s); ++i)
        if (const char* v = ippGetString(s, i, nullptr)) {
          out_.emplace_back(v);
          out.add(field, v);
        }
    return out_;
  };
  auto keywordDefault = [&](const char* name) {
    ipp_attribute_t* d = ippFindAttribute(a, name, IPP_TAG_ZERO);
    const char* v = d ? ippGetString(d, 0, nullptr) : nullptr;
    return std::string(v ? v : "");
  };
  const std::vector<std::string> sources = keywords("media-source-supported", "source");
  std::string source = keywordDefault("media-source-default");
  const std::vector<std::string> sides = keywords("sides-supported", "sides");
  std::string side = keywordDefault("sides-default");
  const std::vector<std::string> colours = keywords("print-color-mode-supported", "color");
  std::string colour = keywordDefault("print-color-mode-default");

  auto resolutionText = [](int x, int y) { return std::to_string(x) + ' ' + std::to_string(y); };
  std::vector<std::string> resolutions;
  if (ipp_attribute_t* r = ippFindAttribute(a, "printer-resolution-supported", IPP_TAG_RESOLUTION))
    for (int i = 0; i < ippGetCount(r); ++i) {
      ipp_res_t units;
      int y = 0;
      const int x = ippGetResolution(r, i, &y, &units);
      if (units == IPP_RES_PER_INCH && x > 0 && y > 0) {
        resolutions.push_back(resolutionText(x, y));
        out.add("resolution", resolutions.back());
      }
    }
  std::string resolution;
  if (ipp_attribute_t* r = ippFindAttribute(a, "printer-resolution-default", IPP_TAG_RESOLUTION)) {
    ipp_res_t units;
    int y = 0;
    const int x = ippGetResolution(r, 0, &y, &units);
    if (units == IPP_RES_PER_INCH && x > 0 && y > 0) resolution = resolutionText(x, y);
  }
  if (ipp_attribute_t* q = ippFindAttribute(a, "print-quality-supported", IPP_TAG_ENUM))
    for (int i = 0; i < ippGetCount(q); ++i) out.add("quality", std::to_string(ippGetInteger(q, i)));
  std::string quality;
  if (ipp_attribute_t* q = ippFindAttribute(a, "print-quality-default", IPP_TAG_ENUM))
    quality = std::to_string(ippGetInteger(q, 0));
  std::string orientation = "3";
  if (ipp_attribute_t* o = ippFindAttribute(a, "orientation-requested-default", IPP_TAG_ENUM))
    if (ippGetInteger(o, 0) == 4) orientation = "4";
  std::string copies = "1";
  if (ipp_attribute_t* c = ippFindAttribute(a, "copies-default", IPP_TAG_INTEGER))
    copies = std::to_string(std::max(1, ippGetInteger(c, 0)));

  // The options saved for the destination (an instance's among them) in
  // their IPP or PPD spellings.
  auto sourceNamed = [&](std::string_view v) {
    for (const std::string& s : sources)
      if (s == v || sameSource(s, v)) return s;
    return std::string();
  };
  for (int i = 0; i < dest->num_options; ++i) {
    const std::string_view name = dest->options[i].name;
    const std::string value = dest->options[i].value ? dest->options[i].value : "";
    if (name == "media" || name == "PageSize" || name == "PageRegion") {
      size_t from = 0;
      while (from <= value.size()) {
        const size_t end = std::min(value.find(',', from), value.size());
        const std::string part = value.substr(from, end - from);
        if (const std::string s = sourceNamed(part); !s.empty()) source = s;
        else if (const Size size = sizeOfName(part.c_str()); size.known)
          if (const auto* p = paperOfSize(size)) paperDefault = p->first;
        from = end + 1;
      }
    } else if (name == "media-source" || name == "InputSlot") {
      if (const std::string s = sourceNamed(value); !s.empty()) source = s;
    } else if (name == "orientation-requested") {
      if (value == "3" || value == "4") orientation = value;
    } else if (name == "landscape") {
      orientation = (value == "false" || value == "no" || value == "off") ? "3" : "4";
    } else if (name == "sides") {
      side = value;
    } else if (name == "Duplex") {
      side = value == "DuplexNoTumble" ? "two-sided-long-edge"
             : value == "DuplexTumble" ? "two-sided-short-edge"
                                       : "one-sided";
    } else if (name == "print-color-mode") {
      colour = value;
    } else if (name == "ColorModel") {
      const std::string v = lowerAlnum(value);
      colour = (v.find("gray") != std::string::npos || v.find("grey") != std::string::npos ||
                v.find("mono") != std::string::npos || v == "black")
                   ? "monochrome"
                   : "color";
    } else if (name == "print-quality") {
      quality = value;
    } else if (name == "printer-resolution" || name == "Resolution") {
      int x = 0, y = 0;
      if (std::sscanf(value.c_str(), "%dx%ddpi", &x, &y) == 2 || (std::sscanf(value.c_str(), "%ddpi", &x) == 1 && (y = x)))
        resolution = resolutionText(x, y);
    } else if (name == "copies") {
      copies = std::to_string(std::max(1, std::atoi(value.c_str())));
    }
  }
  if (!paperDefault.empty()) out.add("paper-default", paperDefault);
  if (!source.empty()) out.add("source-default", source);
  if (!side.empty()) out.add("sides-default", side);
  if (!colour.empty()) out.add("color-default", colour);
  if (!resolution.empty()) out.add("resolution-default", resolution);
  if (!quality.empty()) out.add("quality-default", quality);
  out.add("orientation-default", orientation);
  out.add("copies-default", copies);
  return out;
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
// The PPD options of the queue's driver that the scheduler does not derive
// from the job's media-source and printer-resolution: InputSlot and
// Resolution, as the driver names them. None for a queue without a PPD.
void addDriverOptions(http_t* http, const std::string& queue, int& count, cups_option_t*& options) {
  const char* source = cupsGetOption("media-source", count, options);
  const char* resolution = cupsGetOption("printer-resolution", count, options);
  if (!source && !resolution) return;
  time_t modified = 0;
  char path[1024] = "";
  if (cupsGetPPD3(http, queue.c_str(), &modified, path, sizeof path) != HTTP_STATUS_OK) return;
  ppd_file_t* ppd = ppdOpenFile(path);
  ::unlink(path);
  if (!ppd) return;
  if (ppd_option_t* slot = source && !cupsGetOption("InputSlot", count, options) ? ppdFindOption(ppd, "InputSlot")
                                                                                   : nullptr)
    for (int i = 0; i < slot->num_choices; ++i)
      if (sameSource(source, slot->choices[i].choice)) {
        count = cupsAddOption("InputSlot", slot->choices[i].choice, count, &options);
        break;
      }
  int x = 0, y = 0;
  if (resolution && std::sscanf(resolution, "%dx%ddpi", &x, &y) != 2 && std::sscanf(resolution, "%ddpi", &x) == 1) y = x;
  if (ppd_option_t* res = x > 0 && !cupsGetOption("Resolution", count, options) ? ppdFindOption(ppd, "Resolution")
                                                                               : nullptr)
    for (int i = 0; i < res->num_choices; ++i) {
      int cx = 0, cy = 0;
      const char* c = res->choices[i].choice;
      if (std::sscanf(c, "%dx%ddpi", &cx, &cy) != 2 && std::sscanf(c, "%ddpi", &cx) == 1) cy = cx;
      if (cx == x && cy == y) {
        count = cupsAddOption("Resolution", c, count, &options);
        break;
      }
    }
  ppdClose(ppd);
}
#pragma GCC diagnostic pop

// Options that describe the printer rather than a job.
bool describesPrinter(std::string_view option) {
  return option.starts_with("printer-") || option.starts_with("marker-") || option == "device-uri";
}

// The saved option that the job's own option of that name stands for.
bool coveredBy(std::string_view saved, int count, cups_option_t* options) {
  auto has = [&](const char* name) { return cupsGetOption(name, count, options) != nullptr; };
  if (has(std::string(saved).c_str())) return true;
  if (saved == "PageSize" || saved == "PageRegion" || saved == "media") return has("media");
  if (saved == "InputSlot") return has("media-source") || has("media");
  if (saved == "Duplex") return has("sides");
  if (saved == "ColorModel") return has("print-color-mode");
  if (saved == "Resolution") return has("printer-resolution") || has("print-quality");
  if (saved == "landscape") return has("orientation-requested");
  if (saved == "Collate" || saved == "multiple-document-handling") return has("collate");
  return false;
}

// Submits "document" (PDF) to the destination with the job's options
// ("option" fields, "name=value"), the saved options of the destination
// where the job sets none of its own; answers "job" (the id). A job that
// cannot be submitted whole is cancelled.
Record submit(const Record& rq) {
  Record out;
  HttpPtr http = connect(rq);
  if (!http) throw Failure{withReason("The print scheduler cannot be reached")};
  const std::string destination(rq.get("destination")), title(rq.get("title"));
  const auto [queue, instance] = split(destination);
  cups_option_t* options = nullptr;
  int count = 0;
  for (std::string_view o : rq.all("option")) {
    const auto eq = o.find('=');
    if (eq == std::string_view::npos) continue;
    count = cupsAddOption(std::string(o.substr(0, eq)).c_str(), std::string(o.substr(eq + 1)).c_str(), count, &options);
  }
  if (auto dest = namedDest(http.get(), destination))
    for (int i = 0; i < dest->num_options; ++i) {
      const cups_option_t& o = dest->options[i];
      if (!describesPrinter(o.name) && !coveredBy(o.name, count, options))
        count = cupsAddOption(o.name, o.value, count, &options);
    }
  addDriverOptions(http.get(), queue, count, options);
  const int id = cupsCreateJob(http.get(), queue.c_str(), title.c_str(), count, options);
  cupsFreeOptions(count, options);
  if (id <= 0) throw Failure{withReason("The print job was refused")};
  auto fail = [&](const char* what) {
    Failure f{withReason(what)};
    cupsCancelJob2(http.get(), queue.c_str(), id, 0);
    throw f;
  };
  const std::string_view pdf = rq.get("document");
  if (cupsStartDocument(http.get(), queue.c_str(), id, title.c_str(), CUPS_FORMAT_PDF, 1) != HTTP_STATUS_CONTINUE)
    fail("The print job could not be started");
  if (cupsWriteRequestData(http.get(), pdf.data(), pdf.size()) != HTTP_STATUS_CONTINUE)
    fail("The print job could not be sent");
  if (cupsFinishDocument(http.get(), queue.c_str()) > IPP_STATUS_OK_CONFLICTING) fail("The print job was not accepted");
  out.add("status", "done");
  out.add("job", std::to_string(id));
  return out;
}

Record answer(const Record& rq) {
  cupsSetServer(rq.has("server") ? std::string(rq.get("server")).c_str() : nullptr);
  if (rq.has("port")) ippSetPort(std::atoi(std::string(rq.get("port")).c_str()));
  if (rq.has("encryption")) cupsSetEncryption(static_cast<http_encryption_t>(std::atoi(std::string(rq.get("encryption")).c_str())));
  try {
    const std::string_view op = rq.get("op");
    if (op == "list") return list(rq);
    if (op == "capabilities") return capabilities(rq);
    if (op == "submit") return submit(rq);
    throw Failure{"The print helper does not know the request '" + std::string(op) + "'."};
  } catch (const Failure& f) {
    Record out;
    out.add("status", "failed");
    out.add("error", f.text);
    return out;
  }
}

bool readAll(int fd, char* to, size_t n) {
  while (n > 0) {
    const ssize_t got = ::read(fd, to, n);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    to += got;
    n -= static_cast<size_t>(got);
  }
  return true;
}

bool writeAll(int fd, const std::string& bytes) {
  for (size_t done = 0; done < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

int main() {
  // Goes with the process that started it.
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (::getppid() == 1) return 0;
  ::signal(SIGPIPE, SIG_IGN);
  for (;;) {
    char head[4];
    if (!readAll(0, head, sizeof head)) return 0;
    const uint32_t length = svx::print_wire::getLength(std::string_view(head, 4));
    if (length > svx::print_wire::kMaxRecord) return 1;
    std::string body(length, '\0');
    if (!readAll(0, body.data(), length)) return 0;
    const std::optional<Record> rq = svx::print_wire::decode(body);
    if (!rq) return 1;
    Record reply;
    static const std::optional<std::string> firstHome =
        rq->has("home") ? std::optional<std::string>(rq->get("home")) : std::nullopt;
    const std::optional<std::string> home = rq->has("home") ? std::optional<std::string>(rq->get("home")) : std::nullopt;
    if (home == firstHome) {
      if (home) ::setenv("HOME", home->c_str(), 1);
      reply = answer(*rq);
    } else {
      if (home) ::setenv("HOME", home->c_str(), 1);
      else ::unsetenv("HOME");
      std::thread([&] { reply = answer(*rq); }).join();
      if (firstHome) ::setenv("HOME", firstHome->c_str(), 1);
      else ::unsetenv("HOME");
    }
    if (!writeAll(1, svx::print_wire::encode(reply))) return 0;
  }
}
