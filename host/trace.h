// The call trace (sorvanelix-script --trace): each call from the script to an
// automation member with its arguments, its result and any error it raised or
// reported through its error out-parameters, and each event delivered to the
// script, on the error stream. Nothing of it runs while the trace is off.
#pragma once

#include <string>
#include <vector>

#include "host/engine.h"

namespace svx::host {

// A value as the trace shows it: strings quoted, a by-reference argument as
// `&value`, objects by their class name.
std::string traceValue(const Variant& v);

// Calls the member as Object::invoke does (with `names` for the last named
// arguments) and traces it. Error out-parameters that the script left out
// get variables of the host's own, so what the member reports is seen.
Variant tracedCall(Engine& e, Object& obj, const BStr& name, InvokeKind kind, std::vector<Variant>& args,
                   std::vector<BStr>& names);

// A member the object does not have, failing with `number`.
void traceUnknownMember(Engine& e, Object& obj, const BStr& name, int32_t number) noexcept;

// A line of its own at the current depth (an error box nobody saw, an
// event without a script function).
void traceNote(Engine& e, const std::string& text) noexcept;

// An event about to call the script's function `function`.
void traceEvent(Engine& e, const BStr& function, std::span<Variant> args) noexcept;

}  // namespace svx::host
