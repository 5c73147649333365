#include "core/event_relay.h"

#include <array>

#include "platform/automation/coerce.h"
#include "platform/automation/dispatch.h"
#include "platform/automation/error.h"

namespace svx {

namespace {

using M = ArgMode;
constexpr ArgMode kKey[] = {M::CopyI2, M::CopyI2};
constexpr ArgMode kAscii[] = {M::CopyI2};
constexpr ArgMode kMouse[] = {M::CopyI2, M::CopyI2, M::CopyR4, M::CopyR4};
constexpr ArgMode kCancel[] = {M::CopyBool};
constexpr ArgMode kItem[] = {M::Reference};
constexpr ArgMode kDataError[] = {M::Reference, M::Reference};

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

// Room for a raise's arguments: on the stack for the common counts.
template <class T>
class ArgBuffer {
 public:
  explicit ArgBuffer(size_t n) : n_(n) {
    if (n > kInline) heap_.resize(n);
  }
  std::span<T> span() { return n_ > kInline ? std::span<T>(heap_) : std::span<T>(inline_.data(), n_); }

 private:
  static constexpr size_t kInline = 6;  // the index and up to five parameters
  size_t n_;
  std::array<T, kInline> inline_{};
  std::vector<T> heap_;
};

}  // namespace

std::vector<ArgMode> argModesOf(RelayKind kind) {
  const std::span<const ArgMode> m = modesOf(kind);
  return {m.begin(), m.end()};
}

void relayEvent(int32_t id, std::span<Variant> params, std::span<const ArgMode> modes, const RaiseFn& raise) {
  ArgBuffer<Variant> argBuffer(params.size());
  ArgBuffer<Variant> refBuffer(params.size());
  const std::span<Variant> args = argBuffer.span();
  const std::span<Variant> refs = refBuffer.span();
  for (size_t i = 0; i < params.size(); ++i) {
    switch (modes[i]) {
      case ArgMode::Reference: args[i] = params[i]; break;
      case ArgMode::CopyI2: args[i] = changeType(params[i], VT_I2); break;
      case ArgMode::CopyR4: args[i] = changeType(params[i], VT_R4); break;
      case ArgMode::CopyBool: args[i] = changeType(params[i], VT_BOOL); break;
    }
    refs[i] = Variant::byRef(args[i]);
  }
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
        Variant arg = Variant::byRef(index);
        Variant ref = Variant::byRef(arg);
        raise(row.id, std::span<Variant>(&ref, 1));
      }
    });
    return;
  }
  const std::span<const ArgMode> own = modesOf(row.kind);
  ArgBuffer<Variant> allBuffer(1 + params.size());
  ArgBuffer<ArgMode> modeBuffer(1 + params.size());
  const std::span<Variant> all = allBuffer.span();
  const std::span<ArgMode> modes = modeBuffer.span();
  all[0] = Variant::byRef(index);
  modes[0] = ArgMode::Reference;
  for (size_t i = 0; i < params.size(); ++i) {
    all[1 + i] = params[i];
    modes[1 + i] = i < own.size() ? own[i] : ArgMode::Reference;
  }
  relayEvent(row.id, all, modes, raise);
}

}  // namespace svx
