// frmHelpAll: the help window, a form that shows the reference text of the
// scripting interface; its own close (the control box or its Close button)
// ends its modal show.
#pragma once

#include "platform/forms/form.h"

namespace svx {

class frmHelpAll : public Form {
 public:
  // `referenceText`: the text the window shows.
  explicit frmHelpAll(BStr referenceText);
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }

 protected:
  void onControlEvent(ControlArray& array, ControlEvent event, int16_t& index, std::span<Variant> params) override;
};

// The reference text of a class: every member with its parameters and
// description, then every event, in interface order.
BStr referenceText(const ClassInfo& ci);

}  // namespace svx
