#include "tests/platform/forms/forms_fixture.h"

#include <algorithm>
#include <array>
#include <map>
#include <random>

namespace svx::testing {
namespace {

TEST_F(FormsTest, BoundsFollowLoadedElementsWithGaps) {
  ControlArray& text = form->array(u"Text");
  text.load(1);
  text.load(2);
  text.load(3);
  text.unload(2);
  EXPECT_EQ(text.lBound(), 0);
  EXPECT_EQ(text.uBound(), 3);
  EXPECT_EQ(text.count(), 3);
  EXPECT_EQ(errorOf([&] { text.item(2); }), 340);
  EXPECT_EQ(errorOf([&] { text.unload(2); }), 340);
  EXPECT_EQ(errorOf([&] { text.load(3); }), 360);
  EXPECT_EQ(errorOf([&] { text.unload(0); }), 362);
  text.unload(3);
  EXPECT_EQ(text.uBound(), 1);
}

TEST_F(FormsTest, LateBoundBoundsAndElementTags) {
  ControlArray& text = form->array(u"Text");
  text.load(2).setTag(u"two");
  EXPECT_EQ(toI4(text.invoke(u"UBound", InvokeKind::PropertyGet, {})), 2);
  EXPECT_EQ(toI4(text.invoke(u"LBound", InvokeKind::PropertyGet, {})), 0);
  std::array<Variant, 1> two{Variant(2.4)};  // indexes round to 16-bit integers
  Variant element = text.invoke(0, InvokeKind::PropertyGet, two);  // the default member
  EXPECT_EQ(toBStr(element.asObject()->invoke(u"Tag", InvokeKind::PropertyGet, {})), u"two");
  std::array<Variant, 1> one{Variant(1)};
  try {
    text.invoke(u"Item", InvokeKind::PropertyGet, one);
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), 340);
    EXPECT_EQ(e.description(), u"Control array element '1' doesn't exist");
  }
}

TEST_F(FormsTest, NewElementsCopyTheTemplateAsItIsNow) {
  auto& tmpl = form->element<Label>(u"Label");
  auto& first = form->array(u"Label").load(1);
  EXPECT_FALSE(first.visible());
  EXPECT_EQ(dynamic_cast<Label&>(first).caption(), u"Label");
  std::array<Variant, 1> caption{Variant(u"Changed")};
  tmpl.invoke(u"Caption", InvokeKind::PropertyPut, caption);
  tmpl.setTag(u"t");
  tmpl.move(10, 20, 30, 40);
  auto& second = dynamic_cast<Label&>(form->array(u"Label").load(2));
  EXPECT_EQ(second.caption(), u"Changed");
  EXPECT_EQ(second.tag(), u"t");
  EXPECT_EQ(second.width(), 30);
  EXPECT_EQ(dynamic_cast<Label&>(first).caption(), u"Label");
}

TEST_F(FormsTest, LoadCopiesTheContainerButNotTheContainedControls) {
  auto& frame1 = form->array(u"Frame").load(1);
  EXPECT_TRUE(form->childrenOf(&frame1).empty());
  auto& option1 = form->array(u"OptionCtrl").load(1);
  EXPECT_EQ(option1.container(), &form->control(u"Frame"));
}

TEST_F(FormsTest, UnloadingAPictureBoxTakesItsElementsAlong) {
  auto& pic = form->add<PictureBox>(u"PictureCtrl", 1);
  auto& inner = form->add<PictureBox>(u"PictureCtrl", 2);
  form->add(u"Text", 1).setContainer(&inner);
  form->add(u"Check", 1).setContainer(&pic);
  inner.setContainer(&pic);
  form->array(u"PictureCtrl").unload(1);
  EXPECT_FALSE(form->array(u"PictureCtrl").exists(2));
  EXPECT_FALSE(form->array(u"Text").exists(1));
  EXPECT_FALSE(form->array(u"Check").exists(1));
  for (Control* c : form->zOrder()) EXPECT_TRUE(c->container() == nullptr || c->container()->loaded());
}

