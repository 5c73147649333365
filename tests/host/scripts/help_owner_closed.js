// The form is closed from a timer's tick while the help window, owned by it,
// is shown modally from an earlier tick of the same timer: the help window
// goes with its owner, Help returns, and so does ShowModal.
var dlg = WScript.CreateObject("Sorvanelix.Dialog", "dlg_");
var err = new Ref(0), desc = new Ref("");
var timer = dlg.LoadTimerCtrl(err, desc);
dlg.SetTimerCtrl(timer, 20, true, err, desc);
var ticks = 0;

function dlg_TimerCtrlTimer(intIndex) {
  ticks++;
  if (ticks == 1) {
    dlg.Help();
    WScript.Echo("help returned");
  } else if (ticks == 2) {
    WScript.Echo("closing");
    User.close(dlg.FormObject(err, desc));
  } else {
    WScript.Echo("tick of an unloaded timer");
  }
}

dlg.ShowModal(err, desc);
WScript.Echo("ShowModal returned " + err.value);
