// The form's handlers of the companion elements' events: each becomes the
// form event ActiveXControlGotFocus, ActiveXControlLostFocus,
// ActiveXControlValidate or ActiveXControlEvent, the last with the hosted
// control's event as a name and a two-column array of its parameters, whose
// values are written back into the event when the raise returns.
#pragma once

#include <span>

#include "core/event_relay.h"

namespace svx {

// `params` are the companion event's own arguments: Cancel (a Boolean
// reference) for Validate, the EventInfo for ObjectEvent. Never raises.
void relayHostedControlEvent(const FormEventRow& row, int16_t& index, std::span<Variant> params,
                             const RaiseFn& raise);

// The log line of a failed ObjectEvent relay.
BStr objectEventErrorLine(const BStr& description, int32_t number, const BStr& eventName);

}  // namespace svx
