// A timer's event function fails on its second tick: the script ends with
// status 1 instead of waiting in ShowModal.
var dlg = WScript.CreateObject("Sorvanelix.Dialog", "dlg_");
var err = new Ref(0), desc = new Ref("");
var timer = dlg.LoadTimerCtrl(err, desc);
dlg.SetTimerCtrl(timer, 50, true, err, desc);
var ticks = 0;
function dlg_TimerCtrlTimer(intIndex) {
  ticks++;
  WScript.Echo("tick " + ticks);
  if (ticks == 2) missingFunction();
}
dlg.ShowModal(err, desc);
WScript.Echo("not reached");
