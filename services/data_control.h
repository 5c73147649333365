// DataControl: a user control that binds one hidden data control (Data1) to a
// database and shows four navigation buttons (first, previous, next, last
// record) with the gap between Previous and Next on its own surface. Its
// properties pass through to Data1, the buttons and its own surface; its
// state is saved in and loaded from a property bag.
#pragma once

#include "platform/data/data_source.h"
#include "platform/forms/command_button.h"
#include "platform/forms/user_control.h"

namespace svx {

// A navigation button: a command button with a font object of its own.
class NavButton : public CommandButton {
 public:
  Ref<Control> makeSibling() const override { return makeRef<NavButton>(); }
  bool canHaveFocus() const override { return false; }
  void render(RenderItem& item) const override;
  const Ref<FontObject>& fontObject() const { return font_; }
  void setFontObject(Ref<FontObject> f) { font_ = std::move(f); }

 private:
  Ref<FontObject> font_ = makeRef<FontObject>(Font{u"Tahoma", 8.25});
};

class DataControl : public UserControl {
 public:
  DataControl();
  ~DataControl() override;
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }
  Ref<Control> makeSibling() const override { return makeRef<DataControl>(); }
  void copyFrom(const Control& source) override;
  void writeProperties(PropertyBag& bag) const override;
  void readProperties(const PropertyBag& bag) override;

  // The stored state of the form's template element.
  static PropertyBag templateBag();

  // Design values.
  static constexpr double kDesignWidth = 6195;
  static constexpr double kDesignHeight = 795;
  static constexpr double kMinWidth = 1860;
  static constexpr double kMinHeight = 255;
  static constexpr double kMaxHeight = 450;

  NavButton& cmdFirst() const { return *cmdFirst_; }
  NavButton& cmdPrevious() const { return *cmdPrevious_; }
  NavButton& cmdNext() const { return *cmdNext_; }
  NavButton& cmdLast() const { return *cmdLast_; }
  data::DataSource& data1() const { return *data1_; }
  bool noReposition() const { return boolNoReposition_; }

  // Public members, in interface order.
  Variant BackColor();
  void letBackColor(Variant& New_BackColor);
  Variant ForeColor();
  void letForeColor(Variant& New_ForeColor);
  Variant Enabled();
  void letEnabled(Variant& New_Enabled);
  Variant Font();
  void setFont(Variant& New_Font);
  Variant BackStyle();
  void letBackStyle(Variant& New_BackStyle);
  Variant BorderStyle();
  void letBorderStyle(Variant& New_BorderStyle);
  Variant Connect();
  void letConnect(Variant& New_Connect);
  Variant Database();
  Variant DatabaseName();
  void letDatabaseName(Variant& New_DatabaseName);
  Variant DefaultCursorType();
  void letDefaultCursorType(Variant& New_DefaultCursorType);
  Variant DefaultType();
  void letDefaultType(Variant& New_DefaultType);
  Variant EditMode();
  Variant Exclusive();
  void letExclusive(Variant& New_Exclusive);
  Variant Options();
  void letOptions(Variant& New_Options);
  Variant ReadOnly();
  void letReadOnly(Variant& New_ReadOnly);
  Variant Recordset();
  void setRecordset(Variant& New_Recordset);
  Variant RecordsetType();
  void letRecordsetType(Variant& New_RecordsetType);
  Variant RecordSource();
  void letRecordSource(Variant& New_RecordSource);
  Variant CaptionFirst();
  void letCaptionFirst(Variant& New_CaptionFirst);
  Variant CaptionPrevious();
  void letCaptionPrevious(Variant& New_CaptionPrevious);
  Variant CaptionNext();
  void letCaptionNext(Variant& New_CaptionNext);
  Variant CaptionLast();
  void letCaptionLast(Variant& New_CaptionLast);
  void Refresh();
  void OpenData(Variant& lngErrNumber, Variant& strErrDescription);
  Variant Appearance();
  void letAppearance(Variant& New_Appearance);

 protected:
  void placed() override { UserControl_Resize(); }
  void surfaceEvent(ControlEvent event, std::span<Variant> params) override;
  void constituentEvent(Control& part, ControlEvent event, std::span<Variant> params) override;
  void terminate() override;
  // An unloaded element lets go of its database at once, even while a
  // script still holds the object.
  void unloaded() override;

 private:
  void UserControl_Resize();
  void navigate(NavButton& button);
  void relayMouse(ControlEvent event, std::span<Variant> params, double dx, double dy);
  void Data1_Reposition();
  void Data1_Error(std::span<Variant> args);

  Ref<NavButton> cmdFirst_, cmdPrevious_, cmdNext_, cmdLast_;
  Ref<data::DataSource> data1_;
  int32_t data1Sink_ = 0;
  bool boolResizing_ = false;
  bool boolNoReposition_ = false;
};

// The recordset held by a Variant: none for Nothing or Empty, 13 for
// anything else that is not a recordset.
Ref<data::Recordset> recordsetOf(const Variant& v);

// Registers the classes that a script reaches through a data control
// (DataControl, Recordset, Fields, Field, Database) for the reference.
void registerDataReference();

}  // namespace svx
