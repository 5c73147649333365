// The focus and the tab order of a form.
#include <algorithm>

#include "platform/forms/form.h"
#include "platform/forms/input.h"
#include "platform/forms/option_button.h"
#include "platform/forms/text_box.h"

namespace svx {

namespace {

bool isOption(const Control* c) { return c && c->kind() == ControlKind::OptionButton; }

}  // namespace

std::vector<Control*> Form::optionGroupOf(const Control& option) const {
  std::vector<Control*> group;
  for (Control* c : tabOrder_.items())
    if (isOption(c) && c->container() == option.container() && c->focusable()) group.push_back(c);
  return group;
}

std::vector<Control*> Form::buttonGroupOf(const Control& button) const {
  std::vector<Control*> run;
  bool found = false;
  for (Control* c : tabOrder_.items()) {
    if (!c->focusable()) continue;
    if (c->kind() != ControlKind::CommandButton || c->container() != button.container()) {
      if (found) break;
      run.clear();
      continue;
    }
    run.push_back(c);
    found = found || c == &button;
  }
  if (!found) run.clear();
  return run;
}

bool Form::moveFocus(Control* target) {
  Ref<Form> keep(this);
  Control* current = active_.get();
  if (current == target) return true;
  if (current && target && target->causesValidation() && current->hasValidate()) {
    Ref<Control> hold(current);
    if (current->fireValidate()) return false;
    current = active_.get();
    if (current == target) return true;
  }
  active_ = WeakRef<Control>(target);
  if (current) input::focusLeft(*current);
  // A drop-down list closes with the focus of its box.
  if (current && dropped_.get() == current) dropped_ = {};
  if (current) current->fire(ControlEvent::LostFocus);
  if (target && active_.get() == target) {
    if (target->hwnd_) SetFocus(target->hwnd_);
    target->fire(ControlEvent::GotFocus);
  }
  return active_.get() == target;
}

bool Form::moveFocusByKey(Control* target) {
  Ref<Form> keep(this);
  if (!moveFocus(target)) return false;
  if (auto* box = dynamic_cast<TextBox*>(target); box && selectsFieldOnKeyFocus() && box->loaded()) {
    box->selectAll();
  }
  return true;
}

Control* Form::nextInTabOrder(Control* from, bool backwards) {
  const std::vector<Control*>& order = tabOrder_.items();
  const auto n = static_cast<std::ptrdiff_t>(order.size());
  if (n == 0) return nullptr;
  std::ptrdiff_t start = backwards ? n : -1;
  if (from) {
    const size_t at = tabOrder_.indexOf(from);
    if (at != tabOrder_.npos) start = static_cast<std::ptrdiff_t>(at);
  }
  for (std::ptrdiff_t step = 1; step <= n; ++step) {
    const std::ptrdiff_t i = ((start + (backwards ? -step : step)) % n + n) % n;
    Control* c = order[static_cast<size_t>(i)];
    if (c == from || !c->tabStop() || !c->focusable()) continue;
    if (isOption(c)) {
      if (isOption(from) && from->container() == c->container()) continue;
      const std::vector<Control*> group = optionGroupOf(*c);
      const auto chosen = std::ranges::find_if(
          group, [](const Control* o) { return static_cast<const OptionButton*>(o)->value(); });
      if (c != (chosen != group.end() ? *chosen : group.front())) continue;
    }
    return c;
  }
  return nullptr;
}

bool Form::pressAccessKey(char16_t key) {
  Ref<Form> keep(this);
  if (key == 0) return false;
  std::vector<Ref<Control>> marked;
  for (Control* c : tabOrder_.items())
    if (c->accessKey() == key && c->shownOnForm() && c->enabledOnForm()) marked.emplace_back(c);
  if (marked.empty()) return false;
  // A label or a frame stands for the control after it.
  auto focusOf = [this](Control* c) { return c->canHaveFocus() ? c : nextInTabOrder(c); };
  if (marked.size() == 1) {
    Control* c = marked.front().get();
    if (!c->canHaveFocus()) {
      if (Control* next = focusOf(c)) moveFocusByKey(next);
    } else if (c->focusable() && moveFocusByKey(c) && c->loaded()) {
      c->userClick();
    }
    return true;
  }
  std::size_t next = 0;
  for (std::size_t i = 0; i < marked.size(); ++i)
    if (focusOf(marked[i].get()) == active_.get()) next = i + 1;
  for (std::size_t step = 0; step < marked.size(); ++step) {
    Control* to = focusOf(marked[(next + step) % marked.size()].get());
    if (to && to->focusable()) {
      moveFocusByKey(to);
      break;
    }
  }
  return true;
}

void Form::setTabPosition(Control& c, int16_t index) {
  tabOrder_.erase(&c);
  tabOrder_.insert(static_cast<size_t>(index), &c);
}

}  // namespace svx
