#include "platform/dialogs/common_dialogs.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "platform/automation/coerce.h"
#include "platform/desktop/desktop.h"
#include "platform/dialogs/dialog_window.h"
#include "platform/forms/command_button.h"
#include "platform/forms/label.h"
#include "platform/forms/picture_box.h"
#include "platform/forms/text_box.h"
#include "platform/forms/person.h"
#include "platform/graphics/picture.h"
#include "platform/graphics/units.h"

namespace svx {

namespace {

using dialog_design::part;
using dialog_design::v;

DWORD g_extendedError = 0;

// The look, in pixels of the client area: the basic and the custom colours
// on the left, the colour chosen, OK and Cancel beside them; the part that
// defines custom colours to the right of them once it is open.
constexpr int kCell = 20, kPitchX = 24, kPitchY = 20, kGridX = 10, kGridY = 26;
constexpr int kColumns = 8, kBasicRows = 6, kCustomRows = 2;
constexpr int kBasicCells = kColumns * kBasicRows;
constexpr int kCustomY = kGridY + kBasicRows * kPitchY + 22;
constexpr int kGridMargin = 2;  // around the cells: room for the focus mark
constexpr int kGridWidth = 2 * kGridMargin + (kColumns - 1) * kPitchX + kCell;
constexpr int kButtonX = 216, kButtonW = 75, kButtonH = 23;
constexpr int kOkY = 170, kCancelY = 200;
constexpr int kBasicWidth = 300, kFullWidth = 530, kClientHeight = 242;
constexpr int kSpectrumX = 310, kSpectrumY = 8, kSpectrumW = 180, kSpectrumH = 120;
constexpr int kLumX = 500, kLumW = 12;
constexpr int kFieldsY = 138, kFieldPitch = 24;
constexpr int kHlsMax = 240;  // hue, saturation and luminosity run 0..240 (hue 0..239)

constexpr uint32_t kFaceRgb = 0xF0F0F0, kEdgeRgb = 0x808080, kMarkRgb = 0x000000;

double tw(int pixels) { return pixelsToTwips(pixels); }

// 0xRRGGBB of a COLORREF (0xBBGGRR) and back.
uint32_t rgbOf(COLORREF c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }
COLORREF colourRef(int r, int g, int b) {
  return static_cast<COLORREF>(std::clamp(r, 0, 255) | (std::clamp(g, 0, 255) << 8) | (std::clamp(b, 0, 255) << 16));
}

COLORREF basicColour(int index) {
  // Eight hues by column; light, full, deeper, dark and darker rows, then greys.
  static constexpr int hues[kColumns] = {0, 30, 60, 120, 180, 210, 270, 300};
  const int row = index / kColumns, column = index % kColumns;
  if (row == kBasicRows - 1) {
    const int v = 255 - column * 255 / (kColumns - 1);
    return static_cast<COLORREF>(v | (v << 8) | (v << 16));
  }
  static constexpr double saturation[] = {0.45, 1, 1, 1, 1}, value[] = {1, 1, 0.8, 0.55, 0.3};
  const double h = hues[column] / 60.0, sat = saturation[row], val = value[row];
  const double c = val * sat, x = c * (1 - std::abs(std::fmod(h, 2) - 1)), m = val - c;
  double r = 0, g = 0, b = 0;
  switch (static_cast<int>(h)) {
    case 0: r = c, g = x; break;
    case 1: r = x, g = c; break;
    case 2: g = c, b = x; break;
    case 3: g = x, b = c; break;
    case 4: r = x, b = c; break;
    default: r = c, b = x; break;
  }
  auto byte = [m](double v) { return static_cast<int>(std::lround((v + m) * 255)); };
  return colourRef(byte(r), byte(g), byte(b));
}

// Hue, luminosity and saturation on the dialog's scale of 240.
struct Hls {
  int hue = 0, lum = 0, sat = 0;
};

Hls toHls(COLORREF c) {
  const double r = (c & 0xFF) / 255.0, g = ((c >> 8) & 0xFF) / 255.0, b = ((c >> 16) & 0xFF) / 255.0;
  const double most = std::max({r, g, b}), least = std::min({r, g, b});
  const double l = (most + least) / 2;
  double h = 0, s = 0;
  if (most != least) {
    const double d = most - least;
    s = l <= 0.5 ? d / (most + least) : d / (2 - most - least);
    h = most == r ? (g - b) / d : most == g ? 2 + (b - r) / d : 4 + (r - g) / d;
    h /= 6;
    if (h < 0) h += 1;
  }
  return {static_cast<int>(std::lround(h * kHlsMax)) % kHlsMax, static_cast<int>(std::lround(l * kHlsMax)),
          static_cast<int>(std::lround(s * kHlsMax))};
}

COLORREF fromHls(Hls v) {
  const double h = v.hue / double(kHlsMax), l = v.lum / double(kHlsMax), s = v.sat / double(kHlsMax);
  if (s == 0) {
    const int grey = static_cast<int>(std::lround(l * 255));
    return colourRef(grey, grey, grey);
  }
  const double q = l < 0.5 ? l * (1 + s) : l + s - l * s, p = 2 * l - q;
  auto channel = [&](double t) {
    t -= std::floor(t);
    const double c = t < 1.0 / 6 ? p + (q - p) * 6 * t : t < 0.5 ? q : t < 2.0 / 3 ? p + (q - p) * (2.0 / 3 - t) * 6 : p;
    return static_cast<int>(std::lround(c * 255));
  };
  return colourRef(channel(h + 1.0 / 3), channel(h), channel(h - 1.0 / 3));
}

// A grid of colour cells as a picture: each cell framed, the chosen one
// framed twice as thick, the one with the focus in a dotted frame.
Picture gridPicture(std::span<const COLORREF> colours, int rows, int chosen, int focus) {
  const int height = 2 * kGridMargin + (rows - 1) * kPitchY + kPitchY - 2;
  RasterImage image(kGridWidth, height, 0xFF000000u | kFaceRgb);
  auto put = [&](int x, int y, uint32_t rgb) {
    if (x >= 0 && y >= 0 && x < image.width && y < image.height) image.at(x, y) = 0xFF000000u | rgb;
  };
  for (int cell = 0; cell < rows * kColumns && cell < static_cast<int>(colours.size()); ++cell) {
    const int x0 = kGridMargin + (cell % kColumns) * kPitchX, y0 = kGridMargin + (cell / kColumns) * kPitchY;
    const int w = kCell, h = kPitchY - 2;
    const bool isChosen = cell == chosen;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const int edge = std::min({x, y, w - 1 - x, h - 1 - y});
        put(x0 + x, y0 + y, edge == 0 || (isChosen && edge == 1) ? (isChosen ? kMarkRgb : kEdgeRgb) : rgbOf(colours[cell]));
      }
    if (cell == focus) {
      for (int x = -2; x < w + 2; x += 2) {
        put(x0 + x, y0 - 2, kMarkRgb);
        put(x0 + x, y0 + h + 1, kMarkRgb);
      }
      for (int y = -2; y < h + 2; y += 2) {
        put(x0 - 2, y0 + y, kMarkRgb);
        put(x0 + w + 1, y0 + y, kMarkRgb);
      }
    }
  }
  return Picture::fromImage(std::move(image));
}

// Hue across, saturation up, at the middle luminosity; a cross at (hue, sat).
Picture spectrumPicture(Hls at) {
  RasterImage image(kSpectrumW, kSpectrumH);
  for (int y = 0; y < kSpectrumH; ++y)
    for (int x = 0; x < kSpectrumW; ++x)
      image.at(x, y) = 0xFF000000u | rgbOf(fromHls({x * kHlsMax / kSpectrumW, kHlsMax / 2,
                                                    kHlsMax - y * kHlsMax / (kSpectrumH - 1)}));
  const int cx = at.hue * kSpectrumW / kHlsMax, cy = (kHlsMax - at.sat) * (kSpectrumH - 1) / kHlsMax;
  for (int d = 3; d <= 7; ++d)
    for (const auto& [x, y] : {std::pair{cx - d, cy}, std::pair{cx + d, cy}, std::pair{cx, cy - d}, std::pair{cx, cy + d}})
      if (x >= 0 && y >= 0 && x < kSpectrumW && y < kSpectrumH) image.at(x, y) = 0xFF000000u | kMarkRgb;
  return Picture::fromImage(std::move(image));
}

// The luminosities of one hue and saturation, lightest at the top; a mark
// at the luminosity chosen.
Picture luminosityPicture(Hls at) {
  RasterImage image(kLumW, kSpectrumH);
  const int marked = (kHlsMax - at.lum) * (kSpectrumH - 1) / kHlsMax;
  for (int y = 0; y < kSpectrumH; ++y) {
    const uint32_t rgb = rgbOf(fromHls({at.hue, kHlsMax - y * kHlsMax / (kSpectrumH - 1), at.sat}));
    for (int x = 0; x < kLumW; ++x) image.at(x, y) = 0xFF000000u | (std::abs(y - marked) <= 1 && x < 4 ? kMarkRgb : rgb);
  }
  return Picture::fromImage(std::move(image));
}

FormDesign colourDialogDesign() {
  using K = ControlKind;
  FormDesign f;
  f.name = u"ColorDialog";
  f.caption = u"Color";
  f.clientLeft = 2400;
  f.clientTop = 1800;
  f.clientWidth = tw(kBasicWidth);
  f.clientHeight = tw(kClientHeight);
  f.font = Font{u"Tahoma", 8.25};
  auto caption = [](BStr c) { return v(u"Caption", Variant(std::move(c))); };
  auto tab = [](int16_t i) { return v(u"TabIndex", Variant::i2(i)); };
  auto grid = [&](const char16_t* name, int y, int rows, int16_t tabIndex) {
    return part(name, K::PictureBox, tw(kGridX - kGridMargin), tw(y - kGridMargin), tw(kGridWidth),
                tw(2 * kGridMargin + rows * kPitchY - 2), {v(u"BorderStyle", Variant::i2(0)), tab(tabIndex)});
  };
  // Each label comes just before the control its access key reaches.
  auto field = [&](const char16_t* label, const char16_t* name, int x, int row, int16_t tabIndex) {
    const int y = kFieldsY + row * kFieldPitch;
    return std::vector<ControlDesign>{
        part(std::u16string(name) + u"Label", K::Label, tw(x), tw(y + 3), tw(40), tw(16),
             {caption(label), v(u"Visible", Variant(false)), tab(tabIndex)}),
        part(name, K::TextBox, tw(x + 42), tw(y), tw(40), tw(21),
             {v(u"Text", Variant(u"")), v(u"MaxLength", Variant(3)), v(u"Visible", Variant(false)),
              tab(static_cast<int16_t>(tabIndex + 1))})};
  };
  f.controls = {
      part(u"BasicLabel", K::Label, tw(kGridX), tw(6), tw(190), tw(16), {caption(u"&Basic colors:"), tab(0)}),
      grid(u"Basic", kGridY, kBasicRows, 1),
      part(u"CustomLabel", K::Label, tw(kGridX), tw(kCustomY - 20), tw(190), tw(16),
           {caption(u"&Custom colors:"), tab(2)}),
      grid(u"Custom", kCustomY, kCustomRows, 3),
      part(u"Define", K::CommandButton, tw(kGridX), tw(kCustomY + kCustomRows * kPitchY + 8), tw(kGridWidth - 2 * kGridMargin),
           tw(kButtonH), {caption(u"&Define Custom Colors >>"), tab(4)}),
      part(u"Chosen", K::PictureBox, tw(kButtonX), tw(kGridY), tw(kButtonW), tw(60),
           {v(u"Enabled", Variant(false)), v(u"TabStop", Variant(false))}),
      part(u"OK", K::CommandButton, tw(kButtonX), tw(kOkY), tw(kButtonW), tw(kButtonH),
           {caption(u"OK"), v(u"Default", Variant(true)), tab(5)}),
      part(u"Cancel", K::CommandButton, tw(kButtonX), tw(kCancelY), tw(kButtonW), tw(kButtonH),
           {caption(u"Cancel"), v(u"Cancel", Variant(true)), tab(6)}),
      // The spectrum and the luminosity bar take the mouse only: Tab passes
      // them by, from Cancel straight to the fields.
      part(u"Spectrum", K::PictureBox, tw(kSpectrumX), tw(kSpectrumY), tw(kSpectrumW + 2), tw(kSpectrumH + 2),
           {v(u"Visible", Variant(false)), v(u"TabStop", Variant(false)), tab(7)}),
      part(u"Luminosity", K::PictureBox, tw(kLumX), tw(kSpectrumY), tw(kLumW + 2), tw(kSpectrumH + 2),
           {v(u"Visible", Variant(false)), v(u"TabStop", Variant(false)), tab(8)}),
  };
  int16_t tabIndex = 9;
  const struct {
    const char16_t* label;
    const char16_t* name;
    int x, row;
  } fields[] = {{u"Hu&e:", u"Hue", kSpectrumX, 0},  {u"&Sat:", u"Sat", kSpectrumX, 1},  {u"&Lum:", u"Lum", kSpectrumX, 2},
                {u"&Red:", u"Red", kSpectrumX + 110, 0}, {u"&Green:", u"Green", kSpectrumX + 110, 1},
                {u"Bl&ue:", u"Blue", kSpectrumX + 110, 2}};
  for (const auto& fd : fields) {
    for (ControlDesign& d : field(fd.label, fd.name, fd.x, fd.row, tabIndex)) f.controls.push_back(std::move(d));
    tabIndex = static_cast<int16_t>(tabIndex + 2);
  }
  f.controls.push_back(part(u"Add", K::CommandButton, tw(kSpectrumX), tw(kFieldsY + 3 * kFieldPitch + 4),
                            tw(kLumX + kLumW + 2 - kSpectrumX), tw(kButtonH),
                            {caption(u"&Add to Custom Colors"), v(u"Visible", Variant(false)), tab(tabIndex)}));
  return f;
}

constexpr const char16_t* kFullPart[] = {u"Spectrum", u"Luminosity", u"HueLabel", u"Hue",     u"SatLabel",
                                         u"Sat",      u"LumLabel",   u"Lum",      u"RedLabel", u"Red",
                                         u"GreenLabel", u"Green",    u"BlueLabel", u"Blue",    u"Add"};

}  // namespace

