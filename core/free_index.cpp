#include "core/free_index.h"

#include "platform/automation/coerce.h"
#include "platform/automation/dispatch.h"
#include "platform/automation/error.h"
#include "platform/forms/control_array.h"

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

namespace {

// The runtime's own arrays answer the probes directly: every loaded element
// has a Tag that reads without failing, so the lowest gap is the first index
// missing from the loaded ones.
const ControlArray* runtimeArray(const Variant& controlArray) {
  const Variant v = controlArray.value();
  if (!v.isObject()) return nullptr;
  return dynamic_cast<const ControlArray*>(v.asObject().get());  // the caller's Variant keeps it alive
}

int32_t lowestGap(const ControlArray& array) {
  const auto& elements = array.elements();
  if (elements.empty()) return 0;  // LBound and UBound of an empty array are 0 and -1
  const int32_t first = elements.begin()->first, last = elements.rbegin()->first;
  if (last - first + 1 == static_cast<int32_t>(elements.size())) return last + 1;  // no gap
  int32_t expected = first;
  for (const auto& [i, element] : elements) {
    if (i != expected) return expected;
    ++expected;
  }
  return expected;
}

}  // namespace

void FindFreeIndex(int32_t& index, Variant& controlArray, int32_t& errNumber, BStr& errDescription) {
  index = -1;
  errNumber = 0;
  errDescription.clear();
  if (const ControlArray* array = runtimeArray(controlArray)) {
    index = lowestGap(*array);
    if (index > kMaxControlArrayIndex) {
      index = -1;
      errNumber = kErrControlArrayFull;
      errDescription = kControlArrayFullMessage;
    }
    return;
  }
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
