// The data control: opens the database that its properties name and builds
// a recordset over its RecordSource on Refresh; raises Reposition after every
// move of that recordset and Error when the record it moved to cannot be
// read. Never shown.
#pragma once

#include "platform/data/recordset.h"

namespace svx::data {

// Response values of the Error event.
inline constexpr int16_t vbDataErrContinue = 0;
inline constexpr int16_t vbDataErrDisplay = 1;

class DataSource : public Object {
 public:
  DataSource() = default;
  ~DataSource() override;
  static const ClassInfo& info();
  const ClassInfo& classInfo() const override { return info(); }

  // Properties (the Lets check their ranges: 380 otherwise).
  BStr connectString = u"Access 2000;";
  BStr databaseName;
  BStr recordSource;
  BStr caption = u"Data1";
  int16_t defaultCursorType() const { return defaultCursorType_; }
  void setDefaultCursorType(int16_t v);
  int16_t defaultType() const { return defaultType_; }
  void setDefaultType(int16_t v);
  bool exclusive = false;
  int16_t options = 0;
  bool readOnly = false;
  int16_t recordsetType() const { return recordsetType_; }
  void setRecordsetType(int16_t v);

  const Ref<Database>& database() const { return database_; }
  const Ref<Recordset>& recordset() const { return recordset_; }
  // Binds the control to a recordset (none allowed); Reposition follows its
  // moves from then on.
  void setRecordset(Ref<Recordset> rs);
  int16_t editMode() const { return recordset_ ? recordset_->editMode() : dbEditNone; }

  // Opens the database and the recordset from the current properties and
  // raises Reposition for the first record. On failure the control is left
  // without database and recordset and the error reaches the caller.
  void refresh();

  // Lets go of the recordset and the database (and so of the file).
  void close();

  // The dbReadOnly bit of Options.
  static constexpr int16_t dbReadOnly = 4;

 private:
  void repositioned();
  void detach();

  int16_t defaultCursorType_ = 0;
  int16_t defaultType_ = 2;
  int16_t recordsetType_ = 1;
  Ref<Database> database_;
  Ref<Recordset> recordset_;
  int32_t moveHandle_ = 0;
};

}  // namespace svx::data