// The colour dialog's form: what a person sees and uses.
class ColorDialogWindow : public CommonDialogWindow {
 public:
  ColorDialogWindow(ColorDialogProvider& provider, std::size_t session, CHOOSECOLORA& cc)
      : CommonDialogWindow(colourDialogDesign(), u"Color"), provider_(provider), session_(session), cc_(cc) {
    for (int i = 0; i < kBasicCells; ++i) basic_[static_cast<std::size_t>(i)] = basicColour(i);
  }

  void onLoad() override {
    Filling quiet(filling_);
    const ColorDialogSession& s = session();
    custom_ = s.customColorsShown;
    for (COLORREF& c : custom_) c &= 0xFFFFFF;
    chosen_ = s.initialColor;
    for (int i = 0; i < kBasicCells + kCustomCells; ++i)
      if (cellColour(i) == chosen_) {
        (i < kBasicCells ? basicFocus_ : customFocus_) = i < kBasicCells ? i : i - kBasicCells;
        break;
      }
    control(u"Define").setEnabled((s.flags & (CC_PREVENTFULLOPEN | CC_FULLOPEN)) == 0);
    if ((s.flags & CC_FULLOPEN) != 0 && (s.flags & CC_PREVENTFULLOPEN) == 0) openFull();
    showChosen();
  }

