// The control families of the second standard set, declared on the form's
// class table in interface order. Each family lives in its own unit.
#pragma once

namespace svx {

class ClassInfo;

void declareLabelFamily(ClassInfo& ci);
// Text and MultiText.
void declareTextFamilies(ClassInfo& ci);
// List and ListCheck, each with its Show...HScrollBar member.
void declareListFamilies(ClassInfo& ci);
void declareOptionFamily(ClassInfo& ci);
// AdjustListBoxForHScrollBar.
void declareListBoxAdjustment(ClassInfo& ci);
// Image with its picture-file members.
void declareImageFamily(ClassInfo& ci);
// PictureCtrl with its picture-file and drawing members.
void declarePictureCtrlFamily(ClassInfo& ci);
// TimerCtrl.
void declareTimerFamily(ClassInfo& ci);

}  // namespace svx
