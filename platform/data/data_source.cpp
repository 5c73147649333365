#include "platform/data/data_source.h"

#include <array>

#include "platform/automation/coerce.h"
#include "platform/automation/error.h"
#include "platform/dialogs/message_box.h"

namespace svx::data {

namespace {
void checkRange(int16_t v, int16_t lo, int16_t hi) {
  if (v < lo || v > hi) raise(err::InvalidPropertyValue);
}
}  // namespace

DataSource::~DataSource() { detach(); }

void DataSource::setDefaultCursorType(int16_t v) {
  checkRange(v, 0, 2);
  defaultCursorType_ = v;
}

void DataSource::setDefaultType(int16_t v) {
  checkRange(v, 1, 2);
  defaultType_ = v;
}

void DataSource::setRecordsetType(int16_t v) {
  checkRange(v, 0, 2);
  recordsetType_ = v;
}

void DataSource::detach() {
  if (recordset_ && moveHandle_) recordset_->disconnectMove(moveHandle_);
  moveHandle_ = 0;
  recordset_.reset();
}

void DataSource::close() {
  detach();
  database_.reset();
}

void DataSource::setRecordset(Ref<Recordset> rs) {
  if (rs == recordset_) return;
  detach();
  recordset_ = std::move(rs);
  if (!recordset_) return;
  database_ = recordset_->database();
  WeakRef<DataSource> self(this);
  moveHandle_ = recordset_->onMove([self] {
    if (DataSource* d = self.get()) d->repositioned();
  });
}

void DataSource::refresh() {
  detach();
  database_.reset();
  Ref<Database> db = Database::open({databaseName, readOnly, exclusive}, connectString);
  Ref<Recordset> rs;
  if (!recordSource.empty())
    rs = Recordset::open(db, recordSource, static_cast<RecordsetType>(recordsetType_),
                         (options & dbReadOnly) != 0);
  database_ = db;
  setRecordset(rs);
  if (recordset_) repositioned();
}

// Reposition; then the record that became current is read, and a failure
// to read it is the data control's Error (no call of the system's own code
// is waiting for it).
void DataSource::repositioned() {
  Ref<DataSource> keep(this);
  static const int32_t reposition = info().findEvent(u"Reposition")->dispid;
  if (listensTo(reposition)) raiseEvent(reposition, {});
  if (!recordset_ || recordset_->absolutePosition() < 0) return;
  try {
    recordset_->checkCurrent();
  } catch (const RuntimeError& e) {
    Variant dataErr = Variant::i2(static_cast<int16_t>(e.number()));
    Variant response = Variant::i2(vbDataErrDisplay);
    std::array<Variant, 2> args{Variant::byRef(dataErr), Variant::byRef(response)};
    raiseEvent(info().findEvent(u"Error")->dispid, args);
    // A Response the handler left at vbDataErrDisplay shows the error.
    bool display = false;
    ignoreErrors([&] { display = toI2(response) == vbDataErrDisplay; });
    if (display) ignoreErrors([&] { MsgBox(Variant(e.description()), Variant(vbExclamation)); });
  }
}

namespace {
[[gnu::noinline]] ClassInfo makeDataSourceInfo() {
  return ClassInfo(u"Data").event(u"Reposition", {}).event(u"Error", {u"DataErr", u"Response"});
}
}  // namespace

const ClassInfo& DataSource::info() {
  return builtOnce<makeDataSourceInfo>();
}

}  // namespace svx::data
