// Printing a page: the installed printers, the print dialog, a page of
// tabbed text and a drawing on the printer the user chose. The simulated
// user presses Print and confirms the dialog; the window is saved as
// PICTURE (a PNG). On a machine without printers the dialog cannot open and
// nothing is printed.
//
//   sorvanelix-script print_page.js [PICTURE.png] [discard]
//
// With "discard" the document is thrown away instead of sent (KillDoc).
var dlg = WScript.CreateObject("Sorvanelix.Dialog", "dlg_");
var err = new Ref(0), desc = new Ref("");
var picture = WScript.Arguments.length > 0 ? WScript.Arguments(0) : "print_page.png";
var discard = WScript.Arguments.length > 1 && WScript.Arguments(1) == "discard";

dlg.Caption = "Print a page";
dlg.Width = 5400;
dlg.Height = 2400;

// The installed printers: a one-based array, or nothing when there is none.
var printers = dlg.ListOfInstalledPrinters(err, desc);
var names = printers ? printers.toArray() : [];
WScript.Echo("printers: " + names.length);

var info = dlg.LoadLabel(Missing, err, desc);
dlg.SetLabel(info, Named({strCaption: names.length ? "Printers: " + names.join(", ") : "No printer is installed.",
                          boolVisible: true, sngLeft: 240, sngTop: 240, sngWidth: 4800, sngHeight: 600}));
var print = dlg.LoadCommand(Missing, err, desc);
dlg.SetCommand(print, Named({strCaption: "Print...", boolDefault: true, boolVisible: true, sngLeft: 2520,
                            sngTop: 1320, sngWidth: 1200, sngHeight: 375}));
var close = dlg.LoadCommand(Missing, err, desc);
dlg.SetCommand(close, Named({strCaption: "Close", boolCancel: true, boolVisible: true, sngLeft: 3840, sngTop: 1320,
                            sngWidth: 1200, sngHeight: 375}));

function check(what) {
  if (err.value != 0) WScript.Echo(what + " failed: " + err.value + " " + desc.value);
}

// One line of tabbed text: [print column, value] pairs.
function printRow(cells, keepLine) {
  var table = VBArray.dims(1, cells.length, 1, 2);
  for (var i = 0; i < cells.length; i++) {
    table.setItem(cells[i][0], i + 1, 1);
    table.setItem(cells[i][1], i + 1, 2);
  }
  dlg.PrinterPrintTabbedText(table, keepLine ? true : Missing, err, desc);
  check("tabbed text");
}

function printPage() {
  var device = new Ref(""), copies = new Ref(1);
  if (!dlg.CommonDialogShowPrinter(Named({strDeviceName: device, intCopies: copies, lngErrNumber: err,
                                          strErrDescription: desc}))) {
    WScript.Echo("no printer to print on");
    return;
  }
  dlg.SetPrinterObject(device.value, err, desc); check("printer");
  dlg.PrinterPrintText("Stock list", err, desc); check("text");
  dlg.PrinterPrintText("", err, desc);
  printRow([[5, "Item"], [30, "Count"], [45, "Price"]]);
  var items = [["Pencils", 120, 0.45], ["Notebooks", 36, 2.9], ["Erasers", 80, 0.3]];
  for (var i = 0; i < items.length; i++) printRow([[5, items[i][0]], [30, items[i][1]], [45, items[i][2]]]);
  // A frame around the list and a circle beside it (twips, from the
  // printable area's top left corner).
  dlg.PrinterLineAbsolute(Named({sngX1: 200, sngY1: 200, sngX2: 7600, sngY2: 1900, lngOLEColor: 0x993300,
                                 boolBox: true, lngErrNumber: err, strErrDescription: desc}));
  check("frame");
  dlg.PrinterCircleAbsolute(8600, 1000, 600, 0x0000CC, Missing, Missing, Missing, err, desc); check("circle");
  var printer = dlg.PrinterObject(err, desc);
  if (discard) printer.KillDoc();
  else printer.EndDoc();
  WScript.Echo((discard ? "discarded" : "printed") + " a page on " + device.value);
}

function dlg_CommandClick(intIndex) {
  if (intIndex == print) printPage();
  dlg.Hide();
}

var shown = false;
function dlg_FormPaint() {
  if (shown) return;
  shown = true;
  // The simulated user saves the window, presses Print and confirms the
  // print dialog as it is.
  User.snapshot(dlg.FormObject(err, desc), picture);
  User.answer("Print", true);
  User.click(dlg.CommandObject(print, err, desc));
}

dlg.ShowModal(err, desc);
