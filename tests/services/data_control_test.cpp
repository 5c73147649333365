// DataControl on its own: layout, buttons, events, properties and the saved
// state, on real database files in a temporary folder.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "dialog/dialog.h"
#include "dialog/dialog_form_api.h"
#include "host/script_host.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"
#include "platform/automation/coerce.h"
#include "platform/automation/type_reference.h"
#include "platform/forms/person.h"
#include "platform/graphics/form_render.h"
#include "platform/graphics/image_codec.h"
#include "services/data_control.h"
#include "tests/support/error_of.h"
#include "tests/support/form_fixture.h"
#include "tests/support/sqlite_files.h"

namespace svx {
namespace {

using svx::testing::errorOf;
using svx::testing::makeDatabase;
using svx::testing::peopleSql;
using svx::testing::TempFolder;

class DataControlTest : public testing::DialogFormTest {
 protected:
  // A loaded, visible DataCtrl element over `rows` people (index 1).
  DataControl& element(int rows = 5) {
    if (!file.empty() || rows < 0) return data(1);
    file = makeDatabase(folder / "people.db", peopleSql(rows));
    Variant missing = Variant::missing();
    EXPECT_EQ(call(u"LoadDataCtrl", {&missing, &errNumber, &errDescription}), Variant(1));
    DataControl& d = data(1);
    d.setVisible(true);
    d.data1().databaseName = utf16(file.string());
    d.data1().recordSource = u"people";
    return d;
  }
  DataControl& data(int index) { return dynamic_cast<DataControl&>(form->array(u"DataCtrl").item(int16_t(index))); }
  void openData() {
    Variant i(1);
    call(u"DataCtrlOpenData", {&i, &errNumber, &errDescription});
  }
  int count(BStrView name) const {
    int n = 0;
    for (const auto& e : events) n += e.name == name;
    return n;
  }
  int32_t position() { return data(1).data1().recordset()->absolutePosition(); }

