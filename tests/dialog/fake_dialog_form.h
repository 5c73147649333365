// A stand-in for DialogForm: an automation object that declares every form
// member Dialog forwards to (all parameters optional and by reference) and
// the form's 184 events, records each call, and answers as a test scripts it.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <memory>
#include <vector>

#include "core/form_event_table.h"
#include "dialog/dialog.h"
#include "platform/automation/coerce.h"
#include "platform/automation/dispatch.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/message_loop.h"
#include "platform/dialogs/services.h"
#include "tests/support/error_of.h"

namespace svx::testing {

struct FormCall {
  BStr name;
  std::vector<Variant> args;  // the values as the form received them
};

class FakeForm : public Object {
 public:
  // Answers a call: may write into the arguments, returns the result. The
  // default writes 0 and "" into the last two (the error out-parameters).
  using Behaviour = std::function<Variant(BStrView name, const Args& args)>;

  static const ClassInfo& info() {
    static const ClassInfo ci = [] {
      ClassInfo c(u"DialogForm");
      std::vector<std::pair<BStr, size_t>> members;
      for (const DialogMemberRow& r : dialogMemberTable())
        if (!r.handler || r.name == u"CommonDialogShowOpen") members.emplace_back(r.name, r.params.size());
      members.emplace_back(u"CommonDialogShowOpen", 7);
      members.emplace_back(u"CommonDialogShowMultiOpen", 7);
      for (auto& [name, count] : members) {
        if (c.dispidOf(name) >= 0) continue;
        // CommonDialogShowOpen of the form has no boolMultiSelect.
        const size_t n = name == u"CommonDialogShowOpen" ? 7 : count;
        std::vector<ParamInfo> params;
        for (size_t i = 0; i < n; ++i) params.push_back(refOpt(u"p" + utf16(std::to_string(i))));
        c.member(name, InvokeKind::Method, params, [memberName = name](Object& self, const Args& a) {
          return static_cast<FakeForm&>(self).answer(memberName, a);
        });
      }
      declareFormEvents(c);
      return c;
    }();
    return ci;
  }
  const ClassInfo& classInfo() const override { return info(); }

  Variant answer(BStrView name, const Args& a) {
    FormCall call{BStr(name), {}};
    for (size_t i = 0; i < a.size(); ++i) call.args.push_back(a[i].value());
    calls.push_back(std::move(call));
    if (behaviour) return behaviour(name, a);
    if (a.size() >= 2) {
      if (!a[a.size() - 2].isMissing()) a[a.size() - 2].assign(Variant::i2(0));
      if (!a[a.size() - 1].isMissing()) a[a.size() - 1].assign(Variant(BStr()));
    }
    return {};
  }

  // Raises the form event `name` with references to `values`.
  void fire(BStrView name, std::vector<Variant>& values) {
    const EventInfo* e = classInfo().findEvent(name);
    ASSERT_NE(e, nullptr) << utf8(name);
    std::vector<Variant> refs = refsTo(values);
    raiseEvent(e->dispid, refs);
  }

  const FormCall& lastCall() const { return calls.back(); }

  Behaviour behaviour;
  std::vector<FormCall> calls;
};

// The DialogFormApi side of the fake, with the form's state.
class FakeFormApi : public DialogFormApi {
 public:
  FakeFormApi() : object(makeRef<FakeForm>()) {}

  ObjectRef formObject() override { return ObjectRef(object); }
  bool topMost() const override { return topMost_; }
  void setTopMost(bool v) override { topMost_ = v; }
  bool visible() override { return visible_; }
  void setVisible(bool v) override { visible_ = v; }
  HWND hWnd() override { return 0x4242; }
  void showModal() override {
    ++showModalCalls;
    if (showModalError) raise(showModalError);
    if (onShowModal) onShowModal();
  }
  void hide() override { ++hideCalls; }
  void unload() override { ++unloadCalls; }
  BStr caption() override { return caption_; }
  void setCaption(const BStr& v) override {
    ++captionSets;
    caption_ = v;
  }
  float left() override { return left_; }
  void setLeft(float v) override { left_ = v; }
  float top() override { return top_; }
  void setTop(float v) override { top_ = v; }
  float width() override { return width_; }
  void setWidth(float v) override { width_ = v; }
  float height() override { return height_; }
  void setHeight(float v) override {
    if (minimised) raise(err::CannotMoveOrSizeMinimized);
    if (foreignFailure) throw std::runtime_error("height refused");
    height_ = v;
  }
  float scaleWidth() override { return width_ - 120; }
  float scaleHeight() override { return height_ - 500; }

  Ref<FakeForm> object;
  int showModalCalls = 0, hideCalls = 0, unloadCalls = 0, captionSets = 0;
  int32_t showModalError = 0;
  bool minimised = false;
  bool foreignFailure = false;  // setHeight throws an exception of no runtime error
  std::function<void()> onShowModal;

 private:
  bool topMost_ = false;
  bool visible_ = true;
  BStr caption_;
  float left_ = 5355, top_ = 3285, width_ = 4770, height_ = 5825;
};

// A fresh desktop on virtual time, the services at their defaults, and a form
// factory that hands out fake forms.
class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::useVirtualTime();
    desktop().reset();
    resetServices();
    Dialog::registerProgId();
    setDialogFormFactory([this] {
      auto form = std::make_shared<FakeFormApi>();
      forms.push_back(form);
      return form;
    });
  }
  void TearDown() override {
    dialog.reset();
    setDialogFormFactory({});
    setHelpWindowFactory({});
    setPrinterObjectProvider({});
    setInitCustomColorsHook({});
    resetServices();
    desktop().reset();
    Clock::useRealTime();
  }

  ObjectRef create() {
    dialog = createObject(u"Sorvanelix.Dialog");
    return dialog;
  }
  Dialog& typed() { return static_cast<Dialog&>(*dialog); }
  FakeFormApi& form() { return *forms.back(); }
  FakeForm& formObject() { return *forms.back()->object; }

  // A call as a script makes it: arguments by value or as byRef(variable).
  Variant call(BStrView name, std::vector<Variant> args = {}, InvokeKind kind = InvokeKind::Method) {
    return dialog->invoke(name, kind, args);
  }
  void let(BStrView name, Variant value) {
    std::vector<Variant> args{std::move(value)};
    dialog->invoke(name, InvokeKind::PropertyPut, args);
  }

  // The "Error!" boxes shown so far.
  std::vector<ShownBox> errorBoxes() const {
    std::vector<ShownBox> out;
    for (const ShownBox& b : dialogResponder().sessions())
      if (b.title == u"Error!") out.push_back(b);
    return out;
  }

  std::vector<std::shared_ptr<FakeFormApi>> forms;
  ObjectRef dialog;
};

}  // namespace svx::testing
