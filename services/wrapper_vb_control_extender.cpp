#include "services/wrapper_vb_control_extender.h"

namespace svx {

namespace {

// Forwards the extender's events to the user control while it lives.
class ExtenderSink : public EventSink {
 public:
  explicit ExtenderSink(WrapperVBControlExtender& w) : wrapper_(&w) {}
  void onEvent(Object&, const EventInfo& event, std::span<Variant> args) override {
    if (Ref<WrapperVBControlExtender> w = wrapper_.lock()) w->relay(event.name, args);
  }

 private:
  WeakRef<WrapperVBControlExtender> wrapper_;
};

}  // namespace

void WrapperVBControlExtender::setExtCtl(const ObjectRef& extender) {
  if (extCtl_ == extender) return;
  if (extCtl_ && cookie_) extCtl_->disconnect(cookie_);
  cookie_ = 0;
  extCtl_ = extender;
  if (extCtl_) cookie_ = extCtl_->connect(std::make_shared<ExtenderSink>(*this));
}

void WrapperVBControlExtender::setExtCtlRef(Variant& value) {
  const Variant& v = value.deref();
  if (!v.isObject()) raise(err::ObjectRequired);
  setExtCtl(v.asObject());
}

void WrapperVBControlExtender::relay(BStrView name, std::span<Variant> args) {
  ignoreErrors([&] {
    if (name == u"ObjectEvent" || name == u"GotFocus" || name == u"LostFocus" || name == u"Validate")
      raiseUserEvent(u"VBControlExtender" + BStr(name), args);
  });
}

void WrapperVBControlExtender::terminate() {
  setExtCtl(nullptr);
  UserControl::terminate();
}

const ClassInfo& WrapperVBControlExtender::info() {
  static const ClassInfo ci = ClassInfo(u"WrapperVBControlExtender", &UserControl::info())
                                  .get<&WrapperVBControlExtender::getExtCtl>(u"extCtl")
                                  .set<&WrapperVBControlExtender::setExtCtlRef>(u"extCtl", {in(u"Value")})
                                  .event(u"VBControlExtenderGotFocus", {})
                                  .event(u"VBControlExtenderLostFocus", {})
                                  .event(u"VBControlExtenderValidate", {u"Cancel"})
                                  .event(u"VBControlExtenderObjectEvent", {u"Info"});
  return ci;
}

}  // namespace svx
