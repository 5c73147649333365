// The form behind every Dialog: DialogForm, seen through the interface that
// Dialog needs of its form.
#include "core/dialog_form.h"
#include "dialog/dialog.h"
#include "dialog/dialog_form_api.h"
#include "platform/desktop/win32.h"
#include "platform/print/printers.h"
#include "services/data_control.h"
#include "services/mod_color.h"
#include "windows/frm_help_all.h"
#include "windows/window_place.h"

namespace svx {

namespace {

class DialogFormAdapter : public DialogFormApi {
 public:
  DialogFormAdapter() : form_(makeRef<DialogForm>()) { form_->load(); }
  ObjectRef formObject() override { return form_; }
  bool topMost() const override { return form_->TopMost; }
  void setTopMost(bool value) override { form_->TopMost = value; }
  bool visible() override { return form_->visible(); }
  void setVisible(bool value) override {
    if (value) form_->show(false);
    else form_->hide();
  }
  HWND hWnd() override { return form_->hWnd(); }
  void showModal() override { form_->show(true); }
  void hide() override { form_->hide(); }
  void unload() override { form_->unload(vbFormCode); }
  BStr caption() override { return form_->caption(); }
  void setCaption(const BStr& v) override { form_->setCaption(v); }
  float left() override { return static_cast<float>(form_->left()); }
  void setLeft(float v) override { form_->setLeft(v); }
  float top() override { return static_cast<float>(form_->top()); }
  void setTop(float v) override { form_->setTop(v); }
  float width() override { return static_cast<float>(form_->width()); }
  void setWidth(float v) override { form_->setWidth(v); }
  float height() override { return static_cast<float>(form_->height()); }
  void setHeight(float v) override { form_->setHeight(v); }
  float scaleWidth() override { return static_cast<float>(form_->scaleWidth()); }
  float scaleHeight() override { return static_cast<float>(form_->scaleHeight()); }

 private:
  Ref<DialogForm> form_;
};

class HelpWindowAdapter : public HelpWindowApi {
 public:
  HelpWindowAdapter() : form_(makeRef<frmHelpAll>()) { form_->load(); }
  HWND hWnd() override { return form_->hWnd(); }
  float width() override { return static_cast<float>(form_->width()); }
  float height() override { return static_cast<float>(form_->height()); }
  void setLeft(float v) override { form_->setLeft(v); }
  void setTop(float v) override { form_->setTop(v); }
  void showModal(HWND owner) override {
    if (owner) {
      SetWindowLongA(form_->hWnd(), GWL_HWNDPARENT, owner);
      ignoreErrors([&] { centreOnOwner(*form_, owner); });
    }
    form_->show(true);
  }

 private:
  Ref<frmHelpAll> form_;
};

}  // namespace

void registerDialogForm() {
  setDialogFormFactory([] { return std::make_shared<DialogFormAdapter>(); });
  setHelpWindowFactory([] { return std::make_unique<HelpWindowAdapter>(); });
  setInitCustomColorsHook(InitCustomColors);
  // The printer the process has already: creating a Dialog asks the print
  // scheduler nothing. A printer made later starts with TrackDefault False,
  // as creation would have left it.
  setPrinterObjectProvider([] { return ObjectRef(currentPrinterIfAny()); });
  registerDataReference();
}

}  // namespace svx
