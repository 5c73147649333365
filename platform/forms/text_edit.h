// The editing of text shared by text boxes, editable combo boxes and the
// input box's field: the text and a selection kept as an anchor and a caret
// (the end that moves). Typed characters and editing keys act on them; what a
// key means comes from one table (editKeyOf). Copy, cut and paste go through
// the runtime's clipboard (the CLIPBOARD selection on X11), and a selection
// made by a person is offered as the primary selection, which a middle click
// pastes.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/automation/variant.h"

namespace svx {

enum class EditCommand {
  None,
  // Moves of the caret (with Shift they extend the selection).
  CharLeft,
  CharRight,
  WordLeft,
  WordRight,
  LineStart,
  LineEnd,
  TextStart,
  TextEnd,
  LineUp,
  LineDown,
  PageUp,    // a page (the lines a box shows) up or down, at the same place across
  PageDown,
  // The rest.
  SelectAll,
  Copy,
  Cut,
  Paste,
  Delete,
  Undo,  // undoes the last edit; a second Undo redoes it
};

struct EditKey {
  EditCommand command = EditCommand::None;
  bool extend = false;  // a move with Shift: the anchor stays
};

// What a key (the runtime's key code, shift state 1 Shift, 2 Ctrl, 4 Alt)
// means to a field; None for a key that is no editing key.
EditKey editKeyOf(int16_t keyCode, int16_t shift);

// Where a move by line takes the caret from `index` (LineStart, LineEnd,
// LineUp, LineDown, PageUp, PageDown); a field without one is a single line.
using LineMoves = std::function<int32_t(int32_t index, EditCommand move)>;

// What a field allows.
struct EditRules {
  bool readOnly = false;   // locked: the caret moves, text is selected and copied, never changed
  bool secret = false;     // a password: no text leaves the field
  bool multiLine = false;  // Enter and pasted line breaks start new lines
  int32_t maxLength = 0;   // characters the person may bring the text to; 0: no limit
};

// The text, the selection, and one level of undo: the text and selection
// before the last edit (consecutive typed characters are one edit), which
// Undo swaps with the present ones, so that a second Undo redoes.
struct TextEdit {
  BStr text;
  int32_t anchor = 0;
  int32_t caret = 0;

  int32_t selStart() const { return anchor < caret ? anchor : caret; }
  int32_t selLength() const { return anchor < caret ? caret - anchor : anchor - caret; }
  BStr selected() const { return text.substr(static_cast<std::size_t>(selStart()), static_cast<std::size_t>(selLength())); }
  // Both ends are clamped into the text.
  void select(int32_t from, int32_t to);
  void selectAll() { select(0, static_cast<int32_t>(text.size())); }
  // The SelStart and SelLength properties (5 for a negative value): SelStart
  // collapses the selection there, SelLength extends it from SelStart.
  void setSelStart(int32_t v);
  void setSelLength(int32_t v);
  void clampSelection() { select(anchor, caret); }
  // Replaces the selection with `s`; the caret follows it.
  void replaceSelection(BStrView s);
  // Selects the word (or run of spaces or other marks) at `index`.
  void selectWordAt(int32_t index);

  // A typed character: it replaces the selection (backspace deletes);
  // true when the text changed. A character beyond 16 bits comes as its
  // two UTF-16 halves, one call each: the first is held, and the pair goes
  // in whole with the second (a half alone is dropped).
  bool type(int16_t ascii, const EditRules& rules);
  // An editing key; true when the text changed.
  bool apply(EditKey key, const EditRules& rules, const LineMoves& lines = {});
  // A middle click: the caret to `index`, and the primary selection pasted
  // there; true when the text changed.
  bool pastePrimaryAt(int32_t index, const EditRules& rules);
  // Offers a selection the person made as the primary selection.
  void offerSelection(const EditRules& rules) const;

  // Whether Undo would change the text; forgetting the undo (the text set
  // by the program).
  bool canUndo(const EditRules& rules) const { return hasUndo_ && !rules.readOnly; }
  void forgetUndo() { hasUndo_ = typing_ = false; undoText_.clear(); pendingHigh_ = 0; }
  // Whether a command of the context menu can act now (Undo, Cut, Copy,
  // Paste, Delete, SelectAll).
  bool canDo(EditCommand c, const EditRules& rules) const;

 private:
  bool insert(BStrView s, const EditRules& rules);
  // Keeps the text and selection before an edit for Undo.
  void keepForUndo();
  int32_t moved(EditCommand move, const LineMoves& lines) const;
  BStr undoText_;
  int32_t undoAnchor_ = 0, undoCaret_ = 0;
  bool hasUndo_ = false;
  bool typing_ = false;     // the last edit was typing that ended at typedEnd_
  int32_t typedEnd_ = 0;
  char16_t pendingHigh_ = 0;  // the first half of a character typed in two
};

}  // namespace svx
