#include "platform/dialogs/services.h"

#include "platform/dialogs/common_dialogs.h"

namespace svx {

void resetServices() {
  screen().reset();
  clipboard().clear();
  clipboard().setPrimary({});
  app().reset();
  dialogResponder().reset();
  colorDialogs().reset();
  resetBeepCount();
}

}  // namespace svx
