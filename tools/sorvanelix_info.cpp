// sorvanelix-info [PROGID]: lists every class a script can use, by ProgID
// (the classes it creates, the controls a form hosts, with those of the
// control plug-ins found, and the classes it reaches through other objects,
// such as a data control's recordset), each with its members and events;
// with a ProgID, the reference of that one class.
#include <algorithm>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "dialog/dialog.h"
#include "dialog/dialog_form_api.h"
#include "platform/automation/class_registry.h"
#include "platform/automation/closest_name.h"
#include "platform/automation/error.h"
#include "platform/automation/type_reference.h"
#include "platform/forms/control_plugins.h"
#include "services/hosted_controls.h"

namespace {

constexpr const char* kUsage =
    "usage: sorvanelix-info            list every class by ProgID with its members and events\n"
    "       sorvanelix-info PROGID     the reference of one class (Markdown)\n"
    "       sorvanelix-info --help\n";

constexpr const char* kHelp =
    "\n"
    "Classes a script creates (new ActiveXObject, WScript.CreateObject), controls a form\n"
    "hosts (AddActiveXControlWithEvents), those of the control plug-ins found in\n"
    "SVX_CONTROL_PATH and beside the program, and classes a script reaches through\n"
    "other objects (a data control's Recordset, Fields, ...). In a member's parameters\n"
    "[name] is optional and &name is passed by reference.\n";

struct Listed {
  svx::BStr progId;
  std::string kind;
  const svx::ClassInfo* info = nullptr;
  svx::ObjectRef object;  // keeps the table's object while it is listed
};

std::string signature(const svx::MemberInfo& m) {
  std::string out = svx::utf8(m.name) + "(";
  for (size_t i = 0; i < m.params.size(); ++i) {
    const svx::ParamInfo& p = m.params[i];
    if (i) out += ", ";
    const std::string name = (p.byRef ? "&" : "") + svx::utf8(p.name);
    out += p.optional ? "[" + name + "]" : name;
  }
  return out + ")";
}

void list(const Listed& c) {
  std::cout << svx::utf8(c.progId) << " (" << c.kind << ", class " << svx::utf8(c.info->name()) << ")\n";
  // A property's get, let and set rows make one line.
  std::vector<svx::BStr> seen;
  const std::vector<const svx::MemberInfo*> members = c.info->members();
  for (const svx::MemberInfo* m : members) {
    if (std::find(seen.begin(), seen.end(), m->name) != seen.end()) continue;
    seen.push_back(m->name);
    bool get = false, put = false;
    const svx::MemberInfo* shown = m;
    for (const svx::MemberInfo* row : members) {
      if (row->name != m->name) continue;
      get = get || row->kind == svx::InvokeKind::PropertyGet;
      put = put || row->kind == svx::InvokeKind::PropertyPut || row->kind == svx::InvokeKind::PropertyPutRef;
      if (row->kind == svx::InvokeKind::PropertyGet) shown = row;
    }
    std::string line;
    if (get || put) {
      line = "  property " + (shown->params.empty() ? svx::utf8(m->name) : signature(*shown));
      if (!get) line += " (write only)";
      else if (!put) line += " (read only)";
    } else {
      line = "  method   " + signature(*m);
    }
    std::cout << line << '\n';
  }
  for (const svx::EventInfo& e : c.info->events()) {
    std::string line = "  event    " + svx::utf8(e.name) + "(";
    for (size_t i = 0; i < e.params.size(); ++i) line += (i ? ", " : "") + svx::utf8(e.params[i]);
    std::cout << line << ")\n";
  }
}

std::vector<Listed> everyClass() {
  std::vector<Listed> out;
  std::vector<svx::BStr> created = svx::registeredProgIds();
  std::sort(created.begin(), created.end());
  for (const svx::BStr& id : created) {
    const svx::ObjectRef object = svx::createObject(id);
    if (object) out.push_back({id, "created by a script", &object->classInfo(), object});
  }
  std::vector<svx::BStr> controls = svx::controlClassProgIds();
  std::sort(controls.begin(), controls.end());
  for (const svx::BStr& id : controls) {
    const svx::ControlClass* cls = svx::findControlClass(id);
    const svx::ObjectRef object = cls ? cls->factory() : nullptr;
    if (object) out.push_back({id, "a control a form hosts", &object->classInfo(), object});
  }
  for (const svx::ClassInfo* ci : svx::referenceClassInfos())
    out.push_back({ci->name(), "reached through another object", ci, nullptr});
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view arg = argc > 1 ? argv[1] : "";
  if (arg == "--help" || arg == "-h") {
    std::cout << kUsage << kHelp;
    return 0;
  }
  if (argc > 2 || (arg.starts_with("-") && !arg.empty())) {
    if (argc == 2) std::cerr << "sorvanelix-info: unknown option " << arg << '\n';
    std::cerr << kUsage;
    return 2;
  }
  try {
    svx::Dialog::registerProgId();
    svx::registerDialogForm();
    svx::registerSystemControls();
    svx::ensureControlPluginsLoaded();
    if (argc == 2) {
      const svx::BStr progId = svx::utf16(argv[1]);
      std::vector<svx::BStr> names;
      for (const Listed& c : everyClass()) {
        if (svx::sameName(c.progId, progId)) {
          std::cout << svx::typeReference(c.progId);
          return 0;
        }
        names.push_back(c.progId);
      }
      std::cerr << "sorvanelix-info: no class is registered as " << argv[1];
      if (const svx::BStr near = svx::closestName(progId, names); !near.empty())
        std::cerr << "; did you mean " << svx::utf8(near) << "?";
      std::cerr << "\nfolders searched for control plug-ins:";
      for (const auto& folder : svx::searchedControlPluginFolders()) std::cerr << ' ' << folder.string();
      std::cerr << '\n';
      return 1;
    }
    std::cout << "Sorvanelix 1.0.0\n";
    for (const Listed& c : everyClass()) {
      std::cout << '\n';
      list(c);
    }
    return 0;
  } catch (const svx::RuntimeError& e) {
    std::cerr << "sorvanelix-info: " << svx::utf8(e.description()) << " (" << e.number() << ")\n";
    return 1;
  }
}
