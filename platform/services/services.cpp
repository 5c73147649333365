#include "platform/services/services.h"

#include "platform/services/common_dialogs.h"

namespace svx {

void resetServices() {
  screen().reset();
  clipboard().clear();
  app().reset();
  dialogResponder().reset();
  colorDialogs().reset();
  resetBeepCount();
}

}  // namespace svx
