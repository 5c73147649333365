// The data-access layer on real database files in a temporary folder.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <atomic>
#include <csignal>
#include <chrono>
#include <optional>
#include <thread>

#include <sqlite3.h>

#include "platform/automation/coerce.h"
#include "platform/automation/safearray.h"
#include "platform/data/data_source.h"
#include "platform/dialogs/message_box.h"
#include "tests/support/error_of.h"
#include "tests/support/sqlite_files.h"

namespace svx::data {
namespace {

using svx::testing::Connection;
using svx::testing::errorOf;
using svx::testing::fileBytes;
using svx::testing::inChildProcess;
using svx::testing::LockingProcess;
using svx::testing::makeDatabase;
using svx::testing::peopleSql;
using svx::testing::TempFolder;

class DataTest : public ::testing::Test {
 protected:
  void SetUp() override { file = makeDatabase(folder / "people.db", peopleSql(5)); }
  Ref<Database> open(bool readOnly = false, bool exclusive = false) {
    return Database::open({utf16(file.string()), readOnly, exclusive}, u"Access 2000;");
  }
  Ref<Recordset> people(RecordsetType type = RecordsetType::Dynaset, BStrView source = u"people") {
    return Recordset::open(open(), source, type, false);
  }
  BStr name(const Recordset& rs) const { return toBStr(rs.fieldValue(rs.fieldIndex(u"name"))); }

