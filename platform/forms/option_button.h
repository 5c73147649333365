// OptionButton: Caption and Value (Boolean). One option per container has
// Value True: setting True clears the others and raises Click. The options
// of a container are one group for the keyboard: one tab stop (the form's
// tab order), the arrow keys move to the next or previous option of the
// group and choose it, Space chooses the focused one.
#pragma once

#include "platform/forms/control.h"
#include "platform/graphics/access_key.h"

namespace svx {

class OptionButton : public Control {
 public:
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }
  ControlKind kind() const override { return ControlKind::OptionButton; }
  Ref<Control> makeSibling() const override { return makeRef<OptionButton>(); }
  void copyFrom(const Control& s) override;
  bool canHaveFocus() const override { return true; }
  void render(RenderItem& item) const override;
  char16_t accessKey() const override { return accessKeyOf(caption_); }
  void userClick() override { setValue(true); }
  void typeChar(int16_t ascii) override {
    if (ascii == 32) setValue(true);
  }
  void pressKey(int16_t keyCode, int16_t shift) override;

  const BStr& caption() const { return caption_; }
  void setCaption(BStr c) { caption_ = std::move(c); }
  bool value() const { return value_; }
  void setValue(bool v);

  OptionButton() { width_ = 1215; height_ = 255; }

 private:
  BStr caption_;
  bool value_ = false;
};

}  // namespace svx
