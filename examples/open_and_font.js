// The common dialogs: open a file, open several at once, choose where to
// save, and pick a font. Each dialog is a window of its own, modal to the
// dialog's form; here the simulated user answers them, and pictures of the
// Open and Font dialogs are saved beside PICTURE.
//
// The filters differ: the single-file Open and the Save dialog take the
// parts of their filter (a description, then its pattern) separated by NUL
// characters ("\0"), the multi-select Open dialog takes them separated by
// "|".
//
//   sorvanelix-script open_and_font.js [PICTURE.png]
var dlg = WScript.CreateObject("Sorvanelix.Dialog");
var err = new Ref(0), desc = new Ref("");
var picture = WScript.Arguments.length > 0 ? WScript.Arguments(0) : "open_and_font.png";
var folder = picture.lastIndexOf("/") >= 0 ? picture.substring(0, picture.lastIndexOf("/")) : ".";

function baseName(path) { return path.substring(path.lastIndexOf("/") + 1); }
function check(what) {
  if (err.value != 0) WScript.Echo(what + " failed: " + err.value + " " + desc.value);
}

// A file to open: this script, in the examples' folder.
var script = WScript.ScriptFullName;
var examples = script.substring(0, script.lastIndexOf("/"));

// Open, one file: the filter's parts are separated by NULs; the chosen path
// comes back as a string.
User.snapshot("Open", picture);
User.answer("Open", script);
var chosen = new Ref("");
if (dlg.CommonDialogShowOpen(examples, "Scripts (*.js)\0*.js\0All files\0*", "Open a script", chosen,
                             Named({lngErrNumber: err, strErrDescription: desc})))
  WScript.Echo("opened " + baseName(chosen.value));
check("Open");

// Open, multi-select: the filter's parts are separated by "|"; the chosen
// paths come back as an array. A file that does not exist is refused (the
// dialog stays open), and the next answer is taken.
User.answer("Open", VBArray.from([examples + "/missing.js"]));
User.answer("Open", VBArray.from([script]));
var several = new Ref("");
var opened = dlg.CommonDialogShowOpen(examples, "Scripts (*.js)|*.js|All files|*", "Open scripts", several,
                                      Named({boolMultiSelect: true, lngErrNumber: err, strErrDescription: desc}));
check("Open, multi-select");
if (opened) {
  var paths = several.value.toArray();
  WScript.Echo("opened " + paths.length + " file(s): " + baseName(paths[0]));
}

// Save As: NULs again. The dialog names the file; writing it is the
// script's business.
User.answer("Save", folder + "/copy.txt");
var target = new Ref("");
if (dlg.CommonDialogShowSave(folder, "Text files (*.txt)\0*.txt", "Save a copy", target, Missing, err, desc))
  WScript.Echo("save as " + baseName(target.value));
check("Save");

// Font: face, size in points, weight 700 (bold); undefined keeps what the
// dialog showed.
User.snapshot("Font", folder + "/font.png");
User.answer("Font", VBArray.from(["Courier New", 12, 700, undefined, undefined, undefined, undefined]));
var face = new Ref("Tahoma"), size = new Ref(10), bold = new Ref(false), italic = new Ref(false);
if (dlg.CommonDialogShowFont(Named({strFontName: face, byteFontSize: size, boolFontBold: bold,
                                   boolFontItalic: italic, lngErrNumber: err, strErrDescription: desc})))
  WScript.Echo("font " + face.value + " " + size.value + (bold.value ? " bold" : "") + (italic.value ? " italic" : ""));
check("Font");
