#include "platform/system/clipboard.h"

#include <algorithm>
#include <array>

#include "platform/automation/error.h"
#include "platform/graphics/image_codec.h"

namespace svx {

namespace {

constexpr std::array kTextFormats = {vbCFText, vbCFLink, vbCFRTF};
constexpr std::array kPictureFormats = {vbCFBitmap, vbCFMetafile, vbCFDIB, vbCFPalette};
constexpr std::array kOtherFormats = {vbCFEMetafile, vbCFFiles};

bool contains(const auto& list, int32_t format) { return std::ranges::find(list, format) != list.end(); }

int32_t textFormat(std::optional<int32_t> format) {
  const int32_t f = format.value_or(vbCFText);
  if (!contains(kTextFormats, f)) raise(err::InvalidProcedureCall);
  return f;
}

void checkPictureFormat(int32_t format) {
  if (!contains(kPictureFormats, format)) raise(err::InvalidProcedureCall);
}

}  // namespace

void Clipboard::follow() const {
  if (!peer_ || !peer_->foreignOwner()) return;
  texts_.clear();
  picture_.reset();
  pictureFormat_ = 0;
  if (auto t = peer_->text()) texts_[vbCFText] = utf16(*t);
  if (auto png = peer_->png()) {
    if (auto image = decodeImage(*png)) {
      picture_ = Picture::fromImage(std::move(*image));
      pictureFormat_ = vbCFBitmap;
    }
  }
}

std::optional<BStr> Clipboard::heldText() const {
  const auto it = texts_.find(vbCFText);
  if (it == texts_.end()) return std::nullopt;
  return it->second;
}

void Clipboard::clear() {
  texts_.clear();
  picture_.reset();
  pictureFormat_ = 0;
  if (peer_) peer_->publish();
}

bool Clipboard::getFormat(int32_t format) const {
  follow();
  if (contains(kTextFormats, format)) return texts_.count(format) != 0;
  if (contains(kPictureFormats, format)) return picture_ && pictureFormat_ == format;
  if (contains(kOtherFormats, format)) return false;
  raise(err::InvalidProcedureCall);
}

BStr Clipboard::getText(std::optional<int32_t> format) const {
  follow();
  const auto it = texts_.find(textFormat(format));
  return it == texts_.end() ? BStr() : it->second;
}

void Clipboard::setText(BStrView text, std::optional<int32_t> format) {
  const int32_t f = textFormat(format);
  follow();  // the other formats stay: those another program offered too
  texts_[f] = BStr(text);
  if (peer_) peer_->publish();
}

Picture Clipboard::getData(std::optional<int32_t> format) const {
  follow();
  if (format) {
    checkPictureFormat(*format);
    if (pictureFormat_ != *format) return Picture();
  }
  return picture_.value_or(Picture());
}

void Clipboard::setData(const std::optional<Picture>& picture, std::optional<int32_t> format) {
  if (format) checkPictureFormat(*format);
  if (!picture || picture->isNone()) raise(err::InvalidProcedureCall);
  const bool metafile = picture->type() == PictureType::Metafile || picture->type() == PictureType::EMetafile;
  follow();
  pictureFormat_ = format.value_or(metafile ? vbCFMetafile : vbCFBitmap);
  picture_ = *picture;
  if (peer_) peer_->publish();
}

void Clipboard::setPrimary(BStrView text) {
  primary_ = BStr(text);
  if (peer_) peer_->publishPrimary();
}

BStr Clipboard::primary() const {
  if (peer_)
    if (auto t = peer_->foreignPrimary()) return utf16(*t);
  return primary_;
}

Clipboard& clipboard() {
  static Clipboard instance;
  return instance;
}

}  // namespace svx
