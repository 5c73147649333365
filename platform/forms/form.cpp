#include "platform/forms/form.h"

#include <algorithm>
#include <map>

#include "platform/desktop/desktop.h"
#include "platform/automation/class_registry.h"
#include "platform/desktop/message_loop.h"
#include "platform/desktop/modal_owner.h"
#include "platform/forms/control_extender.h"
#include "platform/forms/control_plugins.h"
#include "platform/forms/input.h"
#include "platform/forms/combo_box.h"
#include "platform/forms/command_button.h"
#include "platform/forms/user_control.h"
#include "platform/graphics/form_render.h"
#include "platform/graphics/program_icon.h"
#include "platform/graphics/units.h"

namespace svx {

namespace {

// The form's Controls collection: Count and Item (by position from 0, or
// by name: the element 0 of that array).
class FormControls : public Object {
 public:
  explicit FormControls(Form& f) : form_(&f) {}
  static const ClassInfo& info() {
    static const ClassInfo ci = ClassInfo(u"Controls")
                                    .get<&FormControls::Count>(u"Count")
                                    .get<&FormControls::Item>(u"Item", {in(u"Index")})
                                    .method<&FormControls::Add>(u"Add", {in(u"ProgID"), in(u"Name"),
                                                                         inOpt(u"Container")})
                                    .method<&FormControls::Remove>(u"Remove", {in(u"Name")})
                                    .defaultMember(u"Item");
    return ci;
  }
  const ClassInfo& classInfo() const override { return info(); }
  Variant Count() { return Variant(static_cast<int32_t>(all().size())); }
  Variant Item(Variant& index) {
    std::vector<Control*> list = all();
    if (index.deref().baseType() == VT_BSTR) {
      const BStr name = toBStr(index);
      for (Control* c : list)
        if (sameName(c->name(), name)) return Variant(ObjectRef(c));
      raise(err::InvalidProcedureCall);
    }
    const int32_t i = toI4(index);
    if (i < 0 || i >= static_cast<int32_t>(list.size())) raise(err::SubscriptOutOfRange);
    return Variant(ObjectRef(list[static_cast<size_t>(i)]));
  }
  Variant Add(Variant& progId, Variant& name, Variant& container) {
    return Variant(ObjectRef(form().addControl(toBStr(progId), toBStr(name), container)));
  }
  void Remove(Variant& name) { form().removeControl(toBStr(name)); }