  void onControlEvent(ControlArray& array, ControlEvent event, int16_t&, std::span<Variant> params) override {
    if (filling_ || ended()) return;
    const BStr& name = array.name();
    const bool basic = name == u"Basic", custom = name == u"Custom";
    if (basic || custom) return gridEvent(basic, event, params);
    if (event == ControlEvent::Click) {
      if (name == u"OK") return accept();
      if (name == u"Cancel") return end(false);
      if (name == u"Define") {
        openFull();
        if (Control& hue = control(u"Hue"); hue.focusable()) hue.setFocus();
        return;
      }
      if (name == u"Add") return addCustom();
    }
    if ((name == u"Spectrum" || name == u"Luminosity") &&
        (event == ControlEvent::MouseDown || (event == ControlEvent::MouseMove && toI2(params[0]) == 1)))
      return pickAt(name == u"Spectrum", toR8(params[2]), toR8(params[3]));
    if (event == ControlEvent::Change) return fieldChanged(name);
  }

  // The scripted user's next answer: the colour defined, then OK (or
  // Cancel). False when nothing is queued.
  bool takeAnswer() {
    std::optional<ColorDialogAnswer> answer = provider_.take();
    if (!answer) return false;
    if (!answer->color) {
      person::click(control(u"Cancel"));
      return true;
    }
    if ((session().flags & CC_PREVENTFULLOPEN) == 0)
      for (const auto& [entry, colour] : answer->customColors)
        if (entry < kCustomColorCount) {
          custom_[entry] = colour & 0xFFFFFF;
          cc_.lpCustColors[entry] = colour & 0xFFFFFF;
        }
    choose(*answer->color & 0xFFFFFF);
    person::click(control(u"OK"));
    return true;
  }

