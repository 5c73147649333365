// an unknown ProgID
var o = new ActiveXObject("No.Such.Class");
