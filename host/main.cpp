// sorvanelix-script [--trace] FILE.js [ARGS...]: runs a script with the
// host's objects.
// sorvanelix-script --reference PROGID: prints the reference of a registered
// class (its members and events) in Markdown.
// sorvanelix-script --help, -h: prints the usage.
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "dialog/dialog.h"
#include "dialog/dialog_form_api.h"
#include "host/script_host.h"
#include "platform/automation/class_registry.h"
#include "platform/automation/error.h"
#include "platform/automation/type_reference.h"
#include "platform/display/display_choice.h"
#include "platform/forms/control_plugins.h"
#include "platform/print/printers.h"
#include "platform/user/simulated_user.h"
#include "services/hosted_controls.h"

namespace {

constexpr const char* kUsage =
    "usage: sorvanelix-script [--trace] FILE.js [ARGS...]\n"
    "       sorvanelix-script --reference PROGID\n"
    "       sorvanelix-script --help\n";

constexpr const char* kHelp =
    "\n"
    "Runs a script (ES5) with the objects WScript, ActiveXObject, Ref, VBArray,\n"
    "Missing, Named and User; it creates \"Sorvanelix.Dialog\" to show a window.\n"
    "\n"
    "  --trace            write every call and event of the script to standard error\n"
    "  --reference PROGID print the members and events of a registered class (Markdown)\n"
    "  -h, --help         print this help\n"
    "\n"
    "Environment: SVX_DISPLAY (x11 or headless; unset, the screen DISPLAY names),\n"
    "SVX_CONTROL_PATH (folders of control plug-ins, separated by ':', searched before\n"
    "the one beside this program).\n";

// The reference of one class; 1 with the reason when there is none.
int printReference(const char* progIdArg) {
  const svx::BStr progId = svx::utf16(progIdArg);
  try {
    svx::registerSystemControls();
    svx::ensureControlPluginsLoaded();
    std::cout << svx::typeReference(progId);
    return 0;
  } catch (const svx::RuntimeError& e) {
    std::cerr << progIdArg << ": " << svx::utf8(e.description()) << " (" << e.number() << ")\n";
    if (e.number() == svx::err::CannotCreateObject && !svx::isRegistered(progId) && !svx::findControlClass(progId)) {
      if (const svx::BStr near = svx::host::nearestProgId(progId); !near.empty())
        std::cerr << "did you mean " << svx::utf8(near) << "?\n";
      std::cerr << "folders searched for control plug-ins:";
      for (const auto& folder : svx::searchedControlPluginFolders()) std::cerr << ' ' << folder.string();
      std::cerr << '\n';
    }
    return 1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  int first = 1;
  bool trace = false;
  bool optionsEnded = false;  // after "--" a script whose name starts with '-' follows
  for (; first < argc; ++first) {
    const std::string_view option = argv[first];
    if (option == "--trace") {
      trace = true;
    } else if (option == "--help" || option == "-h") {
      std::cout << kUsage << kHelp;
      return 0;
    } else if (option == "--") {
      optionsEnded = true;
      ++first;
      break;
    } else if (option.size() > 1 && option[0] == '-' && option != "--reference") {
      std::cerr << "sorvanelix-script: unknown option '" << option << "'\n" << kUsage;
      return 2;
    } else {
      break;
    }
  }
  if (first >= argc) {
    std::cerr << kUsage;
    return 2;
  }
  // Windows appear on the screen that SVX_DISPLAY and DISPLAY name.
  try {
    svx::setDisplay(svx::displayFromEnvironment());
  } catch (const svx::RuntimeError& e) {
    std::cerr << "sorvanelix-script: " << svx::utf8(e.description()) << "\n";
    return 1;
  }
  // The server runs in the host's process: its classes are registered here
  // instead of in a system registry.
  svx::Dialog::registerProgId();
  svx::registerDialogForm();
  // Headless, the text of an error box goes where the script's errors go.
  svx::setErrorBoxNotice(svx::host::reportUnseenErrorBox);
  svx::host::addGlobalObject("User", svx::makeRef<svx::SimulatedUser>());

  if (!optionsEnded && std::string_view(argv[first]) == "--reference") {
    if (argc != first + 2) {
      std::cerr << "usage: sorvanelix-script --reference PROGID\n";
      return 2;
    }
    return printReference(argv[first + 1]);
  }

  std::vector<std::string> args(argv + first + 1, argv + argc);
  svx::host::ScriptHost host;
  host.setTrace(trace);
  const int status = host.runFile(argv[first], args);
  // A document the script left open is sent, as when a program ends.
  try {
    svx::releaseCurrentPrinter();
  } catch (const svx::RuntimeError& e) {
    std::cerr << "sorvanelix-script: " << svx::utf8(e.description()) << "\n";
  }
  return status;
}