 private:
  std::vector<Control*> all() {
    std::vector<Control*> out;
    Form* f = form_.get();
    if (!f) return out;
    for (const auto& a : f->arrays())
      for (const auto& [i, c] : a->elements()) out.push_back(c.get());
    for (const auto& c : f->addedControls()) out.push_back(c.get());
    return out;
  }
  Form& form() {
    Form* f = form_.get();
    if (!f) raise(err::ObjectVariableNotSet);
    return *f;
  }
  WeakRef<Form> form_;
};

int px(double twips) { return twipsToWholePixels(twips); }

uint32_t sizeStateBits(int16_t state) { return state == 1 ? WS_MINIMIZE : state == 2 ? WS_MAXIMIZE : 0; }

// The loaded forms by window handle.
std::map<HWND, Form*>& formsByHandle() {
  static std::map<HWND, Form*> forms;
  return forms;
}

void forgetHandle(HWND hwnd, const Form* form) {
  const auto it = formsByHandle().find(hwnd);
  if (it != formsByHandle().end() && it->second == form) formsByHandle().erase(it);
}

}  // namespace

Form::Form(FormDesign design) : Form(std::make_shared<const FormDesign>(std::move(design))) {}

Form::Form(std::shared_ptr<const FormDesign> design) : design_(std::move(design)) {
  // Each load makes the arrays in the design's order.
  if (!design_->arrayIndex) {
    auto index = std::make_shared<NameIndex>();
    for (size_t i = 0; i < design_->controls.size(); ++i)
      index->insert(design_->controls[i].arrayName, static_cast<int32_t>(i));
    design_->arrayIndex = std::move(index);
  }
  arrayIndex_ = design_->arrayIndex.get();
}

Form::~Form() {
  forgetHandle(hwnd_, this);
  for (const auto& a : arrays_) a->form_ = nullptr;
  if (hwnd_ && desktop().find(hwnd_)) {
    desktop().setMessageHandler(hwnd_, {});  // the form is past hearing of it
    DestroyWindow(hwnd_);
  }
}

void Form::terminate() {
  ignoreErrors([&] { unload(vbFormCode); });
  ignoreErrors([&] { onTerminate(); });
}

void Form::load() {
  if (loaded_) return;
  Ref<Form> keep(this);
  if (!initialized_) {
    initialized_ = true;
    onInitialize();
  }
  loaded_ = true;
  visible_ = false;
  caption_ = design_->caption;
  left_ = design_->clientLeft - FormBorderTwips;
  top_ = design_->clientTop - FormBorderTwips - FormCaptionTwips;
  width_ = design_->clientWidth + 2 * FormBorderTwips;
  height_ = design_->clientHeight + 2 * FormBorderTwips + FormCaptionTwips;
  windowState_ = 0;
  keyPreview_ = design_->keyPreview;
  font_ = design_->font;
  WindowSpec spec;
  spec.className = "SvxForm";
  spec.caption = utf8(caption_);
  if (design_->borderStyle == FormBorderStyle::FixedDialog) {
    spec.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    spec.exStyle = WS_EX_DLGMODALFRAME;
  } else {
    spec.style = WS_OVERLAPPEDWINDOW;
  }
  if (!design_->showInTaskbar) spec.exStyle |= WS_EX_TOOLWINDOW;
  spec.owner = desktop().applicationWindow();
  spec.rect = {px(left_), px(top_), px(width_), px(height_)};
  WeakRef<Form> self(this);
  spec.handler = [self](HWND, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
    Form* f = self.get();
    return f ? f->windowMessage(msg, wParam, lParam) : 0;
  };
  hwnd_ = desktop().createWindow(spec);
  formsByHandle()[hwnd_] = this;
  surface_.setScaleMode(1);
  surface_.setBackColor(backColor_);
  placeWindow();
  buildFromDesign();
  onLoad();
}

void Form::buildFromDesign() {
  EventSuppression quiet(*this);
  for (const ControlDesign& d : design_->controls) {
    Ref<Control> c = d.factory ? d.factory() : createControl(d.kind);
    if (!c) throw std::logic_error("control design " + utf8(d.arrayName) + " has no control");
    auto array = makeRef<ControlArray>(*this, d.arrayName);
    arrays_.push_back(array);
    Control& added = *c;
    array->adopt(0, std::move(c));
    if (auto* u = dynamic_cast<UserControl*>(&added)) u->initProperties();
  }
  for (const ControlDesign& d : design_->controls)
    if (!d.containerName.empty()) control(d.arrayName).setContainer(&control(d.containerName));
  design_->puts.resize(design_->controls.size());
  for (size_t k = 0; k < design_->controls.size(); ++k) {
    const ControlDesign& d = design_->controls[k];
    Control& c = control(d.arrayName);
    std::vector<MemberCache>& puts = design_->puts[k];
    puts.resize(d.values.size());
    for (size_t i = 0; i < d.values.size(); ++i) {
      const auto& [name, value] = d.values[i];
      Variant arg = value;
      try {
        const MemberInfo* put = puts[i].find(c.classInfo(), name, InvokeKind::PropertyPut);
        if (!put) raise(err::MemberNotSupported);
        invokeMember(c, *put, std::span<Variant>(&arg, 1));
      } catch (const RuntimeError& e) {
        raise(e.number(), e.description() + u" (design value " + d.arrayName + u"." + name + u")");
      }
    }
  }
}

void Form::destroyControls() {
  EventSuppression quiet(*this);
  while (!added_.empty()) dropAdded(*added_.back());
  for (auto it = arrays_.rbegin(); it != arrays_.rend(); ++it) {
    ControlArray& a = **it;
    while (!a.elements_.empty()) a.remove(a.elements_.rbegin()->first);
    a.form_ = nullptr;
  }
  arrays_.clear();
  zOrder_.clear();
  tabOrder_.clear();
  active_ = WeakRef<Control>();
  defaultButton_ = WeakRef<Control>();
  cancelButton_ = WeakRef<Control>();
}

void Form::show(bool modal) {
  load();
  Ref<Form> keep(this);
  if (visible_ && (modal || modal_)) raise(err::FormAlreadyDisplayed);
  if (visible_) return;
  // A modal show blocks the owner chain from before the window appears.
  std::optional<ModalScope> modalScope;
  if (modal) modalScope.emplace(hwnd_, GetWindowLongA(hwnd_, GWL_HWNDPARENT));
  visible_ = true;
  {
    // The activation the window gets now is raised below, after Resize.
    const ShowingGuard showing(showing_);
    ShowWindow(hwnd_, SW_SHOW);
    if (!shownOnce_) {
      shownOnce_ = true;
      onResize();
    }
  }
  if (!loaded_) return;
  input::formActivated(*this);
  if (!active_.get()) {
    if (Control* first = nextInTabOrder(nullptr))
      moveFocus(first);
    else
      onGotFocus();
  }
  if (loaded_ && visible_) {
    onPaint();
    std::vector<Ref<Control>> boxes;
    for (Control* c : zOrder_.items())
      if (c->kind() == ControlKind::PictureBox && c->shownOnForm()) boxes.emplace_back(c);
    for (const auto& b : boxes)
      if (b->loaded()) b->fire(ControlEvent::Paint);
  }
  if (!modal || !loaded_ || !visible_) return;
  modal_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{modal_};
  // The window also goes when its owner is destroyed: the show ends then.
  messageLoop().runModalLoop([this] { return !visible_ || !loaded_ || !desktop().find(hwnd_); });
}

void Form::hide() {
  load();
  if (!visible_) return;
  visible_ = false;
  dropped_ = {};
  menu_.reset();
  ShowWindow(hwnd_, SW_HIDE);
  input::windowChanged(*this);
}

bool Form::unload(int16_t unloadMode) {
  if (!loaded_) return true;
  Ref<Form> keep(this);
  int16_t cancel = 0;
  int16_t mode = unloadMode;
  onQueryUnload(cancel, mode);
  if (cancel != 0) return false;
  cancel = 0;
  onUnload(cancel);
  if (cancel != 0) return false;
  if (!loaded_) return true;  // a handler unloaded it already
  visible_ = false;
  destroyControls();
  input::windowChanged(*this);
  forgetHandle(hwnd_, this);
  if (hwnd_) DestroyWindow(std::exchange(hwnd_, 0));
  loaded_ = false;
  shownOnce_ = false;
  return true;
}

BStr Form::caption() {
  load();
  return caption_;
}

void Form::setCaption(BStr caption) {
  load();
  caption_ = std::move(caption);
  SetWindowTextA(hwnd_, utf8(caption_).c_str());
}

double Form::left() { load(); return left_; }
double Form::top() { load(); return top_; }
double Form::width() { load(); return width_; }
double Form::height() { load(); return height_; }
void Form::setLeft(double v) { move(v); }
void Form::setTop(double v) { move(left(), v); }
void Form::setWidth(double v) { move(left(), top(), v); }
void Form::setHeight(double v) { move(left(), top(), width(), v); }

void Form::move(double l, std::optional<double> t, std::optional<double> w, std::optional<double> h) {
  load();
  if (windowState_ == 1) raise(err::CannotMoveOrSizeMinimized);
  if ((w && *w < 0) || (h && *h < 0)) raise(err::InvalidPropertyValue);
  const bool sized = (w && *w != width_) || (h && *h != height_);
  left_ = l;
  top_ = t.value_or(top_);
  width_ = w.value_or(width_);
  height_ = h.value_or(height_);
  placeWindow();
  if (sized) resized();
}

void Form::placeWindow() {
  placedFrame_ = frame();
  surface_.resize(std::max(1, px(scaleWidth())), std::max(1, px(scaleHeight())));
  if (hwnd_) SetWindowPos(hwnd_, 0, px(left_), px(top_), px(width_), px(height_), SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::resized() {
  if (loaded_ && !eventsSuppressed()) onResize();
}

FrameInsets Form::frame() const {
  const Window* w = hwnd_ ? desktop().find(hwnd_) : nullptr;
  return w ? w->frameInsets() : kRuntimeFrame;
}

double Form::scaleWidth() {
  const double w = width();
  const FrameInsets f = frame();
  return std::max(0.0, w - pixelsToTwips(f.left + f.right));
}

double Form::scaleHeight() {
  const double h = height();
  const FrameInsets f = frame();
  return std::max(0.0, h - pixelsToTwips(f.top + f.bottom));
}

int16_t Form::windowState() {
  load();
  return windowState_;
}

void Form::setWindowState(int16_t state) {
  load();
  checkPropertyRange(state, 0, 2);
  if (state == windowState_) return;
  windowState_ = state;
  desktop().setSizeState(hwnd_, sizeStateBits(state));
  resized();
}

void Form::followWindow(int16_t state, int32_t clientWidth, int32_t clientHeight) {
  const bool stateChanged = state != windowState_;
  windowState_ = state;
  desktop().setSizeState(hwnd_, sizeStateBits(state));
  bool sized = false;
  if (state != 1) {
    // The outer size around the client area the window manager gave.
    const FrameInsets f = frame();
    const double w = pixelsToTwips(std::max(clientWidth, 1) + f.left + f.right);
    const double h = pixelsToTwips(std::max(clientHeight, 1) + f.top + f.bottom);
    // A new frame changes the client area within the same outer size.
    sized = w != width_ || h != height_ || !(f == placedFrame_);
    width_ = w;
    height_ = h;
    placeWindow();
  }
  if (stateChanged || sized) resized();
}

void Form::setForeColor(OleColor c) {
  if (!translateOleColor(c)) raise(err::InvalidPropertyValue);
  foreColor_ = c;
  surface_.setForeColor(c);
}

void Form::setBackColor(OleColor c) {
  if (!translateOleColor(c)) raise(err::InvalidPropertyValue);
  backColor_ = c;
  surface_.setBackColor(c);
}

Form* Form::fromHandle(HWND hwnd) {
  const auto it = formsByHandle().find(hwnd);
  return it == formsByHandle().end() ? nullptr : it->second;
}

HWND Form::hWnd() {
  load();
  return hwnd_;
}

ControlArray* Form::findArray(BStrView name) {
  load();
  const int32_t i = arrayIndex_->find(name);
  return i >= 0 && static_cast<size_t>(i) < arrays_.size() ? arrays_[static_cast<size_t>(i)].get() : nullptr;
}

ControlArray& Form::array(BStrView name) {
  ControlArray* a = findArray(name);
  if (!a) raise(err::InvalidProcedureCall, u"No control array '" + BStr(name) + u"'");
  return *a;
}

std::vector<Control*> Form::childrenOf(const Control* container) const {
  std::vector<Control*> out;
  for (Control* c : zOrder_.items())
    if (c->container() == container) out.push_back(c);
  return out;
}

void Form::attach(Control& c) {
  zOrder_.push_back(&c);
  if (c.hasTabIndex()) tabOrder_.push_back(&c);
  if (Control* container = c.container()) ++container->childCount_;
  if (hwnd_) c.createWindow();
}

void Form::detach(Control& c) {
  input::controlRemoved(c);
  if (zOrder_.contains(&c))
    if (Control* container = c.container()) --container->childCount_;
  zOrder_.erase(&c);
  tabOrder_.erase(&c);
  if (active_.get() == &c) active_ = WeakRef<Control>();
  if (defaultButton_.get() == &c) defaultButton_ = WeakRef<Control>();
  if (cancelButton_.get() == &c) cancelButton_ = WeakRef<Control>();
}

Control* Form::findControl(BStrView name) const {
  for (const auto& c : added_)
    if (sameName(c->name(), name)) return c.get();
  for (const auto& a : arrays_)
    if (sameName(a->name(), name)) return a->find(a->lBound());
  return nullptr;
}

Ref<Control> Form::addControl(BStrView progId, BStrView name, const Variant& container) {
  load();
  if (name.empty()) raise(err::InvalidProcedureCall);
  bool taken = findControl(name) != nullptr;
  for (const auto& a : arrays_) taken = taken || sameName(a->name(), name);
  if (taken) raise(727, u"There is already a control with the name '" + BStr(name) + u"'");
  ensureControlPluginsLoaded();
  if (!findControlClass(progId)) raise(err::CannotCreateObject, noControlClassDescription(progId));
  Ref<ControlExtender> c = makeRef<ControlExtender>(createControlObject(progId));
  c->name_ = BStr(name);
  c->form_ = WeakRef<Form>(this);
  c->visible_ = false;
  c->width_ = c->control().defaultWidth();
  c->height_ = c->control().defaultHeight();
  added_.push_back(c);
  attach(*c);
  if (!container.isMissing()) {
    try {
      Variant v = container;
      c->setContainerRef(v);
    } catch (const RuntimeError&) {
      dropAdded(*c);
      throw;
    }
  }
  return c;
}

void Form::removeControl(BStrView name) {
  for (const auto& c : added_)
    if (sameName(c->name(), name)) return dropAdded(*c);
  raise(730, u"Control '" + BStr(name) + u"' not found");
}

void Form::dropAdded(Control& c) {
  Ref<Control> keep(&c);
  detach(c);
  c.destroyWindow();
  c.form_ = WeakRef<Form>();
  c.container_ = WeakRef<Control>();
  added_.erase(std::remove(added_.begin(), added_.end(), keep), added_.end());
}

void Form::setDefaultButton(Control* c) { defaultButton_ = WeakRef<Control>(c); }
void Form::setCancelButton(Control* c) { cancelButton_ = WeakRef<Control>(c); }

void Form::deliver(Control& c, ControlEvent event, std::span<Variant> params) {
  Ref<Form> keep(this);
  if (!c.array()) return c.onOwnEvent(event, params);
  int16_t index = c.index();
  onControlEvent(*c.array(), event, index, params);
}

void Form::deliverUser(Control& c, BStrView event, std::span<Variant> params) {
  if (!c.array() || eventsSuppressed()) return;
  Ref<Form> keep(this);
  int16_t index = c.index();
  onUserControlEvent(*c.array(), event, index, params);
}

std::pair<double, double> Form::clientOrigin(const Control& c) const {
  double x = 0, y = 0;
  // A user control's part lies inside the control (its host).
  for (const Control* p = &c; p; p = p->host() ? p->host() : p->container()) {
    if (!p->hasRect()) continue;
    x += p->left_;
    y += p->top_;
  }
  return {x, y};
}

Control* Form::controlAt(double& x, double& y) {
  load();
  const Control* container = nullptr;
  Control* hit = nullptr;
  for (;;) {
    std::vector<Control*> kids = childrenOf(container);
    Control* found = nullptr;
    for (auto it = kids.rbegin(); it != kids.rend(); ++it) {
      Control* c = *it;
      if (!c->hasRect() || !c->visible() || c->kind() == ControlKind::Shape) continue;
      if (x >= c->left_ && x < c->left_ + c->width_ && y >= c->top_ && y < c->top_ + c->height_) {
        found = c;
        break;
      }
    }
    if (!found) return hit;
    x -= found->left_;
    y -= found->top_;
    hit = found;
    if (!found->isContainer()) return hit;
    container = found;
  }
}

void Form::renderChildren(const Control* container, RenderItem& into) const {
  const Control* focus = active_.get();
  const Control* defaultFrame = defaultButton_.get();
  if (focus && focus->kind() == ControlKind::CommandButton) defaultFrame = focus;
  for (Control* c : childrenOf(container)) {
    RenderItem item;
    c->render(item);
    item.focused = c == focus;
    item.isDefault = c == defaultFrame;
    if (c->isContainer()) renderChildren(c, item);
    into.children.push_back(std::move(item));
  }
}

RenderItem Form::picture() {
  load();
  RenderItem root;
  root.kind = RenderKind::Form;
  root.rect = {0, 0, scaleWidth(), scaleHeight()};
  root.text = caption_;
  root.backColor = backColor_;
  root.foreColor = foreColor_;
  root.font = font_;
  root.surface = &surface_;
  root.icon = icon();
  root.minMaxBoxes = design_->borderStyle != FormBorderStyle::FixedDialog;
  renderChildren(nullptr, root);
  if (auto* combo = dynamic_cast<const ComboBox*>(droppedList())) root.children.push_back(combo->listPicture());
  if (const EditMenu* menu = editMenu()) root.children.push_back(menu->picture());
  return root;
}

EditMenu* Form::editMenu() {
  if (!menu_) return nullptr;
  Control* c = menuField_.get();
  if (c && c->form() == this && c->shownOnForm() && c->enabledOnForm() && active_.get() == c) return &*menu_;
  menu_.reset();
  return nullptr;
}

void Form::openEditMenu(Control& field, double x, double y) {
  if (!field.hasEditMenu() || field.form() != this) return;
  if (auto* combo = dynamic_cast<ComboBox*>(droppedList())) combo->closeList();
  menuField_ = WeakRef<Control>(&field);
  menu_.emplace([f = WeakRef<Control>(&field)](EditCommand c) { return f.get() && f.get()->canEdit(c); }, x, y,
                scaleWidth(), scaleHeight());
}

void Form::chooseFromEditMenu(int entry) {
  EditMenu* menu = editMenu();
  if (!menu) return;
  const bool enabled = menu->enabled(entry);
  Ref<Control> field(menuField_.get());
  menu_.reset();
  if (enabled) field->editCommand(EditMenu::command(entry));
}

const Picture& Form::icon() const { return design_->icon.isNone() ? programIcon() : design_->icon; }

Control* Form::droppedList() const {
  Control* c = dropped_.get();
  if (c && c->form() == this && c->shownOnForm() && c->enabledOnForm()) return c;
  dropped_ = {};  // a list hidden, disabled or unloaded with its box stays closed
  return nullptr;
}

void Form::snapshot(const std::filesystem::path& file) { renderItemsToPng(picture(), file); }

// Automation members.

void Form::letVisible(Variant& v) {
  if (toBool(v))
    show(false);
  else
    hide();
}

Variant Form::Controls() {
  load();
  return Variant(ObjectRef(makeRef<FormControls>(*this)));
}

Variant Form::Show(Variant& modal) {
  show(!modal.isMissing() && toI2(modal) != 0);
  return {};
}

void Form::Move(Variant& l, Variant& t, Variant& w, Variant& h) {
  auto opt = [](const Variant& v) -> std::optional<double> {
    if (v.isMissing()) return std::nullopt;
    return toR4(v);
  };
  move(toR4(l), opt(t), opt(w), opt(h));
}

void Form::letFontSize(Variant& v) {
  const double size = toR4(v);
  if (size <= 0) raise(err::InvalidPropertyValue);
  font_.size = size;
}

const ClassInfo& Form::info() {
  static const ClassInfo ci =
      ClassInfo(u"Form")
          .get<&Form::Name>(u"Name")
          .get<&Form::Caption>(u"Caption")
          .let<&Form::letCaption>(u"Caption", {in(u"Value")})
          .get<&Form::Left>(u"Left")
          .let<&Form::letLeft>(u"Left", {in(u"Value")})
          .get<&Form::Top>(u"Top")
          .let<&Form::letTop>(u"Top", {in(u"Value")})
          .get<&Form::Width>(u"Width")
          .let<&Form::letWidth>(u"Width", {in(u"Value")})
          .get<&Form::Height>(u"Height")
          .let<&Form::letHeight>(u"Height", {in(u"Value")})
          .get<&Form::ScaleWidth>(u"ScaleWidth")
          .get<&Form::ScaleHeight>(u"ScaleHeight")
          .get<&Form::Visible>(u"Visible")
          .let<&Form::letVisible>(u"Visible", {in(u"Value")})
          .get<&Form::WindowState>(u"WindowState")
          .let<&Form::letWindowState>(u"WindowState", {in(u"Value")})
          .get<&Form::KeyPreview>(u"KeyPreview")
          .let<&Form::letKeyPreview>(u"KeyPreview", {in(u"Value")})
          .get<&Form::HWnd>(u"hWnd")
          .get<&Form::Controls>(u"Controls")
          .method<&Form::Show>(u"Show", {inOpt(u"Modal")})
          .method<&Form::Hide>(u"Hide", {})
          .method<&Form::Move>(u"Move", {in(u"Left"), inOpt(u"Top"), inOpt(u"Width"), inOpt(u"Height")})
          .get<&Form::ForeColor>(u"ForeColor")
          .let<&Form::letForeColor>(u"ForeColor", {in(u"Value")})
          .get<&Form::BackColor>(u"BackColor")
          .let<&Form::letBackColor>(u"BackColor", {in(u"Value")})
          .get<&Form::FontName>(u"FontName")
          .let<&Form::letFontName>(u"FontName", {in(u"Value")})
          .get<&Form::FontSize>(u"FontSize")
          .let<&Form::letFontSize>(u"FontSize", {in(u"Value")})
          .get<&Form::LinkTopic>(u"LinkTopic");
  return ci;
}

}  // namespace svx
