// The control families of the first standard set: Command, Check, Frame,
// Combo, ComboText, HScrollBar, VScrollBar, Shape and Line.
#pragma once

#include "controls/family_pattern.h"

namespace svx {

const FamilySpec& commandFamily();
const FamilySpec& checkFamily();
const FamilySpec& frameFamily();
const FamilySpec& comboFamily();
const FamilySpec& comboTextFamily();
const FamilySpec& hScrollBarFamily();
const FamilySpec& vScrollBarFamily();
const FamilySpec& shapeFamily();
const FamilySpec& lineFamily();

// Every family of the set, in the order of the scripting interface.
std::vector<const FamilySpec*> standardFamiliesI();

}  // namespace svx
