// Control plug-ins: shared libraries that add control classes to the class
// registry, which is how a control is made available to scripts. The
// folders of SVX_CONTROL_PATH (separated by ':') are searched first, then
// the plug-in folder beside the program, then the installed one; every
// "*.so" in a folder is loaded, in name order, unless a library of that file
// name was loaded already. The folders are trusted: what a library in them
// does when loaded, it does with the program's rights.
//
// A plug-in exports one function, with C linkage:
//
//   extern "C" int SvxRegisterControls(int apiVersion, svx::ControlRegistrar& registrar);
//
// which adds its classes with registrar.add() and returns 0. A library that
// cannot be loaded, lacks the function, was built for another API version,
// fails (a result other than 0, or an exception) is skipped with a message
// on standard error, and none of its classes is registered.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

#include "platform/automation/class_registry.h"

namespace svx {

inline constexpr int ControlPluginApiVersion = 1;
inline constexpr const char* ControlPluginFunctionName = "SvxRegisterControls";

class ControlRegistrar {
 public:
  virtual ~ControlRegistrar() = default;
  virtual void add(ControlClass cls) = 0;
};

using ControlPluginFunction = int (*)(int apiVersion, ControlRegistrar& registrar);

struct PluginLoadReport {
  std::vector<std::filesystem::path> loaded;
  std::vector<std::string> messages;  // one per skipped library or class
};

// Loads the plug-ins of `folders`; each message also goes to `errors`.
PluginLoadReport loadControlPlugins(const std::vector<std::filesystem::path>& folders, std::ostream& errors);
// SVX_CONTROL_PATH's folders (a relative one taken from the working
// folder), then the one beside the program (<its folder>/../lib/sorvanelix/
// controls), then the installed plug-in folder; each once.
std::vector<std::filesystem::path> controlPluginFolders();
// Loads the plug-ins of controlPluginFolders() the first time it is called.
void ensureControlPluginsLoaded();
// The folders that ensureControlPluginsLoaded() searched; none before it ran.
const std::vector<std::filesystem::path>& searchedControlPluginFolders();
// The description of error 429 for a ProgID that no control class has: the
// ProgID, the nearest registered one, and the folders searched.
BStr noControlClassDescription(BStrView progId);

}  // namespace svx