  TempFolder folder;
  std::filesystem::path file;
};

// While someone holds them, a recordset gives the same Fields object and
// Fields the same Field for a column (by name in any case, or by position);
// they follow the current record and, once let go, leave the recordset free.
TEST_F(DataTest, FieldsAndFieldsAreSharedWhileHeld) {
  Ref<Recordset> rs = people();
  auto get = [](Object& o, BStrView member, std::vector<Variant> args = {}) {
    return o.invoke(member, InvokeKind::PropertyGet, args);
  };
  Variant fields = rs->FieldsMember();
  EXPECT_EQ(rs->FieldsMember().asObject().get(), fields.asObject().get());
  Variant field = get(*fields.asObject(), u"Item", {Variant(u"name")});
  EXPECT_EQ(get(*fields.asObject(), u"Item", {Variant(u"NAME")}).asObject().get(), field.asObject().get());
  EXPECT_EQ(get(*fields.asObject(), u"Item", {Variant(1)}).asObject().get(), field.asObject().get());
  EXPECT_NE(get(*fields.asObject(), u"Item", {Variant(2)}).asObject().get(), field.asObject().get());
  EXPECT_EQ(toBStr(get(*field.asObject(), u"Value")), u"P1");
  rs->moveNext();
  EXPECT_EQ(toBStr(get(*field.asObject(), u"Value")), u"P2");
  EXPECT_EQ(errorOf([&] { get(*fields.asObject(), u"Item", {Variant(u"nobody")}); }), daterr::ItemNotFound);
  // The parts hold the recordset, it holds them only weakly: no cycle.
  const WeakRef<Recordset> weak(rs);
  rs.reset();
  EXPECT_FALSE(weak.expired());
  fields = Variant();
  field = Variant();
  EXPECT_TRUE(weak.expired());
}

// Every refused open names the problem, creates no file and changes none.
TEST_F(DataTest, RefusedOpensReportAndTouchNoFile) {
  std::ofstream(folder / "notes.db") << "just some text, not a database\n";
  const auto textBefore = fileBytes(folder / "notes.db");
  const auto dbBefore = fileBytes(file);
  const auto listing = folder.listing();
  struct Case {
    std::string path;
    BStr connect;
    BStr source;
    int32_t number;
    BStr textPart;
  };
  const Case cases[] = {
      {"missing.db", u"Access 2000;", u"people", daterr::FileNotFound, u"was not found"},
      {"", u"Access 2000;", u"people", daterr::FileNotFound, u"DatabaseName is empty"},
      {"notes.db", u"Access 2000;", u"people", daterr::NotADatabase, u"is not a database"},
      {"people.db", u"Access 2000;", u"nobody", daterr::TableNotFound, u"'nobody' was not found"},
      {"people.db", u"", u"SELECT * FROM nobody", daterr::TableNotFound, u"'nobody' was not found"},
      {"people.db", u"Access;", u"SELEKT name FROM people", daterr::SyntaxError, u"not a valid query"},
      {"people.db", u"ODBC;DSN=x", u"people", daterr::UnknownConnect, u"cannot be opened"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path + " " + utf8(c.source));
    DataSource d;
    d.databaseName = c.path.empty() ? BStr() : utf16((folder / c.path).string());
    d.connectString = c.connect;
    d.recordSource = c.source;
    try {
      d.refresh();
      ADD_FAILURE() << "no error";
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number(), c.number);
      EXPECT_NE(e.description().find(c.textPart), BStr::npos) << utf8(e.description());
      std::string text = utf8(e.description());
      for (char& ch : text) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
      EXPECT_EQ(text.find("sqlite"), std::string::npos);
    }
    EXPECT_FALSE(d.recordset());
    EXPECT_FALSE(d.database());
  }
  EXPECT_EQ(folder.listing(), listing);
  EXPECT_EQ(fileBytes(folder / "notes.db"), textBefore);
  EXPECT_EQ(fileBytes(file), dbBefore);
}

// A NUL would cut the name short at an existing database: refused as a bad
// file name.
TEST_F(DataTest, ANameWithANulIsABadFileName) {
  DataSource d;
  d.databaseName = utf16(file.string()) + BStr(1, u'\0') + u".old";
  d.recordSource = u"people";
  EXPECT_EQ(errorOf([&] { d.refresh(); }), err::BadFileNameOrNumber);
  EXPECT_FALSE(d.database());
}

TEST_F(DataTest, ADatabaseLockedByAnotherConnectionIsRefused) {
  {
    Connection other(file);
    other.exec("PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE;");
    EXPECT_EQ(errorOf([&] { open(); }), daterr::DatabaseInUse);
    other.exec("COMMIT");
  }
  // An exclusive connection of ours locks out the next one.
  Ref<Database> mine = open(false, true);
  EXPECT_EQ(errorOf([&] { open(); }), daterr::DatabaseInUse);
  mine.reset();
  EXPECT_EQ(errorOf([&] { open(); }), 0);
}

TEST_F(DataTest, MovesCountsAndEnds) {
  for (RecordsetType type : {RecordsetType::Table, RecordsetType::Dynaset, RecordsetType::Snapshot}) {
    SCOPED_TRACE(static_cast<int>(type));
    Ref<Recordset> rs = people(type);
    EXPECT_EQ(rs->recordCount(), 5);
    EXPECT_EQ(rs->absolutePosition(), 0);
    EXPECT_FALSE(rs->bof());
    EXPECT_EQ(name(*rs), u"P1");
    rs->moveLast();
    EXPECT_EQ(rs->absolutePosition(), 4);
    EXPECT_EQ(name(*rs), u"P5");
    rs->moveNext();
    EXPECT_TRUE(rs->eof());
    EXPECT_EQ(rs->absolutePosition(), -1);
    EXPECT_EQ(errorOf([&] { rs->moveNext(); }), daterr::NoCurrentRecord);
    EXPECT_EQ(errorOf([&] { (void)rs->fieldValue(0); }), daterr::NoCurrentRecord);
    rs->moveFirst();
    rs->movePrevious();
    EXPECT_TRUE(rs->bof());
    EXPECT_EQ(errorOf([&] { rs->movePrevious(); }), daterr::NoCurrentRecord);
    EXPECT_EQ(rs->fieldCount(), 3);
    EXPECT_EQ(rs->fieldName(2), u"age");
  }
  Ref<Recordset> empty = Recordset::open(open(), u"SELECT * FROM people WHERE age > 100", RecordsetType::Dynaset, false);
  EXPECT_EQ(empty->recordCount(), 0);
  EXPECT_TRUE(empty->bof() && empty->eof());
  EXPECT_EQ(errorOf([&] { empty->moveFirst(); }), daterr::NoCurrentRecord);
}

TEST_F(DataTest, DynasetsReadRowsAgainWhileSnapshotsAndQueriesKeepCopies) {
  Ref<Recordset> dynaset = people(RecordsetType::Dynaset);
  Ref<Recordset> snapshot = people(RecordsetType::Snapshot);
  Ref<Recordset> query = people(RecordsetType::Dynaset, u"SELECT name, age FROM people WHERE id >= 3 ORDER BY id");
  EXPECT_EQ(query->recordCount(), 3);
  Connection(file).exec("UPDATE people SET name = 'Renamed' WHERE id = 1; UPDATE people SET age = 99 WHERE id = 3");
  EXPECT_EQ(name(*dynaset), u"Renamed");
  EXPECT_EQ(name(*snapshot), u"P1");
  EXPECT_EQ(toI4(query->fieldValue(1)), 23);
  EXPECT_TRUE(dynaset->updatable());
  EXPECT_FALSE(snapshot->updatable());
  EXPECT_EQ(errorOf([&] { query->edit(); }), daterr::ReadOnly);
}

TEST_F(DataTest, EditAddNewAndDeleteReachTheFile) {
  Ref<Recordset> rs = people();
  rs->moveNext();
  rs->edit();
  EXPECT_EQ(rs->editMode(), dbEditInProgress);
  rs->setFieldValue(rs->fieldIndex(u"name"), Variant(u"Second"));
  EXPECT_EQ(name(*rs), u"Second");  // the edit buffer
  rs->update();
  EXPECT_EQ(rs->editMode(), dbEditNone);
  Connection check(file);
  EXPECT_EQ(check.scalar("SELECT name FROM people WHERE id = 2"), "Second");

  rs->addNew();
  rs->setFieldValue(rs->fieldIndex(u"name"), Variant(u"New"));
  rs->setFieldValue(rs->fieldIndex(u"age"), Variant(7));
  rs->update();
  EXPECT_EQ(rs->recordCount(), 6);
  EXPECT_EQ(rs->absolutePosition(), 1);  // the current record stays current
  EXPECT_EQ(check.scalar("SELECT age FROM people WHERE name = 'New'"), "7");

  rs->remove();
  EXPECT_EQ(rs->recordCount(), 5);
  EXPECT_EQ(errorOf([&] { (void)rs->fieldValue(0); }), daterr::RecordDeleted);
  rs->moveNext();
  EXPECT_EQ(name(*rs), u"P3");
  EXPECT_EQ(check.scalar("SELECT count(*) FROM people WHERE id = 2"), "0");

  rs->edit();
  rs->setFieldValue(0, Variant(77));
  rs->cancelUpdate();
  EXPECT_EQ(check.scalar("SELECT count(*) FROM people WHERE id = 77"), "0");
  EXPECT_EQ(errorOf([&] { rs->update(); }), daterr::UpdateWithoutEdit);
  EXPECT_EQ(errorOf([&] { rs->cancelUpdate(); }), daterr::UpdateWithoutEdit);
  EXPECT_EQ(errorOf([&] { rs->setFieldValue(1, Variant(u"x")); }), daterr::UpdateWithoutEdit);
}

// A failed Update loses nothing: the file keeps its bytes, the edit stays in
// progress with the values typed, and a later Update can still succeed.
TEST_F(DataTest, AFailedUpdateLeavesTheFileAndTheEdit) {
  Ref<Recordset> rs = people();
  const auto before = fileBytes(file);
  rs->edit();
  rs->setFieldValue(rs->fieldIndex(u"name"), Variant(u"P2"));  // UNIQUE
  EXPECT_EQ(errorOf([&] { rs->update(); }), daterr::DuplicateValue);
  EXPECT_EQ(rs->editMode(), dbEditInProgress);
  EXPECT_EQ(name(*rs), u"P2");
  EXPECT_EQ(fileBytes(file), before);
  {
    Connection other(file);
    other.exec("BEGIN IMMEDIATE");
    rs->setFieldValue(rs->fieldIndex(u"name"), Variant(u"Fine"));
    EXPECT_EQ(errorOf([&] { rs->update(); }), daterr::Locked);
    other.exec("ROLLBACK");
  }
  EXPECT_EQ(fileBytes(file), before);
  rs->update();
  EXPECT_EQ(Connection(file).scalar("SELECT name FROM people WHERE id = 1"), "Fine");
}

// An Update, AddNew or Delete that another process blocks (by reading, by
// writing, by holding the file exclusively) fails and leaves nothing behind:
// the file keeps its bytes, no journal stays, this connection is out of its
// transaction and reads what the file holds, and the edit stays in progress.
// Once the other process has gone, the same call succeeds.
TEST_F(DataTest, AWriteThatAnotherProcessBlocksLeavesNothingAndSucceedsLater) {
  struct Lock {
    const char* name;
    const char* sql;
  };
  const Lock locks[] = {{"shared", "BEGIN; SELECT count(*) FROM people;"},
                        {"write", "BEGIN IMMEDIATE"},
                        {"exclusive", "BEGIN EXCLUSIVE"}};
  enum class Op { Update, AddNew, Delete };
  const char* const opNames[] = {"update", "addnew", "delete"};
  for (const Lock& lock : locks)
    for (Op op : {Op::Update, Op::AddNew, Op::Delete}) {
      const std::string caseName = std::string(lock.name) + "-" + opNames[static_cast<int>(op)];
      SCOPED_TRACE(caseName);
      file = makeDatabase(folder / (caseName + ".db"), peopleSql(5));
      Ref<Recordset> rs = people();
      rs->moveNext();
      const int32_t nameField = rs->fieldIndex(u"name");
      if (op == Op::Update) {
        rs->edit();
        rs->setFieldValue(nameField, Variant(u"Changed"));
      } else if (op == Op::AddNew) {
        rs->addNew();
        rs->setFieldValue(nameField, Variant(u"Added"));
      }
      const auto finish = [&] { op == Op::Delete ? rs->remove() : rs->update(); };
      const auto before = fileBytes(file);
      const auto listing = folder.listing();
      {
        LockingProcess other(file, lock.sql);
        EXPECT_EQ(errorOf(finish), daterr::Locked);
        EXPECT_TRUE(sqlite3_get_autocommit(rs->database()->handle()));
        EXPECT_EQ(fileBytes(file), before);
        EXPECT_EQ(folder.listing(), listing);
        EXPECT_EQ(rs->editMode(), op == Op::Update ? dbEditInProgress : op == Op::AddNew ? dbEditAdd : dbEditNone);
      }
      // This connection sees the file, not the unsaved edit.
      Statement mine = rs->database()->prepare("SELECT name FROM people WHERE id = 2");
      ASSERT_EQ(sqlite3_step(mine.get()), SQLITE_ROW);
      EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(mine.get(), 0)), "P2");
      mine.reset();
      if (op == Op::Update) {
        EXPECT_EQ(name(*rs), u"Changed");  // the edit buffer
      }
      EXPECT_EQ(rs->recordCount(), 5);
      EXPECT_EQ(fileBytes(file), before);

