// Pictures as they cross the scripting interface: Byte arrays holding the
// picture object's persisted stream (out), or an image file's bytes (in).
#pragma once

#include "platform/automation/variant.h"
#include "platform/graphics/picture.h"

namespace svx {

// The whole persisted stream of `picture`, header included, as a Byte array
// with bounds 0 to size - 1.
SafeArray PictureToByteArray(const Picture& picture);

// A new picture from a Byte array taken as image-file data: a header of the
// stream's tag and the array's element count is written in front of the
// elements, from the lower bound on. An array without elements fails when its
// bounds are read (9); data that is no image fails with 481.
Picture ByteArrayToPicture(const SafeArray& bytes);

// The byte-array intake of the members that take a picture: a Byte array with
// the same bounds as the first dimension of `source`, each element converted
// to a byte (6 for a value outside 0..255, 13 for one that is not a number).
// An array whose upper bound is below its lower bound fails when the Byte
// array is created (9); a two-dimensional array fails when its first element
// is read with one index (9). `source` must be an array.
SafeArray ByteArrayIntake(const Variant& source);

}  // namespace svx
