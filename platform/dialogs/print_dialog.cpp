#include "platform/dialogs/print_dialog.h"

#include <algorithm>
#include <map>

#include "platform/automation/coerce.h"
#include "platform/automation/error.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/message_loop.h"
#include "platform/dialogs/common_dialogs.h"
#include "platform/dialogs/dialog_window.h"
#include "platform/dialogs/message_box.h"
#include "platform/forms/check_box.h"
#include "platform/forms/combo_box.h"
#include "platform/forms/label.h"
#include "platform/forms/option_button.h"
#include "platform/forms/text_box.h"
#include "platform/forms/person.h"
#include "platform/print/printers.h"

namespace svx {

namespace {

constexpr int16_t kMaxCopies = 9999;

// Device contexts handed out by the dialog, by handle: each is for the
// device with the copies and collation chosen in the dialog.
std::map<HDC, DEVMODEA>& printerDCs() {
  static std::map<HDC, DEVMODEA> dcs;
  return dcs;
}

HDC createPrinterDC(const DEVMODEA& mode) {
  static HDC next = 0x7D0001;
  printerDCs()[next] = mode;
  return next++;
}

using dialog_design::part;
using dialog_design::v;

FormDesign printDesign() {
  using K = ControlKind;
  FormDesign d;
  d.name = u"frmPrintDialog";
  d.caption = u"Print";
  d.clientLeft = 2400;
  d.clientTop = 2400;
  d.clientWidth = 5760;
  d.clientHeight = 4440;
  auto caption = [](const char16_t* text) { return v(u"Caption", Variant(text)); };
  d.controls = {
      part(u"lblPrinter", K::Label, 120, 150, 720, 255, {caption(u"&Name:")}),
      part(u"cboPrinter", K::ComboBox, 1020, 120, 4620, 315, {v(u"Style", Variant::i2(2))}),
  };
  // The lines about the chosen queue: each name on the left, the scheduler's
  // words beside it, shown as they are (an '&' in them is no access key).
  const struct {
    const char16_t* name;
    const char16_t* text;
  } lines[] = {{u"lblStatus", u"Status:"}, {u"lblType", u"Type:"}, {u"lblWhere", u"Where:"}, {u"lblComment", u"Comment:"}};
  int32_t top = 540;
  for (const auto& line : lines) {
    d.controls.push_back(part(BStr(line.name) + u"Caption", K::Label, 120, top, 900, 255, {caption(line.text)}));
    d.controls.push_back(part(line.name, K::Label, 1020, top, 4620, 255, {v(u"UseMnemonic", Variant(false))}));
    top += 270;
  }
  constexpr int32_t kDown = 1080;  // the parts below the queue's lines
  for (ControlDesign& c : std::vector<ControlDesign>{
           part(u"optAll", K::OptionButton, 120, kDown + 660, 1500, 255, {caption(u"&All")}),
           part(u"optPages", K::OptionButton, 120, kDown + 1000, 900, 255, {caption(u"Pa&ges")}),
           part(u"lblFrom", K::Label, 1080, kDown + 1030, 480, 255, {caption(u"&from:")}),
           part(u"txtFromPage", K::TextBox, 1560, kDown + 1000, 720, 285),
           part(u"lblTo", K::Label, 2400, kDown + 1030, 300, 255, {caption(u"&to:")}),
           part(u"txtToPage", K::TextBox, 2760, kDown + 1000, 720, 285),
           part(u"optSelection", K::OptionButton, 120, kDown + 1340, 1500, 255, {caption(u"&Selection")}),
           part(u"lblCopies", K::Label, 120, kDown + 1900, 1800, 255, {caption(u"Number of &copies:")}),
           part(u"txtCopies", K::TextBox, 1980, kDown + 1870, 720, 285),
           part(u"chkCollate", K::CheckBox, 2940, kDown + 1900, 1200, 255, {caption(u"C&ollate")}),
           part(u"chkPrintToFile", K::CheckBox, 120, kDown + 2400, 1800, 255, {caption(u"Print to fi&le")}),
           part(u"cmdOK", K::CommandButton, 3240, kDown + 2880, 1140, 375, {caption(u"OK"), v(u"Default", Variant(true))}),
           part(u"cmdCancel", K::CommandButton, 4500, kDown + 2880, 1140, 375,
                {caption(u"Cancel"), v(u"Cancel", Variant(true))}),
       })
    d.controls.push_back(std::move(c));
  return d;
}

// A whole number from an entry, when it is one.
std::optional<int32_t> number(const BStr& text) {
  Variant v(text);
  int32_t n = 0;
  if (!ignoreErrors([&] { n = toI4(v); })) return std::nullopt;
  if (text.find_first_of(u".,eE") != BStr::npos) return std::nullopt;
  return n;
}

// What the dialog says of a queue's state.
BStr queueStatus(const PrintDestination& p) {
  switch (p.state) {
    case QueueState::Processing: return u"Printing";
    case QueueState::Stopped: return p.stateMessage.empty() ? BStr(u"Stopped") : u"Stopped: " + p.stateMessage;
    case QueueState::Idle: break;
  }
  return u"Ready";
}

}  // namespace

// The print dialog's form. What the user confirmed is in `chosen` once OK
// has been accepted.
class frmPrintDialog : public CommonDialogWindow {
 public:
  struct Choice {
    BStr device;
    int32_t range = 0;
    int32_t fromPage = 0, toPage = 0;
    int16_t copies = 1;
    bool collate = false, printToFile = false;
  };

