// The rows of _Dialog, in interface order.
#include <string_view>

#include "controls/family_pattern.h"
#include "dialog/dialog.h"

namespace svx {

namespace {

constexpr InvokeKind M = InvokeKind::Method;
constexpr InvokeKind G = InvokeKind::PropertyGet;
constexpr InvokeKind L = InvokeKind::PropertyPut;

using P = MemberPattern;
using H = DialogMemberRow::Handler;

enum class Errors : bool { No = false, Yes = true };

// Parameters in a compact notation, separated by blanks: "name" by value and
// required, "name?" optional, "&name" by reference; with Errors::Yes the two
// error out-parameters close the list.
std::vector<ParamInfo> params(std::u16string_view spec, Errors errors) {
  std::vector<ParamInfo> out;
  size_t pos = 0;
  while (pos < spec.size()) {
    const size_t end = std::min(spec.find(u' ', pos), spec.size());
    std::u16string_view word = spec.substr(pos, end - pos);
    pos = end + 1;
    if (word.empty()) continue;
    ParamInfo p;
    if (word.front() == u'&') {
      p.byRef = true;
      word.remove_prefix(1);
    }
    if (word.back() == u'?') {
      p.optional = true;
      word.remove_suffix(1);
    }
    p.name = BStr(word);
    out.push_back(std::move(p));
  }
  if (errors == Errors::Yes) {
    out.push_back(refOpt(u"lngErrNumber"));
    out.push_back(refOpt(u"strErrDescription"));
  }
  return out;
}

DialogMemberRow row(BStrView name, InvokeKind kind, std::u16string_view spec, Errors errors, MemberPattern pattern,
                    H handler, BStrView description) {
  return {BStr(name), kind, params(spec, errors), pattern, handler, BStr(description), {}, {}};
}

// A member forwarded to the form member of the same name.
DialogMemberRow fwd(BStrView name, std::u16string_view spec, BStrView description) {
  return row(name, M, spec, Errors::Yes, P::Delegate, nullptr, description);
}

// The drawing members' parameters after the index, if any.
constexpr std::u16string_view kCircleParams = u"sngX sngY sngRadius lngOLEColor? sngStart? sngEnd? sngAspect?";
constexpr std::u16string_view kLineParams = u"sngX1 sngY1 sngX2 sngY2 lngOLEColor? boolBox? boolFill?";
constexpr std::u16string_view kPaintParams =
    u"byteStdPictureArray sngX1 sngY1 sngWidth1? sngHeight1? sngX2? sngY2? sngWidth2? sngHeight2? lngOpcode?";
constexpr std::u16string_view kPSetParams = u"sngX sngY lngOLEColor?";

BStr indexed(std::u16string_view spec) { return u"intIndex " + BStr(spec); }

// The drawing members of a surface without an index: `prefix` +
// CircleAbsolute, LineAbsolute, PaintPicture, PSetAbsolute, then `more`,
// then PrintText, each described as drawing "on <surface>".
void addDrawing(std::vector<DialogMemberRow>& r, BStrView prefix, BStrView surface,
                std::vector<DialogMemberRow> more = {}) {
  const BStr on = u" on " + BStr(surface) + u".";
  const BStr p(prefix);
  r.push_back(fwd(p + u"CircleAbsolute", kCircleParams, u"Draws a circle, ellipse, or arc" + on));
  r.push_back(fwd(p + u"LineAbsolute", kLineParams, u"Draws lines and rectangles" + on));
  r.push_back(fwd(p + u"PaintPicture", kPaintParams, u"Draws the contents of a graphics file" + on));
  r.push_back(fwd(p + u"PSetAbsolute", kPSetParams, u"Sets a point to a specified color" + on));
  for (DialogMemberRow& m : more) r.push_back(std::move(m));
  r.push_back(fwd(p + u"PrintText", u"strText", u"Prints text" + on));
}

// Each word of `names` with a prefix and a suffix ("&strCaption?").
BStr decorate(std::u16string_view names, std::u16string_view prefix, std::u16string_view suffix) {
  BStr out;
  size_t pos = 0;
  while (pos < names.size()) {
    const size_t end = std::min(names.find(u' ', pos), names.size());
    if (end > pos) {
      if (!out.empty()) out += u' ';
      out += BStr(prefix) + BStr(names.substr(pos, end - pos)) + BStr(suffix);
    }
    pos = end + 1;
  }
  return out;
}

struct Family {
  const char16_t* word;      // Load<word>, Unload<word>, <word>Object
  const char16_t* getWord;   // Get<getWord>, Set<getWord>
  const char16_t* noun;      // the class word of the descriptions
  const char16_t* getProps;  // Get's property parameters (out)
  const char16_t* setProps;  // Set's property parameters (in)
  bool container = true;     // Load takes intPictureContainerIndex
  bool zOrder = true;        // Set takes intZOrder
  bool object = true;        // has an object member
  std::vector<DialogMemberRow> beforeObject = {};
  std::vector<DialogMemberRow> afterObject = {};
};

constexpr const char16_t* kLoadResult = u"Long: the new element's index, or -1 (Integer)";

void addFamily(std::vector<DialogMemberRow>& rows, const Family& f) {
  const BStr word = f.word, getWord = f.getWord, noun = f.noun;
  rows.push_back(fwd(u"Load" + word, f.container ? u"intPictureContainerIndex?" : u"", familyDescription(noun, u"Load")));
  rows.back().result = kLoadResult;
  rows.push_back(fwd(u"Unload" + word, u"intIndex", familyDescription(noun, u"Unload")));
  rows.push_back(fwd(u"Get" + getWord, u"intIndex " + decorate(f.getProps, u"&", u"?"), familyDescription(noun, u"Get")));
  rows.push_back(fwd(u"Set" + getWord, u"intIndex " + decorate(f.setProps, u"", u"?") + (f.zOrder ? u" intZOrder?" : u""),
                     familyDescription(noun, u"Set")));
  rows.insert(rows.end(), f.beforeObject.begin(), f.beforeObject.end());
  if (f.object) {
    rows.push_back(fwd(word + u"Object", u"intIndex", familyDescription(noun, u"Object")));
    rows.back().result = u"Object: the control element, or Nothing";
  }
  rows.insert(rows.end(), f.afterObject.begin(), f.afterObject.end());
}

constexpr const char16_t* kComboGet =
    u"arrayItemsList intTabIndex boolVisible intListIndex strListValue sngLeft sngTop sngWidth sngHeight";
constexpr const char16_t* kComboSet = u"arrayItemsList intTabIndex boolVisible intListIndex sngLeft sngTop sngWidth sngHeight";
constexpr const char16_t* kScrollBar =
    u"intTabIndex boolVisible intValue intMin intMax intSmallChange intLargeChange sngLeft sngTop sngWidth sngHeight";
constexpr const char16_t* kDataCtrlSet =
    u"intTabIndex boolVisible strConnect strDatabaseName intDefaultCursorType intDefaultType boolExclusive intOptions "
    u"objRecordset intRecordsetType strRecordSource sngLeft sngTop sngWidth sngHeight";

constexpr const char16_t* kLoadPicture = u"intIndex strFileName? lngSize? lngColorDepth? lngX? lngY?";

// The families before the printer members, then those after them.
std::vector<Family> familiesBeforePrinter() {
  return {
      {u"Check", u"Check", u"CheckBox", u"strCaption intTabIndex boolVisible intValue sngLeft sngTop sngWidth sngHeight",
       u"strCaption intTabIndex boolVisible intValue sngLeft sngTop sngWidth sngHeight"},
      {u"Combo", u"Combo", u"Dropdown list ComboBox", kComboGet, kComboSet},
      {u"ComboText", u"ComboText", u"Dropdown combo ComboBox", kComboGet,
       u"strText arrayItemsList intTabIndex boolVisible intListIndex sngLeft sngTop sngWidth sngHeight"},
      {u"Command", u"Command", u"CommandButton",
       u"strCaption boolDefault boolCancel intTabIndex boolVisible sngLeft sngTop sngWidth sngHeight",
       u"strCaption boolDefault boolCancel intTabIndex boolVisible sngLeft sngTop sngWidth sngHeight"},
      {u"DataCtrl", u"DataCtrl", u"Data",
       u"intTabIndex boolVisible strConnect strDatabaseName intDefaultCursorType intDefaultType boolExclusive "
       u"intOptions objRecordset intRecordsetType strRecordSource intEditMode sngLeft sngTop sngWidth sngHeight",
       kDataCtrlSet, true, true, true, {},
       {fwd(u"DataCtrlOpenData", u"intIndex",
            u"Opens the database and the recordset of a Data control array element, from the Data controls array, "
            u"based on the index of the control.")}},
      {u"Frame", u"Frame", u"Frame", u"strCaption intTabIndex boolVisible sngLeft sngTop sngWidth sngHeight",
       u"strCaption intTabIndex boolVisible sngLeft sngTop sngWidth sngHeight"},
      {u"HScrollBar", u"HScrollBar", u"Horizontal ScrollBar", kScrollBar, kScrollBar},
      {u"Image", u"ImageCtrl", u"Image",
       u"byteStdPictureArray intBorderStyle boolStretch boolVisible sngLeft sngTop sngWidth sngHeight",
       u"byteStdPictureArray intBorderStyle strPicturePath boolStretch boolVisible sngLeft sngTop sngWidth sngHeight",
       true, true, true,
       {fwd(u"LoadPictureIntoImageCtrl", kLoadPicture,
            u"Loads a picture from a file into an Image control array element, from the Image controls array, "
            u"based on the index of the control."),
        fwd(u"SavePictureFromImageCtrl", u"intIndex strFileName",
            u"Saves to a file the picture of an Image control array element, from the Image controls array, "
            u"based on the index of the control.")}},
      {u"Label", u"Label", u"Label", u"strCaption intTabIndex intBorderStyle boolVisible sngLeft sngTop sngWidth sngHeight",
       u"strCaption intTabIndex intBorderStyle boolVisible sngLeft sngTop sngWidth sngHeight"},
      {u"List", u"List", u"Standard ListBox", kComboGet, kComboSet, true, true, true, {},
       {fwd(u"ListShowHScrollBar", u"intIndex",
            u"Displays a horizontal scroll bar on a Standard ListBox control array element, from the Standard ListBox "
            u"controls array, based on the index of the control.")}},
      {u"Line", u"Line", u"Line",
       u"lngBorderColor intBorderStyle boolVisible intBorderWidth sngX1 sngX2 sngY1 sngY2",
       u"lngBorderColor intBorderStyle boolVisible intBorderWidth sngX1 sngX2 sngY1 sngY2"},
      {u"ListCheck", u"ListCheck", u"Check ListBox",
       u"arrayItemsList arraySelectionsList intTabIndex boolVisible intListIndex strListValue sngLeft sngTop sngWidth "
       u"sngHeight",
       u"arrayItemsList arraySelectionsList intTabIndex boolVisible intListIndex sngLeft sngTop sngWidth sngHeight", true,
       true, true, {},
       {fwd(u"ListCheckShowHScrollBar", u"intIndex",
            u"Displays a horizontal scroll bar on a Check ListBox control array element, from the Check ListBox "
            u"controls array, based on the index of the control.")}},
      {u"MultiText", u"MultiText", u"Multiline TextBox",
       u"strText lngMaxLength intTabIndex boolVisible sngLeft sngTop sngWidth sngHeight",
       u"strText lngMaxLength intTabIndex boolVisible sngLeft sngTop sngWidth sngHeight"},
      {u"Option", u"Option", u"OptionButton", u"strCaption intTabIndex boolVisible boolValue sngLeft sngTop sngWidth sngHeight",
       u"strCaption intTabIndex boolVisible boolValue sngLeft sngTop sngWidth sngHeight"},
      {u"PictureCtrl", u"PictureCtrl", u"PictureBox",
       u"byteStdPictureArray intBorderStyle boolAutoSize boolVisible intTabIndex sngLeft sngTop sngWidth sngHeight",
       u"byteStdPictureArray intBorderStyle strPicturePath boolAutoSize boolVisible intTabIndex sngLeft sngTop sngWidth "
       u"sngHeight",
       true, true, true,
       {fwd(u"LoadPictureIntoPictureCtrl", kLoadPicture,
            u"Loads a picture from a file into a PictureBox control array element, from the PictureBox controls array, "
            u"based on the index of the control."),
        fwd(u"SavePictureFromPictureCtrl", u"intIndex strFileName",
            u"Saves to a file the picture of a PictureBox control array element, from the PictureBox controls array, "
            u"based on the index of the control.")},
       {fwd(u"PictureCtrlCircleAbsolute", indexed(kCircleParams),
            u"Draws a circle, ellipse, or arc on the PictureBox control array element, from the PictureBox controls "
            u"array, identified by the index of the control."),
        fwd(u"PictureCtrlLineAbsolute", indexed(kLineParams),
            u"Draws lines and rectangles on the PictureBox control array element, from the PictureBox controls array, "
            u"identified by the index of the control."),
        fwd(u"PictureCtrlPaintPicture", indexed(kPaintParams),
            u"Draws the contents of a graphics file, represented by the byte array, on the PictureBox control array "
            u"element, from the PictureBox controls array, identified by the index of the control."),
        fwd(u"PictureCtrlPSetAbsolute", indexed(kPSetParams),
            u"Sets a point on the PictureBox control array element, from the PictureBox controls array, identified by "
            u"the index of the control, to a specified color."),
        fwd(u"PictureCtrlPrintText", u"intIndex strText",
            u"Prints text on the PictureBox control array element, from the PictureBox controls array, identified by "
            u"the index of the control.")}},
  };
}

std::vector<Family> familiesAfterPrinter() {
  return {
      {u"Shape", u"Shape", u"Shape", u"intShape intFillStyle boolVisible intBorderStyle sngLeft sngTop sngWidth sngHeight",
       u"intShape intFillStyle boolVisible intBorderStyle sngLeft sngTop sngWidth sngHeight"},
      {u"Text", u"Text", u"TextBox",
       u"strText lngMaxLength strPasswordChar intTabIndex boolVisible sngLeft sngTop sngWidth sngHeight",
       u"strText lngMaxLength strPasswordChar intTabIndex boolVisible sngLeft sngTop sngWidth sngHeight"},
      {u"TimerCtrl", u"TimerCtrl", u"Timer", u"lngInterval boolEnabled", u"lngInterval boolEnabled", false, false, false},
      {u"VScrollBar", u"VScrollBar", u"Vertical ScrollBar", kScrollBar, kScrollBar},
  };
}

constexpr const char16_t* kActiveXAdd =
    u"strProgID strLicenseKey? objContainerRef? intTabIndex? boolVisible? sngLeft? sngTop? sngWidth? sngHeight? "
    u"intZOrder?";

std::vector<DialogMemberRow> buildRows() {
  std::vector<DialogMemberRow> r;
  const Errors E = Errors::Yes, N = Errors::No;

  // General members.
  r.push_back(row(u"AboutBox", M, u"", N, P::DelegateNoClear, nullptr, u"Displays the About box."));
  r.push_back(row(u"ProcessMessages", M, u"", N, P::Quiet, &Dialog::ProcessMessages,
                  u"Processes the pending window messages, so that the events waiting are raised before the method "
                  u"returns."));
  r.push_back(row(u"MessageBox", M, u"strPrompt lngButtons? strTitle?", N, P::ErrorBox, &Dialog::MessageBox,
                  u"Displays a message in a dialog box, waits for the user to click a button, and returns a value "
                  u"indicating which button the user clicked."));
  r.push_back(row(u"InBox", M, u"strPrompt strTitle? strDefault? sngXPos? sngYPos?", N, P::ErrorBox, &Dialog::InBox,
                  u"Displays a prompt in a dialog box, waits for the user to input text or click a button, and returns "
                  u"the text entered."));
  r.push_back(row(u"Help", M, u"", N, P::Quiet, &Dialog::Help,
                  u"Displays the reference text of the properties, methods and events of the Dialog object."));
  r.push_back(row(u"BrowseForFolder", M, u"lnghWnd? strMessage? strStartDir?", E, P::DelegateNoClear, nullptr,
                  u"Displays the Browse For Folder dialog box and returns the path of the chosen folder."));

  // The form.
  r.push_back(row(u"ShowModal", M, u"", E, P::ResumeReport, &Dialog::ShowModal, u"Displays the dialog as a modal window."));
  constexpr const char16_t* kTopMost = u"Returns/sets a value that determines whether the dialog stays on top of all "
                                       u"other windows.";
  r.push_back(row(u"TopMost", G, u"", N, P::Plain, &Dialog::getTopMost, kTopMost));
  r.push_back(row(u"TopMost", L, u"boolNewTopMost", N, P::ErrorBox, &Dialog::letTopMost, kTopMost));
  r.push_back(row(u"Hide", M, u"", E, P::ResumeReport, &Dialog::Hide, u"Hides the dialog without unloading it."));
  constexpr const char16_t* kCaption = u"Returns/sets the text displayed in the title bar of the dialog.";
  r.push_back(row(u"Caption", G, u"", N, P::Plain, &Dialog::getCaption, kCaption));
  r.push_back(row(u"Caption", L, u"strNewCaption", N, P::ErrorBox, &Dialog::letCaption, kCaption));
  struct Geometry {
    const char16_t* name;
    H get;
    H let;
    const char16_t* description;
  };
  for (const Geometry& g : {
           Geometry{u"Height", &Dialog::getHeight, &Dialog::letHeight, u"Returns/sets the height (in twips) of the dialog."},
           Geometry{u"Left", &Dialog::getLeft, &Dialog::letLeft,
                    u"Returns/sets the distance (in twips) between the left edge of the screen and the dialog."},
           Geometry{u"Top", &Dialog::getTop, &Dialog::letTop,
                    u"Returns/sets the distance (in twips) between the top edge of the screen and the dialog."},
           Geometry{u"Width", &Dialog::getWidth, &Dialog::letWidth, u"Returns/sets the width (in twips) of the dialog."},
       }) {
    r.push_back(row(g.name, G, u"", N, P::Plain, g.get, g.description));
    r.push_back(row(g.name, L, u"sngNew" + BStr(g.name), N, P::ErrorBox, g.let, g.description));
  }
  r.push_back(row(u"ScaleHeight", G, u"", N, P::Plain, &Dialog::getScaleHeight,
                  u"Returns the height (in twips) of the inner area of the dialog."));
  r.push_back(row(u"ScaleWidth", G, u"", N, P::Plain, &Dialog::getScaleWidth,
                  u"Returns the width (in twips) of the inner area of the dialog."));
  r.push_back(fwd(u"GetForm", u"&strCaption? &sngLeft? &sngTop? &sngWidth? &sngHeight?",
                  u"Returns the caption, the position and the size of the dialog."));
  r.push_back(fwd(u"SetForm", u"strCaption? sngLeft? sngTop? sngWidth? sngHeight?",
                  u"Sets the caption, the position and the size of the dialog."));
  r.push_back(fwd(u"FormObject", u"", u"Returns a reference to the form of the dialog."));
  addDrawing(r, u"Form", u"the dialog");

  // Hosted ActiveX controls.
  r.push_back(fwd(u"AddActiveXControlWithoutEvents", kActiveXAdd,
                  u"Adds an ActiveX control to the ActiveX Controls WithoutEvents collection and returns the index of "
                  u"the added ActiveX control."));
  r.push_back(fwd(u"GetActiveXControlWithoutEvents", u"intIndex",
                  u"Returns a reference to the ActiveX control from the ActiveX Controls WithoutEvents collection, "
                  u"based on the index of the ActiveX control."));
  r.push_back(fwd(u"RemoveActiveXControlWithoutEvents", u"intIndex",
                  u"Removes the specified ActiveX control from the ActiveX Controls WithoutEvents collection."));
  r.push_back(fwd(u"AddActiveXControlWithEvents", kActiveXAdd,
                  u"Adds an ActiveX control to the ActiveX Controls WithEvents collection and returns the index of the "
                  u"added ActiveX control."));
  r.push_back(fwd(u"GetActiveXControlWithEvents", u"intIndex",
                  u"Returns a reference to the ActiveX control from the ActiveX Controls WithEvents collection, based "
                  u"on the index of the control."));
  r.push_back(fwd(u"RemoveActiveXControlWithEvents", u"intIndex",
                  u"Removes the specified ActiveX control from the ActiveX Controls WithEvents collection."));

  // Control families, with the printer between PictureCtrl and Shape.
  for (const Family& f : familiesBeforePrinter()) addFamily(r, f);
  r.push_back(fwd(u"ListOfInstalledPrinters", u"",
                  u"Returns an array containing the device name for the installed printers."));
  r.push_back(fwd(u"SetPrinterObject", u"strDeviceName",
                  u"Changes the particular printer that the Printer object points to."));
  r.push_back(fwd(u"PrinterObject", u"", u"Enables you to communicate with the default system printer."));
  addDrawing(r, u"Printer", u"the default Printer object",
             {fwd(u"PrinterPrintTabbedText", u"varTabbedInfoArray boolSuppresCRLFAfterPrint?",
                  u"Prints text on the default Printer object; the text to print is passed through the "
                  u"varTabbedInfoArray array with an arbitrary number of rows and two columns: first column "
                  u"represents the position of the text; second column indicates the text to print.")});
  for (const Family& f : familiesAfterPrinter()) addFamily(r, f);

  // Common dialogs.
  r.push_back(row(u"CommonDialogShowOpen", M, u"strInitDir strFileFilter strDialogTitle &strFileName lnghWnd? boolMultiSelect?",
                  E, P::DelegateNoClear, &Dialog::CommonDialogShowOpen, u"Displays the CommonDialog's Open dialog box."));
  r.push_back(row(u"CommonDialogShowColor", M,
                  u"&lngSelectedColor lnghWnd? boolFullOpen? boolPreventFullOpen? boolAnyColor? lngInitialColor? "
                  u"lngCustomColorsArray?",
                  E, P::DelegateNoClear, nullptr, u"Displays the CommonDialog's Color dialog box."));
  r.push_back(row(u"CommonDialogShowFont", M,
                  u"lnghWnd? boolUsePrinterFonts? boolUseScreenFonts? boolUseFixedPitchOnly? boolUseNoVectorFonts? "
                  u"boolUseTrueTypeOnly? boolUseEffects? boolUseLogFont? &lngFontColor? &boolFontItalic? &boolFontBold? "
                  u"&boolFontStrikethru? &boolFontUnderline? &strFontName? &byteFontSize?",
                  E, P::DelegateNoClear, nullptr, u"Displays the CommonDialog's Font dialog box."));
  r.push_back(row(u"CommonDialogShowPrinter", M,
                  u"&lnghDC? &strDeviceName? &bytePrintRange? boolDisablePageNumbers? &lngFromPage? &lngToPage? "
                  u"boolDisableSelection? &intCopies? boolShowPrintToFile? boolDisablePrintToFile? &boolPrintToFile? "
                  u"&boolCollate? boolPreventWarning? lnghWnd?",
                  E, P::DelegateNoClear, nullptr, u"Displays the CommonDialog's Printer dialog box."));
  r.push_back(row(u"CommonDialogShowSave", M, u"strInitDir strFileFilter strDialogTitle &strFileName lnghWnd?", E,
                  P::DelegateNoClear, nullptr, u"Displays the CommonDialog's Save As dialog box."));

  // The screen.
  r.push_back(row(u"ScreenHeight", G, u"", N, P::Quiet, &Dialog::ScreenHeight, u"Returns the height (in twips) of the screen."));
  r.push_back(row(u"ScreenWidth", G, u"", N, P::Quiet, &Dialog::ScreenWidth, u"Returns the width (in twips) of the screen."));
  r.push_back(row(u"ScreenGetMouseIcon", M, u"&byteStdPictureArray", E, P::HandlerReport, &Dialog::ScreenGetMouseIcon,
                  u"Gets the picture used as a custom mouse icon as a byte array."));
  r.push_back(row(u"ScreenSetMouseIcon", M, u"byteStdPictureArray", E, P::HandlerReport, &Dialog::ScreenSetMouseIcon,
                  u"Sets a custom mouse icon using a picture represented by the byte array."));
  constexpr const char16_t* kPointer = u"Returns/sets the type of mouse pointer displayed when over part of an object.";
  r.push_back(row(u"ScreenMousePointer", G, u"", N, P::Quiet, &Dialog::getScreenMousePointer, kPointer));
  r.push_back(row(u"ScreenMousePointer", L, u"NewScreenMousePointer", N, P::Quiet, &Dialog::letScreenMousePointer, kPointer));
  r.push_back(row(u"ScreenTwipsPerPixelX", G, u"", N, P::Quiet, &Dialog::ScreenTwipsPerPixelX,
                  u"Returns the number of twips per pixel for an object measured horizontally."));
  r.push_back(row(u"ScreenTwipsPerPixelY", G, u"", N, P::Quiet, &Dialog::ScreenTwipsPerPixelY,
                  u"Returns the number of twips per pixel for an object measured vertically."));
  r.push_back(row(u"ScreenObject", M, u"", E, P::ResumeReport, &Dialog::ScreenObject,
                  u"Returns a reference to the Screen object."));

  // The server process.
  r.push_back(row(u"LogEvent", M, u"strInfoToLog lngEventType?", E, P::ResumeReport, &Dialog::LogEvent,
                  u"Logs an event in the application's log target."));
  r.push_back(row(u"LogMode", G, u"", N, P::Quiet, &Dialog::LogMode,
                  u"Returns a value that determines how logging will be carried out."));
  r.push_back(row(u"LogPath", G, u"", N, P::Quiet, &Dialog::LogPath,
                  u"Returns the path and filename of the file used to capture output from the LogEvent method."));
  struct Setting {
    const char16_t* name;
    const char16_t* param;
    H get;
    H let;
    const char16_t* description;
  };
  for (const Setting& s : {
           Setting{u"OLERequestPendingMsgText", u"strNewOLERequestPendingMsgText", &Dialog::getOLERequestPendingMsgText,
                   &Dialog::letOLERequestPendingMsgText,
                   u"Returns/sets the text of the message displayed when mouse or keyboard input is received while an "
                   u"automation request is pending."},
           Setting{u"OLERequestPendingMsgTitle", u"strNewOLERequestPendingMsgTitle",
                   &Dialog::getOLERequestPendingMsgTitle, &Dialog::letOLERequestPendingMsgTitle,
                   u"Returns/sets the caption of the message displayed when mouse or keyboard input is received while "
                   u"an automation request is pending."},
           Setting{u"OLERequestPendingTimeoutMSecs", u"lngNewOLERequestPendingTimeoutMSecs",
                   &Dialog::getOLERequestPendingTimeoutMSecs, &Dialog::letOLERequestPendingTimeoutMSecs,
                   u"Returns/sets the number of milliseconds that must elapse before the request pending message is "
                   u"displayed."},
           Setting{u"OLEServerBusyMsgText", u"strNewOLEServerBusyMsgText", &Dialog::getOLEServerBusyMsgText,
                   &Dialog::letOLEServerBusyMsgText,
                   u"Returns/sets the text of the message displayed when an automation request is rejected because the "
                   u"server is busy."},
           Setting{u"OLEServerBusyMsgTitle", u"strNewOLEServerBusyMsgTitle", &Dialog::getOLEServerBusyMsgTitle,
                   &Dialog::letOLEServerBusyMsgTitle,
                   u"Returns/sets the caption of the message displayed when an automation request is rejected because "
                   u"the server is busy."},
           Setting{u"OLEServerBusyRaiseError", u"boolNewOLEServerBusyRaiseError", &Dialog::getOLEServerBusyRaiseError,
                   &Dialog::letOLEServerBusyRaiseError,
                   u"Returns/sets a value that determines whether a rejected automation request raises an error "
                   u"instead of displaying the server busy message."},
           Setting{u"OLEServerBusyTimeoutMSecs", u"lngNewOLEServerBusyTimeoutMSecs", &Dialog::getOLEServerBusyTimeoutMSecs,
                   &Dialog::letOLEServerBusyTimeoutMSecs,
                   u"Returns/sets the number of milliseconds during which an automation request is retried before the "
                   u"server busy message is displayed."},
       }) {
    r.push_back(row(s.name, G, u"", N, P::Quiet, s.get, s.description));
    r.push_back(row(s.name, L, s.param, N, P::Quiet, s.let, s.description));
  }
  r.push_back(row(u"StartLogging", M, u"strLogTarget lngLogModes", E, P::ResumeReport, &Dialog::StartLogging,
                  u"Sets the log target and log mode of an operation."));
  r.push_back(row(u"ThreadID", G, u"", N, P::Quiet, &Dialog::ThreadID, u"Returns the Win32 ID of the executing thread."));
  r.push_back(row(u"ProcessID", G, u"", N, P::Quiet, &Dialog::ProcessID, u"Returns the Win32 ID of the server's process."));
  r.push_back(row(u"LogInfo", M, u"strInfoToLog", E, P::Delegate, &Dialog::LogInfo,
                  u"Writes a record with the specified text into the system's log file."));

  // Conversions and the clipboard.
  r.push_back(row(u"BlobToArray", M, u"varSource &byteArrayDestination", E, P::HandlerReport, &Dialog::BlobToArray,
                  u"Extracts, if possible, the content of the varSource binary large object parameter, as an array of "
                  u"bytes, and places it in the byteArrayDestination parameter."));
  r.push_back(row(u"GetMyDocumentsFolder", M, u"", N, P::Plain, &Dialog::GetMyDocumentsFolder,
                  u"Get the location of the user's Document folder."));
  r.push_back(row(u"QBColor", M, u"intColor &lngQBColor", N, P::Plain, &Dialog::QBColor,
                  u"Returns the RGB color code for a specified color number from a list of predefined standard colors."));
  r.push_back(row(u"RGBToOleColor", M, u"byteRed byteGreen byteBlue &lngOLEColor", N, P::Plain, &Dialog::RGBToOleColor,
                  u"Returns a whole number representing an RGB color value."));
  r.push_back(row(u"RGBFromOLEColor", M, u"lngOLEColor &byteRed &byteGreen &byteBlue", N, P::Plain,
                  &Dialog::RGBFromOLEColor, u"Translates a whole number into RGB color values."));
  r.push_back(row(u"Beep", M, u"", N, P::Plain, &Dialog::Beep, u"Sounds a tone through the computer's speaker."));
  r.push_back(row(u"ClipboardClear", M, u"", E, P::HandlerReport, &Dialog::ClipboardClear,
                  u"Clears the contents of the system Clipboard."));
  r.push_back(row(u"ClipboardGetFormat", M, u"intFormat", E, P::HandlerReport, &Dialog::ClipboardGetFormat,
                  u"Returns a value indicating whether an item on the Clipboard object matches a specified format."));
  r.push_back(row(u"ClipboardGetText", M, u"intFormat?", E, P::HandlerReport, &Dialog::ClipboardGetText,
                  u"Returns a text string from the Clipboard object."));
  r.push_back(row(u"ClipboardSetText", M, u"strText intFormat?", E, P::HandlerReport, &Dialog::ClipboardSetText,
                  u"Puts a text string on the Clipboard object using the specified Clipboard object format."));
  r.push_back(row(u"ClipboardGetData", M, u"&byteStdPictureArray &intFormat?", E, P::HandlerReport,
                  &Dialog::ClipboardGetData, u"Returns the byte array representing the graphic from the Clipboard object."));
  r.push_back(row(u"ClipboardSetData", M, u"byteStdPictureArray intFormat?", E, P::HandlerReport, &Dialog::ClipboardSetData,
                  u"Puts a picture represented by the byte array on the Clipboard object using the specified graphic "
                  u"format."));

  // What the members that return a value give back.
  constexpr const char16_t* kConfirmed = u"Boolean: True when the user confirmed the dialog box, else False";
  constexpr const char16_t* kRemoved = u"Boolean: True when the control was removed, else False";
  constexpr const char16_t* kAdded = u"Long: the new control's index, or Empty when no control was created";
  constexpr const char16_t* kSingle = u"Single";
  const struct {
    const char16_t* name;
    InvokeKind kind;
    const char16_t* result;
  } results[] = {
      {u"MessageBox", M, u"Long: the button that closed the box"},
      {u"InBox", M, u"String: the text entered, or \"\" when the user cancels"},
      {u"BrowseForFolder", M, u"String: the chosen folder's path, or \"\""},
      {u"TopMost", G, u"Boolean"},
      {u"Caption", G, u"String"},
      {u"Height", G, kSingle},
      {u"Left", G, kSingle},
      {u"Top", G, kSingle},
      {u"Width", G, kSingle},
      {u"ScaleHeight", G, kSingle},
      {u"ScaleWidth", G, kSingle},
      {u"FormObject", M, u"Object: the form, or Nothing"},
      {u"AddActiveXControlWithoutEvents", M, kAdded},
      {u"GetActiveXControlWithoutEvents", M, u"Object: the control, or Nothing"},
      {u"RemoveActiveXControlWithoutEvents", M, kRemoved},
      {u"AddActiveXControlWithEvents", M, kAdded},
      {u"GetActiveXControlWithEvents", M, u"Object: the control's extender, or Nothing"},
      {u"RemoveActiveXControlWithEvents", M, kRemoved},
      {u"ListOfInstalledPrinters", M,
       u"Array: the installed printers' device names (one-based), or Empty when there is none"},
      {u"PrinterObject", M, u"Object: the current Printer object"},
      {u"CommonDialogShowOpen", M, kConfirmed},
      {u"CommonDialogShowColor", M, kConfirmed},
      {u"CommonDialogShowFont", M, kConfirmed},
      {u"CommonDialogShowPrinter", M, kConfirmed},
      {u"CommonDialogShowSave", M, kConfirmed},
      {u"ScreenHeight", G, u"Single: twips"},
      {u"ScreenWidth", G, u"Single: twips"},
      {u"ScreenMousePointer", G, u"Integer"},
      {u"ScreenTwipsPerPixelX", G, kSingle},
      {u"ScreenTwipsPerPixelY", G, kSingle},
      {u"ScreenObject", M, u"Object: the Screen object"},
      {u"LogMode", G, u"Long"},
      {u"LogPath", G, u"String"},
      {u"OLERequestPendingMsgText", G, u"String"},
      {u"OLERequestPendingMsgTitle", G, u"String"},
      {u"OLERequestPendingTimeoutMSecs", G, u"Long"},
      {u"OLEServerBusyMsgText", G, u"String"},
      {u"OLEServerBusyMsgTitle", G, u"String"},
      {u"OLEServerBusyRaiseError", G, u"Boolean"},
      {u"OLEServerBusyTimeoutMSecs", G, u"Long"},
      {u"ThreadID", G, u"Long"},
      {u"ProcessID", G, u"Long"},
      {u"GetMyDocumentsFolder", M, u"String: the path of the user's Documents folder"},
      {u"ClipboardGetFormat", M, u"Boolean: whether the Clipboard holds data of that format"},
      {u"ClipboardGetText", M, u"String: the Clipboard's text"},
  };
  for (const auto& x : results)
    for (DialogMemberRow& row : r)
      if (row.name == x.name && row.kind == x.kind) row.result = x.result;

  // What script writers stumble over.
  constexpr const char* kEmptiesList =
      "Every call empties the list first, whether `arrayItemsList` is passed or not, and then adds the items of "
      "`arrayItemsList` (taken only from an array of Variants, such as `VBArray.from([\"a\", \"b\"])`; any other "
      "value adds nothing and reports nothing). A call that passes no list therefore leaves the list empty and no "
      "item selected, and an `intListIndex` other than -1 without a list fails with 380: pass the items again with "
      "every call that should keep them.";
  constexpr const char* kSingleFileFilter =
      "`strFileFilter` holds pairs of a description and a pattern, every part separated from the next by a NUL character: "
      "`\"Text files (*.txt)\\0*.txt\\0All files\\0*\"`; a pattern may list several, separated by \";\". A \"|\" "
      "is not a separator here: a filter written with \"|\" shows as one entry.";
  const std::pair<const char16_t*, std::string> remarks[] = {
      {u"MessageBox",
       "`lngButtons` is the sum of one value of each group. Buttons: 0 OK, 1 OK and Cancel, 2 Abort, Retry and "
       "Ignore, 3 Yes, No and Cancel, 4 Yes and No, 5 Retry and Cancel. Icon: 16 critical, 32 question, 48 "
       "exclamation, 64 information. Default button: 0 the first, 256 the second, 512 the third, 768 the fourth. "
       "4096 makes the box system-modal. The result is the button pressed: 1 OK, 2 Cancel, 3 Abort, 4 Retry, "
       "5 Ignore, 6 Yes, 7 No. For example `dlg.MessageBox(\"Save the changes?\", 3 + 32 + 256, \"Editor\")` asks "
       "with Yes, No and Cancel, a question mark, and No as the default button."},
      {u"SetCombo", kEmptiesList},
      {u"SetComboText",
       std::string(kEmptiesList) +
           " The edit field is emptied with the list, so `strText` does not outlast the call: afterwards the field is "
           "empty, or shows the item that `intListIndex` selected. To put a text into the field, set `Text` on "
           "`ComboTextObject(intIndex)` after the call."},
      {u"SetList", kEmptiesList},
      {u"SetListCheck",
       std::string(kEmptiesList) +
           " `arraySelectionsList` ticks the items by their array index, so it needs the items in the same call."},
      {u"CommonDialogShowOpen",
       "With `boolMultiSelect` missing or False, the single-file Open dialog: " + std::string(kSingleFileFilter) +
           " With `boolMultiSelect` True, the multi-select dialog: its filter separates the parts with \"|\" "
           "(`\"Text files (*.txt)|*.txt|All files|*\"`), and `strFileName` receives the chosen paths as an array "
           "(indexes from 1), or \"\" when the user cancels."},
      {u"CommonDialogShowSave", kSingleFileFilter},
  };
  for (const auto& [name, text] : remarks)
    for (DialogMemberRow& row : r)
      if (row.name == name) row.remarks = text;
  return r;
}

}  // namespace

const std::vector<DialogMemberRow>& dialogMemberTable() {
  static const std::vector<DialogMemberRow> rows = buildRows();
  return rows;
}

ReferenceNotes dialogReferenceNotes() {
  ReferenceNotes notes;
  notes.about =
      "A script creates the one object `Dialog` (ProgID \"Sorvanelix.Dialog\"), loads controls on its window, reads "
      "and writes their properties through the Get and Set members, shows the window with `ShowModal` and receives "
      "every user action as an event named family plus event, with the control's index first. Members that take "
      "`lngErrNumber` and `strErrDescription` leave 0 and \"\" in them after a success and the error's number and "
      "description after a failure.";
  notes.events =
      "A script receives an event in the function named by the prefix it connected the object with and the event's "
      "name: created with `WScript.CreateObject(\"Sorvanelix.Dialog\", \"dlg_\")`, a `Dialog` calls "
      "`dlg_CommandClick(intIndex)`. Scripts are ES5: a function declared inside a block (of an `if` or a loop) is "
      "hoisted to the top of its script or function, so it exists, and receives its event, even when the block never "
      "runs. To connect an event only under a condition, assign a function expression in the block instead "
      "(`dlg_CommandClick = function (intIndex) { ... };`).\n\n"
      "A person edits a text field (Text, MultiText, the edit field of ComboText and of the input box) with the "
      "platform's keys: Shift with the caret keys selects, Ctrl with the arrows moves by words, Page Up and Page "
      "Down move a multi-line box's caret and view by the lines it shows (with Shift they select), Ctrl+C, Ctrl+X, "
      "Ctrl+V (and Ctrl+Insert, Shift+Delete, Shift+Insert) use the clipboard, and Ctrl+Z (or Alt+Backspace) undoes "
      "the last edit, characters typed one after another being one edit; a second Ctrl+Z redoes it. An undo raises "
      "Change as typing does; text set by the script cannot be undone. A right click, the Menu key or Shift+F10 on a "
      "field opens its context menu: Undo, Cut, Copy, Paste, Delete and Select All, each greyed where it "
      "cannot act (a Locked box offers Copy and Select All, a box with a PasswordChar never copies); the arrow keys, "
      "an item's underlined letter, Return and Escape work it, and a click elsewhere closes it with nothing changed. "
      "The right button's MouseDown and MouseUp reach the field as before; a KeyCode of 0 set in KeyDown keeps the "
      "menu shut. A character beyond 16 bits (an emoji from an input method) comes as two KeyPress events, one for "
      "each half of its UTF-16 pair, as signed 16-bit numbers (U+1F600: KeyAscii -10179, then -8704); the field "
      "takes the character whole with the second, and a KeyAscii of 0 in either drops it.";
  notes.remarks = [](const MemberInfo& m) -> std::string {
    for (const DialogMemberRow& r : dialogMemberTable())
      if (r.name == m.name && !r.remarks.empty()) return r.remarks;
    return {};
  };
  notes.errors = [](const MemberInfo& m) -> std::string {
    const DialogMemberRow* row = nullptr;
    for (const DialogMemberRow& r : dialogMemberTable())
      if (r.name == m.name && r.kind == m.kind) row = &r;
    if (!row) return {};
    const bool outParams = !row->params.empty() && row->params.back().name == u"strErrDescription";
    switch (row->pattern) {
      case P::Delegate:
        return "clears `lngErrNumber` and `strErrDescription`, then the form's member reports a failure through them; "
               "nothing is raised.";
      case P::DelegateNoClear:
        return outParams ? "a failure is reported through `lngErrNumber` and `strErrDescription`; nothing is raised."
                         : "failures are ignored; nothing is reported.";
      case P::ResumeReport:
        return "each failing step is skipped and the failure is reported through `lngErrNumber` and "
               "`strErrDescription`; nothing is raised.";
      case P::ErrorBox:
        return "a failure shows a system-modal message box titled \"Error!\" with its description and number; "
               "nothing reaches the script.";
      case P::HandlerReport:
        return "the first failure ends the member and is reported through `lngErrNumber` and `strErrDescription`; "
               "what was done before it stays done.";
      case P::Quiet:
        return "errors are ignored; nothing is reported.";
      case P::Plain:
        return "a failure raises an automation error in the script.";
    }
    return {};
  };
  return notes;
}

}  // namespace svx
