#include "core/event_relay.h"

#include "platform/automation/coerce.h"
#include "platform/automation/dispatch.h"
#include "platform/automation/error.h"

namespace svx {

std::vector<ArgMode> argModesOf(RelayKind kind) {
  using M = ArgMode;
  switch (kind) {
    case RelayKind::Key: return {M::CopyI2, M::CopyI2};
    case RelayKind::Ascii: return {M::CopyI2};
    case RelayKind::Mouse: return {M::CopyI2, M::CopyI2, M::CopyR4, M::CopyR4};
    case RelayKind::Cancel: return {M::CopyBool};
    case RelayKind::Item: return {M::Reference};
    case RelayKind::DataError: return {M::Reference, M::Reference};
    default: return {};
  }
}

void relayEvent(int32_t id, std::span<Variant> params, std::span<const ArgMode> modes, const RaiseFn& raise) {
  std::vector<Variant> args;
  args.reserve(params.size());
  for (size_t i = 0; i < params.size(); ++i) {
    switch (modes[i]) {
      case ArgMode::Reference: args.push_back(params[i]); break;
      case ArgMode::CopyI2: args.push_back(changeType(params[i], VT_I2)); break;
      case ArgMode::CopyR4: args.push_back(changeType(params[i], VT_R4)); break;
      case ArgMode::CopyBool: args.push_back(changeType(params[i], VT_BOOL)); break;
    }
  }
  std::vector<Variant> refs = refsTo(args);
  raise(id, refs);
  for (size_t i = 0; i < params.size(); ++i) {
    if (modes[i] == ArgMode::Reference) continue;
    const uint16_t type = modes[i] == ArgMode::CopyI2 ? VT_I2 : modes[i] == ArgMode::CopyR4 ? VT_R4 : VT_BOOL;
    try {
      params[i].assign(changeType(args[i], type));
    } catch (const RuntimeError&) {
      return;  // the rest keep the values the control passed
    }
  }
}

void relayControlEvent(const FormEventRow& row, int16_t& index, std::span<Variant> params, const RaiseFn& raise) {
  if (row.kind == RelayKind::Timer) {
    ignoreErrors([&] {
      if (index > 0) {
        std::vector<Variant> args{Variant::byRef(index)};
        std::vector<Variant> refs = refsTo(args);
        raise(row.id, refs);
      }
    });
    return;
  }
  const std::vector<ArgMode> own = argModesOf(row.kind);
  std::vector<Variant> all;
  all.reserve(1 + params.size());
  all.push_back(Variant::byRef(index));
  for (Variant& p : params) all.push_back(p);
  std::vector<ArgMode> modes{ArgMode::Reference};
  modes.insert(modes.end(), own.begin(), own.end());
  modes.resize(all.size(), ArgMode::Reference);
  relayEvent(row.id, all, modes, raise);
}

}  // namespace svx
