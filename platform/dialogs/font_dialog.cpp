#include "platform/dialogs/font_dialog.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

#include "platform/automation/coerce.h"
#include "platform/desktop/desktop.h"
#include "platform/dialogs/common_dialogs.h"
#include "platform/dialogs/dialog_window.h"
#include "platform/forms/check_box.h"
#include "platform/forms/combo_box.h"
#include "platform/forms/command_button.h"
#include "platform/forms/label.h"
#include "platform/forms/list_box.h"
#include "platform/forms/picture_box.h"
#include "platform/forms/text_box.h"
#include "platform/forms/person.h"
#include "platform/graphics/font.h"
#include "platform/graphics/units.h"

namespace svx {

namespace {

using dialog_design::part;
using dialog_design::v;

struct InstalledFamily {
  bool fixedPitch = false;
  bool trueType = false;
};

// The installed families by name, read once from fontconfig.
const std::map<std::string, InstalledFamily>& installedFamilies() {
  static const std::map<std::string, InstalledFamily> families = [] {
    useDesignFaces();
    std::map<std::string, InstalledFamily> found;
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_SPACING, FC_FONTFORMAT, nullptr);
    FcFontSet* set = FcFontList(nullptr, pattern, objects);
    for (int i = 0; set && i < set->nfont; ++i) {
      FcChar8* family = nullptr;
      if (FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &family) != FcResultMatch || !family) continue;
      InstalledFamily& f = found[reinterpret_cast<const char*>(family)];
      int spacing = FC_PROPORTIONAL;
      if (FcPatternGetInteger(set->fonts[i], FC_SPACING, 0, &spacing) == FcResultMatch && spacing >= FC_MONO)
        f.fixedPitch = true;
      FcChar8* format = nullptr;
      if (FcPatternGetString(set->fonts[i], FC_FONTFORMAT, 0, &format) == FcResultMatch && format &&
          std::string_view(reinterpret_cast<const char*>(format)) == "TrueType")
        f.trueType = true;
    }
    if (set) FcFontSetDestroy(set);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return found;
  }();
  return families;
}

bool fits(const InstalledFamily& f, DWORD flags) {
  if ((flags & CF_FIXEDPITCHONLY) != 0 && !f.fixedPitch) return false;
  if ((flags & CF_TTONLY) != 0 && !f.trueType) return false;
  return true;
}

std::u16string lower(std::u16string s) {
  for (char16_t& c : s)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  return s;
}

std::u16string trimSpaces(const std::u16string& s) {
  const auto first = s.find_first_not_of(u' ');
  if (first == std::u16string::npos) return {};
  return s.substr(first, s.find_last_not_of(u' ') - first + 1);
}

std::u16string faceOf(const LOGFONTW& lf) {
  const char16_t* end = std::find(std::begin(lf.lfFaceName), std::end(lf.lfFaceName), u'\0');
  return std::u16string(std::begin(lf.lfFaceName), end);
}

struct NamedColour {
  const char16_t* name;
  COLORREF colour;
};

constexpr std::array kColours = {
    NamedColour{u"Black", 0x000000},  NamedColour{u"Maroon", 0x000080}, NamedColour{u"Green", 0x008000},
    NamedColour{u"Olive", 0x008080},  NamedColour{u"Navy", 0x800000},   NamedColour{u"Purple", 0x800080},
    NamedColour{u"Teal", 0x808000},   NamedColour{u"Gray", 0x808080},   NamedColour{u"Silver", 0xC0C0C0},
    NamedColour{u"Red", 0x0000FF},    NamedColour{u"Lime", 0x00FF00},   NamedColour{u"Yellow", 0x00FFFF},
    NamedColour{u"Blue", 0xFF0000},   NamedColour{u"Fuchsia", 0xFF00FF}, NamedColour{u"Aqua", 0xFFFF00},
    NamedColour{u"White", 0xFFFFFF},
};

constexpr std::array<int, 16> kSizes = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
constexpr std::array<const char16_t*, 4> kStyles = {u"Regular", u"Italic", u"Bold", u"Bold Italic"};
constexpr double kLargestSize = 1638;