      EXPECT_EQ(errorOf(finish), 0);
      Connection check(file);
      const std::string names = check.scalar("SELECT group_concat(name, ',') FROM (SELECT name FROM people ORDER BY id)");
      switch (op) {
        case Op::Update: EXPECT_EQ(names, "P1,Changed,P3,P4,P5"); break;
        case Op::AddNew: EXPECT_EQ(names, "P1,P2,P3,P4,P5,Added"); break;
        case Op::Delete: EXPECT_EQ(names, "P1,P3,P4,P5"); break;
      }
      EXPECT_EQ(check.scalar("PRAGMA integrity_check"), "ok");
    }
}

// A record source that is not a table runs only as one statement that
// reads; anything else is refused as an invalid query before it runs.
TEST_F(DataTest, ARecordSourceThatWouldWriteIsRefusedAndNothingRuns) {
  const auto before = fileBytes(file);
  const auto listing = folder.listing();
  const std::string copy = (folder / "copy.db").string(), other = (folder / "other.db").string();
  const BStr refused[] = {
      u"DELETE FROM people WHERE id > 1",
      u"DELETE FROM people RETURNING *",
      u"UPDATE people SET age = 0 RETURNING name",
      u"INSERT INTO people (name) VALUES ('x') RETURNING *",
      utf16("VACUUM INTO '" + copy + "'"),
      utf16("ATTACH '" + other + "' AS other"),
      u"PRAGMA user_version = 7",
      u"PRAGMA journal_mode = WAL",
      u"PRAGMA table_info(people)",
      u"SELECT * FROM people; DELETE FROM people",
      u"SELECT name FROM people; SELECT 1",
      u"BEGIN IMMEDIATE",
      u"REINDEX people",
      u"-- nothing but a comment",
  };
  for (const BStr& source : refused) {
    SCOPED_TRACE(utf8(source));
    DataSource d;
    d.databaseName = utf16(file.string());
    d.recordSource = source;
    try {
      d.refresh();
      ADD_FAILURE() << "no error";
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number(), daterr::SyntaxError);
      EXPECT_NE(e.description().find(u"nothing was run"), BStr::npos) << utf8(e.description());
    }
    EXPECT_FALSE(d.recordset());
  }
  EXPECT_EQ(fileBytes(file), before);
  EXPECT_EQ(folder.listing(), listing);
  // Reading queries with blanks and comments after them open as before.
  for (BStrView source : {BStrView(u"SELECT name FROM people WHERE id > 3 -- the last two\n"),
                          BStrView(u"  SELECT name FROM people WHERE id > 3 ; /* done */ ;"),
                          BStrView(u"WITH o AS (SELECT name FROM people WHERE id > 3) SELECT * FROM o")}) {
    SCOPED_TRACE(utf8(source));
    EXPECT_EQ(Recordset::open(open(), source, RecordsetType::Dynaset, false)->recordCount(), 2);
  }
}

// A table's current row is read once per move: another connection's change
// shows at the next move (and on Edit), not in between; rows it deletes are
// reported when moved to, rows it adds are not this recordset's.
TEST_F(DataTest, AnotherConnectionsChangeShowsAtTheNextMove) {
  Ref<Recordset> rs = people();
  EXPECT_EQ(name(*rs), u"P1");
  Connection other(file);
  other.exec("UPDATE people SET name = 'Q1' WHERE id = 1; UPDATE people SET name = 'Q2' WHERE id = 2");
  EXPECT_EQ(name(*rs), u"P1");
  rs->moveNext();
  EXPECT_EQ(name(*rs), u"Q2");
  rs->movePrevious();
  EXPECT_EQ(name(*rs), u"Q1");
  other.exec("UPDATE people SET name = 'R1' WHERE id = 1");
  rs->edit();
  EXPECT_EQ(name(*rs), u"R1");
  rs->cancelUpdate();
  other.exec("DELETE FROM people WHERE id = 3; INSERT INTO people (id, name, age) VALUES (10, 'new', 1)");
  rs->moveNext();
  rs->moveNext();
  EXPECT_EQ(errorOf([&] { name(*rs); }), daterr::RecordDeleted);
  rs->moveNext();
  EXPECT_EQ(name(*rs), u"P4");
  rs->moveLast();
  EXPECT_EQ(name(*rs), u"P5");
  EXPECT_EQ(rs->recordCount(), 5);
}

// Walks forward and back over many rows read ahead in pieces, with a key
// added out of order and a change made mid-walk, on a rollback-journal file
// and on a WAL file (whose commits its change counter does not follow).
TEST_F(DataTest, WalksReadEveryRowAsTheFileHoldsIt) {
  for (const bool wal : {false, true}) {
    SCOPED_TRACE(wal ? "wal" : "rollback journal");
    file = makeDatabase(folder / (wal ? "wal.db" : "journal.db"), peopleSql(300));
    Connection other(file);
    if (wal) other.exec("PRAGMA journal_mode=WAL");
    Ref<Recordset> rs = people();
    rs->addNew();
    rs->setFieldValue(rs->fieldIndex(u"id"), Variant(0));
    rs->setFieldValue(rs->fieldIndex(u"name"), Variant(u"P0"));
    rs->update();
    std::vector<BStr> expected;
    for (int i = 1; i <= 300; ++i) expected.push_back(u"P" + utf16(std::to_string(i)));
    expected.push_back(u"P0");

    std::vector<BStr> forward;
    for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
      if (rs->absolutePosition() == 100) other.exec("UPDATE people SET name = 'X' WHERE id = 150");
      forward.push_back(name(*rs));
    }
    expected[149] = u"X";
    EXPECT_EQ(forward, expected);

    std::vector<BStr> backward;
    for (rs->moveLast(); !rs->bof(); rs->movePrevious()) {
      if (rs->absolutePosition() == 200) other.exec("UPDATE people SET name = 'Y' WHERE id = 100");
      backward.insert(backward.begin(), name(*rs));
    }
    expected[99] = u"Y";
    EXPECT_EQ(backward, expected);
  }
}

