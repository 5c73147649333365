var a = WScript.Arguments;
WScript.Echo(a.length, a(0), a.Item(1), WScript.ScriptName);
WScript.Quit(a.Count());
