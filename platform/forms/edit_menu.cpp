#include "platform/forms/edit_menu.h"

#include <algorithm>
#include <cwctype>

#include "platform/graphics/access_key.h"
#include "platform/graphics/units.h"

namespace svx {

namespace {

bool isSeparator(int entry) { return EditMenu::kEntries[static_cast<std::size_t>(entry)].command == EditCommand::None; }

// The entry's top and height in the menu (pixels from its top edge).
std::pair<int, int> entryBand(int entry) {
  int y = RenderMenuFrame;
  for (int i = 0; i < entry; ++i) y += isSeparator(i) ? RenderMenuSeparatorHeight : RenderMenuItemHeight;
  return {y, isSeparator(entry) ? RenderMenuSeparatorHeight : RenderMenuItemHeight};
}

}  // namespace

EditMenu::EditMenu(const CanDo& canDo, double x, double y, double clientWidth, double clientHeight) {
  for (int i = 0; i < static_cast<int>(kEntries.size()); ++i)
    enabled_[static_cast<std::size_t>(i)] = !isSeparator(i) && canDo && canDo(command(i));
  const auto [lastTop, lastHeight] = entryBand(static_cast<int>(kEntries.size()) - 1);
  const double w = pixelsToTwips(RenderMenuWidth), h = pixelsToTwips(lastTop + lastHeight + RenderMenuFrame);
  // Left of the point, or above it, where there is no room to the right or
  // below; where there is room on neither side, against the far edge, so that
  // as much of it as the client area holds shows (a small window's field).
  auto place = [](double at, double size, double room) {
    if (at + size <= room) return at;
    return at - size >= 0 ? at - size : std::max(0.0, room - size);
  };
  rect_ = {place(std::max(0.0, x), w, clientWidth), place(std::max(0.0, y), h, clientHeight), w, h};
}

bool EditMenu::contains(double x, double y) const {
  return x >= rect_.left && y >= rect_.top && x < rect_.left + rect_.width && y < rect_.top + rect_.height;
}

int EditMenu::entryAt(double x, double y) const {
  if (!contains(x, y)) return -1;
  const double py = twipsToPixels(y - rect_.top);
  for (int i = 0; i < static_cast<int>(kEntries.size()); ++i) {
    const auto [top, height] = entryBand(i);
    if (py >= top && py < top + height) return isSeparator(i) ? -1 : i;
  }
  return -1;
}

bool EditMenu::enabled(int entry) const {
  if (entry < 0 || entry >= static_cast<int>(kEntries.size()) || isSeparator(entry)) return false;
  return enabled_[static_cast<std::size_t>(entry)];
}

int EditMenu::key(int16_t keyCode) {
  switch (keyCode) {
    case 38:  // up
    case 40:  // down
      markNext(keyCode == 40);
      return kNothing;
    case 13:
      return enabled(marked_) ? marked_ : kNothing;
    case 27:   // Escape
    case 18:   // Alt
    case 121:  // F10
      return kClose;
    default:
      return kNothing;
  }
}

int EditMenu::character(int16_t ascii) {
  const int entry = ascii > 0 ? entryOfKey(static_cast<char16_t>(ascii)) : -1;
  if (entry < 0) return kNothing;
  marked_ = entry;
  return enabled(entry) ? entry : kNothing;
}

void EditMenu::markNext(bool down) {
  const int n = static_cast<int>(kEntries.size());
  int at = marked_ < 0 ? (down ? -1 : n) : marked_;
  do {
    at = (at + (down ? 1 : -1) + n) % n;
  } while (isSeparator(at));
  marked_ = at;
}

int EditMenu::entryOfKey(char16_t key) {
  const auto upper = static_cast<char16_t>(std::towupper(static_cast<wint_t>(key)));
  for (int i = 0; i < static_cast<int>(kEntries.size()); ++i)
    if (!isSeparator(i) && accessKeyOf(kEntries[static_cast<std::size_t>(i)].caption) == upper) return i;
  return -1;
}

RenderItem EditMenu::picture() const {
  RenderItem item;
  item.kind = RenderKind::Menu;
  item.rect = rect_;
  for (int i = 0; i < static_cast<int>(kEntries.size()); ++i) {
    item.items.emplace_back(kEntries[static_cast<std::size_t>(i)].caption);
    item.itemGreyed.push_back(!isSeparator(i) && !enabled(i));
  }
  item.selectedIndex = marked_;
  item.foreColor = vbButtonText;
  item.backColor = vbButtonFace;
  return item;
}

}  // namespace svx
