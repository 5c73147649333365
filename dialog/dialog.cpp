#include "dialog/dialog.h"

#include <array>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "core/mdl_pict_to_array.h"
#include "core/mod_cd_browse_for_folder.h"
#include "core/mod_main.h"
#include "core/mod_show_in_taskbar.h"
#include "core/write_log_line.h"
#include "dialog/dialog_event_table.h"
#include "platform/automation/coerce.h"
#include "platform/desktop/display.h"
#include "platform/desktop/message_loop.h"
#include "platform/dialogs/services.h"

namespace svx {

namespace {

constexpr const char16_t* kProgId = u"Sorvanelix.Dialog";

ErrorOut errorsOf(const Args& a) { return ErrorOut{a[a.size() - 2], a[a.size() - 1]}; }

// The error's number (VT_I4) and description into the passed
// out-parameters, each write with errors ignored.
void reportError(const ErrorOut& out, int32_t number, const BStr& description) {
  ignoreErrors([&] {
    if (!out.number.isMissing()) out.number.assign(Variant::i4(number));
  });
  ignoreErrors([&] {
    if (!out.description.isMissing()) out.description.assign(Variant(description));
  });
}

// Pattern B's end: the pending error, else 0 and "", into the passed
// out-parameters; each write with errors ignored.
void reportOutcome(const Args& a, ErrState& e) {
  const ErrorOut out = errorsOf(a);
  if (e.pending())
    reportError(out, e.number(), e.description());
  else
    ClearErrorParameters(out.number, out.description);
  e.clear();
}

// Pattern C: the first failure shows one system-modal "Error!" box.
template <class F>
Variant withErrorBox(std::u16string_view leadIn, F&& body) {
  try {
    return std::forward<F>(body)();
  } catch (...) {
    const RuntimeError e = caughtError();
    const BStr failure = e.description() + u" (" + utf16(std::to_string(e.number())) + u")";
    // Headless nobody sees the box: its text goes to the host as well.
    if (const ErrorBoxNotice& notice = errorBoxNotice(); notice && dynamic_cast<HeadlessDisplay*>(&display()))
      ignoreErrors([&] { notice(BStr(leadIn) + failure); });
    ignoreErrors([&] {
      MsgBox(Variant(BStr(leadIn) + u"\r\n" + failure), Variant::i4(vbSystemModal | vbExclamation), Variant(u"Error!"));
    });
    return {};
  }
}

// Pattern D: ClearErrorParameters, then the first failure ends the steps and
// is reported.
template <class F>
void withHandlerReport(const Args& a, F&& body) {
  const ErrorOut out = errorsOf(a);
  ClearErrorParameters(out.number, out.description);
  try {
    std::forward<F>(body)();
  } catch (...) {
    const RuntimeError e = caughtError();
    reportError(out, e.number(), e.description());
  }
}

// Pattern E, errors ignored: Empty when the read fails.
template <class F>
Variant quietly(F&& read) {
  Variant result;
  ignoreErrors([&] { result = std::forward<F>(read)(); });
  return result;
}

// A property Let of the App object: the value converted (zero value when it
// does not convert), assigned only when it differs from the current one.
template <class T, class Get, class Set>
void letIfChanged(const Variant& value, T (*convert)(const Variant&), Get get, Set set) {
  T converted{};
  ignoreErrors([&] { converted = convert(value); });
  ignoreErrors([&] {
    if (!(get() == converted)) set(converted);
  });
}

// The byte-array intake of the picture members: no picture for a value that
// is not an array.
std::optional<Picture> pictureIntake(const Variant& source) {
  if (!source.isArray()) return std::nullopt;
  return ByteArrayToPicture(ByteArrayIntake(source));
}

std::optional<int32_t> formatOf(const Variant& v) {
  if (v.isMissing()) return std::nullopt;
  return toI2(v);
}

// Centres a window of the given size on the screen: (screen - size) rounded,
// then halved with the remainder dropped.
float centred(float screenSize, float size) {
  const auto difference = static_cast<int64_t>(roundHalfEven(static_cast<double>(screenSize) - size));
  return static_cast<float>(difference / 2);
}

}  // namespace

void ClearErrorParameters(Variant& lngErrNumber, Variant& strErrDescription) {
  ignoreErrors([&] {
    if (!lngErrNumber.isMissing()) lngErrNumber.assign(Variant::i2(0));
  });
  ignoreErrors([&] {
    if (!strErrDescription.isMissing()) strErrDescription.assign(Variant(BStr()));
  });
}

// ---------------------------------------------------------------------------
// Creation, termination, the bring-to-front tick, the form's events

Dialog::Dialog() {
  const WeakRef<Dialog> self(this);
  ignoreErrors([] {
    if (const auto& provider = printerObjectProvider()) {
      ObjectRef printer = provider();
      if (!printer) return;  // no current printer: the step fails and is skipped
      std::array<Variant, 1> value{Variant(false)};
      printer->invoke(kPrinterFlagDispid, InvokeKind::PropertyPut, value);
    }
  });
  ignoreErrors([] { InitializeDialogModule(); });
  ignoreErrors([&] {
    const auto& factory = dialogFormFactory();
    if (!factory) raise(err::ObjectVariableNotSet);
    std::shared_ptr<DialogFormApi> form = factory();
    if (!form) raise(err::ObjectVariableNotSet);
    frmDialog_ = std::move(form);
    formObject_ = frmDialog_->formObject();
    if (formObject_)
      formCookie_ = formObject_->connect(
          std::make_shared<FunctionSink>(
              [self](Object&, const EventInfo& event, std::span<Variant> args) {
                if (Dialog* d = self.get()) d->onFormEvent(event, args);
              },
              [self](Object&, const EventInfo& event) {
                Dialog* d = self.get();
                if (!d) return false;
                const DialogEventRow* row = d->rowOf(event);
                return row && d->listensTo(row->dispid);
              }));
  });
  ignoreErrors([&] { requireForm().setVisible(false); });
  ignoreErrors([&] { requireForm().setTopMost(true); });
  ignoreErrors([&] {
    objTimerBTF_ = makeRef<clsTimer>();
    objTimerBTF_->connect(std::make_shared<FunctionSink>([self](Object&, const EventInfo&, std::span<Variant>) {
      if (Dialog* d = self.get()) d->objTimerBTF_Timer();
    }));
    objTimerBTF_->setInterval(kBringToFrontInterval);
    objTimerBTF_->setEnabled(false);
  });
  ignoreErrors([] {
    if (const auto& hook = initCustomColorsHook()) hook();
  });
}

void Dialog::terminate() {
  ignoreErrors([&] { objTimerBTF_.reset(); });
  if (frmDialog_) {
    ignoreErrors([&] { frmDialog_->unload(); });
    if (formObject_) formObject_->disconnect(formCookie_);
    formObject_.reset();
    frmDialog_.reset();
  }
}

DialogFormApi& Dialog::requireForm() {
  if (!frmDialog_) raise(err::ObjectVariableNotSet);
  return *frmDialog_;
}

void Dialog::objTimerBTF_Timer() {
  ignoreErrors([&] {
    if (!objTimerBTF_) raise(err::ObjectVariableNotSet);
    objTimerBTF_->setEnabled(false);
  });
  ignoreErrors([&] { ShowWindowInTaskBar(requireForm().hWnd()); });
  HWND h = 0;
  ignoreErrors([&] { h = FindProcessOwnerWindow(); });
  ignoreErrors([&] { ForceForegroundWindow(h); });
  ignoreErrors([&] { SetFocus(h); });
}

const DialogEventRow* Dialog::rowOf(const EventInfo& formEvent) {
  return formEventRows_.get(formEvent, [&] { return findDialogEventByFormEvent(formEvent.dispid, formEvent.name); });
}

void Dialog::onFormEvent(const EventInfo& event, std::span<Variant> args) {
  const DialogEventRow* row = rowOf(event);
  if (!row) return;
  if (!row->name.starts_with(u"Form")) {
    raiseEvent(row->dispid, args);
    return;
  }
  if (row->name == u"FormActivate" || row->name == u"FormPaint") {
    ignoreErrors([&] { raiseEvent(row->dispid, args); });
    return;
  }
  if (row->name == u"FormQueryUnload" || row->name == u"FormUnload") {
    // 16-bit copies, written back; a copy that does not convert leaves the
    // form's value as it was.
    std::array<Variant, 2> copies;
    const size_t n = std::min(args.size(), row->name == u"FormUnload" ? size_t{1} : size_t{2});
    for (size_t i = 0; i < n; ++i) ignoreErrors([&] { copies[i] = changeType(args[i], VT_I2); });
    std::vector<Variant> refs;
    for (size_t i = 0; i < n; ++i) refs.push_back(Variant::byRef(copies[i]));
    ignoreErrors([&] { raiseEvent(row->dispid, refs); });
    for (size_t i = 0; i < n; ++i) ignoreErrors([&] { args[i].assign(Variant::i2(toI2(copies[i]))); });
    return;
  }
  raiseEvent(row->dispid, args);
}

// ---------------------------------------------------------------------------
// The dispatch interface

const ClassInfo& Dialog::info() {
  static const ClassInfo ci = [] {
    ClassInfo c(u"_Dialog");
    for (const DialogMemberRow& r : dialogMemberTable()) {
      MemberCall call;
      if (r.handler) {
        call = [h = r.handler](Object& self, const Args& a) { return (static_cast<Dialog&>(self).*h)(a); };
      } else {
        call = [name = r.name, clear = r.pattern == MemberPattern::Delegate,
                found = std::make_shared<MemberCache>()](Object& self, const Args& a) {
          return static_cast<Dialog&>(self).forward(name, clear, a, {}, found.get());
        };
      }
      c.member(r.name, r.kind, r.params, std::move(call), r.description);
      if (!r.result.empty()) c.returns(r.result);
    }
    declareDialogEvents(c);
    return c;
  }();
  return ci;
}

void Dialog::registerProgId() {
  registerClass(kProgId, [] { return ObjectRef(makeRef<Dialog>()); });
  setReferenceNotes(kProgId, dialogReferenceNotes());
}

Variant Dialog::forward(BStrView formMember, bool clearErrors, const Args& a, std::span<const size_t> order,
                        MemberCache* found) {
  if (clearErrors && a.size() >= 2) ClearErrorParameters(a[a.size() - 2], a[a.size() - 1]);
  if (!formObject_) raise(err::ObjectVariableNotSet);
  const size_t n = order.empty() ? a.size() : order.size();
  std::array<Variant*, 24> inlineTargets;
  std::vector<Variant*> heapTargets(n > inlineTargets.size() ? n : 0);
  const std::span<Variant*> targets(n > inlineTargets.size() ? heapTargets.data() : inlineTargets.data(), n);
  for (size_t i = 0; i < n; ++i) targets[i] = &a[order.empty() ? i : order[i]];
  const ObjectRef form = formObject_;  // the call may end in this object's release
  const MemberInfo* member = found ? found->find(form->classInfo(), formMember, InvokeKind::Method)
                                   : form->classInfo().find(formMember, InvokeKind::Method);
  if (!member) raise(err::MemberNotSupported);
  return invokeMemberByRef(*form, *member, targets);
}

// ---------------------------------------------------------------------------
// General members

Variant Dialog::ProcessMessages(const Args&) {
  ignoreErrors([] { DoEvents(); });
  return {};
}

Variant Dialog::MessageBox(const Args& a) {
  return withErrorBox(u"The MessageBox method has generated the following error: ",
                      [&] { return Variant::i4(MsgBox(a[0], a[1], a[2])); });
}

Variant Dialog::InBox(const Args& a) {
  return withErrorBox(u"The InBox method has generated the following error: ",
                      [&] { return Variant(InputBox(a[0], a[1], a[2], a[3], a[4])); });
}

Variant Dialog::Help(const Args&) {
  ignoreErrors([&] {
    const auto& factory = helpWindowFactory();
    if (!factory) return;
    std::unique_ptr<HelpWindowApi> help = factory();
    if (!help) return;
    ignoreErrors([&] { SetTopMost(help->hWnd(), requireForm().topMost()); });
    bool formVisible = false;
    ignoreErrors([&] { formVisible = requireForm().visible(); });
    if (formVisible) {
      HWND owner = 0;
      ignoreErrors([&] { owner = requireForm().hWnd(); });
      ignoreErrors([&] { help->showModal(owner); });
    } else {
      ignoreErrors([&] { help->setLeft(centred(screen().width(), help->width())); });
      ignoreErrors([&] { help->setTop(centred(screen().height(), help->height())); });
      ignoreErrors([&] { help->showModal(0); });
    }
  });
  return {};
}

// ---------------------------------------------------------------------------
// The form

Variant Dialog::ShowModal(const Args& a) {
  ErrState e;
  e.attempt([&] {
    DialogFormApi& f = requireForm();
    SetTopMost(f.hWnd(), f.topMost());
  });
  e.attempt([&] {
    if (!objTimerBTF_) raise(err::ObjectVariableNotSet);
    objTimerBTF_->setEnabled(true);
  });
  e.attempt([&] { requireForm().showModal(); });
  reportOutcome(a, e);
  return {};
}

Variant Dialog::getTopMost(const Args&) { return Variant(requireForm().topMost()); }

Variant Dialog::letTopMost(const Args& a) {
  return withErrorBox(u"The Topmost property has generated the following error: ", [&] {
    const bool value = toBool(a[0]);
    DialogFormApi& f = requireForm();
    if (value != f.topMost()) {
      f.setTopMost(value);
      if (f.visible()) SetTopMost(f.hWnd(), value);
    }
    return Variant();
  });
}

Variant Dialog::Hide(const Args& a) {
  ErrState e;
  e.attempt([&] { requireForm().hide(); });
  reportOutcome(a, e);
  return {};
}

Variant Dialog::getCaption(const Args&) { return Variant(strFormCaption_); }

Variant Dialog::letCaption(const Args& a) {
  return withErrorBox(u"The Caption property has generated the following error: ", [&] {
    if (compare(a[0], Variant(strFormCaption_)) != 0) {
      strFormCaption_ = toBStr(a[0]);
      requireForm().setCaption(strFormCaption_);
    }
    return Variant();
  });
}

Variant Dialog::getHeight(const Args&) { return Variant(requireForm().height()); }
Variant Dialog::letHeight(const Args& a) {
  return withErrorBox(u"The Height property has generated the following error: ", [&] {
    const float v = toR4(a[0]);
    requireForm().setHeight(v);
    return Variant();
  });
}
Variant Dialog::getLeft(const Args&) { return Variant(requireForm().left()); }
Variant Dialog::letLeft(const Args& a) {
  return withErrorBox(u"The Left property has generated the following error: ", [&] {
    const float v = toR4(a[0]);
    requireForm().setLeft(v);
    return Variant();
  });
}
Variant Dialog::getTop(const Args&) { return Variant(requireForm().top()); }
Variant Dialog::letTop(const Args& a) {
  return withErrorBox(u"The Top property has generated the following error: ", [&] {
    const float v = toR4(a[0]);
    requireForm().setTop(v);
    return Variant();
  });
}
Variant Dialog::getWidth(const Args&) { return Variant(requireForm().width()); }
Variant Dialog::letWidth(const Args& a) {
  return withErrorBox(u"The Width property has generated the following error: ", [&] {
    const float v = toR4(a[0]);
    requireForm().setWidth(v);
    return Variant();
  });
}
Variant Dialog::getScaleHeight(const Args&) { return Variant(requireForm().scaleHeight()); }
Variant Dialog::getScaleWidth(const Args&) { return Variant(requireForm().scaleWidth()); }

// ---------------------------------------------------------------------------
// Common dialogs

Variant Dialog::CommonDialogShowOpen(const Args& a) {
  // strInitDir, strFileFilter, strDialogTitle, strFileName, lnghWnd, then
  // boolMultiSelect (not passed on), lngErrNumber, strErrDescription.
  const bool multi = !a[5].isMissing() && toBool(a[5]);
  static constexpr std::array<size_t, 7> order{0, 1, 2, 3, 4, 6, 7};
  return forward(multi ? u"CommonDialogShowMultiOpen" : u"CommonDialogShowOpen", false, a, order);
}

// ---------------------------------------------------------------------------
// The screen

Variant Dialog::ScreenHeight(const Args&) {
  return quietly([] { return Variant(screen().height()); });
}
Variant Dialog::ScreenWidth(const Args&) {
  return quietly([] { return Variant(screen().width()); });
}

Variant Dialog::ScreenGetMouseIcon(const Args& a) {
  withHandlerReport(a, [&] { a[0].assign(Variant(PictureToByteArray(screen().mouseIcon()))); });
  return {};
}

Variant Dialog::ScreenSetMouseIcon(const Args& a) {
  withHandlerReport(a, [&] { screen().setMouseIcon(pictureIntake(a[0])); });
  return {};
}

Variant Dialog::getScreenMousePointer(const Args&) {
  return quietly([] { return Variant::i2(screen().mousePointer()); });
}
Variant Dialog::letScreenMousePointer(const Args& a) {
  ignoreErrors([&] { screen().setMousePointer(toI2(a[0])); });
  return {};
}
Variant Dialog::ScreenTwipsPerPixelX(const Args&) {
  return quietly([] { return Variant(screen().twipsPerPixelX()); });
}
Variant Dialog::ScreenTwipsPerPixelY(const Args&) {
  return quietly([] { return Variant(screen().twipsPerPixelY()); });
}

Variant Dialog::ScreenObject(const Args& a) {
  ErrState e;
  Variant result;
  e.attempt([&] { result = Variant(ObjectRef(screenObject())); });
  reportOutcome(a, e);
  return result;
}

// ---------------------------------------------------------------------------
// The server process

Variant Dialog::LogEvent(const Args& a) {
  ErrState e;
  ClearErrorParameters(a[2], a[3]);
  BStr text;
  e.attempt([&] { text = toBStr(a[0]); });
  e.attempt([&] { app().logEvent(text, a[1]); });
  reportOutcome(a, e);
  return {};
}

Variant Dialog::LogMode(const Args&) {
  return quietly([] { return Variant::i4(app().logMode()); });
}
Variant Dialog::LogPath(const Args&) {
  return quietly([] { return Variant(app().logPath()); });
}

Variant Dialog::getOLERequestPendingMsgText(const Args&) {
  return quietly([] { return Variant(app().oleRequestPendingMsgText()); });
}
Variant Dialog::letOLERequestPendingMsgText(const Args& a) {
  letIfChanged(a[0], &toBStr, [] { return app().oleRequestPendingMsgText(); },
               [](const BStr& v) { app().setOleRequestPendingMsgText(v); });
  return {};
}
Variant Dialog::getOLERequestPendingMsgTitle(const Args&) {
  return quietly([] { return Variant(app().oleRequestPendingMsgTitle()); });
}
Variant Dialog::letOLERequestPendingMsgTitle(const Args& a) {
  letIfChanged(a[0], &toBStr, [] { return app().oleRequestPendingMsgTitle(); },
               [](const BStr& v) { app().setOleRequestPendingMsgTitle(v); });
  return {};
}
Variant Dialog::getOLERequestPendingTimeoutMSecs(const Args&) {
  return quietly([] { return Variant::i4(app().oleRequestPendingTimeout()); });
}
Variant Dialog::letOLERequestPendingTimeoutMSecs(const Args& a) {
  letIfChanged(a[0], &toI4, [] { return app().oleRequestPendingTimeout(); },
               [](int32_t v) { app().setOleRequestPendingTimeout(v); });
  return {};
}
Variant Dialog::getOLEServerBusyMsgText(const Args&) {
  return quietly([] { return Variant(app().oleServerBusyMsgText()); });
}
Variant Dialog::letOLEServerBusyMsgText(const Args& a) {
  letIfChanged(a[0], &toBStr, [] { return app().oleServerBusyMsgText(); },
               [](const BStr& v) { app().setOleServerBusyMsgText(v); });
  return {};
}
Variant Dialog::getOLEServerBusyMsgTitle(const Args&) {
  return quietly([] { return Variant(app().oleServerBusyMsgTitle()); });
}
Variant Dialog::letOLEServerBusyMsgTitle(const Args& a) {
  letIfChanged(a[0], &toBStr, [] { return app().oleServerBusyMsgTitle(); },
               [](const BStr& v) { app().setOleServerBusyMsgTitle(v); });
  return {};
}
Variant Dialog::getOLEServerBusyRaiseError(const Args&) {
  return quietly([] { return Variant(app().oleServerBusyRaiseError()); });
}
Variant Dialog::letOLEServerBusyRaiseError(const Args& a) {
  letIfChanged(a[0], &toBool, [] { return app().oleServerBusyRaiseError(); },
               [](bool v) { app().setOleServerBusyRaiseError(v); });
  return {};
}
Variant Dialog::getOLEServerBusyTimeoutMSecs(const Args&) {
  return quietly([] { return Variant::i4(app().oleServerBusyTimeout()); });
}
Variant Dialog::letOLEServerBusyTimeoutMSecs(const Args& a) {
  letIfChanged(a[0], &toI4, [] { return app().oleServerBusyTimeout(); },
               [](int32_t v) { app().setOleServerBusyTimeout(v); });
  return {};
}

Variant Dialog::StartLogging(const Args& a) {
  ErrState e;
  ClearErrorParameters(a[2], a[3]);
  BStr target;
  int32_t modes = 0;
  e.attempt([&] { target = toBStr(a[0]); });
  e.attempt([&] { modes = toI4(a[1]); });
  e.attempt([&] { app().startLogging(target, modes); });
  reportOutcome(a, e);
  return {};
}

Variant Dialog::ThreadID(const Args&) {
  return quietly([] { return Variant::i4(static_cast<int32_t>(app().threadId())); });
}
Variant Dialog::ProcessID(const Args&) {
  return quietly([] { return Variant::i4(static_cast<int32_t>(GetCurrentProcessId())); });
}

Variant Dialog::LogInfo(const Args& a) {
  BStr text = toBStr(a[0]);
  ClearErrorParameters(a[1], a[2]);
  WriteLogLine(text, a[1], a[2]);
  return {};
}

// ---------------------------------------------------------------------------
// Conversions and the clipboard

Variant Dialog::BlobToArray(const Args& a) {
  withHandlerReport(a, [&] {
    a[1].assign(Variant());
    a[1].assign(changeType(a[0], VT_ARRAY | VT_UI1));
  });
  return {};
}

Variant Dialog::GetMyDocumentsFolder(const Args&) { return Variant(MyDocumentsPath()); }

Variant Dialog::QBColor(const Args& a) {
  a[1].assign(Variant());
  a[1].assign(Variant::i4(svx::QBColor(toI2(a[0]))));
  return {};
}

Variant Dialog::RGBToOleColor(const Args& a) {
  a[3].assign(Variant());
  const uint8_t red = toUI1(a[0]);
  const uint8_t green = toUI1(a[1]);
  const uint8_t blue = toUI1(a[2]);
  a[3].assign(Variant::i4(RGB(red, green, blue)));
  return {};
}

Variant Dialog::RGBFromOLEColor(const Args& a) {
  int32_t colour = toI4(a[0]);
  COLORREF translated = 0;
  if (OleTranslateColor(static_cast<OLE_COLOR>(colour), 0, &translated) != S_OK) {
    int32_t again = toI4(a[0]);
    translated = static_cast<COLORREF>(TranslateSysColor(again));
  }
  a[1].assign(Variant::i4(static_cast<int32_t>(translated & 0xFF)));
  a[2].assign(Variant::i4(static_cast<int32_t>((translated >> 8) & 0xFF)));
  a[3].assign(Variant::i4(static_cast<int32_t>((translated >> 16) & 0xFF)));
  return {};
}

Variant Dialog::Beep(const Args&) {
  svx::Beep();
  return {};
}

Variant Dialog::ClipboardClear(const Args& a) {
  withHandlerReport(a, [] { clipboard().clear(); });
  return {};
}

Variant Dialog::ClipboardGetFormat(const Args& a) {
  Variant result;
  withHandlerReport(a, [&] { result = Variant(clipboard().getFormat(toI2(a[0]))); });
  return result;
}

Variant Dialog::ClipboardGetText(const Args& a) {
  Variant result;
  withHandlerReport(a, [&] { result = Variant(clipboard().getText(formatOf(a[0]))); });
  return result;
}

Variant Dialog::ClipboardSetText(const Args& a) {
  withHandlerReport(a, [&] {
    const BStr text = toBStr(a[0]);
    clipboard().setText(text, formatOf(a[1]));
  });
  return {};
}

Variant Dialog::ClipboardGetData(const Args& a) {
  withHandlerReport(a, [&] {
    const Picture picture = clipboard().getData(formatOf(a[1]));
    a[0].assign(Variant(PictureToByteArray(picture)));
  });
  return {};
}

Variant Dialog::ClipboardSetData(const Args& a) {
  withHandlerReport(a, [&] {
    const std::optional<Picture> picture = pictureIntake(a[0]);
    clipboard().clear();
    clipboard().setData(picture, formatOf(a[1]));
  });
  return {};
}

}  // namespace svx
