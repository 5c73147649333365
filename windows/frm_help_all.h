// frmHelpAll: the help window. Three read-only panes hold the reference text
// of the scripting interface (events; properties and methods in two parts),
// one visible at a time, chosen with the option buttons optDisplay(0..2)
// along the bottom edge. Its own close ends its modal show.
#pragma once

#include "platform/forms/form.h"
#include "windows/help_text.h"

namespace svx {

class frmHelpAll : public Form {
 public:
  static constexpr double kOptionGap = 150;  // twips between option buttons

  // The window with the built-in reference texts, or with `texts`.
  frmHelpAll();
  explicit frmHelpAll(HelpTexts texts);
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }

 protected:
  void onLoad() override;
  void onActivate() override;
  void onPaint() override;
  void onResize() override;
  void onControlEvent(ControlArray& array, ControlEvent event, int16_t& index, std::span<Variant> params) override;

 private:
  // Shows the pane of the selected option button, hiding the other two.
  void showChosenPane(bool focus);
};

}  // namespace svx