// A file deleted while it is open: the Update says so, creates no file and
// keeps the edit.
TEST_F(DataTest, AnUpdateOfADeletedFileSaysTheFileIsGone) {
  Ref<Recordset> rs = people();
  rs->edit();
  rs->setFieldValue(rs->fieldIndex(u"name"), Variant(u"Gone"));
  std::filesystem::remove(file);
  try {
    rs->update();
    ADD_FAILURE() << "no error";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), daterr::FileNotFound);
    EXPECT_NE(e.description().find(u"deleted or moved"), BStr::npos) << utf8(e.description());
  }
  EXPECT_EQ(rs->editMode(), dbEditInProgress);
  EXPECT_TRUE(folder.listing().empty());
}

TEST_F(DataTest, ReadOnlyDatabasesAndRecordsetsWriteNothing) {
  const auto before = fileBytes(file);
  Ref<Recordset> rs = Recordset::open(open(true), u"people", RecordsetType::Dynaset, false);
  EXPECT_EQ(errorOf([&] { rs->edit(); }), daterr::ReadOnly);
  EXPECT_EQ(errorOf([&] { rs->addNew(); }), daterr::ReadOnly);
  EXPECT_EQ(errorOf([&] { rs->remove(); }), daterr::ReadOnly);
  Ref<Recordset> optionRo = Recordset::open(open(), u"people", RecordsetType::Dynaset, true);
  EXPECT_EQ(errorOf([&] { optionRo->edit(); }), daterr::ReadOnly);
  EXPECT_EQ(fileBytes(file), before);
}

TEST_F(DataTest, RefreshRaisesRepositionAndAnUnreadableRecordRaisesError) {
  Ref<DataSource> d = makeRef<DataSource>();
  d->databaseName = utf16(file.string());
  d->recordSource = u"people";
  std::vector<std::pair<BStr, int32_t>> seen;
  d->connect(std::make_shared<FunctionSink>([&](Object&, const EventInfo& e, std::span<Variant> args) {
    seen.emplace_back(e.name, args.empty() ? 0 : toI4(args[0]));
  }));
  d->refresh();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].first, u"Reposition");
  Connection(file).exec("DELETE FROM people WHERE id = 2");
  d->recordset()->moveNext();
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[1].first, u"Reposition");
  EXPECT_EQ(seen[2], (std::pair<BStr, int32_t>{u"Error", daterr::RecordDeleted}));
  EXPECT_EQ(d->recordset()->absolutePosition(), 1);  // the move itself stands
  d->setRecordset(nullptr);
  EXPECT_EQ(d->editMode(), dbEditNone);
}

// The error of an unreadable record is shown when the Error handler leaves
// Response at vbDataErrDisplay (or writes something that is no number), and
// not when it sets vbDataErrContinue.
TEST_F(DataTest, AnUnreadableRecordIsShownUnlessTheHandlerContinues) {
  struct Case {
    const char* name;
    std::optional<Variant> response;  // what the handler writes, if anything
    bool shown;
  };
  const Case cases[] = {
      {"left alone", std::nullopt, true},
      {"continue", Variant::i2(vbDataErrContinue), false},
      {"display", Variant(1), true},
      {"text", Variant(u"x"), false},
  };
  for (const Case& c : cases) {
    dialogResponder().reset();
    file = makeDatabase(folder / (std::string(c.name) + ".db"), peopleSql(5));
    Ref<DataSource> d = makeRef<DataSource>();
    d->databaseName = utf16(file.string());
    d->recordSource = u"people";
    d->connect(std::make_shared<FunctionSink>([&](Object&, const EventInfo& e, std::span<Variant> args) {
      if (e.name == u"Error" && c.response) args[1].assign(*c.response);
    }));
    d->refresh();
    Connection(file).exec("DELETE FROM people WHERE id = 2");
    d->recordset()->moveNext();
    const auto& shown = dialogResponder().sessions();
    ASSERT_EQ(shown.size(), c.shown ? 1u : 0u) << c.name;
    if (c.shown) {
      EXPECT_EQ(shown[0].kind, DialogKind::MessageBox) << c.name;
      EXPECT_EQ(shown[0].buttons, vbExclamation) << c.name;
      EXPECT_FALSE(shown[0].prompt.empty()) << c.name;
    }
    d->setRecordset(nullptr);
  }
  dialogResponder().reset();
}

// Names that are no regular file are refused as such (75), before SQLite
// opens anything.
TEST_F(DataTest, ADatabaseNameThatIsNoRegularFileSaysWhatItIs) {
  const std::filesystem::path fifo = folder / "pipe.db";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::pair<std::filesystem::path, BStrView> cases[] = {
      {fifo, u"a FIFO"}, {"/dev/null", u"a device"}, {folder.path(), u"a folder"}};
  for (const auto& [path, kind] : cases) {
    SCOPED_TRACE(path.string());
    DataSource d;
    d.databaseName = utf16(path.string());
    d.recordSource = u"people";
    d.readOnly = true;
    try {
      d.refresh();
      ADD_FAILURE() << "no error";
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number(), err::PathFileAccessError);
      EXPECT_NE(e.description().find(u"not a regular file"), BStr::npos) << utf8(e.description());
      EXPECT_NE(e.description().find(kind), BStr::npos) << utf8(e.description());
    }
    EXPECT_FALSE(d.database());
  }
}

// SQLite's own opens never wait: a FIFO swapped in for the database between
// the check of the name and the open, or lying where a journal would be,
// fails the open instead of blocking it.
TEST_F(DataTest, SqliteOpensNeverWaitOnAFifo) {
  const std::filesystem::path fifo = folder / "pipe";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const int raced = inChildProcess(
      [&] {
        std::atomic<bool> stop = false;
        std::thread swapper([&] {
          while (!stop) renameat2(AT_FDCWD, file.c_str(), AT_FDCWD, fifo.c_str(), RENAME_EXCHANGE);
        });
        int opened = 0;
        for (int i = 0; i < 300; ++i) {
          try {
            Ref<Recordset> rs = Recordset::open(open(true), u"people", RecordsetType::Dynaset, true);
            ++opened;
          } catch (const RuntimeError&) {
          }
        }
        stop = true;
        swapper.join();
        return opened >= 0 ? 0 : 1;
      },
      30);
  EXPECT_EQ(raced, 0) << "an open waited on the FIFO";
  // The swaps come in pairs: the database is back under its name.
  if (!std::filesystem::is_regular_file(file)) std::filesystem::rename(fifo, file), mkfifo(fifo.c_str(), 0600);

  std::filesystem::path journal = file;
  journal += "-journal";
  ASSERT_EQ(mkfifo(journal.c_str(), 0600), 0);
  const int hot = inChildProcess(
      [&] {
        try {
          Ref<Recordset> rs = Recordset::open(open(true), u"people", RecordsetType::Dynaset, true);
          (void)rs->fieldValue(0);
        } catch (const RuntimeError&) {
        }
        return 0;
      },
      10);
  EXPECT_EQ(hot, 0) << "the open waited on a FIFO in the journal's place";
}

