// The DataCtrl members and events of Dialog over its real form, on database
// files in a temporary folder.
#include <gtest/gtest.h>

#include "dialog/dialog.h"
#include "dialog/dialog_form_api.h"
#include "platform/automation/coerce.h"
#include "platform/data/recordset.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"
#include "tests/support/sqlite_files.h"
#include "tests/support/dialog_object_fixture.h"

namespace svx {
namespace {

using svx::testing::makeDatabase;
using svx::testing::peopleSql;
using svx::testing::TempFolder;

class DialogData : public testing::DialogObjectTest {
 protected:
  void SetUp() override {
    DialogObjectTest::SetUp();
    dlg->connect(std::make_shared<FunctionSink>(
        [this](Object&, const EventInfo& ev, std::span<Variant> args) {
          events.emplace_back(ev.name, args.empty() ? Variant() : args[0].value());
        },
        [this](Object&, const EventInfo& ev) {
          asked.push_back(ev.name);
          return listening;
        }));
    file = makeDatabase(folder / "people.db", peopleSql(3));
  }
  // A member with its arguments by position (missing where null), then the
  // error out-parameters.
  Variant call(BStrView member, std::vector<Variant*> args) {
    std::vector<Variant> v;
    for (Variant* a : args) v.push_back(a ? Variant::byRef(*a) : Variant::missing());
    v.push_back(Variant::byRef(number));
    v.push_back(Variant::byRef(description));
    return dlg->invoke(member, InvokeKind::Method, v);
  }
  // SetDataCtrl(index, database, source): the other values left out.
  void setData(Variant index, BStr database) {
    Variant name(database), source(u"people");
    std::vector<Variant*> args(17, nullptr);
    args[0] = &index;
    args[4] = &name;
    args[11] = &source;
    call(u"SetDataCtrl", args);
  }

  TempFolder folder;
  std::filesystem::path file;
  std::vector<std::pair<BStr, Variant>> events;
  std::vector<BStr> asked;  // the events the sink was asked whether it listens to
  bool listening = true;
  Variant number = Variant(u"stale"), description = Variant(u"stale");
};

TEST_F(DialogData, MembersForwardAndReportThroughTheOutParameters) {
  const Variant index = call(u"LoadDataCtrl", {nullptr});
  ASSERT_EQ(index, Variant(1));
  setData(index, utf16((folder / "missing.db").string()));
  Variant i = index;
  call(u"DataCtrlOpenData", {&i});
  EXPECT_EQ(number, Variant(data::daterr::FileNotFound));
  EXPECT_NE(toBStr(description).find(u"missing.db"), BStr::npos);
  EXPECT_FALSE(std::filesystem::exists(folder / "missing.db"));

  setData(index, utf16(file.string()));
  call(u"DataCtrlOpenData", {&i});
  EXPECT_EQ(number, Variant::i2(0));
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back(), (std::pair<BStr, Variant>{u"DataCtrlReposition", Variant::i2(1)}));

  Variant recordset(u"untouched"), editMode, connect;
  std::vector<Variant*> get(17, nullptr);
  get[0] = &i;
  get[3] = &connect;
  get[9] = &recordset;
  get[12] = &editMode;
  call(u"GetDataCtrl", get);
  EXPECT_EQ(connect, Variant(u"Access 2000;"));
  ASSERT_TRUE(recordset.isObject());
  EXPECT_EQ(dynamic_cast<data::Recordset&>(*recordset.asObject()).recordCount(), 3);
  EXPECT_EQ(editMode, Variant::i2(0));

