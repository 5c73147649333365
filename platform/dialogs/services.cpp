#include "platform/dialogs/services.h"

#include "platform/dialogs/common_dialogs.h"
#include "platform/dialogs/file_dialogs.h"
#include "platform/dialogs/font_dialog.h"
#include "platform/dialogs/print_dialog.h"

namespace svx {

void resetServices() {
  screen().reset();
  clipboard().clear();
  clipboard().setPrimary({});
  app().reset();
  dialogResponder().reset();
  colorDialogs().reset();
  fontDialogs().reset();
  fileDialogs().reset();
  printDialogs().reset();
  resetBeepCount();
}

}  // namespace svx
