// A control hosted by ProgID: a progress bar (the Sorvanelix.ProgressBar
// plug-in, found in lib/sorvanelix/controls beside the program's folder, or
// through SVX_CONTROL_PATH) that a timer moves on. When it is full, the window's picture is written to
// the PNG file named by the first argument and the window is hidden.
var dlg = WScript.CreateObject("Sorvanelix.Dialog", "dlg_");
var err = new Ref(0), desc = new Ref("");
var png = WScript.Arguments.length > 0 ? WScript.Arguments(0) : "hosted_control.png";

dlg.Caption = "Copying files";
dlg.Width = 4800;
dlg.Height = 1500;

var bar = dlg.AddActiveXControlWithoutEvents("Sorvanelix.ProgressBar", Missing, Missing, Missing, true,
                                             240, 240, 4080, 300, Missing, err, desc);
if (bar === undefined) {
  WScript.Echo("no progress bar: " + desc.value + " (" + err.value + ")");
  WScript.Quit(1);
}
var progress = dlg.GetActiveXControlWithoutEvents(bar, err, desc);
progress.Max = 10;

var timer = dlg.LoadTimerCtrl(err, desc);
dlg.SetTimerCtrl(timer, 50, true, err, desc);

function dlg_TimerCtrlTimer(intIndex) {
  progress.Value = progress.Value + 1;
  WScript.Echo("progress " + progress.Value + " of " + progress.Max);
  if (progress.Value < progress.Max) return;
  dlg.SetTimerCtrl(timer, Missing, false, err, desc);
  User.snapshot(dlg.FormObject(err, desc), png);
  dlg.Hide();
}

dlg.ShowModal(err, desc);
dlg.RemoveActiveXControlWithoutEvents(bar, err, desc);
WScript.Echo("done, lngErrNumber " + err.value);
