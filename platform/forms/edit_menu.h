// The context menu of a text field (a text box, an editable combo box, the
// input box's field): Undo, Cut, Copy, Paste, Delete and Select All, each
// greyed while it cannot act on the field (TextEdit::canDo). Like a combo
// box's dropped list it lies over its window, drawn above everything, and
// takes the person's input while it is open (a form's through person.cpp, the
// input box's in its window): the arrow keys mark an item, an access letter
// or Return chooses one, Escape closes; a click on an item chooses it, a
// press elsewhere closes it with nothing changed. On a form it closes with
// the focus of its field, when the field is hidden, disabled or unloaded,
// and when a modal window blocks the form.
#pragma once

#include <array>
#include <functional>

#include "platform/forms/text_edit.h"
#include "platform/graphics/form_render.h"

namespace svx {

class EditMenu {
 public:
  struct Entry {
    const char16_t* caption;  // '&' marks the access key; empty: a separator
    EditCommand command;
  };
  static constexpr std::array<Entry, 8> kEntries = {{
      {u"&Undo", EditCommand::Undo},
      {u"", EditCommand::None},
      {u"Cu&t", EditCommand::Cut},
      {u"&Copy", EditCommand::Copy},
      {u"&Paste", EditCommand::Paste},
      {u"&Delete", EditCommand::Delete},
      {u"", EditCommand::None},
      {u"Select &All", EditCommand::SelectAll},
  }};

  // Whether the field can act on a command now.
  using CanDo = std::function<bool(EditCommand)>;
  // Opens with its top-left corner at (x, y) of the window's client area
  // (twips), moved left or up so that it stays inside a client area
  // `clientWidth` x `clientHeight` when it can, and against the client
  // area's far edge where it fits on neither side of the point. Which items can act is
  // asked once, here, as the menu opens (the clipboard's owner may be
  // another program).
  EditMenu(const CanDo& canDo, double x, double y, double clientWidth, double clientHeight);

  static EditCommand command(int entry) { return kEntries[static_cast<std::size_t>(entry)].command; }
  RenderRect rect() const { return rect_; }
  bool contains(double x, double y) const;
  // The entry at a point of the form's client area (-1: none, or a separator).
  int entryAt(double x, double y) const;
  // Whether an entry can act (as the menu opened).
  bool enabled(int entry) const;
  int marked() const { return marked_; }
  void mark(int entry) { marked_ = entry; }
  // Marks the next item down (or up), past the separators, round the end.
  void markNext(bool down);
  // The entry whose access key is `key` (any case; -1: none).
  static int entryOfKey(char16_t key);
  // What a key or a typed character does while the menu is open: the
  // arrows mark an item; Return on an item that can act, or its access
  // letter, chooses it (the entry is returned); Escape, Alt and F10 close
  // the menu (kClose); anything else does nothing (kNothing).
  static constexpr int kNothing = -1, kClose = -2;
  int key(int16_t keyCode);
  int character(int16_t ascii);
  RenderItem picture() const;

 private:
  std::array<bool, kEntries.size()> enabled_{};
  RenderRect rect_;
  int marked_ = -1;
};

}  // namespace svx
