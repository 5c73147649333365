// The DataCtrl family on the form: its members and its events.
#include <gtest/gtest.h>

#include "platform/automation/coerce.h"
#include "platform/data/data_source.h"
#include "platform/forms/person.h"
#include "services/data_control.h"
#include "tests/support/form_fixture.h"
#include "tests/support/sqlite_files.h"

namespace svx {
namespace {

using svx::testing::Connection;
using svx::testing::makeDatabase;
using svx::testing::peopleSql;
using svx::testing::TempFolder;

class DataCtrlFamily : public testing::DialogFormTest {
 protected:
  void SetUp() override {
    DialogFormTest::SetUp();
    file = makeDatabase(folder / "people.db", peopleSql(5));
  }
  Variant load() {
    Variant missing = Variant::missing();
    return call(u"LoadDataCtrl", {&missing, &errNumber, &errDescription});
  }
  // SetDataCtrl with the values given by parameter name.
  void set(int index, std::map<BStr, Variant> values) {
    static const BStr names[] = {u"intTabIndex", u"boolVisible", u"strConnect", u"strDatabaseName",
                                 u"intDefaultCursorType", u"intDefaultType", u"boolExclusive", u"intOptions",
                                 u"objRecordset", u"intRecordsetType", u"strRecordSource", u"sngLeft",
                                 u"sngTop", u"sngWidth", u"sngHeight", u"intZOrder"};
    Variant i(index);
    std::vector<Variant*> args{&i};
    for (const BStr& n : names) args.push_back(values.count(n) ? &values[n] : nullptr);
    args.push_back(&errNumber);
    args.push_back(&errDescription);
    call(u"SetDataCtrl", args);
  }
  // GetDataCtrl of every property, in parameter order.
  std::vector<Variant> get(int index) {
    Variant i(index);
    std::vector<Variant> out(16, Variant(u"untouched"));
    std::vector<Variant*> args{&i};
    for (Variant& v : out) args.push_back(&v);
    args.push_back(&errNumber);
    args.push_back(&errDescription);
    call(u"GetDataCtrl", args);
    return out;
  }
  void openData(int index) {
    Variant i(index);
    call(u"DataCtrlOpenData", {&i, &errNumber, &errDescription});
  }
  DataControl& data(int index) { return dynamic_cast<DataControl&>(form->array(u"DataCtrl").item(int16_t(index))); }

