// The event interface of DialogForm: 184 events, numbered 1 to 184 in
// declaration order. Each row says which control array raises it (or the
// form itself, or the hosted-control wrapper), under which control event, and
// how the relay builds its arguments.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/automation/variant.h"

namespace svx {

class ClassInfo;

// How a relay builds the argument Variants of a control event.
enum class RelayKind : uint8_t {
  Index,      // Index by reference
  Key,        // Index; KeyCode and Shift as 16-bit copies, written back
  Ascii,      // Index; KeyAscii as a 16-bit copy, written back
  Mouse,      // Index; Button, Shift (16-bit) and X, Y (Single) copies, written back
  Cancel,     // Index; Cancel as a Boolean copy, written back
  Item,       // Index; Item by reference (ItemCheck)
  DataError,  // Index; DataErr and Response by reference
  Timer,      // Index by reference; element 0 is never relayed
  Form,       // the form's own events (no index)
  ActiveX,    // the hosted-control wrapper's events
};

struct FormEventRow {
  int32_t id;         // the form's own event number, 1 to 184
  BStr source;        // control array ("Check", "HScroll", ...), "Form" or the wrapper array
  BStr sourceEvent;   // the control event ("Click", "TimerEvent", ...)
  BStr name;          // the form event ("CheckClick", "TimerCtrlTimer", ...)
  RelayKind kind;
  std::vector<BStr> params;  // declared parameter names
};

// All 184 rows in declaration order.
const std::vector<FormEventRow>& formEventTable();
// The row of a control array's event, or null when the array does not relay it.
const FormEventRow* findFormEvent(BStrView source, BStrView sourceEvent);
// The row of form event `id` (1 to 184), or null.
const FormEventRow* formEventRow(int32_t id);
// The relay kind of a control event by its name.
RelayKind relayKindOf(BStrView sourceEvent);
// Declares the 184 events on a class table, in order.
void declareFormEvents(ClassInfo& ci);

}  // namespace svx
