// DialogForm: the window that each Dialog owns. Its design declares every
// control array with its template; its members are the form-level members,
// the drawing members and the members of the control families; its 184
// events carry every control event and its own events to its listener.
#pragma once

#include <vector>

#include "platform/forms/form.h"

namespace svx {

class DialogForm : public Form {
 public:
  DialogForm();
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }

  // Whether the form and the windows that it and Dialog open are made
  // topmost when shown; the form never applies it to its own window.
  bool TopMost = false;

  // Hosted ActiveX controls (with and without events), one-based, and their
  // counts; filled by the hosting members.
  std::vector<ObjectRef> ActiveXWithEventsExtenders;
  int32_t ActiveXWithEventsCount = 0;
  std::vector<ObjectRef> ActiveXWithoutEventsObjects;
  int32_t ActiveXWithoutEventsCount = 0;

  // Form-level members (every parameter by reference).
  void GetForm(Variant& Caption, Variant& Left, Variant& Top, Variant& Width, Variant& Height, Variant& ErrNumber,
               Variant& ErrDescription);
  void SetForm(Variant& Caption, Variant& Left, Variant& Top, Variant& Width, Variant& Height, Variant& ErrNumber,
               Variant& ErrDescription);
  Variant FormObject(Variant& ErrNumber, Variant& ErrDescription);
  void AboutBox();
  Variant BrowseForFolder(Variant& lnghWnd, Variant& strMessage, Variant& strStartDir, Variant& ErrNumber,
                          Variant& ErrDescription);

  // Drawing on the form.
  void FormCircleAbsolute(Variant& sngX, Variant& sngY, Variant& sngRadius, Variant& lngOLEColor, Variant& sngStart,
                          Variant& sngEnd, Variant& sngAspect, Variant& ErrNumber, Variant& ErrDescription);
  void FormLineAbsolute(Variant& sngX1, Variant& sngY1, Variant& sngX2, Variant& sngY2, Variant& lngOLEColor,
                        Variant& boolBox, Variant& boolFill, Variant& ErrNumber, Variant& ErrDescription);
  void FormPaintPicture(Variant& byteStdPictureArray, Variant& sngX1, Variant& sngY1, Variant& sngWidth1,
                        Variant& sngHeight1, Variant& sngX2, Variant& sngY2, Variant& sngWidth2, Variant& sngHeight2,
                        Variant& lngOpcode, Variant& ErrNumber, Variant& ErrDescription);
  void FormPSetAbsolute(Variant& sngX, Variant& sngY, Variant& lngOLEColor, Variant& ErrNumber,
                        Variant& ErrDescription);
  void FormPrintText(Variant& strText, Variant& ErrNumber, Variant& ErrDescription);

  // Raises one of the form's events (its id in the event interface).
  void raiseFormEvent(int32_t id, std::span<Variant> args) { raiseEvent(id, args); }

 protected:
  void onInitialize() override;
  void onLoad() override;
  void onActivate() override;
  void onDeactivate() override;
  void onGotFocus() override;
  void onLostFocus() override;
  void onPaint() override;
  void onResize() override;
  void onClick() override;
  void onDblClick() override;
  void onQueryUnload(int16_t& cancel, int16_t& unloadMode) override;
  void onUnload(int16_t& cancel) override;
  void onTerminate() override;
  void onKeyDown(int16_t& keyCode, int16_t& shift) override;
  void onKeyPress(int16_t& keyAscii) override;
  void onKeyUp(int16_t& keyCode, int16_t& shift) override;
  void onMouseDown(int16_t& button, int16_t& shift, float& x, float& y) override;
  void onMouseMove(int16_t& button, int16_t& shift, float& x, float& y) override;
  void onMouseUp(int16_t& button, int16_t& shift, float& x, float& y) override;
  void onControlEvent(ControlArray& array, ControlEvent event, int16_t& index, std::span<Variant> params) override;
  void onUserControlEvent(ControlArray& array, BStrView event, int16_t& index, std::span<Variant> params) override;
  UserEventRelay userControlRelay(ControlArray& array, BStrView event) override;

 private:
  void raiseNamed(BStrView name, std::span<Variant> args);
  void raiseById(int32_t id, std::span<Variant> args);
  void raiseNamedIgnoringErrors(BStrView name);
  void releaseHostedControls();
};

}  // namespace svx
