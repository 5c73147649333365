// sorvanelix-script FILE.js [ARGS...]: runs a script with the host's objects.
#include <iostream>
#include <string>
#include <vector>

#include "host/script_host.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: sorvanelix-script FILE.js [ARGS...]\n";
    return 2;
  }
  std::vector<std::string> args(argv + 2, argv + argc);
  svx::host::ScriptHost host;
  return host.runFile(argv[1], args);
}
