// The runtime's MsgBox and InputBox, answered by a scripted user, and Beep.
//
// Each box is modal: it creates a window owned by the active window (else
// the application window), centred over it while it is on the screen,
// disables the owner, runs the message loop until
// it has an answer, then destroys its window, re-enables the owner and
// reactivates the window that was active. Messages and timers go on being
// served while it is open, so code run meanwhile may queue its answer.
//
// Answers come from dialogResponder(): a queue of what the user does, taken
// in order, each by the next box of its kind. The rule for a box:
// - an answer queued for its kind (before it opened or while it is open) is
//   taken on the loop's next pass, after what was already pending;
// - otherwise the user takes the box's default: OK / the default button of
//   the style (vbDefaultButton1..4 choose the first..fourth button, the first
//   when the box has fewer) for a MsgBox, OK with the default text for an
//   InputBox. By default this happens at once. With setWaitForAnswers(true)
//   the box waits for an answer and takes its default only when nothing is
//   left that could give one (nothing queued, no timer running).
// A scripted cancel gives vbCancel (2) for a MsgBox and "" for an InputBox;
// a box whose window is destroyed from outside counts as cancelled.
// While a display shows the box (display.h), nobody takes its default: it
// waits for a person, who clicks a button, types into the input box's field
// (which edits as a text box does, its default text selected at first),
// presses Enter (the button with the focus, else the default one), Esc
// (Cancel) or the letter of a button ("&Yes", "&No", "&Abort", "&Retry",
// "&Ignore"; alone or with Alt), moves the focus with Tab or, among the
// buttons, the arrow keys (the default follows it), or closes it (Cancel;
// OK for a box with OK alone).
// Every box shown is recorded, with what was passed and how it ended.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>

#include "platform/automation/variant.h"
#include "platform/desktop/dialog_provider.h"
#include "platform/desktop/win32.h"

namespace svx {

struct BoxPerson;

// MsgBox style word: button set (low 4 bits), icon, default button, modality.
inline constexpr int32_t vbOKOnly = 0;
inline constexpr int32_t vbOKCancel = 1;
inline constexpr int32_t vbAbortRetryIgnore = 2;
inline constexpr int32_t vbYesNoCancel = 3;
inline constexpr int32_t vbYesNo = 4;
inline constexpr int32_t vbRetryCancel = 5;
inline constexpr int32_t vbCritical = 16;
inline constexpr int32_t vbQuestion = 32;
inline constexpr int32_t vbExclamation = 48;
inline constexpr int32_t vbInformation = 64;
inline constexpr int32_t vbDefaultButton1 = 0;
inline constexpr int32_t vbDefaultButton2 = 256;
inline constexpr int32_t vbDefaultButton3 = 512;
inline constexpr int32_t vbDefaultButton4 = 768;
inline constexpr int32_t vbApplicationModal = 0;
inline constexpr int32_t vbSystemModal = 4096;

// MsgBox results.
inline constexpr int32_t vbOK = 1;
inline constexpr int32_t vbCancel = 2;
inline constexpr int32_t vbAbort = 3;
inline constexpr int32_t vbRetry = 4;
inline constexpr int32_t vbIgnore = 5;
inline constexpr int32_t vbYes = 6;
inline constexpr int32_t vbNo = 7;

enum class DialogKind { MessageBox, InputBox };

// How a box ended.
enum class AnswerSource { None, Scripted, Default, Closed, Person };

struct ShownBox {
  DialogKind kind = DialogKind::MessageBox;
  BStr prompt;
  int32_t buttons = 0;  // MsgBox style word
  BStr title;
  BStr defaultText;             // InputBox
  std::optional<double> xPos;   // InputBox, twips from the screen's left edge
  std::optional<double> yPos;   // InputBox, twips from the screen's top edge
  HWND window = 0;
  HWND owner = 0;
  bool topmost = false;  // system-modal
  bool open = false;
  AnswerSource source = AnswerSource::None;
  bool cancelled = false;
  int32_t button = 0;  // MsgBox result
  BStr text;           // InputBox result
};

// What a scripted user does in the next box of its kind.
struct BoxAnswer {
  explicit BoxAnswer(DialogKind k, bool c = false) : kind(k), cancel(c) {}
  DialogKind kind;
  bool cancel = false;
  int32_t button = 0;
  BStr text;
};

// The boxes' provider: sessions() are the boxes, in the order shown.
class DialogResponder : public DialogProvider<BoxAnswer, ShownBox> {
 public:
  // Queues the user's next action in a box of `kind`: for a MessageBox the
  // button pressed (a Long 1..7, else 5 is raised), for an InputBox the text
  // entered and confirmed (converted to a String).
  void queueAnswer(DialogKind kind, const Variant& value);
  void queueCancel(DialogKind kind);
  void setWaitForAnswers(bool wait) { wait_ = wait; }

  // Shows a box described by `box` and returns its record once it has ended.
  const ShownBox& show(ShownBox box);

 private:
  using DialogProvider::queue;  // answers are checked on the way in
  void resetOwn() override;
  bool takeQueued(std::size_t index);
  LRESULT personAt(std::size_t index, BoxPerson& person, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void apply(std::size_t index, const BoxAnswer& a, AnswerSource source);
  void applyDefault(std::size_t index);

  bool wait_ = false;
};

DialogResponder& dialogResponder();

// MsgBox(prompt, [buttons], [title]): prompt converted with CStr (Null
// raises 94), buttons with CLng (omitted: vbOKOnly; a button set above 5
// raises 5), title with CStr (omitted: the application title). Returns the
// button pressed.
int32_t MsgBox(const Variant& prompt, const Variant& buttons = Variant::missing(),
               const Variant& title = Variant::missing());

// InputBox(prompt, [title], [default], [xpos], [ypos]): texts as MsgBox, the
// position in twips (converted with CDbl; omitted: centred over the owner
// while it is on the screen, else centred across, a third down). Returns the
// text entered, "" when cancelled.
BStr InputBox(const Variant& prompt, const Variant& title = Variant::missing(),
              const Variant& defaultText = Variant::missing(), const Variant& xPos = Variant::missing(),
              const Variant& yPos = Variant::missing());

}  // namespace svx
