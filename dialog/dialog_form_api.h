// What Dialog needs of its form, and the hooks through which the form, the
// help window, the printer object and the colour dialog's custom colours are
// supplied by the code that owns them.
#pragma once

#include <functional>
#include <memory>

#include "platform/automation/object.h"
#include "platform/automation/variant.h"
#include "platform/desktop/win32.h"

namespace svx {

// The form that one Dialog owns. Geometry is in twips; setters and the show
// raise RuntimeError when the form refuses (380, 384, 400 ...).
class DialogFormApi {
 public:
  virtual ~DialogFormApi() = default;

  // The form as an automation object: its members are called by name with
  // every parameter by reference, and its events reach the sinks connected
  // to it.
  virtual ObjectRef formObject() = 0;

  // The form's public TopMost flag; the form never applies it itself.
  virtual bool topMost() const = 0;
  virtual void setTopMost(bool value) = 0;

  virtual bool visible() = 0;
  virtual void setVisible(bool value) = 0;
  virtual HWND hWnd() = 0;

  // Returns when the form is hidden or unloaded.
  virtual void showModal() = 0;
  virtual void hide() = 0;
  // The runtime's Unload: QueryUnload (UnloadMode 1), Unload, release of the
  // hosted controls.
  virtual void unload() = 0;

  virtual BStr caption() = 0;
  virtual void setCaption(const BStr& value) = 0;
  virtual float left() = 0;
  virtual void setLeft(float value) = 0;
  virtual float top() = 0;
  virtual void setTop(float value) = 0;
  virtual float width() = 0;
  virtual void setWidth(float value) = 0;
  virtual float height() = 0;
  virtual void setHeight(float value) = 0;
  virtual float scaleWidth() = 0;
  virtual float scaleHeight() = 0;
};

// The help window with the reference text of the interface, created and
// loaded by its factory. showModal returns when the window is closed.
class HelpWindowApi {
 public:
  virtual ~HelpWindowApi() = default;
  virtual HWND hWnd() = 0;
  virtual float width() = 0;
  virtual float height() = 0;
  virtual void setLeft(float value) = 0;
  virtual void setTop(float value) = 0;
  virtual void showModal(HWND owner) = 0;
};

using DialogFormFactory = std::function<std::shared_ptr<DialogFormApi>()>;
using HelpWindowFactory = std::function<std::unique_ptr<HelpWindowApi>()>;
using PrinterObjectProvider = std::function<ObjectRef()>;

// Creates and loads a new form (FormInitialize, FormLoad). Without a factory
// a Dialog has no form.
void setDialogFormFactory(DialogFormFactory factory);
const DialogFormFactory& dialogFormFactory();

// Without a factory Help does nothing.
void setHelpWindowFactory(HelpWindowFactory factory);
const HelpWindowFactory& helpWindowFactory();

// The runtime's current Printer object when there is one already (null
// otherwise); without a provider there is none.
void setPrinterObjectProvider(PrinterObjectProvider provider);
const PrinterObjectProvider& printerObjectProvider();

// InitCustomColors of the colour dialog, run at every creation of a Dialog.
void setInitCustomColorsHook(std::function<void()> hook);
const std::function<void()>& initCustomColorsHook();

// Receives the text of each "Error!" box that no display showed (headless),
// as one line; the host writes it where the script's errors go. Without a
// notice the box is answered as any box, and nothing else happens.
using ErrorBoxNotice = std::function<void(const BStr& text)>;
void setErrorBoxNotice(ErrorBoxNotice notice);
const ErrorBoxNotice& errorBoxNotice();

}  // namespace svx

namespace svx {
// Makes DialogForm the form of every new Dialog, and frmHelpAll its help window.
void registerDialogForm();
}  // namespace svx
