#include "platform/graphics/image_codec.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <cstring>

#include "platform/graphics/cairo_util.h"
#include "platform/graphics/little_endian.h"

namespace svx {

namespace {

bool startsWith(std::span<const uint8_t> bytes, std::initializer_list<uint8_t> magic) {
  return bytes.size() >= magic.size() && std::equal(magic.begin(), magic.end(), bytes.begin());
}

uint8_t unpremultiply(uint32_t channel, uint32_t alpha) {
  return alpha == 0 ? 0 : static_cast<uint8_t>(std::min<uint32_t>(255, (channel * 255 + alpha / 2) / alpha));
}

}  // namespace

ImageFormat sniffImageFormat(std::span<const uint8_t> bytes) {
  if (startsWith(bytes, {'B', 'M'})) return ImageFormat::Bmp;
  if (startsWith(bytes, {'G', 'I', 'F', '8'})) return ImageFormat::Gif;
  if (startsWith(bytes, {0xFF, 0xD8, 0xFF})) return ImageFormat::Jpeg;
  if (startsWith(bytes, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A})) return ImageFormat::Png;
  if (startsWith(bytes, {0, 0, 1, 0})) return ImageFormat::Icon;
  if (startsWith(bytes, {0, 0, 2, 0})) return ImageFormat::Cursor;
  return ImageFormat::Unknown;
}

std::optional<RasterImage> decodeImage(std::span<const uint8_t> bytes, bool* tooLarge) {
  if (tooLarge) *tooLarge = false;
  const ImageFormat format = sniffImageFormat(bytes);
  if (format == ImageFormat::Unknown) return std::nullopt;
  if (format == ImageFormat::Bmp) return decodeBmp(bytes, tooLarge);
  std::unique_ptr<GdkPixbufLoader, gfx::GObjectDeleter> loader(gdk_pixbuf_loader_new());
  // The size is known from the header, before the pixels are allocated: a
  // size of 0 makes the loader give up on an image that is too large.
  bool refused = false;
  g_signal_connect(loader.get(), "size-prepared",
                   G_CALLBACK(+[](GdkPixbufLoader* l, gint w, gint h, gpointer flag) {
                     if (static_cast<int64_t>(w) * h > kMaxDecodedPixels) {
                       *static_cast<bool*>(flag) = true;
                       gdk_pixbuf_loader_set_size(l, 0, 0);
                     }
                   }),
                   &refused);
  GError* error = nullptr;
  bool ok = gdk_pixbuf_loader_write(loader.get(), bytes.data(), bytes.size(), &error);
  if (error) g_clear_error(&error);
  // Close even after a failed write, so the loader ends cleanly.
  ok = gdk_pixbuf_loader_close(loader.get(), &error) && ok;
  if (error) g_clear_error(&error);
  if (refused) {
    if (tooLarge) *tooLarge = true;
    return std::nullopt;
  }
  GdkPixbuf* pixbuf = ok ? gdk_pixbuf_loader_get_pixbuf(loader.get()) : nullptr;
  if (!pixbuf || gdk_pixbuf_get_colorspace(pixbuf) != GDK_COLORSPACE_RGB ||
      gdk_pixbuf_get_bits_per_sample(pixbuf) != 8)
    return std::nullopt;

  const int w = gdk_pixbuf_get_width(pixbuf);
  const int h = gdk_pixbuf_get_height(pixbuf);
  const int channels = gdk_pixbuf_get_n_channels(pixbuf);
  const bool alpha = gdk_pixbuf_get_has_alpha(pixbuf);
  const int stride = gdk_pixbuf_get_rowstride(pixbuf);
  const guint8* data = gdk_pixbuf_read_pixels(pixbuf);
  if (w <= 0 || h <= 0 || channels < (alpha ? 4 : 3)) return std::nullopt;

  RasterImage image(w, h);
  for (int y = 0; y < h; ++y) {
    const guint8* row = data + static_cast<size_t>(y) * stride;
    for (int x = 0; x < w; ++x) {
      const guint8* p = row + static_cast<size_t>(x) * channels;
      const uint32_t a = alpha ? p[3] : 255;
      const uint32_t r = (p[0] * a + 127) / 255, g = (p[1] * a + 127) / 255, b = (p[2] * a + 127) / 255;
      image.at(x, y) = (a << 24) | (r << 16) | (g << 8) | b;
    }
  }
  return image;
}

