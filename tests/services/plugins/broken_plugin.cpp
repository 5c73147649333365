// Control plug-ins that fail in the ways the loader must survive; BROKEN_KIND
// picks the fault.
#include <stdexcept>

#include "platform/forms/control_plugins.h"

#if BROKEN_KIND == 4
extern "C" void svx_test_no_such_function();  // never defined: the library cannot be loaded
#endif

#if BROKEN_KIND != 3  // kind 3 exports no registration function
extern "C" int SvxRegisterControls(int apiVersion, svx::ControlRegistrar& registrar) {
#if BROKEN_KIND == 1 || BROKEN_KIND == 5
  (void)apiVersion;
  (void)registrar;
  return 7;
#elif BROKEN_KIND == 2
  // Registers a class, then fails: nothing may stay registered.
  registrar.add({u"Test.HalfRegistered", [] { return svx::ObjectRef(); }, std::nullopt, nullptr});
  (void)apiVersion;
  throw std::runtime_error("registration exploded");
#elif BROKEN_KIND == 4
  svx_test_no_such_function();
  (void)apiVersion;
  (void)registrar;
  return 0;
#endif
}
#endif
