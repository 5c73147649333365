// The BMP reader against the pixels a small BMP writer of the test put into
// each layout of the format, and against gdk-pixbuf's reader for the layouts
// that one reads right.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/graphics/image_codec.h"
#include "platform/graphics/picture.h"
#include "tests/platform/graphics/graphics_test_util.h"

namespace svx {
namespace {

using test::errorOf;

enum : uint32_t { Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3, AlphaBitFields = 6 };

struct Layout {
  const char* name;
  uint32_t headerSize;  // 12 and 16..64: OS/2; 40, 52, 56, 108, 124: Windows
  int bitCount;
  uint32_t compression = Rgb;
  int paletteEntries = 0;  // written to the file
  uint32_t colorsUsed = 0;  // the header's count
  int gap = 0;              // bytes between the palette and the pixels
  bool topDown = false;
  std::array<uint32_t, 4> masks{};  // red, green, blue, alpha
  bool runLengthSkips = false;      // a move and an early end leave pixels out
  bool pixbufReadsIt = true;        // gdk-pixbuf decodes it to the same pixels
};

void put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}
void set32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  for (int s = 0; s < 32; s += 8) out[at + s / 8] = static_cast<uint8_t>(v >> s);
}
size_t pixelOffset(const std::vector<uint8_t>& file) {  // the pixels' offset
  return file[10] | file[11] << 8 | file[12] << 16 | static_cast<size_t>(file[13]) << 24;
}

uint32_t paletteColour(int i) {
  return (static_cast<uint32_t>(i * 37 + 11) & 0xFF) << 16 | (static_cast<uint32_t>(i * 91 + 7) & 0xFF) << 8 |
         (static_cast<uint32_t>(i * 53 + 200) & 0xFF);
}

// A channel's value widened to eight bits, as the format means it: its
// bits repeated (a 5-bit value abcde is abcdeabc); above eight bits, the
// top eight.
uint32_t widen(uint32_t v, int bits) {
  if (bits >= 8) return v >> (bits - 8);
  uint32_t out = 0;
  for (int i = 7; i >= 0; --i) out |= ((v >> ((bits - 1) - (7 - i) % bits)) & 1) << i;
  return out;
}

int maskShift(uint32_t m) { return m ? __builtin_ctz(m) : 0; }
int maskBits(uint32_t m) { return m ? 32 - __builtin_clz(m >> maskShift(m)) : 0; }

uint32_t premultiply(uint32_t rgb, uint32_t a) {
  const uint32_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  return a << 24 | ((r * a + 127) / 255) << 16 | ((g * a + 127) / 255) << 8 | ((b * a + 127) / 255);
}

struct Written {
  std::vector<uint8_t> file;
  RasterImage pixels;  // what the file means
};

constexpr int kWidth = 13;
constexpr int kHeight = 6;

// Run-length codes of one row's indexes from x0 to x1: runs of one index
// coded as runs, three or more single pixels as they are.
void runLengthSegment(std::vector<uint8_t>& out, const std::vector<int>& idx, int x0, int x1, bool fourBits) {
  int i = x0;
  while (i < x1) {
    int run = 1;
    while (i + run < x1 && idx[i + run] == idx[i] && run < 255) ++run;
    if (run >= 2) {
      out.push_back(static_cast<uint8_t>(run));
      out.push_back(static_cast<uint8_t>(fourBits ? idx[i] * 17 : idx[i]));
      i += run;
      continue;
    }
    int single = 1;
    while (i + single < x1 && (i + single + 1 >= x1 || idx[i + single] != idx[i + single + 1]) && single < 255)
      ++single;
    if (single < 3) {
      out.push_back(1);
      out.push_back(static_cast<uint8_t>(fourBits ? idx[i] * 17 : idx[i]));
      ++i;
      continue;
    }
    out.push_back(0);
    out.push_back(static_cast<uint8_t>(single));
    size_t bytes = 0;
    for (int k = 0; k < single; k += fourBits ? 2 : 1, ++bytes)
      out.push_back(static_cast<uint8_t>(fourBits ? idx[i + k] << 4 | (k + 1 < single ? idx[i + k + 1] : 0)
                                                  : idx[i + k]));
    if (bytes % 2) out.push_back(0);
    i += single;
  }
}

