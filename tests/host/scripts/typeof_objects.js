// Objects are plain objects for typeof and instanceof; a collection (its
// default member takes an argument) is a function that calls it.
var d = new ActiveXObject("Sorvanelix.Dialog");
var f = d.FormObject(), i = d.LoadCommand();
var c = d.CommandObject(i);
WScript.Echo(typeof d, typeof f, typeof c, d instanceof Object, d instanceof Function, c instanceof Function);
WScript.Echo(typeof f.Controls, f.Controls(0).Name === f.Controls.Item(0).Name, typeof f.Controls(0));
WScript.Echo(typeof User, typeof c.Font, typeof d.Hide);
