// Dialog, the one class that scripts create ("Sorvanelix.Dialog"): a facade
// over its form. Its dispatch interface _Dialog is declared once, from the
// rows of dialogMemberTable(); members without a function of their own are
// forwarded by name to the form's member of the same name.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/cls_timer.h"
#include "dialog/dialog_form_api.h"
#include "platform/automation/dispatch.h"
#include "platform/automation/type_reference.h"

namespace svx {

struct DialogEventRow;

class Dialog;

// How a member reports its errors.
enum class MemberPattern : uint8_t {
  Delegate,         // A: ClearErrorParameters, then the form reports
  DelegateNoClear,  // A without clearing: the form's member clears itself
  ResumeReport,     // B: each failing step skipped, the last error reported
  ErrorBox,         // C: the first failure shows the "Error!" box
  HandlerReport,    // D: the first failure ends the steps and is reported
  Quiet,            // E: errors ignored, nothing reported
  Plain,            // E: no handling, errors reach the script
};

struct DialogMemberRow {
  using Handler = Variant (Dialog::*)(const Args& args);

  BStr name;
  InvokeKind kind = InvokeKind::Method;
  std::vector<ParamInfo> params;
  MemberPattern pattern = MemberPattern::Delegate;
  Handler handler = nullptr;  // null: forwarded to the form by name
  BStr description;
  BStr result;  // what a call returns; empty: nothing
  // What the reference adds for script writers (Markdown); empty: nothing.
  std::string remarks;
};

// Every member of _Dialog, in interface order (a property's get and let as
// separate rows).
const std::vector<DialogMemberRow>& dialogMemberTable();

// How each member reports its errors, for the class reference
// (docs/reference.md, `sorvanelix-script --reference`).
ReferenceNotes dialogReferenceNotes();

class Dialog : public Object {
 public:
  static constexpr int32_t kBringToFrontInterval = 20;
  static constexpr int32_t kPrinterFlagDispid = 0x10026;

  Dialog();  // the creation steps; each failing step is skipped
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }

  // Registers the ProgID "Sorvanelix.Dialog".
  static void registerProgId();

  // State, for the system's own code and tests.
  DialogFormApi* form() const { return frmDialog_.get(); }
  clsTimer* bringToFrontTimer() const { return objTimerBTF_.get(); }
  const BStr& formCaption() const { return strFormCaption_; }

  // Members with logic of their own, in interface order. Each takes the bound
  // arguments as declared in its row.
  Variant ProcessMessages(const Args& a);
  Variant MessageBox(const Args& a);
  Variant InBox(const Args& a);
  Variant Help(const Args& a);
  Variant ShowModal(const Args& a);
  Variant getTopMost(const Args& a);
  Variant letTopMost(const Args& a);
  Variant Hide(const Args& a);
  Variant getCaption(const Args& a);
  Variant letCaption(const Args& a);
  Variant getHeight(const Args& a);
  Variant letHeight(const Args& a);
  Variant getLeft(const Args& a);
  Variant letLeft(const Args& a);
  Variant getTop(const Args& a);
  Variant letTop(const Args& a);
  Variant getWidth(const Args& a);
  Variant letWidth(const Args& a);
  Variant getScaleHeight(const Args& a);
  Variant getScaleWidth(const Args& a);
  Variant CommonDialogShowOpen(const Args& a);
  Variant ScreenHeight(const Args& a);
  Variant ScreenWidth(const Args& a);
  Variant ScreenGetMouseIcon(const Args& a);
  Variant ScreenSetMouseIcon(const Args& a);
  Variant getScreenMousePointer(const Args& a);
  Variant letScreenMousePointer(const Args& a);
  Variant ScreenTwipsPerPixelX(const Args& a);
  Variant ScreenTwipsPerPixelY(const Args& a);
  Variant ScreenObject(const Args& a);
  Variant LogEvent(const Args& a);
  Variant LogMode(const Args& a);
  Variant LogPath(const Args& a);
  Variant getOLERequestPendingMsgText(const Args& a);
  Variant letOLERequestPendingMsgText(const Args& a);
  Variant getOLERequestPendingMsgTitle(const Args& a);
  Variant letOLERequestPendingMsgTitle(const Args& a);
  Variant getOLERequestPendingTimeoutMSecs(const Args& a);
  Variant letOLERequestPendingTimeoutMSecs(const Args& a);
  Variant getOLEServerBusyMsgText(const Args& a);
  Variant letOLEServerBusyMsgText(const Args& a);
  Variant getOLEServerBusyMsgTitle(const Args& a);
  Variant letOLEServerBusyMsgTitle(const Args& a);
  Variant getOLEServerBusyRaiseError(const Args& a);
  Variant letOLEServerBusyRaiseError(const Args& a);
  Variant getOLEServerBusyTimeoutMSecs(const Args& a);
  Variant letOLEServerBusyTimeoutMSecs(const Args& a);
  Variant StartLogging(const Args& a);
  Variant ThreadID(const Args& a);
  Variant ProcessID(const Args& a);
  Variant LogInfo(const Args& a);
  Variant BlobToArray(const Args& a);
  Variant GetMyDocumentsFolder(const Args& a);
  Variant QBColor(const Args& a);
  Variant RGBToOleColor(const Args& a);
  Variant RGBFromOLEColor(const Args& a);
  Variant Beep(const Args& a);
  Variant ClipboardClear(const Args& a);
  Variant ClipboardGetFormat(const Args& a);
  Variant ClipboardGetText(const Args& a);
  Variant ClipboardSetText(const Args& a);
  Variant ClipboardGetData(const Args& a);
  Variant ClipboardSetData(const Args& a);

  // Forwarding: the by-value arguments are the call's own copies already;
  // each argument goes to the form member `formMember` as a reference.
  // `found` (optional) keeps the member found on the form's class.
  Variant forward(BStrView formMember, bool clearErrors, const Args& a, std::span<const size_t> order = {},
                  MemberCache* found = nullptr);

 protected:
  void terminate() override;

 private:
  DialogFormApi& requireForm();  // 91 without a form
  void objTimerBTF_Timer();
  void onFormEvent(const EventInfo& event, std::span<Variant> args);
  // The dialog's event for an event of the form (null for none), looked up
  // once for each of the form's events.
  const DialogEventRow* rowOf(const EventInfo& formEvent);

  std::shared_ptr<DialogFormApi> frmDialog_;
  PerEvent<const DialogEventRow*> formEventRows_;
  ObjectRef formObject_;
  int32_t formCookie_ = 0;
  Ref<clsTimer> objTimerBTF_;
  BStr strFormCaption_;
};

// ClearErrorParameters: a passed number becomes 0 (VT_I2), a passed
// description ""; each write with errors ignored.
void ClearErrorParameters(Variant& lngErrNumber, Variant& strErrDescription);

}  // namespace svx
