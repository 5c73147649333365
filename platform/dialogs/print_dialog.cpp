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
#include "platform/forms/option_button.h"
#include "platform/forms/text_box.h"
#include "platform/forms/user.h"
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

std::vector<std::pair<BStr, Variant>> at(double left, double top, double width, double height,
                                         std::vector<std::pair<BStr, Variant>> more = {}) {
  std::vector<std::pair<BStr, Variant>> v{{u"Left", Variant(left)},
                                          {u"Top", Variant(top)},
                                          {u"Width", Variant(width)},
                                          {u"Height", Variant(height)}};
  for (auto& m : more) v.push_back(std::move(m));
  return v;
}

ControlDesign control(BStr name, ControlKind kind, std::vector<std::pair<BStr, Variant>> values) {
  ControlDesign c;
  c.arrayName = std::move(name);
  c.kind = kind;
  c.values = std::move(values);
  return c;
}

FormDesign printDesign() {
  using K = ControlKind;
  FormDesign d;
  d.name = u"frmPrintDialog";
  d.caption = u"Print";
  d.clientLeft = 2400;
  d.clientTop = 2400;
  d.clientWidth = 5640;
  d.clientHeight = 3360;
  auto caption = [](const char16_t* text) { return std::pair<BStr, Variant>{u"Caption", Variant(text)}; };
  d.controls = {
      control(u"lblPrinter", K::Label, at(120, 150, 720, 255, {caption(u"&Name:")})),
      control(u"cboPrinter", K::ComboBox, at(900, 120, 4620, 315, {{u"Style", Variant::i2(2)}})),
      control(u"optAll", K::OptionButton, at(120, 660, 1500, 255, {caption(u"&All")})),
      control(u"optPages", K::OptionButton, at(120, 1000, 900, 255, {caption(u"Pa&ges")})),
      control(u"lblFrom", K::Label, at(1080, 1030, 480, 255, {caption(u"&from:")})),
      control(u"txtFromPage", K::TextBox, at(1560, 1000, 720, 285)),
      control(u"lblTo", K::Label, at(2400, 1030, 300, 255, {caption(u"&to:")})),
      control(u"txtToPage", K::TextBox, at(2760, 1000, 720, 285)),
      control(u"optSelection", K::OptionButton, at(120, 1340, 1500, 255, {caption(u"&Selection")})),
      control(u"lblCopies", K::Label, at(120, 1900, 1800, 255, {caption(u"Number of &copies:")})),
      control(u"txtCopies", K::TextBox, at(1980, 1870, 720, 285)),
      control(u"chkCollate", K::CheckBox, at(2940, 1900, 1200, 255, {caption(u"C&ollate")})),
      control(u"chkPrintToFile", K::CheckBox, at(120, 2400, 1800, 255, {caption(u"Print to fi&le")})),
      control(u"cmdOK", K::CommandButton, at(3120, 2880, 1140, 375, {caption(u"OK"), {u"Default", Variant(true)}})),
      control(u"cmdCancel", K::CommandButton,
              at(4380, 2880, 1140, 375, {caption(u"Cancel"), {u"Cancel", Variant(true)}})),
  };
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

  frmPrintDialog() : CommonDialogWindow(printDesign(), u"Print") {}

  // Loads the form and shows the values of `pd` in it.
  void setUp(const PRINTDLGA& pd, const std::vector<PrintDestination>& printers, const BStr& shown) {
    minPage_ = pd.nMinPage;
    maxPage_ = pd.nMaxPage;
    load();
    auto& combo = element<ComboBox>(u"cboPrinter");
    for (const PrintDestination& p : printers) combo.addItem(p.name);
    for (int16_t i = 0; i < combo.listCount(); ++i)
      if (combo.list(i) == shown) {
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
  }
  static const ClassInfo& info() {
    static const ClassInfo ci = ClassInfo(u"frmPrintDialog", &Form::info());
    return ci;
  }
  const ClassInfo& classInfo() const override { return info(); }

  const std::optional<Choice>& chosen() const { return chosen_; }

 protected:
  void onControlEvent(ControlArray& array, ControlEvent event, int16_t&, std::span<Variant>) override {
    if (event != ControlEvent::Click) return;
    if (array.name() == u"cmdOK") accept();
    else if (array.name() == u"cmdCancel") end(false);
  }

 private:

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

  int32_t minPage_ = 0;
  int32_t maxPage_ = 0;
  std::optional<Choice> chosen_;
};

namespace {

// Retypes a text box's whole text as a user would.
void retype(TextBox& box, int32_t value) {
  if (!box.enabledOnForm()) return;
  user::click(box);
  box.selectAll();
  user::type(box, toBStr(Variant(value)));
}

void setCheck(Form& f, BStrView name, bool on) {
  auto& box = f.element<CheckBox>(name);
  if ((box.value() == 1) != on) user::click(box);
}

// Carries out a scripted answer on the form.
void carryOut(frmPrintDialog& f, const PrintDialogResponse& r) {
  if (!r.ok) return user::click(f.control(u"cmdCancel"));
  if (r.device) {
    auto& combo = f.element<ComboBox>(u"cboPrinter");
    int16_t found = -1;
    for (int16_t i = 0; i < combo.listCount() && found < 0; ++i)
      if (combo.list(i) == *r.device) found = i;
    if (found < 0) raise(err::InvalidProcedureCall, u"The print dialog lists no printer named '" + *r.device + u"'");
    user::click(combo);
    user::choose(combo, found);
  }
  if (r.range) {
    static constexpr const char16_t* options[] = {u"optAll", u"optPages", u"optSelection"};
    if (*r.range < 0 || *r.range > 2) raise(err::InvalidProcedureCall);
    user::click(f.control(options[*r.range]));
  }
  if (r.fromPage) retype(f.element<TextBox>(u"txtFromPage"), *r.fromPage);
  if (r.toPage) retype(f.element<TextBox>(u"txtToPage"), *r.toPage);
  if (r.copies) retype(f.element<TextBox>(u"txtCopies"), *r.copies);
  if (r.collate) setCheck(f, u"chkCollate", *r.collate);
  if (r.printToFile) setCheck(f, u"chkPrintToFile", *r.printToFile);
  user::click(f.control(u"cmdOK"));
}

}  // namespace

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

void PrintDialogProvider::reset() {
  responses_.clear();
  sessions_.clear();
  openStack_.clear();
  SetCommDlgExtendedError(0);
}

const PrintDialogSession* PrintDialogProvider::openSession() const {
  return openStack_.empty() ? nullptr : &sessions_[openStack_.back()];
}

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
    SetCommDlgExtendedError(PDERR_NODEFAULTPRN);
    return 0;
  }
  const auto preferred = std::ranges::find_if(printers, [](const PrintDestination& p) { return p.isDefault; });
  const BStr shown = preferred != printers.end() ? preferred->name : printers.front().name;

  const HWND owner = pd.hwndOwner ? d.rootOf(pd.hwndOwner) : 0;
  const std::size_t index = sessions_.size();
  {
    PrintDialogSession s;
    s.owner = owner;
    s.flags = pd.Flags;
    for (const PrintDestination& p : printers) s.printers.push_back(p.name);
    s.deviceShown = shown;
    s.open = true;
    sessions_.push_back(std::move(s));
  }

  Ref<frmPrintDialog> form = makeRef<frmPrintDialog>();
  form->setUp(pd, printers, shown);
  sessions_[index].dialog = form->hWnd();
  openStack_.push_back(index);
  struct Close {
    PrintDialogProvider& self;
    std::size_t index;
    ~Close() {
      PrintDialogSession& s = self.sessions_[index];
      s.answered = true;
      s.open = false;
      std::erase(self.openStack_, index);
    }
  } close{*this, index};
  // Idle: a queued answer is carried out; with none, the user cancels.
  const bool confirmed = form->runModal(owner, [this, &form] {
    if (responses_.empty()) return false;
    const PrintDialogResponse r = std::move(responses_.front());
    responses_.pop_front();
    carryOut(*form, r);
    return true;
  });
  if (!confirmed) return 0;
  const auto& chosen = form->chosen();
  if (!chosen) return 0;
  PrintDialogSession& s = sessions_[index];
  s.confirmed = true;
  s.device = chosen->device;
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