  const Variant object = call(u"DataCtrlObject", {&i});
  ASSERT_TRUE(object.isObject());
  EXPECT_EQ(object.asObject()->invoke(u"CaptionLast", InvokeKind::PropertyGet, {}), Variant(u">>"));
}

// A move that nobody listens to is not relayed to the dialog; once a
// listener is there, the next move reaches it with the control's index.
TEST_F(DialogData, RepositionReachesTheDialogOnlyWhenSomebodyListens) {
  Variant i = call(u"LoadDataCtrl", {nullptr});
  setData(i, utf16(file.string()));
  call(u"DataCtrlOpenData", {&i});
  Ref<data::Recordset> rs = refCast<data::Recordset>(
      call(u"DataCtrlObject", {&i}).asObject()->invoke(u"Recordset", InvokeKind::PropertyGet, {}).asObject());
  ASSERT_TRUE(rs);
  listening = false;
  events.clear();
  asked.clear();
  rs->moveNext();
  rs->moveNext();
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(asked, (std::vector<BStr>{u"DataCtrlReposition", u"DataCtrlReposition"}));
  listening = true;
  rs->movePrevious();
  EXPECT_EQ(events, (std::vector<std::pair<BStr, Variant>>{{u"DataCtrlReposition", Variant::i2(1)}}));
  EXPECT_EQ(rs->absolutePosition(), 1);
}

// Whether the dialog listens is asked at every move and never kept: a
// listener that starts deaf and listens later, or listens in turns, hears
// exactly the moves made while it listens, each with its control's index;
// a move that nobody hears asks once.
TEST_F(DialogData, EveryMoveAsksAfreshWhetherTheDialogListens) {
  struct Move {
    int control;
    bool listening;
  };
  struct Case {
    const char* name;
    bool listeningAtOpen;
    bool holdObjects;  // the script's handles on the controls, without listeners of their own
    std::vector<Move> moves;
    std::vector<int> heard;  // the controls that the events came from
  };
  const Case cases[] = {
      {"DeafThenListening", false, false, {{1, false}, {1, false}, {1, true}, {2, true}}, {1, 2}},
      {"InTurns", false, false, {{1, true}, {2, false}, {2, true}, {1, false}, {1, true}, {2, false}}, {1, 2, 1}},
      {"ListeningAtOpenThenDeaf", true, false, {{2, false}, {1, false}, {2, true}}, {1, 2, 2}},
      {"ObjectsHeldInTurns", false, true, {{1, false}, {2, true}, {1, true}, {2, false}}, {2, 1}},
  };
  int16_t loaded = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    events.clear();
    asked.clear();
    listening = c.listeningAtOpen;
    std::vector<Ref<data::Recordset>> recordsets;
    std::vector<ObjectRef> objects;
    const int16_t first = loaded + 1;  // each case's two controls are new ones
    for (int k = 0; k < 2; ++k) {
      Variant i = call(u"LoadDataCtrl", {nullptr});
      ASSERT_EQ(i, Variant(++loaded));
      setData(i, utf16(file.string()));
      call(u"DataCtrlOpenData", {&i});
      ASSERT_EQ(number, Variant::i2(0));
      const ObjectRef object = call(u"DataCtrlObject", {&i}).asObject();
      recordsets.push_back(
          refCast<data::Recordset>(object->invoke(u"Recordset", InvokeKind::PropertyGet, {}).asObject()));
      if (c.holdObjects) objects.push_back(object);
      ASSERT_TRUE(recordsets.back());
    }
    bool last = false;
    for (const Move& m : c.moves) {
      listening = m.listening;
      const size_t asks = asked.size();
      data::Recordset& rs = *recordsets[static_cast<size_t>(m.control - 1)];
      last = !last;
      last ? rs.moveLast() : rs.moveFirst();
      if (!m.listening) {
        EXPECT_EQ(asked.size(), asks + 1);
      }
    }
    std::vector<int> heard;
    for (const auto& [name, index] : events)
      if (name == u"DataCtrlReposition") heard.push_back(toI2(index) - first + 1);
    EXPECT_EQ(heard, c.heard);
  }
}

// DataCtrlObject is the user control itself: its own members and events,
// not those that the form adds to every control (the extender's).
TEST_F(DialogData, TheObjectIsTheDataControlWithoutItsExtender) {
  Variant i = call(u"LoadDataCtrl", {nullptr});
  setData(i, utf16(file.string()));
  call(u"DataCtrlOpenData", {&i});
  const ObjectRef object = call(u"DataCtrlObject", {&i}).asObject();
  ASSERT_TRUE(object);
  EXPECT_EQ(object->classInfo().name(), u"DataControl");
  for (BStrView own : {u"CaptionFirst", u"Recordset", u"OpenData", u"Enabled", u"BackColor", u"Appearance"})
    EXPECT_GE(object->dispidOf(own), 0) << utf8(own);
  for (BStrView extender : {u"Left", u"Visible", u"Container", u"Name", u"Index", u"TabIndex", u"ZOrder", u"Tag"})
    EXPECT_EQ(object->dispidOf(extender), -1) << utf8(extender);
  EXPECT_EQ(call(u"DataCtrlObject", {&i}).asObject(), object);

  // Its events, and a navigation through it.
  std::vector<BStr> seen;
  object->connect(std::make_shared<FunctionSink>(
      [&](Object&, const EventInfo& e, std::span<Variant>) { seen.push_back(e.name); }));
  Ref<data::Recordset> rs = refCast<data::Recordset>(object->invoke(u"Recordset", InvokeKind::PropertyGet, {}).asObject());
  ASSERT_TRUE(rs);
  rs->moveNext();
  EXPECT_EQ(seen, std::vector<BStr>{u"Reposition"});
  std::vector<Variant> caption{Variant(u"Start")};
  object->invoke(u"CaptionFirst", InvokeKind::PropertyPut, caption);
  EXPECT_EQ(object->invoke(u"CaptionFirst", InvokeKind::PropertyGet, {}), Variant(u"Start"));
}

}  // namespace
}  // namespace svx
