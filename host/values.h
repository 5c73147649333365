// Script values and automation values: conversion both ways, and the script
// classes that hold automation values (Ref, VBArray, Missing).
#pragma once

#include "host/engine.h"

namespace svx::host {

// Pushes the script value for `v` (by-reference values are read through).
void pushVariant(duk_context* ctx, const Variant& v);
// The automation value for the script value at `idx`. As an `argument`, a Ref
// becomes a reference to its own Variant; otherwise its value.
Variant toVariant(duk_context* ctx, duk_idx_t idx, bool argument);
Variant toVariant(Engine& e, duk_context* ctx, duk_idx_t idx, bool argument);

// Pushes a script object that stands for the host's entry `id`: the id
// under `key`, the stashed prototype `proto` when one is named, and
// `finalizer` (dropping the entry) as its own when one is given. With `call`,
// the object is a function that runs it.
void pushHandle(duk_context* ctx, int64_t id, const char* key, duk_c_function finalizer, const char* proto,
                duk_c_function call = nullptr);
// Pushes a new Ref holding `slot` (one the script makes); returns its id. It
// is also found by its address when passed back.
int64_t pushRefObject(duk_context* ctx, Variant slot);
// Pushes the link object of an event's Refs (undefined when there are no
// `variables`), then one Ref bound to each of the `variables`; returns the
// index of the frame that holds them (-1 for none).
int64_t pushEventRefs(duk_context* ctx, std::span<Variant> variables);
// After the raise: the frame's Refs hold copies of the raiser's variables.
// A frame that holds an object then is anchored by its link at `link`
// alone, so that the object goes with the last of its Refs.
inline constexpr duk_idx_t kNoLink = DUK_INVALID_INDEX;
void keepEventRefs(duk_context* ctx, int64_t frame, duk_idx_t link);
bool holdsObjects(const Variant& v);
void pushArrayObject(duk_context* ctx, Variant array);

// Installs Missing, Ref, VBArray and what the conversions keep in the stash.
void installValues(duk_context* ctx, duk_idx_t stash);

}  // namespace svx::host
