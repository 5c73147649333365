#include "core/mdl_pict_to_array.h"

#include <cstring>

#include "platform/automation/error.h"

namespace svx {

namespace {

// A memory stream over the system's own memory, living for one conversion.
class MemoryStream {
 public:
  void write(const void* data, size_t n) {
    const auto* p = static_cast<const uint8_t*>(data);
    if (pos_ + n > bytes_.size()) bytes_.resize(pos_ + n);
    std::memcpy(bytes_.data() + pos_, p, n);
    pos_ += n;
  }
  void seekToStart() { pos_ = 0; }
  size_t size() const { return bytes_.size(); }
  void read(void* out, size_t n) {
    if (pos_ + n > bytes_.size()) raise(err::DeviceIOError);
    std::memcpy(out, bytes_.data() + pos_, n);
    pos_ += n;
  }
  std::span<const uint8_t> contents() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
  size_t pos_ = 0;
};

void writeLE32(MemoryStream& s, uint32_t v) {
  const uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                        static_cast<uint8_t>(v >> 24)};
  s.write(b, 4);
}

}  // namespace

SafeArray PictureToByteArray(const Picture& picture) {
  MemoryStream stream;
  const std::vector<uint8_t> persisted = picture.saveToStream();
  stream.write(persisted.data(), persisted.size());
  const auto size = static_cast<int32_t>(stream.size());
  SafeArray out(VT_UI1, {{0, size}});
  stream.seekToStart();
  std::vector<uint8_t> buffer(static_cast<size_t>(size));
  stream.read(buffer.data(), buffer.size());
  for (int32_t i = 0; i < size; ++i) out.set(i, Variant::ui1(buffer[static_cast<size_t>(i)]));
  return out;
}

Picture ByteArrayToPicture(const SafeArray& bytes) {
  const int32_t lower = bytes.lbound(1);
  const int32_t n = bytes.ubound(1) - lower + 1;
  MemoryStream stream;
  writeLE32(stream, PictureStreamTag);
  writeLE32(stream, static_cast<uint32_t>(n));
  if (bytes.dimensions() == 1 && bytes.elementType() == VT_UI1) {
    const auto data = bytes.byteData();
    stream.write(data.data(), data.size());
  } else {
    for (int32_t i = 0; i < n; ++i) {
      const uint8_t b = bytes.get(lower + i).asUI1();
      stream.write(&b, 1);
    }
  }
  stream.seekToStart();
  return Picture::loadFromStream(stream.contents());
}

SafeArray ByteArrayIntake(const Variant& source) {
  const Variant v = source.value();
  const SafeArray* in = v.isArray() ? v.asArray() : nullptr;
  if (!in) raise(err::SubscriptOutOfRange);
  const int32_t lower = in->lbound(1);
  const int32_t upper = in->ubound(1);
  if (upper < lower) raise(err::SubscriptOutOfRange);
  SafeArray out(VT_UI1, {{lower, upper - lower + 1}});
  for (int64_t i = lower; i <= upper; ++i) out.set(static_cast<int32_t>(i), in->get(static_cast<int32_t>(i)));
  return out;
}

}  // namespace svx
