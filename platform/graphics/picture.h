// The picture object: a value type over shared, immutable image data (a
// bitmap or an icon), its persisted form in a memory stream, and the
// runtime's picture loader and writer.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "platform/graphics/raster_image.h"

namespace svx {

// The runtime's picture types (vbPicType...).
enum class PictureType : int16_t { None = 0, Bitmap = 1, Metafile = 2, Icon = 3, EMetafile = 4 };

// The tag in front of the image bytes of a persisted picture: "lt" and two
// zero bytes (0x0000746C little-endian), followed by a 32-bit length.
inline constexpr uint32_t PictureStreamTag = 0x0000746C;
inline constexpr size_t PictureStreamHeaderSize = 8;

class Picture {
 public:
  Picture() = default;  // no picture (type none)

  // The image wanted from an icon or cursor file with several images.
  struct IconRequest {
    int width = 32;
    int height = 32;
    int bitCount = 0;  // 0: the most colours
  };

  // A picture of the image file `fileBytes` (BMP, GIF, JPEG, PNG, ICO, CUR);
  // raises 481 for data that is no image. An icon shows its image closest to
  // the default request; with a request it shows the closest image to that
  // one and holds only that image's bytes.
  static Picture fromFileBytes(std::span<const uint8_t> fileBytes,
                               std::optional<IconRequest> request = std::nullopt);
  // A bitmap of drawn pixels; it saves as BMP.
  static Picture fromImage(RasterImage image);

  PictureType type() const;
  bool isNone() const { return type() == PictureType::None; }
  // Size in HIMETRIC as the picture object reports it (0 for none).
  int32_t width() const;
  int32_t height() const;
  int widthPixels() const;
  int heightPixels() const;
  // The decoded pixels (an empty image for none).
  const RasterImage& image() const;
  // The bytes of the image file the picture holds (empty for none).
  std::span<const uint8_t> fileBytes() const;

  // The persisted form: tag, 32-bit length, then the image file's bytes.
  // A picture without image data saves a header with length 0.
  std::vector<uint8_t> saveToStream() const;
  // Reads one persisted picture from the start of `stream`; bytes after it
  // are not read. The image data may itself be a complete persisted picture
  // (a picture array taken out and handed back in gets a second header): a
  // payload that begins with the tag and whose length covers exactly the
  // rest of it is unwrapped. A length of 0 gives no picture. Raises 481 for
  // a missing tag, a length beyond the data, or data that is no image.
  static Picture loadFromStream(std::span<const uint8_t> stream);

  // Same picture data (not an image comparison).
  friend bool operator==(const Picture& a, const Picture& b) { return a.data_ == b.data_; }

 private:
  struct Data;
  explicit Picture(std::shared_ptr<const Data> data) : data_(std::move(data)) {}
  std::shared_ptr<const Data> data_;
};

// LoadPicture's size argument (vbLPSmall ... vbLPCustom).
enum LoadPictureSize : int32_t { vbLPSmall = 0, vbLPLarge = 1, vbLPSmallShell = 2, vbLPLargeShell = 3, vbLPCustom = 4 };
// LoadPicture's colour depth argument.
enum LoadPictureColor : int32_t { vbLPDefault = 0, vbLPMonochrome = 1, vbLPVGAColor = 2, vbLPColor = 3 };

// Loads the picture in the file `fileName`; "" gives no picture. For icon
// and cursor files the optional values choose an image: `size` a standard
// size (custom: `x` by `y` pixels), `colorDepth` the colours; the closest
// image is taken (5 for values outside the enums or 0..256). They are ignored
// for other files. Raises 53 for a missing file, 75 for one that cannot be
// read or is no regular file (a device, a pipe), 7 for a file larger than
// kMaxPictureFileBytes, 481 for data that is no picture.
inline constexpr uintmax_t kMaxPictureFileBytes = 256u * 1024 * 1024;

Picture LoadPicture(std::u16string_view fileName = {}, std::optional<int32_t> size = std::nullopt,
                    std::optional<int32_t> colorDepth = std::nullopt, std::optional<int32_t> x = std::nullopt,
                    std::optional<int32_t> y = std::nullopt);

// Writes `picture` to `fileName`: an icon as the icon bytes it was loaded
// from, a bitmap loaded from a BMP file as those bytes, any other bitmap as a
// BMP file. Raises 481 for no picture and 75 when the file cannot be written.
void SavePicture(const Picture& picture, std::u16string_view fileName);

}  // namespace svx
