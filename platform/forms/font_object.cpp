#include "platform/forms/font_object.h"

#include "platform/automation/coerce.h"

namespace svx {

Font FontObject::font() const {
  if (read_)
    if (std::optional<Font> f = read_()) return *f;
  return font_;
}

void FontObject::letName(Variant& v) {
  BStr name = toBStr(v);
  change([&](Font& f) { f.name = std::move(name); });
}

void FontObject::letSize(Variant& v) {
  const double size = toR4(v);
  if (!(size > 0 && size <= 2160)) raise(err::InvalidPropertyValue);
  change([&](Font& f) { f.size = size; });
}

void FontObject::letBold(Variant& v) {
  const bool b = toBool(v);
  change([&](Font& f) { f.bold = b; });
}
void FontObject::letItalic(Variant& v) {
  const bool b = toBool(v);
  change([&](Font& f) { f.italic = b; });
}
void FontObject::letUnderline(Variant& v) {
  const bool b = toBool(v);
  change([&](Font& f) { f.underline = b; });
}
void FontObject::letStrikethrough(Variant& v) {
  const bool b = toBool(v);
  change([&](Font& f) { f.strikethrough = b; });
}

Ref<FontObject> fontObjectOf(const Variant& v) {
  const Variant& o = v.deref();
  if (!o.isObject()) raise(err::TypeMismatch);
  if (!o.asObject()) raise(err::ObjectRequired);
  Ref<FontObject> f = refCast<FontObject>(o.asObject());
  if (!f) raise(err::TypeMismatch);
  return f;
}

const ClassInfo& FontObject::info() {
  static const ClassInfo ci = ClassInfo(u"Font")
                                  .get<&FontObject::Name>(u"Name")
                                  .let<&FontObject::letName>(u"Name", {in(u"Value")})
                                  .get<&FontObject::Size>(u"Size")
                                  .let<&FontObject::letSize>(u"Size", {in(u"Value")})
                                  .get<&FontObject::Bold>(u"Bold")
                                  .let<&FontObject::letBold>(u"Bold", {in(u"Value")})
                                  .get<&FontObject::Italic>(u"Italic")
                                  .let<&FontObject::letItalic>(u"Italic", {in(u"Value")})
                                  .get<&FontObject::Underline>(u"Underline")
                                  .let<&FontObject::letUnderline>(u"Underline", {in(u"Value")})
                                  .get<&FontObject::Strikethrough>(u"Strikethrough")
                                  .let<&FontObject::letStrikethrough>(u"Strikethrough", {in(u"Value")})
                                  .defaultMember(u"Name");
  return ci;
}

}  // namespace svx