  frmPrintDialog(PrintDialogProvider& provider, const PRINTDLGA& pd, std::vector<PrintDestination> printers,
                 BStr shown)
      : CommonDialogWindow(printDesign(), u"Print"),
        provider_(provider),
        pd_(pd),
        printers_(std::move(printers)),
        shown_(std::move(shown)),
        minPage_(pd.nMinPage),
        maxPage_(pd.nMaxPage) {}

  // Shows the printers and the values of the caller's structure.
  void onLoad() override {
    const PRINTDLGA& pd = pd_;
    auto& combo = element<ComboBox>(u"cboPrinter");
    for (const PrintDestination& p : printers_) combo.addItem(p.name);
    for (int16_t i = 0; i < combo.listCount(); ++i)
      if (combo.list(i) == shown_) {
        combo.setListIndex(i);
        break;
      }
    const DWORD f = pd.Flags;
    const BStr range = (f & PD_PAGENUMS) ? u"optPages" : (f & PD_SELECTION) ? u"optSelection" : u"optAll";
    element<OptionButton>(range).setValue(true);
    for (const char16_t* name : {u"optPages", u"lblFrom", u"txtFromPage", u"lblTo", u"txtToPage"})
      control(name).setEnabled((f & PD_NOPAGENUMS) == 0);
    control(u"optSelection").setEnabled((f & PD_NOSELECTION) == 0);
    element<TextBox>(u"txtFromPage").setText(toBStr(Variant(static_cast<int32_t>(pd.nFromPage))));
    element<TextBox>(u"txtToPage").setText(toBStr(Variant(static_cast<int32_t>(pd.nToPage))));
    element<TextBox>(u"txtCopies").setText(toBStr(Variant(static_cast<int32_t>(std::max<int16_t>(1, pd.nCopies)))));
    element<CheckBox>(u"chkCollate").setValue((f & PD_COLLATE) ? 1 : 0);
    element<CheckBox>(u"chkPrintToFile").setValue((f & PD_PRINTTOFILE) ? 1 : 0);
    control(u"chkPrintToFile").setVisible((f & PD_HIDEPRINTTOFILE) == 0);
    control(u"chkPrintToFile").setEnabled((f & PD_DISABLEPRINTTOFILE) == 0);
    showQueue();
  }
  static const ClassInfo& info() {
    static const ClassInfo ci = ClassInfo(u"frmPrintDialog", &Form::info());
    return ci;
  }
  const ClassInfo& classInfo() const override { return info(); }

  const std::optional<Choice>& chosen() const { return chosen_; }

  // The scripted user's next answer, carried out on the form; false when
  // nothing is queued.
  bool takeAnswer();

 protected:
  void onControlEvent(ControlArray& array, ControlEvent event, int16_t&, std::span<Variant>) override {
    if (event != ControlEvent::Click) return;
    if (array.name() == u"cboPrinter") showQueue();
    else if (array.name() == u"cmdOK") accept();
    else if (array.name() == u"cmdCancel") end(false);
  }

