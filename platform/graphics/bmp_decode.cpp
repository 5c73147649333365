// The BMP reader: every header the format has had (OS/2 1.x and 2.x, the
// Windows info header and its V2 to V5 extensions), palettes of any length,
// masks, run-length coding, and the pixels where the file header says they
// are. Every size is checked against the file before pixels are allocated.
#include <algorithm>
#include <array>
#include <bit>

#include "platform/graphics/image_codec.h"
#include "platform/graphics/little_endian.h"

namespace svx {

namespace {

enum Compression : uint32_t { Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3, Jpeg = 4, Png = 5, AlphaBitFields = 6 };

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kOpaqueBlack = 0xFF000000u;

// One colour channel of a pixel word: its mask, and its value widened to
// eight bits by repeating its bits (five bits abcde give abcdeabc).
class Channel {
 public:
  explicit Channel(uint32_t mask) : mask_(mask) {
    if (mask == 0) return;
    shift_ = std::countr_zero(mask);
    int bits = std::bit_width(mask >> shift_);
    if (bits > 8) {  // only the top eight bits count
      shift_ += bits - 8;
      bits = 8;
    }
    bits_ = bits;
    for (uint32_t v = 0; v < (1u << bits); ++v) {
      uint32_t wide = 0;
      int filled = 0;
      while (filled < 8) {
        wide = (wide << bits) | v;
        filled += bits;
      }
      widened_[v] = static_cast<uint8_t>(wide >> (filled - 8));
    }
  }
  bool present() const { return mask_ != 0; }
  uint32_t operator()(uint32_t word) const {
    return widened_[((word & mask_) >> shift_) & ((1u << bits_) - 1)];
  }

