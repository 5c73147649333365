// A first dialog: a caption, a check box and two buttons. Once the window
// is painted the simulated user ticks the box and presses OK; the OK
// button's event hides the window, which ends ShowModal.
var dlg = WScript.CreateObject("Sorvanelix.Dialog", "dlg_");
var err = new Ref(0), desc = new Ref("");

dlg.Caption = "Hello from Sorvanelix";
dlg.Width = 4200;
dlg.Height = 2600;

var check = dlg.LoadCheck(Missing, err, desc);
dlg.SetCheck(check, "Send me the report", Missing, true, Missing, 240, 240, 3000, 315, Missing, err, desc);

var ok = dlg.LoadCommand(Missing, err, desc);
dlg.SetCommand(ok, "OK", true, false, Missing, true, 1320, 1200, 1200, 375, Missing, err, desc);
var cancel = dlg.LoadCommand(Missing, err, desc);
dlg.SetCommand(cancel, "Cancel", false, true, Missing, true, 2640, 1200, 1200, 375, Missing, err, desc);


function dlg_FormActivate() { WScript.Echo("FormActivate"); }
function dlg_CheckClick(intIndex) { WScript.Echo("CheckClick " + intIndex); }
function dlg_CommandClick(intIndex) {
  WScript.Echo("CommandClick " + intIndex + (intIndex == ok ? " (OK)" : " (Cancel)"));
  if (intIndex == ok) {
    var value = new Ref(0);
    dlg.GetCheck(check, Missing, Missing, Missing, value, Missing, Missing, Missing, Missing, err, desc);
    WScript.Echo("check box value: " + value.value);
    dlg.Hide();
  }
}

// The simulated user acts once the window is up.
var acted = false;
function dlg_FormPaint() {
  if (acted) return;
  acted = true;
  var form = dlg.FormObject(err, desc);
  User.snapshot(form, WScript.Arguments.length > 0 ? WScript.Arguments(0) : "hello_dialog.png");
  User.click(dlg.CheckObject(check, err, desc));
  User.click(dlg.CommandObject(ok, err, desc));
}

dlg.ShowModal(err, desc);
WScript.Echo("ShowModal returned, lngErrNumber " + err.value + " (vartype " + err.vartype + ")");
