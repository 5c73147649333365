#include "platform/data/recordset.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <numeric>

#include "platform/automation/coerce.h"
#include "platform/automation/safearray.h"

namespace svx::data {

namespace {

// Rows read ahead by one statement: a few after a jump, doubling while the
// moves walk on, up to the most.
constexpr int32_t kFirstReadAhead = 2;
constexpr int32_t kMostReadAhead = 1024;

// An integer is a Long while it fits, else a 64-bit integer.
Variant integerValue(int64_t v) {
  if (v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max())
    return Variant(static_cast<int32_t>(v));
  return Variant::i8(v);
}

Variant textValue(std::string_view text) { return Variant(utf16(text)); }

Variant blobValue(std::span<const uint8_t> bytes) { return Variant(SafeArray::bytes(bytes)); }

Variant columnValue(sqlite3_stmt* s, int i) {
  switch (sqlite3_column_type(s, i)) {
    case SQLITE_INTEGER: return integerValue(sqlite3_column_int64(s, i));
    case SQLITE_FLOAT: return Variant(sqlite3_column_double(s, i));
    case SQLITE_TEXT: {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, i));
      return textValue(std::string_view(text, static_cast<size_t>(sqlite3_column_bytes(s, i))));
    }
    case SQLITE_BLOB: {
      const auto* p = static_cast<const uint8_t*>(sqlite3_column_blob(s, i));
      const auto n = static_cast<size_t>(sqlite3_column_bytes(s, i));
      return blobValue(std::span<const uint8_t>(p, n));
    }
    default: return Variant::null();
  }
}

void bindValue(sqlite3_stmt* s, int i, const Variant& value) {
  const Variant v = value.value();
  if (v.isArray()) {
    const SafeArray* a = v.asArray();
    if (!a || v.baseType() != VT_UI1) raise(err::TypeMismatch);
    const auto bytes = a->byteData();
    sqlite3_bind_blob(s, i, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
    return;
  }
  switch (v.vt()) {
    case VT_EMPTY:
    case VT_NULL: sqlite3_bind_null(s, i); return;
    case VT_I2:
    case VT_I4:
    case VT_UI1:
    case VT_BOOL: sqlite3_bind_int64(s, i, toI4(v)); return;
    case VT_I8: sqlite3_bind_int64(s, i, v.asI8()); return;
    case VT_R4:
    case VT_R8: {
      // A whole number within 64 bits is an INTEGER, never a REAL.
      const double x = toR8(v);
      if (x == std::floor(x) && x >= -0x1p63 && x < 0x1p63) {
        sqlite3_bind_int64(s, i, static_cast<sqlite3_int64>(x));
        return;
      }
      sqlite3_bind_double(s, i, x);
      return;
    }
    case VT_CY:
    case VT_DATE: sqlite3_bind_double(s, i, toR8(v)); return;
    case VT_BSTR: {
      const std::string text = utf8(v.asBStr());
      sqlite3_bind_text(s, i, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
      return;
    }
    default: raise(err::TypeMismatch);
  }
}

std::vector<BStr> columnNames(sqlite3_stmt* s) {
  std::vector<BStr> names;
  for (int i = 0, n = sqlite3_column_count(s); i < n; ++i) names.push_back(utf16(sqlite3_column_name(s, i)));
  return names;
}

// The name of the table or view called `source`, as the schema spells it.
std::optional<std::pair<BStr, bool>> schemaObject(const Database& db, BStrView source) {
  Statement s = db.prepare("SELECT name, type FROM sqlite_master WHERE type IN ('table','view') AND name = ?1 COLLATE NOCASE");
  const std::string name = utf8(source);
  sqlite3_bind_text(s.get(), 1, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
  const int rc = sqlite3_step(s.get());
  if (rc == SQLITE_ROW)
    return std::pair{utf16(reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0))),
                     std::string_view(reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 1))) == "table"};
  if (rc != SQLITE_DONE) db.raiseLast(rc);
  return std::nullopt;
}

