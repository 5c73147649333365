// The context menu of a text field (a text box, an editable combo box):
// Undo, Cut, Copy, Paste, Delete and Select All, each greyed while it cannot
// act on the field (TextEdit::canDo). Like a combo box's dropped list it
// lies over the form, drawn above every control, and takes the person's
// input while it is open (user.cpp routes the pointer and the keys to it):
// the arrow keys mark an item, an access letter or Return chooses one,
// Escape closes; a click on an item chooses it, a press elsewhere closes it
// with nothing changed. It closes with the focus of its field, when the
// field is hidden, disabled or unloaded, and when a modal window blocks the
// form.
#pragma once

#include <array>

#include "platform/forms/control.h"
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

  // Opens for `field` with its top-left corner at (x, y) of the form's
  // client area (twips), moved left or up so that it stays inside a client
  // area `clientWidth` x `clientHeight` when it can.
  EditMenu(Control& field, double x, double y, double clientWidth, double clientHeight);

  Control* field() const { return field_.get(); }
  RenderRect rect() const { return rect_; }
  bool contains(double x, double y) const;
  // The entry at a point of the form's client area (-1: none, or a separator).
  int entryAt(double x, double y) const;
  // Whether an entry can act now.
  bool enabled(int entry) const;
  int marked() const { return marked_; }
  void mark(int entry) { marked_ = entry; }
  // Marks the next item down (or up), past the separators, round the end.
  void markNext(bool down);
  // The entry whose access key is `key` (any case; -1: none).
  static int entryOfKey(char16_t key);
  RenderItem picture() const;

 private:
  WeakRef<Control> field_;
  RenderRect rect_;
  int marked_ = -1;
};

}  // namespace svx
