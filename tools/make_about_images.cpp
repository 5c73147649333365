// make-about-images DIR: draws the About box's picture (about_picture.jpg,
// 251 x 34) into DIR. The image is kept in windows/data/ and built in; run
// this only to redraw it. (The program's icon is pixel data in
// platform/graphics/program_icon.cpp.)
#include <cairo.h>
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

// A banner: a gradient band with the product's name and a row of controls.
void drawPicture(cairo_t* cr, int w, int h) {
  cairo_pattern_t* band = cairo_pattern_create_linear(0, 0, w, 0);
  cairo_pattern_add_color_stop_rgb(band, 0, 0.04, 0.14, 0.42);
  cairo_pattern_add_color_stop_rgb(band, 1, 0.65, 0.79, 0.94);
  cairo_rectangle(cr, 0, 0, w, h);
  cairo_set_source(cr, band);
  cairo_fill(cr);
  cairo_pattern_destroy(band);
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_ITALIC, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(cr, 17);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_move_to(cr, 8, 23);
  cairo_show_text(cr, "Sorvanelix");
  for (int i = 0; i < 3; ++i) {
    const double x = 150 + i * 32;
    cairo_rectangle(cr, x + 0.5, 10.5, 26, 13);
    cairo_set_source_rgb(cr, 0.93, 0.92, 0.89);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 0.16, 0.22, 0.42);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
  }
}

bool saveJpeg(cairo_surface_t* s, const std::string& file) {
  cairo_surface_flush(s);
  const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
  const int stride = cairo_image_surface_get_stride(s);
  const unsigned char* src = cairo_image_surface_get_data(s);
  GdkPixbuf* pb = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, w, h);
  const int rowstride = gdk_pixbuf_get_rowstride(pb);
  guchar* dst = gdk_pixbuf_get_pixels(pb);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint32_t p = *reinterpret_cast<const uint32_t*>(src + y * stride + x * 4);
      guchar* d = dst + y * rowstride + x * 3;
      d[0] = (p >> 16) & 0xFF;
      d[1] = (p >> 8) & 0xFF;
      d[2] = p & 0xFF;
    }
  GError* error = nullptr;
  const bool ok = gdk_pixbuf_save(pb, file.c_str(), "jpeg", &error, "quality", "90", nullptr);
  if (error) g_error_free(error);
  g_object_unref(pb);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-about-images DIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  cairo_surface_t* picture = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 251, 34);
  cairo_t* cr = cairo_create(picture);
  drawPicture(cr, 251, 34);
  cairo_destroy(cr);
  const bool pictureOk = saveJpeg(picture, dir + "/about_picture.jpg");
  cairo_surface_destroy(picture);
  return pictureOk ? 0 : 1;
}
