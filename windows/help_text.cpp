#include "windows/help_text.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <set>
#include <span>

namespace svx::embedded {
extern const unsigned char help_events[];
extern const std::size_t help_events_size;
extern const unsigned char help_methods1[];
extern const std::size_t help_methods1_size;
extern const unsigned char help_methods2[];
extern const std::size_t help_methods2_size;
}  // namespace svx::embedded

namespace svx {

namespace {

const BStr kStars(67, u'*');
const BStr kTabs = u"\t\t\t";

// One group: its heading and its entries; an empty entry is a line of tabs.
struct Group {
  BStr heading;
  std::vector<BStr> entries;
};

BStr lower(BStrView s) {
  BStr out(s);
  for (char16_t& c : out)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  return out;
}

bool lessName(const BStr& a, const BStr& b) { return lower(a) < lower(b); }

bool startsWith(BStrView s, BStrView prefix) { return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix; }

BStr text(const BStr& title, const std::vector<Group>& groups) {
  std::vector<BStr> lines{u"", u"Sorvanelix.Dialog " + kStars, kTabs, kTabs, u"\t" + title + u" " + kStars};
  for (const Group& g : groups) {
    lines.push_back(kTabs);
    lines.push_back(u"\t\t" + g.heading);
    lines.push_back(kTabs);
    for (const BStr& e : g.entries) lines.push_back(e.empty() ? kTabs : u"\t\t\t" + e);
  }
  lines.push_back(kTabs);
  BStr out;
  for (const BStr& l : lines) out += l + u"\r\n";
  return out;
}

BStr paramList(const std::vector<BStr>& params) {
  BStr out = u"( ";
  for (size_t i = 0; i < params.size(); ++i) out += (i ? u" , " : u"") + params[i];
  return out + u" )";
}

// A member of the interface: its get, let and method rows under one name.
struct Entry {
  BStr name;
  const MemberInfo* method = nullptr;
  bool property = false;
};

BStr entryLine(const Entry& e) {
  if (!e.method) return u"Public Property " + e.name + u" ";
  const MemberInfo& m = *e.method;
  const BStr head = (m.result.empty() ? u"Public Sub " : u"Public Function ") + e.name;
  if (m.params.empty()) return head + u" ";
  std::vector<BStr> params;
  for (const ParamInfo& p : m.params)
    params.push_back(BStr(p.optional ? u"Optional " : u"") + (p.byRef ? u"" : u"ByVal ") + p.name);
  return head + u" " + paramList(params);
}

std::vector<Entry> entriesOf(const ClassInfo& ci) {
  std::vector<Entry> out;
  for (const MemberInfo* m : ci.members()) {
    auto it = std::find_if(out.begin(), out.end(), [&](const Entry& e) { return sameName(e.name, m->name); });
    if (it == out.end()) {
      out.push_back({m->name});
      it = out.end() - 1;
    }
    if (m->kind == InvokeKind::Method) it->method = m;
    else it->property = true;
  }
  // A name with property rows is written as a property.
  for (Entry& e : out)
    if (e.property) e.method = nullptr;
  return out;
}

// The families in the order of the control groups, and the family a name
// belongs to (the longest family word that it starts with, after one of
// the members' prefixes).
std::optional<size_t> familyOf(BStrView name, const std::vector<BStrView>& families,
                               std::span<const BStrView> prefixes) {
  for (BStrView prefix : prefixes) {
    if (!startsWith(name, prefix)) continue;
    const BStrView rest = name.substr(prefix.size());
    std::optional<size_t> best;
    for (size_t i = 0; i < families.size(); ++i)
      if (startsWith(rest, families[i]) && (!best || families[i].size() > families[*best].size())) best = i;
    if (best) return best;
  }
  return std::nullopt;
}

struct Layout {
  BStr heading;
  std::vector<BStrView> names;  // u"" marks a line of tabs
};

std::vector<Group> memberGroups(const std::vector<Entry>& entries, const std::vector<Layout>& layouts,
                                std::set<BStr>& placed) {
  std::vector<Group> groups;
  for (const Layout& l : layouts) {
    Group g{l.heading, {}};
    for (BStrView n : l.names) {
      if (n.empty()) {
        g.entries.push_back({});
        continue;
      }
      for (const Entry& e : entries)
        if (sameName(e.name, n) && !placed.count(lower(e.name))) {
          g.entries.push_back(entryLine(e));
          placed.insert(lower(e.name));
        }
    }
    groups.push_back(std::move(g));
  }
  return groups;
}

}  // namespace

HelpTexts makeHelpTexts(const ClassInfo& ci) {
  const std::vector<Entry> entries = entriesOf(ci);
  std::set<BStr> placed;

  // Properties and methods (I).
  std::vector<Group> first = memberGroups(
      entries,
      {{u"Form-related properties and methods ",
        {u"Caption", u"Height", u"Left", u"ScaleHeight", u"ScaleWidth", u"Top", u"Width", u"TopMost", u"GetForm",
         u"SetForm", u"Hide", u"ShowModal", u"FormObject", u"FormCircleAbsolute", u"FormLineAbsolute",
         u"FormPaintPicture", u"FormPrintText", u"FormPSetAbsolute"}},
       {u"ActiveX EXE-related properties and methods ",
        {u"LogMode", u"LogPath", u"OLERequestPendingMsgText", u"OLERequestPendingMsgTitle",
         u"OLERequestPendingTimeoutMSecs", u"OLEServerBusyMsgText", u"OLEServerBusyMsgTitle",
         u"OLEServerBusyRaiseError", u"OLEServerBusyTimeoutMSecs", u"ProcessID", u"ThreadID", u"LogEvent",
         u"StartLogging", u"LogInfo"}},
       {u"ActiveX Control-related methods ",
        {u"AddActiveXControlWithEvents", u"GetActiveXControlWithEvents", u"RemoveActiveXControlWithEvents", u"",
         u"AddActiveXControlWithoutEvents", u"GetActiveXControlWithoutEvents",
         u"RemoveActiveXControlWithoutEvents"}}},
      placed);
  std::vector<Group> tail = memberGroups(
      entries,
      {{u"Clipboard-related methods ",
        {u"ClipboardClear", u"ClipboardGetFormat", u"ClipboardGetText", u"ClipboardSetText", u"ClipboardGetData",
         u"ClipboardSetData"}},
       {u"Printer-related methods ",
        {u"ListOfInstalledPrinters", u"PrinterCircleAbsolute", u"PrinterLineAbsolute", u"PrinterObject",
         u"PrinterPaintPicture", u"PrinterPrintTabbedText", u"PrinterPrintText", u"PrinterPSetAbsolute",
         u"SetPrinterObject"}}},
      placed);
  std::vector<Group> second = memberGroups(
      entries,
      {{u"Screen-related properties and methods ",
        {u"ScreenHeight", u"ScreenGetMouseIcon", u"ScreenSetMouseIcon", u"ScreenMousePointer", u"ScreenObject",
         u"ScreenTwipsPerPixelX", u"ScreenTwipsPerPixelY", u"ScreenWidth"}},
       {u"General methods ",
        {u"AboutBox", u"Beep", u"BlobToArray", u"BrowseForFolder", u"CommonDialogShowColor", u"CommonDialogShowFont",
         u"CommonDialogShowOpen", u"CommonDialogShowPrinter", u"CommonDialogShowSave", u"GetMyDocumentsFolder",
         u"Help", u"InBox", u"MessageBox", u"ProcessMessages", u"QBColor", u"RGBFromOLEColor", u"RGBToOleColor"}}},
      placed);

  // The control families, each member of a family with its family.
  const std::vector<BStrView>& families = helpMemberFamilies();
  static constexpr BStrView kPrefixes[] = {u"LoadPictureInto", u"SavePictureFrom", u"Unload", u"Load", u"Get", u"Set",
                                           u""};
  std::vector<std::vector<BStr>> byFamily(families.size());
  for (const Entry& e : entries) {
    if (placed.count(lower(e.name))) continue;
    if (const auto f = familyOf(e.name, families, kPrefixes)) {
      byFamily[*f].push_back(entryLine(e));
      placed.insert(lower(e.name));
    }
  }
  Group controls{u"Control-related methods ", {}};
  for (const auto& members : byFamily) {
    if (members.empty()) continue;
    if (!controls.entries.empty()) controls.entries.push_back({});
    controls.entries.insert(controls.entries.end(), members.begin(), members.end());
  }
  first.push_back(std::move(controls));
  first.insert(first.end(), tail.begin(), tail.end());

  // Whatever no group names is a general method: the text covers the whole
  // interface.
  for (const Entry& e : entries)
    if (!placed.count(lower(e.name))) second.back().entries.push_back(entryLine(e));

  // Events.
  std::vector<const EventInfo*> formEvents, activeXEvents;
  const std::vector<BStrView>& eventFamilies = helpEventFamilies();
  static constexpr BStrView kNoPrefix[] = {u""};
  std::vector<std::vector<const EventInfo*>> eventsByFamily(eventFamilies.size() + 1);
  for (const EventInfo& e : ci.events()) {
    if (startsWith(e.name, u"ActiveXControl")) activeXEvents.push_back(&e);
    else if (startsWith(e.name, u"Form")) formEvents.push_back(&e);
    else eventsByFamily[familyOf(e.name, eventFamilies, kNoPrefix).value_or(eventFamilies.size())].push_back(&e);
  }
  auto byName = [](const EventInfo* a, const EventInfo* b) { return lessName(a->name, b->name); };
  const std::vector<BStrView> activeXOrder{u"ActiveXControlGotFocus", u"ActiveXControlLostFocus",
                                           u"ActiveXControlValidate", u"ActiveXControlEvent"};
  auto activeXRank = [&](const EventInfo* e) {
    for (size_t i = 0; i < activeXOrder.size(); ++i)
      if (sameName(e->name, activeXOrder[i])) return i;
    return activeXOrder.size();
  };
  std::stable_sort(activeXEvents.begin(), activeXEvents.end(),
                   [&](const EventInfo* a, const EventInfo* b) { return activeXRank(a) < activeXRank(b); });
  std::sort(formEvents.begin(), formEvents.end(), byName);
  auto eventLine = [](const EventInfo* e) {
    return u"Public Event " + e->name + u" " + (e->params.empty() ? BStr(u"(  )") : paramList(e->params)) + u" ";
  };
  Group formGroup{u"Form-related events ", {}}, activeXGroup{u"ActiveX EXE-related events ", {}},
      controlGroup{u"Control-related events ", {}};
  for (const EventInfo* e : formEvents) formGroup.entries.push_back(eventLine(e));
  for (const EventInfo* e : activeXEvents) activeXGroup.entries.push_back(eventLine(e));
  for (auto& family : eventsByFamily) {
    if (family.empty()) continue;
    std::sort(family.begin(), family.end(), byName);
    if (!controlGroup.entries.empty()) controlGroup.entries.push_back({});
    for (const EventInfo* e : family) controlGroup.entries.push_back(eventLine(e));
  }

  return {text(u"Public Events", {formGroup, activeXGroup, controlGroup}),
          text(u"Public Properties and Methods", first),
          text(u"Public Properties and Methods (continued)", second)};
}

const std::vector<BStrView>& helpMemberFamilies() {
  static const std::vector<BStrView> families{
      u"Check", u"Combo", u"ComboText", u"Command",   u"DataCtrl", u"Frame",       u"HScrollBar",
      u"Image", u"Label", u"Line",      u"List",      u"ListCheck", u"MultiText",  u"Option",
      u"PictureCtrl", u"Shape", u"Text", u"TimerCtrl", u"VScrollBar"};
  return families;
}

const std::vector<BStrView>& helpEventFamilies() {
  static const std::vector<BStrView> families{
      u"Check", u"Combo", u"ComboText", u"Command", u"DataCtrl",  u"Frame", u"HScrollBar", u"Image", u"Label",
      u"ListCheck", u"List", u"MultiText", u"Option", u"Picture", u"Text", u"TimerCtrl", u"VScrollBar"};
  return families;
}

BStr withCrLf(BStrView text) {
  BStr out;
  out.reserve(text.size() + text.size() / 16);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r')) out += u'\r';
    out += text[i];
  }
  return out;
}

BStr withLf(BStrView text) {
  BStr out;
  out.reserve(text.size());
  for (char16_t c : text)
    if (c != u'\r') out += c;
  return out;
}

HelpTexts builtInHelpTexts() {
  auto decode = [](const unsigned char* bytes, std::size_t size) {
    return withCrLf(utf16(std::string_view(reinterpret_cast<const char*>(bytes), size)));
  };
  return {decode(embedded::help_events, embedded::help_events_size),
          decode(embedded::help_methods1, embedded::help_methods1_size),
          decode(embedded::help_methods2, embedded::help_methods2_size)};
}

}  // namespace svx
