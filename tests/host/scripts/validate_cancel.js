// The Cancel that a script leaves in a Validate procedure decides, for every
// family that has the event, whether the focus may leave the control.
var dlg = WScript.CreateObject("Sorvanelix.Dialog", "dlg_");
var families = [["List", "List"], ["ListCheck", "ListCheck"], ["Text", "Text"], ["MultiText", "MultiText"],
                ["Check", "Check"], ["Option", "Option"], ["Combo", "Combo"], ["ComboText", "ComboText"],
                ["PictureCtrl", "Picture"], ["HScrollBar", "HScrollBar"], ["VScrollBar", "VScrollBar"]];
// The value left in Cancel, and whether the focus then stays.
var answers = [[true, true], [5, true], ["True", true], [0, false], [undefined, false], [false, false],
               ["abc", false], [null, false]];
var answer, validated, clicked;
function dlg_CommandClick(i) { clicked = true; }
var button = dlg.LoadCommand();
dlg.SetCommand(button, "Next", Missing, Missing, Missing, true, 3900, 4800);
var buttonObject = dlg.CommandObject(button);
var failures = [];
for (var f = 0; f < families.length; f++) {
  var family = families[f][0];
  var index = dlg["Load" + family]();
  var control = dlg[(family == "Option" ? "Option" : family) + "Object"](index);
  control.Visible = true;
  this["dlg_" + families[f][1] + "Validate"] = function (i, cancel) {
    validated = cancel.vartype == 11 && cancel.value === false;
    cancel.value = answer;
  };
  for (var a = 0; a < answers.length; a++) {
    answer = answers[a][0];
    User.click(control);
    // A click on a drop-down list opens it, as a person's does; the next
    // click on the box closes it again.
    if (family == "Combo") User.click(control);
    validated = clicked = false;
    User.click(buttonObject);
    if (!validated || clicked == answers[a][1])
      failures.push(family + " " + String(answer) + (validated ? "" : " (no Validate with a False Boolean)"));
  }
}
WScript.Echo(failures.length ? "FAIL " + failures.join(", ") : "validate ok");
