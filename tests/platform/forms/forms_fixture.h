// A small form with one array per control kind, recording every event.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"
#include "platform/forms/check_box.h"
#include "platform/forms/combo_box.h"
#include "platform/forms/command_button.h"
#include "platform/forms/form.h"
#include "platform/forms/frame.h"
#include "platform/forms/label.h"
#include "platform/forms/list_box.h"
#include "platform/forms/option_button.h"
#include "platform/forms/picture_box.h"
#include "platform/forms/scroll_bar.h"
#include "platform/forms/shape_line.h"
#include "platform/forms/text_box.h"
#include "tests/support/error_of.h"

namespace svx::testing {

inline FormDesign testDesign() {
  const Variant no(false);
  FormDesign d;
  d.name = u"TestForm";
  d.caption = u"Test";
  d.clientLeft = 1500;
  d.clientTop = 1500;
  d.clientWidth = 4650;
  d.clientHeight = 5325;
  d.keyPreview = true;
  d.linkTopic = u"TestForm";
  d.controls = {
      {u"Label", ControlKind::Label, {}, {{u"Caption", Variant(u"Label")}, {u"Visible", no}}, {}},
      {u"Text", ControlKind::TextBox, {}, {{u"Left", Variant(570)}, {u"Top", Variant(60)}, {u"Visible", no}}, {}},
      {u"Check", ControlKind::CheckBox, {}, {{u"Caption", Variant(u"Check")}, {u"Visible", no}}, {}},
      {u"Frame", ControlKind::Frame, {}, {{u"Visible", no}}, {}},
      {u"OptionCtrl", ControlKind::OptionButton, {}, {{u"Caption", Variant(u"Option1")}, {u"Visible", no}},
       u"Frame"},
      {u"List", ControlKind::ListBox, {}, {{u"Visible", no}}, {}},
      {u"Combo", ControlKind::ComboBox, {}, {{u"Style", Variant(2)}, {u"Visible", no}}, {}},
      {u"Command", ControlKind::CommandButton, {},
       {{u"Default", Variant(true)}, {u"Cancel", Variant(true)}, {u"Visible", no}}, {}},
      {u"ComboText", ControlKind::ComboBox, {}, {{u"Text", Variant(u"ComboText")}, {u"Visible", no}}, {}},
      {u"HScroll", ControlKind::HScrollBar, {}, {{u"Visible", no}}, {}},
      {u"PictureCtrl", ControlKind::PictureBox, {},
       {{u"Left", Variant(3000)}, {u"Top", Variant(4140)}, {u"Width", Variant(915)}, {u"Height", Variant(525)},
        {u"Visible", no}},
       {}},
      {u"ListCheck", ControlKind::ListBox, {}, {{u"Style", Variant(1)}, {u"Visible", no}}, {}},
      {u"ShapeCtrl", ControlKind::Shape, {}, {{u"Visible", no}}, {}},
      {u"LineCtrl", ControlKind::Line, {}, {{u"Visible", no}}, {}},
  };
  return d;
}

class TestForm : public Form {
 public:
  TestForm() : Form(testDesign()) {}
  explicit TestForm(FormDesign d) : Form(std::move(d)) {}

  std::vector<std::string> log;
  // Runs inside every control event, after it is logged.
  std::function<void(ControlArray&, ControlEvent, int16_t, std::span<Variant>)> react;
  int16_t cancelQueryUnload = 0;
  int16_t cancelUnload = 0;
  int16_t formKeyAscii = -1;  // >= 0: the form's preview replaces KeyAscii

  void onInitialize() override { log.push_back("Form.Initialize"); }
  void onLoad() override { log.push_back("Form.Load"); }
  void onActivate() override { log.push_back("Form.Activate"); }
  void onResize() override { log.push_back("Form.Resize"); }
  void onPaint() override { log.push_back("Form.Paint"); }
  void onQueryUnload(int16_t& cancel, int16_t& mode) override {
    log.push_back("Form.QueryUnload(" + std::to_string(mode) + ")");
    cancel = cancelQueryUnload;
  }
  void onUnload(int16_t& cancel) override {
    log.push_back("Form.Unload");
    cancel = cancelUnload;
  }
  void onTerminate() override { log.push_back("Form.Terminate"); }
  void onKeyDown(int16_t& code, int16_t&) override { log.push_back("Form.KeyDown(" + std::to_string(code) + ")"); }
  void onKeyPress(int16_t& ascii) override {
    log.push_back("Form.KeyPress(" + std::to_string(ascii) + ")");
    if (formKeyAscii >= 0) ascii = formKeyAscii;
  }
  void onKeyUp(int16_t& code, int16_t&) override { log.push_back("Form.KeyUp(" + std::to_string(code) + ")"); }

  void onControlEvent(ControlArray& array, ControlEvent event, int16_t& index, std::span<Variant> params) override {
    std::string entry = utf8(array.name()) + "(" + std::to_string(index) + ")." + utf8(eventName(event));
    if (event == ControlEvent::KeyPress || event == ControlEvent::ItemCheck)
      entry += "(" + std::to_string(params[0].deref().vt() == VT_EMPTY ? 0 : toI2(params[0])) + ")";
    log.push_back(entry);
    if (react) react(array, event, index, params);
  }

  void onUserControlEvent(ControlArray& array, BStrView event, int16_t& index, std::span<Variant>) override {
    log.push_back(utf8(array.name()) + "(" + std::to_string(index) + ")." + utf8(event));
  }

  // The events logged since the last call.
  std::vector<std::string> take() { return std::exchange(log, {}); }

  // Loads element `index` of an array, visible, at the given place.
  template <class T = Control>
  T& add(BStrView arrayName, int16_t index, double left = 0, double top = 0) {
    Control& c = array(arrayName).load(index);
    c.setContainer(nullptr);
    if (c.hasRect()) c.move(left, top);
    c.setVisible(true);
    return dynamic_cast<T&>(c);
  }
};

class FormsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::useVirtualTime();
    desktop().reset();
    form = makeRef<TestForm>();
  }
  void TearDown() override {
    form.reset();
    desktop().reset();
    Clock::useRealTime();
  }
  Ref<TestForm> form;
};

using Log = std::vector<std::string>;

}  // namespace svx::testing
