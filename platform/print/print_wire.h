// The messages between the printing layer and its print helper program
// (sorvanelix-print-helper), which holds every conversation with the print
// scheduler. A message is a record: named fields in order, a name may
// repeat (one field per item of a list). On the wire: the record's length
// (4 bytes, little-endian), then each field as the name's length, the name,
// the value's length and the value (lengths 4 bytes, little-endian).
//
// Requests carry "op" (list, capabilities, submit), the scheduler's address
// ("server", "port", "encryption") and the home folder whose saved options
// apply ("home"). Answers carry "status": "done", "failed" (with "error")
// or "unreachable".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace svx::print_wire {

// A record larger than this is refused (a document of 1 GiB).
inline constexpr uint32_t kMaxRecord = 1u << 30;

struct Record {
  std::vector<std::pair<std::string, std::string>> fields;

  void add(std::string name, std::string value) { fields.emplace_back(std::move(name), std::move(value)); }
  // The first field of that name, or "".
  std::string_view get(std::string_view name) const {
    for (const auto& [n, v] : fields)
      if (n == name) return v;
    return {};
  }
  bool has(std::string_view name) const {
    for (const auto& f : fields)
      if (f.first == name) return true;
    return false;
  }
  // Every field of that name, in order.
  std::vector<std::string_view> all(std::string_view name) const {
    std::vector<std::string_view> out;
    for (const auto& [n, v] : fields)
      if (n == name) out.push_back(v);
    return out;
  }
};

inline void putLength(std::string& out, size_t n) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
}

inline uint32_t getLength(std::string_view in) {
  uint32_t n = 0;
  for (int i = 0; i < 4; ++i) n |= static_cast<uint32_t>(static_cast<unsigned char>(in[static_cast<size_t>(i)])) << (8 * i);
  return n;
}

// The record with its length in front.
inline std::string encode(const Record& r) {
  size_t size = 0;
  for (const auto& [n, v] : r.fields) size += 8 + n.size() + v.size();
  std::string out;
  out.reserve(size + 4);
  putLength(out, size);
  for (const auto& [n, v] : r.fields) {
    putLength(out, n.size());
    out += n;
    putLength(out, v.size());
    out += v;
  }
  return out;
}

// The record of a body (what follows the length); nullopt when it is cut
// short or overruns.
inline std::optional<Record> decode(std::string_view body) {
  Record r;
  auto take = [&](std::string& to) {
    if (body.size() < 4) return false;
    const uint32_t n = getLength(body);
    body.remove_prefix(4);
    if (body.size() < n) return false;
    to.assign(body.substr(0, n));
    body.remove_prefix(n);
    return true;
  };
  while (!body.empty()) {
    std::string name, value;
    if (!take(name) || !take(value)) return std::nullopt;
    r.add(std::move(name), std::move(value));
  }
  return r;
}

}  // namespace svx::print_wire