  TempFolder folder;
  std::filesystem::path file;
};

TEST_F(DataControlTest, LayoutKeepsTheMinimumsAndSplitsTheWidth) {
  DataControl& d = element();
  struct Case {
    double width, height;
    double expectWidth, expectHeight, button;
    std::array<double, 4> lefts;
  };
  const Case cases[] = {
      {1000, 100, 1860, 255, 450, {0, 450, 960, 1410}},
      {2160, 315, 2160, 315, 450, {0, 450, 1260, 1710}},
      {12000, 600, 12000, 450, 990, {0, 990, 10020, 11010}},
      {6789.5, 300, 6789.5, 300, 679, {0, 679, 5431.5, 6110.5}},
      {6788.5, 300, 6788.5, 300, 678, {0, 678, 5432.5, 6110.5}},
      {9909, 300, 9909, 300, 990, {0, 990, 7929, 8919}},
      {9910, 300, 9910, 300, 990, {0, 990, 7930, 8920}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.width);
    d.move(d.left(), d.top(), c.width, c.height);
    EXPECT_EQ(d.width(), c.expectWidth);
    EXPECT_EQ(d.height(), c.expectHeight);
    NavButton* buttons[] = {&d.cmdFirst(), &d.cmdPrevious(), &d.cmdNext(), &d.cmdLast()};
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(buttons[i]->width(), c.button);
      EXPECT_EQ(buttons[i]->height(), c.expectHeight);
      EXPECT_FLOAT_EQ(buttons[i]->left(), c.lefts[i]);
    }
  }
}

TEST_F(DataControlTest, ButtonsMoveOnlyWithinTheRecordset) {
  DataControl& d = element();
  for (NavButton* b : {&d.cmdFirst(), &d.cmdNext(), &d.cmdLast()}) person::click(*b);  // no recordset yet
  EXPECT_EQ(count(u"DataCtrlReposition"), 0);
  openData();
  ASSERT_EQ(errNumber, Variant::i2(0));
  EXPECT_EQ(count(u"DataCtrlReposition"), 1);  // the move back to the first record only
  EXPECT_EQ(position(), 0);
  events.clear();
  person::click(d.cmdFirst());
  person::click(d.cmdPrevious());
  EXPECT_EQ(count(u"DataCtrlReposition"), 0);
  person::click(d.cmdNext());
  EXPECT_EQ(position(), 1);
  EXPECT_EQ(count(u"DataCtrlReposition"), 1);
  person::click(d.cmdLast());
  EXPECT_EQ(position(), 4);
  events.clear();
  person::click(d.cmdNext());
  person::click(d.cmdLast());
  EXPECT_EQ(count(u"DataCtrlReposition"), 0);
  person::click(d.cmdPrevious());
  EXPECT_EQ(position(), 3);
  EXPECT_EQ(count(u"DataCtrlClick"), 0);  // a button's click is no Click of the control
}

TEST_F(DataControlTest, ADisabledOrHiddenControlsButtonsDoNothing) {
  DataControl& d = element();
  openData();
  Variant off(false);
  d.letEnabled(off);
  person::click(d.cmdNext());
  person::clickAt(d, 1300, 100);
  EXPECT_EQ(position(), 0);
  Variant on(true);
  d.letEnabled(on);
  d.setVisible(false);
  person::click(d.cmdNext());
  EXPECT_EQ(position(), 0);
  d.setVisible(true);
  person::click(d.cmdNext());
  EXPECT_EQ(position(), 1);
}

TEST_F(DataControlTest, ASingleRecordDoesNotMove) {
  DataControl& d = element(1);
  openData();
  events.clear();
  for (NavButton* b : {&d.cmdFirst(), &d.cmdPrevious(), &d.cmdNext(), &d.cmdLast()}) person::click(*b);
  EXPECT_EQ(count(u"DataCtrlReposition"), 0);
}

TEST_F(DataControlTest, MouseEventsArriveInTheControlsCoordinates) {
  DataControl& d = element();
  d.move(d.left(), d.top(), 2160, 315);
  person::mouseDown(d, person::vbLeftButton, 0, 1260 + 10, 20);  // on cmdNext
  const auto* down = last(u"DataCtrlMouseDown");
  ASSERT_TRUE(down);
  EXPECT_EQ(down->args[3], Variant(1270.0f));
  EXPECT_EQ(down->args[4], Variant(20.0f));
  events.clear();
  person::mouseDown(d, person::vbLeftButton, 0, 1000, 20);  // the gap
  EXPECT_EQ(last(u"DataCtrlMouseDown")->args[3], Variant(1000.0f));
  events.clear();
  person::clickAt(d, 1000, 100);
  EXPECT_EQ(count(u"DataCtrlClick"), 1);
  events.clear();
  person::clickAt(d, 1270, 100);
  EXPECT_EQ(count(u"DataCtrlClick"), 0);
  EXPECT_EQ(count(u"DataCtrlMouseUp"), 1);
}

TEST_F(DataControlTest, KeysAndDoubleClicksOfTheSurfaceAreTheControlsEvents) {
  DataControl& d = element();
  onEvent = [](BStrView name, std::span<Variant> args) {
    if (name == u"DataCtrlKeyPress") args[1].assign(Variant::i2(0));
  };
  person::keyDown(d, 65, person::vbShiftMask);
  const auto* down = last(u"DataCtrlKeyDown");
  ASSERT_TRUE(down);
  EXPECT_EQ(down->args[1], Variant::i2(65));
  EXPECT_EQ(down->args[2], Variant::i2(person::vbShiftMask));
  int16_t ascii = 97;
  std::array<Variant, 1> p{Variant::byRef(ascii)};
  d.fire(ControlEvent::KeyPress, p);
  EXPECT_EQ(ascii, 0);  // the script's value reaches the control
  person::dblClick(d);
  EXPECT_EQ(count(u"DataCtrlDblClick"), 1);
  EXPECT_EQ(count(u"DataCtrlClick"), 1);
}

// A person's clicks on the form's window land on the bar's buttons too.
TEST_F(DataControlTest, APersonsClickOnAButtonMovesTheRecord) {
  DataControl& d = element();
  d.move(600, 300, 2160, 315);
  openData();
  events.clear();
  person::buttonDown(*form, person::vbLeftButton, 0, 600 + 1260 + 100, 300 + 100);  // cmdNext
  person::buttonUp(*form, person::vbLeftButton, 0, 600 + 1260 + 100, 300 + 100);
  EXPECT_EQ(position(), 1);
  EXPECT_EQ(count(u"DataCtrlReposition"), 1);
  EXPECT_EQ(last(u"DataCtrlMouseDown")->args[3], Variant(1360.0f));
  EXPECT_EQ(count(u"DataCtrlClick"), 0);
  Clock::advance(1000);
  person::buttonDown(*form, person::vbLeftButton, 0, 600 + 1000, 300 + 100);  // the gap
  person::buttonUp(*form, person::vbLeftButton, 0, 600 + 1000, 300 + 100);
  EXPECT_EQ(count(u"DataCtrlClick"), 1);
  EXPECT_EQ(position(), 1);
}

TEST_F(DataControlTest, OpenDataReportsFailuresAndLeavesNoRecordset) {
  DataControl& d = element();
  d.data1().databaseName = utf16((folder / "missing.db").string());
  openData();
  EXPECT_EQ(errNumber, Variant(data::daterr::FileNotFound));
  EXPECT_NE(toBStr(errDescription).find(u"was not found"), BStr::npos);
  EXPECT_FALSE(d.data1().recordset());
  EXPECT_FALSE(d.noReposition());
  EXPECT_FALSE(std::filesystem::exists(folder / "missing.db"));
  Variant missing = Variant::missing();
  d.OpenData(missing, missing);  // nothing reported, nothing raised
  d.data1().databaseName = utf16(file.string());
  openData();
  EXPECT_EQ(errNumber, Variant::i2(0));
  EXPECT_EQ(count(u"DataCtrlReposition"), 1);
}

TEST_F(DataControlTest, PropertiesPassThroughAndReportTheirChange) {
  DataControl& d = element();
  d.clearChangedProperties();
  Variant start(u"Start");
  d.letCaptionFirst(start);
  EXPECT_EQ(d.CaptionFirst(), Variant(u"Start"));
  EXPECT_EQ(d.cmdPrevious().caption(), u"<");
  Variant font(ObjectRef(makeRef<FontObject>(Font{u"Arial", 12})));
  d.setFont(font);
  for (NavButton* b : {&d.cmdFirst(), &d.cmdPrevious(), &d.cmdNext(), &d.cmdLast()})
    EXPECT_EQ(b->fontObject()->font().size, 12);
  d.cmdLast().setFontObject(makeRef<FontObject>(Font{u"Tahoma", 20}));
  EXPECT_EQ(d.Font().asObject().get(), font.asObject().get());
  Variant notARecordset(ObjectRef(makeRef<FontObject>()));
  EXPECT_EQ(errorOf([&] { d.setRecordset(notARecordset); }), err::TypeMismatch);
  EXPECT_EQ(d.changedProperties(), (std::set<BStr>{u"CaptionFirst", u"Font"}));
  Variant nothing = Variant::nothing();
  d.setRecordset(nothing);
  EXPECT_TRUE(d.changedProperties().count(u"Recordset"));
  EXPECT_EQ(d.Recordset(), Variant::nothing());
  Variant badType = Variant::i2(5);
  EXPECT_EQ(errorOf([&] { d.letRecordsetType(badType); }), err::InvalidPropertyValue);
  EXPECT_FALSE(d.changedProperties().count(u"RecordsetType"));
}

TEST_F(DataControlTest, TheSavedStateStoresOnlyWhatDiffersFromItsDefault) {
  Ref<DataControl> fresh = makeRef<DataControl>();
  fresh->readProperties(PropertyBag());
  EXPECT_EQ(fresh->CaptionFirst(), Variant(u"First"));
  EXPECT_EQ(fresh->CaptionLast(), Variant(u"Last"));
  EXPECT_EQ(fresh->Connect(), Variant(u"Access 2000;"));
  EXPECT_EQ(fresh->RecordsetType(), Variant::i2(1));
  PropertyBag saved;
  fresh->writeProperties(saved);
  EXPECT_EQ(saved.size(), 0u);
  // A copy of the form's template shows its captions; its data properties
  // start at their defaults.
  DataControl& d = element();
  EXPECT_EQ(d.CaptionFirst(), Variant(u"<<"));
  EXPECT_EQ(d.CaptionNext(), Variant(u">"));
  EXPECT_EQ(d.cmdFirst().fontObject()->font(), (Font{u"Tahoma", 8.25}));
  PropertyBag bag;
  d.writeProperties(bag);
  EXPECT_EQ(bag.size(), 6u);  // four captions, DatabaseName and RecordSource
  EXPECT_TRUE(bag.contains(u"CaptionLast"));
  EXPECT_FALSE(bag.contains(u"Font"));
  Ref<DataControl> copy = makeRef<DataControl>();
  copy->readProperties(bag);
  EXPECT_EQ(copy->CaptionLast(), Variant(u">>"));
  EXPECT_EQ(copy->RecordSource(), Variant(u"people"));
  EXPECT_TRUE(copy->changedProperties().count(u"Recordset"));  // loading reports only that one
  EXPECT_EQ(copy->changedProperties().size(), 1u);
}

TEST_F(DataControlTest, NavigationBarPictures) {
  DataControl& d = element();
  for (double width : {1000.0, 2160.0, 12000.0}) {
    d.move(0, 0, width, 315);
    RenderItem item;
    d.render(item);
    const auto png = folder / ("navigation-" + std::to_string(int(width)) + ".png");
    renderItemsToPng(item, png);
    ASSERT_TRUE(std::filesystem::exists(png));
    const RasterImage image = renderItems(item);
    EXPECT_EQ(image.width, int(std::lround(d.width() / 15)));
    EXPECT_EQ(image.height, 21);
    ASSERT_EQ(item.children.size(), 4u);
    EXPECT_EQ(item.children[2].text, u">");
  }
}

// Every width and height of the bar draws every edge of every button: the
// left and right edges at the pixels nearest the buttons' twips, the last
// button's right edge on the bar's last column.
TEST_F(DataControlTest, EveryWidthDrawsEveryEdgeOfEveryButton) {
  DataControl& d = element();
  constexpr uint32_t kEdge = 0x404040;  // the renderer's border colour
  int checked = 0;
  for (int width = 1860, step = 0; width <= 13000; width += 7, ++step) {
    const int height = 255 + (step * 37) % 196;
    d.move(0, 0, width, height);
    RenderItem item;
    d.render(item);
    const RasterImage image = renderItems(item);
    ASSERT_EQ(image.width, int(std::lround(width / 15.0)));
    const int y = image.height / 2;
    const NavButton* buttons[] = {&d.cmdFirst(), &d.cmdPrevious(), &d.cmdNext(), &d.cmdLast()};
    for (const NavButton* b : buttons) {
      const int left = int(std::lround(b->left() / 15)), right = int(std::lround((b->left() + b->width()) / 15)) - 1;
      ASSERT_EQ(image.at(left, y) & 0xFFFFFF, kEdge) << width << " x " << height << ", " << utf8(b->caption());
      ASSERT_EQ(image.at(right, y) & 0xFFFFFF, kEdge) << width << " x " << height << ", " << utf8(b->caption());
      ASSERT_EQ(image.at((left + right) / 2, image.height - 1) & 0xFFFFFF, kEdge) << width << " x " << height;
      ++checked;
    }
    ASSERT_EQ(int(std::lround((d.cmdLast().left() + d.cmdLast().width()) / 15)), image.width) << width;
  }
  EXPECT_GT(checked, 6000);
}

// The reference names the data classes by their class names: the data
// control's own members (not the extender's), the Recordset's.
TEST(DataReference, TheDataClassesAreInTheReferenceByName) {
  registerDataReference();
  const std::string control = typeReference(u"DataControl");
  for (const char* member : {"### CaptionFirst", "### CaptionLast", "### OpenData", "### RecordSource", "| `Reposition` |"})
    EXPECT_NE(control.find(member), std::string::npos) << member;
  for (const char* member : {"### Left", "### Visible", "### Container", "### Caption\n"})
    EXPECT_EQ(control.find(member), std::string::npos) << member;
  const std::string recordset = typeReference(u"recordset");
  EXPECT_NE(recordset.find("### AbsolutePosition\n\nProperty, read only."), std::string::npos);
  for (BStrView name : {u"Fields", u"Field", u"Database"})
    EXPECT_NE(typeReference(name).find("# " + utf8(name) + "\n"), std::string::npos) << utf8(name);
  EXPECT_EQ(errorOf([] { typeReference(u"NoSuchClass"); }), err::CannotCreateObject);
}

// A script's Reposition functions: the dialog's for the control array,
// the control's own through a connection of its own, or both; each asked
// afresh on every move (a function defined or deleted between moves counts
// from the next move on), each control with its own index, and none for the
// moves of OpenData but its last.
TEST(DataControlScript, RepositionReachesTheFunctionsThatTheScriptHasAtEachMove) {
  struct Case {
    const char* name;
    const char* script;
    const char* output;
  };
  const Case cases[] = {
      {"AFunctionDefinedLaterIsCalledFromTheNextMove",
       "var one = open(), two = open(), a = one.Recordset, b = two.Recordset;\n"
       "a.MoveNext(); a.MoveNext(); b.MoveLast();\n"
       "dlg_DataCtrlReposition = dialogSaw;\n"
       "a.MovePrevious(); b.MoveFirst(); a.MoveLast();\n"
       "delete this.dlg_DataCtrlReposition; a.MoveFirst(); b.MoveNext();\n"
       "dlg_DataCtrlReposition = dialogSaw; b.MoveNext();\n",
       "d1@1 d2@0 d1@2 d2@2"},
      {"OpenDataRepositionsOnceAtTheFirstRecord",
       "dlg_DataCtrlReposition = dialogSaw; var one = open(); one.Recordset.MoveNext();\n",
       "d1@0 d1@1"},
      {"AControlsOwnFunctionWithoutTheDialogs",
       "var one = open(), two = open(); WScript.ConnectObject(two, 'ctl_'); watched = two.Recordset;\n"
       "one.Recordset.MoveNext(); two.Recordset.MoveLast(); ctl_Reposition = null; two.Recordset.MoveFirst();\n",
       "c@2"},
      {"TheDialogsFunctionThenTheControls",
       "var one = open(); WScript.ConnectObject(one, 'ctl_'); watched = one.Recordset;\n"
       "dlg_DataCtrlReposition = dialogSaw;\n"
       "one.Recordset.MoveNext(); delete this.dlg_DataCtrlReposition; one.Recordset.MoveNext();\n",
       "d1@1 c@1 c@2"},
      {"NoFunctionNoCall", "var one = open(); one.Recordset.MoveNext(); one.Recordset.MoveLast();\n", ""},
  };
  Clock::useVirtualTime();
  desktop().reset();
  registerDialogForm();
  Dialog::registerProgId();
  TempFolder folder;
  const std::filesystem::path file = makeDatabase(folder / "people.db", peopleSql(3));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string script =
        "var file = '" + file.string() + "', seen = [];\n"
        "var dlg = WScript.CreateObject('Sorvanelix.Dialog', 'dlg_'), err = new Ref(0), desc = new Ref('');\n"
        "function open() {\n"
        "  var i = dlg.LoadDataCtrl(Missing, err, desc);\n"
        "  dlg.SetDataCtrl(i, Named({strDatabaseName: file, strRecordSource: 'people'}));\n"
        "  dlg.DataCtrlOpenData(i, err, desc);\n"
        "  if (err.value != 0) throw new Error(desc.value);\n"
        "  return dlg.DataCtrlObject(i, err, desc);\n"
        "}\n"
        "function dialogSaw(i) {\n"
        "  seen.push('d' + (i + 0) + '@' + dlg.DataCtrlObject(i + 0, err, desc).Recordset.AbsolutePosition);\n"
        "}\n"
        "var watched, ctl_Reposition = function () { seen.push('c@' + watched.AbsolutePosition); };\n" +
        std::string(c.script) + "WScript.Echo(seen.join(' '));\n";
    std::ostringstream out, err;
    {
      host::ScriptHost host(out, err);
      EXPECT_EQ(host.run(script, "reposition.js", {}), 0);
    }
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(out.str(), std::string(c.output) + "\n");
  }
  desktop().reset();
  Clock::useRealTime();
}

