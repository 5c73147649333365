// CommandButton: Caption, and Default and Cancel (at most one of each per
// form: setting one clears the others; Enter and Esc press them).
#pragma once

#include "platform/forms/control.h"
#include "platform/graphics/access_key.h"

namespace svx {

class CommandButton : public Control {
 public:
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }
  ControlKind kind() const override { return ControlKind::CommandButton; }
  Ref<Control> makeSibling() const override { return makeRef<CommandButton>(); }
  void copyFrom(const Control& s) override;
  bool canHaveFocus() const override { return true; }
  bool hasValidate() const override { return false; }
  void render(RenderItem& item) const override;
  char16_t accessKey() const override { return accessKeyOf(caption_); }
  // The space bar presses the button.
  void typeChar(int16_t ascii) override {
    if (ascii == 32) press();
  }
  // On a form whose arrows move among buttons (a dialog box), Right and
  // Down move the focus to the next button of its group, Left and Up to the
  // one before, round the group; the default follows the focus.
  void pressKey(int16_t keyCode, int16_t shift) override;

  const BStr& caption() const { return caption_; }
  void setCaption(BStr c) { caption_ = std::move(c); }
  bool isDefault() const;
  void setDefault(bool v);
  bool isCancel() const;
  void setCancel(bool v);
  // Clicks the button (as its Enter, Esc or a mouse click does).
  void press() { fire(ControlEvent::Click); }

  CommandButton() { width_ = 1215; height_ = 375; }

 private:
  BStr caption_;
};

}  // namespace svx
