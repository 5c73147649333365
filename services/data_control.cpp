#include "services/data_control.h"

#include <array>
#include <cmath>

#include "platform/automation/coerce.h"
#include "platform/automation/type_reference.h"
#include "platform/graphics/form_render.h"
#include "platform/graphics/units.h"

namespace svx {

namespace {

constexpr OleColor kButtonFace = 0x8000000F;
constexpr OleColor kButtonText = 0x80000012;

struct ButtonDesign {
  const char16_t* caption;
  double left;
  int16_t tabIndex;
};
constexpr std::array<ButtonDesign, 4> kButtons{{{u"<<", 0, 0}, {u"<", 1245, 1}, {u">", 2490, 2}, {u">>", 3735, 3}}};
constexpr double kButtonWidth = 450;
constexpr double kButtonHeight = 315;

Ref<NavButton> makeButton(const ButtonDesign& d) {
  Ref<NavButton> b = makeRef<NavButton>();
  b->setCaption(d.caption);
  b->move(d.left, 0, kButtonWidth, kButtonHeight);
  return b;
}

Ref<FontObject> copyOfFont(const Variant& v) { return makeRef<FontObject>(fontObjectOf(v)->font()); }

// Runs one step with every error ignored, `flag` True around it.
template <class F>
void flagged(bool& flag, F&& step) {
  flag = true;
  ignoreErrors(std::forward<F>(step));
  flag = false;
}

}  // namespace

// The bar's layout puts the buttons at twips between pixels: each is drawn
// from the pixel edge nearest its left (top) edge to the one nearest its
// right (bottom) edge, so that neighbours meet and the last button ends
// where the bar does, every edge drawn at every width.
void NavButton::render(RenderItem& item) const {
  CommandButton::render(item);
  item.font = font_->font();
  auto edge = [](double twips) { return std::round(twips / TwipsPerPixel) * TwipsPerPixel; };
  RenderRect& r = item.rect;
  const double right = edge(r.left + r.width), bottom = edge(r.top + r.height);
  r.left = edge(r.left);
  r.top = edge(r.top);
  r.width = right - r.left;
  r.height = bottom - r.top;
}

Ref<data::Recordset> recordsetOf(const Variant& v) {
  const Variant converted = changeType(v, VT_DISPATCH);
  if (!converted.asObject()) return nullptr;
  Ref<data::Recordset> rs = refCast<data::Recordset>(converted.asObject());
  if (!rs) raise(err::TypeMismatch);
  return rs;
}

DataControl::DataControl()
    : cmdFirst_(makeButton(kButtons[0])),
      cmdPrevious_(makeButton(kButtons[1])),
      cmdNext_(makeButton(kButtons[2])),
      cmdLast_(makeButton(kButtons[3])),
      data1_(makeRef<data::DataSource>()) {
  width_ = kDesignWidth;
  height_ = kDesignHeight;
  addConstituent(cmdFirst_);
  addConstituent(cmdPrevious_);
  addConstituent(cmdNext_);
  addConstituent(cmdLast_);
  WeakRef<DataControl> self(this);
  data1Sink_ = data1_->connect(std::make_shared<FunctionSink>([self](Object&, const EventInfo& e, std::span<Variant> args) {
    DataControl* d = self.get();
    if (!d) return;
    if (e.name == u"Reposition")
      d->Data1_Reposition();
    else if (e.name == u"Error")
      d->Data1_Error(args);
  }, [self](Object&, const EventInfo& e) {
    // A move raises Reposition: not made when nothing would receive it.
    static const EventInfo* const moved = data::DataSource::info().findEvent(u"Reposition");
    static const EventInfo* const reposition = info().findEvent(u"Reposition");
    DataControl* d = self.get();
    if (!d) return false;
    if (&e != moved && e.name != u"Reposition") return true;
    return !d->boolNoReposition_ && d->hearsUserEvent(*reposition);
  }));
}

DataControl::~DataControl() = default;

void DataControl::terminate() {
  if (data1_) {
    data1_->disconnect(data1Sink_);
    data1_.reset();
  }
  UserControl::terminate();
}

void DataControl::unloaded() {
  if (data1_) data1_->close();
}

void DataControl::copyFrom(const Control& source) {
  UserControl::copyFrom(source);
  UserControl_Resize();
}

// Layout: at least 1860 wide and 255 to 450 high; four equal buttons
// (a tenth of the width, 450 to 990) at the full height, First and Previous
// at the left edge, Next and Last at the right edge.
void DataControl::UserControl_Resize() {
  if (boolResizing_) return;
  if (width_ < kMinWidth) flagged(boolResizing_, [&] { setWidth(kMinWidth); });
  if (height_ < kMinHeight) flagged(boolResizing_, [&] { setHeight(kMinHeight); });
  const auto whole = static_cast<int64_t>(roundHalfEven(scaleWidth()));
  auto buttonWidth = static_cast<float>(whole / 10);
  if (buttonWidth > 990)
    buttonWidth = 990;
  else if (buttonWidth < 450)
    buttonWidth = 450;
  const auto gap = static_cast<float>(scaleWidth() - 4 * static_cast<double>(buttonWidth));
  if (height_ < kMinHeight)
    flagged(boolResizing_, [&] { setHeight(kMinHeight); });
  else if (height_ > kMaxHeight)
    flagged(boolResizing_, [&] { setHeight(kMaxHeight); });
  for (NavButton* b : {cmdFirst_.get(), cmdPrevious_.get(), cmdNext_.get(), cmdLast_.get()}) {
    ignoreErrors([&] { b->setWidth(buttonWidth); });
    ignoreErrors([&] { b->setHeight(scaleHeight()); });
    ignoreErrors([&] { b->setTop(scaleTop()); });
  }
  ignoreErrors([&] { cmdFirst_->setLeft(scaleLeft()); });
  ignoreErrors([&] { cmdPrevious_->setLeft(cmdFirst_->left() + cmdFirst_->width()); });
  ignoreErrors([&] { cmdNext_->setLeft(cmdPrevious_->left() + cmdPrevious_->width() + gap); });
  ignoreErrors([&] { cmdLast_->setLeft(cmdNext_->left() + cmdNext_->width()); });
}

// A button's guarded move; every step ignores its errors.
void DataControl::navigate(NavButton& button) {
  auto rs = [&] { return data1_ ? data1_->recordset() : Ref<data::Recordset>(); };
  const bool back = &button == cmdFirst_.get() || &button == cmdPrevious_.get();
  bool go = false;
  ignoreErrors([&] {
    if (!rs() || rs()->recordCount() <= 0) return;
    go = back ? rs()->absolutePosition() > 0 : rs()->absolutePosition() < rs()->recordCount() - 1;
  });
  if (!go) return;
  ignoreErrors([&] {
    if (&button == cmdFirst_.get()) rs()->moveFirst();
    else if (&button == cmdPrevious_.get()) rs()->movePrevious();
    else if (&button == cmdNext_.get()) rs()->moveNext();
    else rs()->moveLast();
  });
}

void DataControl::relayMouse(ControlEvent event, std::span<Variant> params, double dx, double dy) {
  if (params.size() < 4) return;
  float x = static_cast<float>(dx + toR4(params[2]));
  float y = static_cast<float>(dy + toR4(params[3]));
  std::array<Variant, 4> p{params[0], params[1], Variant::byRef(x), Variant::byRef(y)};
  raiseUserEvent(eventName(event), p);
}

void DataControl::surfaceEvent(ControlEvent event, std::span<Variant> params) {
  switch (event) {
    case ControlEvent::Click:
    case ControlEvent::DblClick:
    case ControlEvent::KeyDown:
    case ControlEvent::KeyPress:
    case ControlEvent::KeyUp: raiseUserEvent(eventName(event), params); return;
    case ControlEvent::MouseDown:
    case ControlEvent::MouseMove:
    case ControlEvent::MouseUp: relayMouse(event, params, scaleLeft(), scaleTop()); return;
    default: return;
  }
}

void DataControl::constituentEvent(Control& part, ControlEvent event, std::span<Variant> params) {
  auto* button = dynamic_cast<NavButton*>(&part);
  if (!button) return;
  switch (event) {
    case ControlEvent::Click: navigate(*button); return;
    case ControlEvent::KeyDown:
    case ControlEvent::KeyPress:
    case ControlEvent::KeyUp: raiseUserEvent(eventName(event), params); return;
    case ControlEvent::MouseDown:
    case ControlEvent::MouseMove:
    case ControlEvent::MouseUp:
      relayMouse(event, params, static_cast<float>(button->left() + scaleLeft()),
                 static_cast<float>(button->top() + scaleTop()));
      return;
    default: return;
  }
}

void DataControl::Data1_Reposition() {
  if (!boolNoReposition_) raiseUserEvent(u"Reposition");
}

void DataControl::Data1_Error(std::span<Variant> args) {
  if (args.size() < 2) return;
  int16_t dataErr = 0, response = 0;
  ignoreErrors([&] { dataErr = toI2(args[0]); });
  ignoreErrors([&] { response = toI2(args[1]); });
  std::array<Variant, 2> p{Variant::byRef(dataErr), Variant::byRef(response)};
  raiseUserEvent(u"Error", p);
  ignoreErrors([&] { args[1].assign(Variant::i2(response)); });
}

// Properties.

Variant DataControl::BackColor() { return Variant(static_cast<int32_t>(backColor())); }
void DataControl::letBackColor(Variant& v) {
  setBackColor(static_cast<OleColor>(toI4(v)));
  propertyChanged(u"BackColor");
}
Variant DataControl::ForeColor() { return Variant(static_cast<int32_t>(foreColor())); }
void DataControl::letForeColor(Variant& v) {
  setForeColor(static_cast<OleColor>(toI4(v)));
  propertyChanged(u"ForeColor");
}
Variant DataControl::Enabled() { return Variant(enabled()); }
void DataControl::letEnabled(Variant& v) {
  setEnabled(toBool(v));
  propertyChanged(u"Enabled");
}
Variant DataControl::Font() { return Variant(ObjectRef(cmdFirst_->fontObject())); }
void DataControl::setFont(Variant& v) {
  Ref<FontObject> f = fontObjectOf(v);
  for (NavButton* b : {cmdFirst_.get(), cmdPrevious_.get(), cmdNext_.get(), cmdLast_.get()}) b->setFontObject(f);
  repaint();
  propertyChanged(u"Font");
}
Variant DataControl::BackStyle() { return Variant::i2(backStyle()); }
void DataControl::letBackStyle(Variant& v) {
  setBackStyle(toI2(v));
  propertyChanged(u"BackStyle");
}
Variant DataControl::BorderStyle() { return Variant::i2(borderStyle()); }
void DataControl::letBorderStyle(Variant& v) {
  setBorderStyle(toI2(v));
  propertyChanged(u"BorderStyle");
}
Variant DataControl::Connect() { return Variant(data1_->connectString); }
void DataControl::letConnect(Variant& v) {
  data1_->connectString = toBStr(v);
  propertyChanged(u"Connect");
}
Variant DataControl::Database() {
  if (!data1_->database()) return Variant::nothing();
  return Variant(ObjectRef(data1_->database()));
}
Variant DataControl::DatabaseName() { return Variant(data1_->databaseName); }
void DataControl::letDatabaseName(Variant& v) {
  data1_->databaseName = toBStr(v);
  propertyChanged(u"DatabaseName");
}
Variant DataControl::DefaultCursorType() { return Variant::i2(data1_->defaultCursorType()); }
void DataControl::letDefaultCursorType(Variant& v) {
  data1_->setDefaultCursorType(toI2(v));
  propertyChanged(u"DefaultCursorType");
}
Variant DataControl::DefaultType() { return Variant::i2(data1_->defaultType()); }
void DataControl::letDefaultType(Variant& v) {
  data1_->setDefaultType(toI2(v));
  propertyChanged(u"DefaultType");
}
Variant DataControl::EditMode() { return Variant::i2(data1_->editMode()); }
Variant DataControl::Exclusive() { return Variant(data1_->exclusive); }
void DataControl::letExclusive(Variant& v) {
  data1_->exclusive = toBool(v);
  propertyChanged(u"Exclusive");
}
Variant DataControl::Options() { return Variant::i2(data1_->options); }
void DataControl::letOptions(Variant& v) {
  data1_->options = toI2(v);
  propertyChanged(u"Options");
}
Variant DataControl::ReadOnly() { return Variant(data1_->readOnly); }
void DataControl::letReadOnly(Variant& v) {
  data1_->readOnly = toBool(v);
  propertyChanged(u"ReadOnly");
}
Variant DataControl::Recordset() {
  if (!data1_->recordset()) return Variant::nothing();
  return Variant(ObjectRef(data1_->recordset()));
}
void DataControl::setRecordset(Variant& v) {
  data1_->setRecordset(recordsetOf(v));
  propertyChanged(u"Recordset");
}
Variant DataControl::RecordsetType() { return Variant::i2(data1_->recordsetType()); }
void DataControl::letRecordsetType(Variant& v) {
  data1_->setRecordsetType(toI2(v));
  propertyChanged(u"RecordsetType");
}
Variant DataControl::RecordSource() { return Variant(data1_->recordSource); }
void DataControl::letRecordSource(Variant& v) {
  data1_->recordSource = toBStr(v);
  propertyChanged(u"RecordSource");
}
Variant DataControl::CaptionFirst() { return Variant(cmdFirst_->caption()); }
void DataControl::letCaptionFirst(Variant& v) {
  cmdFirst_->setCaption(toBStr(v));
  propertyChanged(u"CaptionFirst");
}
Variant DataControl::CaptionPrevious() { return Variant(cmdPrevious_->caption()); }
void DataControl::letCaptionPrevious(Variant& v) {
  cmdPrevious_->setCaption(toBStr(v));
  propertyChanged(u"CaptionPrevious");
}
Variant DataControl::CaptionNext() { return Variant(cmdNext_->caption()); }
void DataControl::letCaptionNext(Variant& v) {
  cmdNext_->setCaption(toBStr(v));
  propertyChanged(u"CaptionNext");
}
Variant DataControl::CaptionLast() { return Variant(cmdLast_->caption()); }
void DataControl::letCaptionLast(Variant& v) {
  cmdLast_->setCaption(toBStr(v));
  propertyChanged(u"CaptionLast");
}
void DataControl::Refresh() { repaint(); }
Variant DataControl::Appearance() { return Variant::i2(appearance()); }
void DataControl::letAppearance(Variant& v) {
  setAppearance(toI2(v));
  repaint();
  propertyChanged(u"Appearance");
}

// Refresh, then the last record and back to the first; only the move to the
// first record raises Reposition. Failures go to the out-parameters only.
void DataControl::OpenData(Variant& lngErrNumber, Variant& strErrDescription) {
  const ErrorOut out{lngErrNumber, strErrDescription};
  out.clear();
  Ref<Control> keep(this);
  ErrState err;
  err.attempt([&] {
    boolNoReposition_ = true;
    data1_->refresh();
    if (data1_->recordset()) data1_->recordset()->moveLast();
    boolNoReposition_ = false;
    if (data1_->recordset()) data1_->recordset()->moveFirst();
  });
  if (err.pending()) {
    out.report(err);
    err.clear();
    boolNoReposition_ = false;
  }
}

// The saved state.

void DataControl::readProperties(const PropertyBag& bag) {
  setAppearance(toI2(bag.readProperty(u"Appearance", Variant::i2(1))));
  Control::setBackColor(static_cast<OleColor>(toI4(bag.readProperty(u"BackColor", Variant(static_cast<int32_t>(kButtonFace))))));
  Control::setForeColor(static_cast<OleColor>(toI4(bag.readProperty(u"ForeColor", Variant(static_cast<int32_t>(kButtonText))))));
  Control::setEnabled(toBool(bag.readProperty(u"Enabled", Variant(true))));
  for (NavButton* b : {cmdFirst_.get(), cmdPrevious_.get(), cmdNext_.get(), cmdLast_.get()})
    b->setFontObject(copyOfFont(bag.readProperty(u"Font", Variant(ObjectRef(ambientFont())))));
  setBackStyle(toI2(bag.readProperty(u"BackStyle", Variant::i2(1))));
  setBorderStyle(toI2(bag.readProperty(u"BorderStyle", Variant::i2(0))));
  data1_->connectString = toBStr(bag.readProperty(u"Connect", Variant(u"Access 2000;")));
  data1_->databaseName = toBStr(bag.readProperty(u"DatabaseName", Variant(u"")));
  data1_->setDefaultCursorType(toI2(bag.readProperty(u"DefaultCursorType", Variant::i2(0))));
  data1_->setDefaultType(toI2(bag.readProperty(u"DefaultType", Variant::i2(2))));
  data1_->exclusive = toBool(bag.readProperty(u"Exclusive", Variant(false)));
  data1_->options = toI2(bag.readProperty(u"Options", Variant::i2(0)));
  data1_->readOnly = toBool(bag.readProperty(u"ReadOnly", Variant(false)));
  Variant rs = bag.readProperty(u"Recordset", Variant::nothing());
  setRecordset(rs);
  data1_->setRecordsetType(toI2(bag.readProperty(u"RecordsetType", Variant::i2(1))));
  data1_->recordSource = toBStr(bag.readProperty(u"RecordSource", Variant(u"")));
  cmdFirst_->setCaption(toBStr(bag.readProperty(u"CaptionFirst", Variant(u"First"))));
  cmdPrevious_->setCaption(toBStr(bag.readProperty(u"CaptionPrevious", Variant(u"Previous"))));
  cmdNext_->setCaption(toBStr(bag.readProperty(u"CaptionNext", Variant(u"Next"))));
  cmdLast_->setCaption(toBStr(bag.readProperty(u"CaptionLast", Variant(u"Last"))));
  data1_->caption = toBStr(bag.readProperty(u"Caption", Variant(u"Data1")));
}

void DataControl::writeProperties(PropertyBag& bag) const {
  auto& self = const_cast<DataControl&>(*this);
  bag.writeProperty(u"BackColor", Variant(static_cast<int32_t>(backColor())), Variant(static_cast<int32_t>(kButtonFace)));
  bag.writeProperty(u"ForeColor", Variant(static_cast<int32_t>(foreColor())), Variant(static_cast<int32_t>(kButtonText)));
  bag.writeProperty(u"Enabled", Variant(enabled()), Variant(true));
  bag.writeProperty(u"Font", Variant(ObjectRef(cmdFirst_->fontObject())), Variant(ObjectRef(ambientFont())));
  bag.writeProperty(u"BackStyle", Variant::i2(backStyle()), Variant::i2(1));
  bag.writeProperty(u"BorderStyle", Variant::i2(borderStyle()), Variant::i2(0));
  bag.writeProperty(u"Connect", Variant(data1_->connectString), Variant(u"Access 2000;"));
  bag.writeProperty(u"DatabaseName", Variant(data1_->databaseName), Variant(u""));
  bag.writeProperty(u"DefaultCursorType", Variant::i2(data1_->defaultCursorType()), Variant::i2(0));
  bag.writeProperty(u"DefaultType", Variant::i2(data1_->defaultType()), Variant::i2(2));
  bag.writeProperty(u"Exclusive", Variant(data1_->exclusive), Variant(false));
  bag.writeProperty(u"Options", Variant::i2(data1_->options), Variant::i2(0));
  bag.writeProperty(u"ReadOnly", Variant(data1_->readOnly), Variant(false));
  bag.writeProperty(u"Recordset", self.Recordset(), Variant::nothing());
  bag.writeProperty(u"RecordsetType", Variant::i2(data1_->recordsetType()), Variant::i2(1));
  bag.writeProperty(u"RecordSource", Variant(data1_->recordSource), Variant(u""));
  bag.writeProperty(u"CaptionFirst", Variant(cmdFirst_->caption()), Variant(u"First"));
  bag.writeProperty(u"CaptionPrevious", Variant(cmdPrevious_->caption()), Variant(u"Previous"));
  bag.writeProperty(u"CaptionNext", Variant(cmdNext_->caption()), Variant(u"Next"));
  bag.writeProperty(u"CaptionLast", Variant(cmdLast_->caption()), Variant(u"Last"));
  bag.writeProperty(u"Appearance", Variant::i2(appearance()), Variant::i2(1));
  bag.writeProperty(u"Caption", Variant(data1_->caption), Variant(u"Data1"));
}

PropertyBag DataControl::templateBag() {
  PropertyBag bag;
  bag.writeProperty(u"Font", Variant(ObjectRef(makeRef<FontObject>(svx::Font{u"Tahoma", 8.25}))));
  bag.writeProperty(u"CaptionFirst", Variant(u"<<"));
  bag.writeProperty(u"CaptionPrevious", Variant(u"<"));
  bag.writeProperty(u"CaptionNext", Variant(u">"));
  bag.writeProperty(u"CaptionLast", Variant(u">>"));
  return bag;
}

const ClassInfo& DataControl::info() {
  static const ClassInfo ci =
      ClassInfo(u"DataControl", &UserControl::info())
          .get<&DataControl::BackColor>(u"BackColor", {}, u"The colour of the control's surface (an OLE colour).")
          .let<&DataControl::letBackColor>(u"BackColor", {in(u"New_BackColor")})
          .get<&DataControl::ForeColor>(u"ForeColor", {}, u"The text colour of the control's surface.")
          .let<&DataControl::letForeColor>(u"ForeColor", {in(u"New_ForeColor")})
          .get<&DataControl::Enabled>(u"Enabled", {}, u"Whether the control responds to the user.")
          .let<&DataControl::letEnabled>(u"Enabled", {in(u"New_Enabled")})
          .get<&DataControl::Font>(u"Font", {},
                                   u"The font of the four buttons: setting it sets all four, reading it gives the "
                                   u"first button's.")
          .set<&DataControl::setFont>(u"Font", {in(u"New_Font")})
          .get<&DataControl::BackStyle>(u"BackStyle", {}, u"1 an opaque surface, 0 a transparent one.")
          .let<&DataControl::letBackStyle>(u"BackStyle", {in(u"New_BackStyle")})
          .get<&DataControl::BorderStyle>(u"BorderStyle", {}, u"0 no border, 1 a single border.")
          .let<&DataControl::letBorderStyle>(u"BorderStyle", {in(u"New_BorderStyle")})
          .get<&DataControl::Connect>(u"Connect", {},
                                      u"The kind of database: \"Access 2000;\" (the default) or empty for a "
                                      u"database file.")
          .let<&DataControl::letConnect>(u"Connect", {in(u"New_Connect")})
          .get<&DataControl::Database>(u"Database", {},
                                       u"The open database (Name, Connect, Updatable); Nothing before OpenData.")
          .get<&DataControl::DatabaseName>(u"DatabaseName", {}, u"The path of the database file.")
          .let<&DataControl::letDatabaseName>(u"DatabaseName", {in(u"New_DatabaseName")})
          .get<&DataControl::DefaultCursorType>(u"DefaultCursorType", {}, u"0 to 2, kept with the saved state.")
          .let<&DataControl::letDefaultCursorType>(u"DefaultCursorType", {in(u"New_DefaultCursorType")})
          .get<&DataControl::DefaultType>(u"DefaultType", {}, u"1 or 2, kept with the saved state.")
          .let<&DataControl::letDefaultType>(u"DefaultType", {in(u"New_DefaultType")})
          .get<&DataControl::EditMode>(u"EditMode", {},
                                       u"The recordset's edit: 0 none, 1 Edit in progress, 2 AddNew in progress.")
          .get<&DataControl::Exclusive>(u"Exclusive", {}, u"True: OpenData holds the file locked for this control.")
          .let<&DataControl::letExclusive>(u"Exclusive", {in(u"New_Exclusive")})
          .get<&DataControl::Options>(u"Options", {}, u"4 (read-only): OpenData opens the recordset read-only.")
          .let<&DataControl::letOptions>(u"Options", {in(u"New_Options")})
          .get<&DataControl::ReadOnly>(u"ReadOnly", {}, u"True: OpenData opens the database read-only.")
          .let<&DataControl::letReadOnly>(u"ReadOnly", {in(u"New_ReadOnly")})
          .get<&DataControl::Recordset>(u"Recordset", {},
                                        u"The recordset that the buttons move; Nothing before OpenData. Set it to "
                                        u"bind another recordset.")
          .set<&DataControl::setRecordset>(u"Recordset", {in(u"New_Recordset")})
          .get<&DataControl::RecordsetType>(u"RecordsetType", {},
                                            u"0 table or 1 dynaset (the default): the table's rows, read afresh "
                                            u"and editable; 2 snapshot: a read-only copy.")
          .let<&DataControl::letRecordsetType>(u"RecordsetType", {in(u"New_RecordsetType")})
          .get<&DataControl::RecordSource>(u"RecordSource", {},
                                           u"A table, or one query that only reads (a read-only copy of its rows); "
                                           u"any other statement is refused with 3075.")
          .let<&DataControl::letRecordSource>(u"RecordSource", {in(u"New_RecordSource")})
          .get<&DataControl::CaptionFirst>(u"CaptionFirst", {}, u"The caption of the button to the first record.")
          .let<&DataControl::letCaptionFirst>(u"CaptionFirst", {in(u"New_CaptionFirst")})
          .get<&DataControl::CaptionPrevious>(u"CaptionPrevious", {},
                                              u"The caption of the button to the previous record.")
          .let<&DataControl::letCaptionPrevious>(u"CaptionPrevious", {in(u"New_CaptionPrevious")})
          .get<&DataControl::CaptionNext>(u"CaptionNext", {}, u"The caption of the button to the next record.")
          .let<&DataControl::letCaptionNext>(u"CaptionNext", {in(u"New_CaptionNext")})
          .get<&DataControl::CaptionLast>(u"CaptionLast", {}, u"The caption of the button to the last record.")
          .let<&DataControl::letCaptionLast>(u"CaptionLast", {in(u"New_CaptionLast")})
          .method<&DataControl::Refresh>(u"Refresh", {}, u"Repaints the control (OpenData reads the data again).")
          .method<&DataControl::OpenData>(u"OpenData", {refOpt(u"lngErrNumber"), refOpt(u"strErrDescription")},
                                          u"Opens the database and the recordset from the properties and moves to "
                                          u"the first record (one Reposition).")
          .get<&DataControl::Appearance>(u"Appearance", {}, u"0 flat, 1 3-D.")
          .let<&DataControl::letAppearance>(u"Appearance", {in(u"New_Appearance")})
          .event(u"Click", {}, u"A click on the control's surface (not on a button).")
          .event(u"DblClick", {}, u"A double click on the control's surface.")
          .event(u"KeyDown", {u"KeyCode", u"Shift"}, u"A key pressed on the control or a button.")
          .event(u"KeyPress", {u"KeyAscii"}, u"A character typed on the control or a button.")
          .event(u"KeyUp", {u"KeyCode", u"Shift"}, u"A key released on the control or a button.")
          .event(u"MouseDown", {u"Button", u"Shift", u"X", u"Y"},
                 u"A mouse button pressed on the control or a button (X and Y in the control's coordinates).")
          .event(u"MouseMove", {u"Button", u"Shift", u"X", u"Y"}, u"The mouse moved over the control or a button.")
          .event(u"MouseUp", {u"Button", u"Shift", u"X", u"Y"}, u"A mouse button released.")
          .event(u"Reposition", {}, u"Another record became current.")
          .event(u"Error", {u"DataErr", u"Response"},
                 u"The record moved to cannot be read; Response 0 keeps the message box from showing.");
  return ci;
}

void registerDataReference() {
  static const bool done = [] {
    const std::string raises =
        " A failing member raises its error to the caller: the data-access errors 3020 to 3343 with texts of "
        "their own, 13 for a value of the wrong type, 380 for a number out of range.";
    ReferenceNotes control;
    control.about =
        "The data control that `DataCtrlObject` returns: the control itself, without what the form gives every "
        "control (its place, size, visibility and tab order are set with `SetDataCtrl`). Its data properties take "
        "effect at the next `OpenData`. It has no `Caption`: the captions are those of its four buttons, "
        "`CaptionFirst` to `CaptionLast`." +
        raises;
    control.events =
        "They reach the script as Dialog's DataCtrl events, the element's index first (`DataCtrlReposition`), and "
        "reach a script connected to this object as they are.";
    control.errors = [](const MemberInfo& m) -> std::string {
      if (m.name != u"OpenData") return {};
      return "reported through `lngErrNumber` and `strErrDescription` (0 and \"\" after a success); nothing is "
             "raised.";
    };
    registerReferenceClass(UserControlObject::infoFor(DataControl::info()), control);
    ReferenceNotes recordset;
    recordset.about =
        "The records of a data control's `RecordSource` (`Recordset` of the data control, or `objRecordset` of "
        "`GetDataCtrl`), with a current record. Over a table (RecordsetType 0 or 1) the current record is read "
        "afresh at every move, so a change that another program made shows at the next move, and it can be "
        "edited; a query or a snapshot is a read-only copy. Every Update, AddNew or Delete is one transaction: a "
        "failure (the file locked by another program, a broken rule of the table) writes nothing and keeps the "
        "edit in progress." +
        raises;
    registerReferenceClass(data::Recordset::info(), recordset);
    const auto about = [](std::string text) {
      ReferenceNotes notes;
      notes.about = std::move(text);
      return notes;
    };
    registerReferenceClass(data::Fields::info(),
                           about("The fields of a recordset's current record (`rs.Fields`): "
                                 "`rs.Fields(\"title\").Value`." +
                                 raises));
    registerReferenceClass(data::Field::info(), about("One field of a recordset; it follows the current record." + raises));
    registerReferenceClass(data::Database::info(), about("The database file that a data control opened (its `Database`)."));
    return true;
  }();
  (void)done;
}

}  // namespace svx