 private:
  // The chosen queue's status, type, location and comment.
  void showQueue() {
    const int16_t chosen = element<ComboBox>(u"cboPrinter").listIndex();
    const PrintDestination none;
    const bool listed = chosen >= 0 && static_cast<std::size_t>(chosen) < printers_.size();
    const PrintDestination& p = listed ? printers_[static_cast<std::size_t>(chosen)] : none;
    element<Label>(u"lblStatus").setCaption(listed ? queueStatus(p) : BStr());
    element<Label>(u"lblType").setCaption(p.makeAndModel);
    element<Label>(u"lblWhere").setCaption(p.location);
    element<Label>(u"lblComment").setCaption(p.comment);
  }

  // OK: the entries are checked; a refused one keeps the dialog open.
  void accept() {
    Choice c;
    const auto& combo = element<ComboBox>(u"cboPrinter");
    c.device = combo.text();
    c.range = element<OptionButton>(u"optPages").value() ? 1 : element<OptionButton>(u"optSelection").value() ? 2 : 0;
    if (c.range == 1) {
      const auto from = number(element<TextBox>(u"txtFromPage").text());
      const auto to = number(element<TextBox>(u"txtToPage").text());
      auto inRange = [&](const std::optional<int32_t>& n) { return n && *n >= minPage_ && *n <= maxPage_; };
      if (!inRange(from) || !inRange(to) || *from > *to) {
        refuse(u"Enter page numbers between " + toBStr(Variant(static_cast<int32_t>(minPage_))) + u" and " +
               toBStr(Variant(static_cast<int32_t>(maxPage_))) + u", the first not above the second.");
        return;
      }
      c.fromPage = *from;
      c.toPage = *to;
    } else {
      c.fromPage = number(element<TextBox>(u"txtFromPage").text()).value_or(0);
      c.toPage = number(element<TextBox>(u"txtToPage").text()).value_or(0);
    }
    const auto copies = number(element<TextBox>(u"txtCopies").text());
    if (!copies || *copies < 1 || *copies > kMaxCopies) {
      refuse(u"Enter a number of copies between 1 and 9999.");
      return;
    }
    c.copies = static_cast<int16_t>(*copies);
    c.collate = element<CheckBox>(u"chkCollate").value() == 1;
    c.printToFile = element<CheckBox>(u"chkPrintToFile").value() == 1;
    chosen_ = c;
    end(true);
  }

  void refuse(BStr text) { MsgBox(Variant(std::move(text)), Variant(vbExclamation), Variant(u"Print")); }

