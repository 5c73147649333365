#include "windows/frm_help_all.h"

namespace svx {

namespace {

FormDesign helpDesign(BStr text) {
  FormDesign d;
  d.name = u"frmHelpAll";
  d.caption = u"Sorvanelix Help";
  d.clientWidth = 9000;
  d.clientHeight = 6600;
  d.font = Font{u"Tahoma", 8.25};
  ControlDesign body;
  body.arrayName = u"txtHelp";
  body.kind = ControlKind::TextBox;
  body.values = {{u"Left", Variant(120)},   {u"Top", Variant(120)},       {u"Width", Variant(8760)},
                 {u"Height", Variant(5820)}, {u"MultiLine", Variant(true)}, {u"ScrollBars", Variant::i2(2)},
                 {u"Locked", Variant(true)}, {u"Text", Variant(std::move(text))}};
  ControlDesign close;
  close.arrayName = u"cmdClose";
  close.kind = ControlKind::CommandButton;
  close.values = {{u"Left", Variant(7800)},  {u"Top", Variant(6060)},       {u"Width", Variant(1080)},
                  {u"Height", Variant(375)}, {u"Caption", Variant(u"Close")}, {u"Cancel", Variant(true)}};
  d.controls = {body, close};
  return d;
}

BStr paramList(const std::vector<ParamInfo>& params) {
  BStr out;
  for (const ParamInfo& p : params) {
    if (!out.empty()) out += u", ";
    out += p.optional ? u"[" + p.name + u"]" : p.name;
  }
  return out;
}

}  // namespace

frmHelpAll::frmHelpAll(BStr text) : Form(helpDesign(std::move(text))) {}

const ClassInfo& frmHelpAll::info() {
  static const ClassInfo ci = ClassInfo(u"frmHelpAll", &Form::info());
  return ci;
}

void frmHelpAll::onControlEvent(ControlArray& array, ControlEvent event, int16_t&, std::span<Variant>) {
  if (array.name() == u"cmdClose" && event == ControlEvent::Click) unload();
}

BStr referenceText(const ClassInfo& ci) {
  BStr out = ci.name() + u"\r\n\r\nProperties and methods\r\n";
  for (const MemberInfo* m : ci.members()) {
    if (m->kind == InvokeKind::PropertyPut || m->kind == InvokeKind::PropertyPutRef) continue;
    out += u"  " + m->name + u"(" + paramList(m->params) + u")";
    if (!m->description.empty()) out += u": " + m->description;
    out += u"\r\n";
  }
  out += u"\r\nEvents\r\n";
  for (const EventInfo& e : ci.events()) {
    BStr params;
    for (const BStr& p : e.params) params += (params.empty() ? u"" : u", ") + p;
    out += u"  " + e.name + u"(" + params + u")";
    if (!e.description.empty()) out += u": " + e.description;
    out += u"\r\n";
  }
  return out;
}

}  // namespace svx
