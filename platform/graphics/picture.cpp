#include "platform/graphics/picture.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/automation/error.h"
#include "platform/automation/variant.h"
#include "platform/files/regular_file.h"
#include "platform/graphics/image_codec.h"
#include "platform/graphics/little_endian.h"
#include "platform/graphics/units.h"

namespace svx {

struct Picture::Data {
  PictureType type = PictureType::None;
  RasterImage image;
  std::vector<uint8_t> fileBytes;
};

namespace {

const RasterImage emptyImage;

// The entry closest in size to the request (a larger one wins a tie), then
// closest in colours (the most colours when none are asked for).
const IconEntry& chooseIcon(const std::vector<IconEntry>& entries, const Picture::IconRequest& want) {
  auto key = [&](const IconEntry& e) {
    const int sizeDistance = std::abs(e.width - want.width) + std::abs(e.height - want.height);
    const int smaller = (e.width < want.width || e.height < want.height) ? 1 : 0;
    const int depthDistance = want.bitCount > 0 ? std::abs(e.bitCount - want.bitCount) : -e.bitCount;
    return std::tuple(sizeDistance, smaller, depthDistance);
  };
  return *std::min_element(entries.begin(), entries.end(),
                           [&](const IconEntry& a, const IconEntry& b) { return key(a) < key(b); });
}

RasterImage decodeOrRaise(std::span<const uint8_t> bytes) {
  bool tooLarge = false;
  auto image = decodeImage(bytes, &tooLarge);
  if (tooLarge) raise(err::OutOfMemory);
  if (!image) raise(err::InvalidPicture);
  return std::move(*image);
}

}  // namespace

Picture Picture::fromFileBytes(std::span<const uint8_t> fileBytes, std::optional<IconRequest> request) {
  auto data = std::make_shared<Data>();
  const ImageFormat format = sniffImageFormat(fileBytes);
  switch (format) {
    case ImageFormat::Unknown:
      raise(err::InvalidPicture);
    case ImageFormat::Icon:
    case ImageFormat::Cursor: {
      const auto entries = readIconDirectory(fileBytes);
      if (!entries) raise(err::InvalidPicture);
      const IconEntry& chosen = chooseIcon(*entries, request.value_or(IconRequest{}));
      std::vector<uint8_t> single = extractIcon(fileBytes, chosen);
      const auto imageData = fileBytes.subspan(chosen.offset, chosen.size);
      // Images stored as PNG inside the icon decode as PNG.
      data->image = decodeOrRaise(sniffImageFormat(imageData) == ImageFormat::Png ? imageData
                                                                                  : std::span<const uint8_t>(single));
      data->type = PictureType::Icon;
      if (request) data->fileBytes = std::move(single);
      else data->fileBytes.assign(fileBytes.begin(), fileBytes.end());
      break;
    }
    default:
      data->image = decodeOrRaise(fileBytes);
      data->type = PictureType::Bitmap;
      data->fileBytes.assign(fileBytes.begin(), fileBytes.end());
      break;
  }
  return Picture(std::move(data));
}

Picture Picture::fromImage(RasterImage image) {
  if (image.empty()) return Picture();
  auto data = std::make_shared<Data>();
  data->type = PictureType::Bitmap;
  data->fileBytes = encodeBmp(image);
  data->image = std::move(image);
  return Picture(std::move(data));
}

PictureType Picture::type() const { return data_ ? data_->type : PictureType::None; }
int Picture::widthPixels() const { return data_ ? data_->image.width : 0; }
int Picture::heightPixels() const { return data_ ? data_->image.height : 0; }
int32_t Picture::width() const { return pixelsToHimetric(widthPixels()); }
int32_t Picture::height() const { return pixelsToHimetric(heightPixels()); }
const RasterImage& Picture::image() const { return data_ ? data_->image : emptyImage; }
std::span<const uint8_t> Picture::fileBytes() const {
  return data_ ? std::span<const uint8_t>(data_->fileBytes) : std::span<const uint8_t>();
}

std::vector<uint8_t> Picture::saveToStream() const {
  const auto bytes = fileBytes();
  std::vector<uint8_t> out;
  out.reserve(PictureStreamHeaderSize + bytes.size());
  putU32(out, PictureStreamTag);
  putU32(out, static_cast<uint32_t>(bytes.size()));
  out.insert(out.end(), bytes.begin(), bytes.end());
  return out;
}

Picture Picture::loadFromStream(std::span<const uint8_t> stream) {
  if (stream.size() < PictureStreamHeaderSize || readU32(stream, 0) != PictureStreamTag) raise(err::InvalidPicture);
  const uint32_t length = readU32(stream, 4);
  if (length > stream.size() - PictureStreamHeaderSize) raise(err::InvalidPicture);
  std::span<const uint8_t> payload = stream.subspan(PictureStreamHeaderSize, length);
  while (payload.size() >= PictureStreamHeaderSize && readU32(payload, 0) == PictureStreamTag &&
         readU32(payload, 4) == payload.size() - PictureStreamHeaderSize)
    payload = payload.subspan(PictureStreamHeaderSize);
  if (payload.empty()) return Picture();
  return fromFileBytes(payload);
}

Picture LoadPicture(std::u16string_view fileName, std::optional<int32_t> size, std::optional<int32_t> colorDepth,
                    std::optional<int32_t> x, std::optional<int32_t> y) {
  if (fileName.empty()) return Picture();

  // Only a regular file is read: a device or a pipe could block or never end.
  const RegularFile file = openRegularFile(fileName, FileOpen::Read);
  if (file.size() > static_cast<int64_t>(kMaxPictureFileBytes)) raise(err::OutOfMemory);
  const std::vector<uint8_t> bytes = file.readAll(kMaxPictureFileBytes);

  const ImageFormat format = sniffImageFormat(bytes);
  const bool icon = format == ImageFormat::Icon || format == ImageFormat::Cursor;
  std::optional<Picture::IconRequest> request;
  if (icon && (size || colorDepth || x || y)) {
    if (size && (*size < vbLPSmall || *size > vbLPCustom)) raise(err::InvalidProcedureCall);
    if (colorDepth && (*colorDepth < vbLPDefault || *colorDepth > vbLPColor)) raise(err::InvalidProcedureCall);
    if ((x && (*x < 0 || *x > 256)) || (y && (*y < 0 || *y > 256))) raise(err::InvalidProcedureCall);
    Picture::IconRequest r;
    switch (size.value_or(vbLPLarge)) {
      case vbLPSmall:
      case vbLPSmallShell:
        r.width = r.height = 16;
        break;
      case vbLPCustom:
        r.width = x.value_or(0) > 0 ? *x : 32;
        r.height = y.value_or(0) > 0 ? *y : r.width;
        break;
      default:
        r.width = r.height = 32;
        break;
    }
    static constexpr int depthBits[] = {0, 1, 4, 8};
    r.bitCount = depthBits[colorDepth.value_or(vbLPDefault)];
    request = r;
  }
  return Picture::fromFileBytes(bytes, request);
}

void SavePicture(const Picture& picture, std::u16string_view fileName) {
  if (picture.isNone()) raise(err::InvalidPicture);
  if (fileName.empty()) raise(err::PathFileAccessError);
  const auto bytes = picture.fileBytes();
  const bool original = picture.type() == PictureType::Icon || sniffImageFormat(bytes) == ImageFormat::Bmp;
  const std::vector<uint8_t> encoded = original ? std::vector<uint8_t>() : encodeBmp(picture.image());
  const std::span<const uint8_t> out = original ? bytes : std::span<const uint8_t>(encoded);

  // A regular file or a new one; a FIFO, a device or a socket is refused.
  // An existing file keeps its content until the new one is whole.
  writeWholeFile(fileName, out);
}

}  // namespace svx
