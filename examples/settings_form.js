// A settings form: text boxes (one for a password), a list, option buttons,
// a check box, and OK and Cancel as the default and cancel buttons. The name
// is checked in its Validate event; Cancel does not cause validation, so the
// user can always leave.
//
//   sorvanelix-script settings_form.js [PICTURE.png] [cancel]
//
// Run headless, the simulated user fills the form in (first trying OK with
// an empty name) and presses OK, or, with "cancel", presses Cancel at once.
var dlg = WScript.CreateObject("Sorvanelix.Dialog", "dlg_");
var err = new Ref(0), desc = new Ref("");
var picture = WScript.Arguments.length > 0 ? WScript.Arguments(0) : "settings_form.png";
var cancelRun = WScript.Arguments.length > 1 && WScript.Arguments(1) == "cancel";

dlg.Caption = "Settings";
dlg.Width = 5400;
dlg.Height = 4700;

// Named arguments: each property by its parameter name, the rest left out.
function label(caption, top) {
  var i = dlg.LoadLabel(Missing, err, desc);
  dlg.SetLabel(i, Named({strCaption: caption, boolVisible: true, sngLeft: 240, sngTop: top + 40,
                         sngWidth: 1200, sngHeight: 285, lngErrNumber: err}));
  return i;
}
function textBox(top, passwordChar, tabIndex) {
  var i = dlg.LoadText(Missing, err, desc);
  dlg.SetText(i, Named({strText: "", strPasswordChar: passwordChar, intTabIndex: tabIndex, boolVisible: true,
                        sngLeft: 1560, sngTop: top, sngWidth: 3360, sngHeight: 315, lngErrNumber: err}));
  return i;
}

label("Name:", 240);
var name = textBox(240, "", 0);
label("Password:", 660);
var password = textBox(660, "*", 1);
label("Size:", 1080);
var size = dlg.LoadList(Missing, err, desc);
dlg.SetList(size, Named({arrayItemsList: VBArray.from(["Small", "Medium", "Large"]), intTabIndex: 2,
                         boolVisible: true, intListIndex: 1, sngLeft: 1560, sngTop: 1080, sngWidth: 3360,
                         sngHeight: 810, lngErrNumber: err}));
var light = dlg.LoadOption(Missing, err, desc);
dlg.SetOption(light, Named({strCaption: "Light", intTabIndex: 3, boolVisible: true, boolValue: true,
                            sngLeft: 1560, sngTop: 2010, sngWidth: 1500, sngHeight: 285}));
var dark = dlg.LoadOption(Missing, err, desc);
dlg.SetOption(dark, Named({strCaption: "Dark", intTabIndex: 4, boolVisible: true, boolValue: false,
                           sngLeft: 3120, sngTop: 2010, sngWidth: 1500, sngHeight: 285}));
var remember = dlg.LoadCheck(Missing, err, desc);
dlg.SetCheck(remember, Named({strCaption: "Remember me", intTabIndex: 5, boolVisible: true, intValue: 0,
                              sngLeft: 1560, sngTop: 2400, sngWidth: 2400, sngHeight: 285}));
var message = label("", 2760);
dlg.SetLabel(message, Named({sngWidth: 4680}));

var ok = dlg.LoadCommand(Missing, err, desc);
dlg.SetCommand(ok, Named({strCaption: "OK", boolDefault: true, intTabIndex: 6, boolVisible: true,
                          sngLeft: 2400, sngTop: 3480, sngWidth: 1200, sngHeight: 375}));
var cancel = dlg.LoadCommand(Missing, err, desc);
dlg.SetCommand(cancel, Named({strCaption: "Cancel", boolCancel: true, intTabIndex: 7, boolVisible: true,
                              sngLeft: 3720, sngTop: 3480, sngWidth: 1200, sngHeight: 375}));
// Leaving the name for Cancel runs no Validate: an empty name cannot keep
// the user in the form.
dlg.CommandObject(cancel, err, desc).CausesValidation = false;

function text(i) {
  var value = new Ref("");
  dlg.GetText(i, Named({strText: value}));
  return value.value;
}

// Validate: Cancel = true keeps the focus in the text box.
function dlg_TextValidate(intIndex, boolCancel) {
  if (intIndex != name) return;
  if (text(name).replace(/\s+/g, "") == "") {
    dlg.SetLabel(message, Named({strCaption: "Please enter a name."}));
    boolCancel.value = true;
  } else {
    dlg.SetLabel(message, Named({strCaption: ""}));
  }
}

var result = "cancelled";
function dlg_CommandClick(intIndex) {
  if (intIndex == ok) {
    var item = new Ref(""), darkValue = new Ref(false), rememberValue = new Ref(0);
    dlg.GetList(size, Named({strListValue: item}));
    dlg.GetOption(dark, Named({boolValue: darkValue}));
    dlg.GetCheck(remember, Named({intValue: rememberValue}));
    result = "name " + text(name) + ", password " + text(password).length + " characters, size " + item.value +
             ", theme " + (darkValue.value ? "dark" : "light") + ", remember " + (rememberValue.value == 1);
  }
  dlg.Hide();
}

// Once the window is up, the simulated user works through it.
var acted = false;
function dlg_FormPaint() {
  if (acted) return;
  acted = true;
  var nameBox = dlg.TextObject(name, err, desc);
  User.click(nameBox);
  if (cancelRun) {
    User.snapshot(dlg.FormObject(err, desc), picture);
    User.click(dlg.CommandObject(cancel, err, desc));
    return;
  }
  User.click(dlg.CommandObject(ok, err, desc));  // refused: the name is empty
  WScript.Echo("message: " + dlg.LabelObject(message, err, desc).Caption);
  User.type(nameBox, "Ada");
  User.type(dlg.TextObject(password, err, desc), "secret");
  User.choose(dlg.ListObject(size, err, desc), 2);
  User.click(dlg.OptionObject(dark, err, desc));
  User.click(dlg.CheckObject(remember, err, desc));
  User.snapshot(dlg.FormObject(err, desc), picture);
  User.click(dlg.CommandObject(ok, err, desc));
}

dlg.ShowModal(err, desc);
WScript.Echo("settings: " + result);
