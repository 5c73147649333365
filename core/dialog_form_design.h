// The design of DialogForm: the form's stored properties and the template,
// element 0, of each of its control arrays.
#pragma once

#include "platform/forms/form.h"

namespace svx {

// Builds the design; `userControl` makes the element class of a user-control
// array ("TimerCtrl", "DataCtrl", "ctrlWrapperVBControlExtender").
FormDesign dialogFormDesign(const std::function<Ref<Control>(BStrView arrayName)>& userControl);

}  // namespace svx
