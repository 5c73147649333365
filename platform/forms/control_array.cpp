#include "platform/forms/control_array.h"

#include <vector>

#include "platform/forms/check_box.h"
#include "platform/forms/combo_box.h"
#include "platform/forms/command_button.h"
#include "platform/forms/form.h"
#include "platform/forms/frame.h"
#include "platform/forms/image.h"
#include "platform/forms/label.h"
#include "platform/forms/list_box.h"
#include "platform/forms/option_button.h"
#include "platform/forms/picture_box.h"
#include "platform/forms/scroll_bar.h"
#include "platform/forms/shape_line.h"
#include "platform/forms/text_box.h"

namespace svx {

Ref<Control> createControl(ControlKind kind) {
  switch (kind) {
    case ControlKind::CommandButton: return makeRef<CommandButton>();
    case ControlKind::CheckBox: return makeRef<CheckBox>();
    case ControlKind::ComboBox: return makeRef<ComboBox>();
    case ControlKind::Frame: return makeRef<Frame>();
    case ControlKind::HScrollBar: return makeRef<ScrollBar>(true);
    case ControlKind::VScrollBar: return makeRef<ScrollBar>(false);
    case ControlKind::Shape: return makeRef<Shape>();
    case ControlKind::Line: return makeRef<Line>();
    case ControlKind::Image: return makeRef<Image>();
    case ControlKind::PictureBox: return makeRef<PictureBox>();
    case ControlKind::Label: return makeRef<Label>();
    case ControlKind::ListBox: return makeRef<ListBox>();
    case ControlKind::TextBox: return makeRef<TextBox>();
    case ControlKind::OptionButton: return makeRef<OptionButton>();
    case ControlKind::User: break;
  }
  return nullptr;
}

Control* ControlArray::find(int16_t index) const {
  auto it = elements_.find(index);
  return it == elements_.end() ? nullptr : it->second.get();
}

Control& ControlArray::item(int16_t index) const {
  Control* c = find(index);
  if (!c) raiseElementMissing(index);
  return *c;
}

int16_t ControlArray::lBound() const { return elements_.empty() ? 0 : elements_.begin()->first; }
int16_t ControlArray::uBound() const { return elements_.empty() ? -1 : elements_.rbegin()->first; }

void ControlArray::adopt(int16_t index, Ref<Control> c) {
  c->name_ = name_;
  c->index_ = index;
  c->array_ = this;
  c->form_ = WeakRef<Form>(form_);
  Control& added = *c;
  elements_[index] = std::move(c);
  form_->attach(added);
}

Control& ControlArray::load(int16_t index) {
  if (!form_) raise(err::InvalidProcedureCall);
  if (exists(index)) raise(err::ObjectAlreadyLoaded);
  Control* tmpl = find(0);
  if (!tmpl) raiseElementMissing(0);
  Ref<Control> c = tmpl->makeSibling();
  {
    EventSuppression quiet(*form_);
    c->form_ = WeakRef<Form>(form_);
    c->array_ = this;
    c->copyFrom(*tmpl);
    c->visible_ = false;
  }
  Control& added = *c;
  adopt(index, std::move(c));
  return added;
}

void ControlArray::unload(int16_t index) {
  if (!exists(index)) raiseElementMissing(index);
  if (index == 0) raise(err::CannotUnloadDesignTimeElement);
  remove(index);
}

void ControlArray::remove(int16_t index) {
  auto it = elements_.find(index);
  if (it == elements_.end()) return;
  Ref<Control> c = it->second;
  if (form_) {
    // The controls inside it go with it; a template stays, on the form. Only
    // a container holding controls looks for them.
    if (c->childCount_ > 0) {
      std::vector<Control*> inside = form_->childrenOf(c.get());
      for (Control* child : inside) {
        if (child->index() == 0 || !child->array()) {
          child->container_ = c->container_;
          --c->childCount_;
          if (Control* outer = c->container()) ++outer->childCount_;
        } else {
          child->array()->remove(child->index());
        }
      }
    }
    form_->detach(*c);
  }
  c->destroyWindow();
  c->form_ = WeakRef<Form>();
  c->array_ = nullptr;
  elements_.erase(index);
  c->unloaded();
}

Variant ControlArray::Item(Variant& index) {
  if (index.isMissing()) raise(err::ArgumentNotOptional);
  return Variant(ObjectRef(&item(toI2(index))));
}

const ClassInfo& ControlArray::info() {
  static const ClassInfo ci = ClassInfo(u"ControlArray")
                                  .get<&ControlArray::LBound>(u"LBound")
                                  .get<&ControlArray::UBound>(u"UBound")
                                  .get<&ControlArray::Count>(u"Count")
                                  .get<&ControlArray::Item>(u"Item", {in(u"Index")})
                                  .defaultMember(u"Item");
  return ci;
}

}  // namespace svx