FormDesign fontDialogDesign() {
  using K = ControlKind;
  FormDesign f;
  f.name = u"FontDialog";
  f.caption = u"Font";
  f.clientLeft = 2400;
  f.clientTop = 1800;
  f.clientWidth = 7200;
  f.clientHeight = 4620;
  f.font = Font{u"Tahoma", 8.25};
  auto caption = [](BStr c) { return v(u"Caption", Variant(std::move(c))); };
  f.controls = {
      part(u"FaceLabel", K::Label, 120, 120, 2700, 255, {caption(u"&Font:")}),
      part(u"FaceName", K::TextBox, 120, 360, 2700, 315, {v(u"Text", Variant(u""))}),
      part(u"Faces", K::ListBox, 120, 690, 2700, 1560),
      part(u"StyleLabel", K::Label, 2940, 120, 1800, 255, {caption(u"Font st&yle:")}),
      part(u"Styles", K::ListBox, 2940, 360, 1800, 1890),
      part(u"SizeLabel", K::Label, 4860, 120, 900, 255, {caption(u"&Size:")}),
      part(u"SizeText", K::TextBox, 4860, 360, 900, 315, {v(u"Text", Variant(u""))}),
      part(u"Sizes", K::ListBox, 4860, 690, 900, 1560),
      part(u"OK", K::CommandButton, 5940, 360, 1140, 345, {caption(u"OK"), v(u"Default", Variant(true))}),
      part(u"Cancel", K::CommandButton, 5940, 780, 1140, 345, {caption(u"Cancel"), v(u"Cancel", Variant(true))}),
      part(u"Effects", K::Frame, 120, 2400, 2700, 1500, {caption(u"Effects")}),
      part(u"StrikeOut", K::CheckBox, 240, 2670, 2400, 315, {caption(u"Stri&keout")}),
      part(u"Underline", K::CheckBox, 240, 3030, 2400, 315, {caption(u"&Underline")}),
      part(u"ColorLabel", K::Label, 240, 3435, 660, 255, {caption(u"&Color:")}),
      part(u"Color", K::ComboBox, 960, 3390, 1740, 315, {v(u"Style", Variant::i2(2))}),
      part(u"SampleFrame", K::Frame, 2940, 2400, 4140, 1500, {caption(u"Sample")}),
      part(u"Sample", K::PictureBox, 3060, 2670, 3900, 1110),
      part(u"Message", K::Label, 120, 4260, 6960, 255, {caption(u""), v(u"UseMnemonic", Variant(false))}),
  };
  return f;
}

}  // namespace

HDC GetDC(HWND hwnd) { return desktop().find(hwnd) ? static_cast<HDC>(hwnd) : 0; }

int GetDeviceCaps(HDC hdc, int index) {
  if (hdc == 0 || !desktop().find(static_cast<HWND>(hdc))) return 0;
  return index == LOGPIXELSX || index == LOGPIXELSY ? PixelsPerInch : 0;
}

std::vector<std::u16string> fontDialogFaces(DWORD flags) {
  const auto& families = installedFamilies();
  std::map<std::u16string, std::u16string> byLower;  // sorted, one per name
  for (const std::u16string& face : substitutedFontFaces()) {
    const auto it = families.find(substituteFontFamily(face));
    if (it != families.end() && fits(it->second, flags)) byLower.emplace(lower(face), face);
  }
  for (const auto& [name, family] : families) {
    const std::u16string face = utf16(name);
    if (face.size() < LF_FACESIZE && fits(family, flags)) byLower.emplace(lower(face), face);
  }
  std::vector<std::u16string> faces;
  for (auto& [key, face] : byLower) faces.push_back(std::move(face));
  return faces;
}

// The dialog's form: what a person sees and uses.
class FontDialogWindow : public CommonDialogWindow {
 public:
  FontDialogWindow(FontDialogProvider& provider, std::size_t session, CHOOSEFONTW& cf)
      : CommonDialogWindow(fontDialogDesign(), u"Font"), provider_(provider), session_(session), cf_(cf) {}

