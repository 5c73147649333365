// The font object: a font's attributes as an automation object. Either it
// holds a font of its own (a data control keeps one and hands it out), or it
// is a view of a control's font (a control's Font property): then what a
// script sets changes the control at once, and once the control is gone the
// object keeps the last font for itself.
#pragma once

#include <functional>
#include <optional>

#include "platform/automation/dispatch.h"
#include "platform/graphics/font.h"

namespace svx {

class FontObject : public Object {
 public:
  explicit FontObject(Font font = {}) : font_(std::move(font)) {}
  // A view: `read` gives the owner's font, or nothing once the owner is
  // gone; `write` changes it (and may refuse it with an error).
  using Read = std::function<std::optional<Font>()>;
  using Write = std::function<void(const Font&)>;
  FontObject(Read read, Write write) : read_(std::move(read)), write_(std::move(write)) {}

  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }

  Font font() const;

  Variant Name() { return Variant(font().name); }
  void letName(Variant& v);
  Variant Size() { return Variant(static_cast<float>(font().size)); }
  void letSize(Variant& v);
  Variant Bold() { return Variant(font().bold); }
  void letBold(Variant& v);
  Variant Italic() { return Variant(font().italic); }
  void letItalic(Variant& v);
  Variant Underline() { return Variant(font().underline); }
  void letUnderline(Variant& v);
  Variant Strikethrough() { return Variant(font().strikethrough); }
  void letStrikethrough(Variant& v);

 private:
  template <class F>
  void change(F&& edit) {
    Font f = font();
    edit(f);
    if (read_ && read_()) {
      write_(f);
      return;
    }
    font_ = std::move(f);
  }
  Font font_;
  Read read_;
  Write write_;
};

// The font object held by a Variant; 13 for another object, 424 for none.
Ref<FontObject> fontObjectOf(const Variant& v);

}  // namespace svx
