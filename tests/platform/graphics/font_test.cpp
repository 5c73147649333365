// Faces: the forms' Tahoma drawn by a face of its own metrics where one is
// installed, by the substitute elsewhere.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/graphics/font.h"

namespace svx {
namespace {

bool designFacesInstalled() { return std::filesystem::exists("/usr/share/wine/fonts/tahoma.ttf"); }

TEST(FontFaces, TahomaIsItsOwnFaceWhereInstalledAndTheSubstituteElsewhere) {
  EXPECT_EQ(substituteFontFamily(u"Tahoma", true), "Tahoma");
  EXPECT_EQ(substituteFontFamily(u"tahoma", true), "Tahoma");
  EXPECT_EQ(substituteFontFamily(u"Tahoma", false), "DejaVu Sans");
  EXPECT_EQ(substituteFontFamily(u"MS Sans Serif", true), "DejaVu Sans");
  EXPECT_EQ(substituteFontFamily(u"Courier New", true), "DejaVu Sans Mono");
  EXPECT_EQ(substituteFontFamily(u"", true), "DejaVu Sans");
  EXPECT_EQ(substituteFontFamily(u"Some Face", true), "Some Face");
  EXPECT_EQ(useDesignFaces(), designFacesInstalled());
  EXPECT_EQ(substituteFontFamily(u"Tahoma"), designFacesInstalled() ? "Tahoma" : "DejaVu Sans");
}

TEST(FontFaces, TheDesignFaceHasTheMetricsTheFormsWereSizedFor) {
  if (!designFacesInstalled()) GTEST_SKIP() << "fonts-wine is not installed";
  // Widths in pixels at 96 dpi of captions sized for Tahoma 8.25: option
  // buttons of 1245 and 2760 twips (83 and 184 pixels, 18 of them the mark).
  const Font tahoma{u"Tahoma", 8.25};
  EXPECT_LE(measureText(tahoma, u"Public Events").width, 83 - 18);
  EXPECT_LE(measureText(tahoma, u"Public Properties and Methods (II)").width, 184 - 18);
  EXPECT_LE(fontLineHeight(tahoma), 13);
  // Bold is a face of its own, wider than the regular one.
  Font bold = tahoma;
  bold.bold = true;
  EXPECT_GT(measureText(bold, u"Public Events").width, measureText(tahoma, u"Public Events").width);
}

}  // namespace
}  // namespace svx
