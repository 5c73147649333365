// Owning handles for the cairo, pango and GLib objects of the graphics area
// (internal to platform/graphics).
#pragma once

#include <cairo.h>
#include <glib-object.h>
#include <pango/pangocairo.h>

#include <memory>

#include "platform/graphics/raster_image.h"

namespace svx::gfx {

struct SurfaceDeleter {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
  void operator()(cairo_t* c) const { cairo_destroy(c); }
};
struct GObjectDeleter {
  void operator()(void* o) const { g_object_unref(o); }
};
struct FontDescriptionDeleter {
  void operator()(PangoFontDescription* d) const { pango_font_description_free(d); }
};

using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using ContextPtr = std::unique_ptr<cairo_t, ContextDeleter>;
using LayoutPtr = std::unique_ptr<PangoLayout, GObjectDeleter>;
using FontDescriptionPtr = std::unique_ptr<PangoFontDescription, FontDescriptionDeleter>;

// A cairo surface over the pixels of `image` (which must outlive it and keep
// its size). The caller flushes before reading the pixels.
inline SurfacePtr surfaceOver(RasterImage& image) {
  return SurfacePtr(cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(image.pixels.data()),
                                                        CAIRO_FORMAT_ARGB32, image.width, image.height,
                                                        image.width * 4));
}

inline void setSourceRgb(cairo_t* cr, uint32_t rrggbb) {
  cairo_set_source_rgb(cr, ((rrggbb >> 16) & 0xFF) / 255.0, ((rrggbb >> 8) & 0xFF) / 255.0, (rrggbb & 0xFF) / 255.0);
}

}  // namespace svx::gfx
