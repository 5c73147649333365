// A recordset over a table or a query of a database, with a current record,
// the moves, its Fields and editing. Table and dynaset recordsets on a table
// keep the keys of its rows and read the current row afresh after every move
// (and on Edit, and after an edit of their own): a change that another
// connection made shows at the next move. Snapshots and queries copy their
// rows when they open. RecordCount and AbsolutePosition are exact from the
// start. Edits go to the database in one transaction each: a failed Update
// leaves the file as it was and the edit in progress. Update writes the
// fields the edit changes only while they hold what Edit read of them, and
// Delete only while the whole row holds what this recordset read of it
// (3197 when another connection changed them; the next try writes over that
// change). Another connection's change to other fields stays beside the edit.
//
// Reading afresh costs no lock per move: while the moves walk on, the rows
// ahead are read in one statement together with the file's change counter,
// and a move takes its row from them while the counter is unchanged. Those
// rows keep text and blobs as bytes: a field becomes a value when read.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/data/database.h"

namespace svx::data {

// The data control's RecordsetType values.
enum class RecordsetType : int16_t { Table = 0, Dynaset = 1, Snapshot = 2 };

// EditMode values.
inline constexpr int16_t dbEditNone = 0;
inline constexpr int16_t dbEditInProgress = 1;
inline constexpr int16_t dbEditAdd = 2;

class Fields;
class Field;

class Recordset : public Object {
 public:
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }

  // Opens `source` (a table name or a query); raises 3078 for a missing
  // table, 3075 for a query that is not valid, and the database's errors.
  static Ref<Recordset> open(Ref<Database> db, BStrView source, RecordsetType type, bool readOnly);

  const Ref<Database>& database() const { return db_; }
  int32_t recordCount() const;
  int32_t absolutePosition() const;  // -1 without a current record
  bool bof() const;
  bool eof() const;
  bool updatable() const { return table_.has_value() && !readOnly_; }
  int16_t editMode() const { return editMode_; }
  RecordsetType type() const { return type_; }

  void moveFirst();
  void movePrevious();
  void moveNext();
  void moveLast();

  int32_t fieldCount() const { return static_cast<int32_t>(columns_.size()); }
  const BStr& fieldName(int32_t i) const { return columns_.at(static_cast<size_t>(i)); }
  // -1 for an unknown name (compared without regard to case).
  int32_t fieldIndex(BStrView name) const;
  int32_t fieldIndex(std::string_view asciiName) const;
  // The value of a field: the edit buffer during Edit or AddNew, else the
  // current record (3021 without one, 3167 when it was deleted).
  Variant fieldValue(int32_t i) const;
  // The same field, checked as fieldValue checks it, when it is text or a
  // number read ahead: text as its bytes (valid until the next move); else
  // nothing (fieldValue then gives it).
  PeekedValue peekFieldValue(int32_t i) const;
  // 3020 unless Edit or AddNew is in progress.
  void setFieldValue(int32_t i, const Variant& v);
  // The current record, read once per move (raises as fieldValue does).
  std::span<const Variant> currentRecord() const;
  // Reads the current record as currentRecord does, making no values.
  void checkCurrent() const;

  void edit();
  void addNew();
  void update();
  void cancelUpdate();
  void remove();  // Delete

  // Called after every move (the data control's Reposition); returns a
  // handle for disconnect.
  int32_t onMove(std::function<void()> f);
  void disconnectMove(int32_t handle);

  // Automation members.
  Variant RecordCount() { return Variant(recordCount()); }
  Variant AbsolutePosition() { return Variant(absolutePosition()); }
  Variant BOF() { return Variant(bof()); }
  Variant EOF_() { return Variant(eof()); }
  Variant EditMode() { return Variant::i2(editMode_); }
  Variant Updatable() { return Variant(updatable()); }
  Variant Name() { return Variant(source_); }
  Variant FieldsMember();
  void MoveFirst() { moveFirst(); }
  void MovePrevious() { movePrevious(); }
  void MoveNext() { moveNext(); }
  void MoveLast() { moveLast(); }
  void Edit() { edit(); }
  void AddNew() { addNew(); }
  void Update() { update(); }
  void CancelUpdate() { cancelUpdate(); }
  void Delete() { remove(); }

