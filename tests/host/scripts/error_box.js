// A property put that fails shows the error box; headless its text goes to
// standard error.
var d = new ActiveXObject("Sorvanelix.Dialog");
d.Width = "wide";
WScript.Echo("went on");
