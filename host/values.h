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
// `finalizer` (dropping the entry) as its own when one is given.
void pushHandle(duk_context* ctx, int64_t id, const char* key, duk_c_function finalizer, const char* proto);
// Pushes a new Ref holding `slot` (one the script makes); returns its id. It
// is also found by its address when passed back.
int64_t pushRefObject(duk_context* ctx, Variant slot);
// Pushes one Ref bound to each of an event's `variables`, their ids in `ids`.
// They share one finalizer: the entries of all go when the last Ref goes.
void pushEventRefs(duk_context* ctx, std::span<Variant> variables, std::span<int64_t> ids);
void pushArrayObject(duk_context* ctx, Variant array);

// Installs Missing, Ref, VBArray and what the conversions keep in the stash.
void installValues(duk_context* ctx, duk_idx_t stash);

}  // namespace svx::host
