// The runtime's Clipboard object, kept in-process: one text per text format
// and one picture, until cleared. Format numbers are the runtime's:
//   text:     vbCFText 1, vbCFLink &HBF00 (-16640), vbCFRTF &HBF01 (-16639);
//   pictures: vbCFBitmap 2, vbCFMetafile 3, vbCFDIB 8, vbCFPalette 9;
//   known but never held: vbCFEMetafile 14, vbCFFiles 15.
// Any other number raises 5, as does a text format where a picture format is
// needed or the other way round.
#pragma once

#include <cstdint>
#include <map>
#include <optional>

#include "platform/automation/variant.h"
#include "platform/graphics/picture.h"

namespace svx {

inline constexpr int32_t vbCFText = 1;
inline constexpr int32_t vbCFBitmap = 2;
inline constexpr int32_t vbCFMetafile = 3;
inline constexpr int32_t vbCFDIB = 8;
inline constexpr int32_t vbCFPalette = 9;
inline constexpr int32_t vbCFEMetafile = 14;
inline constexpr int32_t vbCFFiles = 15;
inline constexpr int32_t vbCFLink = -16640;  // &HBF00 as an Integer
inline constexpr int32_t vbCFRTF = -16639;   // &HBF01 as an Integer

class Clipboard {
 public:
  // Empties the clipboard (Clear).
  void clear();
  // Whether data of `format` is held.
  bool getFormat(int32_t format) const;
  // The text held in a text format (vbCFText when omitted); "" when none.
  BStr getText(std::optional<int32_t> format = std::nullopt) const;
  // Puts text in a text format (vbCFText when omitted). Other formats stay.
  void setText(BStrView text, std::optional<int32_t> format = std::nullopt);
  // The picture held in a picture format; with the format omitted, the
  // picture whatever its format. No picture held: an empty picture.
  Picture getData(std::optional<int32_t> format = std::nullopt) const;
  // Puts a picture on the clipboard, replacing the one held; the text stays.
  // With the format omitted: vbCFMetafile for a metafile, else vbCFBitmap.
  // An absent picture (nullopt) or one of type none raises 5.
  void setData(const std::optional<Picture>& picture, std::optional<int32_t> format = std::nullopt);

 private:
  std::map<int32_t, BStr> texts_;
  std::optional<Picture> picture_;
  int32_t pictureFormat_ = 0;
};

// The process's clipboard.
Clipboard& clipboard();

}  // namespace svx
