#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/desktop/message_loop.h"
#include "platform/desktop/win32.h"
#include "platform/dialogs/common_dialogs.h"
#include "platform/dialogs/file_dialogs.h"
#include "platform/dialogs/font_dialog.h"
#include "platform/dialogs/print_dialog.h"
#include "platform/system/screen.h"
#include "tests/platform/dialogs/services_fixture.h"

namespace svx::testing {
namespace {

using Kind = DialogKind;

TEST_F(ServicesTest, ScriptedButtonsAreReturnedInOrder) {
  dialogResponder().queueAnswer(Kind::MessageBox, Variant(vbYes));
  dialogResponder().queueAnswer(Kind::MessageBox, Variant(vbNo));
  EXPECT_EQ(MsgBox(Variant(u"Save?"), Variant(vbYesNo)), vbYes);
  EXPECT_EQ(MsgBox(Variant(u"Really?"), Variant(vbYesNo | vbQuestion), Variant(u"Confirm")), vbNo);
  const auto& shown = dialogResponder().sessions();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].prompt, u"Save?");
  EXPECT_EQ(shown[0].title, u"Sorvanelix");
  EXPECT_EQ(shown[1].buttons, vbYesNo | vbQuestion);
  EXPECT_EQ(shown[1].title, u"Confirm");
  EXPECT_EQ(shown[1].source, AnswerSource::Scripted);
  EXPECT_EQ(dialogResponder().queuedAnswers(), 0u);
}

TEST_F(ServicesTest, CancelGivesVbCancelAndAnEmptyText) {
  dialogResponder().queueCancel(Kind::MessageBox);
  dialogResponder().queueCancel(Kind::InputBox);
  EXPECT_EQ(MsgBox(Variant(u"Go on?"), Variant(vbOKCancel)), vbCancel);
  EXPECT_EQ(InputBox(Variant(u"Name?"), Variant::missing(), Variant(u"default")), u"");
  EXPECT_TRUE(dialogResponder().sessions()[1].cancelled);
}

TEST_F(ServicesTest, TheErrorBoxIsRecordedSystemModalAndClosedAfterwards) {
  const BStr text = u"The Height property has generated the following error: \r\nType mismatch (13)";
  EXPECT_EQ(MsgBox(Variant(text), Variant(0x1030), Variant(u"Error!")), vbOK);
  ASSERT_EQ(dialogResponder().sessions().size(), 1u);
  const ShownBox& box = dialogResponder().sessions()[0];
  EXPECT_EQ(box.prompt, text);
  EXPECT_EQ(box.buttons, vbSystemModal | vbExclamation | vbOKOnly);
  EXPECT_EQ(box.title, u"Error!");
  EXPECT_TRUE(box.topmost);
  EXPECT_EQ(box.source, AnswerSource::Default);
  EXPECT_EQ(box.owner, desktop().applicationWindow());
  EXPECT_FALSE(box.open);
  EXPECT_FALSE(IsWindow(box.window));
}

TEST_F(ServicesTest, WithoutAnAnswerTheDefaultButtonOfTheStyleIsTaken) {
  const struct {
    int32_t style;
    int32_t result;
  } cases[] = {
      {vbOKOnly, vbOK},
      {vbOKCancel | vbDefaultButton2, vbCancel},
      {vbAbortRetryIgnore | vbDefaultButton2, vbRetry},
      {vbAbortRetryIgnore | vbDefaultButton3, vbIgnore},
      {vbYesNoCancel, vbYes},
      {vbYesNoCancel | vbDefaultButton3, vbCancel},
      {vbYesNo | vbDefaultButton2, vbNo},
      {vbYesNo | vbDefaultButton3, vbYes},  // no third button: the first
      {vbRetryCancel | vbDefaultButton4, vbRetry},
      {vbOKOnly | vbDefaultButton2, vbOK},
  };
  for (const auto& c : cases) EXPECT_EQ(MsgBox(Variant(u"?"), Variant(c.style)), c.result) << c.style;
}

TEST_F(ServicesTest, InputBoxRecordsItsArgumentsAndDefaultsToItsDefaultText) {
  dialogResponder().queueAnswer(Kind::InputBox, Variant(u"typed"));
  EXPECT_EQ(InputBox(Variant(u"Name?"), Variant(u"Who"), Variant(u"anon"), Variant(1500), Variant(u"3000")), u"typed");
  EXPECT_EQ(InputBox(Variant(42), Variant::missing(), Variant(u"anon")), u"anon");
  EXPECT_EQ(InputBox(Variant(u"Empty?")), u"");
  const auto& shown = dialogResponder().sessions();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0].title, u"Who");
  EXPECT_EQ(shown[0].defaultText, u"anon");
  EXPECT_EQ(shown[0].xPos, 1500.0);
  EXPECT_EQ(shown[0].yPos, 3000.0);
  EXPECT_EQ(shown[1].prompt, u"42");
  EXPECT_EQ(shown[1].title, u"Sorvanelix");
  EXPECT_FALSE(shown[1].xPos.has_value());
  EXPECT_EQ(shown[1].source, AnswerSource::Default);
}

