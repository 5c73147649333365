#include "core/event_relay.h"

#include <array>

#include "platform/automation/coerce.h"
#include "platform/automation/dispatch.h"
#include "platform/automation/error.h"
#include "platform/automation/small_variants.h"

namespace svx {

namespace {

using M = ArgMode;
constexpr ArgMode kKey[] = {M::CopyI2, M::CopyI2};
constexpr ArgMode kAscii[] = {M::CopyI2};
constexpr ArgMode kMouse[] = {M::CopyI2, M::CopyI2, M::CopyR4, M::CopyR4};
constexpr ArgMode kCancel[] = {M::CopyBool};
constexpr ArgMode kItem[] = {M::Reference};
constexpr ArgMode kDataError[] = {M::Reference, M::Reference};

// The same after the index (by reference).
constexpr ArgMode kIndexOnly[] = {M::Reference};
constexpr ArgMode kIndexKey[] = {M::Reference, M::CopyI2, M::CopyI2};
constexpr ArgMode kIndexAscii[] = {M::Reference, M::CopyI2};
constexpr ArgMode kIndexMouse[] = {M::Reference, M::CopyI2, M::CopyI2, M::CopyR4, M::CopyR4};
constexpr ArgMode kIndexCancel[] = {M::Reference, M::CopyBool};
constexpr ArgMode kIndexItem[] = {M::Reference, M::Reference};
constexpr ArgMode kIndexDataError[] = {M::Reference, M::Reference, M::Reference};

std::span<const ArgMode> indexModesOf(RelayKind kind) {
  switch (kind) {
    case RelayKind::Key: return kIndexKey;
    case RelayKind::Ascii: return kIndexAscii;
    case RelayKind::Mouse: return kIndexMouse;
    case RelayKind::Cancel: return kIndexCancel;
    case RelayKind::Item: return kIndexItem;
    case RelayKind::DataError: return kIndexDataError;
    default: return kIndexOnly;
  }
}

std::span<const ArgMode> modesOf(RelayKind kind) {
  switch (kind) {
    case RelayKind::Key: return kKey;
    case RelayKind::Ascii: return kAscii;
    case RelayKind::Mouse: return kMouse;
    case RelayKind::Cancel: return kCancel;
    case RelayKind::Item: return kItem;
    case RelayKind::DataError: return kDataError;
    default: return {};
  }
}

// The index and up to five parameters on the stack.
using Arguments = SmallVariants<6>;

uint16_t copyType(ArgMode mode) {
  return mode == ArgMode::CopyI2 ? VT_I2 : mode == ArgMode::CopyR4 ? VT_R4 : VT_BOOL;
}

// Builds one argument per parameter (param(i) for i < n) as `modes` says,
// raises, then writes the copies back in parameter order.
template <class Param>
void relay(int32_t id, size_t n, Param&& param, std::span<const ArgMode> modes, const RaiseFn& raise) {
  Arguments args(n);
  for (size_t i = 0; i < n; ++i) {
    if (modes[i] == ArgMode::Reference)
      args.push(param(i));
    else
      args.push(changeType(param(i), copyType(modes[i])));
  }
  const std::span<Variant> values = args.span();
  Arguments refs(n);
  for (Variant& v : values) refs.push(Variant::byRef(v));
  raise(id, refs.span());
  for (size_t i = 0; i < n; ++i) {
    if (modes[i] == ArgMode::Reference) continue;
    const uint16_t type = copyType(modes[i]);
    try {
      // A copy still of its type goes back as it is.
      if (values[i].vt() == type)
        param(i).assign(values[i]);
      else
        param(i).assign(changeType(values[i], type));
    } catch (const RuntimeError&) {
      return;  // the rest keep the values the control passed
    }
  }
}

}  // namespace

std::vector<ArgMode> argModesOf(RelayKind kind) {
  const std::span<const ArgMode> m = modesOf(kind);
  return {m.begin(), m.end()};
}

void relayEvent(int32_t id, std::span<Variant> params, std::span<const ArgMode> modes, const RaiseFn& raise) {
  relay(id, params.size(), [&](size_t i) -> Variant& { return params[i]; }, modes, raise);
}

void relayControlEvent(const FormEventRow& row, int16_t& index, std::span<Variant> params, const RaiseFn& raise) {
  if (row.kind == RelayKind::Timer) {
    ignoreErrors([&] {
      if (index > 0) {
        Variant arg = Variant::byRef(index);
        Variant ref = Variant::byRef(arg);
        raise(row.id, std::span<Variant>(&ref, 1));
      }
    });
    return;
  }
  // The index by reference, then the event's own parameters; parameters
  // beyond the kind's go by reference.
  const size_t n = 1 + params.size();
  Variant indexRef = Variant::byRef(index);
  auto param = [&](size_t i) -> Variant& { return i == 0 ? indexRef : params[i - 1]; };
  if (const std::span<const ArgMode> modes = indexModesOf(row.kind); modes.size() == n) {
    relay(row.id, n, param, modes, raise);
    return;
  }
  const std::span<const ArgMode> own = modesOf(row.kind);
  std::vector<ArgMode> modes(n, ArgMode::Reference);
  for (size_t i = 0; i < params.size() && i < own.size(); ++i) modes[1 + i] = own[i];
  relay(row.id, n, param, modes, raise);
}

}  // namespace svx
