// Sign in: a dialog for a person.
//
//   sorvanelix-script sign_in.js [PICTURE.png]
//
// On a Linux desktop the window appears on the screen and waits for you:
// type a name and a password, press Enter or click "Sign in" (an empty name
// asks again), or Cancel, Esc or the close box. Given a picture file, the
// simulated user fills it in instead and a snapshot of it is written there,
// as the tests do.
var dlg = WScript.CreateObject("Sorvanelix.Dialog", "dlg_");
var err = new Ref(0), desc = new Ref("");
var picture = WScript.Arguments.length > 0 ? WScript.Arguments(0) : "";
var simulate = picture != "";

dlg.Caption = "Sign in";
dlg.Width = 4800;
dlg.Height = 2750;

function label(caption, top) {
  var i = dlg.LoadLabel(Missing, err, desc);
  dlg.SetLabel(i, caption, Missing, Missing, true, 240, top, 1000, 255, Missing, err, desc);
}
function textBox(passwordChar, top) {
  var i = dlg.LoadText(Missing, err, desc);
  dlg.SetText(i, "", 40, passwordChar, Missing, true, 1320, top, 3000, 315, Missing, err, desc);
  return i;
}
function button(caption, isDefault, isCancel, left) {
  var i = dlg.LoadCommand(Missing, err, desc);
  dlg.SetCommand(i, caption, isDefault, isCancel, Missing, true, left, 1680, 1320, 375, Missing, err, desc);
  return i;
}

label("Name:", 300);
var name = textBox(Missing, 240);
label("Password:", 780);
var password = textBox("*", 720);
var remember = dlg.LoadCheck(Missing, err, desc);
dlg.SetCheck(remember, "Remember me", Missing, true, Missing, 1320, 1170, 3000, 315, Missing, err, desc);
var ok = button("Sign in", true, false, 1680);
var cancel = button("Cancel", false, true, 3120);

function textOf(index) {
  var text = new Ref("");
  dlg.GetText(index, text, Missing, Missing, Missing, Missing, Missing, Missing, Missing, Missing, err, desc);
  return text.value;
}

function dlg_CommandClick(intIndex) {
  if (intIndex == cancel) {
    WScript.Echo("cancelled");
    dlg.Hide();
    return;
  }
  if (textOf(name) == "") {
    dlg.MessageBox("Please enter your name.", 48, "Sign in");
    return;
  }
  var value = new Ref(0);
  dlg.GetCheck(remember, Missing, Missing, Missing, value, Missing, Missing, Missing, Missing, err, desc);
  WScript.Echo("signed in as " + textOf(name) + " (" + textOf(password).length + "-character password" +
               (value.value == 1 ? ", remembered" : "") + ")");
  dlg.Hide();
}

function dlg_FormQueryUnload(intCancel, intUnloadMode) {
  WScript.Echo("closed" + (intUnloadMode == 0 ? " by the user" : ""));
}

var acted = false;
function dlg_FormActivate() {
  if (!simulate || acted) return;
  acted = true;
  User.type(dlg.TextObject(name, err, desc), "Ada");
  User.type(dlg.TextObject(password, err, desc), "secret");
  User.click(dlg.CheckObject(remember, err, desc));
  User.snapshot(dlg.FormObject(err, desc), picture);
  User.press(dlg.CheckObject(remember, err, desc), "Enter");
}

dlg.ShowModal(err, desc);
// Without a screen and without a picture file nobody can answer the window.
if (err.value != 0)
  WScript.Echo("the window could not be shown to anyone (" + desc.value + "): run it on a desktop, " +
               "or give a picture file and the simulated user signs in");
