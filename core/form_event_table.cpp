#include "core/form_event_table.h"

#include <unordered_map>

#include "platform/automation/dispatch.h"

namespace svx {

namespace {

struct SourceRow {
  const char16_t* source;
  const char16_t* word;  // family word of the form event's name
  std::vector<const char16_t*> events;
};

// The sources in declaration order, each with its events in order.
const std::vector<SourceRow>& sources() {
  static const std::vector<SourceRow> rows = {
      {u"Check", u"Check",
       {u"Click", u"GotFocus", u"KeyDown", u"KeyPress", u"KeyUp", u"LostFocus", u"MouseDown", u"MouseMove",
        u"MouseUp", u"Validate"}},
      {u"Combo", u"Combo",
       {u"Change", u"Click", u"DblClick", u"DropDown", u"GotFocus", u"KeyDown", u"KeyPress", u"KeyUp", u"LostFocus",
        u"Scroll", u"Validate"}},
      {u"ComboText", u"ComboText",
       {u"Change", u"Click", u"DblClick", u"DropDown", u"GotFocus", u"KeyDown", u"KeyPress", u"KeyUp", u"LostFocus",
        u"Scroll", u"Validate"}},
      {u"Command", u"Command",
       {u"Click", u"GotFocus", u"KeyDown", u"KeyPress", u"KeyUp", u"LostFocus", u"MouseDown", u"MouseMove",
        u"MouseUp"}},
      {u"ctrlWrapperVBControlExtender", u"ActiveXControl",
       {u"VBControlExtenderGotFocus", u"VBControlExtenderLostFocus", u"VBControlExtenderValidate",
        u"VBControlExtenderObjectEvent"}},
      {u"Form", u"Form",
       {u"Click", u"DblClick", u"Resize", u"Load", u"Activate", u"Deactivate", u"GotFocus", u"Initialize",
        u"KeyDown", u"KeyPress", u"KeyUp", u"LostFocus", u"MouseDown", u"MouseMove", u"MouseUp", u"Paint",
        u"Terminate", u"QueryUnload", u"Unload"}},
      {u"Frame", u"Frame", {u"Click", u"DblClick", u"MouseDown", u"MouseMove", u"MouseUp"}},
      {u"ImageCtrl", u"Image", {u"Click", u"DblClick", u"MouseDown", u"MouseMove", u"MouseUp"}},
      {u"Label", u"Label", {u"Change", u"Click", u"DblClick", u"MouseDown", u"MouseMove", u"MouseUp"}},
      {u"List", u"List",
       {u"Click", u"DblClick", u"GotFocus", u"KeyDown", u"KeyPress", u"KeyUp", u"LostFocus", u"MouseDown",
        u"MouseMove", u"MouseUp", u"Scroll", u"Validate"}},
      {u"ListCheck", u"ListCheck",
       {u"Click", u"DblClick", u"GotFocus", u"ItemCheck", u"KeyDown", u"KeyPress", u"KeyUp", u"LostFocus",
        u"MouseDown", u"MouseMove", u"MouseUp", u"Scroll", u"Validate"}},
      {u"MultiText", u"MultiText",
       {u"Change", u"Click", u"DblClick", u"GotFocus", u"KeyDown", u"KeyPress", u"KeyUp", u"LostFocus",
        u"MouseDown", u"MouseMove", u"MouseUp", u"Validate"}},
      {u"OptionCtrl", u"Option",
       {u"Click", u"DblClick", u"GotFocus", u"KeyDown", u"KeyPress", u"KeyUp", u"LostFocus", u"MouseDown",
        u"MouseMove", u"MouseUp", u"Validate"}},
      {u"PictureCtrl", u"Picture",
       {u"Change", u"Click", u"DblClick", u"GotFocus", u"KeyDown", u"KeyPress", u"KeyUp", u"LostFocus",
        u"MouseDown", u"MouseMove", u"MouseUp", u"Paint", u"Resize", u"Validate"}},
      {u"Text", u"Text",
       {u"Change", u"Click", u"DblClick", u"GotFocus", u"KeyDown", u"KeyPress", u"KeyUp", u"LostFocus",
        u"MouseDown", u"MouseMove", u"MouseUp", u"Validate"}},
      {u"TimerCtrl", u"TimerCtrl", {u"TimerEvent"}},
      {u"HScroll", u"HScroll",
       {u"Change", u"GotFocus", u"KeyDown", u"KeyPress", u"KeyUp", u"LostFocus", u"Scroll", u"Validate"}},
      {u"VScroll", u"VScroll",
       {u"Change", u"GotFocus", u"KeyDown", u"KeyPress", u"KeyUp", u"LostFocus", u"Scroll", u"Validate"}},
      {u"DataCtrl", u"DataCtrl",
       {u"Click", u"DblClick", u"Error", u"GotFocus", u"KeyDown", u"KeyPress", u"KeyUp", u"LostFocus",
        u"MouseDown", u"MouseMove", u"MouseUp", u"Reposition", u"Validate"}},
  };
  return rows;
}

BStr formEventName(BStrView source, BStrView word, BStrView event) {
  if (source == u"TimerCtrl") return u"TimerCtrlTimer";
  if (source == u"ctrlWrapperVBControlExtender") {
    if (event == u"VBControlExtenderObjectEvent") return u"ActiveXControlEvent";
    return BStr(word) + BStr(event.substr(BStrView(u"VBControlExtender").size()));
  }
  return BStr(word) + BStr(event);
}

RelayKind kindFor(BStrView source, BStrView event) {
  if (source == u"Form") return RelayKind::Form;
  if (source == u"ctrlWrapperVBControlExtender") return RelayKind::ActiveX;
  return relayKindOf(event);
}

// Declared parameter names, by the rules of the form's event interface.
std::vector<BStr> paramsFor(BStrView source, BStrView event, RelayKind kind) {
  if (kind == RelayKind::Form) {
    if (event == u"KeyDown" || event == u"KeyUp") return {u"KeyCode", u"Shift"};
    if (event == u"KeyPress") return {u"KeyAscii"};
    if (event == u"MouseDown" || event == u"MouseMove" || event == u"MouseUp") return {u"Button", u"Shift", u"X", u"Y"};
    if (event == u"QueryUnload") return {u"Cancel", u"UnloadMode"};
    if (event == u"Unload") return {u"Cancel"};
    return {};
  }
  if (kind == RelayKind::ActiveX) {
    if (event == u"VBControlExtenderValidate") return {u"Index", u"Cancel"};
    if (event == u"VBControlExtenderObjectEvent") return {u"Index", u"EventParameters", u"Name"};
    return {u"Index"};
  }
  const bool prefixed = source == u"DataCtrl" || source == u"Label" || (source == u"OptionCtrl" && event == u"DblClick");
  const BStr index = prefixed ? u"intIndex" : u"Index";
  switch (kind) {
    case RelayKind::Key:
      return prefixed ? std::vector<BStr>{index, u"intKeyCode", u"intShift"} : std::vector<BStr>{index, u"KeyCode", u"Shift"};
    case RelayKind::Ascii: return prefixed ? std::vector<BStr>{index, u"intKeyAscii"} : std::vector<BStr>{index, u"KeyAscii"};
    case RelayKind::Mouse:
      return prefixed ? std::vector<BStr>{index, u"intButton", u"intShift", u"sngX", u"sngY"}
                      : std::vector<BStr>{index, u"Button", u"Shift", u"X", u"Y"};
    case RelayKind::Cancel: return prefixed ? std::vector<BStr>{index, u"boolCancel"} : std::vector<BStr>{index, u"Cancel"};
    case RelayKind::Item: return {index, u"Item"};
    case RelayKind::DataError: return {index, u"intDataErr", u"intResponse"};
    default: return {index};
  }
}

}  // namespace

RelayKind relayKindOf(BStrView event) {
  if (event == u"KeyDown" || event == u"KeyUp") return RelayKind::Key;
  if (event == u"KeyPress") return RelayKind::Ascii;
  if (event == u"MouseDown" || event == u"MouseMove" || event == u"MouseUp") return RelayKind::Mouse;
  if (event == u"Validate") return RelayKind::Cancel;
  if (event == u"ItemCheck") return RelayKind::Item;
  if (event == u"Error") return RelayKind::DataError;
  if (event == u"TimerEvent") return RelayKind::Timer;
  return RelayKind::Index;
}

const std::vector<FormEventRow>& formEventTable() {
  static const std::vector<FormEventRow> table = [] {
    std::vector<FormEventRow> rows;
    int32_t id = 1;
    for (const SourceRow& s : sources())
      for (const char16_t* ev : s.events) {
        const RelayKind kind = kindFor(s.source, ev);
        rows.push_back({id++, s.source, ev, formEventName(s.source, s.word, ev), kind, paramsFor(s.source, ev, kind)});
      }
    return rows;
  }();
  return table;
}

const FormEventRow* findFormEvent(BStrView source, BStrView sourceEvent) {
  // Each source's rows, found by the source's name.
  static const std::unordered_map<BStrView, std::vector<const FormEventRow*>> bySource = [] {
    std::unordered_map<BStrView, std::vector<const FormEventRow*>> m;
    for (const FormEventRow& r : formEventTable()) m[r.source].push_back(&r);
    return m;
  }();
  const auto it = bySource.find(source);
  if (it == bySource.end()) return nullptr;
  for (const FormEventRow* r : it->second)
    if (sameText(r->sourceEvent, sourceEvent)) return r;
  return nullptr;
}

const FormEventRow* formEventRow(int32_t id) {
  const auto& table = formEventTable();
  if (id < 1 || static_cast<size_t>(id) > table.size()) return nullptr;
  return &table[static_cast<size_t>(id - 1)];
}

void declareFormEvents(ClassInfo& ci) {
  for (const FormEventRow& r : formEventTable()) ci.event(r.name, r.params);
}

}  // namespace svx
