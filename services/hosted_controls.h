// Hosting of controls by ProgID on DialogForm, without and with their
// events: the members Add/Get/RemoveActiveXControlWithoutEvents and
// Add/Get/RemoveActiveXControlWithEvents, and the name under which a hosted
// control joins the form.
#pragma once

#include "platform/automation/dispatch.h"

namespace svx {

class DialogForm;

// Declares the six members on DialogForm's table.
void declareHostedControlMembers(ClassInfo& ci);

// "DC", the year, month, day, hour, minute and second of the current local
// time without leading zeros, then the three digits of TimerMilliseconds.
BStr NewUniqueControlName();
// NewUniqueControlName, made unique on `form`: a name that a control of the
// form already has gets "_2", "_3" ... appended.
BStr NewUniqueControlName(DialogForm& form);
// True for Null and Empty.
bool IsNullOrEmpty(const Variant& value);

// The system's own control classes (the sample controls); registered once.
void registerSystemControls();

}  // namespace svx
