// CheckBox: Caption and Value 0 (unchecked), 1 (checked), 2 (grayed);
// setting Value raises Click.
#pragma once

#include "platform/forms/control.h"
#include "platform/graphics/access_key.h"

namespace svx {

class CheckBox : public Control {
 public:
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }
  ControlKind kind() const override { return ControlKind::CheckBox; }
  Ref<Control> makeSibling() const override { return makeRef<CheckBox>(); }
  void copyFrom(const Control& s) override;
  bool canHaveFocus() const override { return true; }
  void render(RenderItem& item) const override;
  char16_t accessKey() const override { return accessKeyOf(caption_); }
  void userClick() override { setValue(value_ == 1 ? 0 : 1); }
  // The space bar toggles the box.
  void typeChar(int16_t ascii) override {
    if (ascii == 32) userClick();
  }

  const BStr& caption() const { return caption_; }
  void setCaption(BStr c) { caption_ = std::move(c); }
  int16_t value() const { return value_; }
  void setValue(int16_t v);  // 380 outside 0..2

  CheckBox() { width_ = 1215; height_ = 255; }

 private:
  BStr caption_;
  int16_t value_ = 0;
};

}  // namespace svx
