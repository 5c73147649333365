// The source interface of Dialog: 184 events whose DISPIDs are their
// positions 1 to 184, each named as the form event it re-raises (with the
// scroll-bar families renamed), with its parameter names and description.
#pragma once

#include <vector>

#include "platform/automation/variant.h"

namespace svx {

class ClassInfo;

struct DialogEventRow {
  int32_t dispid;
  BStr name;          // Dialog's event ("HScrollBarChange")
  BStr formEvent;     // the form event it re-raises ("HScrollChange")
  BStr group;         // "Form-related events", "ActiveX EXE-related events", "Control-related events"
  std::vector<BStr> params;
  BStr description;
};

const std::vector<DialogEventRow>& dialogEventTable();
const DialogEventRow* findDialogEventByFormEvent(BStrView formEvent);
// The same, found by the form event's number when its row has that name.
const DialogEventRow* findDialogEventByFormEvent(int32_t formEventId, BStrView formEvent);
void declareDialogEvents(ClassInfo& ci);

}  // namespace svx