 private:
  uint32_t mask_;
  int shift_ = 0;
  int bits_ = 0;
  std::array<uint8_t, 256> widened_{};
};

uint32_t premultiplied(uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
  if (a == 255) return kOpaqueBlack | (r << 16) | (g << 8) | b;
  return (a << 24) | (((r * a + 127) / 255) << 16) | (((g * a + 127) / 255) << 8) | ((b * a + 127) / 255);
}

struct Header {
  int64_t width = 0;
  int64_t height = 0;  // rows; negative in the file for a top-down image
  bool topDown = false;
  int bitCount = 0;
  uint32_t compression = Rgb;
  uint32_t imageSize = 0;
  uint32_t colorsUsed = 0;
  uint32_t masks[4] = {};  // red, green, blue, alpha
  bool haveMasks = false;
  size_t paletteStart = 0;
  size_t paletteEntrySize = 4;
};

// Reads the info header (any of its sizes) of the file `b`; false for one
// this reader cannot take.
bool readHeader(std::span<const uint8_t> b, Header& h) {
  const uint32_t size = readU32(b, kFileHeaderSize);
  if (size < 12 || size > b.size() - kFileHeaderSize) return false;
  const auto field32 = [&](size_t at) -> uint32_t { return at + 4 <= size ? readU32(b, kFileHeaderSize + at) : 0; };
  const auto field16 = [&](size_t at) -> uint16_t { return at + 2 <= size ? readU16(b, kFileHeaderSize + at) : 0; };
  h.paletteStart = kFileHeaderSize + size;
  if (size == 12) {  // OS/2 1.x: 16-bit sizes, palette entries of three bytes
    h.width = field16(4);
    h.height = field16(6);
    h.bitCount = field16(10);
    h.paletteEntrySize = 3;
    return true;
  }
  if (size < 16) return false;
  h.width = static_cast<int32_t>(field32(4));
  const int32_t height = static_cast<int32_t>(field32(8));
  h.topDown = height < 0;
  h.height = height < 0 ? -static_cast<int64_t>(height) : height;
  h.bitCount = field16(14);
  h.compression = field32(16);
  h.imageSize = field32(20);
  h.colorsUsed = field32(32);
  // OS/2 2.x headers are 16 to 64 bytes; their compressions 3 and 4 are
  // Huffman and 24-bit run-length coding, which this reader does not take.
  const bool os2 = size <= 64 && size != 40 && size != 52 && size != 56;
  if (os2) return h.compression == Rgb || h.compression == Rle8 || h.compression == Rle4;
  if (h.compression == BitFields || h.compression == AlphaBitFields) {
    h.haveMasks = true;
    if (size >= 52) {  // the masks are part of the header
      for (size_t i = 0; i < 3; ++i) h.masks[i] = field32(40 + 4 * i);
      if (size >= 56) h.masks[3] = field32(52);
    } else {  // they follow it
      const size_t count = h.compression == AlphaBitFields ? 4 : 3;
      if (b.size() - h.paletteStart < 4 * count) return false;
      for (size_t i = 0; i < count; ++i) h.masks[i] = readU32(b, h.paletteStart + 4 * i);
      h.paletteStart += 4 * count;
    }
  }
  return true;
}

// Palette indexes in one row of 1, 2, 4 or 8 bits per pixel.
inline uint32_t indexAt(const uint8_t* row, int64_t x, int bitCount) {
  if (bitCount == 8) return row[x];
  const int64_t bit = x * bitCount;
  return (row[bit / 8] >> (8 - bitCount - bit % 8)) & ((1u << bitCount) - 1);
}

// Run-length coded pixels (bottom-up, 8 or 4 bits an index). Pixels that
// the runs skip stay transparent; a stream that ends early leaves the rest so.
void decodeRunLength(std::span<const uint8_t> data, bool fourBits, const std::array<uint32_t, 256>& palette,
                     RasterImage& image) {
  const int64_t w = image.width, h = image.height;
  int64_t x = 0, row = 0;
  auto put = [&](int64_t at, uint32_t index) {
    image.at(static_cast<int>(at), static_cast<int>(h - 1 - row)) = palette[index];
  };
  size_t i = 0;
  while (i + 2 <= data.size() && row < h) {
    const uint32_t count = data[i], value = data[i + 1];
    i += 2;
    if (count > 0) {  // a run of one index (two alternating ones with four bits)
      const int64_t n = std::min<int64_t>(count, std::max<int64_t>(0, w - x));
      for (int64_t k = 0; k < n; ++k) put(x + k, fourBits ? (k % 2 ? value & 0x0F : value >> 4) : value);
      x += count;
    } else if (value == 0) {  // end of the row
      x = 0;
      ++row;
    } else if (value == 1) {  // end of the image
      break;
    } else if (value == 2) {  // move right and up
      if (i + 2 > data.size()) break;
      x += data[i];
      row += data[i + 1];
      i += 2;
    } else {  // `value` indexes as they are, padded to a 16-bit boundary
      const size_t bytes = fourBits ? (value + 1) / 2 : value;
      if (bytes > data.size() - i) break;
      const int64_t n = std::min<int64_t>(value, std::max<int64_t>(0, w - x));
      for (int64_t k = 0; k < n; ++k)
        put(x + k, fourBits ? (k % 2 ? data[i + k / 2] & 0x0F : data[i + k / 2] >> 4) : data[i + k]);
      x += value;
      i += bytes + (bytes & 1);
    }
  }
}

}  // namespace

std::optional<RasterImage> decodeBmp(std::span<const uint8_t> b, bool* tooLarge) {
  if (tooLarge) *tooLarge = false;
  if (b.size() < kFileHeaderSize + 4 || b[0] != 'B' || b[1] != 'M') return std::nullopt;
  Header h;
  if (!readHeader(b, h)) return std::nullopt;
  if (h.width <= 0 || h.height <= 0) return std::nullopt;
  const bool runLength = h.compression == Rle8 || h.compression == Rle4;
  if (runLength && h.topDown) return std::nullopt;

  // The palette: its declared entries, as many as fit before the pixels.
  const bool indexed = h.bitCount <= 8;
  const uint64_t declared = h.colorsUsed ? h.colorsUsed : indexed ? (1u << h.bitCount) : 0;
  const uint32_t offBits = readU32(b, 10);
  uint64_t dataStart = offBits;
  uint64_t entries = declared;
  if (dataStart >= h.paletteStart) {
    entries = std::min(declared, (dataStart - h.paletteStart) / h.paletteEntrySize);
  } else {  // no offset given (or one inside the headers): the pixels follow the palette
    dataStart = h.paletteStart + declared * h.paletteEntrySize;
  }
  if (dataStart > b.size()) return std::nullopt;
  const std::span<const uint8_t> data = b.subspan(static_cast<size_t>(dataStart));

  // An image file inside the bitmap.
  if (h.compression == Jpeg || h.compression == Png) {
    if (h.bitCount != 0 && h.bitCount != 24 && h.bitCount != 32) return std::nullopt;
    const auto inner = data.first(h.imageSize && h.imageSize <= data.size() ? h.imageSize : data.size());
    const ImageFormat format = sniffImageFormat(inner);
    if (format != (h.compression == Jpeg ? ImageFormat::Jpeg : ImageFormat::Png)) return std::nullopt;
    return decodeImage(inner, tooLarge);
  }

  switch (h.bitCount) {
    case 1:
    case 2:
    case 4:
    case 8:
      if (h.compression != Rgb && !(h.compression == Rle8 && h.bitCount == 8) &&
          !(h.compression == Rle4 && h.bitCount == 4))
        return std::nullopt;
      break;
    case 16:
    case 32:
      if (h.compression != Rgb && !h.haveMasks) return std::nullopt;
      break;
    case 24:
      if (h.compression != Rgb) return std::nullopt;
      break;
    default: return std::nullopt;
  }

  // Uncompressed rows are padded to four bytes (the last may stop at its
  // last pixel); a file too short for them is no picture.
  const uint64_t rowBytes = ((static_cast<uint64_t>(h.width) * h.bitCount + 31) / 32) * 4;
  if (!runLength) {
    const uint64_t lastRow = (static_cast<uint64_t>(h.width) * h.bitCount + 7) / 8;
    if (lastRow > data.size() || static_cast<uint64_t>(h.height - 1) > (data.size() - lastRow) / rowBytes)
      return std::nullopt;
  }
  if (h.width * h.height > kMaxDecodedPixels) {
    if (tooLarge) *tooLarge = true;
    return std::nullopt;
  }

  std::array<uint32_t, 256> palette;
  palette.fill(kOpaqueBlack);  // indexes beyond a short palette
  if (indexed) {
    for (size_t i = 0; i < std::min<uint64_t>(entries, 256); ++i) {
      const uint8_t* p = b.data() + h.paletteStart + i * h.paletteEntrySize;
      palette[i] = kOpaqueBlack | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
    }
  }

  const int w = static_cast<int>(h.width), ht = static_cast<int>(h.height);
  if (runLength) {
    RasterImage image(w, ht, 0);
    decodeRunLength(data, h.compression == Rle4, palette, image);
    return image;
  }

  if (h.compression == Rgb) {
    h.masks[3] = 0;
    if (h.bitCount == 16) h.masks[0] = 0x7C00, h.masks[1] = 0x03E0, h.masks[2] = 0x001F;
    if (h.bitCount == 32) h.masks[0] = 0xFF0000, h.masks[1] = 0xFF00, h.masks[2] = 0xFF;
  }
  const Channel red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]), alpha(h.masks[3]);

  RasterImage image(w, ht);
  for (int r = 0; r < ht; ++r) {
    const uint8_t* row = data.data() + static_cast<size_t>(r) * rowBytes;
    uint32_t* out = &image.at(0, h.topDown ? r : ht - 1 - r);
    switch (h.bitCount) {
      case 16:
      case 32:
        for (int x = 0; x < w; ++x) {
          const uint8_t* p = row + (h.bitCount / 8) * x;
          const uint32_t word = h.bitCount == 16 ? p[0] | (p[1] << 8)
                                                 : p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t{p[3]} << 24);
          out[x] = premultiplied(red(word), green(word), blue(word), alpha.present() ? alpha(word) : 255);
        }
        break;
      case 24:
        for (int x = 0; x < w; ++x) {
          const uint8_t* p = row + 3 * x;
          out[x] = kOpaqueBlack | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
        }
        break;
      default:
        for (int x = 0; x < w; ++x) out[x] = palette[indexAt(row, x, h.bitCount)];
        break;
    }
  }
  return image;
}

}  // namespace svx