 private:
  Recordset() = default;
  bool hasCurrent() const;
  void requireCurrent() const;
  void requireUpdatable() const;
  void moved();
  void loadKeys();
  void copyRows(Statement& s);
  // A value of the window as the statement gave it; text and blobs are
  // bytes in the window's `bytes`.
  struct Cell {
    enum Type : uint8_t { Null, Integer, Real, Text, Blob } type = Null;
    union {
      int64_t integer = 0;
      double real;
      size_t offset;
    };
    size_t size = 0;
  };
  Variant valueOf(const Cell& c) const;
  // Field i of the current record as read ahead, checked as a read of the
  // field is (3265, 3021, 3167); null when its value is elsewhere: the edit
  // buffer, a query's row, or the record made once (currentRecord).
  const Cell* cellRead(int32_t i) const;
  // Keyed tables: the current row, checked or read at most once per move.
  const Cell* keyedRow() const;
  // The WHERE clause that finds the current row by its key (parameter
  // `firstParameter`) and only while each column of `compared` holds the
  // value bound after it (its value in `row`); and the binding of those.
  std::string rowTest(size_t firstParameter, std::span<const size_t> compared) const;
  void bindRowTest(sqlite3_stmt* s, size_t firstParameter, int64_t key, std::span<const size_t> compared,
                   std::span<const Variant> row) const;
  // After a write that found no row: 3167 when the row is gone, else 3197
  // (another connection changed what `what` names, `advice` says what the
  // script may do next), and the next try writes over it.
  [[noreturn]] void refuseUnchangedRow(int64_t key, BStrView what, BStrView advice);
  // Reads the rows from position `start` on into the window.
  void fillWindow(int32_t start) const;
  // Drops what was read ahead (after a change of this recordset's own).
  void forgetRows();

  Ref<Database> db_;
  WeakRef<Fields> fields_;  // the one Fields object while someone holds it
  BStr source_;
  RecordsetType type_ = RecordsetType::Dynaset;
  bool readOnly_ = false;
  std::optional<BStr> table_;  // the table when rows are read again by key
  std::string key_;            // the name that addresses its rows: rowid, _rowid_ or oid
  BStr fixed_;                 // why a recordset without a table cannot be changed
  std::vector<BStr> columns_;
  std::vector<int64_t> keys_;               // keyed: rowids in order
  std::vector<std::vector<Variant>> rows_;  // copied rows
  // Keyed tables: rows read ahead from the table, in the keys' order.
  struct RowWindow {
    int32_t first = 0;  // the position of the first row
    std::vector<Cell> cells;          // count() rows of fieldCount() values
    std::string bytes;                // the text and blobs of the cells
    std::vector<uint8_t> present;     // one a row; 0: the key's row is gone from the table
    std::optional<uint32_t> version;  // the file's change counter as read with them
    int32_t count() const { return static_cast<int32_t>(present.size()); }
  };
  mutable Statement windowStatement_;  // SELECT rowid, * ... WHERE rowid >= ?1 ORDER BY rowid LIMIT ?2
  mutable RowWindow window_;
  mutable int32_t readAhead_ = 1;      // rows a fill reads: more while the moves walk on
  mutable bool counterKnown_ = true;  // false in WAL mode: a fill reads one row
  mutable int32_t checked_ = -1;    // the position whose row this move has read
  mutable std::vector<Variant> record_;  // that row's values, once currentRecord asked for them
  mutable bool recordMade_ = false;
  int32_t position_ = 0;
  bool deleted_ = false;  // the current record was deleted here
  int16_t editMode_ = dbEditNone;
  std::vector<Variant> buffer_;
  std::vector<Variant> original_;  // the row as Edit read it
  std::vector<bool> assigned_;
  bool overwrite_ = false;  // a change of another connection was reported: the next write goes over it
  int32_t nextHandle_ = 1;
  std::vector<std::pair<int32_t, std::shared_ptr<const std::function<void()>>>> observers_;
};

// The Fields collection of a recordset: Count, Item(index or name).
class Fields : public Object {
 public:
  explicit Fields(Ref<Recordset> rs) : rs_(std::move(rs)) {}
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }
  Variant Count() { return Variant(rs_->fieldCount()); }
  Variant Item(Variant& index);
  ObjectRef itemNamed(std::string_view asciiName);  // null for a name it has not

 private:
  Ref<Field> item(int32_t i);

  Ref<Recordset> rs_;
  std::vector<WeakRef<Field>> items_;  // the Field of each column while someone holds it
};

// One field of the current record: Name and Value (the default member).
class Field : public Object {
 public:
  Field(Ref<Recordset> rs, int32_t index) : rs_(std::move(rs)), index_(index) {}
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }
  Variant Name() { return Variant(rs_->fieldName(index_)); }
  Variant Value() { return rs_->fieldValue(index_); }
  PeekedValue peekValue() { return rs_->peekFieldValue(index_); }
  void letValue(Variant& v) { rs_->setFieldValue(index_, v.value()); }

 private:
  Ref<Recordset> rs_;
  int32_t index_;
};

}  // namespace svx::data
