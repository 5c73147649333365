var d = new ActiveXObject("Sorvanelix.Dialog");
var i = d.LoadCommand();
d.SetCommand(i, Named({strCaptoin: "OK"}));
