// Index allocation and the container rule that every Load member of the
// form's control families uses.
#pragma once

#include "platform/automation/variant.h"

namespace svx {

inline constexpr int32_t kMaxControlArrayIndex = 255;
inline constexpr int32_t kErrControlArrayFull = -200;
inline constexpr char16_t kControlArrayFullMessage[] =
    u"The maximum number of elements that can be added to the control array (255) has been reached!";

// The lowest gap of `controlArray` (a Variant holding the control-array
// object), else one past its upper bound; -1 with -200 at 256 or more, or
// -1 with the error of a probe that failed other than with 340. Probes are
// late-bound reads of "LBound", "UBound" and each element's "Tag". Raises
// nothing.
void FindFreeIndex(int32_t& index, Variant& controlArray, int32_t& errNumber, BStr& errDescription);

// True when `PictureIndex` converts to a Long above 0 and names a loaded
// element of `pictureCtrlArray` (probed by its "Tag"). Raises nothing.
bool IsPictureIndexValid(Variant& pictureCtrlArray, Variant& PictureIndex);

// Element `index` of a control array, late-bound (the array's default
// member); raises 340 for a missing element.
ObjectRef controlArrayElement(const Variant& controlArray, int32_t index);

}  // namespace svx