bool looksLikeQuery(BStrView source) {
  return std::any_of(source.begin(), source.end(), [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; });
}

}  // namespace

Ref<Recordset> Recordset::open(Ref<Database> db, BStrView source, RecordsetType type, bool readOnly) {
  Ref<Recordset> rs(new Recordset());
  rs->db_ = db;
  rs->source_ = BStr(source);
  rs->type_ = type;
  rs->readOnly_ = readOnly || db->readOnly();
  // SQLite would stop reading the text at a NUL and run what comes before.
  if (source.find(u'\0') != BStrView::npos)
    raise(daterr::SyntaxError, u"The record source holds a NUL character; nothing was run.");
  const auto object = schemaObject(*db, source);
  if (!object && !looksLikeQuery(source))
    raise(daterr::TableNotFound, u"The table or query '" + BStr(source) + u"' was not found.");
  if (object && object->second && type != RecordsetType::Snapshot) {
    rs->table_ = object->first;
    rs->loadKeys();
  } else {
    rs->fixed_ = !object                ? u"it is a query, whose rows are copied"
                 : type == RecordsetType::Snapshot ? u"it is a snapshot, a copy of the rows"
                                                   : u"it is a view, whose rows are copied";
    Statement s = object ? db->prepare("SELECT * FROM " + quoteName(object->first)) : db->prepareQuery(source);
    rs->columns_ = columnNames(s.get());
    rs->copyRows(s);
  }
  return rs;
}

void Recordset::loadKeys() {
  const std::string table = quoteName(*table_);
  Statement all = db_->prepare("SELECT * FROM " + table);
  columns_ = columnNames(all.get());
  // Rows are addressed by the first of SQLite's three names of the row key
  // that no column of the table takes.
  for (const char* name : {"rowid", "_rowid_", "oid"})
    if (fieldIndex(utf16(name)) < 0) {
      key_ = name;
      break;
    }
  Statement keys;
  if (key_.empty()) {
    fixed_ = u"its columns take all three names of the row key (rowid, _rowid_ and oid), so its rows cannot be "
             u"told apart";
  } else {
    try {
      keys = db_->prepare("SELECT " + key_ + " FROM " + table + " ORDER BY " + key_);
    } catch (const RuntimeError&) {
      fixed_ = u"it is a table without row keys (WITHOUT ROWID)";
    }
  }
  if (!keys) {
    // Copied instead, and cannot be edited.
    table_.reset();
    copyRows(all);
    return;
  }
  int rc;
  while ((rc = sqlite3_step(keys.get())) == SQLITE_ROW) keys_.push_back(sqlite3_column_int64(keys.get(), 0));
  if (rc != SQLITE_DONE) db_->raiseLast(rc);
  windowStatement_ = db_->prepare("SELECT " + key_ + ", * FROM " + table + " WHERE " + key_ + " >= ?1 ORDER BY " +
                                  key_ + " LIMIT ?2");
}

void Recordset::copyRows(Statement& s) {
  int rc;
  const int n = sqlite3_column_count(s.get());
  while ((rc = sqlite3_step(s.get())) == SQLITE_ROW) {
    std::vector<Variant> row;
    row.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) row.push_back(columnValue(s.get(), i));
    rows_.push_back(std::move(row));
  }
  if (rc != SQLITE_DONE) db_->raiseLast(rc);
}

int32_t Recordset::recordCount() const {
  return static_cast<int32_t>(table_ ? keys_.size() : rows_.size());
}

bool Recordset::hasCurrent() const { return !deleted_ && position_ >= 0 && position_ < recordCount(); }

int32_t Recordset::absolutePosition() const { return hasCurrent() ? position_ : -1; }

bool Recordset::bof() const { return recordCount() == 0 || position_ < 0; }

bool Recordset::eof() const { return recordCount() == 0 || position_ >= recordCount(); }

void Recordset::requireCurrent() const {
  if (deleted_) raise(daterr::RecordDeleted, u"The current record was deleted.");
  if (!hasCurrent()) raise(daterr::NoCurrentRecord, u"There is no current record.");
}

