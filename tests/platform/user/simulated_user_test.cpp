#include "platform/user/simulated_user.h"

#include <array>

#include "platform/forms/text_box.h"
#include "tests/platform/forms/forms_fixture.h"

namespace svx::testing {
namespace {

class SimulatedUserTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    text = &form->add<TextBox>(u"Text", 1, 100, 100);
    form->show();
    form->take();
  }
  TextBox* text = nullptr;
};

TEST_F(SimulatedUserTest, TheUserObjectDrivesControlsByName) {
  Ref<SimulatedUser> u = makeRef<SimulatedUser>();
  std::array<Variant, 2> args{Variant(ObjectRef(text)), Variant(u"hi")};
  u->invoke(u"type", InvokeKind::Method, args);
  EXPECT_EQ(text->text(), u"hi");
  std::array<Variant, 1> close{Variant(ObjectRef(form.get()))};
  u->invoke(u"close", InvokeKind::Method, close);
  EXPECT_FALSE(form->isLoaded());
}

// The wheel through the User object: at a control's middle or at a point of
// the form, as a person's wheel turns.
TEST_F(SimulatedUserTest, TheUserObjectTurnsTheWheelOverAControlOrAPointOfTheForm) {
  auto& bar = form->add<ScrollBar>(u"HScroll", 1, 150, 1500);
  bar.move(150, 1500, 3000, 255);
  bar.setMax(10);
  auto& combo = form->add<ComboBox>(u"Combo", 1, 150, 2100);
  combo.addItem(u"a");
  combo.addItem(u"b");
  combo.setFocus();
  form->take();
  Ref<SimulatedUser> u = makeRef<SimulatedUser>();
  auto wheel = [&](Variant target, int16_t notches, Variant x = Variant::missing(), Variant y = Variant::missing()) {
    std::array<Variant, 4> args{std::move(target), Variant::i2(notches), std::move(x), std::move(y)};
    u->invoke(u"wheel", InvokeKind::Method, args);
  };
  wheel(Variant(ObjectRef(&bar)), -2);
  EXPECT_EQ(bar.value(), 2);
  wheel(Variant(ObjectRef(form.get())), 1, Variant(300), Variant(1600));  // a point on the bar
  EXPECT_EQ(bar.value(), 1);
  wheel(Variant(ObjectRef(&combo)), -1);
  EXPECT_EQ(combo.listIndex(), 0);
  EXPECT_EQ(form->take(), (std::vector<std::string>{"HScroll(1).Change", "HScroll(1).Change", "HScroll(1).Change",
                                                    "Combo(1).Click"}));
}

}  // namespace
}  // namespace svx::testing
