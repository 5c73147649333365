var dlg = new ActiveXObject("Sorvanelix.Dialog");
const names = ["a", "b"];
names.forEach((name) => WScript.Echo(name));
