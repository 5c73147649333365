// Frame: a captioned container for the controls placed in it at design time.
#pragma once

#include "platform/forms/control.h"
#include "platform/graphics/access_key.h"

namespace svx {

class Frame : public Control {
 public:
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }
  ControlKind kind() const override { return ControlKind::Frame; }
  Ref<Control> makeSibling() const override { return makeRef<Frame>(); }
  void copyFrom(const Control& s) override;
  bool hasTabIndex() const override { return true; }
  bool windowed() const override { return true; }
  bool isContainer() const override { return true; }
  void render(RenderItem& item) const override;
  char16_t accessKey() const override { return accessKeyOf(caption_); }

  const BStr& caption() const { return caption_; }
  void setCaption(BStr c) { caption_ = std::move(c); }

  Frame() { width_ = 1815; height_ = 1215; }

 private:
  BStr caption_;
};

}  // namespace svx
