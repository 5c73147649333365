// A small wizard: the first page asks for a folder through the folder
// dialog, the second shows the progress of the work, driven by a timer, and
// every step is written as a record into the log file (LogInfo writes to the
// log file in the Documents folder).
//
//   sorvanelix-script wizard.js [PICTURE.png]
//
// Run headless, the simulated user answers the folder dialog with the
// Documents folder (the example's own folder where there is none), presses
// Next, and Finish when the work is done.
var dlg = WScript.CreateObject("Sorvanelix.Dialog", "dlg_");
var err = new Ref(0), desc = new Ref("");
var picture = WScript.Arguments.length > 0 ? WScript.Arguments(0) : "wizard.png";

dlg.Caption = "Export wizard";
dlg.Width = 5400;
dlg.Height = 3000;

function label(caption, top, visible) {
  var i = dlg.LoadLabel(Missing, err, desc);
  dlg.SetLabel(i, Named({strCaption: caption, boolVisible: visible, sngLeft: 240, sngTop: top, sngWidth: 4800,
                         sngHeight: 285}));
  return i;
}
function button(caption, left, visible, isDefault) {
  var i = dlg.LoadCommand(Missing, err, desc);
  dlg.SetCommand(i, Named({strCaption: caption, boolDefault: isDefault, boolVisible: visible, sngLeft: left,
                           sngTop: 1920, sngWidth: 1200, sngHeight: 375}));
  return i;
}
function show(i, visible) { dlg.SetLabel(i, Named({boolVisible: visible})); }
function showButton(i, visible) { dlg.SetCommand(i, Named({boolVisible: visible})); }

// Page 1.
var intro = label("Step 1 of 2: choose the folder to export to.", 240, true);
var folderLabel = label("(no folder chosen)", 720, true);
var browse = button("Browse...", 240, true, false);
var next = button("Next >", 3840, true, true);
// Page 2.
var status = label("Step 2 of 2: exporting...", 240, false);
var progress = label("", 720, false);
var finish = button("Finish", 3840, false, true);
// The timer starts enabled when loaded: switch it off until page 2.
var timer = dlg.LoadTimerCtrl(err, desc);
dlg.SetTimerCtrl(timer, Named({lngInterval: 40, boolEnabled: false}));

var folder = "";
var percent = 0;

function log(text) {
  dlg.LogInfo(text, err, desc);
  if (err.value != 0) WScript.Echo("LogInfo failed: " + err.value + " " + desc.value);
}

function bar(p) {
  var filled = Math.round(p / 5), s = "";
  for (var i = 0; i < 20; i++) s += i < filled ? "#" : ".";
  return "[" + s + "] " + p + "%";
}

function dlg_CommandClick(intIndex) {
  if (intIndex == browse) {
    var chosen = dlg.BrowseForFolder(Missing, "Export to", Missing, err, desc);
    if (chosen) {
      folder = chosen;
      dlg.SetLabel(folderLabel, Named({strCaption: "Folder: " + folder}));
      log("wizard: folder " + folder);
    }
  } else if (intIndex == next) {
    if (folder == "") return;
    show(intro, false); show(folderLabel, false); showButton(browse, false); showButton(next, false);
    show(status, true); show(progress, true);
    dlg.SetLabel(progress, Named({strCaption: bar(0)}));
    log("wizard: export started");
    dlg.SetTimerCtrl(timer, Named({boolEnabled: true}));
  } else if (intIndex == finish) {
    log("wizard: finished");
    dlg.Hide();
  }
}

function dlg_TimerCtrlTimer(intIndex) {
  percent += 10;
  dlg.SetLabel(progress, Named({strCaption: bar(percent)}));
  log("wizard: " + percent + "% done");
  if (percent < 100) return;
  dlg.SetTimerCtrl(timer, Named({boolEnabled: false}));
  dlg.SetLabel(status, Named({strCaption: "Step 2 of 2: the export is done."}));
  showButton(finish, true);
  User.snapshot(dlg.FormObject(err, desc), picture);
  User.click(dlg.CommandObject(finish, err, desc));
}

// The simulated user: the folder dialog's answer is queued before the
// dialog opens.
var acted = false;
function dlg_FormPaint() {
  if (acted) return;
  acted = true;
  var documents = dlg.GetMyDocumentsFolder();
  var here = WScript.ScriptFullName.substring(0, WScript.ScriptFullName.lastIndexOf("/"));
  User.answer("Folder", documents != "" ? documents : here);
  User.click(dlg.CommandObject(browse, err, desc));
  User.click(dlg.CommandObject(next, err, desc));
}

dlg.ShowModal(err, desc);
WScript.Echo("exported to " + folder + " in " + percent / 10 + " steps");
