#include "windows/frm_help_all.h"

#include "core/mod_show_in_taskbar.h"
#include "platform/automation/error.h"
#include "platform/forms/option_button.h"

namespace svx {

namespace {

constexpr const char16_t* kPanes[] = {u"txtHelp", u"txtHelp2", u"txtHelp3"};

ControlDesign pane(const char16_t* name, BStr text, bool visible, int16_t tabIndex) {
  ControlDesign d;
  d.arrayName = name;
  d.kind = ControlKind::TextBox;
  d.values = {{u"MultiLine", Variant(true)},   {u"ScrollBars", Variant::i2(3)},   {u"Locked", Variant(true)},
              {u"Text", Variant(std::move(text))}, {u"Visible", Variant(visible)}, {u"TabIndex", Variant::i2(tabIndex)}};
  return d;
}

FormDesign helpDesign(HelpTexts texts) {
  FormDesign d;
  d.name = u"frmHelpAll";
  d.caption = u"Help";
  d.clientWidth = 7260;
  d.clientHeight = 3930;
  d.font = Font{u"Tahoma", 8.25};
  ControlDesign option;
  option.arrayName = u"optDisplay";
  option.kind = ControlKind::OptionButton;
  option.values = {{u"Caption", Variant(u"Public Events")}, {u"Width", Variant(1245)}, {u"Height", Variant(315)},
                   {u"Value", Variant(true)}, {u"TabIndex", Variant::i2(2)}};
  d.controls = {pane(kPanes[0], std::move(texts[0]), true, 0), pane(kPanes[1], std::move(texts[1]), false, 1),
                option, pane(kPanes[2], std::move(texts[2]), false, 5)};
  return d;
}

}  // namespace

frmHelpAll::frmHelpAll() : frmHelpAll(builtInHelpTexts()) {}

frmHelpAll::frmHelpAll(HelpTexts texts) : Form(helpDesign(std::move(texts))) {}

const ClassInfo& frmHelpAll::info() {
  static const ClassInfo ci = ClassInfo(u"frmHelpAll", &Form::info());
  return ci;
}

void frmHelpAll::onLoad() {
  // The panes have a font of their own; the option buttons use the form's.
  for (const char16_t* name : kPanes)
    ignoreErrors([&] { array(name).item(0).setFont(Font{u"Tahoma", 9, true}); });
  // optDisplay(1) and (2) belong to the design, as element 0 does.
  ignoreErrors([&] {
    EventSuppression quiet(*this);
    ControlArray& options = array(u"optDisplay");
    const struct {
      int16_t index;
      const char16_t* caption;
      int16_t tabIndex;
    } more[] = {{1, u"Public Properties and Methods (I)", 3}, {2, u"Public Properties and Methods (II)", 4}};
    for (const auto& m : more) {
      auto& o = dynamic_cast<OptionButton&>(options.load(m.index));
      o.setCaption(m.caption);
      o.move(0, 0, 2760, 315);
      o.setTabIndex(m.tabIndex);
      o.setVisible(true);
    }
  });
  onResize();
}

void frmHelpAll::onActivate() {
  ignoreErrors([&] { ShowWindowInTaskBar(hWnd()); });
}

void frmHelpAll::onPaint() {
  ignoreErrors([&] { ShowWindowInTaskBar(hWnd()); });
}

// Every statement runs on its own: one that fails (a negative size of a
// window made very small) is skipped; the next resize restores the layout.
void frmHelpAll::onResize() {
  auto opt = [&](int16_t i) -> Control& { return control(u"optDisplay", i); };
  ignoreErrors([&] { opt(0).setLeft(0); });
  ignoreErrors([&] { opt(0).setTop(scaleHeight() - opt(0).height()); });
  ignoreErrors([&] { opt(1).setLeft(opt(0).left() + opt(0).width() + kOptionGap); });
  ignoreErrors([&] { opt(1).setTop(opt(0).top()); });
  ignoreErrors([&] { opt(2).setLeft(opt(1).left() + opt(1).width() + kOptionGap); });
  ignoreErrors([&] { opt(2).setTop(opt(0).top()); });
  for (const char16_t* name : kPanes) {
    ignoreErrors([&] { control(name).setLeft(0); });
    ignoreErrors([&] { control(name).setTop(0); });
    ignoreErrors([&] { control(name).setWidth(scaleWidth()); });
    ignoreErrors([&] { control(name).setHeight(scaleHeight() - control(name).top() - opt(0).height()); });
  }
  showChosenPane(false);
}

void frmHelpAll::showChosenPane(bool focus) {
  for (int16_t i = 0; i < 3; ++i) {
    bool chosen = false;
    ignoreErrors([&] { chosen = element<OptionButton>(u"optDisplay", i).value(); });
    if (!chosen) continue;
    for (int16_t j = 0; j < 3; ++j)
      if (j != i) ignoreErrors([&] { control(kPanes[j]).setVisible(false); });
    ignoreErrors([&] { control(kPanes[i]).setVisible(true); });
    if (focus) ignoreErrors([&] { control(kPanes[i]).setFocus(); });
  }
}

void frmHelpAll::onControlEvent(ControlArray& array, ControlEvent event, int16_t&, std::span<Variant>) {
  if (array.name() == u"optDisplay" && event == ControlEvent::Click) showChosenPane(true);
}

}  // namespace svx