// The change counter read from the mapping of the header is the file's own,
// every byte of it (past 255 commits too), and none in WAL mode.
TEST_F(DataTest, TheChangeCounterIsTheOneInTheFilesHeader) {
  Ref<Database> db = open();
  Connection other(file);
  other.exec("PRAGMA synchronous=OFF");
  const auto inFile = [&] {
    const std::vector<char> bytes = fileBytes(file);
    uint32_t v = 0;
    for (size_t i = 24; i < 28; ++i) v = v << 8 | static_cast<unsigned char>(bytes.at(i));
    return v;
  };
  for (const int commits : {0, 1, 300}) {
    SCOPED_TRACE(commits);
    for (int i = 0; i < commits; ++i) other.exec("UPDATE people SET age = age + 1 WHERE id = 1");
    EXPECT_EQ(db->changeCounter(), std::optional<uint32_t>(inFile()));
  }
  EXPECT_GT(inFile(), 255u);
  other.exec("PRAGMA journal_mode=WAL");
  EXPECT_EQ(db->changeCounter(), std::nullopt);
}

// The change counter is read from a mapping of the file's header: a file
// that another program cuts short under it fails the read of the record
// instead of ending the process.
TEST_F(DataTest, AFileCutShortWhileOpenFailsTheReadAndEndsNothing) {
  file = makeDatabase(folder / "short.db", peopleSql(300));
  const int status = inChildProcess(
      [&] {
        Ref<Recordset> rs = people();
        rs->moveNext();
        (void)name(*rs);
        std::filesystem::resize_file(file, 0);
        int failed = 0;
        for (int i = 0; i < 3; ++i) {
          failed += errorOf([&] { rs->moveNext(); }) != 0 || errorOf([&] { (void)name(*rs); }) != 0;
        }
        return failed > 0 ? 0 : 1;
      },
      20);
  EXPECT_EQ(status, 0);
}

// A NUL would end the query where SQLite reads it: the rest would be lost
// without a word.
TEST_F(DataTest, ARecordSourceWithANulIsRefused) {
  const BStr sources[] = {u"SELECT * FROM people WHERE id = 1" + BStr(1, u'\0') + u" OR 1",
                          u"people" + BStr(1, u'\0') + u"x"};
  for (const BStr& source : sources) {
    try {
      Recordset::open(open(), source, RecordsetType::Dynaset, false);
      ADD_FAILURE() << "no error";
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number(), daterr::SyntaxError);
      EXPECT_NE(e.description().find(u"NUL"), BStr::npos) << utf8(e.description());
    }
  }
}

// Rows are addressed by a name of the row key that no column takes; a table
// whose columns take all three, like one without row keys, is read as a
// copy, and refusing an edit says why.
TEST_F(DataTest, AColumnNamedRowidDoesNotAddressTheRows) {
  struct Case {
    const char* sql;
    const char* kept;  // names left after deleting the record that shows 'a'
  };
  const Case cases[] = {
      {"CREATE TABLE t (rowid INTEGER, name TEXT); INSERT INTO t VALUES (5, 'a'), (5, 'b'), (3, 'c');", "b,c"},
      {"CREATE TABLE t (rowid TEXT, name TEXT); INSERT INTO t VALUES ('x', 'a'), ('y', 'b'), ('z', 'c');", "b,c"},
      {"CREATE TABLE t (rowid INTEGER, _rowid_ INTEGER, name TEXT);"
       "INSERT INTO t VALUES (5, 5, 'a'), (5, 5, 'b'), (3, 3, 'c');",
       "b,c"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    file = makeDatabase(folder / ("rowid" + std::to_string(n++) + ".db"), c.sql);
    Ref<Recordset> rs = people(RecordsetType::Dynaset, u"t");
    std::vector<BStr> names;
    for (rs->moveFirst(); !rs->eof(); rs->moveNext()) names.push_back(name(*rs));
    EXPECT_EQ(names, (std::vector<BStr>{u"a", u"b", u"c"}));
    rs->moveFirst();
    rs->edit();
    rs->setFieldValue(rs->fieldIndex(u"name"), Variant(u"a2"));
    rs->update();
    rs->remove();
    EXPECT_EQ(Connection(file).scalar("SELECT group_concat(name, ',') FROM (SELECT name FROM t ORDER BY name)"), c.kept);
  }
  const std::pair<const char*, BStrView> fixedTables[] = {
      {"CREATE TABLE t (rowid INTEGER, _rowid_ INTEGER, oid INTEGER, name TEXT); INSERT INTO t VALUES (1, 2, 3, 'a');",
       u"all three names of the row key"},
      {"CREATE TABLE t (rowid TEXT PRIMARY KEY, name TEXT) WITHOUT ROWID; INSERT INTO t VALUES ('k', 'a');",
       u"WITHOUT ROWID"},
  };
  for (const auto& [sql, why] : fixedTables) {
    SCOPED_TRACE(sql);
    file = makeDatabase(folder / ("fixed" + std::to_string(n++) + ".db"), sql);
    Ref<Recordset> rs = people(RecordsetType::Dynaset, u"t");
    EXPECT_EQ(name(*rs), u"a");
    EXPECT_FALSE(rs->updatable());
    try {
      rs->remove();
      ADD_FAILURE() << "no error";
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number(), daterr::ReadOnly);
      EXPECT_NE(e.description().find(why), BStr::npos) << utf8(e.description());
    }
  }
}

