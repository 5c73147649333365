// Automation objects in the script: each is a Proxy over an ObjectRef whose
// traps resolve names through the object's ClassInfo and make the calls.
#pragma once

#include "host/engine.h"

namespace svx::host {

// Pushes the script value for `obj`: null for nothing, the script value
// itself for an object that stands for one, a Proxy otherwise.
void pushObject(duk_context* ctx, const ObjectRef& obj);
// The object behind the Proxy at `idx`; Object required (424) otherwise.
ObjectRef objectOf(duk_context* ctx, duk_idx_t idx);

// Whether the value at `idx` is a Named(...) argument list.
bool isNamedArguments(duk_context* ctx, duk_idx_t idx);

// Installs the Proxy handler in the stash, and Named.
void installObjects(duk_context* ctx, duk_idx_t stash);

}  // namespace svx::host
