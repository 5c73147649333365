#include "platform/automation/type_reference.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "platform/automation/class_registry.h"
#include "platform/automation/object.h"

namespace svx {

namespace {

std::map<std::string, ReferenceNotes>& notesByProgId() {
  static std::map<std::string, ReferenceNotes> notes;
  return notes;
}

std::string key(BStrView progId) {
  std::string k = utf8(progId);
  for (char& c : k) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return k;
}

// Markdown table cells hold no line breaks and no bars.
std::string cell(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '|') out += "\\|";
    else if (c == '\n' || c == '\r') out += ' ';
    else out += c;
  }
  return out;
}

std::string paramTable(const std::vector<ParamInfo>& params) {
  if (params.empty()) return "No parameters.\n";
  std::string out = "| # | parameter | optional | passed |\n|---|---|---|---|\n";
  for (size_t i = 0; i < params.size(); ++i)
    out += "| " + std::to_string(i + 1) + " | `" + utf8(params[i].name) + "` | " +
           (params[i].optional ? "optional" : "required") + " | " + (params[i].byRef ? "by reference" : "by value") +
           " |\n";
  return out;
}

std::string resultOf(const MemberInfo& m) {
  return m.result.empty() ? std::string("none") : utf8(m.result);
}

std::string errorsOf(const MemberInfo& m, const ReferenceNotes* notes) {
  if (!notes || !notes->errors) return {};
  const std::string e = notes->errors(m);
  return e.empty() ? std::string() : "- Errors: " + e + "\n";
}

std::string remarksOf(const MemberInfo& m, const ReferenceNotes* notes) {
  if (!notes || !notes->remarks) return {};
  const std::string r = notes->remarks(m);
  return r.empty() ? std::string() : "\n" + r + "\n";
}

struct ReferenceClass {
  const ClassInfo* info;
  ReferenceNotes notes;
};

std::vector<ReferenceClass>& referenceClasses() {
  static std::vector<ReferenceClass> classes;
  return classes;
}

const ReferenceClass* referenceClass(BStrView name) {
  for (const ReferenceClass& c : referenceClasses())
    if (sameName(c.info->name(), name)) return &c;
  return nullptr;
}

}  // namespace

void registerReferenceClass(const ClassInfo& ci, ReferenceNotes notes) {
  auto& classes = referenceClasses();
  std::erase_if(classes, [&](const ReferenceClass& c) { return sameName(c.info->name(), ci.name()); });
  classes.push_back({&ci, std::move(notes)});
}

std::vector<const ClassInfo*> referenceClassInfos() {
  std::vector<const ClassInfo*> out;
  for (const ReferenceClass& c : referenceClasses()) out.push_back(c.info);
  return out;
}

std::string referenceDocument(BStrView progId) {
  std::string out = typeReference(progId);
  for (const ReferenceClass& c : referenceClasses()) out += "\n" + typeReference(*c.info, c.info->name(), &c.notes);
  return out;
}

void setReferenceNotes(BStrView progId, ReferenceNotes notes) { notesByProgId()[key(progId)] = std::move(notes); }

const ReferenceNotes* referenceNotes(BStrView progId) {
  const auto it = notesByProgId().find(key(progId));
  return it == notesByProgId().end() ? nullptr : &it->second;
}

std::string typeReference(const ClassInfo& ci, BStrView progId, const ReferenceNotes* notes) {
  // The rows of one name together, in the order of their first row.
  std::vector<std::vector<const MemberInfo*>> members;
  for (const MemberInfo* m : ci.members()) {
    auto it = std::find_if(members.begin(), members.end(),
                           [&](const auto& rows) { return sameName(rows.front()->name, m->name); });
    if (it == members.end()) members.push_back({m});
    else it->push_back(m);
  }

  std::string out = "# " + utf8(progId) + "\n\n";
  out += "Generated from the member and event tables of the class `" + utf8(ci.name()) +
         "` (`sorvanelix-script --reference " + utf8(progId) + "`).\n\n";
  if (notes && !notes->about.empty()) out += notes->about + "\n\n";
  out += "Every parameter and every result is a Variant. A parameter passed by reference is a variable that the "
         "member may write (in a script, a `Ref`); an optional parameter may be left out (`Missing`).\n\n";
  out += "## Members\n\n" + std::to_string(members.size()) + " members, in interface order.\n";
  for (const auto& rows : members) {
    const MemberInfo* method = nullptr;
    const MemberInfo* get = nullptr;
    std::vector<const MemberInfo*> puts;
    for (const MemberInfo* m : rows) {
      if (m->kind == InvokeKind::Method) method = m;
      else if (m->kind == InvokeKind::PropertyGet) get = m;
      else puts.push_back(m);
    }
    out += "\n### " + utf8(rows.front()->name) + "\n\n";
    BStr description;
    for (const MemberInfo* m : rows)
      if (description.empty()) description = m->description;
    if (method) {
      out += "Method." + (description.empty() ? "" : " " + utf8(description)) + "\n\n";
      out += paramTable(method->params);
      out += "\n- Result: " + resultOf(*method) + ".\n";
      out += errorsOf(*method, notes);
      out += remarksOf(*method, notes);
      continue;
    }
    out += std::string("Property, ") + (get && !puts.empty() ? "read and write" : get ? "read only" : "write only") +
           "." + (description.empty() ? "" : " " + utf8(description)) + "\n";
    if (get) {
      out += "\nRead";
      if (!get->params.empty()) out += ", with these parameters:\n\n" + paramTable(get->params) + "\n";
      else out += ".\n\n";
      out += "- Value: " + resultOf(*get) + ".\n" + errorsOf(*get, notes);
    }
    for (const MemberInfo* put : puts) {
      out += std::string("\n") + (put->kind == InvokeKind::PropertyPut ? "Write" : "Set (an object)") +
             ", the new value last:\n\n" + paramTable(put->params);
      const std::string e = errorsOf(*put, notes);
      if (!e.empty()) out += "\n" + e;
    }
    out += remarksOf(*rows.front(), notes);
  }

  const std::vector<EventInfo>& events = ci.events();
  out += "\n## Events\n\n";
  if (events.empty()) return out + "None.\n";
  out += std::to_string(events.size()) +
         " events. Every argument is passed by reference: what the event procedure stores in it is seen by the "
         "raiser when the procedure returns.\n\n";
  if (notes && !notes->events.empty()) out += notes->events + "\n\n";
  out += "| DISPID | event | arguments | description |\n|---|---|---|---|\n";
  for (const EventInfo& e : events) {
    std::string args;
    for (const BStr& p : e.params) args += (args.empty() ? "`" : ", `") + utf8(p) + "`";
    out += "| " + std::to_string(e.dispid) + " | `" + utf8(e.name) + "` | " + (args.empty() ? "none" : args) + " | " +
           cell(utf8(e.description)) + " |\n";
  }
  return out;
}

std::string typeReference(BStrView progId) {
  // A class that scripts create, else a control class (the type needs no
  // licence).
  const ControlClass* control = isRegistered(progId) ? nullptr : findControlClass(progId);
  if (!control && !isRegistered(progId))
    if (const ReferenceClass* c = referenceClass(progId)) return typeReference(*c->info, c->info->name(), &c->notes);
  const ObjectRef object = control ? control->factory() : createObject(progId);
  if (!object) raise(err::CannotCreateObject);
  return typeReference(object->classInfo(), progId, referenceNotes(progId));
}

}  // namespace svx
