// The print scheduler as the printing layer sees it: the destinations in the
// scheduler's order, the default one, each one's paper and printable area,
// and the submission of a finished PDF document as a job.
//
// The real list is CUPS's (makeCupsDestinations); tests put a fake of their
// own in its place. A scheduler that cannot be reached is a machine without
// printers: list() is empty. One that does not answer within the budget
// (SchedulerBudget, 5 s in all) fails the call with 482, "The print
// scheduler did not answer within 5 seconds.".
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
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

// A queue's state as the scheduler reports it.
enum class QueueState { Idle, Processing, Stopped };

struct PrintDestination {
  PrintDestination() = default;
  PrintDestination(BStr name, bool isDefault = false) : name(std::move(name)), isDefault(isDefault) {}
  BStr name;  // the device name, whole
  bool isDefault = false;
  QueueState state = QueueState::Idle;
  BStr stateMessage;  // the scheduler's reason, e.g. "Paper jam"; may be empty
  BStr makeAndModel;  // the queue's type
  BStr location;
  BStr comment;       // the queue's description
};

// A resolution in dots per inch.
struct PrintResolution {
  int32_t x = 0, y = 0;
  friend bool operator==(const PrintResolution&, const PrintResolution&) = default;
};

// What a destination offers and what it uses when a job does not say, as
// the scheduler tells it (its IPP keywords and values), with the options
// saved for the destination (an instance's) applied. An empty list: the
// destination does not say, and a job does not ask.
struct PrinterCapabilities {
  std::vector<PaperSize> papers;  // name: the scheduler's media keyword
  PaperSize paper;                // the default, one of papers
  // The range of sizes of its own that it takes (width, height), if any.
  std::optional<std::pair<PaperSize, PaperSize>> customRange;
  std::vector<std::string> sources;  // media-source keywords
  std::string source;                // "" none
  std::vector<PrintResolution> resolutions;
  PrintResolution resolution;  // 0 x 0: none
  std::vector<int32_t> qualities;  // print-quality: 3 draft, 4 normal, 5 high
  int32_t quality = 0;             // 0: none
  std::vector<std::string> sides;  // one-sided, two-sided-long-edge, two-sided-short-edge
  std::string side;
  std::vector<std::string> colorModes;  // monochrome, color
  std::string colorMode;
  bool landscape = false;
  int16_t copies = 1;
};

// What offers only `paper`.
PrinterCapabilities capabilitiesOfPaper(PaperSize paper);

struct PrintJob {
  BStr destination;
  BStr title;
  BStr media;       // the paper the document was laid out on
  std::string pdf;  // the whole document
  int16_t copies = 1;
  std::optional<bool> collate;  // none: the destination's own choice
  // The device settings as IPP job options (orientation-requested, sides,
  // print-color-mode, media-source, print-quality, printer-resolution).
  std::vector<std::pair<std::string, std::string>> options;
};

class PrintDestinations {
 public:
  virtual ~PrintDestinations() = default;
  // The destinations in the scheduler's order; empty when there is none or
  // the scheduler cannot be reached.
  virtual std::vector<PrintDestination> list() = 0;
  // The destination's default paper (A4 when it cannot be told).
  virtual PaperSize paper(const BStr& destination) = 0;
  // What the destination offers; by default its paper alone.
  virtual PrinterCapabilities capabilities(const BStr& destination) { return capabilitiesOfPaper(paper(destination)); }
  // Submits the job and returns its id. A job that cannot be submitted whole
  // is cancelled and error 482 raised with the scheduler's reason.
  virtual int32_t submit(const PrintJob& job) = 0;
};

// The longest the scheduler is waited for, in all, by one call of a member.
inline constexpr std::chrono::milliseconds kSchedulerBudget{5000};

// While one lives, every request to the scheduler shares its deadline: the
// calls of one member end together within the budget. A budget opened
// inside another keeps the earlier end.
class SchedulerBudget {
 public:
  using Clock = std::chrono::steady_clock;
  using TimePoint = Clock::time_point;
  explicit SchedulerBudget(std::chrono::milliseconds budget = kSchedulerBudget);
  ~SchedulerBudget();
  SchedulerBudget(const SchedulerBudget&) = delete;
  SchedulerBudget& operator=(const SchedulerBudget&) = delete;
  // The shared deadline; none while no budget lives.
  static std::optional<TimePoint> deadline();

 private:
  static std::optional<TimePoint>& current();
  std::optional<TimePoint> outer_;
};

// CUPS through libcups: the server and encryption of the client's own
// configuration (CUPS_SERVER, client.conf). A scheduler that refuses a
// connection at once is not there, told without any other process. Every
// conversation is held by the print helper program (print_wire.h, found
// beside the program), started once and kept, waited for until the shared
// deadline, else for `timeoutMs`, and killed (by its process id) when it
// has not answered by then; the next request starts a new one.
std::unique_ptr<PrintDestinations> makeCupsDestinations(int timeoutMs = static_cast<int>(kSchedulerBudget.count()));

}  // namespace svx