std::vector<uint8_t> encodeBmp(const RasterImage& image) {
  const bool alpha = image.hasTransparency();
  const uint32_t headerSize = alpha ? 124 : 40;
  const uint32_t rowBytes = alpha ? image.width * 4u : (image.width * 3u + 3u) & ~3u;
  const uint32_t dataOffset = 14 + headerSize;
  const uint32_t dataSize = rowBytes * image.height;

  std::vector<uint8_t> out;
  out.reserve(dataOffset + dataSize);
  // BITMAPFILEHEADER
  out.push_back('B');
  out.push_back('M');
  putU32(out, dataOffset + dataSize);
  putU32(out, 0);
  putU32(out, dataOffset);
  // BITMAPINFOHEADER / BITMAPV5HEADER
  putU32(out, headerSize);
  putU32(out, static_cast<uint32_t>(image.width));
  putU32(out, static_cast<uint32_t>(image.height));  // bottom-up
  putU16(out, 1);
  putU16(out, alpha ? 32 : 24);
  putU32(out, alpha ? 3 : 0);  // BI_BITFIELDS : BI_RGB
  putU32(out, dataSize);
  putU32(out, 3780);  // 96 dpi in pixels per metre
  putU32(out, 3780);
  putU32(out, 0);
  putU32(out, 0);
  if (alpha) {
    putU32(out, 0x00FF0000);  // red mask
    putU32(out, 0x0000FF00);
    putU32(out, 0x000000FF);
    putU32(out, 0xFF000000);  // alpha mask
    putU32(out, 0x73524742);  // LCS_sRGB
    out.resize(out.size() + 36 + 12, 0);  // endpoints, gamma
    putU32(out, 4);                       // LCS_GM_IMAGES
    putU32(out, 0);
    putU32(out, 0);
    putU32(out, 0);
  }
  for (int y = image.height - 1; y >= 0; --y) {
    const size_t rowStart = out.size();
    for (int x = 0; x < image.width; ++x) {
      const uint32_t p = image.at(x, y);
      const uint32_t a = p >> 24;
      const uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
      out.push_back(alpha ? unpremultiply(b, a) : static_cast<uint8_t>(b));
      out.push_back(alpha ? unpremultiply(g, a) : static_cast<uint8_t>(g));
      out.push_back(alpha ? unpremultiply(r, a) : static_cast<uint8_t>(r));
      if (alpha) out.push_back(static_cast<uint8_t>(a));
    }
    out.resize(rowStart + rowBytes, 0);
  }
  return out;
}

std::vector<uint8_t> encodePng(const RasterImage& image) {
  RasterImage copy = image;
  gfx::SurfacePtr surface = gfx::surfaceOver(copy);
  std::vector<uint8_t> out;
  cairo_surface_write_to_png_stream(
      surface.get(),
      [](void* closure, const unsigned char* data, unsigned int length) {
        auto* o = static_cast<std::vector<uint8_t>*>(closure);
        o->insert(o->end(), data, data + length);
        return CAIRO_STATUS_SUCCESS;
      },
      &out);
  return out;
}

std::optional<std::vector<IconEntry>> readIconDirectory(std::span<const uint8_t> bytes) {
  if (bytes.size() < 6 || readU16(bytes, 0) != 0) return std::nullopt;
  const uint16_t kind = readU16(bytes, 2);
  const uint16_t count = readU16(bytes, 4);
  if ((kind != 1 && kind != 2) || count == 0 || bytes.size() < 6 + 16u * count) return std::nullopt;
  std::vector<IconEntry> entries;
  for (uint16_t i = 0; i < count; ++i) {
    const size_t at = 6 + 16u * i;
    IconEntry e;
    e.width = bytes[at] ? bytes[at] : 256;
    e.height = bytes[at + 1] ? bytes[at + 1] : 256;
    e.bitCount = kind == 1 ? readU16(bytes, at + 6) : 0;
    e.size = readU32(bytes, at + 8);
    e.offset = readU32(bytes, at + 12);
    if (e.offset > bytes.size() || e.size > bytes.size() - e.offset || e.size == 0) return std::nullopt;
    if (e.bitCount == 0) {
      // Cursors (and some icons) leave the depth to the image's own header.
      if (e.size >= 16 && readU32(bytes, e.offset) == 40) e.bitCount = readU16(bytes, e.offset + 14);
      else e.bitCount = 32;
    }
    entries.push_back(e);
  }
  return entries;
}

std::vector<uint8_t> extractIcon(std::span<const uint8_t> bytes, const IconEntry& entry) {
  std::vector<uint8_t> out(bytes.begin(), bytes.begin() + 6);
  out[4] = 1;
  out[5] = 0;
  // The chosen directory entry, moved to the one data block after it.
  const auto dir = readIconDirectory(bytes);
  size_t index = 0;
  for (size_t i = 0; dir && i < dir->size(); ++i)
    if ((*dir)[i].offset == entry.offset && (*dir)[i].size == entry.size) index = i;
  const auto* e = bytes.data() + 6 + 16 * index;
  out.insert(out.end(), e, e + 12);
  putU32(out, 6 + 16);
  out.insert(out.end(), bytes.begin() + entry.offset, bytes.begin() + entry.offset + entry.size);
  return out;
}

}  // namespace svx
