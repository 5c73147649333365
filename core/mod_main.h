// modMain: colour, list-box, foreground, topmost, array and number helpers,
// and the set-up that runs at every creation of a Dialog.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/automation/variant.h"
#include "platform/desktop/filesystem.h"
#include "platform/desktop/win32.h"

namespace svx {

// An OLE system colour (bit 31 set) as the RGB colour of its index; any other
// colour unchanged.
int32_t TranslateSysColor(int32_t& colour);
// LB_SETHORIZONTALEXTENT to the list box's window; the caller computes the width.
void SetListBoxHorizontalExtent(HWND listBox, int32_t widthPixels);
// True when SetForegroundWindow succeeded or the window already was in front.
bool ForceForegroundWindow(HWND hWnd);
// The owner of this process's first visible top-level window without a
// parent, in z-order; 0 when there is none.
HWND FindProcessOwnerWindow();
void SetTopMost(HWND form, bool topMost);
// A Variant holding a Boolean: an array with at least one element in its
// first dimension.
Variant IsArrayNotEmpty(Variant& value);
double UnsignedLongToDouble(int32_t& value);
// The milliseconds of the runtime's Timer as three digits.
BStr TimerMilliseconds();
void InitializeDialogModule();

// The module's file-system object (null until InitializeDialogModule).
std::shared_ptr<FileSystemObject>& moduleFileSystem();

}  // namespace svx