TEST_F(FormsTest, TabIndexRenumbersTheOthers) {
  form->load();
  auto& a = form->add(u"Text", 1);
  auto& b = form->add(u"Text", 2);
  const int16_t last = b.tabIndex();
  EXPECT_EQ(a.tabIndex(), last - 1);
  b.setTabIndex(0);
  EXPECT_EQ(b.tabIndex(), 0);
  EXPECT_EQ(form->control(u"Label").tabIndex(), 1);
  EXPECT_EQ(a.tabIndex(), last);
  b.setTabIndex(999);  // beyond the end: the last place
  EXPECT_EQ(b.tabIndex(), last);
  EXPECT_EQ(errorOf([&] { form->control(u"ShapeCtrl").tabIndex(); }), 438);
}

// Loads, unloads (containers with what they hold), moves between containers,
// z-order and tab-order changes in a long random sequence: the form's orders,
// containers and tab indexes always equal those of a plain model that scans
// every control, as the form once did.
TEST_F(FormsTest, OrdersAndContainersMatchAPlainModelThroughManyUnloads) {
  form->load();
  const std::array<const char16_t*, 4> arrays{u"Text", u"Check", u"PictureCtrl", u"Frame"};
  std::vector<Control*> z(form->zOrder().begin(), form->zOrder().end());
  std::vector<Control*> tab(form->tabOrder().begin(), form->tabOrder().end());
  std::map<Control*, Control*> containerOf;
  for (Control* c : z) containerOf[c] = c->container();
  auto moveTo = [](std::vector<Control*>& v, Control* c, size_t at) {
    std::erase(v, c);
    v.insert(v.begin() + static_cast<std::ptrdiff_t>(std::min(at, v.size())), c);
  };
  std::function<void(Control*)> unloadModel = [&](Control* c) {
    std::vector<Control*> inside;
    for (Control* x : z)
      if (containerOf[x] == c) inside.push_back(x);
    for (Control* x : inside) {
      if (x->index() == 0)
        containerOf[x] = containerOf[c];
      else
        unloadModel(x);
    }
    std::erase(z, c);
    std::erase(tab, c);
    containerOf.erase(c);
  };
  int unloadsOfFullContainers = 0;
  std::mt19937 random(26);
  auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
  for (int step = 0; step < 3000; ++step) {
    SCOPED_TRACE(step);
    ControlArray& a = form->array(arrays[pick(arrays.size())]);
    const int16_t index = static_cast<int16_t>(1 + pick(12));
    Control* c = a.find(index);
    switch (pick(5)) {
      case 0:
      case 1:
        if (!c) {
          Control& made = a.load(index);
          z.push_back(&made);
          if (made.hasTabIndex()) tab.push_back(&made);
          containerOf[&made] = made.container();
        } else {
          if (form->childrenOf(c).size() > 0) ++unloadsOfFullContainers;
          unloadModel(c);
          a.unload(index);
        }
        break;
      case 2: {
        if (!c) break;
        ControlArray& boxes = form->array(pick(2) ? u"PictureCtrl" : u"Frame");
        Control* into = pick(4) == 0 ? nullptr : boxes.find(static_cast<int16_t>(pick(13)));
        if (into == c->container()) break;
        if (errorOf([&] { c->setContainer(into); }) != 0) break;
        containerOf[c] = into;
        moveTo(z, c, z.size());
        break;
      }
      case 3:
        if (!c) break;
        if (pick(2)) {
          c->zOrder(0);
          moveTo(z, c, z.size());
        } else {
          c->zOrder(1);
          moveTo(z, c, 0);
        }
        break;
      default: {
        if (!c) break;
        const auto at = static_cast<int16_t>(pick(tab.size() + 2));
        c->setTabIndex(at);
        moveTo(tab, c, static_cast<size_t>(at));
        break;
      }
    }
    ASSERT_EQ(form->zOrder(), z);
    ASSERT_EQ(form->tabOrder(), tab);
    for (Control* x : z) ASSERT_EQ(x->container(), containerOf[x]);
    if (step % 100 != 0) continue;
    for (size_t i = 0; i < tab.size(); ++i) ASSERT_EQ(tab[i]->tabIndex(), static_cast<int16_t>(i));
  }
  EXPECT_GT(unloadsOfFullContainers, 20);
}

}  // namespace
}  // namespace svx::testing