  void onLoad() override {
    Filling quiet(filling_);
    FontDialogSession& s = session();
    const bool effects = (cf_.Flags & CF_EFFECTS) != 0;
    for (const char16_t* name : {u"Effects", u"StrikeOut", u"Underline", u"ColorLabel", u"Color"})
      control(name).setVisible(effects);
    ListBox& faces = element<ListBox>(u"Faces");
    for (std::size_t i = 0; i < s.faces.size() && i < 32767; ++i) faces.addItem(s.faces[i]);
    ListBox& styles = element<ListBox>(u"Styles");
    for (const char16_t* style : kStyles) styles.addItem(style);
    ListBox& sizes = element<ListBox>(u"Sizes");
    for (int size : kSizes) sizes.addItem(formatDouble(size));
    ComboBox& colours = element<ComboBox>(u"Color");
    for (const NamedColour& c : kColours) {
      colours.addItem(c.name);
      colourValues_.push_back(c.colour);
    }
    element<PictureBox>(u"Sample").setAutoRedraw(true);

    int style = 0;
    COLORREF colour = effects ? cf_.rgbColors & 0xFFFFFF : 0;
    if ((cf_.Flags & CF_INITTOLOGFONTSTRUCT) != 0) {
      const LOGFONTW& lf = *cf_.lpLogFont;
      const std::u16string face = faceOf(lf);
      element<TextBox>(u"FaceName").setText(face);
      selectFace(face);
      if (lf.lfHeight != 0 && s.pixelsPerInch > 0) {
        const double points = std::abs(static_cast<double>(lf.lfHeight)) * 72.0 / s.pixelsPerInch;
        element<TextBox>(u"SizeText").setText(formatDouble(std::round(points)));
      }
      style = (lf.lfItalic != 0 ? 1 : 0) + (lf.lfWeight >= 600 ? 2 : 0);
      element<CheckBox>(u"StrikeOut").setValue(lf.lfStrikeOut != 0 ? 1 : 0);
      element<CheckBox>(u"Underline").setValue(lf.lfUnderline != 0 ? 1 : 0);
    }
    styles.setListIndex(static_cast<int16_t>(style));
    const auto known = std::find(colourValues_.begin(), colourValues_.end(), colour);
    if (known == colourValues_.end()) {
      colours.addItem(u"Custom");
      colourValues_.push_back(colour);
      colours.setListIndex(static_cast<int16_t>(colours.listCount() - 1));
    } else {
      colours.setListIndex(static_cast<int16_t>(known - colourValues_.begin()));
    }
    s.faceShown = element<TextBox>(u"FaceName").text();
    s.sizeShown = element<TextBox>(u"SizeText").text();
    selectSize();
    drawSample();
  }

  void onControlEvent(ControlArray& array, ControlEvent event, int16_t&, std::span<Variant>) override {
    if (filling_ || ended()) return;
    const BStr& name = array.name();
    if (event == ControlEvent::Click) {
      if (name == u"OK") {
        accept();
        return;
      }
      if (name == u"Cancel") {
        end(false);
        return;
      }
      Filling quiet(filling_);
      if (name == u"Faces") {
        ListBox& faces = element<ListBox>(u"Faces");
        if (faces.listIndex() >= 0) element<TextBox>(u"FaceName").setText(faces.list(faces.listIndex()));
      } else if (name == u"Sizes") {
        ListBox& sizes = element<ListBox>(u"Sizes");
        if (sizes.listIndex() >= 0) element<TextBox>(u"SizeText").setText(sizes.list(sizes.listIndex()));
      }
      drawSample();
    } else if (event == ControlEvent::Change) {
      // A typed face or size is marked in its list when the list holds it.
      Filling quiet(filling_);
      if (name == u"FaceName") selectFace(element<TextBox>(u"FaceName").text(), false);
      if (name == u"SizeText") selectSize();
      drawSample();
    } else if (event == ControlEvent::DblClick && name == u"Faces") {
      accept();
    }
  }