  COLORREF chosen() const { return chosen_; }

 private:
  static constexpr int kCustomCells = static_cast<int>(kCustomColorCount);
  enum class Typed { None, Hls, Rgb };  // the fields a person is typing into

  ColorDialogSession& session() { return provider_.session(session_); }
  bool fullOpen() { return control(u"Spectrum").visible(); }

  COLORREF cellColour(int cell) const {
    return cell < kBasicCells ? basic_[static_cast<std::size_t>(cell)]
                              : custom_[static_cast<std::size_t>(cell - kBasicCells)];
  }

  // Arrows move the focus among the cells of a grid and choose the cell;
  // Space and a click choose one; the grid shows its focus while it has it.
  void gridEvent(bool basic, ControlEvent event, std::span<Variant> params) {
    int& focus = basic ? basicFocus_ : customFocus_;
    const int rows = basic ? kBasicRows : kCustomRows;
    switch (event) {
      case ControlEvent::MouseDown: {
        const int column = static_cast<int>(std::floor((twipsToPixels(toR8(params[2])) - kGridMargin) / kPitchX));
        const int row = static_cast<int>(std::floor((twipsToPixels(toR8(params[3])) - kGridMargin) / kPitchY));
        if (column < 0 || column >= kColumns || row < 0 || row >= rows) return;
        focus = row * kColumns + column;
        break;
      }
      case ControlEvent::KeyDown: {
        const int16_t key = toI2(params[0]);
        int column = std::max(0, focus) % kColumns, row = std::max(0, focus) / kColumns;
        if (focus < 0) column = row = 0;
        else if (key == 37) column = std::max(0, column - 1);
        else if (key == 39) column = std::min(kColumns - 1, column + 1);
        else if (key == 38) row = std::max(0, row - 1);
        else if (key == 40) row = std::min(rows - 1, row + 1);
        else if (key == 36) column = row = 0;
        else if (key == 35) column = kColumns - 1, row = rows - 1;
        else return;
        focus = row * kColumns + column;
        break;
      }
      case ControlEvent::KeyPress:
        if (toI2(params[0]) != ' ') return;
        focus = std::max(0, focus);
        break;
      case ControlEvent::GotFocus:
        if (focus < 0) focus = 0;
        showGrids();
        return;
      case ControlEvent::LostFocus:
        showGrids();
        return;
      default:
        return;
    }
    chosenCell_ = (basic ? 0 : kBasicCells) + focus;
    choose(cellColour(chosenCell_), chosenCell_);
  }

