// Fonts of the drawing surfaces and of the form picture: the runtime's font
// attributes, the substitutes for faces that Linux lacks, and text metrics.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace svx {

struct Font {
  std::u16string name = u"MS Sans Serif";
  double size = 8.25;  // points
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikethrough = false;
  friend bool operator==(const Font&, const Font&) = default;
};

// Adds the faces with the metrics the forms were designed for (Tahoma, from
// Debian's fonts-wine, a folder outside fontconfig's configuration) to this
// process's fontconfig configuration, once; whether any was found. Every
// text layout and font listing calls it first.
bool useDesignFaces();
// The installed family that draws `name`: the faces that the system's forms
// name are mapped onto installed substitutes (Tahoma onto itself where its
// design face is installed); any other name goes to fontconfig as it is.
std::string substituteFontFamily(std::u16string_view name);
std::string substituteFontFamily(std::u16string_view name, bool designFaces);
// The faces that have substitutes, as the forms write them.
std::vector<std::u16string> substitutedFontFaces();

// Text extents in pixels. Text is split into lines at CR LF, LF or CR; the
// width is that of the widest line, the height one line height per line.
struct TextExtent {
  int width = 0;
  int height = 0;
};
int fontLineHeight(const Font& font);
TextExtent measureText(const Font& font, std::u16string_view text);
// The average character width (print columns).
double fontCharWidth(const Font& font);

}  // namespace svx