// 64-bit integers stay whole: read as VT_I8 beyond 32 bits, not written
// when given back unchanged, and whole numbers bind as INTEGER.
TEST_F(DataTest, IntegersBeyond53BitsStayWhole) {
  file = makeDatabase(folder / "big.db",
                      "CREATE TABLE big (id INTEGER PRIMARY KEY, n INTEGER, x);"
                      "INSERT INTO big VALUES (1, 9007199254740993, 0), (2, -9223372036854775808, 0),"
                      "(3, 9223372036854775807, 0), (4, 7, 0);");
  Ref<Recordset> rs = people(RecordsetType::Dynaset, u"big");
  const int32_t n = rs->fieldIndex(u"n"), x = rs->fieldIndex(u"x");
  const int64_t held[] = {9007199254740993, std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max()};
  for (int64_t v : held) {
    SCOPED_TRACE(v);
    EXPECT_EQ(rs->fieldValue(n), Variant::i8(v));
    rs->edit();
    rs->setFieldValue(n, rs->fieldValue(n));
    rs->update();
    rs->moveNext();
  }
  // A script's Number, the nearest Double, given back leaves the value whole.
  rs->moveFirst();
  rs->edit();
  rs->setFieldValue(n, Variant(static_cast<double>(toR8(rs->fieldValue(n)))));
  rs->update();
  rs->moveLast();
  EXPECT_EQ(rs->fieldValue(n), Variant(7));
  Connection check(file);
  EXPECT_EQ(check.scalar("SELECT group_concat(typeof(n) || ':' || n, ',') FROM big"),
            "integer:9007199254740993,integer:-9223372036854775808,integer:9223372036854775807,integer:7");
  // Whole numbers bind as INTEGER in a column without a type, fractions as REAL.
  const std::pair<Variant, const char*> written[] = {
      {Variant(-9223372036854775808.0), "integer:-9223372036854775808"},
      {Variant(1152921504606846976.0), "integer:1152921504606846976"},
      {Variant(2.5), "real:2.5"},
      {Variant(1e19), "real:1.0e+19"},
      {Variant::i8(-5), "integer:-5"},
  };
  for (const auto& [value, stored] : written) {
    SCOPED_TRACE(stored);
    rs->edit();
    rs->setFieldValue(x, value);
    rs->update();
    EXPECT_EQ(check.scalar("SELECT typeof(x) || ':' || x FROM big WHERE id = 4"), stored);
  }
  EXPECT_EQ(toBStr(Variant::i8(9007199254740993)), u"9007199254740993");
  EXPECT_EQ(toI4(Variant::i8(-7)), -7);
  EXPECT_EQ(errorOf([] { (void)toI4(Variant::i8(int64_t{1} << 40)); }), err::Overflow);
}

// Every kind of value reads the same from a table's rows read ahead (kept
// as the statement gave them until a field is read) as from a snapshot's
// copies: by field, as the whole record, in the edit buffer, walking either
// way (rows at every place of a read-ahead), and after another connection's
// change.
TEST_F(DataTest, EveryKindOfValueReadsTheSameAheadAndCopied) {
  struct Kind {
    const char* sql;
    Variant expected;  // an array: the bytes of a blob
  };
  const std::vector<uint8_t> someBytes{0, 0xff, 0x10};
  const Kind kinds[] = {
      {"NULL", Variant::null()},
      {"0", Variant(0)},
      {"2147483647", Variant(2147483647)},
      {"-2147483649", Variant::i8(-2147483649LL)},
      {"2.5", Variant(2.5)},
      {"''", Variant(u"")},
      {"'a' || char(0) || 'b'", Variant(BStr(u"a\0b", 3))},
      {"'\u00e9\u20ac\U0001F600'", Variant(u"\u00e9\u20ac\U0001F600")},
      {"'a text longer than a string keeps in place, read ahead'",
       Variant(u"a text longer than a string keeps in place, read ahead")},
      {"x''", Variant(SafeArray::bytes({}))},
      {"x'00ff10'", Variant(SafeArray::bytes(someBytes))},
  };
  constexpr int kRounds = 7;  // each kind at several places of the read-ahead rows
  std::string sql = "CREATE TABLE cells (id INTEGER PRIMARY KEY, v, w TEXT);";
  std::vector<const Kind*> rows;
  for (int round = 0; round < kRounds; ++round)
    for (const Kind& k : kinds) {
      rows.push_back(&k);
      sql += "INSERT INTO cells (v, w) VALUES (" + std::string(k.sql) + ", 'w" + std::to_string(rows.size()) + "');";
    }
  file = makeDatabase(folder / "cells.db", sql);
  const auto same = [](const Variant& got, const Variant& expected) {
    if (!expected.isArray()) return got == expected && got.vt() == expected.vt();
    if (!got.isArray() || got.baseType() != VT_UI1) return false;
    const auto a = got.asArray()->byteData(), b = expected.asArray()->byteData();
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
  };
  const auto check = [&](Recordset& rs) {
    const size_t row = static_cast<size_t>(rs.absolutePosition());
    SCOPED_TRACE(std::to_string(row) + " " + rows[row]->sql);
    const Variant w(u"w" + utf16(std::to_string(row + 1)));
    EXPECT_TRUE(same(rs.fieldValue(1), rows[row]->expected));
    EXPECT_EQ(rs.fieldValue(2), w);
    const auto record = rs.currentRecord();
    ASSERT_EQ(record.size(), 3u);
    EXPECT_TRUE(same(record[1], rows[row]->expected));
    EXPECT_TRUE(same(rs.fieldValue(1), rows[row]->expected));  // the same after the record was made
    EXPECT_EQ(record[2], w);
  };
  for (const RecordsetType type : {RecordsetType::Dynaset, RecordsetType::Table, RecordsetType::Snapshot}) {
    SCOPED_TRACE(static_cast<int>(type));
    Ref<Recordset> rs = people(type, u"cells");
    ASSERT_EQ(rs->recordCount(), static_cast<int32_t>(rows.size()));
    for (rs->moveFirst(); !rs->eof(); rs->moveNext()) check(*rs);
    for (rs->moveLast(); !rs->bof(); rs->movePrevious()) check(*rs);
    if (type == RecordsetType::Snapshot) continue;
    rs->moveFirst();
    rs->moveNext();
    rs->edit();
    for (int32_t i = 0; i < rs->fieldCount(); ++i) EXPECT_TRUE(same(rs->fieldValue(i), rs->currentRecord()[i]));
    rs->cancelUpdate();
    // Another connection's change shows at the next move, in the rows read
    // ahead too.
    Connection(file).exec("UPDATE cells SET w = 'changed ' || id WHERE id IN (3, 4, 9)");
    const BStr changed[] = {u"changed 3", u"changed 4"};
    for (const BStr& expected : changed) {
      rs->moveNext();
      EXPECT_EQ(rs->fieldValue(2), Variant(expected));
      EXPECT_EQ(rs->currentRecord()[2], Variant(expected));
      EXPECT_TRUE(same(rs->fieldValue(1), rows[static_cast<size_t>(rs->absolutePosition())]->expected));
    }
    Connection(file).exec("UPDATE cells SET w = 'w' || id");
  }
}

// A write that would pass the process's file size limit ends the process
// (SIGXFSZ) where the signal keeps its default; the data layer refuses it
// first: the Update fails with a text that says so, writes nothing and
// keeps the edit, and a change that fits is still saved.
TEST_F(DataTest, AWritePastTheFileSizeLimitFailsWithoutEndingTheProcess) {
  const auto before = fileBytes(file);
  const int status = inChildProcess(
      [&] {
        if (!testing::lowerFileSizeLimit(before.size() + 8192)) return 11;
        Ref<Recordset> rs = people();
        rs->addNew();
        rs->setFieldValue(rs->fieldIndex(u"name"), Variant(BStr(200000, u'x')));
        try {
          rs->update();
          return 12;
        } catch (const RuntimeError& e) {
          fprintf(stderr, "DBG0 %d %s\n", e.number(), utf8(e.description()).c_str());
          if (e.number() != daterr::WriteFailed) return 13;
          if (e.description().find(u"file size limit") == BStr::npos) return 14;
        }
        if (rs->editMode() != dbEditAdd) return 15;
        rs->cancelUpdate();
        rs->edit();
        rs->setFieldValue(rs->fieldIndex(u"name"), Variant(u"Fits"));
        rs->update();
        return 0;
      },
      20);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Connection(file).scalar("SELECT count(*) FROM people"), "5");
  EXPECT_EQ(Connection(file).scalar("SELECT count(*) FROM people WHERE name = 'Fits'"), "1");
  EXPECT_EQ(Connection(file).scalar("PRAGMA integrity_check"), "ok");
}