  // The colour chosen, shown in the grids, the box beside them and the part
  // that defines colours.
  void choose(COLORREF colour, int cell = -1) {
    chosen_ = colour & 0xFFFFFF;
    chosenCell_ = cell;
    showChosen();
  }

  void showChosen() {
    showSwatch();
    if (fullOpen()) showDefined(toHls(chosen_));
  }

  // A colour defined in the part that defines colours: chosen in no cell,
  // with the hue, saturation and luminosity `hls` as picked or typed (also
  // where the colour rounds them).
  void define(COLORREF colour, Hls hls, Typed typed = Typed::None) {
    chosen_ = colour & 0xFFFFFF;
    chosenCell_ = -1;
    showSwatch();
    showDefined(hls, typed);
  }

  // The colour chosen in the grids and the box beside them.
  void showSwatch() {
    showGrids();
    element<PictureBox>(u"Chosen").setBackColor(static_cast<OleColor>(chosen_));
  }

  // The fields show `hls` and the colour chosen's red, green and blue, but
  // for those the person is typing; the spectrum and the bar mark `hls`.
  void showDefined(Hls hls, Typed typed = Typed::None) {
    Filling quiet(filling_);
    auto put = [&](const char16_t* name, int value) {
      element<TextBox>(name).setText(toBStr(Variant(static_cast<int32_t>(value))));
    };
    if (typed != Typed::Hls) {
      put(u"Hue", hls.hue);
      put(u"Sat", hls.sat);
      put(u"Lum", hls.lum);
    }
    if (typed != Typed::Rgb) {
      put(u"Red", static_cast<int>(chosen_ & 0xFF));
      put(u"Green", static_cast<int>((chosen_ >> 8) & 0xFF));
      put(u"Blue", static_cast<int>((chosen_ >> 16) & 0xFF));
    }
    showDefiner(hls);
  }

