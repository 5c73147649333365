#include "platform/graphics/font.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include <fontconfig/fontconfig.h>

#include "platform/automation/variant.h"
#include "platform/graphics/text_layout.h"
#include "platform/graphics/units.h"

namespace svx {

namespace {

struct FontSubstitute {
  std::string_view face;  // as the forms write it
  std::string_view family;
};

// Faces with the metrics the forms' sizes were made for, kept outside
// fontconfig's own configuration (Debian's fonts-wine). Where they are
// installed they draw their own names; elsewhere the substitutes below do.
constexpr std::string_view designFaceFolder = "/usr/share/wine/fonts";
constexpr std::array<std::string_view, 2> designFaceFiles = {"tahoma.ttf", "tahomabd.ttf"};
constexpr std::string_view designFace = "Tahoma";

// The one table of face substitutes.
constexpr std::array fontSubstitutes = {
    FontSubstitute{"Tahoma", "DejaVu Sans"},
    FontSubstitute{"MS Sans Serif", "DejaVu Sans"},
    FontSubstitute{"Microsoft Sans Serif", "DejaVu Sans"},
    FontSubstitute{"MS Shell Dlg", "DejaVu Sans"},
    FontSubstitute{"Arial", "DejaVu Sans"},
    FontSubstitute{"Verdana", "DejaVu Sans"},
    FontSubstitute{"Courier New", "DejaVu Sans Mono"},
    FontSubstitute{"Courier", "DejaVu Sans Mono"},
    FontSubstitute{"Times New Roman", "DejaVu Serif"},
};

std::string lowerCase(std::string_view s) {
  std::string lower(s);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  return lower;
}

constexpr std::string_view defaultFamily = "DejaVu Sans";

// Pango's font map and fontconfig's caches live until the process ends;
// the leak checker is told so in tests/lsan.supp.
void releaseFontsAtExit() {}  // kept as the one place to release them, should that be needed

// One measuring context for the process (text metrics need no target).
cairo_t* measuringContext() {
  static gfx::SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1));
  static gfx::ContextPtr context(cairo_create(surface.get()));
  return context.get();
}

}  // namespace

bool useDesignFaces() {
  static const bool found = [] {
    bool added = false;
    for (std::string_view file : designFaceFiles) {
      const std::string path = std::string(designFaceFolder) + "/" + std::string(file);
      if (FcConfigAppFontAddFile(nullptr, reinterpret_cast<const FcChar8*>(path.c_str()))) added = true;
    }
    return added;
  }();
  return found;
}

std::string substituteFontFamily(std::u16string_view name, bool designFaces) {
  const std::string lower = lowerCase(utf8(name));
  if (lower.empty()) return std::string(defaultFamily);
  if (designFaces && lower == lowerCase(designFace)) return std::string(designFace);
  for (const auto& s : fontSubstitutes)
    if (lowerCase(s.face) == lower) return std::string(s.family);
  return utf8(name);
}

std::string substituteFontFamily(std::u16string_view name) {
  return substituteFontFamily(name, useDesignFaces());
}

std::vector<std::u16string> substitutedFontFaces() {
  std::vector<std::u16string> faces;
  for (const auto& s : fontSubstitutes) faces.push_back(utf16(s.face));
  return faces;
}

namespace gfx {

LayoutPtr makeLayout(cairo_t* cr, const Font& font, std::u16string_view text) {
  releaseFontsAtExit();
  useDesignFaces();  // before the font map reads the configuration
  if (!cr) cr = measuringContext();
  LayoutPtr layout(pango_cairo_create_layout(cr));
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
  pango_cairo_context_set_font_options(pango_layout_get_context(layout.get()), options);
  cairo_font_options_destroy(options);
  pango_layout_context_changed(layout.get());

  FontDescriptionPtr desc(pango_font_description_new());
  pango_font_description_set_family(desc.get(), substituteFontFamily(font.name).c_str());
  const double pixels = std::max(1.0, font.size * PixelsPerInch / 72.0);
  pango_font_description_set_absolute_size(desc.get(), pixels * PANGO_SCALE);
  pango_font_description_set_weight(desc.get(), font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(desc.get(), font.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  pango_layout_set_font_description(layout.get(), desc.get());

  PangoAttrList* attrs = pango_attr_list_new();
  if (font.underline) pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
  if (font.strikethrough) pango_attr_list_insert(attrs, pango_attr_strikethrough_new(TRUE));
  pango_layout_set_attributes(layout.get(), attrs);
  pango_attr_list_unref(attrs);

  const std::string bytes = utf8(text);
  pango_layout_set_text(layout.get(), bytes.data(), static_cast<int>(bytes.size()));
  return layout;
}

int lineWidth(const Font& font, std::u16string_view line) {
  if (line.empty()) return 0;
  LayoutPtr layout = makeLayout(nullptr, font, line);
  PangoRectangle logical;
  pango_layout_get_pixel_extents(layout.get(), nullptr, &logical);
  return logical.width;
}

std::vector<std::u16string_view> splitLines(std::u16string_view text) {
  std::vector<std::u16string_view> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'\r' && text[i] != u'\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  lines.push_back(text.substr(start));
  return lines;
}

void drawLine(cairo_t* cr, const Font& font, std::u16string_view line, double x, double y) {
  if (line.empty()) return;
  LayoutPtr layout = makeLayout(cr, font, line);
  cairo_move_to(cr, x, y);
  pango_cairo_show_layout(cr, layout.get());
}

}  // namespace gfx

int fontLineHeight(const Font& font) {
  gfx::LayoutPtr layout = gfx::makeLayout(nullptr, font, u"Ag");
  PangoRectangle logical;
  pango_layout_get_pixel_extents(layout.get(), nullptr, &logical);
  return std::max(1, logical.height);
}

TextExtent measureText(const Font& font, std::u16string_view text) {
  TextExtent extent;
  const auto lines = gfx::splitLines(text);
  for (auto line : lines) extent.width = std::max(extent.width, gfx::lineWidth(font, line));
  extent.height = fontLineHeight(font) * static_cast<int>(lines.size());
  return extent;
}

double fontCharWidth(const Font& font) {
  gfx::LayoutPtr layout = gfx::makeLayout(nullptr, font, u"0");
  PangoFontMetrics* metrics = pango_context_get_metrics(pango_layout_get_context(layout.get()),
                                                        pango_layout_get_font_description(layout.get()), nullptr);
  const double width = pango_font_metrics_get_approximate_char_width(metrics) / static_cast<double>(PANGO_SCALE);
  pango_font_metrics_unref(metrics);
  return width > 0 ? width : 1.0;
}

}  // namespace svx