  PrintDialogProvider& provider_;
  const PRINTDLGA& pd_;
  std::vector<PrintDestination> printers_;  // in the list's order
  BStr shown_;
  int32_t minPage_ = 0;
  int32_t maxPage_ = 0;
  std::optional<Choice> chosen_;
};

namespace {

// Retypes a text box's whole text as a user would.
void retype(TextBox& box, int32_t value) {
  if (!box.enabledOnForm()) return;
  person::click(box);
  box.selectAll();
  person::type(box, toBStr(Variant(value)));
}

void setCheck(Form& f, BStrView name, bool on) {
  auto& box = f.element<CheckBox>(name);
  if ((box.value() == 1) != on) person::click(box);
}

// Carries out a scripted answer on the form.
void carryOut(frmPrintDialog& f, const PrintDialogAnswer& r) {
  if (!r.ok) return person::click(f.control(u"cmdCancel"));
  if (r.device) {
    auto& combo = f.element<ComboBox>(u"cboPrinter");
    int16_t found = -1;
    for (int16_t i = 0; i < combo.listCount() && found < 0; ++i)
      if (combo.list(i) == *r.device) found = i;
    if (found < 0) raise(err::InvalidProcedureCall, u"The print dialog lists no printer named '" + *r.device + u"'");
    person::click(combo);
    person::choose(combo, found);
  }
  if (r.range) {
    static constexpr const char16_t* options[] = {u"optAll", u"optPages", u"optSelection"};
    if (*r.range < 0 || *r.range > 2) raise(err::InvalidProcedureCall);
    person::click(f.control(options[*r.range]));
  }
  if (r.fromPage) retype(f.element<TextBox>(u"txtFromPage"), *r.fromPage);
  if (r.toPage) retype(f.element<TextBox>(u"txtToPage"), *r.toPage);
  if (r.copies) retype(f.element<TextBox>(u"txtCopies"), *r.copies);
  if (r.collate) setCheck(f, u"chkCollate", *r.collate);
  if (r.printToFile) setCheck(f, u"chkPrintToFile", *r.printToFile);
  person::click(f.control(u"cmdOK"));
}

}  // namespace

bool frmPrintDialog::takeAnswer() {
  const std::optional<PrintDialogAnswer> answer = provider_.take();
  if (!answer) return false;
  carryOut(*this, *answer);
  return true;
}

BStr printerDeviceOfDC(HDC hdc) {
  const auto it = printerDCs().find(hdc);
  if (it == printerDCs().end()) return BStr();
  const std::string& name = it->second.dmDeviceName;
  return utf16(name.substr(0, name.find('\0')));
}

std::optional<DEVMODEA> printerModeOfDC(HDC hdc) {
  const auto it = printerDCs().find(hdc);
  if (it == printerDCs().end()) return std::nullopt;
  return it->second;
}

void PrintDialogProvider::resetOwn() { SetCommDlgExtendedError(0); }

BOOL PrintDialogProvider::print(PRINTDLGA& pd) {
  Desktop& d = desktop();
  SetCommDlgExtendedError(0);
  if (pd.lStructSize != kPrintDlgSize) {
    SetCommDlgExtendedError(CDERR_STRUCTSIZE);
    return 0;
  }
  if (pd.hwndOwner != 0 && !d.find(pd.hwndOwner)) {
    SetCommDlgExtendedError(CDERR_DIALOGFAILURE);
    return 0;
  }
  const std::vector<PrintDestination> printers = installedPrinters();
  if (printers.empty()) {
    // The person is told, unless the caller keeps it quiet.
    if ((pd.Flags & PD_NOWARNING) == 0)
      MsgBox(Variant(kNoPrinterWarning), Variant(vbExclamation), Variant(u"Print"));
    SetCommDlgExtendedError(PDERR_NODEFAULTPRN);
    return 0;
  }
  const auto preferred = std::ranges::find_if(printers, [](const PrintDestination& p) { return p.isDefault; });
  const BStr shown = preferred != printers.end() ? preferred->name : printers.front().name;

  PrintDialogSession s;
  s.owner = pd.hwndOwner ? d.rootOf(pd.hwndOwner) : 0;
  s.flags = pd.Flags;
  for (const PrintDestination& p : printers) s.printers.push_back(p.name);
  s.deviceShown = shown;
  s.open = true;
  const std::size_t index = record(std::move(s));
  Ref<frmPrintDialog> form = makeRef<frmPrintDialog>(*this, pd, printers, shown);
  const bool confirmed = runDialogSession(*this, index, *form, [](PrintDialogSession& s) { s.answered = true; });
  if (!confirmed) return 0;
  const auto& chosen = form->chosen();
  if (!chosen) return 0;
  PrintDialogSession& done = session(index);
  done.confirmed = true;
  done.device = chosen->device;
  pd.Flags &= ~(PD_PAGENUMS | PD_SELECTION | PD_PRINTTOFILE | PD_COLLATE);
  if (chosen->range == 1) pd.Flags |= PD_PAGENUMS;
  if (chosen->range == 2) pd.Flags |= PD_SELECTION;
  if (chosen->printToFile) pd.Flags |= PD_PRINTTOFILE;
  if (chosen->collate) pd.Flags |= PD_COLLATE;
  pd.nFromPage = static_cast<int16_t>(chosen->fromPage);
  pd.nToPage = static_cast<int16_t>(chosen->toPage);
  pd.nCopies = chosen->copies;
  auto mode = std::make_shared<DEVMODEA>();
  mode->dmDeviceName = utf8(chosen->device);
  if (mode->dmDeviceName.size() < CCHDEVICENAME) mode->dmDeviceName.resize(CCHDEVICENAME, '\0');
  mode->dmCopies = chosen->copies;
  mode->dmCollate = chosen->collate ? 1 : 0;
  pd.hDC = (pd.Flags & PD_RETURNDC) ? createPrinterDC(*mode) : 0;
  pd.hDevMode = std::move(mode);
  return 1;
}

PrintDialogProvider& printDialogs() {
  static PrintDialogProvider instance;
  return instance;
}

BOOL PrintDlgA(PRINTDLGA* lppd) {
  if (!lppd) {
    SetCommDlgExtendedError(CDERR_INITIALIZATION);
    return 0;
  }
  return printDialogs().print(*lppd);
}

}  // namespace svx
