#include "dialog/dialog_event_table.h"

#include "core/form_event_table.h"
#include "platform/automation/dispatch.h"

namespace svx {

namespace {

struct FamilyRow {
  const char16_t* family;      // Dialog's family word
  const char16_t* formFamily;  // the form's family word
  const char16_t* group;
  std::vector<const char16_t*> events;
};

constexpr const char16_t* kForm = u"Form-related events";
constexpr const char16_t* kActiveX = u"ActiveX EXE-related events";
constexpr const char16_t* kControl = u"Control-related events";

const std::vector<FamilyRow>& families() {
  static const std::vector<FamilyRow> rows = {
      {u"Check", u"Check", kControl,
       {u"Click", u"GotFocus", u"KeyDown", u"KeyPress", u"KeyUp", u"LostFocus", u"MouseDown", u"MouseMove",
        u"MouseUp", u"Validate"}},
      {u"Combo", u"Combo", kControl,
       {u"Change", u"Click", u"DblClick", u"DropDown", u"GotFocus", u"KeyDown", u"KeyPress", u"KeyUp", u"LostFocus",
        u"Scroll", u"Validate"}},
      {u"ComboText", u"ComboText", kControl,
       {u"Change", u"Click", u"DblClick", u"DropDown", u"GotFocus", u"KeyDown", u"KeyPress", u"KeyUp", u"LostFocus",
        u"Scroll", u"Validate"}},
      {u"Command", u"Command", kControl,
       {u"Click", u"GotFocus", u"KeyDown", u"KeyPress", u"KeyUp", u"LostFocus", u"MouseDown", u"MouseMove",
        u"MouseUp"}},
      {u"ActiveXControl", u"ActiveXControl", kActiveX, {u"GotFocus", u"LostFocus", u"Validate", u"Event"}},
      {u"Form", u"Form", kForm,
       {u"Activate", u"Click", u"DblClick", u"Deactivate", u"GotFocus", u"Initialize", u"KeyDown", u"KeyPress",
        u"KeyUp", u"Load", u"LostFocus", u"MouseDown", u"MouseMove", u"MouseUp", u"Paint", u"Resize",
        u"Terminate", u"QueryUnload", u"Unload"}},
      {u"Frame", u"Frame", kControl, {u"Click", u"DblClick", u"MouseDown", u"MouseMove", u"MouseUp"}},
      {u"HScrollBar", u"HScroll", kControl,
       {u"Change", u"GotFocus", u"KeyDown", u"KeyPress", u"KeyUp", u"LostFocus", u"Scroll", u"Validate"}},
      {u"Image", u"Image", kControl, {u"Click", u"DblClick", u"MouseDown", u"MouseMove", u"MouseUp"}},
      {u"Label", u"Label", kControl, {u"Change", u"Click", u"DblClick", u"MouseDown", u"MouseMove", u"MouseUp"}},
      {u"ListCheck", u"ListCheck", kControl,
       {u"Click", u"DblClick", u"GotFocus", u"ItemCheck", u"KeyDown", u"KeyPress", u"KeyUp", u"LostFocus",
        u"MouseDown", u"MouseMove", u"MouseUp", u"Scroll", u"Validate"}},
      {u"List", u"List", kControl,
       {u"Click", u"DblClick", u"GotFocus", u"KeyDown", u"KeyPress", u"KeyUp", u"LostFocus", u"MouseDown",
        u"MouseMove", u"MouseUp", u"Scroll", u"Validate"}},
      {u"MultiText", u"MultiText", kControl,
       {u"Change", u"Click", u"DblClick", u"GotFocus", u"KeyDown", u"KeyPress", u"KeyUp", u"LostFocus",
        u"MouseDown", u"MouseMove", u"MouseUp", u"Validate"}},
      {u"Option", u"Option", kControl,
       {u"Click", u"DblClick", u"GotFocus", u"KeyDown", u"KeyPress", u"KeyUp", u"LostFocus", u"MouseDown",
        u"MouseMove", u"MouseUp", u"Validate"}},
      {u"Picture", u"Picture", kControl,
       {u"Change", u"Click", u"DblClick", u"GotFocus", u"KeyDown", u"KeyPress", u"KeyUp", u"LostFocus",
        u"MouseDown", u"MouseMove", u"MouseUp", u"Paint", u"Resize", u"Validate"}},
      {u"Text", u"Text", kControl,
       {u"Change", u"Click", u"DblClick", u"GotFocus", u"KeyDown", u"KeyPress", u"KeyUp", u"LostFocus",
        u"MouseDown", u"MouseMove", u"MouseUp", u"Validate"}},
      {u"TimerCtrl", u"TimerCtrl", kControl, {u"Timer"}},
      {u"VScrollBar", u"VScroll", kControl,
       {u"Change", u"GotFocus", u"KeyDown", u"KeyPress", u"KeyUp", u"LostFocus", u"Scroll", u"Validate"}},
      {u"DataCtrl", u"DataCtrl", kControl,
       {u"Click", u"DblClick", u"Error", u"GotFocus", u"KeyDown", u"KeyPress", u"KeyUp", u"LostFocus",
        u"MouseDown", u"MouseMove", u"MouseUp", u"Reposition", u"Validate"}},
  };
  return rows;
}

std::vector<BStr> paramsOf(BStrView family, BStrView kind) {
  const bool isForm = family == u"Form";
  std::vector<BStr> p;
  if (!isForm) p.push_back(u"intIndex");
  if (kind == u"KeyDown" || kind == u"KeyUp") {
    p.insert(p.end(), {u"intKeyCode", u"intShift"});
  } else if (kind == u"KeyPress") {
    p.push_back(u"intKeyAscii");
  } else if (kind == u"MouseDown" || kind == u"MouseMove" || kind == u"MouseUp") {
    p.insert(p.end(), {u"intButton", u"intShift", u"sngX", u"sngY"});
  } else if (kind == u"Validate") {
    p.push_back(u"boolCancel");
  } else if (kind == u"QueryUnload") {
    p.insert(p.end(), {u"intCancel", u"intUnloadMode"});
  } else if (kind == u"Unload") {
    p.push_back(u"intCancel");
  } else if (kind == u"ItemCheck") {
    p.push_back(u"intItem");
  } else if (kind == u"Error") {
    p.insert(p.end(), {u"intDataErr", u"intResponse"});
  } else if (kind == u"Event") {
    p.insert(p.end(), {u"arrayEventParameters", u"strEventName"});
  }
  return p;
}

BStr descriptionOf(BStrView family, BStrView kind) {
  const bool scrollBar = family == u"HScrollBar" || family == u"VScrollBar";
  struct Row {
    const char16_t* kind;
    const char16_t* text;
  };
  static const Row rows[] = {
      {u"Activate", u"Occurs when a form becomes the active window."},
      {u"Click", u"Occurs when the user presses and then releases a mouse button over an object."},
      {u"DblClick",
       u"Occurs when the user presses and releases a mouse button and then presses and releases it again over an "
       u"object."},
      {u"Deactivate", u"Occurs when a form is no longer the active window."},
      {u"DropDown", u"Occurs when the list portion of a ComboBox control is about to drop down."},
      {u"Error",
       u"Occurs only as the result of a data access error that takes place when no code of the server is "
       u"running."},
      {u"Event", u"Occurs when an ActiveX control raises an event."},
      {u"GotFocus", u"Occurs when an object receives the focus."},
      {u"Initialize", u"Occurs when an application creates an instance of a Form, MDIForm, or class."},
      {u"ItemCheck",
       u"Occurs when a ListBox control's Style property is set to 1 (checkboxes) and an item's checkbox in the "
       u"ListBox control is selected or cleared."},
      {u"KeyDown", u"Occurs when the user presses a key while an object has the focus."},
      {u"KeyPress", u"Occurs when the user presses and releases an ANSI key."},
      {u"KeyUp", u"Occurs when the user releases a key while an object has the focus."},
      {u"Load", u"Occurs when a form is loaded."},
      {u"LostFocus", u"Occurs when an object loses the focus."},
      {u"MouseDown", u"Occurs when the user presses the mouse button while an object has the focus."},
      {u"MouseMove", u"Occurs when the user moves the mouse."},
      {u"MouseUp", u"Occurs when the user releases the mouse button while an object has the focus."},
      {u"Paint", u"Occurs when any part of a form or PictureBox control is moved, enlarged, or exposed."},
      {u"QueryUnload", u"Occurs before a form closes."},
      {u"Reposition", u"Occurs after a record becomes the current record."},
      {u"Resize", u"Occurs when a form is first displayed or the size of an object changes."},
      {u"Terminate", u"Occurs when all references to an instance of a Form, MDIForm, or class are removed from memory."},
      {u"Timer", u"Occurs when a preset interval for a Timer control has elapsed."},
      {u"Unload", u"Occurs when a form is about to be removed from the screen."},
  };
  if (kind == u"Change")
    return scrollBar ? u"Occurs when the scroll box portion of the scroll bar is moved."
                     : u"Occurs when the contents of a control have changed.";
  if (kind == u"Scroll")
    return scrollBar ? u"Occurs when the scroll box on a ScrollBar control is repositioned or scrolled horizontally or "
                       u"vertically."
                     : u"Occurs when you reposition the scroll box on a control.";
  if (kind == u"Validate")
    return family == u"ActiveXControl"
               ? u"Occurs before the focus shifts to a (second) control that has its CausesValidation property set to "
                 u"True."
               : u"Occurs when a control loses focus to a control that causes validation.";
  for (const Row& r : rows)
    if (kind == r.kind) return r.text;
  return {};
}

}  // namespace

const std::vector<DialogEventRow>& dialogEventTable() {
  static const std::vector<DialogEventRow> table = [] {
    std::vector<DialogEventRow> rows;
    int32_t dispid = 1;
    for (const FamilyRow& f : families())
      for (const char16_t* kind : f.events)
        rows.push_back({dispid++, BStr(f.family) + kind, BStr(f.formFamily) + kind, f.group, paramsOf(f.family, kind),
                        descriptionOf(f.family, kind)});
    return rows;
  }();
  return table;
}

const DialogEventRow* findDialogEventByFormEvent(BStrView formEvent) {
  for (const DialogEventRow& r : dialogEventTable())
    if (r.formEvent == formEvent) return &r;
  return nullptr;
}

const DialogEventRow* findDialogEventByFormEvent(int32_t formEventId, BStrView formEvent) {
  // By the form event's number; a raiser whose numbering differs is served
  // by name.
  static const std::vector<const DialogEventRow*> byId = [] {
    std::vector<const DialogEventRow*> v(formEventTable().size() + 1);
    for (const FormEventRow& r : formEventTable()) v[static_cast<size_t>(r.id)] = findDialogEventByFormEvent(r.name);
    return v;
  }();
  if (formEventId >= 1 && static_cast<size_t>(formEventId) < byId.size()) {
    const DialogEventRow* row = byId[static_cast<size_t>(formEventId)];
    if (row && sameText(row->formEvent, formEvent)) return row;
  }
  return findDialogEventByFormEvent(formEvent);
}

void declareDialogEvents(ClassInfo& ci) {
  for (const DialogEventRow& r : dialogEventTable()) ci.event(r.name, r.params, r.description);
}

}  // namespace svx
