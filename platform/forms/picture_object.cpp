#include "platform/forms/picture_object.h"

#include "platform/automation/error.h"

namespace svx {

const ClassInfo& PictureObject::info() {
  static const ClassInfo ci = ClassInfo(u"Picture")
                                  .get<&PictureObject::Handle>(u"Handle")
                                  .get<&PictureObject::Type>(u"Type")
                                  .get<&PictureObject::Width>(u"Width")
                                  .get<&PictureObject::Height>(u"Height");
  return ci;
}

Variant pictureVariant(const Picture& picture) { return Variant(ObjectRef(makeRef<PictureObject>(picture))); }

Picture pictureOf(const Variant& value) {
  const Variant& v = value.deref();
  if (!v.isObject()) raise(err::ObjectRequired);
  if (!v.asObject()) return Picture();
  auto* p = dynamic_cast<PictureObject*>(v.asObject().get());
  if (!p) raise(err::TypeMismatch);
  return p->picture();
}

}  // namespace svx