void Recordset::requireUpdatable() const {
  if (readOnly_) raise(daterr::ReadOnly, u"The recordset is read-only; nothing was written.");
  if (!table_) raise(daterr::ReadOnly, u"The recordset cannot be changed: " + fixed_ + u".");
}

void Recordset::moved() {
  checked_ = -1;
  overwrite_ = false;
  editMode_ = dbEditNone;
  buffer_.clear();
  assigned_.clear();
  // An observer may connect or disconnect others: each is kept alive while
  // it runs, and the list is read afresh after each.
  for (size_t i = 0; i < observers_.size(); ++i) {
    const std::shared_ptr<const std::function<void()>> f = observers_[i].second;
    (*f)();
  }
}

void Recordset::moveFirst() {
  if (recordCount() == 0) raise(daterr::NoCurrentRecord, u"There is no current record.");
  position_ = 0;
  deleted_ = false;
  moved();
}

void Recordset::moveLast() {
  if (recordCount() == 0) raise(daterr::NoCurrentRecord, u"There is no current record.");
  position_ = recordCount() - 1;
  deleted_ = false;
  moved();
}

void Recordset::moveNext() {
  if (!deleted_ && eof()) raise(daterr::NoCurrentRecord, u"There is no current record.");
  // After a Delete the next record already stands at the deleted one's place.
  if (!deleted_) ++position_;
  deleted_ = false;
  moved();
}

void Recordset::movePrevious() {
  if (bof()) raise(daterr::NoCurrentRecord, u"There is no current record.");
  --position_;
  deleted_ = false;
  moved();
}

namespace {
template <class Name>
int32_t indexOfName(const std::vector<BStr>& columns, Name name) {
  for (size_t i = 0; i < columns.size(); ++i)
    if (sameName(columns[i], name)) return static_cast<int32_t>(i);
  return -1;
}
}  // namespace

int32_t Recordset::fieldIndex(BStrView name) const { return indexOfName(columns_, name); }

int32_t Recordset::fieldIndex(std::string_view asciiName) const { return indexOfName(columns_, asciiName); }

// One statement reads the rows from the key at `start` on, in key order, up
// to the next key that is not larger than the one before it (keys of rows
// added here out of order). A key without a row is a row that another
// connection deleted; rows that another connection added between the keys
// are not this recordset's and are passed over.
void Recordset::fillWindow(int32_t start) const {
  RowWindow& w = window_;
  w.first = start;
  w.version.reset();
  w.cells.clear();
  w.bytes.clear();
  w.present.clear();
  recordMade_ = false;
  const size_t n = columns_.size();
  const auto keyCount = static_cast<int32_t>(keys_.size());
  const int32_t limit = counterKnown_ ? readAhead_ : 1;
  const int32_t end = std::min(keyCount, start + limit);
  const auto inRun = [&](int32_t k) { return k < end && (k == start || keys_[k] > keys_[k - 1]); };
  const auto gone = [&] {
    w.cells.resize(w.cells.size() + n);
    w.present.push_back(0);
  };

  sqlite3_stmt* s = windowStatement_.get();
  struct Reset {
    sqlite3_stmt* s;
    ~Reset() { sqlite3_reset(s); }
  } reset{s};
  sqlite3_bind_int64(s, 1, keys_[static_cast<size_t>(start)]);
  sqlite3_bind_int(s, 2, limit);
  int32_t k = start;
  int fetched = 0;
  int rc;
  while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
    // The statement holds the file's read lock now: the counter belongs to
    // these rows.
    if (fetched++ == 0) w.version = db_->changeCounter();
    const int64_t rowid = sqlite3_column_int64(s, 0);
    while (inRun(k) && keys_[static_cast<size_t>(k)] < rowid) gone(), ++k;
    if (!inRun(k)) break;
    if (keys_[static_cast<size_t>(k)] != rowid) continue;
    // The columns are read as values, one call each (the connection is
    // used by one thread: SQLITE_OPEN_NOMUTEX); text and blobs are kept as
    // bytes, turned into values when read.
    for (size_t i = 0; i < n; ++i) {
      sqlite3_value* v = sqlite3_column_value(s, static_cast<int>(i + 1));
      Cell& c = w.cells.emplace_back();
      switch (sqlite3_value_type(v)) {
        case SQLITE_INTEGER:
          c.type = Cell::Integer;
          c.integer = sqlite3_value_int64(v);
          break;
        case SQLITE_FLOAT:
          c.type = Cell::Real;
          c.real = sqlite3_value_double(v);
          break;
        case SQLITE_TEXT:
        case SQLITE_BLOB: {
          const bool text = sqlite3_value_type(v) == SQLITE_TEXT;
          const void* p = text ? static_cast<const void*>(sqlite3_value_text(v)) : sqlite3_value_blob(v);
          c.type = text ? Cell::Text : Cell::Blob;
          c.offset = w.bytes.size();
          c.size = static_cast<size_t>(sqlite3_value_bytes(v));
          if (c.size) w.bytes.append(static_cast<const char*>(p), c.size);
          break;
        }
        default: break;
      }
    }
    w.present.push_back(1);
    ++k;
  }
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
    w.present.clear();
    w.version.reset();
    db_->raiseLast(rc);
  }
  // The table ended before the limit: the keys left have no rows.
  if (rc == SQLITE_DONE && fetched < limit)
    while (inRun(k)) gone(), ++k;
  // Without the counter (WAL mode) what was read serves this move only: the
  // next fill reads one row.
  counterKnown_ = w.version.has_value();
}

