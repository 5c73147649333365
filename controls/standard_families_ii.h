// The control families of the second standard set, declared on the form's
// class table. Each group lives in its own unit.
#pragma once

namespace svx {

class ClassInfo;

// Label, Text, MultiText, List, ListCheck, Option (with ListShowHScrollBar
// and ListCheckShowHScrollBar).
void declareTextListOptionFamilies(ClassInfo& ci);
// Image and PictureCtrl, with their picture-file and drawing members.
void declarePictureImageFamilies(ClassInfo& ci);
// TimerCtrl.
void declareTimerFamily(ClassInfo& ci);

}  // namespace svx
