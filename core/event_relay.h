// The control-event relay: a control event's parameters become the argument
// Variants of a form event, by reference or as typed copies; the copies are
// written back into the event's own parameters once the raise returns.
#pragma once

#include <functional>
#include <span>

#include "core/form_event_table.h"
#include "platform/automation/variant.h"

namespace svx {

// How one argument of a raise is built from the event's parameter.
enum class ArgMode : uint8_t {
  Reference,  // the parameter itself, by reference; nothing written back
  CopyI2,     // a 16-bit copy, written back converted to a 16-bit integer
  CopyR4,     // a Single copy, written back converted to a Single
  CopyBool,   // a Boolean copy, written back converted to a Boolean
};

// Raises form event `id` with its argument Variants, each handed over as a
// VT_BYREF|VT_VARIANT reference.
using RaiseFn = std::function<void(int32_t id, std::span<Variant> args)>;

// Builds one argument per parameter as `modes` says, raises, then writes the
// copies back in parameter order. A value that does not convert stops the
// write-back there: the parameters before it hold the listener's values, it
// and the ones after it keep what the control passed. Errors raised by the
// listeners reach the caller (before anything is written back).
void relayEvent(int32_t id, std::span<Variant> params, std::span<const ArgMode> modes, const RaiseFn& raise);

// The relay of a control array's event: the element's index by reference,
// then the control event's parameters as the row's kind says. `params` are
// typed references to the event's own parameters (VT_BYREF|VT_I2 for KeyCode,
// VT_BYREF|VT_R4 for X, VT_BYREF|VT_BOOL for Cancel ...). A timer event of
// element 0 is not relayed, and every error of a timer relay is dropped.
void relayControlEvent(const FormEventRow& row, int16_t& index, std::span<Variant> params, const RaiseFn& raise);

// The argument modes of a control event's own parameters (after the index).
std::vector<ArgMode> argModesOf(RelayKind kind);

}  // namespace svx
