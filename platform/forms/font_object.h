// The font object: a font's attributes as an automation object that
// controls share by reference (a control's Font property hands it out and
// takes one in).
#pragma once

#include "platform/automation/dispatch.h"
#include "platform/graphics/font.h"

namespace svx {

class FontObject : public Object {
 public:
  explicit FontObject(Font font = {}) : font_(std::move(font)) {}
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }

  const Font& font() const { return font_; }

  Variant Name() { return Variant(font_.name); }
  void letName(Variant& v);
  Variant Size() { return Variant(static_cast<float>(font_.size)); }
  void letSize(Variant& v);
  Variant Bold() { return Variant(font_.bold); }
  void letBold(Variant& v);
  Variant Italic() { return Variant(font_.italic); }
  void letItalic(Variant& v);
  Variant Underline() { return Variant(font_.underline); }
  void letUnderline(Variant& v);
  Variant Strikethrough() { return Variant(font_.strikethrough); }
  void letStrikethrough(Variant& v);

 private:
  Font font_;
};

// The font object held by a Variant; 13 for another object, 424 for none.
Ref<FontObject> fontObjectOf(const Variant& v);

}  // namespace svx