Variant Recordset::valueOf(const Cell& c) const {
  switch (c.type) {
    case Cell::Integer: return integerValue(c.integer);
    case Cell::Real: return Variant(c.real);
    case Cell::Text: return textValue(std::string_view(window_.bytes).substr(c.offset, c.size));
    case Cell::Blob:
      return blobValue(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(window_.bytes.data()) + c.offset, c.size));
    case Cell::Null: break;
  }
  return Variant::null();
}

const Recordset::Cell* Recordset::keyedRow() const {
  const int32_t p = position_;
  const auto covers = [&] { return p >= window_.first && p < window_.first + window_.count(); };
  if (checked_ != p) {
    const bool covered = covers();
    if (!covered || !window_.version || db_->changeCounter() != window_.version) {
      const bool walking = window_.count() > 0 && (p == window_.first + window_.count() || p == window_.first - 1);
      // Rows read ahead of a file that changes under them are read again:
      // few rows then, more again while it holds still.
      readAhead_ = covered || !walking ? kFirstReadAhead : std::min(kMostReadAhead, readAhead_ * 2);
      // Walking back, the rows up to this one; else from this one on.
      const bool back = window_.count() > 0 && p < window_.first;
      fillWindow(back ? std::max(0, p - readAhead_ + 1) : p);
      if (!covers()) fillWindow(p);
    }
    checked_ = p;
    recordMade_ = false;
  }
  const auto row = static_cast<size_t>(p - window_.first);
  if (!window_.present[row]) raise(daterr::RecordDeleted, u"The current record was deleted by another connection.");
  return &window_.cells[row * columns_.size()];
}

void Recordset::forgetRows() {
  window_.present.clear();
  window_.version.reset();
  checked_ = -1;
  recordMade_ = false;
}

std::span<const Variant> Recordset::currentRecord() const {
  requireCurrent();
  if (!table_) return rows_[static_cast<size_t>(position_)];
  const Cell* row = keyedRow();
  if (!recordMade_) {
    record_.clear();
    for (size_t i = 0; i < columns_.size(); ++i) record_.push_back(valueOf(row[i]));
    recordMade_ = true;
  }
  return record_;
}

void Recordset::checkCurrent() const {
  requireCurrent();
  if (table_) (void)keyedRow();
}

