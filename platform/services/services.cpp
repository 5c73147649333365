#include "platform/services/services.h"

namespace svx {

void resetServices() {
  screen().reset();
  clipboard().clear();
  app().reset();
  dialogResponder().reset();
  resetBeepCount();
}

}  // namespace svx