// A database already longer than the limit: a change to a page that lies
// past the limit would end the process as well (the kernel refuses any
// write from there on, however long the file is). It fails the same way;
// the journal that keeps the page's old content stays for a connection that
// may write there, which puts the record back.
TEST_F(DataTest, AChangeToAPagePastTheFileSizeLimitFailsWithoutEndingTheProcess) {
  file = makeDatabase(folder / "long.db",
                      "CREATE TABLE big (id INTEGER PRIMARY KEY, note TEXT);"
                      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000)"
                      " INSERT INTO big SELECT i, printf('%0100d', i) FROM n;");
  const auto size = fileBytes(file).size();
  const int status = inChildProcess(
      [&] {
        if (!testing::lowerFileSizeLimit(size / 2)) return 11;
        Ref<Recordset> rs = people(RecordsetType::Dynaset, u"big");
        rs->moveLast();
        rs->edit();
        rs->setFieldValue(rs->fieldIndex(u"note"), Variant(u"last"));
        try {
          rs->update();
          return 12;
        } catch (const RuntimeError& e) {
          if (e.number() != daterr::WriteFailed) return 13;
          if (e.description().find(u"file size limit") == BStr::npos) return 14;
        }
        return rs->editMode() == dbEditInProgress ? 0 : 15;
      },
      20);
  EXPECT_EQ(status, 0);
  Connection check(file);
  EXPECT_EQ(check.scalar("SELECT count(*) FROM big WHERE note = 'last'"), "0");
  EXPECT_EQ(check.scalar("SELECT count(*) FROM big"), "2000");
  EXPECT_EQ(check.scalar("PRAGMA integrity_check"), "ok");
}

// A whole Double stored as REAL in a column without a type, read by a script
// and given back as the Integer a script passes, is not written: it stays
// REAL. Another whole value is written, as INTEGER.
TEST_F(DataTest, AWholeRealGivenBackAsAnIntegerStaysReal) {
  file = makeDatabase(folder / "real.db",
                      "CREATE TABLE r (id INTEGER PRIMARY KEY, x);"
                      "INSERT INTO r VALUES (1, 3.0), (2, -0.0), (3, -2147483648.0);");
  Ref<Recordset> rs = people(RecordsetType::Dynaset, u"r");
  const int32_t x = rs->fieldIndex(u"x");
  Connection check(file);
  const std::string before = check.scalar("SELECT group_concat(typeof(x) || ':' || x, ',') FROM r");
  EXPECT_EQ(before, "real:3.0,real:0.0,real:-2147483648.0");
  for (int row = 0; row < 3; ++row) {
    SCOPED_TRACE(row);
    ASSERT_EQ(rs->fieldValue(x).vt(), VT_R8);
    rs->edit();
    rs->setFieldValue(x, Variant(static_cast<int32_t>(toR8(rs->fieldValue(x)))));
    rs->update();
    rs->moveNext();
  }
  EXPECT_EQ(check.scalar("SELECT group_concat(typeof(x) || ':' || x, ',') FROM r"), before);
  rs->moveFirst();
  rs->edit();
  rs->setFieldValue(x, Variant(4));
  rs->update();
  EXPECT_EQ(check.scalar("SELECT typeof(x) || ':' || x FROM r WHERE id = 1"), "integer:4");
}

// Optimistic locking between two processes: an Update or Delete writes only
// while the row holds what it held when this process read it (at Edit, or
// at the move). A change of another process in between is refused (3197)
// with the edit kept; a second try writes over it; a row the other process
// deleted is 3167 on Edit, Update and Delete.
class OptimisticLockingTest : public DataTest {
 protected:
  void SetUp() override {
    file = makeDatabase(folder / ("books" + std::to_string(++made) + ".db"),
                        "CREATE TABLE books (id INTEGER PRIMARY KEY, title TEXT COLLATE NOCASE, year INTEGER);"
                        "INSERT INTO books VALUES (1, 'One', 1900), (2, 'Two', 1950);");
  }
  // Another process sets a field of record 1 through a recordset of its own.
  void otherProcessSets(const char16_t* field, const Variant& value) {
    const int status = inChildProcess(
        [&] {
          Ref<Recordset> rs = people(RecordsetType::Dynaset, u"books");
          rs->edit();
          rs->setFieldValue(rs->fieldIndex(field), value);
          rs->update();
          return 0;
        },
        20);
    ASSERT_EQ(status, 0);
  }
  void otherProcessDeletes() {
    ASSERT_EQ(inChildProcess(
                  [&] {
                    people(RecordsetType::Dynaset, u"books")->remove();
                    return 0;
                  },
                  20),
              0);
  }
  std::string year() { return Connection(file).scalar("SELECT year FROM books WHERE id = 1"); }
  std::string title() { return Connection(file).scalar("SELECT title FROM books WHERE id = 1"); }
  int made = 0;
};

TEST_F(OptimisticLockingTest, AnUpdateAfterAnotherProcessesChangeIsRefusedAndNothingIsLost) {
  Ref<Recordset> rs = people(RecordsetType::Dynaset, u"books");
  const int32_t yearField = rs->fieldIndex(u"year");
  rs->edit();
  rs->setFieldValue(yearField, Variant(2001));
  otherProcessSets(u"year", Variant(1500));
  const auto before = fileBytes(file);
  try {
    rs->update();
    ADD_FAILURE() << "no error";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), daterr::DataChanged);
    EXPECT_NE(e.description().find(u"Another connection changed"), BStr::npos) << utf8(e.description());
    EXPECT_NE(e.description().find(u"nothing was written"), BStr::npos) << utf8(e.description());
  }
  EXPECT_EQ(fileBytes(file), before);
  EXPECT_EQ(rs->editMode(), dbEditInProgress);
  EXPECT_EQ(toI4(rs->fieldValue(yearField)), 2001);
  // The script reads the record again and edits what the other process saved.
  rs->cancelUpdate();
  EXPECT_EQ(toI4(rs->fieldValue(yearField)), 1500);
  rs->edit();
  rs->setFieldValue(yearField, Variant(2002));
  rs->update();
  EXPECT_EQ(year(), "2002");
  // A second Update after the refusal writes over the other process's change.
  rs->edit();
  rs->setFieldValue(yearField, Variant(2003));
  otherProcessSets(u"year", Variant(1600));
  EXPECT_EQ(errorOf([&] { rs->update(); }), daterr::DataChanged);
  EXPECT_EQ(year(), "1600");
  rs->update();
  EXPECT_EQ(year(), "2003");
}

