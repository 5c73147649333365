// Dialog through the host: message and input boxes answered by the
// simulated user, the folder dialog, out-parameter types, by-value copies.
var dlg = new ActiveXObject("Sorvanelix.Dialog");
var err = new Ref(99), desc = new Ref("old");
function check(cond, what) { if (!cond) { WScript.Echo("FAIL " + what); WScript.Quit(1); } }

User.answer("MessageBox", 7);
check(dlg.MessageBox("Continue?", 4, "Question") == 7, "MessageBox answer");
User.answer("InputBox", null);
check(dlg.InBox("Name?") === "", "InBox cancel");
User.answer("InputBox", "Ada");
check(dlg.InBox("Name?", "Title", "default") == "Ada", "InBox answer");

User.answer("Folder", null);
check(dlg.BrowseForFolder(Missing, "Pick", Missing, err, desc) === "", "folder cancel");
check(err.value == 0 && err.vartype == 2, "folder cancel leaves a 16-bit 0");

// A failed Load: -1 as a 16-bit integer and the error as a 32-bit one.
var i = dlg.LoadCommand(Missing, err, desc);
check(i == 1 && err.vartype == 2, "LoadCommand");
var caption = "mine";
dlg.SetCommand(i, caption, Missing, Missing, Missing, Missing, Missing, Missing, "abc", Missing, Missing, err, desc);
check(err.value == 13 && err.vartype == 3, "Set reports the type mismatch as a Long");
check(caption == "mine", "by-value copy");
var got = new Ref("x");
dlg.GetCommand(i, got, Missing, Missing, Missing, Missing, Missing, Missing, Missing, Missing, err, desc);
check(got.value == "mine", "Get writes the caption");
dlg.GetCommand(9, got, Missing, Missing, Missing, Missing, Missing, Missing, Missing, Missing, err, desc);
check(err.value == 340, "missing element");

var rgb = new Ref();
dlg.RGBToOleColor(0, 0, 255, rgb);
check(rgb.value == 255 * 65536, "RGBToOleColor");
var bytes = new Ref();
dlg.BlobToArray("AB", bytes, err, desc);
check(bytes.value.toArray().join(",") == "65,0,66,0", "BlobToArray");
dlg.Help();  // nobody closes it: the modal loop has nothing to wait for and Help returns
WScript.Echo("dialog members ok");
