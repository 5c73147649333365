// Pictures and files made for the graphics tests.
#pragma once

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/automation/error.h"
#include "platform/graphics/raster_image.h"
#include "tests/support/error_of.h"

namespace svx::test {

// An opaque image, each pixel given as 0xRRGGBB by f(x, y).
template <class F>
RasterImage makeImage(int w, int h, F f) {
  RasterImage image(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) image.at(x, y) = 0xFF000000u | f(x, y);
  return image;
}

// The image saved by gdk-pixbuf as `type` ("png", "jpeg", "ico", "bmp").
inline std::vector<uint8_t> saveWithPixbuf(const RasterImage& image, const char* type) {
  GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, image.width, image.height);
  const int stride = gdk_pixbuf_get_rowstride(pixbuf);
  guchar* data = gdk_pixbuf_get_pixels(pixbuf);
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      const uint32_t p = image.at(x, y);
      guchar* d = data + y * stride + x * 4;
      d[0] = (p >> 16) & 0xFF;
      d[1] = (p >> 8) & 0xFF;
      d[2] = p & 0xFF;
      d[3] = p >> 24;
    }
  gchar* buffer = nullptr;
  gsize size = 0;
  GError* error = nullptr;
  const bool ok = gdk_pixbuf_save_to_buffer(pixbuf, &buffer, &size, type, &error, nullptr);
  g_object_unref(pixbuf);
  if (error) g_error_free(error);
  std::vector<uint8_t> bytes;
  if (ok) bytes.assign(buffer, buffer + size);
  g_free(buffer);
  return bytes;
}

// A 2 x 1 GIF: red, then blue.
inline std::vector<uint8_t> twoPixelGif() {
  return {'G', 'I', 'F', '8', '9', 'a', 2, 0, 1, 0, 0x80, 0, 0,  // screen, 2-colour table
          0xFF, 0, 0, 0, 0, 0xFF,                                 // red, blue
          0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0,                        // image descriptor
          2, 2, 0x44, 0x0A, 0,                                    // LZW: clear, 0, 1, end
          0x3B};
}

// An icon file holding the images of the single-image icon files `icons`.
inline std::vector<uint8_t> combineIcons(const std::vector<std::vector<uint8_t>>& icons) {
  std::vector<uint8_t> out = {0, 0, 1, 0, static_cast<uint8_t>(icons.size()), 0};
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(icons.size());
  std::vector<uint8_t> data;
  for (const auto& icon : icons) {
    const uint32_t imageOffset = icon[18] | (icon[19] << 8) | (icon[20] << 16) | (icon[21] << 24);
    const uint32_t size = icon[14] | (icon[15] << 8) | (icon[16] << 16) | (icon[17] << 24);
    out.insert(out.end(), icon.begin() + 6, icon.begin() + 18);
    for (int s = 0; s < 32; s += 8) out.push_back(static_cast<uint8_t>((offset + data.size()) >> s));
    data.insert(data.end(), icon.begin() + imageOffset, icon.begin() + imageOffset + size);
  }
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

inline void writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

inline std::vector<uint8_t> readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A fresh directory under the temporary folder, removed with the object.
class TempDir {
 public:
  TempDir() {
    path_ = std::filesystem::temp_directory_path() /
            ("svx-graphics-" + std::to_string(::getpid()) + "-" + std::to_string(counter()++));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  static int& counter() {
    static int n = 0;
    return n;
  }
  std::filesystem::path path_;
};

using svx::testing::errorOf;

}  // namespace svx::test
