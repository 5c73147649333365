// The list transport that the combo-box and list-box families share: the
// items (and check states) go out as one array of Variants, element k for
// item k (an empty list: an array Variant without an array), and come in
// only from an array of Variants (8204), walked over its first dimension.
#pragma once

#include "controls/family_pattern.h"

namespace svx {

FamilyProperty itemsRow(int setStep);       // ItemsList / arrayItemsList
FamilyProperty selectionsRow(int setStep);  // SelectionsList / arraySelectionsList
FamilyProperty listValueRow();              // ListValue (Get only): the text at ListIndex
FamilyStep clearStep(int setStep);          // empties the list on every Set
int16_t listCount(Control& c);             // the element's ListCount, late-bound

}  // namespace svx
