#include "platform/user/simulated_user.h"

#include <filesystem>
#include <optional>
#include <vector>

#include "platform/automation/safearray.h"
#include "platform/dialogs/common_dialogs.h"
#include "platform/dialogs/dialog_window.h"
#include "platform/dialogs/file_dialogs.h"
#include "platform/dialogs/font_dialog.h"
#include "platform/dialogs/message_box.h"
#include "platform/dialogs/print_dialog.h"
#include "platform/forms/person.h"
#include "platform/forms/user_control.h"
#include "platform/shell/shell.h"

namespace svx {

namespace {

Control& controlArg(const Variant& v) {
  const Variant& o = v.deref();
  Object* obj = o.isObject() ? o.asObject().get() : nullptr;
  if (!obj) raise(err::ObjectRequired);
  // A control, most often; or a user control handed out as itself.
  if (auto* c = dynamic_cast<Control*>(obj)) return *c;
  if (auto* u = dynamic_cast<UserControlObject*>(obj)) return u->control();
  raise(err::TypeMismatch);
}

Form& formArg(const Variant& v) {
  const Variant& o = v.deref();
  if (!o.isObject() || !o.asObject()) raise(err::ObjectRequired);
  auto* f = dynamic_cast<Form*>(o.asObject().get());
  if (!f) raise(err::TypeMismatch);
  return *f;
}

int16_t optI2(const Variant& v, int16_t otherwise) { return v.isMissing() ? otherwise : toI2(v); }
float optR4(const Variant& v) { return v.isMissing() ? -1.0f : toR4(v); }

}  // namespace

void SimulatedUser::click(Variant& c) { person::click(controlArg(c)); }
void SimulatedUser::clickAt(Variant& target, Variant& x, Variant& y) {
  const Variant& o = target.deref();
  if (o.isObject() && dynamic_cast<Form*>(o.asObject().get())) return person::clickAt(formArg(target), toR4(x), toR4(y));
  person::clickAt(controlArg(target), toR4(x), toR4(y));
}
void SimulatedUser::dblClick(Variant& c) { person::dblClick(controlArg(c)); }
void SimulatedUser::rightClick(Variant& c) { person::rightClick(controlArg(c)); }
void SimulatedUser::mouseDown(Variant& target, Variant& b, Variant& s, Variant& x, Variant& y) {
  const Variant& o = target.deref();
  if (o.isObject() && dynamic_cast<Form*>(o.asObject().get()))
    return person::mouseDown(formArg(target), optI2(b, 1), optI2(s, 0), optR4(x), optR4(y));
  person::mouseDown(controlArg(target), optI2(b, 1), optI2(s, 0), optR4(x), optR4(y));
}
void SimulatedUser::mouseMove(Variant& c, Variant& b, Variant& s, Variant& x, Variant& y) {
  person::mouseMove(controlArg(c), optI2(b, 0), optI2(s, 0), optR4(x), optR4(y));
}
void SimulatedUser::mouseUp(Variant& c, Variant& b, Variant& s, Variant& x, Variant& y) {
  person::mouseUp(controlArg(c), optI2(b, 1), optI2(s, 0), optR4(x), optR4(y));
}
void SimulatedUser::keyDown(Variant& c, Variant& code, Variant& s) {
  person::keyDown(controlArg(c), toI2(code), optI2(s, 0));
}
void SimulatedUser::keyPress(Variant& c, Variant& code, Variant&) { person::keyPress(controlArg(c), toI2(code)); }
void SimulatedUser::keyUp(Variant& c, Variant& code, Variant& s) {
  person::keyUp(controlArg(c), toI2(code), optI2(s, 0));
}
void SimulatedUser::type(Variant& c, Variant& text) { person::type(controlArg(c), toBStr(text)); }
void SimulatedUser::press(Variant& c, Variant& key) { person::press(controlArg(c), toBStr(key)); }
void SimulatedUser::choose(Variant& c, Variant& i) { person::choose(controlArg(c), toI2(i)); }
void SimulatedUser::check(Variant& c, Variant& i) { person::check(controlArg(c), toI2(i)); }
void SimulatedUser::scroll(Variant& c, Variant& v) { person::scroll(controlArg(c), toI2(v)); }
void SimulatedUser::clickArrow(Variant& c, Variant& direction) {
  person::clickScrollPart(controlArg(c), false, toI2(direction));
}
void SimulatedUser::clickTrack(Variant& c, Variant& direction) {
  person::clickScrollPart(controlArg(c), true, toI2(direction));
}
void SimulatedUser::wheel(Variant& target, Variant& notches, Variant& x, Variant& y) {
  const int16_t n = toI2(notches);
  const Variant& o = target.deref();
  if (o.isObject() && dynamic_cast<Form*>(o.asObject().get())) {
    Form& f = formArg(target);
    return person::wheelAt(f, n, x.isMissing() ? f.scaleWidth() / 2 : toR4(x),
                         y.isMissing() ? f.scaleHeight() / 2 : toR4(y));
  }
  person::wheel(controlArg(target), n, optR4(x), optR4(y));
}
void SimulatedUser::close(Variant& f) { person::close(formArg(f)); }
Variant SimulatedUser::activeForm() {
  Form* f = person::activeForm();
  return f ? Variant(ObjectRef(f)) : Variant::nothing();
}
void SimulatedUser::snapshot(Variant& f, Variant& file) {
  const std::filesystem::path path(utf8(toBStr(file)));
  if (f.deref().vt() == VT_BSTR) {
    // A kind of common dialog: the next one of that kind, as it ends.
    const BStr kind = toBStr(f);
    if (!sameName(kind, u"Open") && !sameName(kind, u"Save") && !sameName(kind, u"Font"))
      raise(err::InvalidProcedureCall);
    queueDialogSnapshot(kind, path);
    return;
  }
  person::snapshot(formArg(f), path);
}

const ClassInfo& SimulatedUser::info() {
  static const ClassInfo ci =
      ClassInfo(u"User")
          .method<&SimulatedUser::click>(u"click", {in(u"control")})
          .method<&SimulatedUser::dblClick>(u"dblClick", {in(u"control")})
          .method<&SimulatedUser::rightClick>(u"rightClick", {in(u"control")})
          .method<&SimulatedUser::clickAt>(u"clickAt", {in(u"control"), in(u"x"), in(u"y")})
          .method<&SimulatedUser::mouseDown>(u"mouseDown", {in(u"target"), inOpt(u"button"), inOpt(u"shift"),
                                                            inOpt(u"x"), inOpt(u"y")})
          .method<&SimulatedUser::mouseMove>(u"mouseMove", {in(u"control"), inOpt(u"button"), inOpt(u"shift"),
                                                            inOpt(u"x"), inOpt(u"y")})
          .method<&SimulatedUser::mouseUp>(u"mouseUp", {in(u"control"), inOpt(u"button"), inOpt(u"shift"),
                                                        inOpt(u"x"), inOpt(u"y")})
          .method<&SimulatedUser::keyDown>(u"keyDown", {in(u"control"), in(u"code"), inOpt(u"shift")})
          .method<&SimulatedUser::keyPress>(u"keyPress", {in(u"control"), in(u"code"), inOpt(u"shift")})
          .method<&SimulatedUser::keyUp>(u"keyUp", {in(u"control"), in(u"code"), inOpt(u"shift")})
          .method<&SimulatedUser::type>(u"type", {in(u"control"), in(u"text")})
          .method<&SimulatedUser::press>(u"press", {in(u"control"), in(u"key")})
          .method<&SimulatedUser::choose>(u"choose", {in(u"control"), in(u"itemIndex")})
          .method<&SimulatedUser::check>(u"check", {in(u"control"), in(u"itemIndex")})
          .method<&SimulatedUser::scroll>(u"scroll", {in(u"control"), in(u"value")})
          .method<&SimulatedUser::clickArrow>(u"clickArrow", {in(u"control"), in(u"direction")})
          .method<&SimulatedUser::clickTrack>(u"clickTrack", {in(u"control"), in(u"direction")})
          .method<&SimulatedUser::wheel>(u"wheel", {in(u"target"), in(u"notches"), inOpt(u"x"), inOpt(u"y")})
          .method<&SimulatedUser::close>(u"close", {in(u"form")})
          .method<&SimulatedUser::activeForm>(u"activeForm", {})
          .method<&SimulatedUser::snapshot>(u"snapshot", {in(u"form"), in(u"file")})
          .method<&SimulatedUser::answer>(u"answer", {in(u"kind"), in(u"value")});
  return ci;
}

}  // namespace svx