// Update compares and writes only the fields its edit changes: another
// process's change to other fields is no conflict and stays, and the record
// read after the Update shows both; a change to an edited field (even of
// case alone in a column compared without regard to case) is 3197.
TEST_F(OptimisticLockingTest, EditsOfDifferentFieldsMergeAndEditsOfTheSameFieldConflict) {
  struct Case {
    const char* name;
    std::vector<std::pair<const char16_t*, Variant>> mine;  // set here after Edit
    const char16_t* otherField;                              // set by the other process
    Variant otherValue;
    bool conflict;
    const char* title;  // the row after this Update (the second one after a conflict)
    const char* year;
  };
  const Case cases[] = {
      {"different fields", {{u"year", Variant(2001)}}, u"title", Variant(u"Other"), false, "Other", "2001"},
      {"same field", {{u"year", Variant(2001)}}, u"year", Variant(1500), true, "One", "2001"},
      {"one of two edited", {{u"year", Variant(2001)}, {u"title", Variant(u"Mine")}}, u"title", Variant(u"Other"),
       true, "Mine", "2001"},
      {"case alone", {{u"title", Variant(u"Mine")}}, u"title", Variant(u"ONE"), true, "Mine", "1900"},
      {"given back unchanged", {{u"year", Variant(1900)}, {u"title", Variant(u"Mine")}}, u"year", Variant(1500),
       false, "Mine", "1500"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    Ref<Recordset> rs = people(RecordsetType::Dynaset, u"books");
    rs->edit();
    for (const auto& [field, value] : c.mine) rs->setFieldValue(rs->fieldIndex(field), value);
    otherProcessSets(c.otherField, c.otherValue);
    if (c.conflict) {
      const auto before = fileBytes(file);
      EXPECT_EQ(errorOf([&] { rs->update(); }), daterr::DataChanged);
      EXPECT_EQ(fileBytes(file), before);
      EXPECT_EQ(rs->editMode(), dbEditInProgress);
    }
    EXPECT_EQ(errorOf([&] { rs->update(); }), 0);
    EXPECT_EQ(rs->editMode(), dbEditNone);
    EXPECT_EQ(title(), c.title);
    EXPECT_EQ(year(), c.year);
    EXPECT_EQ(utf8(toBStr(rs->fieldValue(rs->fieldIndex(u"title")))), c.title);
    EXPECT_EQ(utf8(toBStr(rs->fieldValue(rs->fieldIndex(u"year")))), c.year);
  }
}

TEST_F(OptimisticLockingTest, ADeleteAfterAnotherProcessesChangeIsRefused) {
  Ref<Recordset> rs = people(RecordsetType::Dynaset, u"books");
  EXPECT_EQ(toBStr(rs->fieldValue(1)), u"One");
  // A change of case alone is a change, whatever the column's collation.
  otherProcessSets(u"title", Variant(u"ONE"));
  EXPECT_EQ(errorOf([&] { rs->remove(); }), daterr::DataChanged);
  EXPECT_EQ(title(), "ONE");
  rs->moveFirst();  // read again: the Delete goes through
  rs->remove();
  EXPECT_EQ(Connection(file).scalar("SELECT count(*) FROM books"), "1");
}

// A refused Delete tells what the script can do next: without an edit the
// record shows the other change at once (there is nothing to CancelUpdate)
// and a second Delete deletes it; during an Edit, CancelUpdate reads it.
TEST_F(OptimisticLockingTest, ARefusedDeleteShowsTheChangeAndAdvisesWhatCanFollow) {
  for (const bool editing : {false, true}) {
    SCOPED_TRACE(editing ? "during an Edit" : "without an edit");
    SetUp();
    Ref<Recordset> rs = people(RecordsetType::Dynaset, u"books");
    const int32_t titleField = rs->fieldIndex(u"title");
    EXPECT_EQ(toBStr(rs->fieldValue(titleField)), u"One");
    if (editing) rs->edit();
    otherProcessSets(u"title", Variant(u"Other"));
    try {
      rs->remove();
      ADD_FAILURE() << "no error";
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number(), daterr::DataChanged);
      EXPECT_NE(e.description().find(u"nothing was written"), BStr::npos) << utf8(e.description());
      EXPECT_NE(e.description().find(u"Delete once more"), BStr::npos) << utf8(e.description());
      EXPECT_EQ(e.description().find(u"CancelUpdate") != BStr::npos, editing) << utf8(e.description());
    }
    EXPECT_EQ(title(), "Other");
    if (editing) {
      EXPECT_EQ(rs->editMode(), dbEditInProgress);
      rs->cancelUpdate();
    } else {
      EXPECT_EQ(errorOf([&] { rs->cancelUpdate(); }), daterr::UpdateWithoutEdit);
    }
    EXPECT_EQ(toBStr(rs->fieldValue(titleField)), u"Other");
    rs->remove();
    EXPECT_EQ(Connection(file).scalar("SELECT count(*) FROM books WHERE id = 1"), "0");
  }
}

TEST_F(OptimisticLockingTest, ARowAnotherProcessDeletedIsReportedDeleted) {
  {
    Ref<Recordset> rs = people(RecordsetType::Dynaset, u"books");
    rs->edit();
    rs->setFieldValue(2, Variant(1));
    otherProcessDeletes();
    EXPECT_EQ(errorOf([&] { rs->update(); }), daterr::RecordDeleted);
    EXPECT_EQ(rs->editMode(), dbEditInProgress);
  }
  SetUp();
  {
    Ref<Recordset> rs = people(RecordsetType::Dynaset, u"books");
    EXPECT_EQ(toBStr(rs->fieldValue(1)), u"One");
    otherProcessDeletes();
    EXPECT_EQ(errorOf([&] { rs->remove(); }), daterr::RecordDeleted);
    EXPECT_EQ(errorOf([&] { rs->edit(); }), daterr::RecordDeleted);
  }
  EXPECT_EQ(Connection(file).scalar("SELECT group_concat(title) FROM books"), "Two");
}

TEST_F(DataTest, RangeChecksAndConnectStrings) {
  DataSource d;
  EXPECT_EQ(errorOf([&] { d.setRecordsetType(3); }), err::InvalidPropertyValue);
  EXPECT_EQ(errorOf([&] { d.setDefaultType(0); }), err::InvalidPropertyValue);
  EXPECT_EQ(errorOf([&] { d.setDefaultCursorType(-1); }), err::InvalidPropertyValue);
  EXPECT_TRUE(isLocalFileConnect(u""));
  EXPECT_TRUE(isLocalFileConnect(u"Access 2000;"));
  EXPECT_TRUE(isLocalFileConnect(u"access;PWD=x"));
  EXPECT_FALSE(isLocalFileConnect(u"Accessory;"));
  EXPECT_FALSE(isLocalFileConnect(u"dBASE IV;"));
}

}  // namespace
}  // namespace svx::data