TEST_F(ServicesTest, ArgumentsAreConvertedBeforeAnyBoxIsShown) {
  EXPECT_EQ(errorOf([] { MsgBox(Variant::null()); }), 94);
  EXPECT_EQ(errorOf([] { MsgBox(Variant(u"x"), Variant(u"abc")); }), 13);
  EXPECT_EQ(errorOf([] { MsgBox(Variant(u"x"), Variant(6)); }), 5);
  EXPECT_EQ(errorOf([] { MsgBox(Variant(u"x"), Variant(0), Variant::null()); }), 94);
  EXPECT_EQ(errorOf([] { InputBox(Variant(u"x"), Variant::missing(), Variant::missing(), Variant(u"left")); }), 13);
  EXPECT_TRUE(dialogResponder().sessions().empty());
  EXPECT_EQ(errorOf([] { dialogResponder().queueAnswer(Kind::MessageBox, Variant(8)); }), 5);
  EXPECT_EQ(errorOf([] { dialogResponder().queueAnswer(Kind::InputBox, Variant::null()); }), 94);
  EXPECT_EQ(dialogResponder().queuedAnswers(), 0u);
}

void answerNoFromTimer(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(0, id);
  dialogResponder().queueAnswer(DialogKind::MessageBox, Variant(vbNo));
}

TEST_F(ServicesTest, AWaitingBoxTakesAnAnswerQueuedByATimerWhileItsLoopRuns) {
  dialogResponder().setWaitForAnswers(true);
  const int64_t start = Clock::nowMs();
  SetTimer(0, 0, 50, answerNoFromTimer);
  EXPECT_EQ(MsgBox(Variant(u"Later?"), Variant(vbYesNo)), vbNo);
  EXPECT_GE(Clock::nowMs() - start, 50);
  EXPECT_EQ(dialogResponder().sessions()[0].source, AnswerSource::Scripted);
}

TEST_F(ServicesTest, AWaitingBoxWithNothingLeftToWaitForTakesItsDefault) {
  dialogResponder().setWaitForAnswers(true);
  EXPECT_EQ(MsgBox(Variant(u"Anyone?"), Variant(vbYesNo | vbDefaultButton2)), vbNo);
  EXPECT_EQ(dialogResponder().sessions()[0].source, AnswerSource::Default);
}

TEST_F(ServicesTest, PendingWorkIsServedWhileTheBoxIsOpenAndItsOwnerIsDisabled) {
  WindowSpec spec;
  spec.className = "Form";
  spec.style = WS_OVERLAPPED | WS_VISIBLE;
  const HWND form = desktop().createWindow(spec);
  desktop().userActivates(form);
  bool sawBox = false;
  messageLoop().postTask([&] {
    const ShownBox* box = dialogResponder().openSession();
    ASSERT_NE(box, nullptr);
    sawBox = true;
    EXPECT_EQ(box->owner, form);
    EXPECT_FALSE(IsWindowEnabled(form));
    EXPECT_TRUE(IsWindowVisible(box->window));
    dialogResponder().queueAnswer(Kind::MessageBox, Variant(vbRetry));
  });
  EXPECT_EQ(MsgBox(Variant(u"Disk?"), Variant(vbRetryCancel)), vbRetry);
  EXPECT_TRUE(sawBox);
  EXPECT_TRUE(IsWindowEnabled(form));
  EXPECT_EQ(GetActiveWindow(), form);
  EXPECT_EQ(dialogResponder().openSession(), nullptr);
}

TEST_F(ServicesTest, NestedBoxesTakeTheAnswersOfTheirOwnKind) {
  dialogResponder().queueAnswer(Kind::InputBox, Variant(u"inner"));
  dialogResponder().queueAnswer(Kind::MessageBox, Variant(vbIgnore));
  BStr inner;
  messageLoop().postTask([&] { inner = InputBox(Variant(u"Nested")); });
  EXPECT_EQ(MsgBox(Variant(u"Outer"), Variant(vbAbortRetryIgnore)), vbIgnore);
  EXPECT_EQ(inner, u"inner");
  const auto& shown = dialogResponder().sessions();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1].kind, Kind::InputBox);
  EXPECT_EQ(shown[1].owner, shown[0].window);  // the active window then
}

TEST_F(ServicesTest, ABoxWhoseWindowIsDestroyedCountsAsCancelled) {
  dialogResponder().setWaitForAnswers(true);
  messageLoop().postTask([] { DestroyWindow(dialogResponder().openSession()->window); });
  EXPECT_EQ(MsgBox(Variant(u"Gone"), Variant(vbOKCancel)), vbCancel);
  EXPECT_EQ(dialogResponder().sessions()[0].source, AnswerSource::Closed);
  EXPECT_TRUE(IsWindowEnabled(desktop().applicationWindow()));
}