  void showDefiner(Hls hls) {
    element<PictureBox>(u"Spectrum").setPicture(spectrumPicture(hls));
    element<PictureBox>(u"Luminosity").setPicture(luminosityPicture(hls));
  }

  void showGrids() {
    const Control* focused = activeControl();
    const bool basicFocused = focused == &control(u"Basic"), customFocused = focused == &control(u"Custom");
    const int chosenBasic = chosenCell_ >= 0 && chosenCell_ < kBasicCells ? chosenCell_ : -1;
    const int chosenCustom = chosenCell_ >= kBasicCells ? chosenCell_ - kBasicCells : -1;
    element<PictureBox>(u"Basic").setPicture(
        gridPicture(basic_, kBasicRows, chosenBasic, basicFocused ? basicFocus_ : -1));
    element<PictureBox>(u"Custom").setPicture(
        gridPicture(custom_, kCustomRows, chosenCustom, customFocused ? customFocus_ : -1));
  }

  void openFull() {
    if (fullOpen()) return;
    move(left(), top(), width() + tw(kFullWidth - kBasicWidth));
    for (const char16_t* name : kFullPart) control(name).setVisible(true);
    control(u"Define").setEnabled(false);
    showChosen();
  }

  // A press on the spectrum chooses hue and saturation, on the bar beside
  // it the luminosity.
  void pickAt(bool spectrum, double x, double y) {
    Hls hls = toHls(chosen_);
    const double px = twipsToPixels(x) - 1, py = twipsToPixels(y) - 1;
    const int fromTop = static_cast<int>(std::lround(std::clamp(py, 0.0, kSpectrumH - 1.0) * kHlsMax / (kSpectrumH - 1)));
    if (spectrum) {
      hls.hue = std::clamp(static_cast<int>(px * kHlsMax / kSpectrumW), 0, kHlsMax - 1);
      hls.sat = kHlsMax - fromTop;
      if (hls.lum == 0 || hls.lum == kHlsMax) hls.lum = kHlsMax / 2;
    } else {
      hls.lum = kHlsMax - fromTop;
    }
    define(fromHls(hls), hls);
  }