  // The scripted user's next answer: picked in the controls, then OK. False
  // when nothing is queued.
  bool takeAnswer() {
    std::optional<FontDialogAnswer> answer = provider_.take();
    if (!answer) return false;
    if (answer->cancel) {
      person::click(element<CommandButton>(u"Cancel"));
      return true;
    }
    const bool effects = (cf_.Flags & CF_EFFECTS) != 0;
    // A refused answer leaves the dialog as it was.
    struct Restore {
      FontDialogWindow& w;
      BStr face = w.element<TextBox>(u"FaceName").text();
      BStr size = w.element<TextBox>(u"SizeText").text();
      int16_t faceIndex = w.element<ListBox>(u"Faces").listIndex();
      int16_t style = w.element<ListBox>(u"Styles").listIndex();
      int16_t underline = w.element<CheckBox>(u"Underline").value();
      int16_t strikeOut = w.element<CheckBox>(u"StrikeOut").value();
      int16_t colour = w.element<ComboBox>(u"Color").listIndex();
      ~Restore() {
        if (w.ended() || !w.isLoaded()) return;
        Filling quiet(w.filling_);
        w.element<TextBox>(u"FaceName").setText(face);
        w.element<TextBox>(u"SizeText").setText(size);
        w.element<ListBox>(u"Faces").setListIndex(faceIndex);
        w.element<ListBox>(u"Styles").setListIndex(style);
        w.element<CheckBox>(u"Underline").setValue(underline);
        w.element<CheckBox>(u"StrikeOut").setValue(strikeOut);
        w.element<ComboBox>(u"Color").setListIndex(colour);
        w.drawSample();
      }
    } restore{*this};
    {
      Filling quiet(filling_);
      if (answer->face) {
        element<TextBox>(u"FaceName").setText(*answer->face);
        selectFace(*answer->face);
      }
      if (answer->size) element<TextBox>(u"SizeText").setText(*answer->size);
      if (answer->weight || answer->italic) {
        ListBox& styles = element<ListBox>(u"Styles");
        const int current = std::max<int>(0, styles.listIndex());
        if (answer->weight && *answer->weight != 400 && *answer->weight != 700) {
          refuse(u"weight " + formatDouble(*answer->weight), u"The styles are Regular and Bold.");
          return true;
        }
        const bool bold = answer->weight ? *answer->weight == 700 : (current & 2) != 0;
        const bool italic = answer->italic ? *answer->italic : (current & 1) != 0;
        styles.setListIndex(static_cast<int16_t>((italic ? 1 : 0) + (bold ? 2 : 0)));
      }
      auto setCheck = [&](const char16_t* name, const std::optional<bool>& value) {
        if (!value) return true;
        CheckBox& box = element<CheckBox>(name);
        if (!effects && (box.value() == 1) != *value) return false;
        box.setValue(*value ? 1 : 0);
        return true;
      };
      if (!setCheck(u"Underline", answer->underline) || !setCheck(u"StrikeOut", answer->strikeOut)) {
        refuse(u"effects", u"This dialog shows no effects.");
        return true;
      }
      if (answer->color) {
        ComboBox& colours = element<ComboBox>(u"Color");
        const COLORREF wanted = *answer->color;
        const auto it = std::find(colourValues_.begin(), colourValues_.end(), wanted);
        const bool same = colours.listIndex() >= 0 && colourValues_[static_cast<std::size_t>(colours.listIndex())] == wanted;
        if (!same && (!effects || it == colourValues_.end())) {
          refuse(u"colour " + formatDouble(static_cast<double>(wanted)), u"The colour list does not offer it.");
          return true;
        }
        colours.setListIndex(static_cast<int16_t>(it - colourValues_.begin()));
      }
    }
    drawSample();
    person::click(element<CommandButton>(u"OK"));
    return true;
  }

 private:
  FontDialogSession& session() { return provider_.session(session_); }

  // The listed face of that name (compared case-insensitively).
  std::optional<std::u16string> listedFace(const std::u16string& name) {
    const std::u16string key = lower(trimSpaces(name));
    for (const std::u16string& face : session().faces)
      if (lower(face) == key) return face;
    return std::nullopt;
  }

  // Marks the listed face of that name; `scroll` puts it near the top.
  void selectFace(const std::u16string& name, bool scroll = true) {
    ListBox& faces = element<ListBox>(u"Faces");
    const std::u16string key = lower(trimSpaces(name));
    for (int16_t i = 0; i < faces.listCount(); ++i)
      if (lower(faces.list(i)) == key) {
        faces.setListIndex(i);
        if (scroll) faces.setTopIndex(std::max<int16_t>(0, static_cast<int16_t>(i - 2)));
        return;
      }
  }

  // Marks the listed size that the size box holds, none when it holds another.
  void selectSize() {
    ListBox& sizes = element<ListBox>(u"Sizes");
    const std::u16string typed = trimSpaces(element<TextBox>(u"SizeText").text());
    int16_t found = -1;
    for (int16_t i = 0; i < sizes.listCount() && found < 0; ++i)
      if (sizes.list(i) == typed) found = i;
    sizes.setListIndex(found);
  }

  std::optional<double> size() {
    const std::optional<double> points = parseNumber(trimSpaces(element<TextBox>(u"SizeText").text()));
    if (!points || !std::isfinite(*points) || *points < 1 || *points > kLargestSize) return std::nullopt;
    if ((cf_.Flags & CF_LIMITSIZE) != 0 && (*points < cf_.nSizeMin || *points > cf_.nSizeMax)) return std::nullopt;
    return points;
  }

  int style() { return std::max<int>(0, element<ListBox>(u"Styles").listIndex()); }

  COLORREF colour() {
    const int16_t i = element<ComboBox>(u"Color").listIndex();
    return i >= 0 ? colourValues_[static_cast<std::size_t>(i)] : 0;
  }

  void drawSample() {
    DrawSurface& surface = element<PictureBox>(u"Sample").surface();
    surface.Cls();
    const std::optional<std::u16string> face = listedFace(element<TextBox>(u"FaceName").text());
    const std::optional<double> points = size();
    if (!face || !points) return;
    // Without effects the sample shows no underline or strikeout.
    const bool effects = (cf_.Flags & CF_EFFECTS) != 0;
    Font f{*face, std::min(*points, 72.0), (style() & 2) != 0, (style() & 1) != 0,
           effects && element<CheckBox>(u"Underline").value() == 1,
           effects && element<CheckBox>(u"StrikeOut").value() == 1};
    surface.setFont(f);
    surface.setForeColor(colour());
    surface.setCurrentX(120);
    surface.setCurrentY(120);
    surface.Print(u"AaBbYyZz");
  }

