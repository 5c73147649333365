// The help window is shown modally over the form from a timer's tick: while
// it is open the form is blocked, so the person's close box on the form does
// nothing; closing the help window first, then the form, ends both shows.
var dlg = WScript.CreateObject("Sorvanelix.Dialog", "dlg_");
var err = new Ref(0), desc = new Ref("");
var timer = dlg.LoadTimerCtrl(err, desc);
dlg.SetTimerCtrl(timer, 20, true, err, desc);
var ticks = 0;

function dlg_TimerCtrlTimer(intIndex) {
  ticks++;
  var form = dlg.FormObject(err, desc);
  if (ticks == 1) {
    dlg.Help();
    WScript.Echo("help returned");
  } else if (ticks == 2) {
    WScript.Echo("closing");
    User.close(form);
    if (form.Visible) WScript.Echo("the form stays while the help window is open");
    User.close(User.activeForm());
  } else if (ticks == 3) {
    User.close(form);
  } else {
    WScript.Echo("tick of an unloaded timer");
  }
}

dlg.ShowModal(err, desc);
WScript.Echo("ShowModal returned " + err.value);