Written writeBmp(const Layout& l) {
  const int w = kWidth, h = kHeight;
  Written result{{}, RasterImage(w, h, 0)};
  std::vector<uint8_t>& out = result.file;
  out = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  const size_t header = out.size();
  put32(out, l.headerSize);
  if (l.headerSize == 12) {
    put16(out, w);
    put16(out, h);
    put16(out, 1);
    put16(out, l.bitCount);
  } else {
    put32(out, w);
    put32(out, l.topDown ? static_cast<uint32_t>(-h) : h);
    put16(out, 1);
    put16(out, l.bitCount);
    put32(out, l.compression);
    put32(out, 0);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, l.colorsUsed);
    put32(out, 0);
    const bool windows = l.headerSize == 52 || l.headerSize == 56 || l.headerSize > 64;
    if (windows && l.headerSize >= 52)
      for (int i = 0; i < (l.headerSize >= 56 ? 4 : 3); ++i) put32(out, l.masks[i]);
  }
  out.resize(header + l.headerSize, 0);
  if (l.headerSize == 40 && (l.compression == BitFields || l.compression == AlphaBitFields))
    for (int i = 0; i < (l.compression == AlphaBitFields ? 4 : 3); ++i) put32(out, l.masks[i]);
  for (int i = 0; i < l.paletteEntries; ++i) {
    const uint32_t c = paletteColour(i);
    out.push_back(static_cast<uint8_t>(c));
    out.push_back(static_cast<uint8_t>(c >> 8));
    out.push_back(static_cast<uint8_t>(c >> 16));
    if (l.headerSize != 12) out.push_back(0);
  }
  out.insert(out.end(), l.gap, 0xA5);
  set32(out, 10, static_cast<uint32_t>(out.size()));

  const bool indexed = l.bitCount <= 8;
  const int colours = indexed ? std::min(1 << l.bitCount, l.paletteEntries) : 0;
  auto index = [&](int x, int y) { return (x < w / 2 ? x / 3 + y : x * 5 + y) % colours; };
  auto rgb = [](int x, int y) {
    return static_cast<uint32_t>((x * 40 + y * 13) & 0xFF) << 16 | static_cast<uint32_t>((y * 50 + x * 7) & 0xFF) << 8 |
           static_cast<uint32_t>((x * y * 9 + 30) & 0xFF);
  };
  auto alphaOf = [](int x, int y) { return static_cast<uint32_t>(x * 30 + y * 40 + (x == 0 ? 0 : 15)) & 0xFF; };

  if (l.compression == Rle8 || l.compression == Rle4) {
    const bool fourBits = l.compression == Rle4;
    for (int row = 0; row < h; ++row) {
      const int y = h - 1 - row;
      std::vector<int> idx(w);
      for (int x = 0; x < w; ++x) idx[x] = index(x, y);
      auto segment = [&](int x0, int x1) {
        runLengthSegment(out, idx, x0, x1, fourBits);
        for (int x = x0; x < x1; ++x) result.pixels.at(x, y) = 0xFF000000u | paletteColour(idx[x]);
      };
      if (l.runLengthSkips && row == 1) {
        segment(0, 2);
        out.insert(out.end(), {0, 2, 3, 1});  // three right, one up: row 2 from x = 5
        continue;
      }
      if (l.runLengthSkips && row == 2) {
        segment(5, w);
      } else if (l.runLengthSkips && row == h - 1) {
        break;  // the top row is left out
      } else {
        segment(0, w);
      }
      out.insert(out.end(), {0, 0});
    }
    out.insert(out.end(), {0, 1});
  } else {
    std::array<int, 4> shift{}, bits{};
    std::array<uint32_t, 4> masks = l.masks;
    if (l.compression == Rgb && l.bitCount == 16) masks = {0x7C00, 0x03E0, 0x001F, 0};
    if (l.compression == Rgb && l.bitCount == 32) masks = {0xFF0000, 0xFF00, 0xFF, 0};
    for (int c = 0; c < 4; ++c) shift[c] = maskShift(masks[c]), bits[c] = maskBits(masks[c]);
    for (int row = 0; row < h; ++row) {
      const int y = l.topDown ? row : h - 1 - row;
      const size_t start = out.size();
      uint32_t acc = 0;
      int used = 0;
      for (int x = 0; x < w; ++x) {
        if (indexed) {
          const int i = index(x, y);
          acc = acc << l.bitCount | static_cast<uint32_t>(i);
          used += l.bitCount;
          if (used == 8) out.push_back(static_cast<uint8_t>(acc)), acc = 0, used = 0;
          result.pixels.at(x, y) = 0xFF000000u | paletteColour(i);
        } else if (l.bitCount == 24) {
          const uint32_t c = rgb(x, y);
          out.insert(out.end(), {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c >> 16)});
          result.pixels.at(x, y) = 0xFF000000u | c;
        } else {
          const uint32_t c = rgb(x, y);
          const uint32_t want[4] = {c >> 16 & 0xFF, c >> 8 & 0xFF, c & 0xFF, alphaOf(x, y)};
          uint32_t word = l.compression == Rgb && l.bitCount == 32 ? 0x55000000u : 0;  // an unused byte
          uint32_t got[4];
          for (int k = 0; k < 4; ++k) {
            if (!masks[k]) continue;
            // Wider channels take the 8 bits at their top and ones below.
            const uint32_t v = bits[k] >= 8 ? (want[k] << (bits[k] - 8)) | ((1u << (bits[k] - 8)) - 1)
                                            : want[k] >> (8 - bits[k]);
            word |= v << shift[k];
            got[k] = widen(v, bits[k]);
          }
          for (int b = 0; b < l.bitCount; b += 8) out.push_back(static_cast<uint8_t>(word >> b));
          result.pixels.at(x, y) =
              premultiply(got[0] << 16 | got[1] << 8 | got[2], masks[3] ? got[3] : 255);
        }
      }
      if (used) out.push_back(static_cast<uint8_t>(acc << (8 - used)));
      out.resize(start + (out.size() - start + 3) / 4 * 4, 0);
    }
  }
  set32(out, 2, static_cast<uint32_t>(out.size()));
  return result;
}

