// frmAbout: the About box. The program's icon, the title and version lines,
// an etched separator and OK; Alt with a right click on its background shows
// and hides a picture. DialogForm.AboutBox creates, shows and unloads it.
#pragma once

#include "platform/forms/form.h"
#include "platform/graphics/picture.h"

namespace svx {

class frmAbout : public Form {
 public:
  static constexpr const char16_t* kTitle = u"Sorvanelix: dialogs for scripts";

  frmAbout();
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }

 protected:
  void onLoad() override;
  void onMouseDown(int16_t& button, int16_t& shift, float& x, float& y) override;
  void onControlEvent(ControlArray& array, ControlEvent event, int16_t& index, std::span<Variant> params) override;
};

// The About box's picture, built in.
Picture aboutPicture();

}  // namespace svx