namespace svx {

namespace {

// The k-th element of a one-dimensional answer array, or nothing where the
// array ends before it or the element is Empty or missing (the dialog then
// keeps what it showed).
std::optional<Variant> answerItem(const SafeArray& a, int32_t k) {
  if (k >= a.elementCount()) return std::nullopt;
  Variant v = a.get(a.lbound() + k);
  if (v.isEmpty() || v.isMissing()) return std::nullopt;
  return v;
}

// A print dialog answer: True is OK as shown, False cancels; an array
// [device, range, from, to, copies, collate, print to file] gives what the
// user sets, an Empty or missing element keeping what the dialog showed.
PrintDialogAnswer printAnswer(const Variant& value) {
  PrintDialogAnswer r;
  if (!value.isArray()) {
    r.ok = toBool(value);
    return r;
  }
  const SafeArray* a = value.deref().asArray();
  if (!a || a->dimensions() != 1 || a->elementCount() > 7) raise(err::InvalidProcedureCall);
  r.ok = true;
  auto item = [a](int32_t i) { return answerItem(*a, i); };
  if (auto v = item(0)) r.device = toBStr(*v);
  if (auto v = item(1)) r.range = toI4(*v);
  if (auto v = item(2)) r.fromPage = toI4(*v);
  if (auto v = item(3)) r.toPage = toI4(*v);
  if (auto v = item(4)) r.copies = toI4(*v);
  if (auto v = item(5)) r.collate = toBool(*v);
  if (auto v = item(6)) r.printToFile = toBool(*v);
  return r;
}

}  // namespace

namespace {

// A font dialog's answer: Null or False cancels, True is OK as shown, an array
// [face, size, weight, italic, underline, strikeout, colour] is what the user
// picks (an Empty element keeps what the dialog showed).
FontDialogAnswer fontAnswer(const Variant& value) {
  FontDialogAnswer a;
  if (value.isNull()) {
    a.cancel = true;
    return a;
  }
  const Variant& given = value.deref();
  if (!given.isArray()) {
    if (given.vt() != VT_BOOL) raise(err::InvalidProcedureCall);
    a.cancel = !toBool(given);
    return a;
  }
  const SafeArray* items = given.asArray();
  if (!items || items->dimensions() != 1) raise(err::InvalidProcedureCall);
  auto item = [items](int32_t k) { return answerItem(*items, k); };
  if (auto v = item(0)) a.face = toBStr(*v);
  if (auto v = item(1)) a.size = toBStr(*v);
  if (auto v = item(2)) a.weight = toI4(*v);
  if (auto v = item(3)) a.italic = toBool(*v);
  if (auto v = item(4)) a.underline = toBool(*v);
  if (auto v = item(5)) a.strikeOut = toBool(*v);
  if (auto v = item(6)) a.color = static_cast<COLORREF>(toI4(*v));
  return a;
}

}  // namespace

// Queues the answer of the next box or dialog of `kind`; Null (a script's
// null) cancels it.
void SimulatedUser::answer(Variant& kind, Variant& value) {
  const BStr k = toBStr(kind);
  const bool cancel = value.isNull();
  if (sameName(k, u"MessageBox") || sameName(k, u"InputBox")) {
    const DialogKind box = sameName(k, u"MessageBox") ? DialogKind::MessageBox : DialogKind::InputBox;
    if (cancel) dialogResponder().queueCancel(box);
    else dialogResponder().queueAnswer(box, value);
  } else if (sameName(k, u"Color")) {
    if (cancel) colorDialogs().queueCancel();
    else colorDialogs().queueAnswer(static_cast<COLORREF>(toI4(value)));
  } else if (sameName(k, u"Print")) {
    if (cancel) printDialogs().queueCancel();
    else printDialogs().queue(printAnswer(value));
  } else if (sameName(k, u"Open") || sameName(k, u"Save")) {
    const FileDialogKind file = sameName(k, u"Open") ? FileDialogKind::Open : FileDialogKind::Save;
    if (cancel) {
      fileDialogs().queueCancel(file);
    } else if (const Variant& given = value.deref(); given.isArray() && given.asArray()) {
      const SafeArray& items = *given.asArray();
      if (items.dimensions() != 1) raise(err::InvalidProcedureCall);
      std::vector<BStr> paths;
      for (int32_t i = items.lbound(); i <= items.ubound(); ++i) paths.push_back(toBStr(items.get(i)));
      fileDialogs().queue(file, FileDialogAnswer{std::move(paths)});
    } else {
      fileDialogs().queueAnswer(file, toBStr(value));
    }
  } else if (sameName(k, u"Font")) {
    fontDialogs().queue(fontAnswer(value));
  } else if (sameName(k, u"Folder")) {
    if (cancel) folderDialogs().queueCancel();
    else folderDialogs().queueAnswer(utf8(toBStr(value)));
  } else {
    raise(err::InvalidProcedureCall);
  }
}

}  // namespace svx
