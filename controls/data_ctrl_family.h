// The DataCtrl family: data controls (DataControl elements) bound to a
// database, declared on the form's class table.
#pragma once

namespace svx {

class ClassInfo;

// LoadDataCtrl, UnloadDataCtrl, GetDataCtrl, SetDataCtrl, DataCtrlObject and
// DataCtrlOpenData.
void declareDataCtrlFamily(ClassInfo& ci);

}  // namespace svx