// gdk-pixbuf's reading of an image file, in the layout of RasterImage.
std::optional<RasterImage> pixbufDecode(const std::vector<uint8_t>& bytes) {
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
  const bool written = gdk_pixbuf_loader_write(loader, bytes.data(), bytes.size(), nullptr);
  const bool closed = gdk_pixbuf_loader_close(loader, nullptr);
  GdkPixbuf* pixbuf = written && closed ? gdk_pixbuf_loader_get_pixbuf(loader) : nullptr;
  std::optional<RasterImage> image;
  if (pixbuf) {
    const int w = gdk_pixbuf_get_width(pixbuf), h = gdk_pixbuf_get_height(pixbuf);
    const int n = gdk_pixbuf_get_n_channels(pixbuf), stride = gdk_pixbuf_get_rowstride(pixbuf);
    const bool alpha = gdk_pixbuf_get_has_alpha(pixbuf);
    const guint8* data = gdk_pixbuf_read_pixels(pixbuf);
    image.emplace(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const guint8* p = data + y * stride + x * n;
        image->at(x, y) = premultiply(uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2], alpha ? p[3] : 255);
      }
  }
  g_object_unref(loader);
  return image;
}

// "" when the images are equal, else where they first differ.
std::string difference(const RasterImage& got, const RasterImage& want) {
  if (got.width != want.width || got.height != want.height)
    return "size " + std::to_string(got.width) + "x" + std::to_string(got.height) + ", not " +
           std::to_string(want.width) + "x" + std::to_string(want.height);
  for (int y = 0; y < got.height; ++y)
    for (int x = 0; x < got.width; ++x)
      if (got.at(x, y) != want.at(x, y)) {
        char text[96];
        std::snprintf(text, sizeof text, "pixel (%d, %d) is %08X, not %08X", x, y, got.at(x, y), want.at(x, y));
        return text;
      }
  return {};
}