  TempFolder folder;
  std::filesystem::path file;
};

TEST_F(DataCtrlFamily, ANewElementStartsFromTheTemplate) {
  EXPECT_EQ(load(), Variant(1));
  const std::vector<Variant> v = get(1);
  EXPECT_EQ(errNumber, Variant::i2(0));
  EXPECT_EQ(v[1], Variant(false));
  EXPECT_EQ(v[2], Variant(u"Access 2000;"));
  EXPECT_EQ(v[3], Variant(u""));
  EXPECT_EQ(v[5], Variant::i2(2));
  EXPECT_EQ(v[8], Variant::nothing());
  EXPECT_EQ(v[9], Variant::i2(1));
  EXPECT_EQ(v[11], Variant::i2(0));
  EXPECT_EQ(v[12], Variant(2460.0f));
  EXPECT_EQ(v[13], Variant(1650.0f));
  EXPECT_EQ(v[14], Variant(2160.0f));
  EXPECT_EQ(v[15], Variant(315.0f));
  EXPECT_EQ(data(1).CaptionPrevious(), Variant(u"<"));
}

TEST_F(DataCtrlFamily, SetThenOpenDataOpensTheRecordset) {
  load();
  set(1, {{u"strDatabaseName", Variant(utf16(file.string()))}, {u"strRecordSource", Variant(u"people")},
          {u"boolVisible", Variant(true)}});
  ASSERT_EQ(errNumber, Variant::i2(0));
  openData(1);
  ASSERT_EQ(errNumber, Variant::i2(0)) << utf8(toBStr(errDescription));
  const std::vector<Variant> v = get(1);
  EXPECT_EQ(v[1], Variant(true));
  ASSERT_TRUE(v[8].isObject());
  auto* rs = dynamic_cast<data::Recordset*>(v[8].asObject().get());
  ASSERT_TRUE(rs);
  EXPECT_EQ(rs->recordCount(), 5);
  // A second element shares the first one's recordset through Set.
  load();
  set(2, {{u"objRecordset", v[8]}});
  EXPECT_EQ(errNumber, Variant::i2(0));
  EXPECT_EQ(data(2).data1().recordset().get(), rs);
  rs->edit();
  EXPECT_EQ(get(1)[11], Variant::i2(data::dbEditInProgress));
}

TEST_F(DataCtrlFamily, ARefusedValueStopsSetWhereItStands) {
  load();
  set(1, {{u"strConnect", Variant(u"Access;")}, {u"objRecordset", Variant(42)}, {u"strRecordSource", Variant(u"x")}});
  EXPECT_EQ(errNumber, Variant(err::TypeMismatch));
  EXPECT_EQ(data(1).Connect(), Variant(u"Access;"));
  EXPECT_EQ(data(1).RecordSource(), Variant(u""));
  set(1, {{u"objRecordset", Variant(ObjectRef(form))}});
  EXPECT_EQ(errNumber, Variant(err::TypeMismatch));
  set(1, {{u"intRecordsetType", Variant(7)}});
  EXPECT_EQ(errNumber, Variant(err::InvalidPropertyValue));
}

TEST_F(DataCtrlFamily, AnUnloadedElementLetsGoOfItsExclusiveDatabase) {
  load();
  set(1, {{u"strDatabaseName", Variant(utf16(file.string()))}, {u"strRecordSource", Variant(u"people")},
          {u"boolExclusive", Variant(true)}});
  openData(1);
  ASSERT_EQ(errNumber, Variant::i2(0));
  Ref<DataControl> kept(&data(1));  // a script may still hold the object
  load();
  set(2, {{u"strDatabaseName", Variant(utf16(file.string()))}, {u"strRecordSource", Variant(u"people")}});
  openData(2);
  EXPECT_EQ(errNumber, Variant(data::daterr::DatabaseInUse));
  Variant i(1);
  call(u"UnloadDataCtrl", {&i, &errNumber, &errDescription});
  EXPECT_FALSE(kept->data1().recordset());
  openData(2);
  EXPECT_EQ(errNumber, Variant::i2(0));
}

TEST_F(DataCtrlFamily, MissingElementsAndTheFullArray) {
  openData(3);
  EXPECT_EQ(errNumber, Variant(err::ElementDoesNotExist));
  Variant i(0);
  call(u"UnloadDataCtrl", {&i, &errNumber, &errDescription});
  EXPECT_EQ(errNumber, Variant(err::CannotUnloadDesignTimeElement));
  for (int k = 1; k <= 255; ++k) ASSERT_EQ(load(), Variant(k));
  EXPECT_EQ(load(), Variant::i2(-1));
  EXPECT_EQ(toI4(errNumber), -200);
}

TEST_F(DataCtrlFamily, EventsReachTheFormWithTheIndex) {
  load();
  set(1, {{u"strDatabaseName", Variant(utf16(file.string()))}, {u"strRecordSource", Variant(u"people")},
          {u"boolVisible", Variant(true)}});
  openData(1);
  const auto* reposition = last(u"DataCtrlReposition");
  ASSERT_TRUE(reposition);
  EXPECT_EQ(reposition->args[0], Variant::i2(1));
  onEvent = [](BStrView name, std::span<Variant> args) {
    if (name == u"DataCtrlError") args[2].assign(Variant::i2(data::vbDataErrContinue));
  };
  Connection(file).exec("DELETE FROM people WHERE id = 2");
  person::click(data(1).cmdNext());
  const auto* error = last(u"DataCtrlError");
  ASSERT_TRUE(error);
  EXPECT_EQ(error->args[0], Variant::i2(1));
  EXPECT_EQ(error->args[1], Variant::i2(static_cast<int16_t>(data::daterr::RecordDeleted)));
  person::clickAt(data(1), 1000, 100);
  EXPECT_TRUE(last(u"DataCtrlClick"));
  EXPECT_TRUE(last(u"DataCtrlGotFocus"));
}

}  // namespace
}  // namespace svx
