#include "core/dialog_form_design.h"

namespace svx {

namespace {

using Values = std::vector<std::pair<BStr, Variant>>;

Values rect(int32_t left, int32_t top, int32_t width, int32_t height) {
  return {{u"Left", Variant(left)}, {u"Top", Variant(top)}, {u"Width", Variant(width)}, {u"Height", Variant(height)}};
}

Values with(Values base, Values more) {
  base.insert(base.end(), more.begin(), more.end());
  return base;
}

ControlDesign intrinsic(BStr array, ControlKind kind, Values values, BStr container = {}) {
  ControlDesign d;
  d.arrayName = std::move(array);
  d.kind = kind;
  d.values = std::move(values);
  d.values.push_back({u"Visible", Variant(false)});
  d.containerName = std::move(container);
  return d;
}

}  // namespace

FormDesign dialogFormDesign(const std::function<Ref<Control>(BStrView arrayName)>& userControl) {
  FormDesign f;
  f.name = u"DialogForm";
  f.caption = u"";
  f.clientLeft = 5355;
  f.clientTop = 3285;
  f.clientWidth = 4650;
  f.clientHeight = 5325;
  f.font = Font{u"Tahoma", 8.25};
  f.keyPreview = true;
  f.linkTopic = u"DialogForm";

  using K = ControlKind;
  auto tab = [](int16_t i) { return std::pair<BStr, Variant>{u"TabIndex", Variant::i2(i)}; };
  f.controls = {
      intrinsic(u"Label", K::Label, with(rect(90, 90, 375, 195), {tab(0), {u"Caption", Variant(u"Label")}})),
      intrinsic(u"Text", K::TextBox, with(rect(570, 60, 1245, 315), {tab(1), {u"Text", Variant(u"")}})),
      intrinsic(u"Check", K::CheckBox, with(rect(90, 570, 1245, 315), {tab(2), {u"Caption", Variant(u"Check")}})),
      intrinsic(u"Frame", K::Frame, with(rect(90, 990, 2655, 1305), {tab(3), {u"Caption", Variant(u"")}})),
      intrinsic(u"OptionCtrl", K::OptionButton,
                with(rect(240, 270, 1455, 315), {tab(4), {u"Caption", Variant(u"Option1")}}), u"Frame"),
      intrinsic(u"List", K::ListBox, with(rect(90, 2400, 2655, 840), {tab(5), {u"Style", Variant::i2(0)}})),
      intrinsic(u"Combo", K::ComboBox, with(rect(2940, 1950, 1545, 315), {tab(6), {u"Style", Variant::i2(2)}})),
      intrinsic(u"MultiText", K::TextBox,
                with(rect(90, 3510, 2745, 1155),
                     {tab(7), {u"MultiLine", Variant(true)}, {u"ScrollBars", Variant::i2(2)}})),
      intrinsic(u"Command", K::CommandButton,
                with(rect(90, 4890, 1245, 315),
                     {tab(8), {u"Caption", Variant(u"")}, {u"Default", Variant(true)}, {u"Cancel", Variant(true)}})),
      intrinsic(u"ComboText", K::ComboBox,
                with(rect(2940, 2400, 1545, 315),
                     {tab(9), {u"Style", Variant::i2(0)}, {u"Text", Variant(u"ComboText")}})),
      intrinsic(u"HScroll", K::HScrollBar, with(rect(2940, 3720, 1545, 315), {tab(10)})),
      intrinsic(u"VScroll", K::VScrollBar, with(rect(2850, 150, 315, 1305), {tab(11)})),
      intrinsic(u"PictureCtrl", K::PictureBox, with(rect(3000, 4140, 915, 525), {tab(12)})),
      intrinsic(u"ListCheck", K::ListBox, with(rect(2940, 2820, 1545, 735), {tab(13), {u"Style", Variant::i2(1)}})),
      intrinsic(u"LineCtrl", K::Line,
                {{u"X1", Variant(3420)}, {u"Y1", Variant(4740)}, {u"X2", Variant(4620)}, {u"Y2", Variant(5220)}}),
      intrinsic(u"ShapeCtrl", K::Shape, with(rect(1980, 4740, 1245, 525), {{u"Shape", Variant::i2(0)}})),
      intrinsic(u"ImageCtrl", K::Image, with(rect(3090, 180, 1245, 1425), {{u"Stretch", Variant(false)}})),
  };
  // The user-control arrays: invisible at run time, with the extender's place.
  auto user = [&](BStr array, Values values) {
    ControlDesign d;
    d.arrayName = array;
    d.kind = K::User;
    d.factory = [userControl, array] { return userControl(array); };
    d.values = std::move(values);
    return d;
  };
  f.controls.push_back(user(u"DataCtrl", with(rect(2460, 1650, 2160, 315), {tab(14), {u"Visible", Variant(false)}})));
  f.controls.push_back(user(u"TimerCtrl", {{u"Left", Variant(4110)}, {u"Top", Variant(4170)}}));
  f.controls.push_back(user(u"ctrlWrapperVBControlExtender", {{u"Left", Variant(2040)}, {u"Top", Variant(180)}}));
  return f;
}

}  // namespace svx
