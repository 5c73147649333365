#include "core/free_index.h"

#include "platform/automation/coerce.h"
#include "platform/automation/dispatch.h"
#include "platform/automation/error.h"

namespace svx {

namespace {

Object& arrayObject(const Variant& controlArray) {
  const Variant v = controlArray.value();
  if (!v.isObject() || !v.asObject()) raise(err::ObjectRequired);
  return *v.asObject();
}

Variant readProperty(Object& o, BStrView name) { return o.invoke(name, InvokeKind::PropertyGet, {}); }

// Reads the element's Tag; the value is not used.
void probeTag(const Variant& controlArray, int32_t index) {
  ObjectRef element = controlArrayElement(controlArray, index);
  (void)toBStr(readProperty(*element, u"Tag"));
}

}  // namespace

ObjectRef controlArrayElement(const Variant& controlArray, int32_t index) {
  std::vector<Variant> args{Variant::i2(static_cast<int16_t>(index))};
  Variant element = arrayObject(controlArray).invoke(0, InvokeKind::PropertyGet, args);
  if (!element.isObject() || !element.asObject()) raise(err::ObjectRequired);
  return element.asObject();
}

void FindFreeIndex(int32_t& index, Variant& controlArray, int32_t& errNumber, BStr& errDescription) {
  index = -1;
  errNumber = 0;
  errDescription.clear();
  ErrState err;
  int32_t lower = 0, upper = -1;
  err.attempt([&] { lower = toI4(readProperty(arrayObject(controlArray), u"LBound")); });
  err.attempt([&] { upper = toI4(readProperty(arrayObject(controlArray), u"UBound")); });
  for (int32_t i = lower; i <= upper; ++i) {
    err.clear();
    err.attempt([&] { probeTag(controlArray, i); });
    if (err.number() == err::ElementDoesNotExist) {
      err.clear();
      index = i;  // the lowest gap first
      return;
    }
    if (err.pending()) {
      errNumber = err.number();
      errDescription = err.description();
      err.clear();
      return;
    }
  }
  index = upper + 1;
  if (index > kMaxControlArrayIndex) {
    index = -1;
    errNumber = kErrControlArrayFull;
    errDescription = kControlArrayFullMessage;
  }
}

bool IsPictureIndexValid(Variant& pictureCtrlArray, Variant& PictureIndex) {
  bool valid = false;
  ignoreErrors([&] {
    if (toI4(PictureIndex) > 0) {
      probeTag(pictureCtrlArray, toI2(PictureIndex));
      valid = true;
    }
  });
  return valid;
}

}  // namespace svx
