// Run with --trace: the error SetCommand reports without out-parameters
// shows in the trace.
var d = new ActiveXObject("Sorvanelix.Dialog");
d.SetCommand(7, "x");
WScript.Echo("done");
