// Label: Caption (a change raises Change), BorderStyle 0-1, Alignment 0-2,
// AutoSize, WordWrap, BackStyle 0-1, UseMnemonic (True: an '&' of the
// caption marks an access key; False: the caption is shown as it is, for
// labels that show data).
#pragma once

#include "platform/forms/control.h"
#include "platform/graphics/access_key.h"

namespace svx {

class Label : public Control {
 public:
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }
  ControlKind kind() const override { return ControlKind::Label; }
  Ref<Control> makeSibling() const override { return makeRef<Label>(); }
  void copyFrom(const Control& s) override;
  bool hasTabIndex() const override { return true; }
  void render(RenderItem& item) const override;
  char16_t accessKey() const override { return p_.useMnemonic ? accessKeyOf(p_.caption) : 0; }

  const BStr& caption() const { return p_.caption; }
  void setCaption(BStr c);
  int16_t borderStyle() const { return p_.borderStyle; }
  void setBorderStyle(int16_t v) { checkPropertyRange(v, 0, 1); p_.borderStyle = v; }
  int16_t alignment() const { return p_.alignment; }
  void setAlignment(int16_t v) { checkPropertyRange(v, 0, 2); p_.alignment = v; }
  bool autoSize() const { return p_.autoSize; }
  void setAutoSize(bool v) { p_.autoSize = v; }
  bool wordWrap() const { return p_.wordWrap; }
  void setWordWrap(bool v) { p_.wordWrap = v; }
  bool useMnemonic() const { return p_.useMnemonic; }
  void setUseMnemonic(bool v) { p_.useMnemonic = v; }
  int16_t backStyle() const { return p_.backStyle; }
  void setBackStyle(int16_t v) { checkPropertyRange(v, 0, 1); p_.backStyle = v; }

  Label() { width_ = 1215; height_ = 255; }

 private:
  struct Props {
    BStr caption;
    int16_t borderStyle = 0;
    int16_t alignment = 0;
    bool autoSize = false;
    bool wordWrap = false;
    int16_t backStyle = 1;
    bool useMnemonic = true;
  } p_;
};

}  // namespace svx