const Recordset::Cell* Recordset::cellRead(int32_t i) const {
  if (i < 0 || i >= fieldCount()) raise(daterr::ItemNotFound, u"Item not found in this collection.");
  if (editMode_ != dbEditNone) return nullptr;
  requireCurrent();
  if (!table_) return nullptr;
  const Cell* row = keyedRow();
  return recordMade_ ? nullptr : &row[i];
}

Variant Recordset::fieldValue(int32_t i) const {
  if (const Cell* c = cellRead(i)) return valueOf(*c);
  const auto k = static_cast<size_t>(i);
  if (editMode_ != dbEditNone) return buffer_[k];
  if (!table_) return rows_[static_cast<size_t>(position_)][k];
  return record_[k];
}

PeekedValue Recordset::peekFieldValue(int32_t i) const {
  const Cell* c = cellRead(i);
  if (!c) return {};
  switch (c->type) {
    case Cell::Text: return {PeekedValue::Kind::Text, std::string_view(window_.bytes).substr(c->offset, c->size)};
    case Cell::Integer: return {PeekedValue::Kind::Number, {}, static_cast<double>(c->integer)};
    case Cell::Real: return {PeekedValue::Kind::Number, {}, c->real};
    default: return {};
  }
}

void Recordset::setFieldValue(int32_t i, const Variant& v) {
  if (i < 0 || i >= fieldCount()) raise(daterr::ItemNotFound, u"Item not found in this collection.");
  if (editMode_ == dbEditNone)
    raise(daterr::UpdateWithoutEdit, u"A field can be changed only after Edit or AddNew.");
  if (v.isObject()) raise(err::TypeMismatch);
  const auto k = static_cast<size_t>(i);
  buffer_[k] = v;
  // During Edit a field given the value it held at Edit is not written;
  // a 64-bit integer read into a Double (a script's Number) and given back
  // is that value too, and so is a whole Double given back as an Integer
  // (a script passes whole Numbers so), which would be stored as one.
  const auto holds = [&](const Variant& held) {
    if (v == held) return true;
    if (held.vt() == VT_I8 && v.vt() == VT_R8) return v.asR8() == static_cast<double>(held.asI8());
    if (held.vt() == VT_R8 && v.vt() == VT_I4) return held.asR8() == static_cast<double>(v.asI4());
    return false;
  };
  assigned_[k] = editMode_ != dbEditInProgress || !holds(original_[k]);
}

void Recordset::edit() {
  requireUpdatable();
  forgetRows();
  const auto row = currentRecord();
  buffer_.assign(row.begin(), row.end());
  original_ = buffer_;
  assigned_.assign(columns_.size(), false);
  overwrite_ = false;
  editMode_ = dbEditInProgress;
}

void Recordset::addNew() {
  requireUpdatable();
  buffer_.assign(columns_.size(), Variant::null());
  assigned_.assign(columns_.size(), false);
  editMode_ = dbEditAdd;
}

void Recordset::cancelUpdate() {
  if (editMode_ == dbEditNone)
    raise(daterr::UpdateWithoutEdit, u"CancelUpdate without AddNew or Edit.");
  // The record is read afresh: what another connection saved shows.
  if (editMode_ == dbEditInProgress) forgetRows();
  editMode_ = dbEditNone;
  overwrite_ = false;
  buffer_.clear();
  assigned_.clear();
}

std::string Recordset::rowTest(size_t firstParameter, std::span<const size_t> compared) const {
  std::string sql = " WHERE " + key_ + " = ?" + std::to_string(firstParameter);
  for (size_t k = 0; k < compared.size(); ++k)
    sql += " AND " + quoteName(columns_[compared[k]]) + " IS ?" + std::to_string(firstParameter + 1 + k) +
           " COLLATE BINARY";
  return sql;
}

void Recordset::bindRowTest(sqlite3_stmt* s, size_t firstParameter, int64_t key, std::span<const size_t> compared,
                            std::span<const Variant> row) const {
  sqlite3_bind_int64(s, static_cast<int>(firstParameter), key);
  for (size_t k = 0; k < compared.size(); ++k)
    bindValue(s, static_cast<int>(firstParameter + 1 + k), row[compared[k]]);
}

