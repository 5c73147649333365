// The file filters as a script writes them: NULs for the single-file Open
// and Save dialogs, "|" for the multi-select Open dialog; each reaches its
// dialog as two entries.
#include <gtest/gtest.h>

#include <sstream>

#include "dialog/dialog.h"
#include "dialog/dialog_form_api.h"
#include "host/script_host.h"
#include "platform/desktop/clock.h"
#include "platform/desktop/desktop.h"
#include "platform/dialogs/file_dialogs.h"

namespace svx {
namespace {

TEST(FileFilterScript, NulsForTheSingleFileDialogsAndBarsForTheMultiSelectOne) {
  Clock::useVirtualTime();
  desktop().reset();
  fileDialogs().reset();
  registerDialogForm();
  Dialog::registerProgId();
  fileDialogs().queueAnswer(FileDialogKind::Open, u"/tmp/a.txt");
  fileDialogs().queueAnswer(FileDialogKind::Save, u"/tmp/b.txt");
  const char* script = R"(
var dlg = new ActiveXObject('Sorvanelix.Dialog');
var err = new Ref(0), desc = new Ref(''), file = new Ref(''), files = new Ref('');
dlg.CommonDialogShowOpen('/tmp', 'Text files (*.txt)\0*.txt\0All files\0*', 'Open', file,
                         Named({lngErrNumber: err, strErrDescription: desc}));
dlg.CommonDialogShowSave('/tmp', 'Text files (*.txt)\0*.txt', 'Save', file, Missing, err, desc);
dlg.CommonDialogShowOpen('/tmp', 'Text files (*.txt)|*.txt|All files|*', 'Open', files,
                         Named({boolMultiSelect: true, lngErrNumber: err, strErrDescription: desc}));
)";
  std::ostringstream out, err;
  {
    host::ScriptHost host(out, err);
    EXPECT_EQ(host.run(script, "filters.js", {}), 0);
  }
  EXPECT_EQ(err.str(), "");
  const auto& sessions = fileDialogs().sessions();
  ASSERT_EQ(sessions.size(), 3u);
  const std::vector<std::pair<std::u16string, std::u16string>> twoEntries = {{u"Text files (*.txt)", u"*.txt"},
                                                                            {u"All files", u"*"}};
  for (size_t i : {0u, 2u}) {
    std::vector<std::pair<std::u16string, std::u16string>> got;
    for (const FilterEntry& f : sessions[i].filters) got.emplace_back(f.description, f.pattern);
    EXPECT_EQ(got, twoEntries) << i;
  }
  ASSERT_EQ(sessions[1].filters.size(), 1u);
  EXPECT_EQ(sessions[1].filters[0].pattern, u"*.txt");
  fileDialogs().reset();
  desktop().reset();
  Clock::useRealTime();
}

}  // namespace
}  // namespace svx
