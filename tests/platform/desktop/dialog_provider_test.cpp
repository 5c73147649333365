// The skeleton every box and dialog provider shares: answers taken in order
// (the first that fits), sessions found by index while nested dialogs grow
// the list, and the open stack kept right however a dialog ends.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/desktop/dialog_provider.h"

namespace svx {
namespace {

struct Answer {
  int kind = 0;
  std::string text;
};

struct Session {
  std::string name;
  bool open = false;
  int closings = 0;
};

class Provider : public DialogProvider<Answer, Session> {
 public:
  using DialogProvider::countAnswers;
  using DialogProvider::openIndexes;
  using DialogProvider::record;
  using DialogProvider::take;
  using DialogProvider::takeFirst;
  int resets = 0;

 private:
  void resetOwn() override { ++resets; }
};

TEST(DialogProvider, AnswersAreTakenInOrderTheFirstThatFits) {
  Provider p;
  for (const Answer& a : {Answer{1, "a"}, Answer{2, "b"}, Answer{1, "c"}, Answer{2, "d"}}) p.queue(a);
  auto ofKind = [](int kind) { return [kind](const Answer& a) { return a.kind == kind; }; };
  EXPECT_EQ(p.countAnswers(ofKind(2)), 2u);
  EXPECT_EQ(p.takeFirst(ofKind(2))->text, "b");
  EXPECT_EQ(p.takeFirst(ofKind(1))->text, "a");
  EXPECT_EQ(p.take()->text, "c");
  EXPECT_FALSE(p.takeFirst(ofKind(1)));
  EXPECT_EQ(p.queuedAnswers(), 1u);
  EXPECT_EQ(p.take()->text, "d");
  EXPECT_FALSE(p.take());
}

TEST(DialogProvider, NestedSessionsLeaveTheStackHoweverTheyEnd) {
  Provider p;
  EXPECT_EQ(p.openSession(), nullptr);
  const std::size_t outer = p.record(Session{"outer"});
  {
    const Provider::Opened openOuter(p, outer, [](Session& s) { ++s.closings; });
    EXPECT_EQ(p.openSession()->name, "outer");
    EXPECT_TRUE(p.session(outer).open);
    // A dialog opened inside grows the list; the outer one is found again
    // by its index, and an end by an error closes the inner one all the same.
    EXPECT_THROW(
        {
          const std::size_t inner = p.record(Session{"inner"});
          const Provider::Opened openInner(p, inner);
          EXPECT_EQ(p.openSession()->name, "inner");
          EXPECT_EQ(p.openIndexes().size(), 2u);
          throw std::runtime_error("the dialog failed");
        },
        std::runtime_error);
    EXPECT_FALSE(p.sessions()[1].open);
    EXPECT_EQ(p.openSession()->name, "outer");
  }
  EXPECT_EQ(p.openSession(), nullptr);
  EXPECT_FALSE(p.sessions()[0].open);
  EXPECT_EQ(p.sessions()[0].closings, 1);
}

TEST(DialogProvider, ResetForgetsAnswersAndSessionsThenTheProvidersOwnState) {
  Provider p;
  p.queue(Answer{1, "a"});
  p.record(Session{"one"});
  p.reset();
  EXPECT_EQ(p.queuedAnswers(), 0u);
  EXPECT_TRUE(p.sessions().empty());
  EXPECT_EQ(p.resets, 1);
}

}  // namespace
}  // namespace svx
