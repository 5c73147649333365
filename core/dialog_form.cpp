#include "core/dialog_form.h"

#include <array>
#include <cmath>
#include <unordered_map>

#include "controls/data_ctrl_family.h"
#include "controls/standard_families.h"
#include "controls/standard_families_ii.h"
#include "controls/timer_control.h"
#include "core/dialog_form_design.h"
#include "core/event_relay.h"
#include "core/form_event_table.h"
#include "core/mod_cd_browse_for_folder.h"
#include "core/mod_main.h"
#include "core/surface_drawing.h"
#include "platform/automation/coerce.h"
#include "platform/forms/user_control.h"
#include "platform/system/screen.h"
#include "services/cm_dialog.h"
#include "services/com_dlg.h"
#include "services/data_control.h"
#include "services/hosted_control_relay.h"
#include "services/hosted_controls.h"
#include "services/mod_cd_print.h"
#include "services/mod_color.h"
#include "services/mod_font.h"
#include "services/printer_members.h"
#include "services/wrapper_vb_control_extender.h"
#include "windows/frm_about.h"
#include "windows/window_place.h"

namespace svx {

namespace {

constexpr int16_t kShiftCtrlAlt = 1 | 2 | 4;
constexpr int16_t kKeyA = 65;
constexpr int16_t kKeyNumpad1 = 97;
constexpr int16_t kRightButton = 2;

int32_t formEventId(BStrView name) {
  static const std::unordered_map<BStrView, int32_t> ids = [] {
    std::unordered_map<BStrView, int32_t> m;
    for (const FormEventRow& r : formEventTable()) m[r.name] = r.id;
    return m;
  }();
  return ids.at(name);
}

constexpr size_t kControlEvents = static_cast<size_t>(ControlEvent::Resize) + 1;

// The row of a control array's event: the array's rows by its name, then by
// the event.
const FormEventRow* controlEventRow(BStrView array, ControlEvent event) {
  using Rows = std::array<const FormEventRow*, kControlEvents>;
  static const std::unordered_map<BStrView, Rows> bySource = [] {
    std::unordered_map<BStrView, Rows> m;
    for (const FormEventRow& r : formEventTable()) {
      Rows& rows = m.try_emplace(r.source, Rows{}).first->second;
      for (size_t e = 0; e < kControlEvents; ++e)
        if (eventName(static_cast<ControlEvent>(e)) == r.sourceEvent) rows[e] = &r;
    }
    return m;
  }();
  // Events come in runs from one array (mouse moves): the last array's rows
  // are at hand without hashing its name.
  thread_local BStr lastArray;
  thread_local const Rows* lastRows = nullptr;
  if (!lastRows || !sameText(array, lastArray)) {
    const auto it = bySource.find(array);
    if (it == bySource.end()) return nullptr;
    lastArray = BStr(array);
    lastRows = &it->second;
  }
  return (*lastRows)[static_cast<size_t>(event)];
}

bool chordHeld(int16_t shift) { return (shift & kShiftCtrlAlt) == kShiftCtrlAlt; }

// A user-control element until its own class exists (the hosted-control
// wrapper, invisible at run time).
class PlainUserControl : public UserControl {
 public:
  explicit PlainUserControl(bool invisible) : invisible_(invisible) {}
  const ClassInfo& classInfo() const override { return UserControl::info(); }
  Ref<Control> makeSibling() const override { return makeRef<PlainUserControl>(invisible_); }
  bool invisibleAtRunTime() const override { return invisible_; }