void ignoreTick(HWND, UINT, UINT_PTR, DWORD) {}

TEST_F(ServicesTest, ALoopFailureEndsTheBoxCleanlyAndReachesTheCaller) {
  dialogResponder().setWaitForAnswers(true);
  messageLoop().setModalTimeLimit(1000);
  SetTimer(0, 0, 100, ignoreTick);  // keeps the box waiting, never answers
  EXPECT_EQ(errorOf([] { MsgBox(Variant(u"Stuck")); }), 5);
  const ShownBox& box = dialogResponder().sessions().at(0);
  EXPECT_EQ(box.source, AnswerSource::Closed);
  EXPECT_FALSE(box.open);
  EXPECT_FALSE(IsWindow(box.window));
  EXPECT_TRUE(IsWindowEnabled(desktop().applicationWindow()));
  EXPECT_EQ(dialogResponder().openSession(), nullptr);
}

}  // namespace
}  // namespace svx::testing

namespace svx::testing {
namespace {

// Where each box of a run opened (pixels, the whole window).
std::vector<WindowRect> boxPlaces(const std::function<void()>& run) {
  std::vector<WindowRect> places;
  dialogResponder().setWaitForAnswers(true);
  messageLoop().setIdleHook([&places] {
    const ShownBox* box = dialogResponder().openSession();
    if (box && places.size() < dialogResponder().sessions().size()) places.push_back(desktop().find(box->window)->rect);
    return false;
  });
  run();
  messageLoop().setIdleHook({});
  return places;
}

TEST_F(ServicesTest, BoxesOpenCentredOverTheirOwnerWhileItIsOnTheScreen) {
  WindowSpec spec;
  spec.className = "Owner";
  spec.rect = {200, 150, 600, 400};
  const HWND owner = desktop().createWindow(spec);
  desktop().showWindow(owner, SW_SHOW);
  const std::vector<WindowRect> over = boxPlaces([] {
    MsgBox(Variant(u"Over the owner"));
    InputBox(Variant(u"Over the owner"));
    InputBox(Variant(u"Where asked"), Variant::missing(), Variant::missing(), Variant(1500), Variant(3000));
  });
  ASSERT_EQ(over.size(), 3u);
  for (int i = 0; i < 2; ++i) {
    EXPECT_NEAR(over[i].x + over[i].cx / 2.0, 200 + 600 / 2, 1) << i;
    EXPECT_NEAR(over[i].y + over[i].cy / 2.0, 150 + 400 / 2, 1) << i;
  }
  EXPECT_EQ(over[2].x, 100);
  EXPECT_EQ(over[2].y, 200);

  // Near the screen's edge the box stays on the screen; a hidden owner leaves
  // it centred on the screen.
  SetWindowPos(owner, 0, -500, -300, 600, 400, SWP_NOZORDER | SWP_NOACTIVATE);
  const int screenW = static_cast<int>(screen().width() / screen().twipsPerPixelX());
  const int screenH = static_cast<int>(screen().height() / screen().twipsPerPixelY());
  const std::vector<WindowRect> edge = boxPlaces([] { MsgBox(Variant(u"At the edge")); });
  ASSERT_EQ(edge.size(), 1u);
  EXPECT_EQ(edge[0].x, 0);
  EXPECT_EQ(edge[0].y, 0);
  desktop().showWindow(owner, SW_HIDE);
  const std::vector<WindowRect> screenCentred = boxPlaces([] { MsgBox(Variant(u"On the screen")); });
  ASSERT_EQ(screenCentred.size(), 1u);
  EXPECT_EQ(screenCentred[0].x, (screenW - screenCentred[0].cx) / 2);
  EXPECT_EQ(screenCentred[0].y, (screenH - screenCentred[0].cy) / 2);
}

}  // namespace
}  // namespace svx::testing

namespace svx::testing {
namespace {

// resetServices empties every provider of boxes and common dialogs: answers
// queued by one test never reach the dialogs of the next.
TEST_F(ServicesTest, ResetServicesForgetsTheAnswersOfEveryProvider) {
  dialogResponder().queueAnswer(DialogKind::MessageBox, Variant(vbYes));
  colorDialogs().queueCancel();
  fontDialogs().queueOk();
  fileDialogs().queueCancel(FileDialogKind::Save);
  printDialogs().queueCancel();
  resetServices();
  EXPECT_EQ(dialogResponder().queuedAnswers(), 0u);
  EXPECT_EQ(colorDialogs().queuedAnswers(), 0u);
  EXPECT_EQ(fontDialogs().queuedAnswers(), 0u);
  EXPECT_EQ(fileDialogs().queuedAnswers(FileDialogKind::Save), 0u);
  EXPECT_EQ(printDialogs().queuedAnswers(), 0u);
}

}  // namespace
}  // namespace svx::testing