// What a script reads from the fields, through the names it gives and the
// text the fields hold: ASCII text and names take a shorter way than other
// text and names (a name in another case, a name or text beyond ASCII, text
// with a NUL, bytes that are no UTF-8, numbers beyond 32 and 53 bits, a value
// neither text nor a number, an edit, no current record), and each reads as
// the longer way reads it.
TEST(DataControlScript, FieldsReadTheSameWhateverTheirNamesAndText) {
  Clock::useVirtualTime();
  desktop().reset();
  registerDialogForm();
  Dialog::registerProgId();
  TempFolder folder;
  const std::filesystem::path file = makeDatabase(
      folder / "t.db",
      "CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT, \"Prénom\" TEXT, amount REAL, note);"
      "INSERT INTO t VALUES (1, 'plain', 'é', 1.5, 'x'), (2, 'héllo', 'a', 2.0, NULL),"
      " (3, '😀 face', 'b', NULL, 12), (4, '', 'c', 3.25, X'0102'), (5, 'a' || char(0) || 'b', 'd', 0.0, 'z'),"
      " (6, '  spaced  ', 'e', -1.0, CAST(X'ff41' AS TEXT)), (7, 'big', 'f', -0.0, 9007199254740993),"
      " (8, 'int32', 'g', 1e300, 2147483648), (9, 'neg', 'h', -2.5, -2147483649);");
  const std::string script =
      "var dlg = WScript.CreateObject('Sorvanelix.Dialog', 'dlg_'), err = new Ref(0), desc = new Ref('');\n"
      "var data = dlg.LoadDataCtrl(Missing, err, desc);\n"
      "dlg.SetDataCtrl(data, Named({strDatabaseName: '" + file.string() + "', strRecordSource: 't'}));\n"
      "dlg.DataCtrlOpenData(data, err, desc);\n"
      "var rs = dlg.DataCtrlObject(data, err, desc).Recordset, out = [];\n"
      "function show(v) {\n"
      "  if (typeof v !== 'string') return typeof v + ':' + v;\n"
      "  var s = []; for (var i = 0; i < v.length; ++i) s.push(v.charCodeAt(i));\n"
      "  return 'string:' + s.join(',');\n"
      "}\n"
      "function read(f) { try { return show(f()); } catch (e) { return 'error ' + (e.number & 0xFFFF); } }\n"
      "for (rs.MoveFirst(); !rs.EOF; rs.MoveNext()) out.push([\n"
      "  read(function () { return rs.Fields('name').Value; }), read(function () { return rs.Fields('NAME').Value; }),\n"
      "  read(function () { return rs.Fields('Prénom').Value; }), read(function () { return rs.Fields('PRÉNOM'); }),\n"
      "  read(function () { return rs.Fields(3).Value; }), read(function () { return rs.Fields.Item('note').Value; }),\n"
      "  read(function () { return rs.Fields('nope'); }), read(function () { return rs.Fields(''); }),\n"
      "  read(function () { return rs.Fields('name') === rs.Fields('Name'); }),\n"
      "  read(function () { return rs.Fields('name', 2); }), read(function () { return rs.Fields(Symbol('x')); })\n"
      "].join(' '));\n"
      "rs.MoveFirst(); rs.Edit(); rs.Fields('name').Value = 'edited';\n"
      "out.push(read(function () { return rs.Fields('name').Value; }));\n"
      "rs.CancelUpdate(); out.push(read(function () { return rs.Fields('name').Value; }));\n"
      "rs.MoveLast(); rs.MoveNext(); out.push(read(function () { return rs.Fields('name').Value; }));\n"
      "WScript.Echo(out.join('\\n'));\n";
  const char* const expected =
      "string:112,108,97,105,110 string:112,108,97,105,110 string:233 error 3265 number:1.5 string:120 error 3265 "
      "error 3265 boolean:true error 450 error 13\n"
      "string:104,233,108,108,111 string:104,233,108,108,111 string:97 error 3265 number:2 object:null error 3265 "
      "error 3265 boolean:true error 450 error 13\n"
      "string:55357,56832,32,102,97,99,101 string:55357,56832,32,102,97,99,101 string:98 error 3265 object:null "
      "number:12 error 3265 error 3265 boolean:true error 450 error 13\n"
      "string: string: string:99 error 3265 number:3.25 object:[object Object] error 3265 error 3265 boolean:true "
      "error 450 error 13\n"
      "string:97,0,98 string:97,0,98 string:100 error 3265 number:0 string:122 error 3265 error 3265 boolean:true "
      "error 450 error 13\n"
      "string:32,32,115,112,97,99,101,100,32,32 string:32,32,115,112,97,99,101,100,32,32 string:101 error 3265 "
      "number:-1 string:65533,65 error 3265 error 3265 boolean:true error 450 error 13\n"
      "string:98,105,103 string:98,105,103 string:102 error 3265 number:0 number:9007199254740992 error 3265 "
      "error 3265 boolean:true error 450 error 13\n"
      "string:105,110,116,51,50 string:105,110,116,51,50 string:103 error 3265 number:1e+300 number:2147483648 "
      "error 3265 error 3265 boolean:true error 450 error 13\n"
      "string:110,101,103 string:110,101,103 string:104 error 3265 number:-2.5 number:-2147483649 error 3265 "
      "error 3265 boolean:true error 450 error 13\n"
      "string:101,100,105,116,101,100\n"
      "string:112,108,97,105,110\n"
      "error 3021\n";
  std::ostringstream out, err;
  {
    host::ScriptHost host(out, err);
    EXPECT_EQ(host.run(script, "fields.js", {}), 0);
  }
  EXPECT_EQ(err.str(), "");
  EXPECT_EQ(out.str(), expected);
  desktop().reset();
  Clock::useRealTime();
}

}  // namespace
}  // namespace svx