void Recordset::refuseUnchangedRow(int64_t key, BStrView what, BStrView advice) {
  Statement s = db_->prepare("SELECT 1 FROM " + quoteName(*table_) + " WHERE " + key_ + " = ?1");
  sqlite3_bind_int64(s.get(), 1, key);
  const int rc = sqlite3_step(s.get());
  if (rc == SQLITE_DONE)
    raise(daterr::RecordDeleted, u"The current record was deleted by another connection; nothing was written.");
  if (rc != SQLITE_ROW) db_->raiseLast(rc);
  // The next try writes over the other connection's change.
  overwrite_ = true;
  raise(daterr::DataChanged, u"Another connection changed " + BStr(what) + u"; nothing was written. " + BStr(advice));
}

void Recordset::update() {
  if (editMode_ == dbEditNone) raise(daterr::UpdateWithoutEdit, u"Update without AddNew or Edit.");
  requireUpdatable();
  std::vector<size_t> changed;
  for (size_t i = 0; i < columns_.size(); ++i)
    if (assigned_[i]) changed.push_back(i);
  const std::string table = quoteName(*table_);
  if (editMode_ == dbEditInProgress) {
    requireCurrent();
    const int64_t key = keys_[static_cast<size_t>(position_)];
    if (!changed.empty()) {
      std::string sql = "UPDATE " + table + " SET ";
      for (size_t k = 0; k < changed.size(); ++k)
        sql += (k ? ", " : "") + quoteName(columns_[changed[k]]) + " = ?" + std::to_string(k + 1);
      // Written only while the fields this edit changes still hold what they
      // held at Edit; other fields may have changed since, and keep that.
      const std::span<const size_t> compared = overwrite_ ? std::span<const size_t>() : changed;
      sql += rowTest(changed.size() + 1, compared);
      db_->inTransaction([&] {
        Statement s = db_->prepare(sql);
        for (size_t k = 0; k < changed.size(); ++k) bindValue(s.get(), static_cast<int>(k + 1), buffer_[changed[k]]);
        bindRowTest(s.get(), changed.size() + 1, key, compared, original_);
        const int rc = sqlite3_step(s.get());
        if (rc != SQLITE_DONE) db_->raiseLast(rc, u"The record could not be saved");
        if (sqlite3_changes(db_->handle()) != 1)
          refuseUnchangedRow(key, u"a field this edit changes since Edit read the record",
                             u"CancelUpdate and read the record again, or try once more to write over that change.");
      });
    }
  } else {
    std::string sql = "INSERT INTO " + table;
    if (changed.empty()) {
      sql += " DEFAULT VALUES";
    } else {
      std::string names, values;
      for (size_t k = 0; k < changed.size(); ++k) {
        names += (k ? ", " : "") + quoteName(columns_[changed[k]]);
        values += (k ? ", ?" : "?") + std::to_string(k + 1);
      }
      sql += " (" + names + ") VALUES (" + values + ")";
    }
    int64_t key = 0;
    db_->inTransaction([&] {
      Statement s = db_->prepare(sql);
      for (size_t k = 0; k < changed.size(); ++k) bindValue(s.get(), static_cast<int>(k + 1), buffer_[changed[k]]);
      const int rc = sqlite3_step(s.get());
      if (rc != SQLITE_DONE) db_->raiseLast(rc, u"The new record could not be saved");
      key = sqlite3_last_insert_rowid(db_->handle());
    });
    // The new record joins the end; the current record stays current.
    keys_.push_back(key);
  }
  forgetRows();
  editMode_ = dbEditNone;
  overwrite_ = false;
  buffer_.clear();
  assigned_.clear();
}

