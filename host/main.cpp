// sorvanelix-script FILE.js [ARGS...]: runs a script with the host's objects.
#include <iostream>
#include <string>
#include <vector>

#include "dialog/dialog.h"
#include "dialog/dialog_form_api.h"
#include "host/script_host.h"
#include "platform/forms/user.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: sorvanelix-script FILE.js [ARGS...]\n";
    return 2;
  }
  // The server runs in the host's process: its classes are registered here
  // instead of in a system registry.
  svx::Dialog::registerProgId();
  svx::registerDialogForm();
  svx::host::addGlobalObject("User", svx::makeRef<svx::SimulatedUser>());

  std::vector<std::string> args(argv + 2, argv + argc);
  svx::host::ScriptHost host;
  return host.runFile(argv[1], args);
}
