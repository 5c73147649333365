// The form's window: the close box, a person's input and the picture a
// display asks for, all through person:: (the paths of the script's User too).
#include <algorithm>

#include "platform/desktop/display_messages.h"
#include "platform/desktop/message_loop.h"
#include "platform/forms/combo_box.h"
#include "platform/forms/form.h"
#include "platform/forms/input.h"
#include "platform/forms/person.h"
#include "platform/graphics/form_render.h"
#include "platform/graphics/units.h"

namespace svx {

namespace {

double twips(int32_t pixels) { return pixelsToTwips(pixels); }

}  // namespace

LRESULT Form::windowMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!loaded_) return 0;
  Ref<Form> keep(this);
  const auto [px, py] = unpackPoint(lParam);
  switch (msg) {
    case WM_CLOSE:
      if (input::takesInput(*this)) unload(vbFormControlMenu);
      return 0;
    case WM_ACTIVATE:
      // The window became the active one: Activate when the form becomes
      // the active form (not while show() is on its way to raising it).
      if (!showing_) input::formActivated(*this);
      return 0;
    case WM_CANCELMODE:
    case WM_DESTROY:
      // A modal window blocks this one, it is disabled, or it goes: the
      // press in progress ends, the last press is no first half of a double
      // click, an open list closes.
      input::windowBlocked(*this);
      if (auto* combo = dynamic_cast<ComboBox*>(droppedList())) combo->closeList();
      closeEditMenu();
      return 0;
    case WM_PRINTCLIENT:
      if (!lParam) return 0;
      *reinterpret_cast<RenderItem*>(lParam) = picture();
      return 1;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      person::buttonDown(*this, buttonOf(wParam), shiftOf(wParam), twips(px), twips(py),
                       messageLoop().messageTime(hwnd_, msg));
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      person::buttonUp(*this, buttonOf(wParam), shiftOf(wParam), twips(px), twips(py));
      return 0;
    case WM_MOUSEWHEEL:
      person::wheelAt(*this, wheelOf(wParam), twips(px), twips(py));
      return 0;
    case WM_MOUSEMOVE:
      person::pointerMove(*this, buttonOf(wParam), shiftOf(wParam), twips(px), twips(py));
      return 0;
    case WM_KEYDOWN:
      person::keyDownOn(*this, static_cast<int16_t>(wParam), static_cast<int16_t>(lParam));
      return 0;
    case WM_CHAR:
      person::charOn(*this, static_cast<char16_t>(wParam), static_cast<int16_t>(lParam));
      return 0;
    case WM_KEYUP:
      person::keyUpOn(*this, static_cast<int16_t>(wParam), static_cast<int16_t>(lParam));
      return 0;
    case WM_SIZE:
      followWindow(wParam == SIZE_MINIMIZED ? 1 : wParam == SIZE_MAXIMIZED ? 2 : 0, px, py);
      return 0;
    case WM_MOVE:
      if (windowState_ != 1) {
        const FrameInsets f = frame();
        move(twips(px - f.left), twips(py - f.top));
      }
      return 0;
    default:
      return msg >= WM_USER ? onOwnMessage(msg, wParam, lParam) : 0;
  }
}

}  // namespace svx
