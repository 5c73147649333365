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

}  // namespace
}  // namespace svx::testing
