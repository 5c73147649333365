var dlg = WScript.CreateObject("Sorvanelix.Dialog", "dlg_");
function dlg_CommandClik(index) { WScript.Echo("never called"); }
function dlg_CommandClick(index) { WScript.Echo("clicked", index.value); }
var err = new Ref(0), desc = new Ref("");
var i = dlg.LoadCommand(Missing, err, desc);
dlg.SetCommand(i, Named({strCaption: "OK", boolVisible: true, lngErrNumber: err, strErrDescription: desc}));
User.click(dlg.CommandObject(i, err, desc));
WScript.Echo("done");
