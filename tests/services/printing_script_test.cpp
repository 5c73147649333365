// A script prints through Dialog: the list of printers, a two-dimensional
// array made with VBArray.dims for PrinterPrintTabbedText, the checks of
// that member, and the printer object ending the document.
#include <gtest/gtest.h>

#include <sstream>

#include "dialog/dialog.h"
#include "dialog/dialog_form_api.h"
#include "host/script_host.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"
#include "platform/print/printers.h"
#include "tests/support/fake_print_destinations.h"

namespace svx {
namespace {

TEST(PrintingScript, TabbedTextFromAScriptReachesTheScheduler) {
  Clock::useVirtualTime();
  desktop().reset();
  auto fake = std::make_shared<testing::FakePrintDestinations>();
  fake->destinations = {{u"Office", false}, {u"office", true}};
  setPrintDestinations(fake);
  registerDialogForm();
  Dialog::registerProgId();

  const char* script = R"(
var dlg = new ActiveXObject('Sorvanelix.Dialog');
var e = new Ref(), d = new Ref();
var list = dlg.ListOfInstalledPrinters(e, d);
WScript.Echo(list.lbound(), list.ubound(), list.getItem(1), list.getItem(2));
var t = VBArray.dims(1, 2, 1, 2);
t.setItem(5, 1, 1); t.setItem('A', 1, 2); t.setItem(20, 2, 1); t.setItem(3.5, 2, 2);
dlg.PrinterPrintTabbedText(t, Missing, e, d);
WScript.Echo(e.value, e.vartype);
dlg.PrinterPrintTabbedText(VBArray.from([1, 2]), Missing, e, d);
WScript.Echo(e.value);
dlg.PrinterPrintTabbedText(VBArray.dims(1, 2, 1, 3), Missing, e, d);
WScript.Echo(e.value, e.vartype, d.value);
dlg.PrinterPrintTabbedText('text', Missing, e, d);
WScript.Echo(e.value);
dlg.SetPrinterObject('OFFICE', e, d);
WScript.Echo(e.value, d.value);
var p = dlg.PrinterObject(e, d);
WScript.Echo(p.DeviceName, p.Page, p.ScaleMode);
p.EndDoc();
)";
  std::ostringstream out, err;
  int code = 0;
  {
    host::ScriptHost host(out, err);
    code = host.run(script, "printing.js", {});
  }
  EXPECT_EQ(err.str(), "");
  EXPECT_EQ(code, 0);
  EXPECT_EQ(out.str(),
            "1 2 Office office\n0 2\n9\n-430 2 The actual value for the varTabbedInfoArray parameter is not a "
            "correctly dimensioned array (not exactly two columns)!\n-400\n-500 No printer having the 'OFFICE' device "
            "name has been found!\noffice 1 1\n");
  ASSERT_EQ(fake->jobs.size(), 1u);
  EXPECT_EQ(fake->jobs[0].destination, u"office");

  setPrintDestinations(nullptr);
  desktop().reset();
  Clock::useRealTime();
}

}  // namespace
}  // namespace svx
