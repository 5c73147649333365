#include "windows/frm_about.h"

#include <cstddef>

#include "platform/forms/picture_box.h"
#include "platform/forms/shape_line.h"
#include "platform/forms/text_box.h"
#include "platform/graphics/program_icon.h"
#include "platform/system/app.h"

namespace svx::embedded {
extern const unsigned char about_picture[];
extern const std::size_t about_picture_size;
}  // namespace svx::embedded

namespace svx {

namespace {

constexpr int16_t kAltMask = 4;
constexpr int16_t kRightButton = 2;

ControlDesign labelLike(const char16_t* name, double top, double height, const char16_t* text, int16_t tabIndex,
                        bool multiLine) {
  ControlDesign d;
  d.arrayName = name;
  d.kind = ControlKind::TextBox;
  d.values = {{u"Left", Variant(945)},
              {u"Top", Variant(top)},
              {u"Width", Variant(3885)},
              {u"Height", Variant(height)},
              {u"MultiLine", Variant(multiLine)},
              {u"BorderStyle", Variant::i2(0)},
              {u"BackColor", Variant(static_cast<int32_t>(vbButtonFace))},
              {u"Locked", Variant(true)},
              {u"Text", Variant(text)},
              {u"TabIndex", Variant::i2(tabIndex)}};
  return d;
}

FormDesign aboutDesign() {
  FormDesign d;
  d.name = u"frmAbout";
  d.clientWidth = 5790;
  d.clientHeight = 3105;
  d.font = Font{u"Tahoma", 9, true};
  d.borderStyle = FormBorderStyle::FixedDialog;
  d.showInTaskbar = false;
  ControlDesign ok;
  ok.arrayName = u"cmdOK";
  ok.kind = ControlKind::CommandButton;
  ok.values = {{u"Left", Variant(4409)},   {u"Top", Variant(2625)},         {u"Width", Variant(1260)},
               {u"Height", Variant(345)},  {u"Caption", Variant(u"OK")},   {u"TabIndex", Variant::i2(0)}};
  ControlDesign icon;
  icon.arrayName = u"picIcon";
  icon.kind = ControlKind::PictureBox;
  icon.values = {{u"Left", Variant(240)},          {u"Top", Variant(240)},     {u"Width", Variant(480)},
                 {u"Height", Variant(480)},        {u"BorderStyle", Variant::i2(0)}, {u"AutoSize", Variant(true)},
                 {u"TabIndex", Variant::i2(1)}};
  ControlDesign picture;
  picture.arrayName = u"Picture1";
  picture.kind = ControlKind::PictureBox;
  picture.values = {{u"Left", Variant(945)},  {u"Top", Variant(1680)},        {u"Width", Variant(3825)},
                    {u"Height", Variant(570)}, {u"BorderStyle", Variant::i2(1)}, {u"Visible", Variant(false)},
                    {u"AutoSize", Variant(true)}, {u"TabIndex", Variant::i2(6)}};
  ControlDesign line;
  line.arrayName = u"Line1";
  line.kind = ControlKind::Line;
  line.values = {{u"X1", Variant(105)}, {u"Y1", Variant(2460)}, {u"X2", Variant(5654)}, {u"Y2", Variant(2460)},
                 {u"BorderColor", Variant(static_cast<int32_t>(0xFFFFFF))}, {u"BorderWidth", Variant::i2(2)}};
  d.controls = {ok,
                icon,
                labelLike(u"lblTitle", 240, 420, u"Application Title", 2, true),
                labelLike(u"lblVersion", 780, 210, u"Version", 3, false),
                picture,
                line};
  return d;
}

}  // namespace

Picture aboutPicture() {
  return Picture::fromFileBytes(std::span<const uint8_t>(embedded::about_picture, embedded::about_picture_size));
}

frmAbout::frmAbout() : Form(aboutDesign()) {}

const ClassInfo& frmAbout::info() {
  static const ClassInfo ci = ClassInfo(u"frmAbout", &Form::info());
  return ci;
}

void frmAbout::onLoad() {
  {
    // The design's pictures and the upper half of the separator, Line1(1).
    EventSuppression quiet(*this);
    element<PictureBox>(u"picIcon").setPicture(programIcon());
    element<PictureBox>(u"Picture1").setPicture(aboutPicture());
    auto& upper = dynamic_cast<Line&>(array(u"Line1").load(1));
    upper.setBorderWidth(1);
    upper.setBorderColor(0x808080);
    upper.setBorderStyle(6);  // inside solid
    upper.setX1(90);
    upper.setY1(2445);
    upper.setX2(5654);
    upper.setY2(2445);
    upper.setVisible(true);
  }
  setCaption(u"About Sorvanelix");
  element<TextBox>(u"lblTitle").setText(kTitle);
  const App& a = app();
  const BStr version = u"Version: " + utf16(std::to_string(a.versionMajor())) + u"." +
                       utf16(std::to_string(a.versionMinor())) + u"." + utf16(std::to_string(a.versionRevision())) +
                       u".0";
  element<TextBox>(u"lblVersion").setText(version);
}

// Alt (with or without Shift and Ctrl) and the right button on the
// background show or hide the picture.
void frmAbout::onMouseDown(int16_t& button, int16_t& shift, float&, float&) {
  if ((shift & kAltMask) && button == kRightButton) {
    Control& picture = control(u"Picture1");
    picture.setVisible(!picture.visible());
  }
}

void frmAbout::onControlEvent(ControlArray& array, ControlEvent event, int16_t&, std::span<Variant>) {
  if (array.name() == u"cmdOK" && event == ControlEvent::Click) unload();
}

}  // namespace svx