  void refuse(const std::u16string& what, const std::u16string& why) {
    session().refused.push_back(what + u": " + why);
    element<Label>(u"Message").setCaption(why);
  }

  void accept() {
    const std::u16string typed = trimSpaces(element<TextBox>(u"FaceName").text());
    const std::optional<std::u16string> face = listedFace(typed);
    if (!face) {
      refuse(typed, u"There is no font of that name.");
      return;
    }
    const std::optional<double> points = size();
    if (!points) {
      refuse(element<TextBox>(u"SizeText").text(), u"The size must be a number from 1 to 1638.");
      return;
    }
    LOGFONTW& lf = *cf_.lpLogFont;
    std::fill(std::begin(lf.lfFaceName), std::end(lf.lfFaceName), u'\0');
    std::copy(face->begin(), face->end(), lf.lfFaceName);
    const int ppi = session().pixelsPerInch;
    lf.lfHeight = -static_cast<LONG>(std::lround(*points * ppi / 72.0));
    lf.lfWeight = (style() & 2) != 0 ? 700 : 400;
    lf.lfItalic = (style() & 1) != 0 ? 1 : 0;
    lf.lfUnderline = element<CheckBox>(u"Underline").value() == 1 ? 1 : 0;
    lf.lfStrikeOut = element<CheckBox>(u"StrikeOut").value() == 1 ? 1 : 0;
    if ((cf_.Flags & CF_EFFECTS) != 0) cf_.rgbColors = colour();
    cf_.iPointSize = static_cast<int32_t>(std::lround(*points * 10));
    cf_.nFontType = static_cast<WORD>(SCREEN_FONTTYPE | (lf.lfWeight == 700 ? BOLD_FONTTYPE : REGULAR_FONTTYPE) |
                                      (lf.lfItalic != 0 ? ITALIC_FONTTYPE : 0));
    session().confirmed = true;
    end(true);
  }

  FontDialogProvider& provider_;
  std::size_t session_;
  CHOOSEFONTW& cf_;
  std::vector<COLORREF> colourValues_;
};

BOOL FontDialogProvider::choose(CHOOSEFONTW& cf) {
  SetCommDlgExtendedError(0);
  if (cf.lStructSize != kChooseFontSize) {
    SetCommDlgExtendedError(CDERR_STRUCTSIZE);
    return 0;
  }
  if (!cf.lpLogFont) {
    SetCommDlgExtendedError(CDERR_INITIALIZATION);
    return 0;
  }
  Desktop& d = desktop();
  if (cf.hwndOwner != 0 && !d.find(cf.hwndOwner)) {
    SetCommDlgExtendedError(CDERR_DIALOGFAILURE);
    return 0;
  }
  if ((cf.Flags & CF_LIMITSIZE) != 0 && cf.nSizeMax < cf.nSizeMin) {
    SetCommDlgExtendedError(CFERR_MAXLESSTHANMIN);
    return 0;
  }
  FontDialogSession s;
  s.faces = fontDialogFaces(cf.Flags);
  if (s.faces.empty()) {
    SetCommDlgExtendedError(CFERR_NOFONTS);
    return 0;
  }
  s.owner = cf.hwndOwner ? d.rootOf(cf.hwndOwner) : 0;
  s.structSize = cf.lStructSize;
  s.flags = cf.Flags;
  s.hdc = cf.hDC;
  s.pixelsPerInch = GetDeviceCaps(cf.hDC, LOGPIXELSY);
  if (s.pixelsPerInch <= 0) s.pixelsPerInch = PixelsPerInch;  // the screen's
  s.logFontIn = *cf.lpLogFont;
  s.colorIn = cf.rgbColors;
  s.open = true;

  const std::size_t index = record(std::move(s));
  auto window = makeRef<FontDialogWindow>(*this, index, cf);
  const bool confirmed = runDialogSession(*this, index, *window);
  session(index).confirmed = confirmed;
  return confirmed ? 1 : 0;
}

FontDialogProvider& fontDialogs() {
  static FontDialogProvider instance;
  return instance;
}

BOOL ChooseFontW(CHOOSEFONTW* cf) {
  if (!cf) {
    SetCommDlgExtendedError(CDERR_INITIALIZATION);
    return 0;
  }
  return fontDialogs().choose(*cf);
}

}  // namespace svx
