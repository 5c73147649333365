// The Image and PictureCtrl families: pictures that cross the interface as
// Byte arrays, picture files, and drawing on picture boxes.
#pragma once

#include "controls/family_pattern.h"

namespace svx {

const FamilySpec& imageFamily();
const FamilySpec& pictureCtrlFamily();

}  // namespace svx
