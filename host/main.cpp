// sorvanelix-script [--trace] FILE.js [ARGS...]: runs a script with the
// host's objects.
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "dialog/dialog.h"
#include "dialog/dialog_form_api.h"
#include "host/script_host.h"
#include "platform/forms/user.h"

int main(int argc, char** argv) {
  int first = 1;
  bool trace = false;
  if (first < argc && std::string_view(argv[first]) == "--trace") {
    trace = true;
    ++first;
  }
  if (first >= argc) {
    std::cerr << "usage: sorvanelix-script [--trace] FILE.js [ARGS...]\n";
    return 2;
  }
  // The server runs in the host's process: its classes are registered here
  // instead of in a system registry.
  svx::Dialog::registerProgId();
  svx::registerDialogForm();
  svx::host::addGlobalObject("User", svx::makeRef<svx::SimulatedUser>());

  std::vector<std::string> args(argv + first + 1, argv + argc);
  svx::host::ScriptHost host;
  host.setTrace(trace);
  return host.runFile(argv[first], args);
}
