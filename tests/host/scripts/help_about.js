// The help window and the About box, each found from a timer's tick while it
// is shown modally, read and closed again.
var dlg = WScript.CreateObject("Sorvanelix.Dialog", "dlg_");
var err = new Ref(0), desc = new Ref("");
var timer = dlg.LoadTimerCtrl(err, desc);
dlg.SetTimerCtrl(timer, 20, true, err, desc);

function element(form, name, index) {
  var controls = form.Controls;
  for (var i = 0; i < controls.Count; i++) {
    var c = controls.Item(i);
    if (c.Name == name && c.Index == index) return c;
  }
  return null;
}

function dlg_TimerCtrlTimer(intIndex) {
  var form = User.activeForm();
  if (form === null) return;
  if (form.Caption == "Help") {
    var events = element(form, "txtHelp", 0).Text;
    WScript.Echo("help: " + (events.indexOf("Public Event FormQueryUnload ( intCancel , intUnloadMode ) ") >= 0));
    User.click(element(form, "optDisplay", 1));
    WScript.Echo("part one shown: " + element(form, "txtHelp2", 0).Visible + " " + element(form, "txtHelp", 0).Visible);
    User.close(form);
  } else if (form.Caption == "About Sorvanelix") {
    WScript.Echo(element(form, "lblVersion", 0).Text);
    User.mouseDown(form, 2, 4);  // Alt and the right button on the background
    WScript.Echo("picture shown: " + element(form, "Picture1", 0).Visible);
    User.click(element(form, "cmdOK", 0));
  }
}

dlg.Help();
WScript.Echo("after Help: " + User.activeForm());
dlg.AboutBox();
dlg.SetTimerCtrl(timer, Missing, false, err, desc);
WScript.Echo("done");
