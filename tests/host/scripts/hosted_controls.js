// Hosted controls through Dialog: add, events with their parameter table,
// the simulated user on a hosted control, licences, removal.
var dlg = WScript.CreateObject("Sorvanelix.Dialog", "dlg_");
var err = new Ref(0), desc = new Ref("");
var log = [];
function check(cond, what) { if (!cond) { WScript.Echo("FAILED: " + what); WScript.Quit(1); } }

function dlg_ActiveXControlGotFocus(intIndex) { log.push("GotFocus " + intIndex); }
function dlg_ActiveXControlEvent(intIndex, arrayEventParameters, strEventName) {
  var a = arrayEventParameters.value;
  var text = "Event " + intIndex + " " + strEventName;
  if (a !== undefined) text += " " + a.getItem(1, 1) + "=" + a.getItem(1, 2);
  log.push(text);
}

var i = dlg.AddActiveXControlWithEvents("Sorvanelix.SampleControl", Missing, Missing, Missing, true,
                                        120, 120, 2000, 400, Missing, err, desc);
check(i === 1 && err.value === 0 && err.vartype === 2, "add with events: " + i + " " + desc.value);
var c = dlg.GetActiveXControlWithEvents(i, err, desc);
check(c.Name.indexOf("DC") === 0 && c.Visible === true && c.Left === 120, "extender members");

c.Fire("Ping");
c.Fire("Change");
check(c.LastResult === "NewValue=5 Cancel=False", "LastResult " + c.LastResult);
User.click(c);
User.type(c, "hi");
check(c.Text === "hi", "typed text " + c.Text);
check(log.join("|") === "Event 1 Ping|Event 1 Change NewValue=5|GotFocus 1|Event 1 Click|Event 1 KeyPress KeyAscii=104|Event 1 KeyPress KeyAscii=105",
      "events " + log.join("|"));

var bad = dlg.AddActiveXControlWithoutEvents("Sorvanelix.SampleLicensedControl", Missing, Missing, Missing,
                                             Missing, Missing, Missing, Missing, Missing, Missing, err, desc);
check(bad === undefined && err.value !== 0, "licensed without key");
var ok = dlg.AddActiveXControlWithoutEvents("Sorvanelix.SampleLicensedControl", "sample-licence-key", Missing,
                                            Missing, Missing, Missing, Missing, Missing, Missing, Missing, err, desc);
check(ok === 1 && err.value === 0, "licensed with key");
check(dlg.GetActiveXControlWithoutEvents(ok, err, desc).Visible === false, "hidden without Visible");

check(dlg.RemoveActiveXControlWithEvents(i, err, desc) === true, "remove");
check(dlg.RemoveActiveXControlWithEvents(i, err, desc) === false && err.value === -100, "remove twice");
check(desc.value === "The control extender object associated with the Index '1' doesn't exist (is nothing)!",
      desc.value);
check(dlg.GetActiveXControlWithEvents(7, err, desc) === null && err.value === 9, "get beyond");
WScript.Echo("hosted controls ok");
