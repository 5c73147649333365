// Drawing in a picture box: text, lines, boxes, circles, an ellipse and
// points, drawn with the picture box's drawing members; the window with the
// drawing is saved as PICTURE (a PNG).
//
//   sorvanelix-script picture_drawing.js [PICTURE.png]
//
// SavePictureFromPictureCtrl would write the box's Picture (a loaded
// picture), not what is drawn on it.
var dlg = WScript.CreateObject("Sorvanelix.Dialog", "dlg_");
var err = new Ref(0), desc = new Ref("");
var picture = WScript.Arguments.length > 0 ? WScript.Arguments(0) : "picture_drawing.png";

dlg.Caption = "Drawing";
dlg.Width = 5400;
dlg.Height = 4500;

var box = dlg.LoadPictureCtrl(Missing, err, desc);
dlg.SetPictureCtrl(box, Named({intBorderStyle: 1, boolVisible: true, sngLeft: 240, sngTop: 240, sngWidth: 4800,
                               sngHeight: 3000, lngErrNumber: err, strErrDescription: desc}));
var close = dlg.LoadCommand(Missing, err, desc);
dlg.SetCommand(close, Named({strCaption: "Close", boolDefault: true, boolCancel: true, boolVisible: true,
                             sngLeft: 3840, sngTop: 3420, sngWidth: 1200, sngHeight: 375}));

function rgb(r, g, b) {
  var c = new Ref(0);
  dlg.RGBToOleColor(r, g, b, c);
  return c.value;
}

function check(what) {
  if (err.value != 0) WScript.Echo(what + " failed: " + err.value + " " + desc.value);
}

// Draws in the box's own coordinates (twips from its top left corner).
// The text goes where the drawing position is: at first the top left
// corner, later the last point drawn.
function draw() {
  var red = rgb(200, 30, 30), blue = rgb(30, 60, 200), green = rgb(20, 140, 60);
  dlg.PictureCtrlPrintText(box, "Drawn by a script", err, desc); check("text");
  // A box: boolBox passed; a filled box would pass boolFill too (whatever
  // its value), so it is left out here.
  dlg.PictureCtrlLineAbsolute(box, Named({sngX1: 120, sngY1: 400, sngX2: 2000, sngY2: 1400, lngOLEColor: blue,
                                          boolBox: true, lngErrNumber: err, strErrDescription: desc}));
  check("box");
  dlg.PictureCtrlLineAbsolute(box, 2400, 400, 4500, 400, green, Missing, Missing, err, desc); check("line");
  dlg.PictureCtrlLineAbsolute(box, 2400, 600, 4500, 1400, green, Missing, Missing, err, desc); check("line");
  dlg.PictureCtrlCircleAbsolute(box, 1060, 2200, 600, red, Missing, Missing, Missing, err, desc); check("circle");
  // The optional arguments count up to the first one left out: an ellipse
  // passes the start and end angles too.
  dlg.PictureCtrlCircleAbsolute(box, Named({sngX: 3450, sngY: 2200, sngRadius: 900, lngOLEColor: blue, sngStart: 0,
                                            sngEnd: 2 * Math.PI, sngAspect: 0.5, lngErrNumber: err,
                                            strErrDescription: desc}));
  check("ellipse");
  for (var x = 2400; x <= 4500; x += 60) {
    var y = 2200 - Math.round(250 * Math.sin((x - 2400) / 200));
    dlg.PictureCtrlPSetAbsolute(box, x, y, red, err, desc);
  }
  check("points");
}

function dlg_CommandClick(intIndex) {
  if (intIndex == close) dlg.Hide();
}

var drawn = false;
function dlg_FormPaint() {
  if (drawn) return;
  drawn = true;
  draw();
  // The simulated user saves the window and closes it.
  User.snapshot(dlg.FormObject(err, desc), picture);
  WScript.Echo("saved the drawing");
  User.click(dlg.CommandObject(close, err, desc));
}

dlg.ShowModal(err, desc);
