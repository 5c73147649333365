// The runtime's Clipboard object, kept in-process: one text per text format
// and one picture, until cleared. Format numbers are the runtime's:
//   text:     vbCFText 1, vbCFLink &HBF00 (-16640), vbCFRTF &HBF01 (-16639);
//   pictures: vbCFBitmap 2, vbCFMetafile 3, vbCFDIB 8, vbCFPalette 9;
//   known but never held: vbCFEMetafile 14, vbCFFiles 15.
// Any other number raises 5, as does a text format where a picture format is
// needed or the other way round.
//
// With a peer (the X11 clipboard while a display is attached) the clipboard
// is shared with other programs: what is put here is offered to them (text
// as UTF-8, the picture as PNG), and what another program put there is read
// (plain text, PNG pictures) before any question about the contents.
//
// Beside it the primary selection (X11's PRIMARY): the text a person
// selected last in a field, pasted by a middle click; while another program
// holds it, that program's text.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

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

// The system clipboard behind the runtime's.
class ClipboardPeer {
 public:
  virtual ~ClipboardPeer() = default;
  // Offers what the runtime's clipboard holds now to other programs.
  virtual void publish() = 0;
  // Whether another program holds the system clipboard.
  virtual bool foreignOwner() = 0;
  // Its contents: UTF-8 text and PNG bytes (none when not offered).
  virtual std::optional<std::string> text() = 0;
  virtual std::optional<std::vector<uint8_t>> png() = 0;
  // Offers the runtime's primary selection to other programs.
  virtual void publishPrimary() = 0;
  // Another program's primary selection as UTF-8 (none while this process
  // holds it, or nobody does).
  virtual std::optional<std::string> foreignPrimary() = 0;
};

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

  // The primary selection.
  void setPrimary(BStrView text);
  BStr primary() const;

  // What this process holds, without asking the peer (what the peer offers).
  std::optional<BStr> heldText() const;
  const BStr& heldPrimary() const { return primary_; }
  std::optional<Picture> heldPicture() const { return picture_; }
  void setPeer(ClipboardPeer* peer) { peer_ = peer; }
  ClipboardPeer* peer() const { return peer_; }

 private:
  // Takes another program's contents, when it holds the system clipboard.
  void follow() const;
  ClipboardPeer* peer_ = nullptr;

  mutable std::map<int32_t, BStr> texts_;
  mutable std::optional<Picture> picture_;
  mutable int32_t pictureFormat_ = 0;
  BStr primary_;
};

// The process's clipboard.
Clipboard& clipboard();

}  // namespace svx