const Layout kLayouts[] = {
    {"os2-1bit", 12, 1, Rgb, 2},
    {"os2-4bit", 12, 4, Rgb, 16},
    {"os2-8bit", 12, 8, Rgb, 256},
    // An OS/2 palette shorter than the bit count allows, the pixels right
    // after it.
    {"os2-8bit-short-palette", 12, 8, Rgb, 100, 0, 0, false, {}, false, false},
    {"os2v2-8bit", 64, 8, Rgb, 256},
    {"os2v2-16-byte-header-4bit", 16, 4, Rgb, 16, 0, 0, false, {}, false, false},
    {"1bit", 40, 1, Rgb, 2},
    {"2bit", 40, 2, Rgb, 4, 0, 0, false, {}, false, false},
    {"4bit", 40, 4, Rgb, 16},
    {"4bit-short-palette", 40, 4, Rgb, 10, 10},
    {"8bit", 40, 8, Rgb, 256},
    {"8bit-short-palette", 40, 8, Rgb, 20, 20},
    {"8bit-oversized-palette", 40, 8, Rgb, 300, 300, 0, false, {}, false, false},
    // The pixels at the file header's offset, past a gap after the palette.
    {"8bit-palette-gap", 40, 8, Rgb, 256, 0, 100, false, {}, false, false},
    {"8bit-top-down", 40, 8, Rgb, 256, 0, 0, true},
    {"8bit-v4", 108, 8, Rgb, 256},
    {"8bit-v5", 124, 8, Rgb, 256},
    {"rle8", 40, 8, Rle8, 256},
    {"rle8-skips", 40, 8, Rle8, 256, 0, 0, false, {}, true},
    {"rle4", 40, 4, Rle4, 16},
    {"rle4-skips", 40, 4, Rle4, 16, 0, 0, false, {}, true},
    {"16bit-555", 40, 16, Rgb},
    {"16bit-565", 40, 16, BitFields, 0, 0, 0, false, {0xF800, 0x07E0, 0x001F, 0}},
    // Masks, then a palette the pixels do not use, then the pixels.
    {"16bit-565-palette", 40, 16, BitFields, 256, 256, 0, false, {0xF800, 0x07E0, 0x001F, 0}, false, false},
    // gdk-pixbuf takes 16-bit pixels as opaque.
    {"16bit-4444-alpha", 124, 16, BitFields, 0, 0, 0, false, {0x0F00, 0x00F0, 0x000F, 0xF000}, false, false},
    {"16bit-1555-alpha", 124, 16, BitFields, 0, 0, 0, false, {0x7C00, 0x03E0, 0x001F, 0x8000}, false, false},
    {"24bit", 40, 24, Rgb},
    {"24bit-top-down", 40, 24, Rgb, 0, 0, 0, true},
    {"24bit-gap", 40, 24, Rgb, 0, 0, 52},
    {"32bit", 40, 32, Rgb},
    {"32bit-bitfields-bgr", 40, 32, BitFields, 0, 0, 0, false, {0xFF, 0xFF00, 0xFF0000, 0}},
    {"32bit-10-bit-channels", 40, 32, BitFields, 0, 0, 0, false, {0x3FF00000, 0x000FFC00, 0x000003FF, 0}},
    {"32bit-alpha-v3", 56, 32, BitFields, 0, 0, 0, false, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}},
    {"32bit-alpha-v4", 108, 32, BitFields, 0, 0, 0, false, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}},
    {"32bit-alpha-v5", 124, 32, BitFields, 0, 0, 0, false, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}},
    {"32bit-alpha-bitfields", 40, 32, AlphaBitFields, 0, 0, 0, false, {0xFF0000, 0xFF00, 0xFF, 0xFF000000},
     false, false},
};

TEST(BmpDecode, EveryLayoutDecodesToTheWrittenPixels) {
  for (const Layout& l : kLayouts) {
    const Written w = writeBmp(l);
    const auto ours = decodeImage(w.file);
    ASSERT_TRUE(ours) << l.name;
    EXPECT_EQ(difference(*ours, w.pixels), "") << l.name;
    if (l.pixbufReadsIt) {
      const auto theirs = pixbufDecode(w.file);
      ASSERT_TRUE(theirs) << l.name;
      EXPECT_EQ(difference(*ours, *theirs), "") << l.name << " against gdk-pixbuf";
    }
    // As a picture: a bitmap of its size, written back as it was read.
    const Picture p = Picture::fromFileBytes(w.file);
    EXPECT_EQ(p.type(), PictureType::Bitmap) << l.name;
    EXPECT_EQ(p.widthPixels(), kWidth) << l.name;
    EXPECT_TRUE(std::equal(w.file.begin(), w.file.end(), p.fileBytes().begin(), p.fileBytes().end())) << l.name;
  }
}


Layout layoutNamed(const std::string& name) {
  for (const Layout& l : kLayouts)
    if (l.name == name) return l;
  ADD_FAILURE() << name;
  return kLayouts[0];
}

void setSize(std::vector<uint8_t>& file, uint32_t width, uint32_t height) {
  set32(file, 18, width);
  set32(file, 22, height);
}