void Recordset::remove() {
  requireUpdatable();
  requireCurrent();
  const int64_t key = keys_[static_cast<size_t>(position_)];
  // Deleted only while the row still holds what this recordset read of it
  // (at Edit during an edit, else at this move, if it was read).
  std::vector<Variant> read;
  if (!overwrite_) {
    if (editMode_ == dbEditInProgress) {
      read = original_;
    } else if (checked_ == position_) {
      const auto row = currentRecord();  // 3167 when it is gone
      read.assign(row.begin(), row.end());
    }
  }
  std::vector<size_t> compared(read.size());
  std::iota(compared.begin(), compared.end(), size_t{0});
  db_->inTransaction([&] {
    Statement s = db_->prepare("DELETE FROM " + quoteName(*table_) + rowTest(1, compared));
    bindRowTest(s.get(), 1, key, compared, read);
    const int rc = sqlite3_step(s.get());
    if (rc != SQLITE_DONE) db_->raiseLast(rc, u"The record could not be deleted");
    if (sqlite3_changes(db_->handle()) != 1) {
      if (editMode_ == dbEditInProgress)
        refuseUnchangedRow(key, u"the record since Edit read it",
                           u"CancelUpdate and read the record again, or Delete once more to delete it all the same.");
      // Without an edit the fields show the other connection's change at
      // once (CancelUpdate has nothing to cancel).
      forgetRows();
      refuseUnchangedRow(key, u"the record since this move read it",
                         u"Its fields now show that change; Delete once more to delete it all the same.");
    }
  });
  keys_.erase(keys_.begin() + position_);
  forgetRows();
  deleted_ = true;
  overwrite_ = false;
  editMode_ = dbEditNone;
  buffer_.clear();
  assigned_.clear();
}

int32_t Recordset::onMove(std::function<void()> f) {
  const int32_t handle = nextHandle_++;
  observers_.emplace_back(handle, std::make_shared<const std::function<void()>>(std::move(f)));
  return handle;
}

void Recordset::disconnectMove(int32_t handle) {
  std::erase_if(observers_, [handle](const auto& o) { return o.first == handle; });
}

Variant Recordset::FieldsMember() {
  Ref<Fields> fields = fields_.lock();
  if (!fields) {
    fields = makeRef<Fields>(Ref<Recordset>(this));
    fields_ = fields;
  }
  return Variant(ObjectRef(std::move(fields)));
}

namespace {
[[gnu::noinline]] ClassInfo makeRecordsetInfo() {
  return ClassInfo(u"Recordset")
      .get<&Recordset::Name>(u"Name", {}, u"The record source it was opened from.")
      .get<&Recordset::RecordCount>(u"RecordCount", {}, u"The number of records, exact from the start.")
      .get<&Recordset::AbsolutePosition>(u"AbsolutePosition", {},
                                         u"The position of the current record, from 0; -1 without one. The "
                                         u"Move methods change it.")
      .get<&Recordset::BOF>(u"BOF", {}, u"True before the first record, or with no records.")
      .get<&Recordset::EOF_>(u"EOF", {}, u"True after the last record, or with no records.")
      .get<&Recordset::EditMode>(u"EditMode", {}, u"0 no edit, 1 Edit in progress, 2 AddNew in progress.")
      .get<&Recordset::Updatable>(u"Updatable", {},
                                  u"True for a table or dynaset over a table that is not read-only.")
      .get<&Recordset::FieldsMember>(u"Fields", {},
                                     u"The fields of the current record: Fields(\"name\") or Fields(0) is one "
                                     u"Field, Fields.Count their number.")
      .method<&Recordset::MoveFirst>(u"MoveFirst", {}, u"Makes the first record current (3021 without records).")
      .method<&Recordset::MovePrevious>(u"MovePrevious", {},
                                        u"Makes the previous record current; before the first, BOF is True.")
      .method<&Recordset::MoveNext>(u"MoveNext", {},
                                    u"Makes the next record current; after the last, EOF is True.")
      .method<&Recordset::MoveLast>(u"MoveLast", {}, u"Makes the last record current (3021 without records).")
      .method<&Recordset::Edit>(u"Edit", {},
                                u"Starts changing the current record: its fields are read afresh into the edit.")
      .method<&Recordset::AddNew>(u"AddNew", {}, u"Starts a new record, its fields Null until set.")
      .method<&Recordset::Update>(u"Update", {},
                                  u"Saves the Edit or AddNew in one transaction. A failure writes nothing and "
                                  u"keeps the edit in progress, to try again. An Edit writes only the fields it "
                                  u"changes, and only while they still hold what they held at Edit: when "
                                  u"another connection changed one of them, 3197 (CancelUpdate reads the "
                                  u"record again; a second Update writes over the change), when it deleted "
                                  u"the record, 3167. Another connection's change to other fields is kept, "
                                  u"and the record read after the Update shows both.")
      .method<&Recordset::CancelUpdate>(u"CancelUpdate", {},
                                        u"Drops the Edit or AddNew in progress; after an Edit the record is read "
                                        u"afresh.")
      .method<&Recordset::Delete>(u"Delete", {},
                                  u"Deletes the current record in one transaction; a move makes another one "
                                  u"current. It refuses with 3197 when another connection changed any field "
                                  u"of the record since it was read here (at Edit or the move), and 3167 "
                                  u"when it deleted it.");
}
}  // namespace

