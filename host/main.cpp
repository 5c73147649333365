// sorvanelix-script [--trace] FILE.js [ARGS...]: runs a script with the
// host's objects.
// sorvanelix-script --reference PROGID: prints the reference of a registered
// class (its members and events) in Markdown.
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "dialog/dialog.h"
#include "dialog/dialog_form_api.h"
#include "host/script_host.h"
#include "platform/automation/error.h"
#include "platform/automation/type_reference.h"
#include "platform/display/display_choice.h"
#include "platform/forms/control_plugins.h"
#include "platform/print/printers.h"
#include "platform/user/simulated_user.h"
#include "services/hosted_controls.h"

int main(int argc, char** argv) {
  int first = 1;
  bool trace = false;
  if (first < argc && std::string_view(argv[first]) == "--trace") {
    trace = true;
    ++first;
  }
  if (first >= argc) {
    std::cerr << "usage: sorvanelix-script [--trace] FILE.js [ARGS...]\n"
                 "       sorvanelix-script --reference PROGID\n";
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
  svx::host::addGlobalObject("User", svx::makeRef<svx::SimulatedUser>());

  if (std::string_view(argv[first]) == "--reference") {
    if (argc != first + 2) {
      std::cerr << "usage: sorvanelix-script --reference PROGID\n";
      return 2;
    }
    try {
      svx::registerSystemControls();
      svx::ensureControlPluginsLoaded();
      std::cout << svx::typeReference(svx::utf16(argv[first + 1]));
      return 0;
    } catch (const svx::RuntimeError& e) {
      std::cerr << argv[first + 1] << ": " << svx::utf8(e.description()) << " (" << e.number() << ")\n";
      return 1;
    }
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