// Headers that claim more than the file holds, or that the format does not
// have: no picture (481), found before pixels are allocated.
TEST(BmpDecode, AFileThatCannotHoldItsPixelsIsNoPicture) {
  struct Case {
    const char* name;
    std::vector<uint8_t> file;
  };
  std::vector<Case> cases;
  {
    std::vector<uint8_t> tiny = writeBmp(layoutNamed("24bit")).file;
    setSize(tiny, 3000, 3000);
    tiny.resize(57);
    cases.push_back({"57 bytes, 3000 x 3000", tiny});
  }
  {
    std::vector<uint8_t> small = writeBmp(layoutNamed("8bit")).file;
    setSize(small, 2000, 1500);
    small.resize(24 * 1024, 0x11);
    cases.push_back({"24 KB, 2000 x 1500", small});
  }
  const std::vector<uint8_t> full = writeBmp(layoutNamed("24bit")).file;
  // Rows of 13 pixels are 39 bytes and a byte of padding; the last row may
  // stop at its last pixel, not before.
  cases.push_back({"the last row short", {full.begin(), full.end() - 2}});
  {
    std::vector<uint8_t> f = full;
    set32(f, 10, static_cast<uint32_t>(f.size()) + 1);
    cases.push_back({"pixels beyond the end", f});
  }
  auto patched = [&](const char* layout, size_t at, uint32_t value, int bytes = 4) {
    std::vector<uint8_t> f = writeBmp(layoutNamed(layout)).file;
    for (int i = 0; i < bytes; ++i) f[at + i] = static_cast<uint8_t>(value >> (8 * i));
    return f;
  };
  cases.push_back({"header larger than the file", patched("24bit", 14, 100000)});
  cases.push_back({"header of 11 bytes", patched("24bit", 14, 11)});
  cases.push_back({"no width", patched("24bit", 18, 0)});
  cases.push_back({"negative width", patched("24bit", 18, static_cast<uint32_t>(-13))});
  cases.push_back({"no height", patched("24bit", 22, 0)});
  cases.push_back({"3 bits a pixel", patched("8bit", 28, 3, 2)});
  cases.push_back({"64 bits a pixel", patched("24bit", 28, 64, 2)});
  cases.push_back({"run-length coded top-down", patched("rle8", 22, static_cast<uint32_t>(-kHeight))});
  cases.push_back({"run-length coding of 24-bit pixels", patched("24bit", 30, Rle8)});
  cases.push_back({"masks for 24-bit pixels", patched("24bit", 30, BitFields)});
  cases.push_back({"OS/2 Huffman coding", patched("os2v2-8bit", 30, 3)});
  {
    std::vector<uint8_t> f = patched("8bit", 46, 0xFFFFFFF0u);  // a palette of 4 billion colours
    set32(f, 10, 0);
    cases.push_back({"a palette beyond the end", f});
  }

  test::TempDir dir;
  for (const Case& c : cases) {
    bool tooLarge = true;
    EXPECT_FALSE(decodeImage(c.file, &tooLarge)) << c.name;
    EXPECT_FALSE(tooLarge) << c.name;
    EXPECT_EQ(errorOf([&] { Picture::fromFileBytes(c.file); }), err::InvalidPicture) << c.name;
  }
  test::writeFile(dir / "claims.bmp", cases[0].file);
  EXPECT_EQ(errorOf([&] { LoadPicture(utf16((dir / "claims.bmp").string())); }), err::InvalidPicture);
  // The last row without its padding is whole.
  EXPECT_TRUE(decodeImage(std::vector<uint8_t>(full.begin(), full.end() - 1)));
}

// A file that does hold more pixels than a picture may have is too large
// for memory (7): run-length coding holds many in a few bytes.
TEST(BmpDecode, ImagesOfTooManyPixelsAreOutOfMemory) {
  std::vector<uint8_t> runLength = writeBmp(layoutNamed("rle8")).file;
  setSize(runLength, 60000, 60000);
  std::vector<uint8_t> oneBit = writeBmp(layoutNamed("1bit")).file;
  const uint32_t side = 8193;
  setSize(oneBit, side, side);
  oneBit.resize(pixelOffset(oneBit) + size_t{side} * ((side + 31) / 32 * 4));
  for (const auto& file : {runLength, oneBit}) {
    bool tooLarge = false;
    EXPECT_FALSE(decodeImage(file, &tooLarge));
    EXPECT_TRUE(tooLarge);
    EXPECT_EQ(errorOf([&] { Picture::fromFileBytes(file); }), err::OutOfMemory);
  }
}

// Damaged files (cut short anywhere, header and palette bytes changed) are
// read within their bytes, whatever they claim. The size stays as written,
// so that no case allocates much.
TEST(BmpDecode, DamagedFilesAreReadWithinTheirBytes) {
  uint32_t seed = 12345;
  auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
  for (const Layout& l : kLayouts) {
    const std::vector<uint8_t> file = writeBmp(l).file;
    for (size_t n = 0; n < file.size(); ++n) decodeImage(std::vector<uint8_t>(file.begin(), file.begin() + n));
    const size_t front = std::min<size_t>(file.size(), 14 + l.headerSize + 64);
    for (int round = 0; round < 200; ++round) {
      std::vector<uint8_t> damaged = file;
      for (int k = 0; k < 3; ++k) {
        const size_t at = 2 + next() % (front - 2);
        if (at >= 18 && at < 26) continue;  // the width and height
        damaged[at] = static_cast<uint8_t>(next() >> 24);
      }
      damaged.resize(damaged.size() - next() % 8);
      decodeImage(damaged);
    }
  }
}

}  // namespace
}  // namespace svx