const ClassInfo& Recordset::info() {
  return builtOnce<makeRecordsetInfo>();
}

Variant Fields::Item(Variant& index) {
  const Variant& v = index.deref();
  int32_t i = -1;
  if (v.baseType() == VT_BSTR) {
    i = rs_->fieldIndex(v.vt() == VT_BSTR ? BStrView(v.asBStr()) : BStrView(toBStr(v)));
    if (i < 0) raise(daterr::ItemNotFound, u"The field '" + toBStr(v) + u"' is not in this recordset.");
  } else {
    i = toI4(v);
    if (i < 0 || i >= rs_->fieldCount()) raise(daterr::ItemNotFound, u"Item not found in this collection.");
  }
  return Variant(ObjectRef(item(i)));
}

ObjectRef Fields::itemNamed(std::string_view asciiName) {
  const int32_t i = rs_->fieldIndex(asciiName);
  return i < 0 ? ObjectRef() : ObjectRef(item(i));
}

Ref<Field> Fields::item(int32_t i) {
  if (static_cast<size_t>(i) >= items_.size()) items_.resize(static_cast<size_t>(i) + 1);
  Ref<Field> field = items_[static_cast<size_t>(i)].lock();
  if (!field) {
    field = makeRef<Field>(rs_, i);
    items_[static_cast<size_t>(i)] = field;
  }
  return field;
}

namespace {
[[gnu::noinline]] ClassInfo makeFieldsInfo() {
  return ClassInfo(u"Fields")
      .get<&Fields::Count>(u"Count", {}, u"The number of fields.")
      .get<&Fields::Item>(u"Item", {in(u"Index")},
                          u"The default member: a field by its name (without regard to case) or its position "
                          u"from 0; 3265 for another.")
      .peeksPart<&Fields::itemNamed>()
      .defaultMember(u"Item")
      .partOfParent();
}
}  // namespace

const ClassInfo& Fields::info() {
  return builtOnce<makeFieldsInfo>();
}

namespace {
[[gnu::noinline]] ClassInfo makeFieldInfo() {
  return ClassInfo(u"Field")
      .get<&Field::Name>(u"Name", {}, u"The field's name.")
      .get<&Field::Value>(u"Value", {},
                          u"The default member: the field of the current record, or of the edit during Edit or "
                          u"AddNew; it can be written only then (3020 otherwise). An integer beyond 32 bits is a "
                          u"64-bit integer (VT_I8), whole for a caller that keeps 64-bit integers; a script's "
                          u"Number holds it exactly up to 2^53 and beyond that as the nearest Number. A field "
                          u"given the value it held at Edit is not written.")
      .peeksValue<&Field::peekValue>()
      .let<&Field::letValue>(u"Value", {in(u"Value")})
      .defaultMember(u"Value")
      .partOfParent();
}
}  // namespace

const ClassInfo& Field::info() {
  return builtOnce<makeFieldInfo>();
}

}  // namespace svx::data
