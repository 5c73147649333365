// The script host: runs a JavaScript file (Duktape, ES5.1 with Proxy) with the
// objects that scripts written for the system expect of their host: WScript,
// ActiveXObject, VBArray, plus Ref (by-reference variables) and Missing.
//
// Every automation object reaches the script as a Proxy over an ObjectRef:
// properties and methods are resolved by name through the object's ClassInfo.
// Events of an object connected with a prefix call the global function named
// prefix + event name, with each argument as a Ref bound to the raiser's
// variable.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "platform/automation/object.h"
#include "platform/automation/variant.h"

namespace svx::host {

class ScriptHost {
 public:
  // Echo writes to `out`; errors are reported on `err`.
  ScriptHost();
  ScriptHost(std::ostream& out, std::ostream& err);

  // Runs `source` as the script at `scriptPath` (used for ScriptName,
  // ScriptFullName and error reports) with `args` as WScript.Arguments.
  // Returns the exit status: the code given to WScript.Quit, 0 at the end of
  // the script, 1 after an uncaught error (reported on `err` with its line),
  // also one inside an event function, which ends the script at once.
  int run(std::string_view source, const std::string& scriptPath, const std::vector<std::string>& args = {});
  // Reads the file (UTF-8) and runs it; 1 when it cannot be read.
  int runFile(const std::string& path, const std::vector<std::string>& args = {});

  // Writes a trace of the script's calls to automation members and of the
  // events it receives on `err` (off by default).
  void setTrace(bool on) { trace_ = on; }

 private:
  std::ostream& out_;
  std::ostream& err_;
  bool trace_ = false;
};

// What WScript.Sleep(ms) does while it waits. The default serves the
// thread's message loop and its timers until the time has passed.
void setSleepHandler(std::function<void(int)> handler);
// Restores the default.
void resetSleepHandler();

// Objects installed as globals of every script run from now on (for example
// a simulated user). A later object under the same name replaces the former.
void addGlobalObject(std::string name, ObjectRef object);
void removeGlobalObject(std::string_view name);

// Writes the text of an error box that nobody saw (no display shows
// windows) where the running script's errors go, with the script's line, and
// to its trace; without a running script, to standard error.
void reportUnseenErrorBox(const BStr& text);

// The registered ProgID nearest to `progId`, among the classes a script
// creates and the controls a form hosts (the control plug-ins loaded first);
// "" when none is near.
BStr nearestProgId(BStrView progId);

}  // namespace svx::host
