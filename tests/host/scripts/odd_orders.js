// Calls in the orders a newcomer's script makes them: controls unloaded from
// inside their own events, a second modal show from an event, the form closed
// by the user and touched again, a container unloaded under its children.
var dlg = WScript.CreateObject("Sorvanelix.Dialog", "dlg_");
var err = new Ref(99), desc = new Ref("old");
var seen = [];
function check(cond, what) { if (!cond) { WScript.Echo("FAIL " + what + " [" + seen.join(", ") + "]"); WScript.Quit(1); } }
function visibleText(text) {
  var i = dlg.LoadText(Missing, err, desc);
  dlg.SetText(i, text, Missing, Missing, Missing, true, Missing, Missing, Missing, Missing, Missing, err, desc);
  return i;
}

// A text box unloaded by its own KeyPress: the key is dropped, nothing after it arrives.
var t = visibleText("abc");
var textObj = dlg.TextObject(t, err, desc);
function dlg_TextKeyPress(i, k) { seen.push("press " + i.value); dlg.UnloadText(i.value, err, desc); k.value = 0; }
function dlg_TextKeyUp(i) { seen.push("up " + i.value); }
try { User.type(textObj, "zz"); } catch (x) { seen.push("type: " + x.message); }
check(err.value == 0, "unload inside KeyPress");
check(seen.join(",").indexOf("up") < 0, "no KeyUp after the unload");
dlg.GetText(t, new Ref(), Missing, Missing, Missing, Missing, Missing, Missing, Missing, Missing, err, desc);
check(err.value == 340, "the text box is gone");
check(dlg.LoadText(Missing, err, desc) == t, "its index is free again");

// A button unloaded by its own MouseDown raises no Click.
var c = dlg.LoadCommand(Missing, err, desc);
dlg.SetCommand(c, "Go", Missing, Missing, Missing, true, Missing, Missing, Missing, Missing, Missing, err, desc);
var clicks = 0;
function dlg_CommandMouseDown(i, b, s, x, y) { dlg.UnloadCommand(i.value, err, desc); x.value = 5; }
function dlg_CommandClick(i) { clicks++; }
try { User.click(dlg.CommandObject(c, err, desc)); } catch (x) { seen.push("click: " + x.message); }
check(clicks == 0, "no Click from an unloaded button");
check(dlg.CommandObject(c, err, desc) === null && err.value == 340, "the button is gone");

// A picture box unloaded under a control it contains takes the control along.
var p = dlg.LoadPictureCtrl(Missing, err, desc);
var inner = dlg.LoadLabel(p, err, desc);
check(dlg.LabelObject(inner, err, desc).Container.Name == "PictureCtrl", "the label sits in the picture box");
dlg.UnloadPictureCtrl(p, err, desc);
check(err.value == 0 && err.vartype == 2, "unload of the container");
dlg.GetLabel(inner, new Ref(), Missing, Missing, Missing, Missing, Missing, Missing, Missing, err, desc);
check(err.value == 340, "the contained label went with it");
check(dlg.LoadLabel(p, err, desc) == inner && dlg.LabelObject(inner, err, desc).Container.Name == "DialogForm",
      "an unloaded container index means the form");

// From a timer's ticks: a second ShowModal fails with 400 and leaves the
// first running; the timer unloads itself; then the user closes the form.
var timer = dlg.LoadTimerCtrl(err, desc);
dlg.SetTimerCtrl(timer, 20, true, err, desc);
var ticks = 0, nested = new Ref(5), nestedDesc = new Ref("");
var form = dlg.FormObject(err, desc);
function dlg_TimerCtrlTimer(i) {
  ticks++;
  if (ticks == 1) dlg.ShowModal(nested, nestedDesc);
  else if (ticks == 2) { dlg.UnloadTimerCtrl(i.value, err, desc); User.close(form); }
}
var loads = 0;
function dlg_FormLoad() { loads++; }
dlg.ShowModal(err, desc);
check(err.value == 0 && err.vartype == 2, "ShowModal ends when the user closes the form");
check(nested.value == 400 && nested.vartype == 3 && nestedDesc.value != "", "nested ShowModal reports 400");
check(ticks == 2, "no tick after the timer unloaded itself");

// The closed form comes back with its templates only, and counts from 1 again.
check(dlg.LoadCommand(Missing, err, desc) == 1 && loads == 1, "the form loads again on the next touch");
check(dlg.LoadText(Missing, err, desc) == 1, "text boxes count from 1 again");
WScript.Echo("odd orders ok");