 private:
  bool invisible_;
};

Ref<Control> plainUserControl(BStrView array) {
  if (array == u"TimerCtrl") return makeRef<TimerControl>();
  if (array == u"DataCtrl") {
    Ref<DataControl> data = makeRef<DataControl>();
    data->readProperties(DataControl::templateBag());
    return data;
  }
  if (array == u"ctrlWrapperVBControlExtender") return makeRef<WrapperVBControlExtender>();
  return makeRef<PlainUserControl>(true);
}

}  // namespace

// Every DialogForm has the same design: made once.
DialogForm::DialogForm() : Form([] {
  static const std::shared_ptr<const FormDesign> design = std::make_shared<const FormDesign>(dialogFormDesign(plainUserControl));
  return design;
}()) {}

const ClassInfo& DialogForm::info() {
  static const ClassInfo ci = [] {
    ClassInfo c(u"DialogForm", &Form::info());
    c.method<&DialogForm::GetForm>(u"GetForm", {refOpt(u"Caption"), refOpt(u"Left"), refOpt(u"Top"), refOpt(u"Width"),
                                                refOpt(u"Height"), refOpt(u"ErrNumber"), refOpt(u"ErrDescription")})
        .method<&DialogForm::SetForm>(u"SetForm", {refOpt(u"Caption"), refOpt(u"Left"), refOpt(u"Top"),
                                                   refOpt(u"Width"), refOpt(u"Height"), refOpt(u"ErrNumber"),
                                                   refOpt(u"ErrDescription")})
        .method<&DialogForm::FormObject>(u"FormObject", {refOpt(u"ErrNumber"), refOpt(u"ErrDescription")})
        .method<&DialogForm::AboutBox>(u"AboutBox", {})
        .method<&DialogForm::BrowseForFolder>(u"BrowseForFolder",
                                              {refOpt(u"lnghWnd"), refOpt(u"strMessage"), refOpt(u"strStartDir"),
                                               refOpt(u"ErrNumber"), refOpt(u"ErrDescription")})
        .method<&DialogForm::FormCircleAbsolute>(
            u"FormCircleAbsolute", {ref(u"sngX"), ref(u"sngY"), ref(u"sngRadius"), refOpt(u"lngOLEColor"),
                                    refOpt(u"sngStart"), refOpt(u"sngEnd"), refOpt(u"sngAspect"), refOpt(u"ErrNumber"),
                                    refOpt(u"ErrDescription")})
        .method<&DialogForm::FormLineAbsolute>(
            u"FormLineAbsolute", {ref(u"sngX1"), ref(u"sngY1"), ref(u"sngX2"), ref(u"sngY2"), refOpt(u"lngOLEColor"),
                                  refOpt(u"boolBox"), refOpt(u"boolFill"), refOpt(u"ErrNumber"),
                                  refOpt(u"ErrDescription")})
        .method<&DialogForm::FormPaintPicture>(
            u"FormPaintPicture",
            {ref(u"byteStdPictureArray"), ref(u"sngX1"), ref(u"sngY1"), refOpt(u"sngWidth1"), refOpt(u"sngHeight1"),
             refOpt(u"sngX2"), refOpt(u"sngY2"), refOpt(u"sngWidth2"), refOpt(u"sngHeight2"), refOpt(u"lngOpcode"),
             refOpt(u"ErrNumber"), refOpt(u"ErrDescription")})
        .method<&DialogForm::FormPSetAbsolute>(
            u"FormPSetAbsolute",
            {ref(u"sngX"), ref(u"sngY"), refOpt(u"lngOLEColor"), refOpt(u"ErrNumber"), refOpt(u"ErrDescription")})
        .method<&DialogForm::FormPrintText>(u"FormPrintText",
                                            {ref(u"strText"), refOpt(u"ErrNumber"), refOpt(u"ErrDescription")});
    for (const FamilySpec* f : standardFamiliesI()) declareFamily(c, *f);
    declareLabelFamily(c);
    declareTextFamilies(c);
    declareListFamilies(c);
    declareOptionFamily(c);
    declareListBoxAdjustment(c);
    declareImageFamily(c);
    declarePictureCtrlFamily(c);
    declareTimerFamily(c);
    declarePrinterMembers(c);
    declareDataCtrlFamily(c);
    declareHostedControlMembers(c);
    c.member(u"CommonDialogShowColor", InvokeKind::Method, commonDialogShowColorParams(), CommonDialogShowColor);
    c.member(u"CommonDialogShowPrinter", InvokeKind::Method, commonDialogShowPrinterParams(),
             CommonDialogShowPrinter);
    c.member(u"CommonDialogShowOpen", InvokeKind::Method, commonDialogShowFileParams(u"strFileName"),
             CommonDialogShowOpen);
    c.member(u"CommonDialogShowMultiOpen", InvokeKind::Method, commonDialogShowFileParams(u"strFileNamesSelected"),
             CommonDialogShowMultiOpen);
    c.member(u"CommonDialogShowSave", InvokeKind::Method, commonDialogShowFileParams(u"strFileName"),
             CommonDialogShowSave);
    c.member(u"CommonDialogShowFont", InvokeKind::Method, commonDialogShowFontParams(), CommonDialogShowFont);
    declareFormEvents(c);
    return c;
  }();
  return ci;
}

// Form-level members.

void DialogForm::GetForm(Variant& Caption, Variant& Left, Variant& Top, Variant& Width, Variant& Height,
                         Variant& ErrNumber, Variant& ErrDescription) {
  const ErrorOut out{ErrNumber, ErrDescription};
  out.clear();
  reportMode(out, [&] {
    if (!Caption.isMissing()) Caption.assign(Variant(caption()));
    if (!Left.isMissing()) Left.assign(Variant(static_cast<float>(left())));
    if (!Top.isMissing()) Top.assign(Variant(static_cast<float>(top())));
    if (!Width.isMissing()) Width.assign(Variant(static_cast<float>(width())));
    if (!Height.isMissing()) Height.assign(Variant(static_cast<float>(height())));
  });
}

void DialogForm::SetForm(Variant& Caption, Variant& Left, Variant& Top, Variant& Width, Variant& Height,
                         Variant& ErrNumber, Variant& ErrDescription) {
  const ErrorOut out{ErrNumber, ErrDescription};
  out.clear();
  reportMode(out, [&] {
    if (!Caption.isMissing()) setCaption(toBStr(Caption));
    if (!Left.isMissing()) setLeft(toR4(Left));
    if (!Top.isMissing()) setTop(toR4(Top));
    if (!Width.isMissing()) setWidth(toR4(Width));
    if (!Height.isMissing()) setHeight(toR4(Height));
  });
}

Variant DialogForm::FormObject(Variant& ErrNumber, Variant& ErrDescription) {
  const ErrorOut out{ErrNumber, ErrDescription};
  ErrState err;
  err.attempt([&] { (void)Controls(); });
  if (err.pending()) {
    out.report(err);
    return Variant::nothing();
  }
  out.clear();
  return Variant(ObjectRef(this));
}

void DialogForm::AboutBox() {
  ignoreErrors([&] {
    Ref<frmAbout> about = makeRef<frmAbout>();
    about->load();
    if (visible()) {
      SetTopMost(about->hWnd(), TopMost);
      SetWindowLongA(about->hWnd(), GWL_HWNDPARENT, hWnd());  // owned by the form
      ignoreErrors([&] { centreOnOwner(*about, hWnd()); });
      about->show(true);
    } else {
      const Screen& s = screen();
      about->setLeft(static_cast<int32_t>(std::lround(s.width() - about->width())) / 2);
      about->setTop(static_cast<int32_t>(std::lround(s.height() - about->height())) / 2);
      SetTopMost(about->hWnd(), TopMost);
      about->show(true);
    }
    ignoreErrors([&] { about->unload(); });
  });
}

Variant DialogForm::BrowseForFolder(Variant& lnghWnd, Variant& strMessage, Variant& strStartDir, Variant& ErrNumber,
                                    Variant& ErrDescription) {
  BStr result;
  ignoreErrors([&] {
    int32_t owner = 0;
    BStr message, start;
    ignoreErrors([&] { owner = lnghWnd.isMissing() ? hWnd() : toI4(lnghWnd); });
    ignoreErrors([&] { message = strMessage.isMissing() ? BStr() : toBStr(strMessage); });
    ignoreErrors([&] { start = strStartDir.isMissing() ? MyDocumentsPath() : toBStr(strStartDir); });
    result = BrowseFolderDialog(owner, message, start, ErrNumber, ErrDescription);
  });
  return Variant(result);
}

// Drawing.

void DialogForm::FormCircleAbsolute(Variant& sngX, Variant& sngY, Variant& sngRadius, Variant& lngOLEColor,
                                    Variant& sngStart, Variant& sngEnd, Variant& sngAspect, Variant& ErrNumber,
                                    Variant& ErrDescription) {
  CircleAbsolute(surface(), sngX, sngY, sngRadius, lngOLEColor, sngStart, sngEnd, sngAspect, ErrNumber,
                 ErrDescription);
}

void DialogForm::FormLineAbsolute(Variant& sngX1, Variant& sngY1, Variant& sngX2, Variant& sngY2,
                                  Variant& lngOLEColor, Variant& boolBox, Variant& boolFill, Variant& ErrNumber,
                                  Variant& ErrDescription) {
  LineAbsolute(surface(), sngX1, sngY1, sngX2, sngY2, lngOLEColor, boolBox, boolFill, ErrNumber, ErrDescription,
               BoxColour::Required);
}

void DialogForm::FormPaintPicture(Variant& byteStdPictureArray, Variant& sngX1, Variant& sngY1, Variant& sngWidth1,
                                  Variant& sngHeight1, Variant& sngX2, Variant& sngY2, Variant& sngWidth2,
                                  Variant& sngHeight2, Variant& lngOpcode, Variant& ErrNumber,
                                  Variant& ErrDescription) {
  PaintPictureAbsolute(surface(), byteStdPictureArray, sngX1, sngY1, sngWidth1, sngHeight1, sngX2, sngY2, sngWidth2,
                       sngHeight2, lngOpcode, ErrNumber, ErrDescription);
}

void DialogForm::FormPSetAbsolute(Variant& sngX, Variant& sngY, Variant& lngOLEColor, Variant& ErrNumber,
                                  Variant& ErrDescription) {
  PSetAbsolute(surface(), sngX, sngY, lngOLEColor, ErrNumber, ErrDescription);
}

void DialogForm::FormPrintText(Variant& strText, Variant& ErrNumber, Variant& ErrDescription) {
  PrintText(surface(), strText, ErrNumber, ErrDescription);
}

// The form's own events.

void DialogForm::raiseNamed(BStrView name, std::span<Variant> args) { raiseById(formEventId(name), args); }

void DialogForm::raiseById(int32_t id, std::span<Variant> args) {
  // An event that no listener acts on is not raised: its arguments are not made.
  if (!listensTo(id)) return;
  std::vector<Variant> refs = refsTo(args);
  raiseEvent(id, refs);
}

void DialogForm::raiseNamedIgnoringErrors(BStrView name) {
  ignoreErrors([&] { raiseNamed(name, {}); });
}

void DialogForm::onInitialize() { raiseNamedIgnoringErrors(u"FormInitialize"); }
void DialogForm::onLoad() { raiseNamedIgnoringErrors(u"FormLoad"); }
void DialogForm::onActivate() { raiseNamedIgnoringErrors(u"FormActivate"); }
void DialogForm::onPaint() { raiseNamedIgnoringErrors(u"FormPaint"); }
void DialogForm::onResize() { raiseNamedIgnoringErrors(u"FormResize"); }
void DialogForm::onTerminate() { raiseNamedIgnoringErrors(u"FormTerminate"); }
void DialogForm::onDeactivate() { raiseNamed(u"FormDeactivate", {}); }
void DialogForm::onGotFocus() { raiseNamed(u"FormGotFocus", {}); }
void DialogForm::onLostFocus() { raiseNamed(u"FormLostFocus", {}); }
void DialogForm::onClick() { raiseNamed(u"FormClick", {}); }
void DialogForm::onDblClick() { raiseNamed(u"FormDblClick", {}); }

void DialogForm::onKeyDown(int16_t& keyCode, int16_t& shift) {
  if (chordHeld(shift) && (keyCode == kKeyA || keyCode == kKeyNumpad1)) AboutBox();
  std::vector<Variant> args{Variant::byRef(keyCode), Variant::byRef(shift)};
  static const int32_t id = formEventId(u"FormKeyDown");
  raiseById(id, args);
}

void DialogForm::onKeyPress(int16_t& keyAscii) {
  std::vector<Variant> args{Variant::byRef(keyAscii)};
  static const int32_t id = formEventId(u"FormKeyPress");
  raiseById(id, args);
}

void DialogForm::onKeyUp(int16_t& keyCode, int16_t& shift) {
  std::vector<Variant> args{Variant::byRef(keyCode), Variant::byRef(shift)};
  static const int32_t id = formEventId(u"FormKeyUp");
  raiseById(id, args);
}

namespace {
// Mouse events hand copies over and write them back.
void relayMouse(DialogForm& form, int32_t id, int16_t& button, int16_t& shift, float& x, float& y) {
  if (!form.listensTo(id)) return;
  std::vector<Variant> params{Variant::byRef(button), Variant::byRef(shift), Variant::byRef(x), Variant::byRef(y)};
  static const ArgMode modes[] = {ArgMode::CopyI2, ArgMode::CopyI2, ArgMode::CopyR4, ArgMode::CopyR4};
  relayEvent(id, params, modes,
             [&form](int32_t id, std::span<Variant> args) { form.raiseFormEvent(id, args); });
}

// Each copy is written back on its own; one that does not convert leaves
// its parameter as it was.
void writeBackI2(int16_t& target, const Variant& copy) {
  ignoreErrors([&] { target = toI2(copy); });
}
}  // namespace

void DialogForm::onMouseDown(int16_t& button, int16_t& shift, float& x, float& y) {
  if (chordHeld(shift) && button == kRightButton) AboutBox();
  static const int32_t id = formEventId(u"FormMouseDown");
  relayMouse(*this, id, button, shift, x, y);
}

void DialogForm::onMouseMove(int16_t& button, int16_t& shift, float& x, float& y) {
  static const int32_t id = formEventId(u"FormMouseMove");
  relayMouse(*this, id, button, shift, x, y);
}

void DialogForm::onMouseUp(int16_t& button, int16_t& shift, float& x, float& y) {
  static const int32_t id = formEventId(u"FormMouseUp");
  relayMouse(*this, id, button, shift, x, y);
}

void DialogForm::onQueryUnload(int16_t& cancel, int16_t& unloadMode) {
  std::vector<Variant> copies{Variant::i2(cancel), Variant::i2(unloadMode)};
  ignoreErrors([&] { raiseNamed(u"FormQueryUnload", copies); });
  writeBackI2(cancel, copies[0]);
  writeBackI2(unloadMode, copies[1]);
}

void DialogForm::onUnload(int16_t& cancel) {
  std::vector<Variant> copy{Variant::i2(cancel)};
  ignoreErrors([&] { raiseNamed(u"FormUnload", copy); });
  writeBackI2(cancel, copy[0]);
  if (cancel != 0) return;  // the form stays loaded; nothing is released
  releaseHostedControls();
}

void DialogForm::releaseHostedControls() {
  ignoreErrors([&] {
    for (ObjectRef& e : ActiveXWithEventsExtenders) e.reset();
    ActiveXWithEventsExtenders.clear();
  });
  ignoreErrors([&] {
    ControlArray& wrappers = array(u"ctrlWrapperVBControlExtender");
    for (int32_t i = wrappers.uBound(); i >= wrappers.lBound() + 1; --i)
      ignoreErrors([&] { wrappers.unload(static_cast<int16_t>(i)); });
  });
  ignoreErrors([&] {
    for (ObjectRef& o : ActiveXWithoutEventsObjects) o.reset();
    ActiveXWithoutEventsObjects.clear();
  });
}

// The relay of every control event.

void DialogForm::onControlEvent(ControlArray& array, ControlEvent event, int16_t& index, std::span<Variant> params) {
  const FormEventRow* row = controlEventRow(array.name(), event);
  if (row && listensTo(row->id))
    relayControlEvent(*row, index, params, [this](int32_t id, std::span<Variant> args) { raiseEvent(id, args); });
}

void DialogForm::onUserControlEvent(ControlArray& array, BStrView event, int16_t& index, std::span<Variant> params) {
  const FormEventRow* row = findFormEvent(array.name(), event);
  if (row && row->kind == RelayKind::ActiveX)
    return relayHostedControlEvent(*row, index, params,
                                   [this](int32_t id, std::span<Variant> args) { raiseEvent(id, args); });
  // An event that no listener acts on is not relayed: its arguments are not made.
  if (row && listensTo(row->id))
    relayControlEvent(*row, index, params, [this](int32_t id, std::span<Variant> args) { raiseEvent(id, args); });
}

Form::UserEventRelay DialogForm::userControlRelay(ControlArray& array, BStrView event) {
  const FormEventRow* row = findFormEvent(array.name(), event);
  if (!row) return {};
  return {row->id, row->kind == RelayKind::ActiveX};
}

}  // namespace svx
