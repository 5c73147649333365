// A form over a database: a data control with its navigation bar, and
// labels that show the record it stands on. The data control raises
// DataCtrlReposition whenever another record becomes current; the script
// reads the record through the control's Recordset.
//
//   sorvanelix-sample-db books.db                       (makes the database)
//   sorvanelix-script data_form.js [PICTURE.png] [DATABASE]
//
// Run headless, the simulated user steps through the records with the bar's
// buttons, the script corrects one year through the recordset, and a second
// data control shows the error for a database file that does not exist.
var dlg = WScript.CreateObject("Sorvanelix.Dialog", "dlg_");
var err = new Ref(0), desc = new Ref("");
var picture = WScript.Arguments.length > 0 ? WScript.Arguments(0) : "data_form.png";
var database = WScript.Arguments.length > 1 ? WScript.Arguments(1) : "books.db";

dlg.Caption = "Books";
dlg.Width = 4800;
dlg.Height = 2400;

function label(top, width) {
  var i = dlg.LoadLabel(Missing, err, desc);
  dlg.SetLabel(i, Named({strCaption: "", boolVisible: true, sngLeft: 240, sngTop: top, sngWidth: width,
                         sngHeight: 285}));
  return i;
}
var title = label(240, 4200), author = label(600, 4200), year = label(960, 4200);

var data = dlg.LoadDataCtrl(Missing, err, desc);
dlg.SetDataCtrl(data, Named({strDatabaseName: database, strRecordSource: "books",
                             intRecordsetType: 1, boolVisible: true, sngLeft: 240, sngTop: 1440,
                             sngWidth: 4200, sngHeight: 315, lngErrNumber: err, strErrDescription: desc}));
var bar = dlg.DataCtrlObject(data, err, desc);

// The record the control stands on, into the labels.
function show() {
  var rs = bar.Recordset;
  var fields = rs.Fields;
  dlg.SetLabel(title, Named({strCaption: fields("title").Value}));
  dlg.SetLabel(author, Named({strCaption: "by " + fields("author").Value}));
  dlg.SetLabel(year, Named({strCaption: String(fields("year").Value)}));
  WScript.Echo("record " + (rs.AbsolutePosition + 1) + " of " + rs.RecordCount + ": " + fields("title").Value);
}
function dlg_DataCtrlReposition(intIndex) {
  if (intIndex == data) show();
}

dlg.DataCtrlOpenData(data, err, desc);
if (err.value != 0) {
  WScript.Echo("cannot open " + database + ": " + desc.value + " (" + err.value + ")");
  if (err.value == 3024) WScript.Echo("make it with: sorvanelix-sample-db " + database);
  WScript.Quit(1);
}

// A data control over a file that does not exist reports it and creates nothing.
var broken = dlg.LoadDataCtrl(Missing, err, desc);
dlg.SetDataCtrl(broken, Named({strDatabaseName: "no-such.db", strRecordSource: "books"}));
dlg.DataCtrlOpenData(broken, err, desc);
WScript.Echo("second data control: error " + err.value + ", " + desc.value);

var acted = false;
function dlg_FormPaint() {
  if (acted) return;
  acted = true;
  User.clickAt(bar, 3500, 150);  // Next
  User.clickAt(bar, 3500, 150);  // Next
  User.clickAt(bar, 4000, 150);  // Last
  User.clickAt(bar, 600, 150);   // Previous
  // A correction through the recordset, saved in one transaction.
  var rs = bar.Recordset;
  rs.Edit();
  rs.Fields("year").Value = 2012;
  rs.Update();
  show();
  User.snapshot(dlg.FormObject(err, desc), picture);
  dlg.Hide();
}

dlg.ShowModal(err, desc);
WScript.Echo("done");