  // A number typed into one of the fields defines the colour anew.
  void fieldChanged(const BStr& name) {
    auto number = [&](const char16_t* field, int most) {
      const BStr text = element<TextBox>(field).text();
      int value = 0;
      for (char16_t c : text) {
        if (c < u'0' || c > u'9') return -1;
        value = value * 10 + (c - u'0');
      }
      return text.empty() ? -1 : std::min(value, most);
    };
    if (name == u"Hue" || name == u"Sat" || name == u"Lum") {
      const int h = number(u"Hue", kHlsMax - 1), s = number(u"Sat", kHlsMax), l = number(u"Lum", kHlsMax);
      if (h < 0 || s < 0 || l < 0) return;
      define(fromHls({h, l, s}), {h, l, s}, Typed::Hls);
    } else if (name == u"Red" || name == u"Green" || name == u"Blue") {
      const int r = number(u"Red", 255), g = number(u"Green", 255), b = number(u"Blue", 255);
      if (r < 0 || g < 0 || b < 0) return;
      const COLORREF colour = colourRef(r, g, b);
      define(colour, toHls(colour), Typed::Rgb);
    }
  }

  // The colour defined goes into the custom cell with the focus, and into
  // the caller's table of custom colours; the focus moves on to the next cell.
  void addCustom() {
    const int slot = std::clamp(customFocus_, 0, kCustomCells - 1);
    custom_[static_cast<std::size_t>(slot)] = chosen_;
    cc_.lpCustColors[slot] = chosen_;
    chosenCell_ = kBasicCells + slot;
    customFocus_ = (slot + 1) % kCustomCells;
    showGrids();
  }

  void accept() {
    cc_.rgbResult = chosen_;
    session().result = chosen_;
    end(true);
  }

  ColorDialogProvider& provider_;
  std::size_t session_;
  CHOOSECOLORA& cc_;
  std::array<COLORREF, kBasicCells> basic_{};
  std::array<COLORREF, kCustomColorCount> custom_{};
  COLORREF chosen_ = 0;
  int chosenCell_ = -1;
  int basicFocus_ = -1, customFocus_ = -1;
};

void ColorDialogProvider::resetOwn() { g_extendedError = 0; }

BOOL ColorDialogProvider::choose(CHOOSECOLORA& cc) {
  Desktop& d = desktop();
  g_extendedError = 0;
  if (cc.lStructSize != kChooseColorSize) {
    g_extendedError = CDERR_STRUCTSIZE;
    return 0;
  }
  if (!cc.lpCustColors) {
    g_extendedError = CDERR_INITIALIZATION;
    return 0;
  }
  if (cc.hwndOwner != 0 && !d.find(cc.hwndOwner)) {
    g_extendedError = CDERR_DIALOGFAILURE;
    return 0;
  }
  ColorDialogSession s;
  s.owner = cc.hwndOwner ? d.rootOf(cc.hwndOwner) : 0;
  s.flags = cc.Flags;
  s.initialColor = (cc.Flags & CC_RGBINIT) != 0 ? cc.rgbResult & 0xFFFFFF : 0;
  std::copy_n(cc.lpCustColors, kCustomColorCount, s.customColorsShown.begin());
  s.open = true;
  const std::size_t index = record(std::move(s));
  auto window = makeRef<ColorDialogWindow>(*this, index, cc);
  const bool confirmed = runDialogSession(*this, index, *window);
  ColorDialogSession& done = session(index);
  done.answered = true;
  if (!confirmed) done.result.reset();
  return confirmed ? 1 : 0;
}

ColorDialogProvider& colorDialogs() {
  static ColorDialogProvider instance;
  return instance;
}

COLORREF colourDialogBasicColour(int index) { return basicColour(std::clamp(index, 0, kBasicCells - 1)); }

BOOL ChooseColorA(CHOOSECOLORA* lpcc) {
  if (!lpcc) {
    g_extendedError = CDERR_INITIALIZATION;
    return 0;
  }
  return colorDialogs().choose(*lpcc);
}

DWORD CommDlgExtendedError() { return g_extendedError; }

void SetCommDlgExtendedError(DWORD error) { g_extendedError = error; }

}  // namespace svx
