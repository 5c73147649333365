#include "platform/forms/hosted_control.h"

#include "platform/forms/control_extender.h"

namespace svx {

const ClassInfo& EventParameter::info() {
  static const ClassInfo ci = ClassInfo(u"EventParameter")
                                  .get<&EventParameter::Name>(u"Name")
                                  .get<&EventParameter::Value>(u"Value")
                                  .let<&EventParameter::letValue>(u"Value", {in(u"Value")})
                                  .set<&EventParameter::letValue>(u"Value", {in(u"Value")})
                                  .defaultMember(u"Value");
  return ci;
}

HostedControl::~HostedControl() = default;

ControlExtender* HostedControl::extender() const { return static_cast<ControlExtender*>(extender_.get()); }

void HostedControl::raiseControlEvent(BStrView name, const EventParameterList& params) {
  Ref<Object> keep(this);
  if (Ref<Object> host = extender_.lock()) static_cast<ControlExtender&>(*host).raiseObjectEvent(name, params);
}

}  // namespace svx
